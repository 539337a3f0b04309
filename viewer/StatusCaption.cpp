#include "viewer/StatusCaption.h"

QString StatusCaption(int rowCount, int lineCount, int hitRow, int hitLine, int column)
{
    return QStringLiteral("Talvo(View)  全行数 : %1 (%2)  検索行 : %3 (%4)  検索位置 : %5")
        .arg(rowCount)
        .arg(lineCount)
        .arg(hitRow)
        .arg(hitLine)
        .arg(column);
}
