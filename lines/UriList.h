#pragma once
// Files dragged from a file manager arrive as a text/uri-list: one URI a line, "#" lines are
// comments. Only local files are taken ("file:" URIs whose host is empty, "localhost" or this
// machine), and their paths are percent-decoded to the file system's own bytes, so a name in
// Shift-JIS (or holding a blank, a CR or an LF) is the file's name exactly. Qt's URL class
// would decode them as UTF-8 and lose such names.
#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

// The local files of a uri-list, in its order; other URIs (http:, sftp:, trash:, another
// machine's files) and lines that are no URI are left out. `hostName` is this machine's name.
QByteArrayList LocalFilesOfUriList(QByteArrayView uriList, QByteArrayView hostName);
