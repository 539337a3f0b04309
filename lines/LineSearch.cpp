// Forward search ignoring the case of ASCII letters.
#include "LineTable.h"

#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {
// A byte b matches the pattern byte c when (b | mask) == target: a letter matches both of its
// cases (they differ only in bit 0x20), every other byte only itself.
struct FoldedByte {
    unsigned char mask;
    unsigned char target;
};

FoldedByte Fold(unsigned char c)
{
    const unsigned char lower = c | 0x20;
    if (lower >= 'a' && lower <= 'z')
        return FoldedByte{0x20, lower};
    return FoldedByte{0, c};
}

class FoldedPattern {
public:
    explicit FoldedPattern(QByteArrayView text) : bytes_(size_t(text.size()))
    {
        for (qsizetype i = 0; i < text.size(); ++i)
            bytes_[size_t(i)] = Fold(static_cast<unsigned char>(text[i]));
    }
    qsizetype size() const { return qsizetype(bytes_.size()); }

    bool matchesAt(const unsigned char *p) const
    {
        for (const FoldedByte &f : bytes_) {
            if ((*p++ | f.mask) != f.target)
                return false;
        }
        return true;
    }

    // First start in [0, starts) where the pattern matches hay, or -1. hay holds at least
    // starts + size() - 1 bytes.
    qsizetype search(const unsigned char *hay, qsizetype starts) const
    {
        const FoldedByte first = bytes_.front();
        const FoldedByte last = bytes_.back();
        const qsizetype lastOffset = size() - 1;
        qsizetype i = 0;
#ifdef __SSE2__
        // Filter 16 starts at a time on the first and the last byte of the pattern.
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
                if (matchesAt(hay + at))
                    return at;
                bits &= bits - 1;
            }
        }
#endif
        for (; i < starts; ++i) {
            if ((hay[i] | first.mask) == first.target && (hay[i + lastOffset] | last.mask) == last.target
                && matchesAt(hay + i))
                return i;
        }
        return -1;
    }

private:
    std::vector<FoldedByte> bytes_;
};
}

bool LineTable::find(QByteArrayView text, int &line, int &column) const
{
    if (text.isEmpty())
        return false;
    const FoldedPattern pattern(text);
    const qsizetype n = pattern.size();
    if (line < 0)
        line = 0;
    while (line < count_) {
        if (column < 1)
            column = 1;
        const QByteArrayView bytes = spanView(slots_[line]);
        const qsizetype first = qsizetype(column) - 1;
        const qsizetype starts = bytes.size() - n + 1 - first;
        if (starts > 0) {
            const auto *hay = reinterpret_cast<const unsigned char *>(bytes.data()) + first;
            const qsizetype at = pattern.search(hay, starts);
            if (at >= 0) {
                column = int(first + at + 1);
                return true;
            }
        }
        ++line;
        column = 1;
    }
    line = count_;
    column = 1;
    return false;
}
