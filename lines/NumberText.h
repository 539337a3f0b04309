#pragma once
// The digit run every number reader of the program shares.
#include <QByteArrayView>
#include <QtGlobal>

#include <optional>

// The value of `digits`, decimal (base 10) or hexadecimal of either case (base 16): nothing
// when the text is empty, holds any other character, or its value exceeds `limit`.
std::optional<qint64> ParseDigits(QByteArrayView digits, int base, qint64 limit);
