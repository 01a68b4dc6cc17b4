#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "scene/SceneState.h"

using namespace hyt;

namespace {

struct RecordedBars : BarDisplay {
    struct Call {
        Bar bar;
        bool range;
        int a;
        int b;
    };
    std::vector<Call> calls;
    void SetBarRange(Bar bar, int minPos, int maxPos) override
    {
        calls.push_back({bar, true, minPos, maxPos});
    }
    void SetBarPosition(Bar bar, int pos) override { calls.push_back({bar, false, pos, 0}); }
};

} // namespace

TEST(SceneState, ResetViewSetsViewAndBarsOnly)
{
    auto scene = std::make_unique<SceneState>();
    scene->colorMode = 0;
    scene->dragging = 1;
    scene->zScale = 3.0;
    scene->heights[5] = 8.0;
    scene->vertexColor[7] = 0x123456;
    RecordedBars bars;
    ResetView(*scene, &bars);

    EXPECT_EQ(scene->eye.x, 115.0);
    EXPECT_EQ(scene->eye.y, -194.0);
    EXPECT_EQ(scene->eye.z, 197.0);
    EXPECT_EQ(scene->up.x, -0.92);
    EXPECT_EQ(scene->zoomLevel, 25.0);
    EXPECT_EQ(scene->palette[0], 0xFF0000u);   // pure blue
    EXPECT_EQ(scene->palette[254], 0x0100FEu); // RGB(254, 0, 1)
    EXPECT_EQ(scene->palette[100], Rgb(100, 0, 155));
    // Untouched.
    EXPECT_EQ(scene->colorMode, 0);
    EXPECT_EQ(scene->dragging, 1);
    EXPECT_EQ(scene->zScale, 3.0);
    EXPECT_EQ(scene->heights[5], 8.0);
    EXPECT_EQ(scene->vertexColor[7], 0x123456u);

    // Distance bar first (after the eye), then the zoom bar.
    ASSERT_EQ(bars.calls.size(), 4u);
    EXPECT_EQ(bars.calls[0].bar, Bar::Distance);
    EXPECT_TRUE(bars.calls[0].range);
    EXPECT_EQ(bars.calls[0].a, 30);
    EXPECT_EQ(bars.calls[0].b, 300);
    EXPECT_EQ(bars.calls[1].a, 299);
    EXPECT_EQ(bars.calls[2].bar, Bar::Zoom);
    EXPECT_EQ(bars.calls[2].a, 0);
    EXPECT_EQ(bars.calls[2].b, 50);
    EXPECT_EQ(bars.calls[3].a, 25);
    EXPECT_FALSE(bars.calls[3].range);
}
