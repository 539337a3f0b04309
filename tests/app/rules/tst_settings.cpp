// The settings file as the main window reads and writes it.
#include <QtTest>

#include "lines/IniFile.h"
#include "app/rules/Settings.h"
#include "tests/TestSupport.h"

using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

class TestSettings : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    QString program() const { return dir_.filePath("TALVO"); }
    QString ini() const { return dir_.filePath("TALVO.INI"); }

private slots:
    void init() { QFile::remove(ini()); }

    void defaultsWithoutAFile()
    {
        const Settings s = ReadIniFileValue(FilesBesideProgram(QFile::encodeName(program())));
        QCOMPARE(s.ListFontName, QByteArray("system"));
        QCOMPARE(s.TextFontSize, QByteArray("14"));
        QCOMPARE(s.ListBackColor, QByteArray("clWindow"));
        QCOMPARE(s.FileName1, QFile::encodeName(dir_.path()) + "/SEPA01.TXT");
        QCOMPARE(s.FileName3, QFile::encodeName(dir_.path()) + "/SEPA03.TXT");
        QVERIFY(s.AddStrTo.isEmpty());
        QVERIFY(!s.CheckOut1 && !s.CheckOut2 && !s.CheckOut3 && !s.CheckAddStr && !s.Viewer.WordWrap);
        QCOMPARE(s.Viewer.WordWrapByte, 80);
        QCOMPARE(s.Viewer.FindLineScroll, 0);
    }

    void roundTripKeepsBlanksOnlyInThePrefix()
    {
        Settings s;
        s.AddStrTo = "   ";
        s.Viewer.FindStrName = " lead";
        s.TextFontColor = "$00123456";
        s.CheckOut2 = true;
        s.Viewer.WordWrapByte = 120;
        s.Viewer.JumpLineNum = "42";
        s.FileName2 = "/sep/区切り 2.txt";
        WriteIniFileValue(FilesBesideProgram(QFile::encodeName(program())), s);
        const QByteArray text = ReadBytes(ini());
        QVERIFY(text.contains("AddStrTo=\"   \"\r\n"));
        QVERIFY(text.contains("[OutPutJyouhou]\r\n"));
        QVERIFY(text.contains("CheckOut2=1\r\nCheckOut3=0\r\n"));
        const Settings back = ReadIniFileValue(FilesBesideProgram(QFile::encodeName(program())));
        QCOMPARE(back.AddStrTo, QByteArray("   "));
        QCOMPARE(back.Viewer.FindStrName, QByteArray("lead"));
        QCOMPARE(back.TextFontColor, QByteArray("$00123456"));
        QVERIFY(back.CheckOut2 && !back.CheckOut1 && !back.CheckOut3 && !back.CheckAddStr);
        QCOMPARE(back.Viewer.WordWrapByte, 120);
        QCOMPARE(back.Viewer.JumpLineNum, QByteArray("42"));
        QCOMPARE(back.FileName2, QByteArray("/sep/区切り 2.txt"));
    }

    void keysAreWrittenInTableOrderAfterOtherSections()
    {
        WriteBytes(ini(), "[ProgTitle]\r\n1=Editor\r\n");
        WriteIniFileValue(FilesBesideProgram(QFile::encodeName(program())), Settings{});
        const QByteArray text = ReadBytes(ini());
        QVERIFY(text.startsWith("[ProgTitle]\r\n1=Editor\r\n"));
        const char *order[] = {"[ListJyouhou]", "ListFontName=", "ListBackColor=", "[TextJyouhou]",
                               "[OutPutJyouhou]", "FileName1=", "AddStrTo=", "CheckAddStr=", "[WordWrap]",
                               "Byte=", "[FindLineScroll]", "[SearchUperLower]", "[FindStrName]", "[JumpLineNum]"};
        qsizetype at = 0;
        for (const char *piece : order) {
            const qsizetype next = text.indexOf(piece, at);
            QVERIFY2(next >= at, piece);
            at = next;
        }
    }

    void badNumbersFallBackToDefaults()
    {
        WriteBytes(ini(), "[ListJyouhou]\r\nListFontSize=big\r\nListFontColor=reddish\r\n"
                          "[TextJyouhou]\r\nTextFontSize=$10\r\nTextBackColor=clred\r\n"
                          "[WordWrap]\r\nByte=eighty\r\nSet=0x1\r\n[FindLineScroll]\r\nNum=3.5\r\n"
                          "[OutPutJyouhou]\r\nCheckOut1=yes\r\nCheckOut3=-2\r\n");
        const Settings s = ReadIniFileValue(FilesBesideProgram(QFile::encodeName(program())));
        QCOMPARE(s.ListFontSize, QByteArray("14"));
        QCOMPARE(s.ListFontColor, QByteArray("clBlack"));
        QCOMPARE(s.TextFontSize, QByteArray("$10"));
        QCOMPARE(FontSizeValue(s.TextFontSize), 16);
        QCOMPARE(s.TextBackColor, QByteArray("clred"));
        QCOMPARE(s.Viewer.WordWrapByte, 80);
        QVERIFY(s.Viewer.WordWrap);
        QCOMPARE(s.Viewer.FindLineScroll, 0);
        QVERIFY(!s.CheckOut1);
        QVERIFY(s.CheckOut3);
    }

    void cp932ValuesPassUnchanged()
    {
        const QByteArray prefix = Sjis("■ファイル：");  // holds trail bytes 0x5C-free and 0x81..
        WriteBytes(ini(), "[OutPutJyouhou]\r\nAddStrTo=\"" + prefix + "\"\r\n[FindStrName]\r\nSet=" + Sjis("表示") + "\r\n");
        const Settings s = ReadIniFileValue(FilesBesideProgram(QFile::encodeName(program())));
        QCOMPARE(s.AddStrTo, prefix);
        QCOMPARE(s.Viewer.FindStrName, Sjis("表示"));
    }

    void pathsAreFileSystemBytesAndNulEndsAValue()
    {
        // A separator path written by hand in CP932 (not UTF-8) comes back byte for byte, and a
        // NUL ends a value as the writer ends it, so no stray quote appears after a save.
        const QByteArray path = QFile::encodeName(dir_.path()) + "/\x83\x65\x83\x58\x83\x67.txt";
        WriteBytes(ini(), "[OutPutJyouhou]\r\nFileName1=" + path + "\r\nAddStrTo=" + QByteArray("a\0b", 3) + "\r\n");
        Settings s = ReadIniFileValue(FilesBesideProgram(QFile::encodeName(program())));
        QCOMPARE(s.FileName1, path);
        QCOMPARE(s.AddStrTo, QByteArray("a"));
        WriteIniFileValue(FilesBesideProgram(QFile::encodeName(program())), s);
        s = ReadIniFileValue(FilesBesideProgram(QFile::encodeName(program())));
        QCOMPARE(s.FileName1, path);
        QCOMPARE(s.AddStrTo, QByteArray("a"));
        QVERIFY(ReadBytes(ini()).contains("\r\nAddStrTo=\"a\"\r\n"));
    }

    void unwritableFileRaisesTheWriteErrorAndKeepsIt()
    {
        const QString folder = dir_.filePath("locked");
        QDir().mkpath(folder);
        WriteBytes(folder + "/TALVO.INI", "[Mine]\r\nKey=1\r\n");
        QFile::setPermissions(folder + "/TALVO.INI", QFile::ReadOwner);
        bool raised = false;
        try {
            WriteIniFileValue(FilesBesideProgram(QFile::encodeName(folder + "/TALVO")), Settings{});
        } catch (const EIniWriteError &e) {
            raised = true;
            QCOMPARE(e.message(), QDir::toNativeSeparators(folder + "/TALVO.INI") + QStringLiteral(" に書き込めません"));
        }
        QFile::setPermissions(folder + "/TALVO.INI", QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(raised);
        QCOMPARE(ReadBytes(folder + "/TALVO.INI"), QByteArray("[Mine]\r\nKey=1\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
