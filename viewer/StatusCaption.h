#pragma once
// The viewer window's caption after a search hit.
#include <QString>

// "Talvo(View)  全行数 : rows (lines)  検索行 : hitRow (hitLine)  検索位置 : column", all
// numbers in decimal: the view's row and line counts, the 1-based row of the hit and the 1-based
// line that holds it, and the 1-based byte column of the match in that row.
QString StatusCaption(int rowCount, int lineCount, int hitRow, int hitLine, int column);
