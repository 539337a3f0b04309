// Launcher entries: defaults by system kind, storage in the settings file.
#include <QtTest>

#include "lines/IniFile.h"
#include "launcher/LauncherEntries.h"
#include "tests/TestSupport.h"

using testsupport::ReadBytes;
using testsupport::Sjis;
using testsupport::WriteBytes;

class TestLauncherEntries : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;

private slots:
    void detectionTheLaterTestWins()
    {
        qunsetenv("SYSTEMROOT");
        qunsetenv("WINBOOTDIR");
        qunsetenv("WINDIR");
        QCOMPARE(DetectSystemKind().OsKind, QByteArray());
        QCOMPARE(DetectSystemKind().WindowsDir, QByteArray());
        qputenv("SYSTEMROOT", "/WINNT");
        qputenv("WINDIR", "/WINNT");
        QCOMPARE(DetectSystemKind().OsKind, QByteArray("WINNT"));
        QCOMPARE(DetectSystemKind().WindowsDir, QByteArray("/WINNT"));
        qputenv("WINBOOTDIR", "/");
        QCOMPARE(DetectSystemKind().OsKind, QByteArray("WINDOWS"));
        qputenv("SYSTEMROOT", "");  // an empty value counts as absent
        qunsetenv("WINBOOTDIR");
        QCOMPARE(DetectSystemKind().OsKind, QByteArray());
        qunsetenv("SYSTEMROOT");
        qunsetenv("WINDIR");
    }

    void defaultsByKind()
    {
        const LauncherEntries nt = DefaultLauncherEntries({"winnt", "/WINNT"});
        QCOMPARE(nt.ProgTitle[1], Sjis("メモ帳(WinNT)"));
        QCOMPARE(nt.ProgName[1], QByteArray("/WINNT/NOTEPAD.EXE"));
        QCOMPARE(nt.ProgTitle[2], Sjis("ワードパット(WinNT)"));
        QCOMPARE(nt.ProgName[2], QByteArray("/WINNT/SYSTEM32/WRITE.EXE"));
        QCOMPARE(nt.ProgOption[2], QByteArray("%f"));
        QCOMPARE(nt.ProgShortCut[1], QByteArray("M"));
        QCOMPARE(nt.ProgShortCut[2], QByteArray("W"));
        QCOMPARE(nt.ProgShortCut[3], QByteArray("*"));
        QVERIFY(nt.ProgTitle[3].isEmpty());

        const LauncherEntries w = DefaultLauncherEntries({"WINDOWS", ""});
        QCOMPARE(w.ProgTitle[1], Sjis("メモ帳(Windows)"));
        QCOMPARE(w.ProgName[1], QByteArray("/NOTEPAD.EXE"));
        QCOMPARE(w.ProgName[2], QByteArray("/WRITE.EXE"));

        const LauncherEntries none = DefaultLauncherEntries({"", "/x"});
        for (int i = 1; i <= 9; ++i) {
            QVERIFY(none.ProgTitle[i].isEmpty());
            QCOMPARE(none.ProgShortCut[i], QByteArray("*"));
        }
    }

    void writeCreatesTheSectionsInOrderAndReadsBack()
    {
        const QString ini = dir_.filePath("TALVO.INI");
        QFile::remove(ini);
        WriteLauncherEntries(QFile::encodeName(ini), DefaultLauncherEntries({"WINNT", "/WINNT"}));
        const QByteArray text = ReadBytes(ini);
        const qsizetype t = text.indexOf("[ProgTitle]"), n = text.indexOf("[ProgName]"),
                        o = text.indexOf("[ProgOption]"), d = text.indexOf("[ProgDir]"),
                        s = text.indexOf("[ProgShortCut]");
        QVERIFY(t >= 0 && t < n && n < o && o < d && d < s);
        QVERIFY(text.contains("9=\r\n"));  // empty fields are written too
        const LauncherEntries back = ReadLauncherEntries(QFile::encodeName(ini));
        QCOMPARE(back.ProgTitle[2], Sjis("ワードパット(WinNT)"));
        QCOMPARE(back.ProgName[1], QByteArray("/WINNT/NOTEPAD.EXE"));
        QCOMPARE(back.ProgShortCut[9], QByteArray("*"));
    }

    void writeKeepsOtherSettingsAndBlanksAreTrimmedOnRead()
    {
        const QString ini = dir_.filePath("keep.ini");
        WriteBytes(ini, "; mine\r\n[TextJyouhou]\r\nTextFontSize=20\r\n");
        LauncherEntries e;
        e.ProgTitle[1] = "  Editor  ";
        e.ProgShortCut[1] = " ";
        WriteLauncherEntries(QFile::encodeName(ini), e);
        QVERIFY(ReadBytes(ini).startsWith("; mine\r\n[TextJyouhou]\r\nTextFontSize=20\r\n"));
        const LauncherEntries back = ReadLauncherEntries(QFile::encodeName(ini));
        QCOMPARE(back.ProgTitle[1], QByteArray("Editor"));
        QCOMPARE(back.ProgShortCut[1], QByteArray());  // a single blank reads back empty
    }

    // An option in quotes of its own reads back with them; other options are written bare.
    void quotedOptionsReadBackAsTyped()
    {
        const QString ini = dir_.filePath("quoted.ini");
        LauncherEntries e;
        e.ProgOption[1] = "\"my arg\" %f \"last\"";
        e.ProgOption[2] = "'single' %f 'q'";
        e.ProgOption[3] = "%f \"x\"";
        e.ProgOption[4] = "\"";
        WriteLauncherEntries(QFile::encodeName(ini), e);
        const QByteArray text = ReadBytes(ini);
        QVERIFY(text.contains("\r\n1=\"\"my arg\" %f \"last\"\"\r\n"));
        QVERIFY(text.contains("\r\n3=%f \"x\"\r\n"));
        const LauncherEntries back = ReadLauncherEntries(QFile::encodeName(ini));
        for (int i : {1, 2, 3, 4})
            QCOMPARE(back.ProgOption[i], e.ProgOption[i]);
        // Written again unchanged: the round trip is stable.
        WriteLauncherEntries(QFile::encodeName(ini), back);
        QCOMPARE(ReadBytes(ini), text);
    }

    void missingFileReadsEmpty()
    {
        const LauncherEntries e = ReadLauncherEntries(QFile::encodeName(dir_.filePath("absent.ini")));
        for (int i = 1; i <= 9; ++i)
            QVERIFY(e.ProgTitle[i].isEmpty() && e.ProgShortCut[i].isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLauncherEntries)
#include "tst_launcher_entries.moc"
