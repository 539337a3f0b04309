#pragma once
// Message texts said on more than one floor, blanks included: the joining job and the viewer's
// wrap switch both report a file they cannot read, and every command that shows a file in a
// view reports one it cannot show.
#include <QString>

namespace filemsg {
inline const QString CannotOpen = QStringLiteral("   指定されたファイルがオープンできませんでした。          ");
inline const QString CannotShow = QStringLiteral("   指定されたファイルが表示できませんでした。          ");
}
