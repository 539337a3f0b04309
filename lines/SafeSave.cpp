#include "lines/SafeSave.h"

#include "lines/ListErrors.h"
#include "lines/NativeFile.h"

#include <QTemporaryFile>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
[[noreturn]] void Fail(const QString &text)
{
    throw EInOutError(text.toStdString());
}

[[noreturn]] void FailWithErrno()
{
    Fail(QString::fromLocal8Bit(std::strerror(errno)));
}

QByteArray FolderOf(const QByteArray &absolute)
{
    const qsizetype slash = absolute.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : absolute.left(slash);
}

QByteArray Absolute(const QByteArray &path)
{
    QByteArray absolute = AbsolutePath(path);
    if (absolute.isEmpty())
        FailWithErrno();
    return absolute;
}

// Where a link points, followed to its end; a dangling link gives its last target, which the
// save then creates.
QByteArray LinkTarget(const QByteArray &link)
{
    if (char *real = ::realpath(link.constData(), nullptr)) {
        QByteArray resolved(real);
        std::free(real);
        return resolved;
    }
    QByteArray at = Absolute(link);
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(at.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return at;
        QByteArray next(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(at.constData(), next.data(), next.size());
        if (n < 0)
            FailWithErrno();
        next.truncate(n);
        at = next.startsWith('/') ? next : FolderOf(at) + '/' + next;
    }
    errno = ELOOP;
    FailWithErrno();
}
}

SafeSaveFile::SafeSaveFile(const QByteArray &path, SaveDurability durability) : durability_(durability)
{
    if (path.isEmpty())
        Fail(QStringLiteral("No file name"));
    const QString shown = DisplayName(path);
    struct stat st {};
    // The new file is put where a link points, beside the linked file.
    target_ = ::lstat(path.constData(), &st) == 0 && S_ISLNK(st.st_mode) ? LinkTarget(path) : Absolute(path);
    const bool existed = ::stat(target_.constData(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode))
        Fail(QStringLiteral("%1 is a folder").arg(shown));
    if (existed && !IsWritable(target_, st))
        Fail(QStringLiteral("%1 is not writable").arg(shown));
    inPlace_ = existed && !S_ISREG(st.st_mode);
    if (inPlace_) {
        // A FIFO or a device is written into, never replaced: the bytes wait in a temporary
        // file of the system's until commit() copies them in.
        auto spool = std::make_unique<QTemporaryFile>();
        if (!spool->open())
            Fail(spool->errorString());
        file_ = std::move(spool);
        return;
    }
    const QByteArray folder = FolderOf(target_);
    struct stat folderStat {};
    if (::stat(folder.constData(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode))
        Fail(QStringLiteral("The folder of %1 does not exist").arg(shown));
    if (!IsWritable(folder, folderStat))
        Fail(QStringLiteral("The folder of %1 is not writable").arg(shown));

    // The temporary name's length does not depend on the target's, so a target whose name is
    // as long as the file system allows can still be written.
    QByteArray name = folder + "/.talvo-XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        FailWithErrno();
    temporary_ = name;
    // The temporary file starts private; give it the mode the target has or would get.
    mode_t mode;
    if (existed) {
        mode = st.st_mode & 0777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    file_ = std::make_unique<QFile>();
    if (::fchmod(fd, mode) != 0 || !file_->open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
        const int error = errno;
        ::close(fd);
        errno = error;
        FailWithErrno();
    }
}

// An uncommitted temporary file is removed.
SafeSaveFile::~SafeSaveFile()
{
    if (file_)
        file_->close();
    if (!temporary_.isEmpty())
        ::unlink(temporary_.constData());
}

QIODevice &SafeSaveFile::device() { return *file_; }

void SafeSaveFile::commit()
{
    if (file_->error() != QFileDevice::NoError || !file_->flush())
        Fail(file_->errorString());
    if (inPlace_) {
        CopyInto(target_);
        return;
    }
    if (durability_ == SaveDurability::Synced && ::fdatasync(file_->handle()) != 0)
        FailWithErrno();
    file_->close();
    if (file_->error() != QFileDevice::NoError)
        Fail(file_->errorString());
    if (::rename(temporary_.constData(), target_.constData()) != 0)
        FailWithErrno();
    temporary_.clear();
}

void SafeSaveFile::CopyInto(const QByteArray &target)
{
    // As cp writes into an existing special file. Opening does not wait for a FIFO's reader:
    // without one the save fails instead of hanging.
    const int fd = ::open(target.constData(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        FailWithErrno();
    QFile out;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
        !out.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        FailWithErrno();
    }
    if (!file_->seek(0))
        Fail(file_->errorString());
    constexpr qint64 Chunk = 1 << 20;
    const auto buffer = std::make_unique_for_overwrite<char[]>(Chunk);
    for (;;) {
        const qint64 n = file_->read(buffer.get(), Chunk);
        if (n < 0)
            Fail(file_->errorString());
        if (n == 0)
            break;
        if (out.write(buffer.get(), n) != n)
            Fail(out.errorString());
    }
    out.close();
    if (out.error() != QFileDevice::NoError)
        Fail(out.errorString());
}

void SaveBytesSafely(const QByteArray &path, const std::function<void(QIODevice &)> &write, SaveDurability durability)
{
    SafeSaveFile file(path, durability);
    // Should `write` raise, the unfinished temporary file is removed with `file`.
    write(file.device());
    file.commit();
}
