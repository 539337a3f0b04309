#pragma once
// Conversions between settings text and numbers or colours.
#include <QByteArray>
#include <QByteArrayView>
#include <QColor>
#include <optional>
#include <QString>

// Strict integer text: optional sign, then decimal digits or "$" and hexadecimal digits; blanks
// around are not allowed; must fit 32 signed bits.
std::optional<int> StrToInt(QByteArrayView text);
// The boolean reader's conversion: like StrToInt, and a text longer than two characters that
// begins "0x" or "0X" is hexadecimal.
std::optional<int> StrToIntBool(QByteArrayView text);
QByteArray IntToStr(int value);

// A 32-bit colour value: 00BBGGRR for plain colours, 0x80000000 + index for system colours.
using TColor = qint32;
constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clRed = 0x0000FF, clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor SystemColor(int index) { return TColor(0x80000000u + unsigned(index)); }
constexpr TColor clWindow = SystemColor(5), clWindowText = SystemColor(8);

// A colour name from the table (case ignored), else an integer; nullopt for other text.
std::optional<TColor> StringToColor(QByteArrayView text);
// The table's name when there is one, else "$" and eight upper-case hexadecimal digits.
QByteArray ColorToString(TColor color);

// What a colour value looks like on this desktop: system colours come from the palette.
QColor ToQColor(TColor color);
// A plain colour chosen in a colour dialog.
TColor FromQColor(const QColor &color);

// Texts of the settings in edit boxes. A path is the file system's bytes; it is shown as
// DisplayName shows it. Other texts are CP932.
// What an edit box's text stores: the bytes it was filled from while the text is unchanged, so
// bytes that do not survive a decode (a name in another encoding, a lone lead byte) are kept;
// an edited path in the file system's encoding (a folder shown from other bytes keeps them while
// only the name after it was edited), an edited text in CP932 ("?" for what CP932 cannot hold).
QByteArray EditedPath(const QString &text, const QByteArray &shownFrom);
QByteArray EditedText(const QString &text, const QByteArray &shownFrom);
