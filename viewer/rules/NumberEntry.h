#pragma once
// The numbers typed into the viewer's dialogs (jump line, wrap byte count, scroll rows).
#include <QByteArrayView>

#include <optional>

// The strict integer conversion: leading blanks, an optional "+", then decimal digits or "$"
// and hexadecimal digits, nothing after them. A text holding "-" anywhere is refused, and so is
// a value beyond 32 signed bits.
std::optional<int> ParseNumberEntry(QByteArrayView text);

// The converted text when it lies within low..high; nothing otherwise.
std::optional<int> NumberInRange(QByteArrayView text, int low, int high);

// The ranges the dialogs accept.
constexpr int JumpLineMax = 999999;
constexpr int WrapByteMin = 1, WrapByteMax = 255;
constexpr int LineScrollMax = 16;
