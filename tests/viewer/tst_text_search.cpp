// The viewer's search without its window: the row match, the row walk, the repeat-search start
// rows and the number entry of the jump and setting dialogs.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <random>

#include "bigview/BigView.h"
#include "lines/TBvStrings.h"
#include "viewer/rules/NumberEntry.h"
#include "lines/ShiftJis.h"
#include "viewer/TextSearch.h"
#include "viewer/ViewerState.h"

namespace {
// The match by its definition: walk the row character by character and compare the upper-cased
// texts (a-z of single-byte characters only) at each character start.
int ReferenceMatch(const QByteArray &row, const QByteArray &pattern, bool caseSensitive)
{
    auto upper = [&](const QByteArray &text) {
        QByteArray out = text;
        if (!caseSensitive)
            ForEachChar(text, [&](qsizetype i, qsizetype n) {
                if (n == 1 && out[i] >= 'a' && out[i] <= 'z')
                    out[i] = char(out[i] - 0x20);
                return true;
            });
        return out;
    };
    if (row.isEmpty() || pattern.isEmpty())
        return 0;
    const QByteArray t = upper(row), p = upper(pattern);
    int found = 0;
    ForEachChar(row, [&](qsizetype i, qsizetype) {
        if (t.mid(i, p.size()) == p)
            found = int(i + 1);
        return found == 0;
    });
    return found;
}

int Match(const QByteArray &row, const QByteArray &pattern, bool caseSensitive = false)
{
    return RowMatch(row, SearchPattern(pattern, caseSensitive));
}
}

class TstTextSearch : public QObject {
    Q_OBJECT
private slots:
    void CaseOption()
    {
        QCOMPARE(Match("xxABCyy", "abc"), 3);
        QCOMPARE(Match("xxabcyy", "ABC"), 3);
        QCOMPARE(Match("xxABCyy", "abc", true), 0);
        QCOMPARE(Match("xxABCyy", "ABC", true), 3);
        // Full-width letters and the trail bytes of two-byte characters keep their case: ｱ is
        // 0x83 0x41, ャ is 0x83 0x61.
        QCOMPARE(Match("\x83\x61", "\x83\x41"), 0);
        QCOMPARE(Match("\x83\x41", "\x83\x61"), 0);
        QCOMPARE(Match(EncodeCp932(u"ａ"), EncodeCp932(u"Ａ")), 0);
        QCOMPARE(Match("\xb1\xb2", "\xb2"), 2);  // half-width kana as they stand
    }

    void DoubleByteBoundaries()
    {
        // "\xa0\x82" first occurs across あ|い; the match is the later one at a character start.
        QCOMPARE(Match("\x82\xa0\x82\xa2\xa0\x82\xa2", "\xa0\x82"), 5);
        QCOMPARE(Match("\x82\xa0\x82\xa2", "\xa0\x82"), 0);
        // A long run of bytes that are all in the lead range (ぁ is 0x82 0x9F).
        QByteArray run;
        for (int i = 0; i < 1000; ++i)
            run += "\x82\x9f";
        QCOMPARE(Match(run, "\x9f\x82"), 0);
        QCOMPARE(Match("a" + run, "\x82\x9f\x82"), 2);
        QCOMPARE(Match(run + "x", "\x9fx"), 0);
        QCOMPARE(Match(run + "\x9fx", "\x9fx"), 2001);
    }

    void LoneLeadBytes()
    {
        // A pattern ending in a lead byte matches the first byte of a two-byte character.
        QCOMPARE(Match("ab\x82\xa0", "\x82"), 3);
        QCOMPARE(Match("ab\x82\xa0", "b\x82"), 2);
        // A lead byte at the row's end is a character of its own.
        QCOMPARE(Match("ab\x82", "\x82"), 3);
        QCOMPARE(Match(QByteArray("a\0b\x82", 4), QByteArray("\0b", 2)), 2);
        QCOMPARE(Match("", "a"), 0);
        QCOMPARE(Match("a", ""), 0);
    }

    void AgreesWithTheDefinition()
    {
        // Random rows of a few letters, kana and lead-range bytes, against the plain walk.
        std::mt19937 rng(7);
        const QByteArray alphabet("aAbB\x82\x9f\xa0\x83\x41\x61 ", 11);
        auto text = [&](int len) {
            QByteArray s;
            for (int i = 0; i < len; ++i)
                s += alphabet[int(rng() % alphabet.size())];
            return s;
        };
        for (int i = 0; i < 20000; ++i) {
            const QByteArray row = text(int(rng() % 70));
            const QByteArray pattern = text(1 + int(rng() % 4));
            const bool caseSensitive = rng() % 2;
            QCOMPARE(Match(row, pattern, caseSensitive), ReferenceMatch(row, pattern, caseSensitive));
        }
    }

    void RowWalk()
    {
        TBigView view;
        view.SetWrapByte(4);
        for (const char *line : {"abcdefgh", "xx", "cd", "yy"})
            view.Add(line);
        QCOMPARE(view.RowCount(), 5);  // abcd|efgh, xx, cd, yy
        const SearchPattern cd("CD", false), de("de", false);
        int column = 0;
        QCOMPARE(FindRow(view, cd, 0, true, &column), 0);
        QCOMPARE(column, 3);
        QCOMPARE(FindRow(view, cd, 1, true), 3);
        QCOMPARE(FindRow(view, cd, 2, false), 0);
        QCOMPARE(FindRow(view, de, 0, true), -1);  // split between two rows of one line
        QCOMPARE(FindRow(view, cd, 4, true), -1);  // no wrap-around
        QCOMPARE(FindRow(view, cd, 5, true), -1);  // outside the rows
        QCOMPARE(FindRow(view, cd, -1, false), -1);
        QCOMPARE(FindRow(view, SearchPattern("", false), 0, true), -1);
        view.Clear();
        QCOMPARE(FindRow(view, cd, 0, true), -1);
    }

    // A search through a file's bytes as one run finds what the row walk over the same lines in
    // memory finds, from any row, with wrap on and off, across both halves of a large file.
    void FileSearchAgreesWithTheRowWalk()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("text");
        std::mt19937 random(1209);
        const char alphabet[] = "aAbB \x82\xA0\x81\x81\r\r\n";
        const QList<QByteArray> patterns = {"ab", "AB a", "\x82\xA0", "\xA0\x82", "\x81\x81", "b\r", "\x81" "a"};
        for (int round = 0; round < 22; ++round) {
            const qsizetype size = round < 20 ? qsizetype(random() % 3000) : qsizetype(9 * 1024 * 1024);
            QByteArray bytes(size, Qt::Uninitialized);
            for (char &c : bytes)
                c = alphabet[random() % (sizeof alphabet - 1)];
            if (round >= 20)  // long: mostly letters, a match in each half
                bytes.fill('x').replace(size / 4, 3, "ab\r").replace(size - 100, 3, "ab\r");
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
            f.close();
            for (const int wrap : {0, 3, 7}) {
                TBigView file, memory;
                for (TBigView *v : {&file, &memory}) {
                    v->SetWordWrap(wrap > 0);
                    v->SetWrapByte(std::max(wrap, 1));
                    v->LoadFromFile(path);
                }
                memory.Add("");  // an edit: the lines are copied into the view's own table
                memory.Delete(memory.RowCount() - 1);  // by its row
                QVERIFY(file.Lines().FileIndex() && !memory.Lines().FileIndex());
                QCOMPARE(file.RowCount(), memory.RowCount());
                const bool large = round >= 20;
                for (const QByteArray &text : large ? QList<QByteArray>{"AB"} : patterns) {
                    for (const bool caseSensitive : {false, true}) {
                        const SearchPattern pattern(text, caseSensitive);
                        const int step = std::max(1, file.RowCount() / (large ? 3 : 40));
                        for (int first = 0; first < file.RowCount(); first += step) {
                            int c1 = 0, c2 = 0;
                            QCOMPARE(FindRow(file, pattern, first, true, &c1), FindRow(memory, pattern, first, true, &c2));
                            QCOMPARE(c1, c2);
                        }
                    }
                }
            }
        }
    }

    void ReFindStartRows()
    {
        ViewerState s;
        QCOMPARE(ReFindStartRow(s, 7, true), 8);
        QCOMPARE(ReFindStartRow(s, 7, false), 6);
        s.HitShown = true;
        s.FindLineScroll = 5;
        s.HitRow = 41;  // hit in row 40, top row 35
        QCOMPARE(ReFindStartRow(s, 35, true), 41);
        QCOMPARE(ReFindStartRow(s, 35, false), 39);
        s.HitRow = 4;   // hit in row 3, top row 0
        QCOMPARE(ReFindStartRow(s, 0, true), 4);
        QCOMPARE(ReFindStartRow(s, 0, false), 2);
        s.HitRow = 1;
        QCOMPARE(ReFindStartRow(s, 0, false), -1);
        // A settings file may hold any scroll value: it is used as 16.
        s.FindLineScroll = 2147483647;
        s.HitRow = 100;
        QCOMPARE(ReFindStartRow(s, 83, true), 100);
    }

    void NumberEntry()
    {
        QCOMPARE(ParseNumberEntry("12"), 12);
        QCOMPARE(ParseNumberEntry("  12"), 12);
        QCOMPARE(ParseNumberEntry("+7"), 7);
        QCOMPARE(ParseNumberEntry("0007"), 7);
        QCOMPARE(ParseNumberEntry("$10"), 16);
        QCOMPARE(ParseNumberEntry("$fF"), 255);
        for (const QByteArray &bad : {QByteArray(""), QByteArray(" "), QByteArray("-5"), QByteArray("5-"),
                                      QByteArray("12a"), QByteArray("12 "), QByteArray("1 2"), QByteArray("+"),
                                      QByteArray("$"), QByteArray("++1"), QByteArray("\t1"),
                                      EncodeCp932(u"１２"), QByteArray("2147483648"), QByteArray("$80000000")})
            QVERIFY2(!ParseNumberEntry(bad), bad.constData());
        QCOMPARE(ParseNumberEntry("2147483647"), 2147483647);
        QCOMPARE(NumberInRange("1", 1, JumpLineMax), 1);
        QCOMPARE(NumberInRange("999999", 1, JumpLineMax), 999999);
        QVERIFY(!NumberInRange("0", 1, JumpLineMax));
        QVERIFY(!NumberInRange("$FFFFF", 1, JumpLineMax));
        QVERIFY(!NumberInRange("17", 0, LineScrollMax));
        QCOMPARE(NumberInRange("0", 0, LineScrollMax), 0);
    }
};

QTEST_MAIN(TstTextSearch)
#include "tst_text_search.moc"
