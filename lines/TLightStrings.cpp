#include "lines/TLightStrings.h"

#include "lines/PlainStrings.h"

TLightStrings::~TLightStrings()
{
    Clear();
}

QByteArray TLightStrings::Get(int index) const
{
    return table_.get(index);
}

QByteArrayView TLightStrings::View(int index) const
{
    return table_.view(index);
}

int TLightStrings::Add(QByteArrayView line)
{
    return table_.add(line);
}

void TLightStrings::Clear()
{
    table_.clear();
}

void TLightStrings::AssignTo(PlainStrings &dest) const
{
    dest.table().assignFrom(table_);
}

QByteArray TLightStrings::GetText() const
{
    return table_.text();
}

void TLightStrings::SetText(QByteArrayView text)
{
    table_.setText(text);
}

void TLightStrings::SetCount(int n)
{
    table_.setCount(n);
}

void TLightStrings::SetCapacity(int n)
{
    table_.setCapacity(n);
}

void TLightStrings::SetCommaText(QByteArrayView text)
{
    table_.setCommaText(text);
}

QByteArray TLightStrings::GetCommaText() const
{
    return table_.commaText();
}

void TLightStrings::Error() const
{
    LineTable::RaiseIndexError();
}

void TLightStrings::LoadFromFile(const QString &fileName)
{
    table_.loadFromFile(fileName, BreakRule::CrOnly);
}

void TLightStrings::LoadFromFile(const QByteArray &path)
{
    table_.loadFromFile(path, BreakRule::CrOnly);
}

void TLightStrings::LoadInPieces(const QByteArray &path, quint64 piece, const std::function<void()> &pieceReady,
                                 BlockPool *pool, JobControl *job)
{
    table_.loadInPieces(path, BreakRule::CrOnly, piece, pieceReady, LoadLimits{.job = job}, pool);
}

void TLightStrings::SaveToFile(const QString &fileName) const
{
    table_.saveToFile(fileName);
}

void TLightStrings::SaveToStream(QIODevice &stream) const
{
    table_.writeText(stream);
}

void TLightStrings::LoadFromStream(QIODevice &stream)
{
    table_.loadFromStream(stream);
}

int TLightStrings::IndexOf(QByteArrayView text) const
{
    return table_.indexOf(text);
}
