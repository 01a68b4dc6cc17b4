// The columns that a quadrilateral's fill and whole outline may take on a
// range of rows, never narrower than the truth, for dropping at once a cell
// that drawing beneath would find wholly set. Internal to render/.
#pragma once

#include <algorithm>
#include <utility>

#include "render/Canvas.h"
#include "render/CanvasBounds.h"

namespace hyt::canvas_detail {

// A quadrilateral's fill and whole outline: on rows [first, end) within the
// columns its edges take from half a pixel above the first row to half a
// pixel below the last, and half a pixel more either side. A flat segment
// lights its columns on a row within half a pixel of its line, a steep one
// the column within half a pixel of its line on the row, and the fill lies
// between the outline's columns. A flat edge gives only its first end: each
// corner is the first end of an edge, and an edge that is not flat gives
// its columns on every row it crosses, its ends' rows too.
class QuadBound {
  public:
    static constexpr int kMaxRanges = 1;

    explicit QuadBound(const POINT* corners)
    {
        for (int i = 0; i < 4; ++i) {
            POINT a = corners[i], b = corners[(i + 1) & 3];
            if (a.y > b.y)
                std::swap(a, b);
            edges[i] = {double(a.x), double(a.y), double(b.y),
                        a.y == b.y ? 0.0 : (double(b.x) - a.x) / (double(b.y) - a.y)};
        }
    }

    int Ranges(int first, int end, ColumnRange* out) const
    {
        const double top = first - kHalf, bottom = end - 1 + kHalf;
        double least = Canvas::kWidth, most = -1;
        for (const Edge& e : edges) {
            const double y0 = std::max(e.topY, top), y1 = std::min(e.bottomY, bottom);
            if (y0 > y1)
                continue;
            const double x0 = e.topX + (y0 - e.topY) * e.step;
            const double x1 = e.topX + (y1 - e.topY) * e.step;
            least = std::min(least, std::min(x0, x1));
            most = std::max(most, std::max(x0, x1));
        }
        if (least > most)
            return 0;
        out[0] = {std::max(Floor(least + 1 - kHalf), 0),
                  std::min(Floor(most + kHalf) + 1, Canvas::kWidth)};
        return 1;
    }

    // Ranges of each of four blocks of rows at once, lane i for rows
    // [max(first, i * rows), min(end, (i + 1) * rows)), in lanes where
    // Canvas::WideFill() holds: the same bounds, no branch per edge. A block
    // without rows gets an empty range.
    void BlockRangesInLanes(int first, int end, int rows, ColumnRange* out) const;

    // Half a pixel and the margin.
    static constexpr double kHalf = 0.5 + kMargin;

  private:
    struct Edge {
        double topX, topY, bottomY, step; // step: columns per row, 0 if flat
    };
    Edge edges[4];
};

} // namespace hyt::canvas_detail
