// RedrawSurface in two steps. DeriveView (DeriveView.cpp): camera frame,
// height range, model points with their projections and colours, all written
// to the scene. DrawMesh: the pixel positions, then the cells far to near,
// into the canvas. RedrawSurface takes the pixel positions in DeriveView's
// pass over the vertices, so that each vertex is read once.
#include "render/SurfaceRenderer.h"

#include <emmintrin.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>

#include "render/CanvasQuadWide.h"
#include "render/RendererScratch.h"
#include "render/WorkerThread.h"

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
template <const CellOrder& order> void FindSegments(RendererScratch& s)
{
    const std::uint8_t* drawn = s.drawn.data();
    for (int cell = kStride; cell < kStride * (kStride - 1); ++cell) {
        const unsigned dropped = (drawn[cell + order.laterRow * kStride] ? order.RowEdgeBit() : 0) |
                                 (drawn[cell + order.laterColumn] ? order.ColumnEdgeBit() : 0);
        s.segments[std::size_t(cell)] = drawn[cell] ? std::uint8_t(kAllSegments & ~dropped) : 0;
    }
}

// Corners c and c + 1 of a cell in the order's outline, from the pixels of
// its low row (columns j, j + 1) and of its high row: in every order the two
// share a column and differ in row.
template <const CellOrder& order, int c> __m128i CornerPair(__m128i low, __m128i high)
{
    static_assert(order.dj[c] == order.dj[c + 1] && order.di[c] + order.di[c + 1] == 1);
    const __m128i first = order.di[c] ? high : low, second = order.di[c] ? low : high;
    return order.dj[c] ? _mm_unpackhi_epi64(first, second) : _mm_unpacklo_epi64(first, second);
}

// One cell's corners in the order's outline and its segments, its brush
// set; false when it is left out entirely, a corner being hidden. Inlined
// into the drawing loops, which take ten thousand cells a redraw.
template <const CellOrder& order>
__attribute__((always_inline)) inline bool TakeCell(Canvas& canvas, const RendererScratch& s, int i,
                                                    int j, bool colored, unsigned band,
                                                    POINT* corners, unsigned& segments)
{
    const unsigned cellBits = s.segments[std::size_t((i + 1) * kStride + (j + 1))];
    if ((cellBits & band) == 0)
        return false;
    segments = cellBits & kAllSegments;
    const POINT* low = s.points + i * kGridSize + j;
    const __m128i lowPair = LoadPoints(low), highPair = LoadPoints(low + kGridSize);
    _mm_store_si128(reinterpret_cast<__m128i*>(corners), CornerPair<order, 0>(lowPair, highPair));
    _mm_store_si128(reinterpret_cast<__m128i*>(corners + 2),
                    CornerPair<order, 2>(lowPair, highPair));
    if (colored)
        canvas.SetBrushPixel(s.brushes[std::size_t(i * kGridSize + j)]);
    return true;
}

// Calls visit(i, j) for the cells far to near: the outer loop over columns
// (columnsOuter) or rows, rising (outerUp) or falling, the inner one rising.
// Beneath, the same cells in the reverse order, each beneath the ones before.
// Its callers are flattened, so that the loop and the cell are one body: an
// always_inline here would be refused for a visit compiled for AVX2.
template <bool columnsOuter, bool outerUp, bool beneath, typename Visit>
inline void ForEachCell(Visit visit)
{
    constexpr int last = kCells - 1;
    for (int a = 0; a <= last; ++a) {
        const int outer = (outerUp != beneath) ? a : last - a;
        for (int b = 0; b <= last; ++b) {
            const int inner = beneath ? last - b : b;
            if constexpr (columnsOuter)
                visit(inner, outer);
            else
                visit(outer, inner);
        }
    }
}

template <const CellOrder& order, bool columnsOuter, bool outerUp, bool beneath>
__attribute__((flatten)) void DrawCells(Canvas& canvas, const RendererScratch& s, bool colored,
                                        unsigned band)
{
    ForEachCell<columnsOuter, outerUp, beneath>([&](int i, int j) {
        alignas(16) POINT corners[4];
        unsigned segments;
        if (!TakeCell<order>(canvas, s, i, j, colored, band, corners, segments))
            return;
        if constexpr (beneath)
            canvas.QuadBeneath(corners, segments, kAllSegments & ~segments);
        else
            canvas.Quad(corners, segments);
    });
}

// One cell of DrawCells where the canvas draws in lanes, not beneath: the
// whole cell path, inlined into the loops below, with no call per cell.
template <const CellOrder& order>
__attribute__((target("avx2,fma"), always_inline)) inline void
DrawCellInLanes(Canvas& canvas, const RendererScratch& s, int i, int j, bool colored, unsigned band)
{
    alignas(16) POINT corners[4];
    unsigned segments;
    if (TakeCell<order>(canvas, s, i, j, colored, band, corners, segments))
        canvas.QuadInLanes(corners, segments);
}

template <const CellOrder& order, bool columnsOuter, bool outerUp>
__attribute__((target("avx2,fma"), flatten)) void
DrawCellsInLanes(Canvas& canvas, const RendererScratch& s, bool colored, unsigned band)
{
    ForEachCell<columnsOuter, outerUp, false>([&](int i, int j) __attribute__((
        target("avx2,fma"))) { DrawCellInLanes<order>(canvas, s, i, j, colored, band); });
}

// The same loop with AVX-512's thirty-two registers: the same eight lanes,
// but far fewer of the cell's values are put on the stack and read back.
#define HYT_MORE_REGISTERS "avx2,fma,avx512f,avx512vl,avx512bw,avx512dq"
template <const CellOrder& order, bool columnsOuter, bool outerUp>
__attribute__((target(HYT_MORE_REGISTERS), flatten)) void
DrawCellsInMoreRegisters(Canvas& canvas, const RendererScratch& s, bool colored, unsigned band)
{
    ForEachCell<columnsOuter, outerUp, false>([&](int i, int j) __attribute__((
        target(HYT_MORE_REGISTERS))) { DrawCellInLanes<order>(canvas, s, i, j, colored, band); });
}
#undef HYT_MORE_REGISTERS

// The threads a renderer may draw in: a helper beside the caller's own, and
// the column at which the next picture drawn beneath in two is split.
struct Helpers {
    std::unique_ptr<WorkerThread>* worker; // none: one thread only
    Bands bands;
    int* columnSplit;
};

template <const CellOrder& order, bool columnsOuter, bool outerUp>
void DrawInOrder(Canvas& canvas, RendererScratch& s, bool colored, Helpers helpers)
{
    FindSegments<order>(s);
    const bool beneath = HeavilyOverlapping(s);
    // bit: the band's own, or any segment bit, as a drawn cell has some.
    auto draw = [&](Canvas& band, unsigned bit, int left, int right) {
        band.SetPen(kOutlineColor);
        band.SetBrush(kPlainFillColor);
        if (beneath) {
            band.BeginBeneath(left, right);
            DrawCells<order, columnsOuter, outerUp, true>(band, s, colored, bit);
            band.EndBeneath();
        } else if (band.WideFill()) {
            if (band.MoreRegisters())
                DrawCellsInMoreRegisters<order, columnsOuter, outerUp>(band, s, colored, bit);
            else
                DrawCellsInLanes<order, columnsOuter, outerUp>(band, s, colored, bit);
        } else {
            DrawCells<order, columnsOuter, outerUp, false>(band, s, colored, bit);
        }
    };
    // A second thread pays only where cells overlap many times over: a
    // picture of a few hundred microseconds loses more in waking it than the
    // half it would draw.
    if (helpers.worker == nullptr || (!beneath && helpers.bands != Bands::Two)) {
        draw(canvas, kAllSegments, 0, Canvas::kWidth);
        return;
    }
    // Each band draws every cell that reaches it, clipped to it, in the same
    // order: every pixel ends as in the whole picture. Beneath, the bands are
    // of columns: cells that overlap many times over cross the picture, and
    // a band of rows would take each of them in full, all but its pixels.
    const bool byColumns = beneath;
    const int split = byColumns ? *helpers.columnSplit : BandSplit(s);
    if (byColumns)
        FindColumnBands(s, split);
    else
        FindBands(s, split);
    Canvas first = byColumns ? Canvas(canvas, 0, Canvas::kHeight) : Canvas(canvas, 0, split);
    Canvas second =
        byColumns ? Canvas(canvas, 0, Canvas::kHeight) : Canvas(canvas, split, Canvas::kHeight);
    struct Band {
        Canvas* canvas;
        unsigned bit;
        int left, right;
        double seconds;
    };
    using Draw = decltype(draw);
    struct Job {
        Draw* draw;
        Band bands[2];
        void Run(Band& band)
        {
            const auto start = std::chrono::steady_clock::now();
            (*draw)(*band.canvas, band.bit, band.left, band.right);
            band.seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
    } job{&draw,
          {{&first, kFirstBand, 0, byColumns ? split : Canvas::kWidth, 0.0},
           {&second, kSecondBand, byColumns ? split : 0, Canvas::kWidth, 0.0}}};
    if (*helpers.worker == nullptr)
        *helpers.worker = std::make_unique<WorkerThread>(); // started at first need
    (*helpers.worker)
        ->RunBeside([](void* j) { static_cast<Job*>(j)->Run(static_cast<Job*>(j)->bands[1]); },
                    [](void* j) { static_cast<Job*>(j)->Run(static_cast<Job*>(j)->bands[0]); },
                    &job);
    canvas.NoteBandDrawn(first);
    canvas.NoteBandDrawn(second);
    if (byColumns)
        *helpers.columnSplit = NextColumnSplit(split, job.bands[0].seconds, job.bands[1].seconds);
}

// DrawMesh once the pixels are in the scratch.
void DrawPixels(const SceneState& scene, Canvas& canvas, RendererScratch& s, Helpers helpers)
{
    // A new picture each time: every pixel black, the unshown border too.
    canvas.Clear(Rgb(0, 0, 0));
    const bool colored = scene.colorMode == 1;
    FindDrawnCells(s);
    switch (ChooseDrawingOrder(scene.eye.y, scene.eye.z)) {
    case DrawingOrder::HighColumns:
        DrawInOrder<kHighColumnsOrder, true, true>(canvas, s, colored, helpers);
        break;
    case DrawingOrder::LowRows:
        DrawInOrder<kLowRowsOrder, false, false>(canvas, s, colored, helpers);
        break;
    case DrawingOrder::LowColumns:
        DrawInOrder<kLowColumnsOrder, true, false>(canvas, s, colored, helpers);
        break;
    case DrawingOrder::HighRows:
        DrawInOrder<kHighRowsOrder, false, true>(canvas, s, colored, helpers);
        break;
    }
}

} // namespace

SurfaceRenderer::SurfaceRenderer(Bands bandsWanted)
    : scratch(std::make_unique<RendererScratch>()), bands(bandsWanted)
{
    bandsFree = bands == Bands::Two || (bands == Bands::ByFreeCores && FreeCores() >= 2);
}

SurfaceRenderer::~SurfaceRenderer() = default;

void SurfaceRenderer::RedrawSurface(SceneState& scene, Canvas& canvas)
{
    if (!DeriveViewTakingPixels(scene, *scratch))
        ConvertVertices(scene, *scratch);
    DrawPixels(scene, canvas, *scratch, {bandsFree ? &worker : nullptr, bands, &columnSplit});
}

void SurfaceRenderer::DrawMesh(const SceneState& scene, Canvas& canvas)
{
    ConvertVertices(scene, *scratch);
    DrawPixels(scene, canvas, *scratch, {bandsFree ? &worker : nullptr, bands, &columnSplit});
}

} // namespace hyt
