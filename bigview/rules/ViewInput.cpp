#include "bigview/rules/ViewInput.h"

#include <algorithm>
#include <limits>

#include "bigview/rules/BvMath.h"
#include "bigview/rules/BvText.h"

int FindCaretKey(int key, int shift, bool withShiftForms)
{
    const int entries = withShiftForms ? int(CaretKeyTable.size()) : PlainCaretKeys;
    for (int i = 0; i < entries; ++i) {
        if (CaretKeyTable[i].key == key && CaretKeyTable[i].shift == shift)
            return i;
    }
    return -1;
}

int FindScrollKey(std::span<const ScrollKey> table, int key, int shift)
{
    for (const ScrollKey &entry : table) {
        if (entry.key == key && entry.shift == shift)
            return entry.code;
    }
    return -1;
}

int BarPosToTopRow(int pos, int rangeMax, int maxTop)
{
    if (maxTop <= 0 || rangeMax <= 0)
        return 0;
    return bv::RoundEven(double(pos) / double(rangeMax) * double(maxTop));
}

namespace {
// The column of the character holding cell `cell` (0-based) of a row, or the row's end.
int ColumnAtCell(TextEncoding encoding, QByteArrayView text, qsizetype cell)
{
    qsizetype column = text.size() + 1, cells = 0;
    ForEachChar(encoding, text, [&](qsizetype i, qsizetype) {
        cells += CharCells(encoding, text, i);
        if (cells > cell) {
            column = i + 1;
            return false;
        }
        return true;
    });
    return int(column);
}

QPoint MoveCaretByChars(CaretMove move, QPoint from, const CaretRows &rows, int visibleRows)
{
    const TextEncoding encoding = rows.Encoding();
    const int last = rows.RowCount() - 1;
    const int row = std::clamp(from.y(), 0, last);
    const QByteArrayView text = rows.RowText(row);
    const qsizetype at = std::clamp<qsizetype>(qsizetype(from.x()) - 1, 0, text.size());
    const int page = std::max(visibleRows, 0);
    const auto vertical = [&](int to) {
        const qsizetype cell = CellCount(encoding, text.first(at));
        return QPoint(ColumnAtCell(encoding, rows.RowText(to), cell), to);
    };
    switch (move) {
    case CaretMove::LineUp:
        return vertical(std::max(row - 1, 0));
    case CaretMove::LineDown:
        return vertical(std::min(row + 1, last));
    case CaretMove::PageUp:
        return vertical(std::max(row - page, 0));
    case CaretMove::PageDown:
        return vertical(row > last - page ? last : row + page);
    case CaretMove::CharLeft:
        if (at == 0)
            return QPoint(1, row);
        return QPoint(int(CharStart(encoding, text, std::min(at, text.size()) - 1)) + 1, row);
    case CaretMove::CharRight:
        if (at >= text.size())
            return QPoint(int(text.size()) + 2, row);  // past the end, as in Shift-JIS: clamped back
        return QPoint(int(CharStart(encoding, text, at) + CharLength(encoding, text, CharStart(encoding, text, at))) + 1, row);
    case CaretMove::RowStart:
        return QPoint(1, row);
    case CaretMove::RowEnd:
        return QPoint(int(text.size()) + 1, row);
    case CaretMove::TextStart:
        return QPoint(1, 0);
    case CaretMove::TextEnd:
        return QPoint(int(rows.RowText(last).size()) + 1, last);
    }
    return from;
}
}

QPoint MoveCaret(CaretMove move, QPoint from, const CaretRows &rows, int visibleRows)
{
    const int count = rows.RowCount();
    if (count <= 0)
        return from;
    if (rows.Encoding() != TextEncoding::ShiftJis)
        return MoveCaretByChars(move, from, rows, visibleRows);
    const int last = count - 1;
    int column = from.x();
    // Rows can have been re-wrapped under a kept caret; never read a row that is gone.
    int row = std::clamp(from.y(), 0, last);
    const int page = std::max(visibleRows, 0);

    // The caret must not split a double-byte character: step off a trail byte in the direction
    // of travel (-1 towards the row start, +1 towards its end).
    auto offTrail = [&](int direction) {
        if (column >= 1 && ByteKind(rows.RowText(row), column) == 2)
            column += direction;
    };

    switch (move) {
    case CaretMove::LineUp:
        row = std::max(row - 1, 0);
        offTrail(-1);
        break;
    case CaretMove::LineDown:
        row = row < last ? row + 1 : last;
        offTrail(+1);
        break;
    case CaretMove::CharLeft:
        column = std::max(column - 1, 1);
        offTrail(-1);
        break;
    case CaretMove::CharRight:
        if (column < std::numeric_limits<int>::max())
            ++column;
        offTrail(+1);
        break;
    case CaretMove::PageUp:
        row = std::max(row - page, 0);
        offTrail(-1);
        break;
    case CaretMove::PageDown:
        row = row > last - page ? last : row + page;
        offTrail(+1);
        break;
    case CaretMove::RowStart:
        column = 1;
        break;
    case CaretMove::RowEnd:
        column = int(rows.RowText(row).size()) + 1;
        break;
    case CaretMove::TextStart:
        column = 1;
        row = 0;
        break;
    case CaretMove::TextEnd:
        row = last;
        column = int(rows.RowText(row).size()) + 1;
        break;
    }
    return QPoint(column, row);
}

QPoint PositionAtPoint(const PointGeometry &geometry, const PointRows &rows, QPoint point,
                       bool wholeChars)
{
    if (geometry.rowCount <= 0)
        return QPoint(0, 0);

    // edge: -1 above the rows, 1 below the last row.
    int edge = 0;
    qint64 y = point.y();
    if (y > geometry.imageHeight)
        y = geometry.imageHeight;
    if (y < 0) {
        y = 0;
        edge = -1;
    }
    const qint64 px = std::clamp<qint64>(qint64(point.x()) + qint64(geometry.charWidth) * geometry.hScrollPos,
                                         0, std::max<qint64>(geometry.imageWidth, 0));
    qint64 row = y / std::max(geometry.lineHeight, 1) + geometry.topRow;
    if (row >= geometry.rowCount) {
        row = geometry.rowCount - 1;
        edge = 1;
    }
    if (row < 0)
        return QPoint(0, 0);

    const int r = int(row);
    if (edge == 1)
        return QPoint(rows.RowLength(r) + 1, r);
    if (edge == -1)
        return QPoint(1, r);
    return QPoint(rows.ColumnAtX(r, px, wholeChars), r);
}

namespace {
ColumnSpan WordSpanByChars(QByteArrayView text, int column, TextEncoding encoding)
{
    const qsizetype at = qsizetype(column) - 1;
    if (column < 1 || at >= text.size())
        return ColumnSpan{column, column + 1};
    const auto isWordChar = [&](qsizetype i, qsizetype n) {
        if (IsUtf16(encoding)) {
            const bool bigEndian = encoding == TextEncoding::Utf16Be;
            return n == 2 && text[i + (bigEndian ? 0 : 1)] == 0
                && IsWordByte(static_cast<unsigned char>(text[i + (bigEndian ? 1 : 0)]));
        }
        return n == 1 && IsWordByte(static_cast<unsigned char>(text[i]));
    };
    // One walk over the row finds the run of word characters, or the character, under the column.
    ColumnSpan span{column, column + 1};
    qsizetype runStart = -1;
    bool inWord = false;  // the column's character is a word character: the run is extended
    ForEachChar(encoding, text, [&](qsizetype i, qsizetype n) {
        const bool word = isWordChar(i, n);
        if (inWord && !word)
            return false;
        if (word && runStart < 0)
            runStart = i;
        if (!word)
            runStart = -1;
        if (i + n <= at)
            return true;
        // The character under the column.
        inWord = word;
        if (!word) {
            span = ColumnSpan{int(i) + 1, int(i + n) + 1};
            return false;
        }
        span.first = int(runStart) + 1;
        span.end = int(i + n) + 1;
        return true;  // the run goes on while word characters follow
    });
    return span;
}
}

ColumnSpan WordSpanAt(QByteArrayView text, int column, TextEncoding encoding)
{
    if (encoding != TextEncoding::ShiftJis)
        return WordSpanByChars(text, column, encoding);
    ColumnSpan span{column, column};
    const int length = int(text.size());
    const int kind = ByteKind(text, column);
    if (kind == 1) {
        span.end = column + 2;
        return span;
    }
    if (kind == 2) {
        span.first = column - 1;
        span.end = span.first + 2;
        return span;
    }
    auto byteAt = [&](int col) { return static_cast<unsigned char>(text[col - 1]); };
    if (column >= 1 && column <= length && IsWordByte(byteAt(column))) {
        // No word byte is a lead byte, so a word byte that follows another word byte is always
        // a single byte; only the first byte of the run can be the trail of a double-byte
        // character, so only its kind is looked up.
        int first = column;
        while (first > 1 && IsWordByte(byteAt(first - 1))) {
            const bool afterWordByte = first > 2 && IsWordByte(byteAt(first - 2));
            if (!afterWordByte && ByteKind(text, first - 1) != 0)
                break;
            --first;
        }
        // Likewise a byte after a single byte starts a new character: word bytes to the right
        // are single bytes.
        int last = column;
        while (last < length && IsWordByte(byteAt(last + 1)))
            ++last;
        span.first = first;
        span.end = last;
    }
    ++span.end;
    return span;
}
