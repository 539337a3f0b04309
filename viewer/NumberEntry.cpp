#include "NumberEntry.h"

#include <limits>

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
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > std::numeric_limits<int>::max())
            return std::nullopt;
    }
    return int(value);
}

std::optional<int> NumberInRange(QByteArrayView text, int low, int high)
{
    const std::optional<int> value = ParseNumberEntry(text);
    if (!value || *value < low || *value > high)
        return std::nullopt;
    return value;
}
