// The bars' steps and clamps, the drag step against the worked example, and
// every control used before the first source.
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "render/Camera.h"
#include "view/ViewControls.h"

using namespace hyt;

namespace {

std::unique_ptr<SceneState> ResetScene()
{
    auto scene = std::make_unique<SceneState>();
    ResetView(*scene, nullptr);
    UpdateCameraFrame(*scene); // the frame that a redraw leaves
    return scene;
}

void SetDistance(SceneState& scene, double d)
{
    scene.eye = Scale(d, Normalize(scene.eye));
}

} // namespace

TEST(ZoomBar, StepsAndClamps)
{
    struct Row {
        double before;
        ScrollCode code;
        unsigned position;
        double after;
        std::optional<int> shown;
    } rows[] = {
        {25, SB_LINEUP, 0, 26, 24},
        {50, SB_LINEUP, 0, 50, 0},
        {25, SB_LINEDOWN, 0, 24, 26},
        {0, SB_LINEDOWN, 0, 0, 50},
        {25, SB_THUMBPOSITION, 10, 40, 10},
        {25, SB_THUMBTRACK, 50, 0, 50},
        {25, SB_THUMBTRACK, 0, 50, 0},
        {25, SB_THUMBTRACK, 4000000000u, 0, 50},
        {25, SB_PAGEUP, 3, 25, {}},
        {25, SB_PAGEDOWN, 3, 25, {}},
        {25, SB_TOP, 3, 25, {}},
        {25, SB_BOTTOM, 3, 25, {}},
        {25, SB_ENDSCROLL, 3, 25, {}},
        {25, ScrollCode(99), 3, 25, {}},
    };
    for (const Row& row : rows) {
        auto scene = ResetScene();
        scene->zoomLevel = row.before;
        const Vec3 eye = scene->eye;
        EXPECT_EQ(ZoomBarStep(*scene, row.code, row.position), row.shown)
            << "code " << row.code << " from " << row.before;
        EXPECT_EQ(scene->zoomLevel, row.after) << "code " << row.code << " from " << row.before;
        EXPECT_EQ(scene->eye.x, eye.x);
    }
}

TEST(DistanceBar, StepsAndClamps)
{
    const double reset = Length(Vec3{115, -194, 197});
    struct Row {
        double before;
        ScrollCode code;
        unsigned position;
        double after;
        std::optional<int> shown;
    } rows[] = {
        {reset, SB_LINEDOWN, 0, 300.0, 300},     {reset, SB_LINEUP, 0, reset - 2.0, 297},
        {31.0, SB_LINEUP, 0, 30.0, 30},          {30.0, SB_LINEUP, 0, 30.0, 30},
        {299.0, SB_LINEDOWN, 0, 300.0, 300},     {100.5, SB_LINEDOWN, 0, 102.5, 102},
        {reset, SB_THUMBTRACK, 120, 120.0, 120}, {reset, SB_THUMBPOSITION, 30, 30.0, 30},
        {reset, SB_THUMBTRACK, 7, 30.0, 30},     {reset, SB_THUMBTRACK, 900, 300.0, 300},
        {reset, SB_PAGEUP, 0, reset, {}},        {reset, SB_PAGEDOWN, 0, reset, {}},
        {reset, SB_ENDSCROLL, 0, reset, {}},     {reset, SB_TOP, 0, reset, {}},
    };
    for (const Row& row : rows) {
        auto scene = ResetScene();
        SetDistance(*scene, row.before);
        const Vec3 direction = Normalize(scene->eye);
        EXPECT_EQ(DistanceBarStep(*scene, row.code, row.position), row.shown)
            << "code " << row.code << " from " << row.before;
        EXPECT_NEAR(Length(scene->eye), row.after, 1e-12);
        const Vec3 after = Normalize(scene->eye);
        EXPECT_NEAR(after.x, direction.x, 1e-15);
        EXPECT_NEAR(after.z, direction.z, 1e-15);
        EXPECT_EQ(scene->zoomLevel, 25.0);
    }
}

TEST(Drag, TurnsTheEyeAsWorkedOut)
{
    auto scene = ResetScene();
    BeginDrag(*scene, {500, 300});
    EXPECT_EQ(scene->dragging, 1);
    ASSERT_TRUE(DragStep(*scene, {510, 300}));
    EXPECT_NEAR(scene->eye.x, 115.1872, 1e-4);
    EXPECT_NEAR(scene->eye.y, -203.6507, 1e-4);
    EXPECT_NEAR(scene->eye.z, 186.8911, 1e-4);
    EXPECT_NEAR(Length(scene->eye), Length(Vec3{115, -194, 197}), 1e-9);
    EXPECT_EQ(scene->cursorPrev, (POINT{510, 300}));
    EXPECT_EQ(scene->cursorNow, (POINT{510, 300}));

    // Half a turn: 673 pixels to the right.
    auto half = ResetScene();
    BeginDrag(*half, {0, 0});
    ASSERT_TRUE(DragStep(*half, {673, 0}));
    EXPECT_NEAR(half->eye.x, -115.0, 1e-9);
    EXPECT_NEAR(half->eye.y, 194.0, 1e-9);
    EXPECT_NEAR(half->eye.z, -197.0, 1e-9);
}

TEST(Drag, StateMachine)
{
    auto scene = ResetScene();
    const Vec3 eye = scene->eye;
    // A move with no drag under way does nothing.
    EXPECT_FALSE(DragStep(*scene, {40, 40}));
    EXPECT_EQ(scene->eye.x, eye.x);
    EXPECT_EQ(scene->cursorNow, (POINT{}));
    // A zero displacement keeps the eye but still moves cursorPrev on.
    BeginDrag(*scene, {40, 40});
    EXPECT_TRUE(DragStep(*scene, {40, 40}));
    EXPECT_EQ(scene->eye.x, eye.x);
    EXPECT_EQ(scene->eye.y, eye.y);
    EXPECT_EQ(scene->eye.z, eye.z);
    // Cursor positions at the ends of the 32-bit range stay finite.
    EXPECT_TRUE(DragStep(*scene, {INT32_MIN, INT32_MAX}));
    EXPECT_TRUE(IsFinite(scene->eye));
    EXPECT_NEAR(Length(scene->eye), Length(eye), 1e-9);
    EndDrag(*scene);
    EXPECT_EQ(scene->dragging, 0);
    EXPECT_FALSE(DragStep(*scene, {0, 0}));
    // The drag moves the eye only.
    EXPECT_EQ(scene->zoomLevel, 25.0);
}

TEST(Controls, BeforeTheFirstSourceEverythingStaysFinite)
{
    auto scene = std::make_unique<SceneState>();
    for (unsigned code = 0; code <= SB_ENDSCROLL; ++code) {
        DistanceBarStep(*scene, ScrollCode(code), 100);
        ZoomBarStep(*scene, ScrollCode(code), 10);
    }
    EXPECT_TRUE(IsFinite(scene->eye));
    EXPECT_FALSE(DistanceBarStep(*scene, SB_LINEUP, 0).has_value());
    BeginDrag(*scene, {1, 1});
    EXPECT_TRUE(DragStep(*scene, {20, -30}));
    EXPECT_TRUE(IsFinite(scene->eye));
    EXPECT_EQ(scene->eye.x, 0.0);
    EXPECT_TRUE(std::isfinite(scene->zoomLevel));
    EXPECT_GE(scene->zoomLevel, 0.0);
    EXPECT_LE(scene->zoomLevel, 50.0);
}

TEST(Controls, ColourSwitch)
{
    auto scene = std::make_unique<SceneState>();
    ToggleColorMode(*scene);
    EXPECT_EQ(scene->colorMode, 0);
    ToggleColorMode(*scene);
    EXPECT_EQ(scene->colorMode, 1);
    scene->colorMode = 7;
    ToggleColorMode(*scene);
    EXPECT_EQ(scene->colorMode, 1);
}
