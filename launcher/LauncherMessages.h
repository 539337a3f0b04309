#pragma once
// The launcher's message texts, blanks included.
#include <QString>

namespace msg {
inline const QString TooManyEntries = QStringLiteral("    設定個数は ９ 個までです。          ");
inline const QString NeedTitle = QStringLiteral("    タイトル名は必ず指定してください。          ");
inline const QString NeedFileName = QStringLiteral("    実行ファイル名は必ず指定してください。          ");
// fileName: the file as it was to be started, after the "%f" substitution.
inline QString LaunchFailed(const QString &fileName)
{
    return QStringLiteral("    ") + fileName + QStringLiteral(" の実行に失敗しました。          ");
}
}  // namespace msg
