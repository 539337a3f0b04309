#include "lines/TBvStrings.h"

#include "lines/FileLines.h"
#include "lines/NativeFile.h"
#include "lines/PlainStrings.h"

#include <QFile>

#include <algorithm>

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
}

bool TBvStrings::Find(QByteArrayView text, int &line, int &column, JobControl *job) const
{
    return file_ ? file_->find(text, line, column, job) : table_.find(text, line, column, job);
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
    Clear();
    Take(ReadFile(path));
}

TBvStrings::FileRead TBvStrings::ReadFile(const QByteArray &path, JobControl *job)
{
    FileRead read;
    QFile file;
    OpenForReading(file, path);
    if (file.isSequential()) {
        // A pipe or a device cannot be mapped: it is read once, into memory.
        read.table.loadFromFile(file, BreakRule::CrOnly, LoadLimits{.job = job});
        return read;
    }
    read.file = FileLines::Load(file.handle(), path, BreakRule::CrOnly, LoadLimits{.job = job});
    return read;
}

void TBvStrings::Take(FileRead &&read)
{
    Clear();
    file_ = std::move(read.file);
    table_.swap(read.table);
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
