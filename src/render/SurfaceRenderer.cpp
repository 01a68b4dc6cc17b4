// RedrawSurface in two steps. DeriveView: camera frame, height range, model
// points with their projections and colours, all written to the scene.
// DrawMesh: the pixel positions, then the cells far to near, into the canvas.
// RedrawSurface takes the pixel positions in DeriveView's pass over the
// vertices, so that each vertex is read once.
#include "render/SurfaceRenderer.h"

#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
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

// Cell (i, j) is at (i + 1) * kStride + (j + 1) of a cell table, whose border
// of cells that are never drawn keeps a neighbour's index inside it.
constexpr int kStride = kCells + 2;
using CellBytes = std::array<std::uint8_t, std::size_t(kStride) * kStride>;

} // namespace

struct RendererScratch {
    POINT points[kVertexCount + 1];     // ToPixel of each projection; one spare to read
    std::uint8_t visible[kVertexCount]; // 1: in front of the eye, with a pixel
    CellBytes drawn{};                  // 1: all four corners visible
    CellBytes segments{};               // DrawCell's outline bits, 0 when not drawn
};

namespace {

// Two vertices at a time, one per lane of a pair of doubles. Each lane does
// exactly the scalar operations of the model point, Project, ColorIndex and
// ToPixel, in the same order and rounding (no fused multiply-add), so every
// bit is theirs; only the pair is new. Only SSE2, the x86-64 baseline.
using Pair = __m128d;

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

// The pixels of vertices k and k + 1 from their projections; seen is a lane
// mask. Truncation gives INT32_MIN for exactly what HasPixel refuses, so the
// point is ToPixel's either way.
__attribute__((always_inline)) inline void StorePixels(RendererScratch& s, int k, Pair x, Pair y,
                                                       Pair seen)
{
    const Pair low = Both(-2147483649.0), high = Both(2147483648.0);
    const Pair px = x + kPictureCenterX, py = y + kPictureCenterY;
    const Pair hasX = _mm_and_pd(_mm_cmpgt_pd(px, low), _mm_cmplt_pd(px, high));
    const Pair hasY = _mm_and_pd(_mm_cmpgt_pd(py, low), _mm_cmplt_pd(py, high));
    const int visible = _mm_movemask_pd(_mm_and_pd(seen, _mm_and_pd(hasX, hasY)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(s.points + k),
                     _mm_unpacklo_epi32(_mm_cvttpd_epi32(px), _mm_cvttpd_epi32(py)));
    s.visible[k] = std::uint8_t(visible & 1);
    s.visible[k + 1] = std::uint8_t(visible >> 1);
}

// The pixels of what DeriveView left in the scene. Inlined: out of line, GCC
// 12 folds the loop's addresses onto a null base, takes the stores for a
// null access, deems the function pure and drops the call.
__attribute__((always_inline)) inline void ConvertVertices(const SceneState& scene, RendererScratch& s)
{
    for (int k = 0; k < kVertexCount; k += 2) {
        const Vec3 &a = scene.vertices[std::size_t(k)], &b = scene.vertices[std::size_t(k + 1)];
        StorePixels(s, k, Pair{a.x, b.x}, Pair{a.y, b.y}, _mm_cmpneq_pd(Pair{a.z, b.z}, Both(0.0)));
    }
}

template <bool toPixels>
void ProjectVertices(SceneState& scene, RendererScratch* s)
{
    const ProjectionFrame f = TakeProjectionFrame(scene);
    const PairVec3 eye = Both(f.eye), planeCenter = Both(f.planeCenter), toEye = Both(f.toEye);
    const PairVec3 right = Both(f.right), up = Both(f.up),
                   eyeToPlaneCenter = Both(f.eyeToPlaneCenter);
    const Pair zoomLevel = Both(f.zoomLevel), zScale = Both(scene.zScale);
    const double minHeight = scene.minHeight, maxHeight = scene.maxHeight;
    const Pair minPair = Both(minHeight), rangePair = Both(maxHeight - minHeight);
    // |h| < limit: finite, and never on a flat grid.
    const Pair colorLimit =
        Both(maxHeight == minHeight ? 0.0 : std::numeric_limits<double>::infinity());
    double* out = reinterpret_cast<double*>(scene.vertices.data());
    for (int row = 0; row < kGridSize; ++row) {
        const Pair y = Both(double(row) - 50.0);
        Pair column{0.0, 1.0}; // whole numbers: adding 2.0 is exact
        for (int k = row * kGridSize; k < (row + 1) * kGridSize; k += 2, column += 2.0) {
            const Pair h = _mm_loadu_pd(&scene.heights[std::size_t(k)]);
            const PairVec3 p{zScale * h, y, column - 50.0};
            // Project, lane by lane.
            const PairVec3 d = Subtract(eye, p);
            const Pair seen = _mm_cmpgt_pd(Dot(d, eyeToPlaneCenter), Both(0.0));
            const Pair t = Dot(toEye, Subtract(planeCenter, p)) / Dot(toEye, d);
            const PairVec3 q{p.x + t * d.x, p.y + t * d.y, p.z + t * d.z};
            const PairVec3 offset =
                Subtract(PairVec3{zoomLevel * q.x, zoomLevel * q.y, zoomLevel * q.z}, planeCenter);
            // A hidden vertex is (0, 0, 0): the mask clears every bit.
            const Pair screenX = _mm_and_pd(seen, Dot(offset, right));
            const Pair screenY = _mm_and_pd(seen, Dot(offset, up));
            const Pair shown = _mm_and_pd(seen, Both(1.0));
            _mm_storeu_pd(out + 3 * k, _mm_unpacklo_pd(screenX, screenY));
            _mm_storeu_pd(out + 3 * k + 2, _mm_move_sd(screenX, shown));
            _mm_storeu_pd(out + 3 * k + 4, _mm_unpackhi_pd(screenY, shown));
            // ColorIndex: maxpd gives its second operand for a NaN, so the
            // quotient's NaN goes to 0 as there.
            const Pair quotient = ((h - minPair) * 254.0) / rangePair;
            const Pair colored = _mm_cmplt_pd(_mm_andnot_pd(Both(-0.0), h), colorLimit);
            const __m128i index = _mm_cvttpd_epi32(
                _mm_and_pd(colored, _mm_min_pd(_mm_max_pd(quotient, Both(0.0)), Both(254.0))));
            scene.vertexColor[std::size_t(k)] = scene.palette[std::size_t(_mm_cvtsi128_si32(index))];
            scene.vertexColor[std::size_t(k + 1)] =
                scene.palette[std::size_t(_mm_cvtsi128_si32(_mm_srli_si128(index, 4)))];
            if constexpr (toPixels)
                StorePixels(*s, k, screenX, screenY, seen);
        }
    }
}

// Whether the frame was sound, and so the pixels taken when toPixels.
template <bool toPixels>
bool DeriveViewWith(SceneState& scene, RendererScratch* s)
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
        // In pairs first: minpd and maxpd pass over a NaN (their second
        // operand wins). An infinity, or a zero (whose sign depends on
        // which comes first), sends the range to the plain loop.
        Pair low = Both(minHeight), high = low;
        for (int k = 0; k < kVertexCount; k += 2) {
            const Pair h = _mm_loadu_pd(&heights[std::size_t(k)]);
            low = _mm_min_pd(h, low);
            high = _mm_max_pd(h, high);
        }
        minHeight = std::min(low[0], low[1]);
        maxHeight = std::max(high[0], high[1]);
        constexpr double kInfinity = std::numeric_limits<double>::infinity();
        if (minHeight == -kInfinity || maxHeight == kInfinity || minHeight == 0.0 ||
            maxHeight == 0.0) {
            minHeight = maxHeight = *firstFinite;
            // NaN fails both comparisons; only the infinities need a test.
            for (auto it = firstFinite + 1; it != heights.end(); ++it) {
                const double h = *it;
                if (h < minHeight) {
                    if (h != -kInfinity)
                        minHeight = h;
                } else if (h > maxHeight) {
                    if (h != kInfinity)
                        maxHeight = h;
                }
            }
        }
    }
    scene.minHeight = minHeight;
    scene.maxHeight = maxHeight;

    if (frameSound) {
        ProjectVertices<toPixels>(scene, s);
        return true;
    }
    // Without a sound frame nothing is in front of the eye.
    for (int k = 0; k < kVertexCount; ++k) {
        scene.vertices[k] = {0.0, 0.0, 0.0};
        scene.vertexColor[k] = scene.palette[ColorIndex(scene.heights[k], minHeight, maxHeight)];
    }
    return false;
}

void FindDrawnCells(RendererScratch& s)
{
    for (int i = 0; i < kCells; ++i) {
        const std::uint8_t* low = s.visible + i * kGridSize;
        const std::uint8_t* high = low + kGridSize;
        std::uint8_t* row = s.drawn.data() + (i + 1) * kStride + 1;
        for (int j = 0; j < kCells; ++j)
            row[j] = low[j] & high[j] & high[j + 1] & low[j + 1];
    }
}

// Of a drawn cell's outline, the two segments along edges that a later cell
// draws again are left to it: the same segment drawn later sets the same
// pixels to the same colour, and nothing reads a pixel in between, so the
// picture is the same. A drawn cell keeps at least two segments.
template <const CellOrder& order>
void FindSegments(RendererScratch& s)
{
    const std::uint8_t* drawn = s.drawn.data();
    for (int cell = kStride; cell < kStride * (kStride - 1); ++cell) {
        const unsigned dropped = (drawn[cell + order.laterRow * kStride] ? order.RowEdgeBit() : 0) |
                                 (drawn[cell + order.laterColumn] ? order.ColumnEdgeBit() : 0);
        s.segments[std::size_t(cell)] = drawn[cell] ? std::uint8_t(0xF & ~dropped) : 0;
    }
}

// Two points, (x, y) each.
__m128i Load(const POINT* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Corners c and c + 1 of a cell in the order's outline, from the pixels of
// its low row (columns j, j + 1) and of its high row: in every order the two
// share a column and differ in row.
template <const CellOrder& order, int c>
__m128i CornerPair(__m128i low, __m128i high)
{
    static_assert(order.dj[c] == order.dj[c + 1] && order.di[c] + order.di[c + 1] == 1);
    const __m128i first = order.di[c] ? high : low, second = order.di[c] ? low : high;
    return order.dj[c] ? _mm_unpackhi_epi64(first, second) : _mm_unpacklo_epi64(first, second);
}

// One cell, left out entirely when a corner is hidden. Inlined into the
// drawing loops, which call it ten thousand times a redraw.
template <const CellOrder& order, bool beneath>
__attribute__((always_inline)) inline void DrawCell(const SceneState& scene, Canvas& canvas,
                                                    const RendererScratch& s, int i, int j,
                                                    bool colored)
{
    const unsigned segments = s.segments[std::size_t((i + 1) * kStride + (j + 1))];
    if (segments == 0)
        return;
    const POINT* low = s.points + i * kGridSize + j;
    const __m128i lowPair = Load(low), highPair = Load(low + kGridSize);
    alignas(16) POINT corners[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(corners), CornerPair<order, 0>(lowPair, highPair));
    _mm_store_si128(reinterpret_cast<__m128i*>(corners + 2),
                    CornerPair<order, 2>(lowPair, highPair));
    if (colored)
        canvas.SetBrush(scene.vertexColor[std::size_t(i * kGridSize + j)]);
    if constexpr (beneath)
        canvas.QuadBeneath(corners, segments);
    else
        canvas.Quad(corners, segments);
}

// Lanes of four signed 32-bit integers (SSE2 has no pminsd or pmaxsd).
__m128i Min32(__m128i a, __m128i b)
{
    const __m128i greater = _mm_cmpgt_epi32(a, b);
    return _mm_or_si128(_mm_and_si128(greater, b), _mm_andnot_si128(greater, a));
}

__m128i Max32(__m128i a, __m128i b)
{
    const __m128i greater = _mm_cmpgt_epi32(a, b);
    return _mm_or_si128(_mm_and_si128(greater, a), _mm_andnot_si128(greater, b));
}

// Whether the drawn cells' bounds, held to the canvas, add up to many
// canvases: then cells overlap so much that drawing near to far, beneath
// what is there, saves more than its bookkeeping costs. Every seventh row of
// cells is enough to tell; either way the picture is the same. Two cells at
// a time, (x, y) of each in a lane pair; a drawn cell's bounds cannot
// overflow their difference, and a cell not drawn adds nothing.
bool HeavilyOverlapping(const RendererScratch& s)
{
    constexpr int kSampledRow = 7;
    constexpr std::int64_t kEnough = std::int64_t(8) * Canvas::kWidth * Canvas::kHeight;
    const __m128i zero = _mm_setzero_si128();
    const __m128i limit =
        _mm_setr_epi32(Canvas::kWidth, Canvas::kHeight, Canvas::kWidth, Canvas::kHeight);
    std::int64_t area = 0;
    for (int i = 0; i < kCells; i += kSampledRow) {
        const POINT* low = s.points + i * kGridSize;
        const POINT* high = low + kGridSize;
        const std::uint8_t* row = s.drawn.data() + (i + 1) * kStride + 1;
        std::int64_t rowArea = 0;
        for (int j = 0; j < kCells; j += 2) { // cell 99 is the border: never drawn
            const __m128i a = Load(low + j), b = Load(high + j), c = Load(low + j + 1),
                          d = Load(high + j + 1);
            const __m128i lows = Min32(Min32(a, b), Min32(c, d));
            const __m128i highs = Max32(Max32(a, b), Max32(c, d));
            const __m128i from = _mm_and_si128(lows, _mm_cmpgt_epi32(lows, zero));
            __m128i size = _mm_sub_epi32(Min32(highs, limit), from);
            size = _mm_and_si128(size, _mm_cmpgt_epi32(size, zero));
            alignas(16) std::uint64_t areas[2];
            _mm_store_si128(reinterpret_cast<__m128i*>(areas),
                            _mm_mul_epu32(size, _mm_srli_epi64(size, 32)));
            rowArea += std::int64_t(row[j] ? areas[0] : 0) + std::int64_t(row[j + 1] ? areas[1] : 0);
        }
        area += rowArea * kSampledRow;
        if (area > kEnough)
            return true;
    }
    return false;
}

// The cells far to near: the outer loop over columns (columnsOuter) or rows,
// rising (outerUp) or falling, the inner one rising. Beneath, the same cells
// in the reverse order, each beneath the ones before.
template <const CellOrder& order, bool columnsOuter, bool outerUp, bool beneath>
void DrawCells(const SceneState& scene, Canvas& canvas, const RendererScratch& s, bool colored)
{
    constexpr int last = kCells - 1;
    for (int a = 0; a <= last; ++a) {
        const int outer = (outerUp != beneath) ? a : last - a;
        for (int b = 0; b <= last; ++b) {
            const int inner = beneath ? last - b : b;
            if constexpr (columnsOuter)
                DrawCell<order, beneath>(scene, canvas, s, inner, outer, colored);
            else
                DrawCell<order, beneath>(scene, canvas, s, outer, inner, colored);
        }
    }
}

template <const CellOrder& order, bool columnsOuter, bool outerUp>
void DrawInOrder(const SceneState& scene, Canvas& canvas, RendererScratch& s, bool colored)
{
    FindSegments<order>(s);
    if (HeavilyOverlapping(s)) {
        canvas.BeginBeneath();
        DrawCells<order, columnsOuter, outerUp, true>(scene, canvas, s, colored);
        canvas.EndBeneath();
    } else {
        DrawCells<order, columnsOuter, outerUp, false>(scene, canvas, s, colored);
    }
}

// DrawMesh once the pixels are in the scratch.
void DrawPixels(const SceneState& scene, Canvas& canvas, RendererScratch& s)
{
    // A new picture each time: every pixel black, the unshown border too.
    canvas.Clear(Rgb(0, 0, 0));
    canvas.SetPen(kOutlineColor);
    canvas.SetBrush(kPlainFillColor);
    const bool colored = scene.colorMode == 1;
    FindDrawnCells(s);
    switch (ChooseDrawingOrder(scene.eye.y, scene.eye.z)) {
    case DrawingOrder::HighColumns:
        DrawInOrder<kHighColumnsOrder, true, true>(scene, canvas, s, colored);
        break;
    case DrawingOrder::LowRows:
        DrawInOrder<kLowRowsOrder, false, false>(scene, canvas, s, colored);
        break;
    case DrawingOrder::LowColumns:
        DrawInOrder<kLowColumnsOrder, true, false>(scene, canvas, s, colored);
        break;
    case DrawingOrder::HighRows:
        DrawInOrder<kHighRowsOrder, false, true>(scene, canvas, s, colored);
        break;
    }
}

} // namespace

void DeriveView(SceneState& scene)
{
    DeriveViewWith<false>(scene, nullptr);
}

SurfaceRenderer::SurfaceRenderer() : scratch(std::make_unique<RendererScratch>()) {}

SurfaceRenderer::~SurfaceRenderer() = default;

void SurfaceRenderer::RedrawSurface(SceneState& scene, Canvas& canvas)
{
    if (!DeriveViewWith<true>(scene, scratch.get()))
        ConvertVertices(scene, *scratch);
    DrawPixels(scene, canvas, *scratch);
}

void SurfaceRenderer::DrawMesh(const SceneState& scene, Canvas& canvas)
{
    ConvertVertices(scene, *scratch);
    DrawPixels(scene, canvas, *scratch);
}

} // namespace hyt
