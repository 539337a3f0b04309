#pragma once
// The common dialogs: save and open file, font and colour.
#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

// Filters are written as on the original platform: descriptions and patterns alternating,
// separated by "|" ("全ﾌｧｲﾙ(*.*)|*.*"). "*.*" means every file, as it did there.
QString ToQtFileFilter(const QString &filter);
// Modal; the full path chosen, or an empty string when cancelled.
QString ShowSaveFileDialog(QWidget *parent, const QString &filter, const QString &initialPath);
QString ShowOpenFileDialog(QWidget *parent, const QString &filter, const QString &initialPath);
// Modal; false when cancelled. The font comes back with its point size, the colour chosen below
// it with it. A family the user left as the dialog showed it comes back exactly as passed (also
// when the desktop lacks it and the dialog showed a substitute), and so does an unchanged colour.
bool ShowFontDialog(QWidget *parent, QFont &font, QColor &color);
// Modal; false when cancelled. A plain colour.
bool ShowColorDialog(QWidget *parent, QColor &color);
