// The viewer's search and jump dialogs: the text they hand on, and the default button.
#include <QtTest>
#include <QLineEdit>
#include <QPushButton>

#include <QScrollBar>

#include "bigview/BigView.h"
#include "lines/PlainStrings.h"
#include "viewer/TForm4.h"
#include "viewer/TForm5.h"
#include "viewer/TForm9.h"
#include "viewer/ViewerState.h"

class TestViewerDialogs : public QObject {
    Q_OBJECT
private slots:
    // Stored bytes that do not decode (a lone lead byte) are kept only while the box is
    // untouched: retyping the text that shows, or clearing the box, is what the user meant.
    void storedBytesLastOnlyWhileTheBoxIsUntouched()
    {
        const QByteArray stored = QByteArray("abc") + char(0x83);
        for (int round = 0; round < 3; ++round) {
            ViewerState state;
            state.FindStrName = stored;
            TForm9 dialog(state);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            if (round == 1) {
                QTest::keyClick(dialog.Edit1, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(dialog.Edit1, "abc");
            } else if (round == 2) {
                QTest::keyClick(dialog.Edit1, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClick(dialog.Edit1, Qt::Key_Delete);
            }
            QTest::keyClick(dialog.Edit1, Qt::Key_Return);
            const QByteArray expected[] = {stored, "abc", ""};
            QCOMPARE(state.SearchText, expected[round]);
        }
        for (const bool edited : {false, true}) {
            ViewerState state;
            state.JumpLineNum = QByteArray("12") + char(0x83);
            TForm5 dialog(state);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            if (edited) {
                QTest::keyClick(dialog.Edit1, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(dialog.Edit1, "12");
            }
            QTest::keyClick(dialog.Edit1, Qt::Key_Return);
            QCOMPARE(state.DialogText, edited ? QByteArray("12") : state.JumpLineNum);
        }
    }

    // Enter in the search box repeats the last direction; that button is the default one.
    void theDefaultButtonIsWhatEnterDoes()
    {
        for (const bool backward : {false, true}) {
            ViewerState state;
            state.SearchBackward = backward;
            TForm9 dialog(state);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QCOMPARE(dialog.BtnPriorSearch->isDefault(), backward);
            QCOMPARE(dialog.BtnSearch->isDefault(), !backward);
            QTest::keyClicks(dialog.Edit1, "x");
            QTest::keyClick(dialog.Edit1, Qt::Key_Return);
            QCOMPARE(state.SearchText, QByteArray("x"));
            QCOMPARE(state.SearchBackward, backward);
        }
    }

    // A new wrap width lays the whole text out again: the pointer says the program is busy.
    void theWrapChangeShowsTheBusyPointer()
    {
        TBigView view;
        view.resize(400, 300);
        view.SetScrollBar(ssBoth);
        PlainStrings lines;
        lines.Add(QByteArray(20000, 'x'));
        view.AddStrings(lines);
        view.SetWrapByte(80);
        view.SetWordWrap(true);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QList<Qt::CursorShape> shapes;
        connect(view.verticalScrollBar(), &QScrollBar::rangeChanged, this, [&] {
            const QCursor *cursor = QGuiApplication::overrideCursor();
            shapes << (cursor ? cursor->shape() : Qt::ArrowCursor);
        });
        ViewerState state;
        state.WordWrap = true;
        state.WordWrapByte = 80;
        TForm4 dialog(state, &view);
        dialog.Edit1->setText("40");
        dialog.BtnOk->click();
        QCOMPARE(state.WordWrapByte, 40);
        QCOMPARE(view.RowCount(), 500);
        QVERIFY(!shapes.isEmpty());
        QVERIFY(shapes.count(Qt::WaitCursor) == shapes.size());
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

QTEST_MAIN(TestViewerDialogs)
#include "tst_viewer_dialogs.moc"
