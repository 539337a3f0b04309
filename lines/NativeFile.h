#pragma once
// Files opened by the file system's own bytes. Qt's file names are text, and a name whose bytes
// are not valid UTF-8 (a Shift-JIS name unpacked from an old archive) would not survive the trip
// through text; paths from the command line therefore stay bytes until the open.
#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

// Opens `path` for reading into `file` (unbuffered). Never waits on a pipe that has no writer;
// refuses a folder. EInOutError when the file cannot be opened.
void OpenForReading(QFile &file, const QByteArray &path);

// What a path names, links followed: nothing (or a dangling link), a folder, or anything else
// (a file, a FIFO, a device).
enum class PathKind { Missing, Folder, Other };
PathKind KindOfPath(const QByteArray &path);
// A relative path joined to the current folder; an absolute one as it is. Empty when the current
// folder cannot be told.
QByteArray AbsolutePath(const QByteArray &path);

// The size of a regular file (links followed); 0 for anything else or nothing.
qint64 RegularFileSize(const QByteArray &path);
// Writable for this process, and not marked read-only for everybody: a file or folder without
// any write bit counts as read-only even for a user whom the system would let through (root).
// False for a path that does not exist.
bool IsWritable(const QByteArray &path);
// The same for a path whose status is at hand.
bool IsWritable(const QByteArray &path, const struct stat &st);

// A file name as the user sees it: its bytes as UTF-8 when they are valid UTF-8, else as CP932.
QString DisplayName(QByteArrayView bytes);
// Whether the bytes are valid UTF-8.
bool IsValidUtf8(QByteArrayView bytes);
