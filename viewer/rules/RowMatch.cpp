#include "viewer/rules/RowMatch.h"

#include <QtGlobal>

#include <atomic>
#include <cstring>

#include "bigview/rules/BvRows.h"
#include "lines/FileLines.h"
#include "lines/SecondThread.h"
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

// The same in any encoding: the walk goes on from `known` by the encoding's characters.
bool StartsChar(TextEncoding encoding, QByteArrayView row, qsizetype at, qsizetype &known)
{
    if (encoding == TextEncoding::ShiftJis)
        return StartsChar(reinterpret_cast<const unsigned char *>(row.data()), at, known);
    known = CharStart(encoding, row, at, known);
    return known == at;
}
}

namespace {
struct Compared {
    QByteArray bytes;
    bool lastIsTrail = false;  // the last byte ends a two-byte character
};

// The pattern as compared: without case distinction, a-z of its single-byte characters in upper
// case.
Compared ComparedBytes(QByteArrayView text, bool caseSensitive, TextEncoding encoding)
{
    Compared c{text.toByteArray()};
    if (encoding != TextEncoding::ShiftJis) {
        // Only a letter that is a character of its own is folded; the scanner's last byte is
        // folded only when it is such a letter.
        const bool utf16 = IsUtf16(encoding);
        const qsizetype low = encoding == TextEncoding::Utf16Be ? 1 : 0;
        c.lastIsTrail = true;
        ForEachChar(encoding, text, [&](qsizetype i, qsizetype n) {
            qsizetype letter = -1;
            if (!utf16 && n == 1)
                letter = i;
            else if (utf16 && n == 2 && text[i + 1 - low] == 0)
                letter = i + low;
            const bool folds = letter >= 0 && !caseSensitive && static_cast<unsigned char>(text[letter]) < 0x80;
            if (folds)
                c.bytes[letter] = char(AsciiUpper(static_cast<unsigned char>(c.bytes[letter])));
            c.lastIsTrail = !(folds && letter == text.size() - 1);
            return true;
        });
        return c;
    }
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

SearchPattern::SearchPattern(QByteArrayView text, bool caseSensitive, TextEncoding encoding)
    : caseSensitive_(caseSensitive), encoding_(encoding), scanner_(ExactByte(0), ExactByte(0), 0)
{
    const Compared c = ComparedBytes(text, caseSensitive, encoding);
    bytes_ = c.bytes;
    scanner_ = MakeScanner(c, caseSensitive);
}

SearchPattern SearchPattern::ForRows(QByteArrayView shiftJisText, bool caseSensitive, TextEncoding encoding)
{
    if (encoding == TextEncoding::ShiftJis)
        return SearchPattern(shiftJisText, caseSensitive);
    const std::optional<QByteArray> bytes = EncodeText(encoding, DecodeText(TextEncoding::ShiftJis, shiftJisText));
    return SearchPattern(bytes.value_or(QByteArray()), caseSensitive, encoding);
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
    if (encoding_ != TextEncoding::ShiftJis)
        return EqualIgnoringAsciiCase(encoding_, row.sliced(at, m), bytes_);
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
    const TextEncoding encoding = pattern.Encoding();
    return scanner.Scan(hay, row.size() - m + 1, [&](qsizetype i) {
        return StartsChar(encoding, row, i, known) && pattern.MatchesAt(row, i);
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

namespace {
// From this many rows on a search runs on both cores, each taking half of the rows.
constexpr int TwoThreadsFrom = 1 << 16;
// How often a half looks whether the other, nearer half has found its match.
constexpr int CancelCheckRows = 4096;

struct Hit {
    int row = -1;
    int column = 0;
};

// The first match in rows [from, to) walking down, or in (to, from] walking up. Stops early
// (with no hit) once `stop` is set.
Hit SearchRows(const TBvRows &rows, const TBvStrings &lines, const SearchPattern &pattern, const FoldedScanner &scanner,
               int from, int to, bool downwards, const std::atomic<bool> *stop, JobControl *job)
{
    const qsizetype m = pattern.Bytes().size();
    Hit hit;
    int seen = 0;
    const auto tryRow = [&](int row, const TBvRow &r) {
        if (++seen % CancelCheckRows == 0) {
            if (stop && stop->load(std::memory_order_relaxed))
                return false;
            if (job) {
                job->AddLines(CancelCheckRows);
                job->ThrowIfCancelled();
            }
        }
        if (r.Len < m)
            return true;
        const QByteArrayView text = lines.View(r.Line).sliced(r.Start - 1, r.Len);
        const qsizetype at = MatchStart(text, pattern, scanner, m);
        if (at < 0)
            return true;
        hit = Hit{row, int(at + 1)};
        return false;
    };
    if (downwards) {
        rows.Walk(from, to, tryRow);
    } else {
        for (int row = from; row > to; --row)
            if (!tryRow(row, rows.At(row)))
                break;
    }
    return hit;
}
}

namespace {
// The bytes a search looks through before it asks whether the other half has a nearer match.
constexpr quint64 FileSearchChunk = 1024 * 1024;

// A downward search through a file's bytes as one run: the scanner finds candidates anywhere,
// and each is then placed in its row and checked there as the row walk would check it. Returns
// the first match starting in [from, to), or no hit.
Hit SearchFileBytes(const TBvRows &rows, const FileLines &index, const SearchPattern &pattern,
                    const FoldedScanner &scanner, quint64 from, quint64 to, std::atomic<quint64> &found,
                    JobControl *job)
{
    const quint64 m = quint64(pattern.Bytes().size());
    const quint64 textEnd = index.textEnd();
    const auto *bytes = reinterpret_cast<const unsigned char *>(index.file().data());
    int knownRow = -1;  // the row of the last candidate, and a character start in it
    qsizetype known = 0;
    for (quint64 chunk = from; chunk < to && chunk + m <= textEnd;) {
        if (found.load(std::memory_order_relaxed) < chunk)
            return Hit{};  // the nearer half has a match
        const quint64 chunkEnd = std::min({to, chunk + FileSearchChunk, textEnd - m + 1});
        if (job) {
            job->ThrowIfCancelled();
            job->AddDone(qint64(chunkEnd - chunk));
        }
        Hit hit;
        quint64 at = 0;
        scanner.Scan(bytes + chunk, qsizetype(chunkEnd - chunk), [&](qsizetype i) {
            const quint64 p = chunk + quint64(i);
            const int line = index.lineAtOffset(p);
            const quint64 lineStart = index.start(line);
            if (p + m > lineStart + quint64(index.length(line)))
                return false;  // it runs into the line break
            const QPoint place = rows.LinePosToRowPos(QPoint(int(p - lineStart + 1), line));
            const TBvRow r = rows.At(place.y());
            const QByteArrayView row(reinterpret_cast<const char *>(bytes) + lineStart + r.Start - 1, r.Len);
            const qsizetype inRow = place.x() - 1;
            if (place.y() != knownRow) {
                knownRow = place.y();
                known = 0;
            }
            if (!StartsChar(pattern.Encoding(), row, inRow, known) ||
                !pattern.MatchesAt(row, inRow))
                return false;
            hit = Hit{place.y(), int(inRow + 1)};
            at = p;
            return true;
        });
        if (hit.row >= 0) {
            quint64 seen = found.load();
            while (at < seen && !found.compare_exchange_weak(seen, at)) {
            }
            return hit;
        }
        chunk = chunkEnd;
    }
    return Hit{};
}

// A downward search from `first` through the file under `rows`, on both cores when it is large.
Hit SearchFile(const TBvRows &rows, const FileLines &index, const SearchPattern &pattern,
               const FoldedScanner &scanner, int first, JobControl *job)
{
    const TBvRow r = rows.At(first);
    const quint64 from = index.start(r.Line) + quint64(std::max(r.Start, 1)) - 1;
    const quint64 to = index.textEnd();
    std::atomic<quint64> found = ~quint64(0);
    if (job)
        job->AddTotal(qint64(to - from));
    if (to - from < 8 * FileSearchChunk)
        return SearchFileBytes(rows, index, pattern, scanner, from, to, found, job);
    const quint64 middle = from + (to - from) / 2;
    Hit farHit;
    SecondThread far([&] { farHit = SearchFileBytes(rows, index, pattern, scanner, middle, to, found, job); });
    Hit hit;
    try {
        hit = SearchFileBytes(rows, index, pattern, scanner, from, middle, found, job);
    } catch (...) {
        found = 0;
        throw;
    }
    far.Wait();
    return hit.row >= 0 ? hit : farHit;
}
}

int FindRow(const TBvRows &rows, const TBvStrings &lines, const SearchPattern &pattern, int first,
            bool downwards, int *column, JobControl *job)
{
    const int count = rows.Count();
    const qsizetype m = pattern.Bytes().size();
    if (m == 0 || first < 0 || first >= count)
        return -1;
    const FoldedScanner scanner = pattern.Scanner();
    const int end = downwards ? count : -1;
    Hit hit;
    const int span = downwards ? count - first : first + 1;
    if (downwards && lines.FileIndex() && lines.FileIndex()->count() == rows.LineCount()) {
        hit = SearchFile(rows, *lines.FileIndex(), pattern, scanner, first, job);
    } else if (span >= TwoThreadsFrom) {
        // The half nearer the start is searched here, the other on a second thread; the nearer
        // half's match wins, and once it is found the other half stops.
        const int middle = downwards ? first + span / 2 : first - span / 2;
        std::atomic<bool> nearFound = false;
        Hit farHit;
        SecondThread far(
            [&] { farHit = SearchRows(rows, lines, pattern, scanner, middle, end, downwards, &nearFound, job); });
        try {
            hit = SearchRows(rows, lines, pattern, scanner, first, middle, downwards, nullptr, job);
        } catch (...) {
            nearFound = true;
            throw;
        }
        nearFound = hit.row >= 0;
        far.Wait();
        if (hit.row < 0)
            hit = farHit;
    } else {
        hit = SearchRows(rows, lines, pattern, scanner, first, end, downwards, nullptr, job);
    }
    if (hit.row >= 0 && column)
        *column = hit.column;
    return hit.row;
}
