// The launcher's windows driven as a user would: the run dialog starts a recording program
// with the preview file, the settings dialogs change and store the entries.
#include <QtTest>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "launcher/LauncherEntries.h"
#include "launcher/LauncherMessages.h"
#include "launcher/LauncherWorkLists.h"
#include "launcher/LauncherRun.h"
#include "launcher/TForm12.h"
#include "launcher/TForm13.h"
#include "platform/MessageBox.h"
#include "app/rules/Messages.h"
#include "app/TForm1.h"
#include "tests/TestSupport.h"

using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {
// Acts on modal dialogs as they come up: each step waits for the dialog of its name to be the
// active modal window, then runs once, queued, so a dialog it opens gets its own turn.
class ModalSteps : public QObject {
public:
    using Action = std::function<void(QWidget *)>;
    void Add(const QString &dialog, Action action) { steps_.append({dialog, std::move(action)}); }
    ModalSteps()
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget *w = QApplication::activeModalWidget();
            if (busy_ || steps_.isEmpty() || !w || w->objectName() != steps_.first().first)
                return;
            busy_ = true;
            QTimer::singleShot(0, this, [this, w, action = steps_.takeFirst().second] {
                busy_ = false;
                action(w);
            });
        });
        timer_.start(10);
    }
    bool Done() const { return steps_.isEmpty(); }

private:
    QList<QPair<QString, Action>> steps_;
    QTimer timer_;
    bool busy_ = false;
};

template <typename T>
T *Child(QWidget *w, const char *name)
{
    T *child = w->findChild<T *>(name);
    if (!child)
        qFatal("no %s in %s", name, qPrintable(w->objectName()));
    return child;
}

void Click(QWidget *w, const char *button) { Child<QPushButton>(w, button)->click(); }

QStringList Items(QWidget *dialog)
{
    auto *list = Child<QListWidget>(dialog, "ListBox1");
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}
}  // namespace

class TestLauncherWindows : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QStringList boxes_;
    QString p(const QString &name) const { return dir_.filePath(name); }
    QString program() const { return p("prog dir/TALVO"); }
    QString ini() const { return p("prog dir/TALVO.INI"); }
    QString preview() const { return p("prog dir/TALVO.TXT"); }
    QString recorder() const { return p("rec dir/record args"); }

    // Entry 1 cannot start, entry 2 is free (a gap), entry 3 records how it was started.
    void WriteEntries()
    {
        LauncherEntries e;
        e.ProgTitle[1] = "Alpha";
        e.ProgName[1] = p("nowhere/alpha").toUtf8();
        e.ProgShortCut[1] = "A";
        e.ProgTitle[3] = "Rec";
        e.ProgName[3] = recorder().toUtf8();
        e.ProgOption[3] = "-a %f \"two words\" 'x %f' %F";
        e.ProgDir[3] = p("work dir").toUtf8();
        e.ProgShortCut[3] = "R";
        WriteLauncherEntries(QFile::encodeName(ini()), e);
    }

private slots:
    void initTestCase()
    {
        QDir().mkpath(p("work dir"));
        QDir().mkpath(p("prog dir"));
        WriteBytes(recorder(), "#!/bin/sh\nout=\"$(dirname \"$0\")/record\"\n"
                               "printf '%s\\n' \"$(pwd -P)\" \"$@\" > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n");
        QFile::setPermissions(recorder(), QFile::permissions(recorder()) | QFile::ExeUser);
        WriteBytes(p("in.txt"), "one\r\ntwo");
        SetMessageBoxHook([this](const QString &text, MsgKind, unsigned) {
            boxes_ << text;
            return int(mrOk);
        });
    }

    void init()
    {
        boxes_.clear();
        QFile::remove(p("rec dir/record"));
        QFile::remove(preview());
        QFile::setPermissions(ini(), QFile::ReadOwner | QFile::WriteOwner);
        WriteEntries();
    }

    void theShortcutLetterStartsTheEntryItShowsWithThePreview()
    {
        TForm1 form(program(), {QFile::encodeName(p("in.txt"))});
        ModalSteps steps;
        steps.Add("Form13", [](QWidget *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Talvo (ﾗﾝﾁｬｰ実行)"));
            QCOMPARE(Items(d), QStringList({"A  Alpha", "R  Rec"}));
            auto *list = Child<QListWidget>(d, "ListBox1");
            QCOMPARE(QApplication::focusWidget(), list);
            QTest::keyClick(list, Qt::Key_R);
            QCOMPARE(list->currentRow(), 1);
            QTest::keyClick(list, Qt::Key_Return);
        });
        form.BtnLauncherRun->click();
        QVERIFY(steps.Done());
        QCOMPARE(form.ChosenEntry, 3);
        QVERIFY(boxes_.isEmpty());
        QCOMPARE(ReadBytes(preview()), QByteArray("one\r\ntwo\r\n"));
        QCOMPARE(form.Ini.Viewer.ShownFile, QFile::encodeName(preview()));
        QTRY_VERIFY(QFile::exists(p("rec dir/record")));
        const QString workDir = QFileInfo(p("work dir")).canonicalFilePath();
        QCOMPARE(QString::fromUtf8(ReadBytes(p("rec dir/record"))).split(u'\n'),
                 QStringList({workDir, "-a", preview(), "two words", "x %f", "%F", ""}));
    }

    void aFailedStartNamesTheFileAndCancelStillWritesThePreview()
    {
        TForm1 form(program(), {QFile::encodeName(p("in.txt"))});
        ModalSteps steps;
        steps.Add("Form13", [](QWidget *d) { Click(d, "BtnOk"); });  // the first line: Alpha
        form.BtnLauncherRun->click();
        QCOMPARE(boxes_, QStringList({msg::LaunchFailed(p("nowhere/alpha"))}));

        // A working folder that is gone: the failure, and nothing started elsewhere.
        LauncherEntries e = ReadLauncherEntries(QFile::encodeName(ini()));
        e.ProgDir[3] = p("gone dir").toUtf8();
        WriteLauncherEntries(QFile::encodeName(ini()), e);
        steps.Add("Form13", [](QWidget *d) { QTest::keyClick(Child<QListWidget>(d, "ListBox1"), Qt::Key_End);
                                             QTest::keyClick(d, Qt::Key_Return); });
        form.BtnLauncherRun->click();
        QCOMPARE(boxes_.size(), 2);
        QCOMPARE(boxes_[1], msg::LaunchFailed(recorder()));

        QFile::remove(preview());
        steps.Add("Form13", [](QWidget *d) { QTest::keyClick(d, Qt::Key_Escape); });
        form.BtnLauncherRun->click();
        QCOMPARE(form.ChosenEntry, -1);
        QCOMPARE(boxes_.size(), 2);
        QVERIFY(QFile::exists(preview()));
        QTest::qWait(200);
        QVERIFY2(!QFile::exists(p("rec dir/record")), ReadBytes(p("rec dir/record")).constData());
    }

    void anUnreadableInputWritesNothingAndShowsNoDialog()
    {
        WriteBytes(preview(), "old");
        TForm1 form(program(), {QFile::encodeName(p("missing.txt"))});
        form.BtnLauncherRun->click();  // a dialog would wait here for ever
        QCOMPARE(boxes_, QStringList({msg::CannotOpen}));
        QCOMPARE(ReadBytes(preview()), QByteArray("old"));
        QVERIFY(form.Ini.Viewer.ShownFile.isEmpty());
    }

    void noEntriesInUseShowOneEmptyLineThatStartsNothing()
    {
        WriteLauncherEntries(QFile::encodeName(ini()), LauncherEntries());
        TForm1 form(program(), {});
        ModalSteps steps;
        steps.Add("Form13", [](QWidget *d) {
            QCOMPARE(Items(d), QStringList({""}));
            Click(d, "BtnOk");
        });
        form.BtnLauncherRun->click();
        QCOMPARE(form.ChosenEntry, -1);
        QVERIFY(boxes_.isEmpty());
        QCOMPARE(ReadBytes(preview()), QByteArray());
    }

    void settingsDialogEditsTheWorkingListsAndOkStoresThem()
    {
        TForm1 form(program(), {});
        ModalSteps steps;
        steps.Add("Form11", [](QWidget *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Talvo (ﾗﾝﾁｬｰ設定)"));
            // The gap at entry 2 is closed: each line is the line the buttons work on.
            QCOMPARE(Items(d), QStringList({"Alpha", "Rec"}));
            QVERIFY(!Child<QPushButton>(d, "BtnPaste")->isEnabled());
            Child<QListWidget>(d, "ListBox1")->setCurrentRow(1);
            Click(d, "BtnCut");
            QCOMPARE(Items(d), QStringList({"Alpha"}));
            QCOMPARE(Child<QListWidget>(d, "ListBox1")->currentRow(), 0);
            Click(d, "BtnPaste");  // before the selected Alpha
            QCOMPARE(Items(d), QStringList({"Rec", "Alpha"}));
            Click(d, "BtnAdd");
        });
        steps.Add("Form12", [this](QWidget *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Talvo (ﾗﾝﾁｬｰ編集)"));
            Click(d, "BtnOk");
            QCOMPARE(boxes_.takeLast(), msg::NeedTitle);
            Child<QLineEdit>(d, "Edit1")->setText(QStringLiteral("新規"));
            Click(d, "BtnOk");
            QCOMPARE(boxes_.takeLast(), msg::NeedFileName);
            Child<QLineEdit>(d, "Edit2")->setText(QStringLiteral("/opt/ﾒﾓ 帳"));
            Child<QLineEdit>(d, "Edit3")->setText("%f");
            Click(d, "BtnOk");
        });
        steps.Add("Form11", [this](QWidget *d) {
            QCOMPARE(Items(d), QStringList({"Rec", "Alpha", QStringLiteral("新規")}));
            QCOMPARE(Child<QListWidget>(d, "ListBox1")->currentRow(), 2);
            // A settings file that cannot be written keeps the dialog open.
            QFile::setPermissions(ini(), QFile::ReadOwner);
            Click(d, "BtnOk");
            QCOMPARE(boxes_.size(), 1);
            QVERIFY(boxes_[0].contains(ini()));
            QVERIFY(d->isVisible());
            QFile::setPermissions(ini(), QFile::ReadOwner | QFile::WriteOwner);
            Click(d, "BtnOk");
        });
        form.MenuLauncherSet->trigger();
        QVERIFY(steps.Done());
        const LauncherEntries e = ReadLauncherEntries(QFile::encodeName(ini()));
        QCOMPARE(e.ProgTitle[1], QByteArray("Rec"));
        QCOMPARE(e.ProgDir[1], p("work dir").toUtf8());
        QCOMPARE(e.ProgTitle[2], QByteArray("Alpha"));
        QCOMPARE(e.ProgTitle[3], testsupport::Sjis(QStringLiteral("新規")));
        QCOMPARE(e.ProgName[3], QStringLiteral("/opt/ﾒﾓ 帳").toUtf8());
        QCOMPARE(e.ProgOption[3], QByteArray("%f"));
        for (int i = 4; i <= 9; ++i)
            QVERIFY(e.ProgTitle[i].isEmpty());
        QVERIFY(ReadBytes(ini()).contains("\r\n3= \r\n"));  // the empty shortcut's single blank
    }

    void editShowsTheEntryAndCancelWritesNothing()
    {
        const QByteArray before = ReadBytes(ini());
        TForm1 form(program(), {});
        ModalSteps steps;
        steps.Add("Form11", [](QWidget *d) {
            Child<QListWidget>(d, "ListBox1")->setCurrentRow(1);
            Click(d, "BtnEdit");
        });
        steps.Add("Form12", [this](QWidget *d) {
            QCOMPARE(Child<QLineEdit>(d, "Edit1")->text(), QString("Rec"));
            QCOMPARE(Child<QLineEdit>(d, "Edit2")->text(), recorder());
            QCOMPARE(Child<QLineEdit>(d, "Edit4")->text(), p("work dir"));
            QCOMPARE(Child<QLineEdit>(d, "Edit5")->text(), QString("R"));
            // An empty file name: the title is stored, the rest is not.
            Child<QLineEdit>(d, "Edit1")->setText("Renamed");
            Child<QLineEdit>(d, "Edit2")->clear();
            Click(d, "BtnOk");
            QCOMPARE(boxes_.takeLast(), msg::NeedFileName);
            QTest::keyClick(Child<QLineEdit>(d, "Edit3"), Qt::Key_Escape);
        });
        steps.Add("Form11", [](QWidget *d) {
            QCOMPARE(Items(d), QStringList({"Alpha", "Renamed"}));
            QTest::keyClick(Child<QListWidget>(d, "ListBox1"), Qt::Key_Escape);
        });
        form.MenuLauncherSet->trigger();
        QVERIFY(steps.Done());
        QCOMPARE(ReadBytes(ini()), before);
    }

    // Each typed character is a shortcut of its own, however quickly it follows the one before:
    // it moves to the next line beginning with it (either case), wrapping at the end.
    void eachTypedCharacterIsItsOwnShortcut()
    {
        int chosen = -1;
        TForm13 dialog(chosen);
        dialog.SetLines({{1, "W  One"}, {2, "X  Two"}, {3, "W  Three"}, {4, "m  Four"}});
        dialog.ListBox1->setCurrentRow(0);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QWidget *list = dialog.ListBox1;
        QTest::keyClick(list, Qt::Key_W);
        QCOMPARE(dialog.ListBox1->currentRow(), 2);
        QTest::keyClick(list, Qt::Key_W);
        QCOMPARE(dialog.ListBox1->currentRow(), 0);
        QTest::keyClick(list, Qt::Key_X);
        QCOMPARE(dialog.ListBox1->currentRow(), 1);
        QTest::keyClick(list, Qt::Key_M, Qt::ShiftModifier);
        QCOMPARE(dialog.ListBox1->currentRow(), 3);
        QTest::keyClick(list, Qt::Key_Z);  // no such line: the selection stays
        QCOMPARE(dialog.ListBox1->currentRow(), 3);
        QTest::keyClick(list, Qt::Key_W);
        QTest::keyClick(list, Qt::Key_X);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(chosen, 2);
    }

    // What the settings file would cut when read back is refused at OK, naming the box; the
    // entry keeps what it had. The limit counts bytes, quotes the file adds included.
    void textsTheSettingsFileCannotKeepAreRefused()
    {
        LauncherEntries entries;
        entries.ProgTitle[1] = "T";
        entries.ProgName[1] = "/bin/x";
        LauncherWorkLists lists(entries);
        const QString kanji(512, QChar(u'漢'));  // 1024 bytes in Shift-JIS
        const QString quoted = "\"" + QString(1021, 'a') + "\"";  // 1023 bytes, 1025 written
        const QList<std::tuple<const char *, QString, QString>> refused = {
            {"Edit1", kanji, QStringLiteral("ﾌﾟﾛｸﾞﾗﾑﾀｲﾄﾙ")},
            {"Edit3", QString(1024, 'a'), QStringLiteral("ｵﾌﾟｼｮﾝ")},
            {"Edit3", quoted, QStringLiteral("ｵﾌﾟｼｮﾝ")},
            {"Edit4", QString(1024, 'd'), QStringLiteral("実行ﾃﾞｨﾚｸﾄﾘ")}};
        for (const auto &[box, text, caption] : refused) {
            TForm12 dialog(lists, 0);
            dialog.LoadEntry();
            Child<QLineEdit>(&dialog, box)->setText(text);
            dialog.BtnOk->click();
            QCOMPARE(boxes_.takeLast(), msg::TooLong(caption));
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QCOMPARE(lists.Entry(0).Title, QByteArray("T"));
            QCOMPARE(lists.Entry(0).Option, QByteArray());
        }
        TForm12 dialog(lists, 0);
        dialog.LoadEntry();
        dialog.Edit1->setText(QString(511, QChar(u'漢')) + "a");  // 1023 bytes
        dialog.Edit3->setText(QString(1023, 'a'));
        dialog.BtnOk->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(lists.Entry(0).Option, QByteArray(1023, 'a'));
    }
};

QTEST_MAIN(TestLauncherWindows)
#include "tst_launcher_windows.moc"
