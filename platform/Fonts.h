#pragma once
// Font names of the settings file as fonts of this desktop.
#include <QFont>
#include <QString>

// "System"/"system" is the fixed-pitch Japanese font (the first installed of IPAGothic,
// VL Gothic and Noto Sans Mono CJK JP, else Qt's fixed font); other names are used as given.
// size is in points, or in pixels when sizeIsPixels is set. A font height of -19 (pixels) is
// passed as ResolveFont(name, 19, true); a negative size is taken as a pixel size as well, so
// ResolveFont(name, -19) gives the same font. A size of 0 keeps the font's default size.
QFont ResolveFont(const QString &name, int size, bool sizeIsPixels = false);
