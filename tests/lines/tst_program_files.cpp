// Where the program's files live: beside a program whose folder the user can write, else the
// settings and preview in the user's configuration folder, with the help and the separator
// defaults read from the program's folder.
#include <QtTest>

#include <sys/stat.h>

#include "lines/NativeFile.h"
#include "lines/ProgramFiles.h"
#include "tests/TestSupport.h"

using testsupport::Sjis;
using testsupport::WriteBytesAt;

namespace {
// An environment whose writable paths are exactly `writable`.
ProgramEnvironment Env(QByteArray home, QByteArray xdg, QByteArrayList writable)
{
    return {std::move(home), std::move(xdg),
            [writable](const QByteArray &path) { return writable.contains(path); }};
}
}  // namespace

class TestProgramFiles : public QObject {
    Q_OBJECT
private slots:
    void writableFolderKeepsEverythingBesideTheProgram()
    {
        const ProgramFiles f = LocateProgramFiles("/opt/my tools/TALVO", Env("/home/u", "", {"/opt/my tools/"}));
        QVERIFY(f.BesideProgram());
        QCOMPARE(f.ProgramFolder(), QByteArray("/opt/my tools/"));
        QCOMPARE(f.DataFolder(), QByteArray("/opt/my tools/"));
        QCOMPARE(f.SettingsFile(), QByteArray("/opt/my tools/TALVO.INI"));
        QCOMPARE(f.FirstRunProbe(), QByteArray("/opt/my tools/TALVO.INI"));
        QCOMPARE(f.PreviewFile(), QByteArray("/opt/my tools/TALVO.TXT"));
        QCOMPARE(f.HelpFile(), QByteArray("/opt/my tools/TALVO.HLP"));

        // The settings and preview files are named after the program; the help and the first-run
        // test keep their fixed names.
        const ProgramFiles renamed = LocateProgramFiles("/opt/v1.2/talvo.bin", Env("/home/u", "", {"/opt/v1.2/"}));
        QCOMPARE(renamed.SettingsFile(), QByteArray("/opt/v1.2/talvo.INI"));
        QCOMPARE(renamed.PreviewFile(), QByteArray("/opt/v1.2/talvo.TXT"));
        QCOMPARE(renamed.FirstRunProbe(), QByteArray("/opt/v1.2/TALVO.INI"));
        QCOMPARE(renamed.HelpFile(), QByteArray("/opt/v1.2/TALVO.HLP"));

        // The same as FilesBesideProgram, which knows no environment.
        const ProgramFiles beside = FilesBesideProgram("/opt/my tools/TALVO");
        QCOMPARE(beside.SettingsFile(), f.SettingsFile());
        QCOMPARE(beside.PreviewFile(), f.PreviewFile());

        // A bare program name: the files are named relative to the working folder, whose
        // writability decides.
        const ProgramFiles bare = LocateProgramFiles("TALVO", Env("/home/u", "", {"."}));
        QVERIFY(bare.BesideProgram());
        QCOMPARE(bare.SettingsFile(), QByteArray("TALVO.INI"));
        QCOMPARE(bare.HelpFile(), QByteArray("TALVO.HLP"));
    }

    void readOnlyFolderKeepsTheUsersFilesInTheConfigFolder()
    {
        const ProgramFiles f = LocateProgramFiles("/opt/talvo/TALVO", Env("/home/u", "/home/u/cfg", {"/home/u/"}));
        QVERIFY(!f.BesideProgram());
        QCOMPARE(f.ProgramFolder(), QByteArray("/opt/talvo/"));
        QCOMPARE(f.DataFolder(), QByteArray("/home/u/cfg/talvo/"));
        QCOMPARE(f.SettingsFile(), QByteArray("/home/u/cfg/talvo/TALVO.INI"));
        QCOMPARE(f.FirstRunProbe(), QByteArray("/home/u/cfg/talvo/TALVO.INI"));
        QCOMPARE(f.PreviewFile(), QByteArray("/home/u/cfg/talvo/TALVO.TXT"));
        // What the program only reads stays where it was installed.
        QCOMPARE(f.HelpFile(), QByteArray("/opt/talvo/TALVO.HLP"));

        // A settings file beside the program that cannot be replaced does not keep the files
        // there: its folder is read-only.
        const ProgramFiles locked =
            LocateProgramFiles("/opt/talvo/TALVO", Env("/home/u", "", {"/opt/talvo/TALVO.INI"}));
        QCOMPARE(locked.SettingsFile(), QByteArray("/home/u/.config/talvo/TALVO.INI"));
    }

    void configHomeFollowsTheXdgRules()
    {
        QCOMPARE(ConfigHome(Env("/home/u", "", {})), QByteArray("/home/u/.config"));
        QCOMPARE(ConfigHome(Env("/home/u/", "/x/cfg/", {})), QByteArray("/x/cfg"));
        // A relative XDG_CONFIG_HOME is ignored, as the rules say.
        QCOMPARE(ConfigHome(Env("/home/u", "cfg", {})), QByteArray("/home/u/.config"));
        QCOMPARE(ConfigHome(Env("/", "", {})), QByteArray("/.config"));
        // Bytes that are not UTF-8 are kept.
        const QByteArray sjisHome = "/home/" + Sjis("ﾕｰｻﾞ");
        QCOMPARE(ConfigHome(Env(sjisHome, "", {})), sjisHome + "/.config");
        // Neither variable usable: no configuration home.
        QCOMPARE(ConfigHome(Env("", "", {})), QByteArray());
        QCOMPARE(ConfigHome(Env("relative", "also/relative", {})), QByteArray());

        // Without one, an installed program keeps naming its files beside itself: writing them
        // there fails and says so.
        const ProgramFiles homeless = LocateProgramFiles("/opt/talvo/TALVO", Env("", "", {}));
        QVERIFY(homeless.BesideProgram());
        QCOMPARE(homeless.SettingsFile(), QByteArray("/opt/talvo/TALVO.INI"));
    }

    void systemFoldersAreNeverWrittenUnlessAPortableSettingsFileIsThere()
    {
        // /usr belongs to the system's packages: even a user allowed to write there (root) keeps
        // the files in the configuration folder.
        const ProgramFiles installed =
            LocateProgramFiles("/usr/lib/talvo/TALVO", Env("/root", "", {"/usr/lib/talvo/", "/root/"}));
        QVERIFY(!installed.BesideProgram());
        QCOMPARE(installed.SettingsFile(), QByteArray("/root/.config/talvo/TALVO.INI"));
        QCOMPARE(installed.HelpFile(), QByteArray("/usr/lib/talvo/TALVO.HLP"));
        // A settings file beside it that the user can replace wins: a portable copy stays one.
        const ProgramFiles portable = LocateProgramFiles(
            "/usr/local/talvo/TALVO", Env("/root", "", {"/usr/local/talvo/", "/usr/local/talvo/TALVO.INI"}));
        QVERIFY(portable.BesideProgram());
        QCOMPARE(portable.SettingsFile(), QByteArray("/usr/local/talvo/TALVO.INI"));
        QCOMPARE(portable.PreviewFile(), QByteArray("/usr/local/talvo/TALVO.TXT"));
    }

    void theFileSystemDecidesWithTheCurrentEnvironment()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // A folder named in Shift-JIS, with a blank: the bytes go through unchanged.
        const QByteArray program = QFile::encodeName(dir.path()) + "/" + Sjis("ﾂｰﾙ 1") + "/TALVO";
        const QByteArray folder = program.chopped(5);
        QVERIFY(::mkdir(folder.constData(), 0755) == 0);
        const QByteArray home = QFile::encodeName(dir.path()) + "/home";
        QVERIFY(::mkdir(home.constData(), 0755) == 0);
        const QByteArray oldHome = qgetenv("HOME"), oldXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home);
        qunsetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", oldHome);
            if (!oldXdg.isEmpty())
                qputenv("XDG_CONFIG_HOME", oldXdg);
            ::chmod(folder.constData(), 0755);
        });

        QVERIFY(LocateProgramFiles(program, CurrentProgramEnvironment()).BesideProgram());
        // No write bit left: read-only even for root, whom the system would let through.
        QVERIFY(::chmod(folder.constData(), 0555) == 0);
        const ProgramFiles f = LocateProgramFiles(program, CurrentProgramEnvironment());
        QCOMPARE(f.SettingsFile(), home + "/.config/talvo/TALVO.INI");
        QCOMPARE(f.HelpFile(), folder + "TALVO.HLP");

        // The configuration folder is made on first use, each missing level private to the user.
        QVERIFY(f.MakeDataFolder());
        QCOMPARE(KindOfPath(home + "/.config/talvo"), PathKind::Folder);
        struct stat st {};
        QVERIFY(::stat((home + "/.config/talvo").constData(), &st) == 0);
        QCOMPARE(st.st_mode & 0777, 0700u);
        QVERIFY(f.MakeDataFolder());  // already there
    }

    void makingTheDataFolderFailsWhereAFileIsInTheWay()
    {
        QTemporaryDir dir;
        const QByteArray home = QFile::encodeName(dir.path());
        WriteBytesAt(home + "/.config", "not a folder");
        const ProgramFiles f = LocateProgramFiles("/opt/talvo/TALVO", Env(home, "", {}));
        QVERIFY(!f.MakeDataFolder());
        // Nothing to make beside the program.
        QVERIFY(FilesBesideProgram("/nonexistent/TALVO").MakeDataFolder());
    }
};

QTEST_GUILESS_MAIN(TestProgramFiles)
#include "tst_program_files.moc"
