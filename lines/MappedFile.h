#pragma once
// A regular file mapped read-only, so that a view can show a file larger than memory: its pages
// come and go with the system's file cache instead of being copied into the program.
//
// A mapped page whose file bytes are gone (the file was truncated) or cannot be read (an I/O
// error) would kill the program with SIGBUS on first touch. Every mapping is guarded: such a page
// is replaced by zeros, the mapping counts as damaged, and whoever reads it checks Damaged()
// after reading. Changed() tells when the file on disk is no longer the bytes that were mapped.
#include <QByteArray>
#include <QtGlobal>

#include <atomic>
#include <memory>

#include <sys/types.h>

class MappedFile {
public:
    // Maps the regular file open at `fd` (which it keeps open) as `path` named it.
    // EInOutError when it cannot be mapped.
    static std::shared_ptr<const MappedFile> Map(int fd, const QByteArray &path);
    ~MappedFile();
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    const char *data() const { return data_; }
    quint64 size() const { return size_; }
    const QByteArray &path() const { return path_; }
    int handle() const { return fd_; }

    // A page could not be read since the mapping was made; its bytes read as zeros.
    bool Damaged() const { return damaged_.load(std::memory_order_acquire); }
    // The file at the path is another file now (replaced, deleted), or its size or modification
    // time differ from those it had when it was mapped; or a page could not be read.
    bool Changed() const;

    // Asks the system to read the range ahead: it is about to be read from start to end.
    void WillRead(quint64 offset, quint64 length) const;

private:
    MappedFile() = default;
    const char *data_ = nullptr;
    quint64 size_ = 0;
    int fd_ = -1;
    QByteArray path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    qint64 modifiedSeconds_ = 0;
    long modifiedNanoseconds_ = 0;
    int guardSlot_ = -1;
    mutable std::atomic<bool> damaged_ = false;
};
