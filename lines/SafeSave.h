#pragma once
// Writing a file so that a failure never damages what was there: the bytes go to a temporary
// file in the target's folder, which replaces the target only when every byte is written.
#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <functional>
#include <memory>

// Whether a save waits until the bytes are on the disk before it replaces the target. Files
// that can be made again from their sources (the joined output) skip the wait: it would cost
// as long as writing them; settings are kept durable.
enum class SaveDurability { Synced, Fast };

// A file written over time (another thread may write to device() while the owner waits). The
// path is the file system's bytes, so a folder whose name is not UTF-8 is written where it is.
// Opening refuses a folder, an existing file that is not writable and a folder that is not
// writable; the temporary file is removed unless commit() succeeds; a replaced file keeps its
// permission bits, a new one gets the usual ones for this user. An existing target that is not
// a regular file (a FIFO, a device) is never replaced: commit() writes the bytes into it.
// EInOutError on any failure.
class SafeSaveFile {
public:
    explicit SafeSaveFile(const QByteArray &path, SaveDurability durability = SaveDurability::Synced);
    ~SafeSaveFile();
    SafeSaveFile(const SafeSaveFile &) = delete;
    SafeSaveFile &operator=(const SafeSaveFile &) = delete;

    QIODevice &device();
    void commit();

private:
    void CopyInto(const QByteArray &target);

    QByteArray target_;     // absolute; where a link points, when the name is one
    QByteArray temporary_;  // the temporary file beside the target; empty once renamed or when in place
    SaveDurability durability_;
    bool inPlace_ = false;  // the target is a special file
    std::unique_ptr<QFile> file_;
};

// Calls `write` with a device for the new content of `path` (write large chunks), then puts
// the file in place as SafeSaveFile does. Raises EInOutError on any failure (also when `write`
// raises it), leaving an existing file unchanged and no temporary file behind.
void SaveBytesSafely(const QByteArray &path, const std::function<void(QIODevice &)> &write,
                     SaveDurability durability = SaveDurability::Synced);
