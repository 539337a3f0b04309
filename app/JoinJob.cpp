#include "JoinJob.h"

#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

#include "ListErrors.h"
#include "Messages.h"
#include "Paths.h"

namespace {
QString FileNameFromSetting(const QByteArray &bytes) { return QFile::decodeName(bytes); }

void LoadSeparator(PlainStrings &lines, bool wanted, const QByteArray &fileName)
{
    if (!wanted)
        return;
    try {
        lines.LoadFromFile(FileNameFromSetting(fileName));
    } catch (const EInOutError &) {
        throw JoinReadError();
    }
}
}

QByteArray EncodeForOutput(const QString &text)
{
    QStringEncoder encoder("windows-31j");
    QByteArray out = encoder.encode(text);
    if (!encoder.hasError())
        return out;
    // Encode character by character so only what CP932 lacks becomes "?".
    out.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QStringEncoder one("windows-31j");
        const QByteArray bytes = one.encode(QStringView(text).sliced(i, n));
        out += one.hasError() ? QByteArray("?") : bytes;
        i += n - 1;
    }
    return out;
}

void AssembleJoin(JoinWorkLists &lists, const QStringList &names, const QStringList &paths,
                  const JoinOptions &options)
{
    lists.CopyLines.Clear();
    lists.JoinLines.Clear();
    lists.SepaLines1.Clear();
    lists.SepaLines2.Clear();
    lists.SepaLines3.Clear();
    LoadSeparator(lists.SepaLines1, options.Separator1, options.FileName1);
    LoadSeparator(lists.SepaLines2, options.Separator2, options.FileName2);
    LoadSeparator(lists.SepaLines3, options.Separator3, options.FileName3);

    for (qsizetype i = 0; i < paths.size(); ++i) {
        lists.InputLines.Clear();
        try {
            lists.InputLines.LoadFromFile(paths[i]);
        } catch (const EInOutError &) {
            throw JoinReadError();
        }
        if (options.Separator1)
            lists.JoinLines.AddStrings(lists.SepaLines1);
        if (options.FileNameLine)
            lists.JoinLines.Add(options.AddStrTo + EncodeForOutput(names.value(i)));
        if (options.Separator2)
            lists.JoinLines.AddStrings(lists.SepaLines2);
        lists.InputLines.AssignTo(lists.CopyLines);
        lists.JoinLines.AddStrings(lists.CopyLines);
        if (options.Separator3)
            lists.JoinLines.AddStrings(lists.SepaLines3);
    }
}

bool RunJoinJob(JoinWorkLists &lists, const QString &outputName, const QStringList &names,
                const QStringList &paths, const JoinOptions &options, const JoinDialogs &dialogs)
{
    if (IsMissingOutputName(outputName)) {
        dialogs.report(msg::NoOutputName);
        return false;
    }
    try {
        AssembleJoin(lists, names, paths, options);
    } catch (const JoinReadError &) {
        dialogs.report(msg::CannotOpen);
        return false;
    }
    const QFileInfo target(outputName);
    if (target.exists() && !target.isDir() && !dialogs.confirm(msg::AskOverwrite))
        return false;
    try {
        lists.JoinLines.SaveToFile(outputName);
    } catch (const EInOutError &) {
        dialogs.report(msg::CannotCreate);
        return false;
    }
    dialogs.notify(msg::Done);
    return true;
}
