// Files dropped from a file manager: a text/uri-list sent through each window's drop handling.
// The main window adds them to the input list; the separator dialog and the viewer show one.
#include <QtTest>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>

#include "app/rules/Messages.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "bigview/BigView.h"
#include "lines/NativeFile.h"
#include "platform/MessageBox.h"
#include "tests/TestSupport.h"
#include "viewer/TForm3.h"

using testsupport::Sjis;
using testsupport::WriteBytes;
using testsupport::WriteBytesAt;

namespace {
// Answers every message box with OK and records the texts.
struct Boxes {
    Boxes()
    {
        SetMessageBoxHook([this](const QString &text, MsgKind, unsigned) {
            texts << text;
            return int(mrOk);
        });
    }
    ~Boxes() { SetMessageBoxHook({}); }
    QStringList texts;
};

// A file URI for a path, percent-encoded as file managers send it.
QByteArray Uri(const QByteArray &path) { return "file://" + path.toPercentEncoding("/"); }

// Drags `uriList` onto `target` and drops it there, as Qt delivers a drag from another program
// to the control under the pointer that takes drops. Returns whether the drop was taken; the
// window then handles the files once the drop has ended, which the events processed here allow.
bool Drop(QWidget *target, const QByteArray &uriList, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction)
{
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), uriList);
    const QPointF at = QRectF(target->rect()).center();
    QDragEnterEvent enter(at.toPoint(), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at.toPoint(), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    // Never a move: the file manager would delete what it sent.
    const bool taken = drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
    QCoreApplication::processEvents();
    return taken;
}

QStringList Items(QListWidget *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}
}  // namespace

class TestFileDrops : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString p(const QString &name) const { return dir_.filePath(name); }
    QByteArray b(const QString &name) const { return QFile::encodeName(p(name)); }
    QString program() const { return p("TALVO"); }

private slots:
    void initTestCase() { WriteBytes(p("TALVO.INI"), ""); }

    void filesDroppedOnTheMainWindowJoinTheListAtItsEnd()
    {
        const QByteArray sjis = QFile::encodeName(dir_.path()) + "/" + Sjis("ﾃｽﾄ 1.txt");
        WriteBytesAt(sjis, "s\r\n");
        WriteBytes(p("in/b b.txt"), "b\r\n");
        WriteBytes(p("a.txt"), "a\r\n");
        QDir().mkpath(p("folder"));
        TForm1 form(program(), {b("a.txt")});
        Boxes boxes;
        QVERIFY(Drop(&form, Uri(sjis) + "\r\n# comment\r\n" + Uri(b("in/b b.txt")) + "\r\n" + Uri(b("folder")) +
                                "\r\nhttp://example.invalid/x.txt\r\n"));
        // The folder and the web address are no inputs; the files keep their own bytes.
        QCOMPARE(form.Inputs->PathList(), (QByteArrayList{b("a.txt"), sjis, b("in/b b.txt")}));
        QCOMPARE(Items(form.ListBox1), (QStringList{"a.txt", QString::fromUtf8("ﾃｽﾄ 1.txt"), "b b.txt"}));
        QCOMPARE(form.ListBox1->currentRow(), 0);
        QVERIFY(boxes.texts.isEmpty());
        // They are joined like the others, and the output name offered at start stays.
        QCOMPARE(form.Edit1->text(), dir_.path() + "/");
        form.Edit1->setText(p("out.txt"));
        SetMessageBoxHook([](const QString &, MsgKind, unsigned) { return int(mrYes); });
        form.BtnOkClick();
        QCOMPARE(testsupport::ReadBytes(p("out.txt")), QByteArray("a\r\ns\r\nb\r\n"));
        // A drop on the output name box is no text for it: it goes to the list as well.
        QVERIFY(Drop(form.Edit1, Uri(b("a.txt"))));
        QCOMPARE(form.Edit1->text(), p("out.txt"));
        QCOMPARE(form.Inputs->Count(), 4);
        // Restore keeps the dropped inputs: they were given as the command line's were.
        form.BtnReReadClick();
        QCOMPARE(form.Inputs->Count(), 4);
    }

    void aWindowStartedEmptyOffersTheFolderOfTheFirstDrop()
    {
        WriteBytes(p("sub/x.txt"), "x\r\n");
        TForm1 form(program(), {});
        QVERIFY(Drop(&form, Uri(b("sub/x.txt"))));
        QCOMPARE(Items(form.ListBox1), QStringList{"x.txt"});
        QCOMPARE(form.ListBox1->currentRow(), 0);
        QCOMPARE(form.Edit1->text(), p("sub/"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Talvo (ﾒｲﾝ)    ") + p("sub/"));

        // A name typed meanwhile is kept.
        TForm1 typed(program(), {});
        typed.Edit1->setText(p("mine.txt"));
        QVERIFY(Drop(&typed, Uri(b("sub/x.txt"))));
        QCOMPARE(typed.Edit1->text(), p("mine.txt"));
    }

    void dropsWithoutLocalFilesOrAsAMoveAreRefused()
    {
        QDir().mkpath(p("only folder"));
        TForm1 form(program(), {b("a.txt")});
        QVERIFY(!Drop(&form, "http://example.invalid/x.txt\r\nsftp://host/y.txt\r\n"));
        QVERIFY(!Drop(&form, Uri(b("a.txt")), Qt::MoveAction));
        // A folder alone is taken as a drop but adds nothing.
        QVERIFY(Drop(&form, Uri(b("only folder"))));
        QCOMPARE(form.Inputs->Count(), 1);
        // Plain text dragged into the output name box is still the box's own.
        QMimeData text;
        text.setText(QStringLiteral("typed"));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.Edit1, &enter);
        QVERIFY(enter.isAccepted());
        // While a modal window is open over it, the main window takes nothing.
        QDialog modal(&form);
        modal.setModal(true);
        modal.show();
        QVERIFY(!Drop(&form, Uri(b("a.txt"))));
        modal.hide();
        QCOMPARE(form.Inputs->Count(), 1);
    }

    void aNameHoldingCrAndLfIsTakenAsItIs()
    {
        const QByteArray odd = QFile::encodeName(dir_.path()) + "/two\r\nlines.txt";
        WriteBytesAt(odd, "odd\r\n");
        TForm1 form(program(), {});
        QVERIFY(Drop(&form, Uri(odd)));
        QCOMPARE(form.Inputs->PathList(), QByteArrayList{odd});
        form.Edit1->setText(p("odd-out.txt"));
        SetMessageBoxHook([](const QString &, MsgKind, unsigned) { return int(mrYes); });
        form.BtnOkClick();
        SetMessageBoxHook({});
        QCOMPARE(testsupport::ReadBytes(p("odd-out.txt")), QByteArray("odd\r\n"));
    }

    void manyFilesAtOnce()
    {
        // 200,000 names in one drop: all taken, in order, without a message.
        QByteArray list;
        for (int i = 0; i < 200000; ++i)
            list += Uri(b(QStringLiteral("many/f%1.txt").arg(i))) + "\r\n";
        TForm1 form(program(), {});
        Boxes boxes;
        QVERIFY(Drop(&form, list));
        QCOMPARE(form.Inputs->Count(), 200000);
        QCOMPARE(form.ListBox1->count(), 200000);
        QCOMPARE(form.ListBox1->item(199999)->text(), QStringLiteral("f199999.txt"));
        QVERIFY(boxes.texts.isEmpty());
    }

    void theSeparatorDialogShowsTheDroppedFile()
    {
        WriteBytes(p("sep.txt"), "one\r\ntwo\r\n");
        Settings settings;
        TForm2 form(settings);
        Boxes boxes;
        QVERIFY(Drop(&form, Uri(b("sep.txt")) + "\r\n" + Uri(b("a.txt"))));
        QCOMPARE(form.BigView1->LineCount(), 2);
        QCOMPARE(form.Edit1->text(), QString());  // the settings are not touched
        // A drop on an edit box shows the file too, and leaves the box as it was.
        QVERIFY(Drop(form.Edit3, Uri(b("a.txt"))));
        QCOMPARE(form.BigView1->LineCount(), 1);
        QCOMPARE(form.Edit3->text(), QString());
        // A folder cannot be shown: the display's message, and an empty view.
        QVERIFY(Drop(&form, Uri(b("folder"))));
        QCOMPARE(boxes.texts, QStringList{msg::CannotShow});
        QCOMPARE(form.BigView1->LineCount(), 0);
    }

    void theViewerShowsTheDroppedFileAndReloadsIt()
    {
        WriteBytes(p("v1.txt"), "1\r\n2\r\n3\r\n");
        ViewerState state;
        state.ShownFile = b("a.txt");
        TForm3 viewer(state);
        viewer.setWindowTitle(QStringLiteral("a status caption"));
        Boxes boxes;
        QVERIFY(Drop(&viewer, Uri(b("v1.txt"))));
        QCOMPARE(viewer.BigView1->LineCount(), 3);
        QCOMPARE(state.ShownFile, b("v1.txt"));
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Talvo (ﾋﾞｭｰﾜ)"));
        // A file that cannot be read: the message, an empty view, the file shown before kept.
        QVERIFY(Drop(&viewer, Uri(b("missing.txt"))));
        QCOMPARE(boxes.texts, QStringList{msg::CannotShow});
        QCOMPARE(viewer.BigView1->LineCount(), 0);
        QCOMPARE(state.ShownFile, b("v1.txt"));
    }
};

QTEST_MAIN(TestFileDrops)
#include "tst_file_drops.moc"
