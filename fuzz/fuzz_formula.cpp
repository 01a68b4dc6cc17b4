// Arbitrary formula text, and arbitrary intervals, through the parser and the
// sampler. Nothing may fault; every answer must keep the contract of
// FormulaSurface.h: a refused formula or interval leaves heights and the scene
// bit for bit as they were, a fault's position lies in the text and its token
// is the text found there, a checked formula samples, and the count of
// non-finite heights and zScale agree with the heights.
//
// Input layout (missing bytes read as zero):
//   byte 0     bit 0 set: four little-endian doubles follow, x.low, x.high,
//              y.low, y.high; clear: the default intervals -6..6
//              bit 1 set: the formula is chosen in a viewer session that
//              shows an example, instead of going through SampleFormula
//   rest       the formula's text, byte for byte
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

#include "FuzzInput.h"
#include "formula/FormulaSource.h"
#include "scene/SceneState.h"

using namespace hyt;
using hyt::fuzz::Input;

namespace {

// Large records live outside the stack.
ViewerSession session;
SceneState before;
std::array<double, kVertexCount> heights;
std::array<double, kVertexCount> heightsBefore;

bool SameBits(const std::array<double, kVertexCount>& a, const std::array<double, kVertexCount>& b)
{
    return std::memcmp(a.data(), b.data(), sizeof a) == 0;
}

// Heights that no formula gives all at once, NaN among them.
void FillWithPattern(std::array<double, kVertexCount>& target)
{
    for (int k = 0; k < kVertexCount; ++k)
        target[std::size_t(k)] = k % 7 == 0 ? std::numeric_limits<double>::quiet_NaN() : k * 0.25;
}

void CheckError(const FormulaError& error, std::string_view text)
{
    HYT_CHECK(error.position >= 0 && std::size_t(error.position) <= text.size());
    if (!error.token.empty())
        HYT_CHECK(text.substr(std::size_t(error.position), error.token.size()) == error.token);
    if (error.kind == FormulaErrorKind::UnexpectedEnd ||
        error.kind == FormulaErrorKind::MissingParenthesis)
        HYT_CHECK(std::size_t(error.position) == text.size());
    HYT_CHECK(error.kind != FormulaErrorKind::Internal);
}

void CheckSampled(const FormulaOutcome& outcome, const std::array<double, kVertexCount>& sampled)
{
    int nonFinite = 0;
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (const double h : sampled) {
        if (!std::isfinite(h)) {
            ++nonFinite;
            continue;
        }
        low = std::min(low, h);
        high = std::max(high, h);
    }
    HYT_CHECK(outcome.nonFinite == nonFinite);
    HYT_CHECK(std::isfinite(outcome.zScale) && outcome.zScale > 0.0);
    if (nonFinite == kVertexCount || low == high)
        HYT_CHECK(outcome.zScale == 1.0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input in(data, size);
    const std::uint8_t flags = in.Byte();
    FormulaRange x, y;
    if (flags & 1) {
        x = {in.Take<double>(), in.Take<double>()};
        y = {in.Take<double>(), in.Take<double>()};
    }
    const std::string_view text(reinterpret_cast<const char*>(in.Here()), in.Left());

    const FormulaError checked = CheckFormula(text);
    if (checked.kind != FormulaErrorKind::None)
        CheckError(checked, text);

    FormulaOutcome outcome;
    if (flags & 2) {
        session.ChooseExample("sin(y)*x");
        session.BeginDrag({0, 0});
        session.DragTo({17, -9});
        session.EndDrag();
        before = session.Scene();
        const FormulaChoice choice = ChooseFormula(session, text, x, y);
        outcome = choice.formula;
        const SceneState& scene = session.Scene();
        if (!outcome.Ok()) {
            HYT_CHECK(!choice.view.redrawn);
            HYT_CHECK(SameBits(scene.heights, before.heights));
            HYT_CHECK(scene.zScale == before.zScale && scene.eye.x == before.eye.x);
        } else {
            HYT_CHECK(choice.view.redrawn);
            HYT_CHECK(scene.zScale == outcome.zScale && scene.zoomLevel == kResetZoom);
            CheckSampled(outcome, scene.heights);
        }
    } else {
        FillWithPattern(heights);
        heightsBefore = heights;
        outcome = SampleFormula(text, x, y, heights);
        if (!outcome.Ok())
            HYT_CHECK(SameBits(heights, heightsBefore));
        else
            CheckSampled(outcome, heights);
    }

    // The same verdict on the text as CheckFormula's, then the intervals.
    if (checked.kind != FormulaErrorKind::None) {
        HYT_CHECK(outcome.error.kind == checked.kind);
        HYT_CHECK(outcome.error.position == checked.position);
        HYT_CHECK(outcome.error.token == checked.token);
    } else if (!IsSoundRange(x)) {
        HYT_CHECK(outcome.error.kind == FormulaErrorKind::BadXRange);
    } else if (!IsSoundRange(y)) {
        HYT_CHECK(outcome.error.kind == FormulaErrorKind::BadYRange);
    } else {
        HYT_CHECK(outcome.Ok());
    }
    return 0;
}
