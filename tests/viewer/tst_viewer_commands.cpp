// The viewer window's search, jump, wrap and scroll commands, driven by keys as a user would:
// the dialogs are answered by typing into them.
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

#include "bigview/BigView.h"
#include "platform/MessageBox.h"
#include "viewer/TForm17.h"
#include "viewer/TForm3.h"
#include "tests/TestSupport.h"
#include "viewer/ViewScroll.h"
#include "viewer/ViewerMessages.h"

namespace {
// Runs `answer` on the next modal dialog as soon as it is up.
void WhenDialog(const std::function<void(QWidget *)> &answer)
{
    auto *poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->inherits("TForm3"))
            return;
        poll->deleteLater();
        poll->stop();
        answer(dialog);
    });
    poll->start();
}

// Types text into the dialog's Edit1 (replacing what is there) and presses a key in it.
void TypeAndPress(QWidget *dialog, const QString &text, Qt::Key key = Qt::Key_Return)
{
    auto *edit = dialog->findChild<QLineEdit *>("Edit1");
    QVERIFY(edit);
    edit->setFocus();
    edit->selectAll();
    // As typed, through an input method when it is not ASCII.
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(edit, &typed);
    QTest::keyClick(edit, key);
}
}

class TstViewerCommands : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QStringList messages_;
    QStringList boxes_;
    ViewerState state_;
    std::unique_ptr<TForm3> form_;

    QString File() const { return dir_.filePath("view me.txt"); }

    // A viewer on a file of 300 lines "line 1".."line 300", line 12 holding "Needle".
    void Open()
    {
        QByteArray text;
        for (int i = 1; i <= 300; ++i)
            text += (i == 12 ? QByteArray("xx Needle ") : QByteArray("line ")) + QByteArray::number(i) + "\r\n";
        testsupport::WriteBytes(File(), text);
        form_ = std::make_unique<TForm3>(state_);
        form_->BigView1->SetWordWrap(false);
        form_->BigView1->LoadFromFile(File());
        state_.ShownFile = QFile::encodeName(File());
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        form_->BigView1->setFocus();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(form_->BigView1, key, mods); }

private slots:
    void init()
    {
        messages_.clear();
        boxes_.clear();
        state_ = ViewerState();
        SetMessageWindowHook([this](const QString &text) { messages_ << text; });
        SetMessageBoxHook([this](const QString &text, MsgKind, unsigned) {
            boxes_ << text;
            return int(mrAbort);
        });
        Open();
    }
    void cleanup() { form_.reset(); }

    void FindAndRepeat()
    {
        // N does nothing before the first Find.
        Key(Qt::Key_N);
        QVERIFY(messages_.isEmpty());
        state_.FindLineScroll = 5;
        WhenDialog([](QWidget *d) { TypeAndPress(d, "NEEDLE"); });
        Key(Qt::Key_F);
        QCOMPARE(form_->BigView1->TopRow(), 6);
        QCOMPARE(state_.HitRow, 12);
        QCOMPARE(form_->windowTitle(), QStringLiteral("Talvo(View)  全行数 : 300 (300)  検索行 : 12 (12)  検索位置 : 4"));
        QCOMPARE(state_.FindStrName, QByteArray("NEEDLE"));
        QVERIFY(form_->BigView1->Caret());
        // N finds nothing more below the hit and says so, twice; Down hides the marker.
        Key(Qt::Key_N);
        Key(Qt::Key_N);
        QCOMPARE(messages_, QStringList({viewermsg::NotFound, viewermsg::NotFound}));
        Key(Qt::Key_Down);
        QVERIFY(!state_.HitShown);
        // P from further down finds it again; with case distinction it does not.
        form_->BigView1->SetTopRow(100);
        Key(Qt::Key_P);
        QCOMPARE(state_.HitRow, 12);
        state_.SearchUperLower = true;
        form_->BigView1->SetTopRow(100);
        Key(Qt::Key_P);
        QCOMPARE(messages_.size(), 3);
    }

    void CancelledFind()
    {
        state_.SearchDone = true;
        state_.SearchText = "line";
        WhenDialog([](QWidget *d) {
            d->findChild<QCheckBox *>("CheckUperLower")->click();
            TypeAndPress(d, "x", Qt::Key_Escape);
        });
        Key(Qt::Key_F);
        QVERIFY(state_.SearchText.isEmpty());
        QVERIFY(state_.SearchUperLower);  // kept although cancelled
        Key(Qt::Key_N);
        QCOMPARE(messages_, QStringList({viewermsg::NoSearchText}));
    }

    void Jump()
    {
        WhenDialog([](QWidget *d) { TypeAndPress(d, " $10"); });
        Key(Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(form_->BigView1->TopRow(), 15);
        QCOMPARE(state_.JumpLineNum, QByteArray(" $10"));
        for (const QString &bad : {QStringLiteral("0"), QStringLiteral("-5"), QStringLiteral("12a"), QStringLiteral("１２")}) {
            WhenDialog([bad](QWidget *d) { TypeAndPress(d, bad); });
            Key(Qt::Key_J);
        }
        QCOMPARE(messages_.size(), 4);
        QCOMPARE(messages_.front(), viewermsg::LineOutOfRange);
        QCOMPARE(form_->BigView1->TopRow(), 15);
        QCOMPARE(state_.JumpLineNum, QByteArray(" $10"));
        WhenDialog([](QWidget *d) { TypeAndPress(d, "999999"); });
        Key(Qt::Key_J);
        QCOMPARE(form_->BigView1->TopRow(), 299);
    }

    void WrapSwitchKeepsTheTopLine()
    {
        ApplyWrap(*form_->BigView1, true, 3);
        state_.WordWrap = true;
        state_.WordWrapByte = 3;
        ShowLineAtTopOf(40);
        WhenDialog([](QWidget *d) { QTest::keyClick(d->focusWidget(), Qt::Key_Space); });
        Key(Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(form_->BigView1->WrapByte(), 0);
        QCOMPARE(form_->BigView1->RowToLine(form_->BigView1->TopRow()), 40);
        // The file is gone: the switch back says so and leaves an empty, usable view.
        QVERIFY(QFile::remove(File()));
        WhenDialog([](QWidget *d) { QTest::keyClick(d->focusWidget(), Qt::Key_Space); });
        Key(Qt::Key_W);
        QCOMPARE(boxes_, QStringList({viewermsg::CannotOpen}));
        QCOMPARE(form_->BigView1->RowCount(), 0);
        QCOMPARE(form_->BigView1->WrapByte(), 3);
        Key(Qt::Key_End);
        WhenDialog([](QWidget *d) { TypeAndPress(d, "a"); });
        Key(Qt::Key_F);
        QCOMPARE(messages_, QStringList({viewermsg::NotFound}));
    }

    void Settings()
    {
        // A refused value keeps the dialog open for a correction; the new wrap keeps the top line.
        ShowLineAtTopOf(100);
        WhenDialog([this](QWidget *d) {
            TypeAndPress(d, "256");
            QCOMPARE(messages_, QStringList({viewermsg::ValueOutOfRange}));
            d->findChild<QCheckBox *>("CheckBox1")->setChecked(true);
            TypeAndPress(d, "2");
        });
        form_->MenuWordWrap->trigger();
        QVERIFY(state_.WordWrap);
        QCOMPARE(state_.WordWrapByte, 2);
        QCOMPARE(form_->BigView1->WrapByte(), 2);
        Key(Qt::Key_A);  // a key the view has no use for still brings it to its scroll bar
        QCOMPARE(form_->BigView1->RowToLine(form_->BigView1->TopRow()), 100);
        WhenDialog([this](QWidget *d) {
            TypeAndPress(d, "17");
            QCOMPARE(messages_.size(), 2);
            TypeAndPress(d, "16");
        });
        form_->MenuScroll->trigger();
        QCOMPARE(state_.FindLineScroll, 16);
        WhenDialog([](QWidget *d) { TypeAndPress(d, "3", Qt::Key_Escape); });
        form_->MenuScroll->trigger();
        QCOMPARE(state_.FindLineScroll, 16);
    }

private:
    void ShowLineAtTopOf(int line) { form_->BigView1->SetTopRow(form_->BigView1->LineToRow(line)); }
};

QTEST_MAIN(TstViewerCommands)
#include "tst_viewer_commands.moc"
