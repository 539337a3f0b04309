// Cutting bytes into lines: files, streams and whole texts all go through LineSplitter.
#include "lines/LineTable.h"

#include <QFile>

#include "lines/BreakScan.h"
#include "lines/NativeFile.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <system_error>
#include <thread>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>


namespace {
constexpr quint64 MinBlock = 4096;

// Where the bytes come from: read() returns the bytes delivered, 0 at the end, -1 on error.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual qint64 read(char *dest, qint64 max) = 0;
    virtual QString errorString() const = 0;
    // Whether readAt and skip work: a regular file.
    virtual bool positional() const { return false; }
    // Reads exactly `size` bytes at `pos` without moving the read position (callable from
    // another thread while read() runs); false when they are not all there.
    virtual bool readAt(char *, qint64, qint64) { return false; }
    // Moves the read position `size` bytes on.
    virtual bool skip(qint64) { return false; }
};

class DeviceSource : public ByteSource {
public:
    // Reads at most `limit` bytes (negative: to the end).
    DeviceSource(QIODevice &device, qint64 limit) : device_(device), left_(limit) {}
    qint64 read(char *dest, qint64 max) override
    {
        if (left_ == 0)
            return 0;
        if (left_ > 0)
            max = std::min(max, left_);
        const qint64 n = device_.read(dest, max);
        if (n > 0 && left_ > 0)
            left_ -= n;
        else if (n == 0 && left_ > 0)
            return -1;  // the stream ended before the bytes it announced
        return n;
    }
    QString errorString() const override
    {
        const QString text = device_.errorString();
        return text.isEmpty() || text == QLatin1String("Unknown error") ? QStringLiteral("Unexpected end of stream") : text;
    }
    qint64 left() const { return left_; }

private:
    QIODevice &device_;
    qint64 left_;
};

class FileSource : public DeviceSource {
public:
    FileSource(QFile &file, JobControl *job) : DeviceSource(file, -1), file_(file), fd_(file.handle()), job_(job)
    {
        // A pipe read for a job never blocks: while its writer sends nothing, the job can stop.
        if (job_ && file_.isSequential() && fd_ >= 0) {
            flags_ = ::fcntl(fd_, F_GETFL);
            if (flags_ >= 0 && ::fcntl(fd_, F_SETFL, flags_ | O_NONBLOCK) == 0)
                pollable_ = true;
        }
    }
    ~FileSource() override
    {
        if (pollable_)
            ::fcntl(fd_, F_SETFL, flags_);
    }
    bool positional() const override { return fd_ >= 0 && !file_.isSequential(); }
    qint64 read(char *dest, qint64 max) override
    {
        if (job_)
            job_->ThrowIfCancelled();
        const qint64 n = pollable_ ? ReadPipe(dest, max) : DeviceSource::read(dest, max);
        if (job_ && n > 0)
            job_->AddDone(n);
        return n;
    }
    bool readAt(char *dest, qint64 pos, qint64 size) override
    {
        while (size > 0) {
            const ssize_t n = ::pread(fd_, dest, size_t(size), off_t(pos));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;  // a read error, or the file has shrunk
            dest += n;
            pos += n;
            size -= n;
        }
        return true;
    }
    bool skip(qint64 size) override { return file_.seek(file_.pos() + size); }

private:
    // What the pipe holds now (Qt's read would wait to fill the whole buffer); while it holds
    // nothing and has a writer, the wait is cut into short steps that look for a stop.
    qint64 ReadPipe(char *dest, qint64 max)
    {
        for (;;) {
            const ssize_t n = ::read(fd_, dest, size_t(max));
            if (n >= 0)
                return n;  // bytes, or the end: no writer (any more)
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                return -1;
            job_->ThrowIfCancelled();
            pollfd p{fd_, POLLIN, 0};
            ::poll(&p, 1, 100);
        }
    }

    QFile &file_;
    int fd_;
    JobControl *job_;
    int flags_ = 0;
    bool pollable_ = false;
};

// Reads [from, to) of a source into dest on a second thread; the destructor waits for it.
class ReadAhead {
public:
    ReadAhead(ByteSource &source, char *dest, qint64 from, qint64 to)
        : from_(from), to_(to), thread_([this, &source, dest] { ok_ = source.readAt(dest, from_, to_ - from_); })
    {
    }
    ~ReadAhead()
    {
        if (thread_.joinable())
            thread_.join();
    }
    qint64 from() const { return from_; }
    qint64 size() const { return to_ - from_; }
    // Waits for the thread: true when every byte was read.
    bool Wait()
    {
        thread_.join();
        return ok_;
    }

private:
    qint64 from_, to_;
    bool ok_ = false;
    std::thread thread_;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(QByteArrayView bytes) : bytes_(bytes) {}
    qint64 read(char *dest, qint64 max) override
    {
        const qint64 n = std::min<qint64>(max, bytes_.size() - pos_);
        if (n > 0)
            std::memcpy(dest, bytes_.data() + pos_, size_t(n));
        pos_ += n;
        return n;
    }
    QString errorString() const override { return QString(); }

private:
    QByteArrayView bytes_;
    qint64 pos_ = 0;
};

[[noreturn]] void RaiseLineTooLong()
{
    throw EInOutError("A line is too long to be loaded");
}
}

class LineSplitter {
public:
    // With `pieceReady`, the text is read in blocks of about `piece` bytes and the callback is
    // called after each block's complete lines are in the table; it must leave the table empty.
    // Blocks that fit `pool`'s come from it.
    LineSplitter(LineTable &table, BreakRule rule, const LoadLimits &limits, quint64 piece = 0,
                 const std::function<void()> &pieceReady = {}, BlockPool *pool = nullptr)
        : table_(table), rule_(rule), maxBlock_(std::max<quint64>(limits.maxBlock, 3)),
          maxLine_(std::min(limits.maxLine, maxBlock_ - 2)), readChunk_(std::max<quint64>(limits.readChunk, 1)),
          parallelFrom_(std::max<quint64>(limits.parallelFrom, 2)), piece_(pieceReady ? std::max(piece, MinBlock) : 0),
          pieceReady_(pieceReady), pool_(pool), job_(limits.job)
    {
    }

    // Reads `source` to its end (or to the end-of-text byte) and appends its lines. `expected`
    // is the number of bytes announced, used to size the first block.
    void load(ByteSource &source, qint64 expected)
    {
        const char terminator = rule_ == BreakRule::CrOnly ? '\x1A' : '\0';
        quint64 remaining = expected > 0 ? quint64(expected) : 0;
        std::shared_ptr<LineBlock> carry;  // holds the unfinished last line of the last block
        quint64 carryOffset = 0, carryLength = 0;
        bool atEnd = false;
        bool longLine = false;  // the last block held no line end
        while (!atEnd) {
            // One byte more than announced, so a file that grew meanwhile is still read whole.
            // A piece at a time. A line longer than a piece takes the rest of the file at once
            // rather than being copied into ever larger blocks; from a source of unknown size
            // (a pipe) its block doubles.
            quint64 body = remaining + 1;
            if (piece_ && remaining == 0)
                body = std::max(piece_, carryLength);
            else if (piece_ && !longLine)
                body = std::min(body, std::max(piece_, carryLength));
            const quint64 want = std::clamp<quint64>(carryLength + body, MinBlock, maxBlock_);
            // A pooled block may be larger than wanted: the piece then fills it.
            const auto block = pool_ && piece_ && want <= pool_->blockSize() && pool_->blockSize() <= maxBlock_
                ? pool_->Allocate()
                : LineBlock::Allocate(want);
            if (carryLength > 0)
                std::memcpy(block->bytes.get(), carry->bytes.get() + carryOffset, carryLength);
            carry.reset();
            quint64 filled = carryLength;
            quint64 end = 0;
            bool stopped = false;  // the end-of-text byte was found, at `end`
            bool failed = false;
            const int before = table_.count_;
            int counted = before;  // lines told to the job so far
            const quint32 index = table_.addBlock(block);
            Cut cut;  // the lines are cut as the bytes come
            // A large file read whole: its second half comes on a second thread meanwhile. The
            // thread is waited for before the block can go, even on an exception.
            std::optional<ReadAhead> ahead;
            if (!piece_ && filled == 0 && expected > 0 && quint64(expected) >= parallelFrom_ &&
                block->size > quint64(expected) && source.positional()) {
                try {
                    ahead.emplace(source, block->bytes.get() + expected / 2, expected / 2, expected);
                } catch (const std::system_error &) {
                    // no thread to be had: read it all here
                }
            }
            for (;;) {
                if (filled == block->size) {
                    if (piece_ || block->size >= maxBlock_)
                        break;
                    grow(*block, filled, maxBlock_);
                }
                qint64 n;
                if (ahead && filled == quint64(ahead->from())) {
                    // The second half is in place: its bytes are taken as if just read. If the
                    // file shrank meanwhile, they are read here in turn.
                    const bool got = ahead->Wait() && source.skip(ahead->size());
                    n = ahead->size();
                    ahead.reset();
                    if (!got)
                        continue;
                } else {
                    quint64 max = std::min<quint64>(block->size - filled, readChunk_);
                    if (ahead)
                        max = std::min<quint64>(max, quint64(ahead->from()) - filled);
                    n = source.read(block->bytes.get() + filled, qint64(max));
                }
                if (n < 0) {
                    failed = true;
                    break;
                }
                if (n == 0) {
                    atEnd = true;
                    break;
                }
                // The end-of-text byte is looked for as the bytes come: an endless source (a pipe,
                // a device) is read only up to it.
                const char *fresh = block->bytes.get() + filled;
                filled += quint64(n);
                remaining = remaining > quint64(n) ? remaining - quint64(n) : 0;
                if (const void *stop = std::memchr(fresh, terminator, size_t(n))) {
                    end = quint64(static_cast<const char *>(stop) - block->bytes.get());
                    stopped = atEnd = true;
                    break;
                }
                block->used = filled;
                split(index, block->bytes.get(), cut, filled, false);
                CountLines(counted);
            }
            block->used = filled;
            if (!stopped)
                end = filled;
            const quint64 consumed = split(index, block->bytes.get(), cut, end, atEnd && !failed);
            CountLines(counted);
            if (!referencesLastBlock(before))
                table_.dropLastBlock();
            if (failed)
                throw EInOutError(source.errorString().toStdString());
            if (!atEnd) {
                // An unfinished line, perhaps with the CR that ends it (its LF may follow).
                carryLength = end - consumed;
                const char *last = block->bytes.get() + end - 1;
                if (carryLength - (carryLength > 0 && *last == '\r' ? 1 : 0) > maxLine_)
                    RaiseLineTooLong();
                carry = block;
                carryOffset = consumed;
                longLine = consumed == 0;
            }
            if (pieceReady_) {
                taken_ += quint64(table_.count_);
                if (taken_ > quint64(LineTable::MaxCount))
                    LineTable::RaiseIndexError();
                pieceReady_();
            }
        }
    }

private:
    // Tells the job the lines cut since `counted`, as they come (a pipe's progress is its lines).
    void CountLines(int &counted)
    {
        if (job_) {
            job_->AddLines(table_.count_ - counted);
            counted = table_.count_;
        }
    }

    // Only for a source that delivers more than it announced (a growing file, a pipe).
    static void grow(LineBlock &block, quint64 filled, quint64 maxSize)
    {
        const auto larger = LineBlock::Allocate(std::min(maxSize, std::max(block.size * 2, MinBlock)));
        std::memcpy(larger->bytes.get(), block.bytes.get(), filled);
        std::swap(block.bytes, larger->bytes);
        block.size = larger->size;
    }

    bool referencesLastBlock(int from) const
    {
        for (int i = from; i < table_.count_; ++i)
            if (table_.slots_[i].length != 0)
                return true;
        return false;
    }

    // How far a block has been cut: where its unfinished line starts, and where the search for
    // breaks goes on (nothing between the two ends a line).
    struct Cut {
        quint64 line = 0;
        quint64 scan = 0;
    };

    // Appends the lines of base[cut.line, end) and moves `cut` past them. When `final` is false
    // the bytes after the last complete line (and a CR that may still be followed by an LF) are
    // left for a later call with more bytes; returns where they start.
    quint64 split(quint32 block, const char *base, Cut &cut, quint64 end, bool final)
    {
        return rule_ == BreakRule::CrOnly ? splitBy<false>(block, base, cut, end, final)
                                          : splitBy<true>(block, base, cut, end, final);
    }

    // The breaks are found 64 bytes at a time as a bit mask: lines are short on average, and one
    // search call per line cost more than the search itself.
    template <bool AnyBreak>
    quint64 splitBy(quint32 block, const char *base, Cut &cut, quint64 end, bool final)
    {
        const char *const stop = base + end;
        const char *p = base + cut.line;  // where the current line starts
        for (const char *chunk = base + cut.scan; chunk < stop; chunk += 64) {
            quint64 bits = BreakBits<AnyBreak>(chunk, size_t(std::min<qint64>(64, stop - chunk)));
            while (bits) {
                const char *brk = chunk + std::countr_zero(bits);
                bits &= bits - 1;
                if (brk < p)
                    continue;  // the LF of a CR LF already taken
                const char *next = brk + 1;
                if (*brk == '\r') {
                    if (next == stop) {
                        if (!final) {
                            // Its LF may come with the next bytes: the CR is looked at again.
                            cut = Cut{quint64(p - base), quint64(brk - base)};
                            return cut.line;
                        }
                    } else if (*next == '\n') {
                        ++next;
                    }
                }
                appendLine(block, base, p, brk);
                p = next;
            }
        }
        if (final && p < stop) {
            appendLine(block, base, p, stop);
            p = stop;
        }
        cut = Cut{quint64(p - base), end};  // every break before `end` is taken
        return cut.line;
    }

    void appendLine(quint32 block, const char *base, const char *from, const char *to)
    {
        const quint64 length = quint64(to - from);
        if (length > maxLine_)
            RaiseLineTooLong();
        table_.appendSpan(LineSpan{block, quint32(from - base), quint32(length)});
    }

    LineTable &table_;
    BreakRule rule_;
    quint64 maxBlock_;
    quint64 maxLine_;
    quint64 readChunk_;
    quint64 parallelFrom_;
    quint64 piece_;
    std::function<void()> pieceReady_;
    BlockPool *pool_;
    JobControl *job_;
    quint64 taken_ = 0;  // lines handed out so far
};

namespace {
int CapacityEstimate(qint64 bytes)
{
    // An average of 28 bytes per line; far larger inputs are estimated at the most the list holds.
    return int(std::clamp<qint64>(bytes / 28, 0, LineTable::MaxCount));
}
}

void LineTable::loadFromFile(const QString &fileName, BreakRule rule, const LoadLimits &limits)
{
    loadFromFile(QFile::encodeName(fileName), rule, limits);
}

namespace {
// Opens the file (never waiting on a pipe) and hands it to `load` with its announced size
// (0 for a pipe or a device).
template <typename Load>
void ReadFile(QFile &file, JobControl *job, Load &&load)
{
    const qint64 size = file.isSequential() ? 0 : file.size();
    FileSource source(file, job);
    load(source, size);
}

template <typename Load>
void ReadFile(const QByteArray &path, JobControl *job, Load &&load)
{
    QFile file;
    OpenForReading(file, path);
    ReadFile(file, job, load);
}
}

void LineTable::loadFromFile(const QByteArray &path, BreakRule rule, const LoadLimits &limits)
{
    QFile file;
    clear();
    OpenForReading(file, path);
    loadFromFile(file, rule, limits);
}

void LineTable::loadFromFile(QFile &file, BreakRule rule, const LoadLimits &limits)
{
    clear();
    ReadFile(file, limits.job, [&](ByteSource &source, qint64 size) {
        setCapacity(CapacityEstimate(size));
        LineSplitter(*this, rule, limits).load(source, size);
    });
    setCapacity(count_);
}

void LineTable::loadFromBytes(QByteArrayView bytes, BreakRule rule)
{
    clear();
    setCapacity(CapacityEstimate(bytes.size()));
    MemorySource source(bytes);
    LineSplitter(*this, rule, LoadLimits{}).load(source, bytes.size());
    setCapacity(count_);
}

QByteArray ReadRemainingBytes(QFile &file, JobControl *job)
{
    QByteArray bytes;
    FileSource source(file, job);
    constexpr qint64 Chunk = 1024 * 1024;
    for (;;) {
        const qsizetype at = bytes.size();
        if (at > std::numeric_limits<qsizetype>::max() - Chunk)
            throw EInOutError("The file is too large to be read into memory");
        bytes.resize(at + Chunk);
        const qint64 n = source.read(bytes.data() + at, Chunk);
        if (n < 0)
            throw EInOutError(source.errorString().toStdString());
        bytes.resize(at + n);
        if (n == 0)
            return bytes;
        // A pipe's progress is its lines.
        if (job)
            job->AddLines(std::count(bytes.cbegin() + at, bytes.cend(), '\r'));
    }
}

void LineTable::loadInPieces(const QByteArray &path, BreakRule rule, quint64 piece,
                             const std::function<void()> &pieceReady, const LoadLimits &limits, BlockPool *pool)
{
    clear();
    ReadFile(path, limits.job, [&](ByteSource &source, qint64 size) {
        LineSplitter(*this, rule, limits, piece, pieceReady, pool).load(source, size);
    });
}

void LineTable::setText(QByteArrayView text)
{
    // The text may be a view of this table's own lines: their bytes live until the end.
    const auto oldBlocks = std::move(blocks_);
    clear();
    setCapacity(CapacityEstimate(text.size()));
    MemorySource source(text);
    LineSplitter(*this, BreakRule::AnyBreak, LoadLimits{}).load(source, text.size());
    if (count_ == 0)
        appendSpan(LineSpan{0, 0, 0});  // an empty text is one empty line
    setCapacity(count_);
}

void LineTable::loadFromStream(QIODevice &device)
{
    clear();
    const qint64 remaining = device.size() - device.pos();
    if (remaining <= 0)
        return;
    setCapacity(CapacityEstimate(remaining));
    DeviceSource source(device, remaining);
    LineSplitter(*this, BreakRule::AnyBreak, LoadLimits{}).load(source, remaining);
    // The text may end early at a NUL; the stream is still consumed to its end.
    if (source.left() > 0 && device.skip(source.left()) != source.left())
        throw EInOutError(source.errorString().toStdString());
    if (count_ == 0)
        appendSpan(LineSpan{0, 0, 0});
    setCapacity(count_);
}
