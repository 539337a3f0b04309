// The lines as one text: whole text with CR LF, comma text, writing to devices and files.
#include "lines/LineTable.h"
#include "lines/SafeSave.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {
// Also the most one write call hands the system: a larger call makes the kernel cache the
// file in 2 MB pages, whose allocation costs far more than copying the bytes (a 500 MB text
// took ten times as long in 8 MB calls as in 1 MB ones).
constexpr qsizetype WriteChunk = 1024 * 1024;

void WriteAll(QIODevice &device, const char *data, qint64 size)
{
    while (size > 0) {
        const qint64 n = std::min<qint64>(size, WriteChunk);
        if (device.write(data, n) != n) {
            const QString text = device.errorString();
            throw EInOutError(text.isEmpty() ? std::string("Write error") : text.toStdString());
        }
        data += n;
        size -= n;
    }
}

bool NeedsQuotes(QByteArrayView line)
{
    return line.contains(' ') || line.contains(',');
}
}

qint64 LineTable::textSize() const
{
    qint64 total = 2 * qint64(count_);
    for (int i = 0; i < count_; ++i)
        total += slots_[i].length;
    return total;
}

QByteArray LineTable::text() const
{
    QByteArray result(textSize(), Qt::Uninitialized);
    char *out = result.data();
    for (int i = 0; i < count_; ++i) {
        const QByteArrayView line = spanView(slots_[i]);
        if (!line.isEmpty()) {
            std::memcpy(out, line.data(), size_t(line.size()));
            out += line.size();
        }
        *out++ = '\r';
        *out++ = '\n';
    }
    return result;
}

qint64 LineTable::storedRunEnd(int first, int &last) const
{
    // Lines loaded from a CR LF file lie back to back in their block with their CR LF between
    // them: such a run is already the text to write, so it goes out without being copied.
    const LineSpan &s = slots_[first];
    const LineBlock &block = *blocks_[s.block];
    const auto crlfAt = [&block](quint64 at) {
        return at + 2 <= block.used && block.bytes[at] == '\r' && block.bytes[at + 1] == '\n';
    };
    quint64 end = quint64(s.offset) + s.length;
    if (!crlfAt(end))
        return -1;
    end += 2;
    last = first;
    while (last + 1 < count_) {
        const LineSpan &next = slots_[last + 1];
        if (next.block != s.block || next.offset != end || !crlfAt(end + next.length))
            break;
        end += next.length + 2;
        ++last;
    }
    return qint64(end);
}

void LineTable::writeText(QIODevice &device) const
{
    constexpr qint64 DirectRun = 64 * 1024;  // runs at least this long skip the buffer
    const auto buffer = std::make_unique_for_overwrite<char[]>(WriteChunk);
    qsizetype used = 0;
    const auto put = [&](const char *data, qint64 size) {
        if (used + size > WriteChunk) {
            WriteAll(device, buffer.get(), used);
            used = 0;
        }
        if (size > WriteChunk) {
            WriteAll(device, data, size);  // a long line goes out as it is
        } else if (size > 0) {
            std::memcpy(buffer.get() + used, data, size_t(size));
            used += size;
        }
    };
    for (int i = 0; i < count_;) {
        int last = i;
        const qint64 runEnd = slots_[i].length > 0 ? storedRunEnd(i, last) : -1;
        if (runEnd >= 0) {
            const LineSpan &s = slots_[i];
            const char *start = blocks_[s.block]->bytes.get() + s.offset;
            const qint64 size = runEnd - s.offset;
            if (size >= DirectRun) {
                WriteAll(device, buffer.get(), used);
                used = 0;
                WriteAll(device, start, size);
            } else {
                put(start, size);
            }
            i = last + 1;
            continue;
        }
        const QByteArrayView line = spanView(slots_[i]);
        put(line.data(), line.size());
        put("\r\n", 2);
        ++i;
    }
    WriteAll(device, buffer.get(), used);
}

void LineTable::saveToFile(const QString &fileName) const
{
    SaveBytesSafely(QFile::encodeName(fileName), [this](QIODevice &device) { writeText(device); });
}

QByteArray LineTable::commaText() const
{
    qint64 total = count_ > 0 ? count_ - 1 : 0;
    for (int i = 0; i < count_; ++i) {
        const QByteArrayView line = spanView(slots_[i]);
        total += line.size() + (NeedsQuotes(line) ? 2 : 0);
    }
    QByteArray result(total, Qt::Uninitialized);
    char *out = result.data();
    for (int i = 0; i < count_; ++i) {
        const QByteArrayView line = spanView(slots_[i]);
        const bool quoted = NeedsQuotes(line);
        if (i > 0)
            *out++ = ',';
        if (quoted)
            *out++ = '"';
        if (!line.isEmpty()) {
            std::memcpy(out, line.data(), size_t(line.size()));
            out += line.size();
        }
        if (quoted)
            *out++ = '"';
    }
    return result;
}

void LineTable::setCommaText(QByteArrayView text)
{
    // The text may be a view of this table's own lines: their bytes live until the end.
    const auto oldBlocks = std::move(blocks_);
    clear();
    const char *const begin = text.data();
    const qsizetype size = text.size();
    qsizetype pos = 0;
    while (pos < size) {
        const bool quoted = begin[pos] == '"';
        const qsizetype start = quoted ? pos + 1 : pos;
        qsizetype end = start;
        // Quotes inside an item are not doubled, so a quoted item ends at the next quote.
        while (end < size) {
            const char c = begin[end];
            if (c == '"' || c == '\r' || c == '\0' || (!quoted && c == ','))
                break;
            ++end;
        }
        add(QByteArrayView(begin + start, end - start));
        pos = end + (quoted ? 2 : 1);
    }
}
