#include "Settings.h"

#include <QFile>

#include "IniFile.h"
#include "Paths.h"
#include "TextValues.h"

namespace {
constexpr int kDefaultFontSize = 14;

QByteArray ProgramFolder(const QString &programFile)
{
    return ExtractFilePath(QByteArrayView(QFile::encodeName(programFile)));
}

int ReadInt(const IniFile &ini, const char *section, const char *key, int def)
{
    return StrToInt(ini.ReadString(section, key, IntToStr(def))).value_or(def);
}

bool ReadBool(const IniFile &ini, const char *section, const char *key, bool def)
{
    return StrToIntBool(ini.ReadString(section, key, def ? "1" : "0")).value_or(def ? 1 : 0) != 0;
}

// A colour key holding text that is neither a name nor a number falls back to its default.
QByteArray ReadColor(const IniFile &ini, const char *section, const char *key, const char *def)
{
    QByteArray text = ini.ReadString(section, key, def);
    return StringToColor(text) ? text : QByteArray(def);
}

QByteArray ReadIntText(const IniFile &ini, const char *section, const char *key, const char *def)
{
    QByteArray text = ini.ReadString(section, key, def);
    return StrToInt(text) ? text : QByteArray(def);
}
}

QString SettingsFilePath(const QString &programFile) { return ChangeFileExt(programFile, QStringLiteral(".INI")); }

int FontSizeValue(const QByteArray &text) { return StrToInt(text).value_or(kDefaultFontSize); }

Settings ReadIniFileValue(const QString &programFile)
{
    const IniFile ini(SettingsFilePath(programFile));
    const QByteArray folder = ProgramFolder(programFile);
    Settings s;
    s.ListFontName = ini.ReadString("ListJyouhou", "ListFontName", "system");
    s.ListFontSize = ReadIntText(ini, "ListJyouhou", "ListFontSize", "14");
    s.ListFontColor = ReadColor(ini, "ListJyouhou", "ListFontColor", "clBlack");
    s.ListBackColor = ReadColor(ini, "ListJyouhou", "ListBackColor", "clWindow");
    s.TextFontName = ini.ReadString("TextJyouhou", "TextFontName", "system");
    s.TextFontSize = ReadIntText(ini, "TextJyouhou", "TextFontSize", "14");
    s.TextFontColor = ReadColor(ini, "TextJyouhou", "TextFontColor", "clBlack");
    s.TextBackColor = ReadColor(ini, "TextJyouhou", "TextBackColor", "clWindow");
    s.FileName1 = ini.ReadString("OutPutJyouhou", "FileName1", folder + "SEPA01.TXT");
    s.FileName2 = ini.ReadString("OutPutJyouhou", "FileName2", folder + "SEPA02.TXT");
    s.FileName3 = ini.ReadString("OutPutJyouhou", "FileName3", folder + "SEPA03.TXT");
    s.AddStrTo = ini.ReadString("OutPutJyouhou", "AddStrTo", "");
    s.CheckOut1 = ReadBool(ini, "OutPutJyouhou", "CheckOut1", false);
    s.CheckOut2 = ReadBool(ini, "OutPutJyouhou", "CheckOut2", false);
    s.CheckOut3 = ReadBool(ini, "OutPutJyouhou", "CheckOut3", false);
    s.CheckAddStr = ReadBool(ini, "OutPutJyouhou", "CheckAddStr", false);
    s.WordWrap = ReadBool(ini, "WordWrap", "Set", false);
    s.WordWrapByte = ReadInt(ini, "WordWrap", "Byte", 80);
    s.FindLineScroll = ReadInt(ini, "FindLineScroll", "Num", 0);
    s.SearchUperLower = ReadBool(ini, "SearchUperLower", "Set", false);
    s.FindStrName = ini.ReadString("FindStrName", "Set", "");
    s.JumpLineNum = ini.ReadString("JumpLineNum", "Set", "");
    return s;
}

void WriteIniFileValue(const QString &programFile, const Settings &s)
{
    IniFile ini(SettingsFilePath(programFile));
    const auto flag = [](bool b) { return QByteArray(b ? "1" : "0"); };
    ini.WriteString("ListJyouhou", "ListFontName", s.ListFontName);
    ini.WriteString("ListJyouhou", "ListFontSize", s.ListFontSize);
    ini.WriteString("ListJyouhou", "ListFontColor", s.ListFontColor);
    ini.WriteString("ListJyouhou", "ListBackColor", s.ListBackColor);
    ini.WriteString("TextJyouhou", "TextFontName", s.TextFontName);
    ini.WriteString("TextJyouhou", "TextFontSize", s.TextFontSize);
    ini.WriteString("TextJyouhou", "TextFontColor", s.TextFontColor);
    ini.WriteString("TextJyouhou", "TextBackColor", s.TextBackColor);
    ini.WriteString("OutPutJyouhou", "FileName1", s.FileName1);
    ini.WriteString("OutPutJyouhou", "FileName2", s.FileName2);
    ini.WriteString("OutPutJyouhou", "FileName3", s.FileName3);
    ini.WriteString("OutPutJyouhou", "AddStrTo", "\"" + s.AddStrTo + "\"");
    ini.WriteString("OutPutJyouhou", "CheckOut1", flag(s.CheckOut1));
    ini.WriteString("OutPutJyouhou", "CheckOut2", flag(s.CheckOut2));
    ini.WriteString("OutPutJyouhou", "CheckOut3", flag(s.CheckOut3));
    ini.WriteString("OutPutJyouhou", "CheckAddStr", flag(s.CheckAddStr));
    ini.WriteString("WordWrap", "Set", flag(s.WordWrap));
    ini.WriteString("WordWrap", "Byte", IntToStr(s.WordWrapByte));
    ini.WriteString("FindLineScroll", "Num", IntToStr(s.FindLineScroll));
    ini.WriteString("SearchUperLower", "Set", flag(s.SearchUperLower));
    ini.WriteString("FindStrName", "Set", s.FindStrName);
    ini.WriteString("JumpLineNum", "Set", s.JumpLineNum);
    ini.Save();
}
