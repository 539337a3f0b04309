#pragma once
// The plain string list: an ordered list of byte lines (without their breaks) used for the
// input list, the separator files and the joining job's work lists.
//
// Lines are stored as spans into shared, immutable byte blocks, so copying lines from one list
// to another (AddStrings, TLightStrings::AssignTo) shares the bytes instead of duplicating them.
// This keeps the joining job's peak memory close to the size of its inputs.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "lines/LineTable.h"

class PlainStrings {
public:
    int Count() const { return table_.count(); }
    QByteArray Get(int index) const;              // EListError outside 0..Count-1
    QByteArrayView View(int index) const;         // no copy; valid until this list changes
    int Add(QByteArrayView line);                 // returns the new line's index
    void Put(int index, QByteArrayView line);     // EListError outside 0..Count-1
    void Clear();
    void AddStrings(const PlainStrings &source);  // appends all lines of source, in order
    void Assign(const PlainStrings &source);      // Clear, then AddStrings

    // Splits the file at CR LF, CR or LF; a NUL byte ends the text; a last line without a break
    // counts; an empty file gives no lines. EInOutError when the file cannot be opened or read.
    void LoadFromFile(const QString &fileName);
    void LoadFromFile(const QByteArray &path);  // the file system's bytes for the name
    // Writes every line followed by CR LF. The bytes go to a temporary file in the same folder
    // that replaces the target only when complete; refuses a folder, an existing file that is
    // not writable and a folder that is not writable. EInOutError on any failure, with the
    // target unchanged.
    void SaveToFile(const QString &fileName) const;

    const LineTable &table() const { return table_; }
    LineTable &table() { return table_; }

private:
    LineTable table_;
};
