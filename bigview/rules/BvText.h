#pragma once
// Shift-JIS byte classification and text measuring for the big-text view (in the file's
// encoding). Plain classes: the
// layout, the painting, the caret and the tests use them without a window.
#include <QByteArrayView>
#include <QFont>
#include <QRawFont>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <unordered_map>
#include <vector>

#include "lines/ShiftJis.h"
#include "lines/TextEncoding.h"

// Kind of the byte at the 1-based position pos of text: 0 single byte, 1 lead byte, 2 trail byte;
// 0 when the text is shorter than pos bytes. text must start on a character boundary (a row's
// start). The cost is the run of lead-range bytes just before pos, not the distance from the
// text's start, so it is cheap at the far end of a very long row.
int ByteKind(QByteArrayView text, int pos);

// Widths of text drawn in one font with tab expansion, in the encoding set (Shift-JIS unless
// told). Advances are cached per character (for Shift-JIS per byte for single-byte characters,
// per byte pair for double-byte ones; for the other encodings per code point, or per byte pair
// of EUC-JP), so measuring a line costs a table look-up per character. An invalid byte is a
// character of its own, drawn as one U+FFFD. Widths are 64-bit: a 100 MB line is wider
// than 32 bits of pixels can hold at large fonts.
class TBvMetrics {
public:
    TBvMetrics();
    // Measures with `font` from the start. A thread of its own (a layout on a worker) builds
    // one here, from a font that shares nothing with the window thread's (UnsharedFont): Qt's
    // fonts are reentrant, not thread-safe, and a raw font serves only the thread it was made on.
    explicit TBvMetrics(const QFont &font);
    ~TBvMetrics();
    TBvMetrics(const TBvMetrics &) = delete;
    TBvMetrics &operator=(const TBvMetrics &) = delete;

    // A new font drops every cached advance. tabDistance is the tab-stop distance in pixels
    // (CharWidth x ViewTabStop); 0 or less expands a tab to eight average character widths.
    void SetFont(const QFont &font);
    void SetTabDistance(int pixels);
    // Another encoding drops the cached advances of characters that are more than a byte.
    void SetEncoding(TextEncoding encoding);
    TextEncoding Encoding() const { return encoding_; }
    // Bytes of the character at text[i] in the encoding, and whether it is a tab.
    qsizetype CharLen(QByteArrayView text, qsizetype i) const
    {
        return encoding_ == TextEncoding::ShiftJis ? ::CharLength(text, i) : ::CharLength(encoding_, text, i);
    }
    bool IsTab(QByteArrayView text, qsizetype i) const;
    const QFont &Font() const { return font_; }
    // The same font with data of its own, for another thread to measure with.
    static QFont UnsharedFont(const QFont &font);
    int TabDistance() const { return tabDistance_; }
    int EffectiveTabDistance() const;

    // Where a walk over a text stands: byte offset from the text's start and x in pixels.
    struct Cursor {
        qsizetype offset = 0;
        qint64 x = 0;
    };
    // Width of text drawn from x = 0 (tab origin 0).
    qint64 Width(QByteArrayView text) const;
    // Continues a walk over text from `from` (which must stand on a character boundary) up to
    // byte offset `limit` (a character that crosses limit is included, so the result can end one
    // byte beyond it). Returns where the walk stopped.
    Cursor Advance(QByteArrayView text, Cursor from, qsizetype limit) const;
    // Continues a walk from `from` until x exceeds maxX (the character that crosses it is
    // included) or the text ends.
    Cursor AdvanceToX(QByteArrayView text, Cursor from, qint64 maxX) const;
    // Continues a walk from `from` until the next character would start at or beyond x = `x`
    // (stops on the character that contains x), or at the end of text.
    Cursor SeekX(QByteArrayView text, Cursor from, qint64 x) const;
    // Advance of one character (at text[i]) drawn at x.
    int CharAdvance(QByteArrayView text, qsizetype i, qint64 x) const;

    // Drawing support: glyphs of one character, with their offsets from the character's x.
    struct Glyph {
        quint32 index = 0;   // glyph in the primary font; 0 = drawn by the fallback path
        qint16 dx = 0;
        bool fallback = false;
    };
    struct CharShape {
        qint16 advance = 0;
        quint8 glyphCount = 0;  // 0: nothing visible (blank, tab, control byte)
        bool fallback = false;  // some glyph is missing in the primary font
        Glyph glyphs[2];
        QString text;           // decoded text, kept for the fallback path only
    };
    const CharShape &Shape(QByteArrayView text, qsizetype i) const;
    const QRawFont &RawFont() const { return rawFont_; }

private:
    CharShape MakeShape(QByteArrayView bytes) const;  // Shift-JIS bytes
    CharShape MakeShape(const QString &text) const;
    // The other encodings: a character's key in the pair tables (its code point, or for
    // EUC-JP its byte or byte pair), or -1 when it has none (beyond the basic plane, JIS X 0212).
    int KeyOf(QByteArrayView text, qsizetype i, qsizetype length) const;
    const CharShape &KeyShape(int key, QByteArrayView bytes) const;
    const CharShape &OtherShape(QByteArrayView text, qsizetype i, qsizetype length) const;
    int OtherAdvance(QByteArrayView text, qsizetype i, qsizetype length) const
    {
        const int key = KeyOf(text, i, length);
        if (key >= 0 && pairAdvance_[key] >= 0)
            return pairAdvance_[key];
        return OtherShape(text, i, length).advance;
    }
    template <bool StopAtX>
    Cursor WalkOther(QByteArrayView text, Cursor from, qsizetype limit, qint64 maxX) const;
    TextEncoding encoding_ = TextEncoding::ShiftJis;
    mutable std::unordered_map<quint64, CharShape> wideKeys_;  // characters without a key
    const CharShape &SingleShape(unsigned char b) const;
    const CharShape &PairShape(unsigned char lead, unsigned char trail) const;

    QFont font_;
    QRawFont rawFont_;
    int tabDistance_ = 0;
    int defaultTab_ = 64;
    mutable std::vector<CharShape> single_;           // 256, filled on first use of the font
    mutable std::vector<bool> singleKnown_;
    template <bool StopAtX>
    Cursor Walk(QByteArrayView text, Cursor from, qsizetype limit, qint64 maxX) const;
    int PairAdvance(unsigned char lead, unsigned char trail) const
    {
        const int a = pairAdvance_[(lead << 8) | trail];
        return a >= 0 ? a : PairShape(lead, trail).advance;
    }
    int singleAdvance_[256] = {};
    mutable std::unique_ptr<qint16[]> pairAdvance_;   // 65536, -1 until measured
    mutable std::unique_ptr<CharShape[]> pairs_;      // 65536, allocated at the first pair
    mutable std::vector<bool> pairKnown_;
};

