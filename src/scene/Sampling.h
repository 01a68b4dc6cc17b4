// The sampling of a function of (x, y) onto the 100 x 100 grid, shared by the
// examples and the user's formula. Coordinates are running sums, not
// products, so rounding accumulates the same way for every surface: x runs
// over the rows and is stepped up before each row; y starts afresh for every
// row and is stepped down before each column. Row 0 therefore uses
// xStart + xStep and column 0 uses yStart - yStep.
#pragma once

#include <array>

#include "base/Types.h"

namespace hyt {

struct Sampling {
    double xStart; // one step below the first row's x
    double xStep;
    double yStart; // one step above the first column's y
    double yStep;
};

// Fills heights[100 * i + j] = height(x, rowValue(x), y) in row-major order.
// The per-row value lets a caller compute what depends on x alone once per
// row.
template <typename RowValue, typename Height>
void Sample(std::array<double, kVertexCount>& heights, const Sampling& s, RowValue rowValue,
            Height height)
{
    double x = s.xStart;
    for (int i = 0; i < kGridSize; ++i) {
        x += s.xStep;
        const double perRow = rowValue(x);
        double y = s.yStart;
        for (int j = 0; j < kGridSize; ++j) {
            y -= s.yStep;
            heights[i * kGridSize + j] = height(x, perRow, y);
        }
    }
}

} // namespace hyt
