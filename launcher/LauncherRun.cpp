#include "launcher/LauncherRun.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "lines/NativeFile.h"

std::vector<LauncherRunLine> LauncherRunLines(const LauncherEntries &entries)
{
    std::vector<LauncherRunLine> lines;
    for (int j = 1; j <= LauncherEntries::EntryCount; ++j)
        if (!entries.ProgTitle[j].isEmpty())
            lines.push_back({j, entries.ProgShortCut[j] + "  " + entries.ProgTitle[j]});
    return lines;
}

LaunchCommand BuildLaunchCommand(const LauncherEntries &entries, int entry, const QString &previewFile)
{
    LaunchCommand c;
    c.fileName = SubstituteFileMark(DisplayName(entries.ProgName[entry]), previewFile);
    c.arguments = SplitArguments(DisplayName(entries.ProgOption[entry]), &previewFile);
    c.workingDir = DisplayName(entries.ProgDir[entry]);
    return c;
}

LaunchTarget ResolveLaunchTarget(const QString &fileName, const QString &workingDir)
{
    // Never start anything in another folder than the one asked for.
    if (fileName.isEmpty() || (!workingDir.isEmpty() && !QFileInfo(workingDir).isDir()))
        return {};
    QString path;
    if (!fileName.contains(u'/'))
        path = QStandardPaths::findExecutable(fileName);
    if (path.isEmpty())
        path = (workingDir.isEmpty() ? QDir::current() : QDir(workingDir)).absoluteFilePath(fileName);
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return {};
    const QString full = info.absoluteFilePath();
    return {info.isExecutable() ? LaunchKind::Execute : LaunchKind::OpenDocument, full};
}

bool StartLaunchCommand(const LaunchCommand &command)
{
    const LaunchTarget target = ResolveLaunchTarget(command.fileName, command.workingDir);
    switch (target.kind) {
    case LaunchKind::Execute:
        // Reports a failed exec (a file that is no program) as well as a failed fork.
        return QProcess::startDetached(target.path, command.arguments, command.workingDir);
    case LaunchKind::OpenDocument:
        return QDesktopServices::openUrl(QUrl::fromLocalFile(target.path));
    case LaunchKind::Fail:
        break;
    }
    return false;
}
