#include "launcher/LauncherEntries.h"

#include "lines/IniFile.h"
#include "lines/ShiftJis.h"

namespace {
using Field = std::array<QByteArray, LauncherEntries::EntryCount + 1>;

QByteArray Key(int entry) { return QByteArray::number(entry); }

QByteArray Sjis(const char *utf8) { return EncodeCp932(QString::fromUtf8(utf8)); }

// Only the value's length counts as present, as the platform's environment read does.
bool EnvSet(const char *name) { return !qgetenv(name).isEmpty(); }
}

LauncherEntries ReadLauncherEntries(const QByteArray &settingsFile)
{
    const IniFile ini(settingsFile);
    LauncherEntries e;
    const std::pair<const char *, Field *> order[] = {
        {"ProgTitle", &e.ProgTitle}, {"ProgName", &e.ProgName}, {"ProgDir", &e.ProgDir},
        {"ProgShortCut", &e.ProgShortCut}, {"ProgOption", &e.ProgOption}};
    for (const auto &[section, field] : order)
        for (int i = 1; i <= LauncherEntries::EntryCount; ++i)
            (*field)[i] = ini.ReadString(section, Key(i), "");
    return e;
}

void WriteLauncherEntries(const QByteArray &settingsFile, const LauncherEntries &e)
{
    IniFile ini(settingsFile);
    const std::pair<const char *, const Field *> order[] = {
        {"ProgTitle", &e.ProgTitle}, {"ProgName", &e.ProgName}, {"ProgOption", &e.ProgOption},
        {"ProgDir", &e.ProgDir}, {"ProgShortCut", &e.ProgShortCut}};
    for (const auto &[section, field] : order) {
        // An option text in quotes of its own ("a b" %f "c") keeps them when read back.
        const bool option = field == &e.ProgOption;
        for (int i = 1; i <= LauncherEntries::EntryCount; ++i)
            ini.WriteString(section, Key(i), option ? IniFile::Protected((*field)[i]) : (*field)[i]);
    }
    ini.Save();
}

SystemKind DetectSystemKind()
{
    SystemKind k;
    if (EnvSet("SYSTEMROOT"))
        k.OsKind = "WINNT";
    if (EnvSet("WINBOOTDIR"))
        k.OsKind = "WINDOWS";
    if (EnvSet("WINDIR"))
        k.WindowsDir = qgetenv("WINDIR");
    return k;
}

LauncherEntries DefaultLauncherEntries(const SystemKind &kind)
{
    LauncherEntries e;
    for (int i = 1; i <= LauncherEntries::EntryCount; ++i)
        e.ProgShortCut[i] = "*";
    const QByteArray os = kind.OsKind.toUpper();
    const bool nt = os == "WINNT";
    if (!nt && os != "WINDOWS")
        return e;
    e.ProgTitle[1] = Sjis(nt ? "メモ帳(WinNT)" : "メモ帳(Windows)");
    e.ProgName[1] = kind.WindowsDir + "/NOTEPAD.EXE";
    e.ProgOption[1] = "%f";
    e.ProgShortCut[1] = "M";
    e.ProgTitle[2] = Sjis(nt ? "ワードパット(WinNT)" : "ワードパット(Windows)");
    e.ProgName[2] = kind.WindowsDir + (nt ? "/SYSTEM32/WRITE.EXE" : "/WRITE.EXE");
    e.ProgOption[2] = "%f";
    e.ProgShortCut[2] = "W";
    return e;
}
