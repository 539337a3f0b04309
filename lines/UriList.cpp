#include "lines/UriList.h"

namespace {
bool StartsWithNoCase(QByteArrayView text, QByteArrayView prefix)
{
    return text.size() >= prefix.size() && text.first(prefix.size()).compare(prefix, Qt::CaseInsensitive) == 0;
}

// The path of one "file:" URI, decoded; empty when the URI names no local file.
QByteArray LocalPath(QByteArrayView uri, QByteArrayView hostName)
{
    if (!StartsWithNoCase(uri, "file:"))
        return {};
    QByteArrayView rest = uri.sliced(5);
    if (rest.startsWith("//")) {
        rest = rest.sliced(2);
        const qsizetype slash = rest.indexOf('/');
        if (slash < 0)
            return {};
        const QByteArrayView host = rest.first(slash);
        if (!host.isEmpty() && host.compare("localhost", Qt::CaseInsensitive) != 0 &&
            (hostName.isEmpty() || host.compare(hostName, Qt::CaseInsensitive) != 0))
            return {};
        rest = rest.sliced(slash);
    }
    if (!rest.startsWith('/'))
        return {};
    // A query or fragment is no part of the path; the file's own "?" and "#" come encoded.
    const qsizetype end = [&] {
        for (qsizetype i = 0; i < rest.size(); ++i)
            if (rest[i] == '?' || rest[i] == '#')
                return i;
        return rest.size();
    }();
    const QByteArray path = QByteArray::fromPercentEncoding(rest.first(end).toByteArray());
    // No file name holds a NUL byte: the URI is malformed.
    return path.contains('\0') ? QByteArray() : path;
}
}  // namespace

QByteArrayList LocalFilesOfUriList(QByteArrayView uriList, QByteArrayView hostName)
{
    QByteArrayList files;
    qsizetype start = 0;
    while (start < uriList.size()) {
        // Lines end in CR LF; a lone CR or LF ends one too, since neither can be part of a URI.
        qsizetype end = start;
        while (end < uriList.size() && uriList[end] != '\r' && uriList[end] != '\n')
            ++end;
        const QByteArrayView line = uriList.sliced(start, end - start).trimmed();
        start = end + 1;
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        QByteArray path = LocalPath(line, hostName);
        if (!path.isEmpty())
            files.append(std::move(path));
    }
    return files;
}
