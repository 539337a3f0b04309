// The settings value parsers on arbitrary text: integers are accepted exactly when they are
// well formed and in range, and colours and integers survive a round trip through their text.
#include "fuzz/FuzzSupport.h"
#include "app/rules/TextValues.h"

#include <charconv>
#include <climits>
#include <optional>

namespace {

// Sign, then decimal digits or "$" and hexadecimal digits (of at most 32 bits).
std::optional<int> ExpectedInt(QByteArrayView text)
{
    bool negative = false;
    if (!text.isEmpty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text = text.sliced(1);
    }
    int base = 10;
    if (!text.isEmpty() && text[0] == '$') {
        base = 16;
        text = text.sliced(1);
    }
    if (text.isEmpty())
        return std::nullopt;
    for (const char c : text) {
        const bool digit = c >= '0' && c <= '9';
        const bool hex = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!digit && !(base == 16 && hex))
            return std::nullopt;
    }
    quint64 value = 0;
    const auto [end, error] = std::from_chars(text.begin(), text.end(), value, base);
    if (error != std::errc() || end != text.end())
        return std::nullopt;
    const quint64 limit = base == 16 ? 0xFFFFFFFFull : quint64(INT_MAX) + (negative ? 1 : 0);
    if (value > limit)
        return std::nullopt;
    const quint32 bits = quint32(value);
    return int(negative ? 0u - bits : bits);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    const int number = int(in.U32());
    const TColor color = TColor(in.U32());
    const QByteArrayView text = in.Rest();

    FUZZ_CHECK(StrToInt(IntToStr(number)) == number);
    FUZZ_CHECK(StringToColor(ColorToString(color)) == color);

    const std::optional<int> parsed = StrToInt(text);
    FUZZ_CHECK(parsed == ExpectedInt(text));

    // The boolean reader also takes "0x" for "$" after the sign.
    const qsizetype sign = !text.isEmpty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    const QByteArrayView rest = text.sliced(sign);
    if (rest.size() > 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
        const QByteArray dollar = text.first(sign).toByteArray() + '$' + rest.sliced(2).toByteArray();
        FUZZ_CHECK(StrToIntBool(text) == StrToInt(dollar));
    } else {
        FUZZ_CHECK(StrToIntBool(text) == parsed);
    }

    if (const std::optional<TColor> c = StringToColor(text)) {
        const QByteArray name = ColorToString(*c);
        FUZZ_CHECK(StringToColor(name) == *c);
        FUZZ_CHECK(name.startsWith("cl") || (name.size() == 9 && name[0] == '$'));
    }
    return 0;
}
