// Properties and their acceptance rules, the order of the view's events, the style-dependent
// frames (caption bar, sizing band, Ctrl-drag), the caret and the position clamping.
#include <QtTest>

#include "tests/bigview/BigViewFixture.h"
#include "bigview/BigViewProbe.h"
#include "lines/ListErrors.h"

using fixture::MakeView;
using fixture::Numbered;

namespace {
// A left-button drag on `target` from `from` by `by`, the modifiers held throughout. The pointer
// goes to a fixed screen point; the widget may move under it.
void Drag(QWidget *target, QPoint from, QPoint by, Qt::KeyboardModifiers mods)
{
    const QPoint to = target->mapToGlobal(from + by);
    QTest::mousePress(target, Qt::LeftButton, mods, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + by), QPointF(to), Qt::NoButton, Qt::LeftButton, mods);
    QApplication::sendEvent(target, &move);
    QTest::mouseRelease(target, Qt::LeftButton, mods, target->mapFromGlobal(to));
}
}  // namespace

class TestBigViewProps : public QObject {
    Q_OBJECT
private slots:
    void acceptanceRules();
    void wrapPropertiesRelayoutOnlyOnChange();
    void styleEventsAndTheirOrder();
    void styleFramesAndCaption();
    void sizingFrameResizesOnlyAllowedDirections();
    void ctrlDragMovesViewWithinParent();
    void scrollBarChangeRecomputesVisibleRows();
    void positionsAreClamped();
    void caretFollowsFocus();
};

void TestBigViewProps::acceptanceRules()
{
    auto view = MakeView(5);
    view->SetScrollSense(0);
    QCOMPARE(view->ScrollSense(), 2);
    view->SetScrollSense(11);
    QCOMPARE(view->ScrollSense(), 2);
    view->SetScrollSense(10);
    QCOMPARE(view->ScrollSense(), 10);

    view->SetMaxChar(-5);
    QCOMPARE(view->MaxChar() >= 1, true);
    // MaxChar never stays below what fills the client width.
    QCOMPARE(view->MaxChar(), qRound(double(view->ClientWidth()) / view->CharWidth()) + 1);
    view->SetMaxChar(5000);
    QCOMPARE(view->MaxChar(), 5000);

    view->SetPCanLimit(-1);
    QCOMPARE(view->PCanLimit(), 0);
    view->SetPCanLimit(4);
    QCOMPARE(view->PCanLimit(), 4);
    view->SetPCanLimit(0);

    view->Assign(Numbered(3));
    qint64 rendered = Probe(*view).RenderedRows();
    view->SetViewTabStop(0);
    QCOMPARE(view->ViewTabStop(), 0);
    QVERIFY(Probe(*view).RenderedRows() > rendered);
    rendered = Probe(*view).RenderedRows();
    view->SetViewTabStop(-1);
    QCOMPARE(view->ViewTabStop(), 0);
    view->SetViewTabStop(0);
    QCOMPARE(Probe(*view).RenderedRows(), rendered);
    view->SetViewTabStop(4);
    QCOMPARE(view->TabbedWidth("\t"), 4 * view->CharWidth());

    view->SetSelect(true);
    QCOMPARE(view->Select(), true);

    // Capacity is the line store's; below the line count it is refused.
    view->SetCapacity(100);
    QCOMPARE(view->Capacity(), 100);
    QVERIFY_THROWS_EXCEPTION(EListError, view->SetCapacity(2));
    QCOMPARE(view->Capacity(), 100);

    // The caption keeps at most 255 bytes and never half a double-byte character.
    view->SetCaption(QStringLiteral("表示"));
    QCOMPARE(view->Caption(), QStringLiteral("表示"));
    view->SetCaption(QStringLiteral("a") + QString(200, QChar(0x6F22)));
    QCOMPARE(view->CaptionText().size(), 255);
    QCOMPARE(view->Caption(), QStringLiteral("a") + QString(127, QChar(0x6F22)));
    view->SetCaption(QString(200, QChar(0x6F22)));
    QCOMPARE(view->CaptionText().size(), 254);
}

void TestBigViewProps::wrapPropertiesRelayoutOnlyOnChange()
{
    auto view = MakeView(5);
    view->SetWrapByte(80);
    view->Assign(fixture::Lines({QByteArray(200, 'a'), "b"}));
    QCOMPARE(view->RowCount(), 4);
    qint64 rendered = Probe(*view).RenderedRows();
    view->SetWrapByte(80);
    view->SetWrapByte(-1);
    QCOMPARE(view->WrapByte(), 80);
    QCOMPARE(Probe(*view).RenderedRows(), rendered);
    view->SetWrapByte(50);
    QCOMPARE(view->RowCount(), 5);
    QVERIFY(Probe(*view).RenderedRows() > rendered);
    view->SetWordWrap(false);
    QCOMPARE(view->RowCount(), 2);
    rendered = Probe(*view).RenderedRows();
    view->SetWordWrap(false);
    QCOMPARE(Probe(*view).RenderedRows(), rendered);
    view->SetWordWrap(true);
    QCOMPARE(view->RowCount(), 5);
}

void TestBigViewProps::styleEventsAndTheirOrder()
{
    auto view = MakeView(5);
    view->Assign(Numbered(20));
    view->setFocus();
    QStringList log;
    view->OnBvStyleChanging = [&](TBigView *sender, TBvStyle &parm) {
        QCOMPARE(sender, view.get());
        log << QStringLiteral("changing %1 (stored %2)").arg(parm.Bits()).arg(view->BvStyle().Bits());
    };
    view->OnBvStyleChanged = [&](TBigView *) { log << QStringLiteral("changed %1").arg(view->BvStyle().Bits()); };

    view->SetBvStyle({bvClientLow});
    QVERIFY(log.isEmpty());

    view->SetBvStyle({bvDblFrame});
    QCOMPARE(log, (QStringList{"changing 32 (stored 16)", "changed 32"}));

    // The handler decides what is stored.
    log.clear();
    view->OnBvStyleChanging = [&](TBigView *, TBvStyle &parm) {
        log << QStringLiteral("changing");
        parm = TBvStyle();
    };
    view->SetBvStyle({bvCaption, bvMove});
    QCOMPARE(view->BvStyle(), TBvStyle());
    QVERIFY(view->BvStyle().IsEmpty());
    QCOMPARE(log, (QStringList{"changing", "changed 0"}));
    QCOMPARE(view->contentsMargins(), QMargins());
    QCOMPARE(view->ClientWidth(), view->width() - view->verticalScrollBar()->sizeHint().width());

    // Re-creating the window with a vertical bar re-clamps the top row, between the two events.
    log.clear();
    view->OnBvStyleChanging = [&](TBigView *, TBvStyle &) { log << QStringLiteral("changing"); };
    view->OnViewLineChanging = [&](TBigView *, int &) { log << QStringLiteral("line changing"); };
    view->OnViewLineChanged = [&](TBigView *) { log << QStringLiteral("line changed"); };
    view->SetBvStyle({bvClientLow});
    QVERIFY(log.size() >= 2);
    QCOMPARE(log.first(), QStringLiteral("changing"));
    QCOMPARE(log.last(), QStringLiteral("changed 16"));
    QVERIFY(log.contains(QStringLiteral("line changing")));
}

void TestBigViewProps::styleFramesAndCaption()
{
    auto view = MakeView(10);
    const int plainRows = view->VisibleRows();
    const int plainClient = view->ClientWidth();
    view->SetBvStyle({bvClientLow, bvDblFrame});
    QVERIFY(view->ClientWidth() < plainClient);
    QCOMPARE(view->VisibleRows(), plainRows);  // frames do not count against the rows

    view->SetCaption(QStringLiteral("見出し"));
    view->SetBvStyle({bvCaption});
    const int top = view->contentsRect().top();
    const int caption = view->viewport()->y() - top;
    QVERIFY(caption > 5);
    QCOMPARE(view->VisibleRows(), (view->height() - caption) / view->LineHeight());
    QVERIFY(view->VisibleRows() < plainRows);
    QVERIFY(view->verticalScrollBar()->mapTo(view.get(), QPoint(0, 0)).y() >= top + caption);
    // The caption bar shows the caption text: the bar area is not uniform.
    const QImage shot = view->grab().toImage();
    QSet<QRgb> colours;
    for (int y = top + 1; y < top + caption - 1; ++y)
        for (int x = 2; x < 80; ++x)
            colours.insert(shot.pixel(x, y));
    QVERIFY(colours.size() > 1);
}

void TestBigViewProps::sizingFrameResizesOnlyAllowedDirections()
{
    QWidget parent;
    parent.resize(600, 500);
    auto *view = new TBigView(&parent);
    view->setGeometry(50, 50, 300, 200);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    auto drag = [&](QPoint from, QPoint by, Qt::KeyboardModifiers mods = {}) {
        Drag(view, from, by, mods);
    };
    const QPoint bottomMid(150, 199), rightMid(299, 100);

    view->SetBvStyle({bvVResize});
    QCOMPARE(view->contentsRect().left(), 4);
    drag(bottomMid, QPoint(0, 40));
    QCOMPARE(view->geometry(), QRect(50, 50, 300, 240));
    drag(rightMid, QPoint(40, 0));
    QCOMPARE(view->geometry(), QRect(50, 50, 300, 240));

    view->SetBvStyle({bvHResize});
    drag(QPoint(299, 120), QPoint(40, 0));
    QCOMPARE(view->geometry(), QRect(50, 50, 340, 240));
    drag(QPoint(170, 239), QPoint(0, 40));
    QCOMPARE(view->geometry(), QRect(50, 50, 340, 240));
    // Never beyond the parent.
    drag(QPoint(339, 120), QPoint(900, 0));
    QCOMPARE(view->geometry().right(), parent.rect().right());

    // A sizing frame that allows neither direction does not resize at all.
    view->setGeometry(50, 50, 300, 200);
    view->SetBvStyle({bvVResize, bvHResize});
    view->SetBvStyle({bvClientLow, bvHResize});
    view->SetBvStyle({bvClientLow});
    drag(QPoint(299, 199), QPoint(30, 30));
    QCOMPARE(view->geometry(), QRect(50, 50, 300, 200));

    // The caption bar drags the view only with bvMove.
    view->SetBvStyle({bvCaption});
    const QPoint onCaption(100, (view->contentsRect().top() + view->viewport()->y()) / 2);
    drag(onCaption, QPoint(30, 20));
    QCOMPARE(view->pos(), QPoint(50, 50));
    view->SetBvStyle({bvCaption, bvMove});
    drag(onCaption, QPoint(30, 20));
    QCOMPARE(view->pos(), QPoint(80, 70));
}

void TestBigViewProps::ctrlDragMovesViewWithinParent()
{
    QWidget parent;
    parent.resize(600, 500);
    auto *view = new TBigView(&parent);
    view->setGeometry(50, 50, 300, 200);
    view->Add("text");
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QWidget *client = view->viewport();

    auto drag = [&](QPoint by, Qt::KeyboardModifiers mods) { Drag(client, QPoint(40, 40), by, mods); };
    view->SetBvStyle({bvClientLow, bvMove});
    drag(QPoint(25, 15), Qt::ControlModifier);
    QCOMPARE(view->pos(), QPoint(75, 65));
    QVERIFY(view->hasFocus());
    drag(QPoint(25, 15), Qt::NoModifier);
    QCOMPARE(view->pos(), QPoint(75, 65));
    drag(QPoint(-1000, -1000), Qt::ControlModifier);
    QCOMPARE(view->pos(), QPoint(0, 0));
    // With a caption bar, Ctrl in the client area does not move the view.
    view->SetBvStyle({bvCaption, bvMove});
    drag(QPoint(25, 15), Qt::ControlModifier);
    QCOMPARE(view->pos(), QPoint(0, 0));
}

void TestBigViewProps::scrollBarChangeRecomputesVisibleRows()
{
    auto view = MakeView(10, 400, ssVertical);
    QCOMPARE(view->VisibleRows(), 10);
    const int bar = view->horizontalScrollBar()->sizeHint().height();
    view->SetScrollBar(ssBoth);
    QCOMPARE(view->VisibleRows(), (view->height() - bar) / view->LineHeight());
    QVERIFY(view->horizontalScrollBar()->isVisible());
    view->SetScrollBar(ssNone);
    QCOMPARE(view->VisibleRows(), 10);
    QVERIFY(!view->verticalScrollBar()->isVisible());
    // Without a vertical bar scroll requests do nothing.
    view->Assign(Numbered(50));
    view->HandleVScroll(1);
    QCOMPARE(view->TopRow(), 0);
}

void TestBigViewProps::positionsAreClamped()
{
    auto view = MakeView(5);
    view->PlaceCaret(QPoint(3, 2));
    QCOMPARE(view->CaretPos(), QPoint(0, 0));  // no rows
    view->Assign(fixture::Lines({"abc", "", "hello"}));
    view->SetSelAnchor(QPoint(99, 0));
    QCOMPARE(view->SelAnchor(), QPoint(4, 0));
    view->SetSelEnd(QPoint(-3, 9));
    QCOMPARE(view->SelEnd(), QPoint(0, 2));
    QCOMPARE(view->CaretPos(), QPoint(0, 2));
    view->PlaceCaret(QPoint(2, 1));
    QCOMPARE(view->CaretPos(), QPoint(1, 1));
    view->PlaceCaret(QPoint(2, -1));
    QCOMPARE(view->CaretPos(), QPoint(0, 0));
    QVERIFY_THROWS_EXCEPTION(EListError, view->GetRow(3));
    QVERIFY_THROWS_EXCEPTION(EListError, view->GetRow(-1));
}

void TestBigViewProps::caretFollowsFocus()
{
    auto view = MakeView(5);
    view->Assign(fixture::Lines({"abcdef", "ghijkl"}));
    view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(view.get()));
    view->setFocus();
    QVERIFY(view->hasFocus());
    QVERIFY(!Probe(*view).CaretShown());  // Caret is False
    view->SetCaret(true);
    QVERIFY(Probe(*view).CaretShown());
    view->PlaceCaret(QPoint(3, 1));
    const QRect r = Probe(*view).CaretRect();
    QCOMPARE(r, QRect(int(view->RowPrefixWidth(1, 2)), view->LineHeight(), 10, view->LineHeight()));
    // The block inverts what is under it.
    const QImage shot = view->viewport()->grab().toImage();
    const QPoint inBlock = r.topLeft() + QPoint(5, 1);
    QCOMPARE(shot.pixel(inBlock) & 0xFFFFFF, ~Probe(*view).Image().pixel(inBlock) & 0xFFFFFF);

    view->clearFocus();
    QVERIFY(!Probe(*view).CaretShown());
    const QImage after = view->viewport()->grab().toImage();
    QCOMPARE(after.pixel(inBlock) & 0xFFFFFF, Probe(*view).Image().pixel(inBlock) & 0xFFFFFF);
    view->setFocus();
    QVERIFY(Probe(*view).CaretShown());
    view->SetCaret(false);
    QVERIFY(!Probe(*view).CaretShown());
}

QTEST_MAIN(TestBigViewProps)
#include "tst_bigview_props.moc"
