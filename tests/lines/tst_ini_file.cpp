// The settings file codec: what a read returns, what a write changes and what it must keep.
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "lines/IniFile.h"
#include "tests/TestSupport.h"

using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void init();
    void namesIgnoreAsciiCaseAndBlanks();
    void doubleByteNamesCompareExactly();
    void valuesTrimmedAndUnquoted_data();
    void valuesTrimmedAndUnquoted();
    void longValuesCutAt1023Bytes();
    void allLineBreaksRead();
    void missingOrUnreadableFileGivesDefaults();
    void firstDuplicateWins();
    void replaceKeepsEveryOtherByte();
    void newKeysAndSections();
    void valueWithLineBreakStaysOneLine();
    void roundTripOfDoubleByteValues();
    void saveKeepsModeAndReplacesAtomically();
    void saveFailureNamesFileAndKeepsOldOne();
    void saveIntoFolderOrMissingFolderFails();
    void unreadableFileIsNeverWrittenOver();

private:
    QString Path(const QString &name) const { return dir_->filePath(name); }
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestIniFile::init()
{
    dir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/ini 設定 XXXXXX"));
    QVERIFY(dir_->isValid());
}

void TestIniFile::namesIgnoreAsciiCaseAndBlanks()
{
    const QString path = Path("T.INI");
    WriteBytes(path, "[ListJyouhou]\r\nListFontName=IPAGothic\r\n  [ textjyouhou ]  \r\n"
                     "  TEXTFONTSIZE  =  12  \r\n");
    const IniFile ini(QFile::encodeName(path));
    QCOMPARE(ini.ReadString("listjyouhou", "LISTFONTNAME", "x"), QByteArray("IPAGothic"));
    QCOMPARE(ini.ReadString("TextJyouhou", "TextFontSize", "x"), QByteArray("12"));
    QCOMPARE(ini.ReadString(" TextJyouhou ", " TextFontSize", "x"), QByteArray("12"));
    // A key of another section is not found.
    QCOMPARE(ini.ReadString("TextJyouhou", "ListFontName", "def"), QByteArray("def"));
    QCOMPARE(ini.ReadString("Missing", "ListFontName", "def"), QByteArray("def"));
}

void TestIniFile::doubleByteNamesCompareExactly()
{
    // "ア" is 83 41: its second byte is "A" and must not fold to "a" (83 61 is another
    // character). Half-width "ﾁ" (C1) and the lead byte E1 must not fold together either.
    const QString path = Path("T.INI");
    WriteBytes(path, "[\x83\x41]\r\nk\x83\x41=upper\r\n\xC1\xC1=kana\r\n"
                     "[\x83\x5D]\r\nx=zo\r\n"
                     "[\x83\x5D\r\ny=still zo\r\n");
    const IniFile ini(QFile::encodeName(path));
    QCOMPARE(ini.ReadString("\x83\x41", "K\x83\x41", ""), QByteArray("upper"));
    QCOMPARE(ini.ReadString("\x83\x61", "k\x83\x41", "none"), QByteArray("none"));
    QCOMPARE(ini.ReadString("\x83\x41", "k\x83\x61", "none"), QByteArray("none"));
    QCOMPARE(ini.ReadString("\x83\x41", "\xC1\xC1", ""), QByteArray("kana"));
    QCOMPARE(ini.ReadString("\x83\x41", "\xE1\xC1", "none"), QByteArray("none"));
    // "ゾ" is 83 5D: its second byte looks like "]", so "[ゾ" without a real "]" is no header.
    QCOMPARE(ini.ReadString("\x83\x5D", "x", ""), QByteArray("zo"));
    QCOMPARE(ini.ReadString("\x83\x5D", "y", ""), QByteArray("still zo"));
}

void TestIniFile::valuesTrimmedAndUnquoted_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("read");
    QTest::newRow("blanks and tabs") << QByteArray(" \t abc def \t ") << QByteArray("abc def");
    QTest::newRow("double quotes keep inner blanks") << QByteArray("  \"   \"  ") << QByteArray("   ");
    QTest::newRow("single quotes") << QByteArray("'## '") << QByteArray("## ");
    QTest::newRow("only one pair") << QByteArray("\"'x'\"") << QByteArray("'x'");
    QTest::newRow("empty quotes") << QByteArray("\"\"") << QByteArray("");
    QTest::newRow("lone quote") << QByteArray("\"") << QByteArray("\"");
    QTest::newRow("unbalanced") << QByteArray("\"abc") << QByteArray("\"abc");
    QTest::newRow("mixed pair") << QByteArray("\"abc'") << QByteArray("\"abc'");
    QTest::newRow("quote inside") << QByteArray("a\"b\"") << QByteArray("a\"b\"");
    QTest::newRow("second equals sign") << QByteArray("a=b = c") << QByteArray("a=b = c");
    QTest::newRow("empty") << QByteArray("") << QByteArray("");
    QTest::newRow("trail byte 5C") << Sjis(QStringLiteral("表示 ソフト")) << Sjis(QStringLiteral("表示 ソフト"));
    QTest::newRow("Ctrl-Z and bytes above 7F") << QByteArray("a\x1A\xFF\x80z") << QByteArray("a\x1A\xFF\x80z");
}

void TestIniFile::valuesTrimmedAndUnquoted()
{
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, read);
    const QString path = Path("T.INI");
    WriteBytes(path, "[S]\r\nKey=" + stored + "\r\n");
    QCOMPARE(IniFile(QFile::encodeName(path)).ReadString("S", "Key", "default"), read);
}

void TestIniFile::longValuesCutAt1023Bytes()
{
    const QString path = Path("T.INI");
    const QByteArray plain(2000, 'x');
    // Quotes go before the cut, so the value inside them gets all 1023 bytes.
    const QByteArray quoted = '"' + QByteArray(1023, 'q') + "r\"";
    // A double-byte character at bytes 1023 and 1024 is not split: 1022 bytes come back.
    const QByteArray straddling = QByteArray(1022, 'a') + Sjis(QStringLiteral("漢")) + "zz";
    WriteBytes(path, "[S]\r\nplain=" + plain + "\r\nquoted=" + quoted + "\r\nstraddling=" + straddling + "\r\n");
    const IniFile ini(QFile::encodeName(path));
    QCOMPARE(ini.ReadString("S", "plain", ""), QByteArray(1023, 'x'));
    QCOMPARE(ini.ReadString("S", "quoted", ""), QByteArray(1023, 'q'));
    QCOMPARE(ini.ReadString("S", "straddling", ""), QByteArray(1022, 'a'));
}

void TestIniFile::allLineBreaksRead()
{
    const QString path = Path("T.INI");
    WriteBytes(path, "[A]\nk1=lf\rk2=cr\r\nk3=crlf\n\n[B]\rk1=b");
    const IniFile ini(QFile::encodeName(path));
    QCOMPARE(ini.ReadString("A", "k1", ""), QByteArray("lf"));
    QCOMPARE(ini.ReadString("A", "k2", ""), QByteArray("cr"));
    QCOMPARE(ini.ReadString("A", "k3", ""), QByteArray("crlf"));
    QCOMPARE(ini.ReadString("B", "k1", ""), QByteArray("b"));
}

void TestIniFile::missingOrUnreadableFileGivesDefaults()
{
    QCOMPARE(IniFile(QFile::encodeName(Path("none.INI"))).ReadString("S", "k", "def"), QByteArray("def"));
    QDir(dir_->path()).mkdir("folder.INI");
    QCOMPARE(IniFile(QFile::encodeName(Path("folder.INI"))).ReadString("S", "k", "def"), QByteArray("def"));

    // Saving a file that did not exist creates it with what was written.
    IniFile ini(QFile::encodeName(Path("new.INI")));
    ini.WriteString("S", "k", "v");
    ini.Save();
    QCOMPARE(ReadBytes(Path("new.INI")), QByteArray("[S]\r\nk=v\r\n"));
}

void TestIniFile::firstDuplicateWins()
{
    const QString path = Path("T.INI");
    WriteBytes(path, "[S]\r\nk=first\r\n[s]\r\nk=other section\r\n[S]\r\nk=third\r\nK=second\r\n");
    IniFile ini(QFile::encodeName(path));
    QCOMPARE(ini.ReadString("S", "k", ""), QByteArray("first"));
    ini.WriteString("s", "K", "new");
    ini.Save();
    QCOMPARE(ReadBytes(path), QByteArray("[S]\r\nk=new\r\n[s]\r\nk=other section\r\n[S]\r\nk=third\r\nK=second\r\n"));
}

void TestIniFile::replaceKeepsEveryOtherByte()
{
    const QString path = Path("T.INI");
    const QByteArray before =
        "; settings\r\n"
        "orphan=before any section\r\n"
        "\r\n"
        "[ListJyouhou]\r\n"
        "  listfontname = IPAGothic   \r\n"
        ";ListFontSize=99\r\n"
        "a line without equals sign\r\n"
        "ListFontSize=14\r\n"
        "\t\r\n"
        "[Unknown Section]\r\n"
        "x = \"keep me\" \r\n"
        "\xFF\xFE raw bytes \x1A\r\n"
        "[OutPutJyouhou]\r\n"
        "AddStrTo=\"## \"\r\n"
        "Empty=\r\n";
    WriteBytes(path, before);
    IniFile ini(QFile::encodeName(path));
    ini.WriteString("LISTJYOUHOU", "ListFontName", "VL Gothic");
    ini.WriteString("ListJyouhou", "ListFontSize", "12");
    ini.WriteString("OutPutJyouhou", "AddStrTo", "\"  \"");
    ini.WriteString("OutPutJyouhou", "Empty", "now set");
    ini.Save();
    const QByteArray after =
        "; settings\r\n"
        "orphan=before any section\r\n"
        "\r\n"
        "[ListJyouhou]\r\n"
        "  listfontname = VL Gothic\r\n"
        ";ListFontSize=99\r\n"
        "a line without equals sign\r\n"
        "ListFontSize=12\r\n"
        "\t\r\n"
        "[Unknown Section]\r\n"
        "x = \"keep me\" \r\n"
        "\xFF\xFE raw bytes \x1A\r\n"
        "[OutPutJyouhou]\r\n"
        "AddStrTo=\"  \"\r\n"
        "Empty=now set\r\n";
    QCOMPARE(ReadBytes(path), after);
    QCOMPARE(IniFile(QFile::encodeName(path)).ReadString("OutPutJyouhou", "AddStrTo", ""), QByteArray("  "));
    // A comment or a line without "=" is never taken for a key.
    QCOMPARE(IniFile(QFile::encodeName(path)).ReadString("ListJyouhou", ";ListFontSize", "def"), QByteArray("def"));
    QCOMPARE(IniFile(QFile::encodeName(path)).ReadString("ListJyouhou", "a line without equals sign", "def"), QByteArray("def"));
}

void TestIniFile::newKeysAndSections()
{
    const QString path = Path("T.INI");
    WriteBytes(path, "[A]\r\nk1=1\r\n\r\n\r\n[B]\r\nb=2");
    IniFile ini(QFile::encodeName(path));
    ini.WriteString("a", "k2", "two");
    ini.WriteString("B", "c", "3");
    ini.WriteString("New", "n", "");
    ini.WriteString("New", "m", "M");
    ini.Save();
    QCOMPARE(ReadBytes(path), QByteArray("[A]\r\nk1=1\r\nk2=two\r\n\r\n\r\n[B]\r\nb=2\r\nc=3\r\n[New]\r\nn=\r\nm=M\r\n"));
    const IniFile again(QFile::encodeName(path));
    QCOMPARE(again.ReadString("A", "k2", ""), QByteArray("two"));
    QCOMPARE(again.ReadString("new", "N", "def"), QByteArray(""));
}

void TestIniFile::valueWithLineBreakStaysOneLine()
{
    // A value must not be able to add lines (or a section) of its own to the file.
    const QString path = Path("T.INI");
    IniFile ini(QFile::encodeName(path));
    ini.WriteString("FindStrName", "Set", "abc\r\n[ListJyouhou]\r\nListFontSize=99");
    ini.WriteString("JumpLineNum", "Set", QByteArrayView("12\0" "34", 5));
    ini.Save();
    QCOMPARE(ReadBytes(path), QByteArray("[FindStrName]\r\nSet=abc\r\n[JumpLineNum]\r\nSet=12\r\n"));
}

void TestIniFile::roundTripOfDoubleByteValues()
{
    const QString path = Path("T.INI");
    // 0x5C and 0x5B/0x5D as second bytes, and a value that is all "=" signs.
    const QByteArray folder = Sjis(QStringLiteral("/home/表/ソフト/能力[ゾ]/"));
    IniFile ini(QFile::encodeName(path));
    ini.WriteString("OutPutJyouhou", "FileName1", folder + "SEPA01.TXT");
    ini.WriteString("OutPutJyouhou", "AddStrTo", Sjis(QStringLiteral("\"  ＃＃ \"")));
    ini.WriteString("OutPutJyouhou", "Equals", "===");
    ini.WriteString(Sjis(QStringLiteral("セクション")), Sjis(QStringLiteral("キー")), Sjis(QStringLiteral("値")));
    ini.Save();
    const IniFile back(QFile::encodeName(path));
    QCOMPARE(back.ReadString("outputjyouhou", "filename1", ""), folder + "SEPA01.TXT");
    QCOMPARE(back.ReadString("OutPutJyouhou", "AddStrTo", ""), Sjis(QStringLiteral("  ＃＃ ")));
    QCOMPARE(back.ReadString("OutPutJyouhou", "Equals", ""), QByteArray("==="));
    QCOMPARE(back.ReadString(Sjis(QStringLiteral("セクション")), Sjis(QStringLiteral("キー")), ""), Sjis(QStringLiteral("値")));
}

void TestIniFile::saveKeepsModeAndReplacesAtomically()
{
    const QString path = Path("T.INI");
    WriteBytes(path, "[S]\r\nk=1\r\n");
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    IniFile ini(QFile::encodeName(path));
    ini.WriteString("S", "k", "2");
    ini.Save();
    QCOMPARE(ReadBytes(path), QByteArray("[S]\r\nk=2\r\n"));
    const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
        QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
        QFile::ExeOther;
    QCOMPARE(QFile::permissions(path) & modeBits, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"T.INI"});
}

void TestIniFile::saveFailureNamesFileAndKeepsOldOne()
{
    const QString path = Path("T.INI");
    const QByteArray old = "[S]\nk=old\n";
    WriteBytes(path, old);
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    IniFile ini(QFile::encodeName(path));
    ini.WriteString("S", "k", "new");
    bool raised = false;
    try {
        ini.Save();
    } catch (const EIniWriteError &e) {
        raised = true;
        QCOMPARE(e.message(), QDir::toNativeSeparators(path) + QStringLiteral(" に書き込めません"));
    }
    QVERIFY2(raised, "a read-only settings file was written");
    QCOMPARE(ReadBytes(path), old);
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"T.INI"});

    // A folder that cannot be written to: no temporary file can go beside the target.
    const QString locked = Path("locked");
    QVERIFY(QDir().mkpath(locked));
    WriteBytes(locked + "/T.INI", old);
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    IniFile inLocked(QFile::encodeName(locked + "/T.INI"));
    inLocked.WriteString("S", "k", "new");
    QVERIFY_THROWS_EXCEPTION(EIniWriteError, inLocked.Save());
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(ReadBytes(locked + "/T.INI"), old);
    QCOMPARE(QDir(locked).entryList(QDir::Files | QDir::Hidden), QStringList{"T.INI"});
}

void TestIniFile::saveIntoFolderOrMissingFolderFails()
{
    QDir(dir_->path()).mkdir("folder.INI");
    IniFile folder(QFile::encodeName(Path("folder.INI")));
    folder.WriteString("S", "k", "v");
    try {
        folder.Save();
        QFAIL("a folder was written as a settings file");
    } catch (const EIniWriteError &e) {
        QCOMPARE(e.message(), QDir::toNativeSeparators(Path("folder.INI")) + QStringLiteral(" に書き込めません"));
    }
    QVERIFY(QFileInfo(Path("folder.INI")).isDir());

    IniFile nowhere(QFile::encodeName(Path("no such folder/T.INI")));
    nowhere.WriteString("S", "k", "v");
    QVERIFY_THROWS_EXCEPTION(EIniWriteError, nowhere.Save());
}

void TestIniFile::unreadableFileIsNeverWrittenOver()
{
    // A file that exists but fails to read (a read error; permission bits do not stop root).
    const QString ini = Path("TALVO.INI");
    QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), ini));
    IniFile file(QFile::encodeName(ini));
    QVERIFY(file.unreadable());
    QCOMPARE(file.ReadString("S", "k", "def"), QByteArray("def"));
    file.WriteString("S", "k", "v");
    QVERIFY_THROWS_EXCEPTION(EIniWriteError, file.Save());
    QCOMPARE(QFileInfo(ini).symLinkTarget(), QStringLiteral("/proc/self/mem"));
    QVERIFY(!IniFile(QFile::encodeName(Path("missing.INI"))).unreadable());

    // A pipe by that name: no wait for a writer, nothing written into it.
    const QByteArray fifo = QFile::encodeName(Path("FIFO.INI"));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    IniFile piped(fifo);
    QVERIFY(piped.unreadable());
    piped.WriteString("S", "k", "v");
    QVERIFY_THROWS_EXCEPTION(EIniWriteError, piped.Save());
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
