#include "lines/TBvStrings.h"

#include "lines/PlainStrings.h"

TBvStrings::~TBvStrings()
{
    Clear();
}

QByteArray TBvStrings::Get(int index) const
{
    return table_.get(index);
}

QByteArrayView TBvStrings::View(int index) const
{
    return table_.view(index);
}

void TBvStrings::Put(int index, QByteArrayView line)
{
    table_.put(index, line);
}

int TBvStrings::Add(QByteArrayView line)
{
    return table_.add(line);
}

void TBvStrings::Insert(int index, QByteArrayView line)
{
    table_.insert(index, line);
}

void TBvStrings::Delete(int index)
{
    table_.remove(index);
}

void TBvStrings::Exchange(int index1, int index2)
{
    table_.exchange(index1, index2);
}

void TBvStrings::Clear()
{
    table_.clear();
}

bool TBvStrings::Find(QByteArrayView text, int &line, int &column) const
{
    return table_.find(text, line, column);
}

void TBvStrings::AddStrings(const PlainStrings &source)
{
    const qint64 total = qint64(Count()) + source.Count();
    if (total > MaxListSize)
        Error();
    SetCapacity(int(total));
    table_.appendFrom(source.table());
}

void TBvStrings::Assign(const PlainStrings &source)
{
    Clear();
    AddStrings(source);
}

void TBvStrings::AssignTo(PlainStrings &dest) const
{
    dest.table().assignFrom(table_);
}

QByteArray TBvStrings::GetText() const
{
    return table_.text();
}

void TBvStrings::SetText(QByteArrayView text)
{
    table_.setText(text);
}

void TBvStrings::SetCount(int n)
{
    table_.setCount(n);
}

void TBvStrings::SetCapacity(int n)
{
    table_.setCapacity(n);
}

void TBvStrings::SetCommaText(QByteArrayView text)
{
    table_.setCommaText(text);
}

QByteArray TBvStrings::GetCommaText() const
{
    return table_.commaText();
}

void TBvStrings::Error() const
{
    LineTable::RaiseIndexError();
}

void TBvStrings::LoadFromFile(const QString &fileName)
{
    table_.loadFromFile(fileName, BreakRule::CrOnly);
}

void TBvStrings::LoadFromFile(const QByteArray &path)
{
    table_.loadFromFile(path, BreakRule::CrOnly);
}

void TBvStrings::SaveToFile(const QString &fileName) const
{
    table_.saveToFile(fileName);
}

void TBvStrings::SaveToStream(QIODevice &stream) const
{
    table_.writeText(stream);
}

void TBvStrings::LoadFromStream(QIODevice &stream)
{
    table_.loadFromStream(stream);
}

int TBvStrings::IndexOf(QByteArrayView text) const
{
    return table_.indexOf(text);
}
