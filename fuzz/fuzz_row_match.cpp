// The viewer's row match and row walk on arbitrary lines: a match is where a naive byte search of
// the compared texts (a-z of single-byte characters upper-cased unless case counts) finds the
// pattern at a character start, and the walk stops at the first row, in its direction, where
// that search finds it. The rows are those of the view's own layout rule, wrapped or not.
#include "bigview/rules/BvRows.h"
#include "fuzz/FuzzSupport.h"
#include "lines/TBvStrings.h"
#include "lines/TextEncoding.h"
#include "viewer/rules/RowMatch.h"

#include <vector>

namespace {

bool IsLead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Byte indexes where a character starts: a lead byte with any byte after it makes a two-byte
// character, every other byte one of its own.
std::vector<qsizetype> CharStarts(QByteArrayView s)
{
    std::vector<qsizetype> starts;
    for (qsizetype i = 0; i < s.size(); i += IsLead(uint8_t(s[i])) && i + 1 < s.size() ? 2 : 1)
        starts.push_back(i);
    return starts;
}

// The text as it is compared: without case distinction a-z of its single-byte characters as
// A-Z; the bytes of two-byte characters stay.
QByteArray Compared(QByteArrayView s, bool caseSensitive)
{
    QByteArray out = s.toByteArray();
    if (caseSensitive)
        return out;
    for (const qsizetype i : CharStarts(s)) {
        const bool single = !(IsLead(uint8_t(s[i])) && i + 1 < s.size());
        if (single && s[i] >= 'a' && s[i] <= 'z')
            out[i] = char(s[i] - 'a' + 'A');
    }
    return out;
}

bool NaiveTry(const QByteArray &row, const QByteArray &pattern, qsizetype at)
{
    return !pattern.isEmpty() && at + pattern.size() <= row.size() &&
           QByteArrayView(row).sliced(at, pattern.size()) == pattern;
}

int NaiveMatch(QByteArrayView row, QByteArrayView pattern, bool caseSensitive)
{
    const QByteArray t = Compared(row, caseSensitive), p = Compared(pattern, caseSensitive);
    for (const qsizetype at : CharStarts(row))
        if (NaiveTry(t, p, at))
            return int(at + 1);
    return 0;
}

// Mostly bytes where the rules have edges: letters of both cases and their neighbours under the
// case bit, lead bytes at the ends of both ranges, bytes next to them, NUL and a blank.
QByteArray Mapped(QByteArrayView bytes, bool dense)
{
    static const char alphabet[] = "aAzZ@`\x81\x9f\xe0\xfc\x80\xa0\xfd \0";
    QByteArray out = bytes.toByteArray();
    if (dense)
        for (char &c : out)
            c = alphabet[uint8_t(c) % (sizeof alphabet - 1)];
    return out;
}

// In the other encodings: the text as compared, a-z of its ASCII characters (one byte, or one
// 16-bit unit) as A-Z, every other byte as it stands.
QByteArray ComparedIn(TextEncoding e, QByteArrayView s, bool caseSensitive)
{
    QByteArray out = s.toByteArray();
    if (caseSensitive)
        return out;
    ForEachChar(e, s, [&](qsizetype i, qsizetype n) {
        qsizetype letter = -1;
        if (!IsUtf16(e) && n == 1)
            letter = i;
        else if (IsUtf16(e) && n == 2)
            letter = e == TextEncoding::Utf16Le ? (s[i + 1] == 0 ? i : -1) : (s[i] == 0 ? i + 1 : -1);
        if (letter >= 0 && s[letter] >= 'a' && s[letter] <= 'z')
            out[letter] = char(s[letter] - 'a' + 'A');
        return true;
    });
    return out;
}

// The first character start of the row where the compared pattern stands (1-based), or 0.
int NaiveMatchIn(TextEncoding e, QByteArrayView row, QByteArrayView pattern, bool caseSensitive)
{
    const QByteArray p = ComparedIn(e, pattern, caseSensitive);
    int found = 0;
    ForEachChar(e, row, [&](qsizetype at, qsizetype) {
        // Folded from the candidate on: a letter counts as one only as a character of its own.
        if (!p.isEmpty() && at + p.size() <= row.size() && ComparedIn(e, row.sliced(at, p.size()), caseSensitive) == p) {
            found = int(at + 1);
            return false;
        }
        return true;
    });
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    const uint8_t mode = in.Byte();
    const bool caseSensitive = (mode & 1) != 0;
    const bool wordWrap = (mode & 2) != 0;
    const bool dense = (mode & 4) != 0;
    const bool downwards = (mode & 8) != 0;
    const bool anyFirst = (mode & 16) != 0;
    const int wrapByte = in.Byte() % 24;
    const int widthCount = 1 + in.Byte() % 24;
    const quint32 firstBits = in.U32();
    const QByteArray patternText = Mapped(in.Bytes(40), dense);
    const uint8_t separator = in.Byte();

    // Lines are the rest cut at the separator byte, so they may hold CR, LF, NUL or Ctrl-Z.
    TBvStrings store;
    for (const QByteArray &line : in.Rest().toByteArray().split(char(separator)))
        store.Add(Mapped(line, dense));
    TBvRows rows;
    rows.LayoutFrom(store, 0, wordWrap, wrapByte, [&](QByteArrayView) { return widthCount; });

    const SearchPattern pattern(patternText, caseSensitive);
    FUZZ_CHECK(pattern.Bytes() == Compared(patternText, caseSensitive));
    FUZZ_CHECK(pattern.IsEmpty() == patternText.isEmpty());

    // Each row by itself, and the pattern tried at each of its character starts.
    const QByteArray p = Compared(patternText, caseSensitive);
    std::vector<int> expected(size_t(rows.Count()));
    for (int r = 0; r < rows.Count(); ++r) {
        const QByteArrayView row = rows.RowText(store, r);
        expected[size_t(r)] = NaiveMatch(row, patternText, caseSensitive);
        FUZZ_CHECK(RowMatch(row, pattern) == expected[size_t(r)]);
        const QByteArray t = Compared(row, caseSensitive);
        for (const qsizetype at : CharStarts(row))
            FUZZ_CHECK(pattern.MatchesAt(row, at) == NaiveTry(t, p, at));
    }

    // The walk from a row near the rows (some outside them), or from any row at all.
    const int count = rows.Count();
    const int first = anyFirst ? int(firstBits) : int(firstBits % quint32(count + 4)) - 2;
    int expectedRow = -1;
    if (!patternText.isEmpty())
        for (int r = first; r >= 0 && r < count; r += downwards ? 1 : -1)
            if (expected[size_t(r)] > 0) {
                expectedRow = r;
                break;
            }
    int column = -7;
    FUZZ_CHECK(FindRow(rows, store, pattern, first, downwards, &column) == expectedRow);
    FUZZ_CHECK(column == (expectedRow >= 0 ? expected[size_t(expectedRow)] : -7));
    FUZZ_CHECK(FindRow(rows, store, pattern, first, downwards) == expectedRow);

    // The same rows searched as text of the other encodings: a match starts on the encoding's
    // character, and only its ASCII letters fold.
    for (const TextEncoding e : {TextEncoding::Utf8, TextEncoding::EucJp, TextEncoding::Utf16Le, TextEncoding::Utf16Be}) {
        const SearchPattern encoded(patternText, caseSensitive, e);
        int want = -1, wantColumn = -7;
        for (int r = first; r >= 0 && r < count && !patternText.isEmpty(); r += downwards ? 1 : -1) {
            if (const int at = NaiveMatchIn(e, rows.RowText(store, r), patternText, caseSensitive)) {
                want = r;
                wantColumn = at;
                break;
            }
        }
        for (int r = 0; r < count; ++r)
            FUZZ_CHECK(RowMatch(rows.RowText(store, r), encoded) == NaiveMatchIn(e, rows.RowText(store, r), patternText, caseSensitive));
        int got = -7;
        FUZZ_CHECK(FindRow(rows, store, encoded, first, downwards, &got) == want);
        FUZZ_CHECK(got == wantColumn);
    }
    return 0;
}
