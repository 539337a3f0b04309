#include "viewer/rules/NumberEntry.h"

#include <limits>

#include "lines/NumberText.h"

std::optional<int> ParseNumberEntry(QByteArrayView text)
{
    if (text.contains('-'))
        return std::nullopt;
    qsizetype i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i < text.size() && text[i] == '+')
        ++i;
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    }
    const std::optional<qint64> value = ParseDigits(text.sliced(i), base, std::numeric_limits<int>::max());
    if (!value)
        return std::nullopt;
    return int(*value);
}

std::optional<int> NumberInRange(QByteArrayView text, int low, int high)
{
    const std::optional<int> value = ParseNumberEntry(text);
    if (!value || *value < low || *value > high)
        return std::nullopt;
    return value;
}
