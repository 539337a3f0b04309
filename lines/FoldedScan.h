#pragma once
// The byte scan behind the text searches: the starts where a pattern's first and last bytes
// match, filtered 16 starts at a time, each confirmed by the caller. A pattern byte matches the
// text byte b when (b | mask) == target, so a letter folded with FoldLetter matches both of its
// cases and every other byte only itself.
#include <QtGlobal>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

struct FoldedByte {
    unsigned char mask;
    unsigned char target;
};

constexpr FoldedByte ExactByte(unsigned char c) { return FoldedByte{0, c}; }

// ASCII letters match both cases; every other byte only itself.
constexpr FoldedByte FoldLetter(unsigned char c)
{
    const unsigned char lower = c | 0x20;
    return lower >= 'a' && lower <= 'z' ? FoldedByte{0x20, lower} : FoldedByte{0, c};
}

constexpr bool ByteMatches(unsigned char b, FoldedByte f) { return (b | f.mask) == f.target; }

// Calls confirm(at) for each start at in [0, starts), in order, whose byte matches `first` and
// whose byte at + lastOffset matches `last`, until confirm returns true; returns that start, or
// -1. hay holds at least starts + lastOffset bytes.
template <typename Confirm>
qsizetype ScanCandidates(const unsigned char *hay, qsizetype starts, FoldedByte first, FoldedByte last,
                         qsizetype lastOffset, Confirm &&confirm)
{
    qsizetype i = 0;
#ifdef __SSE2__
    const __m128i firstMask = _mm_set1_epi8(char(first.mask));
    const __m128i firstTarget = _mm_set1_epi8(char(first.target));
    const __m128i lastMask = _mm_set1_epi8(char(last.mask));
    const __m128i lastTarget = _mm_set1_epi8(char(last.target));
    for (; i + 16 <= starts; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(hay + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(hay + i + lastOffset));
        const __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, firstMask), firstTarget),
                                          _mm_cmpeq_epi8(_mm_or_si128(b, lastMask), lastTarget));
        unsigned bits = unsigned(_mm_movemask_epi8(hit));
        while (bits) {
            const qsizetype at = i + __builtin_ctz(bits);
            if (confirm(at))
                return at;
            bits &= bits - 1;
        }
    }
#endif
    for (; i < starts; ++i) {
        if (ByteMatches(hay[i], first) && ByteMatches(hay[i + lastOffset], last) && confirm(i))
            return i;
    }
    return -1;
}
