#pragma once
// The launcher's message texts, blanks included.
#include <QString>

namespace msg {
inline const QString TooManyEntries = QStringLiteral("    設定個数は ９ 個までです。          ");
inline const QString NeedTitle = QStringLiteral("    タイトル名は必ず指定してください。          ");
inline const QString NeedFileName = QStringLiteral("    実行ファイル名は必ず指定してください。          ");
// field: the caption of the box whose text the settings file could not give back whole.
inline QString TooLong(const QString &field)
{
    return QStringLiteral("    ") + field + QStringLiteral("は 1023 ﾊﾞｲﾄまでです。          ");
}
// fileName: the file as it was to be started, after the "%f" substitution.
inline QString LaunchFailed(const QString &fileName)
{
    return QStringLiteral("    ") + fileName + QStringLiteral(" の実行に失敗しました。          ");
}
}  // namespace msg
