// How a redraw's cells lie on the canvas: whether they overlap so much that
// drawing beneath pays, and where to split the picture into two bands, of
// rows or of columns, of about the same work.
#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "render/Canvas.h"
#include "render/RendererScratch.h"

namespace hyt {

namespace {

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

} // namespace

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
            const __m128i a = LoadPoints(low + j), b = LoadPoints(high + j),
                          c = LoadPoints(low + j + 1), d = LoadPoints(high + j + 1);
            const __m128i lows = Min32(Min32(a, b), Min32(c, d));
            const __m128i highs = Max32(Max32(a, b), Max32(c, d));
            const __m128i from = _mm_and_si128(lows, _mm_cmpgt_epi32(lows, zero));
            __m128i size = _mm_sub_epi32(Min32(highs, limit), from);
            size = _mm_and_si128(size, _mm_cmpgt_epi32(size, zero));
            alignas(16) std::uint64_t areas[2];
            _mm_store_si128(reinterpret_cast<__m128i*>(areas),
                            _mm_mul_epu32(size, _mm_srli_epi64(size, 32)));
            rowArea +=
                std::int64_t(row[j] ? areas[0] : 0) + std::int64_t(row[j + 1] ? areas[1] : 0);
        }
        area += rowArea * kSampledRow;
        if (area > kEnough)
            return true;
    }
    return false;
}

// Marks each drawn cell with the bands its rows reach, [0, split) and
// [split, kHeight), so that a band skips the others' cells at once.
void FindBands(RendererScratch& s, int split)
{
    for (int i = 0; i < kCells; ++i) {
        const POINT* low = s.points + i * kGridSize;
        const POINT* high = low + kGridSize;
        std::uint8_t* row = s.segments.data() + (i + 1) * kStride + 1;
        for (int j = 0; j < kCells; ++j) {
            if (row[j] == 0)
                continue;
            const int top =
                std::min(std::min(low[j].y, low[j + 1].y), std::min(high[j].y, high[j + 1].y));
            const int bottom =
                std::max(std::max(low[j].y, low[j + 1].y), std::max(high[j].y, high[j + 1].y));
            row[j] = std::uint8_t(row[j] | (top < split ? kFirstBand : 0) |
                                  (bottom >= split ? kSecondBand : 0));
        }
    }
}

// The row between two bands of about the same work: the middle row of the
// visible vertices, a sample of them, on a multiple of 8 so that drawing
// beneath tests its blocks of rows within one band.
int BandSplit(const RendererScratch& s)
{
    constexpr int kSample = 5;
    std::array<int, Canvas::kHeight> rows{};
    int count = 0;
    for (int k = 0; k < kVertexCount; k += kSample) {
        const int y = s.points[k].y;
        if (s.visible[k] && y >= 0 && y < Canvas::kHeight) {
            ++rows[std::size_t(y)];
            ++count;
        }
    }
    int split = Canvas::kHeight / 2;
    for (int y = 0, seen = 0; y < Canvas::kHeight && count > 0; ++y) {
        seen += rows[std::size_t(y)];
        if (2 * seen >= count) {
            split = y;
            break;
        }
    }
    return std::clamp(split & ~7, 8, Canvas::kHeight - 8);
}

namespace {

// The columns of each segment (a[j], b[j]) for j < count, four at a time
// in lanes: within the rows about the canvas, widened by a pixel each way
// beyond what a segment's pixels, or a fill it bounds, can take there, and
// held to [-1, kWidth + 1]; low > high when it misses them. The last four
// are worked out whole: a and b are read, and out written, up to the next
// multiple of four.
__attribute__((target_clones("avx2", "default"))) void EdgeColumns(const POINT* a, const POINT* b,
                                                                   int count, ColumnRange* out)
{
    typedef double Real __attribute__((vector_size(32)));
    typedef std::int32_t Int __attribute__((vector_size(16)));
    typedef std::int32_t Points __attribute__((vector_size(32))); // four (x, y)
    static_assert(sizeof(POINT) == 8 && sizeof(ColumnRange) == 8);
    constexpr double kTop = -2.0, kBottom = Canvas::kHeight + 1.0;
    constexpr double kHeld = Canvas::kWidth + 4.0, kShift = 1024.0; // floor by truncation
    const Real topRow = Real{} + kTop, bottomRow = Real{} + kBottom;
    const Real held = Real{} + kHeld, heldBelow = Real{} - kHeld;
    for (int j = 0; j < count; j += 4) {
        Points pa, pb;
        std::memcpy(&pa, a + j, sizeof pa);
        std::memcpy(&pb, b + j, sizeof pb);
        const Real ax = __builtin_convertvector(__builtin_shufflevector(pa, pa, 0, 2, 4, 6), Real);
        const Real ay = __builtin_convertvector(__builtin_shufflevector(pa, pa, 1, 3, 5, 7), Real);
        const Real bx = __builtin_convertvector(__builtin_shufflevector(pb, pb, 0, 2, 4, 6), Real);
        const Real by = __builtin_convertvector(__builtin_shufflevector(pb, pb, 1, 3, 5, 7), Real);
        // Selections, not std::min and std::max: a lane's own.
        const Real upper = ay < by ? ay : by, lower = ay < by ? by : ay;
        const Real top = upper < topRow ? topRow : upper;
        const Real bottom = lower < bottomRow ? lower : bottomRow;
        const auto level = ay == by; // then both ends
        const Real slope = (bx - ax) / ((by - ay) + (level ? Real{} + 1.0 : Real{}));
        const Real first = level ? ax : ax + (top - ay) * slope;
        const Real second = level ? bx : ax + (bottom - ay) * slope;
        Real low = first < second ? first : second, high = first < second ? second : first;
        low = low < held ? (low < heldBelow ? heldBelow : low) : held;
        high = high < held ? (high < heldBelow ? heldBelow : high) : held;
        const Int floorLow = __builtin_convertvector(low + kShift, Int) - int(kShift);
        const Int ceilHigh = int(kShift) - __builtin_convertvector(kShift - high, Int);
        const Int misses = __builtin_convertvector(top > bottom, Int);
        const Int lowest = Int{} - 1, highest = Int{} + (Canvas::kWidth + 1);
        const Int left = floorLow - 1 < lowest ? lowest : floorLow - 1;
        const Int right = ceilHigh + 2 < highest ? ceilHigh + 2 : highest;
        const Points ranges = __builtin_shufflevector(
            misses ? highest : left, misses ? lowest : right, 0, 4, 1, 5, 2, 6, 3, 7);
        std::memcpy(static_cast<void*>(out + j), &ranges, sizeof ranges);
    }
}

ColumnRange Union(ColumnRange a, ColumnRange b)
{
    return {std::min(a.low, b.low), std::max(a.high, b.high)};
}

} // namespace

// On each row of the canvas, a cell's fill lies between crossings of its
// edges, and its outline on them: so its pixels there lie within its edges'
// columns there. Each grid edge is worked out once, for both its cells.
void FindColumnBands(RendererScratch& s, int split)
{
    // Edges along rows i and i + 1, and between them; kGridSize of each is a
    // multiple of four, and the last row's reach one spare point.
    static_assert(kGridSize % 4 == 0);
    std::array<ColumnRange, kGridSize> lowEdges, highEdges, across;
    ColumnRange *low = lowEdges.data(), *high = highEdges.data();
    EdgeColumns(s.points, s.points + 1, kCells, low);
    for (int i = 0; i < kCells; ++i) {
        const POINT* lowRow = s.points + i * kGridSize;
        const POINT* highRow = lowRow + kGridSize;
        EdgeColumns(lowRow, highRow, kGridSize, across.data());
        EdgeColumns(highRow, highRow + 1, kCells, high);
        std::uint8_t* row = s.segments.data() + (i + 1) * kStride + 1;
        for (int j = 0; j < kCells; ++j) {
            const ColumnRange r = Union(Union(low[j], high[j]),
                                        Union(across[std::size_t(j)], across[std::size_t(j + 1)]));
            if (row[j] != 0 && r.low < r.high)
                row[j] = std::uint8_t(row[j] | (r.low < split ? kFirstBand : 0) |
                                      (r.high > split ? kSecondBand : 0));
        }
        std::swap(low, high); // row i + 1's edges are the next row's low ones
    }
}

int NextColumnSplit(int split, double firstSeconds, double secondSeconds)
{
    // Towards the slower band's side, by as much as it was slower; a time
    // too short to tell by leaves the split where it is.
    constexpr double kStep = Canvas::kWidth / 5.0;
    const double total = firstSeconds + secondSeconds;
    if (!(total > 0))
        return split;
    const int step = int(std::lround((firstSeconds - secondSeconds) / total * kStep));
    return std::clamp(split - step, 8, Canvas::kWidth - 8);
}

} // namespace hyt
