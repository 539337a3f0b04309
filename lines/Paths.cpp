#include "lines/Paths.h"

#include <QFile>

#include "lines/ShiftJis.h"

namespace {
// Index of the last byte equal to `wanted` that is not the trail byte of a double-byte
// character, or -1. A lead byte swallows only a byte that can be a trail byte, so "/" and "."
// (never trail bytes) are found in file names of any encoding, UTF-8 included.
qsizetype LastSingleByte(QByteArrayView path, char wanted, qsizetype end)
{
    qsizetype found = -1;
    for (qsizetype i = 0; i < end; ++i) {
        const auto b = static_cast<unsigned char>(path[i]);
        if (IsLeadByte(b) && i + 1 < end && IsTrailByte(static_cast<unsigned char>(path[i + 1]))) {
            ++i;
            continue;
        }
        if (path[i] == wanted)
            found = i;
    }
    return found;
}

qsizetype LastSeparator(QByteArrayView path) { return LastSingleByte(path, '/', path.size()); }
}

QByteArray ExtractFilePath(QByteArrayView path)
{
    return path.first(LastSeparator(path) + 1).toByteArray();
}

QByteArray ExtractFileName(QByteArrayView path)
{
    return path.sliced(LastSeparator(path) + 1).toByteArray();
}

QByteArray ChangeFileExt(QByteArrayView path, QByteArrayView ext)
{
    const qsizetype sep = LastSeparator(path);
    const qsizetype dot = LastSingleByte(path, '.', path.size());
    const qsizetype cut = dot > sep ? dot : path.size();
    return path.first(cut).toByteArray() + ext.toByteArray();
}

QString ExtractFilePath(const QString &path)
{
    return QFile::decodeName(ExtractFilePath(QByteArrayView(QFile::encodeName(path))));
}

QString ExtractFileName(const QString &path)
{
    return QFile::decodeName(ExtractFileName(QByteArrayView(QFile::encodeName(path))));
}

QString ChangeFileExt(const QString &path, const QString &ext)
{
    return QFile::decodeName(
        ChangeFileExt(QByteArrayView(QFile::encodeName(path)), QByteArrayView(QFile::encodeName(ext))));
}

bool IsMissingOutputName(QByteArrayView name)
{
    return name.isEmpty() || name.endsWith('/');
}
