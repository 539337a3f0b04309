// The view's store over a mapped file, against the copying loader as the oracle: the same lines,
// the same answers to every content operation and search, and a file that changes under it.
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lines/FileLines.h"
#include "lines/LineTable.h"
#include "lines/MappedFile.h"
#include "lines/PlainStrings.h"
#include "lines/TBvStrings.h"
#include "tests/TestSupport.h"

using testsupport::WriteBytes;

namespace {
// Bytes where every break rule meets its neighbours: CR, LF, CR LF, the text-end bytes, NUL,
// lead bytes and letters of both cases.
QByteArray RandomText(QRandomGenerator &random, qsizetype size)
{
    static const char alphabet[] = "\r\n\r\nabcABC \x81\x82\xE0\x1A";
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        // Mostly letters, so lines have some length; text-end bytes rare, so text goes on.
        const quint32 r = random.bounded(1000);
        if (r < 2)
            bytes[i] = r == 0 ? '\x1A' : '\0';
        else if (r < 120)
            bytes[i] = alphabet[r % 4];
        else
            bytes[i] = alphabet[4 + r % 10];
    }
    return bytes;
}

QList<QByteArray> Lines(const TBvStrings &store)
{
    QList<QByteArray> lines;
    for (int i = 0; i < store.Count(); ++i)
        lines << store.Get(i);
    return lines;
}

QList<QByteArray> Lines(const LineTable &table)
{
    QList<QByteArray> lines;
    for (int i = 0; i < table.count(); ++i)
        lines << table.get(i);
    return lines;
}

std::shared_ptr<const FileLines> Index(const QString &path, BreakRule rule, const LoadLimits &limits = {})
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    return FileLines::Load(file.handle(), QFile::encodeName(path), rule, limits);
}

void CompareIndex(const FileLines &index, const LineTable &oracle)
{
    QCOMPARE(index.count(), oracle.count());
    int longest = 0;
    for (int i = 0; i < oracle.count(); ++i) {
        QCOMPARE(index.view(i), oracle.view(i));
        QCOMPARE(index.length(i), oracle.length(i));
        longest = std::max(longest, oracle.length(i));
    }
    QCOMPARE(index.longest(), longest);
}
}  // namespace

class TestFileLines : public QObject {
    Q_OBJECT

private slots:
    // Random texts cut on one and on two threads, both break rules, with the pieces of the scan
    // and the halves falling anywhere.
    void indexHoldsTheLoadersLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("text");
        QRandomGenerator random(20261209);
        for (int round = 0; round < 60; ++round) {
            const qsizetype size = round < 40 ? random.bounded(2000) : random.bounded(600 * 1024);
            QByteArray bytes = RandomText(random, size);
            if (round % 3 == 0)
                bytes.replace('\x1A', 'z').replace('\0', 'z');  // the whole file is text
            WriteBytes(path, bytes);
            for (const BreakRule rule : {BreakRule::CrOnly, BreakRule::AnyBreak}) {
                LoadLimits limits;
                limits.parallelFrom = round % 2 ? 2 : limits.parallelFrom;
                LineTable oracle;
                oracle.loadFromFile(path, rule);
                const auto index = Index(path, rule, limits);
                QVERIFY(index);
                CompareIndex(*index, oracle);
                if (QTest::currentTestFailed()) {
                    qWarning() << "round" << round << "rule" << int(rule) << "size" << size;
                    return;
                }
            }
        }
    }

    // UTF-8 lines bounded while cutting: the first line that may not fit a row is the one a
    // look at every line finds, from every line on, on one and two threads, with lines that
    // run across the 64 KiB stretches and the halves, invalid and cut characters among them.
    void widerLinesAreFoundAsByLookingAtEach()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("utf-8 text");
        QRandomGenerator random(9122026);
        const QList<QByteArray> pieces = {"a", "Z", " ", "\xC3\xA9", "\xE6\x97\xA5", "\xEF\xBD\xB6", "\xF0\x9F\x98\x80",
                                          "\xE0\x80\x80", "\xED\xA0\x80", "\x80", "\xE3\x81", "\xF1\x80\x80", "\r\n", "\r"};
        const auto line = [&](QByteArray &bytes, int length) {
            for (int k = 0; k < length; ++k)
                bytes += pieces[random.bounded(pieces.size() - 2)];
        };
        for (int round = 0; round < 8; ++round) {
            // Short lines, and a few of thousands of characters: one in the middle (where the
            // halves meet) in some rounds, one at the end (perhaps without a break) in others.
            QByteArray bytes;
            bool across = round % 2 == 0;
            while (bytes.size() < 200 * 1024) {
                line(bytes, random.bounded(300) == 0 ? 3000 : random.bounded(30));
                if (!across && bytes.size() >= 96 * 1024) {
                    line(bytes, 4000);  // some 10 KiB over the middle
                    across = true;
                }
                bytes += pieces[pieces.size() - 1 - random.bounded(2)];
            }
            if (round % 4 >= 2)
                line(bytes, 2000 + random.bounded(3));
            WriteBytes(path, bytes);
            LoadLimits limits;
            limits.parallelFrom = round % 3 ? 2 : limits.parallelFrom;
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const auto index = FileLines::Load(file.handle(), QFile::encodeName(path), BreakRule::CrOnly, limits, 0,
                                               TextEncoding::Utf8);
            for (const int cells : {0, 1, 40, 80, 200, 5000}) {
                int next = index->count();
                for (int i = index->count() - 1; i >= 0; --i) {
                    if (CellBound(TextEncoding::Utf8, index->view(i)) > cells)
                        next = i;
                    if (index->nextWiderThan(i, cells) != next) {
                        QFAIL(qPrintable(QString("round %1, %2 cells, from line %3: %4, not %5")
                                             .arg(round).arg(cells).arg(i).arg(index->nextWiderThan(i, cells)).arg(next)));
                    }
                }
            }
        }
    }

    // The breaks that straddle the two threads' halves, and texts made of breaks only.
    void halvesMeetInsideBreaks()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("text");
        const QList<QByteArray> middles = {"\r\n", "\r", "\n", "\r\r\n\n", "\x1A", QByteArray("\0", 1), "ab"};
        for (const QByteArray &middle : middles) {
            for (int shift = -3; shift <= 3; ++shift) {
                const qsizetype before = 50 + shift;
                // A break after the halves' meeting point ends a line the second half must not
                // measure from its own start.
                const QByteArray bytes = QByteArray(before - 10, 'p') + "\r\n" + QByteArray(8, 'x') + middle +
                                         QByteArray(100 - before - middle.size(), 'y') + "\r\nz";
                WriteBytes(path, bytes);
                for (const BreakRule rule : {BreakRule::CrOnly, BreakRule::AnyBreak}) {
                    LoadLimits limits;
                    limits.parallelFrom = 2;
                    LineTable oracle;
                    oracle.loadFromFile(path, rule);
                    CompareIndex(*Index(path, rule, limits), oracle);
                }
            }
        }
        for (const QByteArray &text : {QByteArray(), QByteArray("\r\n"), QByteArray("\r\n\r\n"), QByteArray("\n\n\n"),
                                       QByteArray("\x1A"), QByteArray("\r\r"), QByteArray("a\r\n\x1A b")}) {
            WriteBytes(path, text);
            for (const BreakRule rule : {BreakRule::CrOnly, BreakRule::AnyBreak}) {
                LineTable oracle;
                oracle.loadFromFile(path, rule);
                CompareIndex(*Index(path, rule), oracle);
            }
        }
    }

    void overlongLinesAndTooManyLinesFailAsTheLoaderDoes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("text");
        LoadLimits limits;
        limits.maxLine = 10;
        limits.parallelFrom = 2;
        for (const QByteArray &text : {QByteArray("short\r\n0123456789A\r\nshort"), QByteArray("0123456789A"),
                                       QByteArray(40, 'x') + "\r\n" + QByteArray(40, 'y')}) {
            WriteBytes(path, text);
            QVERIFY_THROWS_EXCEPTION(EInOutError, Index(path, BreakRule::CrOnly, limits));
        }
        WriteBytes(path, "0123456789\r\n0123456789");
        QCOMPARE(Index(path, BreakRule::CrOnly, limits)->longest(), 10);
    }

    // Every content operation on a store over a file gives what it gives on a store in memory;
    // the copying loader's store is the oracle, step by step.
    void contentOperationsMatchTheCopyingStore()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("text");
        QRandomGenerator random(7);
        for (int round = 0; round < 40; ++round) {
            WriteBytes(path, RandomText(random, random.bounded(3000)).replace('\x1A', 'z'));
            TBvStrings store;
            store.LoadFromFile(path);
            QVERIFY(store.SourceFile());
            LineTable oracle;
            oracle.loadFromFile(path, BreakRule::CrOnly);
            QCOMPARE(Lines(store), Lines(oracle));
            QCOMPARE(store.Capacity(), oracle.capacity());
            QCOMPARE(store.GetText(), oracle.text());
            QCOMPARE(store.GetCommaText(), oracle.commaText());
            for (int step = 0; step < 12; ++step) {
                const int n = oracle.count();
                const QByteArray line = QByteArray::number(random.bounded(100)) + " line";
                const int at = n > 0 ? int(random.bounded(n)) : 0;
                switch (random.bounded(8)) {
                case 0: store.Add(line); oracle.add(line); break;
                case 1: store.Insert(at, line); oracle.insert(at, line); break;
                case 2: if (n) { store.Put(at, line); oracle.put(at, line); } break;
                case 3: if (n) { store.Delete(at); oracle.remove(at); } break;
                case 4: if (n) { const int other = int(random.bounded(n)); store.Exchange(at, other); oracle.exchange(at, other); } break;
                case 5: store.SetCount(n + 2); oracle.setCount(n + 2); break;
                case 6: {
                    int l1 = at, c1 = 1, l2 = at, c2 = 1;
                    QCOMPARE(store.Find("aB", l1, c1), oracle.find("aB", l2, c2));
                    QCOMPARE(l1, l2);
                    QCOMPARE(c1, c2);
                    break;
                }
                default: QCOMPARE(store.IndexOf(line), oracle.indexOf(line)); break;
                }
                QCOMPARE(Lines(store), Lines(oracle));
                QCOMPARE(store.Count(), oracle.count());
                QCOMPARE(store.Capacity(), oracle.capacity());
            }
            QCOMPARE(store.GetText(), oracle.text());
            // An edited store is a line table: its copy matches the oracle too.
            PlainStrings copy;
            store.AssignTo(copy);
            QCOMPARE(copy.table().text(), oracle.text());
        }
    }

    // The index's search: every match the line table finds, from every place, on one and two
    // threads; never a match made of two lines' bytes.
    void findMatchesTheLineTable()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("text");
        QRandomGenerator random(99);
        for (int round = 0; round < 30; ++round) {
            WriteBytes(path, RandomText(random, random.bounded(round < 25 ? 4000 : 300000)));
            LineTable oracle;
            oracle.loadFromFile(path, BreakRule::CrOnly);
            LoadLimits limits;
            limits.parallelFrom = 2;
            const auto index = Index(path, BreakRule::CrOnly, limits);
            for (const QByteArray &text : {QByteArray("ab"), QByteArray("C a"), QByteArray("b\r\na"), QByteArray("\n"),
                                           QByteArray("\x81\x82"), QByteArray("zz")}) {
                int line = 0, column = 1, count = 0;
                for (;;) {
                    int l1 = line, c1 = column, l2 = line, c2 = column;
                    const bool found = index->find(text, l1, c1);
                    QCOMPARE(found, oracle.find(text, l2, c2));
                    QCOMPARE(l1, l2);
                    QCOMPARE(c1, c2);
                    if (!found || ++count > 200)
                        break;
                    line = l1;
                    column = c1 + 1;
                }
            }
        }
        // A search in a large file on both threads finds the first match, not the later half's.
        QByteArray big(20 * 1024 * 1024, 'x');
        for (qsizetype at = 1000; at < big.size(); at += 100000)
            big[at] = '\r';
        big.replace(15 * 1024 * 1024, 4, "NEED");
        big.replace(3 * 1024 * 1024, 4, "need");
        WriteBytes(path, big);
        const auto index = Index(path, BreakRule::CrOnly);
        int line = 0, column = 1;
        QVERIFY(index->find("NeEd", line, column));
        QCOMPARE(index->start(line) + quint64(column) - 1, quint64(3 * 1024 * 1024));
        column += 1;
        QVERIFY(index->find("NeEd", line, column));
        QCOMPARE(index->start(line) + quint64(column) - 1, quint64(15 * 1024 * 1024));
        column += 1;
        QVERIFY(!index->find("NeEd", line, column));
        QCOMPARE(line, index->count());
    }

    // A file cut short, rewritten or replaced while shown: no crash, the store can tell.
    void fileChangedWhileShown()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("shown text");
        QByteArray bytes;
        for (int i = 0; i < 100000; ++i)
            bytes += "line " + QByteArray::number(i) + "\r\n";
        WriteBytes(path, bytes);
        TBvStrings store;
        store.LoadFromFile(path);
        QVERIFY(!store.SourceFile()->Changed());
        QCOMPARE(store.Get(99999), QByteArray("line 99999"));

        // Truncated: the pages past the new end read as zeros instead of killing the program.
        QVERIFY(::truncate(QFile::encodeName(path).constData(), 100) == 0);
        qint64 sum = 0;
        for (int i = 0; i < store.Count(); ++i)
            for (const char c : store.View(i))
                sum += c;
        QVERIFY(sum > 0);
        QVERIFY(store.SourceFile()->Damaged());
        QVERIFY(store.SourceFile()->Changed());
        int line = 0, column = 1;
        QVERIFY_THROWS_EXCEPTION(EInOutError, store.Find("line 99999", line, column));

        // Rewritten in place, then replaced by another file: changed, the old bytes still there.
        WriteBytes(path, bytes);
        TBvStrings again;
        again.LoadFromFile(path);
        QFile rewrite(path);
        QVERIFY(rewrite.open(QIODevice::ReadWrite));
        QTest::qWait(20);  // a later modification time
        rewrite.write("LINE");
        rewrite.close();
        QVERIFY(again.SourceFile()->Changed());
        TBvStrings third;
        third.LoadFromFile(path);
        WriteBytes(dir.filePath("other"), "other\r\n");
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::rename(dir.filePath("other"), path));
        QVERIFY(third.SourceFile()->Changed());
        QVERIFY(!third.SourceFile()->Damaged());
        QCOMPARE(third.Get(0), QByteArray("LINE 0"));
        QCOMPARE(third.Count(), 100000);
    }

    // Read for a job: the progress counts the file's bytes, a stop raises EJobCancelled on both
    // threads, and a pipe that goes quiet is left at once.
    void readForAJob()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("text");
        WriteBytes(path, QByteArray(40 * 1024 * 1024, 'x') + "\r\ny");
        JobControl job;
        const TBvStrings::FileRead read = TBvStrings::ReadFile(QFile::encodeName(path), &job);
        QCOMPARE(read.file->count(), 2);
        QCOMPARE(job.Done(), job.Total());
        QCOMPARE(job.Total(), qint64(40 * 1024 * 1024 + 3));
        JobControl stopped;
        stopped.Cancel();
        QVERIFY_THROWS_EXCEPTION(EJobCancelled, TBvStrings::ReadFile(QFile::encodeName(path), &stopped));

        const QByteArray fifo = QFile::encodeName(dir.filePath("quiet pipe"));
        QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
        const int writer = ::open(fifo.constData(), O_RDWR);
        QCOMPARE(::write(writer, "a\r\nb", 4), 4);
        JobControl quiet;
        std::thread stopper([&quiet] {
            QThread::msleep(200);
            quiet.Cancel();
        });
        QVERIFY_THROWS_EXCEPTION(EJobCancelled, TBvStrings::ReadFile(fifo, &quiet));
        stopper.join();
        QCOMPARE(quiet.Lines(), qint64(1));  // "a" had come; "b" waits for its end
        ::close(writer);
    }

    // A search for a job: the same hits, bytes or lines counted, and a stop leaves the position
    // where it was, in a file (both halves) and in lines held in memory.
    void findForAJob()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("text");
        QByteArray big(20 * 1024 * 1024, 'x');
        for (qsizetype at = 1000; at < big.size(); at += 1000)
            big[at] = '\r';
        big.replace(15 * 1024 * 1024 + 7, 4, "NEED");
        WriteBytes(path, big);
        TBvStrings file;
        file.LoadFromFile(path);
        QVERIFY(file.FileIndex());
        TBvStrings memory;
        memory.SetText(big);
        QVERIFY(!memory.FileIndex());
        for (TBvStrings *lines : {&file, &memory}) {
            int line = 2, column = 3, l0 = 2, c0 = 3;
            JobControl job;
            QVERIFY(lines->Find("need", line, column, &job));
            QVERIFY(lines->Find("need", l0, c0));
            QCOMPARE(line, l0);
            QCOMPARE(column, c0);
            QVERIFY(job.Done() > 0 || job.Lines() > 0);

            JobControl stopped;
            stopped.Cancel();
            line = 2;
            column = 3;
            QVERIFY_THROWS_EXCEPTION(EJobCancelled, lines->Find("need", line, column, &stopped));
            QCOMPARE(line, 2);
            QCOMPARE(column, 3);
            // Stopped while both halves search, from another thread.
            JobControl late;
            std::thread stopper([&late] { late.Cancel(); });
            line = 0;
            column = 1;
            try {
                const bool found = lines->Find("absent", line, column, &late);
                QVERIFY(!found);
                QCOMPARE(line, lines->Count());
            } catch (const EJobCancelled &) {
                QCOMPARE(line, 0);
                QCOMPARE(column, 1);
            }
            stopper.join();
        }
    }

    // A FIFO is read once into memory as before; an unreadable file fails to load.
    void pipesAreReadIntoMemory()
    {
        QTemporaryDir dir;
        const QByteArray fifo = QFile::encodeName(dir.filePath("fifo"));
        QVERIFY(::mkfifo(fifo.constData(), 0600) == 0);
        // A writer is there before the view opens the pipe, and closes it a little later.
        const int fd = ::open(fifo.constData(), O_RDWR);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "one\r\ntwo", 8), 8);
        std::thread writer([fd] {
            QThread::msleep(100);
            ::close(fd);
        });
        TBvStrings store;
        store.LoadFromFile(fifo);
        writer.join();
        QVERIFY(!store.SourceFile());
        QCOMPARE(Lines(store), (QList<QByteArray>{"one", "two"}));

        const QString locked = dir.filePath("locked");
        WriteBytes(locked, "x");
        QFile::setPermissions(locked, QFileDevice::WriteOwner);
        if (::geteuid() != 0)
            QVERIFY_THROWS_EXCEPTION(EInOutError, store.LoadFromFile(locked));
    }

    // Lines beyond 4 GiB: the high bits of the starts, and the spans' windows after an edit.
    // The file is sparse: its holes read as NUL bytes, which are text under the view's rule.
    void linesBeyondFourGibibytes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("sparse");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const qint64 gib = qint64(1) << 30;
        const QList<qint64> breaks = {gib, 2 * gib, 3 * gib, 4 * gib - 3, 4 * gib + 2, 4 * gib + 10};
        for (const qint64 at : breaks) {
            file.seek(at);
            file.write("\r\n");
        }
        file.seek(4 * gib + 20);
        file.write("tail");
        file.close();
        TBvStrings store;
        store.LoadFromFile(path);
        QCOMPARE(store.Count(), 7);
        QCOMPARE(store.LineLength(0), int(gib));
        QCOMPARE(store.LineLength(3), int(gib - 5));
        QCOMPARE(store.Get(4), QByteArray(3, '\0'));
        QCOMPARE(store.Get(5), QByteArray(6, '\0'));
        QCOMPARE(store.Get(6), QByteArray(8, '\0') + "tail");
        QCOMPARE(store.LongestLine(0, 7), int(gib));
        store.Put(5, "edited");
        QCOMPARE(store.Get(4), QByteArray(3, '\0'));
        QCOMPARE(store.Get(5), QByteArray("edited"));
        QCOMPARE(store.Get(6), QByteArray(8, '\0') + "tail");
        QCOMPARE(store.LineLength(3), int(gib - 5));
    }
};

QTEST_GUILESS_MAIN(TestFileLines)
#include "tst_file_lines.moc"
