// The launcher's plain rules: "%f", the argument split, the run lines, what a file name starts
// as, and the settings dialog's working lists.
#include <QtTest>

#include "lines/IniFile.h"
#include "launcher/LauncherRun.h"
#include "lines/NativeFile.h"
#include "launcher/LauncherWorkLists.h"
#include "tests/TestSupport.h"

#include <sys/stat.h>

using testsupport::Sjis;
using testsupport::WriteBytes;

namespace {
LauncherEntries WithTitles(std::initializer_list<std::pair<int, const char *>> titles)
{
    LauncherEntries e;
    for (const auto &[entry, title] : titles) {
        e.ProgTitle[entry] = title;
        e.ProgName[entry] = QByteArray("/bin/") + title;
        e.ProgShortCut[entry] = QByteArray(title).left(1);
    }
    return e;
}

QList<QByteArray> Titles(const LauncherWorkLists &w) { return w.EntryTitles.mid(0, 9); }
}  // namespace

class TestLauncherRules : public QObject {
    Q_OBJECT
private slots:
    void substitutionReplacesOnlyTheFirstLowerCaseMark()
    {
        const QString path = QStringLiteral("/t/my dir/TALVO.TXT");
        QCOMPARE(SubstituteFileMark("/p %f %f", path), "/p " + path + " %f");
        QCOMPARE(SubstituteFileMark("%F x%f", path), "%F x" + path);
        QCOMPARE(SubstituteFileMark("none", path), QString("none"));
        QCOMPARE(SubstituteFileMark("/opt/%f.sh", path), "/opt/" + path + ".sh");
    }

    void splitFollowsTheShellsQuoting()
    {
        QCOMPARE(SplitArguments("  a\tb  c "), QStringList({"a", "b", "c"}));
        QCOMPARE(SplitArguments("-t 'a b' \"c \\\"d\\\" \\x\" e\\ f \"\""),
                 QStringList({"-t", "a b", "c \"d\" \\x", "e f", ""}));
        QCOMPARE(SplitArguments("'it''s' a\"b\"c"), QStringList({"its", "abc"}));
        // Unbalanced quotes reach the program as typed.
        QCOMPARE(SplitArguments("-m \"abc def"), QStringList({"-m", "\"abc", "def"}));
        QCOMPARE(SplitArguments("'x y\" z"), QStringList({"'x", "y\"", "z"}));
        QCOMPARE(SplitArguments("end\\"), QStringList({"end\\"}));
        QCOMPARE(SplitArguments(""), QStringList());
        // A Shift-JIS text whose trail byte is 0x5C ("表" is 95 5C) is no escape.
        QCOMPARE(SplitArguments(DisplayName(Sjis("表 示"))), QStringList({"表", "示"}));
    }

    void previewPathStaysOneArgumentWhereTheMarkStands()
    {
        const QString path = QStringLiteral("/t/a b/it's \"q\"/TALVO.TXT");
        QCOMPARE(SplitArguments("/p %f %f", &path), QStringList({"/p", path, "%f"}));
        QCOMPARE(SplitArguments("--file=%f.bak", &path), QStringList({"--file=" + path + ".bak"}));
        QCOMPARE(SplitArguments("'<%f>' \"%f\"", &path), QStringList({"<" + path + ">", "%f"}));
        QCOMPARE(SplitArguments("%F", &path), QStringList({"%F"}));
    }

    void runLinesShowEntriesInUseAndMapToThem()
    {
        // Entry 2 is free between entries in use: line 2 must start entry 3, not entry 2.
        LauncherEntries e = WithTitles({{1, "edit"}, {3, "write"}, {7, "view"}});
        e.ProgShortCut[3] = "W";
        const std::vector<LauncherRunLine> lines = LauncherRunLines(e);
        QCOMPARE(lines.size(), size_t(3));
        QCOMPARE(lines[0].entry, 1);
        QCOMPARE(lines[1].entry, 3);
        QCOMPARE(lines[1].text, QByteArray("W  write"));
        QCOMPARE(lines[2].entry, 7);
        QVERIFY(LauncherRunLines(LauncherEntries()).empty());
    }

    void launchCommandKeepsLongTextsWhole()
    {
        LauncherEntries e;
        const QByteArray deep = "/" + QByteArray(300, 'd');
        e.ProgName[4] = deep + "/prog";
        e.ProgOption[4] = "-x " + QByteArray(400, 'o') + " %f";
        e.ProgDir[4] = deep;
        const QByteArray preview = "/p/" + QByteArray(260, 'p') + ".TXT";
        const LaunchCommand c = BuildLaunchCommand(e, 4, preview);
        QCOMPARE(c.fileName, deep + "/prog");
        QCOMPARE(c.arguments, QByteArrayList({"-x", QByteArray(400, 'o'), preview}));
        QCOMPARE(c.workingDir, deep);
    }

    void targetIsAProgramADocumentOrNothing()
    {
        QTemporaryDir dir;
        const QString base = dir.path() + "/with blank";
        const QString program = base + "/run me", document = base + "/notes.txt";
        WriteBytes(program, "#!/bin/sh\n");
        QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeUser);
        WriteBytes(document, "text");

        const QByteArray programBytes = QFile::encodeName(program), baseBytes = QFile::encodeName(base);
        const LaunchTarget byPath = ResolveLaunchTarget(programBytes, {});
        QCOMPARE(int(byPath.kind), int(LaunchKind::Execute));
        QCOMPARE(byPath.path, programBytes);
        // A relative name is found in the working folder; a bare name on PATH first.
        QCOMPARE(ResolveLaunchTarget("./run me", baseBytes).path, programBytes);
        QCOMPARE(int(ResolveLaunchTarget("notes.txt", baseBytes).kind), int(LaunchKind::OpenDocument));
        QCOMPARE(ResolveLaunchTarget("sh", baseBytes).path, QFile::encodeName(QStandardPaths::findExecutable("sh")));
        // Missing, a folder, empty, or a working folder that does not exist: nothing starts.
        for (const auto &[name, folder] : std::initializer_list<std::pair<QByteArray, QByteArray>>{
                 {baseBytes + "/missing", {}}, {baseBytes, {}}, {{}, {}}, {programBytes, baseBytes + "/gone"}})
            QCOMPARE(int(ResolveLaunchTarget(name, folder).kind), int(LaunchKind::Fail));
        QVERIFY(!StartLaunchCommand({baseBytes + "/missing", {}, {}}));
        QVERIFY(!StartLaunchCommand({programBytes, {}, baseBytes + "/gone"}));
        // A file marked executable that the system cannot run fails too.
        WriteBytes(base + "/not a program", "\x7F" "ELF garbage");
        QFile::setPermissions(base + "/not a program", QFile::ReadOwner | QFile::ExeOwner | QFile::ExeUser);
        QVERIFY(!StartLaunchCommand({baseBytes + "/not a program", {}, {}}));
    }

    // A program and a working folder named in Shift-JIS are started by their bytes, there; the
    // preview path reaches the program as its own bytes inside its argument.
    void aShiftJisProgramStartsInItsShiftJisFolder()
    {
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path()) + "/" + Sjis("実行 表");
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        const QByteArray program = folder + "/" + Sjis("記録");
        testsupport::WriteBytesAt(program, "#!/bin/sh\nprintf '%s\\n' \"$(pwd -P)\" \"$@\" > \"$1.tmp\" && mv \"$1.tmp\" \"$1\"\n");
        QCOMPARE(::chmod(program.constData(), 0755), 0);
        const QByteArray record = QFile::encodeName(dir.path()) + "/record";
        LauncherEntries e;
        e.ProgTitle[1] = "Rec";
        e.ProgName[1] = program;
        e.ProgOption[1] = record + " --file=%f";
        e.ProgDir[1] = folder;
        const QByteArray preview = folder + "/" + Sjis("プレビュー.TXT");
        QVERIFY(StartLaunchCommand(BuildLaunchCommand(e, 1, preview)));
        QTRY_VERIFY(QFile::exists(QFile::decodeName(record)));
        QCOMPARE(testsupport::ReadBytesAt(record), folder + "\n" + record + "\n--file=" + preview + "\n");
    }

    void workListsCloseGapsAndKeepEntriesInUseFirst()
    {
        LauncherWorkLists w(WithTitles({{2, "a"}, {5, "b"}, {9, "c"}}));
        QCOMPARE(Titles(w), QList<QByteArray>({"a", "b", "c", "", "", "", "", "", ""}));
        QCOMPARE(w.EntryNames[1], QByteArray("/bin/b"));
        QCOMPARE(w.LineCount(), 3);

        QCOMPARE(w.MoveUp(0), 0);
        QCOMPARE(w.MoveDown(2), 2);  // the last line
        QCOMPARE(w.MoveDown(0), 1);
        QCOMPARE(w.ShownTitles(), QList<QByteArray>({"b", "a", "c"}));
        QCOMPARE(w.EntryNames[1], QByteArray("/bin/a"));
        QCOMPARE(w.MoveUp(1), 0);

        // Cut of entry 2, Paste with entry 1 selected: the cut entry becomes entry 1.
        const LauncherEntry cut = w.Entry(1);
        QCOMPARE(w.Remove(1), 1);
        QCOMPARE(w.Insert(0, cut), 0);
        QCOMPARE(w.ShownTitles(), QList<QByteArray>({"b", "a", "c"}));
        // Removing the last line selects the new last line; the only one leaves the empty line.
        QCOMPARE(w.Remove(2), 1);
        QCOMPARE(w.Remove(1), 0);
        QCOMPARE(w.Remove(0), 0);
        QCOMPARE(w.LineCount(), 1);
        QVERIFY(w.ShownTitles().isEmpty());
        // The empty line is nothing to remove, and an entry without a title is never pasted.
        QCOMPARE(w.Remove(0), 0);
        QCOMPARE(w.Insert(0, LauncherEntry{}), 0);
        QVERIFY(w.ShownTitles().isEmpty());
    }

    void nineEntriesFillTheListAndOnlyNineAreStored()
    {
        LauncherEntries e;
        for (int i = 1; i <= 9; ++i)
            e.ProgTitle[i] = QByteArray::number(i);
        LauncherWorkLists w(e);
        QVERIFY(w.IsFull());
        w.Insert(0, {"new", "/bin/new", "", "", "N"});  // the dialog refuses; the lists would grow
        LauncherEntries out;
        w.StoreTo(out);
        QCOMPARE(out.ProgTitle[1], QByteArray("new"));
        QCOMPARE(out.ProgTitle[9], QByteArray("8"));
    }

    void lineBreaksInAValueAddNoLinesToTheSettingsFile()
    {
        QTemporaryDir dir;
        const QString ini = dir.path() + "/TALVO.INI";
        LauncherWorkLists w{LauncherEntries()};
        w.Insert(0, {"t\r\n[ProgName]\r\n1=/bin/evil", "/bin/x", "", "", "\n[Evil]"});
        LauncherEntries out;
        w.StoreTo(out);
        WriteLauncherEntries(QFile::encodeName(ini), out);
        const LauncherEntries back = ReadLauncherEntries(QFile::encodeName(ini));
        QCOMPARE(back.ProgName[1], QByteArray("/bin/x"));
        QCOMPARE(IniFile(QFile::encodeName(ini)).ReadString("Evil", "x", "none"), QByteArray("none"));
        QCOMPARE(testsupport::ReadBytes(ini).count('['), 5);
    }
};

QTEST_GUILESS_MAIN(TestLauncherRules)
#include "tst_launcher_rules.moc"
