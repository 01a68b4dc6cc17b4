// DeriveView: camera frame, height range, model points with their
// projections and colours, all written to the scene; for a redraw, each
// vertex's pixel too, in the same pass.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "render/Camera.h"
#include "render/Canvas.h"
#include "render/RendererScratch.h"

namespace hyt {

namespace {

// Vertices in lanes of doubles: two, the x86-64 baseline (SSE2), or four
// where the processor has them (AVX2), the same code compiled for each. Each
// lane does exactly the scalar operations of the model point, Project,
// ColorIndex and ToPixel, in the same order and rounding (no fused
// multiply-add), so every bit is theirs; only the lanes are new, and the
// terms that depend on the column alone, worked out once for all rows. Nothing
// that takes the four-lane vectors is ever called, so the note that their
// passing changes without AVX concerns no call.
#pragma GCC diagnostic ignored "-Wpsabi"

template <int N> struct Lanes {
    typedef double Real __attribute__((vector_size(8 * N)));
    typedef std::int64_t Mask __attribute__((vector_size(8 * N)));
    typedef std::int32_t Int __attribute__((vector_size(4 * N)));
    typedef std::uint8_t Byte __attribute__((vector_size(N)));
    typedef std::uint8_t MaskBytes __attribute__((vector_size(8 * N))); // a Mask's bytes
    static constexpr int kCount = N;
};

template <typename Real> struct LaneVec3 {
    Real x, y, z;
};

// v in every lane, by copies: 0.0 + v would turn a -0.0 into 0.0.
template <typename Real> Real Splat(double v)
{
    Real lanes;
    for (int i = 0; i < int(sizeof lanes / sizeof v); ++i)
        lanes[i] = v;
    return lanes;
}

template <typename Real> LaneVec3<Real> Splat(const Vec3& v)
{
    return {Splat<Real>(v.x), Splat<Real>(v.y), Splat<Real>(v.z)};
}

template <typename Real>
__attribute__((always_inline)) inline LaneVec3<Real> Subtract(const LaneVec3<Real>& a,
                                                              const LaneVec3<Real>& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

template <typename Real>
__attribute__((always_inline)) inline Real Dot(const LaneVec3<Real>& a, const LaneVec3<Real>& b)
{
    return a.z * b.z + a.y * b.y + a.x * b.x;
}

// The lanes where a mask is set keep value; the others are all zero bits.
template <typename L>
__attribute__((always_inline)) inline typename L::Real Keep(const typename L::Mask& mask,
                                                            const typename L::Real& value)
{
    return typename L::Real(mask & typename L::Mask(value));
}

// The lanes' vertices (x, y, z) one after another from out, by few shuffles
// rather than a store per value.
template <typename L>
__attribute__((always_inline)) inline void StoreVertices(double* out, const typename L::Real& x,
                                                         const typename L::Real& y,
                                                         const typename L::Real& z)
{
    if constexpr (L::kCount == 4) {
        // Each vertex's x and y in one store, from pairs that stay within
        // the halves of the vectors, and z alone: more stores, but a
        // fraction of the shuffles, which all take one port.
        typedef double Pair __attribute__((vector_size(16)));
        const auto evenXY = __builtin_shufflevector(x, y, 0, 4, 2, 6); // x0 y0 x2 y2
        const auto oddXY = __builtin_shufflevector(x, y, 1, 5, 3, 7);  // x1 y1 x3 y3
        const Pair xy[4] = {__builtin_shufflevector(evenXY, evenXY, 0, 1),
                            __builtin_shufflevector(oddXY, oddXY, 0, 1),
                            __builtin_shufflevector(evenXY, evenXY, 2, 3),
                            __builtin_shufflevector(oddXY, oddXY, 2, 3)};
        for (int i = 0; i < 4; ++i) {
            std::memcpy(out + 3 * i, &xy[i], sizeof xy[i]);
            out[3 * i + 2] = z[i];
        }
    } else {
        const typename L::Real first = __builtin_shufflevector(x, y, 0, 2);
        const typename L::Real second = __builtin_shufflevector(z, x, 0, 3);
        const typename L::Real third = __builtin_shufflevector(y, z, 1, 3);
        std::memcpy(out, &first, sizeof first);
        std::memcpy(out + 2, &second, sizeof second);
        std::memcpy(out + 4, &third, sizeof third);
    }
}

// The pixels of vertices k.. from their projections; seen is a lane mask.
// Truncation gives INT32_MIN for exactly what HasPixel refuses, so the
// point is ToPixel's either way.
template <typename L>
__attribute__((always_inline)) inline void
StorePixels(RendererScratch& s, int k, const typename L::Real& x, const typename L::Real& y,
            const typename L::Mask& seen)
{
    using Real = typename L::Real;
    const Real px = x + kPictureCenterX, py = y + kPictureCenterY;
    const typename L::Mask has = seen & (px > -2147483649.0) & (px < 2147483648.0) &
                                 (py > -2147483649.0) & (py < 2147483648.0);
    const typename L::Int xi = __builtin_convertvector(px, typename L::Int);
    const typename L::Int yi = __builtin_convertvector(py, typename L::Int);
    if constexpr (L::kCount == 4) {
        // Two halves, each a shuffle within its 16 bytes.
        const auto low = __builtin_shufflevector(xi, yi, 0, 4, 1, 5);
        const auto high = __builtin_shufflevector(xi, yi, 2, 6, 3, 7);
        std::memcpy(static_cast<void*>(s.points + k), &low, sizeof low);
        std::memcpy(static_cast<void*>(s.points + k + 2), &high, sizeof high);
    } else {
        const auto points = __builtin_shufflevector(xi, yi, 0, 2, 1, 3);
        std::memcpy(static_cast<void*>(s.points + k), &points, sizeof points);
    }
    // The low byte of each lane's mask, picked as bytes: narrowing each lane
    // in turn takes several times the instructions.
    const typename L::MaskBytes bytes = typename L::MaskBytes(has);
    typename L::Byte visible;
    if constexpr (L::kCount == 4)
        visible = __builtin_shufflevector(bytes, bytes, 0, 8, 16, 24);
    else
        visible = __builtin_shufflevector(bytes, bytes, 0, 8);
    visible &= 1;
    std::memcpy(s.visible + k, &visible, sizeof visible);
}

// Each colour as a pixel, once for every cell that takes it as its brush.
void ConvertColours(const std::array<COLORREF, kVertexCount>& colours,
                    std::array<Canvas::Pixel, kVertexCount>& pixels)
{
    for (int k = 0; k < kVertexCount; ++k)
        pixels[std::size_t(k)] = Canvas::ToPixel(colours[std::size_t(k)]);
}

} // namespace

// The pixels of what DeriveView left in the scene.
void ConvertVertices(const SceneState& scene, RendererScratch& s)
{
    ConvertColours(scene.vertexColor, s.sceneBrushes);
    s.brushes = s.sceneBrushes.data();
    using L = Lanes<2>;
    for (int k = 0; k < kVertexCount; k += 2) {
        const Vec3 &a = scene.vertices[std::size_t(k)], &b = scene.vertices[std::size_t(k + 1)];
        StorePixels<L>(s, k, L::Real{a.x, b.x}, L::Real{a.y, b.y}, L::Real{a.z, b.z} != 0.0);
    }
}

namespace {

// colours: also each vertex's colour, from the height range in the scene.
template <typename L, bool toPixels, bool colours>
__attribute__((always_inline)) inline void ProjectVerticesIn(SceneState& scene, RendererScratch* s)
{
    using Real = typename L::Real;
    using Mask = typename L::Mask;
    constexpr int kCount = L::kCount;
    const ProjectionFrame f = TakeProjectionFrame(scene);
    const LaneVec3<Real> eye = Splat<Real>(f.eye), planeCenter = Splat<Real>(f.planeCenter),
                         toEye = Splat<Real>(f.toEye), right = Splat<Real>(f.right),
                         up = Splat<Real>(f.up), eyeToPlaneCenter = Splat<Real>(f.eyeToPlaneCenter);
    const double zoomLevel = f.zoomLevel, zScale = scene.zScale;
    const double minHeight = scene.minHeight, range = scene.maxHeight - scene.minHeight;
    // |h| < limit: finite, and never on a flat grid.
    const double colorLimit =
        scene.maxHeight == minHeight ? 0.0 : std::numeric_limits<double>::infinity();
    // What depends only on the column, once for every row: each dot product
    // below is (z + y) + x, its z term a column's.
    constexpr int kGroups = kGridSize / kCount;
    struct ColumnTerms {
        Real pz, dz, seenZ, numeratorZ, denominatorZ;
    } columns[kGroups];
    for (int g = 0; g < kGroups; ++g) {
        Real column;
        for (int i = 0; i < kCount; ++i)
            column[i] = double(g * kCount + i);
        ColumnTerms& c = columns[g];
        c.pz = column - 50.0;
        c.dz = eye.z - c.pz;
        c.seenZ = c.dz * eyeToPlaneCenter.z;
        c.numeratorZ = toEye.z * (planeCenter.z - c.pz);
        c.denominatorZ = toEye.z * c.dz;
    }
    double* out = reinterpret_cast<double*>(scene.vertices.data());
    for (int row = 0; row < kGridSize; ++row) {
        const Real y = Splat<Real>(double(row) - 50.0);
        const Real dy = eye.y - y;
        const Real seenY = dy * eyeToPlaneCenter.y, numeratorY = toEye.y * (planeCenter.y - y),
                   denominatorY = toEye.y * dy;
        for (int g = 0; g < kGroups; ++g) {
            const int k = row * kGridSize + g * kCount;
            const ColumnTerms& c = columns[g];
            Real h;
            std::memcpy(&h, &scene.heights[std::size_t(k)], sizeof h);
            // Project, lane by lane.
            const Real px = zScale * h;
            const LaneVec3<Real> d{eye.x - px, dy, c.dz};
            const Mask seen = (c.seenZ + seenY) + d.x * eyeToPlaneCenter.x > 0.0;
            const Real t = ((c.numeratorZ + numeratorY) + toEye.x * (planeCenter.x - px)) /
                           ((c.denominatorZ + denominatorY) + toEye.x * d.x);
            const LaneVec3<Real> q{px + t * d.x, y + t * d.y, c.pz + t * d.z};
            const LaneVec3<Real> offset = Subtract(
                LaneVec3<Real>{zoomLevel * q.x, zoomLevel * q.y, zoomLevel * q.z}, planeCenter);
            // A hidden vertex is (0, 0, 0): the mask clears every bit.
            const Real screenX = Keep<L>(seen, Dot(offset, right));
            const Real screenY = Keep<L>(seen, Dot(offset, up));
            const Real shown = Keep<L>(seen, Splat<Real>(1.0));
            StoreVertices<L>(out + 3 * k, screenX, screenY, shown);
            if constexpr (toPixels)
                StorePixels<L>(*s, k, screenX, screenY, seen);
            if constexpr (!colours)
                continue;
            // ColorIndex: a NaN quotient fails q > 0 and goes to 0 as there.
            Real quotient = ((h - minHeight) * 254.0) / range;
            quotient = quotient > 0.0 ? quotient : 0.0;
            quotient = quotient < 254.0 ? quotient : 254.0;
            const Mask colored = (h < colorLimit) & (h > -colorLimit);
            const typename L::Int index =
                __builtin_convertvector(Keep<L>(colored, quotient), typename L::Int);
            for (int i = 0; i < kCount; ++i)
                scene.vertexColor[std::size_t(k + i)] = scene.palette[std::size_t(index[i])];
        }
    }
}

template <bool toPixels, bool colours>
void ProjectVerticesNarrow(SceneState& scene, RendererScratch* s)
{
    ProjectVerticesIn<Lanes<2>, toPixels, colours>(scene, s);
}

template <bool toPixels, bool colours>
__attribute__((target("avx2"))) void ProjectVerticesWide(SceneState& scene, RendererScratch* s)
{
    ProjectVerticesIn<Lanes<4>, toPixels, colours>(scene, s);
}

template <bool toPixels, bool colours>
void ProjectVertices(SceneState& scene, RendererScratch* s, bool wide)
{
    if (wide && Canvas::HasWideLanes())
        ProjectVerticesWide<toPixels, colours>(scene, s);
    else
        ProjectVerticesNarrow<toPixels, colours>(scene, s);
}

// The least and greatest finite height; both the first finite one where a
// NaN or an infinity could decide them, and 0 when there is none.
void FindHeightRange(const std::array<double, kVertexCount>& heights, double& least,
                     double& greatest)
{
    // Nothing but a finite height can be placed on the colour scale.
    const auto firstFinite =
        std::find_if(heights.begin(), heights.end(), [](double h) { return std::isfinite(h); });
    double minHeight = firstFinite == heights.end() ? 0.0 : *firstFinite;
    double maxHeight = minHeight;
    if (firstFinite != heights.end()) {
        // In pairs first, passing over a NaN: it fails the comparison, so
        // the bound stays. An infinity, or a zero (whose sign depends on
        // which comes first), sends the range to the plain loop.
        using Pair = Lanes<2>::Real;
        Pair low = Splat<Pair>(minHeight), high = low;
        for (int k = 0; k < kVertexCount; k += 2) {
            Pair h;
            std::memcpy(&h, &heights[std::size_t(k)], sizeof h);
            low = h < low ? h : low;
            high = h > high ? h : high;
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
    least = minHeight;
    greatest = maxHeight;
}

// Whether the frame was sound, and so the pixels taken when toPixels. The
// height range and colours come from the renderer's scratch, when there is
// one and it holds them for these heights and this palette.
template <bool toPixels> bool DeriveViewWith(SceneState& scene, RendererScratch* s, bool wide)
{
    const bool frameSound = UpdateCameraFrame(scene);
    HeightColours* known = s == nullptr ? nullptr : &s->colours;
    // Bit for bit: a NaN must match itself, and 0.0 must not match -0.0.
    const bool kept =
        known != nullptr && known->known &&
        std::memcmp(known->heights.data(), scene.heights.data(), sizeof scene.heights) == 0 &&
        std::memcmp(known->palette.data(), scene.palette.data(), sizeof scene.palette) == 0;
    if (kept) {
        scene.minHeight = known->minHeight;
        scene.maxHeight = known->maxHeight;
        scene.vertexColor = known->vertexColor;
    } else {
        FindHeightRange(scene.heights, scene.minHeight, scene.maxHeight);
    }

    if (frameSound && kept) {
        ProjectVertices<toPixels, false>(scene, s, wide);
    } else if (frameSound) {
        ProjectVertices<toPixels, true>(scene, s, wide);
    } else {
        // Without a sound frame nothing is in front of the eye.
        scene.vertices.fill({0.0, 0.0, 0.0});
        const double minHeight = scene.minHeight, maxHeight = scene.maxHeight;
        if (!kept)
            for (int k = 0; k < kVertexCount; ++k)
                scene.vertexColor[k] =
                    scene.palette[ColorIndex(scene.heights[k], minHeight, maxHeight)];
    }

    if (known != nullptr && !kept) {
        known->known = true;
        known->minHeight = scene.minHeight;
        known->maxHeight = scene.maxHeight;
        known->heights = scene.heights;
        known->palette = scene.palette;
        known->vertexColor = scene.vertexColor;
        ConvertColours(known->vertexColor, known->brushes);
    }
    if (known != nullptr)
        s->brushes = known->brushes.data();
    return frameSound;
}
} // namespace

void DeriveView(SceneState& scene, bool inFourLanes)
{
    DeriveViewWith<false>(scene, nullptr, inFourLanes);
}

bool DeriveViewTakingPixels(SceneState& scene, RendererScratch& s)
{
    return DeriveViewWith<true>(scene, &s, true);
}

} // namespace hyt
