// The viewer window driven by keys, the hit marker and its timer, the caption after a hit and
// the close; the message window and the pause form.
#include <QtTest>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QScreen>

#include "bigview/BigView.h"
#include "platform/KeyMap.h"
#include "lines/PlainStrings.h"
#include "viewer/StatusCaption.h"
#include "viewer/TForm14.h"
#include "viewer/TForm17.h"
#include "viewer/TForm3.h"

namespace {
PlainStrings NumberedLines(int n)
{
    PlainStrings lines;
    for (int i = 1; i <= n; ++i)
        lines.Add(QByteArray("line ") + QByteArray::number(i) + " text");
    return lines;
}
}

class TestViewerWindow : public QObject {
    Q_OBJECT
private slots:
    void closeKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Esc") << int(Qt::Key_Escape) << int(Qt::NoModifier) << true;
        QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier) << true;
        QTest::newRow("Ctrl+Enter") << int(Qt::Key_Return) << int(Qt::ControlModifier) << true;
        QTest::newRow("Q") << int(Qt::Key_Q) << int(Qt::NoModifier) << true;
        QTest::newRow("Shift+Q") << int(Qt::Key_Q) << int(Qt::ShiftModifier) << true;
        QTest::newRow("Ctrl+Q") << int(Qt::Key_Q) << int(Qt::ControlModifier) << false;
        QTest::newRow("Alt+Q") << int(Qt::Key_Q) << int(Qt::AltModifier) << false;
        QTest::newRow("Ctrl+Shift+Q") << int(Qt::Key_Q) << int(Qt::ControlModifier | Qt::ShiftModifier) << true;
        QTest::newRow("Down") << int(Qt::Key_Down) << int(Qt::NoModifier) << false;
    }
    void closeKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, closes);
        ViewerState state;
        TForm3 viewer(state);
        viewer.BigView1->Assign(NumberedLines(5));
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        viewer.BigView1->setFocus();
        QTest::keyClick(viewer.BigView1, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(!viewer.isVisible(), closes);
        // Closing lets the lines go at once.
        QCOMPARE(viewer.BigView1->LineCount() == 0, closes);
    }

    // Which keys the window takes for its commands, by the modifier rules of its key table.
    void commandKeys()
    {
        ViewerState state;
        TForm3 viewer(state);
        // The commands' dialogs and notices answer themselves: only the routing is tested here.
        SetMessageWindowHook([](const QString &) {});
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        closer.start(5);
        const int none = 0, shift = ssShift, ctrl = ssCtrl, alt = ssAlt;
        const auto takes = [&](int key, int mods) { return viewer.FormKeyDown(key, mods); };
        QVERIFY(takes(vk::W, none));
        QVERIFY(!takes(vk::W, ctrl) && !takes(vk::W, alt) && !takes(vk::W, shift));
        QVERIFY(takes(vk::W, ctrl | shift));
        QVERIFY(takes(vk::J, none) && takes(vk::J, shift) && takes(vk::J, ctrl) && !takes(vk::J, alt));
        QVERIFY(takes(vk::F, none) && takes(vk::F, ctrl) && !takes(vk::F, alt));
        // N and P only after a Find with a non-empty string.
        QVERIFY(!takes(vk::N, none) && !takes(vk::P, none));
        state.SearchDone = true;
        QVERIFY(takes(vk::N, none) && takes(vk::P, shift) && !takes(vk::N, alt) && !takes(vk::P, alt));
        // Marker keys hide the marker and go on to the view.
        QVERIFY(!takes(vk::T, none) && !takes(vk::X, ctrl) && !takes(vk::End, ctrl));
        SetMessageWindowHook({});
    }

    void ctrlBracketMaximizesAndRestores()
    {
        ViewerState state;
        TForm3 viewer(state);
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QVERIFY(!viewer.FormKeyDown(vk::OpenBracket, ssShift | ssCtrl));
        QVERIFY(viewer.FormKeyDown(vk::OpenBracket, ssCtrl));
        QTRY_VERIFY(viewer.isMaximized());
        QVERIFY(viewer.FormKeyDown(vk::OpenBracket, ssCtrl));
        QTRY_VERIFY(!viewer.isMaximized());
    }

    void hitMarkerGoesWithKeysAndWithScrolling()
    {
        ViewerState state;
        TForm3 viewer(state);
        viewer.BigView1->SetWordWrap(false);
        viewer.BigView1->Assign(NumberedLines(300));
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        viewer.BigView1->setFocus();
        QCOMPARE(viewer.Timer1.interval(), 1000);
        QVERIFY(viewer.Timer1.isActive());

        viewer.BigView1->SetTopRow(10);
        viewer.ShowHitMarker(QPoint(6, 11));
        QVERIFY(state.HitShown && viewer.BigView1->Caret());
        QCOMPARE(state.HitTopRow, 10);
        QCOMPARE(viewer.Timer1.interval(), 100);
        QCOMPARE(viewer.BigView1->CaretPos(), QPoint(6, 11));
        QTest::keyClick(viewer.BigView1, Qt::Key_Down);
        QVERIFY(!state.HitShown && !viewer.BigView1->Caret() && !viewer.Timer1.isActive());

        // Scrolling by other means: the timer notices within a tick.
        viewer.ShowHitMarker(QPoint(1, 12));
        QTest::qWait(150);
        QVERIFY(state.HitShown);  // not scrolled: the marker stays
        viewer.BigView1->SetTopRow(40);
        QTRY_VERIFY(!state.HitShown);
        QCOMPARE(state.HitTopRow, 40);
        QVERIFY(!viewer.BigView1->Caret() && !viewer.Timer1.isActive());
    }

    void captionAfterAHit()
    {
        QCOMPARE(StatusCaption(310, 300, 14, 12, 5),
                 QStringLiteral("Talvo(View)  全行数 : 310 (300)  検索行 : 14 (12)  検索位置 : 5"));
        ViewerState state;
        TForm3 viewer(state);
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Talvo (ﾋﾞｭｰﾜ)"));
        viewer.BigView1->SetWordWrap(false);
        viewer.BigView1->Assign(NumberedLines(300));
        state.HitRow = 12;
        viewer.ShowStatusCaption(7);
        QCOMPARE(viewer.windowTitle(),
                 QStringLiteral("Talvo(View)  全行数 : 300 (300)  検索行 : 12 (12)  検索位置 : 7"));
        // Wrapped at 8 bytes, each "line n text" takes two rows: row 5 lies in line 3.
        viewer.BigView1->SetWrapByte(8);
        viewer.BigView1->SetWordWrap(true);
        state.HitRow = 5;
        viewer.ShowStatusCaption(1);
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Talvo(View)  全行数 : %1 (300)  検索行 : 5 (3)  検索位置 : 1")
                                           .arg(viewer.BigView1->RowCount()));
    }

    void closingRestoresTheSavedWrap()
    {
        ViewerState state;
        state.WordWrap = true;
        state.WordWrapByte = 60;
        TForm3 viewer(state);
        viewer.BigView1->SetWordWrap(false);
        viewer.BigView1->SetWrapByte(20);
        viewer.BigView1->Assign(NumberedLines(50));
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        viewer.close();
        QCOMPARE(viewer.BigView1->LineCount(), 0);
        QVERIFY(viewer.BigView1->WordWrap());
        QCOMPARE(viewer.BigView1->WrapByte(), 60);
    }

    void theMenu()
    {
        ViewerState state;
        TForm3 viewer(state);
        QCOMPARE(viewer.MenuSearch->title(), QStringLiteral("検索(&S)"));
        QCOMPARE(viewer.MenuSearch->actions(),
                 (QList<QAction *>{viewer.MenuFind, viewer.MenuReFind, viewer.MenuReFindPrior, viewer.MenuJump}));
        QCOMPARE(viewer.MenuReFind->text(), QStringLiteral("前検索(下検索)(&N)"));
        QCOMPARE(viewer.MenuDisp->actions(),
                 (QList<QAction *>{viewer.MenuWrapChange, viewer.MenuEncoding->menuAction()}));
        QCOMPARE(viewer.MenuOption->actions(), (QList<QAction *>{viewer.MenuWordWrap, viewer.MenuScroll}));
        QCOMPARE(viewer.MenuScroll->text(), QStringLiteral("ｽｸﾛｰﾙ設定(&S)..."));
        for (QAction *a : viewer.MenuSearch->actions())
            QVERIFY(a->shortcut().isEmpty());
    }

    void messageWindowClosesOnAnyKeyOrClick_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Esc") << int(Qt::Key_Escape);
        QTest::newRow("Space") << int(Qt::Key_Space);
        QTest::newRow("letter") << int(Qt::Key_A);
        QTest::newRow("click on the text") << 0;
    }
    void messageWindowClosesOnAnyKeyOrClick()
    {
        QFETCH(int, key);
        const QString text = QStringLiteral("   検索文字列が見つかりません。   ");
        QString shown, title;
        QSize size;
        QPoint centreOffset;
        QTimer::singleShot(50, [&] {
            auto *w = qobject_cast<TForm17 *>(QApplication::activeModalWidget());
            QVERIFY(w);
            shown = w->Label1->text();
            title = w->windowTitle();
            size = w->size();
            const QRect screen = w->screen()->availableGeometry();
            centreOffset = w->frameGeometry().topLeft() - screen.topLeft() -
                           QPoint((screen.width() - 392) / 2, (screen.height() - 73) / 2);
            if (key)
                QTest::keyClick(w, Qt::Key(key));
            else
                QTest::mouseClick(w->Label1, Qt::LeftButton);
        });
        ShowMessageWindow(text);
        QCOMPARE(shown, text);
        QCOMPARE(title, QStringLiteral("Talvo (ﾒｯｾｰｼﾞ)"));
        QCOMPARE(size, QSize(392, 73));
        QCOMPARE(centreOffset, QPoint(0, 0));  // centred on the screen, opened from anywhere
    }

    void pauseFormEndsByItself()
    {
        QWidget main;
        main.setGeometry(100, 120, 300, 200);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QPoint where;
        QTimer::singleShot(20, [&] {
            auto *w = qobject_cast<TForm14 *>(QApplication::activeModalWidget());
            QVERIFY(w);
            where = w->pos();
            QTest::keyClick(w, Qt::Key_Escape);  // ignored: only the timer ends the pause
        });
        ShowPauseForm(&main);
        QCOMPARE(where, main.frameGeometry().topLeft());
    }
};

QTEST_MAIN(TestViewerWindow)
#include "tst_viewer_window.moc"
