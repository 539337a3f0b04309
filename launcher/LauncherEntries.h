#pragma once
// The nine launcher entries and their storage in the settings file: five sections (one per
// field) with the keys "1" to "9".
#include <QByteArray>
#include <QString>
#include <array>

struct LauncherEntries {
    static constexpr int EntryCount = 9;
    // Indexed by entry number 1..9; index 0 is unused.
    std::array<QByteArray, EntryCount + 1> ProgTitle, ProgName, ProgOption, ProgDir, ProgShortCut;
};

// Reads all nine entries; a missing file, section or key gives an empty field.
LauncherEntries ReadLauncherEntries(const QByteArray &settingsFile);
// Writes all nine entries in one save, keeping every other section and key.
// EIniWriteError when the file cannot be written.
void WriteLauncherEntries(const QByteArray &settingsFile, const LauncherEntries &entries);

// The kind of system start-up detected, from the environment (SYSTEMROOT → "WINNT", then
// WINBOOTDIR → "WINDOWS"; WINDIR gives the windows folder).
struct SystemKind {
    QByteArray OsKind;
    QByteArray WindowsDir;
};
SystemKind DetectSystemKind();

// Entries 1 and 2 for the detected kind, the rest free with the shortcut "*".
LauncherEntries DefaultLauncherEntries(const SystemKind &kind);
