#include "lines/TBvStrings.h"

#include "lines/FileLines.h"
#include "lines/ListErrors.h"
#include "lines/NativeFile.h"
#include "lines/PlainStrings.h"

#include <QFile>

#include <algorithm>

namespace {
// At most `max` of the file's bytes from where it stands.
QByteArray ReadBytes(QFile &file, qint64 max)
{
    QByteArray bytes = file.read(max);
    if (file.error() != QFileDevice::NoError)
        throw EInOutError(file.errorString().toStdString());
    return bytes;
}
}

TBvStrings::~TBvStrings()
{
    Clear();
}

int TBvStrings::NextLineLongerThan(int from, int bytes) const
{
    if (file_)
        return file_->nextLongerThan(from, bytes);
    for (int i = std::max(from, 0); i < table_.count(); ++i)
        if (table_.length(i) > bytes)
            return i;
    return table_.count();
}

int TBvStrings::NextLineWiderThan(int from, int cells) const
{
    if (file_)
        return file_->nextWiderThan(from, cells);
    for (int i = NextLineLongerThan(from, cells); i < table_.count(); i = NextLineLongerThan(i + 1, cells))
        if (CellBound(encoding_, table_.view(i)) > cells)
            return i;
    return table_.count();
}

int TBvStrings::LongestLine(int first, int count) const
{
    const qint64 begin = std::max(first, 0);
    const qint64 end = std::min<qint64>(qint64(first) + count, Count());
    if (file_ && begin == 0 && end == file_->count())
        return file_->longest();  // measured while indexing, without reading the lines again
    int longest = 0;
    for (qint64 i = begin; i < end; ++i)
        longest = std::max(longest, LineLength(int(i)));
    return longest;
}

const MappedFile *TBvStrings::SourceFile() const
{
    return file_ ? &file_->file() : nullptr;
}

LineTable TBvStrings::SpansOverFile() const
{
    LineTable table;
    table.setCapacity(file_->count());
    file_->appendTo(table);
    return table;
}

void TBvStrings::Detach()
{
    if (!file_)
        return;
    LineTable table = SpansOverFile();
    table_.swap(table);
    file_.reset();
}

void TBvStrings::Put(int index, QByteArrayView line)
{
    Detach();
    table_.put(index, line);
}

int TBvStrings::Add(QByteArrayView line)
{
    Detach();
    return table_.add(line);
}

void TBvStrings::Insert(int index, QByteArrayView line)
{
    Detach();
    table_.insert(index, line);
}

void TBvStrings::Delete(int index)
{
    Detach();
    table_.remove(index);
}

void TBvStrings::Exchange(int index1, int index2)
{
    Detach();
    table_.exchange(index1, index2);
}

void TBvStrings::Clear()
{
    file_.reset();
    table_.clear();
    encoding_ = TextEncoding::ShiftJis;
}

bool TBvStrings::Find(QByteArrayView text, int &line, int &column, JobControl *job) const
{
    const auto find = [&] { return file_ ? file_->find(text, line, column, job) : table_.find(text, line, column, job); };
    if (encoding_ == TextEncoding::ShiftJis)
        return find();
    // The byte search folds every ASCII byte: a candidate counts when it starts a character and
    // is the same text by the encoding's own rule.
    const int fromLine = line, fromColumn = column;
    int knownLine = -1;
    qsizetype known = 0;  // a character start in knownLine at or before the candidates
    try {
        while (find()) {
            const QByteArrayView bytes = View(line);
            const qsizetype at = column - 1;
            if (line != knownLine) {
                knownLine = line;
                known = 0;
            }
            const qsizetype start = CharStart(encoding_, bytes, at, known);
            known = start;
            if (start == at && EqualIgnoringAsciiCase(encoding_, bytes.sliced(at, text.size()), text))
                return true;
            ++column;
        }
    } catch (const EJobCancelled &) {
        // Stopped after a rejected candidate: the search stands where it began.
        line = fromLine;
        column = fromColumn;
        throw;
    }
    return false;
}

void TBvStrings::AddStrings(const PlainStrings &source)
{
    const qint64 total = qint64(Count()) + source.Count();
    if (total > MaxListSize)
        Error();
    SetCapacity(int(total));  // detaches
    table_.appendFrom(source.table());
}

void TBvStrings::Assign(const PlainStrings &source)
{
    Clear();
    AddStrings(source);
}

void TBvStrings::AssignTo(PlainStrings &dest) const
{
    WithTable([&dest](const LineTable &lines) { dest.table().assignFrom(lines); });
}

QByteArray TBvStrings::GetText() const
{
    return WithTable([](const LineTable &lines) { return lines.text(); });
}

void TBvStrings::SetText(QByteArrayView text)
{
    // The text may be a view of the mapped lines: the mapping stays until the text is split.
    const auto file = std::move(file_);
    table_.setText(text);
}

void TBvStrings::SetCount(int n)
{
    Detach();
    table_.setCount(n);
}

void TBvStrings::SetCapacity(int n)
{
    Detach();
    table_.setCapacity(n);
}

void TBvStrings::SetCommaText(QByteArrayView text)
{
    const auto file = std::move(file_);
    table_.setCommaText(text);
}

QByteArray TBvStrings::GetCommaText() const
{
    return WithTable([](const LineTable &lines) { return lines.commaText(); });
}

void TBvStrings::Error() const
{
    LineTable::RaiseIndexError();
}

void TBvStrings::LoadFromFile(const QString &fileName)
{
    LoadFromFile(QFile::encodeName(fileName));
}

void TBvStrings::LoadFromFile(const QByteArray &path)
{
    LoadFromFile(path, std::nullopt);
}

void TBvStrings::LoadFromFile(const QByteArray &path, std::optional<TextEncoding> encoding)
{
    Clear();
    Take(ReadFile(path, nullptr, encoding));
}

namespace {
// The lines of a whole UTF-16 text held in memory.
void SplitUtf16(LineTable &table, QByteArrayView text, bool bigEndian)
{
    // A Ctrl-Z unit ends the text, as the byte does in the other encodings.
    const char16_t end = u'\x1A';
    for (qsizetype i = 0; i + 1 < text.size(); i += 2) {
        const auto *p = reinterpret_cast<const unsigned char *>(text.data()) + i;
        if ((bigEndian ? char16_t(p[0] << 8 | p[1]) : char16_t(p[1] << 8 | p[0])) == end) {
            text = text.first(i);
            break;
        }
    }
    table.setCapacity(int(std::min<qsizetype>(text.size() / 28 + 1, LineTable::MaxCount)));
    qsizetype from = 0;
    while (from < text.size()) {
        const Utf16LineBreak brk = FindUtf16LineBreak(text, from, bigEndian);
        const qsizetype lineEnd = brk.at < 0 ? text.size() : brk.at;
        table.add(text.sliced(from, lineEnd - from));
        if (brk.at < 0)
            break;
        from = brk.at + brk.length;
    }
}

// Lines of a text held in memory, in its encoding.
void SplitText(LineTable &table, QByteArrayView text, TextEncoding encoding)
{
    if (IsUtf16(encoding))
        SplitUtf16(table, text, encoding == TextEncoding::Utf16Be);
    else
        table.loadFromBytes(text, BreakRule::CrOnly);
}
}

TBvStrings::FileRead TBvStrings::ReadFile(const QByteArray &path, JobControl *job, std::optional<TextEncoding> encoding)
{
    FileRead read;
    QFile file;
    OpenForReading(file, path);
    if (file.isSequential()) {
        // A pipe or a device cannot be mapped: it is read once, into memory.
        const QByteArray bytes = ReadRemainingBytes(file, job);
        read.encoding = encoding.value_or(
            DetectEncoding(QByteArrayView(bytes).first(std::min(bytes.size(), EncodingProbeBytes)),
                           bytes.size() <= EncodingProbeBytes));
        SplitText(read.table, QByteArrayView(bytes).sliced(ByteOrderMarkLength(read.encoding, bytes)), read.encoding);
        return read;
    }
    // The encoding is judged by the file's first bytes only: a file of any size costs the same.
    const QByteArray prefix = ReadBytes(file, EncodingProbeBytes);
    read.encoding = encoding.value_or(DetectEncoding(prefix, prefix.size() < EncodingProbeBytes || file.atEnd()));
    const qsizetype mark = ByteOrderMarkLength(read.encoding, prefix);
    if (IsUtf16(read.encoding)) {
        // UTF-16 breaks are two or four bytes, which the byte index does not know: the text is
        // read into memory and cut there.
        file.seek(0);
        if (job)
            job->AddTotal(file.size());
        const QByteArray bytes = ReadRemainingBytes(file, job);
        SplitText(read.table, QByteArrayView(bytes).sliced(std::min(mark, bytes.size())), read.encoding);
        return read;
    }
    read.file = FileLines::Load(file.handle(), path, BreakRule::CrOnly, LoadLimits{.job = job}, quint64(mark), read.encoding);
    return read;
}

void TBvStrings::Take(FileRead &&read)
{
    Clear();
    file_ = std::move(read.file);
    table_.swap(read.table);
    encoding_ = read.encoding;
}

void TBvStrings::SaveToFile(const QString &fileName) const
{
    // Written to a new file first: a mapping of the same file stays intact.
    WithTable([&fileName](const LineTable &lines) { lines.saveToFile(fileName); });
}

void TBvStrings::SaveToStream(QIODevice &stream) const
{
    WithTable([&stream](const LineTable &lines) { lines.writeText(stream); });
}

void TBvStrings::LoadFromStream(QIODevice &stream)
{
    file_.reset();
    table_.loadFromStream(stream);
}

int TBvStrings::IndexOf(QByteArrayView text) const
{
    if (file_) {
        for (int i = 0; i < file_->count(); ++i)
            if (file_->view(i) == text)
                return i;
        return -1;
    }
    return table_.indexOf(text);
}
