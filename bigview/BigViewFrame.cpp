// TBigView's non-client area: the style-dependent frames (caption bar, sizing band, double
// frame, sunken client edge), where the scroll bars sit, the hit test and the frame's mouse
// handling (moving and sizing the view inside its parent).
#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <qdrawutil.h>

#include <algorithm>

#include "bigview/BigView.h"

namespace {
constexpr int DlgFrameWidth = 3;     // the double frame
constexpr int SizingFrameWidth = 4;  // the sizing band
constexpr int ClientEdgeWidth = 2;   // the sunken client edge
constexpr int CornerGrip = 16;       // how far from a corner the band sizes both ways
}  // namespace

TBigView::FrameInsets TBigView::Insets() const
{
    FrameInsets in;
    const bool sizing = bvStyle_.Has(bvVResize) || bvStyle_.Has(bvHResize);
    if (bvStyle_.Has(bvDblFrame))
        in.dlg = DlgFrameWidth;
    if (sizing)
        in.sizing = SizingFrameWidth;
    if (bvStyle_.Has(bvCaption)) {
        if (!in.dlg && !in.sizing)
            in.border = 1;
        in.caption = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
        if (in.caption <= 0)
            in.caption = fontMetrics().height() + 4;
    }
    if (bvStyle_.Has(bvClientLow))
        in.client = ClientEdgeWidth;
    return in;
}

void TBigView::RecreateWindow()
{
    const bool hadFocus = hasFocus();
    ApplyFrameMargins();
    ApplyScrollBarPolicy();
    setWindowTitle(Caption());
    update();
    Remeasure();
    if (hadFocus && !hasFocus())
        setFocus(Qt::OtherFocusReason);
}

void TBigView::ApplyFrameMargins()
{
    // The frames are one band of equal width on every side (the frame class lays the scroll
    // bars and the viewport out inside it); the caption bar is a strip above the viewport.
    const FrameInsets in = Insets();
    const int side = in.Total();
    if (side > 0) {
        if (frameStyle() != (QFrame::Box | QFrame::Plain))
            setFrameStyle(QFrame::Box | QFrame::Plain);
        if (lineWidth() != side)
            setLineWidth(side);
    } else if (frameStyle() != QFrame::NoFrame) {
        setFrameStyle(QFrame::NoFrame);
    }
    if (viewportMargins() != QMargins(0, in.caption, 0, 0))
        setViewportMargins(0, in.caption, 0, 0);
    PlaceScrollBars();
}

void TBigView::PlaceScrollBars()
{
    // The vertical bar starts below the caption bar.
    const int caption = Insets().caption;
    QWidget *box = verticalScrollBar()->parentWidget();
    if (!caption || !box || box == this)
        return;
    QRect g = box->geometry();
    const int top = contentsRect().top() + caption;
    if (g.top() < top) {
        g.setTop(top);
        box->setGeometry(g);
    }
}

void TBigView::ApplyScrollBarPolicy()
{
    const bool v = HasVerticalBar(scrollBar_);
    const bool h = HasHorizontalBar(scrollBar_);
    setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    PlaceScrollBars();
}

int TBigView::ClientWidth() const
{
    int w = contentsRect().width();
    if (HasVerticalBar(scrollBar_))
        w -= verticalScrollBar()->sizeHint().width();
    return qMax(0, w);
}

int TBigView::ClientHeight() const
{
    int h = contentsRect().height() - Insets().caption;
    if (HasHorizontalBar(scrollBar_))
        h -= horizontalScrollBar()->sizeHint().height();
    return qMax(0, h);
}

TBigView::HitCode TBigView::RawHitTest(QPoint pos) const
{
    if (!rect().contains(pos))
        return HitNowhere;
    const FrameInsets in = Insets();
    if (in.caption) {
        const QRect cr = contentsRect();
        if (QRect(cr.left(), cr.top(), cr.width(), in.caption).contains(pos))
            return HitCaption;
    }
    if (contentsRect().contains(pos))
        return HitClient;
    const int ring = in.dlg + in.sizing;
    if (in.sizing) {
        const bool left = pos.x() < ring, right = pos.x() >= width() - ring;
        const bool top = pos.y() < ring, bottom = pos.y() >= height() - ring;
        if (left || right || top || bottom) {
            const bool nearLeft = pos.x() < CornerGrip, nearRight = pos.x() >= width() - CornerGrip;
            const bool nearTop = pos.y() < CornerGrip, nearBottom = pos.y() >= height() - CornerGrip;
            if ((top && nearLeft) || (left && nearTop))
                return HitTopLeft;
            if ((top && nearRight) || (right && nearTop))
                return HitTopRight;
            if ((bottom && nearLeft) || (left && nearBottom))
                return HitBottomLeft;
            if ((bottom && nearRight) || (right && nearBottom))
                return HitBottomRight;
            if (left)
                return HitLeft;
            if (right)
                return HitRight;
            return top ? HitTop : HitBottom;
        }
    }
    return HitBorder;
}

TBigView::HitCode TBigView::HitTest(QPoint pos, Qt::KeyboardModifiers mods) const
{
    HitCode code = RawHitTest(pos);
    if (!bvStyle_.Has(bvVResize)) {
        switch (code) {
        case HitTop: case HitTopLeft: case HitTopRight:
        case HitBottom: case HitBottomLeft: case HitBottomRight:
            code = HitNowhere;
            break;
        default:
            break;
        }
    }
    if (!bvStyle_.Has(bvHResize)) {
        switch (code) {
        case HitLeft: case HitRight: case HitTopLeft: case HitTopRight:
        case HitBottomLeft: case HitBottomRight:
            code = HitNowhere;
            break;
        default:
            break;
        }
    }
    if (bvStyle_.Has(bvCaption) && !bvStyle_.Has(bvMove) && code == HitCaption)
        code = HitNowhere;
    if (!bvStyle_.Has(bvCaption) && bvStyle_.Has(bvMove) && code == HitClient
        && (mods & Qt::ControlModifier))
        code = HitCaption;
    return code;
}

QSize TBigView::MinTrackSize() const
{
    // The smallest window the platform lets a user drag: its frames and a little client area.
    const FrameInsets in = Insets();
    return QSize(2 * in.Total() + 32, 2 * in.Total() + in.caption + 16);
}

void TBigView::StartFrameDrag(HitCode code, QPoint globalPos)
{
    dragCode_ = code;
    dragStartGlobal_ = globalPos;
    dragStartGeometry_ = geometry();
}

void TBigView::DragFrame(QPoint globalPos)
{
    const QPoint d = globalPos - dragStartGlobal_;
    QRect g = dragStartGeometry_;
    const QRect bounds = parentWidget() ? parentWidget()->rect() : QRect(-100000, -100000, 200000, 200000);
    if (dragCode_ == HitCaption) {
        QPoint to = g.topLeft() + d;
        // Keep the view inside its parent as far as it fits there.
        to.setX(qMax(bounds.left(), qMin(to.x(), bounds.right() + 1 - g.width())));
        to.setY(qMax(bounds.top(), qMin(to.y(), bounds.bottom() + 1 - g.height())));
        move(to);
        return;
    }
    const QSize minSize = MinTrackSize();
    const bool vOk = bvStyle_.Has(bvVResize), hOk = bvStyle_.Has(bvHResize);
    const bool left = dragCode_ == HitLeft || dragCode_ == HitTopLeft || dragCode_ == HitBottomLeft;
    const bool right = dragCode_ == HitRight || dragCode_ == HitTopRight || dragCode_ == HitBottomRight;
    const bool top = dragCode_ == HitTop || dragCode_ == HitTopLeft || dragCode_ == HitTopRight;
    const bool bottom = dragCode_ == HitBottom || dragCode_ == HitBottomLeft || dragCode_ == HitBottomRight;
    if (hOk && left)
        g.setLeft(qBound(bounds.left(), g.left() + d.x(), g.right() + 1 - minSize.width()));
    if (hOk && right)
        g.setRight(qBound(g.left() + minSize.width() - 1, g.right() + d.x(), bounds.right()));
    if (vOk && top)
        g.setTop(qBound(bounds.top(), g.top() + d.y(), g.bottom() + 1 - minSize.height()));
    if (vOk && bottom)
        g.setBottom(qBound(g.top() + minSize.height() - 1, g.bottom() + d.y(), bounds.bottom()));
    setGeometry(g);
}

void TBigView::UpdateNonClientCursor(QPoint pos)
{
    if (dragCode_ != HitNowhere)
        return;
    switch (HitTest(pos, QApplication::keyboardModifiers())) {
    case HitLeft: case HitRight: setCursor(Qt::SizeHorCursor); break;
    case HitTop: case HitBottom: setCursor(Qt::SizeVerCursor); break;
    case HitTopLeft: case HitBottomRight: setCursor(Qt::SizeFDiagCursor); break;
    case HitTopRight: case HitBottomLeft: setCursor(Qt::SizeBDiagCursor); break;
    default: unsetCursor(); break;
    }
}

bool TBigView::NonClientMouse(QMouseEvent *e)
{
    const QPoint global = e->globalPosition().toPoint();
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        setFocus(Qt::MouseFocusReason);
        if (e->button() != Qt::LeftButton)
            return true;
        const HitCode code = HitTest(e->position().toPoint(), e->modifiers());
        if (code != HitNowhere && code != HitBorder && code != HitClient)
            StartFrameDrag(code, global);
        return true;
    }
    case QEvent::MouseMove:
        if (dragCode_ != HitNowhere && (e->buttons() & Qt::LeftButton))
            DragFrame(global);
        else
            UpdateNonClientCursor(e->position().toPoint());
        return true;
    case QEvent::MouseButtonRelease:
        if (dragCode_ != HitNowhere && e->button() == Qt::LeftButton) {
            DragFrame(global);
            dragCode_ = HitNowhere;
        }
        return true;
    default:
        return false;
    }
}

void TBigView::PaintNonClient()
{
    QPainter p(this);
    const FrameInsets in = Insets();
    QRect r = rect();
    const QPalette &pal = palette();
    if (in.dlg) {
        // Raised double frame: an outer and an inner raised line around a face band.
        qDrawWinPanel(&p, r, pal, false, &pal.brush(QPalette::Button));
        r.adjust(in.dlg, in.dlg, -in.dlg, -in.dlg);
    }
    if (in.sizing) {
        p.fillRect(QRect(r.left(), r.top(), r.width(), in.sizing), pal.button());
        p.fillRect(QRect(r.left(), r.bottom() + 1 - in.sizing, r.width(), in.sizing), pal.button());
        p.fillRect(QRect(r.left(), r.top(), in.sizing, r.height()), pal.button());
        p.fillRect(QRect(r.right() + 1 - in.sizing, r.top(), in.sizing, r.height()), pal.button());
        if (!in.dlg)
            qDrawShadeRect(&p, r, pal, false, 1);
        r.adjust(in.sizing, in.sizing, -in.sizing, -in.sizing);
    }
    if (in.border) {
        p.setPen(pal.color(QPalette::WindowText));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    if (in.client)
        qDrawWinPanel(&p, r, pal, true);
    if (in.caption) {
        const QRect cr = contentsRect();
        const QRect bar(cr.left(), cr.top(), cr.width(), in.caption);
        const bool active = hasFocus();
        p.fillRect(bar, pal.brush(active ? QPalette::Active : QPalette::Inactive, QPalette::Highlight));
        p.setPen(pal.color(active ? QPalette::Active : QPalette::Inactive, QPalette::HighlightedText));
        QFont f = QApplication::font();
        f.setBold(true);
        p.setFont(f);
        p.drawText(bar.adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(Caption(), Qt::ElideRight, bar.width() - 8));
    }
}
