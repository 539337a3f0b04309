// The settings value conversions: integers, flags and colours.
#include <QtTest>

#include "app/rules/TextValues.h"
#include "lines/ShiftJis.h"


class TestTextValues : public QObject {
    Q_OBJECT
private slots:
    void strictIntegers();
    void booleanText();
    void colourNamesAndNumbers();
    void editedPathKeepsTheBytesItWasShownFrom();
};

void TestTextValues::strictIntegers()
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

void TestTextValues::booleanText()
{
    QCOMPARE(StrToIntBool("0x10"), 16);
    QCOMPARE(StrToIntBool("0X0"), 0);
    QCOMPARE(StrToIntBool("0x"), std::nullopt);
    QCOMPARE(StrToIntBool("1"), 1);
    QCOMPARE(StrToIntBool("yes"), std::nullopt);
}

void TestTextValues::colourNamesAndNumbers()
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

void TestTextValues::editedPathKeepsTheBytesItWasShownFrom()
{
    const QByteArray sjisFolder = "/d/" + EncodeCp932(u"出力 表") + "/";
    const QString shown = QStringLiteral("/d/出力 表/");
    QCOMPARE(EditedPath(shown, sjisFolder), sjisFolder);
    QCOMPARE(EditedPath(shown + QStringLiteral("結果.txt"), sjisFolder),
             sjisFolder + QStringLiteral("結果.txt").toUtf8());
    // A lone lead byte in the name itself survives while the text is untouched.
    const QByteArray lone = "/d/a" + QByteArray(1, char(0x83));
    QCOMPARE(EditedPath(DecodeCp932(lone), lone), lone);
    // Edited inside the folder's name, or shown from UTF-8: the text's own encoding.
    QCOMPARE(EditedPath(QStringLiteral("/d/出力/x.txt"), sjisFolder), QStringLiteral("/d/出力/x.txt").toUtf8());
    const QByteArray utf8Folder = QStringLiteral("/d/出力/").toUtf8();
    QCOMPARE(EditedPath(QStringLiteral("/d/出力/x"), utf8Folder), QStringLiteral("/d/出力/x").toUtf8());
    QCOMPARE(EditedPath(QString(), sjisFolder), QByteArray());
}

QTEST_MAIN(TestTextValues)
#include "tst_text_values.moc"
