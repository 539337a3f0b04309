#pragma once
// Every setting of the main window except the launcher entries, with the settings file's
// reading and writing. One table (SettingsTable) gives each key's section, name, kind, default
// and field; reading, writing and the defaults all walk it. Text values are CP932 bytes as
// stored; integers and flags are converted when read.
#include <QByteArray>
#include <QString>

#include <span>
#include <variant>

#include "lines/ProgramFiles.h"
#include "viewer/ViewerState.h"

struct Settings {
    // [ListJyouhou]
    QByteArray ListFontName, ListFontSize, ListFontColor, ListBackColor;
    // [TextJyouhou]
    QByteArray TextFontName, TextFontSize, TextFontColor, TextBackColor;
    // [OutPutJyouhou]
    QByteArray FileName1, FileName2, FileName3;  // separator files
    QByteArray AddStrTo;                         // prefix of the file-name line
    bool CheckOut1 = false;                      // CheckBox1: separator 1
    bool CheckOut2 = false;                      // CheckBox3: separator 2
    bool CheckOut3 = false;                      // CheckBox4: separator 3
    bool CheckAddStr = false;                    // CheckBox2: file-name line
    // [WordWrap] Set, Byte; [FindLineScroll] Num; [SearchUperLower] Set; [FindStrName] Set;
    // [JumpLineNum] Set: the viewer's saved fields, with the rest of the viewer state.
    ViewerState Viewer;
};

enum class SettingKind {
    Text,        // bytes as stored
    QuotedText,  // bytes, written in double quotes so leading and trailing blanks survive
    SizeText,    // integer text (a font size); other text reads as the default
    ColorText,   // a colour name or number; other text reads as the default
    FileInProgramFolder,  // a path; the default is the named file in the program's folder
    Flag,        // "1"/"0" (any integer, non-zero is set)
    Number,      // a 32-bit integer
};

using SettingField = std::variant<QByteArray *, bool *, int *>;

struct SettingKey {
    const char *section;
    const char *name;
    SettingKind kind;
    const char *def;  // the default as the file would hold it
    SettingField (*field)(Settings &);
};

// Every key in the order the settings file holds them.
std::span<const SettingKey> SettingsTable();

// The program's files give the settings file (ProgramFiles::SettingsFile) and the folder of the
// default separator files. Paths are the file system's bytes.

// Every key at its default. The separator paths default to SEPA01.TXT to SEPA03.TXT in the
// program's folder.
Settings DefaultSettings(const ProgramFiles &files);
// Reads every key in order with its default. A key of a checked kind holding other text takes
// its default. `unreadable` tells whether the file exists but could not be read (every key then
// has its default, and the file must not be written over).
Settings ReadIniFileValue(const ProgramFiles &files, bool *unreadable = nullptr);
// Writes every key in order in one save. EIniWriteError when the file cannot be written; the
// file is then unchanged.
void WriteIniFileValue(const ProgramFiles &files, const Settings &settings);

// A font size setting as applied: its integer value, or the default 14 for other text.
int FontSizeValue(const QByteArray &text);
