#pragma once
// The rules behind the big-text view's keyboard and mouse handling that need no window: the key
// tables, caret movement over display rows, the column under a pointer and the extent of a
// double-clicked word. TBigView calls them; tests call them directly.
#include <QByteArrayView>
#include <QPoint>
#include <QtGlobal>

#include <array>
#include <utility>
#include <span>

#include "bigview/rules/BvScroll.h"
#include "lines/TextEncoding.h"
#include "platform/VirtualKeys.h"

// ---- Key tables ----
// Keys are virtual-key codes; shift values are 0 none, 1 Shift, 4 Ctrl, 5 Ctrl+Shift (the bits
// of MapKeyEvent). An entry matches only the exact shift value, so Alt or any other added
// modifier keeps a key from matching.
namespace kshift {
constexpr int None = 0, Shift = ssShift, Ctrl = ssCtrl, CtrlShift = ssCtrl | ssShift;
}

enum class CaretMove : unsigned char {
    LineUp, LineDown, CharLeft, CharRight, PageUp, PageDown, RowStart, RowEnd, TextStart, TextEnd,
};

struct CaretKey {
    int key;
    int shift;
    CaretMove move;
};

// Entries 0-9 are the plain movements; 10-19 are their Shift forms, which extend the selection.
inline constexpr std::array<CaretKey, 20> CaretKeyTable{{
    {vk::Up, kshift::None, CaretMove::LineUp},
    {vk::Down, kshift::None, CaretMove::LineDown},
    {vk::Left, kshift::None, CaretMove::CharLeft},
    {vk::Right, kshift::None, CaretMove::CharRight},
    {vk::Prior, kshift::None, CaretMove::PageUp},
    {vk::Next, kshift::None, CaretMove::PageDown},
    {vk::Home, kshift::None, CaretMove::RowStart},
    {vk::End, kshift::None, CaretMove::RowEnd},
    {vk::Home, kshift::Ctrl, CaretMove::TextStart},
    {vk::End, kshift::Ctrl, CaretMove::TextEnd},
    {vk::Up, kshift::Shift, CaretMove::LineUp},
    {vk::Down, kshift::Shift, CaretMove::LineDown},
    {vk::Left, kshift::Shift, CaretMove::CharLeft},
    {vk::Right, kshift::Shift, CaretMove::CharRight},
    {vk::Prior, kshift::Shift, CaretMove::PageUp},
    {vk::Next, kshift::Shift, CaretMove::PageDown},
    {vk::Home, kshift::Shift, CaretMove::RowStart},
    {vk::End, kshift::Shift, CaretMove::RowEnd},
    {vk::Home, kshift::CtrlShift, CaretMove::TextStart},
    {vk::End, kshift::CtrlShift, CaretMove::TextEnd},
}};
inline constexpr int PlainCaretKeys = 10;

// A key that makes a scroll request; on the horizontal bar "up" is left and "down" right.
struct ScrollKey {
    int key;
    int shift;
    ScrollCode code;
};

// Keys that scroll the rows when they do not move a caret.
inline constexpr std::array<ScrollKey, 22> VerticalKeyTable{{
    {vk::Up, kshift::None, ScrollLineUp},
    {vk::Down, kshift::None, ScrollLineDown},
    {vk::E, kshift::Ctrl, ScrollLineUp},
    {vk::X, kshift::Ctrl, ScrollLineDown},
    {vk::Left, kshift::None, ScrollPageUp},
    {vk::Right, kshift::None, ScrollPageDown},
    {vk::Prior, kshift::None, ScrollPageUp},
    {vk::Next, kshift::None, ScrollPageDown},
    {vk::Up, kshift::Shift, ScrollPageUp},
    {vk::Down, kshift::Shift, ScrollPageDown},
    {vk::S, kshift::Ctrl, ScrollPageUp},
    {vk::D, kshift::Ctrl, ScrollPageDown},
    {vk::Space, kshift::Shift, ScrollPageUp},
    {vk::Space, kshift::None, ScrollPageDown},
    {vk::Up, kshift::Ctrl, ScrollTop},
    {vk::Down, kshift::Ctrl, ScrollBottom},
    {vk::T, kshift::None, ScrollTop},
    {vk::B, kshift::None, ScrollBottom},
    {vk::Home, kshift::None, ScrollTop},
    {vk::End, kshift::None, ScrollBottom},
    {vk::Home, kshift::Ctrl, ScrollTop},
    {vk::End, kshift::Ctrl, ScrollBottom},
}};

// Keys that scroll the columns: one column, a window's width, or to either end.
inline constexpr std::array<ScrollKey, 6> HorizontalKeyTable{{
    {vk::Left, kshift::None, ScrollLineUp},
    {vk::Right, kshift::None, ScrollLineDown},
    {vk::Left, kshift::Ctrl, ScrollPageUp},
    {vk::Right, kshift::Ctrl, ScrollPageDown},
    {vk::Home, kshift::None, ScrollTop},
    {vk::End, kshift::None, ScrollBottom},
}};

// Keys that copy the selection to the clipboard.
inline constexpr std::array<std::pair<int, int>, 2> CopyKeyTable{{
    {vk::C, kshift::Ctrl},
    {vk::Insert, kshift::Ctrl},
}};
constexpr bool IsCopyKey(int key, int shift)
{
    for (const auto &[k, s] : CopyKeyTable)
        if (k == key && s == shift)
            return true;
    return false;
}

// Index of the caret-table entry for (key, shift), or -1. The Shift forms are looked at only
// when the view allows selecting.
int FindCaretKey(int key, int shift, bool withShiftForms);
// Scroll code of the table's entry for (key, shift), or -1. No table holds a (key, shift) pair
// twice, so at most one entry matches.
int FindScrollKey(std::span<const ScrollKey> table, int key, int shift);

// The four arrow keys, which the view keeps from dialog navigation.
constexpr bool IsArrowKey(int key) { return key >= vk::Left && key <= vk::Down; }

// Scroll-bar position -> top row: the bar's range 0..rangeMax stands for the top rows
// 0..maxTop, rounded to the nearest row (ties to even). maxTop <= 0 (nothing to scroll) gives 0.
int BarPosToTopRow(int pos, int rangeMax, int maxTop);

// ---- Caret movement ----
// What a caret movement needs to know of the rows.
class CaretRows {
public:
    virtual int RowCount() const = 0;
    virtual QByteArrayView RowText(int row) const = 0;  // the row's bytes, no copy
    virtual TextEncoding Encoding() const { return TextEncoding::ShiftJis; }

protected:
    ~CaretRows() = default;
};

// Where a caret key moves a (column, row) position. The result may lie past the row's end on
// the right (Right at the end of a row); the view's clamping takes it back. A movement never
// leaves the caret on the trail byte of a double-byte character: vertical moves and Left go to
// the character's lead byte or past the character depending on the direction of travel.
// In the other encodings the caret moves by characters, and a vertical move keeps its cell
// column: it lands on the character that holds that cell, or at the end of a shorter row.
QPoint MoveCaret(CaretMove move, QPoint from, const CaretRows &rows, int visibleRows);

// ---- Pointer positions ----
// What the view's geometry contributes to the position under a pointer.
struct PointGeometry {
    int rowCount = 0;
    int topRow = 0;
    int lineHeight = 1;
    int charWidth = 1;
    int hScrollPos = 0;
    qint64 imageWidth = 0;   // width of the rendered rows in pixels ((MaxChar + 1) columns)
    qint64 imageHeight = 0;  // height of the whole visible rows in pixels
};

class PointRows {
public:
    virtual int RowLength(int row) const = 0;
    // The column under x = px of the row (px counted from the row's first byte): the first
    // character whose right edge is at or beyond px, or length + 1 when the row ends before px.
    // With wholeChars clear the same, byte by byte (a trail byte can be the answer).
    virtual int ColumnAtX(int row, qint64 px, bool wholeChars) const = 0;

protected:
    ~PointRows() = default;
};

// The (column, row) under the client point (x, y); (0, 0) when there are no rows. A point above
// the rows gives column 1 of the top row, a point below the last row the end of the last row.
QPoint PositionAtPoint(const PointGeometry &geometry, const PointRows &rows, QPoint point,
                       bool wholeChars);

// ---- Word selection ----
// A word byte: A-Z, a-z, 0-9 and the underscore.
constexpr bool IsWordByte(unsigned char b)
{
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '_';
}

struct ColumnSpan {
    int first = 0;  // column where the selection starts
    int end = 0;    // column after its last byte
};

// The span a double click on column `column` (>= 1) of a row selects: the run of word bytes
// around it, a double-byte character on its own, or any other single byte on its own. Word
// bytes that are trail bytes of double-byte characters never join a word. Past the row's end
// the span is (column, column + 1), which the view's clamping turns into an empty selection.
// In the other encodings the same by characters: a run of word characters (ASCII), or the one
// character under the column.
ColumnSpan WordSpanAt(QByteArrayView text, int column, TextEncoding encoding = TextEncoding::ShiftJis);
