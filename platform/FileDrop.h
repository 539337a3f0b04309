#pragma once
// Files dropped on a window from a file manager. The window takes a drag that carries local
// files (a text/uri-list) anywhere on it, its edit boxes included, which would otherwise paste
// the URIs as text; other drags (text into an edit box) go on as before. The files are handed
// over after the drop has ended, so the file manager is not kept waiting while they are read
// and a message box may open. A window blocked by a modal one takes nothing.
#include <QByteArrayList>

#include <functional>

class QMimeData;
class QWidget;

// The local files a drag carries, as the file system's bytes (lines/UriList.h); empty when it
// carries none.
QByteArrayList DraggedFiles(const QMimeData *data);

// Makes `window` take dropped files; `onDrop` gets their paths in the order given.
void AcceptFileDrops(QWidget *window, std::function<void(const QByteArrayList &paths)> onDrop);
