// The formula as a viewer session's source: a fault changes nothing on
// screen; a formula resets the view and draws, as the other sources do.
#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "formula/FormulaSource.h"
#include "support/SceneCompare.h"

using namespace hyt;

namespace {

bool SamePixels(const Canvas& a, const Canvas& b)
{
    return std::memcmp(a.Pixels(), b.Pixels(),
                       sizeof(Canvas::Pixel) * std::size_t(Canvas::kWidth) * Canvas::kHeight) == 0;
}

TEST(FormulaSource, AFaultLeavesTheSceneThePictureAndTheBarsAsTheyWere)
{
    const struct {
        const char* formula;
        FormulaRange x;
        FormulaErrorKind kind;
    } rows[] = {
        {"sin(x", {}, FormulaErrorKind::MissingParenthesis},
        {"x*y", {3.0, 3.0}, FormulaErrorKind::BadXRange},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.formula);
        ViewerSession session;
        session.ChooseExample("Mandelbrot");
        session.BeginDrag({0, 0});
        session.DragTo({25, -10});
        session.EndDrag();
        auto before = std::make_unique<SceneState>(session.Scene());
        auto picture = std::make_unique<Canvas>(session.Picture());

        const FormulaChoice choice = ChooseFormula(session, row.formula, row.x, {});
        EXPECT_EQ(choice.formula.error.kind, row.kind);
        EXPECT_FALSE(choice.view.redrawn);
        EXPECT_FALSE(choice.view.zoomBar.range || choice.view.zoomBar.position);
        EXPECT_FALSE(choice.view.distanceBar.range || choice.view.distanceBar.position);
        ExpectSameScene(session.Scene(), *before);
        EXPECT_TRUE(SamePixels(session.Picture(), *picture));
    }

    // Before any source, a fault does not make one.
    ViewerSession fresh;
    EXPECT_FALSE(ChooseFormula(fresh, "2x", {}, {}).Ok());
    EXPECT_FALSE(fresh.HasSource());
    EXPECT_FALSE(fresh.Redraw().redrawn);
}

TEST(FormulaSource, AFormulaResetsTheViewAndDrawsWhateverCameBefore)
{
    // Drawn on a fresh session, and after an example turned and zoomed: the
    // same scene and the same picture.
    ViewerSession fresh;
    const FormulaChoice first = ChooseFormula(fresh, "x*x-y", {-2.0, 2.0}, {0.0, 8.0});
    ASSERT_TRUE(first.Ok());
    EXPECT_TRUE(first.view.redrawn);
    EXPECT_TRUE(fresh.HasSource());
    ASSERT_TRUE(first.view.zoomBar.range && first.view.zoomBar.position);
    EXPECT_EQ(*first.view.zoomBar.position, 25);
    ASSERT_TRUE(first.view.distanceBar.range && first.view.distanceBar.position);
    EXPECT_EQ(*first.view.distanceBar.position, 299);
    EXPECT_EQ(fresh.Scene().zScale, first.formula.zScale);
    // Row 0 at x = -2, column 0 at y = 8.
    EXPECT_NEAR(fresh.Scene().heights[0], -4.0, 1e-12);

    ViewerSession used;
    used.ChooseExample("sin(y)*x");
    used.BarMessage(Bar::Zoom, SB_LINEUP, 0);
    used.BeginDrag({0, 0});
    used.DragTo({-40, 15});
    used.EndDrag();
    const FormulaChoice second = ChooseFormula(used, "x*x-y", {-2.0, 2.0}, {0.0, 8.0});
    ASSERT_TRUE(second.Ok());
    EXPECT_TRUE(second.view.redrawn);
    // The example's label and the last drag's cursor stay, as after a data
    // file.
    auto expected = std::make_unique<SceneState>(fresh.Scene());
    expected->selectedExample = "sin(y)*x";
    expected->cursorPrev = used.Scene().cursorPrev;
    expected->cursorNow = used.Scene().cursorNow;
    ExpectSameScene(used.Scene(), *expected);
    EXPECT_TRUE(SamePixels(used.Picture(), fresh.Picture()));

    // Every height not finite: still a source, and the count says so.
    const FormulaChoice none = ChooseFormula(used, "ln(-1-x*x)", {}, {});
    ASSERT_TRUE(none.Ok());
    EXPECT_EQ(none.formula.nonFinite, kVertexCount);
    EXPECT_TRUE(none.view.redrawn);
}

} // namespace
