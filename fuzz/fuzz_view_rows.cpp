// The view's row layout on arbitrary lines: the rows of a line cover it exactly and in order,
// start on character boundaries and keep within the wrap width (a double-byte character that
// alone is wider than one byte still gets a row); positions convert back and forth.
#include "bigview/rules/BvRows.h"
#include "fuzz/FuzzSupport.h"
#include "lines/ShiftJis.h"
#include "lines/TBvStrings.h"
#include "lines/TextEncoding.h"

#include <QFile>

#include <vector>

namespace {

void CheckRows(const TBvRows &rows, const TBvStrings &store, bool wordWrap, int wrapByte,
               int widthCount)
{
    const int width = wrapByte > 0 ? wrapByte : widthCount;
    int r = 0;
    for (int line = 0; line < store.Count(); ++line) {
        const QByteArrayView s = store.View(line);
        FUZZ_CHECK(rows.LineToRow(line) == r);
        if (s.isEmpty()) {
            const TBvRow &row = rows.At(r++);
            FUZZ_CHECK(row.Line == line && row.Start == 0 && row.Len == 0 && row.Sub == 0 && row.Last == 1);
            continue;
        }
        std::vector<bool> boundary(size_t(s.size()) + 1, false);
        ForEachChar(s, [&](qsizetype i, qsizetype) { return boundary[size_t(i)] = true; });
        boundary[size_t(s.size())] = true;

        qsizetype next = 1;
        for (int sub = 0; next <= s.size(); ++sub) {
            const TBvRow &row = rows.At(r);
            FUZZ_CHECK(row.Line == line && row.Sub == sub && row.Start == next && row.Len > 0);
            FUZZ_CHECK(rows.RowText(store, r) == s.sliced(row.Start - 1, row.Len));
            const qsizetype end = row.Start - 1 + row.Len;
            FUZZ_CHECK(end <= s.size() && boundary[size_t(end)]);
            if (!wordWrap)
                FUZZ_CHECK(row.Len == s.size());
            else if (row.Len > width)
                FUZZ_CHECK(width == 1 && row.Len == 2 && CharLength(s, row.Start - 1) == 2);
            FUZZ_CHECK(row.Last == (end == s.size() ? 1 : 0));
            // Every column of the row maps to its line position and back.
            for (int x = 1; x <= row.Len; ++x) {
                const QPoint linePos = rows.RowPosToLinePos(QPoint(x, r));
                FUZZ_CHECK(linePos == QPoint(row.Start + x - 1, line));
                FUZZ_CHECK(rows.LinePosToRowPos(linePos) == QPoint(x, r));
            }
            next = end + 1;
            ++r;
        }
    }
    FUZZ_CHECK(r == rows.Count());
}

// The same lines read from a file as UTF-8 or EUC-JP: rows start and end on the encoding's
// character boundaries, hold at most `width` cells (one wider character alone excepted) and as
// many as fit, and the horizontal range is the widest row's cells.
void CheckEncodedRows(const QList<QByteArray> &lines, TextEncoding encoding, bool wordWrap, int wrapByte, int widthCount)
{
    static const fuzz::ScratchFile file("lines.txt");
    QByteArray text;
    for (const QByteArray &line : lines) {
        QByteArray clean = line;
        text += clean.replace('\r', 'r').replace('\x1A', 'z') + "\r\n";
    }
    file.Write(text);
    TBvStrings store;
    store.LoadFromFile(QFile::encodeName(file.Path()), encoding);
    FUZZ_CHECK(store.Encoding() == encoding);
    TBvRows rows;
    rows.LayoutFrom(store, 0, wordWrap, wrapByte, [&](QByteArrayView line) {
        FUZZ_CHECK(!line.isEmpty());
        return widthCount;
    });
    const int width = wrapByte > 0 ? wrapByte : widthCount;
    int r = 0, widest = 0;
    for (int line = 0; line < store.Count(); ++line) {
        const QByteArrayView s = store.View(line);
        FUZZ_CHECK(rows.LineToRow(line) == r);
        if (s.isEmpty()) {
            FUZZ_CHECK(rows.At(r++).Len == 0);
            continue;
        }
        for (qsizetype next = 1; next <= s.size(); ++r) {
            const TBvRow &row = rows.At(r);
            FUZZ_CHECK(row.Line == line && row.Start == next && row.Len > 0);
            const qsizetype from = row.Start - 1, end = from + row.Len;
            FUZZ_CHECK(end <= s.size() && IsCharBoundary(encoding, s, end, from));
            const qsizetype cells = CellCount(encoding, s.sliced(from, row.Len));
            widest = std::max(widest, int(cells));
            if (!wordWrap) {
                FUZZ_CHECK(row.Len == s.size());
            } else {
                const qsizetype first = CharLength(encoding, s, from);
                FUZZ_CHECK(cells <= width || row.Len == first);
                if (end < s.size())
                    FUZZ_CHECK(cells + CharCells(encoding, s, end) > width);
            }
            next = end + 1;
        }
    }
    FUZZ_CHECK(r == rows.Count());
    // The range never counts bytes: exactly the widest row, or within the cells a row may hold.
    const int range = rows.MaxCells(0, rows.Count());
    FUZZ_CHECK(range == widest);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    const uint8_t mode = in.Byte();
    const bool wordWrap = (mode & 1) != 0;
    // Small widths mostly; now and then one near the 32-bit limit.
    const int wrapByte = (mode & 2) ? int(in.U32() & 0x7FFFFFFF) : in.Byte() % 40;
    const int widthCount = 1 + in.Byte() % 40;
    const uint8_t separator = in.Byte();

    // Lines are the rest cut at the separator byte, so they may hold CR, LF, NUL or Ctrl-Z.
    TBvStrings store;
    for (const QByteArray &line : in.Rest().toByteArray().split(char(separator)))
        store.Add(line);

    const TBvRows::WidthCount count = [&](QByteArrayView line) {
        FUZZ_CHECK(!line.isEmpty());
        return widthCount;
    };
    TBvRows rows;
    rows.LayoutFrom(store, 0, wordWrap, wrapByte, count);
    CheckRows(rows, store, wordWrap, wrapByte, widthCount);
    if (wrapByte < 1000) {
        const QList<QByteArray> lines = in.Rest().toByteArray().split(char(separator));
        CheckEncodedRows(lines, TextEncoding::Utf8, wordWrap, wrapByte, widthCount);
        CheckEncodedRows(lines, TextEncoding::EucJp, wordWrap, wrapByte, widthCount);
    }

    // Laying out again from a middle line after the lines below it changed gives the rows a
    // layout from the start gives.
    if (store.Count() > 1) {
        const int from = store.Count() / 2;
        store.Put(from, store.View(0).toByteArray() + store.View(from).toByteArray());
        store.Delete(store.Count() - 1);
        rows.LayoutFrom(store, from, wordWrap, wrapByte, count);
        CheckRows(rows, store, wordWrap, wrapByte, widthCount);
    }
    return 0;
}
