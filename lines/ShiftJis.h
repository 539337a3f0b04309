#pragma once
// Shift-JIS (code page 932): the byte rules every part of the program walks text with, and the
// one codec its texts are decoded and encoded with. Qt Core only, so plain rules can use it.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

// A byte that starts a two-byte character together with the byte after it.
constexpr bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
// A byte that can be the second byte of a two-byte character.
constexpr bool IsTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Bytes of the character starting at i: 2 for a lead byte with a byte after it, else 1.
constexpr qsizetype CharLength(QByteArrayView text, qsizetype i)
{
    return IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

// The double-byte walk: calls visit(index, length) for each character from the start, in order.
// visit returns false to stop the walk.
template <typename Visit>
constexpr void ForEachChar(QByteArrayView text, Visit &&visit)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = CharLength(text, i);
        if (!visit(i, n))
            return;
        i += n;
    }
}

// The longest prefix of at most maxBytes that does not end inside a two-byte character.
QByteArrayView CutAtCharBoundary(QByteArrayView text, qsizetype maxBytes);

// The code page's codec, as Qt (with ICU) names it.
inline constexpr char Cp932CodecName[] = "windows-31j";

// Stateless converters: each call stands alone, so a row or a value is converted by itself.
QStringDecoder Cp932Decoder();
QStringEncoder Cp932Encoder();
QString DecodeCp932(QByteArrayView bytes);
// Plain encoding; characters the code page lacks become what the codec makes of them.
QByteArray EncodeCp932(QStringView text);
// Encoding for bytes that go into a file: a character the code page cannot hold becomes "?".
QByteArray EncodeCp932OrQuestion(QStringView text);
