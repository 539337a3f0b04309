// Long work on the view in the background: a new wrap for a big file shows the progress window
// after its delay, and 中止 leaves the view, the dialog and the settings as they were; the view's
// search stopped there moves nothing.
#include <QtTest>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "bigview/BigView.h"
#include "platform/BackgroundWork.h"
#include "tests/ProgressWindowProbe.h"
#include "tests/TestSupport.h"
#include "viewer/TForm4.h"
#include "viewer/ViewScroll.h"
#include "viewer/ViewerState.h"

using progressprobe::ProgressWindow;
using progressprobe::Texts;
using progressprobe::WhenProgressShows;

namespace {
constexpr int BigLines = 1500000;
}  // namespace

class TestBackgroundView : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString big_;

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QByteArray text;
        text.reserve(BigLines * 24);
        for (int i = 0; i < BigLines; ++i)
            text += "line " + QByteArray::number(i).rightJustified(8, '0') + " abcdefghij\r\n";
        big_ = dir_.filePath("big text.txt");
        testsupport::WriteBytes(big_, text);
        SetProgressDelayForTests(1);
    }

    void stoppedRewrapLeavesViewDialogAndSettings()
    {
        TBigView view;
        view.resize(400, 300);
        view.SetScrollBar(ssBoth);
        view.SetWrapByte(80);
        view.SetWordWrap(true);
        view.LoadFromFile(big_);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.SetTopRow(view.LineToRow(1000));
        const int rows = view.RowCount();
        QCOMPARE(rows, BigLines);

        ViewerState state;
        state.WordWrap = true;
        state.WordWrapByte = 80;
        TForm4 dialog(state, &view);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.Edit1->setText("3");
        QStringList shown;
        WhenProgressShows(&dialog, [&shown](QDialog *window) {
            shown = Texts(window);
            auto *stop = window->findChild<QPushButton *>();
            QVERIFY(stop);
            QCOMPARE(stop->text(), QString("中止"));
            QTest::mouseClick(stop, Qt::LeftButton);
        });
        dialog.BtnOk->click();
        QVERIFY2(shown.contains("折返中..."), qPrintable(shown.join('|')));
        QVERIFY2(shown.filter(QRegularExpression("^[0-9,]+ / 1,500,000 行 \\([0-9]+%\\)$")).size() == 1,
                 qPrintable(shown.join('|')));
        // Nothing applied: the old rows, wrap and top line, the dialog open with what was typed.
        QCOMPARE(view.WrapByte(), 80);
        QCOMPARE(view.RowCount(), rows);
        QCOMPARE(view.TopRow(), 1000);
        QCOMPARE(state.WordWrapByte, 80);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
        QCOMPARE(dialog.Edit1->text(), QString("3"));
        QVERIFY(!ProgressWindow());
        QVERIFY(!BackgroundWorkRunning());

        // Let run, the same request lays the rows out and keeps the top line.
        dialog.BtnOk->click();
        QCOMPARE(state.WordWrapByte, 3);
        QCOMPARE(view.WrapByte(), 3);
        QCOMPARE(view.RowCount(), BigLines * 8);  // lines of 24 bytes
        QCOMPARE(view.RowToLine(view.TopRow()), 1000);
    }

    void stoppedFindMovesNothing()
    {
        TBigView view;
        view.resize(400, 300);
        view.SetWordWrap(false);
        // Lines held in memory: their search looks at the stop every few thousand lines.
        QFile file(big_);
        QVERIFY(file.open(QIODevice::ReadOnly));
        view.LoadFromStream(file);
        QCOMPARE(view.RowCount(), BigLines);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        // Stopped at the first look the search gets, before it can have gone far.
        int row = 5, column = 2;
        QTimer::singleShot(0, &view, [] { QVERIFY(StopBackgroundWork()); });
        QVERIFY(!view.Find("not in the text", row, column));
        QCOMPARE(row, 5);
        QCOMPARE(column, 2);
        // Let run, the search ends as before.
        QVERIFY(!view.Find("not in the text", row, column));
        QCOMPARE(row, view.RowCount());
        QCOMPARE(column, 1);
        row = 0;
        column = 1;
        QVERIFY(view.Find("LINE 01234567", row, column));
        QCOMPARE(row, 1234567);
        QCOMPARE(column, 1);
    }

    // Copying a selection of many lines shows the progress window (ｺﾋﾟｰ中, lines); 中止 leaves
    // the clipboard as it was; let run, the whole selection arrives.
    void copyOfManyLinesRunsInTheBackground()
    {
        TBigView view;
        view.resize(400, 300);
        view.SetWordWrap(false);
        view.LoadFromFile(big_);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.SetSelAnchor(QPoint(6, 10));
        view.SetSelEnd(QPoint(5, BigLines - 1));
        QGuiApplication::clipboard()->setText("before");
        QStringList shown;
        WhenProgressShows(&view, [&shown](QDialog *window) {
            shown = Texts(window);
            QTest::keyClick(window, Qt::Key_Escape);
        });
        view.CopyToClipboard();
        QVERIFY2(shown.contains("ｺﾋﾟｰ中..."), qPrintable(shown.join('|')));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("before"));
        QVERIFY(!BackgroundWorkRunning());

        view.CopyToClipboard();
        const QString text = QGuiApplication::clipboard()->text();
        QVERIFY(text.startsWith("00000010 abcdefghij\nline 00000011 abcdefghij\n"));
        QVERIFY(text.endsWith("\nline"));
        QCOMPARE(text.count('\n'), BigLines - 1 - 10);
    }
};

QTEST_MAIN(TestBackgroundView)
#include "tst_background_view.moc"
