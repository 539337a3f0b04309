// Both line lists' file loader and the view's file index on arbitrary bytes: the lines are the
// file's bytes cut at CR LF or a lone CR up to the first Ctrl-Z (or at CR LF, CR or LF up to the
// first NUL), whatever the block size the loader reads with or where the index's halves meet.
#include "fuzz/FuzzSupport.h"
#include "lines/FileLines.h"
#include "lines/LineTable.h"
#include "lines/ListErrors.h"
#include "lines/TBvStrings.h"
#include "lines/TLightStrings.h"

#include <vector>

namespace {

std::vector<QByteArrayView> ExpectedLines(QByteArrayView text, BreakRule rule = BreakRule::CrOnly)
{
    const bool any = rule == BreakRule::AnyBreak;
    if (const qsizetype eof = text.indexOf(any ? '\0' : '\x1A'); eof >= 0)
        text = text.first(eof);
    std::vector<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && !(any && text[i] == '\n'))
            continue;
        lines.push_back(text.sliced(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.sliced(start));
    return lines;
}

template <typename List>
void CheckLines(const List &list, const std::vector<QByteArrayView> &expected)
{
    FUZZ_CHECK(list.Count() == int(expected.size()));
    FUZZ_CHECK(list.Capacity() == list.Count());
    for (int i = 0; i < list.Count(); ++i)
        FUZZ_CHECK(list.View(i) == expected[size_t(i)]);
}

// The view's file index, cut on two threads wherever the input's size puts the halves.
void CheckIndex(const QString &path, BreakRule rule, const std::vector<QByteArrayView> &expected, quint64 parallelFrom)
{
    QFile f(path);
    FUZZ_CHECK(f.open(QIODevice::ReadOnly));
    const auto index = FileLines::Load(f.handle(), QFile::encodeName(path), rule, LoadLimits{.parallelFrom = parallelFrom});
    FUZZ_CHECK(index->count() == int(expected.size()));
    qsizetype longest = 0;
    for (int i = 0; i < index->count(); ++i) {
        FUZZ_CHECK(index->view(i) == expected[size_t(i)]);
        FUZZ_CHECK(index->length(i) == expected[size_t(i)].size());
        longest = qMax(longest, expected[size_t(i)].size());
    }
    FUZZ_CHECK(index->longest() == longest);

    // Read as UTF-8, the same lines, and the first line that may be wider than a row is the one
    // a look at each line finds.
    const auto utf8 = FileLines::Load(f.handle(), QFile::encodeName(path), rule, LoadLimits{.parallelFrom = parallelFrom},
                                      0, TextEncoding::Utf8);
    FUZZ_CHECK(utf8->count() == index->count());
    for (const int cells : {0, 3, 17}) {
        int next = utf8->count();
        for (int i = utf8->count() - 1; i >= 0; --i) {
            FUZZ_CHECK(utf8->view(i) == expected[size_t(i)]);
            if (CellBound(TextEncoding::Utf8, utf8->view(i)) > cells)
                next = i;
            FUZZ_CHECK(utf8->nextWiderThan(i, cells) == next);
        }
    }
}

struct TableLines {
    const LineTable &table;
    int Count() const { return table.count(); }
    int Capacity() const { return table.capacity(); }
    QByteArrayView View(int i) const { return table.view(i); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const fuzz::ScratchFile file("input.txt");
    fuzz::Input in(data, size);
    // Blocks of a few bytes make lines cross block ends, which big files do at 4 GiB.
    const quint64 maxBlock = 3 + in.Byte();
    // Reads of a few bytes make lines and CR LF pairs cross the edges of reads.
    const quint64 readChunk = 1 + in.Byte() % 16;
    const QByteArrayView text = in.Rest();
    file.Write(text);
    const std::vector<QByteArrayView> expected = ExpectedLines(text);

    TLightStrings light;
    light.LoadFromFile(file.Path());
    CheckLines(light, expected);

    TBvStrings store;
    // The lines as bytes: in Shift-JIS, whatever encoding the bytes look like.
    store.LoadFromFile(QFile::encodeName(file.Path()), TextEncoding::ShiftJis);
    CheckLines(store, expected);
    CheckIndex(file.Path(), BreakRule::CrOnly, expected, 2 + readChunk);
    CheckIndex(file.Path(), BreakRule::AnyBreak, ExpectedLines(text, BreakRule::AnyBreak), 2 + readChunk);
    // An edit turns the index into spans over the file: the same lines, one more.
    store.Add("added");
    FUZZ_CHECK(store.Count() == int(expected.size()) + 1);
    for (int i = 0; i < int(expected.size()); ++i)
        FUZZ_CHECK(store.View(i) == expected[size_t(i)]);

    const LoadLimits limits{maxBlock, 0x7FFFFFFF, readChunk};
    qsizetype longest = 0;
    for (const QByteArrayView line : expected)
        longest = qMax(longest, line.size());
    LineTable table;
    try {
        table.loadFromFile(file.Path(), BreakRule::CrOnly, limits);
        CheckLines(TableLines{table}, expected);
        FUZZ_CHECK(quint64(longest) <= maxBlock - 2);
    } catch (const EInOutError &) {
        // Refused only for a line that cannot fit one block.
        FUZZ_CHECK(quint64(longest) > maxBlock - 2);
    }
    table.loadFromFile(file.Path(), BreakRule::CrOnly, LoadLimits{.readChunk = readChunk, .parallelFrom = 2 + readChunk});
    CheckLines(TableLines{table}, expected);
    return 0;
}
