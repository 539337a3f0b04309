#pragma once
// Starting a launcher entry on the preview file: the lines of the run dialog, the "%f" rule, the
// option text split into arguments as a shell would, and the start itself (no shell is run).
#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <vector>

#include "launcher/LauncherEntries.h"
#include "launcher/rules/ArgumentSplit.h"

// One line of the run dialog and the entry it shows.
struct LauncherRunLine {
    int entry = 0;    // entry number 1..9
    QByteArray text;  // ProgShortCut, two blanks, ProgTitle
};
// The entries in use (non-empty title) in entry-number order. A free entry between entries in
// use leaves no hole, so each line starts the entry it shows.
std::vector<LauncherRunLine> LauncherRunLines(const LauncherEntries &entries);

// What the shell's "OPEN" of an entry comes to. The program and the working folder are the
// settings file's bytes, so a name in Shift-JIS is started where it is; the option text is split
// as the user sees it (DisplayName) and each argument handed on in the file system's encoding,
// the preview file's path inside its argument as its own bytes.
struct LaunchCommand {
    QByteArray fileName;        // ProgName after the substitution
    QByteArrayList arguments;   // ProgOption split, the substitution inside its argument
    QByteArray workingDir;      // ProgDir; empty means none is given
};
LaunchCommand BuildLaunchCommand(const LauncherEntries &entries, int entry, const QByteArray &previewFile);

// How a file name is started: run as a program, opened with the desktop's default application,
// or not at all (missing, a folder, an empty name, a working folder that does not exist).
enum class LaunchKind { Execute, OpenDocument, Fail };
struct LaunchTarget {
    LaunchKind kind = LaunchKind::Fail;
    QByteArray path;  // the program or document, resolved to a full path
};
// A name without "/" is looked up on PATH first; a relative name is taken from the working
// folder when one is given, as the started program will see it.
LaunchTarget ResolveLaunchTarget(const QByteArray &fileName, const QByteArray &workingDir);

// Starts the command detached (not waited for), in its working folder. False when nothing could
// be started (the program could not be executed included).
bool StartLaunchCommand(const LaunchCommand &command);
