#pragma once
// The notices of the viewer's search, jump, wrap and scroll commands, blanks included.
#include <QString>

#include "lines/FileMessages.h"

namespace viewermsg {
inline const QString NotFound = QStringLiteral("    検索文字はありませんでした。   ");
inline const QString NoSearchText = QStringLiteral("    検索文字が設定されていません。   ");
// The jump's line number and the scroll setting share this text.
inline const QString LineOutOfRange = QStringLiteral("    行番号が範囲外です。   ");
inline const QString ValueOutOfRange = QStringLiteral("    設定値が範囲外です。   ");
// The wrap switch could not read the shown file again.
inline const QString CannotOpen = filemsg::CannotOpen;
}
