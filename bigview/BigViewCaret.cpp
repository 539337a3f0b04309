// TBigView: caret and selection positions, and the caret the view draws itself.
#include <QApplication>

#include <algorithm>

#include "bigview/BigView.h"

QPoint TBigView::ClampPos(QPoint pos) const
{
    int row = pos.y();
    if (row >= RowCount())
        row = RowCount() - 1;
    if (row < 0)
        return QPoint(0, 0);
    const int len = RowLength(row);
    int column = pos.x();
    if (column > len + 1)
        column = len + 1;
    if (column < 0)
        column = 0;
    return QPoint(column, row);
}

QRect TBigView::CaretRect() const
{
    const int row = caretPos_.y();
    const int column = qMax(1, caretPos_.x());
    qint64 x = 0;
    if (row >= 0 && row < RowCount())
        x = RowPrefixWidth(row, column - 1);
    x -= qint64(charWidth_) * HScrollPos();
    const qint64 y = (qint64(row) - topRow_) * lineHeight_;
    // Far outside the window the exact place does not matter; keep it inside int range.
    const int cx = static_cast<int>(std::clamp<qint64>(x, -100000, 1000000));
    const int cy = static_cast<int>(std::clamp<qint64>(y, -100000, 1000000));
    return QRect(cx, cy, CaretWidth, lineHeight_);
}

void TBigView::PlaceCaret(QPoint pos)
{
    caretPos_ = ClampPos(pos);
    const QRect old = caretRect_;
    caretRect_ = CaretRect();
    if (CaretShown()) {
        RestartCaretBlink();
        UpdateCaretArea(old);
    }
}

void TBigView::SetSelAnchor(QPoint pos)
{
    selAnchor_ = ClampPos(pos);
}

void TBigView::SetSelEnd(QPoint pos)
{
    selEnd_ = ClampPos(pos);
    PlaceCaret(selEnd_);
}

void TBigView::UpdateCaretArea(const QRect &old)
{
    viewport()->update(old);
    viewport()->update(caretRect_);
}

void TBigView::RestartCaretBlink()
{
    caretOn_ = true;
    const int flash = QApplication::cursorFlashTime();
    if (caretCreated_ && caret_ && flash > 0)
        caretTimer_.start(flash / 2);
    else
        caretTimer_.stop();
}

void TBigView::BlinkCaret()
{
    if (!CaretShown()) {
        caretTimer_.stop();
        caretOn_ = false;
        return;
    }
    caretOn_ = !caretOn_;
    viewport()->update(caretRect_);
}
