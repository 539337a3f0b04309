#include "launcher/LauncherWorkLists.h"

#include <algorithm>

namespace {
constexpr int ShownEntries = LauncherEntries::EntryCount;
}

LauncherWorkLists::LauncherWorkLists(const LauncherEntries &entries)
{
    for (const bool inUse : {true, false})
        for (int j = 1; j <= LauncherEntries::EntryCount; ++j)
            if (entries.ProgTitle[j].isEmpty() != inUse) {
                EntryTitles << entries.ProgTitle[j];
                EntryNames << entries.ProgName[j];
                EntryOptions << entries.ProgOption[j];
                EntryDirs << entries.ProgDir[j];
                EntryShortCuts << entries.ProgShortCut[j];
            }
}

std::array<QList<QByteArray> *, 5> LauncherWorkLists::Lists()
{
    return {&EntryTitles, &EntryNames, &EntryOptions, &EntryDirs, &EntryShortCuts};
}

QList<QByteArray> LauncherWorkLists::ShownTitles() const
{
    QList<QByteArray> titles;
    for (int i = 0; i < std::min<int>(ShownEntries, EntryTitles.size()); ++i)
        if (!EntryTitles[i].isEmpty())
            titles << EntryTitles[i];
    return titles;
}

int LauncherWorkLists::LineCount() const { return std::max<int>(1, ShownTitles().size()); }

bool LauncherWorkLists::IsFull() const { return LineCount() >= ShownEntries; }

LauncherEntry LauncherWorkLists::Entry(int line) const
{
    return {EntryTitles.value(line), EntryNames.value(line), EntryOptions.value(line),
            EntryDirs.value(line), EntryShortCuts.value(line)};
}

void LauncherWorkLists::SetTitle(int line, const QByteArray &title) { EntryTitles[line] = title; }

void LauncherWorkLists::SetEntry(int line, const LauncherEntry &e)
{
    EntryTitles[line] = e.Title;
    EntryNames[line] = e.Name;
    EntryOptions[line] = e.Option;
    EntryDirs[line] = e.Dir;
    EntryShortCuts[line] = e.ShortCut;
}

int LauncherWorkLists::MoveUp(int s)
{
    if (s <= 0 || s >= LineCount())
        return s;
    for (QList<QByteArray> *list : Lists())
        list->swapItemsAt(s - 1, s);
    return s - 1;
}

int LauncherWorkLists::MoveDown(int s)
{
    if (s < 0 || s + 1 >= LineCount())
        return s;
    for (QList<QByteArray> *list : Lists())
        list->swapItemsAt(s, s + 1);
    return s + 1;
}

int LauncherWorkLists::Remove(int s)
{
    if (s < 0 || s >= EntryTitles.size() || EntryTitles[s].isEmpty())
        return s;
    const bool last = s == LineCount() - 1;
    const int next = last ? std::max(0, LineCount() - 2) : s;
    for (QList<QByteArray> *list : Lists()) {
        list->removeAt(s);
        list->append(QByteArray());
    }
    return next;
}

int LauncherWorkLists::Insert(int s, const LauncherEntry &e)
{
    if (e.Title.isEmpty() || s < 0 || s > EntryTitles.size())
        return s;
    EntryTitles.insert(s, e.Title);
    EntryNames.insert(s, e.Name);
    EntryOptions.insert(s, e.Option);
    EntryDirs.insert(s, e.Dir);
    EntryShortCuts.insert(s, e.ShortCut);
    return s;
}

void LauncherWorkLists::StoreTo(LauncherEntries &entries) const
{
    for (int i = 0; i < ShownEntries; ++i) {
        const LauncherEntry e = Entry(i);
        entries.ProgTitle[i + 1] = e.Title;
        entries.ProgName[i + 1] = e.Name;
        entries.ProgOption[i + 1] = e.Option;
        entries.ProgDir[i + 1] = e.Dir;
        entries.ProgShortCut[i + 1] = e.ShortCut;
    }
}
