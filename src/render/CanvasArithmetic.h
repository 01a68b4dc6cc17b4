// Exact integer helpers shared by the canvas's drawing files: floor and
// ceiling division in 64 and 128 bits, a four-value sort, and the canvas test
// of one point. Internal to render/.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

#include "render/Canvas.h"

namespace hyt::canvas_detail {

// Products of two 33-bit differences need 66 bits.
__extension__ typedef __int128 Int128;

constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();

// A quadrilateral whose corners all lie within this distance of the origin
// has turns that fit 64-bit integers (see FillQuad).
constexpr std::int64_t kSmallCoordinate = std::int64_t(1) << 24;

// The bounds of a polygon's corners.
struct CornerBounds {
    int minX, maxX, minY, maxY;

    CornerBounds(const POINT* corners, int count)
        : minX(corners[0].x), maxX(minX), minY(corners[0].y), maxY(minY)
    {
        for (int i = 1; i < count; ++i) {
            minX = std::min(minX, corners[i].x);
            maxX = std::max(maxX, corners[i].x);
            minY = std::min(minY, corners[i].y);
            maxY = std::max(maxY, corners[i].y);
        }
    }
    // Every corner's column lies in 0..kWidth.
    bool ColumnsOnCanvas() const { return minX >= 0 && maxX <= Canvas::kWidth; }
    // Every corner lies within kSmallCoordinate of the origin.
    bool Small() const
    {
        return minX >= -kSmallCoordinate && maxX <= kSmallCoordinate &&
               minY >= -kSmallCoordinate && maxY <= kSmallCoordinate;
    }
};

inline bool FitsInt64(Int128 n)
{
    return n >= -kInt64Max && n <= kInt64Max;
}

// floor(n / d) for d > 0; 64-bit division where the operands allow it.
inline Int128 FloorDiv(Int128 n, Int128 d)
{
    Int128 q;
    Int128 r;
    if (FitsInt64(n) && FitsInt64(d)) {
        q = std::int64_t(n) / std::int64_t(d);
        r = std::int64_t(n) % std::int64_t(d);
    } else {
        q = n / d;
        r = n % d;
    }
    return r < 0 ? q - 1 : q;
}

// ceil(n / d) for d > 0.
inline Int128 CeilDiv(Int128 n, Int128 d)
{
    return -FloorDiv(-n, d);
}

// floor(n / d) for d > 0, when neither overflows.
inline int FloorDiv32(int n, int d)
{
    const int q = n / d;
    return n % d < 0 ? q - 1 : q;
}

inline std::int64_t FloorDiv64(std::int64_t n, std::int64_t d)
{
    const std::int64_t q = n / d;
    return n % d < 0 ? q - 1 : q;
}

// Four values in ascending order by a sorting network: no calls, no branches.
template <typename T> inline void SortFour(T* v)
{
    auto order = [v](int i, int j) {
        const T low = std::min(v[i], v[j]);
        v[j] = std::max(v[i], v[j]);
        v[i] = low;
    };
    order(0, 1);
    order(2, 3);
    order(0, 2);
    order(1, 3);
    order(1, 2);
}

inline bool OnCanvas(POINT p)
{
    return unsigned(p.x) < unsigned(Canvas::kWidth) && unsigned(p.y) < unsigned(Canvas::kHeight);
}

} // namespace hyt::canvas_detail
