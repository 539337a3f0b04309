// Saving lines: the bytes written, and failures that must leave the old file as it was.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

#include "lines/PlainStrings.h"
#include "lines/SafeSave.h"
#include "lines/TBvStrings.h"
#include "lines/TLightStrings.h"
#include "tests/TestSupport.h"

using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {
QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// Lowers the size a file of this process may reach; a write beyond it fails with EFBIG
// (SIGXFSZ is ignored, as the program does).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit lowered = old_;
        lowered.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }
    bool ok() const { return ok_; }

private:
    rlimit old_{};
    bool ok_ = false;
};
}

class TestLineSaving : public QObject {
    Q_OBJECT

private slots:
    void bytesWritten()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("出力 ファイル.txt"));
        TLightStrings light;
        light.Add("a");
        light.Add("");
        light.SaveToFile(path);
        QCOMPARE(ReadBytes(path), QByteArray("a\r\n\r\n"));
        QCOMPARE(light.Count(), 2);

        // A line may hold anything but CR and Ctrl-Z and still come back as it was.
        TBvStrings store;
        store.SetCount(3);
        store.Put(0, QByteArray("nul\0lf\n", 7));
        store.Put(1, QByteArray(3 * 1024 * 1024, '\x81'));
        store.SaveToFile(path);
        TBvStrings back;
        back.LoadFromFile(path);
        QCOMPARE(back.GetText(), store.GetText());

        PlainStrings plain;
        plain.Add("x");
        plain.SaveToFile(path);
        QCOMPARE(ReadBytes(path), QByteArray("x\r\n"));
        PlainStrings().SaveToFile(path);
        QCOMPARE(ReadBytes(path), QByteArray());
        QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("出力 ファイル.txt")});
    }

    void storedRunsAreWrittenAsTheirLines()
    {
        // Lines loaded back to back with CR LF go out as whole runs; whatever breaks a run (a
        // lone CR or LF break, a line added by hand, lines picked out of order, a last line
        // without a break) must still give every line followed by CR LF.
        QTemporaryDir dir;
        QByteArray source;
        for (int i = 0; i < 40000; ++i) {
            source += QByteArray::number(i * 7919);
            source += (i % 997 == 0) ? "\r" : (i % 1009 == 0) ? "\n" : (i % 13 == 0) ? "\r\n\r\n" : "\r\n";
        }
        source += "tail";
        WriteBytes(dir.filePath("in.txt"), source);
        PlainStrings loaded;
        loaded.LoadFromFile(dir.filePath("in.txt"));
        PlainStrings mixed;
        mixed.Add("first");
        mixed.AddStrings(loaded);
        mixed.Add("between");
        mixed.AddStrings(loaded);
        mixed.Put(20000, "changed");
        TLightStrings light;
        light.LoadFromFile(dir.filePath("in.txt"));
        PlainStrings copied;
        light.AssignTo(copied);
        mixed.AddStrings(copied);
        QByteArray expected;
        for (int i = 0; i < mixed.Count(); ++i)
            expected += mixed.View(i).toByteArray() + "\r\n";
        mixed.SaveToFile(dir.filePath("out.txt"));
        QCOMPARE(ReadBytes(dir.filePath("out.txt")), expected);
    }

    void keepsPermissionsAndLinks()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.txt"));
        WriteBytes(path, "old");
        const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(path, mode));
        TLightStrings light;
        light.Add("new");
        light.SaveToFile(path);
        QCOMPARE(ReadBytes(path), QByteArray("new\r\n"));
        QCOMPARE(QFile::permissions(path) & 0x7077, mode & 0x7077);  // owner, group, other

        const QString link = dir.filePath(QStringLiteral("link.txt"));
        QVERIFY(QFile::link(path, link));
        light.Add("more");
        light.SaveToFile(link);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadBytes(path), QByteArray("new\r\nmore\r\n"));
    }

    void refusals()
    {
        QTemporaryDir dir;
        TLightStrings light;
        light.Add("line");

        QVERIFY_THROWS_EXCEPTION(EInOutError, light.SaveToFile(dir.path()));
        QVERIFY_THROWS_EXCEPTION(EInOutError, light.SaveToFile(QString()));
        QVERIFY_THROWS_EXCEPTION(EInOutError, light.SaveToFile(dir.filePath(QStringLiteral("no/such/folder.txt"))));

        const QString readOnly = dir.filePath(QStringLiteral("read only.txt"));
        WriteBytes(readOnly, "keep");
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY_THROWS_EXCEPTION(EInOutError, light.SaveToFile(readOnly));
        QCOMPARE(ReadBytes(readOnly), QByteArray("keep"));

        const QString folder = dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(folder));
        WriteBytes(folder + QStringLiteral("/old.txt"), "keep");
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        PlainStrings plain;
        plain.Add("x");
        QVERIFY_THROWS_EXCEPTION(EInOutError, plain.SaveToFile(folder + QStringLiteral("/old.txt")));
        QVERIFY_THROWS_EXCEPTION(EInOutError, plain.SaveToFile(folder + QStringLiteral("/new.txt")));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(Entries(folder), QStringList{QStringLiteral("old.txt")});
        QCOMPARE(ReadBytes(folder + QStringLiteral("/old.txt")), QByteArray("keep"));
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner));
    }

    // A save that fails midway (here: the file-size limit) leaves the old file byte for byte.
    void failureMidwayKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("result.txt"));
        const QByteArray old = "old content\r\n";
        WriteBytes(path, old);
        TBvStrings store;
        for (int i = 0; i < 40000; ++i)
            store.Add(QByteArray(100, char('a' + i % 26)));

        bool refused = false;
        bool callbackRefused = false;
        {
            FileSizeLimit limit(1024 * 1024);
            QVERIFY(limit.ok());
            try {
                store.SaveToFile(path);
            } catch (const EInOutError &) {
                refused = true;
            }
            // A writer that gives up raises too; nothing of it remains.
            try {
                SaveBytesSafely(QFile::encodeName(path), [](QIODevice &device) {
                    device.write("partial");
                    throw EInOutError("stopped");
                });
            } catch (const EInOutError &) {
                callbackRefused = true;
            }
        }
        QVERIFY(refused);
        QVERIFY(callbackRefused);
        QCOMPARE(ReadBytes(path), old);
        QCOMPARE(Entries(dir.path()), QStringList{QStringLiteral("result.txt")});

        store.SaveToFile(path);  // without the limit it goes through
        QCOMPARE(QFileInfo(path).size(), 40000 * 102);
    }
};

QTEST_GUILESS_MAIN(TestLineSaving)
#include "tst_line_saving.moc"
