// The viewer dialogs' number entry on arbitrary text: a number is accepted exactly when a reading
// digit by digit of the entry rules accepts it, with the same value, and a range takes it exactly
// when the value lies inside.
#include "fuzz/FuzzSupport.h"
#include "viewer/rules/NumberEntry.h"

#include <climits>
#include <optional>

namespace {

// The digit's value (either case for the letters), or -1 for a byte that is no digit of base.
int DigitValue(char c, int base)
{
    static const char lower[] = "0123456789abcdef";
    static const char upper[] = "0123456789ABCDEF";
    for (int d = 0; d < base; ++d)
        if (c == lower[d] || c == upper[d])
            return d;
    return -1;
}

// No "-" anywhere; blanks; an optional "+"; decimal digits, or "$" and hexadecimal digits; at
// least one digit and nothing after them; at most the largest 32-bit signed value.
std::optional<int> ExpectedNumber(QByteArrayView text)
{
    for (const char c : text)
        if (c == '-')
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
    quint64 value = 0;
    bool tooBig = false;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0)
            return std::nullopt;
        if (!tooBig) {
            value = value * quint64(base) + quint64(digit);
            tooBig = value > quint64(INT_MAX);
        }
    }
    if (tooBig)
        return std::nullopt;
    return int(value);
}

void CheckRange(QByteArrayView text, std::optional<int> expected, int low, int high)
{
    const bool inside = expected && *expected >= low && *expected <= high;
    const std::optional<int> got = NumberInRange(text, low, high);
    FUZZ_CHECK(got.has_value() == inside);
    if (inside)
        FUZZ_CHECK(*got == *expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    const uint8_t mode = in.Byte();
    const int low = int(in.U32());
    const int high = int(in.U32());
    QByteArray text = in.Rest().toByteArray();
    // Now and then only the bytes the rule looks at, so that most inputs come close to a number.
    if (mode & 1) {
        static const char alphabet[] = " +-$0123456789aAfFgx\t";
        for (char &c : text)
            c = alphabet[uint8_t(c) % (sizeof alphabet - 1)];
    }

    const std::optional<int> expected = ExpectedNumber(text);
    FUZZ_CHECK(ParseNumberEntry(text) == expected);

    CheckRange(text, expected, 1, JumpLineMax);
    CheckRange(text, expected, WrapByteMin, WrapByteMax);
    CheckRange(text, expected, 0, LineScrollMax);
    CheckRange(text, expected, low, high);
    return 0;
}
