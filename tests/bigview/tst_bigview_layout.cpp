// Rows from lines: wrapping at a byte count and at the window width, double-byte boundaries,
// conversions between row and line positions, and text widths.
#include <QRandomGenerator>
#include <QtTest>

#include "tests/bigview/BigViewFixture.h"
#include "bigview/BigViewProbe.h"
#include "bigview/rules/BvRows.h"
#include "bigview/rules/BvText.h"
#include "lines/ListErrors.h"
#include "lines/TBvStrings.h"

using fixture::Kanji;

namespace {

struct Store {
    TBvStrings lines;
    TBvRows rows;
    explicit Store(const QList<QByteArray> &text)
    {
        for (const QByteArray &l : text)
            lines.Add(l);
    }
    void Layout(bool wrap, int wrapByte, int from = 0)
    {
        rows.LayoutFrom(lines, from, wrap, wrapByte, [](QByteArrayView s) { return int(s.size()); });
    }
    QList<int> Lens() const
    {
        QList<int> out;
        for (int r = 0; r < rows.Count(); ++r)
            out << rows.At(r).Len;
        return out;
    }
};

// Rows cover every line exactly, in order, never ending between a lead byte and its trail.
void CheckInvariants(const TBvStrings &lines, const TBvRows &rows)
{
    int r = 0;
    for (int line = 0; line < lines.Count(); ++line) {
        const QByteArrayView s = lines.View(line);
        QVERIFY(r < rows.Count());
        QCOMPARE(rows.LineToRow(line), r);
        if (s.isEmpty()) {
            const TBvRow &row = rows.At(r++);
            QCOMPARE(row.Start, 0);
            QCOMPARE(row.Len, 0);
            QCOMPARE(int(row.Last), 1);
            continue;
        }
        int start = 1, sub = 0;
        while (start <= s.size()) {
            const TBvRow &row = rows.At(r++);
            QCOMPARE(row.Line, line);
            QCOMPARE(row.Start, start);
            QCOMPARE(row.Sub, sub++);
            QVERIFY(row.Len >= 1);
            const int end = start + row.Len - 1;
            QCOMPARE(int(row.Last), end >= s.size() ? 1 : 0);
            if (end < s.size() && row.Len > 1)
                QVERIFY2(ByteKind(s.sliced(start - 1), row.Len + 1) != 2, "row ends on a lead byte");
            start = end + 1;
        }
    }
    QCOMPARE(r, rows.Count());
}

// Byte kinds the plain way: walk whole characters from the text's first byte.
int ForwardByteKind(QByteArrayView s, int pos)
{
    if (pos < 1 || s.size() < pos)
        return 0;
    int kind = 0;
    for (int i = 0; i < pos; ++i)
        kind = kind == 1 ? 2 : (IsLeadByte(static_cast<unsigned char>(s[i])) ? 1 : 0);
    return kind;
}

}  // namespace

class TestBigViewLayout : public QObject {
    Q_OBJECT
private slots:
    void byteKinds();
    void byteKindsMatchForwardWalk();
    void emptyStore();
    void noWrapKeepsWholeLines();
    void wrapAtByteCount();
    void rowsWithoutWrapAreTheLines();
    void wrapKeepsDoubleByteCharactersWhole();
    void invalidDoubleByteSequences();
    void layoutFromKeepsEarlierRowsAndDropsTheTail();
    void conversionsBothWays();
    void widthsExpandTabsAndStayWhole();
    void walksResumeFromAnyBoundary();
    void longWalksMatchCharacterByCharacter();
    void wrapAtWindowWidth();
    void narrowingRewrapsKeepingTopLineAndSelection();
    void wrapChangesKeepEverythingInsideTheRows();
    void hugeLineWrapsAtWindowWidth();
    void columnUnderXStartsACharacter();
};

void TestBigViewLayout::byteKinds()
{
    const QByteArray s = "a" + Kanji(1) + "b";  // a, lead, trail, b
    QCOMPARE(ByteKind(s, 1), 0);
    QCOMPARE(ByteKind(s, 2), 1);
    QCOMPARE(ByteKind(s, 3), 2);
    QCOMPARE(ByteKind(s, 4), 0);
    QCOMPARE(ByteKind(s, 5), 0);  // beyond the text
    QCOMPARE(ByteKind(s, 0), 0);
    // Two lead-range bytes in a row: the second is a trail, the third a lead again.
    const QByteArray leads("\x81\x81\x81", 3);
    QCOMPARE(ByteKind(leads, 2), 2);
    QCOMPARE(ByteKind(leads, 3), 1);
}

void TestBigViewLayout::byteKindsMatchForwardWalk()
{
    // Random texts heavy in lead-range bytes, invalid pairs included (a lead before a byte that
    // is no trail, a lead as the last byte), and runs of lead-range bytes long enough to cross
    // several 64-byte blocks, at every position and past the end.
    QRandomGenerator rng(11);
    const unsigned char pool[] = {0x81, 0x88, 0x9F, 0xE0, 0xEA, 0xFC, 0x80, 0xA0, 0xDF, 0xFD,
                                  0xFF, 0x40, 0x7F, 'a', ' ', '\t', 0x00, '\n'};
    for (int round = 0; round < 4000; ++round) {
        QByteArray s;
        const int len = int(rng.bounded(round % 4 == 0 ? 700 : 90));
        while (s.size() < len) {
            if (rng.bounded(8) == 0) {
                // A run of lead-range bytes only.
                const int run = int(rng.bounded(1, 260));
                for (int k = 0; k < run; ++k)
                    s += char(rng.bounded(2) ? rng.bounded(0x81, 0xA0) : rng.bounded(0xE0, 0xFD));
            } else {
                s += char(pool[rng.bounded(int(sizeof pool))]);
            }
        }
        for (int pos = 0; pos <= s.size() + 2; ++pos) {
            if (ByteKind(s, pos) != ForwardByteKind(s, pos))
                QFAIL(qPrintable(QStringLiteral("round %1, position %2 of %3 bytes: %4, walk says %5")
                                     .arg(round).arg(pos).arg(s.size()).arg(ByteKind(s, pos))
                                     .arg(ForwardByteKind(s, pos))));
        }
    }
    // At the far end of a long row, after a run of lead-range bytes of either parity: an odd run
    // makes the byte after it a trail byte.
    for (int run : {0, 1, 2, 63, 64, 65, 127, 128, 200001}) {
        const QByteArray s = QByteArray(300000, 'a') + QByteArray(run, '\x88') + "c";
        const int end = int(s.size());
        QCOMPARE(ByteKind(s, end), run % 2 ? 2 : 0);
        QCOMPARE(ByteKind(s, end - 1), run == 0 ? 0 : (run % 2 ? 1 : 2));
        QCOMPARE(ByteKind(s, end), ForwardByteKind(s, end));
        QCOMPARE(ByteKind(s, end - 1), ForwardByteKind(s, end - 1));
    }
}

void TestBigViewLayout::emptyStore()
{
    Store st({});
    st.Layout(true, 80);
    QCOMPARE(st.rows.Count(), 0);
    QCOMPARE(st.rows.LineToRow(0), 0);
    QCOMPARE(st.rows.RowToLine(0), -1);
    QCOMPARE(st.rows.RowPosToLinePos(QPoint(1, 0)), QPoint(0, 0));
    QCOMPARE(st.rows.LinePosToRowPos(QPoint(1, 0)), QPoint(1, 0));
    QVERIFY_THROWS_EXCEPTION(EListError, st.rows.At(0));
}

void TestBigViewLayout::noWrapKeepsWholeLines()
{
    Store st({QByteArray(1000, 'x'), "", "ab"});
    st.Layout(false, 80);
    QCOMPARE(st.Lens(), (QList<int>{1000, 0, 2}));
    QCOMPARE(st.rows.At(1).Start, 0);
    CheckInvariants(st.lines, st.rows);
}

// Without wrap no row is stored: each line is its row. A wrapped layout from a later line keeps
// the earlier lines' single rows.
void TestBigViewLayout::rowsWithoutWrapAreTheLines()
{
    Store st({QByteArray(200, 'x'), "", QByteArray(160, 'y')});
    st.Layout(false, 80);
    QCOMPARE(st.Lens(), (QList<int>{200, 0, 160}));
    QCOMPARE(st.rows.At(1).Start, 0);
    QCOMPARE(st.rows.LineToRow(2), 2);
    QCOMPARE(st.rows.LineToRow(3), 3);
    QCOMPARE(st.rows.RowPosToLinePos(QPoint(7, 2)), QPoint(7, 2));
    QCOMPARE(st.rows.LinePosToRowPos(QPoint(7, 2)), QPoint(7, 2));
    QCOMPARE(st.rows.MaxLen(1, 5), 160);
    QVERIFY_THROWS_EXCEPTION(EListError, st.rows.At(3));
    st.Layout(true, 80, 2);
    QCOMPARE(st.Lens(), (QList<int>{200, 0, 80, 80}));
    QCOMPARE(st.rows.LinePosToRowPos(QPoint(100, 2)), QPoint(20, 3));
    CheckInvariants(st.lines, st.rows);
}

void TestBigViewLayout::wrapAtByteCount()
{
    Store st({QByteArray(200, 'x'), "", QByteArray(160, 'y'), QByteArray(80, 'z')});
    st.Layout(true, 80);
    QCOMPARE(st.Lens(), (QList<int>{80, 80, 40, 0, 80, 80, 80}));
    const TBvRow r[] = {st.rows.At(0), st.rows.At(1), st.rows.At(2)};
    QCOMPARE(r[2].Start, 161);
    QCOMPARE((QList<int>{r[0].Sub, r[1].Sub, r[2].Sub}), (QList<int>{0, 1, 2}));
    QCOMPARE((QList<int>{int(r[0].Last), int(r[1].Last), int(r[2].Last)}), (QList<int>{0, 0, 1}));
    QCOMPARE(st.rows.RowText(st.lines, 2), QByteArrayView(QByteArray(40, 'x')));
    QCOMPARE(st.rows.RowText(st.lines, 3).size(), 0);
    CheckInvariants(st.lines, st.rows);
}

void TestBigViewLayout::wrapKeepsDoubleByteCharactersWhole()
{
    // A double-byte character on bytes 80 and 81: the first row stops at 79.
    Store st({QByteArray(79, 'a') + Kanji(1) + QByteArray(10, 'b'), Kanji(5), Kanji(3)});
    st.Layout(true, 80);
    QCOMPARE(st.rows.At(0).Len, 79);
    QCOMPARE(st.rows.At(1).Start, 80);
    CheckInvariants(st.lines, st.rows);

    // One byte per row: each row still holds a whole character.
    st.Layout(true, 1);
    for (int r = st.rows.LineToRow(1); r < st.rows.Count(); ++r)
        QCOMPARE(st.rows.At(r).Len, 2);
    CheckInvariants(st.lines, st.rows);

    // Odd widths over mixed text.
    Store mixed({"ab" + Kanji(3) + "c" + Kanji(4) + "de" + Kanji(2)});
    for (int w = 1; w <= 9; ++w) {
        mixed.Layout(true, w);
        CheckInvariants(mixed.lines, mixed.rows);
    }
}

void TestBigViewLayout::invalidDoubleByteSequences()
{
    // A lead byte at the end of a line, a lead before a control byte, lone trail-range bytes.
    const QByteArray bad = QByteArray("ab\x81", 3);
    const QByteArray odd = QByteArray("\x82\x0a\x81\x00xy\xfc", 7);
    Store st({bad, odd, QByteArray("\x40\x7f\xa0\xfd\xfe\xff", 6)});
    for (int w = 1; w <= 4; ++w) {
        st.Layout(true, w);
        CheckInvariants(st.lines, st.rows);
    }
    TBvMetrics m;
    m.SetFont(fixture::ViewFont());
    m.SetTabDistance(40);
    for (const QByteArray &s : {bad, odd}) {
        qint64 sum = 0;
        for (qsizetype i = 0; i < s.size(); i += CharLength(s, i))
            sum += m.CharAdvance(s, i, sum);
        QCOMPARE(m.Width(s), sum);
        QVERIFY(m.Width(s) > 0);
    }
}

void TestBigViewLayout::layoutFromKeepsEarlierRowsAndDropsTheTail()
{
    Store st({QByteArray(20, 'a'), QByteArray(25, 'b'), QByteArray(30, 'c')});
    st.Layout(true, 10);
    QCOMPARE(st.rows.Count(), 8);
    st.lines.Delete(2);
    st.Layout(true, 10, 2);
    QCOMPARE(st.rows.Count(), 5);
    st.lines.Put(0, QByteArray(5, 'z'));
    st.Layout(true, 10, 0);
    QCOMPARE(st.Lens(), (QList<int>{5, 10, 10, 5}));
    st.lines.Insert(1, "");
    st.Layout(true, 10, 1);
    CheckInvariants(st.lines, st.rows);
    st.Layout(true, 10, -3);  // before the first line: once from the start, not appended
    CheckInvariants(st.lines, st.rows);
    QCOMPARE(st.rows.Count(), st.rows.LineToRow(st.lines.Count()));
}

void TestBigViewLayout::conversionsBothWays()
{
    Store st({QByteArray(25, 'a'), "", QByteArray(5, 'b')});
    st.Layout(true, 10);
    QCOMPARE(st.rows.LineToRow(0), 0);
    QCOMPARE(st.rows.LineToRow(1), 3);
    QCOMPARE(st.rows.LineToRow(2), 4);
    QCOMPARE(st.rows.LineToRow(3), 5);
    QCOMPARE(st.rows.RowToLine(2), 0);
    QCOMPARE(st.rows.RowToLine(5), -1);
    QCOMPARE(st.rows.RowToLine(-1), -1);
    QCOMPARE(st.rows.LinePosToRowPos(QPoint(1, 0)), QPoint(1, 0));
    QCOMPARE(st.rows.LinePosToRowPos(QPoint(13, 0)), QPoint(3, 1));
    QCOMPARE(st.rows.LinePosToRowPos(QPoint(26, 0)), QPoint(6, 2));  // after the last byte
    QCOMPARE(st.rows.LinePosToRowPos(QPoint(0, 0)), QPoint(0, 0));
    QCOMPARE(st.rows.LinePosToRowPos(QPoint(1, 7)), QPoint(1, 5));
    QCOMPARE(st.rows.RowPosToLinePos(QPoint(3, 1)), QPoint(13, 0));
    QCOMPARE(st.rows.RowPosToLinePos(QPoint(1, 3)), QPoint(0, 1));  // empty line: Start 0
    QCOMPARE(st.rows.RowPosToLinePos(QPoint(1, 9)), QPoint(0, 0));
    // Every position of every row survives the round trip.
    for (int r = 0; r < st.rows.Count(); ++r) {
        if (st.rows.At(r).Len == 0)
            continue;
        for (int c = 1; c <= st.rows.At(r).Len; ++c)
            QCOMPARE(st.rows.LinePosToRowPos(st.rows.RowPosToLinePos(QPoint(c, r))), QPoint(c, r));
    }
}

void TestBigViewLayout::widthsExpandTabsAndStayWhole()
{
    TBvMetrics m;
    m.SetFont(fixture::ViewFont());
    m.SetTabDistance(40);
    const qint64 x = m.Width("x");
    QVERIFY(x > 0);
    QCOMPARE(m.Width("\t"), 40);
    QCOMPARE(m.Width("x\t"), 40);
    QCOMPARE(m.Width("\tx"), 40 + x);
    QCOMPARE(m.Width(QByteArray(int(40 / x) + 1, 'x') + "\t"), 80);
    QCOMPARE(m.Width(Kanji(1)), m.CharAdvance(Kanji(1), 0, 0));
    // Tab distance 0 falls back to eight average character widths instead of dividing by zero.
    m.SetTabDistance(0);
    QVERIFY(m.Width("\t") > 0);
    // Widths beyond 16 bits are whole.
    m.SetTabDistance(40);
    const QByteArray wide(20000, 'x');
    QCOMPARE(m.Width(wide), 20000 * x);
    QVERIFY(m.Width(wide) > 65535);
}

void TestBigViewLayout::walksResumeFromAnyBoundary()
{
    TBvMetrics m;
    m.SetFont(fixture::ViewFont());
    m.SetTabDistance(52);
    const QByteArray s = "ab\tc" + Kanji(3) + "\t" + QByteArray("\x81", 1) + "z" + Kanji(1) + "\t!";
    const qint64 whole = m.Width(s);
    TBvMetrics::Cursor c;
    while (c.offset < s.size())
        c = m.Advance(s, c, c.offset + 1);  // one character at a time
    QCOMPARE(c.x, whole);
    // SeekX lands on the start of the character holding x.
    for (qint64 x = 0; x < whole; x += 7) {
        const TBvMetrics::Cursor at = m.SeekX(s, {}, x);
        QVERIFY(at.x <= x);
        QVERIFY(at.x + m.CharAdvance(s, at.offset, at.x) > x);
        QCOMPARE(m.Advance(s, {}, at.offset).x, at.x);
    }
}

void TestBigViewLayout::longWalksMatchCharacterByCharacter()
{
    // Random mixes heavy in lead-range bytes (runs of them pair up from their start), with and
    // without tabs, of lengths around the 64-byte blocks the walk sums at once.
    TBvMetrics m;
    m.SetFont(fixture::ViewFont());
    m.SetTabDistance(52);
    QRandomGenerator rng(7);
    const unsigned char pool[] = {'a', 'b', ' ', 0x81, 0x82, 0x9F, 0xE0, 0xFC, 0x40, 0xA0, 0xFF, 0x00, '\n'};
    for (int round = 0; round < 3000; ++round) {
        const int len = int(rng.bounded(300));
        QByteArray s(len, 'a');
        const bool tabs = round % 3 == 0;
        for (int i = 0; i < len; ++i)
            s[i] = char(tabs && rng.bounded(20) == 0 ? '\t' : pool[rng.bounded(int(sizeof pool))]);
        std::vector<qint64> xs{0};  // x at each character start
        std::vector<qsizetype> starts{0};
        qint64 x = 0;
        for (qsizetype i = 0; i < s.size(); i += CharLength(s, i)) {
            x += m.CharAdvance(s, i, x);
            xs.push_back(x);
            starts.push_back(i + CharLength(s, i));
        }
        QCOMPARE(m.Width(s), x);
        // Limits anywhere: a character that crosses the limit is included.
        const qsizetype limit = len ? qsizetype(rng.bounded(len)) : 0;
        const auto k = std::lower_bound(starts.begin(), starts.end(), limit) - starts.begin();
        const TBvMetrics::Cursor c = m.Advance(s, {}, limit);
        QCOMPARE(c.offset, starts[size_t(k)]);
        QCOMPARE(c.x, xs[size_t(k)]);
        // Stopping at x: right after the first character that ends beyond it.
        const qint64 maxX = x ? qint64(rng.bounded(quint32(x))) : 0;
        const auto j = std::upper_bound(xs.begin(), xs.end(), maxX) - xs.begin();
        const TBvMetrics::Cursor d = m.AdvanceToX(s, {}, maxX);
        if (size_t(j) < xs.size()) {
            QCOMPARE(d.offset, starts[size_t(j)]);
            QCOMPARE(d.x, xs[size_t(j)]);
        } else {
            QCOMPARE(d.offset, qsizetype(len));
        }
    }
}

void TestBigViewLayout::wrapAtWindowWidth()
{
    auto view = fixture::MakeView(10, 300);
    view->SetWrapByte(0);
    const int client = view->ClientWidth();
    view->Assign(fixture::Lines({"short", QByteArray(500, 'x'), Kanji(120), "", "a\tb\tc"}));
    CheckInvariants(view->Lines(), Probe(*view).RowList());
    QCOMPARE(view->RowLength(0), 5);
    const int cw = view->CharWidth();
    for (int r = 0; r < view->RowCount(); ++r) {
        const TBvRow row = view->Row(r);
        const qint64 w = view->TabbedWidth(view->RowView(r));
        if (!row.Last) {
            // Full rows fill the window up to two columns, and overshoot by at most a character.
            QVERIFY2(w > client - 2 * cw - 2 * view->TabbedWidth("x"), qPrintable(QString::number(w)));
            QVERIFY2(w <= client + view->TabbedWidth(Kanji(1)), qPrintable(QString::number(w)));
        }
    }
    // A line narrower than the client area is one row; a wider one takes several.
    QCOMPARE(view->RowToLine(1), 1);
    QCOMPARE(view->RowToLine(2), 1);
    QVERIFY(view->RowCount() > 5);
}

void TestBigViewLayout::narrowingRewrapsKeepingTopLineAndSelection()
{
    auto view = fixture::MakeView(6, 400);
    view->SetWrapByte(0);
    PlainStrings text;
    for (int i = 0; i < 40; ++i)
        text.Add(QByteArray::number(i) + ":" + QByteArray(60 + i, char('a' + i % 26)));
    view->Assign(text);
    view->SetTopRow(view->LineToRow(20));
    const QPoint anchorLine(5, 21), endLine(30, 22);
    view->SetSelAnchor(view->LinePosToRowPos(anchorLine));
    view->SetSelEnd(view->LinePosToRowPos(endLine));
    const int rowsBefore = view->RowCount();

    view->resize(200, view->height());
    QCOMPARE(view->ClientWidth() < 200, true);
    QVERIFY(view->RowCount() > rowsBefore);
    CheckInvariants(view->Lines(), Probe(*view).RowList());
    QCOMPARE(view->RowToLine(view->TopRow()), 20);
    QCOMPARE(view->Row(view->TopRow()).Sub, 0);
    QCOMPARE(view->RowPosToLinePos(view->SelAnchor()), anchorLine);
    QCOMPARE(view->RowPosToLinePos(view->SelEnd()), endLine);
    QCOMPARE(view->CaretPos(), view->SelEnd());
}

// Switching the wrap on a loaded view (fewer rows afterwards) keeps the top line and the
// selection on their bytes, and the scroll range matches the new rows.
void TestBigViewLayout::wrapChangesKeepEverythingInsideTheRows()
{
    auto view = fixture::MakeView(5, 400);
    view->SetSelect(true);
    view->SetWrapByte(4);
    PlainStrings text;
    for (int i = 0; i < 30; ++i)
        text.Add(QByteArray(20, char('a' + i % 26)));
    view->Assign(text);
    view->SetTopRow(view->RowCount() - 2);
    const int topLine = view->RowToLine(view->TopRow());
    view->SetSelAnchor(view->LinePosToRowPos(QPoint(3, 28)));
    view->SetSelEnd(view->LinePosToRowPos(QPoint(18, 29)));
    view->Redraw();

    view->SetWrapByte(80);
    QCOMPARE(view->RowCount(), 30);
    QCOMPARE(view->RowToLine(view->TopRow()), topLine);
    QVERIFY(view->verticalScrollBar()->maximum() < 30);
    QCOMPARE(view->RowPosToLinePos(view->SelAnchor()), QPoint(3, 28));
    QCOMPARE(view->RowPosToLinePos(view->SelEnd()), QPoint(18, 29));
    view->Redraw();  // reads every selected row: no index error
    view->SetWordWrap(false);
    view->SetWordWrap(true);
    view->SetWrapByte(3);
    CheckInvariants(view->Lines(), Probe(*view).RowList());
    QCOMPARE(view->RowToLine(view->TopRow()), topLine);
    QCOMPARE(view->RowPosToLinePos(view->SelEnd()), QPoint(18, 29));
}

void TestBigViewLayout::hugeLineWrapsAtWindowWidth()
{
    // Four megabytes in one line of mixed text: every row is cut at the window width and the
    // rows cover the line exactly.
    auto view = fixture::MakeView(8, 300);
    view->SetWrapByte(0);
    QByteArray big;
    const QByteArray unit = "abc " + Kanji(2) + "\t";
    while (big.size() < 4 * 1024 * 1024)
        big += unit;
    view->Assign(fixture::Lines({"first", big, "last"}));
    CheckInvariants(view->Lines(), Probe(*view).RowList());
    QVERIFY(view->RowCount() > 4 * 1024 * 1024 / 40);
    QCOMPARE(view->GetRow(view->RowCount() - 1), QByteArray("last"));
}

void TestBigViewLayout::columnUnderXStartsACharacter()
{
    // A short row, and one long enough for the width checkpoints, whose characters straddle the
    // checkpoints' byte offsets. Widths are checked against a plain measure of the prefix.
    auto view = fixture::MakeView(4, 400);
    view->SetWordWrap(false);
    QByteArray longRow = "x";
    while (longRow.size() < 300000)
        longRow += "ab" + Kanji(3) + "\t" + QByteArray("\x81", 1) + "c";
    view->Assign(fixture::Lines({"ab" + Kanji(2) + "cd", longRow}));

    for (int row : {0, 1}) {
        const QByteArrayView text = view->RowView(row);
        const int len = int(text.size());
        auto width = [&](int bytes) { return view->TabbedWidth(text.first(bytes)); };
        QList<qint64> xs;
        for (int k : {0, 1, 2, 3, 4, 5, 6, 7})
            xs << width(qMin(k, len)) - 1 << width(qMin(k, len)) << width(qMin(k, len)) + 3;
        for (int c = 65536; c < len; c += 65536) {
            for (int k = c - 3; k <= c + 3; ++k)
                xs << width(k) - 1 << width(k) << width(k) + 5;
        }
        xs << width(len) - 1 << width(len) + 1 << -5;
        for (qint64 px : std::as_const(xs)) {
            const int whole = view->RowColumnAtX(row, px, true);
            const int bytes = view->RowColumnAtX(row, px, false);
            if (whole > len) {
                QCOMPARE(whole, len + 1);
                QVERIFY(width(len) < px);
                QCOMPARE(bytes, len + 1);
                continue;
            }
            // The character that starts at `whole` is the first whose right edge reaches px.
            QVERIFY2(ByteKind(text, whole) != 2, qPrintable(QStringLiteral("row %1, x %2: column %3 is a trail byte").arg(row).arg(px).arg(whole)));
            QVERIFY(whole == 1 || width(whole - 1) < px);
            QVERIFY(width(qMin(whole + CharLength(text, whole - 1) - 1, len)) >= px);
            // Byte by byte: the smallest prefix that reaches px, the trail byte of the same
            // character or its lead.
            QVERIFY(width(bytes) >= px);
            QVERIFY(bytes == 1 || width(bytes - 1) < px);
            QVERIFY(bytes == whole || (bytes == whole + 1 && ByteKind(text, bytes) == 2));
        }
    }
}

QTEST_MAIN(TestBigViewLayout)
#include "tst_bigview_layout.moc"
