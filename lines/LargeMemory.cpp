#include "lines/LargeMemory.h"

#include <algorithm>
#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

namespace {
constexpr std::size_t HugePage = 2 * 1024 * 1024;

void AdviseHugePages(void *p, std::size_t size)
{
#ifdef MADV_HUGEPAGE
    // Only whole pages inside the block; the advice is a hint, so a refusal changes nothing.
    const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const auto begin = (std::uintptr_t(p) + page - 1) & ~(page - 1);
    const auto end = (std::uintptr_t(p) + size) & ~(page - 1);
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)p;
    (void)size;
#endif
}
}

void *AllocateArray(std::size_t size)
{
    if (size < LargeArrayBytes)
        return std::malloc(std::max<std::size_t>(size, 1));
    const std::size_t rounded = (size + HugePage - 1) & ~(HugePage - 1);
    void *p = std::aligned_alloc(HugePage, rounded);
    if (p)
        AdviseHugePages(p, rounded);
    return p;
}

void *ReallocateArray(void *p, std::size_t size)
{
    if (!p)
        return AllocateArray(size);
    void *q = std::realloc(p, std::max<std::size_t>(size, 1));
    if (q && size >= LargeArrayBytes)
        AdviseHugePages(q, size);
    return q;
}
