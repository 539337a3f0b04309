#pragma once
// The program's message texts, blanks included.
#include <QString>

#include "lines/FileMessages.h"

namespace msg {
inline const QString NoOutputName = QStringLiteral("   出力ファイルを指定して下さい。          ");
inline const QString CannotOpen = filemsg::CannotOpen;
inline const QString AskOverwrite = QStringLiteral("   指定されたファイルが存在します。上書きしていいですか。          ");
inline const QString CannotCreate = QStringLiteral("   指定されたファイルが作成できませんでした。          ");
inline const QString CannotShow = filemsg::CannotShow;
inline const QString Done = QStringLiteral("   完了しました。          ");
inline const QString AskExit = QStringLiteral("    終了しますか。          ");
inline const QString AskBackToMain = QStringLiteral("    メイン画面に戻りますか。          ");
// The two halves are joined by LF then CR, as the original notice had them.
inline const QString NoSettingsFile =
    QStringLiteral("   TALVO.INIファイルが存在しませんので、   ") + QStringLiteral("\n\r") +
    QStringLiteral("   INI ファイルを作成します。   ");
}
