#pragma once
// The joining job: reads every input in list order and builds the joined lines (separator 1,
// the file-name line, separator 2, the input's lines, separator 3 for each input), then saves
// them with CR LF after every line. The main window's Execute, the preview and the launcher
// all run this one assembly.
#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <functional>

#include "lines/JobControl.h"
#include "lines/PlainStrings.h"
#include "lines/TLightStrings.h"

// The work lists the main window owns; emptied at the start of each run. The job hands the
// joined lines to the writer piece by piece, so JoinLines holds only the piece being built and
// InputLines only the piece of the input being read: memory stays bounded whatever the inputs.
struct JoinWorkLists {
    PlainStrings SepaLines1, SepaLines2, SepaLines3;
    PlainStrings CopyLines;
    PlainStrings JoinLines;
    TLightStrings InputLines;
};

struct JoinOptions {
    bool Separator1 = false;    // CheckBox1
    bool FileNameLine = false;  // CheckBox2
    bool Separator2 = false;    // CheckBox3
    bool Separator3 = false;    // CheckBox4
    QByteArray FileName1, FileName2, FileName3;  // separator files, as stored in the settings
    QByteArray AddStrTo;                         // prefix of the file-name line (CP932)
};

// A separator or input file could not be read.
class JoinReadError : public std::runtime_error {
public:
    JoinReadError() : std::runtime_error("read failed") {}
};

// Builds the joined lines in order, a piece at a time (the lines before an input in
// lists.JoinLines, the input's own lines as InputLines read them), and calls `write` with each
// piece; `write` takes the lines it keeps. paths: the full paths, the file system's bytes; the
// file-name line holds the file-name part of each. Throws JoinReadError when a separator whose
// box is set or an input cannot be read, more lines come than a list holds, or memory runs out
// while reading.
// With a job: its total is the inputs' sizes, each input is named as it is read, and a stop
// raises EJobCancelled between pieces (or while a pipe sends nothing).
void AssembleJoin(JoinWorkLists &lists, const QByteArrayList &paths, const JoinOptions &options,
                  const std::function<void(LineTable &piece)> &write, JobControl *job = nullptr);

// The name in an input's file-name line: the file-name part of its path, as CP932 ("?" for what
// CP932 cannot hold) when the name is UTF-8, else its own bytes (a name that already is CP932).
QByteArray FileNameLineName(QByteArrayView path);

enum class JoinResult { Written, ReadFailed, WriteFailed, Declined, Cancelled };

// The assembly written to `fileName` (the output, or the preview file). The text goes to a
// temporary file while the inputs are read; after the last input `mayReplace`, when given, is
// asked (the overwrite question) and only then does the file take the target's place. Any
// result but Written leaves the target as it was, and no temporary file. A job stopped before the
// file takes the target's place gives Cancelled.
JoinResult WriteJoin(JoinWorkLists &lists, const QByteArray &fileName, const QByteArrayList &paths,
                     const JoinOptions &options, const std::function<bool()> &mayReplace = {},
                     JobControl *job = nullptr);

// How the job talks to the user: failures, the overwrite question and the completion notice.
struct JoinDialogs {
    std::function<void(const QString &text)> report;    // a failure; the job ends
    std::function<bool(const QString &text)> confirm;   // true only for Yes
    std::function<void(const QString &text)> notify;    // the completion notice
};

// The whole Execute command: output-name test, assembly, overwrite question, save, notice.
// Returns true when the output was written. A stopped job tells nothing.
bool RunJoinJob(JoinWorkLists &lists, const QByteArray &outputName, const QByteArrayList &paths,
                const JoinOptions &options, const JoinDialogs &dialogs, JobControl *job = nullptr);

// The preview: the same assembly written to `previewFile` by the same writer, without the
// output-name test, the overwrite question or a notice. A read failure reports the open message,
// a failed save the create message; either way the preview file keeps what it held. Returns
// true when the preview file was written.
bool RunPreviewJob(JoinWorkLists &lists, const QByteArray &previewFile, const QByteArrayList &paths,
                   const JoinOptions &options, const std::function<void(const QString &text)> &report,
                   JobControl *job = nullptr);
