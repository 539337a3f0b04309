#pragma once
// Small helpers shared by the tests: byte files in temporary folders.
#include <QByteArray>
#include <QString>

namespace testsupport {
// Writes bytes to path (creating folders); fails the test on error.
void WriteBytes(const QString &path, const QByteArray &bytes);
QByteArray ReadBytes(const QString &path);
// The same by the file system's bytes for the name (a folder or file named in Shift-JIS).
void WriteBytesAt(const QByteArray &path, const QByteArray &bytes);
QByteArray ReadBytesAt(const QByteArray &path);
// Shift-JIS bytes of a Unicode text (for building test data from readable strings).
QByteArray Sjis(const QString &text);
}
