// Storage, editing, copying and searching of the line lists.
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "lines/PlainStrings.h"
#include "lines/TBvStrings.h"
#include "lines/TLightStrings.h"
#include "tests/TestSupport.h"

namespace {
using L = QList<QByteArray>;

template <class List>
L Lines(const List &list)
{
    L lines;
    for (int i = 0; i < list.Count(); ++i)
        lines << list.Get(i);
    return lines;
}

template <class List>
void Fill(List &list, const L &lines)
{
    for (const QByteArray &line : lines)
        list.Add(line);
}

// The search as a plain loop, for comparing with the fast one.
bool NaiveFind(const L &lines, const QByteArray &text, int &line, int &column)
{
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
    for (line = std::max(line, 0); line < lines.size(); ++line, column = 1) {
        column = std::max(column, 1);
        const QByteArray &l = lines[line];
        for (; column <= l.size() - text.size() + 1; ++column) {
            bool equal = true;
            for (qsizetype k = 0; k < text.size() && equal; ++k)
                equal = fold(l[column - 1 + k]) == fold(text[k]);
            if (equal)
                return true;
        }
    }
    line = int(lines.size());
    column = 1;
    return false;
}
}

class TestLineLists : public QObject {
    Q_OBJECT

private slots:
    void indexErrorMessage()
    {
        QCOMPARE(QString::fromUtf8(EListError().what()), QStringLiteral("インデックスがリストの範囲を超えています"));
        TLightStrings light;
        QVERIFY_THROWS_EXCEPTION(EListError, light.Error());
    }

    void capacityGrowsBy32()
    {
        TBvStrings store;
        QCOMPARE(store.Capacity(), 0);
        for (int i = 0; i < 32; ++i)
            QCOMPARE(store.Add(QByteArray::number(i)), i);
        QCOMPARE(store.Capacity(), 32);
        store.Add("33rd");
        QCOMPARE(store.Capacity(), 64);
        store.Insert(0, "first");
        QCOMPARE(store.Capacity(), 64);
        store.Clear();
        QCOMPARE(store.Count(), 0);
        QCOMPARE(store.Capacity(), 0);
        store.Clear();
        QCOMPARE(store.Capacity(), 0);

        TLightStrings light;
        light.SetCapacity(5);
        QCOMPARE(light.Capacity(), 5);
        light.SetCount(3);
        QCOMPARE(Lines(light), (L{"", "", ""}));
        light.SetCount(7);  // beyond the capacity: grows it
        QCOMPARE(light.Capacity(), 7);
        light.SetCount(1);
        light.Add("x");
        light.SetCount(4);  // positions once shrunk away come back empty
        QCOMPARE(Lines(light), (L{"", "x", "", ""}));
    }

    // Every refused call raises the index error and leaves the list as it was.
    void indexErrorsChangeNothing()
    {
        TBvStrings store;
        Fill(store, {"a", "b", "c"});
        const int capacity = store.Capacity();
        const QList<std::function<void()>> calls = {
            [&] { store.Get(3); }, [&] { store.Get(-1); }, [&] { store.View(3); },
            [&] { store.LineLength(-1); }, [&] { store.Put(3, "x"); }, [&] { store.Insert(4, "x"); },
            [&] { store.Insert(-1, "x"); }, [&] { store.Delete(-1); }, [&] { store.Delete(3); },
            [&] { store.Exchange(0, 3); }, [&] { store.Exchange(-1, 0); }, [&] { store.SetCount(-1); },
            [&] { store.SetCount(TBvStrings::MaxListSize + 1); },
            [&] { store.SetCapacity(TBvStrings::MaxListSize + 1); }, [&] { store.SetCapacity(2); },
            [&] { store.SetCapacity(-1); },
        };
        for (const auto &call : calls) {
            QVERIFY_THROWS_EXCEPTION(EListError, call());
            QCOMPARE(Lines(store), (L{"a", "b", "c"}));
            QCOMPARE(store.Capacity(), capacity);
        }
        TLightStrings light;
        QVERIFY_THROWS_EXCEPTION(EListError, light.Get(0));
        QVERIFY_THROWS_EXCEPTION(EListError, light.SetCapacity(134217728));
        QCOMPARE(light.Capacity(), 0);
    }

    void editing()
    {
        TBvStrings store;
        store.Insert(0, "b");
        store.Insert(1, "d");  // at Count: appends
        store.Insert(0, "a");
        store.Insert(2, "c");
        QCOMPARE(Lines(store), (L{"a", "b", "c", "d"}));
        store.Delete(1);
        QCOMPARE(Lines(store), (L{"a", "c", "d"}));
        store.Exchange(0, 2);
        store.Exchange(1, 1);
        QCOMPARE(Lines(store), (L{"d", "c", "a"}));
        store.Put(1, store.View(0));  // a line of the store itself
        store.Put(2, QByteArray());
        QCOMPARE(Lines(store), (L{"d", "d", ""}));
        QCOMPARE(store.LineLength(0), 1);
        QCOMPARE(store.LineLength(2), 0);

        // Texts taken from the list itself survive the Clear that starts SetText.
        store.Put(0, "x\r\ny,z");
        store.SetText(store.View(0));
        QCOMPARE(Lines(store), (L{"x", "y,z"}));
        store.SetCommaText(store.View(1));
        QCOMPARE(Lines(store), (L{"y", "z"}));

        // Many lines of mixed lengths, some longer than an append block.
        TBvStrings many;
        L expected;
        for (int i = 0; i < 3000; ++i) {
            const QByteArray line(i % 7 == 0 ? 70000 + i : i % 50, char('a' + i % 26));
            expected << line;
            many.Add(line);
        }
        QCOMPARE(Lines(many), expected);
    }

    void indexOf()
    {
        TLightStrings light;
        Fill(light, {"Abc", "", "abc", "abc"});
        QCOMPARE(light.IndexOf("abc"), 2);
        QCOMPARE(light.IndexOf("ABC"), -1);
        QCOMPARE(light.IndexOf(""), 1);
    }

    void commaText()
    {
        TLightStrings light;
        Fill(light, {"a b", "c", "d,e"});
        const QByteArray text = light.GetCommaText();
        QCOMPARE(text, QByteArray("\"a b\",c,\"d,e\""));
        QCOMPARE(text.size(), 13);
        TBvStrings store;
        store.SetCommaText(text);
        QCOMPARE(Lines(store), (L{"a b", "c", "d,e"}));

        store.SetCommaText(",a,");
        QCOMPARE(Lines(store), (L{"", "a"}));
        store.SetCommaText("");
        QCOMPARE(store.Count(), 0);
        store.SetCommaText("\"open");  // a missing closing quote ends the item at the end
        QCOMPARE(Lines(store), L{"open"});
        store.SetCommaText("x\ry");
        QCOMPARE(Lines(store), (L{"x", "y"}));
        QCOMPARE(TBvStrings().GetCommaText(), QByteArray());
    }

    // Copies share the bytes of their source and stay intact whatever happens to it.
    void copiesShareBytes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("in.txt"));
        testsupport::WriteBytes(path, "one\r\ntwo\r\nthree");
        TLightStrings light;
        light.LoadFromFile(path);

        PlainStrings copy;
        Fill(copy, {"1", "2", "3", "4", "5"});
        light.AssignTo(copy);
        QCOMPARE(Lines(copy), (L{"one", "two", "three"}));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(static_cast<const void *>(copy.View(i).data()), static_cast<const void *>(light.View(i).data()));

        PlainStrings joined;
        joined.Add("head");
        joined.AddStrings(copy);
        light.Clear();
        copy.Clear();
        joined.Add("tail");
        QCOMPARE(Lines(joined), (L{"head", "one", "two", "three", "tail"}));

        joined.AddStrings(joined);
        joined.Assign(joined);
        QCOMPARE(joined.Count(), 10);
        QCOMPARE(joined.Get(9), QByteArray("tail"));

        TBvStrings store;
        Fill(store, {"x"});
        store.AddStrings(joined);
        QCOMPARE(store.Count(), 11);
        QCOMPARE(store.Capacity(), 11);
        QCOMPARE(static_cast<const void *>(store.View(1).data()), static_cast<const void *>(joined.View(0).data()));
        store.Put(1, "changed");
        store.Delete(2);
        QCOMPARE(joined.Get(0), QByteArray("head"));
        QCOMPARE(joined.Get(1), QByteArray("one"));

        // Two lists appending into a block they both hold never overwrite each other's bytes.
        PlainStrings first;
        first.Add("a");
        PlainStrings second(first);
        first.Add("from first");
        second.Add("from second");
        first.Put(0, "A");
        QCOMPARE(Lines(first), (L{"A", "from first"}));
        QCOMPARE(Lines(second), (L{"a", "from second"}));

        store.Assign(first);
        store.AssignTo(second);
        store.Clear();
        QCOMPARE(Lines(second), (L{"A", "from first"}));
    }

    void find()
    {
        TBvStrings store;
        store.Add("xabcx");
        int line = 0, column = 0;
        QVERIFY(store.Find("ABC", line, column));
        QCOMPARE(line, 0);
        QCOMPARE(column, 2);
        QVERIFY(store.Find("ABC", line, column));  // the start position itself matches
        QCOMPARE(column, 2);
        ++column;
        QVERIFY(!store.Find("ABC", line, column));
        QCOMPARE(line, 1);
        QCOMPARE(column, 1);

        store.Clear();
        Fill(store, {"ab", "c", "", "tail x", "[@]"});
        line = -5;
        column = 99;
        QVERIFY(!store.Find("bc", line, column));  // never across lines
        line = 0;
        column = 1;
        QVERIFY(store.Find(" X", line, column));
        QCOMPARE(line, 3);
        QCOMPARE(column, 5);
        // Only a to z fold: '[' is not '{', '@' is not '`'.
        line = column = 0;
        QVERIFY(!store.Find("{`]", line, column));
        line = column = 0;
        QVERIFY(!store.Find("", line, column));
        QCOMPARE(line, 0);

        // Shift-JIS bytes that differ by 0x20 are different characters.
        store.Clear();
        store.Add(testsupport::Sjis(QStringLiteral("カナ")));
        const QByteArray bytes = store.Get(0);
        QByteArray shifted = bytes;
        shifted[0] = char(bytes[0] ^ 0x20);
        line = column = 0;
        QVERIFY(!store.Find(shifted, line, column));
        line = column = 0;
        QVERIFY(store.Find(bytes.mid(1, 2), line, column));
        QCOMPARE(column, 2);
    }

    void findAgreesWithPlainLoop()
    {
        auto *random = QRandomGenerator::global();
        const char alphabet[] = "aAbB[{c";
        for (int round = 0; round < 200; ++round) {
            L lines;
            TBvStrings store;
            for (int i = random->bounded(1, 6); i > 0; --i) {
                QByteArray line;
                for (int n = random->bounded(0, 70); n > 0; --n)
                    line += alphabet[random->bounded(7)];
                lines << line;
                store.Add(line);
            }
            QByteArray text;
            for (int n = random->bounded(1, 4); n > 0; --n)
                text += alphabet[random->bounded(7)];
            int line = 0, column = 1, expectedLine = 0, expectedColumn = 1;
            for (;;) {
                const bool found = store.Find(text, line, column);
                QCOMPARE(found, NaiveFind(lines, text, expectedLine, expectedColumn));
                QCOMPARE(line, expectedLine);
                QCOMPARE(column, expectedColumn);
                if (!found)
                    break;
                expectedColumn = ++column;
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestLineLists)
#include "tst_line_lists.moc"
