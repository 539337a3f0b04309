// Rendering, painting and scrolling: the top-row model, scroll ranges with and without scrolling
// past the end, acceleration, the selection highlight, deferred painting, and a file that is
// one line of 100 MB.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/bigview/BigViewFixture.h"
#include "bigview/BigViewProbe.h"
#include "lines/TBvStrings.h"

using fixture::MakeView;
using fixture::Numbered;

namespace {

// The Image as it looks after a full render of the current state.
QImage FreshRender(TBigView &view)
{
    view.Redraw();
    return Probe(view).Image().copy();
}

struct FakeClock {
    quint32 now = 100000;
    std::function<quint32()> Source()
    {
        return [this] { return now; };
    }
};

}  // namespace

class TestBigViewPaint : public QObject {
    Q_OBJECT
private slots:
    void fewRowsWithoutScrollingPastTheEnd();
    void scrollRangesWithAndWithoutScOver();
    void topRowClampsAndAlwaysFiresEvents();
    void bottomRowAndTheTravellingCaret();
    void scrolledImageEqualsFullRender();
    void resizedImageEqualsFullRender();
    void selectionInvertsExactlyTheSelectedBytes();
    void accelerationWithInjectedClock();
    void scrollBarActionsDriveTheModel();
    void deferredPainting();
    void colourChangeShowsAtNextPaint();
    void scrollingOneRowRendersOneRow();
    void scrollToCaretBringsPositionsIntoView();
    void hugeSingleLineKeepsImageSmall();
};

void TestBigViewPaint::fewRowsWithoutScrollingPastTheEnd()
{
    auto view = MakeView(10);
    view->SetScOver(false);
    view->Assign(Numbered(4));
    QVERIFY(view->MaxTop() < 0);
    QCOMPARE(view->verticalScrollBar()->minimum(), 0);
    QCOMPARE(view->verticalScrollBar()->maximum(), 1);
    QCOMPARE(view->VScrollPos(), 0);
    for (int code : {1, 3, 7, 5}) {
        view->HandleVScroll(code);
        QCOMPARE(view->TopRow(), 0);
        QCOMPARE(view->VScrollPos(), 0);
    }
}

void TestBigViewPaint::scrollRangesWithAndWithoutScOver()
{
    auto view = MakeView(10);
    QCOMPARE(view->VisibleRows(), 10);
    view->Assign(Numbered(100));
    // Past the end: the last row can reach the top.
    QCOMPARE(view->verticalScrollBar()->maximum(), 99);
    view->SetTopRow(99);
    QCOMPARE(view->TopRow(), 99);
    QCOMPARE(view->BottomRow(), 99);
    QCOMPARE(view->VScrollPos(), 99);

    view->SetScOver(false);
    QCOMPARE(view->verticalScrollBar()->maximum(), 90);
    QCOMPARE(view->VScrollPos(), 90);
    view->SetTopRow(0);
    view->HandleVScroll(ScrollBottom);
    QCOMPARE(view->TopRow(), 90);
    QCOMPARE(view->BottomRow(), 99);
    view->HandleVScroll(ScrollTop);
    QCOMPARE(view->TopRow(), 0);
    view->HandleVScroll(ScrollPageDown);  // a page is VisibleRows - 1
    QCOMPARE(view->TopRow(), 9);
    view->HandleVScroll(ScrollPageUp);
    QCOMPARE(view->TopRow(), 0);
    view->HandleVScroll(42);  // not a scroll code
    QCOMPARE(view->TopRow(), 0);

    // The horizontal range counts columns beyond the client width.
    view->SetScrollBar(ssBoth);
    QCOMPARE(view->horizontalScrollBar()->maximum(),
             view->MaxChar() - view->ClientWidth() / view->CharWidth());
}

void TestBigViewPaint::topRowClampsAndAlwaysFiresEvents()
{
    auto view = MakeView(10);
    view->Assign(Numbered(50));
    QStringList log;
    view->OnViewLineChanging = [&](TBigView *sender, int &value) {
        QCOMPARE(sender, view.get());
        log << QStringLiteral("changing %1").arg(value);
    };
    view->OnViewLineChanged = [&](TBigView *) { log << QStringLiteral("changed %1").arg(view->TopRow()); };
    view->SetTopRow(-5);
    view->SetTopRow(60);
    const qint64 rendered = Probe(*view).RenderedRows();
    view->SetTopRow(49);  // unchanged: still both events and a redraw
    QCOMPARE(log, (QStringList{"changing 0", "changed 0", "changing 49", "changed 49", "changing 49",
                               "changed 49"}));
    QVERIFY(Probe(*view).RenderedRows() > rendered);

    // A handler that moves the top row: the view shows the row it chose.
    view->OnViewLineChanging = [](TBigView *, int &value) { value = 7; };
    view->SetTopRow(30);
    QCOMPARE(view->TopRow(), 7);
    QCOMPARE(view->BottomRow(), 16);
    const QImage shown = Probe(*view).Image().copy();
    QCOMPARE(shown, FreshRender(*view));
    view->OnViewLineChanging = [](TBigView *, int &value) { value = 1000; };
    view->SetTopRow(3);
    QCOMPARE(view->TopRow(), 49);
}

void TestBigViewPaint::bottomRowAndTheTravellingCaret()
{
    auto view = MakeView(10);
    view->SetScOver(false);
    view->Assign(Numbered(100));
    view->SetBottomRow(50);
    QCOMPARE(view->TopRow(), 41);
    QCOMPARE(view->BottomRow(), 50);
    view->SetBottomRow(500);
    QCOMPARE(view->TopRow(), 90);

    // With scrolling past the end, a row that is already visible does not move the view.
    view->SetScOver(true);
    view->SetTopRow(95);
    view->SetBottomRow(97);
    QCOMPARE(view->TopRow(), 95);

    // An empty selection (the caret) stays on the visible rows; a selection stays where it is.
    view->SetTopRow(0);
    view->SetSelAnchor(QPoint(2, 3));
    view->SetSelEnd(QPoint(2, 3));
    view->SetTopRow(20);
    QCOMPARE(view->SelEnd(), QPoint(2, 20));
    QCOMPARE(view->SelAnchor(), QPoint(2, 20));
    view->SetTopRow(5);
    QCOMPARE(view->SelEnd(), QPoint(2, 14));
    QCOMPARE(view->CaretPos(), QPoint(2, 14));
    view->SetSelAnchor(QPoint(1, 6));
    view->SetTopRow(40);
    QCOMPARE(view->SelAnchor(), QPoint(1, 6));
    QCOMPARE(view->SelEnd(), QPoint(2, 14));
    QCOMPARE(view->CaretPos(), QPoint(2, 14));
}

void TestBigViewPaint::scrolledImageEqualsFullRender()
{
    auto view = MakeView(10);
    PlainStrings text;
    for (int i = 0; i < 60; ++i)
        text.Add(QByteArray::number(i) + " " + QByteArray(i % 17, 'x') + fixture::Kanji(i % 5));
    view->Assign(text);
    // Same column on different rows, one of them entering at the bottom.
    view->SetSelAnchor(QPoint(4, 3));
    view->SetSelEnd(QPoint(4, 15));
    view->Redraw();  // setting the ends does not render
    for (int top : {1, 2, 5, 4, 0, 9, 19, 30, 31, 22, 50, 59, 58}) {
        view->SetTopRow(top);
        const QImage scrolled = Probe(*view).Image().copy();
        const QImage full = FreshRender(*view);
        if (scrolled != full) {
            for (int y = 0; y < full.height(); ++y)
                for (int x = 0; x < full.width(); ++x)
                    if (scrolled.pixel(x, y) != full.pixel(x, y)) {
                        qWarning("top %d differs at %d,%d", top, x, y);
                        y = full.height();
                        break;
                    }
        }
        QCOMPARE(scrolled, full);
    }
}

// After a resize the Image shows what a full render shows: no rows cut at the old size, no
// pixels of rows wrapped for the old width.
void TestBigViewPaint::resizedImageEqualsFullRender()
{
    for (const int lines : {30, 60, -30}) {
        // A child view gets its resize at once, with no paint in between.
        QWidget parent;
        parent.resize(900, 700);
        auto *view = new TBigView(&parent);
        view->setFont(fixture::ViewFont());
        view->SetScrollSense(2);
        view->SetWordWrap(true);
        view->SetScOver(lines > 0);
        view->resize(400, 3 * view->LineHeight() + 3);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        PlainStrings text;
        for (int i = 0; i < std::abs(lines); ++i)
            text.Add(QByteArray::number(i) + " " + QByteArray(20 + i % 30, char('a' + i % 26)));
        view->Assign(text);
        view->SetTopRow(27);
        const auto resizeTo = [&](int width, int rows) {
            view->resize(width, rows * view->LineHeight() + 3);
            QCOMPARE(view->VisibleRows(), rows);
            QCOMPARE(Probe(*view).Image().copy(), FreshRender(*view));
        };
        resizeTo(550, 12);
        resizeTo(450, 5);

        view->SetWrapByte(0);  // at the window width: widening re-wraps
        resizeTo(180, 5);
        view->SetTopRow(20);
        resizeTo(420, 8);
    }
}

void TestBigViewPaint::selectionInvertsExactlyTheSelectedBytes()
{
    auto view = MakeView(10);
    view->Assign(fixture::Lines({"r0", "r1", "r2", "r3", "r4", "abcdefgh", "\tfull row " + fixture::Kanji(2),
                                 "seventh", "r8"}));
    const QImage plain = FreshRender(*view);
    view->SetSelAnchor(QPoint(3, 5));
    view->SetSelEnd(QPoint(1, 7));
    const QImage selected = FreshRender(*view);

    const int lh = view->LineHeight();
    struct Span {
        int y0, y1;
        qint64 x0, x1;
    };
    const Span spans[] = {
        {5 * lh, 6 * lh, view->RowPrefixWidth(5, 2), view->RowPrefixWidth(5, 8)},
        {6 * lh, 7 * lh, 0, view->TabbedWidth(view->RowView(6))},
    };
    int inverted = 0;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            bool inside = false;
            for (const Span &s : spans)
                inside |= y >= s.y0 && y < s.y1 && x >= s.x0 && x < s.x1;
            const QRgb a = plain.pixel(x, y), b = selected.pixel(x, y);
            if (inside) {
                QCOMPARE(b & 0xFFFFFF, (a ^ 0xFFFFFF) & 0xFFFFFF);
                ++inverted;
            } else {
                QCOMPARE(b, a);
            }
        }
    }
    QVERIFY(inverted > 0);
    // Reversed ends give the same picture.
    view->SetSelAnchor(QPoint(1, 7));
    view->SetSelEnd(QPoint(3, 5));
    QCOMPARE(FreshRender(*view), selected);
}

void TestBigViewPaint::accelerationWithInjectedClock()
{
    auto view = MakeView(10);
    FakeClock clock;
    Probe(*view).SetTickSource(clock.Source());
    view->Assign(Numbered(200));
    QCOMPARE(view->ScrollSense(), 2);

    QList<int> steps;
    for (int i = 0; i < 12; ++i) {
        clock.now += 100;
        const int before = view->TopRow();
        view->HandleVScroll(ScrollLineDown);
        steps << view->TopRow() - before;
    }
    QCOMPARE(steps, (QList<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2}));
    QCOMPARE(Probe(*view).ScrollStep(), 2);
    clock.now += 100;
    view->HandleVScroll(ScrollLineDown);
    QCOMPARE(Probe(*view).ScrollStep(), 2);

    // A pause longer than the threshold resets the step.
    clock.now += 301;
    int before = view->TopRow();
    view->HandleVScroll(ScrollLineDown);
    QCOMPARE(view->TopRow() - before, 1);
    QCOMPARE(Probe(*view).ScrollStep(), 1);

    // Below the largest step a change of direction resets it too; with ScrollSense 1 it never
    // grows.
    view->SetScrollSense(3);
    for (int i = 0; i < 12; ++i) {
        clock.now += 50;
        view->HandleVScroll(ScrollLineDown);
    }
    QCOMPARE(Probe(*view).ScrollStep(), 2);
    clock.now += 50;
    view->HandleVScroll(ScrollLineUp);
    clock.now += 50;
    view->HandleVScroll(ScrollLineUp);
    QCOMPARE(Probe(*view).ScrollStep(), 1);
    view->SetScrollSense(1);
    for (int i = 0; i < 30; ++i) {
        clock.now += 10;
        view->HandleVScroll(ScrollLineDown);
    }
    QCOMPARE(Probe(*view).ScrollStep(), 1);

    // Keyboard and drag requests use the shorter threshold.
    view->SetScrollSense(2);
    clock.now += 1000;
    view->VScrollBy(1, 0, 200);
    clock.now += 250;
    view->Accelerate(200);
    QCOMPARE(Probe(*view).ScrollStep(), 1);
    QCOMPARE(Probe(*view).LastScrollTick(), clock.now);
}

void TestBigViewPaint::scrollBarActionsDriveTheModel()
{
    auto view = MakeView(10, 400, ssBoth);
    view->Assign(Numbered(100));
    QScrollBar *v = view->verticalScrollBar();
    v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(view->TopRow(), 1);
    QCOMPARE(v->value(), 1);
    v->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(view->TopRow(), 10);
    QCOMPARE(v->value(), 10);
    v->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(view->TopRow(), 99);
    v->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(view->TopRow(), 90);
    QCOMPARE(v->value(), 90);
    v->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(view->TopRow(), 0);
    QCOMPARE(Probe(*view).VScrollHistory()[0], 0);
    QCOMPARE(Probe(*view).VScrollHistory()[1], 90);
    QCOMPARE(Probe(*view).VScrollHistory()[2], 99);

    // Thumb tracking follows the drag.
    v->setSliderPosition(37);
    v->triggerAction(QAbstractSlider::SliderMove);
    QCOMPARE(view->TopRow(), 37);
    QCOMPARE(v->value(), 37);

    // The horizontal bar moves by columns and redraws from the new column.
    view->Add(QByteArray(400, 'h'));
    view->SetWordWrap(false);
    QScrollBar *h = view->horizontalScrollBar();
    h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(view->HScrollPos(), 1);
    QCOMPARE(Probe(*view).ImageOriginColumn(), 1);
    h->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(view->HScrollPos(), h->maximum());
    QCOMPARE(h->value(), h->maximum());
    h->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(view->HScrollPos(), 0);
}

void TestBigViewPaint::deferredPainting()
{
    auto view = MakeView(10);
    view->Assign(Numbered(30));
    view->SetPCanLimit(3);
    const qint64 painted = Probe(*view).PaintCount();
    for (int i = 1; i <= 3; ++i) {
        view->Redraw();
        QCOMPARE(Probe(*view).PaintDeferrals(), i);
        QCOMPARE(Probe(*view).PaintCount(), painted);
    }
    view->Redraw();
    QCOMPARE(Probe(*view).PaintCount(), painted + 1);
    QCOMPARE(Probe(*view).PaintDeferrals(), 0);

    // With no deferral every render is painted at once.
    view->SetPCanLimit(0);
    view->SetTopRow(5);
    QCOMPARE(Probe(*view).PaintCount(), painted + 2);
}

void TestBigViewPaint::colourChangeShowsAtNextPaint()
{
    auto view = MakeView(10);
    view->Assign(Numbered(3));
    const QPoint empty(5, 8 * view->LineHeight() + 2);
    QCOMPARE(Probe(*view).Image().pixelColor(empty), view->Color());
    view->SetColor(QColor(200, 10, 10));
    view->Paint();
    QCOMPARE(Probe(*view).Image().pixelColor(empty), QColor(200, 10, 10));
    QCOMPARE(view->viewport()->grab().toImage().pixelColor(empty), QColor(200, 10, 10));
}

void TestBigViewPaint::scrollingOneRowRendersOneRow()
{
    auto view = MakeView(12);
    PlainStrings text;
    for (int i = 0; i < 20000; ++i)
        text.Add("line " + QByteArray::number(i) + " of a generated file");
    view->Assign(text);
    view->SetTopRow(view->RowCount() - 30);
    qint64 rendered = Probe(*view).RenderedRows();
    view->HandleVScroll(ScrollLineDown);
    QCOMPARE(Probe(*view).RenderedRows() - rendered, 1);
    QCOMPARE(view->TopRow(), view->RowCount() - 29);
    // At the very end (the last row at the top) one row up renders one row too.
    view->HandleVScroll(ScrollBottom);
    QCOMPARE(view->TopRow(), view->RowCount() - 1);
    rendered = Probe(*view).RenderedRows();
    view->HandleVScroll(ScrollLineUp);
    QCOMPARE(Probe(*view).RenderedRows() - rendered, 1);
    // A jump of more than a window renders the whole window.
    rendered = Probe(*view).RenderedRows();
    view->SetTopRow(100);
    QCOMPARE(Probe(*view).RenderedRows() - rendered, view->VisibleRows());
}

void TestBigViewPaint::scrollToCaretBringsPositionsIntoView()
{
    auto view = MakeView(10, 300, ssBoth);
    view->SetWordWrap(false);
    PlainStrings text = Numbered(50);
    text.Put(30, QByteArray(600, 'w'));
    view->Assign(text);
    QVERIFY(!view->ScrollToCaret(QPoint(1, 3)));
    QVERIFY(view->ScrollToCaret(QPoint(1, 30)));
    QCOMPARE(view->BottomRow(), 30);
    QVERIFY(view->ScrollToCaret(QPoint(500, 30)));
    const qint64 x = view->RowPrefixWidth(30, 499);
    const qint64 left = qint64(view->HScrollPos()) * view->CharWidth();
    QVERIFY(x >= left && x <= left + view->ClientWidth());
    QVERIFY(view->ScrollToCaret(QPoint(1, 2)));
    QCOMPARE(view->TopRow(), 2);
    QCOMPARE(view->HScrollPos(), 0);
}

void TestBigViewPaint::hugeSingleLineKeepsImageSmall()
{
    // One line of 100 MB (LF does not end a line), ending in a recognisable tail.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("one line.txt"));
    const QByteArray tail = "<<END OF THE LINE 0123456789>>";
    const qint64 size = 100LL * 1024 * 1024;
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QByteArray chunk(1 << 20, 'a');
        for (int i = 0; i < chunk.size(); i += 64)
            chunk[i] = '\n';
        qint64 written = 0;
        while (written + chunk.size() <= size - tail.size())
            written += f.write(chunk);
        written += f.write(QByteArray(size - tail.size() - written, 'a'));
        f.write(tail);
    }
    auto view = MakeView(10, 420, ssBoth);
    view->SetWordWrap(false);
    view->LoadFromFile(path);
    QCOMPARE(view->RowCount(), 1);
    QCOMPARE(view->MaxChar(), int(size));
    QVERIFY(Probe(*view).Image().sizeInBytes() <= 4LL * view->ClientWidth() * Probe(*view).Image().height());
    QVERIFY(Probe(*view).Image().sizeInBytes() < 4 * 1024 * 1024);

    // Columns are CharWidth wide and count bytes, so the far end lies beyond the last letter.
    view->HandleHScroll(ScrollBottom);
    QCOMPARE(view->HScrollPos(), view->MaxChar() - view->ClientWidth() / view->CharWidth());
    QCOMPARE(Probe(*view).ImageOriginColumn(), view->HScrollPos());
    QVERIFY(Probe(*view).Image().sizeInBytes() < 4 * 1024 * 1024);

    // Track the thumb to a few columns before the tail.
    const qint64 tailPx = view->RowPrefixWidth(0, int(size - tail.size()));
    view->horizontalScrollBar()->setSliderPosition(int(tailPx / view->CharWidth()) - 5);
    view->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderMove);
    const int far = view->HScrollPos();
    QCOMPARE(qint64(far), tailPx / view->CharWidth() - 5);
    QCOMPARE(Probe(*view).ImageOriginColumn(), far);

    // A short line with the same tail, scrolled so that the tail lands on the same pixels.
    const int cw = view->CharWidth();
    const qint64 lf = view->TabbedWidth("\n"), a = view->TabbedWidth("a");
    QCOMPARE(lf, a);  // a control byte keeps a blank's width, like a letter here
    const qint64 k = (size - 4000) / cw;
    const qint64 shortSize = size - k * cw;
    auto ref = MakeView(10, 420, ssBoth);
    ref->SetWordWrap(false);
    ref->Add(QByteArray(shortSize - tail.size(), 'a') + tail);
    ref->SetHScrollPos(static_cast<int>(far - k * a));
    QCOMPARE(qint64(ref->HScrollPos()), far - k * a);
    // Both show 'a' and LF bytes as blanks or letters of one width; compare the tail's band only.
    const int tailX = static_cast<int>(view->RowPrefixWidth(0, int(size - tail.size())) - qint64(far) * cw);
    QVERIFY(tailX >= 0 && tailX < Probe(*view).Image().width());
    const QRect band(tailX, 0, Probe(*view).Image().width() - tailX, view->LineHeight());
    QCOMPARE(Probe(*view).Image().copy(band), Probe(*ref).Image().copy(band));
    // The band holds text.
    const QImage shown = Probe(*view).Image().copy(band);
    bool ink = false;
    for (int y = 0; y < shown.height() && !ink; ++y)
        for (int x = 0; x < shown.width() && !ink; ++x)
            ink = shown.pixelColor(x, y) != view->Color();
    QVERIFY(ink);
}

QTEST_MAIN(TestBigViewPaint)
#include "tst_bigview_paint.moc"
