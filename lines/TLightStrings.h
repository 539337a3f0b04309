#pragma once
// TLightStrings: the light line list every input file is read with. CR LF and a lone CR end a
// line (a lone LF stays inside it), Ctrl-Z ends the text. Indexes and counts are signed 32-bit.
#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <functional>

#include "lines/LineTable.h"

class PlainStrings;

class TLightStrings {
public:
    static constexpr int MaxListSize = LineTable::MaxCount;

    TLightStrings() = default;
    virtual ~TLightStrings();
    TLightStrings(const TLightStrings &) = delete;
    TLightStrings &operator=(const TLightStrings &) = delete;

    int Count() const { return table_.count(); }
    int Capacity() const { return table_.capacity(); }
    QByteArray Get(int index) const;       // EListError outside 0..Count-1
    QByteArrayView View(int index) const;  // no copy; valid until the list changes
    int Add(QByteArrayView line);          // grows by 32 slots when full; returns the index
    void Clear();
    void AssignTo(PlainStrings &dest) const;  // dest ends holding exactly these lines

    virtual QByteArray GetText() const;
    virtual void SetText(QByteArrayView text);
    virtual void SetCount(int n);
    virtual void SetCapacity(int n);
    virtual void SetCommaText(QByteArrayView text);
    virtual QByteArray GetCommaText() const;
    [[noreturn]] virtual void Error() const;
    virtual void LoadFromFile(const QString &fileName);  // EInOutError
    virtual void LoadFromFile(const QByteArray &path);   // the file system's bytes for the name
    // Reads the file (its path as the file system's bytes) by the same rules about `piece`
    // bytes at a time; after each piece its lines are in the list and `pieceReady` is called,
    // which must take them and Clear the list. EInOutError, or EListError for more than
    // MaxListSize lines in all.
    void LoadInPieces(const QByteArray &path, quint64 piece, const std::function<void()> &pieceReady,
                      BlockPool *pool = nullptr, JobControl *job = nullptr);
    virtual void SaveToFile(const QString &fileName) const;  // EInOutError; target kept on failure
    virtual void SaveToStream(QIODevice &stream) const;
    virtual void LoadFromStream(QIODevice &stream);
    virtual int IndexOf(QByteArrayView text) const;

    // The storage itself, for handing the lines on without copying them.
    LineTable &table() { return table_; }

protected:
    LineTable table_;
};
