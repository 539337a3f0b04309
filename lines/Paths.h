#pragma once
// Path helpers over the platform's separator "/". They walk the bytes of the encoded name with
// the double-byte rule, so a trail byte is never taken for a separator or a dot.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Up to and including the last "/"; empty when there is none.
QByteArray ExtractFilePath(QByteArrayView path);
// After the last "/".
QByteArray ExtractFileName(QByteArrayView path);
// Replaces the part from the last "." after the last "/" by ext (which brings its own "."),
// or appends ext when there is no such ".".
QByteArray ChangeFileExt(QByteArrayView path, QByteArrayView ext);

// The same on file names as Qt holds them (encoded with the platform's file-name encoding).
QString ExtractFilePath(const QString &path);
QString ExtractFileName(const QString &path);
QString ChangeFileExt(const QString &path, const QString &ext);

// The output-name test of the joining job: empty, or ending in the folder separator.
bool IsMissingOutputName(QByteArrayView name);
