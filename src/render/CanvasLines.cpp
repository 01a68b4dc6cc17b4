// Canvas: one-pixel segments of the pen, clipped in exact arithmetic so that
// a segment reaching far outside the canvas costs only its part on it.
#include "render/Canvas.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdlib>
#include <type_traits>
#include <utility>

#include "render/CanvasArithmetic.h"
#include "render/CanvasBounds.h"
#include "render/CanvasShortSegments.h"

namespace hyt {

using namespace canvas_detail;

// ---- Segments -------------------------------------------------------------

// The usual case, a mesh edge wholly on the canvas: a short one from the
// table, else the same walk as Trace from step 0, where no division is needed.
void Canvas::DrawSegmentOnCanvas(POINT a, POINT b)
{
    const int dx = b.x - a.x;
    const int dy = b.y - a.y;
    if (unsigned(dx + kShortReach) < unsigned(kShortSide) &&
        unsigned(dy + kShortReach) < unsigned(kShortSide) && !beneath) {
        // The pen in a local: no pixel can be it.
        StoreShortSegment(pixels + std::size_t(a.y) * kWidth + a.x, ShortIndex(dx, dy), pen);
        return;
    }
    if (std::abs(dx) >= std::abs(dy)) {
        if (dx < 0)
            std::swap(a, b);
        const int du = std::abs(dx);
        Walk<1, kWidth>(std::size_t(a.y) * kWidth + a.x, du, du, b.y - a.y, du);
    } else {
        if (dy < 0)
            std::swap(a, b);
        const int du = std::abs(dy);
        Walk<kWidth, 1>(std::size_t(a.y) * kWidth + a.x, du, du, b.x - a.x, du);
    }
}

void Canvas::DrawSegment(POINT a, POINT b)
{
    if (InWindow(a) && InWindow(b)) {
        DrawSegmentOnCanvas(a, b);
        return;
    }
    DrawSegmentRows(a, b, windowTop, windowEnd);
}

void Canvas::DrawSegmentRows(POINT a, POINT b, int firstRow, int endRow)
{
    if (std::max(a.x, b.x) < 0 || std::min(a.x, b.x) >= kWidth || std::max(a.y, b.y) < firstRow ||
        std::min(a.y, b.y) >= endRow)
        return;
    std::int64_t dx = std::int64_t(b.x) - a.x;
    std::int64_t dy = std::int64_t(b.y) - a.y;
    // Walking from the end with the smaller major coordinate does not change
    // the pixels: they depend only on the line, never on its direction.
    if (std::abs(dx) >= std::abs(dy)) {
        if (dx < 0) {
            std::swap(a, b);
            dx = -dx;
            dy = -dy;
        }
        Trace(a.x, a.y, dx, dy, 0, kWidth, firstRow, endRow, 1, kWidth);
    } else {
        if (dy < 0) {
            std::swap(a, b);
            dx = -dx;
            dy = -dy;
        }
        Trace(a.y, a.x, dy, dx, firstRow, endRow, 0, kWidth, kWidth, 1);
    }
}

// Walks a segment along its major axis u from (u0, v0) to (u0 + du, v0 + dv),
// du >= |dv|. Step k = 0..du lights (u0 + k, v0 + floor((2 dv k + du) / (2 du))),
// the exact minor value rounded half up. Only the steps whose pixel lies in
// the window are walked, found by exact division, so a long segment costs no
// more than its part there.
void Canvas::Trace(std::int64_t u0, std::int64_t v0, std::int64_t du, std::int64_t dv,
                   std::int64_t uLow, std::int64_t uHigh, std::int64_t vLow, std::int64_t vHigh,
                   std::ptrdiff_t uStep, std::ptrdiff_t vStep)
{
    Int128 kFirst = std::max<std::int64_t>(0, uLow - u0);
    Int128 kLast = std::min<std::int64_t>(du, uHigh - 1 - u0);
    const std::int64_t vEnd = v0 + dv;
    const bool minorInside = v0 >= vLow && v0 < vHigh && vEnd >= vLow && vEnd < vHigh;
    if (!minorInside) {
        if (dv == 0)
            return; // a run along a row or column outside the window
        // vLow <= v < vHigh  <=>  low <= 2 dv k < high  (du > 0 here).
        const Int128 low = Int128(du) * (2 * (Int128(vLow) - v0) - 1);
        const Int128 high = Int128(du) * (2 * (Int128(vHigh) - v0) - 1);
        if (dv > 0) {
            kFirst = std::max(kFirst, CeilDiv(low, 2 * Int128(dv)));
            kLast = std::min(kLast, CeilDiv(high, 2 * Int128(dv)) - 1);
        } else {
            kFirst = std::max(kFirst, FloorDiv(-high, -2 * Int128(dv)) + 1);
            kLast = std::min(kLast, FloorDiv(-low, -2 * Int128(dv)));
        }
    }
    if (kFirst > kLast)
        return;

    // error = 2 dv k + du - 2 du (v - v0), the remainder of the rounding,
    // stays in [0, 2 du).
    std::int64_t v = v0;
    std::int64_t error = du;
    if (kFirst > 0) {
        const Int128 numerator = 2 * Int128(dv) * kFirst + du;
        const Int128 quotient = FloorDiv(numerator, 2 * Int128(du));
        v = v0 + std::int64_t(quotient);
        error = std::int64_t(numerator - quotient * 2 * du);
    }
    const std::ptrdiff_t first =
        std::ptrdiff_t(u0 + std::int64_t(kFirst)) * uStep + std::ptrdiff_t(v) * vStep;
    const std::int64_t steps = std::int64_t(kLast - kFirst);
    if (uStep == 1)
        Walk<1, kWidth>(std::size_t(first), steps, du, dv, error);
    else
        Walk<kWidth, 1>(std::size_t(first), steps, du, dv, error);
}

// Lights the pixel at index, then steps more: each step moves along u, and
// along v when the rounding remainder error leaves [0, 2 du). The caller has
// made sure that every pixel of the walk is on the canvas. Inlined into its
// callers: a mesh cell's segments are a few pixels long, and the call cost
// as much as walking them.
template <std::ptrdiff_t uStep, std::ptrdiff_t vStep>
inline void Canvas::Walk(std::size_t index, std::int64_t steps, std::int64_t du, std::int64_t dv,
                         std::int64_t error)
{
    if (beneath) {
        WalkBeneath<uStep, vStep>(index, steps, du, dv, error);
        return;
    }
    // The colour in a local: a store into the pixels could otherwise be the
    // pen itself, and it would be read again at every step. One loop per
    // direction of v, each with masks instead of a branch that would be
    // mispredicted at every other step.
    const Pixel color = pen;
    Pixel* const data = pixels;
    const std::int64_t twoDu = 2 * du;
    const std::int64_t twoDv = 2 * dv;
    // rising: v grows, and a step carries when error reaches 2 du; else v
    // falls, and a step borrows when error goes negative.
    auto walk = [&](auto rising) {
        for (;; --steps) {
            assert(index < kPixelCount);
            data[index] = color;
            if (steps == 0)
                break;
            error += twoDv;
            if constexpr (rising) {
                const std::int64_t wrap = -std::int64_t(error >= twoDu); // 0 or all ones
                error -= twoDu & wrap;
                index += std::size_t(uStep + (vStep & wrap));
            } else {
                const std::int64_t wrap = error >> 63; // all ones when it went negative
                error += twoDu & wrap;
                index += std::size_t(uStep - (vStep & wrap));
            }
        }
    };
    if (dv >= 0)
        walk(std::true_type{});
    else
        walk(std::false_type{});
}

// Walk beneath what is there: only the unset pixels are lit. The walk goes
// by runs, the pixels between two steps of v, each tested a word of bits at
// a time and lit only where it is not all set: a segment beneath a picture
// crosses mostly set pixels. Apart, so that Walk's own loop stays as tight.
template <std::ptrdiff_t uStep, std::ptrdiff_t vStep>
void Canvas::WalkBeneath(std::size_t index, std::int64_t steps, std::int64_t du, std::int64_t dv,
                         std::int64_t error)
{
    constexpr bool alongRows = uStep == 1; // u is the column
    const int y = int(index / kWidth);
    const int x = int(index % kWidth);
    int u = alongRows ? x : y;
    int v = alongRows ? y : x;
    const std::int64_t twoDu = 2 * du;
    const std::int64_t twoDv = 2 * dv;
    // This pixel and those up to the step that carries (v grows) or borrows
    // (v falls). After a carry error is below 2 dv, after a borrow at least
    // 2 du - 2 |dv|, so that every run but the first is one of two lengths:
    // longRun - 1 or longRun, told apart without dividing.
    std::int64_t run = steps + 1;
    std::int64_t longRun = 0, longFrom = 0;
    if (dv > 0) {
        run = std::min(run, (twoDu - error + twoDv - 1) / twoDv);
        longRun = (twoDu - 1) / twoDv + 1; // at error 0
        longFrom = (longRun - 1) * twoDv;  // longRun where 2 du - error exceeds this
    } else if (dv < 0) {
        run = std::min(run, error / -twoDv + 1);
        longRun = (twoDu - 1) / -twoDv + 1; // at error 2 du - 1
        longFrom = (longRun - 1) * -twoDv;  // longRun where error reaches this
    }
    for (;;) {
        const std::uint64_t* const bits =
            alongRows ? setPixels.data() + v : setColumns.data() + std::size_t(v) * kColumnWords;
        if (!AllSetIn(bits, alongRows ? kRowWords : kColumnWords, u, u + int(run),
                      alongRows ? kHeight : 1)) {
            if constexpr (alongRows)
                SetSpanBeneath(v, u, u + int(run), pen);
            else
                SetColumnRunBeneath(v, u, u + int(run));
        }
        steps -= run;
        if (steps < 0)
            break;
        u += int(run);
        error += run * twoDv;
        if (dv > 0) {
            error -= twoDu;
            ++v;
            run = twoDu - error > longFrom ? longRun : longRun - 1;
        } else {
            error += twoDu;
            --v;
            run = error >= longFrom ? longRun : longRun - 1;
        }
        run = std::min(run, steps + 1);
    }
}

} // namespace hyt
