// TBigView's scroll model: the top row, the scroll bars' ranges and positions, scroll requests
// with their acceleration, and bringing the caret into view.
#include <QScrollBar>

#include <algorithm>
#include <climits>

#include "bigview/BigView.h"
#include "bigview/rules/ViewInput.h"

int TBigView::MaxTop() const
{
    return scOver_ ? RowCount() - 1 : RowCount() - visibleRows_;
}

void TBigView::SetTopRow(int row)
{
    const int oldTop = topRow_;
    int v = qMax(0, qMin(row, RowCount() - 1));
    if (OnViewLineChanging) {
        OnViewLineChanging(this, v);
        // A handler may ask for any row; keep the model inside the rows all the same.
        v = qMax(0, qMin(v, RowCount() - 1));
    }
    topRow_ = v;
    const int delta = topRow_ - oldTop;
    bottomRow_ = qMax(0, static_cast<int>(std::min<qint64>(qint64(topRow_) + visibleRows_ - 1, RowCount() - 1)));
    if (SelectionEmpty()) {
        // The caret travels with the visible rows.
        QPoint end = selEnd_;
        if (end.y() < topRow_)
            end.setY(topRow_);
        else if (end.y() > bottomRow_)
            end.setY(bottomRow_);
        SetSelEnd(end);
        SetSelAnchor(selEnd_);
    } else {
        PlaceCaret(selEnd_);
    }
    if (delta != 0) {
        VScrollBy(ScrollThumbPosition, -1, 0);
        if (delta > 0)
            ScrollImageUp(delta);
        else
            ScrollImageDown(-delta);
    } else {
        Redraw();
    }
    if (OnViewLineChanged)
        OnViewLineChanged(this);
}

void TBigView::SetBottomRow(int row)
{
    int r = qMax(0, qMin(row, RowCount() - 1));
    bottomRow_ = r;
    qint64 t = qint64(r) - visibleRows_ + 1;
    if (scOver_ && t < topRow_ && topRow_ <= r)
        t = topRow_;
    SetTopRow(static_cast<int>(std::max<qint64>(t, 0)));
}

void TBigView::SetBarRange(QScrollBar *bar, int min, int max)
{
    syncingBar_ = true;
    bar->setRange(min, qMax(min, max));
    bar->setSingleStep(1);
    if (bar == verticalScrollBar())
        bar->setPageStep(qMax(1, visibleRows_));
    else
        bar->setPageStep(qMax(1, ClientWidth() / charWidth_));
    syncingBar_ = false;
}

void TBigView::SetBarValue(QScrollBar *bar, int value)
{
    syncingBar_ = true;
    bar->setValue(value);
    syncingBar_ = false;
}

void TBigView::UpdateScrollRanges()
{
    if (HasVerticalBar(scrollBar_)) {
        int m = MaxTop();
        if (m >= RowCount())
            m = RowCount() - 1;
        if (m <= 0)
            m = 1;
        if (m < VScrollPos())
            SetVScrollPos(m);
        SetBarRange(verticalScrollBar(), 0, m);
        NoRender = true;
        SetTopRow(topRow_);
        NoRender = false;
    }
    if (HasHorizontalBar(scrollBar_))
        SetBarRange(horizontalScrollBar(), 0, maxChar_ - ClientWidth() / charWidth_);
}

int TBigView::ScrollTarget(int code, qint64 from, int pos, int page, const QScrollBar *bar) const
{
    qint64 p = from;
    switch (code) {
    case ScrollLineUp: p -= accel_.step; break;
    case ScrollLineDown: p += accel_.step; break;
    case ScrollPageUp: p -= page; break;
    case ScrollPageDown: p += page; break;
    case ScrollThumbPosition: case ScrollThumbTrack: p = pos; break;
    case ScrollTop: p = bar->minimum(); break;
    case ScrollBottom: p = bar->maximum(); break;
    default: break;
    }
    return static_cast<int>(std::max<qint64>(0, std::min<qint64>(p, bar->maximum())));
}

void TBigView::VScrollBy(int code, int pos, int threshold)
{
    if (!HasVerticalBar(scrollBar_))
        return;
    // (ScrollThumbPosition, -1) only brings the bar to the top row.
    const bool follow = code == ScrollThumbPosition && pos == -1;
    if (!follow)
        Accelerate(threshold);
    const int p = ScrollTarget(follow ? -1 : code, topRow_, pos, qMax(1, visibleRows_ - 1), verticalScrollBar());
    if (p != VScrollPos())
        SetVScrollPos(p);
}

void TBigView::HScrollBy(int code, int pos, int threshold)
{
    if (!HasHorizontalBar(scrollBar_))
        return;
    Accelerate(threshold);
    const int p = ScrollTarget(code, HScrollPos(), pos, qMax(1, ClientWidth() / charWidth_), horizontalScrollBar());
    if (p != HScrollPos())
        SetHScrollPos(p);
}

void TBigView::SetVScrollPos(int pos)
{
    if (MaxTop() < 0)
        pos = 0;
    PushScrollHistory(vScroll_, pos);
    if (HasVerticalBar(scrollBar_))
        SetBarValue(verticalScrollBar(), pos);
}

void TBigView::SetHScrollPos(int pos)
{
    if (LineCount() == 0)
        return;
    pos = qMax(0, qMin(pos, maxChar_ - 1));
    PushScrollHistory(hScroll_, pos);
    if (HasHorizontalBar(scrollBar_))
        SetBarValue(horizontalScrollBar(), pos);
    PlaceCaret(SelectionEmpty() ? caretPos_ : selEnd_);
    Redraw();
}

void TBigView::Accelerate(int threshold)
{
    ::Accelerate(accel_, Now(), threshold, scrollSense_, vScroll_, hScroll_, visibleRows_,
                 ClientWidth() / charWidth_);
}

void TBigView::HandleVScroll(int code)
{
    if (!HasVerticalBar(scrollBar_))
        return;
    if (MaxTop() > 0) {
        if (!IsScrollCode(code))
            return;
        VScrollBy(code, verticalScrollBar()->sliderPosition(), BarScrollThresholdMs);
    }
    FollowVScrollBar();
}

void TBigView::FollowVScrollBar()
{
    const int top = BarPosToTopRow(VScrollPos(), verticalScrollBar()->maximum(), MaxTop());
    if (top != topRow_)
        SetTopRow(top);
}

void TBigView::HandleHScroll(int code)
{
    if (!IsScrollCode(code))
        return;
    HScrollBy(code, horizontalScrollBar()->sliderPosition(), BarScrollThresholdMs);
}

bool TBigView::ScrollToCaret(QPoint pos)
{
    NoRender = true;
    bool changed = false;
    try {
        const qint64 left = qint64(charWidth_) * HScrollPos();
        const int W = ClientWidth();
        const int r = pos.y();
        const qint64 x = r >= 0 && r < RowCount() ? RowPrefixWidth(r, qMax(0, pos.x() - 1)) : 0;
        if (r < topRow_) {
            SetTopRow(r);
            changed = true;
        }
        if (r > bottomRow_) {
            SetBottomRow(r);
            changed = true;
        }
        auto column = [this](qint64 px) {
            return static_cast<int>(std::clamp<qint64>(px / charWidth_, 0, INT_MAX - 1));
        };
        if (x < left) {
            SetHScrollPos(column(x));
            changed = true;
        }
        if (x > left + W) {
            SetHScrollPos(column(x - W));
            SetHScrollPos(HScrollPos() + 1);
            changed = true;
        }
    } catch (...) {
        NoRender = false;
        throw;
    }
    NoRender = false;
    if (changed)
        Redraw();
    return changed;
}

void TBigView::OnScrollAction(Qt::Orientation orientation, int action)
{
    int code = -1;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: code = ScrollLineUp; break;
    case QAbstractSlider::SliderSingleStepAdd: code = ScrollLineDown; break;
    case QAbstractSlider::SliderPageStepSub: code = ScrollPageUp; break;
    case QAbstractSlider::SliderPageStepAdd: code = ScrollPageDown; break;
    case QAbstractSlider::SliderMove: code = ScrollThumbTrack; break;
    case QAbstractSlider::SliderToMinimum: code = ScrollTop; break;
    case QAbstractSlider::SliderToMaximum: code = ScrollBottom; break;
    default: break;
    }
    QScrollBar *bar = orientation == Qt::Vertical ? verticalScrollBar() : horizontalScrollBar();
    if (code >= 0) {
        if (orientation == Qt::Vertical)
            HandleVScroll(code);
        else
            HandleHScroll(code);
    }
    // The bar moves where the view put it, not where its own step would have taken it.
    bar->setSliderPosition(orientation == Qt::Vertical ? VScrollPos() : HScrollPos());
}

void TBigView::OnSliderReleased(Qt::Orientation orientation)
{
    if (orientation == Qt::Vertical)
        HandleVScroll(ScrollThumbPosition);
    else
        HandleHScroll(ScrollThumbPosition);
}

void TBigView::scrollContentsBy(int, int)
{
    // Scrolling is the view's own (its Image); the bars only report requests.
}
