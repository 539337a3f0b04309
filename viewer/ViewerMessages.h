#pragma once
// The notices of the viewer's search, jump, wrap and scroll commands, blanks included.
#include <QString>

namespace viewermsg {
inline const QString NotFound = QStringLiteral("    検索文字はありませんでした。   ");
inline const QString NoSearchText = QStringLiteral("    検索文字が設定されていません。   ");
// The jump's line number and the scroll setting share this text.
inline const QString LineOutOfRange = QStringLiteral("    行番号が範囲外です。   ");
inline const QString ValueOutOfRange = QStringLiteral("    設定値が範囲外です。   ");
// A file cannot be read: the wrap switch could not read the shown file again (the main
// window's joining job says the same).
inline const QString CannotOpen = QStringLiteral("   指定されたファイルがオープンできませんでした。          ");
}
