// Canvas drawing. Sections: exact integer helpers; pens, brushes, Clear and
// Rectangle; segments (DrawSegment, Trace); fills (FillQuad for
// quadrilaterals, FillAny for everything else); Polygon and Quad.
//
// Every primitive first drops what cannot touch the canvas, then works out in
// exact arithmetic which of its pixels lie on the canvas, and only then walks
// those pixels. The pixel rules are those of the header; both fill paths and
// the clipped and unclipped walk of a segment compute the same exact values.
#include "render/Canvas.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

namespace hyt {

namespace {

// Products of two 33-bit differences need 66 bits.
__extension__ typedef __int128 Int128;

constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();

// A quadrilateral whose corners all lie within this distance of the origin
// has turns that fit 64-bit integers (see FillQuad).
constexpr std::int64_t kSmallCoordinate = std::int64_t(1) << 24;

bool FitsInt64(Int128 n)
{
    return n >= -kInt64Max && n <= kInt64Max;
}

// floor(n / d) for d > 0; 64-bit division where the operands allow it.
Int128 FloorDiv(Int128 n, Int128 d)
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
Int128 CeilDiv(Int128 n, Int128 d)
{
    return -FloorDiv(-n, d);
}

// floor(n / d) for d > 0, when neither overflows.
int FloorDiv32(int n, int d)
{
    const int q = n / d;
    return n % d < 0 ? q - 1 : q;
}

std::int64_t FloorDiv64(std::int64_t n, std::int64_t d)
{
    const std::int64_t q = n / d;
    return n % d < 0 ? q - 1 : q;
}

// Four values in ascending order by a sorting network: no calls, no branches.
template <typename T> void SortFour(T* v)
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

bool OnCanvas(POINT p)
{
    return unsigned(p.x) < unsigned(Canvas::kWidth) && unsigned(p.y) < unsigned(Canvas::kHeight);
}

} // namespace

// ---- Pens, brushes, Clear and Rectangle ------------------------------------

Canvas::Canvas() : pen(ToPixel(0)), brush(ToPixel(0)), clearColor(ToPixel(0))
{
    pixels.fill(clearColor);
}

void Canvas::Touch(int top, int end)
{
    dirtyTop = std::min(dirtyTop, top);
    dirtyEnd = std::max(dirtyEnd, end);
}

void Canvas::Clear(COLORREF color)
{
    // Rows no drawing has touched since a Clear in the same colour still
    // hold it; a redraw then rewrites only the rows the last picture used.
    const Pixel fill = ToPixel(color);
    if (fill == clearColor) {
        if (dirtyTop < dirtyEnd)
            std::fill(pixels.begin() + std::ptrdiff_t(dirtyTop) * kWidth,
                      pixels.begin() + std::ptrdiff_t(dirtyEnd) * kWidth, fill);
    } else {
        pixels.fill(fill);
        clearColor = fill;
    }
    dirtyTop = kHeight;
    dirtyEnd = 0;
}

void Canvas::Rectangle(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top)
        return;
    // The border is that of the whole rectangle; only its pixels on the
    // canvas are painted. 64 bits so that right - 1 and the like never wrap.
    const std::int64_t lastColumn = std::int64_t(right) - 1;
    const std::int64_t lastRow = std::int64_t(bottom) - 1;
    const int x0 = int(std::max<std::int64_t>(left, 0));
    const int x1 = int(std::min<std::int64_t>(right, kWidth));
    const int y0 = int(std::max<std::int64_t>(top, 0));
    const int y1 = int(std::min<std::int64_t>(bottom, kHeight));
    if (x0 >= x1 || y0 >= y1)
        return;
    Touch(y0, y1);
    for (int y = y0; y < y1; ++y) {
        Pixel* row = pixels.data() + std::size_t(y) * kWidth;
        if (y == top || y == lastRow) {
            std::fill(row + x0, row + x1, pen);
            continue;
        }
        std::fill(row + x0, row + x1, brush);
        if (left >= 0)
            row[left] = pen; // left < x1 <= kWidth here
        if (lastColumn < kWidth)
            row[lastColumn] = pen; // lastColumn >= x0 >= 0 here
    }
}

// ---- Segments -------------------------------------------------------------

// The usual case, a mesh edge wholly on the canvas: the same walk as Trace
// from step 0, where no division is needed.
void Canvas::DrawSegmentOnCanvas(POINT a, POINT b)
{
    const int dx = b.x - a.x;
    const int dy = b.y - a.y;
    if (std::abs(dx) >= std::abs(dy)) {
        if (dx < 0)
            std::swap(a, b);
        const int du = std::abs(dx);
        Walk<1, kWidth>(std::size_t(a.y) * kWidth + a.x, du, du, b.y - a.y, du);
    } else {
        if (dy < 0)
            std::swap(a, b);
        const int du = std::abs(dy);
        Walk<kWidth, 1>(std::size_t(a.y) * kWidth + a.x, du, du, b.x - a.x, du);
    }
}

void Canvas::DrawSegment(POINT a, POINT b)
{
    if (OnCanvas(a) && OnCanvas(b)) {
        DrawSegmentOnCanvas(a, b);
        return;
    }
    if (std::max(a.x, b.x) < 0 || std::min(a.x, b.x) >= kWidth || std::max(a.y, b.y) < 0 ||
        std::min(a.y, b.y) >= kHeight)
        return;
    std::int64_t dx = std::int64_t(b.x) - a.x;
    std::int64_t dy = std::int64_t(b.y) - a.y;
    // Walking from the end with the smaller major coordinate does not change
    // the pixels: they depend only on the line, never on its direction.
    if (std::abs(dx) >= std::abs(dy)) {
        if (dx < 0) {
            std::swap(a, b);
            dx = -dx;
            dy = -dy;
        }
        Trace(a.x, a.y, dx, dy, kWidth, kHeight, 1, kWidth);
    } else {
        if (dy < 0) {
            std::swap(a, b);
            dx = -dx;
            dy = -dy;
        }
        Trace(a.y, a.x, dy, dx, kHeight, kWidth, kWidth, 1);
    }
}

// Walks a segment along its major axis u from (u0, v0) to (u0 + du, v0 + dv),
// du >= |dv|. Step k = 0..du lights (u0 + k, v0 + floor((2 dv k + du) / (2 du))),
// the exact minor value rounded half up. Only the steps whose pixel lies on the
// canvas are walked, found by exact division, so a long segment costs no more
// than its part on the canvas.
void Canvas::Trace(std::int64_t u0, std::int64_t v0, std::int64_t du, std::int64_t dv,
                   std::int64_t uLimit, std::int64_t vLimit, std::ptrdiff_t uStep,
                   std::ptrdiff_t vStep)
{
    Int128 kFirst = std::max<std::int64_t>(0, -u0);
    Int128 kLast = std::min<std::int64_t>(du, uLimit - 1 - u0);
    const std::int64_t vEnd = v0 + dv;
    const bool minorInside = v0 >= 0 && v0 < vLimit && vEnd >= 0 && vEnd < vLimit;
    if (!minorInside) {
        if (dv == 0)
            return; // a run along a row or column off the canvas
        // 0 <= v < vLimit  <=>  low <= 2 dv k < high  (du > 0 here).
        const Int128 low = -Int128(du) * (2 * Int128(v0) + 1);
        const Int128 high = Int128(du) * (2 * (Int128(vLimit) - v0) - 1);
        if (dv > 0) {
            kFirst = std::max(kFirst, CeilDiv(low, 2 * Int128(dv)));
            kLast = std::min(kLast, CeilDiv(high, 2 * Int128(dv)) - 1);
        } else {
            kFirst = std::max(kFirst, FloorDiv(-high, -2 * Int128(dv)) + 1);
            kLast = std::min(kLast, FloorDiv(-low, -2 * Int128(dv)));
        }
    }
    if (kFirst > kLast)
        return;

    // error = 2 dv k + du - 2 du (v - v0), the remainder of the rounding,
    // stays in [0, 2 du).
    std::int64_t v = v0;
    std::int64_t error = du;
    if (kFirst > 0) {
        const Int128 numerator = 2 * Int128(dv) * kFirst + du;
        const Int128 quotient = FloorDiv(numerator, 2 * Int128(du));
        v = v0 + std::int64_t(quotient);
        error = std::int64_t(numerator - quotient * 2 * du);
    }
    const std::ptrdiff_t first =
        std::ptrdiff_t(u0 + std::int64_t(kFirst)) * uStep + std::ptrdiff_t(v) * vStep;
    const std::int64_t steps = std::int64_t(kLast - kFirst);
    if (uStep == 1)
        Walk<1, kWidth>(std::size_t(first), steps, du, dv, error);
    else
        Walk<kWidth, 1>(std::size_t(first), steps, du, dv, error);
}

// Lights the pixel at index, then steps more: each step moves along u, and
// along v when the rounding remainder error leaves [0, 2 du). The caller has
// made sure that every pixel of the walk is on the canvas.
template <std::ptrdiff_t uStep, std::ptrdiff_t vStep>
void Canvas::Walk(std::size_t index, std::int64_t steps, std::int64_t du, std::int64_t dv,
                  std::int64_t error)
{
    // The colour in a local: a store into the pixels could otherwise be the
    // pen itself, and it would be read again at every step. One loop per
    // direction of v, each with masks instead of a branch that would be
    // mispredicted at every other step.
    const Pixel color = pen;
    Pixel* const data = pixels.data();
    const std::int64_t twoDu = 2 * du;
    const std::int64_t twoDv = 2 * dv;
    if (dv >= 0) {
        for (;; --steps) {
            assert(index < pixels.size());
            data[index] = color;
            if (steps == 0)
                break;
            error += twoDv;
            const std::int64_t wrap = -std::int64_t(error >= twoDu); // 0 or all ones
            error -= twoDu & wrap;
            index += std::size_t(uStep + (vStep & wrap));
        }
    } else {
        for (;; --steps) {
            assert(index < pixels.size());
            data[index] = color;
            if (steps == 0)
                break;
            error += twoDv;
            const std::int64_t wrap = error >> 63; // all ones when it went negative
            error += twoDu & wrap;
            index += std::size_t(uStep - (vStep & wrap));
        }
    }
}

// ---- Fills ----------------------------------------------------------------
//
// An edge from (xa, ya) to (xb, yb), ya < yb, crosses row y (ya <= y < yb) at
// c = xa + (y - ya) dx / dy. Pixel x is at or right of the crossing when
// x >= ceil(N / dy) with N = xa dy + (y - ya) dx. Sorted, these first columns
// pair up into the spans [t0, t1), [t2, t3), ... of the row. Sampling the
// corners' own lattice keeps the fill inside the outline, with no gap between.

// [left, right) of row y; nothing when right <= left. Mesh spans are mostly a
// few pixels wide, so the stores are fixed groups that may overlap (the same
// colour twice) rather than a loop whose length the branches must guess.
void Canvas::FillSpan(int y, int left, int right)
{
    const int width = right - left;
    if (width <= 0)
        return;
    const Pixel color = brush; // a local: no pixel can be it
    Pixel* span = pixels.data() + std::size_t(y) * kWidth + left;
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
            FillSpan(y, std::min(t[0], t[1]), std::max(t[0], t[1]));
        } else if (counts[y] == 4) {
            SortFour(t);
            FillSpan(y, t[0], t[1]);
            FillSpan(y, t[2], t[3]);
        }
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
            const std::int64_t tl = left.Next<clamp>();
            const std::int64_t tr = right.Next<clamp>();
            FillSpan(y, int(tl), int(tr));
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
            FillSpan(y, crossings[k], crossings[k + 1]);
    }
}

// ---- Polygon --------------------------------------------------------------

bool Canvas::FillPolygon(const POINT* corners, int count)
{
    int minX = corners[0].x;
    int maxX = minX;
    int minY = corners[0].y;
    int maxY = minY;
    for (int i = 1; i < count; ++i) {
        minX = std::min(minX, corners[i].x);
        maxX = std::max(maxX, corners[i].x);
        minY = std::min(minY, corners[i].y);
        maxY = std::max(maxY, corners[i].y);
    }
    // Fill and outline both lie within the corners' bounds.
    if (maxX < 0 || minX >= kWidth || maxY < 0 || minY >= kHeight)
        return false;
    Touch(std::max(minY, 0), std::min(maxY, kHeight - 1) + 1);

    // Rows from the highest corner down to just above the lowest (top-left rule).
    const int firstRow = std::max(minY, 0);
    const int endRow = std::min(maxY, kHeight);
    if (count >= 3 && minX < maxX && firstRow < endRow) {
        if (count == 4)
            FillQuad(corners, firstRow, endRow, minX >= 0 && maxX <= kWidth,
                     minX >= -kSmallCoordinate && maxX <= kSmallCoordinate &&
                         minY >= -kSmallCoordinate && maxY <= kSmallCoordinate);
        else
            FillAny(corners, count, firstRow, endRow);
    }
    return true;
}

void Canvas::Polygon(const POINT* corners, int count)
{
    if (corners == nullptr || count < 1)
        return;
    if (!FillPolygon(corners, count))
        return;
    if (count <= 2) {
        // One corner: its pixel. Two: there and back along the same pixels.
        DrawSegment(corners[0], corners[count - 1]);
        return;
    }
    for (int i = 0; i + 1 < count; ++i)
        DrawSegment(corners[i], corners[i + 1]);
    DrawSegment(corners[count - 1], corners[0]);
}

void Canvas::Quad(const POINT* corners, unsigned segments)
{
    if (corners == nullptr)
        return;
    const int minX =
        std::min(std::min(corners[0].x, corners[1].x), std::min(corners[2].x, corners[3].x));
    const int maxX =
        std::max(std::max(corners[0].x, corners[1].x), std::max(corners[2].x, corners[3].x));
    const int minY =
        std::min(std::min(corners[0].y, corners[1].y), std::min(corners[2].y, corners[3].y));
    const int maxY =
        std::max(std::max(corners[0].y, corners[1].y), std::max(corners[2].y, corners[3].y));
    if (minX >= 0 && maxX < kWidth && minY >= 0 && maxY < kHeight) {
        Touch(minY, maxY + 1);
        // Wholly on the canvas, as most mesh cells are: FillPolygon's and
        // DrawSegment's tests would all pass.
        if (minX < maxX && minY < maxY)
            FillQuad(corners, minY, maxY, true, true);
        for (int i = 0; i < 4; ++i)
            if (segments & (1u << i))
                DrawSegmentOnCanvas(corners[i], corners[(i + 1) & 3]);
        return;
    }
    if (!FillPolygon(corners, 4))
        return;
    for (int i = 0; i < 4; ++i)
        if (segments & (1u << i))
            DrawSegment(corners[i], corners[(i + 1) & 3]);
}

} // namespace hyt
