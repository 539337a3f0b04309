#pragma once
// The search for line breaks, 64 bytes at a time: lines are short on average, and one search
// call per line cost more than the search itself. Shared by the loader and the file index.
#include <QtGlobal>

#include <cstddef>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Bit i is set when p[i] may end a line: a CR, and with AnyBreak an LF too; n <= 64.
template <bool AnyBreak>
inline quint64 BreakBits(const char *p, size_t n)
{
    quint64 bits = 0;
#ifdef __SSE2__
    if (n == 64) {
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        for (int k = 0; k < 4; ++k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * k));
            __m128i hit = _mm_cmpeq_epi8(v, cr);
            if constexpr (AnyBreak)
                hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, lf));
            bits |= quint64(unsigned(_mm_movemask_epi8(hit))) << (16 * k);
        }
        return bits;
    }
#endif
    for (size_t i = 0; i < n; ++i)
        if (p[i] == '\r' || (AnyBreak && p[i] == '\n'))
            bits |= quint64(1) << i;
    return bits;
}

