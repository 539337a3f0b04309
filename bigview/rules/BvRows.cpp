#include "bigview/rules/BvRows.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "bigview/rules/BvMath.h"
#include "lines/ListErrors.h"
#include "lines/TBvStrings.h"

size_t TBvRows::FirstContinuation(int line) const
{
    return size_t(std::lower_bound(more_.begin(), more_.end(), line,
                                   [](const TBvContinuation &c, int l) { return c.Line < l; }) -
                  more_.begin());
}

TBvRows::Place TBvRows::Locate(int row) const
{
    // Continuation j is row more_[j].Line + j + 1: those at or before the row are counted first.
    const auto after = std::upper_bound(more_.begin(), more_.end(), row, [this](int r, const TBvContinuation &c) {
        return r < c.Line + int(&c - more_.data()) + 1;
    });
    const size_t k = size_t(after - more_.begin());
    if (k > 0 && more_[k - 1].Line + int(k) == row)
        return Place{more_[k - 1].Line, more_[k - 1].Start, k};
    const int line = row - int(k);
    return Place{line, store_->LineLength(line) > 0 ? 1 : 0, k};
}

TBvRow TBvRows::RowAt(const Place &p) const
{
    const bool more = p.next < more_.size() && more_[p.next].Line == p.line;
    const int len = more ? more_[p.next].Start - p.start : (p.start == 0 ? 0 : store_->LineLength(p.line) - p.start + 1);
    int sub = 0;
    if (p.start > 1)
        sub = int(p.next - FirstContinuation(p.line));
    return TBvRow{p.line, p.start, len, sub, quint8(more ? 0 : 1)};
}

void TBvRows::Advance(Place &p) const
{
    if (p.next < more_.size() && more_[p.next].Line == p.line) {
        p.start = more_[p.next].Start;
        ++p.next;
        return;
    }
    ++p.line;
    p.start = p.line < lineCount_ && store_->LineLength(p.line) > 0 ? 1 : 0;
}

TBvRow TBvRows::At(int row) const
{
    if (row < 0 || row >= Count())
        throw EListError();
    if (more_.empty()) {
        const int len = store_->LineLength(row);
        return TBvRow{row, len > 0 ? 1 : 0, len, 0, 1};
    }
    return RowAt(Locate(row));
}

int TBvRows::MaxLen(int first, int count) const
{
    const qint64 begin = std::max(first, 0);
    const qint64 end = std::min<qint64>(qint64(first) + count, Count());
    if (begin >= end)
        return 0;
    if (more_.empty())
        return store_->LongestLine(int(begin), int(end - begin));
    int m = 0;
    Place p = Locate(int(begin));
    for (qint64 i = begin; i < end; ++i, Advance(p))
        m = std::max(m, RowAt(p).Len);
    return m;
}

int TBvRows::MaxCells(int first, int count) const
{
    if (!store_ || store_->Encoding() == TextEncoding::ShiftJis)
        return MaxLen(first, count);
    const TextEncoding encoding = store_->Encoding();
    int best = 0;
    // A row of no more bytes than the best so far cannot beat it; the bound spares most walks.
    const auto consider = [&](QByteArrayView text) {
        if (text.size() > best && CellBound(encoding, text) > best)
            best = std::max(best, int(std::min<qsizetype>(CellCount(encoding, text), INT_MAX)));
        return best < rowCellsCap_;
    };
    const qint64 end = std::min<qint64>(qint64(std::max(first, 0)) + count, Count());
    if (more_.empty()) {
        // Each line is a row: lines that cannot beat the best are skipped by what the store knows.
        for (int line = std::max(first, 0); line < end; ++line) {
            line = store_->NextLineWiderThan(line, best);
            if (line >= end || !consider(store_->View(line)))
                break;
        }
        return best;
    }
    Walk(first, int(end), [&](int, const TBvRow &r) {
        return r.Len <= best || consider(store_->View(r.Line).sliced(r.Start - 1, r.Len));
    });
    return best;
}

void TBvRows::Clear()
{
    TBvContinuationList().swap(more_);
    store_ = nullptr;
    lineCount_ = 0;
}

int TBvRows::FitCount(TextEncoding encoding, QByteArrayView line, int start, int count)
{
    return int(FitBytes(encoding, line, start - 1, count));
}

namespace {
// Lines laid out between two looks at a job: few enough to stop at once, many enough to cost
// nothing.
constexpr int JobStep = 4096;
}

void TBvRows::LayoutFrom(const TBvStrings &store, int L, bool wordWrap, int wrapByte,
                         const WidthCount &widthCount, JobControl *job)
{
    L = std::max(L, 0);  // a line before the first lays out everything, once
    store_ = &store;
    const int lineCount = store.Count();
    lineCount_ = lineCount;
    // A row holds at most the cells it wraps at, or one character wider than that.
    rowCellsCap_ = wordWrap && wrapByte > 0 ? std::max(wrapByte, 2) : INT_MAX;
    if (!wordWrap) {
        TBvContinuationList().swap(more_);
        return;
    }
    // The rows of the lines before L stay as they are.
    more_.resize(FirstContinuation(L));
    const TextEncoding encoding = store.Encoding();
    const bool perRow = wrapByte == 0 && encoding != TextEncoding::ShiftJis;

    if (job)
        job->AddTotalLines(lineCount - L);
    int toldAt = L;  // the job has been told of the lines before this one
    for (int a = L; a < lineCount; ++a) {
        // Most lines of a big file fit a row: the store skips them without reading their bytes
        // (no character takes more cells than bytes, and UTF-8 lines are bounded while loading).
        if (wrapByte > 0) {
            a = store.NextLineWiderThan(a, wrapByte);
            if (a >= lineCount)
                break;
        }
        if (job && a - toldAt >= JobStep) {
            job->AddLines(a - toldAt);
            toldAt = a;
            if (job->Cancelled()) {
                Clear();
                throw EJobCancelled();
            }
        }
        const int len = store.LineLength(a);
        if (len == 0 || (wrapByte > 0 && wrapByte >= len))
            continue;
        const QByteArrayView s = store.View(a);
        const int count0 = wrapByte > 0 ? wrapByte : widthCount(s);
        if (count0 >= len)
            continue;  // the whole line fits the window's width
        qint64 start = 1 + FitCount(encoding, s, 1, count0);
        while (start <= len) {
            if (more_.size() >= size_t(INT_MAX) - size_t(lineCount))
                bv::RaiseOverflow();
            if (more_.size() == more_.capacity()) {
                // Grow by an eighth, not by doubling: the rows of a big file are a large share
                // of the memory the view needs.
                more_.reserve(std::min<size_t>(more_.size() + std::max<size_t>(more_.size() / 8, 1024), size_t(INT_MAX)));
            }
            more_.push_back(TBvContinuation{a, static_cast<qint32>(start)});
            // Shift-JIS rows take the line's one count; the others are measured row by row.
            const int count = perRow ? widthCount(s.sliced(start - 1)) : count0;
            start += FitCount(encoding, s, static_cast<int>(start), count);
        }
    }
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
    if (line < 0 || line >= lineCount_)
        return Count();
    return line + int(FirstContinuation(line));
}

int TBvRows::RowToLine(int row) const
{
    if (row < 0 || row >= Count())
        return -1;
    return Locate(row).line;
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
    // The line's rows follow each other with growing Start: the last one starting at or before
    // the column holds it.
    const size_t firstMore = FirstContinuation(L);
    const auto lineEnd = std::lower_bound(more_.begin() + qsizetype(firstMore), more_.end(), L + 1,
                                          [](const TBvContinuation &r, int l) { return r.Line < l; });
    const auto it = std::upper_bound(more_.begin() + qsizetype(firstMore), lineEnd, c,
                                     [](int col, const TBvContinuation &r) { return col < r.Start; });
    const int held = int(it - (more_.begin() + qsizetype(firstMore)));  // rows after the first
    const int start = held == 0 ? At(first).Start : std::prev(it)->Start;
    const qint64 column = qint64(c) - start + 1;
    if (column < 1)
        return QPoint(0, 0);
    return QPoint(static_cast<int>(column), first + held);
}
