// TBigView: rendering into the Image, painting, the top-row model and scrolling.
//
// The Image holds the visible rows only, and only the part of them that is scrolled into view
// horizontally (from HScrollPos, as wide as the client area): a row of hundreds of megabytes
// costs no more Image than a short one.
#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScrollBar>

#include <algorithm>
#include <cstring>

#include "BigView.h"
#include "BvMath.h"
#include "TBvStrings.h"
#include "ViewInput.h"

namespace {
bool Before(QPoint a, QPoint b)
{
    return a.y() < b.y() || (a.y() == b.y() && a.x() < b.x());
}
}

// ---- Rendering ----

void TBigView::SizeImage()
{
    const int w = qMax(1, ClientWidth());
    const int h = bv::CheckedInt(qint64(visibleRows_) * lineHeight_);
    if (h <= 0) {
        image_ = QImage();
        return;
    }
    if (image_.size() == QSize(w, h))
        return;
    QImage next(w, h, QImage::Format_RGB32);
    next.fill(color_);
    if (!image_.isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, image_);
    }
    image_ = std::move(next);
}

void TBigView::ClearImage()
{
    if (!image_.isNull())
        image_.fill(color_);
    imageBrush_ = color_;
    viewport()->update();
}

void TBigView::RenderRow(QPainter &p, int row, int y)
{
    const QByteArrayView text = RowView(row);
    const qint64 originX = qint64(imageOrigin_) * charWidth_;
    const qint64 right = originX + image_.width();
    const int baseline = y + QFontMetrics(font()).ascent();

    thread_local QList<quint32> glyphs;
    thread_local QList<QPointF> positions;
    glyphs.clear();
    positions.clear();
    TBvMetrics::Cursor c = metrics_.SeekX(text, CursorBeforeX(row, originX), originX);
    while (c.offset < text.size() && c.x < right) {
        const qsizetype i = c.offset;
        const int advance = metrics_.CharAdvance(text, i, c.x);
        if (text[i] != '\t') {
            const TBvMetrics::CharShape &shape = metrics_.Shape(text, i);
            if (shape.fallback) {
                // A character the primary font lacks: let the text engine find a font for it.
                p.drawText(QPointF(double(c.x - originX), baseline), shape.text);
            } else {
                for (int k = 0; k < shape.glyphCount; ++k) {
                    glyphs.append(shape.glyphs[k].index);
                    positions.append(QPointF(double(c.x - originX + shape.glyphs[k].dx), 0));
                }
            }
        }
        c.x += advance;
        c.offset += CharLength(text, i);
    }
    if (!glyphs.isEmpty()) {
        QGlyphRun run;
        run.setRawFont(metrics_.RawFont());
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        p.drawGlyphRun(QPointF(0, baseline), run);
    }
    ++renderedRows_;
}

void TBigView::RenderAll()
{
    imageBrush_ = color_;
    imageOrigin_ = HScrollPos();
    ++renderCount_;
    if (image_.isNull())
        return;
    const qint64 end = std::min<qint64>(RowCount(), qint64(topRow_) + visibleRows_);
    RenderRows(topRow_, static_cast<int>(end - 1), 0, image_.height());
    InvertSpan(selAnchor_, selEnd_);
}

void TBigView::RenderRows(int first, int last, int y, int bandHeight)
{
    QPainter p(&image_);
    p.fillRect(0, y, image_.width(), bandHeight, color_);
    p.setPen(fontColor_);
    p.setFont(font());
    for (int i = first; i <= last; ++i)
        RenderRow(p, i, y + (i - first) * lineHeight_);
}

void TBigView::Redraw()
{
    if (NoRender)
        return;
    RenderAll();
    Show();
}

void TBigView::Show()
{
    if (paintDeferrals_ < pCanLimit_) {
        ++paintDeferrals_;
        viewport()->update();
    } else {
        Paint();
    }
}

void TBigView::ScrollImageUp(int n)
{
    ScrollImage(n, true);
}

void TBigView::ScrollImageDown(int n)
{
    ScrollImage(n, false);
}

void TBigView::ScrollImage(int n, bool up)
{
    if (NoRender)
        return;
    if (n > visibleRows_ || imageOrigin_ != HScrollPos() || image_.isNull()) {
        Redraw();
        return;
    }
    // The kept rows move by n rows; the band they leave gets the rows that came into view.
    const int H = image_.height();
    const int d = n * lineHeight_;
    const qsizetype bpl = image_.bytesPerLine();
    uchar *bits = image_.bits();
    const qsizetype moved = qsizetype(d) * bpl;
    if (up)
        std::memmove(bits, bits + moved, qsizetype(H - d) * bpl);
    else
        std::memmove(bits + moved, bits, qsizetype(H - d) * bpl);
    ++renderCount_;
    const int first = up ? topRow_ + visibleRows_ - n : topRow_;
    const qint64 last = up ? std::min<qint64>(qint64(first) + n - 1, bottomRow_)
                           : std::min<qint64>(qint64(topRow_) + n, RowCount()) - 1;
    RenderRows(first, static_cast<int>(last), up ? H - d : 0, d);
    for (int i = first; i <= last; ++i)
        HighlightRow(i);
    Show();
}

void TBigView::InvertRect(int left, int right, int y)
{
    if (image_.isNull())
        return;
    const int x0 = qMax(0, left), x1 = qMin(image_.width(), right);
    const int y0 = qMax(0, y), y1 = qMin(image_.height(), y + lineHeight_);
    for (int yy = y0; yy < y1; ++yy) {
        auto *line = reinterpret_cast<quint32 *>(image_.scanLine(yy));
        for (int x = x0; x < x1; ++x)
            line[x] ^= 0x00FFFFFFu;
    }
}

void TBigView::InvertSpan(QPoint p, QPoint q)
{
    if (p == q || RowCount() == 0)
        return;
    QPoint s = p, e = q;
    if (Before(q, p))
        std::swap(s, e);
    if (s.y() > bottomRow_ || e.y() < topRow_)
        return;
    if (s.y() < topRow_)
        s = QPoint(1, topRow_);
    if (e.y() > bottomRow_)
        e = QPoint(RowLength(bottomRow_) + 1, bottomRow_);
    if (s.x() < 1)
        s.setX(1);
    if (e.x() < 1)
        e.setX(1);
    const qint64 originX = qint64(imageOrigin_) * charWidth_;
    const qint64 limit = qint64(image_.width()) + 1;
    auto toImage = [&](qint64 x) { return static_cast<int>(std::clamp<qint64>(x - originX, -1, limit)); };
    for (int m = s.y(); m <= e.y() && m < RowCount(); ++m) {
        const int len = RowLength(m);
        const int y = (m - topRow_) * lineHeight_;
        if (len >= s.x()) {
            const qint64 left = RowPrefixWidth(m, s.x() - 1);
            const qint64 right = RowPrefixWidth(m, m == e.y() ? e.x() - 1 : len);
            InvertRect(toImage(left), toImage(right), y);
        }
        s = QPoint(1, m + 1);
    }
}

void TBigView::HighlightRow(int row)
{
    QPoint s = selAnchor_, e = selEnd_;
    if (Before(e, s))
        std::swap(s, e);
    if (s == e || row < s.y() || row > e.y())
        return;
    if (s.y() == e.y())
        InvertSpan(s, e);
    else if (row == s.y())
        InvertSpan(s, QPoint(RowLength(row) + 1, row));
    else if (row == e.y())
        InvertSpan(QPoint(1, row), e);
    else
        InvertSpan(QPoint(1, row), QPoint(RowLength(row) + 1, row));
}

// ---- Painting ----

void TBigView::Paint()
{
    if (inPaintEvent_)
        return;
    if (isVisible() && viewport()->isVisible())
        viewport()->repaint();
    else
        paintDeferrals_ = 0;  // nothing on screen to bring up to date
}

void TBigView::paintEvent(QPaintEvent *e)
{
    inPaintEvent_ = true;
    if (imageBrush_ != color_)
        RenderAll();  // the colour changed since the Image was rendered
    QPainter p(viewport());
    const QRect c = e->rect();
    const int shift = (HScrollPos() - imageOrigin_) * charWidth_;
    const QRect imageArea(-shift, 0, image_.width(), image_.height());
    if (!image_.isNull())
        p.drawImage(c.topLeft(), image_, c.translated(shift, 0));
    // The strip below the last whole row, and whatever the Image does not cover.
    for (const QRect &r : QRegion(c).subtracted(QRegion(image_.isNull() ? QRect() : imageArea)))
        p.fillRect(r, color_);
    if (CaretShown() && caretOn_ && caretRect_.intersects(c)) {
        p.setCompositionMode(QPainter::CompositionMode_Difference);
        p.fillRect(caretRect_, Qt::white);
    }
    paintDeferrals_ = 0;
    ++paintCount_;
    inPaintEvent_ = false;
}

// ---- Top row and scroll bars ----

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
        VScrollBy(4, -1, 0);
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
    case 0: p -= scrollStep_; break;
    case 1: p += scrollStep_; break;
    case 2: p -= page; break;
    case 3: p += page; break;
    case 4: case 5: p = pos; break;
    case 6: p = bar->minimum(); break;
    case 7: p = bar->maximum(); break;
    default: break;
    }
    return static_cast<int>(std::max<qint64>(0, std::min<qint64>(p, bar->maximum())));
}

void TBigView::VScrollBy(int code, int pos, int threshold)
{
    if (!HasVerticalBar(scrollBar_))
        return;
    // (4, -1) only brings the bar to the top row.
    const bool follow = code == 4 && pos == -1;
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

// The last three positions feed the acceleration; they change only when the position does.
static void PushScrollHistory(int (&history)[3], int pos)
{
    if (pos == history[0])
        return;
    history[2] = history[1];
    history[1] = history[0];
    history[0] = pos;
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
    const quint32 now = Now();
    const quint32 elapsed = now - lastScrollTick_;
    if (threshold < 0 || elapsed > quint32(threshold)) {
        scrollStep_ = 1;
        stepRepeats_ = 0;
    } else if (scrollStep_ < scrollSense_) {
        auto run = [](const int *h) { return (h[0] > h[1] && h[1] > h[2]) || (h[0] < h[1] && h[1] < h[2]); };
        const bool vRun = run(vScroll_);
        const bool hRun = run(hScroll_);
        if (vRun || hRun) {
            if (++stepRepeats_ > 9) {
                int limit = visibleRows_ - 1;
                const int columns = ClientWidth() / charWidth_;
                if (hRun && columns < limit)
                    limit = columns;
                if (scrollStep_ < limit)
                    ++scrollStep_;
                stepRepeats_ = 0;
            }
        } else {
            scrollStep_ = 1;
            stepRepeats_ = 0;
        }
    }
    lastScrollTick_ = now;
}

void TBigView::HandleVScroll(int code)
{
    if (!HasVerticalBar(scrollBar_))
        return;
    if (MaxTop() > 0) {
        if (code < 0 || code > 8)
            return;
        VScrollBy(code, verticalScrollBar()->sliderPosition(), 300);
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
    if (code < 0 || code > 8)
        return;
    HScrollBy(code, horizontalScrollBar()->sliderPosition(), 300);
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
