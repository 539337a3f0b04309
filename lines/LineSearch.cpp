// Forward search ignoring the case of ASCII letters.
#include "lines/LineTable.h"

#include "lines/FoldedScan.h"

bool LineTable::find(QByteArrayView text, int &line, int &column) const
{
    if (text.isEmpty())
        return false;
    const FoldedPattern pattern(text);
    const qsizetype n = pattern.size();
    if (line < 0)
        line = 0;
    while (line < count_) {
        if (column < 1)
            column = 1;
        const QByteArrayView bytes = spanView(slots_[line]);
        const qsizetype first = qsizetype(column) - 1;
        const qsizetype starts = bytes.size() - n + 1 - first;
        if (starts > 0) {
            const auto *hay = reinterpret_cast<const unsigned char *>(bytes.data()) + first;
            const qsizetype at = pattern.search(hay, starts);
            if (at >= 0) {
                column = int(first + at + 1);
                return true;
            }
        }
        ++line;
        column = 1;
    }
    line = count_;
    column = 1;
    return false;
}
