#pragma once
// Integer helpers of the view: results that do not fit 32 signed bits raise an error instead of
// wrapping, and halves round to the even neighbour.
#include <QtGlobal>

#include <climits>
#include <cmath>
#include <stdexcept>

namespace bv {
[[noreturn]] inline void RaiseOverflow()
{
    throw std::overflow_error("整数オーバーフロー");
}

inline int CheckedInt(qint64 v)
{
    if (v > INT_MAX || v < INT_MIN)
        RaiseOverflow();
    return static_cast<int>(v);
}

// Nearest integer, ties to even.
inline int RoundEven(double v)
{
    const double r = std::nearbyint(v);
    if (!(r <= double(INT_MAX) && r >= double(INT_MIN)))
        RaiseOverflow();
    return static_cast<int>(r);
}
}
