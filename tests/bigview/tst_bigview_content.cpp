// The operations through which text enters and leaves the view: their effect on rows, the
// widest row, scrolling, the selection and repainting, and loading files of every shape.
#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/bigview/BigViewFixture.h"
#include "bigview/BigViewProbe.h"
#include "lines/ListErrors.h"
#include "lines/TBvStrings.h"

using fixture::Kanji;
using fixture::Lines;
using fixture::MakeView;
using fixture::Numbered;

namespace {
QList<QByteArray> AllRows(const TBigView &view)
{
    QList<QByteArray> out;
    for (int r = 0; r < view.RowCount(); ++r)
        out << view.GetRow(r);
    return out;
}
}  // namespace

class TestBigViewContent : public QObject {
    Q_OBJECT
private slots:
    void addReturnsRowCountAndFillsTheWindow();
    void addToAFullWindowNeitherScrollsNorPaints();
    void addStringsAndAssign();
    void clearEmptyView();
    void putRowReplacesOnlyThatRow();
    void deleteLastRowAtTheTop();
    void insertAndExchange();
    void findAndIndexOf();
    void loadFileShapes();
    void loadResetsViewAndGrowsMaxChar();
    void failedLoadLeavesAConsistentView();
    void saveAndStreamsRoundTrip();
    void indexErrorsPropagate();
};

void TestBigViewContent::addReturnsRowCountAndFillsTheWindow()
{
    auto view = MakeView(5);
    view->SetWrapByte(80);
    QCOMPARE(view->Add(QByteArray(200, 'x')), 3);
    QCOMPARE(view->BottomRow(), 2);
    // The new rows are visible at once.
    const qint64 rendered = Probe(*view).RenderedRows();
    QCOMPARE(view->Add("next"), 4);
    QVERIFY(Probe(*view).RenderedRows() > rendered);
    QCOMPARE(view->BottomRow(), 3);
    QCOMPARE(view->LineCount(), 2);
}

void TestBigViewContent::addToAFullWindowNeitherScrollsNorPaints()
{
    auto view = MakeView(5);
    view->Assign(Numbered(5));
    const qint64 rendered = Probe(*view).RenderedRows();
    const qint64 painted = Probe(*view).PaintCount();
    QCOMPARE(view->Add("sixth"), 6);
    QCOMPARE(view->TopRow(), 0);
    QCOMPARE(Probe(*view).RenderedRows(), rendered);
    QCOMPARE(Probe(*view).PaintCount(), painted);
    QCOMPARE(view->verticalScrollBar()->maximum(), 5);
    // A longer row raises MaxChar.
    view->SetWordWrap(false);
    view->Add(QByteArray(3000, 'w'));
    QCOMPARE(view->MaxChar(), 3000);
}

void TestBigViewContent::addStringsAndAssign()
{
    auto view = MakeView(5);
    view->Assign(Numbered(3));
    view->AddStrings(Numbered(4, "M"));
    QCOMPARE(AllRows(*view), (QList<QByteArray>{"L0", "L1", "L2", "M0", "M1", "M2", "M3"}));
    QCOMPARE(view->BottomRow(), 4);
    view->SetSelAnchor(QPoint(1, 1));
    view->SetSelEnd(QPoint(2, 4));
    view->SetTopRow(2);
    view->SetWordWrap(false);
    view->Assign(Lines({"a", QByteArray(900, 'b')}));
    QCOMPARE(view->TopRow(), 0);
    QCOMPARE(view->SelAnchor(), QPoint(0, 0));
    QCOMPARE(view->SelEnd(), QPoint(0, 0));
    QCOMPARE(view->CaretPos(), QPoint(0, 0));
    QCOMPARE(view->MaxChar(), 900);
    PlainStrings out;
    view->AssignTo(out);
    QCOMPARE(out.Count(), 2);
    QCOMPARE(out.Get(1), QByteArray(900, 'b'));
}

void TestBigViewContent::clearEmptyView()
{
    auto view = MakeView(5);
    view->Clear();
    QCOMPARE(view->RowCount(), 0);
    QCOMPARE(view->TopRow(), 0);
    QCOMPARE(view->SelAnchor(), QPoint(0, 0));
    view->Assign(Numbered(40));
    view->SetTopRow(30);
    view->Clear();
    QCOMPARE(view->RowCount(), 0);
    QCOMPARE(view->LineCount(), 0);
    QCOMPARE(view->TopRow(), 0);
    QCOMPARE(view->verticalScrollBar()->maximum(), 1);
    QCOMPARE(Probe(*view).Image().pixelColor(3, 3), view->Color());
}

void TestBigViewContent::putRowReplacesOnlyThatRow()
{
    auto view = MakeView(5);
    view->SetWrapByte(10);
    view->Assign(Lines({"0123456789abcdefghijKLMNO", "tail"}));
    QCOMPARE(view->RowCount(), 4);
    view->PutRow(1, "++");
    QCOMPARE(view->Lines().Get(0), QByteArray("0123456789++KLMNO"));
    QCOMPARE(AllRows(*view), (QList<QByteArray>{"0123456789", "++KLMNO", "tail"}));
    // A row of an empty line takes the text as the whole line.
    view->Add("");
    view->PutRow(3, Kanji(8));
    QCOMPARE(view->GetRow(3), Kanji(5));
    QCOMPARE(view->GetRow(4), Kanji(3));
    const int maxChar = view->MaxChar();
    view->PutRow(0, QByteArray(5000, 'q'));
    QCOMPARE(view->MaxChar(), maxChar);  // PutRow does not widen
}

void TestBigViewContent::deleteLastRowAtTheTop()
{
    auto view = MakeView(5);
    view->Assign(Numbered(10));
    view->SetTopRow(9);
    view->SetSelAnchor(QPoint(1, 9));
    view->SetSelEnd(QPoint(2, 9));
    view->Delete(9);
    QCOMPARE(view->RowCount(), 9);
    QCOMPARE(view->TopRow(), 8);
    QCOMPARE(view->SelAnchor(), QPoint(0, 0));
    QCOMPARE(view->SelEnd(), QPoint(0, 0));
    // Deleting a wrapped line removes all of its rows.
    view->SetWrapByte(2);
    view->Assign(Lines({"abcdef", "gh"}));
    view->Delete(1);
    QCOMPARE(AllRows(*view), (QList<QByteArray>{"gh"}));
}

void TestBigViewContent::insertAndExchange()
{
    auto view = MakeView(5);
    view->SetWrapByte(3);
    view->Assign(Lines({"aaaaa", "bb"}));
    view->Insert(2, "new line here");
    QCOMPARE(AllRows(*view), (QList<QByteArray>{"aaa", "aa", "new", " li", "ne ", "her", "e", "bb"}));
    QCOMPARE(view->MaxChar() >= 255, true);
    view->Exchange(0, 7);
    QCOMPARE(AllRows(*view), (QList<QByteArray>{"bb", "new", " li", "ne ", "her", "e", "aaa", "aa"}));
    const qint64 rendered = Probe(*view).RenderedRows();
    view->Exchange(1, 1);
    QVERIFY(Probe(*view).RenderedRows() > rendered);  // a visible row repaints even without a change
}

void TestBigViewContent::findAndIndexOf()
{
    auto view = MakeView(5);
    view->SetWrapByte(10);
    view->Assign(Lines({"first line", "0123456789xyzNEEDLE", "", "needle"}));
    int row = 0, column = 1;
    QVERIFY(view->Find("needle", row, column));
    QCOMPARE(row, 2);
    QCOMPARE(column, 4);  // "xyzNEEDLE" is the second row of the line
    QVERIFY(view->Find("needle", row, column));  // the position itself matches again
    QCOMPARE(row, 2);
    ++column;
    QVERIFY(view->Find("NEEDLE", row, column));
    QCOMPARE(row, 4);
    QCOMPARE(column, 1);
    row = 0;
    column = 1;
    QVERIFY(!view->Find("absent", row, column));
    QCOMPARE(row, view->RowCount());
    QCOMPARE(column, 1);
    QVERIFY(!view->Find("", row, column));

    QCOMPARE(view->IndexOf("needle"), 4);
    QCOMPARE(view->IndexOf("0123456789xyzNEEDLE"), 1);
    QCOMPARE(view->IndexOf("Needle"), -1);
    QCOMPARE(view->IndexOf("missing"), -1);
}

void TestBigViewContent::loadFileShapes()
{
    QTemporaryDir dir;
    auto view = MakeView(8);
    view->SetWordWrap(false);
    const QString folder = dir.filePath(QStringLiteral("空白 のある folder"));
    auto load = [&](const QByteArray &bytes) {
        const QString path = folder + QStringLiteral("/ファイル name.txt");
        testsupport::WriteBytes(path, bytes);
        view->Clear();
        view->LoadFromFile(path);
        return AllRows(*view);
    };
    QCOMPARE(load(""), QList<QByteArray>());
    QCOMPARE(load("\r\n"), QList<QByteArray>{""});
    QCOMPARE(load("a\rb\nc\r\n"), (QList<QByteArray>{"a", "b\nc"}));
    QCOMPARE(load(QByteArray("x\0y\r\nz", 6)), (QList<QByteArray>{QByteArray("x\0y", 3), "z"}));
    QCOMPARE(load("x\x1Ay\r\n"), QList<QByteArray>{"x"});
    QCOMPARE(load("\x1A" "abc"), QList<QByteArray>());
    const QByteArray broken = QByteArray("ab\x81\r\n\x82", 6);
    QCOMPARE(load(broken), (QList<QByteArray>{QByteArray("ab\x81", 3), QByteArray("\x82", 1)}));
    view->Redraw();  // invalid sequences render without trouble
}

void TestBigViewContent::loadResetsViewAndGrowsMaxChar()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("text.txt"));
    QByteArray bytes;
    for (int i = 0; i < 200; ++i)
        bytes += "line " + QByteArray::number(i) + "\r\n";
    bytes += QByteArray(1234, 'w') + "\r\n";
    testsupport::WriteBytes(path, bytes);

    auto view = MakeView(8);
    view->SetWordWrap(false);
    view->Assign(Numbered(50));
    view->SetTopRow(40);
    view->SetSelAnchor(QPoint(1, 42));
    view->SetSelEnd(QPoint(3, 44));
    QStringList log;
    view->OnViewLineChanged = [&](TBigView *) { log << QString::number(view->TopRow()); };
    view->LoadFromFile(path);
    QCOMPARE(view->RowCount(), 201);
    QCOMPARE(view->TopRow(), 0);
    QCOMPARE(log.last(), QStringLiteral("0"));
    QCOMPARE(view->SelAnchor(), QPoint(0, 0));
    QCOMPARE(view->SelEnd(), QPoint(0, 0));
    QCOMPARE(view->MaxChar(), 1234);
    QCOMPARE(view->verticalScrollBar()->maximum(), 200);
    QCOMPARE(Probe(*view).PaintDeferrals(), 0);
    QCOMPARE(view->GetRow(0), QByteArray("line 0"));
}

void TestBigViewContent::failedLoadLeavesAConsistentView()
{
    QTemporaryDir dir;
    auto view = MakeView(5);
    view->Assign(Numbered(30));
    view->SetTopRow(20);
    QVERIFY_THROWS_EXCEPTION(EInOutError, view->LoadFromFile(dir.filePath("missing.txt")));
    // No row points at a line the store no longer holds.
    QCOMPARE(view->RowCount(), view->LineCount());
    for (int r = 0; r < view->RowCount(); ++r)
        view->GetRow(r);
    view->Redraw();
    QVERIFY(view->TopRow() <= qMax(0, view->RowCount() - 1));
}

void TestBigViewContent::saveAndStreamsRoundTrip()
{
    QTemporaryDir dir;
    auto view = MakeView(5);
    view->SetWrapByte(4);
    const QList<QByteArray> lines{"first line", "", Kanji(5), QByteArray("nul\0inside", 10)};
    view->Assign([&] {
        PlainStrings l;
        for (const QByteArray &b : lines)
            l.Add(b);
        return l;
    }());
    const QString path = dir.filePath(QStringLiteral("out put.txt"));
    view->SaveToFile(path);
    QByteArray expected;
    for (const QByteArray &b : lines)
        expected += b + "\r\n";
    QCOMPARE(testsupport::ReadBytes(path), expected);

    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    view->SaveToStream(buffer);
    QCOMPARE(buffer.data(), expected);
    buffer.seek(0);
    auto other = MakeView(5);
    other->LoadFromStream(buffer);
    // A stream's text ends at its first NUL.
    QCOMPARE(other->LineCount(), 4);
    QCOMPARE(other->Lines().Get(3), QByteArray("nul"));
}

void TestBigViewContent::indexErrorsPropagate()
{
    auto view = MakeView(5);
    view->Assign(Numbered(3));
    QVERIFY_THROWS_EXCEPTION(EListError, view->Delete(3));
    QVERIFY_THROWS_EXCEPTION(EListError, view->PutRow(-1, "x"));
    QVERIFY_THROWS_EXCEPTION(EListError, view->Insert(3, "x"));
    QVERIFY_THROWS_EXCEPTION(EListError, view->Exchange(0, 5));
    QCOMPARE(view->RowCount(), 3);
    QCOMPARE(view->LineCount(), 3);
}

QTEST_MAIN(TestBigViewContent)
#include "tst_bigview_content.moc"
