// TBigView: rendering into the Image, the selection highlight and painting.
//
// The Image holds the visible rows only, and only the part of them that is scrolled into view
// horizontally (from HScrollPos, as wide as the client area): a row of hundreds of megabytes
// costs no more Image than a short one.
#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QRegion>
#include <QScrollBar>

#include <algorithm>
#include <cstring>

#include "bigview/BigView.h"
#include "bigview/rules/BvMath.h"
#include "lines/MappedFile.h"
#include "lines/TBvStrings.h"
#include "bigview/rules/ViewInput.h"

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
        if (!metrics_.IsTab(text, i)) {
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
        c.offset += metrics_.CharLen(text, i);
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
    // Only an image of exactly the visible rows scrolls in place: during a resize the rows are
    // laid out again (and scrolled) before the image takes the window's new size.
    if (n > visibleRows_ || imageOrigin_ != HScrollPos() || image_.isNull()
        || image_.height() != qint64(visibleRows_) * lineHeight_) {
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

void TBigView::NoticeSourceChange()
{
    const MappedFile *file = lines_->SourceFile();
    if (!file || sourceChangeReported_ || !file->Changed())
        return;
    sourceChangeReported_ = true;
    // Not from inside the paint: the answer may load a file or show a message.
    QTimer::singleShot(0, this, [this] { emit SourceChanged(); });
}

void TBigView::paintEvent(QPaintEvent *e)
{
    NoticeSourceChange();
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


