// Comparing two scenes field by field, for tests that check that an action
// left a scene exactly as it was.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "scene/SceneState.h"

namespace hyt {

inline std::uint64_t SceneBits(double value)
{
    return std::bit_cast<std::uint64_t>(value);
}

// Bitwise, so that NaN heights equal themselves; every field a source, a
// control or a redraw writes.
inline void ExpectSameScene(const SceneState& actual, const SceneState& expected)
{
    EXPECT_EQ(std::memcmp(actual.heights.data(), expected.heights.data(), sizeof actual.heights),
              0);
    EXPECT_EQ(SceneBits(actual.zScale), SceneBits(expected.zScale));
    EXPECT_EQ(actual.selectedExample, expected.selectedExample);
    EXPECT_EQ(SceneBits(actual.minHeight), SceneBits(expected.minHeight));
    EXPECT_EQ(SceneBits(actual.maxHeight), SceneBits(expected.maxHeight));
    EXPECT_EQ(actual.vertexColor, expected.vertexColor);
    EXPECT_EQ(std::memcmp(actual.vertices.data(), expected.vertices.data(), sizeof actual.vertices),
              0);
    EXPECT_EQ(actual.palette, expected.palette);
    EXPECT_EQ(actual.colorMode, expected.colorMode);
    EXPECT_EQ(SceneBits(actual.zoomLevel), SceneBits(expected.zoomLevel));
    for (auto field : {&SceneState::eye, &SceneState::target, &SceneState::up, &SceneState::toEye,
                       &SceneState::right, &SceneState::planeCenter}) {
        EXPECT_EQ(SceneBits((actual.*field).x), SceneBits((expected.*field).x));
        EXPECT_EQ(SceneBits((actual.*field).y), SceneBits((expected.*field).y));
        EXPECT_EQ(SceneBits((actual.*field).z), SceneBits((expected.*field).z));
    }
    EXPECT_EQ(actual.dragging, expected.dragging);
    EXPECT_EQ(actual.cursorPrev, expected.cursorPrev);
    EXPECT_EQ(actual.cursorNow, expected.cursorNow);
}

} // namespace hyt
