// The byte rules every floor walks text with: the Shift-JIS lead and trail ranges, character
// lengths and cuts, the "?" encoding, the path helpers and the digit reader.
#include <QtTest>

#include "lines/NumberText.h"
#include "lines/Paths.h"
#include "lines/ShiftJis.h"
#include "tests/TestSupport.h"

using testsupport::Sjis;

class TestByteRules : public QObject {
    Q_OBJECT
private slots:
    void leadByteRangeEdges();
    void trailByteRange();
    void charLengthAtTheLastByte();
    void walkCoversEveryByteOnce();
    void cutNeverSplitsACharacter();
    void encodingForFilesGivesQuestionMarks();
    void folderAndNameParts_data();
    void folderAndNameParts();
    void doubleByteTrailIsNeverASeparator();
    void changeExtension();
    void outputNameTest();
    void digitsAndLimits();
};

void TestByteRules::leadByteRangeEdges()
{
    // The two lead ranges are 0x81-0x9F and 0xE0-0xFC; half-width katakana (0xA1-0xDF) and the
    // unassigned 0x80, 0xA0, 0xFD-0xFF stand alone.
    const QList<QPair<int, bool>> edges = {{0x00, false}, {0x7F, false}, {0x80, false},
                                           {0x81, true},  {0x9F, true},  {0xA0, false},
                                           {0xDF, false}, {0xE0, true},  {0xFC, true},
                                           {0xFD, false}, {0xFF, false}};
    for (const auto &[byte, lead] : edges)
        QVERIFY2(IsLeadByte(static_cast<unsigned char>(byte)) == lead, qPrintable(QString::number(byte, 16)));
    int leads = 0;
    for (int b = 0; b < 256; ++b)
        leads += IsLeadByte(static_cast<unsigned char>(b));
    QCOMPARE(leads, (0x9F - 0x81 + 1) + (0xFC - 0xE0 + 1));
}

void TestByteRules::trailByteRange()
{
    for (int b : {0x40, 0x7E, 0x80, 0xFC})
        QVERIFY(IsTrailByte(static_cast<unsigned char>(b)));
    for (int b : {0x00, 0x3F, 0x7F, 0xFD, 0xFF})
        QVERIFY(!IsTrailByte(static_cast<unsigned char>(b)));
}

void TestByteRules::charLengthAtTheLastByte()
{
    const QByteArray kanji = Sjis("表");  // 0x95 0x5C
    QCOMPARE(CharLength(kanji, 0), 2);
    QCOMPARE(CharLength(kanji, 1), 1);  // a trail byte read by itself is one byte
    // A lead byte that is the text's last byte has nothing to pair with.
    const QByteArray cut = QByteArray("ab") + char(0x81);
    QCOMPARE(CharLength(cut, 2), 1);
    QCOMPARE(CharLength(QByteArray(1, char(0xFC)), 0), 1);
    QCOMPARE(CharLength(QByteArray("\xFC\x40", 2), 0), 2);
    QCOMPARE(CharLength(QByteArray("\xA0\x40", 2), 0), 1);
    QCOMPARE(CharLength(QByteArray("\xDF\x40", 2), 0), 1);
}

void TestByteRules::walkCoversEveryByteOnce()
{
    // A NUL, a lone CR, Ctrl-Z, half-width kana, a double-byte character and a dangling lead.
    const QByteArray text = QByteArray("a\0\r\x1A", 4) + Sjis("ｱ表") + char(0x9F);
    QList<QPair<qsizetype, qsizetype>> chars;
    ForEachChar(text, [&](qsizetype i, qsizetype n) {
        chars.append({i, n});
        return true;
    });
    const QList<QPair<qsizetype, qsizetype>> expected = {{0, 1}, {1, 1}, {2, 1}, {3, 1},
                                                         {4, 1}, {5, 2}, {7, 1}};
    QCOMPARE(chars, expected);
    int visits = 0;
    ForEachChar(text, [&](qsizetype, qsizetype) { return ++visits < 2; });
    QCOMPARE(visits, 2);  // false stops the walk
}

void TestByteRules::cutNeverSplitsACharacter()
{
    const QByteArray text = "ab" + Sjis("表示") + "c";  // a b [95 5C] [8E A6] c
    QCOMPARE(CutAtCharBoundary(text, 0).size(), 0);
    QCOMPARE(CutAtCharBoundary(text, 2).size(), 2);
    QCOMPARE(CutAtCharBoundary(text, 3).size(), 2);  // would end inside 表
    QCOMPARE(CutAtCharBoundary(text, 4).size(), 4);
    QCOMPARE(CutAtCharBoundary(text, 5).size(), 4);
    QCOMPARE(CutAtCharBoundary(text, 6).size(), 6);
    QCOMPARE(CutAtCharBoundary(text, 100).size(), text.size());
    // A trail byte that looks like a lead byte (0x95 0x9F) does not shift the boundaries.
    const QByteArray tricky = QByteArray("\x95\x9F\x95\x9F", 4);
    QCOMPARE(CutAtCharBoundary(tricky, 3).size(), 2);
    // A dangling lead byte at the end is a character of its own.
    QCOMPARE(CutAtCharBoundary(QByteArray("a\x81", 2), 2).size(), 2);
}

void TestByteRules::encodingForFilesGivesQuestionMarks()
{
    QCOMPARE(EncodeCp932OrQuestion(u"表示 ｱ\\"), Sjis("表示 ｱ") + "\\");
    // Hangul and a character beyond the basic plane (one "?", not one per surrogate).
    QCOMPARE(EncodeCp932OrQuestion(u"a한b"), QByteArray("a?b"));
    QCOMPARE(EncodeCp932OrQuestion(QString::fromUtf8("x\xF0\x9F\x98\x80y")), QByteArray("x?y"));
    QCOMPARE(EncodeCp932OrQuestion(u""), QByteArray());
    // The round trip of every text the code page holds.
    const QByteArray sjis = Sjis("ファイル名①髙");
    QCOMPARE(EncodeCp932OrQuestion(DecodeCp932(sjis)), sjis);
}

void TestByteRules::folderAndNameParts_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::newRow("nested") << "/A/x.txt" << "/A/" << "x.txt";
    QTest::newRow("root") << "/y.txt" << "/" << "y.txt";
    QTest::newRow("bare name") << "x.txt" << "" << "x.txt";
    QTest::newRow("folder only") << "/tmp/" << "/tmp/" << "";
    QTest::newRow("blanks and kana") << "/home/u/入力 ファイル/メモ 1.txt" << "/home/u/入力 ファイル/" << "メモ 1.txt";
    QTest::newRow("empty") << "" << "" << "";
}

void TestByteRules::folderAndNameParts()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QCOMPARE(ExtractFilePath(path), folder);
    QCOMPARE(ExtractFileName(path), name);
}

void TestByteRules::doubleByteTrailIsNeverASeparator()
{
    // In CP932 bytes, "ソ" is 0x83 0x5C and "表" 0x95 0x5C: only real separators split.
    const QByteArray sjis = "/d/" + Sjis("ソ表") + "/f" + Sjis("表") + ".txt";
    QCOMPARE(ExtractFilePath(QByteArrayView(sjis)), "/d/" + Sjis("ソ表") + "/");
    QCOMPARE(ExtractFileName(QByteArrayView(sjis)), "f" + Sjis("表") + ".txt");
    // UTF-8 names: a byte that looks like a lead byte must not swallow a following "/".
    const QByteArray utf8 = QString("/ぁ/ぃ.txt").toUtf8();  // E3 81 81 2F ...
    QCOMPARE(ExtractFilePath(QByteArrayView(utf8)), QString("/ぁ/").toUtf8());
    QCOMPARE(ExtractFileName(QString("/ぁ/ぃ.txt")), QString("ぃ.txt"));
}

void TestByteRules::changeExtension()
{
    QCOMPARE(ChangeFileExt(QString("/opt/talvo/TALVO"), QString(".INI")), QString("/opt/talvo/TALVO.INI"));
    QCOMPARE(ChangeFileExt(QString("/opt/talvo/talvo.bin"), QString(".INI")), QString("/opt/talvo/talvo.INI"));
    // A dot in a folder name is not an extension.
    QCOMPARE(ChangeFileExt(QString("/opt/v1.2/TALVO"), QString(".TXT")), QString("/opt/v1.2/TALVO.TXT"));
    QCOMPARE(ChangeFileExt(QString("/a/b.c.d"), QString(".HLP")), QString("/a/b.c.HLP"));
}

void TestByteRules::outputNameTest()
{
    QVERIFY(IsMissingOutputName(""));
    QVERIFY(IsMissingOutputName("/tmp/"));
    QVERIFY(!IsMissingOutputName("/tmp"));
    QVERIFY(!IsMissingOutputName("out.txt"));
    QVERIFY(!IsMissingOutputName(" "));
}


void TestByteRules::digitsAndLimits()
{
    QCOMPARE(ParseDigits("0", 10, 0), 0);
    QCOMPARE(ParseDigits("2147483647", 10, 2147483647), 2147483647);
    QCOMPARE(ParseDigits("2147483648", 10, 2147483647), std::nullopt);
    QCOMPARE(ParseDigits("00000000000000000000001", 10, 1), 1);  // leading zeros never overflow
    QCOMPARE(ParseDigits("99999999999999999999999", 10, 2147483647), std::nullopt);
    QCOMPARE(ParseDigits("fF", 16, 255), 255);
    QCOMPARE(ParseDigits("100", 16, 255), std::nullopt);
    QCOMPARE(ParseDigits("", 10, 10), std::nullopt);
    QCOMPARE(ParseDigits("1a", 10, 100), std::nullopt);
    QCOMPARE(ParseDigits("g", 16, 100), std::nullopt);
    QCOMPARE(ParseDigits("-1", 10, 100), std::nullopt);
    QCOMPARE(ParseDigits(" 1", 10, 100), std::nullopt);
    QCOMPARE(ParseDigits(Sjis("１"), 10, 100), std::nullopt);  // full-width digits are not digits
}

QTEST_GUILESS_MAIN(TestByteRules)
#include "tst_byte_rules.moc"
