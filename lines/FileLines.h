#pragma once
// FileLines: the lines of a mapped file, kept as where each line starts instead of as a copy.
//
// A line costs 4 bytes: the low 32 bits of its start. The high bits change at most once from one
// line to the next (a line is shorter than 2 GiB), so they are kept as the few line numbers where
// they step up. A line's end is found from the next line's start and the break before it. The
// index is built on two threads, each cutting half of the file.
#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <memory>
#include <vector>

#include "lines/LargeMemory.h"
#include "lines/LineTable.h"
#include "lines/MappedFile.h"
#include "lines/TextEncoding.h"

class FileLines {
public:
    // Maps the regular file open at `fd` and indexes its lines by `rule` (a text-end byte ends
    // them). EInOutError when it cannot be mapped or read, or holds a line longer than
    // limits.maxLine; EListError when it holds more than LineTable::MaxCount lines. The text
    // starts `textStart` bytes into the file (after a byte-order mark). For UTF-8 text the cells
    // of the lines are bounded while cutting (see nextWiderThan).
    static std::shared_ptr<const FileLines> Load(int fd, const QByteArray &path, BreakRule rule,
                                                 const LoadLimits &limits = {}, quint64 textStart = 0,
                                                 TextEncoding encoding = TextEncoding::ShiftJis);

    int count() const { return count_; }
    void checkIndex(int index) const
    {
        if (index < 0 || index >= count_)
            LineTable::RaiseIndexError();
    }
    quint64 start(int index) const
    {
        const quint64 high = highs_.size() == 1 ? highs_.front().high : HighAt(index);
        return (high << 32) | starts_[size_t(index)];
    }
    // The line's bytes inside the mapping: valid while the FileLines lives.
    QByteArrayView view(int index) const
    {
        checkIndex(index);
        const quint64 from = start(index);
        return QByteArrayView(file_->data() + from, qsizetype(end(index, from) - from));
    }
    int length(int index) const
    {
        checkIndex(index);
        const quint64 from = start(index);
        return int(end(index, from) - from);
    }
    // The first line from `from` on that may hold more than `bytes` bytes (its next line starts
    // further away), or count(): the lines before it certainly fit. Reads only the index.
    int nextLongerThan(int from, int bytes) const;
    // The first line from `from` on whose CellBound in the file's encoding exceeds `cells`, or
    // count(). For UTF-8 the bounds of whole stretches of the file are known from the load, so
    // only stretches holding a wide line are read.
    int nextWiderThan(int from, int cells) const;
    int longest() const { return longest_; }
    // Where the text ends: the file's size, or the text-end byte.
    quint64 textEnd() const { return textEnd_; }
    const MappedFile &file() const { return *file_; }
    std::shared_ptr<const MappedFile> sharedFile() const { return file_; }

    // The line holding the byte at `offset` (the last line starting at or before it).
    int lineAtOffset(quint64 offset) const;

    // Appends every line to `table` as spans into the mapping (no bytes copied); the blocks the
    // spans point into keep the mapping alive.
    void appendTo(LineTable &table) const;

    // Forward search from (line, column) itself, ASCII case-insensitive, like LineTable::find.
    // A large range is searched on two threads. With a job: progress in bytes, and a stop
    // (EJobCancelled, line and column as they were).
    bool find(QByteArrayView text, int &line, int &column, JobControl *job = nullptr) const;

private:
    struct High {
        int line;      // from this line on...
        quint32 high;  // ...starts have these high 32 bits
    };
    using Starts = std::vector<quint32, LargeArrayAllocator<quint32>>;
    class Cutter;

    quint64 HighAt(int index) const;
    // The end of the line starting at `from`: before the next line's break.
    quint64 end(int index, quint64 from) const
    {
        const quint64 next = index + 1 < count_ ? start(index + 1) : textEnd_;
        return next - BreakBefore(next, from);
    }
    // The bytes of the break that ends at `at` (0 when the text ends without one).
    quint64 BreakBefore(quint64 at, quint64 lineStart) const
    {
        if (at == lineStart)
            return 0;
        const char *p = file_->data();
        const char last = p[at - 1];
        if (last == '\r')
            return 1;
        if (last == '\n') {
            if (at - 1 > lineStart && p[at - 2] == '\r')
                return 2;
            return rule_ == BreakRule::AnyBreak ? 1 : 0;
        }
        return 0;
    }

    std::shared_ptr<const MappedFile> file_;
    BreakRule rule_ = BreakRule::CrOnly;
    Starts starts_;
    std::vector<High> highs_;
    int count_ = 0;
    int longest_ = 0;
    TextEncoding encoding_ = TextEncoding::ShiftJis;
    // UTF-8 only: per 64 KiB of the file, the largest CellBound of the lines starting there.
    static constexpr int CellChunkShift = 16;
    std::vector<quint32> chunkCells_;
    quint64 textEnd_ = 0;
};
