#pragma once
// What a long job running on a worker thread shares with the window that waits for it: how far
// it got (for a progress window) and whether the user asked it to stop. Every member may be
// used from any thread.
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>

// Thrown at a job's cancel point once the user has asked it to stop.
class EJobCancelled : public std::runtime_error {
public:
    EJobCancelled() : std::runtime_error("cancelled") {}
};

class JobControl {
public:
    void Cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    bool Cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
    void ThrowIfCancelled() const
    {
        if (Cancelled())
            throw EJobCancelled();
    }

    // What is being read now (an input's name as shown to the user). Kept as plain characters:
    // a shared string's count would be touched by both threads.
    void SetItem(const QString &item)
    {
        std::u16string copy = item.toStdU16String();
        std::lock_guard lock(mutex_);
        item_.swap(copy);
    }
    QString Item() const
    {
        std::lock_guard lock(mutex_);
        return QString::fromStdU16String(item_);
    }

    // Bytes to go through in all (0 when unknown: a pipe), bytes and lines done so far.
    void AddTotal(qint64 bytes) { total_.fetch_add(bytes, std::memory_order_relaxed); }
    void AddDone(qint64 bytes) { done_.fetch_add(bytes, std::memory_order_relaxed); }
    void AddLines(qint64 lines) { lines_.fetch_add(lines, std::memory_order_relaxed); }
    // Lines to go through in all, for work that counts lines rather than bytes (0: unknown).
    void AddTotalLines(qint64 lines) { totalLines_.fetch_add(lines, std::memory_order_relaxed); }
    qint64 Total() const { return total_.load(std::memory_order_relaxed); }
    qint64 Done() const { return done_.load(std::memory_order_relaxed); }
    qint64 Lines() const { return lines_.load(std::memory_order_relaxed); }
    qint64 TotalLines() const { return totalLines_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> cancelled_ = false;
    std::atomic<qint64> total_ = 0, done_ = 0, lines_ = 0, totalLines_ = 0;
    mutable std::mutex mutex_;
    std::u16string item_;
};
