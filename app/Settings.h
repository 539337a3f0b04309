#pragma once
// Every setting of the main window except the launcher entries, with the settings file's
// reading and writing. Text values are CP932 bytes as stored; the integers and booleans are
// converted when read.
#include <QByteArray>
#include <QString>

class IniFile;

struct Settings {
    // [ListJyouhou]
    QByteArray ListFontName = "system";
    QByteArray ListFontSize = "14";
    QByteArray ListFontColor = "clBlack";
    QByteArray ListBackColor = "clWindow";
    // [TextJyouhou]
    QByteArray TextFontName = "system";
    QByteArray TextFontSize = "14";
    QByteArray TextFontColor = "clBlack";
    QByteArray TextBackColor = "clWindow";
    // [OutPutJyouhou]
    QByteArray FileName1, FileName2, FileName3;  // separator files
    QByteArray AddStrTo;                         // prefix of the file-name line
    bool CheckOut1 = false;                      // CheckBox1: separator 1
    bool CheckOut2 = false;                      // CheckBox3: separator 2
    bool CheckOut3 = false;                      // CheckBox4: separator 3
    bool CheckAddStr = false;                    // CheckBox2: file-name line
    // [WordWrap] Set, Byte
    bool WordWrap = false;
    int WordWrapByte = 80;
    // [FindLineScroll] Num
    int FindLineScroll = 0;
    // [SearchUperLower] Set
    bool SearchUperLower = false;
    // [FindStrName] Set, [JumpLineNum] Set
    QByteArray FindStrName;
    QByteArray JumpLineNum;
};

// The settings file of a program file: its path with the extension ".INI".
QString SettingsFilePath(const QString &programFile);

// Reads every key in order with its default. The separator paths default to SEPA01.TXT to
// SEPA03.TXT beside the program. An integer key holding other text takes its default.
Settings ReadIniFileValue(const QString &programFile);
// Writes every key in order (booleans "1"/"0", AddStrTo in double quotes) in one save.
// EIniWriteError when the file cannot be written; the file is then unchanged.
void WriteIniFileValue(const QString &programFile, const Settings &settings);

// A font size setting as applied: its integer value, or the default 14 for other text.
int FontSizeValue(const QByteArray &text);
