// The main window driven as a user would: keys, buttons and the real message boxes, with the
// bytes written and the settings file checked after exit.
#include <QtTest>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <sys/resource.h>
#include <sys/stat.h>

#include "bigview/BigView.h"
#include "bigview/BigViewProbe.h"
#include "platform/DialogKeys.h"
#include "app/rules/Messages.h"
#include "platform/MessageBox.h"
#include "app/TForm1.h"
#include "viewer/TForm3.h"
#include "tests/TestSupport.h"

using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {
struct Box {
    QString title, text;
    QStringList buttons;
};

// Answers the message boxes that open, in order, by pressing the named buttons with the keyboard
// focus moved onto them and Space, as a user would; records what each box showed.
class BoxAnswerer : public QObject {
public:
    explicit BoxAnswerer(QStringList answers) : answers_(std::move(answers))
    {
        connect(&timer_, &QTimer::timeout, this, &BoxAnswerer::poll);
        timer_.start(5);
    }
    QList<Box> seen;
    void stop() { timer_.stop(); }

private:
    void poll()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (!w || w->objectName() != "MessageBox" || w == last_)
            return;
        last_ = w;
        Box box;
        box.title = w->windowTitle();
        box.text = w->findChild<QLabel *>("Text")->text();
        for (QPushButton *b : w->findChildren<QPushButton *>())
            box.buttons << b->objectName();
        seen << box;
        const QString answer = answers_.isEmpty() ? QString("Abort") : answers_.takeFirst();
        if (auto *b = w->findChild<QPushButton *>(answer)) {
            b->setFocus();
            QTest::keyClick(b, Qt::Key_Space);
        }
    }
    QStringList answers_;
    QTimer timer_;
    QPointer<QWidget> last_;
};

QStringList Items(QListWidget *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}
}

class TestMainWindow : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString program() const { return dir_.filePath("TALVO"); }
    QString ini() const { return dir_.filePath("TALVO.INI"); }
    QString p(const QString &name) const { return dir_.filePath(name); }
    QByteArray b(const QString &name) const { return QFile::encodeName(p(name)); }

private slots:
    void initTestCase() { InstallDialogKeys(qApp); }

    void init()
    {
        SetMessageBoxHook({});
        WriteBytes(ini(), "");
    }

    void startsWithoutArguments()
    {
        TForm1 form(program(), {});
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(form.ListBox1->count(), 0);
        QCOMPARE(form.ListBox1->currentRow(), -1);
        QCOMPARE(form.Edit1->text(), QString());
        QCOMPARE(form.windowTitle(), QStringLiteral("Talvo (ﾒｲﾝ)    "));
        QVERIFY(!form.BtnPaste->isEnabled());
        QCOMPARE(QApplication::focusWidget(), form.Edit1);
        QCOMPARE(form.MenuFileExit->text(), QStringLiteral("終了(&X)"));
        QCOMPARE(form.BtnOk->text(), QStringLiteral("実行(&O)"));
        QCOMPARE(form.Label2->text(), QStringLiteral("  入力ﾌｧｲﾙ名(&Q)"));
    }

    void argumentsFillTheListAndTheOutputFolder()
    {
        TForm1 form(program(), {"/A/x.txt", "/y.txt", "/A/x.txt", "/no such/ﾒﾓ 1.txt", "bare"});
        QCOMPARE(Items(form.ListBox1), (QStringList{"x.txt", "y.txt", "x.txt", "ﾒﾓ 1.txt", "bare"}));
        QCOMPARE(form.Inputs->PathList().last(), QByteArray("bare"));
        QCOMPARE(form.ListBox1->currentRow(), 0);
        QCOMPARE(form.Edit1->text(), QString("/A/"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Talvo (ﾒｲﾝ)    /A/"));
        QCOMPARE(form.Inputs->NameListSaved(), form.Inputs->NameList());
        TForm1 bare(program(), {"x.txt"});
        QCOMPARE(bare.Edit1->text(), QString());
    }

    void tabOrderFollowsTheControlTable()
    {
        TForm1 form(program(), {});
        const QList<QWidget *> order{form.Edit1, form.BtnRef, form.BtnOk, form.BtnCansel, form.ListBox1,
                                     form.BtnUp, form.BtnDown, form.BtnCut, form.BtnPaste, form.BtnDelete,
                                     form.BtnDisp, form.BtnViewInput, form.BtnSeparate, form.CheckBox1,
                                     form.CheckBox2, form.CheckBox3, form.CheckBox4, form.BtnOutFileDisp,
                                     form.BtnViewOutput, form.BtnReRead, form.BigView1, form.BtnPreview,
                                     form.BtnLauncherRun};
        for (qsizetype i = 0; i + 1 < order.size(); ++i) {
            QWidget *next = order[i]->nextInFocusChain();
            while (next && next->focusPolicy() == Qt::NoFocus)
                next = next->nextInFocusChain();
            QCOMPARE(next, order[i + 1]);
        }
    }

    void contentViewTakesTheFocusAndShowsItsCaret()
    {
        TForm1 form(program(), {});
        TBigView *v = form.BigView1;
        QCOMPARE(v->BvStyle(), (TBvStyle{bvDblFrame}));
        QVERIFY(v->Caret() && v->ScOver() && v->WordWrap() && v->Select());
        QCOMPARE(v->ScrollBar(), ssVertical);
        QCOMPARE(v->ScrollSense(), 2);
        QCOMPARE(v->ViewTabStop(), 4);
        QCOMPARE(v->WrapByte(), 0);
        QVERIFY(v->MaxChar() >= 255);
        QCOMPARE(v->PCanLimit(), 0);
        QVERIFY(bool(v->OnDblClick));
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QVERIFY(!Probe(*v).CaretShown());
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        QCOMPARE(QApplication::focusWidget(), v);
        QVERIFY(Probe(*v).CaretShown());
        QTest::keyClick(v, Qt::Key_F2);  // the form's keys reach it through the view's event
        QCOMPARE(QApplication::focusWidget(), form.ListBox1);
        QVERIFY(!Probe(*v).CaretShown());
    }

    void missingSettingsFileIsCreatedOnceWithTheLauncherDefaults()
    {
        QFile::remove(ini());
        qputenv("SYSTEMROOT", "/WINNT");
        qputenv("WINDIR", "/WINNT");
        qunsetenv("WINBOOTDIR");
        QList<std::tuple<QString, MsgKind, unsigned>> boxes;
        SetMessageBoxHook([&](const QString &t, MsgKind k, unsigned b) {
            boxes.append({t, k, b});
            return int(mrYes);
        });
        {
            TForm1 form(program(), {});
            QCOMPARE(boxes.size(), 1);
            QCOMPARE(std::get<0>(boxes[0]), msg::NoSettingsFile);
            QCOMPARE(std::get<1>(boxes[0]), MsgKind::Warning);
            QCOMPARE(std::get<2>(boxes[0]), unsigned(mbYes));
            const QByteArray created = ReadBytes(ini());
            QVERIFY(created.startsWith("[ProgTitle]\r\n1=" + Sjis("メモ帳(WinNT)") + "\r\n"));
            QVERIFY(created.contains("[ProgName]\r\n1=/WINNT/NOTEPAD.EXE\r\n2=/WINNT/SYSTEM32/WRITE.EXE\r\n"));
            QVERIFY(created.contains("[ProgShortCut]\r\n1=M\r\n2=W\r\n3=*\r\n"));
        }
        qunsetenv("SYSTEMROOT");
        qunsetenv("WINDIR");
        const QByteArray afterExit = ReadBytes(ini());
        QVERIFY(afterExit.startsWith("[ProgTitle]"));  // launcher sections first, the rest after
        QVERIFY(afterExit.contains("[ListJyouhou]"));
        TForm1 again(program(), {});
        QCOMPARE(boxes.size(), 1);
    }

    void settingsAreAppliedAndWrittenBackAtExit()
    {
        WriteBytes(ini(), "[WordWrap]\r\nByte=1\r\n[OutPutJyouhou]\r\nCheckOut2=1\r\nAddStrTo=\"  x \"\r\n");
        {
            TForm1 form(program(), {});
            QVERIFY(!form.CheckBox1->isChecked());
            QVERIFY(!form.CheckBox2->isChecked());
            QVERIFY(form.CheckBox3->isChecked());
            QVERIFY(!form.CheckBox4->isChecked());
            QCOMPARE(form.Ini.Viewer.WordWrapByte, 2);
            form.CheckBox1->click();
            form.CheckBox3->click();
        }
        const QByteArray text = ReadBytes(ini());
        QVERIFY(text.contains("Byte=2\r\n"));
        QVERIFY(text.contains("CheckOut1=1\r\n"));
        QVERIFY(text.contains("CheckOut2=0\r\n"));
        QVERIFY(text.contains("AddStrTo=\"  x \"\r\n"));
        WriteBytes(ini(), "[WordWrap]\r\nByte=300\r\n");
        {
            TForm1 form(program(), {});
            QCOMPARE(form.Ini.Viewer.WordWrapByte, 255);
        }
        QVERIFY(ReadBytes(ini()).contains("Byte=255\r\n"));
    }

    void escapeClosesFromAnyControlWithoutAQuestion()
    {
        TForm1 form(program(), {"/A/x.txt"});
        for (QWidget *w : QList<QWidget *>{form.Edit1, form.ListBox1, form.BtnOk, form.CheckBox2, form.BigView1}) {
            form.show();
            QVERIFY(QTest::qWaitForWindowActive(&form));
            w->setFocus();
            QTest::keyClick(w, Qt::Key_Escape, Qt::ShiftModifier);
            QVERIFY2(!form.isVisible(), qPrintable(w->objectName()));
        }
    }

    void f2MovesTheFocusBetweenListAndView()
    {
        TForm1 form(program(), {"/A/x.txt"});
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.Edit1->setFocus();
        QTest::keyClick(form.Edit1, Qt::Key_F2);
        QCOMPARE(QApplication::focusWidget(), form.ListBox1);
        QTest::keyClick(form.ListBox1, Qt::Key_F2);
        QCOMPARE(QApplication::focusWidget(), form.BigView1);
        QTest::keyClick(form.BigView1, Qt::Key_F2, Qt::ShiftModifier | Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), form.ListBox1);
        QTest::keyClick(form.ListBox1, Qt::Key_F2, Qt::ControlModifier);  // Ctrl alone: nothing
        QCOMPARE(QApplication::focusWidget(), form.ListBox1);
        form.BtnUp->setFocus();
        QTest::keyClick(form.BtnUp, Qt::Key_F2);
        QCOMPARE(QApplication::focusWidget(), form.ListBox1);
    }

    void enterInTheOutputNameJoinsTheInputs()
    {
        WriteBytes(p("in/x.txt"), Sjis("一行目\r\n二行目"));
        WriteBytes(p("in/y.txt"), "last\n");
        WriteBytes(p("sep1.txt"), "----\r\n");
        WriteBytes(ini(), "[OutPutJyouhou]\r\nFileName1=" + QFile::encodeName(p("sep1.txt")) +
                              "\r\nCheckOut1=1\r\nCheckAddStr=1\r\nAddStrTo=\"# \"\r\n");
        TForm1 form(program(), {b("in/x.txt"), b("in/y.txt")});
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(form.Edit1->text(), p("in/"));
        form.Edit1->setFocus();
        QTest::keyClicks(form.Edit1, "out.txt");
        BoxAnswerer boxes({"Yes"});
        QTest::keyClick(form.Edit1, Qt::Key_Return);
        QCOMPARE(ReadBytes(p("in/out.txt")),
                 "----\r\n# x.txt\r\n" + Sjis("一行目\r\n二行目\r\n") + "----\r\n# y.txt\r\nlast\n\r\n");
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].title, QStringLiteral("情報"));
        QCOMPARE(boxes.seen[0].text, msg::Done);
        QCOMPARE(boxes.seen[0].buttons, QStringList{"Yes"});
        QVERIFY(form.isVisible());
        QCOMPARE(form.ListBox1->currentRow(), 0);

        // Again: the overwrite question; No keeps the file as it is.
        WriteBytes(p("in/out.txt"), "keep me");
        boxes.stop();
        BoxAnswerer no({"No"});
        form.BtnOk->click();
        QCOMPARE(no.seen.size(), 1);
        QCOMPARE(no.seen[0].text, msg::AskOverwrite);
        QCOMPARE(no.seen[0].buttons, (QStringList{"Yes", "No"}));
        QCOMPARE(ReadBytes(p("in/out.txt")), QByteArray("keep me"));
    }

    void failuresShowTheirMessageAndWriteNothing()
    {
        WriteBytes(p("ok.txt"), "ok\r\n");
        TForm1 form(program(), {b("ok.txt"), b("missing.txt")});
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.Edit1->setText(p("never.txt"));
        {
            BoxAnswerer boxes({"Abort"});
            form.BtnOk->click();
            QCOMPARE(boxes.seen.size(), 1);
            QCOMPARE(boxes.seen[0].title, QStringLiteral("警告"));
            QCOMPARE(boxes.seen[0].text, msg::CannotOpen);
            QCOMPARE(boxes.seen[0].buttons, QStringList{"Abort"});
            QVERIFY(!QFileInfo::exists(p("never.txt")));
        }

        form.Edit1->setText(p("no folder/"));
        BoxAnswerer name({"Abort"});
        QTest::keyClick(form.Edit1, Qt::Key_Enter);
        QCOMPARE(name.seen.size(), 1);
        QCOMPARE(name.seen[0].text, msg::NoOutputName);
    }

    void exitMenuAsksFirst()
    {
        TForm1 form(program(), {});
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        BoxAnswerer no({"No"});
        form.MenuFileExit->trigger();
        QCOMPARE(no.seen.size(), 1);
        QCOMPARE(no.seen[0].text, msg::AskExit);
        QCOMPARE(no.seen[0].title, QStringLiteral("情報"));
        QVERIFY(form.isVisible());
        BoxAnswerer yes({"Yes"});
        form.MenuFileExit->trigger();
        QVERIFY(!form.isVisible());
    }

    void enterAndLettersOnButtonsActAsOnTheOriginal()
    {
        TForm1 form(program(), {});
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QStringList texts;
        SetMessageBoxHook([&](const QString &t, MsgKind, unsigned) {
            texts << t;
            return int(mrOk);
        });
        // Tab to 実行(O), then Enter: the job runs (and refuses the empty output name).
        form.Edit1->setFocus();
        QTest::keyClick(form.Edit1, Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form.BtnOk);
        QTest::keyClick(form.BtnOk, Qt::Key_Return);
        QCOMPARE(texts, QStringList{msg::NoOutputName});
        // From a check box, "2" sets the file-name line's box as Alt+2 would.
        form.CheckBox1->setFocus();
        QTest::keyClick(form.CheckBox1, Qt::Key_2);
        QTRY_VERIFY(form.CheckBox2->isChecked());
        SetMessageBoxHook({});
    }

    void unreadableSettingsAreKeptAndReportedOnce()
    {
        const QString folder = dir_.filePath("unreadable");
        QDir().mkpath(folder);
        QVERIFY(QFile::link("/proc/self/mem", folder + "/TALVO.INI"));
        QStringList texts;
        SetMessageBoxHook([&](const QString &t, MsgKind, unsigned) {
            texts << t;
            return int(mrOk);
        });
        {
            TForm1 form(folder + "/TALVO", {});
            QCOMPARE(texts, QStringList{folder + "/TALVO.INI に書き込めません"});
            QCOMPARE(form.Ini.TextFontSize, QByteArray("14"));
        }
        QCOMPARE(texts.size(), 1);
        QCOMPARE(QFileInfo(folder + "/TALVO.INI").symLinkTarget(), QStringLiteral("/proc/self/mem"));
        SetMessageBoxHook({});
    }

    void busyCursorEndsWhenMemoryRunsOut()
    {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        QSKIP("a sanitizer's shadow memory leaves no room for an address-space limit");
#endif
        WriteBytes(p("huge.txt"), QByteArray(64 * 1024 * 1024, 'h'));
        TForm1 form(program(), {b("huge.txt")});
        form.Edit1->setText(p("never.txt"));
        QStringList texts;
        SetMessageBoxHook([&](const QString &t, MsgKind, unsigned) {
            texts << t;
            return int(mrAbort);
        });
        QFile status("/proc/self/status");
        QVERIFY(status.open(QIODevice::ReadOnly));
        qint64 vm = 0;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmSize:"))
                vm = line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
        rlimit old{};
        getrlimit(RLIMIT_AS, &old);
        rlimit small = old;
        small.rlim_cur = rlim_t(vm + 40 * 1024 * 1024);
        QCOMPARE(setrlimit(RLIMIT_AS, &small), 0);
        bool escaped = false;
        try {
            form.BtnOkClick();
            form.BtnPreviewClick();  // the preview goes through the same job
        } catch (...) {
            escaped = true;
        }
        setrlimit(RLIMIT_AS, &old);
        SetMessageBoxHook({});
        QFile::remove(p("huge.txt"));
        QVERIFY(!escaped);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(texts, (QStringList{msg::CannotOpen, msg::CannotOpen}));
        QVERIFY(!QFileInfo::exists(p("never.txt")));
    }

    void unwritableSettingsAtExitAreReported()
    {
        const QString folder = dir_.filePath("ro");
        QDir().mkpath(folder);
        WriteBytes(folder + "/TALVO.INI", "[Mine]\r\nx=1\r\n");
        QFile::setPermissions(folder + "/TALVO.INI", QFile::ReadOwner);
        QStringList texts;
        SetMessageBoxHook([&](const QString &t, MsgKind k, unsigned) {
            texts << t;
            return k == MsgKind::Error ? int(mrOk) : int(mrYes);
        });
        { TForm1 form(folder + "/TALVO", {}); }
        QFile::setPermissions(folder + "/TALVO.INI", QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(texts, QStringList{folder + "/TALVO.INI に書き込めません"});
        QCOMPARE(ReadBytes(folder + "/TALVO.INI"), QByteArray("[Mine]\r\nx=1\r\n"));
    }

    // A program unpacked into a folder whose name is not UTF-8 finds its files by their bytes.
    void programFolderNamedInShiftJis()
    {
        const QByteArray folder = QFile::encodeName(dir_.path()) + "/" + Sjis("ﾂｰﾙ 2");
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        testsupport::WriteBytesAt(folder + "/TALVO.INI", "[OutPutJyouhou]\r\nCheckOut1=1\r\n");
        SetMessageBoxHook([](const QString &, MsgKind, unsigned) { return int(mrYes); });
        {
            TForm1 form(folder + "/TALVO", {});
            QVERIFY(form.CheckBox1->isChecked());
            QCOMPARE(form.Ini.FileName2, folder + "/SEPA02.TXT");
            QCOMPARE(form.PreviewFilePath(), folder + "/TALVO.TXT");
        }
        SetMessageBoxHook({});
        QVERIFY(testsupport::ReadBytesAt(folder + "/TALVO.INI").contains("[ListJyouhou]"));
    }

    // An installed program: its folder read-only (no write bit, so even for root), the user's
    // settings and preview in the configuration folder, made on first use.
    void installedProgramKeepsTheUsersFilesInTheConfigFolder()
    {
        const QString folder = dir_.filePath("installed");
        const QString config = dir_.filePath("config home");
        QDir().mkpath(folder);
        WriteBytes(folder + "/SEPA01.TXT", "--sep--\r\n");
        WriteBytes(p("in.txt"), "line\r\n");
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        const auto restore = qScopeGuard([&] {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qputenv("XDG_CONFIG_HOME", oldXdg);
            SetMessageBoxHook({});
        });
        QStringList texts;
        SetMessageBoxHook([&](const QString &t, MsgKind, unsigned) {
            texts << t;
            return int(mrYes);
        });
        {
            TForm1 form(folder + "/TALVO", {b("in.txt")});
            // The first run is told as ever, and the file is made in the user's folder.
            QCOMPARE(texts, QStringList{msg::NoSettingsFile});
            QVERIFY(ReadBytes(config + "/talvo/TALVO.INI").startsWith("[ProgTitle]"));
            QCOMPARE(form.Ini.FileName1, QFile::encodeName(folder + "/SEPA01.TXT"));
            form.CheckBox1->setChecked(true);
            form.OnViewerShown = [](TForm3 *v) { QTimer::singleShot(0, v, [v] { v->close(); }); };
            form.BtnPreviewClick();
            QCOMPARE(ReadBytes(config + "/talvo/TALVO.TXT"), QByteArray("--sep--\r\nline\r\n"));
            QCOMPARE(form.Ini.Viewer.ShownFile, QFile::encodeName(config + "/talvo/TALVO.TXT"));
        }
        QCOMPARE(texts.size(), 1);
        QVERIFY(ReadBytes(config + "/talvo/TALVO.INI").contains("CheckOut1=1\r\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), (QStringList{"SEPA01.TXT"}));
        // The next start finds its settings: no notice.
        { TForm1 again(folder + "/TALVO", {}); }
        QCOMPARE(texts.size(), 1);
    }

    // Nowhere to keep the settings (read-only program folder, no HOME): the settings-file error
    // once, the defaults, and a program that goes on.
    void withoutAnyWritableFolderTheErrorIsShownOnce()
    {
        const QString folder = dir_.filePath("homeless");
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        const QByteArray oldHome = qgetenv("HOME"), oldXdg = qgetenv("XDG_CONFIG_HOME");
        qunsetenv("HOME");
        qunsetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qputenv("HOME", oldHome);
            qputenv("XDG_CONFIG_HOME", oldXdg);
            SetMessageBoxHook({});
        });
        QStringList texts;
        SetMessageBoxHook([&](const QString &t, MsgKind, unsigned) {
            texts << t;
            return int(mrYes);
        });
        {
            TForm1 form(folder + "/TALVO", {});
            QCOMPARE(texts, (QStringList{msg::NoSettingsFile, folder + "/TALVO.INI に書き込めません"}));
            QCOMPARE(form.Ini.TextFontSize, QByteArray("14"));
            QCOMPARE(form.Launcher.ProgShortCut[3], QByteArray("*"));  // the defaults, in memory
        }
        QCOMPARE(texts.size(), 2);
        QVERIFY(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
