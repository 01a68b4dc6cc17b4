// RedrawSurface in two steps. DeriveView: camera frame, height range, model
// points with their projections and colours, all written to the scene.
// DrawMesh: the pixel positions, then the cells far to near, into the canvas.
#include "render/SurfaceRenderer.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <limits>

#include "render/Camera.h"

namespace hyt {

bool HasPixel(double value)
{
    // NaN fails both comparisons, and everything that truncates into int32
    // passes.
    return value > -2147483649.0 && value < 2147483648.0;
}

std::int32_t ToPixel(double value)
{
    // The explicit range test keeps the conversion defined.
    return HasPixel(value) ? static_cast<std::int32_t>(value) : INT32_MIN;
}

namespace {

// The index of a quotient ((h - min) * 254) / (max - min) of a range that is
// not flat, held to 0..254.
int ColorIndexOfQuotient(double q)
{
    if (!(q >= 0.0))
        return 0; // NaN, or a non-finite range
    if (q >= 254.0)
        return 254;
    return static_cast<int>(q);
}

} // namespace

int ColorIndex(double h, double minHeight, double maxHeight)
{
    if (maxHeight == minHeight || !std::isfinite(h))
        return 0;
    return ColorIndexOfQuotient(((h - minHeight) * 254.0) / (maxHeight - minHeight));
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
// nothing reads a pixel in between, so the picture is the same. Inlined into
// the drawing loops, which call it ten thousand times a redraw.
template <const CellOrder& order, bool beneath = false>
__attribute__((always_inline)) inline void
DrawCell(const SceneState& scene, Canvas& canvas, const PixelVertex* pixels, const CellFlags& drawn,
         int i, int j, bool colored)
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
    if constexpr (beneath)
        canvas.QuadBeneath(corners, segments);
    else
        canvas.Quad(corners, segments);
}

// Whether the drawn cells' bounds, held to the canvas, add up to many
// canvases: then cells overlap so much that drawing near to far, beneath
// what is there, saves more than its bookkeeping costs. Every seventh row of
// cells is enough to tell; either way the picture is the same.
bool HeavilyOverlapping(const PixelVertex* pixels, const CellFlags& drawn)
{
    constexpr int kSampledRow = 7;
    constexpr std::int64_t kEnough = std::int64_t(8) * Canvas::kWidth * Canvas::kHeight;
    std::int64_t area = 0;
    for (int i = 0; i < kCells; i += kSampledRow) {
        const PixelVertex* low = pixels + i * kGridSize;
        const PixelVertex* high = low + kGridSize;
        const bool* row = drawn.data() + (i + 1) * kStride + 1;
        for (int j = 0; j < kCells; ++j) {
            if (!row[j])
                continue;
            const POINT a = low[j].point, b = high[j].point, c = high[j + 1].point,
                        d = low[j + 1].point;
            const int left = std::max(std::min({a.x, b.x, c.x, d.x}), 0);
            const int right = std::min(std::max({a.x, b.x, c.x, d.x}), Canvas::kWidth);
            const int top = std::max(std::min({a.y, b.y, c.y, d.y}), 0);
            const int bottom = std::min(std::max({a.y, b.y, c.y, d.y}), Canvas::kHeight);
            if (left < right && top < bottom)
                area += std::int64_t(right - left) * (bottom - top) * kSampledRow;
        }
        if (area > kEnough)
            return true;
    }
    return false;
}

// Two vertices at a time, one per lane of a pair of doubles. Each lane does
// exactly the scalar operations of the model point, Project and the colour
// quotient, in the same order and rounding (no fused multiply-add), so every
// bit is Project's; only the pair is new. Phase 1 (the model point) is never
// stored: phase 2 overwrites it at once.
using Pair = double __attribute__((vector_size(16)));

struct PairVec3 {
    Pair x, y, z;
};

Pair Both(double v)
{
    return Pair{v, v};
}

PairVec3 Both(Vec3 v)
{
    return {Both(v.x), Both(v.y), Both(v.z)};
}

PairVec3 Subtract(PairVec3 a, PairVec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Pair Dot(PairVec3 a, PairVec3 b)
{
    return a.z * b.z + a.y * b.y + a.x * b.x;
}

void ProjectVertices(SceneState& scene)
{
    const ProjectionFrame f = TakeProjectionFrame(scene);
    const PairVec3 eye = Both(f.eye), planeCenter = Both(f.planeCenter), toEye = Both(f.toEye);
    const PairVec3 right = Both(f.right), up = Both(f.up),
                   eyeToPlaneCenter = Both(f.eyeToPlaneCenter);
    const Pair zoomLevel = Both(f.zoomLevel), zScale = Both(scene.zScale);
    const double minHeight = scene.minHeight, maxHeight = scene.maxHeight;
    const Pair minPair = Both(minHeight), rangePair = Both(maxHeight - minHeight);
    const bool flat = maxHeight == minHeight;
    for (int k = 0; k < kVertexCount; k += 2) {
        const Pair h{scene.heights[k], scene.heights[k + 1]};
        const PairVec3 p{zScale * h,
                         Pair{double(k / kGridSize), double((k + 1) / kGridSize)} - 50.0,
                         Pair{double(k % kGridSize), double((k + 1) % kGridSize)} - 50.0};
        // Project, lane by lane.
        const PairVec3 d = Subtract(eye, p);
        const auto visible = Dot(d, eyeToPlaneCenter) > 0.0;
        const Pair t = Dot(toEye, Subtract(planeCenter, p)) / Dot(toEye, d);
        const PairVec3 q{p.x + t * d.x, p.y + t * d.y, p.z + t * d.z};
        const PairVec3 offset =
            Subtract(PairVec3{zoomLevel * q.x, zoomLevel * q.y, zoomLevel * q.z}, planeCenter);
        const Pair screenX = Dot(offset, right);
        const Pair screenY = Dot(offset, up);
        // The colour quotient of ColorIndex; its checks follow per vertex.
        const Pair quotient = ((h - minPair) * 254.0) / rangePair;
        for (int lane = 0; lane < 2; ++lane) {
            const bool seen = visible[lane] != 0;
            const double x = seen ? screenX[lane] : 0.0;
            const double y = seen ? screenY[lane] : 0.0;
            scene.vertices[std::size_t(k + lane)] = {x, y, seen ? 1.0 : 0.0};
            const bool colored = !flat && std::isfinite(h[lane]);
            scene.vertexColor[std::size_t(k + lane)] =
                scene.palette[colored ? ColorIndexOfQuotient(quotient[lane]) : 0];
        }
    }
}

} // namespace

struct RendererScratch {
    PixelVertex pixels[kVertexCount];
    CellFlags drawn{}; // its border stays false
};

void DeriveView(SceneState& scene)
{
    const bool frameSound = UpdateCameraFrame(scene);

    // The range of the finite heights, in locals: stores into the scene
    // could alias them. Nothing else can be placed on the colour scale.
    const auto& heights = scene.heights;
    const auto firstFinite =
        std::find_if(heights.begin(), heights.end(), [](double h) { return std::isfinite(h); });
    double minHeight = firstFinite == heights.end() ? 0.0 : *firstFinite;
    double maxHeight = minHeight;
    if (firstFinite != heights.end()) {
        // NaN fails both comparisons; only the infinities need a test.
        for (auto it = firstFinite + 1; it != heights.end(); ++it) {
            const double h = *it;
            if (h < minHeight) {
                if (h != -std::numeric_limits<double>::infinity())
                    minHeight = h;
            } else if (h > maxHeight) {
                if (h != std::numeric_limits<double>::infinity())
                    maxHeight = h;
            }
        }
    }
    scene.minHeight = minHeight;
    scene.maxHeight = maxHeight;

    if (frameSound) {
        ProjectVertices(scene);
    } else {
        // Without a sound frame nothing is in front of the eye.
        for (int k = 0; k < kVertexCount; ++k) {
            scene.vertices[k] = {0.0, 0.0, 0.0};
            scene.vertexColor[k] =
                scene.palette[ColorIndex(scene.heights[k], minHeight, maxHeight)];
        }
    }
}

SurfaceRenderer::SurfaceRenderer() : scratch(std::make_unique<RendererScratch>()) {}

SurfaceRenderer::~SurfaceRenderer() = default;

void SurfaceRenderer::RedrawSurface(SceneState& scene, Canvas& canvas)
{
    DeriveView(scene);
    DrawMesh(scene, canvas);
}

void SurfaceRenderer::DrawMesh(const SceneState& scene, Canvas& canvas)
{
    PixelVertex* pixels = scratch->pixels;
    CellFlags& drawn = scratch->drawn;

    // A new picture each time: every pixel black, the unshown border too.
    canvas.Clear(Rgb(0, 0, 0));

    // A corner is drawn when it is in front of the eye and has a pixel.
    for (int k = 0; k < kVertexCount; ++k) {
        const Vec3& v = scene.vertices[std::size_t(k)];
        const double x = v.x + kPictureCenterX;
        const double y = v.y + kPictureCenterY;
        // ToPixel, with each range test made once.
        const bool hasX = HasPixel(x);
        const bool hasY = HasPixel(y);
        pixels[k] = {{hasX ? std::int32_t(x) : INT32_MIN, hasY ? std::int32_t(y) : INT32_MIN},
                     v.z != 0.0 && hasX && hasY};
    }

    canvas.SetPen(kOutlineColor);
    canvas.SetBrush(kPlainFillColor);
    const bool colored = scene.colorMode == 1;
    constexpr int last = kCells - 1;
    FindDrawnCells(pixels, drawn);

    const DrawingOrder drawingOrder = ChooseDrawingOrder(scene.eye.y, scene.eye.z);
    if (HeavilyOverlapping(pixels, drawn)) {
        // The same cells in the reverse order, each beneath the ones before.
        canvas.BeginBeneath();
        switch (drawingOrder) {
        case DrawingOrder::HighColumns:
            for (int j = last; j >= 0; --j)
                for (int i = last; i >= 0; --i)
                    DrawCell<kHighColumnsOrder, true>(scene, canvas, pixels, drawn, i, j, colored);
            break;
        case DrawingOrder::LowRows:
            for (int i = 0; i <= last; ++i)
                for (int j = last; j >= 0; --j)
                    DrawCell<kLowRowsOrder, true>(scene, canvas, pixels, drawn, i, j, colored);
            break;
        case DrawingOrder::LowColumns:
            for (int j = 0; j <= last; ++j)
                for (int i = last; i >= 0; --i)
                    DrawCell<kLowColumnsOrder, true>(scene, canvas, pixels, drawn, i, j, colored);
            break;
        case DrawingOrder::HighRows:
            for (int i = last; i >= 0; --i)
                for (int j = last; j >= 0; --j)
                    DrawCell<kHighRowsOrder, true>(scene, canvas, pixels, drawn, i, j, colored);
            break;
        }
        canvas.EndBeneath();
        return;
    }

    switch (drawingOrder) {
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
