#pragma once
// Small helpers shared by the tests: byte files in temporary folders.
#include <QByteArray>
#include <QString>

namespace testsupport {
// Writes bytes to path (creating folders); fails the test on error.
void WriteBytes(const QString &path, const QByteArray &bytes);
QByteArray ReadBytes(const QString &path);
// Shift-JIS bytes of a Unicode text (for building test data from readable strings).
QByteArray Sjis(const QString &text);
}
