#pragma once
// The byte scan behind the text searches: the starts where a pattern's first and last bytes
// match, filtered 16 starts at a time, each confirmed by the caller. A pattern byte matches the
// text byte b when (b | mask) == target, so a letter folded with FoldLetter matches both of its
// cases and every other byte only itself.
#include <QByteArrayView>
#include <QtGlobal>

#include <vector>

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

// Finds the starts where a pattern's first byte and its byte at lastOffset match. Made once for
// a search, so the many short texts it scans share the set-up.
class FoldedScanner {
public:
    FoldedScanner(FoldedByte first, FoldedByte last, qsizetype lastOffset)
        : first_(first), last_(last), lastOffset_(lastOffset)
    {
#ifdef __SSE2__
        firstMask_ = _mm_set1_epi8(char(first.mask));
        firstTarget_ = _mm_set1_epi8(char(first.target));
        lastMask_ = _mm_set1_epi8(char(last.mask));
        lastTarget_ = _mm_set1_epi8(char(last.target));
#endif
    }

    // Calls confirm(at) for each start at in [0, starts), in order, whose bytes match, until
    // confirm returns true; returns that start, or -1. hay holds at least starts + lastOffset
    // bytes.
    template <typename Confirm>
    qsizetype Scan(const unsigned char *hay, qsizetype starts, Confirm &&confirm) const
    {
        qsizetype i = 0;
#ifdef __SSE2__
        for (; i + 16 <= starts; i += 16) {
            const qsizetype at = ScanBlock(hay, i, Hits(hay + i), confirm);
            if (at >= 0)
                return at;
        }
        if (i < starts && starts >= 16) {
            // The last starts: one block ending at the last start, without the starts done.
            const qsizetype block = starts - 16;
            return ScanBlock(hay, block, Hits(hay + block) & (~0u << (i - block)), confirm);
        }
#endif
        for (; i < starts; ++i) {
            if (ByteMatches(hay[i], first_) && ByteMatches(hay[i + lastOffset_], last_) && confirm(i))
                return i;
        }
        return -1;
    }

private:
#ifdef __SSE2__
    // Bit k: the start p + k matches on both bytes.
    unsigned Hits(const unsigned char *p) const
    {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + lastOffset_));
        const __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, firstMask_), firstTarget_),
                                          _mm_cmpeq_epi8(_mm_or_si128(b, lastMask_), lastTarget_));
        return unsigned(_mm_movemask_epi8(hit));
    }
    template <typename Confirm>
    static qsizetype ScanBlock(const unsigned char *, qsizetype base, unsigned bits, Confirm &confirm)
    {
        while (bits) {
            const qsizetype at = base + __builtin_ctz(bits);
            if (confirm(at))
                return at;
            bits &= bits - 1;
        }
        return -1;
    }
    __m128i firstMask_, firstTarget_, lastMask_, lastTarget_;
#endif
    FoldedByte first_, last_;
    qsizetype lastOffset_;
};

// A text compared ignoring the case of ASCII letters, prepared once for a search.
class FoldedPattern {
public:
    explicit FoldedPattern(QByteArrayView text)
        : bytes_(Fold(text)), scanner_(bytes_.front(), bytes_.back(), size() - 1)
    {
    }
    qsizetype size() const { return qsizetype(bytes_.size()); }

    bool matchesAt(const unsigned char *p) const
    {
        for (const FoldedByte &f : bytes_) {
            if (!ByteMatches(*p++, f))
                return false;
        }
        return true;
    }

    // First start in [0, starts) where the pattern matches hay, or -1. hay holds at least
    // starts + size() - 1 bytes.
    qsizetype search(const unsigned char *hay, qsizetype starts) const
    {
        return scanner_.Scan(hay, starts, [&](qsizetype at) { return matchesAt(hay + at); });
    }

private:
    static std::vector<FoldedByte> Fold(QByteArrayView text)
    {
        std::vector<FoldedByte> bytes(size_t(text.size()));
        for (qsizetype i = 0; i < text.size(); ++i)
            bytes[size_t(i)] = FoldLetter(static_cast<unsigned char>(text[i]));
        return bytes;
    }

    std::vector<FoldedByte> bytes_;
    FoldedScanner scanner_;
};
