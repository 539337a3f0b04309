#pragma once
// The viewer's row match and the walk over display rows, without a view: a search runs on the
// rows the view's layout made and the lines they cut.
#include <QByteArray>
#include <QByteArrayView>

#include "lines/FoldedScan.h"
#include "lines/JobControl.h"
#include "lines/TextEncoding.h"

class TBvRows;
class TBvStrings;

// A search string prepared once for the many rows it is tried on. Without case distinction the
// letters a-z of single-byte characters are compared as upper case on both sides; two-byte
// characters (whatever their bytes) and half-width kana are compared as they stand. In the
// other encodings the bytes are the pattern in that encoding and only ASCII letters that are
// characters of their own fold; a match starts on a character of the encoding.
class SearchPattern {
public:
    SearchPattern(QByteArrayView text, bool caseSensitive, TextEncoding encoding = TextEncoding::ShiftJis);
    // A pattern typed as Shift-JIS text (the search dialog's), for rows in `encoding`: empty
    // when the encoding cannot hold it.
    static SearchPattern ForRows(QByteArrayView shiftJisText, bool caseSensitive, TextEncoding encoding);

    bool IsEmpty() const { return bytes_.isEmpty(); }
    // The pattern as it is compared (upper-cased without case distinction).
    const QByteArray &Bytes() const { return bytes_; }
    bool CaseSensitive() const { return caseSensitive_; }
    TextEncoding Encoding() const { return encoding_; }

    // Whether the pattern matches row at byte index at, which starts a character of row.
    bool MatchesAt(QByteArrayView row, qsizetype at) const;

    // Finds the starts worth a MatchesAt (the first and the last byte match).
    const FoldedScanner &Scanner() const { return scanner_; }

private:
    QByteArray bytes_;
    bool caseSensitive_;
    TextEncoding encoding_;
    FoldedScanner scanner_;
};

// The 1-based byte column where the pattern first matches the row at the start of a character
// (never inside a two-byte character); 0 for no match, an empty row or an empty pattern.
int RowMatch(QByteArrayView row, const SearchPattern &pattern);

// Tries the rows from `first` to the last row (downwards) or down to row 0 (upwards), each row
// being the bytes it cuts from its line, and returns the first matching row, or -1. The 1-based
// column of the match goes to *column. A start outside the rows tries nothing: no row outside
// 0..rows.Count() - 1 is read.
// With a job: a stop raises EJobCancelled, and the bytes (or rows) gone through are counted.
int FindRow(const TBvRows &rows, const TBvStrings &lines, const SearchPattern &pattern, int first,
            bool downwards, int *column = nullptr, JobControl *job = nullptr);
