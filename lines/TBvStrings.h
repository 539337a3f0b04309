#pragma once
// TBvStrings: the line store of the big-text view. Same storage, growth rule, loading rules
// and index error as TLightStrings, plus editing, exchange, search and copying to and from
// plain string lists.
//
// A regular file is not copied in: the store maps it and keeps where each line starts
// (FileLines), so a file larger than memory can be shown. The first change to the lines turns
// the index into a line table whose unchanged lines still point into the mapping; the changed
// ones are copied into the table's own blocks. Pipes and devices are read into memory.
#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include "lines/FileLines.h"
#include "lines/LineTable.h"
#include "lines/TextEncoding.h"

#include <memory>
#include <optional>

class MappedFile;

class PlainStrings;

class TBvStrings {
public:
    static constexpr int MaxListSize = LineTable::MaxCount;

    TBvStrings() = default;
    virtual ~TBvStrings();
    TBvStrings(const TBvStrings &) = delete;
    TBvStrings &operator=(const TBvStrings &) = delete;

    // The readers are inline: the view's layout, paint and search call them for every line.
    int Count() const { return file_ ? file_->count() : table_.count(); }
    int Capacity() const { return file_ ? file_->count() : table_.capacity(); }
    QByteArray Get(int index) const { return View(index).toByteArray(); }  // EListError outside 0..Count-1
    // No copy; valid until the store changes.
    QByteArrayView View(int index) const { return file_ ? file_->view(index) : table_.view(index); }
    int LineLength(int index) const { return file_ ? file_->length(index) : table_.length(index); }
    // The first line from `from` on that may hold more than `bytes` bytes, or Count(): the lines
    // before it fit. For a file's lines this reads only where they start.
    int NextLineLongerThan(int from, int bytes) const;
    // The first line from `from` on that may take more than `cells` cells in the lines'
    // encoding (its CellBound exceeds them), or Count().
    int NextLineWiderThan(int from, int cells) const;
    // The longest of `count` lines from `first` on (clipped to the lines), or 0.
    int LongestLine(int first, int count) const;
    // The mapped file the lines are read from, or nullptr (lines in memory). Its Changed() tells
    // whether the file on disk still holds the bytes shown.
    const MappedFile *SourceFile() const;
    // The index of the file the lines are read from, or nullptr: a search can scan the file's
    // bytes as one run.
    const FileLines *FileIndex() const { return file_.get(); }
    void Put(int index, QByteArrayView line);
    int Add(QByteArrayView line);
    void Insert(int index, QByteArrayView line);  // 0 <= index <= Count
    void Delete(int index);
    void Exchange(int index1, int index2);
    void Clear();
    // Forward search from (line, column) itself, ASCII case-insensitive; column is 1-based.
    // On a match leaves line/column on it; otherwise line = Count, column = 1. With a job:
    // progress and a stop (EJobCancelled, line and column as they were).
    bool Find(QByteArrayView text, int &line, int &column, JobControl *job = nullptr) const;
    void AddStrings(const PlainStrings &source);
    void Assign(const PlainStrings &source);
    void AssignTo(PlainStrings &dest) const;

    virtual QByteArray GetText() const;
    virtual void SetText(QByteArrayView text);
    virtual void SetCount(int n);
    virtual void SetCapacity(int n);
    virtual void SetCommaText(QByteArrayView text);
    virtual QByteArray GetCommaText() const;
    [[noreturn]] virtual void Error() const;
    virtual void LoadFromFile(const QString &fileName);
    virtual void LoadFromFile(const QByteArray &path);  // the file system's bytes for the name
    // A file's lines read on any thread (a worker), for a store on the window thread to take:
    // the index of a regular file, or the lines of a pipe, a device or a UTF-16 text read into
    // memory. The encoding is the one given, or the one the file's first bytes show
    // (DetectEncoding); a byte-order mark is not part of the first line, and UTF-16 is split at
    // its own line breaks up to a Ctrl-Z unit.
    struct FileRead {
        std::shared_ptr<const FileLines> file;
        LineTable table;
        TextEncoding encoding = TextEncoding::ShiftJis;
    };
    // With a job, progress and a stop (EJobCancelled).
    static FileRead ReadFile(const QByteArray &path, JobControl *job = nullptr,
                             std::optional<TextEncoding> encoding = std::nullopt);
    // Clear, then the lines read.
    void Take(FileRead &&read);
    // LoadFromFile in the encoding given, or the detected one.
    void LoadFromFile(const QByteArray &path, std::optional<TextEncoding> encoding);
    // The encoding of the file loaded last; Shift-JIS for anything else.
    TextEncoding Encoding() const { return encoding_; }
    virtual void SaveToFile(const QString &fileName) const;
    virtual void SaveToStream(QIODevice &stream) const;
    virtual void LoadFromStream(QIODevice &stream);
    virtual int IndexOf(QByteArrayView text) const;

protected:
    // Turns a file index into the line table, before the lines change.
    void Detach();
    // The file's lines as a line table of spans into the mapping (no bytes copied).
    LineTable SpansOverFile() const;
    // Calls use(lines) with the lines as a line table, whichever way they are kept.
    template <typename Use>
    auto WithTable(Use &&use) const
    {
        if (!file_)
            return use(table_);
        const LineTable spans = SpansOverFile();
        return use(spans);
    }

    LineTable table_;
    std::shared_ptr<const FileLines> file_;  // while set, the lines are the file's
    TextEncoding encoding_ = TextEncoding::ShiftJis;
};
