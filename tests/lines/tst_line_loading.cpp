// Cutting files, streams and texts into lines.
#include <QBuffer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <csignal>
#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "lines/LineTable.h"
#include "lines/PlainStrings.h"
#include "lines/TBvStrings.h"
#include "lines/TLightStrings.h"
#include "tests/TestSupport.h"

using testsupport::WriteBytes;

namespace {
template <class List>
QList<QByteArray> Lines(const List &list)
{
    QList<QByteArray> lines;
    for (int i = 0; i < list.Count(); ++i)
        lines << list.Get(i);
    return lines;
}

QList<QByteArray> Lines(const LineTable &table)
{
    PlainStrings plain;
    plain.table() = table;
    return Lines(plain);
}

// The splitting rules written out byte by byte, as the oracle for the fast loader.
QList<QByteArray> ReferenceSplit(const QByteArray &bytes, BreakRule rule)
{
    const bool crOnly = rule == BreakRule::CrOnly;
    qsizetype end = bytes.indexOf(crOnly ? '\x1A' : '\0');
    if (end < 0)
        end = bytes.size();
    QList<QByteArray> lines;
    qsizetype pos = 0;
    while (pos < end) {
        qsizetype q = pos;
        while (q < end && bytes[q] != '\r' && (crOnly || bytes[q] != '\n'))
            ++q;
        lines << bytes.mid(pos, q - pos);
        if (q < end && bytes[q] == '\r') {
            ++q;
            if (q < end && bytes[q] == '\n')
                ++q;
        } else if (q < end) {
            ++q;
        }
        pos = q;
    }
    return lines;
}

using L = QList<QByteArray>;
}

class TestLineLoading : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir_.filePath(name);
        WriteBytes(path, bytes);
        return path;
    }

private slots:
    void lightRules_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<L>("lines");
        QTest::newRow("cr, lone lf stays") << QByteArray("a\rb\nc\r\n") << L{"a", "b\nc"};
        QTest::newRow("lf only is one line") << QByteArray("a\nb\nc\n") << L{"a\nb\nc\n"};
        QTest::newRow("lf cr") << QByteArray("a\n\rb") << L{"a\n", "b"};
        QTest::newRow("cr cr lf") << QByteArray("a\r\r\nb") << L{"a", "", "b"};
        QTest::newRow("ctrl-z ends") << QByteArray("x\x1Ay\r\nz") << L{"x"};
        QTest::newRow("ctrl-z first") << QByteArray("\x1A" "abc") << L{};
        QTest::newRow("nul stays") << QByteArray("a\0b\r\nc", 6) << L{QByteArray("a\0b", 3), "c"};
        QTest::newRow("no final break") << QByteArray("abc") << L{"abc"};
        QTest::newRow("final break adds nothing") << QByteArray("a\r\n") << L{"a"};
        QTest::newRow("two cr lf") << QByteArray("\r\n\r\n") << L{"", ""};
        QTest::newRow("empty") << QByteArray() << L{};
        QTest::newRow("cr before ctrl-z") << QByteArray("a\r\x1A\n") << L{"a"};
        QTest::newRow("invalid sjis kept") << QByteArray("\x81\r\n\x82\xA0\xFF") << L{"\x81", "\x82\xA0\xFF"};
    }
    void lightRules()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(L, lines);
        const QString path = file(QStringLiteral("入力 フォルダ/データ 1.txt"), bytes);
        TLightStrings light;
        light.Add("old");
        light.LoadFromFile(path);
        QCOMPARE(Lines(light), lines);
        QCOMPARE(light.Capacity(), light.Count());
        TBvStrings store;
        store.LoadFromFile(path);
        QCOMPARE(Lines(store), lines);
        QCOMPARE(ReferenceSplit(bytes, BreakRule::CrOnly), lines);
    }

    void plainRules_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<L>("lines");
        QTest::newRow("every break") << QByteArray("a\rb\nc\r\nd\n\re") << L{"a", "b", "c", "d", "", "e"};
        QTest::newRow("nul ends") << QByteArray("a\r\nb\0c\r\n", 8) << L{"a", "b"};
        QTest::newRow("ctrl-z stays") << QByteArray("a\x1A" "b") << L{"a\x1A" "b"};
        QTest::newRow("cr cr lf") << QByteArray("a\r\r\n") << L{"a", ""};
        QTest::newRow("only lf") << QByteArray("\n") << L{""};
        QTest::newRow("empty") << QByteArray() << L{};
    }
    void plainRules()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(L, lines);
        PlainStrings plain;
        plain.Add("old");
        plain.LoadFromFile(file(QStringLiteral("plain.txt"), bytes));
        QCOMPARE(Lines(plain), lines);
        QCOMPARE(ReferenceSplit(bytes, BreakRule::AnyBreak), lines);
    }

    // The loader reads in blocks and carries an unfinished line over to the next one, and cuts
    // each read as it arrives; small blocks and small reads must cut exactly as one block read
    // at once does, whatever falls on a block's or a read's edge.
    void blocksCutLikeOneBlock()
    {
        auto *random = QRandomGenerator::global();
        const char alphabet[] = {'a', 'b', '\r', '\n', '\r', '\n', '\x1A', '\0'};
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes;
            const int size = random->bounded(0, 120);
            for (int i = 0; i < size; ++i)
                bytes += alphabet[random->bounded(round % 2 ? 8 : 6)];
            const QString path = file(QStringLiteral("random.txt"), bytes);
            for (BreakRule rule : {BreakRule::CrOnly, BreakRule::AnyBreak}) {
                const L expected = ReferenceSplit(bytes, rule);
                qsizetype longest = 0;
                for (const QByteArray &line : expected)
                    longest = std::max(longest, line.size());
                const LoadLimits small{quint64(random->bounded(3, 24)), 1000, quint64(random->bounded(1, 40))};
                LineTable table;
                if (longest > qsizetype(small.maxBlock) - 2) {
                    QVERIFY_THROWS_EXCEPTION(EInOutError, table.loadFromFile(path, rule, small));
                    continue;
                }
                table.loadFromFile(path, rule, small);
                QCOMPARE(Lines(table), expected);
                table.loadFromFile(path, rule, LoadLimits{.readChunk = quint64(random->bounded(1, 9))});
                QCOMPARE(Lines(table), expected);
                // The second half read on a second thread while the first is cut.
                table.loadFromFile(path, rule,
                                   LoadLimits{.readChunk = quint64(random->bounded(1, 9)),
                                              .parallelFrom = quint64(random->bounded(2, 100))});
                QCOMPARE(Lines(table), expected);
                table.loadFromFile(path, rule);
                QCOMPARE(Lines(table), expected);
            }
        }
    }

    void longLines()
    {
        QByteArray line(100000, 'x');
        TLightStrings light;
        light.LoadFromFile(file(QStringLiteral("100k.txt"), line));
        QCOMPARE(light.Count(), 1);
        QCOMPARE(light.Get(0), line);

        // 20 MB with LF breaks inside: one line to the light list.
        QByteArray big;
        big.reserve(20 * 1024 * 1024 + 16);
        for (int i = 0; i < 20 * 1024; ++i)
            big.append(QByteArray(1023, char('a' + i % 26))).append('\n');
        TBvStrings store;
        store.LoadFromFile(file(QStringLiteral("20mb.txt"), big + "\r\ntail"));
        QCOMPARE(store.Count(), 2);
        QVERIFY(store.View(0) == big);
        QCOMPARE(store.Get(1), QByteArray("tail"));
    }

    void capacityReservedAndTrimmed()
    {
        QByteArray bytes;
        for (int i = 0; i < 10; ++i)
            bytes += QByteArray(278, 'a' + i) + "\r\n";
        QCOMPARE(bytes.size(), 2800);
        TLightStrings light;
        light.LoadFromFile(file(QStringLiteral("2800.txt"), bytes));
        QCOMPARE(light.Count(), 10);
        QCOMPARE(light.Capacity(), 10);

        // A failed load (a line too long) keeps the lines read so far, untrimmed: 100 slots
        // were reserved for 2800 bytes.
        const QString path = file(QStringLiteral("2800long.txt"), bytes.left(280) + QByteArray(2520, 'z'));
        LineTable table;
        QVERIFY_THROWS_EXCEPTION(EInOutError, table.loadFromFile(path, BreakRule::CrOnly, LoadLimits{4096, 1000}));
        QCOMPARE(table.count(), 1);
        QCOMPARE(table.capacity(), 100);

        light.LoadFromFile(file(QStringLiteral("empty.txt"), QByteArray()));
        QCOMPARE(light.Count(), 0);
        QCOMPARE(light.Capacity(), 0);
    }

    void openFailures()
    {
        TLightStrings light;
        light.Add("old");
        QVERIFY_THROWS_EXCEPTION(EInOutError, light.LoadFromFile(dir_.filePath(QStringLiteral("missing.txt"))));
        QCOMPARE(light.Count(), 0);
        QVERIFY_THROWS_EXCEPTION(EInOutError, light.LoadFromFile(dir_.path()));
        QCOMPARE(light.Count(), 0);

        // The plain list reads the whole file before it lets go of its lines.
        PlainStrings plain;
        plain.Add("kept");
        QVERIFY_THROWS_EXCEPTION(EInOutError, plain.LoadFromFile(dir_.filePath(QStringLiteral("missing.txt"))));
        QVERIFY_THROWS_EXCEPTION(EInOutError, plain.LoadFromFile(dir_.path()));
        QCOMPARE(Lines(plain), L{"kept"});
    }

    // Read piece by piece, as the join reads its inputs: the pieces together are the lines of
    // one whole load, with lines longer than a piece and breaks on a piece's edge.
    void piecesJoinToTheWholeFile()
    {
        auto *random = QRandomGenerator::global();
        const char alphabet[] = {'a', 'b', '\r', '\n', '\r', 'c', '\x1A'};
        for (int round = 0; round < 40; ++round) {
            QByteArray bytes;
            const int size = random->bounded(0, 40000);
            for (int i = 0; i < size; ++i)
                bytes += random->bounded(100) == 0 ? alphabet[random->bounded(round % 2 ? 7 : 6)] : 'x';
            if (round % 5 == 0)
                bytes.insert(bytes.size() / 2, QByteArray(20000, 'L'));  // longer than a piece
            const QString path = file(QStringLiteral("pieces.txt"), bytes);
            TLightStrings light;
            L pieces;
            int calls = 0;
            light.LoadInPieces(QFile::encodeName(path), 4096, [&] {
                ++calls;
                pieces += Lines(light);
                light.Clear();
            });
            QCOMPARE(pieces, ReferenceSplit(bytes, BreakRule::CrOnly));
            // (A long line may take the rest of the file as one piece.)
            if (round % 5 != 0 && !bytes.contains('\x1A') && bytes.size() > 3 * 4096)
                QVERIFY(calls > 2);

            // Through a pool, with two pieces held as the join's queue holds them: a block
            // comes back for reuse only once no piece points into it.
            BlockPool pool(4096 + 512, 1);
            std::deque<LineTable> held;
            L pooled;
            light.LoadInPieces(QFile::encodeName(path), 4096, [&] {
                held.emplace_back().swap(light.table());
                if (held.size() > 2) {
                    pooled += Lines(held.front());
                    held.pop_front();
                }
            }, &pool);
            for (const LineTable &t : held)
                pooled += Lines(t);
            QCOMPARE(pooled, pieces);
        }
    }

    // A block goes back to its pool only when nothing holds it, the pool keeps at most `keep`,
    // and a block may outlive its pool (the join's writer thread frees the last ones).
    void poolHandsOutReleasedBlocks()
    {
        BlockPool pool(1000, 1);
        auto a = pool.Allocate();
        auto b = pool.Allocate();
        QCOMPARE(a->size, quint64(1000));
        const char *bytesA = a->bytes.get();
        QVERIFY(b->bytes.get() != bytesA);
        a.reset();  // kept
        b.reset();  // the pool is full: released
        auto c = pool.Allocate();
        QVERIFY(c->bytes.get() == bytesA);  // the pointers, not the (unset) bytes
        {
            BlockPool gone(1000);
            c = gone.Allocate();
        }
        c.reset();
    }

    void fifos()
    {
        // No writer: the open must not wait for one; the input is empty.
        const QByteArray fifo = QFile::encodeName(dir_.filePath(QStringLiteral("fifo")));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        TLightStrings light;
        light.LoadFromFile(QFile::decodeName(fifo));
        QCOMPARE(light.Count(), 0);

        // An endless writer: reading stops at Ctrl-Z instead of taking all it is given. A second
        // reader keeps the pipe open until the writer has started.
        std::signal(SIGPIPE, SIG_IGN);
        const int keepOpen = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(keepOpen >= 0);
        std::atomic<qint64> written = 0;
        std::atomic<bool> started = false;
        std::thread writer([&] {
            const int fd = ::open(fifo.constData(), O_WRONLY);
            const QByteArray start = "one\r\ntwo\x1A" "after";
            written += ::write(fd, start.constData(), size_t(start.size()));
            started = true;
            const QByteArray more(64 * 1024, 'x');
            while (written < qint64(256) * 1024 * 1024) {
                const ssize_t n = ::write(fd, more.constData(), size_t(more.size()));
                if (n <= 0)
                    break;
                written += n;
            }
            ::close(fd);
        });
        while (!started)
            std::this_thread::yield();
        light.LoadFromFile(QFile::decodeName(fifo));
        ::close(keepOpen);
        writer.join();
        QCOMPARE(Lines(light), (L{"one", "two"}));
        QVERIFY2(written < 16 * 1024 * 1024, QByteArray::number(qint64(written)).constData());
    }

    void setText_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<L>("lines");
        QTest::newRow("lf cr") << QByteArray("a\n\rb") << L{"a", "", "b"};
        QTest::newRow("cr lf at end") << QByteArray("a\r\n") << L{"a"};
        QTest::newRow("nul ends") << QByteArray("a\0b", 3) << L{"a"};
        QTest::newRow("empty is one line") << QByteArray() << L{""};
        QTest::newRow("nul first") << QByteArray("\0a", 2) << L{""};
        QTest::newRow("ctrl-z stays") << QByteArray("a\x1A") << L{"a\x1A"};
    }
    void setText()
    {
        QFETCH(QByteArray, text);
        QFETCH(L, lines);
        TBvStrings store;
        store.Add("old");
        store.SetText(text);
        QCOMPARE(Lines(store), lines);
        QCOMPARE(store.Capacity(), store.Count());
        TBvStrings copy;
        copy.SetText(store.GetText());
        QCOMPARE(Lines(copy), lines);
    }

    void streams()
    {
        QByteArray bytes("skip|a\r\nb\nc", 12);
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadWrite));
        QVERIFY(buffer.seek(5));
        TBvStrings store;
        store.LoadFromStream(buffer);
        QCOMPARE(Lines(store), (L{"a", "b", "c"}));
        QCOMPARE(buffer.pos(), bytes.size());

        // At its end the stream gives no lines at all (not one empty line).
        store.LoadFromStream(buffer);
        QCOMPARE(store.Count(), 0);

        // A NUL ends the text, yet the stream is read to its end.
        QByteArray withNul("a\0b\r\n", 5);
        QBuffer nul(&withNul);
        QVERIFY(nul.open(QIODevice::ReadOnly));
        TLightStrings light;
        light.LoadFromStream(nul);
        QCOMPARE(Lines(light), L{"a"});
        QVERIFY(nul.atEnd());

        QByteArray out("XY");
        QBuffer sink(&out);
        QVERIFY(sink.open(QIODevice::ReadWrite));
        QVERIFY(sink.seek(1));
        light.SetText("p\nq");
        light.SaveToStream(sink);
        QCOMPARE(out, QByteArray("Xp\r\nq\r\n"));
        QCOMPARE(TLightStrings().GetText(), QByteArray());

        QBuffer closed;
        QVERIFY_THROWS_EXCEPTION(EInOutError, light.SaveToStream(closed));
    }
};

QTEST_GUILESS_MAIN(TestLineLoading)
#include "tst_line_loading.moc"
