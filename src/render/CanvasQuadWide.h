// Canvas: a mesh cell wholly on the canvas where the processor has eight
// lanes (AVX2): its bounds, and its outline's short segments, worked out for
// all four corners at once, then its fill and outline as Quad draws them.
// Inline, so that a loop over the cells compiled for AVX2 sets its constants
// up once. Internal to render/.
#pragma once

#include <immintrin.h>

#include "render/Canvas.h"
#include "render/CanvasQuadLanes.h"
#include "render/CanvasShortSegments.h"
#include "render/CanvasSpan.h"

namespace hyt {

namespace canvas_detail {

// A cell's four edges in each half of eight lanes: the low half for a row k
// counted from each edge's upper end, the high half for row k + 1.
struct EdgeRows {
    __m256 slope, dy, topXJustBelowHalf, far;
    __m256 k; // rows firstRow and firstRow + 1
};

__attribute__((target("avx2,fma"), always_inline)) inline EdgeRows
EdgeRowsOf(const QuadLanes& lanes, int firstRow)
{
    const __m128 k0 = _mm_sub_ps(_mm_set1_ps(float(firstRow)), lanes.topY);
    return {_mm256_set_m128(lanes.slope, lanes.slope), _mm256_set_m128(lanes.dy, lanes.dy),
            _mm256_set_m128(lanes.topXJustBelowHalf, lanes.topXJustBelowHalf), _mm256_set1_ps(kFar),
            _mm256_set_m128(_mm_add_ps(k0, _mm_set1_ps(1.0f)), k0)};
}

// Each edge's column on rows k and k + 1, fused (see kJustBelowHalf), and
// kFar where the edge does not cross the row, 0 where it does.
struct Crossings {
    __m256 column, away;
};

__attribute__((target("avx2,fma"), always_inline)) inline Crossings CrossingsOf(const EdgeRows& e,
                                                                                __m256 k)
{
    const __m256 column = _mm256_round_ps(_mm256_fmadd_ps(k, e.slope, e.topXJustBelowHalf),
                                          _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    const __m256 crosses = _mm256_and_ps(_mm256_cmp_ps(k, _mm256_setzero_ps(), _CMP_GE_OQ),
                                         _mm256_cmp_ps(k, e.dy, _CMP_LT_OQ));
    return {column, _mm256_andnot_ps(crosses, e.far)};
}

} // namespace canvas_detail

// FillQuadOnCanvas in eight lanes, two rows at a time. A cell at most eight
// pixels wide, the usual one, writes each row as the eight pixels from its
// least column, masked to those between the row's crossings: no span is
// taken out of the lanes, and no branch guesses a width. A wider cell writes
// each short span in one masked store, which touches no pixel outside it.
__attribute__((target("avx2,fma"), always_inline)) inline void
Canvas::FillQuadOnCanvasWide(const POINT* corners, int firstRow, int endRow, int minX, int maxX)
{
    using namespace canvas_detail;
    const QuadLanes lanes = LanesOfQuad(corners);
    if (lanes.zigzag) {
        FillZigzagWide(corners, firstRow, endRow, minX, maxX);
        return;
    }
    const EdgeRows cell = EdgeRowsOf(lanes, firstRow);
    __m256 k = cell.k;
    // Rows k and k + 1: in each half, lane 0 the least column of the row's
    // span and lane 2 the negated end of it.
    auto spanBounds = [&](__m256 rowK) __attribute__((target("avx2,fma"), always_inline))
    {
        const Crossings rows = CrossingsOf(cell, rowK);
        const __m256 left = _mm256_add_ps(rows.column, rows.away);
        const __m256 notRight = _mm256_sub_ps(rows.away, rows.column);
        __m256 least = _mm256_min_ps(_mm256_shuffle_ps(left, notRight, _MM_SHUFFLE(1, 0, 1, 0)),
                                     _mm256_shuffle_ps(left, notRight, _MM_SHUFFLE(3, 2, 3, 2)));
        return _mm256_min_ps(least, _mm256_shuffle_ps(least, least, _MM_SHUFFLE(2, 3, 0, 1)));
    };
    const __m256i color = _mm256_set1_epi32(int(brush));
    if (maxX - minX <= 8 && minX <= kWidth - 8) {
        // Pixel x of the eight is filled when least <= x < end. On a row
        // past the last, odd ones out, no edge crosses, and nothing is.
        const __m256 x =
            _mm256_add_ps(_mm256_set1_ps(float(minX)), _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7));
        const __m256 negX = _mm256_sub_ps(_mm256_setzero_ps(), x);
        int* at = reinterpret_cast<int*>(pixels + std::size_t(firstRow) * kWidth + minX);
        for (int row = firstRow; row < endRow;
             row += 2, k = _mm256_add_ps(k, _mm256_set1_ps(2.0f)), at += 2 * kWidth) {
            // Each bound is broadcast from memory: a load, where taking it
            // from the register would add four more shuffles to the three
            // the bounds already cost, all on one port.
            alignas(32) float bounds[8];
            _mm256_store_ps(bounds, spanBounds(k));
            const __m256 mask0 =
                _mm256_and_ps(_mm256_cmp_ps(x, _mm256_broadcast_ss(&bounds[0]), _CMP_GE_OQ),
                              _mm256_cmp_ps(negX, _mm256_broadcast_ss(&bounds[2]), _CMP_GT_OQ));
            const __m256 mask1 =
                _mm256_and_ps(_mm256_cmp_ps(x, _mm256_broadcast_ss(&bounds[4]), _CMP_GE_OQ),
                              _mm256_cmp_ps(negX, _mm256_broadcast_ss(&bounds[6]), _CMP_GT_OQ));
            _mm256_maskstore_epi32(at, _mm256_castps_si256(mask0), color);
            _mm256_maskstore_epi32(at + kWidth, _mm256_castps_si256(mask1), color);
        }
        return;
    }
    int spans[kHeight + 1][4]; // a row past the last when they are odd
    for (int row = firstRow; row < endRow; row += 2, k = _mm256_add_ps(k, _mm256_set1_ps(2.0f)))
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(spans[row]),
                            _mm256_cvttps_epi32(spanBounds(k)));
    const __m256i lanesOfEight = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    for (int row = firstRow; row < endRow; ++row) {
        const int left = spans[row][0], width = -spans[row][2] - left;
        if (width > 8 || left > kWidth - 8) {
            FillSpan(row, left, left + width);
            continue;
        }
        auto* eight = reinterpret_cast<int*>(pixels + std::size_t(row) * kWidth + left);
        _mm256_maskstore_epi32(eight, _mm256_cmpgt_epi32(_mm256_set1_epi32(width), lanesOfEight),
                               color);
    }
}

__attribute__((target("avx2,fma"), always_inline)) inline bool
Canvas::QuadOnCanvasLanes(const POINT* corners, unsigned segments)
{
    using namespace canvas_detail;
    static_assert(sizeof(POINT) == 8, "corners are pairs of 32-bit integers");
    const __m128i front = _mm_loadu_si128(reinterpret_cast<const __m128i*>(corners));
    const __m128i back = _mm_loadu_si128(reinterpret_cast<const __m128i*>(corners + 2));
    // Lanes 0 and 1: the least (most) x and y of the four corners.
    __m128i least = _mm_min_epi32(front, back);
    __m128i most = _mm_max_epi32(front, back);
    least = _mm_min_epi32(least, _mm_unpackhi_epi64(least, least));
    most = _mm_max_epi32(most, _mm_unpackhi_epi64(most, most));
    const int minX = _mm_cvtsi128_si32(least), minY = _mm_extract_epi32(least, 1);
    const int maxX = _mm_cvtsi128_si32(most), maxY = _mm_extract_epi32(most, 1);
    if (minX < 0 || maxX >= kWidth || minY < windowTop || maxY >= windowEnd) {
        // Wholly off the canvas, as many cells of a close view are: nothing
        // of it can show. Partly on it: the paths that clip.
        return maxX < 0 || minX >= kWidth || maxY < windowTop || minY >= windowEnd;
    }
    Touch(minY, maxY + 1);
    if (minX < maxX && minY < maxY)
        FillQuadOnCanvasWide(corners, minY, maxY, minX, maxX);

    // Lane i: segment i, from corner i to corner i + 1.
    const __m128i x = _mm_castps_si128(
        _mm_shuffle_ps(_mm_castsi128_ps(front), _mm_castsi128_ps(back), _MM_SHUFFLE(2, 0, 2, 0)));
    const __m128i y = _mm_castps_si128(
        _mm_shuffle_ps(_mm_castsi128_ps(front), _mm_castsi128_ps(back), _MM_SHUFFLE(3, 1, 3, 1)));
    const __m128i dx = _mm_sub_epi32(_mm_shuffle_epi32(x, _MM_SHUFFLE(0, 3, 2, 1)), x);
    const __m128i dy = _mm_sub_epi32(_mm_shuffle_epi32(y, _MM_SHUFFLE(0, 3, 2, 1)), y);
    const __m128i reach = _mm_max_epi32(_mm_abs_epi32(dx), _mm_abs_epi32(dy));
    const unsigned shortLanes = unsigned(
        _mm_movemask_ps(_mm_castsi128_ps(_mm_cmplt_epi32(reach, _mm_set1_epi32(kShortReach + 1)))));
    alignas(16) int index[4], start[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(index),
                    _mm_add_epi32(_mm_mullo_epi32(dy, _mm_set1_epi32(kShortSide)),
                                  _mm_add_epi32(dx, _mm_set1_epi32(ShortIndex(0, 0)))));
    _mm_store_si128(reinterpret_cast<__m128i*>(start),
                    _mm_add_epi32(_mm_mullo_epi32(y, _mm_set1_epi32(kWidth)), x));
    const Pixel color = pen; // a local: no pixel can be it
    for (unsigned bits = segments & 0xF; bits != 0; bits &= bits - 1) {
        const int i = __builtin_ctz(bits);
        if (shortLanes >> i & 1)
            StoreShortSegment(pixels + start[i], index[i], color);
        else
            DrawSegmentOnCanvas(corners[i], corners[(i + 1) & 3]);
    }
    return true;
}

__attribute__((target("avx2,fma"), always_inline)) inline void
Canvas::QuadInLanes(const POINT* corners, unsigned segments)
{
    if (corners != nullptr && QuadOnCanvasLanes(corners, segments))
        return;
    QuadAnywhere(corners, segments);
}

} // namespace hyt
