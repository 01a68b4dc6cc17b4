// DeriveView: camera frame, height range, model points with their
// projections and colours, all written to the scene; for a redraw, each
// vertex's pixel too, in the same pass.
#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "render/Camera.h"
#include "render/RendererScratch.h"

namespace hyt {

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

} // namespace

// The pixels of what DeriveView left in the scene.
void ConvertVertices(const SceneState& scene, RendererScratch& s)
{
    for (int k = 0; k < kVertexCount; k += 2) {
        const Vec3 &a = scene.vertices[std::size_t(k)], &b = scene.vertices[std::size_t(k + 1)];
        StorePixels(s, k, Pair{a.x, b.x}, Pair{a.y, b.y}, _mm_cmpneq_pd(Pair{a.z, b.z}, Both(0.0)));
    }
}

namespace {

template <bool toPixels> void ProjectVertices(SceneState& scene, RendererScratch* s)
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
            scene.vertexColor[std::size_t(k)] =
                scene.palette[std::size_t(_mm_cvtsi128_si32(index))];
            scene.vertexColor[std::size_t(k + 1)] =
                scene.palette[std::size_t(_mm_cvtsi128_si32(_mm_srli_si128(index, 4)))];
            if constexpr (toPixels)
                StorePixels(*s, k, screenX, screenY, seen);
        }
    }
}

// Whether the frame was sound, and so the pixels taken when toPixels.
template <bool toPixels> bool DeriveViewWith(SceneState& scene, RendererScratch* s)
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
} // namespace

void DeriveView(SceneState& scene)
{
    DeriveViewWith<false>(scene, nullptr);
}

bool DeriveViewTakingPixels(SceneState& scene, RendererScratch& s)
{
    return DeriveViewWith<true>(scene, &s);
}

} // namespace hyt
