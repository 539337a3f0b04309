#include "lines/SafeSave.h"

#include "lines/ListErrors.h"

#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr QFile::Permissions AnyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;

[[noreturn]] void Fail(const QString &text)
{
    throw EInOutError(text.toStdString());
}

// Writable for this process, and not marked read-only for everybody: a file or folder without
// any write bit is refused even for a user whom the system would let through (root).
bool Writable(const QFileInfo &info)
{
    return info.isWritable() && (info.permissions() & AnyWrite);
}
}

SafeSaveFile::SafeSaveFile(const QString &path, SaveDurability durability) : durability_(durability)
{
    if (path.isEmpty())
        Fail(QStringLiteral("No file name"));
    QFileInfo target(path);
    // The new file is put where a link points, beside the linked file.
    if (target.isSymLink())
        target = QFileInfo(target.symLinkTarget());
    if (target.isDir())
        Fail(QStringLiteral("%1 is a folder").arg(path));
    existed_ = target.exists();
    if (existed_ && !Writable(target))
        Fail(QStringLiteral("%1 is not writable").arg(path));
    target_ = target.absoluteFilePath();
    inPlace_ = existed_ && !target.isFile();
    if (inPlace_) {
        // A FIFO or a device is written into, never replaced: the bytes wait in a temporary
        // file of the system's until commit() copies them in.
        file_ = std::make_unique<QTemporaryFile>();
        if (!file_->open())
            Fail(file_->errorString());
        return;
    }
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir())
        Fail(QStringLiteral("The folder of %1 does not exist").arg(path));
    if (!Writable(folder))
        Fail(QStringLiteral("The folder of %1 is not writable").arg(path));

    // The temporary name's length does not depend on the target's, so a target whose name is
    // as long as the file system allows can still be written.
    file_ = std::make_unique<QTemporaryFile>(target.absolutePath() + QStringLiteral("/.talvo-XXXXXX"));
    if (!file_->open())
        Fail(file_->errorString());
    // The temporary file starts private; give it the mode the target has or would get.
    QFile::Permissions mode;
    if (existed_) {
        mode = target.permissions();
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = QFile::Permissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup |
                                  QFile::ReadOther | QFile::WriteOther);
        if (mask & S_IWGRP)
            mode &= ~QFile::WriteGroup;
        if (mask & S_IWOTH)
            mode &= ~QFile::WriteOther;
        if (mask & S_IRGRP)
            mode &= ~QFile::ReadGroup;
        if (mask & S_IROTH)
            mode &= ~QFile::ReadOther;
    }
    // Qt reports owner bits twice (for the owner and for "this user"); keep them in step.
    if (mode & QFile::ReadOwner)
        mode |= QFile::ReadUser;
    if (mode & QFile::WriteOwner)
        mode |= QFile::WriteUser;
    if (mode & QFile::ExeOwner)
        mode |= QFile::ExeUser;
    if (!file_->setPermissions(mode))
        Fail(file_->errorString());
}

// Destroying an uncommitted temporary file removes it.
SafeSaveFile::~SafeSaveFile() = default;

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
        Fail(QString::fromLocal8Bit(std::strerror(errno)));
    file_->close();
    if (file_->error() != QFileDevice::NoError)
        Fail(file_->errorString());
    if (::rename(QFile::encodeName(file_->fileName()).constData(), QFile::encodeName(target_).constData()) != 0)
        Fail(QString::fromLocal8Bit(std::strerror(errno)));
    file_->setAutoRemove(false);
}

void SafeSaveFile::CopyInto(const QString &target)
{
    // As cp writes into an existing special file. Opening does not wait for a FIFO's reader:
    // without one the save fails instead of hanging.
    const int fd = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        Fail(QString::fromLocal8Bit(std::strerror(errno)));
    QFile out;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
        !out.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        Fail(QString::fromLocal8Bit(std::strerror(errno)));
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

void SaveBytesSafely(const QString &path, const std::function<void(QIODevice &)> &write, SaveDurability durability)
{
    SafeSaveFile file(path, durability);
    // Should `write` raise, the unfinished temporary file is removed with `file`.
    write(file.device());
    file.commit();
}
