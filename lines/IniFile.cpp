#include "lines/IniFile.h"

#include "lines/ListErrors.h"
#include "lines/NativeFile.h"
#include "lines/SafeSave.h"
#include "lines/ShiftJis.h"

#include <QFile>

#include <optional>

namespace {

// IniFile::MaxValueBytes: what a 1024-byte buffer holds besides its NUL.

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

QByteArrayView Trimmed(QByteArrayView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && IsBlank(s[begin]))
        ++begin;
    while (end > begin && IsBlank(s[end - 1]))
        --end;
    return s.sliced(begin, end - begin);
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// Names compare without regard to ASCII case. Both bytes of a double-byte character compare
// exactly: its second byte may look like a letter.
bool SameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    bool same = true;
    ForEachChar(a, [&](qsizetype i, qsizetype n) {
        if (n == 2)
            same = a[i] == b[i] && a[i + 1] == b[i + 1];
        else
            same = AsciiUpper(a[i]) == AsciiUpper(b[i]);
        return same;
    });
    return same;
}

// The name of a section header line, or no data when the line is no header: "[" first (after
// blanks), then the last "]" that is not the second byte of a double-byte character.
std::optional<QByteArrayView> SectionName(QByteArrayView line)
{
    const QByteArrayView t = Trimmed(line);
    if (t.isEmpty() || t[0] != '[')
        return std::nullopt;
    qsizetype close = -1;
    const QByteArrayView inner = t.sliced(1);
    ForEachChar(inner, [&](qsizetype i, qsizetype n) {
        if (n == 1 && inner[i] == ']')
            close = i;
        return true;
    });
    if (close < 0)
        return std::nullopt;
    return Trimmed(inner.first(close));
}

bool IsComment(QByteArrayView line)
{
    const QByteArrayView t = Trimmed(line);
    return !t.isEmpty() && t[0] == ';';
}

// Position of the "=" that ends a key's name, or -1 for a line that holds no key. "=" is never
// the second byte of a double-byte character, so the first one found is the separator.
qsizetype KeySeparator(QByteArrayView line)
{
    if (IsComment(line))
        return -1;
    return line.indexOf('=');
}

bool IsBlankLine(QByteArrayView line) { return Trimmed(line).isEmpty(); }

// At most 1023 bytes, never ending in the first half of a double-byte character.
QByteArrayView CutToLimit(QByteArrayView value) { return CutAtCharBoundary(value, IniFile::MaxValueBytes); }

bool EnclosedInQuotes(QByteArrayView value)
{
    return value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
}

QByteArrayView OneLine(QByteArrayView value) { return IniFile::StoredValue(value); }

}  // namespace

EIniWriteError::EIniWriteError(const QByteArray &path)
    : std::runtime_error(QStringLiteral("%1 に書き込めません").arg(DisplayName(path)).toStdString())
{
}

IniFile::IniFile(const QByteArray &path) : path_(path)
{
    QFile file;
    try {
        OpenForReading(file, path);
    } catch (const EInOutError &) {
        unreadable_ = KindOfPath(path) != PathKind::Missing;
        return;
    }
    // A pipe or a device is no settings file: reading it could wait or never end, and writing
    // the settings into it would lose them. It is treated as a file that cannot be read.
    if (file.isSequential()) {
        unreadable_ = true;
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        unreadable_ = true;
        return;
    }

    // CR LF, LF and CR all end a line; a break after the last line adds no empty line.
    const char *p = bytes.constData();
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] == '\r' || p[i] == '\n') {
            lines_.emplace_back(p + start, i - start);
            if (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines_.emplace_back(p + start, n - start);
}

// Line indexes of a section: [first line after its header, index of the next header or the
// end). {-1, -1} when the file has no such section.
IniFile::Range IniFile::FindSection(QByteArrayView section) const
{
    const QByteArrayView wanted = Trimmed(section);
    const int count = int(lines_.size());
    for (int i = 0; i < count; ++i) {
        const auto name = SectionName(lines_[size_t(i)]);
        if (!name || !SameName(*name, wanted))
            continue;
        int end = i + 1;
        while (end < count && !SectionName(lines_[size_t(end)]))
            ++end;
        return {i + 1, end};
    }
    return {-1, -1};
}

int IniFile::FindKey(Range range, QByteArrayView key) const
{
    const QByteArrayView wanted = Trimmed(key);
    for (int i = range.begin; i < range.end; ++i) {
        const QByteArrayView line = lines_[size_t(i)];
        const qsizetype eq = KeySeparator(line);
        if (eq >= 0 && SameName(Trimmed(line.first(eq)), wanted))
            return i;
    }
    return -1;
}

QByteArray IniFile::ReadString(QByteArrayView section, QByteArrayView key, QByteArrayView def) const
{
    const Range range = FindSection(section);
    const int at = range.begin < 0 ? -1 : FindKey(range, key);
    if (at < 0)
        return def.toByteArray();
    const QByteArrayView line = lines_[size_t(at)];
    QByteArrayView value = line.sliced(KeySeparator(line) + 1);
    // A value ends at a NUL, as it does when written.
    if (const qsizetype nul = value.indexOf('\0'); nul >= 0)
        value.truncate(nul);
    value = Trimmed(value);
    if (EnclosedInQuotes(value))
        value = value.sliced(1, value.size() - 2);
    return CutToLimit(value).toByteArray();
}

QByteArrayView IniFile::StoredValue(QByteArrayView value)
{
    for (qsizetype i = 0; i < value.size(); ++i)
        if (value[i] == '\r' || value[i] == '\n' || value[i] == '\0')
            return value.first(i);
    return value;
}

QByteArray IniFile::Protected(QByteArrayView value)
{
    value = OneLine(value);
    // Blanks around the value come off when read as they always have: only quotes are kept.
    return EnclosedInQuotes(Trimmed(value)) ? '"' + value.toByteArray() + '"' : value.toByteArray();
}

void IniFile::WriteString(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    value = OneLine(value);
    const Range range = FindSection(section);
    if (range.begin < 0) {
        QByteArray header;
        header.reserve(section.size() + 2);
        header.append('[').append(section).append(']');
        lines_.push_back(header);
        lines_.push_back(QByteArray(key.data(), key.size()).append('=').append(value));
        return;
    }

    const int at = FindKey(range, key);
    if (at >= 0) {
        // Only the value changes: the key keeps its spelling, its indentation and the blanks
        // around "=" as the user wrote them.
        QByteArray &line = lines_[size_t(at)];
        qsizetype keep = KeySeparator(line) + 1;
        if (!value.isEmpty())
            while (keep < line.size() && IsBlank(line[keep]))
                ++keep;
        line.truncate(keep);
        line.append(value);
        return;
    }

    // A new key goes after the section's last line, before the blank lines that part it
    // from the next section.
    int insertAt = range.end;
    while (insertAt > range.begin && IsBlankLine(lines_[size_t(insertAt - 1)]))
        --insertAt;
    lines_.insert(lines_.begin() + insertAt, QByteArray(key.data(), key.size()).append('=').append(value));
}

void IniFile::Save() const
{
    // What could not be read would be lost by writing the rest over it.
    if (unreadable_)
        throw EIniWriteError(path_);
    qsizetype total = 0;
    for (const QByteArray &line : lines_)
        total += line.size() + lineBreak_.size();
    QByteArray bytes;
    bytes.reserve(total);
    for (const QByteArray &line : lines_)
        bytes.append(line).append(lineBreak_);

    try {
        SaveBytesSafely(path_, [&bytes](QIODevice &out) {
            if (out.write(bytes) != bytes.size())
                throw EInOutError(out.errorString().toStdString());
        });
    } catch (const EIniWriteError &) {
        throw;
    } catch (const std::exception &) {
        throw EIniWriteError(path_);
    }
}
