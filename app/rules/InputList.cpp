#include "app/rules/InputList.h"

#include "lines/NativeFile.h"
#include "lines/Paths.h"

InputList::InputList(InputListView &view, const QByteArrayList &paths) : view_(view)
{
    for (const QByteArray &path : paths) {
        nameList_.append(DisplayName(ExtractFileName(QByteArrayView(path))));
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
