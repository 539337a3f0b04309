#include "lines/MappedFile.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <string>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lines/ListErrors.h"

namespace {
// The guarded ranges, read by the signal handler without locks: a slot is filled before its
// range is published and cleared before the range is unmapped.
struct GuardSlot {
    std::atomic<quintptr> begin = 0;
    std::atomic<quintptr> end = 0;
    std::atomic<std::atomic<bool> *> damaged = nullptr;
};
constexpr int GuardSlots = 512;
std::array<GuardSlot, GuardSlots> guards;
std::mutex guardMutex;  // for taking and giving back slots, never in the handler
struct sigaction previousAction {};

void ChainToPrevious(int signal, siginfo_t *info, void *context)
{
    if (previousAction.sa_flags & SA_SIGINFO) {
        if (previousAction.sa_sigaction) {
            previousAction.sa_sigaction(signal, info, context);
            return;
        }
    } else if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
        previousAction.sa_handler(signal);
        return;
    }
    // Nobody else wants it: the fault is re-raised with the default action on return.
    ::signal(signal, SIG_DFL);
}

void OnBusError(int signal, siginfo_t *info, void *context)
{
    const auto address = reinterpret_cast<quintptr>(info->si_addr);
    for (GuardSlot &slot : guards) {
        const quintptr begin = slot.begin.load(std::memory_order_acquire);
        if (begin == 0 || address < begin || address >= slot.end.load(std::memory_order_acquire))
            continue;
        // The page reads as zeros from now on; the mapping's reader learns of it afterwards.
        const auto page = quintptr(::sysconf(_SC_PAGESIZE));
        void *const at = reinterpret_cast<void *>(address & ~(page - 1));
        const int saved = errno;
        const void *replaced = ::mmap(at, page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        errno = saved;
        if (replaced == MAP_FAILED)
            break;
        if (std::atomic<bool> *damaged = slot.damaged.load(std::memory_order_acquire))
            damaged->store(true, std::memory_order_release);
        return;
    }
    ChainToPrevious(signal, info, context);
}

void InstallHandler()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &previousAction);
    });
}

int TakeSlot(const char *data, quint64 size, std::atomic<bool> *damaged)
{
    std::lock_guard lock(guardMutex);
    for (int i = 0; i < GuardSlots; ++i) {
        GuardSlot &slot = guards[size_t(i)];
        if (slot.begin.load(std::memory_order_relaxed) != 0)
            continue;
        slot.damaged.store(damaged, std::memory_order_release);
        slot.end.store(reinterpret_cast<quintptr>(data) + size, std::memory_order_release);
        slot.begin.store(reinterpret_cast<quintptr>(data), std::memory_order_release);
        return i;
    }
    return -1;
}

void GiveBackSlot(int i)
{
    std::lock_guard lock(guardMutex);
    GuardSlot &slot = guards[size_t(i)];
    slot.begin.store(0, std::memory_order_release);
    slot.end.store(0, std::memory_order_release);
    slot.damaged.store(nullptr, std::memory_order_release);
}

[[noreturn]] void Fail(int error)
{
    throw EInOutError(std::strerror(error));
}
}

std::shared_ptr<const MappedFile> MappedFile::Map(int fd, const QByteArray &path)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        Fail(errno);
    if (!S_ISREG(st.st_mode))
        Fail(EINVAL);
    std::shared_ptr<MappedFile> file(new MappedFile);
    file->fd_ = ::dup(fd);
    if (file->fd_ < 0)
        Fail(errno);
    ::fcntl(file->fd_, F_SETFD, FD_CLOEXEC);
    file->path_ = path;
    file->size_ = quint64(st.st_size);
    file->device_ = st.st_dev;
    file->inode_ = st.st_ino;
    file->modifiedSeconds_ = st.st_mtim.tv_sec;
    file->modifiedNanoseconds_ = st.st_mtim.tv_nsec;
    if (file->size_ == 0)
        return file;  // nothing to map
    InstallHandler();
    void *p = ::mmap(nullptr, size_t(file->size_), PROT_READ, MAP_PRIVATE, fd, 0);
    if (p == MAP_FAILED)
        Fail(errno);
    file->data_ = static_cast<const char *>(p);
    file->guardSlot_ = TakeSlot(file->data_, file->size_, &file->damaged_);
    if (file->guardSlot_ < 0)
        Fail(EMFILE);  // the destructor unmaps it
    return file;
}

MappedFile::~MappedFile()
{
    if (guardSlot_ >= 0)
        GiveBackSlot(guardSlot_);
    if (data_)
        ::munmap(const_cast<char *>(data_), size_t(size_));
    if (fd_ >= 0)
        ::close(fd_);
}

bool MappedFile::Changed() const
{
    if (Damaged())
        return true;
    struct stat now {};
    if (::stat(path_.constData(), &now) != 0 || now.st_dev != device_ || now.st_ino != inode_)
        return true;
    return quint64(now.st_size) != size_ || now.st_mtim.tv_sec != modifiedSeconds_ ||
           now.st_mtim.tv_nsec != modifiedNanoseconds_;
}

void MappedFile::WillRead(quint64 offset, quint64 length) const
{
    if (!data_ || offset >= size_)
        return;
    const auto page = quint64(::sysconf(_SC_PAGESIZE));
    const quint64 begin = offset & ~(page - 1);
    const quint64 end = std::min(size_, offset + length);
    ::madvise(const_cast<char *>(data_) + begin, size_t(end - begin), MADV_WILLNEED);
}
