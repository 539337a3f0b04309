#pragma once
// The encodings a view can show a file in, and the byte rules of each: where a character starts
// and ends, how many cells it takes, how bytes become text and text becomes bytes. Files stay
// bytes; these rules only walk, measure and decode them. Shift-JIS keeps the rules of
// lines/ShiftJis.h byte for byte.
//
// A character is what the encoding's byte structure makes of the bytes. An invalid byte is a
// character of its own (for UTF-16 an invalid 16-bit unit, or a last odd byte), one cell wide,
// shown as one U+FFFD, never merged with its neighbours; a sequence cut short by the end of the
// text is such invalid bytes too. A well-formed EUC-JP character that the code page does not map
// stays one character, shown as one U+FFFD in one cell. Every character takes one cell, or two
// when it is East Asian wide or full-width (ambiguous ones such as Greek take one; combining and
// zero-width characters take one too, so that every character has a cell of its own for the
// caret); a Shift-JIS character takes as many cells as it has bytes.
//
// Positions are byte offsets into the text handed in. The walks are linear and allocate nothing
// per character: they run over whole files.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>


#include "lines/ShiftJis.h"

enum class TextEncoding { ShiftJis, Utf8, EucJp, Utf16Le, Utf16Be };

constexpr bool IsUtf16(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
}

// The menu of encodings a viewer offers, in order; the first entry, without an encoding, lets
// the view decide by DetectEncoding.
struct EncodingMenuEntry {
    const char16_t *caption;
    std::optional<TextEncoding> encoding;
};
inline constexpr EncodingMenuEntry EncodingMenu[] = {
    {u"自動判定", std::nullopt},
    {u"Shift_JIS", TextEncoding::ShiftJis},
    {u"UTF-8", TextEncoding::Utf8},
    {u"EUC-JP", TextEncoding::EucJp},
    {u"UTF-16LE", TextEncoding::Utf16Le},
    {u"UTF-16BE", TextEncoding::Utf16Be},
};

// How much of a file's start DetectEncoding is meant to see: enough text to judge by, and a
// bounded cost for a file of any size.
inline constexpr qsizetype EncodingProbeBytes = 1024 * 1024;

// The encoding of a file judged by the start of it: a UTF-8 byte-order mark, or valid UTF-8
// holding at least one multi-byte sequence, is UTF-8; a UTF-16 byte-order mark is UTF-16 of
// that byte order; valid EUC-JP that is not valid Shift-JIS (every character mapped by the code
// page) is EUC-JP; anything else is Shift-JIS. When the prefix is not the whole file, a
// character cut by the prefix's end does not make it invalid.
TextEncoding DetectEncoding(QByteArrayView prefix, bool prefixIsWholeFile);

// Bytes of the encoding's byte-order mark at the start of text (3 for UTF-8, 2 for UTF-16), or 0.
qsizetype ByteOrderMarkLength(TextEncoding encoding, QByteArrayView text);

namespace text_encoding_detail {
using Byte = unsigned char;

constexpr bool InRange(Byte b, Byte lo, Byte hi) { return Byte(b - lo) <= Byte(hi - lo); }

// The scans below look at the character starting at p with n >= 1 bytes available. They return
// its length when it is well formed, 0 when it is not, and -1 when the n bytes are a well-formed
// start of a longer character that the end cut short.

// UTF-8 as the standard's table of well-formed sequences: no overlong forms, no surrogates,
// nothing beyond U+10FFFF.
constexpr int ScanUtf8(const Byte *p, qsizetype n)
{
    const Byte b = p[0];
    if (b < 0x80)
        return 1;
    int length;
    Byte lo = 0x80, hi = 0xBF;  // the second byte's range
    if (b < 0xC2)
        return 0;
    if (b < 0xE0) {
        length = 2;
    } else if (b < 0xF0) {
        length = 3;
        if (b == 0xE0)
            lo = 0xA0;
        else if (b == 0xED)
            hi = 0x9F;
    } else if (b < 0xF5) {
        length = 4;
        if (b == 0xF0)
            lo = 0x90;
        else if (b == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    if (n < 2)
        return -1;
    if (!InRange(p[1], lo, hi))
        return 0;
    for (int k = 2; k < length; ++k) {
        if (k >= n)
            return -1;
        if (!InRange(p[k], 0x80, 0xBF))
            return 0;
    }
    return length;
}

constexpr bool IsEucJpByte(Byte b) { return InRange(b, 0xA1, 0xFE); }

// EUC-JP: ASCII, JIS X 0208 (A1-FE A1-FE), half-width katakana (8E A1-DF) and JIS X 0212
// (8F A1-FE A1-FE). Whether the code page maps the character is not the scan's business.
constexpr int ScanEucJp(const Byte *p, qsizetype n)
{
    const Byte b = p[0];
    if (b < 0x80)
        return 1;
    if (b == 0x8E) {
        if (n < 2)
            return -1;
        return InRange(p[1], 0xA1, 0xDF) ? 2 : 0;
    }
    const int length = b == 0x8F ? 3 : IsEucJpByte(b) ? 2 : 0;
    for (int k = 1; k < length; ++k) {
        if (k >= n)
            return -1;
        if (!IsEucJpByte(p[k]))
            return 0;
    }
    return length;
}

template <bool BigEndian>
constexpr char16_t Utf16Unit(const Byte *p)
{
    return BigEndian ? char16_t(p[0] << 8 | p[1]) : char16_t(p[1] << 8 | p[0]);
}

// UTF-16: a unit that is no surrogate, or a high surrogate followed by a low one.
template <bool BigEndian>
constexpr int ScanUtf16(const Byte *p, qsizetype n)
{
    if (n < 2)
        return -1;
    const char16_t u = Utf16Unit<BigEndian>(p);
    if (u < 0xD800 || u > 0xDFFF)
        return 2;
    if (u >= 0xDC00)
        return 0;
    if (n < 4)
        return -1;
    const char16_t low = Utf16Unit<BigEndian>(p + 2);
    return low >= 0xDC00 && low <= 0xDFFF ? 4 : 0;
}

template <TextEncoding E>
constexpr qsizetype LengthAt(const Byte *p, qsizetype n)
{
    if constexpr (E == TextEncoding::ShiftJis) {
        return ::CharLength(QByteArrayView(p, n), 0);
    } else if constexpr (E == TextEncoding::Utf8) {
        const int length = ScanUtf8(p, n);
        return length > 0 ? length : 1;
    } else if constexpr (E == TextEncoding::EucJp) {
        const int length = ScanEucJp(p, n);
        return length > 0 ? length : 1;
    } else {
        const int length = ScanUtf16<E == TextEncoding::Utf16Be>(p, n);
        return length > 0 ? length : n < 2 ? 1 : 2;  // an invalid unit, or a last odd byte
    }
}

template <TextEncoding E, typename Visit>
inline void ForEachCharOf(QByteArrayView text, Visit &&visit)
{
    if constexpr (E == TextEncoding::ShiftJis) {
        ::ForEachChar(text, visit);
    } else {
        const auto *p = reinterpret_cast<const Byte *>(text.data());
        const qsizetype size = text.size();
        for (qsizetype i = 0; i < size;) {
            const qsizetype n = LengthAt<E>(p + i, size - i);
            if (!visit(i, n))
                return;
            i += n;
        }
    }
}
}  // namespace text_encoding_detail

// Bytes of the character starting at i (0 <= i < text.size(), i on a character boundary).
// For Shift-JIS the same as CharLength(text, i).
inline qsizetype CharLength(TextEncoding encoding, QByteArrayView text, qsizetype i)
{
    using namespace text_encoding_detail;
    const auto *p = reinterpret_cast<const Byte *>(text.data()) + i;
    const qsizetype n = text.size() - i;
    switch (encoding) {
    case TextEncoding::ShiftJis: return LengthAt<TextEncoding::ShiftJis>(p, n);
    case TextEncoding::Utf8: return LengthAt<TextEncoding::Utf8>(p, n);
    case TextEncoding::EucJp: return LengthAt<TextEncoding::EucJp>(p, n);
    case TextEncoding::Utf16Le: return LengthAt<TextEncoding::Utf16Le>(p, n);
    case TextEncoding::Utf16Be: return LengthAt<TextEncoding::Utf16Be>(p, n);
    }
    return 1;
}

// The walk over a text's characters: calls visit(index, length) for each from the start, in
// order; visit returns false to stop the walk.
template <typename Visit>
inline void ForEachChar(TextEncoding encoding, QByteArrayView text, Visit &&visit)
{
    using namespace text_encoding_detail;
    switch (encoding) {
    case TextEncoding::ShiftJis: return ForEachCharOf<TextEncoding::ShiftJis>(text, visit);
    case TextEncoding::Utf8: return ForEachCharOf<TextEncoding::Utf8>(text, visit);
    case TextEncoding::EucJp: return ForEachCharOf<TextEncoding::EucJp>(text, visit);
    case TextEncoding::Utf16Le: return ForEachCharOf<TextEncoding::Utf16Le>(text, visit);
    case TextEncoding::Utf16Be: return ForEachCharOf<TextEncoding::Utf16Be>(text, visit);
    }
}

// Cells of the character starting at i (1 or 2).
int CharCells(TextEncoding encoding, QByteArrayView text, qsizetype i);
// Cells of a whole text (its byte count for Shift-JIS).
qsizetype CellCount(TextEncoding encoding, QByteArrayView text);
// At least CellCount, found without decoding (a quick test whether a line fits a row): never
// more than the byte count, and for UTF-8 one cell less for every two- and three-byte character
// and two less for every four-byte one that is well formed whatever surrounds it. Exact for text
// of ASCII and wide three-byte characters.
// `readableAfter` bytes after the text may be read (never counted): a caller inside a larger
// buffer spares the copy of the last bytes.
qsizetype CellBound(TextEncoding encoding, QByteArrayView text, qsizetype readableAfter = 0);
// The start of the character that holds byte i (0 <= i < text.size()). knownStart <= i must be
// a character boundary; only the bytes from there on are read, so a caller that knows a nearer
// boundary (a row's start, the last match) pays for less.
qsizetype CharStart(TextEncoding encoding, QByteArrayView text, qsizetype i, qsizetype knownStart = 0);
// Whether a character starts at i (the text's end counts as a boundary).
bool IsCharBoundary(TextEncoding encoding, QByteArrayView text, qsizetype i, qsizetype knownStart = 0);
// The longest prefix of at most maxBytes that does not end inside a character.
QByteArrayView CutAtCharBoundary(TextEncoding encoding, QByteArrayView text, qsizetype maxBytes);
// The wrap rule: bytes of the row that starts at `start` (a character boundary) and holds at
// most `cells` cells. A character never splits: one wider than the cells left goes to the next
// row, but a row holds at least one character. 0 only at the text's end.
qsizetype FitBytes(TextEncoding encoding, QByteArrayView text, qsizetype start, qsizetype cells);

// Whether a code point takes two cells (East Asian width W or F).
bool IsWideCodePoint(char32_t codePoint);

// The text of bytes that start on a character boundary, for showing and copying: each
// character becomes its code point (U+FEFF included, so a byte-order mark stays visible to the
// caller), each invalid byte or unit one U+FFFD. A Shift-JIS character the code page does not
// map becomes U+FFFD for its first byte and its second byte as a character of its own, so
// nothing after it is lost.
QString DecodeText(TextEncoding encoding, QByteArrayView bytes);
// The bytes of a text in the encoding (a search's pattern), without a byte-order mark; none when
// the encoding cannot hold every character of it.
std::optional<QByteArray> EncodeText(TextEncoding encoding, QStringView text);

// Whether two texts of the same length are the same characters when ASCII letters are compared
// without case: a-z and A-Z fold only where they are characters of their own (never a byte of a
// longer character, nor half of a UTF-16 unit). a starts on a character boundary.
bool EqualIgnoringAsciiCase(TextEncoding encoding, QByteArrayView a, QByteArrayView b);

// A line break of UTF-16 text: CR LF, a CR or an LF as 16-bit units. at is the byte offset of its
// first unit (-1: none), length its bytes (2 or 4).
struct Utf16LineBreak {
    qsizetype at = -1;
    qsizetype length = 0;
};
// The first line break at or after `from`, both the text's start and `from` on a unit boundary,
// in UTF-16 of the byte order asked for. A CR that is the text's last unit is a break of its
// own: a loader that reads in pieces keeps it back until it knows the unit after it.
Utf16LineBreak FindUtf16LineBreak(QByteArrayView text, qsizetype from, bool bigEndian);
