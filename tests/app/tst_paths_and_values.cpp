// Path helpers and the settings value conversions.
#include <QtTest>

#include "Paths.h"
#include "TestSupport.h"
#include "TextValues.h"

using testsupport::Sjis;

class TestPathsAndValues : public QObject {
    Q_OBJECT
private slots:
    void folderAndNameParts_data();
    void folderAndNameParts();
    void doubleByteTrailIsNeverASeparator();
    void changeExtension();
    void outputNameTest();
    void strictIntegers();
    void booleanText();
    void colourNamesAndNumbers();
};

void TestPathsAndValues::folderAndNameParts_data()
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

void TestPathsAndValues::folderAndNameParts()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QCOMPARE(ExtractFilePath(path), folder);
    QCOMPARE(ExtractFileName(path), name);
}

void TestPathsAndValues::doubleByteTrailIsNeverASeparator()
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

void TestPathsAndValues::changeExtension()
{
    QCOMPARE(ChangeFileExt(QString("/opt/talvo/TALVO"), QString(".INI")), QString("/opt/talvo/TALVO.INI"));
    QCOMPARE(ChangeFileExt(QString("/opt/talvo/talvo.bin"), QString(".INI")), QString("/opt/talvo/talvo.INI"));
    // A dot in a folder name is not an extension.
    QCOMPARE(ChangeFileExt(QString("/opt/v1.2/TALVO"), QString(".TXT")), QString("/opt/v1.2/TALVO.TXT"));
    QCOMPARE(ChangeFileExt(QString("/a/b.c.d"), QString(".HLP")), QString("/a/b.c.HLP"));
}

void TestPathsAndValues::outputNameTest()
{
    QVERIFY(IsMissingOutputName(""));
    QVERIFY(IsMissingOutputName("/tmp/"));
    QVERIFY(!IsMissingOutputName("/tmp"));
    QVERIFY(!IsMissingOutputName("out.txt"));
    QVERIFY(!IsMissingOutputName(" "));
}

void TestPathsAndValues::strictIntegers()
{
    QCOMPARE(StrToInt("80"), 80);
    QCOMPARE(StrToInt("-14"), -14);
    QCOMPARE(StrToInt("+7"), 7);
    QCOMPARE(StrToInt("$1F"), 31);
    QCOMPARE(StrToInt("-$10"), -16);
    QCOMPARE(StrToInt("2147483647"), 2147483647);
    QCOMPARE(StrToInt("-2147483648"), int(-2147483648LL));
    QCOMPARE(StrToInt("2147483648"), std::nullopt);
    QCOMPARE(StrToInt(""), std::nullopt);
    QCOMPARE(StrToInt("12a"), std::nullopt);
    QCOMPARE(StrToInt(" 12"), std::nullopt);
    QCOMPARE(StrToInt("$"), std::nullopt);
    QCOMPARE(StrToInt("0x10"), std::nullopt);
}

void TestPathsAndValues::booleanText()
{
    QCOMPARE(StrToIntBool("0x10"), 16);
    QCOMPARE(StrToIntBool("0X0"), 0);
    QCOMPARE(StrToIntBool("0x"), std::nullopt);
    QCOMPARE(StrToIntBool("1"), 1);
    QCOMPARE(StrToIntBool("yes"), std::nullopt);
}

void TestPathsAndValues::colourNamesAndNumbers()
{
    QCOMPARE(ColorToString(0x0000FF), QByteArray("clRed"));
    QCOMPARE(ColorToString(0x123456), QByteArray("$00123456"));
    QCOMPARE(ColorToString(clWindow), QByteArray("clWindow"));
    QCOMPARE(ColorToString(SystemColor(24)), QByteArray("clInfoBk"));
    QCOMPARE(ColorToString(clNone), QByteArray("clNone"));
    QCOMPARE(StringToColor("CLRED"), TColor(0x0000FF));
    QCOMPARE(StringToColor("clwindow"), TColor(0x80000005));
    QCOMPARE(StringToColor("$00123456"), TColor(0x123456));
    QCOMPARE(StringToColor("$80000008"), clWindowText);
    QCOMPARE(StringToColor("255"), TColor(255));
    QCOMPARE(StringToColor("reddish"), std::nullopt);
    QCOMPARE(StringToColor("$FFFFFFFFF"), std::nullopt);  // too long for 32 bits: the default is used
    // Plain colours are 00BBGGRR.
    QCOMPARE(ToQColor(0x123456), QColor(0x56, 0x34, 0x12));
    QCOMPARE(FromQColor(QColor(0x56, 0x34, 0x12)), TColor(0x123456));
    // Every value written reads back as itself.
    for (TColor c : {TColor(0), TColor(0xFFFFFF), TColor(0x808080), clWindow, TColor(0x00ABCDEF)})
        QCOMPARE(StringToColor(ColorToString(c)), c);
}

QTEST_MAIN(TestPathsAndValues)
#include "tst_paths_and_values.moc"
