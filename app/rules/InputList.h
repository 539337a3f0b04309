#pragma once
// The input list: the inputs to join, in joining order, as three parallel sequences kept in
// step by every command: NameList (the names shown), PathList (the full paths, the file system's
// bytes exactly as given on the command line) and the items of the list box that shows them.
// The list box is reached through InputListView, so the rules run without a window.
#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringList>

#include <optional>

#include "lines/LineTable.h"

// What the list box must do to follow the list.
class InputListView {
public:
    virtual ~InputListView() = default;
    virtual void SetItems(const QStringList &names) = 0;
    virtual void InsertItem(int index, const QString &name) = 0;
    virtual void RemoveItem(int index) = 0;
    virtual void ExchangeItems(int index1, int index2) = 0;
    virtual int SelectedIndex() const = 0;     // -1 when nothing is selected
    virtual void SelectIndex(int index) = 0;   // -1 selects nothing
    virtual void SetPasteEnabled(bool enabled) = 0;
    // Adds items from `index` on, in order; a list box that can take them at once does so.
    virtual void InsertItems(int index, const QStringList &names)
    {
        for (const QString &name : names)
            InsertItem(index++, name);
    }
};

class InputList {
public:
    // Builds the list from the command line's input paths and keeps a copy for Restore.
    InputList(InputListView &view, const QByteArrayList &paths);

    const QStringList &NameList() const { return nameList_; }
    const QByteArrayList &PathList() const { return pathList_; }
    const QStringList &NameListSaved() const { return nameListSaved_; }
    const QByteArrayList &PathListSaved() const { return pathListSaved_; }
    const QString &CutName() const { return cutName_; }
    const QByteArray &CutPath() const { return cutPath_; }
    bool PasteEnabled() const { return pasteEnabled_; }
    int Count() const { return int(pathList_.size()); }
    // The selected entry's path; empty when nothing is selected.
    // The selected entry's path (which may be empty: an empty argument); nothing when no entry
    // is selected.
    std::optional<QByteArray> SelectedPath() const;

    // Each command does nothing where its precondition does not hold.
    void Up();
    void Down();
    void Cut();     // not the last remaining entry
    void Paste();   // before the selected entry; the cut entry stays for another paste
    void Delete();  // not the last remaining entry; the cut entry can no longer be pasted
    // Back to the list as built at start, the first entry selected.
    void Restore();

    // The most entries the list holds: as many as a line list can.
    static constexpr int Capacity = LineTable::MaxCount;
    // Adds inputs at the end, as the command line's are: by their bytes, shown by their names,
    // and kept for Restore as given. An empty list selects its first entry; otherwise the
    // selection stays. False, adding nothing, when the list would hold more than `capacity`.
    bool Append(const QByteArrayList &paths, int capacity = Capacity);

    // The folder part of the first command-line input: the output name offered at start.
    QByteArray FirstFolder() const;

private:
    void Exchange(int index1, int index2);
    void Remove(int index);
    void SetPasteEnabled(bool enabled);

    InputListView &view_;
    QStringList nameList_;
    QByteArrayList pathList_;
    QStringList nameListSaved_;
    QByteArrayList pathListSaved_;
    QString cutName_;
    QByteArray cutPath_;
    bool pasteEnabled_ = false;
};
