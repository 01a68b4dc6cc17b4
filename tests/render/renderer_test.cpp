// RedrawSurface: pixel positions of the reset view, drawing orders, colours,
// skipped cells and the degenerate views.
#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>

#include <gtest/gtest.h>

#include "render/SurfaceRenderer.h"
#include "scene/Examples.h"

using namespace hyt;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct Fixture {
    std::unique_ptr<SceneState> scene = std::make_unique<SceneState>();
    std::unique_ptr<Canvas> canvas = std::make_unique<Canvas>();
    SurfaceRenderer renderer;

    Fixture(double height = 0.0)
    {
        ResetView(*scene, nullptr);
        scene->zScale = 1.0;
        scene->heights.fill(height);
    }
    void Draw() { renderer.RedrawSurface(*scene, *canvas); }
    POINT PixelOf(int i, int j) const
    {
        const Vec3& v = scene->vertices[i * kGridSize + j];
        return {ToPixel(v.x + 336.0), ToPixel(v.y + 248.0)};
    }
    int CountShown(Canvas::Pixel color) const
    {
        int n = 0;
        for (int y = 0; y < Canvas::kShownHeight; ++y)
            for (int x = 0; x < Canvas::kShownWidth; ++x)
                n += canvas->PixelAt(x, y) == color;
        return n;
    }
};

constexpr Canvas::Pixel kBlack = Canvas::ToPixel(Rgb(0, 0, 0));
constexpr Canvas::Pixel kBlue = Canvas::ToPixel(Rgb(0, 0, 255));
constexpr Canvas::Pixel kRed = Canvas::ToPixel(Rgb(255, 0, 0));
constexpr Canvas::Pixel kGrey = Canvas::ToPixel(Rgb(50, 50, 50));

} // namespace

TEST(ToPixel, TruncatesTowardZeroAndMapsTheRestToIntMin)
{
    struct Row {
        double in;
        std::int32_t out;
    } rows[] = {
        {0.0, 0},
        {-0.5, 0},
        {-336.5 + 336.0, 0},
        {1.99, 1},
        {-1.99, -1},
        {2147483647.9, INT32_MAX},
        {-2147483648.9, INT32_MIN},
        {2147483648.0, INT32_MIN},
        {-2147483649.0, INT32_MIN},
        {1e300, INT32_MIN},
        {kNaN, INT32_MIN},
        {kInf, INT32_MIN},
        {-kInf, INT32_MIN},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ToPixel(row.in), row.out) << row.in;
}

TEST(ColorIndex, StaysWithinThePalette)
{
    struct Row {
        double h, min, max;
        int index;
    } rows[] = {
        {0, 0, 1, 0},
        {1, 0, 1, 254},
        {0.5, 0, 1, 127},
        {3, 3, 3, 0},
        {kNaN, 0, 1, 0},
        {kInf, 0, kInf, 0},
        {-kInf, -kInf, 1, 0},
        {1, kNaN, kNaN, 0},
        {1e308, -1e308, 1e308, 0},
        {5e-324, 0, 1e-323, 127},
    };
    for (const Row& row : rows) {
        const int index = ColorIndex(row.h, row.min, row.max);
        EXPECT_GE(index, 0);
        EXPECT_LE(index, 254);
        EXPECT_EQ(index, row.index) << row.h << " in " << row.min << ".." << row.max;
    }
}

TEST(DrawingOrder, Boundaries)
{
    struct Row {
        double y, z;
        DrawingOrder order;
    } rows[] = {
        {-194, 197, DrawingOrder::HighColumns}, // the reset eye
        {10, 3, DrawingOrder::HighRows},        {10, -3, DrawingOrder::HighRows},
        {5, 5, DrawingOrder::HighColumns},      {-5, -5, DrawingOrder::LowRows},
        {5, -5, DrawingOrder::LowColumns},      {-5, 5, DrawingOrder::HighColumns},
        {0, 0, DrawingOrder::HighColumns},      {-10, 3, DrawingOrder::LowRows},
        {3, -10, DrawingOrder::LowColumns},     {kNaN, 1, DrawingOrder::HighColumns},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ChooseDrawingOrder(row.y, row.z), row.order) << row.y << ", " << row.z;
}

TEST(RedrawSurface, FlatGridAtResetViewLandsOnKnownPixels)
{
    Fixture f;
    f.Draw();
    EXPECT_EQ(f.PixelOf(0, 0), (POINT{41, 254}));
    EXPECT_EQ(f.PixelOf(99, 99), (POINT{625, 241}));
    EXPECT_EQ(f.PixelOf(0, 99), (POINT{332, 391}));
    EXPECT_EQ(f.PixelOf(99, 0), (POINT{333, 155}));
    // A flat grid takes palette entry 0: pure blue, outlined in dark grey.
    EXPECT_EQ(f.scene->minHeight, 0.0);
    EXPECT_EQ(f.scene->maxHeight, 0.0);
    EXPECT_GT(f.CountShown(kBlue), 10000);
    EXPECT_GT(f.CountShown(kGrey), 1000);
    EXPECT_EQ(f.CountShown(kRed), 0);
    EXPECT_EQ(f.canvas->PixelAt(0, 0), kBlack);
    EXPECT_EQ(f.canvas->PixelAt(336, 248) == kBlue || f.canvas->PixelAt(336, 248) == kGrey, true);
}

TEST(RedrawSurface, PlainModeIsRedWithGreyOutlines)
{
    Fixture f;
    SelectExample(*f.scene, "Mandelbrot", nullptr);
    f.scene->colorMode = 0;
    f.Draw();
    int other = 0;
    for (int y = 0; y < Canvas::kShownHeight; ++y)
        for (int x = 0; x < Canvas::kShownWidth; ++x) {
            const Canvas::Pixel p = f.canvas->PixelAt(x, y);
            other += p != kRed && p != kGrey && p != kBlack;
        }
    EXPECT_EQ(other, 0);
    EXPECT_GT(f.CountShown(kRed), 10000);
    EXPECT_GT(f.CountShown(kGrey), 1000);
}

TEST(RedrawSurface, ColoursComeFromRawHeightsAndLowestCorner)
{
    Fixture f;
    for (int k = 0; k < kVertexCount; ++k)
        f.scene->heights[k] = k / kGridSize; // rises with the row
    f.scene->zScale = 0.25;
    f.Draw();
    EXPECT_EQ(f.scene->minHeight, 0.0);
    EXPECT_EQ(f.scene->maxHeight, 99.0);
    EXPECT_EQ(f.scene->vertexColor[0], f.scene->palette[0]);
    EXPECT_EQ(f.scene->vertexColor[9999], f.scene->palette[254]);
    EXPECT_EQ(f.scene->vertexColor[50 * kGridSize], f.scene->palette[128]); // 50*254/99
    // zScale changes the model but not the colours.
    const auto colours = f.scene->vertexColor;
    f.scene->zScale = 3.0;
    f.Draw();
    EXPECT_EQ(f.scene->vertexColor, colours);
}

TEST(RedrawSurface, LeavesSourceAndViewAlone)
{
    Fixture f;
    SelectExample(*f.scene, "sin(x)*sin(y)", nullptr);
    const auto heights = f.scene->heights;
    const Vec3 eye = f.scene->eye;
    f.Draw();
    f.Draw();
    EXPECT_EQ(f.scene->heights, heights);
    EXPECT_EQ(f.scene->zScale, 7.0);
    EXPECT_EQ(f.scene->zoomLevel, 25.0);
    EXPECT_EQ(eye.x, f.scene->eye.x);
    EXPECT_EQ(eye.z, f.scene->eye.z);
}

TEST(RedrawSurface, ZeroZoomShrinksEveryCornerToTheCentre)
{
    Fixture f;
    SelectExample(*f.scene, "sin(sqrt(x*x+y*y))", nullptr);
    f.scene->zoomLevel = 0.0;
    f.Draw();
    for (int k = 0; k < kVertexCount; ++k) {
        const Vec3& v = f.scene->vertices[k];
        ASSERT_EQ(v.z, 1.0);
        const POINT p = f.PixelOf(k / kGridSize, k % kGridSize);
        ASSERT_LE(std::abs(p.x - 336), 1);
        ASSERT_LE(std::abs(p.y - 248), 1);
    }
    EXPECT_LT(f.CountShown(kBlack), Canvas::kShownWidth * Canvas::kShownHeight);
    EXPECT_GT(f.CountShown(kBlack), Canvas::kShownWidth * Canvas::kShownHeight - 20);
}

TEST(RedrawSurface, CellWithAHiddenCornerIsLeftOut)
{
    // One vertex far above the eye's plane hides the four cells around it.
    Fixture f;
    f.scene->heights[50 * kGridSize + 50] = 1e6;
    f.Draw();
    EXPECT_EQ(f.scene->vertices[50 * kGridSize + 50].z, 0.0);
    Fixture whole;
    whole.Draw();
    // The hidden cells' interior, around the flat grid's centre, stays black.
    const POINT centre = whole.PixelOf(50, 50);
    EXPECT_EQ(f.canvas->PixelAt(centre.x, centre.y), kBlack);
    EXPECT_NE(whole.canvas->PixelAt(centre.x, centre.y), kBlack);
}

TEST(RedrawSurface, NothingVisibleIsAllBlack)
{
    Fixture f;
    f.scene->heights.fill(1e6); // every vertex behind the eye
    f.Draw();
    EXPECT_EQ(f.CountShown(kBlack), Canvas::kShownWidth * Canvas::kShownHeight);
}

TEST(RedrawSurface, DegenerateScenesDrawBlackAndStayFinite)
{
    // Before any source: the camera is all zero.
    auto scene = std::make_unique<SceneState>();
    auto canvas = std::make_unique<Canvas>();
    SurfaceRenderer renderer;
    renderer.RedrawSurface(*scene, *canvas);
    int black = 0;
    for (int y = 0; y < Canvas::kShownHeight; ++y)
        for (int x = 0; x < Canvas::kShownWidth; ++x)
            black += canvas->PixelAt(x, y) == kBlack;
    EXPECT_EQ(black, Canvas::kShownWidth * Canvas::kShownHeight);
    for (const Vec3& v : {scene->up, scene->right, scene->toEye, scene->planeCenter, scene->eye})
        EXPECT_TRUE(IsFinite(v));
    for (const Vec3& v : scene->vertices)
        ASSERT_TRUE(IsFinite(v));

    // Heights that are not numbers, infinite or huge.
    Fixture f;
    const double odd[] = {kNaN, kInf, -kInf, 1e308, -1e308, 5e-324, 1e20};
    for (int k = 0; k < kVertexCount; ++k)
        f.scene->heights[k] = (k % 3 == 0) ? odd[k % 7] : double(k % 17);
    f.Draw();
    for (int k = 0; k < kVertexCount; ++k) {
        bool inPalette = false;
        for (COLORREF c : f.scene->palette)
            inPalette = inPalette || c == f.scene->vertexColor[k];
        ASSERT_TRUE(inPalette) << k;
    }
}

TEST(DeriveView, HeightRangeAndColoursUseTheFiniteHeightsOnly)
{
    // Heights rising with the row, 0..99, and one that is not finite: one
    // such height must not squeeze every other colour into one end.
    struct Row {
        const char* name;
        int vertex;
        double height;
    } rows[] = {
        {"plus_infinity_amid", 5 * kGridSize + 5, kInf},
        {"minus_infinity_last", kVertexCount - 1, -kInf},
        {"nan_first", 0, kNaN},
    };
    Fixture ramp;
    for (int k = 0; k < kVertexCount; ++k)
        ramp.scene->heights[k] = k / kGridSize;
    ramp.Draw();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Fixture f;
        f.scene->heights = ramp.scene->heights;
        f.scene->heights[row.vertex] = row.height;
        f.Draw();
        EXPECT_EQ(f.scene->minHeight, 0.0);
        EXPECT_EQ(f.scene->maxHeight, 99.0);
        for (int k = 0; k < kVertexCount; ++k)
            ASSERT_EQ(f.scene->vertexColor[k],
                      k == row.vertex ? f.scene->palette[0] : ramp.scene->vertexColor[k])
                << k;
    }
    // Nothing finite: an empty range, and palette entry 0 everywhere.
    Fixture none(kNaN);
    for (int k = 0; k < kVertexCount; k += 3)
        none.scene->heights[k] = k % 2 ? kInf : -kInf;
    none.Draw();
    EXPECT_EQ(none.scene->minHeight, 0.0);
    EXPECT_EQ(none.scene->maxHeight, 0.0);
    for (COLORREF c : none.scene->vertexColor)
        ASSERT_EQ(c, none.scene->palette[0]);
}

TEST(RedrawSurface, ColoursFollowEveryChangeOfHeightsOrPalette)
{
    // One renderer keeps the colours of the heights it last drew; after each
    // change it must draw what a renderer that never drew before draws.
    Fixture kept;
    for (int k = 0; k < kVertexCount; ++k)
        kept.scene->heights[k] = k / kGridSize;
    const auto ramp = kept.scene->heights;
    const std::function<void(SceneState&)> changes[] = {
        [](SceneState&) {},
        [](SceneState& s) { s.heights[70 * kGridSize + 30] = 500.0; }, // a new top
        [](SceneState& s) { s.heights[70 * kGridSize + 30] = kNaN; },
        [](SceneState& s) { s.heights[9998] = 98.5; },
        [](SceneState& s) { s.palette[254] = Rgb(0, 255, 0); },
        [&](SceneState& s) { s.heights = ramp; },
    };
    int step = 0;
    for (const auto& change : changes) {
        SCOPED_TRACE(step++);
        change(*kept.scene);
        kept.Draw();
        Fixture fresh;
        fresh.scene->heights = kept.scene->heights;
        fresh.scene->palette = kept.scene->palette;
        fresh.Draw();
        EXPECT_EQ(kept.scene->minHeight, fresh.scene->minHeight);
        EXPECT_EQ(kept.scene->maxHeight, fresh.scene->maxHeight);
        EXPECT_TRUE(kept.scene->vertexColor == fresh.scene->vertexColor);
        EXPECT_TRUE(std::equal(kept.canvas->Pixels(),
                               kept.canvas->Pixels() + Canvas::kWidth * Canvas::kHeight,
                               fresh.canvas->Pixels()));
    }
}

TEST(DrawMesh, TakesTheScenesColoursNotThoseOfTheLastRedraw)
{
    // The renderer keeps the last redraw's colours; a picture drawn from the
    // scene must take the scene's, whatever a caller wrote there since.
    Fixture kept;
    for (int k = 0; k < kVertexCount; ++k)
        kept.scene->heights[k] = k / kGridSize;
    kept.Draw();
    for (int k = 0; k < kVertexCount; k += 2)
        kept.scene->vertexColor[k] = Rgb(0, 255, 0);
    kept.renderer.DrawMesh(*kept.scene, *kept.canvas);
    Fixture fresh;
    fresh.renderer.DrawMesh(*kept.scene, *fresh.canvas);
    EXPECT_GT(kept.CountShown(Canvas::ToPixel(Rgb(0, 255, 0))), 1000);
    EXPECT_TRUE(std::equal(kept.canvas->Pixels(),
                           kept.canvas->Pixels() + Canvas::kWidth * Canvas::kHeight,
                           fresh.canvas->Pixels()));
}

TEST(RedrawSurface, CellWithACornerWithoutAPixelIsLeftOutLikeAHiddenOne)
{
    // The reset view over a flat grid, plain; vertex (50, 50) raised so that
    // it is in front of the eye but has no pixel. The four cells around it
    // must be left out exactly as when the vertex is behind the eye, not
    // drawn as wedges to the picture's top-left corner.
    const Vec3 eye = kResetEye;
    struct Row {
        const char* name;
        double height;
    } rows[] = {
        // Visible (the product is +inf), but the projection is NaN.
        {"minus_infinity_projects_to_nan", -kInf},
        // A hair in front of the eye's plane: billions of pixels away.
        {"projects_past_int32", (Dot(eye, eye) - 1e-6) / eye.x},
    };
    constexpr int kVertex = 50 * kGridSize + 50;
    Fixture hidden;
    hidden.scene->colorMode = 0;
    hidden.scene->heights[kVertex] = 1e6; // behind the eye
    hidden.Draw();
    ASSERT_EQ(hidden.scene->vertices[kVertex].z, 0.0);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Fixture f;
        f.scene->colorMode = 0;
        f.scene->heights[kVertex] = row.height;
        f.Draw();
        ASSERT_EQ(f.scene->vertices[kVertex].z, 1.0);
        ASSERT_EQ(ToPixel(f.scene->vertices[kVertex].x + 336.0), INT32_MIN);
        for (int y = 0; y < Canvas::kHeight; ++y)
            for (int x = 0; x < Canvas::kWidth; ++x)
                ASSERT_EQ(f.canvas->PixelAt(x, y), hidden.canvas->PixelAt(x, y)) << x << "," << y;
    }
}
