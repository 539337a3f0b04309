#include "lines/PlainStrings.h"

#include <QFile>

QByteArray PlainStrings::Get(int index) const
{
    return table_.get(index);
}

QByteArrayView PlainStrings::View(int index) const
{
    return table_.view(index);
}

int PlainStrings::Add(QByteArrayView line)
{
    return table_.add(line);
}

void PlainStrings::Put(int index, QByteArrayView line)
{
    table_.put(index, line);
}

void PlainStrings::Clear()
{
    table_.clear();
}

void PlainStrings::AddStrings(const PlainStrings &source)
{
    table_.appendFrom(source.table_);
}

void PlainStrings::Assign(const PlainStrings &source)
{
    table_.assignFrom(source.table_);
}

void PlainStrings::LoadFromFile(const QString &fileName)
{
    LoadFromFile(QFile::encodeName(fileName));
}

void PlainStrings::LoadFromFile(const QByteArray &path)
{
    // The whole file is read before the old lines go, so a failed load changes nothing.
    LineTable loaded;
    loaded.loadFromFile(path, BreakRule::AnyBreak);
    table_.swap(loaded);
}

void PlainStrings::SaveToFile(const QString &fileName) const
{
    table_.saveToFile(fileName);
}
