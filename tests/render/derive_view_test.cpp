// DeriveView projects the vertices two at a time, one per lane of a pair of
// doubles: a second copy of ProjectPoint. Over random views, extreme ones
// included, every projection and every colour must be ProjectPoint's and
// ColorIndex's to the bit (a NaN may be another NaN), and the height range
// a plain scan's, down to the sign of a zero. RedrawSurface takes the
// pixels in that same pass, DrawMesh from the scene: the pictures must agree.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>

#include <gtest/gtest.h>

#include "render/Camera.h"
#include "render/SurfaceRenderer.h"

using namespace hyt;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The same bits; any NaN equals any NaN, since which NaN an invalid
// operation yields depends on the order the compiler gives the operands of
// an addition or a product, not on the arithmetic.
::testing::AssertionResult Same(double got, double expected)
{
    if ((std::isnan(got) && std::isnan(expected)) ||
        std::bit_cast<std::uint64_t>(got) == std::bit_cast<std::uint64_t>(expected))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << got << " instead of " << expected;
}

// A double of any magnitude and sign, now and then one that is not finite.
double AnyDouble(std::mt19937_64& random)
{
    switch (random() % 16) {
    case 0:
        return kNaN;
    case 1:
        return (random() % 2) ? kInf : -kInf;
    case 2:
        return (random() % 2) ? 0.0 : -0.0;
    case 3:
        return std::bit_cast<double>(random() & 0x800FFFFFFFFFFFFFu); // subnormal
    default: {
        const double exponent = double(int(random() % 640) - 320);
        const double mantissa = std::uniform_real_distribution<double>(-1.0, 1.0)(random);
        return mantissa * std::pow(10.0, exponent);
    }
    }
}

// A value near the usual scale of a view, now and then any double at all.
double ViewValue(std::mt19937_64& random, double scale)
{
    if (random() % 8 == 0)
        return AnyDouble(random);
    return std::uniform_real_distribution<double>(-scale, scale)(random);
}

// A random view: eye, up, zoom, z scale and heights, any of them extreme.
void RandomView(std::mt19937_64& random, SceneState& scene)
{
    ResetView(scene, nullptr);
    scene.eye = {ViewValue(random, 300), ViewValue(random, 300), ViewValue(random, 300)};
    scene.up = {ViewValue(random, 1), ViewValue(random, 1), ViewValue(random, 1)};
    scene.zoomLevel = (random() % 4 == 0) ? AnyDouble(random) : double(random() % 51);
    scene.zScale = (random() % 4 == 0) ? AnyDouble(random) : 1.0;
    // Heights on a common scale, with odd ones scattered or everywhere.
    const double scale = std::pow(10.0, double(int(random() % 12) - 3));
    const int oddShare = int(random() % 4); // none, few, many, all
    for (double& h : scene.heights) {
        const bool odd =
            oddShare == 3 || (oddShare > 0 && random() % (oddShare == 1 ? 97 : 3) == 0);
        h = odd ? AnyDouble(random) : std::uniform_real_distribution<double>(-scale, scale)(random);
    }
}

} // namespace

TEST(DeriveView, PairedProjectionIsProjectPointBitForBit)
{
    std::mt19937_64 random(0x5eed0fu);
    auto scene = std::make_unique<SceneState>();
    auto frameScene = std::make_unique<SceneState>();
    auto narrowScene = std::make_unique<SceneState>();
    int soundFrames = 0;
    for (int view = 0; view < 400; ++view) {
        RandomView(random, *scene);

        // The frame as DeriveView will find it.
        *frameScene = *scene;
        const bool sound = UpdateCameraFrame(*frameScene);
        soundFrames += sound;

        // Two vertices at a time, and four where the processor has them.
        *narrowScene = *scene;
        DeriveView(*narrowScene, false);
        DeriveView(*scene);
        const auto& narrowVertices = narrowScene->vertices;
        const auto& narrowColors = narrowScene->vertexColor;
        SCOPED_TRACE(testing::Message() << "view " << view);
        // The range over the finite heights, the first of equal ones (which
        // zero) kept, as a plain scan finds it.
        double minHeight = 0.0, maxHeight = 0.0;
        bool any = false;
        for (double h : scene->heights) {
            if (!std::isfinite(h))
                continue;
            if (!any || h < minHeight)
                minHeight = h;
            if (!any || h > maxHeight)
                maxHeight = h;
            any = true;
        }
        ASSERT_TRUE(Same(scene->minHeight, minHeight));
        ASSERT_TRUE(Same(scene->maxHeight, maxHeight));
        for (int k = 0; k < kVertexCount; ++k) {
            const Vec3 model{scene->zScale * scene->heights[k], double(k / kGridSize) - 50.0,
                             double(k % kGridSize) - 50.0};
            const ProjectedPoint expected =
                sound ? ProjectPoint(*frameScene, model) : ProjectedPoint{};
            const int index = ColorIndex(scene->heights[k], scene->minHeight, scene->maxHeight);
            for (const bool wide : {true, false}) {
                const Vec3& got = (wide ? scene->vertices : narrowVertices)[std::size_t(k)];
                ASSERT_TRUE(Same(got.x, expected.screenX)) << "vertex " << k << " wide " << wide;
                ASSERT_TRUE(Same(got.y, expected.screenY)) << "vertex " << k << " wide " << wide;
                ASSERT_TRUE(Same(got.z, expected.visible)) << "vertex " << k << " wide " << wide;
                ASSERT_EQ((wide ? scene->vertexColor : narrowColors)[std::size_t(k)],
                          scene->palette[std::size_t(index)])
                    << "vertex " << k << " wide " << wide;
            }
        }
    }
    // The views must exercise the projection, not only the frame's refusal.
    EXPECT_GT(soundFrames, 200);
}

TEST(DeriveView, RedrawTakesThePixelsDrawMeshTakesFromTheScene)
{
    std::mt19937_64 random(0xd1a9u);
    auto scene = std::make_unique<SceneState>();
    auto redrawn = std::make_unique<Canvas>();
    auto meshed = std::make_unique<Canvas>();
    SurfaceRenderer redrawing, meshing;
    int pictures = 0;
    for (int view = 0; view < 120; ++view) {
        RandomView(random, *scene);
        scene->colorMode = std::uint8_t(view % 2);
        redrawing.RedrawSurface(*scene, *redrawn);
        meshing.DrawMesh(*scene, *meshed);
        const Canvas::Pixel* a = redrawn->Pixels();
        const Canvas::Pixel* b = meshed->Pixels();
        const std::size_t size = std::size_t(Canvas::kWidth) * Canvas::kHeight;
        ASSERT_TRUE(std::equal(a, a + size, b)) << "view " << view;
        pictures += std::count(a, a + size, Canvas::ToPixel(Rgb(0, 0, 0))) != std::ptrdiff_t(size);
    }
    // Enough of the views must draw something for the comparison to mean anything.
    EXPECT_GT(pictures, 30);
}

TEST(DeriveView, ZeroEndOfTheRangeIsTheFirstZero)
{
    // Two zeros of opposite sign, the first at an odd vertex and the second
    // at an even one: taking the range two vertices at a time must still
    // keep the first, as a plain scan does.
    struct Row {
        const char* name;
        double others;
        double first, second; // at vertices 1 and 2
        double minHeight, maxHeight;
    } rows[] = {
        {"minus_zero_lowest", 5.0, -0.0, 0.0, -0.0, 5.0},
        {"plus_zero_lowest", 5.0, 0.0, -0.0, 0.0, 5.0},
        {"minus_zero_highest", -5.0, -0.0, 0.0, -5.0, -0.0},
        {"plus_zero_highest", -5.0, 0.0, -0.0, -5.0, 0.0},
    };
    auto scene = std::make_unique<SceneState>();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ResetView(*scene, nullptr);
        scene->zScale = 1.0;
        scene->heights.fill(row.others);
        scene->heights[1] = row.first;
        scene->heights[2] = row.second;
        DeriveView(*scene);
        EXPECT_TRUE(Same(scene->minHeight, row.minHeight));
        EXPECT_TRUE(Same(scene->maxHeight, row.maxHeight));
    }
}
