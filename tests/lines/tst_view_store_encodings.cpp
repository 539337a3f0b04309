// The view's line store in the encodings it detects: which encoding a file is read in, where
// its lines break (UTF-16 by 16-bit units), byte-order marks, and Find in the file's encoding.
#include <QPoint>
#include <QTemporaryDir>
#include <QtTest>

#include "lines/TBvStrings.h"
#include "tests/TestSupport.h"

namespace {
QByteArray Utf16(const QString &text, bool bigEndian)
{
    QByteArray out;
    for (QChar c : text) {
        const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
        out += bigEndian ? QByteArray{&hi, 1} + QByteArray{&lo, 1} : QByteArray{&lo, 1} + QByteArray{&hi, 1};
    }
    return out;
}

QList<QByteArray> LinesOf(const TBvStrings &store)
{
    QList<QByteArray> out;
    for (int i = 0; i < store.Count(); ++i)
        out << store.Get(i);
    return out;
}
}  // namespace

class TestViewStoreEncodings : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(dir_.isValid()); }

    void detectsTheEncodingOfEachFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("encoding");
        const QByteArray utf8 = QStringLiteral("日本語のテキスト\r\n二行目").toUtf8();
        QTest::newRow("utf-8") << utf8 << int(TextEncoding::Utf8);
        QTest::newRow("utf-8 bom, ascii") << QByteArray("\xEF\xBB\xBF" "abc") << int(TextEncoding::Utf8);
        QTest::newRow("ascii stays shift-jis") << QByteArray("abc\r\ndef") << int(TextEncoding::ShiftJis);
        QTest::newRow("shift-jis") << testsupport::Sjis(QStringLiteral("日本語ﾃｷｽﾄ")) << int(TextEncoding::ShiftJis);
        QTest::newRow("euc-jp") << QByteArray("\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE") << int(TextEncoding::EucJp);
        QTest::newRow("utf-16le bom") << QByteArray("\xFF\xFE") + Utf16(u"a\r\nb"_qs, false) << int(TextEncoding::Utf16Le);
        QTest::newRow("utf-16be bom") << QByteArray("\xFE\xFF") + Utf16(u"a\r\nb"_qs, true) << int(TextEncoding::Utf16Be);
        // UTF-8 for the whole first megabyte and Shift-JIS after it: read as UTF-8, nothing lost.
        QByteArray mixed = QStringLiteral("あ").toUtf8().repeated(EncodingProbeBytes / 3 + 10);
        mixed += "\r\n" + testsupport::Sjis(QStringLiteral("漢字"));
        QTest::newRow("utf-8 then shift-jis") << mixed << int(TextEncoding::Utf8);
    }
    void detectsTheEncodingOfEachFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, encoding);
        const QString path = dir_.filePath(u"a file ファイル.txt"_qs);
        testsupport::WriteBytes(path, bytes);
        TBvStrings store;
        store.LoadFromFile(QFile::encodeName(path), std::nullopt);
        QCOMPARE(int(store.Encoding()), encoding);
        // The lines hold every byte but the byte-order mark and the breaks.
        QByteArray joined;
        for (const QByteArray &line : LinesOf(store))
            joined += line;
        const qsizetype mark = ByteOrderMarkLength(TextEncoding(encoding), bytes);
        QByteArray expected = bytes.sliced(mark);
        expected.replace(IsUtf16(TextEncoding(encoding)) ? QByteArray() : QByteArray("\r\n"), QByteArray());
        if (!IsUtf16(TextEncoding(encoding)))
            QCOMPARE(joined, expected);
        // Anything else that comes in is Shift-JIS again.
        store.Clear();
        QCOMPARE(store.Encoding(), TextEncoding::ShiftJis);
    }

    void aChosenEncodingOverridesDetection()
    {
        const QString path = dir_.filePath("utf8.txt");
        testsupport::WriteBytes(path, QStringLiteral("あいう\r\nえお").toUtf8());
        TBvStrings store;
        store.LoadFromFile(QFile::encodeName(path), TextEncoding::ShiftJis);
        QCOMPARE(store.Encoding(), TextEncoding::ShiftJis);
        QCOMPARE(store.Count(), 2);
        store.LoadFromFile(QFile::encodeName(path), TextEncoding::Utf16Le);
        QCOMPARE(store.Encoding(), TextEncoding::Utf16Le);
        // Nine bytes of UTF-8, then CR LF bytes that are no UTF-16 break: one line of all bytes.
        QCOMPARE(store.Count(), 1);
        QCOMPARE(store.Get(0), QStringLiteral("あいう\r\nえお").toUtf8());
    }

    void utf16SplitsOnUnitsAndEndsAtCtrlZ()
    {
        // CR LF, a lone CR and a lone LF as units; a byte 0x0D inside a unit (U+0D0A) is no
        // break; a Ctrl-Z unit ends the text; an odd last byte stays in the last line.
        const QByteArray body = Utf16(u"ab\r\nc\rd\ne\u0D0Af"_qs, false);
        const QString path = dir_.filePath("le.txt");
        testsupport::WriteBytes(path, "\xFF\xFE" + body + QByteArray("\x7A"));
        TBvStrings store;
        store.LoadFromFile(QFile::encodeName(path), std::nullopt);
        QCOMPARE(store.Encoding(), TextEncoding::Utf16Le);
        QCOMPARE(LinesOf(store), (QList<QByteArray>{Utf16(u"ab"_qs, false), Utf16(u"c"_qs, false),
                                                    Utf16(u"d"_qs, false), Utf16(u"e\u0D0Af"_qs, false) + "\x7A"}));

        testsupport::WriteBytes(path, "\xFE\xFF" + Utf16(u"x\r\ny\u001Az\r\n"_qs, true));
        store.LoadFromFile(QFile::encodeName(path), std::nullopt);
        QCOMPARE(LinesOf(store), (QList<QByteArray>{Utf16(u"x"_qs, true), Utf16(u"y"_qs, true)}));

        // NUL units are text, and a file that is only a mark has no lines.
        testsupport::WriteBytes(path, "\xFF\xFE" + Utf16(u"\u0000\u0000a"_qs, false));
        store.LoadFromFile(QFile::encodeName(path), std::nullopt);
        QCOMPARE(store.Count(), 1);
        QCOMPARE(store.LineLength(0), 6);
        testsupport::WriteBytes(path, "\xFF\xFE");
        store.LoadFromFile(QFile::encodeName(path), std::nullopt);
        QCOMPARE(store.Count(), 0);
    }

    void utf8MarkIsNoPartOfTheMappedFirstLine()
    {
        const QString path = dir_.filePath("bom.txt");
        testsupport::WriteBytes(path, "\xEF\xBB\xBF" + QStringLiteral("一\r\n二\r\n").toUtf8());
        TBvStrings store;
        store.LoadFromFile(QFile::encodeName(path), std::nullopt);
        QVERIFY(store.FileIndex());
        QCOMPARE(LinesOf(store), (QList<QByteArray>{QStringLiteral("一").toUtf8(), QStringLiteral("二").toUtf8()}));
        // Read as Shift-JIS the same bytes keep their mark, as every byte was kept before.
        store.LoadFromFile(QFile::encodeName(path), TextEncoding::ShiftJis);
        QCOMPARE(store.Get(0), QByteArray("\xEF\xBB\xBF") + QStringLiteral("一").toUtf8());
    }

    void findMatchesWholeCharactersOnly()
    {
        // EUC-JP: "\xA4\xA2\xA4\xA4" (あい) holds the bytes "\xA2\xA4" across two characters.
        const QString path = dir_.filePath("euc.txt");
        testsupport::WriteBytes(path, QByteArray("\xA4\xA2\xA4\xA4\r\nx\xC6\xFC\xA2\xA4y"));
        TBvStrings store;
        store.LoadFromFile(QFile::encodeName(path), TextEncoding::EucJp);
        int line = 0, column = 1;
        QVERIFY(store.Find("\xA2\xA4", line, column));
        QCOMPARE(QPoint(column, line), QPoint(4, 1));
        line = 0, column = 1;
        QVERIFY(!store.Find("\xA2\xA4\xA4", line, column));
        QCOMPARE(line, store.Count());

        // UTF-16: without case distinction only ASCII units fold; the low byte of U+3061 is
        // 'a', and U+3041's is 'A', which must not make them the same character.
        const QString le = dir_.filePath("le.txt");
        testsupport::WriteBytes(le, "\xFF\xFE" + Utf16(u"\u3041 Abc"_qs, false));
        store.LoadFromFile(QFile::encodeName(le), std::nullopt);
        line = 0, column = 1;
        QVERIFY(!store.Find(Utf16(u"\u3061"_qs, false), line, column));
        line = 0, column = 1;
        QVERIFY(store.Find(Utf16(u"aBC"_qs, false), line, column));
        QCOMPARE(column, 5);
        // A match at an odd byte (inside a unit) is no match.
        line = 0, column = 1;
        QVERIFY(!store.Find(QByteArray("\x30\x20", 2), line, column));
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(TestViewStoreEncodings)
#include "tst_view_store_encodings.moc"
