// The view in every encoding it shows: rows wrapped by cells and never inside a character,
// caret and word selection by characters, copying the selection, and the view's Find.
#include <QClipboard>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/bigview/BigViewFixture.h"
#include "bigview/rules/BvRows.h"
#include "platform/VirtualKeys.h"
#include "lines/TBvStrings.h"
#include "tests/TestSupport.h"

namespace {
constexpr TextEncoding Encodings[] = {TextEncoding::ShiftJis, TextEncoding::Utf8, TextEncoding::EucJp,
                                      TextEncoding::Utf16Le, TextEncoding::Utf16Be};

QByteArray Encode(TextEncoding encoding, const QString &text)
{
    const std::optional<QByteArray> bytes = EncodeText(encoding, text);
    if (!bytes)
        qFatal("test text not encodable");
    return *bytes;
}

QByteArray Break(TextEncoding encoding) { return Encode(encoding, u"\r\n"_qs); }

// Lines of random text every encoding holds (ASCII, half-width kana, kanji, full-width forms),
// with invalid bytes of the encoding mixed in, and cut short at the line's end now and then.
QByteArray RandomText(TextEncoding encoding, QRandomGenerator &random, int lines)
{
    static const QString pieces[] = {u"a"_qs, u"Z"_qs, u" "_qs, u"\t"_qs, u"ｱ"_qs, u"ﾞ"_qs, u"漢"_qs,
                                     u"字"_qs, u"Ａ"_qs, u"の"_qs, u"ー"_qs, u"1"_qs, u"_"_qs};
    const QByteArray invalid = encoding == TextEncoding::Utf8 ? QByteArray("\xE6\x97", 2)    // cut short
                               : encoding == TextEncoding::EucJp ? QByteArray("\x8F\xA1", 2)  // cut short
                               : IsUtf16(encoding) ? QByteArray("\x00\xDC", 2)                 // lone low surrogate
                                                   : QByteArray("\x81", 1);
    QByteArray out;
    for (int l = 0; l < lines; ++l) {
        const int length = int(random.bounded(120));
        for (int i = 0; i < length; ++i) {
            if (random.bounded(30) == 0)
                out += invalid;
            else
                out += Encode(encoding, pieces[random.bounded(int(std::size(pieces)))]);
        }
        if (random.bounded(5) == 0)
            out += invalid;
        out += Break(encoding);
    }
    return out;
}

QString Name(TextEncoding e)
{
    for (const EncodingMenuEntry &entry : EncodingMenu)
        if (entry.encoding == e)
            return QString::fromUtf16(entry.caption);
    return QString();
}
}  // namespace

class TestBigViewEncodings : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(dir_.isValid()); }

    // The row-layout rules once per encoding: rows cover each line in order, hold at most the
    // wrap's cells (or one character wider than that), take every character that fits, and never
    // end inside a character; in Shift-JIS exactly the byte rule.
    void rowsWrapByCellsNeverInsideACharacter_data()
    {
        QTest::addColumn<int>("encoding");
        for (TextEncoding e : Encodings)
            QTest::newRow(qPrintable(Name(e))) << int(e);
    }
    void rowsWrapByCellsNeverInsideACharacter()
    {
        QFETCH(int, encoding);
        const TextEncoding e = TextEncoding(encoding);
        QRandomGenerator random(4711 + encoding);
        const QString path = dir_.filePath(u"rows ファイル.txt"_qs);
        testsupport::WriteBytes(path, RandomText(e, random, 60));
        TBvStrings store;
        store.LoadFromFile(QFile::encodeName(path), e);
        QCOMPARE(store.Encoding(), e);
        TBvRows rows;
        for (int wrap : {1, 2, 3, 7, 40, 80}) {
            rows.LayoutFrom(store, 0, true, wrap, {});
            int row = 0;
            for (int line = 0; line < store.Count(); ++line) {
                const QByteArrayView text = store.View(line);
                QCOMPARE(rows.LineToRow(line), row);
                qsizetype at = 0;
                do {
                    const TBvRow r = rows.At(row++);
                    QCOMPARE(r.Line, line);
                    QCOMPARE(qsizetype(std::max(r.Start, 1)) - 1, at);
                    const QByteArrayView cut = text.sliced(at, r.Len);
                    // Whole characters: the row ends on a boundary of the line's walk.
                    QVERIFY(IsCharBoundary(e, text, at + r.Len));
                    // At most `wrap` cells, unless it holds one character; and the next
                    // character would not have fitted.
                    const qsizetype cells = CellCount(e, cut);
                    if (cells > wrap)
                        QCOMPARE(r.Len, CharLength(e, text, at));
                    if (at + r.Len < text.size() && e != TextEncoding::ShiftJis)
                        QVERIFY(cells + CharCells(e, text, at + r.Len) > wrap);
                    if (e == TextEncoding::ShiftJis)
                        QCOMPARE(qsizetype(r.Len), std::min<qsizetype>(TBvRows::FitCount(e, text, int(at) + 1, wrap), text.size() - at));
                    at += r.Len;
                } while (at < text.size());
            }
            QCOMPARE(row, rows.Count());
        }
    }

    void viewMovesAndSelectsByCharacters()
    {
        auto view = fixture::MakeView(6, 500);
        view->SetCaret(true);
        view->SetSelect(true);
        const QString path = dir_.filePath("u8.txt");
        // "ab" then three 3-byte characters, an invalid byte and "cd".
        testsupport::WriteBytes(path, QByteArray("ab") + QStringLiteral("日本語").toUtf8() + "\xFF" + "cd_e f\r\n"
                                          + QStringLiteral("全角ＡＢ").toUtf8());
        // Not valid UTF-8 (the invalid byte): chosen, as the viewer's menu would.
        view->SetEncodingChoice(TextEncoding::Utf8);
        view->LoadFromFile(QFile::encodeName(path));
        QCOMPARE(view->Encoding(), TextEncoding::Utf8);
        view->PlaceCaret(QPoint(3, 0));
        view->setFocus();
        int key = vk::Right;
        view->KeyDown(key, 0);
        QCOMPARE(view->CaretPos(), QPoint(6, 0));  // past 日
        key = vk::Left;
        view->KeyDown(key, 0);
        QCOMPARE(view->CaretPos(), QPoint(3, 0));
        // Down keeps the cell column: cell 4 of row 0 (after "ab日") is 全角's second character.
        view->PlaceCaret(QPoint(6, 0));
        key = vk::Down;
        view->KeyDown(key, 0);
        QCOMPARE(view->CaretPos(), QPoint(7, 1));
        // Shift+Right selects, and the copy is the text of whole characters.
        key = vk::Right;
        view->KeyDown(key, ssShift);
        view->KeyDown(key, ssShift);
        QCOMPARE(view->SelectedText(), QStringLiteral("ＡＢ"));

        // A word is a run of ASCII word characters; a kanji or an invalid byte stands alone.
        const int y = view->LineHeight() / 2;
        const qint64 xAfterInvalid = view->RowPrefixWidth(0, 12) + 2;  // inside "cd_e"
        view->SelectWord(QPoint(int(xAfterInvalid), y));
        QCOMPARE(view->SelectedText(), QStringLiteral("cd_e"));
        view->SelectWord(QPoint(int(view->RowPrefixWidth(0, 11)) + 2, y));
        QCOMPARE(view->SelectedText(), QString(QChar(0xFFFD)));
        view->SelectWord(QPoint(int(view->RowPrefixWidth(0, 5)) + 2, y));
        QCOMPARE(view->SelectedText(), QStringLiteral("本"));
    }

    void copyKeysPutTheSelectionOnTheClipboard()
    {
        auto view = fixture::MakeView(6, 200);
        view->SetSelect(true);
        const QString path = dir_.filePath("euc.txt");
        // EUC-JP with a JIS X 0212 character, wrapped over several rows: copied as lines.
        testsupport::WriteBytes(path, QByteArray("\xC6\xFC\xCB\xDC\x8F\xB0\xA1xyz").repeated(6) + "\r\n"
                                          + QByteArray("\xA4\xA2\x00\xA4\xA4", 5) + "\r\n");
        view->LoadFromFile(QFile::encodeName(path));
        QCOMPARE(view->Encoding(), TextEncoding::EucJp);
        QVERIFY(view->RowCount() > 2);
        QGuiApplication::clipboard()->setText(u"before"_qs);
        int key = vk::C;
        view->KeyDown(key, ssCtrl);
        QCOMPARE(QGuiApplication::clipboard()->text(), u"before"_qs);  // no selection: kept

        view->SetSelAnchor(QPoint(1, 0));
        view->SetSelEnd(QPoint(view->RowLength(view->RowCount() - 1) + 1, view->RowCount() - 1));
        key = vk::Insert;
        QVERIFY(view->KeyDown(key, ssCtrl));
        const QString line0 = DecodeText(TextEncoding::EucJp, view->Lines().View(0));
        QVERIFY(line0.startsWith(u"日本"_qs));
        QCOMPARE(QGuiApplication::clipboard()->text(), line0 + u"\nあ\u0000い"_qs);
        // Ctrl+Shift+C is no copy key.
        QGuiApplication::clipboard()->setText(u"kept"_qs);
        key = vk::C;
        view->KeyDown(key, ssCtrl | ssShift);
        QCOMPARE(QGuiApplication::clipboard()->text(), u"kept"_qs);
    }

    void hugeLinesWrapAtTheWindowWidth_data() { rowsWrapByCellsNeverInsideACharacter_data(); }
    void hugeLinesWrapAtTheWindowWidth()
    {
        QFETCH(int, encoding);
        const TextEncoding e = TextEncoding(encoding);
        // A 20 MB line of each encoding, ending in a cut character.
        const QByteArray unit = Encode(e, u"漢字かなｶﾅ ab\t"_qs);
        QByteArray line = unit.repeated(20'000'000 / unit.size());
        line += e == TextEncoding::Utf8 ? QByteArray("\xE6") : e == TextEncoding::Utf16Le ? QByteArray("\x3D") : QByteArray("\x81");
        const QString path = dir_.filePath("huge.txt");
        testsupport::WriteBytes(path, line);
        auto view = fixture::MakeView(6, 300);
        view->SetEncodingChoice(e);
        view->LoadFromFile(QFile::encodeName(path));
        QCOMPARE(view->Encoding(), e);
        QVERIFY(view->RowCount() > 1000);
        // Rows near the start, the middle and the end hold whole characters.
        const QByteArrayView text = view->Lines().View(0);
        for (int row : {0, 1, view->RowCount() / 2, view->RowCount() - 2, view->RowCount() - 1}) {
            const TBvRow r = view->Row(row);
            QVERIFY(r.Len > 0);
            QVERIFY(IsCharBoundary(e, text, r.Start - 1, r.Start > 1 ? view->Row(row - 1).Start - 1 : 0));
            QVERIFY(IsCharBoundary(e, text, r.Start - 1 + r.Len, r.Start - 1));
        }
    }

    // Wrapped at the window width, every row fits the window: no character is drawn past the
    // right edge, whatever mix of wide, narrow and half-width characters the line holds.
    // (Shift-JIS keeps its byte estimate made once per line, which may end a row a few pixels
    // past the edge.)
    void rowsFitTheWindowWidth_data() { rowsWrapByCellsNeverInsideACharacter_data(); }
    void rowsFitTheWindowWidth()
    {
        QFETCH(int, encoding);
        const TextEncoding e = TextEncoding(encoding);
        if (e == TextEncoding::ShiftJis)
            QSKIP("Shift-JIS wraps by its own estimate");
        QByteArray text;
        text += Encode(e, u"日本語の長い行：あいうえおかきくけこ漢字カタカナｶﾀｶﾅ ABC "_qs.repeated(12));
        text += Break(e);
        QRandomGenerator random(20261209);
        static const QString pieces[] = {u"a"_qs, u"Z"_qs, u" "_qs, u"ｱ"_qs, u"漢"_qs, u"Ａ"_qs, u"の"_qs};
        for (int l = 0; l < 40; ++l) {
            const int length = int(random.bounded(300));
            for (int i = 0; i < length; ++i)
                text += Encode(e, pieces[random.bounded(int(std::size(pieces)))]);
            text += Break(e);
        }
        const QString path = dir_.filePath("mixed.txt");
        testsupport::WriteBytes(path, text);
        for (const int width : {300, 401, 617}) {
            auto view = fixture::MakeView(6, width);
            view->SetEncodingChoice(e);
            view->LoadFromFile(QFile::encodeName(path));
            QVERIFY(view->RowCount() > 41);
            for (int row = 0; row < view->RowCount(); ++row) {
                const qint64 w = view->RowPrefixWidth(row, view->Row(row).Len);
                if (w > view->ClientWidth())
                    QFAIL(qPrintable(QString("width %1, row %2: %3 pixels for %4").arg(width).arg(row).arg(w).arg(view->ClientWidth())));
            }
        }
    }

    // A new wrap laid out on a worker (a long line sends it there) measures in the file's
    // encoding, as the layout on the window thread does.
    void rewrapOnAWorkerMeasuresInTheEncoding_data() { rowsWrapByCellsNeverInsideACharacter_data(); }
    void rewrapOnAWorkerMeasuresInTheEncoding()
    {
        QFETCH(int, encoding);
        const TextEncoding e = TextEncoding(encoding);
        QByteArray text = Encode(e, u"漢字かなｶﾅ abc "_qs.repeated(6000)) + Break(e);
        text += Encode(e, u"日本語 text ｶﾀｶﾅ"_qs.repeated(20)) + Break(e);
        const QString path = dir_.filePath("rewrap.txt");
        testsupport::WriteBytes(path, text);
        auto direct = fixture::MakeView(6, 401);
        direct->SetEncodingChoice(e);
        direct->LoadFromFile(QFile::encodeName(path));
        auto rewrapped = fixture::MakeView(6, 401);
        rewrapped->SetWrapByte(80);
        rewrapped->SetEncodingChoice(e);
        rewrapped->LoadFromFile(QFile::encodeName(path));
        QVERIFY(rewrapped->Rewrap(true, 0));
        QCOMPARE(rewrapped->RowCount(), direct->RowCount());
        for (int row = 0; row < direct->RowCount(); ++row)
            QCOMPARE(rewrapped->Row(row).Start, direct->Row(row).Start);
    }

    // The horizontal range reaches the longest line's last cell, not its last byte: unwrapped,
    // and wrapped at a count, where no row holds more cells than that.
    void horizontalRangeCountsCells_data() { rowsWrapByCellsNeverInsideACharacter_data(); }
    void horizontalRangeCountsCells()
    {
        QFETCH(int, encoding);
        const TextEncoding e = TextEncoding(encoding);
        const QByteArray text = Encode(e, u"漢字かな"_qs.repeated(75)) + Break(e) + Encode(e, u"ascii ｶﾅ"_qs.repeated(40)) + Break(e);
        const QString path = dir_.filePath("range.txt");
        testsupport::WriteBytes(path, text);
        auto view = fixture::MakeView(6, 300);
        view->SetWordWrap(false);
        view->SetEncodingChoice(e);
        view->LoadFromFile(QFile::encodeName(path));
        QCOMPARE(view->MaxChar(), 600);  // 300 wide characters; the second line has 320 cells
        // Wrapped at 255 cells (the range's least, so it only grows past it by counting bytes).
        auto wrapped = fixture::MakeView(6, 300);
        wrapped->SetWrapByte(255);
        wrapped->SetEncodingChoice(e);
        wrapped->LoadFromFile(QFile::encodeName(path));
        QCOMPARE(wrapped->MaxChar(), 255);
    }

    void findTextEncodesTheSearch()
    {
        auto view = fixture::MakeView();
        const QString path = dir_.filePath("be.txt");
        testsupport::WriteBytes(path, "\xFE\xFF" + Encode(TextEncoding::Utf16Be, u"abc\r\nxx漢字 ABC\r\n"_qs));
        view->LoadFromFile(QFile::encodeName(path));
        QCOMPARE(view->Encoding(), TextEncoding::Utf16Be);
        int row = 0, column = 1;
        QVERIFY(view->FindText(u"字 abc"_qs, row, column));
        QCOMPARE(QPoint(column, row), QPoint(7, 1));
        row = 0, column = 1;
        QVERIFY(!view->FindText(u"\U0001F600"_qs.left(1), row, column));  // a lone surrogate cannot be encoded
    }

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(TestBigViewEncodings)
#include "tst_bigview_encodings.moc"
