// TBigView: rows, measuring and the re-layout after size and font changes.
#include <QFontMetrics>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <cmath>
#include <stdexcept>

#include "bigview/BigView.h"
#include "bigview/rules/BvMath.h"
#include "lines/TBvStrings.h"

namespace {
// Rows longer than this get width checkpoints, spaced this far apart.
constexpr qsizetype IndexSpacing = 64 * 1024;
constexpr size_t IndexedRowsKept = 8;
}

int TBigView::LineCount() const
{
    return lines_->Count();
}

QByteArrayView TBigView::RowView(int row) const
{
    return rows_.RowText(*lines_, row);
}

int TBigView::RowLength(int row) const
{
    return rows_.At(row).Len;
}

TBigView::WrapKey TBigView::CurrentWrapKey() const
{
    return WrapKey{ClientWidth(), charWidth_, metrics_.EffectiveTabDistance(), metrics_.Font()};
}

void TBigView::LayoutFrom(int line)
{
    DropWidthCache();
    const bool byWidth = wordWrap_ && wrapByte_ == 0;
    if (line <= 0)
        wrapKey_ = byWidth ? CurrentWrapKey() : WrapKey();
    const WidthFit fit = byWidth ? CurrentWidthFit() : WidthFit();
    rows_.LayoutFrom(*lines_, line, wordWrap_, wrapByte_,
                     [this, &fit](QByteArrayView s) { return WindowWidthCount(s, fit); });
}

void TBigView::Relayout(TBvRows *laidOut)
{
    const int topLine = qMax(0, RowToLine(topRow_));
    const QPoint anchorLine = RowPosToLinePos(selAnchor_);
    const QPoint endLine = RowPosToLinePos(selEnd_);
    if (laidOut) {
        DropWidthCache();
        wrapKey_ = wordWrap_ && wrapByte_ == 0 ? CurrentWrapKey() : WrapKey();
        rows_ = std::move(*laidOut);
    } else {
        LayoutFrom(0);
    }
    NoRender = true;
    try {
        UpdateScrollRanges();
    } catch (...) {
        NoRender = false;
        throw;
    }
    NoRender = false;
    SetSelAnchor(LinePosToRowPos(anchorLine));
    SetSelEnd(LinePosToRowPos(endLine));
    SetTopRow(LineToRow(topLine));
}

qint64 TBigView::TabbedWidth(QByteArrayView text) const
{
    return metrics_.Width(text);
}

void TBigView::UpdateTabDistance()
{
    metrics_.SetTabDistance(bv::CheckedInt(qint64(charWidth_) * viewTabStop_));
    DropWidthCache();
}

void TBigView::DropWidthCache()
{
    widthIndex_.clear();
}

const TBigView::WidthIndex &TBigView::IndexFor(int row) const
{
    for (const WidthIndex &w : widthIndex_) {
        if (w.row == row)
            return w;
    }
    if (widthIndex_.size() >= IndexedRowsKept)
        widthIndex_.erase(widthIndex_.begin());
    WidthIndex w;
    w.row = row;
    const QByteArrayView text = RowView(row);
    TBvMetrics::Cursor c;
    w.marks.push_back(c);
    // One walk over the row; each mark stands on the first character boundary at or after a
    // multiple of the spacing.
    for (qsizetype next = IndexSpacing; next < text.size(); next = c.offset + IndexSpacing) {
        c = metrics_.Advance(text, c, next);
        if (c.offset >= text.size())
            break;
        w.marks.push_back(c);
    }
    widthIndex_.push_back(std::move(w));
    return widthIndex_.back();
}

TBvMetrics::Cursor TBigView::CursorBefore(int row, qsizetype offset) const
{
    if (RowLength(row) < 2 * IndexSpacing)
        return {};
    const auto &marks = IndexFor(row).marks;
    auto it = std::upper_bound(marks.begin(), marks.end(), offset,
                               [](qsizetype o, const TBvMetrics::Cursor &m) { return o < m.offset; });
    return it == marks.begin() ? TBvMetrics::Cursor() : *(it - 1);
}

TBvMetrics::Cursor TBigView::CursorBeforeX(int row, qint64 x) const
{
    if (RowLength(row) < 2 * IndexSpacing)
        return {};
    const auto &marks = IndexFor(row).marks;
    // The last mark strictly left of x.
    auto it = std::lower_bound(marks.begin(), marks.end(), x,
                               [](const TBvMetrics::Cursor &m, qint64 v) { return m.x < v; });
    return it == marks.begin() ? TBvMetrics::Cursor() : *(it - 1);
}

qint64 TBigView::RowPrefixWidth(int row, int bytes) const
{
    const QByteArrayView text = RowView(row);
    const qsizetype n = std::clamp<qsizetype>(bytes, 0, text.size());
    // The first n bytes measured on their own: a lead byte cut off from its trail counts alone.
    return metrics_.Advance(text.first(n), CursorBefore(row, n), n).x;
}

int TBigView::RowColumnAtX(int row, qint64 px, bool wholeChars) const
{
    const QByteArrayView text = RowView(row);
    const TBvMetrics::Cursor from = CursorBeforeX(row, px);
    qsizetype i = from.offset;
    qint64 x = from.x;
    const bool shiftJis = metrics_.Encoding() == TextEncoding::ShiftJis;
    while (i < text.size()) {
        const int bytes = int(metrics_.CharLen(text, i));
        // Byte by byte only in Shift-JIS: the other encodings never split a character.
        if (shiftJis && bytes == 2 && !wholeChars) {
            // The prefix that ends on the lead byte measures it as a byte of its own.
            const qint64 half = x + metrics_.Shape(text.first(i + 1), i).advance;
            if (half >= px)
                return static_cast<int>(i + 1);
        }
        x += metrics_.CharAdvance(text, i, x);
        if (x >= px) {
            // Whole characters: the caret goes to the character's left edge, never between its
            // two bytes. Byte by byte: the last byte the prefix holds.
            return static_cast<int>(wholeChars || !shiftJis ? i + 1 : i + bytes);
        }
        i += bytes;
    }
    return static_cast<int>(text.size() + 1);
}

void TBigView::MeasureFont()
{
    const QFontMetrics fm(font());
    lineHeight_ = qMax(1, fm.height() + qMax(0, fm.leading()));
    const int avg = fm.averageCharWidth();
    const int widest = fm.maxWidth();
    const int cw = qMax(1, avg + bv::RoundEven((widest - avg) * 0.3));
    if (cw != charWidth_) {
        charWidth_ = cw;
        UpdateTabDistance();
    }
    const int client = ClientWidth();
    if (qint64(maxChar_) * charWidth_ < client) {
        const int wanted = bv::RoundEven(double(client) / charWidth_) + 1;
        if (inRemeasure_)
            maxChar_ = wanted;  // the rest of the running Remeasure follows
        else
            SetMaxChar(wanted);
    }
}

void TBigView::Remeasure()
{
    const bool nested = inRemeasure_;
    inRemeasure_ = true;
    const QSize imageBefore = image_.size();
    try {
        MeasureFont();
        UpdateVisibleRows();

        // Wrapping at the window width depends on the width: re-wrap, keeping the top line and
        // the selected bytes. Nothing to do when the width and the font did not change.
        bool rebuilt = false;
        if (wordWrap_ && wrapByte_ == 0 && !(CurrentWrapKey() == wrapKey_) && RowCount() > 0) {
            Relayout();
            rebuilt = true;
        } else {
            UpdateScrollRanges();
        }
        SizeImage();
        if (visibleRows_ < RowCount())
            SetBottomRow(topRow_ + visibleRows_ - 1);
        // The Image covers the window only, and scrolling it keeps pixels of the old size or the
        // old rows: render everything again.
        if (image_.size() != imageBefore || rebuilt)
            Redraw();
    } catch (...) {
        inRemeasure_ = nested;
        throw;
    }
    inRemeasure_ = nested;
}

void TBigView::UpdateVisibleRows()
{
    // Whole rows of the outer height, less the horizontal bar and the caption bar.
    int h = height();
    if (HasHorizontalBar(scrollBar_))
        h -= horizontalScrollBar()->sizeHint().height();
    if (bvStyle_.Has(bvCaption))
        h -= Insets().caption;
    visibleRows_ = qMax(0, h / lineHeight_);
}

bool TBigView::GrowMaxChar(int first, int count)
{
    if (first < 0) {
        count += first;
        first = 0;
    }
    if (count <= 0)
        return false;
    const int m = qMax(maxChar_, rows_.MaxCells(first, count));
    if (m <= maxChar_)
        return false;
    SetMaxChar(m);
    NoRender = true;
    UpdateScrollRanges();
    NoRender = false;
    return true;
}

TBigView::WidthFit TBigView::CurrentWidthFit() const
{
    return WidthFit{ClientWidth(), TabbedWidth("x"), charWidth_, &metrics_};
}

int TBigView::WindowWidthCount(QByteArrayView s, const WidthFit &fit) const
{
    const TBvMetrics &metrics = *fit.metrics;
    const qint64 len = s.size();
    qint64 W = fit.width;
    const TextEncoding encoding = metrics.Encoding();
    if (encoding != TextEncoding::ShiftJis) {
        // Each row of the other encodings is measured by itself and holds the characters that fit
        // the window (at least one): no character is drawn past the right edge.
        qint64 x = 0, cells = 0;
        for (qsizetype i = 0; i < len;) {
            const qint64 right = x + metrics.CharAdvance(s, i, x);
            if (right > W && i > 0)
                break;
            x = right;
            cells += CharCells(encoding, s, i);
            i += metrics.CharLen(s, i);
        }
        return int(std::min<qint64>(cells, INT_MAX));
    }
    // Most lines fit: measure only as far as the width before measuring the whole line.
    TBvMetrics::Cursor c = metrics.AdvanceToX(s, {}, W);
    if (c.offset >= len && c.x <= W)
        return static_cast<int>(len);
    qint64 w = metrics.Advance(s, c, len).x;
    if (W < fit.x)
        W = fit.x;
    // Estimated bytes per row from the average width per byte, then refined one byte at a time
    // until the row is at most two columns short of the width.
    const qint64 avg = std::max<qint64>(1, w / len);
    qint64 n = W / avg;
    bool grew = false, shrank = false;
    const qint64 slack = W - 2 * fit.charWidth;
    for (;;) {
        if (slack < w && w < W)
            break;
        if (w <= slack)
            ++n;
        if (w > W)
            --n;
        n = std::clamp<qint64>(n, 1, len);
        const qint64 prev = w;
        w = metrics.Advance(s.first(n), {}, n).x;
        if (w > prev)
            grew = true;
        else
            shrank = true;
        if (w == prev || (grew && shrank))
            break;
    }
    return static_cast<int>(n);
}
