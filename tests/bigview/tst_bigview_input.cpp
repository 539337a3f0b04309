// The view's keyboard and mouse handling, driven by simulated key and mouse events.
#include <QtTest>

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

#include "bigview/BigView.h"
#include "bigview/BigViewProbe.h"
#include "platform/Fonts.h"
#include "platform/KeyMap.h"
#include "tests/TestSupport.h"

namespace {

QByteArray Kanji(int count) { return testsupport::Sjis(QString(count, QChar(0x6F22))); }  // 漢

// A shown view with one row per line and room for exactly `visibleRows` rows.
std::unique_ptr<TBigView> MakeView(const QList<QByteArray> &lines, int visibleRows = 20)
{
    auto view = std::make_unique<TBigView>();
    view->setFont(ResolveFont(QStringLiteral("System"), 19, true));
    view->SetWordWrap(false);
    view->SetScrollBar(ssVertical);
    view->SetCaret(true);
    view->resize(500, 200);
    view->show();
    if (!QTest::qWaitForWindowExposed(view.get()))
        return nullptr;
    const int lh = view->LineHeight();
    view->resize(500, lh * visibleRows + lh / 2);
    QCoreApplication::processEvents();
    for (const QByteArray &line : lines)
        view->Add(line);
    view->SetTopRow(0);
    view->SetSelAnchor(QPoint(1, 0));
    view->SetSelEnd(QPoint(1, 0));
    return view;
}

QList<QByteArray> NumberedLines(int count)
{
    QList<QByteArray> lines;
    for (int i = 0; i < count; ++i)
        lines << "line " + QByteArray::number(i);
    return lines;
}

void PutCaret(TBigView &view, QPoint pos)
{
    view.SetSelAnchor(pos);
    view.SetSelEnd(pos);
}

// Client point `into` pixels right of the left edge of byte `column` (a character start) of a
// visible row.
QPoint PointAt(const TBigView &view, int column, int row, int into = 1)
{
    const QByteArray text = view.GetRow(row);
    const qint64 x = view.TabbedWidth(QByteArrayView(text).first(column - 1)) + into
        - qint64(view.CharWidth()) * view.HScrollPos();
    return QPoint(int(x), (row - view.TopRow()) * view.LineHeight() + view.LineHeight() / 2);
}

// The events of a double click as widgets get them: a click, then the second press reported as
// a double click, then its release (which is no click).
void DoubleClick(TBigView &view, QPoint client)
{
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, client);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, client);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, client);
}

void SendMove(TBigView &view, QPoint client, Qt::MouseButtons buttons)
{
    QWidget *vp = view.viewport();
    QMouseEvent move(QEvent::MouseMove, QPointF(client), QPointF(vp->mapToGlobal(client)), Qt::NoButton,
                     buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(vp, &move);
}

}  // namespace

class TestBigViewInput : public QObject {
    Q_OBJECT
private slots:
    void pageDownMovesCaretAndText();
    void shiftArrowsSelectAndPlainArrowCollapses();
    void verticalMovesStepOffTrailBytes();
    void rowEndsHoldTheCaret();
    void withoutSelectShiftKeysPage();
    void withoutCaretKeysScroll();
    void bothBarsUseBothTables();
    void keyHandlerRunsFirstAndMaySwallow();
    void noLinesKeysOnlyReachTheHandler();
    void heldShiftKeyLetsPointerExtend();
    void clickPlacesCaretAtCharacterStart();
    void mouseEventsCarryTheShiftSet();
    void doubleClickSelectsWord();
    void doubleClickWithoutSelect();
    void dragAboveScrollsToTopAndKeepsRepeating();
    void dragBelowStopsAtLastRow();
    void longDragKeepsStackFlat();
    void arrowKeysReachViewInsideDialog();
    void rightButtonOpensPopupMenu();
};

void TestBigViewInput::pageDownMovesCaretAndText()
{
    auto view = MakeView(NumberedLines(100));
    QVERIFY(view);
    QCOMPARE(view->VisibleRows(), 20);
    PutCaret(*view, QPoint(1, 3));
    QTest::keyClick(view.get(), Qt::Key_PageDown);
    QCOMPARE(view->CaretPos(), QPoint(1, 23));
    QCOMPARE(view->TopRow(), 20);
    QVERIFY(view->SelectionEmpty());
    QTest::keyClick(view.get(), Qt::Key_PageUp);
    QCOMPARE(view->CaretPos(), QPoint(1, 3));
    QCOMPARE(view->TopRow(), 0);
    // Ctrl+End goes to the end of the last row and brings it into view.
    QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(view->CaretPos(), QPoint(8, 99));
    QVERIFY(view->TopRow() <= 99 && view->BottomRow() == 99);
    QTest::keyClick(view.get(), Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(view->CaretPos(), QPoint(1, 0));
    QCOMPARE(view->TopRow(), 0);
}

void TestBigViewInput::shiftArrowsSelectAndPlainArrowCollapses()
{
    auto view = MakeView(NumberedLines(10));
    QVERIFY(view);
    PutCaret(*view, QPoint(3, 0));
    QTest::keyPress(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    QVERIFY(Probe(*view).Selecting());
    QTest::keyRelease(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    QVERIFY(!Probe(*view).Selecting());  // any key release ends it
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(view->SelAnchor(), QPoint(3, 0));
    QCOMPARE(view->SelEnd(), QPoint(3, 2));
    QCOMPARE(view->CaretPos(), QPoint(3, 2));
    QTest::keyClick(view.get(), Qt::Key_Left);
    QCOMPARE(view->SelAnchor(), QPoint(2, 2));
    QCOMPARE(view->SelEnd(), QPoint(2, 2));
    // Shift+Ctrl+Home selects back to the start of the text.
    QTest::keyClick(view.get(), Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(view->SelAnchor(), QPoint(2, 2));
    QCOMPARE(view->SelEnd(), QPoint(1, 0));
    // Alt with an arrow is no caret key.
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(view->SelEnd(), QPoint(1, 0));
}

void TestBigViewInput::verticalMovesStepOffTrailBytes()
{
    auto view = MakeView({"abcdefgh", "abc" + Kanji(3), "abcdefgh"});
    QVERIFY(view);
    PutCaret(*view, QPoint(5, 0));
    QTest::keyClick(view.get(), Qt::Key_Down);
    QCOMPARE(view->CaretPos(), QPoint(6, 1));
    PutCaret(*view, QPoint(5, 2));
    QTest::keyClick(view.get(), Qt::Key_Up);
    QCOMPARE(view->CaretPos(), QPoint(4, 1));
    QTest::keyClick(view.get(), Qt::Key_Right);
    QCOMPARE(view->CaretPos(), QPoint(6, 1));
    QTest::keyClick(view.get(), Qt::Key_Left);
    QTest::keyClick(view.get(), Qt::Key_Left);
    QCOMPARE(view->CaretPos(), QPoint(3, 1));
}

void TestBigViewInput::rowEndsHoldTheCaret()
{
    auto view = MakeView({"abc", "defgh"});
    QVERIFY(view);
    PutCaret(*view, QPoint(4, 0));
    QTest::keyClick(view.get(), Qt::Key_Right);
    QCOMPARE(view->CaretPos(), QPoint(4, 0));
    PutCaret(*view, QPoint(1, 1));
    QTest::keyClick(view.get(), Qt::Key_Left);
    QCOMPARE(view->CaretPos(), QPoint(1, 1));
    QTest::keyClick(view.get(), Qt::Key_End);
    QCOMPARE(view->CaretPos(), QPoint(6, 1));
    // Up onto a shorter row: the column is held to that row's end.
    QTest::keyClick(view.get(), Qt::Key_Up);
    QCOMPARE(view->CaretPos(), QPoint(4, 0));
    QTest::keyClick(view.get(), Qt::Key_Home);
    QCOMPARE(view->CaretPos(), QPoint(1, 0));
}

void TestBigViewInput::withoutSelectShiftKeysPage()
{
    auto view = MakeView(NumberedLines(100));
    QVERIFY(view);
    view->SetSelect(false);
    PutCaret(*view, QPoint(1, 3));
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    QVERIFY(view->SelectionEmpty());
    QVERIFY(!Probe(*view).Selecting());
    QCOMPARE(view->TopRow(), 19);  // a page is the visible rows less one
    QCOMPARE(view->CaretPos().y(), 19);  // the caret travels with the rows
}

void TestBigViewInput::withoutCaretKeysScroll()
{
    auto view = MakeView(NumberedLines(100));
    QVERIFY(view);
    view->SetCaret(false);
    view->SetScOver(true);
    QTest::keyClick(view.get(), Qt::Key_Space);
    QCOMPARE(view->TopRow(), 19);
    QTest::keyClick(view.get(), Qt::Key_Space, Qt::ShiftModifier);
    QCOMPARE(view->TopRow(), 0);
    QTest::keyClick(view.get(), Qt::Key_B);
    QCOMPARE(view->TopRow(), 99);
    QTest::keyClick(view.get(), Qt::Key_T);
    QCOMPARE(view->TopRow(), 0);
    QTest::keyClick(view.get(), Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(view->TopRow(), 1);
    QTest::keyClick(view.get(), Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(view->TopRow(), 2);
    QTest::keyClick(view.get(), Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(view->TopRow(), 1);
    QTest::keyClick(view.get(), Qt::Key_Down);
    QCOMPARE(view->TopRow(), 2);
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(view->TopRow(), 99);
    // Without ScOver the bottom stops when the last row reaches the window's bottom.
    view->SetScOver(false);
    QTest::keyClick(view.get(), Qt::Key_T);
    QTest::keyClick(view.get(), Qt::Key_B);
    QCOMPARE(view->TopRow(), 80);
    // A letter with an extra modifier does nothing.
    QTest::keyClick(view.get(), Qt::Key_T, Qt::AltModifier);
    QCOMPARE(view->TopRow(), 80);
}

void TestBigViewInput::bothBarsUseBothTables()
{
    QList<QByteArray> lines = NumberedLines(100);
    lines[0] = QByteArray(600, 'w');
    auto view = MakeView(lines);
    QVERIFY(view);
    view->SetCaret(false);
    view->SetScrollBar(ssBoth);
    QCOMPARE(view->HScrollPos(), 0);
    // Right pages down and scrolls one column right.
    QTest::keyClick(view.get(), Qt::Key_Right);
    QCOMPARE(view->HScrollPos(), 1);
    QVERIFY(view->TopRow() > 0);
    QTest::keyClick(view.get(), Qt::Key_Left);
    QCOMPARE(view->HScrollPos(), 0);
    QCOMPARE(view->TopRow(), 0);
    QTest::keyClick(view.get(), Qt::Key_End);
    QVERIFY(view->HScrollPos() > 1);
    QTest::keyClick(view.get(), Qt::Key_Home);
    QCOMPARE(view->HScrollPos(), 0);
}

void TestBigViewInput::keyHandlerRunsFirstAndMaySwallow()
{
    auto view = MakeView(NumberedLines(10));
    QVERIFY(view);
    QList<int> seen;  // shift sets of the Down presses
    view->OnKeyDown = [&](TBigView *sender, int &key, int shift) {
        QCOMPARE(sender, view.get());
        if (key == 40)
            seen << shift;
        if (key == 40 && shift == 0)
            key = 0;
    };
    int releases = 0;
    view->OnKeyUp = [&](TBigView *, int &key, int) { releases += key == 40; };
    PutCaret(*view, QPoint(1, 1));
    QTest::keyClick(view.get(), Qt::Key_Down);
    QCOMPARE(view->CaretPos(), QPoint(1, 1));
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(view->SelEnd(), QPoint(1, 2));
    QCOMPARE(seen, QList<int>({0, ssShift}));
    QCOMPARE(releases, 2);
}

void TestBigViewInput::noLinesKeysOnlyReachTheHandler()
{
    auto view = MakeView({});
    QVERIFY(view);
    int keys = 0;
    view->OnKeyDown = [&](TBigView *, int &key, int) { keys += key == 40 || key == 35; };
    QTest::keyClick(view.get(), Qt::Key_Down);
    QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(keys, 2);
    QCOMPARE(view->CaretPos(), QPoint(0, 0));
    // The mouse finds no position either: the selection stays empty at (0, 0).
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QCOMPARE(view->SelAnchor(), QPoint(0, 0));
    QCOMPARE(view->SelEnd(), QPoint(0, 0));
    QCOMPARE(view->PointToRowPos(QPoint(20, 20)), QPoint(0, 0));
}

void TestBigViewInput::heldShiftKeyLetsPointerExtend()
{
    auto view = MakeView(NumberedLines(10));
    QVERIFY(view);
    PutCaret(*view, QPoint(1, 1));
    QTest::keyPress(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(view->SelEnd(), QPoint(1, 2));
    // No button held: the move alone extends the selection while the key is down.
    SendMove(*view, PointAt(*view, 3, 5), Qt::NoButton);
    QCOMPARE(view->SelAnchor(), QPoint(1, 1));
    QCOMPARE(view->SelEnd(), QPoint(3, 5));
    QTest::keyRelease(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    SendMove(*view, PointAt(*view, 2, 7), Qt::NoButton);
    QCOMPARE(view->SelEnd(), QPoint(3, 5));
}

void TestBigViewInput::clickPlacesCaretAtCharacterStart()
{
    auto view = MakeView({"ab" + Kanji(2) + "cd", "second row"});
    QVERIFY(view);
    QStringList events;
    view->OnMouseDown = [&](TBigView *, Qt::MouseButton, int, int, int) { events << "down"; };
    view->OnClick = [&](TBigView *) { events << "click"; };
    view->OnMouseUp = [&](TBigView *, Qt::MouseButton, int, int, int) { events << "up"; };
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, PointAt(*view, 2, 0));
    QCOMPARE(view->CaretPos(), QPoint(2, 0));
    QVERIFY(view->SelectionEmpty());
    QVERIFY(!Probe(*view).Selecting());
    QCOMPARE(events, QStringList({"down", "click", "up"}));

    // Either half of a double-byte character puts the caret before it.
    const int kanjiWidth = int(view->TabbedWidth(Kanji(1)));
    const QPoint lead = PointAt(*view, 3, 0);
    const QPoint trail = PointAt(*view, 3, 0, kanjiWidth * 3 / 4);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, lead);
    QCOMPARE(view->CaretPos(), QPoint(3, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, trail);
    QCOMPARE(view->CaretPos(), QPoint(3, 0));
    // Right of the text: past the row's end; below the rows: end of the last row.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(view->viewport()->width() - 3, lead.y()));
    QCOMPARE(view->CaretPos(), QPoint(9, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(5, view->LineHeight() * 10));
    QCOMPARE(view->CaretPos(), QPoint(11, 1));

    // A press and drag within the rows selects; the release fixes the end.
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, PointAt(*view, 2, 0));
    QVERIFY(Probe(*view).Selecting());
    SendMove(*view, PointAt(*view, 4, 1), Qt::LeftButton);
    QCOMPARE(view->SelEnd(), QPoint(4, 1));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, PointAt(*view, 6, 1));
    QVERIFY(!Probe(*view).Selecting());
    QCOMPARE(view->SelAnchor(), QPoint(2, 0));
    QCOMPARE(view->SelEnd(), QPoint(6, 1));
}

void TestBigViewInput::mouseEventsCarryTheShiftSet()
{
    auto view = MakeView({"some text"});
    QVERIFY(view);
    QList<int> seen;
    view->OnMouseDown = [&](TBigView *, Qt::MouseButton, int shift, int, int) { seen << shift; };
    view->OnMouseMove = [&](TBigView *, int shift, int, int) { seen << shift; };
    view->OnMouseUp = [&](TBigView *, Qt::MouseButton, int shift, int, int) { seen << shift; };
    const QPoint at = PointAt(*view, 3, 0);
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier, at);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::AltModifier, at);
    QWidget *vp = view->viewport();
    // Keypad and Meta have no place in the shift set.
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(vp->mapToGlobal(at)), Qt::NoButton,
                     Qt::NoButton, Qt::ShiftModifier | Qt::KeypadModifier | Qt::MetaModifier);
    QCoreApplication::sendEvent(vp, &move);
    QCOMPARE(seen, QList<int>({ssShift | ssCtrl, ssAlt, ssShift}));
    // Key events map their modifiers the same way.
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Down, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(MapKeyEvent(&key).shift, MapModifiers(Qt::ControlModifier | Qt::AltModifier));
    QCOMPARE(MapModifiers(Qt::ControlModifier | Qt::AltModifier), ssCtrl | ssAlt);
}

void TestBigViewInput::doubleClickSelectsWord()
{
    auto view = MakeView({"x = Abc_12 + y", "ab" + Kanji(2) + "cd"});
    QVERIFY(view);
    int dbl = 0;
    view->OnDblClick = [&](TBigView *) { ++dbl; };

    DoubleClick(*view, PointAt(*view, 8, 0));
    QCOMPARE(dbl, 1);
    QCOMPARE(view->SelAnchor(), QPoint(5, 0));
    QCOMPARE(view->SelEnd(), QPoint(11, 0));
    QCOMPARE(Probe(*view).ClickKind(), 1);
    QVERIFY(!Probe(*view).Selecting());

    DoubleClick(*view, PointAt(*view, 4, 0));
    QCOMPARE(view->SelAnchor(), QPoint(4, 0));
    QCOMPARE(view->SelEnd(), QPoint(5, 0));

    // Past the row's end: nothing selected, the caret at the end.
    DoubleClick(*view, QPoint(view->viewport()->width() - 3, PointAt(*view, 1, 0).y()));
    QVERIFY(view->SelectionEmpty());
    QCOMPARE(view->SelEnd(), QPoint(15, 0));

    // A double-byte character alone, from either of its halves.
    const int kanjiWidth = int(view->TabbedWidth(Kanji(1)));
    DoubleClick(*view, PointAt(*view, 5, 1, kanjiWidth * 3 / 4));
    QCOMPARE(view->SelAnchor(), QPoint(5, 1));
    QCOMPARE(view->SelEnd(), QPoint(7, 1));
    DoubleClick(*view, PointAt(*view, 3, 1, 2));
    QCOMPARE(view->SelAnchor(), QPoint(3, 1));
    QCOMPARE(view->SelEnd(), QPoint(5, 1));
    DoubleClick(*view, PointAt(*view, 2, 1));
    QCOMPARE(view->SelAnchor(), QPoint(1, 1));
    QCOMPARE(view->SelEnd(), QPoint(3, 1));
    QCOMPARE(dbl, 6);
}

void TestBigViewInput::doubleClickWithoutSelect()
{
    auto view = MakeView({"some words here"});
    QVERIFY(view);
    view->SetSelect(false);
    QStringList events;
    view->OnMouseDown = [&](TBigView *v, Qt::MouseButton, int, int, int) { events << "down" + QString::number(Probe(*v).ClickKind()); };
    view->OnClick = [&](TBigView *) { events << "click"; };
    view->OnDblClick = [&](TBigView *) { events << "dblclick"; };
    view->OnMouseUp = [&](TBigView *, Qt::MouseButton, int, int, int) { events << "up"; };
    DoubleClick(*view, PointAt(*view, 7, 0));
    QCOMPARE(events, QStringList({"down1", "click", "up", "dblclick", "down2", "up"}));
    QVERIFY(view->SelectionEmpty());
    QCOMPARE(view->CaretPos(), QPoint(7, 0));
    // Without selecting, a press and drag only places the caret.
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, PointAt(*view, 2, 0));
    QVERIFY(!Probe(*view).Selecting());
    SendMove(*view, PointAt(*view, 9, 0), Qt::LeftButton);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, PointAt(*view, 9, 0));
    QVERIFY(view->SelectionEmpty());
    QCOMPARE(view->CaretPos(), QPoint(2, 0));
}

void TestBigViewInput::dragAboveScrollsToTopAndKeepsRepeating()
{
    auto view = MakeView(NumberedLines(100));
    QVERIFY(view);
    Probe(*view).SetDragInterval(1);
    view->SetTopRow(10);
    int steps = 0;
    view->OnViewLineChanged = [&](TBigView *) { ++steps; };

    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, PointAt(*view, 3, 12));
    QCOMPARE(view->SelAnchor(), QPoint(3, 12));
    SendMove(*view, QPoint(5, -10), Qt::LeftButton);
    QVERIFY(Probe(*view).DragScrolling());
    QTRY_COMPARE(view->TopRow(), 0);
    QCOMPARE(view->SelEnd(), QPoint(1, 0));
    // Held there, the steps go on at row 0.
    const int atTop = steps;
    QTRY_VERIFY(steps > atTop + 5);
    QCOMPARE(view->TopRow(), 0);
    QVERIFY(Probe(*view).DragScrolling());

    // Back inside the rows the scrolling stops and the end follows the pointer.
    SendMove(*view, PointAt(*view, 2, 4), Qt::LeftButton);
    QVERIFY(!Probe(*view).DragScrolling());
    QCOMPARE(view->SelEnd(), QPoint(2, 4));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, PointAt(*view, 2, 4));
    QVERIFY(!Probe(*view).Selecting());
    QCOMPARE(view->SelAnchor(), QPoint(3, 12));
    QCOMPARE(view->SelEnd(), QPoint(2, 4));
}

void TestBigViewInput::dragBelowStopsAtLastRow()
{
    auto view = MakeView(NumberedLines(60));
    QVERIFY(view);
    Probe(*view).SetDragInterval(1);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, PointAt(*view, 2, 1));
    SendMove(*view, QPoint(5, view->viewport()->height() + 30), Qt::LeftButton);
    // Once the last row is in view nothing is left to scroll: the steps stop by themselves.
    QTRY_VERIFY(!Probe(*view).DragScrolling());
    QCOMPARE(view->BottomRow(), 59);
    QCOMPARE(view->SelEnd(), QPoint(8, 59));
    QVERIFY(Probe(*view).Selecting());
    // A key release ends the selecting as well.
    QTest::keyClick(view.get(), Qt::Key_Shift);
    QVERIFY(!Probe(*view).Selecting());
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(view->SelEnd(), QPoint(8, 59));
}

void TestBigViewInput::longDragKeepsStackFlat()
{
    auto view = MakeView(NumberedLines(100));
    QVERIFY(view);
    Probe(*view).SetDragInterval(0);
    int steps = 0;
    quintptr lowest = ~quintptr(0), highest = 0;
    view->OnViewLineChanged = [&](TBigView *) {
        volatile char marker = 0;
        const quintptr here = reinterpret_cast<quintptr>(&marker);
        // The first steps come straight from the move; the rest from the event loop.
        if (++steps > 10) {
            lowest = qMin(lowest, here);
            highest = qMax(highest, here);
        }
    };
    view->SetTopRow(99);
    steps = 0;
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, PointAt(*view, 1, 99));
    SendMove(*view, QPoint(5, -5), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(steps >= 10000, 300000);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(5, -5));
    QVERIFY(!Probe(*view).DragScrolling());
    QCOMPARE(view->TopRow(), 0);
    // Every step ran at the same depth; a nesting of 10,000 steps would span megabytes.
    qInfo("%d drag steps, stack spread %llu bytes", steps, quint64(highest - lowest));
    QVERIFY2(highest - lowest < 16 * 1024, qPrintable(QString::number(highest - lowest)));
}

void TestBigViewInput::arrowKeysReachViewInsideDialog()
{
    QDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    auto *edit = new QLineEdit(&dialog);
    auto *view = new TBigView(&dialog);
    auto *button = new QPushButton(QStringLiteral("OK"), &dialog);
    layout->addWidget(edit);
    layout->addWidget(view);
    layout->addWidget(button);
    view->setFocusPolicy(Qt::StrongFocus);
    view->SetCaret(true);
    view->SetWordWrap(false);
    view->setMinimumHeight(200);
    for (int i = 0; i < 30; ++i)
        view->Add("row " + QByteArray::number(i));
    // A shortcut on an arrow key must not take it from the view.
    int shortcutHits = 0;
    auto *action = new QAction(&dialog);
    action->setShortcut(QKeySequence(Qt::Key_Down));
    dialog.addAction(action);
    connect(action, &QAction::triggered, [&] { ++shortcutHits; });

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QApplication::setActiveWindow(&dialog);
    view->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), view);
    PutCaret(*view, QPoint(1, 0));

    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Right);
    QCOMPARE(view->CaretPos(), QPoint(2, 2));
    QCOMPARE(shortcutHits, 0);
    QCOMPARE(QApplication::focusWidget(), view);
    QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Left);
    QCOMPARE(view->CaretPos(), QPoint(1, 1));
    QCOMPARE(QApplication::focusWidget(), view);
    // Tab still moves on to the next control.
    QTest::keyClick(view, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), button);
    // A click takes the focus back.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(QApplication::focusWidget(), view);
    QCOMPARE(view->CaretPos(), QPoint(1, 0));
}

void TestBigViewInput::rightButtonOpensPopupMenu()
{
    auto view = MakeView(NumberedLines(5));
    QVERIFY(view);
    auto menu = std::make_unique<QMenu>();
    menu->addAction(QStringLiteral("item"));
    view->SetPopupMenu(menu.get());
    const QPoint caretBefore = view->CaretPos();
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, PointAt(*view, 3, 2));
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(view->CaretPos(), caretBefore);  // the right button does not move the caret
    menu->close();
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, PointAt(*view, 3, 2));
    // A menu deleted while assigned is forgotten.
    menu.reset();
    QCOMPARE(view->PopupMenu(), nullptr);
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, PointAt(*view, 3, 2));
}

QTEST_MAIN(TestBigViewInput)
#include "tst_bigview_input.moc"
