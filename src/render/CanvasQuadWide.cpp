// Canvas: a mesh cell wholly on the canvas where the processor has eight
// lanes (AVX2), for callers not compiled for them, and the fill of a cell
// whose rows zigzag, out of the cell path's line.
#include "render/CanvasQuadWide.h"

namespace hyt {

__attribute__((target("avx2,fma"))) bool Canvas::QuadOnCanvasWide(const POINT* corners,
                                                                  unsigned segments)
{
    return QuadOnCanvasLanes(corners, segments);
}

namespace {

// Each half of v, its four lanes sorted: a network of three exchanges, each
// lane of a pair taking the least or the most of it as its place says.
__attribute__((target("avx2,fma"), always_inline)) inline __m256 SortHalves(__m256 v)
{
    __m256 other = _mm256_permute_ps(v, _MM_SHUFFLE(2, 3, 0, 1));
    v = _mm256_blend_ps(_mm256_min_ps(v, other), _mm256_max_ps(v, other), 0b10101010);
    other = _mm256_permute_ps(v, _MM_SHUFFLE(1, 0, 3, 2));
    v = _mm256_blend_ps(_mm256_min_ps(v, other), _mm256_max_ps(v, other), 0b11001100);
    other = _mm256_permute_ps(v, _MM_SHUFFLE(3, 1, 2, 0));
    return _mm256_blend_ps(_mm256_min_ps(v, other), _mm256_max_ps(v, other), 0b01000100);
}

} // namespace

// A row of a zigzag cell crosses two of its edges or four, and its sorted
// crossings pair up into spans, as in the general fill; an edge that does not
// cross the row is pushed past the end, so that a pair after the real ones is
// empty. A cell at most eight pixels wide writes each row as the eight pixels
// from its least column, masked to its spans, two rows at a time.
__attribute__((target("avx2,fma"))) void Canvas::FillZigzagWide(const POINT* corners, int firstRow,
                                                                int endRow, int minX, int maxX)
{
    using namespace canvas_detail;
    if (maxX - minX > 8 || minX > kWidth - 8) {
        FillQuad(corners, firstRow, endRow, true, true);
        return;
    }
    const EdgeRows cell = EdgeRowsOf(LanesOfQuad(corners), firstRow);
    __m256 k = cell.k;
    const __m256 x =
        _mm256_add_ps(_mm256_set1_ps(float(minX)), _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7));
    const __m256i color = _mm256_set1_epi32(int(brush));
    int* at = reinterpret_cast<int*>(pixels + std::size_t(firstRow) * kWidth + minX);
    for (int row = firstRow; row < endRow;
         row += 2, k = _mm256_add_ps(k, _mm256_set1_ps(2.0f)), at += 2 * kWidth) {
        const Crossings rows = CrossingsOf(cell, k);
        alignas(32) float sorted[8];
        _mm256_store_ps(sorted, SortHalves(_mm256_add_ps(rows.column, rows.away)));
        for (int half = 0; half < 2; ++half) {
            const float* c = sorted + 4 * half;
            auto span = [&](int from) __attribute__((target("avx2,fma"), always_inline))
            {
                return _mm256_and_ps(
                    _mm256_cmp_ps(x, _mm256_broadcast_ss(c + from), _CMP_GE_OQ),
                    _mm256_cmp_ps(x, _mm256_broadcast_ss(c + from + 1), _CMP_LT_OQ));
            };
            _mm256_maskstore_epi32(at + half * kWidth,
                                   _mm256_castps_si256(_mm256_or_ps(span(0), span(2))), color);
        }
    }
}

} // namespace hyt
