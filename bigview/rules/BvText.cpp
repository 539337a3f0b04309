#include "bigview/rules/BvText.h"

#include <QFontMetrics>
#include <QStringDecoder>

#include <algorithm>
#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

TBvMetrics::TBvMetrics()
{
    SetFont(QFont());
}

TBvMetrics::TBvMetrics(const QFont &font)
{
    SetFont(font);
}

TBvMetrics::~TBvMetrics() = default;

QFont TBvMetrics::UnsharedFont(const QFont &font)
{
    // A copy shares its data (and the glyph engines cached there) until a setter detaches it;
    // with no attribute marked as set, the setter cannot skip the detach as a no-op.
    QFont own(font);
    const uint mask = own.resolveMask();
    own.setResolveMask(0);
    own.setStyleName(font.styleName());
    own.setResolveMask(mask);
    return own;
}

void TBvMetrics::SetFont(const QFont &font)
{
    font_ = font;
    rawFont_ = QRawFont::fromFont(font);
    const QFontMetrics fm(font);
    defaultTab_ = qMax(1, 8 * fm.averageCharWidth());
    single_.assign(256, CharShape());
    singleKnown_.assign(256, false);
    pairs_.reset();
    pairKnown_.clear();
    wideKeys_.clear();
    pairAdvance_.reset(new qint16[65536]);
    std::fill_n(pairAdvance_.get(), 65536, qint16(-1));
    // Single-byte advances are read on every byte of every measured text: fill them now.
    for (int b = 0; b < 256; ++b)
        singleAdvance_[b] = SingleShape(static_cast<unsigned char>(b)).advance;
}

void TBvMetrics::SetTabDistance(int pixels)
{
    tabDistance_ = pixels;
}

int TBvMetrics::EffectiveTabDistance() const
{
    return tabDistance_ > 0 ? tabDistance_ : defaultTab_;
}

void TBvMetrics::SetEncoding(TextEncoding encoding)
{
    if (encoding == encoding_)
        return;
    encoding_ = encoding;
    pairs_.reset();
    pairKnown_.clear();
    std::fill_n(pairAdvance_.get(), 65536, qint16(-1));
    wideKeys_.clear();
}

bool TBvMetrics::IsTab(QByteArrayView text, qsizetype i) const
{
    if (!IsUtf16(encoding_))
        return text[i] == '\t';
    if (i + 1 >= text.size())
        return false;
    const bool bigEndian = encoding_ == TextEncoding::Utf16Be;
    return text[i + (bigEndian ? 1 : 0)] == '\t' && text[i + (bigEndian ? 0 : 1)] == 0;
}

TBvMetrics::CharShape TBvMetrics::MakeShape(QByteArrayView bytes) const
{
    // Shift-JIS through the code page's converter, as every view drew it so far (the control
    // codes it swaps are all drawn as blanks).
    QStringDecoder decoder = Cp932Decoder();
    return MakeShape(decoder.decode(bytes));
}

TBvMetrics::CharShape TBvMetrics::MakeShape(const QString &text) const
{
    CharShape shape;
    const QFontMetrics fm(font_);
    const int blank = qMax(1, fm.horizontalAdvance(QLatin1Char(' ')));
    bool control = text.isEmpty();
    for (QChar c : std::as_const(text)) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            control = true;
    }
    if (control) {
        // Control bytes (NUL, a lone LF, ...) get a blank's width so that every byte keeps a
        // place of its own for the caret and the selection.
        shape.advance = static_cast<qint16>(blank);
        return shape;
    }
    int advance = fm.horizontalAdvance(text);
    if (advance <= 0)
        advance = blank;
    shape.advance = static_cast<qint16>(qMin(advance, 32767));
    if (text == QLatin1String(" "))
        return shape;

    const QList<quint32> glyphs = rawFont_.isValid() ? rawFont_.glyphIndexesForString(text)
                                                     : QList<quint32>();
    bool missing = glyphs.isEmpty() || glyphs.size() > 2;
    for (quint32 g : glyphs) {
        if (g == 0)
            missing = true;
    }
    if (missing) {
        shape.fallback = true;
        shape.glyphCount = 1;
        shape.text = text;
        return shape;
    }
    const QList<QPointF> advances = rawFont_.advancesForGlyphIndexes(glyphs);
    qreal dx = 0;
    for (qsizetype k = 0; k < glyphs.size(); ++k) {
        shape.glyphs[k].index = glyphs[k];
        shape.glyphs[k].dx = static_cast<qint16>(qRound(dx));
        dx += k < advances.size() ? advances[k].x() : 0;
    }
    shape.glyphCount = static_cast<quint8>(glyphs.size());
    return shape;
}

const TBvMetrics::CharShape &TBvMetrics::SingleShape(unsigned char b) const
{
    if (!singleKnown_[b]) {
        const char c = static_cast<char>(b);
        single_[b] = MakeShape(QByteArrayView(&c, 1));
        singleKnown_[b] = true;
    }
    return single_[b];
}

const TBvMetrics::CharShape &TBvMetrics::PairShape(unsigned char lead, unsigned char trail) const
{
    if (!pairs_) {
        pairs_.reset(new CharShape[65536]);
        pairKnown_.assign(65536, false);
    }
    const int key = (lead << 8) | trail;
    if (!pairKnown_[key]) {
        const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        pairs_[key] = MakeShape(QByteArrayView(bytes, 2));
        pairKnown_[key] = true;
        pairAdvance_[key] = pairs_[key].advance;
    }
    return pairs_[key];
}

int TBvMetrics::KeyOf(QByteArrayView text, qsizetype i, qsizetype length) const
{
    const auto *p = reinterpret_cast<const unsigned char *>(text.data()) + i;
    switch (encoding_) {
    case TextEncoding::Utf8:
        if (length == 1)
            return p[0] < 0x80 ? p[0] : 0xFFFD;
        if (length == 2)
            return (p[0] & 0x1F) << 6 | (p[1] & 0x3F);
        if (length == 3)
            return (p[0] & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F);
        return -1;
    case TextEncoding::EucJp:
        // Bytes below 0x8E and pairs from 0x8EA1 on: the keys never meet.
        return length == 1 ? p[0] : length == 2 ? (p[0] << 8 | p[1]) : -1;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be: {
        if (length != 2)
            return length == 1 ? 0xFFFD : -1;
        const int unit = encoding_ == TextEncoding::Utf16Be ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
        return unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit;
    }
    case TextEncoding::ShiftJis:
        break;
    }
    return -1;
}

const TBvMetrics::CharShape &TBvMetrics::KeyShape(int key, QByteArrayView bytes) const
{
    if (!pairs_) {
        pairs_.reset(new CharShape[65536]);
        pairKnown_.assign(65536, false);
    }
    if (!pairKnown_[size_t(key)]) {
        pairs_[key] = MakeShape(DecodeText(encoding_, bytes));
        pairKnown_[size_t(key)] = true;
        pairAdvance_[key] = pairs_[key].advance;
    }
    return pairs_[key];
}

const TBvMetrics::CharShape &TBvMetrics::OtherShape(QByteArrayView text, qsizetype i, qsizetype length) const
{
    const QByteArrayView bytes = text.sliced(i, length);
    const int key = KeyOf(text, i, length);
    if (key >= 0)
        return KeyShape(key, bytes);
    quint64 packed = quint64(length) << 32;
    for (qsizetype k = 0; k < length && k < 4; ++k)
        packed |= quint64(static_cast<unsigned char>(bytes[k])) << (8 * k);
    auto it = wideKeys_.find(packed);
    if (it == wideKeys_.end())
        it = wideKeys_.emplace(packed, MakeShape(DecodeText(encoding_, bytes))).first;
    return it->second;
}

const TBvMetrics::CharShape &TBvMetrics::Shape(QByteArrayView text, qsizetype i) const
{
    if (encoding_ != TextEncoding::ShiftJis)
        return OtherShape(text, i, CharLen(text, i));
    const auto b = static_cast<unsigned char>(text[i]);
    if (CharLength(text, i) == 2)
        return PairShape(b, static_cast<unsigned char>(text[i + 1]));
    return SingleShape(b);
}

int TBvMetrics::CharAdvance(QByteArrayView text, qsizetype i, qint64 x) const
{
    if (IsTab(text, i)) {
        const int d = EffectiveTabDistance();
        return static_cast<int>((x / d + 1) * d - x);
    }
    if (encoding_ != TextEncoding::ShiftJis)
        return OtherAdvance(text, i, CharLen(text, i));
    return Shape(text, i).advance;
}

namespace {
// Byte classes for the measuring walks: 0 a byte of its own, 1 a lead byte, 2 a tab.
struct ByteClasses {
    unsigned char of[256] = {};
    constexpr ByteClasses()
    {
        for (int b = 0; b < 256; ++b)
            of[b] = IsLeadByte(static_cast<unsigned char>(b)) ? 1 : 0;
        of[int('\t')] = 2;
    }
};
constexpr ByteClasses Classes;

// Bit k set where byte k of the (up to 64-byte) block is in the lead-byte range, and where it is
// a tab.
struct BlockMasks {
    quint64 lead = 0;
    quint64 tab = 0;
};

BlockMasks MasksOf(const unsigned char *p, int m)
{
    BlockMasks out;
#if defined(__SSE2__)
    if (m == 64) {
        const __m128i lo1 = _mm_set1_epi8(char(0x81)), hi1 = _mm_set1_epi8(char(0x9F));
        const __m128i lo2 = _mm_set1_epi8(char(0xE0)), hi2 = _mm_set1_epi8(char(0xFC));
        const __m128i tab = _mm_set1_epi8('\t');
        for (int k = 0; k < 4; ++k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * k));
            // Unsigned range tests: lo <= v <= hi  <=>  max(v, lo) == v && min(v, hi) == v.
            const __m128i in1 = _mm_and_si128(_mm_cmpeq_epi8(_mm_max_epu8(v, lo1), v),
                                              _mm_cmpeq_epi8(_mm_min_epu8(v, hi1), v));
            const __m128i in2 = _mm_and_si128(_mm_cmpeq_epi8(_mm_max_epu8(v, lo2), v),
                                              _mm_cmpeq_epi8(_mm_min_epu8(v, hi2), v));
            out.lead |= quint64(quint16(_mm_movemask_epi8(_mm_or_si128(in1, in2)))) << (16 * k);
            out.tab |= quint64(quint16(_mm_movemask_epi8(_mm_cmpeq_epi8(v, tab)))) << (16 * k);
        }
        return out;
    }
#endif
    for (int k = 0; k < m; ++k) {
        const unsigned c = Classes.of[p[k]];
        out.lead |= quint64(c == 1) << k;
        out.tab |= quint64(c == 2) << k;
    }
    return out;
}

// Where the run of lead-range bytes that ends just before p[end] begins (end when p[end - 1] is
// outside the range). Runs in text are a byte or two long, so single bytes are looked at first;
// a long run (binary data, a row of such characters) goes 64 bytes a step.
qsizetype LeadRunStart(const unsigned char *p, qsizetype end)
{
    qsizetype i = end;
    for (int k = 0; k < 8 && i > 0; ++k, --i) {
        if (!IsLeadByte(p[i - 1]))
            return i;
    }
    for (; i >= 64; i -= 64) {
        // Bit 63 stands for p[i - 1]: the leading ones are the run's bytes in this block.
        const quint64 lead = MasksOf(p + i - 64, 64).lead;
        if (~lead)
            return i - std::countl_one(lead);
    }
    while (i > 0 && IsLeadByte(p[i - 1]))
        --i;
    return i;
}

// Which lead-range bytes really start a character, given that byte 0 starts one: a lead takes
// the byte after it whatever that byte is, so runs of lead-range bytes pair up from their start.
// Carry arithmetic finds the pairs of a whole block at once (no walk from byte to byte).
inline quint64 RealLeads(quint64 lead)
{
    constexpr quint64 Odd = 0xAAAAAAAAAAAAAAAAull;
    const quint64 shifted = (lead << 1) | Odd;
    const quint64 series = (shifted - lead) ^ Odd;
    return series & lead;
}
}

int ByteKind(QByteArrayView text, int pos)
{
    if (pos < 1 || text.size() < pos)
        return 0;
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const qsizetype target = pos - 1;
    // A byte outside the lead range ends whatever character it belongs to, so a character starts
    // right after the last such byte before the target (or at the text's start). From there the
    // lead-range bytes pair up: an odd run puts the target on a trail byte. Only that run is read,
    // so the cost does not grow with the distance from the row's start.
    if ((target - LeadRunStart(p, target)) & 1)
        return 2;
    return IsLeadByte(p[target]) ? 1 : 0;
}

// The measuring walk, shared by Advance and AdvanceToX: stops at `limit` bytes, or once x
// exceeds maxX. Whole blocks of 64 bytes without tabs are summed at once; the rest goes
// character by character.
template <bool StopAtX>
inline TBvMetrics::Cursor TBvMetrics::Walk(QByteArrayView text, Cursor from, qsizetype limit,
                                           qint64 maxX) const
{
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const qsizetype size = text.size();
    const qsizetype n = qMin(limit, size);
    qsizetype i = from.offset;
    qint64 x = from.x;
    const int *single = singleAdvance_;
    unsigned char padded[64];

    while (i < n) {
        if (StopAtX && x > maxX)
            break;
        const int m = static_cast<int>(qMin<qsizetype>(64, n - i));
        const unsigned char *block = p + i;
        if (m < 64) {
            // A short block is measured from a zero-padded copy, so that nothing past the text
            // is read; the padding is neither a lead byte nor a tab.
            std::memset(padded, 0, sizeof padded);
            std::memcpy(padded, block, size_t(m));
            block = padded;
        }
        const BlockMasks masks = MasksOf(block, 64);
        qint64 sum = 0;
        int step = m;
        if (masks.tab == 0) {
            quint64 lead = masks.lead;
            const bool textEnds = i + m >= size;
            if (textEnds)
                lead &= ~(quint64(1) << (m - 1));  // a lead byte without a byte after it
            const quint64 leads = RealLeads(lead);
            for (int k = 0; k < m; ++k)
                sum += single[block[k]];
            for (quint64 rest = leads; rest; rest &= rest - 1) {
                const int k = std::countr_zero(rest);
                const unsigned b = block[k];
                const unsigned next = k + 1 < m ? block[k + 1] : p[i + m];
                sum += PairAdvance(static_cast<unsigned char>(b), static_cast<unsigned char>(next))
                    - single[b] - (k + 1 < m ? single[next] : 0);
            }
            if (leads >> (m - 1) & 1)
                ++step;  // the last lead's trail lies beyond the block
            if (!StopAtX || x + sum <= maxX) {
                x += sum;
                i += step;
                continue;
            }
        }
        // A block with a tab, or the one where x crosses maxX: character by character.
        const qsizetype end = i + m;
        while (i < end) {
            if (StopAtX && x > maxX)
                return {i, x};
            const unsigned b = p[i];
            const unsigned c = Classes.of[b];
            if (c == 2) {
                const qint64 tab = EffectiveTabDistance();
                x = (x / tab + 1) * tab;
                ++i;
            } else if (c == 1 && i + 1 < size) {
                x += PairAdvance(static_cast<unsigned char>(b), p[i + 1]);
                i += 2;
            } else {
                x += single[b];
                ++i;
            }
        }
    }
    return {i, x};
}

// The walk in the other encodings: character by character, ASCII without a look at the
// encoding's rules where a byte below 0x80 is always a character of its own.
template <bool StopAtX>
inline TBvMetrics::Cursor TBvMetrics::WalkOther(QByteArrayView text, Cursor from, qsizetype limit,
                                                qint64 maxX) const
{
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const qsizetype n = qMin(limit, text.size());
    const bool bytesAreAscii = !IsUtf16(encoding_);
    qsizetype i = from.offset;
    qint64 x = from.x;
    while (i < n) {
        if (StopAtX && x > maxX)
            break;
        if (bytesAreAscii && p[i] < 0x80 && p[i] != '\t') {
            const int a = pairAdvance_[p[i]];
            x += a >= 0 ? a : KeyShape(p[i], text.sliced(i, 1)).advance;
            ++i;
            continue;
        }
        if (IsTab(text, i)) {
            const qint64 tab = EffectiveTabDistance();
            x = (x / tab + 1) * tab;
            i += bytesAreAscii ? 1 : 2;
            continue;
        }
        const qsizetype length = CharLen(text, i);
        x += OtherAdvance(text, i, length);
        i += length;
    }
    return {i, x};
}

TBvMetrics::Cursor TBvMetrics::Advance(QByteArrayView text, Cursor from, qsizetype limit) const
{
    if (encoding_ != TextEncoding::ShiftJis)
        return WalkOther<false>(text, from, limit, 0);
    return Walk<false>(text, from, limit, 0);
}

TBvMetrics::Cursor TBvMetrics::AdvanceToX(QByteArrayView text, Cursor from, qint64 maxX) const
{
    if (encoding_ != TextEncoding::ShiftJis)
        return WalkOther<true>(text, from, text.size(), maxX);
    return Walk<true>(text, from, text.size(), maxX);
}

qint64 TBvMetrics::Width(QByteArrayView text) const
{
    return Advance(text, Cursor(), text.size()).x;
}

TBvMetrics::Cursor TBvMetrics::SeekX(QByteArrayView text, Cursor from, qint64 x) const
{
    qsizetype i = from.offset;
    qint64 at = from.x;
    while (i < text.size()) {
        const qint64 next = at + CharAdvance(text, i, at);
        if (next > x)
            break;
        at = next;
        i += CharLen(text, i);
    }
    return {i, at};
}
