#include "lines/LineTable.h"
#include "lines/LargeMemory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>

namespace {
// Lines added one at a time share blocks of this size; longer lines get a block of their own.
constexpr quint64 AppendBlockSize = 64 * 1024;
constexpr qsizetype MaxLineLength = 0x7FFFFFFF;
}

void LineBytesFree::operator()(char *p) const
{
    if (owned)
        std::free(p);
}

std::shared_ptr<LineBlock> LineBlock::Borrow(const char *bytes, quint64 size, std::shared_ptr<const void> owner)
{
    auto block = std::make_shared<LineBlock>();
    block->bytes = Bytes(const_cast<char *>(bytes), Free{false});
    block->size = size;
    block->used = size;
    block->owner = std::move(owner);
    return block;
}

std::shared_ptr<LineBlock> LineBlock::Allocate(quint64 size)
{
    auto block = std::make_shared<LineBlock>();
    block->bytes = AllocateBytes(size);
    block->size = size;
    return block;
}

LineBlock::Bytes LineBlock::AllocateBytes(quint64 size)
{
    if (size > std::numeric_limits<size_t>::max())
        throw std::bad_alloc();
    void *p = AllocateArray(size_t(size));
    if (!p)
        throw std::bad_alloc();
    return Bytes(static_cast<char *>(p));
}

struct BlockPool::Shelf {
    quint64 blockSize;
    size_t keep;
    std::mutex mutex;
    std::vector<LineBlock::Bytes> free;
};

BlockPool::BlockPool(quint64 blockSize, size_t keep) : shelf_(std::make_shared<Shelf>())
{
    shelf_->blockSize = std::max<quint64>(blockSize, 1);
    shelf_->keep = keep;
    shelf_->free.reserve(keep);
}

quint64 BlockPool::blockSize() const
{
    return shelf_->blockSize;
}

std::shared_ptr<LineBlock> BlockPool::Allocate()
{
    LineBlock::Bytes bytes;
    {
        std::lock_guard lock(shelf_->mutex);
        if (!shelf_->free.empty()) {
            bytes = std::move(shelf_->free.back());
            shelf_->free.pop_back();
        }
    }
    if (!bytes)
        bytes = LineBlock::AllocateBytes(shelf_->blockSize);
    auto *block = new LineBlock;
    block->bytes = std::move(bytes);
    block->size = shelf_->blockSize;
    const auto giveBack = [shelf = shelf_](LineBlock *b) {
        LineBlock::Bytes kept = std::move(b->bytes);
        delete b;
        std::lock_guard lock(shelf->mutex);
        if (shelf->free.size() < shelf->keep)
            shelf->free.push_back(std::move(kept));  // room reserved: cannot throw
    };
    // Should the control block fail to allocate, giveBack has already taken the block back.
    return std::shared_ptr<LineBlock>(block, giveBack);
}

LineTable::~LineTable()
{
    std::free(slots_);
}

LineTable::LineTable(const LineTable &other)
    : blocks_(other.blocks_),
      blockIndex_(other.blockIndex_),
      appendBlock_(other.appendBlock_),
      appendBlockIndex_(other.appendBlockIndex_)
{
    reallocSlots(other.capacity_);
    if (other.count_ > 0)
        std::memcpy(slots_, other.slots_, size_t(other.count_) * sizeof(LineSpan));
    count_ = other.count_;
    capacity_ = other.capacity_;
}

LineTable &LineTable::operator=(const LineTable &other)
{
    if (this != &other) {
        LineTable copy(other);
        swap(copy);
    }
    return *this;
}

LineTable::LineTable(LineTable &&other) noexcept
{
    swap(other);
}

LineTable &LineTable::operator=(LineTable &&other) noexcept
{
    if (this != &other) {
        LineTable moved(std::move(other));
        swap(moved);
    }
    return *this;
}

void LineTable::swap(LineTable &other) noexcept
{
    std::swap(slots_, other.slots_);
    std::swap(count_, other.count_);
    std::swap(capacity_, other.capacity_);
    std::swap(allocated_, other.allocated_);
    blocks_.swap(other.blocks_);
    blockIndex_.swap(other.blockIndex_);
    appendBlock_.swap(other.appendBlock_);
    std::swap(appendBlockIndex_, other.appendBlockIndex_);
}

void LineTable::RaiseIndexError()
{
    throw EListError();
}

void LineTable::reallocSlots(int n)
{
    if (n == allocated_)
        return;
    if (n == 0) {
        std::free(slots_);
        slots_ = nullptr;
        allocated_ = 0;
        return;
    }
    void *p = ReallocateArray(slots_, size_t(n) * sizeof(LineSpan));
    if (!p)
        throw std::bad_alloc();
    slots_ = static_cast<LineSpan *>(p);
    allocated_ = n;
}

void LineTable::ensureCapacity(int n)
{
    if (n <= capacity_)
        return;
    if (n > allocated_) {
        // The reported capacity follows the list's rules; the memory behind it grows by half
        // at a time, so building a long list line by line is not quadratic.
        const qint64 grown = std::min<qint64>(MaxCount, qint64(allocated_) + allocated_ / 2);
        reallocSlots(int(std::max<qint64>(n, grown)));
    }
    capacity_ = n;
}

void LineTable::growForOne()
{
    if (capacity_ > MaxCount - 32)
        RaiseIndexError();
    ensureCapacity(capacity_ + 32);
}

void LineTable::setCapacity(int n)
{
    if (n > MaxCount || n < count_)
        RaiseIndexError();
    reallocSlots(n);
    capacity_ = n;
}

void LineTable::setCount(int n)
{
    if (n < 0 || n > MaxCount)
        RaiseIndexError();
    if (n > capacity_)
        setCapacity(n);
    if (n > count_)
        std::memset(static_cast<void *>(slots_ + count_), 0, size_t(n - count_) * sizeof(LineSpan));
    count_ = n;
}

void LineTable::clear()
{
    std::free(slots_);
    slots_ = nullptr;
    count_ = capacity_ = allocated_ = 0;
    blocks_.clear();
    blockIndex_.clear();
    appendBlock_.reset();
    appendBlockIndex_ = 0;
}

quint32 LineTable::addBlock(const std::shared_ptr<LineBlock> &block)
{
    const auto found = blockIndex_.find(block.get());
    if (found != blockIndex_.end())
        return found->second;
    const quint32 index = quint32(blocks_.size());
    blocks_.push_back(block);
    try {
        blockIndex_.emplace(block.get(), index);
    } catch (...) {
        blocks_.pop_back();
        throw;
    }
    return index;
}

void LineTable::dropLastBlock()
{
    blockIndex_.erase(blocks_.back().get());
    blocks_.pop_back();
}

LineSpan LineTable::storeBytes(QByteArrayView line)
{
    const qsizetype n = line.size();
    if (n == 0)
        return LineSpan{0, 0, 0};
    if (n > MaxLineLength)
        RaiseIndexError();
    const quint64 size = quint64(n);
    if (appendBlock_ && appendBlock_->size - appendBlock_->used >= size) {
        LineBlock &b = *appendBlock_;
        std::memcpy(b.bytes.get() + b.used, line.data(), size);
        const LineSpan span{appendBlockIndex_, quint32(b.used), quint32(size)};
        b.used += size;
        return span;
    }
    auto block = LineBlock::Allocate(std::max(AppendBlockSize, size));
    std::memcpy(block->bytes.get(), line.data(), size);
    block->used = size;
    const quint32 index = addBlock(block);
    // A long line fills a block of its own; the current append block keeps its free room.
    if (!appendBlock_ || size < AppendBlockSize / 2) {
        appendBlock_ = block;
        appendBlockIndex_ = index;
    }
    return LineSpan{index, 0, quint32(size)};
}

int LineTable::add(QByteArrayView line)
{
    if (count_ == capacity_)
        growForOne();
    slots_[count_] = storeBytes(line);
    return count_++;
}

void LineTable::insert(int index, QByteArrayView line)
{
    if (index < 0 || index > count_)
        RaiseIndexError();
    if (count_ == capacity_)
        growForOne();
    const LineSpan span = storeBytes(line);
    std::memmove(static_cast<void *>(slots_ + index + 1), slots_ + index,
                 size_t(count_ - index) * sizeof(LineSpan));
    slots_[index] = span;
    ++count_;
}

void LineTable::put(int index, QByteArrayView line)
{
    checkIndex(index);
    slots_[index] = storeBytes(line);
}

void LineTable::remove(int index)
{
    checkIndex(index);
    std::memmove(static_cast<void *>(slots_ + index), slots_ + index + 1,
                 size_t(count_ - index - 1) * sizeof(LineSpan));
    --count_;
}

void LineTable::exchange(int index1, int index2)
{
    checkIndex(index1);
    checkIndex(index2);
    std::swap(slots_[index1], slots_[index2]);
}

void LineTable::appendFrom(const LineTable &source)
{
    if (&source == this) {
        const int n = count_;
        if (n == 0)
            return;
        if (qint64(count_) + n > MaxCount)
            RaiseIndexError();
        ensureCapacity(count_ + n);
        std::memcpy(static_cast<void *>(slots_ + count_), slots_, size_t(n) * sizeof(LineSpan));
        count_ += n;
        return;
    }
    appendFrom(source, 0, source.count_);
}

void LineTable::appendFrom(const LineTable &source, int first, int n)
{
    if (first < 0 || n < 0 || first > source.count_ - n)
        RaiseIndexError();
    if (n == 0)
        return;
    if (qint64(count_) + n > MaxCount)
        RaiseIndexError();
    ensureCapacity(count_ + n);
    LineSpan *out = slots_ + count_;
    const LineSpan *in = source.slots_ + first;
    if (source.blocks_.empty()) {
        // Only empty lines: their spans point at no block.
        std::memcpy(static_cast<void *>(out), in, size_t(n) * sizeof(LineSpan));
    } else {
        // Source block index -> index here. A source holds few blocks, nearly all of them
        // referenced, so they are all shared up front and the spans copy without a branch.
        std::vector<quint32> remap(source.blocks_.size());
        for (size_t b = 0; b < remap.size(); ++b)
            remap[b] = addBlock(source.blocks_[b]);
        // An empty line's block may be one its table never kept; it points nowhere here.
        for (int i = 0; i < n; ++i)
            out[i] = LineSpan{in[i].length ? remap[in[i].block] : 0, in[i].offset, in[i].length};
    }
    count_ += n;
}

void LineTable::assignFrom(const LineTable &source)
{
    if (&source == this)
        return;
    clear();
    appendFrom(source);
}

int LineTable::indexOf(QByteArrayView text) const
{
    const qsizetype n = text.size();
    for (int i = 0; i < count_; ++i) {
        const LineSpan &s = slots_[i];
        if (qsizetype(s.length) == n && (n == 0 || std::memcmp(spanView(s).data(), text.data(), size_t(n)) == 0))
            return i;
    }
    return -1;
}
