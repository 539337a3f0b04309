// The main window's list editing, display, viewer and preview commands, driven through the
// window with the message boxes answered by a hook; the viewer windows they open are closed as
// soon as they show.
#include <QtTest>
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bigview/BigView.h"
#include "platform/MessageBox.h"
#include "app/rules/Messages.h"
#include "app/TForm1.h"
#include "viewer/TForm3.h"
#include "tests/TestSupport.h"

using testsupport::ReadBytes;
using testsupport::ReadBytesAt;
using testsupport::Sjis;
using testsupport::WriteBytes;
using testsupport::WriteBytesAt;

namespace {
QStringList Items(QListWidget *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

// "テスト.txt" in Shift-JIS bytes, as unpacked from an old archive.
const QByteArray SjisName("\x83\x65\x83\x58\x83\x67.txt");

// What the viewer windows showed: their line counts and repeat-search items.
struct Viewers {
    QList<int> lines;
    QList<bool> reFindEnabled;
    void Watch(TForm1 &form)
    {
        form.OnViewerShown = [this](TForm3 *v) {
            lines << v->BigView1->LineCount();
            reFindEnabled << (v->MenuReFind->isEnabled() && v->MenuReFindPrior->isEnabled());
            QTimer::singleShot(0, v, [v] { v->close(); });
        };
    }
};
}

class TestDisplayCommands : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QStringList boxes_;
    QString program() const { return dir_.filePath("TALVO"); }
    QString p(const QString &name) const { return dir_.filePath(name); }
    QByteArray b(const QString &name) const { return QFile::encodeName(p(name)); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        WriteBytes(p("TALVO.INI"), "[ListJyouhou]\r\n");
    }
    void init()
    {
        boxes_.clear();
        SetMessageBoxHook([this](const QString &text, MsgKind, unsigned) {
            boxes_ << text;
            return int(mrYes);
        });
    }
    void cleanup() { SetMessageBoxHook({}); }

    // A file named in Shift-JIS is listed by its name, shown, viewed and joined, its file-name
    // line holding the name's own bytes.
    void shiftJisNamedInput()
    {
        const QByteArray path = b(".") + "/" + SjisName;
        {
            QFile f;
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            QVERIFY(fd >= 0 && f.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
            f.write(Sjis("中身\r\n"));
        }
        WriteBytes(p("TALVO.INI"), "[OutPutJyouhou]\r\nCheckAddStr=1\r\nAddStrTo=\"# \"\r\n");
        TForm1 form(program(), {path});
        QCOMPARE(Items(form.ListBox1), QStringList{QStringLiteral("テスト.txt")});
        form.BtnDisp->click();
        QCOMPARE(boxes_, QStringList{});
        QCOMPARE(form.BigView1->LineCount(), 1);
        QCOMPARE(form.Ini.Viewer.ShownFile, path);

        form.Edit1->setText(p("joined.txt"));
        form.BtnOk->click();
        QCOMPARE(boxes_, QStringList{msg::Done});
        QCOMPARE(ReadBytes(p("joined.txt")), "# " + SjisName + "\r\n" + Sjis("中身\r\n"));
        WriteBytes(p("TALVO.INI"), "[ListJyouhou]\r\n");
    }

    // The output name offered for an input in a folder named in Shift-JIS is that folder: a name
    // typed after it is written there, not into a folder named by the decoded text's UTF-8.
    void outputOfferedInAShiftJisFolderIsThatFolder()
    {
        const QByteArray folder = b(".") + "/" + Sjis("出力 表");  // 表 ends in 0x5C
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        WriteBytesAt(folder + "/in.txt", "x\r\n");
        WriteBytes(p("TALVO.INI"), "[OutPutJyouhou]\r\nCheckOut1=0\r\nCheckOut2=0\r\nCheckOut3=0\r\nCheckAddStr=0\r\n");
        TForm1 form(program(), {folder + "/in.txt"});
        QCOMPARE(form.Edit1->text(), p(".") + QStringLiteral("/出力 表/"));
        form.Edit1->setText(form.Edit1->text() + QStringLiteral("結果.txt"));
        form.BtnOk->click();
        QCOMPARE(boxes_, QStringList{msg::Done});
        const QByteArray output = folder + "/" + QStringLiteral("結果.txt").toUtf8();
        QCOMPARE(ReadBytesAt(output), QByteArray("x\r\n"));
        QVERIFY(!QFileInfo::exists(p("出力 表")));
        form.BtnOutFileDisp->click();
        QCOMPARE(boxes_, QStringList{msg::Done});
        QCOMPARE(form.Ini.Viewer.ShownFile, output);
        QCOMPARE(form.BigView1->LineCount(), 1);
        // Edited inside the folder's name, the text is the path: that folder does not exist.
        form.Edit1->setText(p("出力 表x/結果.txt"));
        form.BtnOk->click();
        QCOMPARE(boxes_.size(), 2);
        QCOMPARE(boxes_.last(), msg::CannotCreate);
    }

    // An empty argument is an entry like any other: showing it fails with the display message;
    // with nothing selected the commands do nothing (the viewer opens empty).
    void anEmptyPathFailsToShowLikeAnyFile()
    {
        TForm1 form(program(), {""});
        QCOMPARE(form.ListBox1->count(), 1);
        form.BtnDisp->click();
        QCOMPARE(boxes_, QStringList{msg::CannotShow});
        int viewers = 0;
        form.OnViewerShown = [&](TForm3 *viewer) {
            ++viewers;
            QTimer::singleShot(0, viewer, [viewer] { viewer->close(); });
        };
        form.BtnViewInput->click();
        QCOMPARE(boxes_, (QStringList{msg::CannotShow, msg::CannotShow}));
        QCOMPARE(viewers, 0);
        QVERIFY(form.Ini.Viewer.ShownFile.isEmpty());

        TForm1 none(program(), {});
        none.BtnDisp->click();
        none.OnViewerShown = form.OnViewerShown;
        none.BtnViewInput->click();
        QCOMPARE(boxes_.size(), 2);
        QCOMPARE(viewers, 1);
    }

    // A click below the last entry keeps the selection: the list commands still have an entry.
    void aClickOnTheEmptyAreaKeepsTheSelection()
    {
        WriteBytes(p("one.txt"), "1\r\n");
        WriteBytes(p("two.txt"), "2a\r\n2b\r\n");
        TForm1 form(program(), {b("one.txt"), b("two.txt")});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QWidget *area = form.ListBox1->viewport();
        QTest::mouseClick(area, Qt::LeftButton, {}, form.ListBox1->visualItemRect(form.ListBox1->item(1)).center());
        QCOMPARE(form.ListBox1->currentRow(), 1);
        QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(10, area->height() - 4));
        QCOMPARE(form.ListBox1->selectedItems().size(), 1);
        QCOMPARE(form.ListBox1->currentRow(), 1);
        form.BtnDisp->click();
        QCOMPARE(form.BigView1->LineCount(), 2);
        // Ctrl+click on the selected entry cannot take it away either.
        QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier,
                          form.ListBox1->visualItemRect(form.ListBox1->item(1)).center());
        QCOMPARE(form.ListBox1->selectedItems().size(), 1);
        QCOMPARE(boxes_, QStringList{});
    }

    void listEditingKeepsTheListBoxInStep()
    {
        TForm1 form(program(), {"/d/A", "/d/B", "/d/C"});
        form.ListBox1->setCurrentRow(1);
        form.BtnCut->click();
        QCOMPARE(Items(form.ListBox1), (QStringList{"A", "C"}));
        QVERIFY(form.BtnPaste->isEnabled());
        form.BtnPaste->click();
        form.BtnDown->click();
        QCOMPARE(Items(form.ListBox1), (QStringList{"A", "C", "B"}));
        QCOMPARE(form.Inputs->PathList(), (QByteArrayList{"/d/A", "/d/C", "/d/B"}));
        QCOMPARE(form.ListBox1->currentRow(), 2);
        form.BtnDelete->click();
        QVERIFY(!form.BtnPaste->isEnabled());

        WriteBytes(p("shown.txt"), "x\r\n");
        form.Edit1->setText(p("shown.txt"));
        form.BtnOutFileDisp->click();
        QCOMPARE(form.BigView1->LineCount(), 1);
        form.Edit1->setText("typed");
        form.BtnReRead->click();
        QCOMPARE(Items(form.ListBox1), (QStringList{"A", "B", "C"}));
        QCOMPARE(form.ListBox1->currentRow(), 0);
        QCOMPARE(form.Edit1->text(), QString("/d/"));
        QCOMPARE(form.BigView1->LineCount(), 0);
        QVERIFY(form.Ini.Viewer.ShownFile.isEmpty());
    }

    // A vanished file, a folder, an unreadable file and a FIFO without a writer: the message,
    // an empty view, and the shown file as it was; nothing hangs.
    void filesThatCannotBeShown()
    {
        WriteBytes(p("good.txt"), "one\r\ntwo\r\n");
        WriteBytes(p("gone.txt"), "soon gone");
        WriteBytes(p("locked.txt"), "secret");
        QFile::setPermissions(p("locked.txt"), QFileDevice::Permissions());
        QDir().mkpath(p("folder"));
        QVERIFY(::mkfifo(b("fifo").constData(), 0644) == 0);
        TForm1 form(program(), {b("good.txt"), b("gone.txt"), b("folder"), b("locked.txt"), b("fifo")});
        QFile::remove(p("gone.txt"));
        form.BtnDisp->click();
        QCOMPARE(form.BigView1->LineCount(), 2);
        for (int row : {1, 2, 3}) {
            if (row == 3 && ::geteuid() == 0)
                continue;  // permissions do not stop root
            boxes_.clear();
            form.ListBox1->setCurrentRow(row);
            QTest::keyClick(form.ListBox1, Qt::Key_Return);
            QCOMPARE(boxes_, QStringList{msg::CannotShow});
            QCOMPARE(form.BigView1->LineCount(), 0);
            QCOMPARE(form.Ini.Viewer.ShownFile, b("good.txt"));
            // The viewer is not shown either.
            Viewers viewers;
            viewers.Watch(form);
            QTest::keyClick(form.ListBox1, Qt::Key_Return, Qt::ShiftModifier);
            QCOMPARE(viewers.lines, QList<int>{});
        }
        boxes_.clear();
        form.ListBox1->setCurrentRow(4);
        form.BtnDisp->click();  // no writer: read as empty, at once
        QCOMPARE(form.BigView1->LineCount(), 0);
        QFile::setPermissions(p("locked.txt"), QFile::ReadOwner | QFile::WriteOwner);

        // The output name: tested, then shown.
        form.Edit1->setText(p("folder/"));
        form.BtnViewOutput->click();
        QCOMPARE(boxes_, QStringList{msg::NoOutputName});
        form.Edit1->setText(p("not yet.txt"));
        boxes_.clear();
        form.BtnOutFileDisp->click();
        QCOMPARE(boxes_, QStringList{msg::CannotShow});
    }

    void viewerCommands()
    {
        WriteBytes(p("three.txt"), "1\r\n2\r\n3\r\n");
        TForm1 form(program(), {b("three.txt")});
        Viewers viewers;
        viewers.Watch(form);
        form.BigView1Click();  // nothing shown yet: no viewer
        QCOMPARE(viewers.lines, QList<int>{});
        QTest::keyClick(form.ListBox1, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClick(form.ListBox1, Qt::Key_Return, Qt::ControlModifier);  // nothing
        QCOMPARE(form.Ini.Viewer.ShownFile, b("three.txt"));
        QCOMPARE(form.BigView1->LineCount(), 0);  // the main view is not touched
        form.BigView1Click();
        // A list with entries always has one selected; without any, nothing is.
        form.ListBox1->clearSelection();
        QCOMPARE(form.ListBox1->selectedItems().size(), 1);
        {
            TForm1 none(program(), {});
            viewers.Watch(none);
            none.BtnViewInput->click();  // nothing selected: an empty viewer
        }
        QCOMPARE(viewers.lines, (QList<int>{3, 3, 0}));
        QCOMPARE(viewers.reFindEnabled, (QList<bool>{false, false, false}));
        form.Ini.Viewer.ReFindReady = true;
        form.Edit1->setText(p("three.txt"));
        form.BtnViewOutput->click();
        QCOMPARE(viewers.reFindEnabled.last(), true);
        QCOMPARE(boxes_, QStringList{});
    }

    void previewWritesTheJoinAndShowsIt()
    {
        WriteBytes(p("x.txt"), "a\r\nb");
        WriteBytes(p("y.txt"), "c\r\n");
        WriteBytes(p("sep.txt"), "--\r\n");
        WriteBytes(p("TALVO.INI"), "[OutPutJyouhou]\r\nFileName1=" + b("sep.txt") + "\r\nCheckOut1=1\r\n");
        TForm1 form(program(), {b("x.txt"), b("y.txt")});
        Viewers viewers;
        viewers.Watch(form);
        form.Edit1->clear();  // the preview neither tests nor uses the output name
        form.BtnPreview->click();
        QCOMPARE(boxes_, QStringList{});
        QCOMPARE(ReadBytes(p("TALVO.TXT")), QByteArray("--\r\na\r\nb\r\n--\r\nc\r\n"));
        QCOMPARE(viewers.lines, QList<int>{5});
        QCOMPARE(form.Ini.Viewer.ShownFile, b("TALVO.TXT"));
        form.BigView1Click();
        QCOMPARE(viewers.lines, (QList<int>{5, 5}));

        // A missing separator: the message, and the preview file as it was, byte for byte.
        QFile::remove(p("sep.txt"));
        form.BtnPreview->click();
        QCOMPARE(boxes_, QStringList{msg::CannotOpen});
        QCOMPARE(ReadBytes(p("TALVO.TXT")), QByteArray("--\r\na\r\nb\r\n--\r\nc\r\n"));
        QCOMPARE(viewers.lines.size(), 2);
        WriteBytes(p("TALVO.INI"), "[ListJyouhou]\r\n");
    }
};

QTEST_MAIN(TestDisplayCommands)
#include "tst_display_commands.moc"
