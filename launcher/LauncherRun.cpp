#include "launcher/LauncherRun.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "lines/NativeFile.h"

namespace {
// Stands for the preview path while the option text is split as text: a character of the
// private use area, which no option text holds, replaced by the path's own bytes afterwards.
constexpr char16_t PathMark = u'\uE000';

QByteArray SubstituteFileMarkBytes(const QByteArray &text, const QByteArray &path)
{
    // '%' is below every trail byte, so the bytes "%f" are always the two characters.
    const qsizetype at = text.indexOf("%f");
    return at < 0 ? text : text.left(at) + path + text.mid(at + 2);
}

QByteArray InFolder(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// The first executable file of that name on PATH, as a shell finds it.
QByteArray FindOnPath(const QByteArray &name)
{
    for (const QByteArray &folder : qgetenv("PATH").split(':')) {
        if (folder.isEmpty())
            continue;
        const QByteArray candidate = InFolder(folder, name);
        struct stat st {};
        if (::stat(candidate.constData(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.constData(), X_OK) == 0)
            return AbsolutePath(candidate);
    }
    return {};
}

// Runs the program in a grandchild of its own session, so nothing waits for it and it outlives
// the program; the child reports a failed chdir or exec through a pipe that a successful exec
// closes. Between fork and exec only calls safe in a forked child of a threaded process.
bool SpawnDetached(const QByteArray &program, const QByteArrayList &arguments, const QByteArray &workingDir)
{
    std::vector<char *> argv;
    QByteArray name = program;  // argv[0]: the program as started
    argv.push_back(name.data());
    QByteArrayList args = arguments;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const QByteArray folder = workingDir;

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child == 0) {
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::setsid();
            if (folder.isEmpty() || ::chdir(folder.constData()) == 0)
                ::execv(program.constData(), argv.data());
            const int error = errno;
            (void)!::write(report[1], &error, sizeof error);
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    ::close(report[1]);
    bool started = false;
    if (child > 0) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        int error = 0;
        ssize_t n;
        while ((n = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
        }
        started = WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
    }
    ::close(report[0]);
    return started;
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

LaunchCommand BuildLaunchCommand(const LauncherEntries &entries, int entry, const QByteArray &previewFile)
{
    LaunchCommand c;
    c.fileName = SubstituteFileMarkBytes(entries.ProgName[entry], previewFile);
    const QString mark(1, QChar(PathMark));
    const QByteArray markBytes = mark.toUtf8();
    for (const QString &argument : SplitArguments(DisplayName(entries.ProgOption[entry]), &mark)) {
        QByteArray bytes = argument.toUtf8();
        if (const qsizetype at = bytes.indexOf(markBytes); at >= 0)
            bytes.replace(at, markBytes.size(), previewFile);
        c.arguments << bytes;
    }
    c.workingDir = entries.ProgDir[entry];
    return c;
}

LaunchTarget ResolveLaunchTarget(const QByteArray &fileName, const QByteArray &workingDir)
{
    // Never start anything in another folder than the one asked for.
    if (fileName.isEmpty() || (!workingDir.isEmpty() && KindOfPath(workingDir) != PathKind::Folder))
        return {};
    QByteArray path;
    if (!fileName.contains('/'))
        path = FindOnPath(fileName);
    if (path.isEmpty()) {
        const QByteArray folder = AbsolutePath(workingDir);  // the current folder when none is given
        // Latin-1 carries any bytes through unchanged; cleaning touches only "/" and ".".
        path = fileName.startsWith('/') ? fileName
                                        : QDir::cleanPath(QString::fromLatin1(InFolder(folder, fileName))).toLatin1();
    }
    struct stat st {};
    if (::stat(path.constData(), &st) != 0 || S_ISDIR(st.st_mode))
        return {};
    return {::access(path.constData(), X_OK) == 0 ? LaunchKind::Execute : LaunchKind::OpenDocument, path};
}

bool StartLaunchCommand(const LaunchCommand &command)
{
    const LaunchTarget target = ResolveLaunchTarget(command.fileName, command.workingDir);
    switch (target.kind) {
    case LaunchKind::Execute:
        return SpawnDetached(target.path, command.arguments, command.workingDir);
    case LaunchKind::OpenDocument:
        // A file URL carries the name's bytes percent-encoded, whatever their encoding.
        return QDesktopServices::openUrl(QUrl::fromEncoded("file://" + target.path.toPercentEncoding("/")));
    case LaunchKind::Fail:
        break;
    }
    return false;
}
