#include "bigview/rules/BvRows.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "bigview/rules/BvMath.h"
#include "bigview/rules/BvText.h"
#include "lines/ListErrors.h"
#include "lines/TBvStrings.h"

TBvRow TBvRows::OneRow(int line, int len)
{
    return TBvRow{line, len > 0 ? 1 : 0, len, 0, 1};
}

TBvRow TBvRows::LineRow(const TBvStrings &store, int line)
{
    return OneRow(line, store.LineLength(line));
}

TBvRow TBvRows::At(int row) const
{
    if (row < 0 || row >= Count())
        throw EListError();
    return store_ ? LineRow(*store_, row) : rows_[static_cast<size_t>(row)];
}

int TBvRows::MaxLen(int first, int count) const
{
    if (store_)
        return store_->LongestLine(first, count);
    const qint64 begin = std::max(first, 0);
    const qint64 end = std::min<qint64>(qint64(first) + count, Count());
    int m = 0;
    for (qint64 i = begin; i < end; ++i)
        m = std::max(m, rows_[size_t(i)].Len);
    return m;
}

void TBvRows::Clear()
{
    TBvRowList().swap(rows_);
    store_ = nullptr;
    storeCount_ = 0;
}

int TBvRows::FitCount(QByteArrayView line, int start, int count)
{
    // The row's first byte starts a character: ByteKind looks no further back than that.
    const QByteArrayView rest = line.sliced(start - 1);
    const qint64 end = qint64(count) + 1;
    if (end <= rest.size() && ByteKind(rest, static_cast<int>(end)) == 2) {
        --count;
        if (count < 1)
            count = 2;
    }
    return count;
}

void TBvRows::AppendGrowing(const TBvRow &row)
{
    if (rows_.size() >= size_t(INT_MAX))
        bv::RaiseOverflow();
    // Grow by an eighth, not by doubling: the rows of a big file are a large share of the
    // memory the view needs.
    const size_t more = std::max<size_t>(rows_.size() / 8, 1024);
    rows_.reserve(std::min<size_t>(rows_.size() + more, size_t(INT_MAX)));
    rows_.push_back(row);
}

void TBvRows::LayoutFrom(const TBvStrings &store, int L, bool wordWrap, int wrapByte,
                         const WidthCount &widthCount)
{
    L = std::max(L, 0);  // a line before the first lays out everything, once
    if (!wordWrap) {
        TBvRowList().swap(rows_);
        store_ = &store;
        storeCount_ = store.Count();
        return;
    }
    if (store_) {
        // The lines before L stay one row each: now they are stored like the rest.
        TBvRowList kept;
        const int keep = std::min(L, storeCount_);
        kept.reserve(size_t(keep));
        for (int line = 0; line < keep; ++line)
            kept.push_back(LineRow(*store_, line));
        rows_.swap(kept);
        store_ = nullptr;
        storeCount_ = 0;
    }
    size_t r = static_cast<size_t>(LineToRow(L));
    const size_t storeCapacity = static_cast<size_t>(store.Capacity());
    if (rows_.capacity() < storeCapacity)
        rows_.reserve(storeCapacity);

    // Kept small enough to inline: a big file passes here once per line.
    auto write = [&](const TBvRow &row) {
        if (r < rows_.size())
            rows_[r] = row;
        else if (rows_.size() < rows_.capacity())
            rows_.push_back(row);
        else
            AppendGrowing(row);
        ++r;
    };

    const int lineCount = store.Count();
    for (int a = L; a < lineCount; ++a) {
        // The length alone decides most lines' rows.
        const int len = store.LineLength(a);
        if (len == 0 || (wrapByte > 0 && wrapByte >= len)) {
            write(OneRow(a, len));
            continue;
        }
        const QByteArrayView s = store.View(a);
        const int count0 = wrapByte > 0 ? wrapByte : widthCount(s);
        if (count0 >= len) {
            write(OneRow(a, len));  // the whole line fits the window's width
            continue;
        }
        qint64 start = 1;
        int sub = 0;
        while (start <= len) {
            const int count = FitCount(s, static_cast<int>(start), count0);
            const int rowLen = static_cast<int>(std::min<qint64>(count, len - start + 1));
            write({a, static_cast<qint32>(start), rowLen, sub, 0});
            start += count;
            ++sub;
        }
        rows_[r - 1].Last = 1;
    }
    rows_.resize(r);
}

QByteArrayView TBvRows::RowText(const TBvStrings &store, int row) const
{
    const TBvRow &r = At(row);
    if (r.Start <= 0 || r.Len <= 0)
        return QByteArrayView();
    return store.View(r.Line).sliced(r.Start - 1, r.Len);
}

int TBvRows::LineToRow(int line) const
{
    // The first row of a line has an index >= the line, and rows are ordered by line.
    if (line < 0 || line >= Count())
        return Count();
    if (store_)
        return line;
    auto it = std::lower_bound(rows_.begin() + line, rows_.end(), line,
                               [](const TBvRow &row, int l) { return row.Line < l; });
    if (it == rows_.end() || it->Line != line)
        return Count();
    return static_cast<int>(it - rows_.begin());
}

int TBvRows::RowToLine(int row) const
{
    if (row < 0 || row >= Count())
        return -1;
    return store_ ? row : rows_[static_cast<size_t>(row)].Line;
}

QPoint TBvRows::RowPosToLinePos(QPoint rowPos) const
{
    const int row = rowPos.y();
    if (row < 0 || row >= Count())
        return QPoint(0, 0);
    const TBvRow r = At(row);
    const qint64 column = qint64(r.Start) + rowPos.x() - 1;
    if (column > INT_MAX || column < INT_MIN)
        bv::RaiseOverflow();
    return QPoint(static_cast<int>(column), r.Line);
}

QPoint TBvRows::LinePosToRowPos(QPoint linePos) const
{
    const int c = linePos.x();
    const int L = linePos.y();
    const int first = LineToRow(L);
    if (first == Count())
        return QPoint(1, Count());
    if (store_) {
        const qint64 column = qint64(c) - At(first).Start + 1;
        return column < 1 ? QPoint(0, 0) : QPoint(static_cast<int>(column), first);
    }
    // The line's rows follow each other with growing Start: the last one starting at or before
    // the column holds it.
    auto lineEnd = std::lower_bound(rows_.begin() + first, rows_.end(), L + 1,
                                    [](const TBvRow &row, int l) { return row.Line < l; });
    auto it = std::upper_bound(rows_.begin() + first + 1, lineEnd, c,
                               [](int col, const TBvRow &row) { return col < row.Start; });
    const size_t i = static_cast<size_t>(it - rows_.begin()) - 1;
    const qint64 column = qint64(c) - rows_[i].Start + 1;
    if (column < 1)
        return QPoint(0, 0);
    return QPoint(static_cast<int>(column), static_cast<int>(i));
}
