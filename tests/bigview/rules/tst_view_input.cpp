// The view's input rules without a window: key tables, caret movement, the position under a
// pointer and the span of a double-clicked word.
#include <QtTest>

#include <set>
#include <utility>
#include <vector>

#include "tests/TestSupport.h"
#include "lines/ShiftJis.h"
#include "bigview/rules/ViewInput.h"

namespace {

struct FakeRows : CaretRows, PointRows {
    std::vector<QByteArray> rows;
    int charWidth = 10;

    int RowCount() const override { return int(rows.size()); }
    QByteArrayView RowText(int row) const override { return rows.at(row); }
    int RowLength(int row) const override { return int(rows.at(row).size()); }
    // Every byte one column wide; with wholeChars a double-byte character counts as one unit
    // starting at its lead byte.
    int ColumnAtX(int row, qint64 px, bool wholeChars) const override
    {
        const QByteArray &t = rows.at(row);
        for (int i = 1; i <= t.size(); ++i) {
            int end = i;
            if (wholeChars && IsLeadByte(static_cast<unsigned char>(t[i - 1])) && i < t.size())
                end = i + 1;
            if (qint64(end) * charWidth >= px)
                return i;
            i = end;
        }
        return int(t.size()) + 1;
    }
};

QByteArray Kanji(int count) { return testsupport::Sjis(QString(count, QChar(0x6F22))); }  // 漢

}  // namespace

class TestViewInput : public QObject {
    Q_OBJECT
private slots:
    void caretTableShiftFormsMirrorPlainEntries();
    void tablesMatchExactShiftOnly();
    void tablesHoldEachKeyOnce();
    void barPositionMapsToTopRow();
    void accelerationNeedsAQuickRunOneWay();
    void horizontalMovesStayOffTrailBytes();
    void pageMovesAndEnds();
    void movesOnEmptyOrShrunkRows();
    void pointAboveBelowAndBeside();
    void pointInsideRows();
    void wordSpans_data();
    void wordSpans();
    void longWordSpanIsFound();
};

void TestViewInput::caretTableShiftFormsMirrorPlainEntries()
{
    for (int i = 0; i < PlainCaretKeys; ++i) {
        const CaretKey &plain = CaretKeyTable[i];
        const CaretKey &shifted = CaretKeyTable[i + PlainCaretKeys];
        QCOMPARE(shifted.key, plain.key);
        QCOMPARE(shifted.move, plain.move);
        QCOMPARE(shifted.shift, plain.shift | ssShift);
        QVERIFY(!(plain.shift & ssShift));
    }
}

void TestViewInput::tablesMatchExactShiftOnly()
{
    QCOMPARE(FindCaretKey(vk::Down, 0, false), 1);
    QCOMPARE(FindCaretKey(vk::Down, ssShift, true), 11);
    // Shift forms are not consulted when selecting is off.
    QCOMPARE(FindCaretKey(vk::Down, ssShift, false), -1);
    QCOMPARE(FindCaretKey(vk::Home, ssCtrl, false), 8);
    QCOMPARE(FindCaretKey(vk::End, ssCtrl | ssShift, true), 19);
    // An added Alt keeps a key from matching.
    QCOMPARE(FindCaretKey(vk::Down, ssAlt, true), -1);
    QCOMPARE(FindCaretKey(vk::Home, ssCtrl | ssAlt, true), -1);
    QCOMPARE(FindScrollKey(VerticalKeyTable, vk::Space, ssAlt), -1);
    QCOMPARE(FindScrollKey(HorizontalKeyTable, vk::Left, ssCtrl | ssShift), -1);
    // Not a movement key at all.
    QCOMPARE(FindCaretKey(vk::Space, 0, true), -1);
    QCOMPARE(FindScrollKey(VerticalKeyTable, vk::T, 0), 6);
    QCOMPARE(FindScrollKey(VerticalKeyTable, vk::T, ssShift), -1);
    QCOMPARE(FindScrollKey(VerticalKeyTable, vk::Down, ssShift), 3);
    QCOMPARE(FindScrollKey(HorizontalKeyTable, vk::Right, ssCtrl), 3);
    QCOMPARE(FindScrollKey(HorizontalKeyTable, vk::Up, 0), -1);
}

void TestViewInput::tablesHoldEachKeyOnce()
{
    auto unique = [](auto table) {
        std::set<std::pair<int, int>> seen;
        for (const auto &e : table)
            if (!seen.insert({e.key, e.shift}).second)
                return false;
        return true;
    };
    QVERIFY(unique(CaretKeyTable));
    QVERIFY(unique(VerticalKeyTable));
    QVERIFY(unique(HorizontalKeyTable));
    QCOMPARE(CaretKeyTable.size(), size_t(20));
    QCOMPARE(VerticalKeyTable.size(), size_t(22));
    QCOMPARE(HorizontalKeyTable.size(), size_t(6));
}

void TestViewInput::accelerationNeedsAQuickRunOneWay()
{
    ScrollAcceleration a;
    ScrollHistory still = {0, 0, 0};
    ScrollHistory down = {0, 0, 0};
    quint32 now = 1000;
    auto request = [&](int threshold, int sense, int rows = 30, int columns = 80) {
        PushScrollHistory(down, down[0] + a.step);
        now += 50;
        Accelerate(a, now, threshold, sense, down, still, rows, columns);
    };
    request(KeyScrollThresholdMs, 5);  // the first request of a run starts at 1
    for (int i = 0; i < RepeatsBeforeFasterStep; ++i)
        request(KeyScrollThresholdMs, 5);
    QCOMPARE(a.step, 1);
    request(KeyScrollThresholdMs, 5);
    QCOMPARE(a.step, 2);
    for (int i = 0; i < 100; ++i)
        request(KeyScrollThresholdMs, 5);
    QCOMPARE(a.step, 5);  // never beyond the sense
    request(NoScrollRun, 5);
    QCOMPARE(a.step, 1);

    // Nor beyond the rows on screen less one.
    for (int i = 0; i < 100; ++i)
        request(KeyScrollThresholdMs, 50, 4);
    QCOMPARE(a.step, 3);

    // A pause longer than the threshold, or a turn, ends the run.
    now += KeyScrollThresholdMs + 1;
    Accelerate(a, now, KeyScrollThresholdMs, 50, down, still, 30, 80);
    QCOMPARE(a.step, 1);
    for (int i = 0; i < 30; ++i)
        request(KeyScrollThresholdMs, 50);
    QVERIFY(a.step > 1);
    PushScrollHistory(down, down[0] - 1);
    Accelerate(a, now + 10, KeyScrollThresholdMs, 50, down, still, 30, 80);
    QCOMPARE(a.step, 1);
    // A position that does not change leaves the history alone.
    const int before = down[1];
    PushScrollHistory(down, down[0]);
    QCOMPARE(down[1], before);
}

void TestViewInput::barPositionMapsToTopRow()
{
    QCOMPARE(BarPosToTopRow(0, 80, 80), 0);
    QCOMPARE(BarPosToTopRow(80, 80, 80), 80);
    // Halves round to the even row.
    QCOMPARE(BarPosToTopRow(1, 2, 5), 2);   // 2.5
    QCOMPARE(BarPosToTopRow(1, 2, 7), 4);   // 3.5
    QCOMPARE(BarPosToTopRow(1, 3, 10), 3);  // 3.33
    // Nothing to scroll.
    QCOMPARE(BarPosToTopRow(1, 1, 0), 0);
    QCOMPARE(BarPosToTopRow(1, 1, -19), 0);
}

void TestViewInput::horizontalMovesStayOffTrailBytes()
{
    FakeRows rows;
    rows.rows = {QByteArray("ab") + Kanji(2) + "c"};  // a b L T L T c
    QCOMPARE(MoveCaret(CaretMove::CharRight, {2, 0}, rows, 20), QPoint(3, 0));
    QCOMPARE(MoveCaret(CaretMove::CharRight, {3, 0}, rows, 20), QPoint(5, 0));  // over a character
    QCOMPARE(MoveCaret(CaretMove::CharLeft, {7, 0}, rows, 20), QPoint(5, 0));
    QCOMPARE(MoveCaret(CaretMove::CharLeft, {5, 0}, rows, 20), QPoint(3, 0));
    QCOMPARE(MoveCaret(CaretMove::CharLeft, {1, 0}, rows, 20), QPoint(1, 0));
    // From the "no position" column 0 (just after loading) Left still lands on column 1.
    QCOMPARE(MoveCaret(CaretMove::CharLeft, {0, 0}, rows, 20), QPoint(1, 0));
    // Past the end is left to the caller's clamping.
    QCOMPARE(MoveCaret(CaretMove::CharRight, {8, 0}, rows, 20), QPoint(9, 0));
    QCOMPARE(MoveCaret(CaretMove::RowEnd, {2, 0}, rows, 20), QPoint(8, 0));
    QCOMPARE(MoveCaret(CaretMove::RowStart, {6, 0}, rows, 20), QPoint(1, 0));
}

void TestViewInput::pageMovesAndEnds()
{
    FakeRows rows;
    for (int i = 0; i < 100; ++i)
        rows.rows.push_back(QByteArray::number(i));
    QCOMPARE(MoveCaret(CaretMove::PageDown, {1, 90}, rows, 20), QPoint(1, 99));
    QCOMPARE(MoveCaret(CaretMove::PageUp, {1, 10}, rows, 20), QPoint(1, 0));
    // A window too small for a whole row does not move the caret.
    QCOMPARE(MoveCaret(CaretMove::PageDown, {1, 5}, rows, 0), QPoint(1, 5));
    QCOMPARE(MoveCaret(CaretMove::LineDown, {1, 99}, rows, 20), QPoint(1, 99));
    QCOMPARE(MoveCaret(CaretMove::LineUp, {1, 0}, rows, 20), QPoint(1, 0));
    // No overflow near the top of the integer range.
    QCOMPARE(MoveCaret(CaretMove::PageDown, {1, 98}, rows, std::numeric_limits<int>::max()), QPoint(1, 99));
    QCOMPARE(MoveCaret(CaretMove::PageUp, {1, 98}, rows, std::numeric_limits<int>::max()), QPoint(1, 0));
}

void TestViewInput::movesOnEmptyOrShrunkRows()
{
    FakeRows rows;
    QCOMPARE(MoveCaret(CaretMove::TextEnd, {0, 0}, rows, 20), QPoint(0, 0));
    rows.rows = {"ab", ""};
    // A caret left on a row that no longer exists moves from the last row.
    QCOMPARE(MoveCaret(CaretMove::LineUp, {1, 7}, rows, 20), QPoint(1, 0));
    QCOMPARE(MoveCaret(CaretMove::RowEnd, {1, 7}, rows, 20), QPoint(1, 1));
    QCOMPARE(MoveCaret(CaretMove::RowEnd, {1, 0}, rows, 20), QPoint(3, 0));
}

void TestViewInput::pointAboveBelowAndBeside()
{
    FakeRows rows;
    rows.rows = {"abcdef", "ghij", "klm"};
    PointGeometry g;
    g.rowCount = 3;
    g.lineHeight = 20;
    g.charWidth = 10;
    g.imageWidth = 256 * 10;
    g.imageHeight = 5 * 20;

    QCOMPARE(PositionAtPoint(PointGeometry{}, rows, {5, 5}, true), QPoint(0, 0));
    // Above the rows: start of the top row, wherever the pointer is sideways.
    g.topRow = 1;
    QCOMPARE(PositionAtPoint(g, rows, {35, -1}, true), QPoint(1, 1));
    QCOMPARE(PositionAtPoint(g, rows, {-50, -300}, false), QPoint(1, 1));
    // Below the last row: its end.
    QCOMPARE(PositionAtPoint(g, rows, {0, 45}, true), QPoint(4, 2));
    QCOMPARE(PositionAtPoint(g, rows, {0, 5000}, true), QPoint(4, 2));
    // Left of the rows: column 1; right of a row's text: past its end.
    g.topRow = 0;
    QCOMPARE(PositionAtPoint(g, rows, {-40, 25}, true), QPoint(1, 1));
    QCOMPARE(PositionAtPoint(g, rows, {900, 25}, true), QPoint(5, 1));
}

void TestViewInput::pointInsideRows()
{
    FakeRows rows;
    rows.rows = {"ab" + Kanji(1) + "cdefghijklmnopqrstuvwxyz"};
    PointGeometry g;
    g.rowCount = 1;
    g.lineHeight = 20;
    g.charWidth = 10;
    g.imageWidth = 256 * 10;
    g.imageHeight = 100;
    // The caret goes to the left edge of the character under the pointer.
    QCOMPARE(PositionAtPoint(g, rows, {15, 3}, true), QPoint(2, 0));
    QCOMPARE(PositionAtPoint(g, rows, {35, 3}, true), QPoint(3, 0));   // right half of the kanji
    QCOMPARE(PositionAtPoint(g, rows, {35, 3}, false), QPoint(4, 0));  // its trail byte
    QCOMPARE(PositionAtPoint(g, rows, {0, 3}, true), QPoint(1, 0));
    // Scrolled five columns to the left: x counts from the row's first byte.
    g.hScrollPos = 5;
    QCOMPARE(PositionAtPoint(g, rows, {15, 3}, true), QPoint(7, 0));
    // The point is held inside the rendered width.
    g.imageWidth = 40;
    QCOMPARE(PositionAtPoint(g, rows, {300, 3}, false), QPoint(4, 0));
}

void TestViewInput::wordSpans_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("end");

    const QByteArray line = "x = Abc_12 + y";
    QTest::newRow("word start") << line << 5 << 5 << 11;
    QTest::newRow("word middle") << line << 8 << 5 << 11;
    QTest::newRow("word end") << line << 10 << 5 << 11;
    QTest::newRow("single letter at row start") << line << 1 << 1 << 2;
    QTest::newRow("letter at row end") << line << 14 << 14 << 15;
    QTest::newRow("blank alone") << line << 4 << 4 << 5;
    QTest::newRow("operator alone") << line << 3 << 3 << 4;
    QTest::newRow("past the end") << line << 15 << 15 << 16;
    QTest::newRow("whole row word") << QByteArray("snake_case9") << 6 << 1 << 12;

    const QByteArray kanji = "ab" + Kanji(2) + "cd";  // a b L T L T c d
    QTest::newRow("lead byte") << kanji << 3 << 3 << 5;
    QTest::newRow("trail byte") << kanji << 6 << 5 << 7;
    QTest::newRow("word stops at kanji") << kanji << 2 << 1 << 3;
    QTest::newRow("word after kanji") << kanji << 8 << 7 << 9;

    // "ア" is 83 41: its trail byte is the letter A, which must not join the word after it.
    const QByteArray katakana = testsupport::Sjis(QStringLiteral("アBC"));
    QTest::newRow("trail letter stays out") << katakana << 4 << 3 << 5;
    QTest::newRow("trail letter itself") << katakana << 2 << 1 << 3;
    const QByteArray twoKana = testsupport::Sjis(QStringLiteral("x_アア"));  // x _ 83 41 83 41
    QTest::newRow("word before kana") << twoKana << 1 << 1 << 3;
    QTest::newRow("lone lead byte at end") << QByteArray("ab\x88", 3) << 3 << 3 << 5;
    QTest::newRow("NUL byte alone") << QByteArray("a\0b", 3) << 2 << 2 << 3;
}

void TestViewInput::wordSpans()
{
    QFETCH(QByteArray, text);
    QFETCH(int, column);
    QFETCH(int, first);
    QFETCH(int, end);
    const ColumnSpan span = WordSpanAt(text, column);
    QCOMPARE(span.first, first);
    QCOMPARE(span.end, end);
}

void TestViewInput::longWordSpanIsFound()
{
    // A row that is one long word (wrap off): the span is found in one pass.
    QByteArray text(8 * 1024 * 1024, 'w');
    text[0] = ' ';
    text[text.size() - 1] = ' ';
    const ColumnSpan span = WordSpanAt(text, int(text.size() / 2));
    QCOMPARE(span.first, 2);
    QCOMPARE(span.end, int(text.size()));
}

QTEST_GUILESS_MAIN(TestViewInput)
#include "tst_view_input.moc"
