// Long work through the main window: a join reading a pipe whose writer sends a line and then
// nothing shows the progress window after its delay; 中止 (or closing the main window) stops it,
// leaves no output and says nothing, and input to the other windows waits meanwhile.
#include <QtTest>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/TForm1.h"
#include "platform/BackgroundWork.h"
#include "platform/MessageBox.h"
#include "tests/ProgressWindowProbe.h"
#include "tests/TestSupport.h"

using testsupport::WriteBytes;
using progressprobe::ProgressWindow;
using progressprobe::Texts;
using progressprobe::WhenProgressShows;

class TestBackgroundWork : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QStringList boxes_;
    QString p(const QString &name) const { return dir_.filePath(name); }
    QByteArray b(const QString &name) const { return QFile::encodeName(p(name)); }
    int writer_ = -1;

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        WriteBytes(p("TALVO.INI"), "[ListJyouhou]\r\n");
        WriteBytes(p("first.txt"), "first\r\n");
        SetProgressDelayForTests(100);
    }
    void init()
    {
        boxes_.clear();
        SetMessageBoxHook([this](const QString &text, MsgKind, unsigned) {
            boxes_ << text;
            return int(mrYes);
        });
        // A pipe with a writer that has sent one line and then goes quiet, never closing.
        QFile::remove(p("slow pipe"));
        QVERIFY(::mkfifo(b("slow pipe").constData(), 0600) == 0);
        writer_ = ::open(b("slow pipe").constData(), O_RDWR);
        QVERIFY(writer_ >= 0);
        QCOMPARE(::write(writer_, "line\r\n", 6), 6);
    }
    void cleanup()
    {
        SetMessageBoxHook({});
        ::close(writer_);
    }

    void progressWindowAndItsStop()
    {
        TForm1 form(p("TALVO"), {b("first.txt"), b("slow pipe")});
        form.show();
        form.Edit1->setText(p("out.txt"));
        QStringList shown;
        QStringList order;
        WhenProgressShows(&form, [&](QDialog *window) {
            shown = Texts(window);
            shown << window->windowTitle();
            // The main window's buttons take no input meanwhile.
            QTest::mouseClick(form.BtnDown, Qt::LeftButton);
            for (int i = 0; i < form.ListBox1->count(); ++i)
                order << form.ListBox1->item(i)->text();
            auto *stop = window->findChild<QPushButton *>();
            QVERIFY(stop);
            QCOMPARE(stop->text(), QString("中止"));
            QTest::mouseClick(stop, Qt::LeftButton);
        });
        QElapsedTimer clock;
        clock.start();
        form.ListBox1->setCurrentRow(0);
        form.BtnOk->click();
        QVERIFY(clock.elapsed() < 10000);
        QVERIFY2(shown.contains("結合中..."), qPrintable(shown.join('|')));
        QVERIFY(shown.contains("ﾌｧｲﾙ: slow pipe"));
        QVERIFY(shown.contains("Talvo (進行状況)"));
        QVERIFY(order.first().endsWith("first.txt"));  // the click on 下 did nothing
        QVERIFY(!QFile::exists(p("out.txt")));
        QCOMPARE(QDir(dir_.path()).entryList({"out*", ".out*", "*.tmp*"}, QDir::Files | QDir::Hidden), QStringList());
        QVERIFY(boxes_.isEmpty());
        QVERIFY(!ProgressWindow());
        QVERIFY(!BackgroundWorkRunning());
    }

    void escStopsAndClosingTheMainWindowStopsFirst()
    {
        TForm1 form(p("TALVO"), {b("first.txt"), b("slow pipe")});
        form.show();
        form.Edit1->setText(p("out.txt"));
        WhenProgressShows(&form, [](QDialog *window) { QTest::keyClick(window, Qt::Key_Escape); });
        form.BtnOk->click();
        QVERIFY(!QFile::exists(p("out.txt")));
        QVERIFY(boxes_.isEmpty());
        QVERIFY(form.isVisible());

        // Closed while the join runs: no question, the join stops, then the window closes.
        WhenProgressShows(&form, [&form](QDialog *) { form.close(); });
        form.BtnOk->click();
        QVERIFY(!QFile::exists(p("out.txt")));
        QVERIFY(boxes_.isEmpty());
        QVERIFY(!form.isVisible());
    }

    // Work that ends before the delay shows nothing, and the job's boxes come as before.
    void shortWorkShowsNoWindow()
    {
        TForm1 form(p("TALVO"), {b("first.txt")});
        form.show();
        form.Edit1->setText(p("short.txt"));
        bool seen = false;
        WhenProgressShows(&form, [&seen](QDialog *) { seen = true; });
        form.BtnOk->click();
        QTest::qWait(150);
        QVERIFY(!seen);
        QCOMPARE(boxes_.size(), 1);  // the completion notice
        QVERIFY(QFile::exists(p("short.txt")));
    }
};

QTEST_MAIN(TestBackgroundWork)
#include "tst_background_work.moc"
