// The example surfaces against values worked out by hand from their
// definitions, and the label matching of SelectExample.
#include <cmath>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "scene/Examples.h"

using namespace hyt;

namespace {

double At(const SceneState& s, int i, int j)
{
    return s.heights[i * kGridSize + j];
}

struct Generated {
    std::unique_ptr<SceneState> scene = std::make_unique<SceneState>();
    double min = 0.0;
    double max = 0.0;
    explicit Generated(std::string_view label)
    {
        SelectExample(*scene, label, nullptr);
        min = max = scene->heights[0];
        for (double h : scene->heights) {
            min = std::min(min, h);
            max = std::max(max, h);
        }
    }
};

} // namespace

TEST(Examples, RadialSine)
{
    Generated g("sin(sqrt(x*x+y*y))");
    EXPECT_EQ(g.scene->zScale, 15.0);
    EXPECT_NEAR(At(*g.scene, 0, 0), 0.80726, 1e-5);
    EXPECT_DOUBLE_EQ(At(*g.scene, 0, 0), std::sin(std::sqrt(72.0)));
    EXPECT_NEAR(At(*g.scene, 0, 99), 0.854150, 1e-5);
    EXPECT_NEAR(At(*g.scene, 99, 0), 0.854150, 1e-5);
    // The running sums miss the origin by rounding: a tiny positive height.
    EXPECT_GT(At(*g.scene, 50, 50), 0.0);
    EXPECT_LT(At(*g.scene, 50, 50), 1e-14);
}

TEST(Examples, DampedWave)
{
    Generated g("sin(pi()+sqrt(x*x+y*y))/(sqrt(x*x+y*y)+1)");
    EXPECT_EQ(g.scene->zScale, 50.0);
    EXPECT_NEAR(At(*g.scene, 50, 50), 1.0, 1e-13);
    EXPECT_EQ(g.max, At(*g.scene, 50, 50));
    EXPECT_NEAR(g.min, -0.249, 1e-3);
}

TEST(Examples, SineProduct)
{
    Generated g("sin(x)*sin(y)");
    EXPECT_EQ(g.scene->zScale, 7.0);
    EXPECT_NEAR(At(*g.scene, 0, 0), std::sin(9.0) * std::sin(-9.0), 1e-14);
    EXPECT_NEAR(At(*g.scene, 0, 0), -0.16984, 1e-5);
}

TEST(Examples, SineTimesX)
{
    Generated g("sin(y)*x");
    EXPECT_EQ(g.scene->zScale, 1.0);
    for (int j = 0; j < kGridSize; ++j)
        EXPECT_LT(std::fabs(At(*g.scene, 50, j)), 2e-14) << "column " << j;
    const double pi = std::acos(-1.0);
    EXPECT_NEAR(At(*g.scene, 0, 99), std::sin(-3.92 * pi) * (-4.0 * pi), 1e-12);
    EXPECT_NEAR(At(*g.scene, 0, 99), -3.1251, 1e-4);
    EXPECT_NEAR(g.max, 12.54, 0.01);
    EXPECT_NEAR(g.min, -12.54, 0.01);
}

TEST(Examples, Mandelbrot)
{
    Generated g("Mandelbrot");
    EXPECT_EQ(g.scene->zScale, 0.15);
    EXPECT_DOUBLE_EQ(At(*g.scene, 0, 0), 25.0 * std::log(4.0));
    EXPECT_DOUBLE_EQ(At(*g.scene, 50, 50), 25.0 * std::log(256.0));
    // Every height is 25 ln k for a whole k in 4..256.
    for (double h : g.scene->heights) {
        const double k = std::exp(h / 25.0);
        ASSERT_NEAR(k, std::round(k), 1e-9);
        ASSERT_GE(std::round(k), 4.0);
        ASSERT_LE(std::round(k), 256.0);
    }
    EXPECT_DOUBLE_EQ(g.min, 25.0 * std::log(4.0));
}

TEST(Examples, SameChoiceTwiceGivesSameState)
{
    for (const ExampleSurface& example : kExamples) {
        Generated a(example.label);
        auto again = std::make_unique<SceneState>(*a.scene);
        again->eye = {1.0, 2.0, 3.0};
        again->zoomLevel = 7.0;
        SelectExample(*again, example.label, nullptr);
        EXPECT_EQ(again->heights, a.scene->heights) << example.label;
        EXPECT_EQ(again->zScale, a.scene->zScale) << example.label;
        EXPECT_EQ(again->zoomLevel, 25.0) << example.label;
        EXPECT_EQ(again->eye.y, -194.0) << example.label;
    }
}

TEST(Examples, LabelsMatchExactlyAndUnknownRunsNothing)
{
    const std::string unknown[] = {"", "mandelbrot", "Mandelbrot ", "sin(x)", "sin(y)*x\n"};
    for (const std::string& label : unknown) {
        auto scene = std::make_unique<SceneState>();
        scene->heights.fill(3.5);
        scene->zScale = 2.0;
        scene->zoomLevel = 9.0;
        SelectExample(*scene, label, nullptr);
        EXPECT_EQ(scene->selectedExample, label);
        EXPECT_EQ(scene->zScale, 2.0) << "label '" << label << "'";
        EXPECT_EQ(scene->heights[1234], 3.5) << "label '" << label << "'";
        // The view is reset all the same.
        EXPECT_EQ(scene->zoomLevel, 25.0);
        EXPECT_FALSE(IsExampleLabel(label));
    }
    for (const ExampleSurface& example : kExamples)
        EXPECT_TRUE(IsExampleLabel(example.label));
}
