#include "app/rules/TextValues.h"

#include <QFile>
#include <QGuiApplication>
#include <QStringDecoder>
#include <QPalette>
#include <array>
#include <limits>

#include "lines/NativeFile.h"
#include "lines/NumberText.h"
#include "lines/Paths.h"
#include "lines/ShiftJis.h"

namespace {
std::optional<int> ParseInt(QByteArrayView text, bool allowCHex)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (allowCHex && text.size() - i > 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    // Hexadecimal text may spell a full 32-bit pattern (colours such as $80000005).
    const qint64 limit = base == 16 ? qint64(0xFFFFFFFF) : qint64(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    std::optional<qint64> value = ParseDigits(text.sliced(i), base, limit);
    if (!value)
        return std::nullopt;
    if (negative)
        *value = -*value;
    return int(qint32(quint32(*value)));
}

struct NamedColor {
    const char *name;
    TColor value;
};

constexpr std::array<NamedColor, 17> PlainColors{{
    {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000}, {"clPurple", 0x800080}, {"clTeal", 0x808000}, {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF}, {"clLime", 0x00FF00}, {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00}, {"clWhite", 0xFFFFFF},
    {"clNone", 0x1FFFFFFF},
}};

constexpr std::array<const char *, 25> SystemColors{
    "clScrollBar", "clBackground", "clActiveCaption", "clInactiveCaption", "clMenu",
    "clWindow", "clWindowFrame", "clMenuText", "clWindowText", "clCaptionText",
    "clActiveBorder", "clInactiveBorder", "clAppWorkSpace", "clHighlight", "clHighlightText",
    "clBtnFace", "clBtnShadow", "clGrayText", "clBtnText", "clInactiveCaptionText",
    "clBtnHighlight", "cl3DDkShadow", "cl3DLight", "clInfoText", "clInfoBk",
};

bool SameNameIgnoringCase(QByteArrayView a, const char *b)
{
    return a.compare(QByteArrayView(b), Qt::CaseInsensitive) == 0;
}
}

std::optional<int> StrToInt(QByteArrayView text) { return ParseInt(text, false); }
std::optional<int> StrToIntBool(QByteArrayView text) { return ParseInt(text, true); }
QByteArray IntToStr(int value) { return QByteArray::number(value); }

std::optional<TColor> StringToColor(QByteArrayView text)
{
    for (const auto &c : PlainColors)
        if (SameNameIgnoringCase(text, c.name))
            return c.value;
    for (int i = 0; i < int(SystemColors.size()); ++i)
        if (SameNameIgnoringCase(text, SystemColors[i]))
            return SystemColor(i);
    return StrToInt(text);
}

QByteArray ColorToString(TColor color)
{
    for (const auto &c : PlainColors)
        if (c.value == color)
            return c.name;
    for (int i = 0; i < int(SystemColors.size()); ++i)
        if (SystemColor(i) == color)
            return SystemColors[i];
    return "$" + QByteArray::number(quint32(color), 16).toUpper().rightJustified(8, '0');
}

QColor ToQColor(TColor color)
{
    const auto bits = quint32(color);
    if (bits & 0x80000000u) {
        const QPalette pal = QGuiApplication::palette();
        switch (bits & 0xFF) {
        case 0: return pal.color(QPalette::Button);             // clScrollBar
        case 1: return pal.color(QPalette::Dark);               // clBackground (desktop)
        case 2: return pal.color(QPalette::Highlight);          // clActiveCaption
        case 3: return pal.color(QPalette::Inactive, QPalette::Highlight);
        case 4: return pal.color(QPalette::Window);             // clMenu
        case 5: return pal.color(QPalette::Base);               // clWindow
        case 6: return pal.color(QPalette::Shadow);             // clWindowFrame
        case 7: return pal.color(QPalette::WindowText);         // clMenuText
        case 8: return pal.color(QPalette::Text);               // clWindowText
        case 9: return pal.color(QPalette::HighlightedText);    // clCaptionText
        case 10: case 11: return pal.color(QPalette::Window);   // borders
        case 12: return pal.color(QPalette::Dark);              // clAppWorkSpace
        case 13: return pal.color(QPalette::Highlight);
        case 14: return pal.color(QPalette::HighlightedText);
        case 15: return pal.color(QPalette::Button);            // clBtnFace
        case 16: return pal.color(QPalette::Mid);               // clBtnShadow
        case 17: return pal.color(QPalette::Disabled, QPalette::Text);
        case 18: return pal.color(QPalette::ButtonText);
        case 19: return pal.color(QPalette::Inactive, QPalette::HighlightedText);
        case 20: return pal.color(QPalette::Light);             // clBtnHighlight
        case 21: return pal.color(QPalette::Shadow);            // cl3DDkShadow
        case 22: return pal.color(QPalette::Midlight);          // cl3DLight
        case 23: return pal.color(QPalette::ToolTipText);
        case 24: return pal.color(QPalette::ToolTipBase);
        default: return pal.color(QPalette::Base);
        }
    }
    if (color == clNone)
        return QColor(Qt::transparent);
    return QColor(int(bits & 0xFF), int((bits >> 8) & 0xFF), int((bits >> 16) & 0xFF));
}

TColor FromQColor(const QColor &color)
{
    return TColor(quint32(color.red()) | (quint32(color.green()) << 8) | (quint32(color.blue()) << 16));
}

QByteArray EditedPath(const QString &text, const QByteArray &shownFrom)
{
    if (text == DisplayName(shownFrom))
        return shownFrom;
    // A folder shown from bytes that are not UTF-8 stays those bytes while only what follows it
    // was edited. The folder ends at a "/", a character of its own in either encoding, so its
    // text is the start of the shown text.
    const QByteArray folder = ExtractFilePath(QByteArrayView(shownFrom));
    if (!folder.isEmpty() && !IsValidUtf8(shownFrom)) {
        const QString shownFolder = DecodeCp932(folder);
        if (text.startsWith(shownFolder))
            return folder + QFile::encodeName(text.mid(shownFolder.size()));
    }
    return QFile::encodeName(text);
}

QByteArray EditedText(const QString &text, const QByteArray &shownFrom)
{
    return text == DecodeCp932(shownFrom) ? shownFrom : EncodeCp932OrQuestion(text);
}
