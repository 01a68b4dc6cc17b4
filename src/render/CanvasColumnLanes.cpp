// Drawing beneath, by column, in lanes: tests of four columns at a time, a
// lane of doubles each, and the setting of a column's rows eight at a time.
#include "render/CanvasColumnLanes.h"

#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace hyt::canvas_detail {

namespace {

// Whether the rows [low, end) of columns x to x + 3 are set, in the lanes
// where some is all ones; a lane without rows needs low < end all the same.
// The bits of each run's first word and of its last are gathered at once,
// and those of the words between, which long runs have, a word at a time.
__attribute__((target("avx2"), always_inline)) inline bool
LaneRowsSet(int x, __m128i low, __m128i end, __m256i some, const std::uint64_t* columnBits,
            int words)
{
    const __m128i last = _mm_sub_epi32(end, _mm_set1_epi32(1));
    const __m128i firstWord = _mm_srai_epi32(low, 6), lastWord = _mm_srai_epi32(last, 6);
    const __m128i base = _mm_mullo_epi32(
        _mm_add_epi32(_mm_set1_epi32(x), _mm_setr_epi32(0, 1, 2, 3)), _mm_set1_epi32(words));
    const long long* bits = reinterpret_cast<const long long*>(columnBits);
    const __m256i first = _mm256_mask_i32gather_epi64(_mm256_setzero_si256(), bits,
                                                      _mm_add_epi32(base, firstWord), some, 8);
    const __m256i final = _mm256_mask_i32gather_epi64(_mm256_setzero_si256(), bits,
                                                      _mm_add_epi32(base, lastWord), some, 8);
    const __m256i all = _mm256_set1_epi64x(-1);
    const __m256i fromLow =
        _mm256_sllv_epi64(all, _mm256_cvtepi32_epi64(_mm_and_si128(low, _mm_set1_epi32(63))));
    const __m256i toLast =
        _mm256_srlv_epi64(all, _mm256_cvtepi32_epi64(_mm_sub_epi32(
                                   _mm_set1_epi32(63), _mm_and_si128(last, _mm_set1_epi32(63)))));
    // A run within one word wants its bits from both ends in that word.
    const __m256i oneWord = _mm256_cvtepi32_epi64(_mm_cmpeq_epi32(firstWord, lastWord));
    const __m256i wantFirst = _mm256_and_si256(
        some, _mm256_and_si256(fromLow, _mm256_or_si256(toLast, _mm256_xor_si256(oneWord, all))));
    const __m256i wantFinal = _mm256_andnot_si256(oneWord, _mm256_and_si256(some, toLast));
    const __m256i missing = _mm256_or_si256(_mm256_andnot_si256(first, wantFirst),
                                            _mm256_andnot_si256(final, wantFinal));
    if (!_mm256_testz_si256(missing, missing))
        return false;
    for (__m128i word = _mm_add_epi32(firstWord, _mm_set1_epi32(1));;
         word = _mm_add_epi32(word, _mm_set1_epi32(1))) {
        const __m256i between =
            _mm256_and_si256(some, _mm256_cvtepi32_epi64(_mm_cmpgt_epi32(lastWord, word)));
        if (_mm256_testz_si256(between, between))
            return true;
        const __m256i got = _mm256_mask_i32gather_epi64(_mm256_setzero_si256(), bits,
                                                        _mm_add_epi32(base, word), between, 8);
        const __m256i unset = _mm256_andnot_si256(got, between);
        if (!_mm256_testz_si256(unset, unset))
            return false;
    }
}

// Lanes whose column x + i lies below high.
__attribute__((target("avx2"), always_inline)) inline __m256i ColumnsBelow(int x, int high)
{
    return _mm256_cvtepi32_epi64(_mm_cmplt_epi32(
        _mm_add_epi32(_mm_set1_epi32(x), _mm_setr_epi32(0, 1, 2, 3)), _mm_set1_epi32(high)));
}

} // namespace

// Each lane's rows by the same operations as AllColumnsSet (maxpd and minpd
// choose as std::max and std::min do there), with no multiply-add fused. A
// steep fill crosses few columns, each a short run.
__attribute__((target("avx2"))) bool SlantSetInLanes(const ColumnSlant& slant,
                                                     const std::uint64_t* columnBits, int words)
{
    const __m256d lowScale0 = _mm256_set1_pd(slant.lowScale[0]),
                  lowOffset0 = _mm256_set1_pd(slant.lowOffset[0]);
    const __m256d lowScale1 = _mm256_set1_pd(slant.lowScale[1]),
                  lowOffset1 = _mm256_set1_pd(slant.lowOffset[1]);
    const __m256d highScale0 = _mm256_set1_pd(slant.highScale[0]),
                  highOffset0 = _mm256_set1_pd(slant.highOffset[0]);
    const __m256d highScale1 = _mm256_set1_pd(slant.highScale[1]),
                  highOffset1 = _mm256_set1_pd(slant.highOffset[1]);
    const __m256d lastT = _mm256_set1_pd(slant.rows - 1.0);
    const __m128i from = _mm_set1_epi32(slant.from), lastRow = _mm_set1_epi32(slant.rows - 1);
    for (int x = slant.columns.low; x < slant.columns.high; x += 4) {
        const __m256d column = _mm256_add_pd(_mm256_set1_pd(double(x)), _mm256_setr_pd(0, 1, 2, 3));
        const __m256d lowT =
            _mm256_max_pd(_mm256_add_pd(_mm256_mul_pd(column, lowScale1), lowOffset1),
                          _mm256_max_pd(_mm256_add_pd(_mm256_mul_pd(column, lowScale0), lowOffset0),
                                        _mm256_setzero_pd()));
        const __m256d highT = _mm256_min_pd(
            _mm256_add_pd(_mm256_mul_pd(column, highScale1), highOffset1),
            _mm256_min_pd(_mm256_add_pd(_mm256_mul_pd(column, highScale0), highOffset0), lastT));
        // Lanes with rows: lowT <= highT, within the columns.
        const __m256i some =
            _mm256_and_si256(ColumnsBelow(x, slant.columns.high),
                             _mm256_castpd_si256(_mm256_cmp_pd(lowT, highT, _CMP_LE_OQ)));
        const __m128i low = _mm_add_epi32(from, _mm256_cvttpd_epi32(lowT));
        const __m128i end = _mm_add_epi32(
            from, _mm_add_epi32(
                      _mm_min_epi32(_mm_add_epi32(_mm256_cvttpd_epi32(highT), _mm_set1_epi32(1)),
                                    lastRow),
                      _mm_set1_epi32(1)));
        if (!LaneRowsSet(x, low, end, some, columnBits, words))
            return false;
    }
    return true;
}

// An edge's points within half a pixel (and the margin) of column x lie
// between its points at the ends of [x - h, x + h] held to its own columns,
// when these meet: a straight line's highest and lowest there. An upright
// edge gives only its first end: each corner is the first end of an edge,
// and so the corners give the rows between.
//
// Pixels of the quad in column x lie within half a pixel of those points'
// rows: its fill's pixel (x, y) lies between two points of the outline on
// the line through x; a steep segment lights (x, y) for a point of its line
// on row y within half a pixel of x; a flat one for its point at x within
// half a pixel of row y.
__attribute__((target("avx2,fma"))) bool QuadSetInLanes(const POINT* corners, int top, int end,
                                                        ColumnRange columns,
                                                        const std::uint64_t* columnBits, int words)
{
    constexpr double h = QuadBound::kHalf;
    double left[4], right[4], fromX[4], fromY[4], slope[4];
    for (int i = 0; i < 4; ++i) {
        const POINT a = corners[i], b = corners[(i + 1) & 3];
        fromX[i] = a.x;
        fromY[i] = a.y;
        left[i] = std::min(a.x, b.x);
        right[i] = std::max(a.x, b.x);
        slope[i] = a.x == b.x ? 0.0 : (double(b.y) - a.y) / (double(b.x) - a.x);
    }
    const __m256d topRow = _mm256_set1_pd(top), lastRow = _mm256_set1_pd(end - 1);
    const __m256d half = _mm256_set1_pd(h),
                  none = _mm256_set1_pd(std::numeric_limits<double>::infinity());
    for (int x = columns.low; x < columns.high; x += 4) {
        const __m256d column = _mm256_add_pd(_mm256_set1_pd(double(x)), _mm256_setr_pd(0, 1, 2, 3));
        const __m256d stripLeft = _mm256_sub_pd(column, half),
                      stripRight = _mm256_add_pd(column, half);
        __m256d highest = none, lowest = _mm256_sub_pd(_mm256_setzero_pd(), none);
        for (int i = 0; i < 4; ++i) {
            const __m256d from = _mm256_max_pd(stripLeft, _mm256_set1_pd(left[i]));
            const __m256d to = _mm256_min_pd(stripRight, _mm256_set1_pd(right[i]));
            const __m256d meets = _mm256_cmp_pd(from, to, _CMP_LE_OQ);
            const __m256d x0 = _mm256_set1_pd(fromX[i]), y0 = _mm256_set1_pd(fromY[i]),
                          s = _mm256_set1_pd(slope[i]);
            const __m256d yFrom = _mm256_fmadd_pd(_mm256_sub_pd(from, x0), s, y0);
            const __m256d yTo = _mm256_fmadd_pd(_mm256_sub_pd(to, x0), s, y0);
            highest =
                _mm256_blendv_pd(highest, _mm256_min_pd(highest, _mm256_min_pd(yFrom, yTo)), meets);
            lowest =
                _mm256_blendv_pd(lowest, _mm256_max_pd(lowest, _mm256_max_pd(yFrom, yTo)), meets);
        }
        // Rows held to [top, end - 1] before they become integers; a lane
        // that no edge meets keeps first > last.
        const __m256d first = _mm256_ceil_pd(_mm256_max_pd(_mm256_sub_pd(highest, half), topRow));
        const __m256d last = _mm256_floor_pd(_mm256_min_pd(_mm256_add_pd(lowest, half), lastRow));
        const __m256d rows = _mm256_cmp_pd(first, last, _CMP_LE_OQ);
        const __m256i some =
            _mm256_and_si256(ColumnsBelow(x, columns.high), _mm256_castpd_si256(rows));
        const __m128i firstRow = _mm256_cvttpd_epi32(_mm256_blendv_pd(topRow, first, rows));
        const __m128i endRow = _mm_add_epi32(
            _mm256_cvttpd_epi32(_mm256_blendv_pd(topRow, last, rows)), _mm_set1_epi32(1));
        if (!LaneRowsSet(x, firstRow, endRow, some, columnBits, words))
            return false;
    }
    return true;
}

// Floor of each lane, held to [-1, kWidth + 1], as Floor does.
__attribute__((target("avx2,fma"), always_inline)) inline __m128i FloorInLanes(__m256d column)
{
    const __m256d held = _mm256_min_pd(_mm256_max_pd(column, _mm256_set1_pd(-1.0)),
                                       _mm256_set1_pd(double(Canvas::kWidth + 1)));
    return _mm_sub_epi32(_mm256_cvttpd_epi32(_mm256_add_pd(held, _mm256_set1_pd(kShift))),
                         _mm_set1_epi32(int(kShift)));
}

__attribute__((target("avx2,fma"))) void QuadBound::BlockRangesInLanes(int first, int end, int rows,
                                                                       ColumnRange* out) const
{
    const __m256d starts = _mm256_mul_pd(_mm256_setr_pd(0, 1, 2, 3), _mm256_set1_pd(rows));
    const __m256d from = _mm256_max_pd(starts, _mm256_set1_pd(first));
    const __m256d to =
        _mm256_min_pd(_mm256_add_pd(starts, _mm256_set1_pd(rows)), _mm256_set1_pd(end));
    const __m256d top = _mm256_sub_pd(from, _mm256_set1_pd(kHalf));
    const __m256d bottom = _mm256_add_pd(to, _mm256_set1_pd(kHalf - 1));
    __m256d least = _mm256_set1_pd(Canvas::kWidth), most = _mm256_set1_pd(-1);
    for (const Edge& e : edges) {
        const __m256d y0 = _mm256_max_pd(_mm256_set1_pd(e.topY), top);
        const __m256d y1 = _mm256_min_pd(_mm256_set1_pd(e.bottomY), bottom);
        const __m256d meets = _mm256_cmp_pd(y0, y1, _CMP_LE_OQ);
        const __m256d topX = _mm256_set1_pd(e.topX), topY = _mm256_set1_pd(e.topY),
                      step = _mm256_set1_pd(e.step);
        const __m256d x0 = _mm256_add_pd(topX, _mm256_mul_pd(_mm256_sub_pd(y0, topY), step));
        const __m256d x1 = _mm256_add_pd(topX, _mm256_mul_pd(_mm256_sub_pd(y1, topY), step));
        least = _mm256_blendv_pd(least, _mm256_min_pd(least, _mm256_min_pd(x0, x1)), meets);
        most = _mm256_blendv_pd(most, _mm256_max_pd(most, _mm256_max_pd(x0, x1)), meets);
    }
    // Empty where no edge meets the rows, or the block has none.
    const __m256d some =
        _mm256_and_pd(_mm256_cmp_pd(least, most, _CMP_LE_OQ), _mm256_cmp_pd(from, to, _CMP_LT_OQ));
    const __m128i low = _mm_max_epi32(FloorInLanes(_mm256_add_pd(least, _mm256_set1_pd(1 - kHalf))),
                                      _mm_setzero_si128());
    const __m128i high = _mm_and_si128(
        _mm_min_epi32(_mm_add_epi32(FloorInLanes(_mm256_add_pd(most, _mm256_set1_pd(kHalf))),
                                    _mm_set1_epi32(1)),
                      _mm_set1_epi32(Canvas::kWidth)),
        _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(
            _mm256_castpd_si256(some), _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6))));
    alignas(16) int lows[4], highs[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lows), low);
    _mm_store_si128(reinterpret_cast<__m128i*>(highs), high);
    for (int i = 0; i < 4; ++i)
        out[i] = {lows[i], highs[i]};
}

} // namespace hyt::canvas_detail

namespace hyt {

// Rows y of the word, eight at a time from the first fresh one to the last,
// each lane masked to its row's fresh bit: no branch per row, which a
// column's few fresh rows would mispredict at its end. Each row's count of
// unset pixels falls by one, and a row that reaches none is wholly set.
__attribute__((target("avx512f,avx512vl,avx512bw"))) void
Canvas::SetColumnWordInLanes(int x, int part, std::uint64_t fresh, Pixel color)
{
    // All in locals: a store through one could otherwise be taken for a
    // change to the canvas's own pointers, read again at every step.
    std::uint64_t* const rowBits = setPixels.data() + std::size_t(x >> 6) * kHeight;
    int* const openCounts = openPixels.data();
    std::uint64_t& fullWord = fullRows[std::size_t(part)];
    Pixel* const column = pixels + x;
    const __m256i columnBit = _mm256_set1_epi64x(std::int64_t(std::uint64_t(1) << (x & 63)));
    // Pixel offsets of eight rows from the first, below one another.
    const __m256i down =
        _mm256_mullo_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), _mm256_set1_epi32(kWidth));
    const int last = 63 - __builtin_clzll(fresh);
    for (int bit = __builtin_ctzll(fresh) & ~7; bit <= last; bit += 8) {
        const int y = part * 64 + bit;
        const __mmask8 rows = __mmask8(fresh >> bit), upper = __mmask8(rows >> 4);
        _mm256_mask_storeu_epi64(
            rowBits + y, rows,
            _mm256_or_si256(_mm256_maskz_loadu_epi64(rows, rowBits + y), columnBit));
        _mm256_mask_storeu_epi64(
            rowBits + y + 4, upper,
            _mm256_or_si256(_mm256_maskz_loadu_epi64(upper, rowBits + y + 4), columnBit));
        int* const open = openCounts + y;
        const __m256i left =
            _mm256_sub_epi32(_mm256_maskz_loadu_epi32(rows, open), _mm256_set1_epi32(1));
        _mm256_mask_storeu_epi32(open, rows, left);
        const __mmask8 full = _mm256_mask_cmpeq_epi32_mask(rows, left, _mm256_setzero_si256());
        if (full != 0)
            fullWord |= std::uint64_t(full) << bit;
        _mm256_mask_i32scatter_epi32(column + std::size_t(y) * kWidth, rows, down,
                                     _mm256_set1_epi32(int(color)), 4);
    }
}

} // namespace hyt
