#include "app/Appearance.h"

#include <QPalette>
#include <QWidget>

#include "bigview/BigView.h"
#include "platform/Fonts.h"
#include "app/rules/Settings.h"
#include "lines/ShiftJis.h"

namespace {
constexpr qsizetype FontNameBytes = 255;  // what the font record held
}

QFont SettingFont(const QByteArray &name, const QByteArray &size)
{
    return ResolveFont(DecodeCp932(CutAtCharBoundary(name, FontNameBytes)), FontSizeValue(size));
}

QColor SettingColor(const QByteArray &text, TColor fallback)
{
    return ToQColor(StringToColor(text).value_or(fallback));
}

void ApplyListLook(QWidget *list, const Settings &s)
{
    list->setFont(SettingFont(s.ListFontName, s.ListFontSize));
    const QColor text = SettingColor(s.ListFontColor, clBlack);
    const QColor back = SettingColor(s.ListBackColor, clWindow);
    QPalette pal = list->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Text, text);
        pal.setColor(group, QPalette::WindowText, text);
        pal.setColor(group, QPalette::Base, back);
        pal.setColor(group, QPalette::Window, back);
    }
    list->setPalette(pal);
}

void ApplyTextLook(TBigView *view, const Settings &s)
{
    // A new font makes the view measure its rows again.
    view->setFont(SettingFont(s.TextFontName, s.TextFontSize));
    view->SetFontColor(SettingColor(s.TextFontColor, clBlack));
    view->SetColor(SettingColor(s.TextBackColor, clWindow));
    view->Redraw();
}

FontSetting ChosenFontSetting(const FontSetting &stored, const QFont &offered, const QColor &offeredColor,
                              const QFont &chosen, const QColor &chosenColor)
{
    FontSetting result = stored;
    if (chosen.family() != offered.family())
        result.name = EncodeCp932(chosen.family());
    const int points = chosen.pointSize();
    if (points > 0)
        result.size = IntToStr(points);
    if (chosenColor != offeredColor)
        result.color = ColorToString(FromQColor(chosenColor));
    return result;
}
