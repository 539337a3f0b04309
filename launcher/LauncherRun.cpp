#include "launcher/LauncherRun.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "lines/NativeFile.h"

namespace {
const QString kFileMark = QStringLiteral("%f");

bool IsBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// The index of the quote that closes the one at `open`, or -1. Inside double quotes a
// backslash hides the next character.
qsizetype ClosingQuote(const QString &text, qsizetype open)
{
    const QChar quote = text[open];
    for (qsizetype j = open + 1; j < text.size(); ++j) {
        if (text[j] == quote)
            return j;
        if (quote == u'"' && text[j] == u'\\')
            ++j;
    }
    return -1;
}
}  // namespace

std::vector<LauncherRunLine> LauncherRunLines(const LauncherEntries &entries)
{
    std::vector<LauncherRunLine> lines;
    for (int j = 1; j <= LauncherEntries::EntryCount; ++j)
        if (!entries.ProgTitle[j].isEmpty())
            lines.push_back({j, entries.ProgShortCut[j] + "  " + entries.ProgTitle[j]});
    return lines;
}

QString SubstituteFileMark(const QString &text, const QString &path)
{
    QString out = text;
    const qsizetype at = out.indexOf(kFileMark);
    if (at >= 0)
        out.replace(at, kFileMark.size(), path);
    return out;
}

QStringList SplitArguments(const QString &text, const QString *path)
{
    const qsizetype mark = path ? text.indexOf(kFileMark) : -1;
    QStringList args;
    QString arg;
    bool inArg = false;  // an argument has begun, even an empty one ("")
    const qsizetype n = text.size();
    qsizetype i = 0;
    // Appends the character at i (or the path for the mark) and moves past it.
    const auto take = [&](qsizetype &at) {
        if (at == mark) {
            arg += *path;
            at += kFileMark.size();
        } else {
            arg += text[at++];
        }
        inArg = true;
    };
    while (i < n) {
        const QChar c = text[i];
        if (IsBlank(c)) {
            if (inArg)
                args << std::exchange(arg, QString());
            inArg = false;
            ++i;
        } else if (c == u'\\' && i + 1 < n) {
            if (text[i + 1] == u'\n') {
                i += 2;  // a continued line
                continue;
            }
            ++i;
            take(i);
        } else if ((c == u'\'' || c == u'"') && ClosingQuote(text, i) >= 0) {
            const qsizetype close = ClosingQuote(text, i);
            inArg = true;
            for (qsizetype j = i + 1; j < close;) {
                if (c == u'"' && text[j] == u'\\' && j + 1 < close &&
                    QStringView(u"$`\"\\\n").contains(text[j + 1])) {
                    if (text[j + 1] != u'\n')
                        arg += text[j + 1];
                    j += 2;
                } else {
                    take(j);
                }
            }
            i = close + 1;
        } else {
            take(i);
        }
    }
    if (inArg)
        args << arg;
    return args;
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
