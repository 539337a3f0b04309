// Keyboard and mouse handling of TBigView: caret keys, scroll keys, clicks, word selection,
// drag selection with auto-scroll and the popup menu.
#include "bigview/BigView.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include "platform/KeyMap.h"
#include "bigview/rules/ViewInput.h"

namespace {

// Keyboard threshold of the scroll acceleration, also used by drag auto-scroll.
// Pause between auto-scroll steps while a drag holds the pointer outside the rows: fast enough
// to cross a long text, slow enough to stop on the wanted row.
constexpr int DefaultDragInterval = 15;

// The view's rows as the caret and pointer rules see them.
class ViewRows final : public CaretRows, public PointRows {
public:
    explicit ViewRows(const TBigView &view) : view_(view) {}
    int RowCount() const override { return view_.RowCount(); }
    QByteArrayView RowText(int row) const override { return view_.RowView(row); }
    TextEncoding Encoding() const override { return view_.Encoding(); }
    int RowLength(int row) const override { return view_.RowLength(row); }
    int ColumnAtX(int row, qint64 px, bool wholeChars) const override
    {
        return view_.RowColumnAtX(row, px, wholeChars);
    }

private:
    const TBigView &view_;
};

QPoint PositionUnder(const TBigView &view, QPoint client, bool wholeChars)
{
    PointGeometry g;
    g.rowCount = view.RowCount();
    g.topRow = view.TopRow();
    g.lineHeight = view.LineHeight();
    g.charWidth = view.CharWidth();
    g.hScrollPos = view.HScrollPos();
    // The rows' full rendered width, whatever part of it the Image holds at the moment.
    g.imageWidth = (qint64(view.MaxChar()) + 1) * view.CharWidth();
    g.imageHeight = qint64(view.VisibleRows()) * view.LineHeight();
    return PositionAtPoint(g, ViewRows(view), client, wholeChars);
}

}  // namespace

TBigView::InputHook::InputHook(TBigView *view)
{
    view->installEventFilter(this);
    // Moves are wanted without a button too: a Shift caret key held while the pointer moves
    // extends the selection, and the owner's OnMouseMove sees every move.
    view->viewport()->setMouseTracking(true);
    view->dragTimer_.setInterval(DefaultDragInterval);
    QObject::connect(&view->dragTimer_, &QTimer::timeout, view, [view] { view->DragTimerTick(); });
}

bool TBigView::InputHook::eventFilter(QObject *, QEvent *e)
{
    // An arrow key is the view's own, never a shortcut's or the dialog's to move the focus.
    if (e->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(e);
        const VirtualKey vkey = MapKeyEvent(key);
        if (IsArrowKey(vkey.key) && !(vkey.shift & ssAlt)) {
            e->accept();
            return true;
        }
    }
    return false;
}

// ---- Popup menu ----

QMenu *TBigView::PopupMenu() const
{
    return popupMenu_;
}

void TBigView::SetPopupMenu(QMenu *menu)
{
    if (popupMenu_ == menu)
        return;
    disconnect(popupMenuGone_);
    popupMenu_ = menu;
    // A menu deleted before the view must not be opened afterwards.
    if (menu)
        popupMenuGone_ = connect(menu, &QObject::destroyed, this, [this] { popupMenu_ = nullptr; });
}

void TBigView::OpenPopupMenu(QPoint global)
{
    if (popupMenu_)
        popupMenu_->popup(global);
}

// ---- Positions ----

QPoint TBigView::PointToRowPos(QPoint client) const
{
    return PositionUnder(*this, client, true);
}

QPoint TBigView::PointToRowPosBytes(QPoint client) const
{
    return PositionUnder(*this, client, false);
}

void TBigView::SelectWord(QPoint client)
{
    const QPoint p = PointToRowPosBytes(client);
    if (!Select() || RowCount() == 0 || p.x() <= 0)
        return;
    const ColumnSpan span = WordSpanAt(RowView(p.y()), p.x(), Encoding());
    SetSelAnchor(QPoint(span.first, p.y()));
    SetSelEnd(QPoint(span.end, p.y()));
    Redraw();
}

// ---- Keys ----

bool TBigView::KeyDown(int &key, int shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
    if (IsCopyKey(key, shift)) {
        CopyToClipboard();
        return true;
    }
    if (LineCount() == 0)
        return false;

    const int entry = Caret() ? FindCaretKey(key, shift, Select()) : -1;
    if (entry >= 0) {
        const CaretKey &k = CaretKeyTable[entry];
        const bool extend = entry >= PlainCaretKeys;
        Selecting = extend;
        const QPoint from = CaretPos();
        const QPoint p = MoveCaret(k.move, from, ViewRows(*this), VisibleRows());
        if (k.move == CaretMove::PageUp || k.move == CaretMove::PageDown) {
            // The text scrolls by as many rows as the caret moved.
            const int d = p.y() - from.y();
            if (d != 0)
                SetTopRow(TopRow() + d);
        }
        SetSelEnd(p);
        if (!extend)
            SetSelAnchor(SelEnd());
        if (!ScrollToCaret(CaretPos())) {
            // Let pending repaints through before showing the new selection. Input stays queued,
            // so a key held down never nests this handler in itself.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            Redraw();
        }
        return true;
    }

    bool used = false;
    if (HasVerticalBar(ScrollBar())) {
        const int code = FindScrollKey(VerticalKeyTable, key, shift);
        if (code >= 0) {
            VScrollBy(code, VScrollPos(), KeyScrollThresholdMs);
            used = true;
        }
        FollowVScrollBar();
    }
    if (HasHorizontalBar(ScrollBar())) {
        const int code = FindScrollKey(HorizontalKeyTable, key, shift);
        if (code >= 0) {
            HScrollBy(code, HScrollPos(), KeyScrollThresholdMs);
            used = true;
        }
    }
    return used;
}

void TBigView::KeyUp(int &key, int shift)
{
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
    Selecting = false;
}

void TBigView::keyPressEvent(QKeyEvent *e)
{
    const VirtualKey vkey = MapKeyEvent(e);
    int key = vkey.key;
    const bool used = KeyDown(key, vkey.shift);
    // Keys the view has no use for go on to the window around it.
    const bool claimed = IsArrowKey(vkey.key) && !(vkey.shift & ssAlt);
    e->setAccepted(used || claimed || (vkey.key != 0 && key == 0));
}

void TBigView::keyReleaseEvent(QKeyEvent *e)
{
    // A held key repeats presses only; its release comes once, when it is let go.
    if (e->isAutoRepeat()) {
        e->ignore();
        return;
    }
    const VirtualKey vkey = MapKeyEvent(e);
    int key = vkey.key;
    KeyUp(key, vkey.shift);
    e->ignore();
}

// ---- Mouse ----

void TBigView::Click()
{
    setFocus(Qt::MouseFocusReason);
    ClickKind = 1;
    if (OnClick)
        OnClick(this);
}

void TBigView::DblClick()
{
    ClickKind = 2;
    if (OnDblClick)
        OnDblClick(this);
}

void TBigView::MouseDown(Qt::MouseButton button, int shift, QPoint client)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, client.x(), client.y());
    if (button == Qt::LeftButton) {
        if (ClickKind == 1) {
            Selecting = Select();
            SetSelAnchor(PointToRowPos(client));
            SetSelEnd(SelAnchor());
            Redraw();
        } else if (ClickKind == 2 && Select()) {
            SelectWord(client);
        }
    } else if (button == Qt::RightButton) {
        OpenPopupMenu(viewport()->mapToGlobal(client));
    }
    ClickKind = 1;
}

void TBigView::MouseMove(int shift, QPoint client)
{
    if (Selecting) {
        DragPoint = client;
        RunDragStep();
    }
    if (OnMouseMove)
        OnMouseMove(this, shift, client.x(), client.y());
}

void TBigView::MouseUp(Qt::MouseButton button, int shift, QPoint client)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, client.x(), client.y());
    if (Selecting) {
        Selecting = false;
        dragTimer_.stop();
        const QPoint p = PointToRowPos(client);
        if (p.x() == 0)
            return;
        SetSelEnd(p);
        Redraw();
    }
    setFocus(Qt::MouseFocusReason);
}

void TBigView::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        pressClicked_ = true;
    MouseDown(e->button(), MapModifiers(e->modifiers()), e->position().toPoint());
    e->accept();
}

void TBigView::mouseDoubleClickEvent(QMouseEvent *e)
{
    // The second press of a double click arrives as this event alone.
    if (e->button() == Qt::LeftButton) {
        pressClicked_ = false;
        DblClick();
    }
    MouseDown(e->button(), MapModifiers(e->modifiers()), e->position().toPoint());
    e->accept();
}

void TBigView::mouseMoveEvent(QMouseEvent *e)
{
    MouseMove(MapModifiers(e->modifiers()), e->position().toPoint());
    e->accept();
}

void TBigView::mouseReleaseEvent(QMouseEvent *e)
{
    const QPoint client = e->position().toPoint();
    if (e->button() == Qt::LeftButton && pressClicked_) {
        pressClicked_ = false;
        if (viewport()->rect().contains(client))
            Click();
    }
    MouseUp(e->button(), MapModifiers(e->modifiers()), client);
    e->accept();
}

void TBigView::contextMenuEvent(QContextMenuEvent *e)
{
    if (!popupMenu_) {
        e->ignore();
        return;
    }
    // The right press has opened the menu already; the menu key opens it at the caret when the
    // caret is in view, else at the view's top left corner.
    if (e->reason() != QContextMenuEvent::Mouse) {
        const QRect caret = CaretRect();
        const QPoint at = viewport()->rect().contains(caret.bottomLeft()) ? caret.bottomLeft() : QPoint(0, 0);
        OpenPopupMenu(viewport()->mapToGlobal(at));
    }
    e->accept();
}

// ---- Drag selection ----

bool TBigView::DragStep()
{
    if (!Selecting)
        return false;
    bool scrolled = false;
    if (DragPoint.y() < 0) {
        SetTopRow(TopRow() - 1);
        scrolled = true;
    }
    if (DragPoint.y() > ClientHeight() && BottomRow() < RowCount() - 1) {
        SetTopRow(TopRow() + 1);
        scrolled = true;
    }
    if (DragPoint.x() < 0) {
        HScrollBy(ScrollLineUp, HScrollPos(), KeyScrollThresholdMs);
        scrolled = true;
    }
    if (DragPoint.x() > ClientWidth()) {
        HScrollBy(ScrollLineDown, HScrollPos(), KeyScrollThresholdMs);
        scrolled = true;
    }
    const QPoint p = PointToRowPos(DragPoint);
    if (p.x() == 0)
        return false;
    SetSelEnd(p);
    Redraw();
    return scrolled;
}

// Steps repeat from the event loop, one per timer tick, so moves and the release are seen
// between steps and a long drag never deepens the stack.
void TBigView::RunDragStep()
{
    if (inDragStep_)
        return;  // a handler inside the step let events through; the running step reads DragPoint
    inDragStep_ = true;
    const bool again = DragStep();
    inDragStep_ = false;
    if (!again)
        dragTimer_.stop();
    else if (!dragTimer_.isActive())
        dragTimer_.start();
}

void TBigView::DragTimerTick()
{
    RunDragStep();
}
