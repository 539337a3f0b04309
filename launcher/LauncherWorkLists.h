#pragma once
// The settings dialog's five working lists, one per entry field, and what its buttons do to
// them. Line i holds entry number i + 1; the lines with a title come first and the free ones
// follow, so the k-th title the dialog lists is line k. Only the first nine lines are shown
// and stored; Paste may make the lists longer.
#include <QByteArray>
#include <QList>
#include <array>

#include "launcher/LauncherEntries.h"

// One entry's five fields, as the entry clipboard holds them.
struct LauncherEntry {
    QByteArray Title, Name, Option, Dir, ShortCut;
};

class LauncherWorkLists {
public:
    // Entries in use first, in entry-number order, then the free ones: a settings file edited by
    // hand with gaps between entries in use is closed up, so every line the dialog lists is the
    // line its buttons work on.
    explicit LauncherWorkLists(const LauncherEntries &entries);

    QList<QByteArray> EntryTitles, EntryNames, EntryOptions, EntryDirs, EntryShortCuts;

    // The titles the dialog lists: the non-empty ones among the first nine lines.
    QList<QByteArray> ShownTitles() const;
    // The number of lines the list box holds: the titles shown, or 1 for its one empty line.
    int LineCount() const;
    // Add and Paste refuse when the list holds nine lines.
    bool IsFull() const;

    LauncherEntry Entry(int line) const;
    // Replaces one field or the whole entry at line.
    void SetTitle(int line, const QByteArray &title);
    void SetEntry(int line, const LauncherEntry &entry);

    // The operations on the selected line s; each returns the line to select afterwards.
    // Up on the first line and Down on the last change nothing.
    int MoveUp(int s);
    int MoveDown(int s);
    // Removes line s, appending a free line at the end. A free line (the list's one empty line)
    // is left alone, so no empty entry ever reaches the entry clipboard.
    int Remove(int s);
    // Inserts entry before line s. An entry without a title is not inserted: it would be a free
    // entry ahead of entries in use, a gap the run dialog could not show.
    int Insert(int s, const LauncherEntry &entry);

    // Lines 0 to 8 as entries 1 to 9.
    void StoreTo(LauncherEntries &entries) const;

private:
    std::array<QList<QByteArray> *, 5> Lists();
};
