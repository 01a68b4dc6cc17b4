// The four edges of a cell wholly on the canvas in the four lanes of one
// vector, as both fills of such a cell use them (CanvasFill.cpp and
// CanvasFillWide.cpp). Internal to render/.
#pragma once

#include <emmintrin.h>

#include "base/Types.h"

namespace hyt::canvas_detail {

// The ceiling of a quotient q: q + 1/2 - 2^-10 rounded to the nearest whole
// number, by adding and taking away 3 * 2^22, where floats are one apart for
// any q within 2^22 of 0. The quotient's rounding and this one's, below
// 2^-12 together, keep a whole q below the half way and any other above it.
// Where the processor fuses a multiply and an add, the column is instead
// the fused topX + q + 1/2 - 2^-10 rounded to the nearest: the product is
// then exact, and the one rounding below 2^-13 (the sum stays below 2^11).
constexpr float kJustBelowHalf = 0.5f - 1.0f / 1024;
constexpr float kRoundingShift = float(3 << 22);
// Added to an edge's column on a row it does not cross, to push it out of
// the least and the most.
constexpr float kFar = float(1 << 20);

struct QuadLanes {
    __m128 slope;             // columns per row down the edge; 0 for a level edge
    __m128 dy;                // rows the edge crosses
    __m128 topY;              // row of its upper end
    __m128 topXBelowShift;    // column of its upper end, less kRoundingShift
    __m128 topXJustBelowHalf; // column of its upper end, plus kJustBelowHalf
    bool zigzag;              // rows run down, up, down and up round it
};

// Lane i: the edge from corner i to corner i + 1, from its upper end.
__attribute__((always_inline)) inline QuadLanes LanesOfQuad(const POINT* corners)
{
    static_assert(sizeof(POINT) == 8, "corners are pairs of 32-bit integers");
    const __m128 front =
        _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(corners)));
    const __m128 back =
        _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(corners + 2)));
    const __m128i xi = _mm_castps_si128(_mm_shuffle_ps(front, back, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m128i yi = _mm_castps_si128(_mm_shuffle_ps(front, back, _MM_SHUFFLE(3, 1, 3, 1)));
    const __m128 x = _mm_cvtepi32_ps(xi);
    const __m128 y = _mm_cvtepi32_ps(yi);
    const __m128 xNext = _mm_cvtepi32_ps(_mm_shuffle_epi32(xi, _MM_SHUFFLE(0, 3, 2, 1)));
    const __m128 yNext = _mm_cvtepi32_ps(_mm_shuffle_epi32(yi, _MM_SHUFFLE(0, 3, 2, 1)));
    const __m128 down = _mm_cmplt_ps(y, yNext);
    // Edges down, up, down and up round it, none level.
    const int downs = _mm_movemask_ps(down);
    const bool zigzag =
        (downs == 0b0101 || downs == 0b1010) && _mm_movemask_ps(_mm_cmpeq_ps(y, yNext)) == 0;
    auto select = [](__m128 mask, __m128 a, __m128 b) {
        return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
    };
    const __m128 topX = select(down, x, xNext);
    const __m128 topY = _mm_min_ps(y, yNext);
    const __m128 dx = _mm_sub_ps(select(down, xNext, x), topX);
    const __m128 dy = _mm_sub_ps(_mm_max_ps(y, yNext), topY);
    // A level edge crosses no row.
    const __m128 slope = _mm_div_ps(dx, _mm_max_ps(dy, _mm_set1_ps(1.0f)));
    return {slope,
            dy,
            topY,
            _mm_sub_ps(topX, _mm_set1_ps(kRoundingShift)),
            _mm_add_ps(topX, _mm_set1_ps(kJustBelowHalf)),
            zigzag};
}

} // namespace hyt::canvas_detail
