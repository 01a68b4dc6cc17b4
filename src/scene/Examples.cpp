// The five example surfaces, sampled on the grid as Sampling.h describes. Each
// writes its start values and steps out as they are defined: computed from
// the bounds, a start could differ from them in its last bit.
#include "scene/Examples.h"

#include <cmath>

#include "base/Vec3.h"
#include "scene/Sampling.h"

namespace hyt {

namespace {

// The escape count of z -> z*z + p from z = 1e-19: the first iteration after
// which |z|^2 exceeds 100000, or 256.
int MandelbrotCount(double x, double y)
{
    double u = 1e-19;
    double v = 0.0;
    double m = 0.0;
    int k = 0;
    while (!(m > 100000.0)) {
        ++k;
        const double t = 2.0 * u * v;
        u = (u * u - v * v) + x;
        v = t + y;
        m = v * v + u * u;
        if (k == 256)
            break;
    }
    return k;
}

} // namespace

void GenerateRadialSine(SceneState& scene)
{
    scene.zScale = 15.0;
    Sample(
        scene.heights, {-6.12, 0.12, 6.12, 0.12}, [](double x) { return x * x; },
        [](double, double xx, double y) { return std::sin(std::sqrt(y * y + xx)); });
}

void GenerateDampedWave(SceneState& scene)
{
    scene.zScale = 50.0;
    // The phase added to r is half of pi: the height is cos r / (r + 1).
    Sample(
        scene.heights, {-12.24, 0.24, 0.24 + 12.0, 0.24}, [](double x) { return x * x; },
        [](double, double xx, double y) {
            const double r = std::sqrt(y * y + xx);
            return std::sin(0.5 * Pi() + r) / (r + 1.0);
        });
}

void GenerateSineProduct(SceneState& scene)
{
    scene.zScale = 7.0;
    Sample(
        scene.heights, {-9.18, 0.18, 9.18, 0.18}, [](double x) { return std::sin(x); },
        [](double, double sinX, double y) { return std::sin(y) * sinX; });
}

void GenerateSineTimesX(SceneState& scene)
{
    scene.zScale = 1.0;
    const double lower = Pi() * -4.0;
    const double upper = Pi() * 4.0;
    const double rowStep = (upper - lower) * 0.01;
    const double columnStep = (upper - lower) * 0.01;
    Sample(
        scene.heights, {lower - rowStep, rowStep, columnStep + upper, columnStep},
        [](double x) { return x; }, [](double x, double, double y) { return std::sin(y) * x; });
}

void GenerateMandelbrot(SceneState& scene)
{
    scene.zScale = 0.15;
    Sample(
        scene.heights, {-2.23, 0.03, 1.53, 0.03}, [](double x) { return x; },
        [](double x, double, double y) { return 25.0 * std::log(double(MandelbrotCount(x, y))); });
}

const std::array<ExampleSurface, 5> kExamples = {{
    {"sin(sqrt(x*x+y*y))", GenerateRadialSine},
    {"sin(pi()+sqrt(x*x+y*y))/(sqrt(x*x+y*y)+1)", GenerateDampedWave},
    {"sin(x)*sin(y)", GenerateSineProduct},
    {"sin(y)*x", GenerateSineTimesX},
    {"Mandelbrot", GenerateMandelbrot},
}};

bool IsExampleLabel(std::string_view label)
{
    for (const ExampleSurface& example : kExamples)
        if (example.label == label)
            return true;
    return false;
}

void SelectExample(SceneState& scene, std::string_view label, BarDisplay* bars)
{
    scene.selectedExample = label;
    ResetView(scene, bars);
    // Every label is compared, whatever the earlier comparisons gave.
    for (const ExampleSurface& example : kExamples)
        if (scene.selectedExample == example.label)
            example.generate(scene);
}

} // namespace hyt
