// The viewer session: what each action shows (bars, picture) and what it
// leaves alone, before and after the first source.
#include <cstring>
#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

#include "support/SceneCompare.h"
#include "view/ViewerSession.h"

using namespace hyt;

namespace {

bool SamePixels(const Canvas& a, const Canvas& b)
{
    return std::memcmp(a.Pixels(), b.Pixels(),
                       sizeof(Canvas::Pixel) * std::size_t(Canvas::kWidth) * Canvas::kHeight) == 0;
}

bool AllBlack(const Canvas& canvas)
{
    for (int y = 0; y < Canvas::kHeight; ++y)
        for (int x = 0; x < Canvas::kWidth; ++x)
            if (canvas.PixelAt(x, y) != Canvas::ToPixel(Rgb(0, 0, 0)))
                return false;
    return true;
}

} // namespace

TEST(ViewerSession, BeforeTheFirstSourceNothingIsDrawnAndTheBarsStayPut)
{
    ViewerSession session;
    EXPECT_FALSE(session.HasSource());
    for (const Bar bar : {Bar::Zoom, Bar::Distance})
        for (const ScrollCode code : {SB_LINEUP, SB_LINEDOWN, SB_THUMBTRACK, SB_ENDSCROLL}) {
            const ViewUpdate update = session.BarMessage(bar, code, 40);
            EXPECT_FALSE(update.redrawn);
            EXPECT_FALSE(update.Of(bar).range);
        }
    session.BeginDrag({0, 0});
    EXPECT_FALSE(session.DragTo({30, 30}).redrawn);
    session.EndDrag();
    EXPECT_FALSE(session.Redraw().redrawn);
    EXPECT_TRUE(AllBlack(session.Picture()));
    // The colour switch starts on: the first press turns it off.
    session.ToggleColor();
    EXPECT_EQ(session.Scene().colorMode, 0);
}

TEST(ViewerSession, ChoosingAnExampleResetsTheBarsThenDraws)
{
    ViewerSession session;
    const ViewUpdate update = session.ChooseExample("Mandelbrot");
    EXPECT_TRUE(session.HasSource());
    EXPECT_TRUE(update.redrawn);
    ASSERT_TRUE(update.distanceBar.range && update.distanceBar.position);
    EXPECT_EQ(update.distanceBar.range->minPos, kDistanceBarMin);
    EXPECT_EQ(update.distanceBar.range->maxPos, kDistanceBarMax);
    EXPECT_EQ(*update.distanceBar.position, 299); // |(115, -194, 197)| = 299.45
    ASSERT_TRUE(update.zoomBar.range && update.zoomBar.position);
    EXPECT_EQ(update.zoomBar.range->maxPos, kZoomBarMax);
    EXPECT_EQ(*update.zoomBar.position, 25);
    EXPECT_FALSE(AllBlack(session.Picture()));
}

TEST(ViewerSession, EveryBarMessageRedrawsAndOnlyStepsMoveTheThumb)
{
    ViewerSession session;
    session.ChooseExample("sin(x)*sin(y)");
    const ViewUpdate step = session.BarMessage(Bar::Zoom, SB_LINEUP, 0);
    EXPECT_TRUE(step.redrawn);
    EXPECT_EQ(step.zoomBar.position, 24);
    EXPECT_FALSE(step.distanceBar.position);

    const ViewUpdate end = session.BarMessage(Bar::Distance, SB_ENDSCROLL, 0);
    EXPECT_TRUE(end.redrawn);
    EXPECT_FALSE(end.distanceBar.position);
}

TEST(ViewerSession, AFileThatCannotBeReadChangesNothing)
{
    ViewerSession session;
    session.ChooseExample("Mandelbrot");
    session.BarMessage(Bar::Distance, SB_THUMBPOSITION, 120);
    const auto before = std::make_unique<SceneState>(session.Scene());
    const auto picture = std::make_unique<Canvas>(session.Picture());

    const FileOutcome outcome = session.ChooseFile("/nonexistent-hyt-session/x.hyt");
    EXPECT_FALSE(outcome.file.Readable());
    EXPECT_FALSE(outcome.view.redrawn);
    EXPECT_FALSE(outcome.view.zoomBar.range || outcome.view.distanceBar.position);
    ExpectSameScene(session.Scene(), *before);
    EXPECT_TRUE(SamePixels(session.Picture(), *picture));
}

TEST(ViewerSession, ADragRedrawsOnlyWhileTheButtonIsDown)
{
    ViewerSession session;
    session.ChooseExample("Mandelbrot");
    const Vec3 eye = session.Scene().eye;
    EXPECT_FALSE(session.DragTo({50, 0}).redrawn);
    session.BeginDrag({0, 0});
    EXPECT_TRUE(session.Dragging());
    EXPECT_TRUE(session.DragTo({50, 0}).redrawn);
    EXPECT_NE(session.Scene().eye.x, eye.x);
    session.EndDrag();
    EXPECT_FALSE(session.DragTo({90, 0}).redrawn);
}
