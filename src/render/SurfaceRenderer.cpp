// RedrawSurface, in order: camera frame, model points and height range,
// projections and colours, then the cells far to near.
#include "render/SurfaceRenderer.h"

#include <array>
#include <climits>
#include <cmath>

#include "render/Camera.h"

namespace hyt {

std::int32_t ToPixel(double value)
{
    // The explicit range test keeps the conversion defined: NaN fails both
    // comparisons, and everything that truncates into int32 passes.
    if (value > -2147483649.0 && value < 2147483648.0)
        return static_cast<std::int32_t>(value);
    return INT32_MIN;
}

int ColorIndex(double h, double minHeight, double maxHeight)
{
    if (maxHeight == minHeight)
        return 0;
    const double q = ((h - minHeight) * 254.0) / (maxHeight - minHeight);
    if (!(q >= 0.0))
        return 0; // NaN, or a non-finite range
    if (q >= 254.0)
        return 254;
    return static_cast<int>(q);
}

DrawingOrder ChooseDrawingOrder(double eyeY, double eyeZ)
{
    const double y = eyeY;
    const double z = eyeZ;
    if (!(y > z))
        return (-y > z) ? DrawingOrder::LowRows : DrawingOrder::HighColumns;
    return (-y < z) ? DrawingOrder::HighRows : DrawingOrder::LowColumns;
}

namespace {

constexpr int kCells = kGridSize - 1; // cells run 0..98 on both axes

// A drawing order's corner order for cell (i, j), as offsets (row, column) in
// the order its outline runs, and the two neighbours it draws after the cell:
// the one across a row edge (row i + laterRow) and the one across a column
// edge (column j + laterColumn).
struct CellOrder {
    int di[4];
    int dj[4];
    int laterRow;
    int laterColumn;

    // Bit of the outline segment that runs along the grid edge shared with
    // the later neighbour across a row edge (both corners on one row), or
    // across a column edge (both corners on one column).
    constexpr unsigned RowEdgeBit() const { return EdgeBit(true); }
    constexpr unsigned ColumnEdgeBit() const { return EdgeBit(false); }

  private:
    constexpr unsigned EdgeBit(bool alongRow) const
    {
        const int sharedRow = laterRow > 0 ? 1 : 0;       // the row edge at di = sharedRow
        const int sharedColumn = laterColumn > 0 ? 1 : 0; // the column edge at dj = sharedColumn
        for (int s = 0; s < 4; ++s) {
            const int t = (s + 1) & 3;
            if (alongRow && di[s] == sharedRow && di[t] == sharedRow)
                return 1u << s;
            if (!alongRow && dj[s] == sharedColumn && dj[t] == sharedColumn)
                return 1u << s;
        }
        return 0;
    }
};

constexpr CellOrder kHighColumnsOrder{{0, 1, 1, 0}, {0, 0, 1, 1}, +1, +1}; // order 1
constexpr CellOrder kLowRowsOrder{{1, 0, 0, 1}, {0, 0, 1, 1}, -1, +1};     // order 2
constexpr CellOrder kLowColumnsOrder{{0, 1, 1, 0}, {1, 1, 0, 0}, +1, -1};  // order 3
constexpr CellOrder kHighRowsOrder{{0, 1, 1, 0}, {0, 0, 1, 1}, +1, +1};    // order 4

static_assert(kHighColumnsOrder.RowEdgeBit() == 2 && kHighColumnsOrder.ColumnEdgeBit() == 4);
static_assert(kLowRowsOrder.RowEdgeBit() == 2 && kLowRowsOrder.ColumnEdgeBit() == 4);
static_assert(kLowColumnsOrder.RowEdgeBit() == 2 && kLowColumnsOrder.ColumnEdgeBit() == 4);

struct PixelVertex {
    POINT point;
    bool visible;
};

// Whether each cell is drawn (all four corners visible), with a border of
// cells that are never drawn, so that a neighbour's index never leaves it.
// Cell (i, j) is at (i + 1) * kStride + (j + 1).
constexpr int kStride = kCells + 2;
using CellFlags = std::array<bool, std::size_t(kStride) * kStride>;

void FindDrawnCells(const PixelVertex* pixels, CellFlags& drawn)
{
    for (int i = 0; i < kCells; ++i) {
        const PixelVertex* low = pixels + i * kGridSize;
        const PixelVertex* high = low + kGridSize;
        bool* row = drawn.data() + (i + 1) * kStride + 1;
        for (int j = 0; j < kCells; ++j)
            row[j] = low[j].visible & high[j].visible & high[j + 1].visible & low[j + 1].visible;
    }
}

// One cell: left out entirely when a corner is hidden. Of the outline, the
// two segments along edges that a later cell draws again are left to it: the
// same segment drawn later sets the same pixels to the same colour, and
// nothing reads a pixel in between, so the picture is the same.
template <const CellOrder& order>
void DrawCell(const SceneState& scene, Canvas& canvas, const PixelVertex* pixels,
              const CellFlags& drawn, int i, int j, bool colored)
{
    const int cell = (i + 1) * kStride + (j + 1);
    if (!drawn[std::size_t(cell)])
        return;
    POINT corners[4];
    for (int c = 0; c < 4; ++c)
        corners[c] = pixels[(i + order.di[c]) * kGridSize + (j + order.dj[c])].point;
    unsigned segments = 0xF;
    if (drawn[std::size_t(cell + order.laterRow * kStride)])
        segments &= ~order.RowEdgeBit();
    if (drawn[std::size_t(cell + order.laterColumn)])
        segments &= ~order.ColumnEdgeBit();
    if (colored)
        canvas.SetBrush(scene.vertexColor[i * kGridSize + j]);
    canvas.Quad(corners, segments);
}

} // namespace

void RedrawSurface(SceneState& scene, Canvas& canvas)
{
    // A new picture each time: every pixel black, the unshown border too.
    canvas.Clear(Rgb(0, 0, 0));

    const bool frameSound = UpdateCameraFrame(scene);

    scene.minHeight = scene.heights[0];
    scene.maxHeight = scene.heights[0];
    for (int k = 0; k < kVertexCount; ++k) {
        const double h = scene.heights[k];
        if (h < scene.minHeight)
            scene.minHeight = h;
        else if (h > scene.maxHeight)
            scene.maxHeight = h;
        scene.vertices[k] = {scene.zScale * h, double(k / kGridSize) - 50.0,
                             double(k % kGridSize) - 50.0};
    }

    static PixelVertex pixels[kVertexCount];
    const ProjectionFrame frame = TakeProjectionFrame(scene);
    for (int k = 0; k < kVertexCount; ++k) {
        // Without a sound frame nothing is in front of the eye.
        const ProjectedPoint p = frameSound ? Project(frame, scene.vertices[k]) : ProjectedPoint{};
        scene.vertices[k] = {p.screenX, p.screenY, p.visible};
        scene.vertexColor[k] =
            scene.palette[ColorIndex(scene.heights[k], scene.minHeight, scene.maxHeight)];
        pixels[k] = {{ToPixel(p.screenX + kPictureCenterX), ToPixel(p.screenY + kPictureCenterY)},
                     p.visible != 0.0};
    }

    canvas.SetPen(kOutlineColor);
    canvas.SetBrush(kPlainFillColor);
    const bool colored = scene.colorMode == 1;
    constexpr int last = kCells - 1;
    static CellFlags drawn{}; // its border stays false
    FindDrawnCells(pixels, drawn);

    switch (ChooseDrawingOrder(scene.eye.y, scene.eye.z)) {
    case DrawingOrder::HighColumns:
        for (int j = 0; j <= last; ++j)
            for (int i = 0; i <= last; ++i)
                DrawCell<kHighColumnsOrder>(scene, canvas, pixels, drawn, i, j, colored);
        break;
    case DrawingOrder::LowRows:
        for (int i = last; i >= 0; --i)
            for (int j = 0; j <= last; ++j)
                DrawCell<kLowRowsOrder>(scene, canvas, pixels, drawn, i, j, colored);
        break;
    case DrawingOrder::LowColumns:
        for (int j = last; j >= 0; --j)
            for (int i = 0; i <= last; ++i)
                DrawCell<kLowColumnsOrder>(scene, canvas, pixels, drawn, i, j, colored);
        break;
    case DrawingOrder::HighRows:
        for (int i = 0; i <= last; ++i)
            for (int j = 0; j <= last; ++j)
                DrawCell<kHighRowsOrder>(scene, canvas, pixels, drawn, i, j, colored);
        break;
    }
}

} // namespace hyt
