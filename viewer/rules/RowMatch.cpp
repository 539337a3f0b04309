#include "viewer/rules/RowMatch.h"

#include <QtGlobal>

#include <cstring>

#include "bigview/rules/BvRows.h"
#include "lines/ShiftJis.h"
#include "lines/TBvStrings.h"

namespace {
constexpr unsigned char AsciiUpper(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 0x20 : c; }

// Whether byte index `at` of a row starts a character. `known` is a character start at or before
// `at`; it moves to the first character start at or after `at`. The lead-range bytes just before
// `at` pair up from the last byte that cannot be a lead byte, which always ends a character, so
// only that run is looked at, and never twice for rising `at`.
bool StartsChar(const unsigned char *row, qsizetype at, qsizetype &known)
{
    qsizetype i = at;
    while (i > known && IsLeadByte(row[i - 1]))
        --i;
    const bool starts = (at - i) % 2 == 0;
    known = starts ? at : at + 1;
    return starts;
}
}

namespace {
struct Compared {
    QByteArray bytes;
    bool lastIsTrail = false;  // the last byte ends a two-byte character
};

// The pattern as compared: without case distinction, a-z of its single-byte characters in upper
// case.
Compared ComparedBytes(QByteArrayView text, bool caseSensitive)
{
    Compared c{text.toByteArray()};
    ForEachChar(text, [&](qsizetype i, qsizetype n) {
        if (n == 1 && !caseSensitive)
            c.bytes[i] = char(AsciiUpper(static_cast<unsigned char>(c.bytes[i])));
        c.lastIsTrail = n == 2 && i + n == text.size();
        return true;
    });
    return c;
}

FoldedScanner MakeScanner(const Compared &c, bool caseSensitive)
{
    if (c.bytes.isEmpty())
        return FoldedScanner(ExactByte(0), ExactByte(0), 0);
    // A folded letter lets both cases through; MatchesAt then decides by the character.
    const auto first = static_cast<unsigned char>(c.bytes.front());
    const auto last = static_cast<unsigned char>(c.bytes.back());
    return FoldedScanner(caseSensitive ? ExactByte(first) : FoldLetter(first),
                         caseSensitive || c.lastIsTrail ? ExactByte(last) : FoldLetter(last), c.bytes.size() - 1);
}
}

SearchPattern::SearchPattern(QByteArrayView text, bool caseSensitive) : caseSensitive_(caseSensitive),
    scanner_(ExactByte(0), ExactByte(0), 0)
{
    const Compared c = ComparedBytes(text, caseSensitive);
    bytes_ = c.bytes;
    scanner_ = MakeScanner(c, caseSensitive);
}

bool SearchPattern::MatchesAt(QByteArrayView row, qsizetype at) const
{
    const qsizetype m = bytes_.size();
    if (m == 0 || at < 0 || row.size() - at < m)
        return false;
    const auto *t = reinterpret_cast<const unsigned char *>(row.data()) + at;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes_.data());
    if (caseSensitive_)
        return std::memcmp(t, p, size_t(m)) == 0;
    const qsizetype rowLeft = row.size() - at;
    for (qsizetype j = 0; j < m;) {
        if (IsLeadByte(t[j]) && j + 1 < rowLeft) {
            // A two-byte character of the row is compared as it stands; the pattern may end
            // after its first byte.
            if (t[j] != p[j] || (j + 1 < m && t[j + 1] != p[j + 1]))
                return false;
            j += 2;
        } else {
            if (AsciiUpper(t[j]) != p[j])
                return false;
            ++j;
        }
    }
    return true;
}

namespace {
// The row match, inlined into the row walk so the scan's set-up is made once per search.
[[gnu::always_inline]] inline qsizetype MatchStart(QByteArrayView row, const SearchPattern &pattern,
                                                   const FoldedScanner &scanner, qsizetype m)
{
    if (row.size() < m)
        return -1;
    const auto *hay = reinterpret_cast<const unsigned char *>(row.data());
    qsizetype known = 0;
    return scanner.Scan(hay, row.size() - m + 1, [&](qsizetype i) {
        return StartsChar(hay, i, known) && pattern.MatchesAt(row, i);
    });
}
}

int RowMatch(QByteArrayView row, const SearchPattern &pattern)
{
    const qsizetype m = pattern.Bytes().size();
    if (m == 0)
        return 0;
    const qsizetype at = MatchStart(row, pattern, pattern.Scanner(), m);
    return at < 0 ? 0 : int(at + 1);
}

int FindRow(const TBvRows &rows, const TBvStrings &lines, const SearchPattern &pattern, int first,
            bool downwards, int *column)
{
    const int count = rows.Count();
    const qsizetype m = pattern.Bytes().size();
    if (m == 0 || first < 0 || first >= count)
        return -1;
    const FoldedScanner scanner = pattern.Scanner();
    const int step = downwards ? 1 : -1;
    const int end = downwards ? count : -1;
    for (int row = first; row != end; row += step) {
        const TBvRow r = rows.At(row);
        if (r.Len < m)
            continue;
        const QByteArrayView text = lines.View(r.Line).sliced(r.Start - 1, r.Len);
        const qsizetype at = MatchStart(text, pattern, scanner, m);
        if (at >= 0) {
            if (column)
                *column = int(at + 1);
            return row;
        }
    }
    return -1;
}
