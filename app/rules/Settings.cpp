#include "app/rules/Settings.h"

#include <QFile>

#include <array>

#include "lines/IniFile.h"
#include "app/rules/TextValues.h"

namespace {
constexpr int DefaultFontSize = 14;

#define TALVO_FIELD(member) [](Settings &s) -> SettingField { return &s.member; }

using K = SettingKind;
constexpr std::array Keys{
    SettingKey{"ListJyouhou", "ListFontName", K::Text, "system", TALVO_FIELD(ListFontName)},
    SettingKey{"ListJyouhou", "ListFontSize", K::SizeText, "14", TALVO_FIELD(ListFontSize)},
    SettingKey{"ListJyouhou", "ListFontColor", K::ColorText, "clBlack", TALVO_FIELD(ListFontColor)},
    SettingKey{"ListJyouhou", "ListBackColor", K::ColorText, "clWindow", TALVO_FIELD(ListBackColor)},
    SettingKey{"TextJyouhou", "TextFontName", K::Text, "system", TALVO_FIELD(TextFontName)},
    SettingKey{"TextJyouhou", "TextFontSize", K::SizeText, "14", TALVO_FIELD(TextFontSize)},
    SettingKey{"TextJyouhou", "TextFontColor", K::ColorText, "clBlack", TALVO_FIELD(TextFontColor)},
    SettingKey{"TextJyouhou", "TextBackColor", K::ColorText, "clWindow", TALVO_FIELD(TextBackColor)},
    SettingKey{"OutPutJyouhou", "FileName1", K::FileInProgramFolder, "SEPA01.TXT", TALVO_FIELD(FileName1)},
    SettingKey{"OutPutJyouhou", "FileName2", K::FileInProgramFolder, "SEPA02.TXT", TALVO_FIELD(FileName2)},
    SettingKey{"OutPutJyouhou", "FileName3", K::FileInProgramFolder, "SEPA03.TXT", TALVO_FIELD(FileName3)},
    SettingKey{"OutPutJyouhou", "AddStrTo", K::QuotedText, "", TALVO_FIELD(AddStrTo)},
    SettingKey{"OutPutJyouhou", "CheckOut1", K::Flag, "0", TALVO_FIELD(CheckOut1)},
    SettingKey{"OutPutJyouhou", "CheckOut2", K::Flag, "0", TALVO_FIELD(CheckOut2)},
    SettingKey{"OutPutJyouhou", "CheckOut3", K::Flag, "0", TALVO_FIELD(CheckOut3)},
    SettingKey{"OutPutJyouhou", "CheckAddStr", K::Flag, "0", TALVO_FIELD(CheckAddStr)},
    SettingKey{"WordWrap", "Set", K::Flag, "0", TALVO_FIELD(Viewer.WordWrap)},
    SettingKey{"WordWrap", "Byte", K::Number, "80", TALVO_FIELD(Viewer.WordWrapByte)},
    SettingKey{"FindLineScroll", "Num", K::Number, "0", TALVO_FIELD(Viewer.FindLineScroll)},
    SettingKey{"SearchUperLower", "Set", K::Flag, "0", TALVO_FIELD(Viewer.SearchUperLower)},
    SettingKey{"FindStrName", "Set", K::Text, "", TALVO_FIELD(Viewer.FindStrName)},
    SettingKey{"JumpLineNum", "Set", K::Text, "", TALVO_FIELD(Viewer.JumpLineNum)},
};

#undef TALVO_FIELD

QByteArray DefaultText(const SettingKey &key, const ProgramFiles &files)
{
    if (key.kind == K::FileInProgramFolder)
        return files.ProgramFolder() + key.def;
    return key.def;
}

// Stores a key's text in its field; false when the text does not fit the key's kind.
bool Store(const SettingKey &key, Settings &s, const QByteArray &text)
{
    const SettingField field = key.field(s);
    switch (key.kind) {
    case K::SizeText:
        if (!StrToInt(text))
            return false;
        break;
    case K::ColorText:
        if (!StringToColor(text))
            return false;
        break;
    case K::Flag: {
        const auto value = StrToIntBool(text);
        if (value)
            *std::get<bool *>(field) = *value != 0;
        return value.has_value();
    }
    case K::Number: {
        const auto value = StrToInt(text);
        if (value)
            *std::get<int *>(field) = *value;
        return value.has_value();
    }
    default:
        break;
    }
    *std::get<QByteArray *>(field) = text;
    return true;
}

QByteArray Text(const SettingKey &key, Settings &s)
{
    const SettingField field = key.field(s);
    switch (key.kind) {
    case K::Flag: return *std::get<bool *>(field) ? "1" : "0";
    case K::Number: return IntToStr(*std::get<int *>(field));
    case K::QuotedText: {
        // The file cuts a value at a line break; the closing quote must come before the cut.
        return '"' + IniFile::StoredValue(*std::get<QByteArray *>(field)).toByteArray() + '"';
    }
    default: return *std::get<QByteArray *>(field);
    }
}
}  // namespace

std::span<const SettingKey> SettingsTable() { return Keys; }

int FontSizeValue(const QByteArray &text) { return StrToInt(text).value_or(DefaultFontSize); }

Settings DefaultSettings(const ProgramFiles &files)
{
    Settings s;
    for (const SettingKey &key : Keys)
        Store(key, s, DefaultText(key, files));
    return s;
}

Settings ReadIniFileValue(const ProgramFiles &files, bool *unreadable)
{
    const IniFile ini(files.SettingsFile());
    if (unreadable)
        *unreadable = ini.unreadable();
    Settings s;
    for (const SettingKey &key : Keys) {
        const QByteArray def = DefaultText(key, files);
        if (!Store(key, s, ini.ReadString(key.section, key.name, def)))
            Store(key, s, def);
    }
    return s;
}

void WriteIniFileValue(const ProgramFiles &files, const Settings &settings)
{
    IniFile ini(files.SettingsFile());
    Settings copy = settings;  // the table's fields are reached through a non-const object
    for (const SettingKey &key : Keys)
        ini.WriteString(key.section, key.name, Text(key, copy));
    ini.Save();
}
