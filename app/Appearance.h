#pragma once
// The look of the input list and of the text views, from the settings' text values: fonts by
// name and point size, colours by name or number. Every window that holds a text view (the main
// window, the separator dialog, the viewer window) takes the view look through ApplyTextLook,
// over the property set its view was placed with (bigview/ViewPresets.h).
#include <QByteArray>
#include <QColor>
#include <QFont>

#include "bigview/BigView.h"
#include "app/rules/TextValues.h"

class QWidget;
struct Settings;

// A font as the settings name it: the name (CP932, at most 255 bytes used) and the point size
// (other text than an integer gives 14). A name that is not installed is left to the font
// matching of the desktop; the name itself is never replaced.
QFont SettingFont(const QByteArray &name, const QByteArray &size);
// A colour text as shown; text that is neither a name nor a number gives the fallback.
QColor SettingColor(const QByteArray &text, TColor fallback);

// ListFontName, ListFontSize, ListFontColor and ListBackColor on a list.
void ApplyListLook(QWidget *list, const Settings &settings);
// TextFontName, TextFontSize, TextFontColor and TextBackColor on a view, then a redraw.
void ApplyTextLook(TBigView *view, const Settings &settings);

// The three values the font command stores.
struct FontSetting {
    QByteArray name, size, color;
};
// What the font command stores after the font dialog: offered is what the dialog was opened
// with, chosen what it returned. Only the name, the point size and the colour are taken, never a
// style. A family or colour the user left as offered keeps its stored text, so a name the desktop
// substituted, or a system colour, is never written back in place of the user's own.
FontSetting ChosenFontSetting(const FontSetting &stored, const QFont &offered, const QColor &offeredColor,
                              const QFont &chosen, const QColor &chosenColor);
