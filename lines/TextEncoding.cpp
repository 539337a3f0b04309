#include "lines/TextEncoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <bitset>
#include <cstring>
#include <iterator>

#include "lines/EastAsianWidthTable.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif


using namespace text_encoding_detail;

namespace {

constexpr char EucJpCodecName[] = "EUC-JP";
constexpr char16_t Replacement = 0xFFFD;

// ICU's windows-31j follows IBM's table, which swaps the control codes 1A, 1C and 7F; the code
// page maps them to themselves, and so does copied or searched text here (a file's closing
// Ctrl-Z is U+001A).
constexpr bool IsSwappedControl(char16_t c) { return c == 0x1A || c == 0x1C || c == 0x7F; }

// Two-cell code points of the basic plane as a bitmap, so that the common case is one load.
struct BasicPlaneWide {
    quint64 words[0x10000 / 64] = {};
    constexpr BasicPlaneWide()
    {
        for (const WideRange &r : WideRanges) {
            for (char32_t c = r.first; c <= r.last && c < 0x10000; ++c)
                words[c >> 6] |= quint64(1) << (c & 63);
        }
    }
};
constexpr BasicPlaneWide BasicWide;

// The first code point of the table: everything below takes one cell.
constexpr char32_t FirstWide = WideRanges[0].first;

// What the code pages map, read once from the codecs themselves (no hand-made tables): the
// Shift-JIS bytes and pairs that decode to a character, and the cells of every EUC-JP
// character (0 where the code page maps none).
struct CodePageTables {
    std::bitset<256> cp932Single;
    std::bitset<65536> cp932Pair;  // lead << 8 | trail
    quint8 jis0208[94 * 94] = {};  // EUC-JP A1-FE A1-FE
    quint8 jis0212[94 * 94] = {};  // EUC-JP 8F A1-FE A1-FE
    quint8 kana[63] = {};          // EUC-JP 8E A1-DF
};

// The code point a codec makes of one character's bytes; 0 when it maps them to nothing (ICU
// gives U+FFFD for an unmapped character and U+001A for an illegal byte).
char32_t DecodeOne(QStringDecoder &decoder, QByteArrayView bytes)
{
    const QString s = decoder.decode(bytes);
    if (s.size() == 2 && s[0].isHighSurrogate() && s[1].isLowSurrogate())
        return QChar::surrogateToUcs4(s[0], s[1]);
    if (s.size() != 1 || s[0] == QChar(Replacement) || s[0] == QChar(0x1A))
        return 0;
    return s[0].unicode();
}

quint8 CellsOf(char32_t codePoint) { return codePoint == 0 ? 0 : IsWideCodePoint(codePoint) ? 2 : 1; }

CodePageTables MakeTables()
{
    CodePageTables t;
    QStringDecoder cp932 = Cp932Decoder();
    for (int b = 0; b < 256; ++b) {
        const char c = char(b);
        t.cp932Single[size_t(b)] = b < 0x80 || DecodeOne(cp932, QByteArrayView(&c, 1)) != 0;
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLeadByte(Byte(lead)))
            continue;
        for (int trail = 0; trail < 256; ++trail) {
            if (!IsTrailByte(Byte(trail)))
                continue;
            const char pair[2] = {char(lead), char(trail)};
            t.cp932Pair[size_t(lead << 8 | trail)] = DecodeOne(cp932, QByteArrayView(pair, 2)) != 0;
        }
    }
    QStringDecoder euc(EucJpCodecName, QStringConverter::Flag::Stateless);
    for (int a = 0; a < 94; ++a) {
        for (int b = 0; b < 94; ++b) {
            const char bytes[3] = {char(0x8F), char(0xA1 + a), char(0xA1 + b)};
            t.jis0208[a * 94 + b] = CellsOf(DecodeOne(euc, QByteArrayView(bytes + 1, 2)));
            t.jis0212[a * 94 + b] = CellsOf(DecodeOne(euc, QByteArrayView(bytes, 3)));
        }
    }
    for (int b = 0; b < 63; ++b) {
        const char bytes[2] = {char(0x8E), char(0xA1 + b)};
        t.kana[b] = CellsOf(DecodeOne(euc, QByteArrayView(bytes, 2)));
    }
    return t;
}

const CodePageTables &Tables()
{
    static const CodePageTables tables = MakeTables();
    return tables;
}

// Eight bytes at p are all ASCII: the walks skip plain text a word at a time.
inline bool AsciiWord(const Byte *p)
{
    quint64 w;
    std::memcpy(&w, p, sizeof w);
    return (w & 0x8080808080808080ull) == 0;
}

constexpr char32_t Utf8CodePoint(const Byte *p, int length)
{
    switch (length) {
    case 2: return char32_t(p[0] & 0x1F) << 6 | (p[1] & 0x3F);
    case 3: return char32_t(p[0] & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F);
    case 4:
        return char32_t(p[0] & 0x07) << 18 | char32_t(p[1] & 0x3F) << 12 | char32_t(p[2] & 0x3F) << 6 |
            (p[3] & 0x3F);
    default: return p[0];
    }
}

int Cells(char32_t codePoint) { return IsWideCodePoint(codePoint) ? 2 : 1; }

// One character at p (n >= 1 bytes available): its bytes, its cells, and whether it is valid
// (well formed and, for the code pages, mapped). Invalid characters take one cell.
struct CharFacts {
    qsizetype length;
    int cells;
    bool valid;
};

template <TextEncoding E>
inline CharFacts Inspect(const Byte *p, qsizetype n, const CodePageTables &t)
{
    if constexpr (E == TextEncoding::ShiftJis) {
        const qsizetype length = LengthAt<E>(p, n);
        return {length, int(length), length == 1 ? t.cp932Single[p[0]] : t.cp932Pair[size_t(p[0] << 8 | p[1])]};
    } else if constexpr (E == TextEncoding::Utf8) {
        const int length = ScanUtf8(p, n);
        if (length <= 0)
            return {1, 1, false};
        return {length, length < 3 ? 1 : Cells(Utf8CodePoint(p, length)), true};
    } else if constexpr (E == TextEncoding::EucJp) {
        const int length = ScanEucJp(p, n);
        if (length <= 0)
            return {1, 1, false};
        if (length == 1)
            return {1, 1, true};
        const quint8 cells = length == 3 ? t.jis0212[(p[1] - 0xA1) * 94 + (p[2] - 0xA1)]
            : p[0] == 0x8E               ? t.kana[p[1] - 0xA1]
                                         : t.jis0208[(p[0] - 0xA1) * 94 + (p[1] - 0xA1)];
        return {length, cells ? int(cells) : 1, cells != 0};
    } else {
        constexpr bool BigEndian = E == TextEncoding::Utf16Be;
        const int length = ScanUtf16<BigEndian>(p, n);
        if (length <= 0)
            return {n < 2 ? 1 : 2, 1, false};
        if (length == 2)
            return {2, Cells(Utf16Unit<BigEndian>(p)), true};
        return {4, Cells(QChar::surrogateToUcs4(Utf16Unit<BigEndian>(p), Utf16Unit<BigEndian>(p + 2))), true};
    }
}

// Calls the function's template for the encoding given at run time.
template <template <TextEncoding> class F, typename... Args>
auto Dispatch(TextEncoding encoding, Args &&...args)
{
    switch (encoding) {
    case TextEncoding::Utf8: return F<TextEncoding::Utf8>::Run(args...);
    case TextEncoding::EucJp: return F<TextEncoding::EucJp>::Run(args...);
    case TextEncoding::Utf16Le: return F<TextEncoding::Utf16Le>::Run(args...);
    case TextEncoding::Utf16Be: return F<TextEncoding::Utf16Be>::Run(args...);
    case TextEncoding::ShiftJis: break;
    }
    return F<TextEncoding::ShiftJis>::Run(args...);
}

// ASCII is one byte and one cell in the byte encodings, so runs of it need no inspection.
template <TextEncoding E>
constexpr bool AsciiIsOneByte = E == TextEncoding::Utf8 || E == TextEncoding::EucJp || E == TextEncoding::ShiftJis;

template <TextEncoding E>
struct CellCountOf {
    static qsizetype Run(QByteArrayView text)
    {
        if constexpr (E == TextEncoding::ShiftJis) {
            return text.size();
        } else {
            const CodePageTables &t = Tables();
            const auto *p = reinterpret_cast<const Byte *>(text.data());
            const qsizetype size = text.size();
            qsizetype cells = 0;
            for (qsizetype i = 0; i < size;) {
                if (AsciiIsOneByte<E> && size - i >= 8 && AsciiWord(p + i)) {
                    i += 8;
                    cells += 8;
                    continue;
                }
                const CharFacts c = Inspect<E>(p + i, size - i, t);
                i += c.length;
                cells += c.cells;
            }
            return cells;
        }
    }
};

template <TextEncoding E>
struct FitBytesOf {
    static qsizetype Run(QByteArrayView text, qsizetype start, qsizetype cells)
    {
        const qsizetype size = text.size();
        const auto *p = reinterpret_cast<const Byte *>(text.data());
        if constexpr (E == TextEncoding::ShiftJis) {
            // Cells are bytes: the row ends `cells` bytes on, one byte sooner when that would cut
            // a double-byte character, and never before its first character's end.
            if (cells >= size - start)
                return size - start;
            const qsizetype end = start + cells;
            if (CharStart(E, text, end, start) == end)
                return cells;
            return cells > 1 ? cells - 1 : LengthAt<E>(p + start, size - start);
        } else {
            const CodePageTables &t = Tables();
            qsizetype i = start, used = 0;
            while (i < size && used < cells) {
                if (AsciiIsOneByte<E> && cells - used >= 8 && size - i >= 8 && AsciiWord(p + i)) {
                    i += 8;
                    used += 8;
                    continue;
                }
                const CharFacts c = Inspect<E>(p + i, size - i, t);
                if (used + c.cells > cells && i > start)
                    break;
                i += c.length;
                used += c.cells;
            }
            return i - start;
        }
    }
};

template <TextEncoding E>
struct CharStartOf {
    static qsizetype Run(QByteArrayView text, qsizetype i, qsizetype known)
    {
        const auto *p = reinterpret_cast<const Byte *>(text.data());
        const qsizetype size = text.size();
        if constexpr (E == TextEncoding::ShiftJis) {
            // A byte outside the lead range ends whatever character holds it, so characters start
            // right after it and the lead-range bytes that follow pair up: an odd run of them
            // before i makes i a trail byte.
            qsizetype j = i;
            while (j > known && IsLeadByte(p[j - 1]))
                --j;
            return (i - j) & 1 ? i - 1 : i;
        } else if constexpr (E == TextEncoding::Utf8) {
            // Only a lead byte at most three bytes back can hold a continuation byte.
            if (!InRange(p[i], 0x80, 0xBF))
                return i;
            for (qsizetype j = i - 1; j >= known && j >= i - 3; --j) {
                if (!InRange(p[j], 0x80, 0xBF))
                    return ScanUtf8(p + j, size - j) > i - j ? j : i;
            }
            return i;
        } else if constexpr (E == TextEncoding::EucJp) {
            // Bytes outside A1-FE are never second or third bytes, so each starts a character;
            // after its character the A1-FE bytes pair up.
            if (!IsEucJpByte(p[i]))
                return i;
            qsizetype run = i;
            while (run > known && IsEucJpByte(p[run - 1]))
                --run;
            qsizetype pairsFrom = run;
            if (run > known) {
                const qsizetype lead = run - 1;
                pairsFrom = lead + LengthAt<E>(p + lead, size - lead);
                if (pairsFrom > i)
                    return lead;
            }
            return (i - pairsFrom) & 1 ? i - 1 : i;
        } else {
            constexpr bool BigEndian = E == TextEncoding::Utf16Be;
            const qsizetype unit = i - ((i - known) & 1);
            if (unit + 1 < size && unit - 2 >= known) {
                const char16_t u = Utf16Unit<BigEndian>(p + unit);
                const char16_t before = Utf16Unit<BigEndian>(p + unit - 2);
                if (QChar::isLowSurrogate(u) && QChar::isHighSurrogate(before))
                    return unit - 2;
            }
            return unit;
        }
    }
};

template <TextEncoding E>
struct CharCellsOf {
    static int Run(QByteArrayView text, qsizetype i)
    {
        return Inspect<E>(reinterpret_cast<const Byte *>(text.data()) + i, text.size() - i, Tables()).cells;
    }
};

QStringDecoder DecoderFor(TextEncoding encoding)
{
    constexpr auto flags = QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;
    switch (encoding) {
    case TextEncoding::Utf8: return QStringDecoder(QStringConverter::Utf8, flags);
    case TextEncoding::EucJp: return QStringDecoder(EucJpCodecName, flags);
    case TextEncoding::Utf16Le: return QStringDecoder(QStringConverter::Utf16LE, flags);
    case TextEncoding::Utf16Be: return QStringDecoder(QStringConverter::Utf16BE, flags);
    case TextEncoding::ShiftJis: break;
    }
    return Cp932Decoder();
}

QStringEncoder EncoderFor(TextEncoding encoding)
{
    constexpr auto flags = QStringConverter::Flag::Stateless;
    switch (encoding) {
    case TextEncoding::Utf8: return QStringEncoder(QStringConverter::Utf8, flags);
    case TextEncoding::EucJp: return QStringEncoder(EucJpCodecName, flags);
    case TextEncoding::Utf16Le: return QStringEncoder(QStringConverter::Utf16LE, flags);
    case TextEncoding::Utf16Be: return QStringEncoder(QStringConverter::Utf16BE, flags);
    case TextEncoding::ShiftJis: break;
    }
    return Cp932Encoder();
}

// Qt's converters decode the runs of valid characters; every invalid byte or unit becomes one
// U+FFFD here, since the converters merge some (ICU's EUC-JP and Shift-JIS give U+001A, drop a
// cut character at the end, take C1 bytes as characters).
template <TextEncoding E>
struct DecodeOf {
    static constexpr bool SkipAsciiWords = E == TextEncoding::Utf8 || E == TextEncoding::EucJp;

    static QString Run(QByteArrayView bytes)
    {
        const CodePageTables &t = Tables();
        QStringDecoder decoder = DecoderFor(E);
        const auto *p = reinterpret_cast<const Byte *>(bytes.data());
        const qsizetype size = bytes.size();
        QString out;
        out.reserve(E == TextEncoding::Utf16Le || E == TextEncoding::Utf16Be ? size / 2 + 1 : size);
        qsizetype run = 0;  // where the run of valid characters not yet decoded starts
        auto flush = [&](qsizetype end) {
            if (end > run)
                out += decoder.decode(bytes.sliced(run, end - run));
        };
        for (qsizetype i = 0; i < size;) {
            if (SkipAsciiWords && size - i >= 8 && AsciiWord(p + i)) {
                i += 8;
                continue;
            }
            if constexpr (E == TextEncoding::ShiftJis) {
                if (IsSwappedControl(p[i])) {
                    flush(i);
                    out += QChar(p[i]);
                    run = ++i;
                    continue;
                }
            }
            const CharFacts c = Inspect<E>(p + i, size - i, t);
            if (c.valid) {
                i += c.length;
                continue;
            }
            flush(i);
            out += QChar(Replacement);
            run = i + c.length;
            if constexpr (E == TextEncoding::ShiftJis) {
                // An unmapped pair: its second byte is a character of its own (a lead byte with an
                // ASCII byte after it must not hide the ASCII character).
                if (c.length == 2) {
                    const Byte second = p[i + 1];
                    if (IsSwappedControl(second))
                        out += QChar(second);
                    else if (t.cp932Single[second])
                        run = i + 1;
                    else
                        out += QChar(Replacement);
                }
            }
            i += c.length;
        }
        flush(size);
        return out;
    }
};

enum class Utf8Finding { Invalid, Ascii, MultiByte };

Utf8Finding CheckUtf8(const Byte *p, qsizetype size, bool whole)
{
    bool multiByte = false;
    for (qsizetype i = 0; i < size;) {
        if (size - i >= 8 && AsciiWord(p + i)) {
            i += 8;
            continue;
        }
        const int length = ScanUtf8(p + i, size - i);
        if (length <= 0) {
            if (length == 0 || whole)
                return Utf8Finding::Invalid;
            break;  // cut by the prefix's end
        }
        multiByte |= length > 1;
        i += length;
    }
    return multiByte ? Utf8Finding::MultiByte : Utf8Finding::Ascii;
}

// Every character well formed and mapped by the code page; a character cut by the end counts
// only when the prefix is the whole file.
template <TextEncoding E>
bool AllValid(const Byte *p, qsizetype size, bool whole, const CodePageTables &t)
{
    for (qsizetype i = 0; i < size;) {
        if (size - i >= 8 && AsciiWord(p + i)) {
            i += 8;
            continue;
        }
        const CharFacts c = Inspect<E>(p + i, size - i, t);
        if (!c.valid) {
            bool cut;
            if constexpr (E == TextEncoding::ShiftJis)
                cut = i + 1 == size && IsLeadByte(p[i]);
            else
                cut = ScanEucJp(p + i, size - i) < 0;
            return cut && !whole;
        }
        i += c.length;
    }
    return true;
}

template <bool BigEndian>
Utf16LineBreak FindBreak(const Byte *p, qsizetype size, qsizetype from)
{
    for (qsizetype i = from; i + 1 < size; i += 2) {
        const char16_t u = Utf16Unit<BigEndian>(p + i);
        if (u > u'\r')
            continue;
        if (u == u'\n')
            return {i, 2};
        if (u == u'\r')
            return {i, i + 3 < size && Utf16Unit<BigEndian>(p + i + 2) == u'\n' ? 4 : 2};
    }
    return {};
}

}  // namespace

bool IsWideCodePoint(char32_t codePoint)
{
    if (codePoint < FirstWide)
        return false;
    if (codePoint < 0x10000)
        return BasicWide.words[codePoint >> 6] >> (codePoint & 63) & 1;
    const auto after = std::upper_bound(std::begin(WideRanges), std::end(WideRanges), codePoint,
                                        [](char32_t c, const WideRange &r) { return c < r.first; });
    return after != std::begin(WideRanges) && codePoint <= std::prev(after)->last;
}

TextEncoding DetectEncoding(QByteArrayView prefix, bool prefixIsWholeFile)
{
    if (prefix.startsWith("\xEF\xBB\xBF"))
        return TextEncoding::Utf8;
    if (prefix.startsWith("\xFF\xFE"))
        return TextEncoding::Utf16Le;
    if (prefix.startsWith("\xFE\xFF"))
        return TextEncoding::Utf16Be;
    const auto *p = reinterpret_cast<const Byte *>(prefix.data());
    const qsizetype size = prefix.size();
    const Utf8Finding utf8 = CheckUtf8(p, size, prefixIsWholeFile);
    if (utf8 == Utf8Finding::MultiByte)
        return TextEncoding::Utf8;
    if (utf8 == Utf8Finding::Invalid) {
        const CodePageTables &t = Tables();
        if (AllValid<TextEncoding::EucJp>(p, size, prefixIsWholeFile, t) &&
            !AllValid<TextEncoding::ShiftJis>(p, size, prefixIsWholeFile, t))
            return TextEncoding::EucJp;
    }
    return TextEncoding::ShiftJis;
}

qsizetype ByteOrderMarkLength(TextEncoding encoding, QByteArrayView text)
{
    switch (encoding) {
    case TextEncoding::Utf8: return text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    case TextEncoding::Utf16Le: return text.startsWith("\xFF\xFE") ? 2 : 0;
    case TextEncoding::Utf16Be: return text.startsWith("\xFE\xFF") ? 2 : 0;
    case TextEncoding::ShiftJis:
    case TextEncoding::EucJp: break;
    }
    return 0;
}

int CharCells(TextEncoding encoding, QByteArrayView text, qsizetype i)
{
    return Dispatch<CharCellsOf>(encoding, text, i);
}

qsizetype CellCount(TextEncoding encoding, QByteArrayView text) { return Dispatch<CellCountOf>(encoding, text); }

namespace {
// Bits set in x, without a library call on processors the build may not assume count them.
constexpr int BitCount(quint64 x)
{
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return int((x * 0x0101010101010101ull) >> 56);
}

// Of the 64 bytes at p (67 readable), the lead bytes of UTF-8 characters that are well formed
// whatever surrounds them, so that they take fewer cells than bytes: `less1` marks two- and
// three-byte ones (C2-DF, E1-EC, EE-EF: one cell less at least), `less2` four-byte ones (F1-F3:
// two less). A lead byte is never part of another character, so the characters marked never
// overlap, and a line break (ASCII) never falls inside one.
void Utf8ShortLeads(const Byte *p, quint64 &less1, quint64 &less2)
{
    quint64 cont = 0, lead2 = 0, lead3 = 0, lead4 = 0;
#ifdef __SSE2__
    // Signed compares see the continuation bytes 80-BF as -128..-65 and the leads above them.
    const auto between = [](__m128i v, char lo, char hi) {  // lo <= v <= hi, signed
        return _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(char(lo - 1))), _mm_cmplt_epi8(v, _mm_set1_epi8(char(hi + 1))));
    };
    for (int k = 0; k < 64; k += 16) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + k));
        if (_mm_movemask_epi8(b) == 0)
            continue;  // ASCII only
        cont |= quint64(unsigned(_mm_movemask_epi8(_mm_cmplt_epi8(b, _mm_set1_epi8(-64))))) << k;
        lead2 |= quint64(unsigned(_mm_movemask_epi8(between(b, -62, -33)))) << k;  // C2-DF
        lead3 |= quint64(unsigned(_mm_movemask_epi8(
                     _mm_andnot_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8(char(0xED))), between(b, -31, -17))))) << k;
        lead4 |= quint64(unsigned(_mm_movemask_epi8(between(b, -15, -13)))) << k;  // F1-F3
    }
#else
    for (int i = 0; i < 64; ++i) {
        const Byte b = p[i];
        cont |= quint64(InRange(b, 0x80, 0xBF)) << i;
        lead2 |= quint64(InRange(b, 0xC2, 0xDF)) << i;
        lead3 |= quint64(InRange(b, 0xE1, 0xEF) && b != 0xED) << i;
        lead4 |= quint64(InRange(b, 0xF1, 0xF3)) << i;
    }
#endif
    if ((lead2 | lead3 | lead4) == 0) {
        less1 = less2 = 0;
        return;
    }
    // Whether the byte 1, 2 or 3 places on continues: the block's own bits, then the 3 after it.
    const auto contAt = [p](int i) { return quint64(InRange(p[i], 0x80, 0xBF)); };
    const quint64 c1 = cont >> 1 | contAt(64) << 63;
    const quint64 c2 = cont >> 2 | contAt(64) << 62 | contAt(65) << 63;
    const quint64 c3 = cont >> 3 | contAt(64) << 61 | contAt(65) << 62 | contAt(66) << 63;
    less1 = (lead2 & c1) | (lead3 & c1 & c2);
    less2 = lead4 & c1 & c2 & c3;
}

// Cells fewer than bytes in the UTF-8 text of n bytes at p, counted by the well-formed
// characters' leads; `after` more bytes may be read.
qsizetype Utf8BytesOverCells(const Byte *p, qsizetype n, qsizetype after)
{
    qsizetype saved = 0, i = 0;
    quint64 less1, less2;
    // Whole blocks whose characters the text's end cannot cut.
    for (; i + 67 <= n; i += 64) {
        Utf8ShortLeads(p + i, less1, less2);
        saved += BitCount(less1) + 2 * BitCount(less2);
    }
    if (i == n)
        return saved;
    // The last bytes: read in place when enough follow them, else from a zero-padded copy (a
    // zero byte neither leads nor continues). Leads whose character would run past the end are
    // not counted: only those whose whole character lies inside.
    Byte copy[64 + 67];
    const Byte *q = p + i;
    const qsizetype left = n - i;  // 1..66
    if (left + after < (left > 64 ? 64 : 0) + 67) {
        std::memset(copy, 0, sizeof copy);
        std::memcpy(copy, q, size_t(left));
        q = copy;
    }
    for (qsizetype j = 0; j < left; j += 64) {
        Utf8ShortLeads(q + j, less1, less2);
        const qsizetype inside = left - j;  // bytes of the text from the block's start
        // A two- or three-byte lead counts when its character ends inside: 3 bytes at most.
        const auto upTo = [](qsizetype bits) { return bits >= 64 ? ~quint64(0) : bits <= 0 ? 0 : (quint64(1) << bits) - 1; };
        const quint64 sure1 = upTo(inside - 2), sure2 = upTo(inside - 3);
        saved += BitCount(less1 & sure1) + 2 * BitCount(less2 & sure2);
        // A two-byte character that ends right at the text's end.
        if (inside >= 2 && inside - 2 < 64 && (less1 >> (inside - 2) & 1) && InRange(q[j + inside - 2], 0xC2, 0xDF))
            ++saved;
    }
    return saved;
}
}

qsizetype CellBound(TextEncoding encoding, QByteArrayView text, qsizetype readableAfter)
{
    if (encoding != TextEncoding::Utf8)
        return text.size();
    return text.size() - Utf8BytesOverCells(reinterpret_cast<const Byte *>(text.data()), text.size(),
                                            std::max<qsizetype>(readableAfter, 0));
}

qsizetype CharStart(TextEncoding encoding, QByteArrayView text, qsizetype i, qsizetype knownStart)
{
    return Dispatch<CharStartOf>(encoding, text, i, knownStart);
}

bool IsCharBoundary(TextEncoding encoding, QByteArrayView text, qsizetype i, qsizetype knownStart)
{
    if (i < 0 || i > text.size())
        return false;
    return i == text.size() || CharStart(encoding, text, i, knownStart) == i;
}

QByteArrayView CutAtCharBoundary(TextEncoding encoding, QByteArrayView text, qsizetype maxBytes)
{
    if (encoding == TextEncoding::ShiftJis)
        return CutAtCharBoundary(text, maxBytes);
    if (text.size() <= maxBytes)
        return text;
    if (maxBytes <= 0)
        return text.first(0);
    return text.first(CharStart(encoding, text, maxBytes));
}

qsizetype FitBytes(TextEncoding encoding, QByteArrayView text, qsizetype start, qsizetype cells)
{
    if (start >= text.size())
        return 0;
    return Dispatch<FitBytesOf>(encoding, text, start, std::max<qsizetype>(cells, 1));
}

QString DecodeText(TextEncoding encoding, QByteArrayView bytes) { return Dispatch<DecodeOf>(encoding, bytes); }

std::optional<QByteArray> EncodeText(TextEncoding encoding, QStringView text)
{
    QStringEncoder encoder = EncoderFor(encoding);
    QByteArray bytes;
    if (encoding == TextEncoding::ShiftJis) {
        qsizetype from = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (IsSwappedControl(text[i].unicode())) {
                bytes += encoder.encode(text.sliced(from, i - from));
                bytes += char(text[i].unicode());
                from = i + 1;
            }
        }
        bytes += encoder.encode(text.sliced(from));
    } else {
        bytes = encoder.encode(text);
    }
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

bool EqualIgnoringAsciiCase(TextEncoding encoding, QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    const auto upper = [](Byte c) { return c >= 'a' && c <= 'z' ? Byte(c - 0x20) : c; };
    const auto *p = reinterpret_cast<const Byte *>(a.data());
    const auto *q = reinterpret_cast<const Byte *>(b.data());
    bool equal = true;
    if (IsUtf16(encoding)) {
        // The letter is the unit's low byte; its high byte must be zero on both sides.
        const qsizetype low = encoding == TextEncoding::Utf16Be ? 1 : 0;
        for (qsizetype i = 0; i < a.size(); i += 2) {
            if (i + 1 >= a.size())
                return p[i] == q[i];
            if (p[i] == q[i] && p[i + 1] == q[i + 1])
                continue;
            if (p[i + 1 - low] != 0 || q[i + 1 - low] != 0 || upper(p[i + low]) != upper(q[i + low])
                || upper(p[i + low]) < 'A' || upper(p[i + low]) > 'Z')
                return false;
        }
        return true;
    }
    ForEachChar(encoding, a, [&](qsizetype i, qsizetype n) {
        if (n == 1 && p[i] < 0x80)
            equal = upper(p[i]) == upper(q[i]);
        else
            equal = std::memcmp(p + i, q + i, size_t(n)) == 0;
        return equal;
    });
    return equal;
}

Utf16LineBreak FindUtf16LineBreak(QByteArrayView text, qsizetype from, bool bigEndian)
{
    const auto *p = reinterpret_cast<const Byte *>(text.data());
    return bigEndian ? FindBreak<true>(p, text.size(), from) : FindBreak<false>(p, text.size(), from);
}
