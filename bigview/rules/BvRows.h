#pragma once
// Display rows of the big-text view: how stored lines become rows (word wrap at a byte count or
// at a pixel width, never inside a double-byte character) and the conversions between row and
// line positions. A plain class over the line store, so the rules are tested without a window.
#include <QByteArrayView>
#include <QPoint>
#include <QtGlobal>

#include <algorithm>
#include <climits>
#include <functional>
#include <vector>

#include "lines/JobControl.h"
#include "lines/LargeMemory.h"
#include "lines/TBvStrings.h"


// One display row. Start is the 1-based byte where the row begins in its line (0 for the row of
// an empty line), Len its byte count, Sub its index among its line's rows, Last 1 on the line's
// last row.
struct TBvRow {
    qint32 Line = 0;
    qint32 Start = 0;
    qint32 Len = 0;
    qint32 Sub = 0;
    quint8 Last = 0;
};
// A row after the first of its line: where it starts. The first row of every line starts at the
// line's start, and a row ends where the next begins, so nothing else is kept per row.
struct TBvContinuation {
    qint32 Line = 0;
    qint32 Start = 0;
};
// A big file wrapped at a small width has many of them: the list is a large array.
using TBvContinuationList = std::vector<TBvContinuation, LargeArrayAllocator<TBvContinuation>>;

class TBvRows {
public:
    // How many cells of a (non-empty) line fit one row when wrapping at the window width (bytes
    // for Shift-JIS, where a byte is a cell, asked once per line; the other encodings are asked
    // again with the rest of the line for each row).
    using WidthCount = std::function<int(QByteArrayView line)>;

    int Count() const { return lineCount_ + static_cast<int>(more_.size()); }
    int LineCount() const { return lineCount_; }  // the store's lines at the last layout
    TBvRow At(int row) const;  // EListError outside 0..Count-1
    // The longest row among `count` rows from `first` on (clipped to the rows), or 0.
    int MaxLen(int first, int count) const;
    // The same in cells of the store's encoding (MaxLen for Shift-JIS).
    int MaxCells(int first, int count) const;

    // Rebuilds the rows of lines L..store.Count()-1 and keeps the earlier ones. wrapByte > 0
    // wraps at that many cells of the store's encoding; 0 asks widthCount for each line. Rows are read from `store` as
    // asked for (only the rows after a line's first are kept): the store must outlive the rows,
    // and a change to a line must be followed by a layout from that line on. With a job: the
    // lines gone through are counted, and a stop throws EJobCancelled and leaves no rows (as
    // after Clear).
    void LayoutFrom(const TBvStrings &store, int L, bool wordWrap, int wrapByte,
                    const WidthCount &widthCount, JobControl *job = nullptr);
    void Clear();

    // Calls visit(row, At(row)) for the rows from `first` up to `end` (excluded) in order, until
    // it returns false; cheaper than At for each row.
    template <typename Visit>
    void Walk(int first, int end, Visit &&visit) const;

    // The bytes of a row inside its line (no copy; valid until the store changes).
    QByteArrayView RowText(const TBvStrings &store, int row) const;

    int LineToRow(int line) const;  // first row of the line; Count() when there is none
    int RowToLine(int row) const;   // -1 outside the rows
    QPoint RowPosToLinePos(QPoint rowPos) const;  // (0, 0) outside the rows
    QPoint LinePosToRowPos(QPoint linePos) const;

    // Byte count of the row that starts at byte `start` (1-based) when wrapping the line at `count`
    // cells (FitBytes): for Shift-JIS `count` bytes, one less when the row would end on a lead
    // byte, and at least a whole double-byte character; for the others whole characters up to
    // `count` cells (at least one character).
    static int FitCount(TextEncoding encoding, QByteArrayView line, int start, int count);

private:
    // A row found: its line, where it starts, and the first continuation after it.
    struct Place {
        int line;
        int start;
        size_t next;
    };
    Place Locate(int row) const;
    TBvRow RowAt(const Place &place) const;
    void Advance(Place &place) const;
    size_t FirstContinuation(int line) const;  // of the line, or of the lines after it

    TBvContinuationList more_;
    const TBvStrings *store_ = nullptr;
    int lineCount_ = 0;  // the store's lines at the last layout
    int rowCellsCap_ = INT_MAX;  // no row holds more cells
};

template <typename Visit>
void TBvRows::Walk(int first, int end, Visit &&visit) const
{
    first = std::max(first, 0);
    end = std::min(end, Count());
    if (first >= end)
        return;
    if (more_.empty()) {
        // Each line is a row.
        for (int row = first; row < end; ++row) {
            const int len = store_->LineLength(row);
            if (!visit(row, TBvRow{row, len > 0 ? 1 : 0, len, 0, 1}))
                return;
        }
        return;
    }
    Place p = Locate(first);
    for (int row = first; row < end; ++row, Advance(p))
        if (!visit(row, RowAt(p)))
            return;
}
