// Canvas: polygon fills with the brush, FillQuad for quadrilaterals (the
// mesh's cells) and FillAny for everything else, both by the same exact rule.
#include "render/Canvas.h"

#include <algorithm>
#include <immintrin.h>
#include <utility>

#include "render/CanvasArithmetic.h"
#include "render/CanvasQuadLanes.h"
#include "render/CanvasSpan.h"

namespace hyt {

using namespace canvas_detail;

// ---- Fills ----------------------------------------------------------------
//
// An edge from (xa, ya) to (xb, yb), ya < yb, crosses row y (ya <= y < yb) at
// c = xa + (y - ya) dx / dy. Pixel x is at or right of the crossing when
// x >= ceil(N / dy) with N = xa dy + (y - ya) dx. Sorted, these first columns
// pair up into the spans [t0, t1), [t2, t3), ... of the row. Sampling the
// corners' own lattice keeps the fill inside the outline, with no gap between.

namespace {

// One edge's first columns, row by row: xa + ceil(k dx / dy) for k = y - ya,
// stepped in exact integers with the remainder ceil(k dx / dy) dy - k dx kept
// in [0, dy). Any 32-bit corners: dx and dy fit 33 bits, the column stays
// between the ends' columns, and only the start, k dx, needs 128 bits.
struct EdgeStep {
    std::int64_t column, remainder, stepQuotient, stepRemainder, dy;
    int bottom; // the edge holds rows up to bottom - 1

    // The edge from a to b, a.y < b.y, starting at row y >= a.y.
    static EdgeStep Start(POINT a, POINT b, int y)
    {
        const std::int64_t dx = std::int64_t(b.x) - a.x;
        const std::int64_t dy = std::int64_t(b.y) - a.y;
        // A mesh cell's edges are short: a 32-bit division is enough and quicker.
        const bool short32 = dx >= INT32_MIN && dx <= INT32_MAX && dy <= INT32_MAX;
        const std::int64_t q = short32 ? FloorDiv32(int(dx), int(dy)) : FloorDiv64(dx, dy);
        EdgeStep e{a.x, 0, q, dx - q * dy, dy, b.y};
        if (a.y < y) { // begins above the canvas
            const Int128 run = (Int128(y) - a.y) * dx;
            const Int128 k = CeilDiv(run, dy);
            e.column += std::int64_t(k);
            e.remainder = std::int64_t(k * dy - run);
        }
        return e;
    }

    // This row's first column, held to the canvas unless the caller knows it
    // is there; then on to the next row.
    template <bool clamp = true> std::int64_t Next()
    {
        const std::int64_t t = column;
        remainder -= stepRemainder;
        const std::int64_t borrow = remainder >> 63; // -1 when it went negative
        column += stepQuotient - borrow;
        remainder += dy & borrow;
        return clamp ? std::clamp<std::int64_t>(t, 0, Canvas::kWidth) : t;
    }
};

} // namespace

// Any quadrilateral. A strictly convex one is two chains of edges from its
// top corner to its bottom one, walked together a row at a time; any other
// goes through one pass per edge that notes its columns by row, then a pass
// that pairs them up. smallCorners: all within 2^24 of the origin, so that
// the turns fit 64 bits.
void Canvas::FillQuad(const POINT* corners, int firstRow, int endRow, bool columnsOnCanvas,
                      bool smallCorners)
{
    int turnSign[4];
    for (int i = 0; i < 4; ++i) {
        const POINT p = corners[i], q = corners[(i + 1) & 3], r = corners[(i + 2) & 3];
        if (smallCorners) {
            const std::int64_t turn = (std::int64_t(q.x) - p.x) * (std::int64_t(r.y) - q.y) -
                                      (std::int64_t(q.y) - p.y) * (std::int64_t(r.x) - q.x);
            turnSign[i] = (turn > 0) - (turn < 0);
        } else {
            const Int128 turn = (Int128(q.x) - p.x) * (Int128(r.y) - q.y) -
                                (Int128(q.y) - p.y) * (Int128(r.x) - q.x);
            turnSign[i] = (turn > 0) - (turn < 0);
        }
    }
    const bool clockwise = turnSign[0] > 0 && turnSign[1] > 0 && turnSign[2] > 0 && turnSign[3] > 0;
    const bool convex =
        clockwise || (turnSign[0] < 0 && turnSign[1] < 0 && turnSign[2] < 0 && turnSign[3] < 0);
    if (convex) {
        if (columnsOnCanvas)
            FillConvexQuad<false>(corners, clockwise, firstRow, endRow);
        else
            FillConvexQuad<true>(corners, clockwise, firstRow, endRow);
        return;
    }
    int columns[kHeight][4];
    std::uint8_t counts[kHeight];
    std::fill(counts + firstRow, counts + endRow, std::uint8_t(0));
    for (int i = 0; i < 4; ++i) {
        POINT a = corners[i];
        POINT b = corners[(i + 1) & 3];
        if (a.y > b.y)
            std::swap(a, b);
        const int first = std::max(a.y, firstRow);
        const int end = std::min(b.y, endRow);
        if (first >= end) // also every horizontal edge
            continue;
        EdgeStep edge = EdgeStep::Start(a, b, first);
        for (int y = first; y < end; ++y)
            columns[y][counts[y]++] = int(edge.Next());
    }
    // Half-open rows count crossings as on a line just below y, which meets no
    // corner; a closed polygon crosses such a line an even number of times.
    for (int y = firstRow; y < endRow; ++y) {
        int* t = columns[y];
        if (counts[y] == 2) {
            FillSpanAny(y, std::min(t[0], t[1]), std::max(t[0], t[1]));
        } else if (counts[y] == 4) {
            SortFour(t);
            FillSpanAny(y, t[0], t[1]);
            FillSpanAny(y, t[2], t[3]);
        }
    }
}

// FillQuad for a quadrilateral wholly on the canvas, the mesh's usual cell,
// rows [firstRow, endRow) from its top corner down. Unless its rows run
// down, up, down and up again round it, the corners fall into one chain
// down from the top row and one back up, so every row is crossed exactly
// once by an edge going down and once by one going up, in whatever order:
// the row spans the two crossings. The four edges are worked in the four
// lanes of one vector, each from its upper end a: the crossing of row
// a.y + k is a.x + ceil(k dx / dy). On the canvas |dx| < 2^10 and
// 0 <= k < dy < 2^9, so single floats give k (dx / dy) within 2^-13 of the
// quotient, while a quotient that is not whole lies at least 1 / dy > 2^-9
// from every whole number: rounded with a margin between the two, its
// ceiling is exact.
void Canvas::FillQuadOnCanvas(const POINT* corners, int firstRow, int endRow)
{
    const QuadLanes lanes = LanesOfQuad(corners);
    if (lanes.zigzag) {
        FillQuad(corners, firstRow, endRow, true, true);
        return;
    }
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 far = _mm_set1_ps(kFar);
    const __m128 justBelowHalf = _mm_set1_ps(kJustBelowHalf);
    const __m128 roundingShift = _mm_set1_ps(kRoundingShift);
    const __m128 slope = lanes.slope, dy = lanes.dy, topXBelowShift = lanes.topXBelowShift;
    // First every row's span, then the spans: the rows' sums do not wait on
    // each other, nor on a store's branches.
    int spans[kHeight][4]; // left, left, -right, -right
    __m128 k = _mm_sub_ps(_mm_set1_ps(float(firstRow)), lanes.topY);
    for (int row = firstRow; row < endRow; ++row, k = _mm_add_ps(k, one)) {
        const __m128 crossing = _mm_mul_ps(k, slope);
        const __m128 rounded = _mm_add_ps(_mm_add_ps(crossing, justBelowHalf), roundingShift);
        const __m128 column = _mm_add_ps(rounded, topXBelowShift);
        const __m128 crosses = _mm_and_ps(_mm_cmpge_ps(k, _mm_setzero_ps()), _mm_cmplt_ps(k, dy));
        // Edges that do not cross the row are pushed out of the way; the
        // least of the columns and of their negatives, side by side.
        const __m128 away = _mm_andnot_ps(crosses, far);
        const __m128 left = _mm_add_ps(column, away);
        const __m128 notRight = _mm_sub_ps(away, column);
        __m128 least = _mm_min_ps(_mm_shuffle_ps(left, notRight, _MM_SHUFFLE(1, 0, 1, 0)),
                                  _mm_shuffle_ps(left, notRight, _MM_SHUFFLE(3, 2, 3, 2)));
        least = _mm_min_ps(least, _mm_shuffle_ps(least, least, _MM_SHUFFLE(2, 3, 0, 1)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(spans[row]), _mm_cvttps_epi32(least));
    }
    // Most spans are a few pixels wide, many are empty: eight pixels are
    // read and written back with the span's lanes in the brush's colour, no
    // branch on the width to guess. They lie in the span's own row, which
    // no other band draws.
    const __m128i color = _mm_set1_epi32(int(brush));
    const __m128i lanesLow = _mm_setr_epi32(0, 1, 2, 3);
    const __m128i lanesHigh = _mm_setr_epi32(4, 5, 6, 7);
    for (int row = firstRow; row < endRow; ++row) {
        const int left = spans[row][0], width = -spans[row][2] - left;
        if (width > 8 || left > kWidth - 8) {
            FillSpan(row, left, left + width);
            continue;
        }
        auto* eight = reinterpret_cast<__m128i*>(pixels + std::size_t(row) * kWidth + left);
        const __m128i widths = _mm_set1_epi32(width);
        const __m128i low = _mm_cmpgt_epi32(widths, lanesLow);
        const __m128i high = _mm_cmpgt_epi32(widths, lanesHigh);
        _mm_storeu_si128(eight, _mm_or_si128(_mm_and_si128(low, color),
                                             _mm_andnot_si128(low, _mm_loadu_si128(eight))));
        _mm_storeu_si128(eight + 1,
                         _mm_or_si128(_mm_and_si128(high, color),
                                      _mm_andnot_si128(high, _mm_loadu_si128(eight + 1))));
    }
}

// Rows [firstRow, endRow) of a strictly convex quadrilateral: its top corner
// leads one chain forward and one backward to its bottom corner, and on every
// row each chain has exactly one edge holding it. The forward chain is the
// right one when the corners turn clockwise on the screen (turn > 0, rows
// growing downward); since the left boundary never passes the right one and
// ceil keeps that order, the span is [left chain, right chain) on every row.
template <bool clamp>
void Canvas::FillConvexQuad(const POINT* corners, bool clockwise, int firstRow, int endRow)
{
    int top = 0;
    for (int i = 1; i < 4; ++i)
        if (corners[i].y < corners[top].y)
            top = i;
    // Each chain's current edge runs from corner at to corner at + step.
    const int leftStep = clockwise ? 3 : 1;
    const int rightStep = 4 - leftStep;
    int atLeft = top, atRight = top;
    auto advance = [corners](int& at, int step, int y) {
        while (corners[(at + step) & 3].y <= y)
            at = (at + step) & 3;
        return EdgeStep::Start(corners[at], corners[(at + step) & 3], y);
    };
    EdgeStep left = advance(atLeft, leftStep, firstRow);
    EdgeStep right = advance(atRight, rightStep, firstRow);
    for (int y = firstRow;;) {
        const int bandEnd = std::min({left.bottom, right.bottom, endRow});
        for (; y < bandEnd; ++y) {
            const auto tl = left.template Next<clamp>();
            const auto tr = right.template Next<clamp>();
            FillSpanAny(y, int(tl), int(tr));
        }
        if (y >= endRow)
            return;
        if (left.bottom == y)
            left = advance(atLeft, leftStep, y);
        if (right.bottom == y)
            right = advance(atRight, rightStep, y);
    }
}

// Any polygon, any coordinates: N in 128 bits. Edges are sorted by their first
// row on the canvas and kept in an active list, so a row costs the edges that
// cross it.
void Canvas::FillAny(const POINT* corners, int count, int firstRow, int endRow)
{
    edges.clear();
    for (int i = 0; i < count; ++i) {
        POINT a = corners[i];
        POINT b = corners[i + 1 < count ? i + 1 : 0];
        if (a.y == b.y)
            continue;
        if (a.y > b.y)
            std::swap(a, b);
        const int first = std::max(a.y, firstRow);
        const int end = std::min(b.y, endRow);
        if (first >= end)
            continue;
        edges.push_back({a.x, a.y, std::int64_t(b.x) - a.x, std::int64_t(b.y) - a.y, first, end});
    }
    if (edges.size() < 2)
        return;
    std::sort(edges.begin(), edges.end(),
              [](const Edge& p, const Edge& q) { return p.firstRow < q.firstRow; });

    active.clear();
    std::size_t next = 0;
    for (int y = edges[0].firstRow; y < endRow; ++y) {
        std::erase_if(active, [&](std::size_t k) { return edges[k].endRow <= y; });
        while (next < edges.size() && edges[next].firstRow <= y)
            active.push_back(next++);
        if (active.empty()) {
            if (next == edges.size())
                break;
            y = edges[next].firstRow - 1; // skip the rows between pieces
            continue;
        }
        crossings.clear();
        for (std::size_t k : active) {
            const Edge& e = edges[k];
            const Int128 n = Int128(e.xTop) * e.dy + Int128(y - e.yTop) * e.dx;
            const Int128 t = CeilDiv(n, e.dy);
            crossings.push_back(int(std::clamp<Int128>(t, 0, kWidth)));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t k = 0; k + 1 < crossings.size(); k += 2)
            FillSpanAny(y, crossings[k], crossings[k + 1]);
    }
}

} // namespace hyt
