// The separator settings dialog and the appearance commands, driven by keys and clicks, with the
// settings they leave behind read back as the next start would.
#include <QtTest>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "bigview/BigView.h"
#include "platform/MessageBox.h"
#include "app/rules/Messages.h"
#include "app/rules/Settings.h"
#include "lines/NativeFile.h"
#include "lines/ShiftJis.h"
#include "app/TForm1.h"
#include "app/TForm2.h"
#include "tests/TestSupport.h"

using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {
// Answers every message box with `answer` and records the texts.
struct Boxes {
    explicit Boxes(int answer = mrYes)
    {
        SetMessageBoxHook([this, answer](const QString &text, MsgKind, unsigned) {
            texts << text;
            return answer;
        });
    }
    ~Boxes() { SetMessageBoxHook({}); }
    QStringList texts;
};

// Runs `act` on the modal window that `open` brings up, then returns.
template <typename Act>
void WithModal(const std::function<void()> &open, Act act)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        act(modal);
        ran = true;
    });
    open();
    QVERIFY(ran);
}
}  // namespace

class TestSeparatorDialog : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString p(const QString &name) const { return dir_.filePath(name); }
    QByteArray bytes(const QString &name) const { return QFile::encodeName(p(name)); }

private slots:
    void init() { QFile::remove(p("TALVO.INI")); }

    void controlsInTabOrderWithTheirLabels()
    {
        Settings s = DefaultSettings(FilesBesideProgram(QFile::encodeName(p("TALVO"))));
        TForm2 form(s);
        QCOMPARE(form.windowTitle(), QStringLiteral("Talvo (区切ﾌｧｲﾙ設定)"));
        QCOMPARE(form.size(), QSize(617, 403));
        const QList<QWidget *> order{form.BtnSeparete1, form.BtnDisp1, form.Edit1, form.Edit2,
                                     form.BtnSeparate2, form.BtnDisp2, form.Edit3, form.BtnSeparate3,
                                     form.BtnDisp3, form.Edit4, form.BigView1, form.BtnOk, form.BtnCansel};
        const auto nextTabStop = [](QWidget *w) {
            do
                w = w->nextInFocusChain();
            while (!(w->focusPolicy() & Qt::TabFocus));
            return w;
        };
        for (qsizetype i = 0; i + 1 < order.size(); ++i)
            QCOMPARE(nextTabStop(order[i]), order[i + 1]);
        QCOMPARE(form.Label3->buddy(), form.Edit2);
    }

    // What the edit boxes show and store: typed text exactly, bytes of a name that is not UTF-8
    // kept while untouched, and all of it through a restart.
    void saveStoresAsTypedAndSurvivesARestart()
    {
        Settings s = DefaultSettings(FilesBesideProgram(QFile::encodeName(p("TALVO"))));
        const QByteArray sjisPath = "/sep/" + Sjis("区切") + ".txt";  // not UTF-8
        s.FileName1 = sjisPath;
        s.AddStrTo = "x\x81";  // a lone lead byte at the end
        TForm2 form(s);
        form.ShowSettings();
        QCOMPARE(form.Edit1->text(), QStringLiteral("/sep/区切.txt"));
        form.Edit3->clear();
        form.Edit3->insert(QStringLiteral(" /tmp/区切り 2.txt "));  // typed through an input method
        form.Edit4->clear();
        QTest::keyClick(form.BtnOk, Qt::Key_Space);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(s.FileName1, sjisPath);
        QCOMPARE(s.FileName2, QString(" /tmp/区切り 2.txt ").toUtf8());
        QCOMPARE(s.FileName3, QByteArray());
        QCOMPARE(s.AddStrTo, QByteArray("x\x81"));

        // Prefixes with the file's own syntax in them come back unchanged, a long one up to the
        // reader's limit; a line break ends the value but never adds a line or a section.
        const QByteArray syntax = "  \"=;[Sec]' ";
        const QByteArray longPrefix = QByteArray(600, 'a') + Sjis(QString(300, QChar(u'漢')));
        for (const QByteArray &prefix : {syntax, longPrefix, QByteArray("  \x81"), QByteArray("a\r\n[X]\nb=1")}) {
            s.AddStrTo = prefix;
            WriteIniFileValue(FilesBesideProgram(QFile::encodeName(p("TALVO"))), s);
            const Settings back = ReadIniFileValue(FilesBesideProgram(QFile::encodeName(p("TALVO"))));
            QByteArray expected = prefix == longPrefix ? CutAtCharBoundary(prefix, 1023).toByteArray() : prefix;
            if (prefix.startsWith("a\r"))
                expected = "a";
            QCOMPARE(back.AddStrTo, expected);
            QCOMPARE(back.FileName1, sjisPath);
            QCOMPARE(back.FileName2, s.FileName2.trimmed());  // paths are written bare
            const QByteArray file = testsupport::ReadBytes(p("TALVO.INI"));
            QVERIFY(!file.contains("[X]") && !file.contains("\nb=1"));
        }
    }

    // A prefix pasted with a line break is used as the settings file will keep it, so the
    // file-name line of a join is one line now and after a restart alike.
    void pastedLineBreakEndsThePrefixAtOnce()
    {
        Settings s = DefaultSettings(FilesBesideProgram(QFile::encodeName(p("TALVO"))));
        for (const QString &pasted : {QStringLiteral("# 名前\r\nnext"), QStringLiteral("# 名前\nnext"),
                                      QStringLiteral("# 名前\rnext")}) {
            TForm2 form(s);
            form.ShowSettings();
            form.Edit2->setText(pasted);
            form.BtnOk->click();
            QCOMPARE(s.AddStrTo, Sjis("# 名前"));
        }
    }

    void cancelAsksAndNoKeepsTheDialogOpen()
    {
        Settings s = DefaultSettings(FilesBesideProgram(QFile::encodeName(p("TALVO"))));
        const Settings before = s;
        TForm2 form(s);
        form.ShowSettings();
        form.show();
        QTest::keyClicks(form.Edit2, "## ");
        {
            Boxes no(mrNo);
            QTest::keyClick(form.Edit2, Qt::Key_Escape);
            QTest::keyClick(form.BigView1, Qt::Key_Escape);
            QCOMPARE(no.texts, QStringList({msg::AskBackToMain, msg::AskBackToMain}));
        }
        QVERIFY(form.isVisible());
        QCOMPARE(form.Edit2->text(), QStringLiteral("## "));
        // Enter in an edit box or in the view clicks nothing.
        QTest::keyClick(form.Edit1, Qt::Key_Return);
        QTest::keyClick(form.BigView1, Qt::Key_Return);
        QVERIFY(form.isVisible());
        {
            Boxes yes(mrYes);
            QTest::keyClick(form.BtnOk, Qt::Key_Escape);
        }
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QCOMPARE(s.AddStrTo, before.AddStrTo);
        QCOMPARE(s.FileName1, before.FileName1);
    }

    void displayShowsTheFileOrReports()
    {
        WriteBytes(p("sep.txt"), "one\r\n" + Sjis("二行目") + "\r\nthree");
        WriteBytes(p("locked.txt"), "secret\r\n");
        QFile::setPermissions(p("locked.txt"), QFileDevice::WriteOwner);
        Settings s = DefaultSettings(FilesBesideProgram(QFile::encodeName(p("TALVO"))));
        s.FileName1 = bytes("sep.txt");
        s.FileName2 = "";
        TForm2 form(s);
        form.ShowSettings();
        form.show();
        Boxes boxes;
        QTest::keyClick(form.BtnDisp1, Qt::Key_Space);
        QCOMPARE(form.BigView1->RowCount(), 3);
        QCOMPARE(form.BigView1->GetRow(1), Sjis("二行目"));
        // An empty box is refused before the view is touched.
        QTest::keyClick(form.BtnDisp2, Qt::Key_Space);
        QCOMPARE(boxes.texts, QStringList{msg::NoOutputName});
        QCOMPARE(form.BigView1->RowCount(), 3);
        // Missing, a folder, unreadable, a folder name ending in "/": the view is emptied.
        const bool root = QFileInfo(p("locked.txt")).isReadable();
        for (const QString &path : {p("missing.txt"), dir_.path(), p("locked.txt"), dir_.path() + "/"}) {
            if (path.endsWith("locked.txt") && root)
                continue;  // root reads any file
            form.BigView1->Clear();
            form.Edit4->setText(path);
            QTest::keyClick(form.BtnDisp1, Qt::Key_Space);  // reload the good one
            QCOMPARE(form.BigView1->RowCount(), 3);
            boxes.texts.clear();
            QTest::keyClick(form.BtnDisp3, Qt::Key_Space);
            QCOMPARE(boxes.texts, QStringList{msg::CannotShow});
            QCOMPARE(form.BigView1->RowCount(), 0);
        }
        QVERIFY(s.FileName3 != bytes("missing.txt"));  // display stores nothing
    }

    // A stored separator path in Shift-JIS bytes is shown by those bytes, as the join reads it.
    void displayShowsAShiftJisNamedFile()
    {
        const QByteArray path = bytes(".") + "/" + Sjis("区切 表.txt");
        testsupport::WriteBytesAt(path, "SEP\r\n");
        Settings s = DefaultSettings(FilesBesideProgram(QFile::encodeName(p("TALVO"))));
        s.FileName1 = path;
        TForm2 form(s);
        form.ShowSettings();
        Boxes boxes;
        form.BtnDisp1->click();
        QCOMPARE(boxes.texts, QStringList{});
        QCOMPARE(form.BigView1->RowCount(), 1);
        QCOMPARE(form.BigView1->GetRow(0), QByteArray("SEP"));
    }

    void storedAndShownTextRules()
    {
        const QByteArray sjis = Sjis("表.txt");
        QCOMPARE(DisplayName(sjis), QStringLiteral("表.txt"));
        QCOMPARE(DisplayName(QString("表.txt").toUtf8()), QStringLiteral("表.txt"));
        QCOMPARE(EditedPath(QStringLiteral("表.txt"), sjis), sjis);
        QCOMPARE(EditedPath(QStringLiteral("表2.txt"), sjis), QString("表2.txt").toUtf8());
        QCOMPARE(EditedText(QStringLiteral("Ω★"), ""), Sjis("Ω★"));
        QCOMPARE(EditedText(QStringLiteral("😀"), ""), QByteArray("?"));
    }

    // The four appearance commands through the real dialogs, and the separator dialog opened from
    // the main window taking the view look of that moment.
    void appearanceCommandsStoreAndApplyAtOnce()
    {
        WriteBytes(p("TALVO.INI"), "[TextJyouhou]\r\nTextFontName=No Such Font 77\r\nTextFontColor=clWindowText\r\n");
        TForm1 form(p("TALVO"), {});
        // Cancel is Esc in the font panel: it must end the whole dialog, not just the panel.
        const auto fontDialog = [&](QAction *menu, const std::function<void(QFontDialog *, QComboBox *)> &set,
                                    bool ok) {
            WithModal([menu] { menu->trigger(); }, [&](QWidget *dialog) {
                auto *panel = dialog->findChild<QFontDialog *>("FontPanel");
                auto *colour = dialog->findChild<QComboBox *>("FontColour");
                QVERIFY(panel && colour);
                set(panel, colour);
                if (ok)
                    static_cast<QDialog *>(dialog)->accept();
                else
                    QTest::keyClick(panel, Qt::Key_Escape);
            });
        };
        QFont bold("DejaVu Sans", 20);
        bold.setBold(true);
        fontDialog(form.MenuListFont, [&](QFontDialog *panel, QComboBox *colour) {
            panel->setCurrentFont(bold);
            colour->setCurrentIndex(colour->findText(QStringLiteral("赤")));
        }, true);
        QCOMPARE(form.Ini.ListFontName + form.Ini.ListFontSize + form.Ini.ListFontColor,
                 QByteArray("DejaVu Sans20clRed"));
        QCOMPARE(form.ListBox1->font().family(), QStringLiteral("DejaVu Sans"));
        QVERIFY(!form.ListBox1->font().bold());
        QCOMPARE(form.ListBox1->palette().color(QPalette::Text), QColor(Qt::red));

        // A name the desktop lacks, and a system colour, stay as stored when only the size changes.
        fontDialog(form.MenuViewFont, [&](QFontDialog *panel, QComboBox *) {
            QFont f = panel->currentFont();
            f.setPointSize(17);
            panel->setCurrentFont(f);
        }, true);
        QCOMPARE(form.Ini.TextFontName, QByteArray("No Such Font 77"));
        QCOMPARE(form.Ini.TextFontSize, QByteArray("17"));
        QCOMPARE(form.Ini.TextFontColor, QByteArray("clWindowText"));
        QCOMPARE(QFontInfo(form.BigView1->font()).pointSize(), 17);
        fontDialog(form.MenuViewFont, [&](QFontDialog *panel, QComboBox *) { panel->setCurrentFont(bold); }, false);
        QCOMPARE(form.Ini.TextFontSize, QByteArray("17"));

        WithModal([&] { form.MenuViewBackColor->trigger(); }, [](QWidget *dialog) {
            auto *colours = qobject_cast<QColorDialog *>(dialog);
            QVERIFY(colours);
            colours->setCurrentColor(Qt::white);
            colours->accept();
        });
        QCOMPARE(form.Ini.TextBackColor, QByteArray("clWhite"));
        QCOMPARE(form.BigView1->Color(), QColor(Qt::white));
        form.Ini.FileName1 = bytes("a b.txt");
        WithModal([&] { form.BtnSeparate->click(); }, [&](QWidget *dialog) {
            auto *sep = qobject_cast<TForm2 *>(dialog);
            QVERIFY(sep);
            QCOMPARE(sep->Edit1->text(), p("a b.txt"));
            QCOMPARE(QFontInfo(sep->BigView1->font()).pointSize(), 17);
            QCOMPARE(sep->BigView1->Color(), QColor(Qt::white));
            QTest::keyClicks(sep->Edit2, "## ");
            QTest::keyClick(sep->BtnOk, Qt::Key_Space);
        });
        QCOMPARE(form.Ini.AddStrTo, QByteArray("## "));
        form.close();
        form.FormDestroy();
        const Settings back = ReadIniFileValue(FilesBesideProgram(QFile::encodeName(p("TALVO"))));
        QCOMPARE(back.TextFontName + back.TextBackColor + back.AddStrTo, QByteArray("No Such Font 77clWhite## "));
    }
};

QTEST_MAIN(TestSeparatorDialog)
#include "tst_separator_dialog.moc"
