// Forward search ignoring the case of ASCII letters.
#include "lines/LineTable.h"

#include <vector>

#include "lines/FoldedScan.h"

namespace {
class FoldedPattern {
public:
    explicit FoldedPattern(QByteArrayView text)
        : bytes_(Fold(text)), scanner_(bytes_.front(), bytes_.back(), size() - 1)
    {
    }
    qsizetype size() const { return qsizetype(bytes_.size()); }

    bool matchesAt(const unsigned char *p) const
    {
        for (const FoldedByte &f : bytes_) {
            if (!ByteMatches(*p++, f))
                return false;
        }
        return true;
    }

    // First start in [0, starts) where the pattern matches hay, or -1. hay holds at least
    // starts + size() - 1 bytes.
    qsizetype search(const unsigned char *hay, qsizetype starts) const
    {
        return scanner_.Scan(hay, starts, [&](qsizetype at) { return matchesAt(hay + at); });
    }

private:
    static std::vector<FoldedByte> Fold(QByteArrayView text)
    {
        std::vector<FoldedByte> bytes(size_t(text.size()));
        for (qsizetype i = 0; i < text.size(); ++i)
            bytes[size_t(i)] = FoldLetter(static_cast<unsigned char>(text[i]));
        return bytes;
    }

    std::vector<FoldedByte> bytes_;
    FoldedScanner scanner_;
};
}

bool LineTable::find(QByteArrayView text, int &line, int &column) const
{
    if (text.isEmpty())
        return false;
    const FoldedPattern pattern(text);
    const qsizetype n = pattern.size();
    if (line < 0)
        line = 0;
    while (line < count_) {
        if (column < 1)
            column = 1;
        const QByteArrayView bytes = spanView(slots_[line]);
        const qsizetype first = qsizetype(column) - 1;
        const qsizetype starts = bytes.size() - n + 1 - first;
        if (starts > 0) {
            const auto *hay = reinterpret_cast<const unsigned char *>(bytes.data()) + first;
            const qsizetype at = pattern.search(hay, starts);
            if (at >= 0) {
                column = int(first + at + 1);
                return true;
            }
        }
        ++line;
        column = 1;
    }
    line = count_;
    column = 1;
    return false;
}
