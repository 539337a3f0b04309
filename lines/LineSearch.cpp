// Forward search ignoring the case of ASCII letters.
#include "lines/LineTable.h"

#include "lines/FoldedScan.h"

bool LineTable::find(QByteArrayView text, int &line, int &column, JobControl *job) const
{
    if (text.isEmpty())
        return false;
    const FoldedPattern pattern(text);
    const qsizetype n = pattern.size();
    const int lineFrom = line, columnFrom = column;
    if (line < 0)
        line = 0;
    int toldAt = line;
    while (line < count_) {
        // A stop is looked for now and then: the look costs nothing against the lines' scan.
        if (job && line - toldAt >= 4096) {
            job->AddLines(line - toldAt);
            toldAt = line;
            if (job->Cancelled()) {
                line = lineFrom;
                column = columnFrom;
                throw EJobCancelled();
            }
        }
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
