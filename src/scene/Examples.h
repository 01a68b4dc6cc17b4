// The five built-in example surfaces and the choice of one by its label.
#pragma once

#include <array>
#include <string_view>

#include "scene/SceneState.h"

namespace hyt {

struct ExampleSurface {
    std::string_view label; // exact text of the example list's entry
    void (*generate)(SceneState&);
};

// Each generator sets zScale and writes all 10000 heights, nothing else.
void GenerateRadialSine(SceneState& scene);
void GenerateDampedWave(SceneState& scene);
void GenerateSineProduct(SceneState& scene);
void GenerateSineTimesX(SceneState& scene);
void GenerateMandelbrot(SceneState& scene);

// In the order in which the labels are tested, which is also the order in
// which the example list receives them.
extern const std::array<ExampleSurface, 5> kExamples;

// The example source: remembers the label, resets the view, then runs the
// generator of every label equal to it (at most one). An unknown label runs
// none, so heights and zScale keep their values. The caller redraws.
void SelectExample(SceneState& scene, std::string_view label, BarDisplay* bars);

// True if label is exactly one of the five labels.
bool IsExampleLabel(std::string_view label);

} // namespace hyt
