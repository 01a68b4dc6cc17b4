// Canvas::FillSpan, the one store of a fill's span, inlined into both the
// fills of CanvasFill.cpp and the cell path of CanvasQuadWide.cpp. Internal
// to render/.
#pragma once

#include <cstddef>
#include <cstring>

#include "render/Canvas.h"

namespace hyt {

// [left, right) of row y; nothing when right <= left. Mesh spans are mostly a
// few pixels wide, so the stores are fixed groups that may overlap (the same
// colour twice) rather than a loop whose length the branches must guess.
__attribute__((always_inline)) inline void Canvas::FillSpan(int y, int left, int right)
{
    const int width = right - left;
    if (width <= 0)
        return;
    const Pixel color = brush; // a local: no pixel can be it
    Pixel* span = pixels + std::size_t(y) * kWidth + left;
    if (width <= 4) {
        // {0, w - 1, (w - 1) / 2, w / 2} covers 0..w-1 for w = 1..4.
        span[0] = color;
        span[width - 1] = color;
        span[(width - 1) >> 1] = color;
        span[width >> 1] = color;
        return;
    }
    const Pixel four[4] = {color, color, color, color};
    for (int x = 0; x < width - 4; x += 4)
        std::memcpy(span + x, four, sizeof four);
    std::memcpy(span + width - 4, four, sizeof four);
}

} // namespace hyt
