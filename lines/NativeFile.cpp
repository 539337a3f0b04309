#include "lines/NativeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lines/ListErrors.h"
#include "lines/ShiftJis.h"

namespace {
[[noreturn]] void Fail(int error)
{
    throw EInOutError(std::strerror(error));
}
}

void OpenForReading(QFile &file, const QByteArray &path)
{
    if (path.isEmpty())
        Fail(ENOENT);
    // Without O_NONBLOCK, opening a FIFO that nobody writes to waits for good.
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        Fail(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        Fail(error);
    }
    // Reads block again, so a pipe with a writer is read to its end.
    // A descriptor left non-blocking would read an idle pipe as ended.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        Fail(error);
    }
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw EInOutError(file.errorString().toStdString());
    }
}

qint64 RegularFileSize(const QByteArray &path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    return qint64(st.st_size);
}

PathKind KindOfPath(const QByteArray &path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(path.constData(), &st) != 0)
        return PathKind::Missing;
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::Other;
}

bool IsWritable(const QByteArray &path, const struct stat &st)
{
    return ::access(path.constData(), W_OK) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
}

bool IsWritable(const QByteArray &path)
{
    struct stat st {};
    return !path.isEmpty() && ::stat(path.constData(), &st) == 0 && IsWritable(path, st);
}

QByteArray AbsolutePath(const QByteArray &path)
{
    if (path.startsWith('/'))
        return path;
    QByteArray cwd(4096, Qt::Uninitialized);
    while (!::getcwd(cwd.data(), size_t(cwd.size()))) {
        if (errno != ERANGE)
            return {};
        cwd.resize(cwd.size() * 2);
    }
    cwd.truncate(qstrlen(cwd.constData()));
    return path.isEmpty() ? cwd : cwd + '/' + path;
}

bool IsValidUtf8(QByteArrayView bytes)
{
    // Qt's decoder does not report every malformed sequence; an invalid one never survives the
    // round trip, since it comes back as U+FFFD.
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

QString DisplayName(QByteArrayView bytes)
{
    return IsValidUtf8(bytes) ? QString::fromUtf8(bytes) : DecodeCp932(bytes);
}
