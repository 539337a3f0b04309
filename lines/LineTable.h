#pragma once
// LineTable: the storage behind every line list of the program.
//
// A line is a span {block, offset, length} (12 bytes) into an immutable byte block. A loaded
// file is one block (a file above 4 GiB is cut into several at line ends) and its lines point
// into it, so a file costs its bytes plus 12 bytes per line. Lines added one at a time are
// copied into append-only blocks. Copying lines into another table copies the spans and shares
// the blocks, never the bytes. Bytes of replaced or deleted lines stay until the table is
// cleared.
//
// Slots: the table has a count and a capacity (slots allocated); Add grows the capacity by 32,
// a load reserves size div 28 slots and trims to the count afterwards. Every index, count or
// capacity outside its range raises EListError and leaves the table unchanged.
#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QIODevice>
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "lines/JobControl.h"
#include "lines/ListErrors.h"

// Bytes that lines point into. Bytes below `used` never change and never move, so a block can
// be shared by many tables; only the bytes above `used` are written (by whoever appends).
struct LineBytesFree {
    bool owned = true;  // false: the bytes belong to the block's owner
    void operator()(char *p) const;
};

struct LineBlock {
    using Free = LineBytesFree;
    using Bytes = std::unique_ptr<char[], Free>;

    // Uninitialised bytes; large blocks are asked for 2 MB pages (LargeMemory.h).
    static std::shared_ptr<LineBlock> Allocate(quint64 size);
    static Bytes AllocateBytes(quint64 size);
    // Bytes that live elsewhere (a mapped file), kept alive by `owner`; all of them are used.
    static std::shared_ptr<LineBlock> Borrow(const char *bytes, quint64 size, std::shared_ptr<const void> owner);

    Bytes bytes;
    quint64 size = 0;               // bytes allocated
    std::atomic<quint64> used = 0;  // bytes written: another thread may read those below it
    std::shared_ptr<const void> owner;
};

// Blocks of one size, used again: a block comes back here when the last table holding it lets
// go, on whatever thread. A join reads its inputs piece by piece through one pool, so it works
// in the same few blocks throughout instead of having fresh memory mapped for every piece.
class BlockPool {
public:
    // Keeps at most `keep` free blocks of `blockSize` bytes; the rest are released.
    explicit BlockPool(quint64 blockSize, size_t keep = 4);
    quint64 blockSize() const;
    std::shared_ptr<LineBlock> Allocate();

private:
    struct Shelf;
    std::shared_ptr<Shelf> shelf_;  // shared with every block out, so it outlives the pool
};

struct LineSpan {
    quint32 block;
    quint32 offset;
    quint32 length;
};
static_assert(sizeof(LineSpan) == 12);

// How a text is cut into lines.
enum class BreakRule {
    CrOnly,    // CR LF or a lone CR end a line, a lone LF stays in it; Ctrl-Z ends the text
    AnyBreak,  // CR LF, CR and LF each end a line; NUL ends the text
};

// Sizes the loader works with; only tests lower them.
struct LoadLimits {
    quint64 maxBlock = 0xFFFFFFFFull;  // bytes in one block (offsets are 32-bit)
    quint64 maxLine = 0x7FFFFFFFull;   // bytes in one line (columns are signed 32-bit)
    // Bytes asked for per read call. Each chunk is cut into lines as soon as it arrives, while
    // the copy the system just made of it is still in the processor's cache.
    quint64 readChunk = 1024 * 1024;
    // A file of this size or more is read by two threads at once, the second reading its
    // second half while the first reads and cuts the first.
    quint64 parallelFrom = 32 * 1024 * 1024;
    // A job to report progress to and to stop for (EJobCancelled), or none. A pipe that sends
    // nothing is waited on in short steps, so a stop never waits for its writer.
    JobControl *job = nullptr;
};

class LineTable {
public:
    static constexpr int MaxCount = 134217727;  // 0x7FFFFFF slots at most

    LineTable() = default;
    ~LineTable();
    LineTable(const LineTable &other);
    LineTable &operator=(const LineTable &other);
    LineTable(LineTable &&other) noexcept;
    LineTable &operator=(LineTable &&other) noexcept;
    void swap(LineTable &other) noexcept;

    [[noreturn]] static void RaiseIndexError();

    int count() const { return count_; }
    int capacity() const { return capacity_; }
    void checkIndex(int index) const
    {
        if (index < 0 || index >= count_)
            RaiseIndexError();
    }
    // The bytes of line `index`, no copy; valid until the table is cleared or destroyed.
    QByteArrayView view(int index) const
    {
        checkIndex(index);
        return spanView(slots_[index]);
    }
    QByteArray get(int index) const { return view(index).toByteArray(); }
    int length(int index) const
    {
        checkIndex(index);
        return int(slots_[index].length);
    }

    // Editing. Lines are copied into the table's own append block.
    int add(QByteArrayView line);              // grows the capacity by 32 when full
    void insert(int index, QByteArrayView line);  // 0 <= index <= count
    void put(int index, QByteArrayView line);
    void remove(int index);
    void exchange(int index1, int index2);
    void setCount(int n);     // new lines are empty
    void setCapacity(int n);  // count <= n <= MaxCount
    void clear();             // count and capacity 0, slots and blocks released

    // Appends the lines of `source` sharing its bytes (source may be this table).
    void appendFrom(const LineTable &source);
    // Appends `count` lines of `source` from `first` on, sharing their bytes (source != this).
    void appendFrom(const LineTable &source, int first, int count);
    // Replaces the lines by those of `source`, sharing its bytes.
    void assignFrom(const LineTable &source);

    // Whole text: every line followed by CR LF; an empty table gives an empty text.
    QByteArray text() const;
    qint64 textSize() const;
    // Clear, then split at CR LF, CR or LF up to the first NUL; an empty text gives one empty
    // line. The capacity is reserved as length div 28 and trimmed afterwards.
    void setText(QByteArrayView text);
    QByteArray commaText() const;
    void setCommaText(QByteArrayView text);

    // Writes the whole text in large chunks; EInOutError when the device refuses bytes.
    void writeText(QIODevice &device) const;
    // Writes the whole text to a temporary file that replaces `fileName` only when complete.
    void saveToFile(const QString &fileName) const;
    // Clear, then the device's remaining bytes are split like setText (nothing when none).
    void loadFromStream(QIODevice &device);
    // Clear, then loads the file's lines by `rule`. EInOutError when the file cannot be opened
    // or read, or holds a line longer than maxLine; EListError when it holds more lines than
    // MaxCount. After a failure the table keeps the lines read so far, untrimmed.
    void loadFromFile(const QString &fileName, BreakRule rule, const LoadLimits &limits = {});
    // The same with the file system's bytes for the name.
    void loadFromFile(const QByteArray &path, BreakRule rule, const LoadLimits &limits = {});
    // The same from a file opened for reading (see OpenForReading), read from where it stands.
    void loadFromFile(QFile &file, BreakRule rule, const LoadLimits &limits = {});
    // Clear, then splits bytes held in memory as loadFromFile splits a file holding them.
    void loadFromBytes(QByteArrayView bytes, BreakRule rule);
    // Reads the file as loadFromFile splits it, about `piece` bytes at a time: after each piece
    // the complete lines read so far are in the table and `pieceReady` is called, which must
    // take them or clear the table. Memory stays near `piece` plus the longest line, whatever
    // the file's size. EListError when the file holds more than MaxCount lines in all.
    // Blocks come from `pool` when it is given and a piece fits its blocks.
    void loadInPieces(const QByteArray &path, BreakRule rule, quint64 piece, const std::function<void()> &pieceReady,
                      const LoadLimits &limits = {}, BlockPool *pool = nullptr);

    // Lines whose bytes lie in a block made elsewhere (see LineBlock::Borrow): the block is
    // shared once, then each line is appended by its place in it.
    quint32 shareBlock(const std::shared_ptr<LineBlock> &block) { return addBlock(block); }
    void appendShared(quint32 block, quint32 offset, quint32 length) { appendSpan(LineSpan{block, offset, length}); }

    // First line equal to `text` byte for byte, or -1.
    int indexOf(QByteArrayView text) const;
    // Forward search from (line, column) itself, column 1-based, for `text` ignoring the case of
    // ASCII letters. On a match leaves line/column on it and returns true; otherwise returns
    // false with line = count, column = 1. An empty text returns false and changes nothing.
    // With a job: progress in lines, and a stop (EJobCancelled, line and column as they were).
    bool find(QByteArrayView text, int &line, int &column, JobControl *job = nullptr) const;

private:
    QByteArrayView spanView(const LineSpan &s) const
    {
        if (s.length == 0)
            return QByteArrayView();
        return QByteArrayView(blocks_[s.block]->bytes.get() + s.offset, qsizetype(s.length));
    }
    // The end offset of the longest run of lines from `first` on that lie back to back in one
    // block, each followed by CR LF there; -1 when line `first` is not so stored. Sets `last`.
    qint64 storedRunEnd(int first, int &last) const;
    void growForOne();
    void ensureCapacity(int n);
    void reallocSlots(int n);
    LineSpan storeBytes(QByteArrayView line);
    quint32 addBlock(const std::shared_ptr<LineBlock> &block);  // shares; returns its index
    void dropLastBlock();
    void appendSpan(const LineSpan &span)
    {
        if (count_ == capacity_)
            growForOne();
        slots_[count_++] = span;
    }
    friend class LineSplitter;

    LineSpan *slots_ = nullptr;  // allocated_ slots, count_ of them in use
    int count_ = 0;
    int capacity_ = 0;   // slots the list reports as allocated
    int allocated_ = 0;  // slots really allocated (Add grows them geometrically)
    std::vector<std::shared_ptr<LineBlock>> blocks_;
    std::unordered_map<const LineBlock *, quint32> blockIndex_;
    std::shared_ptr<LineBlock> appendBlock_;  // where added lines are copied to
    quint32 appendBlockIndex_ = 0;
};

// The bytes of a file opened for reading (see OpenForReading), from where it stands to its end.
// With a job, progress (and a pipe's lines) and a stop (EJobCancelled), as loadFromFile reads.
// EInOutError when the file cannot be read.
QByteArray ReadRemainingBytes(QFile &file, JobControl *job = nullptr);
