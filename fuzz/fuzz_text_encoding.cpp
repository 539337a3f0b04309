// The encodings' byte rules on arbitrary bytes. In every encoding: the walk covers the text
// exactly, every boundary rule agrees with it, cells are 1 or 2, the wrap never splits a
// character, decoding gives one code point a character. UTF-8 and EUC-JP are checked against
// reference decoders written from the other side (code point values and code set ranges) and
// against Qt's own converters; valid text survives decoding and encoding again.
#include "fuzz/FuzzSupport.h"
#include "lines/TextEncoding.h"

#include <QStringDecoder>

#include <vector>

namespace {

constexpr TextEncoding Encodings[] = {TextEncoding::ShiftJis, TextEncoding::Utf8, TextEncoding::EucJp,
                                      TextEncoding::Utf16Le, TextEncoding::Utf16Be};

// UTF-8 from the value's side: the length by the lead's bit pattern, the value put together, then
// refused when overlong, a surrogate or beyond U+10FFFF. 0 when no character starts at p.
int ReferenceUtf8(const uint8_t *p, qsizetype n, char32_t *value)
{
    static constexpr char32_t Smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    int length;
    char32_t v;
    if (p[0] < 0x80) {
        *value = p[0];
        return 1;
    }
    if ((p[0] & 0xE0) == 0xC0) {
        length = 2;
        v = p[0] & 0x1F;
    } else if ((p[0] & 0xF0) == 0xE0) {
        length = 3;
        v = p[0] & 0x0F;
    } else if ((p[0] & 0xF8) == 0xF0) {
        length = 4;
        v = p[0] & 0x07;
    } else {
        return 0;
    }
    if (n < length)
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0;
        v = v << 6 | (p[k] & 0x3F);
    }
    if (v < Smallest[length] || (v >= 0xD800 && v <= 0xDFFF) || v > 0x10FFFF)
        return 0;
    *value = v;
    return length;
}

// EUC-JP by its code sets: G0 ASCII, G1 two GR bytes, G2 (SS2) one katakana byte, G3 (SS3) two
// GR bytes. 0 when no character starts at p.
int ReferenceEucJp(const uint8_t *p, qsizetype n)
{
    auto gr = [](uint8_t b) { return b >= 0xA1 && b <= 0xFE; };
    switch (p[0]) {
    case 0x8E: return n >= 2 && p[1] >= 0xA1 && p[1] <= 0xDF ? 2 : 0;
    case 0x8F: return n >= 3 && gr(p[1]) && gr(p[2]) ? 3 : 0;
    default:
        if (p[0] < 0x80)
            return 1;
        return gr(p[0]) && n >= 2 && gr(p[1]) ? 2 : 0;
    }
}

QString Decoded(QStringDecoder &&decoder, QByteArrayView bytes) { return decoder.decode(bytes); }

struct Char {
    qsizetype start;
    qsizetype length;
};

std::vector<Char> Walk(TextEncoding e, QByteArrayView text)
{
    std::vector<Char> chars;
    ForEachChar(e, text, [&](qsizetype i, qsizetype n) {
        chars.push_back({i, n});
        return true;
    });
    return chars;
}

// The rules every encoding shares; returns whether every character is valid.
bool CheckCommonRules(TextEncoding e, QByteArrayView text, const std::vector<Char> &chars, qsizetype width,
                      qsizetype back)
{
    const qsizetype size = text.size();
    std::vector<qsizetype> startOf(size_t(size) + 1, size);
    std::vector<size_t> indexOf(size_t(size) + 1, chars.size());
    qsizetype covered = 0, cells = 0;
    for (size_t k = 0; k < chars.size(); ++k) {
        const Char &c = chars[k];
        FUZZ_CHECK(c.start == covered && c.length >= 1 && c.length <= 4);
        FUZZ_CHECK(CharLength(e, text, c.start) == c.length);
        for (qsizetype j = 0; j < c.length; ++j) {
            startOf[size_t(c.start + j)] = c.start;
            indexOf[size_t(c.start + j)] = k;
        }
        covered += c.length;
        const int cc = CharCells(e, text, c.start);
        FUZZ_CHECK(cc == 1 || cc == 2);
        if (e == TextEncoding::ShiftJis)
            FUZZ_CHECK(cc == c.length);
        cells += cc;
        // Each character decodes by itself to one code point (Shift-JIS: one or two, an unmapped
        // pair keeping its second byte). The first few dozen are enough to find a rule's fault.
        if (k >= 64)
            continue;
        const QList<uint> one = DecodeText(e, text.sliced(c.start, c.length)).toUcs4();
        if (e == TextEncoding::ShiftJis)
            FUZZ_CHECK(one.size() == 1 || (one.size() == 2 && c.length == 2 && one[0] == 0xFFFD));
        else
            FUZZ_CHECK(one.size() == 1);
        const bool replaced = one[0] == 0xFFFD && text.sliced(c.start, c.length) != QByteArrayView("\xEF\xBF\xBD");
        if (replaced && e != TextEncoding::ShiftJis && e != TextEncoding::EucJp)
            FUZZ_CHECK(c.length == 1 || (c.length == 2 && IsUtf16(e)));  // invalid bytes stand alone
    }
    FUZZ_CHECK(covered == size);
    FUZZ_CHECK(CellCount(e, text) == cells);
    // The quick bound: never fewer cells than there are, whether the bytes after a prefix can be
    // read or not.
    FUZZ_CHECK(CellBound(e, text) >= cells && CellBound(e, text) <= size);
    for (qsizetype n = size - 1; n >= 0 && n >= size - 70; --n) {
        const QByteArrayView prefix = text.first(n);
        const qsizetype bound = CellBound(e, prefix);
        FUZZ_CHECK(bound >= CellCount(e, prefix) && bound == CellBound(e, prefix, size - n));
    }

    // Boundaries from the text's start and from a boundary a few characters back.
    for (qsizetype i = 0; i < size; ++i) {
        FUZZ_CHECK(CharStart(e, text, i) == startOf[size_t(i)]);
        const size_t k = indexOf[size_t(i)];
        const qsizetype known = chars[k >= size_t(back) ? k - size_t(back) : 0].start;
        FUZZ_CHECK(CharStart(e, text, i, known) == startOf[size_t(i)]);
        FUZZ_CHECK(IsCharBoundary(e, text, i, known) == (startOf[size_t(i)] == i));
    }
    const QByteArrayView cut = CutAtCharBoundary(e, text, width);
    FUZZ_CHECK(cut.size() <= width && (cut.size() == size || startOf[size_t(cut.size())] == cut.size()));
    FUZZ_CHECK(cut.size() == size || startOf[size_t(width)] == cut.size());

    // The wrap: rows cover the text, end on boundaries, fit the width unless one character is
    // wider, and leave out no character that would have fitted.
    for (qsizetype start = 0; start < size;) {
        const qsizetype n = FitBytes(e, text, start, width);
        FUZZ_CHECK(n >= 1 && start + n <= size && startOf[size_t(start + n)] == start + n);
        const qsizetype rowCells = CellCount(e, text.sliced(start, n));
        FUZZ_CHECK(rowCells <= width || n == CharLength(e, text, start));
        if (start + n < size)
            FUZZ_CHECK(rowCells + CharCells(e, text, start + n) > width);
        start += n;
    }

    const QString decoded = DecodeText(e, text);
    if (e != TextEncoding::ShiftJis)
        FUZZ_CHECK(decoded.toUcs4().size() == qsizetype(chars.size()));
    // Valid when nothing was replaced (a text holding U+FFFD itself counts as invalid: it only
    // skips the round trips).
    return !decoded.contains(QChar(0xFFFD));
}

void CheckUtf8(QByteArrayView text, const std::vector<Char> &chars, bool allValid)
{
    const auto *p = reinterpret_cast<const uint8_t *>(text.data());
    for (const Char &c : chars) {
        if (c.start > 1000)
            break;
        char32_t value = 0;
        const int length = ReferenceUtf8(p + c.start, text.size() - c.start, &value);
        FUZZ_CHECK(c.length == (length > 0 ? length : 1));
        if (length > 0) {
            FUZZ_CHECK(DecodeText(TextEncoding::Utf8, text.sliced(c.start, c.length)).toUcs4() == QList<uint>{value});
            FUZZ_CHECK(CharCells(TextEncoding::Utf8, text, c.start) == (IsWideCodePoint(value) ? 2 : 1));
        }
    }
    // Qt's decoder gives one replacement for each invalid byte too.
    const QString decoded = DecodeText(TextEncoding::Utf8, text);
    constexpr auto flags = QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;
    FUZZ_CHECK(decoded == Decoded(QStringDecoder(QStringConverter::Utf8, flags), text));
    if (allValid)
        FUZZ_CHECK(EncodeText(TextEncoding::Utf8, decoded) == std::optional<QByteArray>(text.toByteArray()));

    // Detection by a prefix: valid UTF-8 cut anywhere is UTF-8 as soon as the whole characters
    // before the cut hold a multi-byte one. Cuts near the first such character, and a few more.
    if (allValid) {
        qsizetype firstMultiByte = 0;
        while (firstMultiByte < text.size() && p[firstMultiByte] < 0x80)
            ++firstMultiByte;
        const qsizetype step = 1 + text.size() / 16;
        for (qsizetype cut = 0; cut <= text.size(); cut += cut + 1 >= firstMultiByte && cut < firstMultiByte + 5 ? 1 : step) {
            const qsizetype whole = cut == text.size() ? cut : CharStart(TextEncoding::Utf8, text, cut);
            const TextEncoding found = DetectEncoding(text.first(cut), false);
            FUZZ_CHECK((found == TextEncoding::Utf8) == (firstMultiByte < whole));
        }
    }
}

void CheckEucJp(QByteArrayView text, const std::vector<Char> &chars, bool allValid)
{
    const auto *p = reinterpret_cast<const uint8_t *>(text.data());
    QStringDecoder icu("EUC-JP", QStringConverter::Flag::Stateless);
    for (const Char &c : chars) {
        if (c.start > 1000)
            break;
        const int length = ReferenceEucJp(p + c.start, text.size() - c.start);
        FUZZ_CHECK(c.length == (length > 0 ? length : 1));
        // A character of two or three bytes is one character for ICU too: mapped alike, or
        // unmapped (ICU gives U+FFFD, U+001A or nothing).
        if (length >= 2) {
            const QByteArrayView bytes = text.sliced(c.start, c.length);
            const QString mine = DecodeText(TextEncoding::EucJp, bytes);
            const QString theirs = icu.decode(bytes);
            if (mine == QStringView(u"\uFFFD"))
                FUZZ_CHECK(theirs.isEmpty() || theirs == QStringView(u"\uFFFD") || theirs == QStringView(u"\u001A"));
            else
                FUZZ_CHECK(mine == theirs);
        }
    }
    if (allValid) {
        const QString decoded = DecodeText(TextEncoding::EucJp, text);
        FUZZ_CHECK(decoded == icu.decode(text));
        const std::optional<QByteArray> again = EncodeText(TextEncoding::EucJp, decoded);
        FUZZ_CHECK(again && DecodeText(TextEncoding::EucJp, *again) == decoded);
    }
}

void CheckUtf16(TextEncoding e, QByteArrayView text, bool allValid)
{
    const bool bigEndian = e == TextEncoding::Utf16Be;
    if (allValid)
        FUZZ_CHECK(EncodeText(e, DecodeText(e, text)) == std::optional<QByteArray>(text.toByteArray()));
    // Line breaks against the units read one by one.
    std::vector<int> units;
    for (qsizetype i = 0; i + 1 < text.size(); i += 2) {
        const uint8_t first = uint8_t(text[i]), second = uint8_t(text[i + 1]);
        units.push_back(bigEndian ? first << 8 | second : second << 8 | first);
    }
    std::vector<Utf16LineBreak> expected;
    for (size_t u = 0; u < units.size(); ++u) {
        if (units[u] == '\n') {
            expected.push_back({qsizetype(2 * u), 2});
        } else if (units[u] == '\r') {
            const bool crLf = u + 1 < units.size() && units[u + 1] == '\n';
            expected.push_back({qsizetype(2 * u), crLf ? 4 : 2});
            u += crLf;
        }
    }
    size_t k = 0;
    for (qsizetype from = 0;; ++k) {
        const Utf16LineBreak b = FindUtf16LineBreak(text, from, bigEndian);
        if (b.at < 0)
            break;
        FUZZ_CHECK(k < expected.size() && b.at == expected[k].at && b.length == expected[k].length);
        from = b.at + b.length;
    }
    FUZZ_CHECK(k == expected.size());
}

void CheckShiftJis(QByteArrayView text, bool allValid)
{
    const QString decoded = DecodeText(TextEncoding::ShiftJis, text);
    // The control codes are themselves wherever they stand (they are never second bytes of a
    // mapped pair), whatever ICU's table makes of them.
    for (const char control : {'\x1A', '\x1C', '\x7F'})
        FUZZ_CHECK(decoded.count(QChar(control)) == text.count(control));
    if (allValid) {
        const std::optional<QByteArray> again = EncodeText(TextEncoding::ShiftJis, decoded);
        FUZZ_CHECK(again && DecodeText(TextEncoding::ShiftJis, *again) == decoded);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    const qsizetype width = 1 + in.Byte() % 24;
    const qsizetype back = in.Byte() % 4;
    const QByteArrayView text = in.Rest();

    for (const TextEncoding e : Encodings) {
        const std::vector<Char> chars = Walk(e, text);
        const bool allValid = CheckCommonRules(e, text, chars, width, back);
        if (e == TextEncoding::Utf8)
            CheckUtf8(text, chars, allValid);
        else if (e == TextEncoding::EucJp)
            CheckEucJp(text, chars, allValid);
        else if (IsUtf16(e))
            CheckUtf16(e, text, allValid);
        else
            CheckShiftJis(text, allValid);
    }
    DetectEncoding(text, true);
    DetectEncoding(text, false);
    return 0;
}
