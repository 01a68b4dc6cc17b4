// The user's formula: the examples written as formulas give the examples'
// heights; faults come back at the place the user has to look; heights and
// the scene survive every refused formula or interval; zScale and the count
// of non-finite heights for surfaces that are flat, undefined in part, or
// beyond the range of a double.
#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "formula/FormulaSurface.h"
#include "scene/Examples.h"

namespace hyt {
namespace {

using Heights = std::array<double, kVertexCount>;
using Kind = FormulaErrorKind;

constexpr double kMax = std::numeric_limits<double>::max();

TEST(Formula, ExampleLabelsGiveTheExamplesHeights)
{
    // Each example's own interval. The second example's label is not its
    // height, which has a phase of half of pi.
    const struct {
        const char* formula;
        std::size_t example; // index into kExamples
        FormulaRange range;  // for x and y alike
    } rows[] = {
        {"sin(sqrt(x*x+y*y))", 0, {-6.0, 6.0}},
        {"sin(0.5*pi()+sqrt(x*x+y*y))/(sqrt(x*x+y*y)+1)", 1, {-12.0, 12.0}},
        {"sin(x)*sin(y)", 2, {-9.0, 9.0}},
        {"sin(y)*x", 3, {Pi() * -4.0, Pi() * 4.0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.formula);
        auto example = std::make_unique<SceneState>();
        SelectExample(*example, kExamples[row.example].label, nullptr);
        auto heights = std::make_unique<Heights>();
        const FormulaOutcome outcome = SampleFormula(row.formula, row.range, row.range, *heights);
        ASSERT_TRUE(outcome.Ok()) << int(outcome.error.kind);
        EXPECT_EQ(outcome.nonFinite, 0);
        for (int k = 0; k < kVertexCount; ++k)
            ASSERT_NEAR((*heights)[k], example->heights[k], 1e-9) << "vertex " << k;
        // The same functions on the same running sums: not one bit differs.
        EXPECT_EQ(*heights, example->heights);
    }
}

TEST(Formula, ErrorsComeBackWhereTheUserLooks)
{
    const std::string tooLong(kMaxFormulaLength + 1, 'x');
    const struct {
        std::string formula;
        Kind kind;
        int position;
        std::string token;
    } rows[] = {
        {" \t\n", Kind::EmptyFormula, 0, ""},
        {tooLong, Kind::TooLong, int(kMaxFormulaLength), ""},
        // muparser would assign, compare, branch or stop reading at the NUL.
        {"x=3", Kind::InvalidCharacter, 1, "="},
        {"x<1", Kind::InvalidCharacter, 1, "<"},
        {"y?1:2", Kind::InvalidCharacter, 1, "?"},
        {std::string("x\0+y", 4), Kind::InvalidCharacter, 1, std::string(1, '\0')},
        {"2*\xCF\x80", Kind::InvalidCharacter, 2, "\xCF\x80"},
        {"x+\xFF\xCF", Kind::InvalidCharacter, 2, "\xFF"},
        {"x+\xCF", Kind::InvalidCharacter, 2, "\xCF"},
        {"sin(z)", Kind::UnknownName, 4, "z"},
        {"X", Kind::UnknownName, 0, "X"},
        {"_pi*x", Kind::UnknownName, 0, "_pi"},
        {"sin (x)", Kind::FunctionNeedsParenthesis, 0, "sin"},
        {"x+pi", Kind::FunctionNeedsParenthesis, 2, "pi"},
        {"1e999*x", Kind::BadNumber, 0, "1e999"},
        {"x+1e", Kind::BadNumber, 2, "1e"},
        {"2x", Kind::MissingOperator, 1, "x"},
        {"sin(x)(y)", Kind::MissingOperator, 6, "("},
        {"x**2", Kind::UnexpectedOperator, 2, "*"},
        {"x*--1", Kind::UnexpectedOperator, 3, "-"}, // muparser places it past the sign
        {"min(x,)", Kind::UnexpectedParenthesis, 6, ")"},
        {"sqrt(x", Kind::MissingParenthesis, 6, ""},
        {"x*-", Kind::UnexpectedEnd, 3, ""},
        {"-", Kind::UnexpectedEnd, 1, ""},
        // A top-level ',' would make muparser return its last part.
        {"x,y", Kind::UnexpectedComma, 1, ","},
        {"sin((1,2))", Kind::UnexpectedComma, 6, ","},
        {"sin(,x)+(1,2)", Kind::UnexpectedComma, 4, ","},
        {"sin(x,y)", Kind::TooManyArguments, 0, "sin"},
        {"atan2(atan2(x,y))", Kind::TooFewArguments, 0, "atan2"},
        {"x+sin(min())", Kind::TooFewArguments, 6, "min"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("formula \"" + row.formula + "\"");
        const FormulaError error = CheckFormula(row.formula);
        EXPECT_EQ(error.kind, row.kind);
        EXPECT_EQ(error.position, row.position);
        EXPECT_EQ(error.token, row.token);
    }
}

TEST(Formula, HostileTextIsReadSafely)
{
    // As deep as the length allows, at the length limit.
    const std::string deep = std::string(498, '(') + "x" + std::string(498, ')') + "+10";
    ASSERT_EQ(deep.size(), kMaxFormulaLength);
    auto heights = std::make_unique<Heights>();
    EXPECT_TRUE(SampleFormula(deep, {}, {}, *heights).Ok());
    EXPECT_EQ((*heights)[0], 4.0);

    std::string calls;
    for (int i = 0; i < 160; ++i)
        calls += "sin(";
    calls += "x" + std::string(160, ')');
    EXPECT_TRUE(SampleFormula(calls, {}, {}, *heights).Ok());
}

TEST(Formula, FunctionsAreTheStandardOnes)
{
    // Constant formulas: every height is the value. muparser's own log2 and
    // asinh differ from the standard ones at these arguments; log is ln.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* formula;
        double value;
    } rows[] = {
        {"pi()", std::acos(-1.0)},
        {"log2(3)", std::log2(3.0)},
        {"asinh(1e-9)", std::asinh(1e-9)},
        {"log(100)", std::log(100.0)},
        {"atan2(1, 0)", std::acos(-1.0) / 2.0},
        {"2^3^2", 512.0},
        {"-2^2", -4.0},
        {"min(3, 1, 2) + max(-1, -2)", 0.0},
        {"sign(-3) + abs(-2) * 10", 19.0},
        {"max(1, 0/0)", nan},
        {"min(0/0, 1)", nan},
    };
    auto heights = std::make_unique<Heights>();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.formula);
        ASSERT_TRUE(SampleFormula(row.formula, {}, {}, *heights).Ok());
        if (std::isnan(row.value))
            EXPECT_TRUE(std::isnan((*heights)[4321]));
        else
            EXPECT_EQ((*heights)[4321], row.value);
    }
}

TEST(Formula, ZScaleSpansTheFiniteHeightsAndNonFiniteOnesAreCounted)
{
    enum class Z { One, Spans30, Largest };
    const struct {
        const char* formula;
        FormulaRange x;
        int nonFinite;
        Z zScale;
    } rows[] = {
        {"3", {}, 0, Z::One},
        {"0/0", {}, kVertexCount, Z::One},
        {"1/x + y", {-6.0, 6.0}, 0, Z::Spans30},
        // x is exactly 0 on row 0 of [0, 1].
        {"1/x + y", {0.0, 1.0}, 100, Z::Spans30},
        {"ln(x) + 1/x", {0.0, 1.0}, 100, Z::Spans30},
        // Rows 0 to 42 have x < 0.
        {"ln(x)*y", {-4.25, 5.75}, 4300, Z::Spans30},
        {"x*2e307", {-6.0, 6.0}, 0, Z::Spans30},
        {"x*1e-320", {-6.0, 6.0}, 0, Z::Largest},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.formula);
        auto heights = std::make_unique<Heights>();
        const FormulaOutcome outcome = SampleFormula(row.formula, row.x, {}, *heights);
        ASSERT_TRUE(outcome.Ok());
        EXPECT_EQ(outcome.nonFinite, row.nonFinite);
        double low = kMax, high = -kMax;
        for (const double h : *heights)
            if (std::isfinite(h)) {
                low = std::min(low, h);
                high = std::max(high, h);
            }
        if (row.zScale == Z::One)
            EXPECT_EQ(outcome.zScale, 1.0);
        else if (row.zScale == Z::Largest)
            EXPECT_EQ(outcome.zScale, kMax);
        else
            EXPECT_NEAR(outcome.zScale * high - outcome.zScale * low, 30.0, 1e-12);
    }
}

TEST(Formula, RefusedFormulasAndIntervalsTouchNothing)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* formula;
        FormulaRange x, y;
        Kind kind;
    } rows[] = {
        {"sin(x", {}, {}, Kind::MissingParenthesis},
        {"sin(x", {1.0, 1.0}, {}, Kind::MissingParenthesis}, // the formula first
        {"x", {1.0, 1.0}, {}, Kind::BadXRange},
        {"x", {2.0, 1.0}, {}, Kind::BadXRange},
        {"x", {nan, 1.0}, {}, Kind::BadXRange},
        {"x", {0.0, inf}, {}, Kind::BadXRange},
        {"x", {-kMax, kMax}, {}, Kind::BadXRange}, // the width is beyond a double
        {"x", {-kMax, 0.0}, {}, Kind::BadXRange},  // x would start below -kMax
        {"x", {0.0, 1e-322}, {}, Kind::BadXRange}, // the step is 0
        {"x", {}, {-1.0, -inf}, Kind::BadYRange},
        {"x", {}, {0.0, kMax}, Kind::BadYRange}, // y would start above kMax
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.formula);
        auto scene = std::make_unique<SceneState>();
        scene->heights.fill(7.5);
        scene->zScale = 2.0;
        scene->zoomLevel = 9.0;
        const FormulaOutcome outcome = LoadFormula(*scene, row.formula, row.x, row.y, nullptr);
        EXPECT_EQ(outcome.error.kind, row.kind);
        EXPECT_FALSE(outcome.Ok());
        EXPECT_EQ(scene->heights[0], 7.5);
        EXPECT_EQ(scene->heights[kVertexCount - 1], 7.5);
        EXPECT_EQ(scene->zScale, 2.0);
        EXPECT_EQ(scene->zoomLevel, 9.0);
    }

    auto scene = std::make_unique<SceneState>();
    scene->zoomLevel = 9.0;
    scene->selectedExample = "Mandelbrot";
    const FormulaOutcome outcome = LoadFormula(*scene, "x+y", {0.0, 10.0}, {0.0, 10.0}, nullptr);
    ASSERT_TRUE(outcome.Ok());
    EXPECT_EQ(scene->zoomLevel, kResetZoom);
    EXPECT_EQ(scene->zScale, outcome.zScale);
    EXPECT_EQ(scene->heights[0], 10.0); // x = 0, y = 10
    EXPECT_EQ(scene->selectedExample, "Mandelbrot");
}

} // namespace
} // namespace hyt
