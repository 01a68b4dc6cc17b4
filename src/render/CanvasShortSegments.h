// The pixels of every short segment, shared by the segment walk of
// CanvasLines.cpp and the cell path of CanvasQuadWide.cpp. Internal to
// render/.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "render/Canvas.h"

namespace hyt::canvas_detail {

// The pixels of every short segment, |dx| and |dy| at most kShortReach, as
// offsets in the canvas from its first end, worked out once by the walk's own
// rule: a mesh edge is a few pixels long, and its walk's set-up cost more
// than its pixels. Each list is padded to kShortPixels with its last offset:
// the same colour stored there again changes nothing, and fixed stores need
// no loop whose end the branches must guess.
inline constexpr int kShortReach = 5;
inline constexpr int kShortSide = 2 * kShortReach + 1;
inline constexpr int kShortPixels = kShortReach + 1;

struct ShortSegment {
    std::int16_t offsets[kShortPixels];
};

// The entry of the segment that runs dx, dy from its first end.
constexpr int ShortIndex(int dx, int dy)
{
    return (dy + kShortReach) * kShortSide + dx + kShortReach;
}

inline constexpr auto kShortSegments = [] {
    std::array<ShortSegment, kShortSide * kShortSide> table{};
    auto floorDiv = [](int n, int d) { return n / d - (n % d < 0 ? 1 : 0); };
    for (int dy = -kShortReach; dy <= kShortReach; ++dy)
        for (int dx = -kShortReach; dx <= kShortReach; ++dx) {
            // As the walk goes: along the longer axis u, from the end with
            // the smaller u, v0 + floor((2 dv k + du) / (2 du)).
            const bool alongX = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
            const int du = alongX ? (dx < 0 ? -dx : dx) : (dy < 0 ? -dy : dy);
            const bool fromB = alongX ? dx < 0 : dy < 0;
            const int dv = (alongX ? dy : dx) * (fromB ? -1 : 1);
            ShortSegment& segment = table[std::size_t(ShortIndex(dx, dy))];
            for (int k = 0; k < kShortPixels; ++k) {
                const int u = k < du ? k : du;
                const int v = du == 0 ? 0 : floorDiv(2 * dv * u + du, 2 * du);
                const int x = (fromB ? dx : 0) + (alongX ? u : v);
                const int y = (fromB ? dy : 0) + (alongX ? v : u);
                segment.offsets[k] = std::int16_t(y * Canvas::kWidth + x);
            }
        }
    return table;
}();

// Sets the pixels of short segment index from start, its first end.
__attribute__((always_inline)) inline void StoreShortSegment(Canvas::Pixel* start, int index,
                                                             Canvas::Pixel color)
{
    const ShortSegment& segment = kShortSegments[std::size_t(index)];
    // The first end's address in a register of its own, so that each store
    // adds only its offset, not the end's index too.
    asm("" : "+r"(start));
    for (int k = 0; k < kShortPixels; ++k)
        start[segment.offsets[k]] = color;
}

} // namespace hyt::canvas_detail
