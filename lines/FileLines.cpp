#include "lines/FileLines.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <optional>

#include <sys/mman.h>

#include "lines/BreakScan.h"
#include "lines/FoldedScan.h"
#include "lines/NativeFile.h"
#include "lines/SecondThread.h"

namespace {
// A search looks whether the other half has found a match this often.
constexpr quint64 SearchChunk = 1024 * 1024;
// Below this a range is cut or searched on one thread: a thread costs more than it saves.
constexpr quint64 TwoThreadsFrom = 8 * 1024 * 1024;

[[noreturn]] void RaiseLineTooLong()
{
    throw EInOutError("A line is too long to be loaded");
}
}

namespace {
// Bits of the breaks (CR, and with AnyBreak LF) and of the text-end byte among p[0, n), n <= 64:
// one pass over the bytes finds both.
template <bool AnyBreak>
inline void ScanBlock(const char *p, size_t n, char textEnd, quint64 &breaks, quint64 &ends)
{
#ifdef __SSE2__
    if (n == 64) {
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        const __m128i te = _mm_set1_epi8(textEnd);
        const auto masks = [&](const char *q, quint64 &b, quint64 &e) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(q));
            __m128i hit = _mm_cmpeq_epi8(v, cr);
            if constexpr (AnyBreak)
                hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, lf));
            b = unsigned(_mm_movemask_epi8(hit));
            e = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, te)));
        };
        quint64 b0, b1, b2, b3, e0, e1, e2, e3;
        masks(p, b0, e0);
        masks(p + 16, b1, e1);
        masks(p + 32, b2, e2);
        masks(p + 48, b3, e3);
        breaks = b0 | (b1 << 16) | (b2 << 32) | (b3 << 48);
        ends = e0 | (e1 << 16) | (e2 << 32) | (e3 << 48);
        return;
    }
#endif
    breaks = BreakBits<AnyBreak>(p, n);
    ends = 0;
    for (size_t i = 0; i < n; ++i)
        if (p[i] == textEnd)
            ends |= quint64(1) << i;
}
}

// Cuts one range of the mapped text into lines: records where the lines that begin after a
// break inside the range start.
class FileLines::Cutter {
public:
    Cutter(const MappedFile &file, BreakRule rule, char textEnd, quint64 maxLine, JobControl *job, bool utf8Cells)
        : file_(file), data_(file.data()), size_(file.size()), rule_(rule), textEndByte_(textEnd), maxLine_(maxLine),
          job_(job)
    {
        if (utf8Cells)
            chunkCells.assign(size_t(size_ >> CellChunkShift) + 1, 0);
    }

    Starts starts;
    std::vector<High> highs;
    int longest = 0;
    std::vector<quint32> chunkCells;  // UTF-8: see FileLines::chunkCells_
    quint64 stop = ~quint64(0);  // the first text-end byte in the range, if any

    void Reserve(quint64 bytes) { starts.reserve(size_t(std::min<quint64>(bytes / 16 + 64, LineTable::MaxCount))); }

    // Cuts [from, to). When the range is the first, its first line starts at `from`; otherwise
    // that line started before the range and is measured after the halves are joined.
    void Cut(quint64 from, quint64 to, bool first)
    {
        // A later range does not know where its first line started (perhaps even after `from`,
        // behind a CR LF split by the ranges): that line is not measured here.
        lineStart_ = NotKnown;
        if (first)
            Record(from);
        // The system is asked for the pages a few pieces ahead, so that a file not in the
        // cache is read while the pieces before are cut.
        for (quint64 piece = from; piece < to && stop == ~quint64(0); piece += ReadAheadPiece) {
            file_.WillRead(piece + ReadAheadPiece, 2 * ReadAheadPiece);
            const quint64 pieceEnd = std::min(to, piece + ReadAheadPiece);
            if (job_) {
                job_->ThrowIfCancelled();
                job_->AddDone(qint64(pieceEnd - piece));
            }
            const bool cells = !chunkCells.empty();
            if (rule_ == BreakRule::CrOnly)
                cells ? CutBy<false, true>(piece, pieceEnd) : CutBy<false, false>(piece, pieceEnd);
            else
                cells ? CutBy<true, true>(piece, pieceEnd) : CutBy<true, false>(piece, pieceEnd);
        }
    }

private:
    template <bool AnyBreak, bool Cells>
    void CutBy(quint64 from, quint64 to)
    {
        const char *const data = data_;
        for (quint64 at = from; at < to; at += 64) {
            quint64 bits, ends;
            ScanBlock<AnyBreak>(data + at, size_t(std::min<quint64>(64, to - at)), textEndByte_, bits, ends);
            if (ends) {
                // The text ends here: only the breaks before the text-end byte count.
                stop = at + quint64(std::countr_zero(ends));
                bits &= (ends & (~ends + 1)) - 1;
            }
            while (bits) {
                const quint64 brk = at + quint64(std::countr_zero(bits));
                bits &= bits - 1;
                quint64 next = brk + 1;
                if (AnyBreak && data[brk] == '\n') {
                    // The LF of a CR LF: the CR already ended the line (perhaps in the range before).
                    if (brk > 0 && data[brk - 1] == '\r')
                        continue;
                } else if (next < size_ && data[next] == '\n') {
                    ++next;
                }
                if (brk - lineStart_ > quint64(longest)) [[unlikely]] {
                    if (lineStart_ != NotKnown) {
                        if (brk - lineStart_ > maxLine_)
                            RaiseLineTooLong();
                        longest = int(brk - lineStart_);
                    }
                }
                if constexpr (Cells) {
                    // A line of no more bytes than its stretch's bound so far has no more cells:
                    // only the others are measured, while their bytes are still in the cache.
                    if (lineStart_ != NotKnown) {
                        quint32 &chunk = chunkCells[size_t(lineStart_ >> CellChunkShift)];
                        if (brk - lineStart_ > chunk)
                            chunk = std::max(chunk, quint32(CellBound(TextEncoding::Utf8,
                                QByteArrayView(data + lineStart_, qsizetype(brk - lineStart_)), qsizetype(size_ - brk))));
                    }
                }
                Record(next);
            }
            if (ends)
                return;
        }
    }

    void Record(quint64 start)
    {
        if (quint32(start >> 32) != high_ || highs.empty()) [[unlikely]] {
            high_ = quint32(start >> 32);
            highs.push_back(High{int(starts.size()), high_});
        }
        if (starts.size() == size_t(LineTable::MaxCount)) [[unlikely]]
            LineTable::RaiseIndexError();
        starts.push_back(quint32(start));
        lineStart_ = start;
    }

    static constexpr quint64 ReadAheadPiece = 4 * 1024 * 1024;
    static constexpr quint64 NotKnown = ~quint64(0);
    const MappedFile &file_;
    const char *data_;
    quint64 size_;
    BreakRule rule_;
    char textEndByte_;
    quint64 maxLine_;
    JobControl *job_;
    quint64 lineStart_ = 0;
    quint32 high_ = 0;
};

std::shared_ptr<const FileLines> FileLines::Load(int fd, const QByteArray &path, BreakRule rule,
                                                 const LoadLimits &limits, quint64 textStart, TextEncoding encoding)
{
    auto lines = std::make_shared<FileLines>();
    lines->file_ = MappedFile::Map(fd, AbsolutePath(path).isEmpty() ? path : AbsolutePath(path));
    lines->rule_ = rule;
    const MappedFile &file = *lines->file_;
    const quint64 size = file.size();
    const char textEndByte = rule == BreakRule::CrOnly ? '\x1A' : '\0';
    const quint64 maxLine = std::min<quint64>(limits.maxLine, 0x7FFFFFFF);
    lines->highs_.push_back(High{0, 0});
    textStart = std::min(textStart, size);
    if (size == textStart)
        return lines;

    ::madvise(const_cast<char *>(file.data()), size_t(size), MADV_SEQUENTIAL);
    lines->encoding_ = encoding;
    const bool utf8Cells = encoding == TextEncoding::Utf8;
    Cutter first(file, rule, textEndByte, maxLine, limits.job, utf8Cells);
    if (limits.job)
        limits.job->AddTotal(qint64(size));
    std::optional<Cutter> second;
    const quint64 half = size >= std::max<quint64>(limits.parallelFrom, 2) ? std::max(size / 2, textStart) : size;
    // Room for lines of 16 bytes on average, so the starts are not moved while they are
    // recorded; room that is not written to costs no memory.
    first.Reserve(size);
    if (half < size) {
        second.emplace(file, rule, textEndByte, maxLine, limits.job, utf8Cells);
        second->Reserve(size - half);
        SecondThread other([&] { second->Cut(half, size, false); });
        first.Cut(textStart, half, true);
        other.Wait();
    } else {
        first.Cut(textStart, size, true);
    }
    ::madvise(const_cast<char *>(file.data()), size_t(size), MADV_NORMAL);

    // The halves joined: the second's lines follow the first's unless the text ended before.
    Starts &starts = first.starts;
    // The first half's last line ends in the second half, which could not measure it.
    const int runningAcross = second ? int(starts.size()) - 1 : -1;
    lines->longest_ = first.longest;
    lines->textEnd_ = std::min(size, first.stop);
    if (second && first.stop == ~quint64(0)) {
        lines->textEnd_ = std::min(size, second->stop);
        const size_t offset = starts.size();
        if (offset + second->starts.size() > size_t(LineTable::MaxCount))
            LineTable::RaiseIndexError();
        starts.insert(starts.end(), second->starts.begin(), second->starts.end());
        for (const High &h : second->highs)
            if (first.highs.back().high != h.high)
                first.highs.push_back(High{int(offset) + h.line, h.high});
        lines->longest_ = std::max(lines->longest_, second->longest);
        for (size_t c = 0; c < first.chunkCells.size(); ++c)
            first.chunkCells[c] = std::max(first.chunkCells[c], second->chunkCells[c]);
        Starts().swap(second->starts);
    }
    lines->starts_.swap(starts);
    lines->highs_.swap(first.highs);
    lines->chunkCells_.swap(first.chunkCells);
    lines->count_ = int(lines->starts_.size());
    // A line after a break at the very end of the text holds nothing: there is no such line.
    while (lines->count_ > 0 && lines->start(lines->count_ - 1) >= lines->textEnd_)
        --lines->count_;
    lines->starts_.resize(size_t(lines->count_));
    while (lines->highs_.size() > 1 && lines->highs_.back().line >= lines->count_)
        lines->highs_.pop_back();
    // The lines the halves could not measure: the one running across them and the last.
    for (const int index : {runningAcross, lines->count_ - 1}) {
        if (index < 0 || index >= lines->count_)
            continue;
        const quint64 length = quint64(lines->length(index));
        if (length > maxLine)
            RaiseLineTooLong();
        lines->longest_ = std::max(lines->longest_, int(length));
        if (utf8Cells) {
            quint32 &chunk = lines->chunkCells_[size_t(lines->start(index) >> CellChunkShift)];
            chunk = std::max(chunk, quint32(CellBound(encoding, lines->view(index))));
        }
    }
    if (file.Damaged())
        throw EInOutError("The file could not be read");
    return lines;
}

quint64 FileLines::HighAt(int index) const
{
    const auto after = std::upper_bound(highs_.begin(), highs_.end(), index,
                                        [](int i, const High &h) { return i < h.line; });
    return after == highs_.begin() ? 0 : std::prev(after)->high;
}

int FileLines::nextLongerThan(int from, int bytes) const
{
    // Differences of the low 32 bits are exact: no line is 4 GiB long.
    const quint32 limit = quint32(std::max(bytes, 0));
    const quint32 *s = starts_.data();
    const int last = count_ - 1;
    for (int i = std::max(from, 0); i < last; ++i)
        if (quint32(s[i + 1] - s[i]) > limit)
            return i;
    if (from <= last && textEnd_ - start(last) > limit)
        return last;
    return count_;
}

int FileLines::nextWiderThan(int from, int cells) const
{
    for (int i = std::max(from, 0);; ++i) {
        // No character takes more cells than it has bytes.
        i = nextLongerThan(i, cells);
        if (i >= count_ || encoding_ != TextEncoding::Utf8)
            return i;
        const quint64 chunk = start(i) >> CellChunkShift;
        if (chunkCells_[size_t(chunk)] <= quint32(std::max(cells, 0))) {
            // Every line starting in this stretch fits: on to the first line of the next one.
            const quint64 next = (chunk + 1) << CellChunkShift;
            if (next >= textEnd_)
                return count_;
            i = lineAtOffset(next);
            if (start(i) < next)
                ++i;
            --i;
            continue;
        }
        if (CellBound(encoding_, view(i)) > cells)
            return i;
    }
}

int FileLines::lineAtOffset(quint64 offset) const
{
    int low = 0, high = count_;  // the answer is the last line starting at or before offset
    while (high - low > 1) {
        const int mid = low + (high - low) / 2;
        if (start(mid) <= offset)
            low = mid;
        else
            high = mid;
    }
    return low;
}

void FileLines::appendTo(LineTable &table) const
{
    // Spans hold 32-bit offsets: the mapping is shared as windows of at most 4 GiB, each starting
    // at a line.
    constexpr quint64 Window = 0xFFFFFFFFull;
    quint64 base = 0;
    quint32 block = 0;
    bool haveBlock = false;
    for (int i = 0; i < count_; ++i) {
        const quint64 from = start(i);
        const quint64 to = end(i, from);
        if (to == from) {
            table.appendShared(0, 0, 0);
            continue;
        }
        if (!haveBlock || to - base > Window) {
            base = from;
            block = table.shareBlock(
                LineBlock::Borrow(file_->data() + base, std::min(Window, file_->size() - base), file_));
            haveBlock = true;
        }
        table.appendShared(block, quint32(from - base), quint32(to - from));
    }
}

bool FileLines::find(QByteArrayView text, int &line, int &column, JobControl *job) const
{
    if (text.isEmpty())
        return false;
    const int lineAsked = line, columnAsked = column;
    if (line < 0)
        line = 0;
    if (column < 1)
        column = 1;
    const auto notFound = [&] {
        line = count_;
        column = 1;
        return false;
    };
    if (line >= count_)
        return notFound();
    const FoldedPattern pattern(text);
    const quint64 n = quint64(pattern.size());
    const quint64 lineFrom = start(line);
    const quint64 from = std::min(lineFrom + quint64(column) - 1, end(line, lineFrom));
    const auto *hay = reinterpret_cast<const unsigned char *>(file_->data());

    // The text is one run of bytes: it is scanned as a whole, and a hit counts only when it lies
    // inside one line. Returns the first such start in [a, b), or -1.
    std::atomic<quint64> found = ~quint64(0);  // the earliest match seen by either half
    std::atomic<bool> stopped = false;           // a half ended at the job's stop
    const auto scan = [&](quint64 a, quint64 b) -> qint64 {
        for (quint64 chunk = a; chunk < b && chunk + n <= textEnd_;) {
            if (found.load(std::memory_order_relaxed) < chunk)
                return -1;  // the other half already has an earlier match
            if (job && job->Cancelled()) {
                stopped = true;
                return -1;
            }
            const quint64 chunkEnd = std::min({b, chunk + SearchChunk, textEnd_ - n + 1});
            if (job)
                job->AddDone(qint64(chunkEnd - chunk));
            const qsizetype at = pattern.search(hay + chunk, qsizetype(chunkEnd - chunk));
            if (at < 0) {
                chunk = chunkEnd;
                continue;
            }
            const quint64 p = chunk + quint64(at);
            const int l = lineAtOffset(p);
            if (p + n <= end(l, start(l))) {
                quint64 seen = found.load();
                while (p < seen && !found.compare_exchange_weak(seen, p)) {
                }
                return qint64(p);
            }
            chunk = p + 1;
        }
        return -1;
    };
    const quint64 to = textEnd_;
    if (job)
        job->AddTotal(qint64(to - from));
    qint64 hit;
    if (to - from >= TwoThreadsFrom) {
        const quint64 half = from + (to - from) / 2;
        qint64 later = -1;
        SecondThread other([&] { later = scan(half, to); });
        hit = scan(from, half);
        other.Wait();
        if (hit < 0 && !stopped)
            hit = later;
    } else {
        hit = scan(from, to);
    }
    if (file_->Damaged())
        throw EInOutError("The file could not be read");
    // A hit in the first half stands; otherwise a stop leaves bytes before any later hit unread.
    if (hit < 0 && stopped) {
        line = lineAsked;
        column = columnAsked;
        throw EJobCancelled();
    }
    if (hit < 0)
        return notFound();
    line = lineAtOffset(quint64(hit));
    column = int(quint64(hit) - start(line) + 1);
    return true;
}
