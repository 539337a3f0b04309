// The joining job's assembly and its whole run, without a window.
#include <QtTest>
#include <atomic>
#include <thread>
#include <sys/resource.h>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/rules/JoinJob.h"
#include "app/rules/Messages.h"
#include "lines/ShiftJis.h"
#include "tests/TestSupport.h"

using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {
// Records what the job said and answers its question.
struct Dialogs {
    QStringList said;
    bool answerYes = true;
    JoinDialogs make()
    {
        return JoinDialogs{[this](const QString &t) { said << "report:" + t; },
                           [this](const QString &t) {
                               said << "confirm:" + t;
                               return answerYes;
                           },
                           [this](const QString &t) { said << "notify:" + t; }};
    }
};
}

class TestJoinJob : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString p(const QString &name) const { return dir_.filePath(name); }
    QByteArray b(const QString &name) const { return QFile::encodeName(p(name)); }
    JoinOptions allBoxes() const
    {
        JoinOptions o;
        o.Separator1 = o.FileNameLine = o.Separator2 = o.Separator3 = true;
        o.FileName1 = QFile::encodeName(p("s1.txt"));
        o.FileName2 = QFile::encodeName(p("s2.txt"));
        o.FileName3 = QFile::encodeName(p("s3.txt"));
        o.AddStrTo = "## ";
        return o;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        WriteBytes(p("s1.txt"), "S1\r\n");
        WriteBytes(p("s2.txt"), "S2\r\n");
        WriteBytes(p("s3.txt"), "S3");
    }

    void everyPieceInOrder()
    {
        WriteBytes(p("x.txt"), "a\r\nb\r\n");
        WriteBytes(p("y.txt"), "c");
        JoinWorkLists lists;
        Dialogs d;
        QVERIFY(RunJoinJob(lists, b("out.txt"), {b("x.txt"), b("y.txt")}, allBoxes(), d.make()));
        QCOMPARE(ReadBytes(p("out.txt")),
                 QByteArray("S1\r\n## x.txt\r\nS2\r\na\r\nb\r\nS3\r\nS1\r\n## y.txt\r\nS2\r\nc\r\nS3\r\n"));
        QCOMPARE(d.said, QStringList{"notify:" + msg::Done});
    }

    void bytesPassUnchanged()
    {
        // LF-only breaks stay inside one line; Ctrl-Z ends an input but not a separator;
        // NUL stays in an input; invalid double-byte sequences pass untouched.
        WriteBytes(p("lf.txt"), "one\ntwo\nthree\n");
        WriteBytes(p("z.txt"), "keep\x1A" "drop\r\n");
        WriteBytes(p("nul.txt"), QByteArray("a\0b\r\n\x81\r\n\xFF\xFE", 10));
        WriteBytes(p("sepz.txt"), "x\x1Ay\r\nnext\nlast\0hidden");
        JoinOptions o;
        o.Separator3 = true;
        o.FileName3 = QFile::encodeName(p("sepz.txt"));
        JoinWorkLists lists;
        Dialogs d;
        QVERIFY(RunJoinJob(lists, b("bytes.txt"), {b("lf.txt"), b("z.txt"), b("nul.txt")}, o, d.make()));
        const QByteArray sep = "x\x1Ay\r\nnext\r\nlast\r\n";
        QCOMPARE(ReadBytes(p("bytes.txt")),
                 "one\ntwo\nthree\n\r\n" + sep + "keep\r\n" + sep + QByteArray("a\0b\r\n\x81\r\n\xFF\xFE\r\n", 12) + sep);
    }

    void emptyInputsAndEmptyList()
    {
        WriteBytes(p("empty.txt"), "");
        JoinOptions o = allBoxes();
        o.AddStrTo.clear();
        JoinWorkLists lists;
        Dialogs d;
        QVERIFY(RunJoinJob(lists, b("e.txt"), {b("empty.txt")}, o, d.make()));
        QCOMPARE(ReadBytes(p("e.txt")), QByteArray("S1\r\nempty.txt\r\nS2\r\nS3\r\n"));

        // No inputs: an empty file, after the overwrite question since e.txt exists now.
        QVERIFY(RunJoinJob(lists, b("e.txt"), {}, o, d.make()));
        QCOMPARE(ReadBytes(p("e.txt")), QByteArray());
        QCOMPARE(QFileInfo(p("e.txt")).size(), 0);
        QVERIFY(d.said.contains("confirm:" + msg::AskOverwrite));
    }

    void fileNameLineIsCp932OfTheDisplayName()
    {
        WriteBytes(p("メモ 1.txt"), Sjis("本文\r\n"));
        JoinOptions o;
        o.FileNameLine = true;
        o.AddStrTo = Sjis("■ ");
        JoinWorkLists lists;
        Dialogs d;
        QVERIFY(RunJoinJob(lists, b("n.txt"), {b("メモ 1.txt")}, o, d.make()));
        QCOMPARE(ReadBytes(p("n.txt")), Sjis("■ メモ 1.txt\r\n本文\r\n"));
        QCOMPARE(EncodeCp932OrQuestion(u"a\u00e9b€c"), QByteArray("a?b?c"));
        QCOMPARE(EncodeCp932OrQuestion(u"x😀y"), QByteArray("x?y"));
    }

    void failuresWriteNothing_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<bool>("separator1");
        QTest::addColumn<QString>("message");
        const QString ok = p("ok.txt");
        QTest::newRow("empty name") << QString() << QStringList{ok} << false << msg::NoOutputName;
        QTest::newRow("folder name") << p("sub/") << QStringList{ok} << false << msg::NoOutputName;
        QTest::newRow("missing input") << p("f.txt") << QStringList{ok, p("missing.txt")} << false << msg::CannotOpen;
        QTest::newRow("folder as input") << p("f.txt") << QStringList{dir_.path()} << false << msg::CannotOpen;
        QTest::newRow("missing separator") << p("f.txt") << QStringList{} << true << msg::CannotOpen;
        QTest::newRow("output is a folder") << dir_.path() << QStringList{ok} << false << msg::CannotCreate;
        QTest::newRow("missing folder") << p("nowhere/f.txt") << QStringList{ok} << false << msg::CannotCreate;
    }

    void failuresWriteNothing()
    {
        QFETCH(QString, output);
        QFETCH(QStringList, paths);
        QFETCH(bool, separator1);
        QFETCH(QString, message);
        WriteBytes(p("ok.txt"), "ok\r\n");
        WriteBytes(p("f.txt"), "previous");
        JoinOptions o;
        o.Separator1 = separator1;
        o.FileName1 = QFile::encodeName(p("no-such-separator.txt"));
        JoinWorkLists lists;
        Dialogs d;
        QByteArrayList pathBytes;
        for (const QString &path : paths)
            pathBytes << QFile::encodeName(path);
        QVERIFY(!RunJoinJob(lists, QFile::encodeName(output), pathBytes, o, d.make()));
        QCOMPARE(d.said, QStringList{"report:" + message});
        QCOMPARE(ReadBytes(p("f.txt")), QByteArray("previous"));
        QVERIFY(!QFileInfo::exists(p("nowhere")));
    }

    void separatorsWithClearBoxesAreNotRead()
    {
        WriteBytes(p("ok.txt"), "ok\r\n");
        JoinOptions o;  // boxes clear, separator files missing
        o.FileName1 = o.FileName2 = o.FileName3 = "/no/such/file";
        JoinWorkLists lists;
        Dialogs d;
        QVERIFY(RunJoinJob(lists, b("c.txt"), {b("ok.txt")}, o, d.make()));
        QCOMPARE(ReadBytes(p("c.txt")), QByteArray("ok\r\n"));
    }

    // A stop at each point of the job leaves the target as it was, no temporary file beside it
    // and nothing said: before the first input, between two inputs, while a pipe sends nothing
    // (the stop does not wait for its writer), after the question.
    void cancelAtEachStageLeavesNothing()
    {
        QTemporaryDir work;
        const auto at = [&](const char *name) { return QFile::encodeName(work.filePath(name)); };
        WriteBytes(work.filePath("a.txt"), QByteArray(3 * 1024 * 1024, 'a') + "\r\n");
        WriteBytes(work.filePath("b.txt"), "b\r\n");
        WriteBytes(work.filePath("out.txt"), "old");
        const auto leftAlone = [&] {
            QCOMPARE(ReadBytes(work.filePath("out.txt")), QByteArray("old"));
            QCOMPARE(QDir(work.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);  // a, b, out
        };
        {
            JobControl job;
            job.Cancel();
            Dialogs d;
            JoinWorkLists lists;
            QVERIFY(!RunJoinJob(lists, at("out.txt"), {at("a.txt"), at("b.txt")}, allBoxes(), d.make(), &job));
            QVERIFY(d.said.isEmpty());
            leftAlone();
        }
        {
            // Stopped while the second input is named: the first is already written.
            JobControl job;
            Dialogs d;
            JoinWorkLists lists;
            QStringList seen;
            std::atomic<bool> stop = false;
            std::thread watcher([&] {
                while (!stop) {
                    if (job.Item() == "b.txt") {
                        job.Cancel();
                        return;
                    }
                    QThread::usleep(50);
                }
            });
            const bool written = RunJoinJob(lists, at("out.txt"), {at("a.txt"), at("b.txt")}, allBoxes(), d.make(), &job);
            stop = true;
            watcher.join();
            // The stop may come too late for the second input, never half way.
            if (written) {
                QVERIFY(ReadBytes(work.filePath("out.txt")).endsWith("b\r\nS3\r\n"));
                WriteBytes(work.filePath("out.txt"), "old");
            } else {
                QVERIFY(d.said.isEmpty());
            }
            leftAlone();
            QCOMPARE(job.Total(), qint64(3 * 1024 * 1024 + 2 + 3));
        }
        {
            // A pipe whose writer sends a line and then nothing, never closing.
            const QByteArray fifo = at("slow pipe");
            QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
            const int writer = ::open(fifo.constData(), O_RDWR);
            QVERIFY(writer >= 0);
            QCOMPARE(::write(writer, "first\r\n", 7), 7);
            JobControl job;
            Dialogs d;
            JoinWorkLists lists;
            QElapsedTimer clock;
            std::thread stopper([&] {
                QThread::msleep(300);
                clock.start();
                job.Cancel();
            });
            QVERIFY(!RunJoinJob(lists, at("out.txt"), {at("a.txt"), fifo}, allBoxes(), d.make(), &job));
            const qint64 afterStop = clock.elapsed();
            stopper.join();
            QVERIFY2(afterStop < 2000, "the stop waited for the pipe");
            QVERIFY(job.Done() >= 3 * 1024 * 1024 + 7);
            QVERIFY(d.said.isEmpty());
            ::close(writer);
            QFile::remove(work.filePath("slow pipe"));
            leftAlone();
        }
        {
            // Stopped while the overwrite question is up: the answer no longer counts.
            JobControl job;
            JoinWorkLists lists;
            JoinDialogs dialogs{[](const QString &) { QFAIL("reported"); },
                                [&job](const QString &) {
                                    job.Cancel();
                                    return true;
                                },
                                [](const QString &) { QFAIL("notified"); }};
            QVERIFY(!RunJoinJob(lists, at("out.txt"), {at("b.txt")}, JoinOptions{}, dialogs, &job));
            leftAlone();
        }
        {
            // The preview the same way.
            JobControl job;
            job.Cancel();
            JoinWorkLists lists;
            QVERIFY(!RunPreviewJob(lists, at("out.txt"), {at("a.txt")}, JoinOptions{},
                                   [](const QString &) { QFAIL("reported"); }, &job));
            leftAlone();
        }
    }

    void overwriteDeclinedKeepsTheFile()
    {
        WriteBytes(p("keep.txt"), "old bytes");
        WriteBytes(p("ok.txt"), "new\r\n");
        JoinWorkLists lists;
        Dialogs d;
        d.answerYes = false;
        QVERIFY(!RunJoinJob(lists, b("keep.txt"), {b("ok.txt")}, JoinOptions{}, d.make()));
        QCOMPARE(d.said, QStringList{"confirm:" + msg::AskOverwrite});
        QCOMPARE(ReadBytes(p("keep.txt")), QByteArray("old bytes"));
    }

    void outputMayBeOneOfTheInputs()
    {
        WriteBytes(p("self.txt"), "mine\r\n");
        WriteBytes(p("other.txt"), "theirs");
        JoinWorkLists lists;
        Dialogs d;
        QVERIFY(RunJoinJob(lists, b("self.txt"), {b("self.txt"), b("other.txt")},
                           JoinOptions{}, d.make()));
        QCOMPARE(ReadBytes(p("self.txt")), QByteArray("mine\r\ntheirs\r\n"));
    }

    void readOnlyTargetIsRefusedAndKept()
    {
        WriteBytes(p("ro.txt"), "locked");
        QFile::setPermissions(p("ro.txt"), QFile::ReadOwner);
        WriteBytes(p("ok.txt"), "x\r\n");
        JoinWorkLists lists;
        Dialogs d;
        const bool written = RunJoinJob(lists, b("ro.txt"), {b("ok.txt")}, JoinOptions{}, d.make());
        QFile::setPermissions(p("ro.txt"), QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(!written);
        QCOMPARE(d.said.last(), "report:" + msg::CannotCreate);
        QCOMPARE(ReadBytes(p("ro.txt")), QByteArray("locked"));
    }

    void anyOutputNameAndSeparatorPath()
    {
        // A target name as long as the file system allows; a separator path whose bytes are
        // CP932, not UTF-8, as the settings file holds it.
        WriteBytes(p("ok.txt"), "x\r\n");
        const QByteArray sepa = QFile::encodeName(dir_.path()) + "/\x83\x65\x83\x58\x83\x67.txt";
        const int fd = ::open(sepa.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "SEP\r\n", 5), 5);
        ::close(fd);
        JoinOptions o;
        o.Separator1 = true;
        o.FileName1 = sepa;
        const QString longName = p(QString(251, 'n') + ".txt");
        JoinWorkLists lists;
        Dialogs d;
        QVERIFY(RunJoinJob(lists, QFile::encodeName(longName), {b("ok.txt")}, o, d.make()));
        QCOMPARE(ReadBytes(longName), QByteArray("SEP\r\nx\r\n"));
        QCOMPARE(d.said, QStringList{"notify:" + msg::Done});
    }

    void fifoOutputIsWrittenIntoNotReplaced()
    {
        WriteBytes(p("ok.txt"), "through the pipe\r\n");
        const QByteArray fifo = QFile::encodeName(p("out.fifo"));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        JoinWorkLists lists;
        Dialogs d;
        QVERIFY(RunJoinJob(lists, fifo, {b("ok.txt")}, JoinOptions{}, d.make()));
        QCOMPARE(d.said, (QStringList{"confirm:" + msg::AskOverwrite, "notify:" + msg::Done}));
        char buffer[64] = {};
        const ssize_t n = ::read(reader, buffer, sizeof buffer);
        ::close(reader);
        QCOMPARE(QByteArray(buffer, int(std::max<ssize_t>(n, 0))), QByteArray("through the pipe\r\n"));
        struct stat st {};
        QCOMPARE(::stat(fifo.constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    }

    void previewUsesTheSameWriterWithoutQuestions()
    {
        // An input of several read pieces, previewed over an older preview file: written whole
        // without the overwrite question, and no work list is left holding the joined text.
        QByteArray big;
        const QByteArray line = QByteArray(1021, 'p') + "\r\n";
        while (big.size() < 20 * 1024 * 1024)
            big += line;
        WriteBytes(p("big-preview.txt"), big);
        WriteBytes(p("PREVIEW.TXT"), "the older preview");
        JoinOptions o = allBoxes();
        o.FileNameLine = false;
        JoinWorkLists lists;
        QStringList said;
        const auto report = [&](const QString &t) { said << t; };
        QVERIFY(RunPreviewJob(lists, b("PREVIEW.TXT"), {b("big-preview.txt")}, o, report));
        QCOMPARE(said, QStringList{});
        QCOMPARE(ReadBytes(p("PREVIEW.TXT")), "S1\r\nS2\r\n" + big + "S3\r\n");
        QCOMPARE(lists.JoinLines.Count(), 0);
        QCOMPARE(lists.InputLines.Count(), 0);
        QFile::remove(p("big-preview.txt"));

        // Failures tell their message and leave the preview file as it was.
        WriteBytes(p("PREVIEW.TXT"), "kept");
        QVERIFY(!RunPreviewJob(lists, b("PREVIEW.TXT"), {b("s1.txt"), b("missing.txt")}, o, report));
        QCOMPARE(said, QStringList{msg::CannotOpen});
        QCOMPARE(ReadBytes(p("PREVIEW.TXT")), QByteArray("kept"));
        QVERIFY(!RunPreviewJob(lists, b("nowhere/PREVIEW.TXT"), {b("s1.txt")}, o, report));
        QCOMPARE(said, (QStringList{msg::CannotOpen, msg::CannotCreate}));
    }

    void memoryRunningOutIsAReadFailure()
    {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        QSKIP("a sanitizer's shadow memory leaves no room for an address-space limit");
#endif
        // One line of 64 MB cannot be held with the address space limited to a little more than
        // what the process uses now.
        WriteBytes(p("huge.txt"), QByteArray(64 * 1024 * 1024, 'h'));
        WriteBytes(p("kept.txt"), "kept");
        QFile status("/proc/self/status");
        QVERIFY(status.open(QIODevice::ReadOnly));
        qint64 vm = 0;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmSize:"))
                vm = line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
        QVERIFY(vm > 0);
        rlimit old{};
        getrlimit(RLIMIT_AS, &old);
        rlimit small = old;
        small.rlim_cur = rlim_t(vm + 40 * 1024 * 1024);
        QCOMPARE(setrlimit(RLIMIT_AS, &small), 0);
        JoinWorkLists lists;
        Dialogs d;
        bool written = true;
        try {
            written = RunJoinJob(lists, b("kept.txt"), {b("huge.txt")}, JoinOptions{}, d.make());
        } catch (...) {
            setrlimit(RLIMIT_AS, &old);
            QFAIL("an error escaped the job");
        }
        setrlimit(RLIMIT_AS, &old);
        QVERIFY(!written);
        QCOMPARE(d.said, QStringList{"report:" + msg::CannotOpen});
        QCOMPARE(ReadBytes(p("kept.txt")), QByteArray("kept"));
        QFile::remove(p("huge.txt"));
    }

    void saveFailingMidwayKeepsTheOldFile()
    {
        WriteBytes(p("big-in.txt"), QByteArray(300000, 'a') + "\r\n");
        WriteBytes(p("target.txt"), "the old content");
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 100000;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        JoinWorkLists lists;
        Dialogs d;
        const bool written = RunJoinJob(lists, b("target.txt"), {b("big-in.txt")}, JoinOptions{}, d.make());
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!written);
        QCOMPARE(d.said.last(), "report:" + msg::CannotCreate);
        QCOMPARE(ReadBytes(p("target.txt")), QByteArray("the old content"));
        const QStringList leftovers = QDir(dir_.path()).entryList({"target.txt*", "*.tmp", ".target*", ".talvo-*"}, QDir::Files | QDir::Hidden);
        QCOMPARE(leftovers, QStringList{"target.txt"});
    }
};

QTEST_GUILESS_MAIN(TestJoinJob)
#include "tst_join_job.moc"
