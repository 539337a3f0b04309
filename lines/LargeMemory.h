#pragma once
// Large arrays (a file's bytes, its line table, the view's rows) are asked for 2 MB pages:
// mapping fresh memory 4 KB at a time costs more than filling it, many times more on a
// virtual machine.
#include <cstddef>
#include <cstdlib>
#include <new>

// From this size on an array is large.
constexpr std::size_t LargeArrayBytes = 8 * 1024 * 1024;

// Like malloc and realloc (nullptr when memory runs out; free() releases), with 2 MB pages
// asked for where the system offers them.
void *AllocateArray(std::size_t size);
void *ReallocateArray(void *p, std::size_t size);

// For containers of many elements.
template <typename T>
struct LargeArrayAllocator {
    using value_type = T;
    LargeArrayAllocator() = default;
    template <typename U>
    LargeArrayAllocator(const LargeArrayAllocator<U> &) noexcept
    {
    }
    T *allocate(std::size_t n)
    {
        if (n > std::size_t(-1) / sizeof(T))
            throw std::bad_array_new_length();
        void *p = AllocateArray(n * sizeof(T));
        if (!p)
            throw std::bad_alloc();
        return static_cast<T *>(p);
    }
    void deallocate(T *p, std::size_t) noexcept { std::free(p); }
    template <typename U>
    bool operator==(const LargeArrayAllocator<U> &) const noexcept
    {
        return true;
    }
};
