#include "app/rules/InputList.h"

#include "lines/NativeFile.h"
#include "lines/Paths.h"

namespace {
QString ShownName(const QByteArray &path) { return DisplayName(ExtractFileName(QByteArrayView(path))); }
}

InputList::InputList(InputListView &view, const QByteArrayList &paths) : view_(view)
{
    for (const QByteArray &path : paths) {
        nameList_.append(ShownName(path));
        pathList_.append(path);
    }
    nameListSaved_ = nameList_;
    pathListSaved_ = pathList_;
    view_.SetItems(nameList_);
    view_.SelectIndex(nameList_.isEmpty() ? -1 : 0);
    SetPasteEnabled(false);
}

std::optional<QByteArray> InputList::SelectedPath() const
{
    const int s = view_.SelectedIndex();
    if (s < 0 || s >= Count())
        return std::nullopt;
    return pathList_[s];
}

QByteArray InputList::FirstFolder() const
{
    return pathListSaved_.isEmpty() ? QByteArray() : ExtractFilePath(QByteArrayView(pathListSaved_.first()));
}

void InputList::Exchange(int index1, int index2)
{
    nameList_.swapItemsAt(index1, index2);
    pathList_.swapItemsAt(index1, index2);
    view_.ExchangeItems(index1, index2);
}

void InputList::Remove(int index)
{
    nameList_.removeAt(index);
    pathList_.removeAt(index);
    view_.RemoveItem(index);
}

void InputList::SetPasteEnabled(bool enabled)
{
    pasteEnabled_ = enabled;
    view_.SetPasteEnabled(enabled);
}

void InputList::Up()
{
    const int s = view_.SelectedIndex();
    if (s <= 0 || s >= Count())
        return;
    Exchange(s - 1, s);
    view_.SelectIndex(s - 1);
}

void InputList::Down()
{
    const int s = view_.SelectedIndex();
    if (s < 0 || s >= Count() - 1)
        return;
    Exchange(s, s + 1);
    view_.SelectIndex(s + 1);
}

void InputList::Cut()
{
    const int s = view_.SelectedIndex(), n = Count();
    if (s < 0 || s >= n || n < 2)
        return;
    cutName_ = nameList_[s];
    cutPath_ = pathList_[s];
    Remove(s);
    SetPasteEnabled(true);
    view_.SelectIndex(s == n - 1 ? n - 2 : s);
}

void InputList::Paste()
{
    const int s = view_.SelectedIndex();
    if (s < 0 || s > Count() || !pasteEnabled_)
        return;
    nameList_.insert(s, cutName_);
    pathList_.insert(s, cutPath_);
    view_.InsertItem(s, cutName_);
    view_.SelectIndex(s);
}

void InputList::Delete()
{
    const int s = view_.SelectedIndex(), n = Count();
    if (s < 0 || s >= n || n < 2)
        return;
    Remove(s);
    SetPasteEnabled(false);
    view_.SelectIndex(s == n - 1 ? n - 2 : s);
}

void InputList::Restore()
{
    nameList_ = nameListSaved_;
    pathList_ = pathListSaved_;
    SetPasteEnabled(false);
    view_.SetItems(nameList_);
    view_.SelectIndex(nameList_.isEmpty() ? -1 : 0);
}

bool InputList::Append(const QByteArrayList &paths, int capacity)
{
    // Both the list and the copy kept for Restore must stay within the capacity.
    const qsizetype most = qMax(pathList_.size(), pathListSaved_.size());
    if (paths.size() > capacity - most)
        return false;
    if (paths.isEmpty())
        return true;
    QStringList names;
    names.reserve(paths.size());
    for (const QByteArray &path : paths)
        names.append(ShownName(path));
    const int at = Count();
    nameList_ += names;
    pathList_ += paths;
    nameListSaved_ += names;
    pathListSaved_ += paths;
    view_.InsertItems(at, names);
    if (at == 0)
        view_.SelectIndex(0);
    return true;
}
