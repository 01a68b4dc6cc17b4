// The Canvas alone: polygons of 0..8 corners and rectangles with any
// coordinates. Address sanitizer guards the memory around the canvas; the
// checks below guard what lies inside it beside the pixels (pen and brush) and
// the pixels that no primitive may reach.
//
// Input layout (missing bytes read as zero):
//   byte 0     0xA5 = checked run (rare on purpose: a scan of every pixel
//              costs more than most drawing): the canvas is cleared first,
//              and at the end every pixel outside the union of the
//              primitives' bounds must still have the clear colour, every
//              pixel inside one of the colours used
//   rest       operations, each an op byte and its operands:
//     op % 6 = 0  polygon of (byte % 9) corners, each two doubles turned into
//                 pixels with ToPixel (after the picture-centre offset); ops
//                 0..3 with four corners and bit 6 set draw through Quad,
//                 with the outline segments of bits 2..5
//     op % 6 = 1  polygon, each corner two raw int32
//     op % 6 = 2  polygon, each corner two int16 around the canvas
//     op % 6 = 3  polygon, each corner two bytes on and just off the canvas
//     op % 6 = 4  Rectangle with four raw int32
//     op % 6 = 5  pen (bit 0 of the next byte clear) or brush: one of four colours
#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "FuzzInput.h"
#include "render/Canvas.h"
#include "render/SurfaceRenderer.h"

using namespace hyt;
using hyt::fuzz::Input;

namespace {

constexpr int kMaxCorners = 8;
constexpr COLORREF kClearColor = Rgb(0, 0, 0);
constexpr std::array<COLORREF, 4> kColors = {Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255),
                                             Rgb(50, 50, 50)};

// On the heap through a static: never on the stack, and with a redzone on
// both sides for the address sanitizer.
Canvas& TheCanvas()
{
    static Canvas* canvas = new Canvas;
    return *canvas;
}

// The union of the bounds of everything drawn, in 64 bits.
struct Bounds {
    std::int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;

    void Add(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1)
    {
        left = std::min(left, x0);
        top = std::min(top, y0);
        right = std::max(right, x1);
        bottom = std::max(bottom, y1);
    }
    bool Contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

POINT CornerFrom(Input& in, int kind)
{
    switch (kind) {
    case 0: {
        const double x = in.Take<double>();
        const double y = in.Take<double>();
        return {ToPixel(x + kPictureCenterX), ToPixel(y + kPictureCenterY)};
    }
    case 1: {
        const std::int32_t x = in.Take<std::int32_t>();
        const std::int32_t y = in.Take<std::int32_t>();
        return {x, y};
    }
    case 2: {
        const std::int16_t x = in.Take<std::int16_t>();
        const std::int16_t y = in.Take<std::int16_t>();
        return {std::int32_t(x) / 16 + Canvas::kWidth / 2,
                std::int32_t(y) / 16 + Canvas::kHeight / 2};
    }
    default: {
        // Bytes stretched over the canvas and a little beyond each edge.
        const int x = in.Byte() * 3 - 40;
        const int y = in.Byte() * 2 - 10;
        return {x, y};
    }
    }
}

__attribute__((no_sanitize("coverage"))) std::int64_t Clamp(std::int64_t v, std::int64_t lo,
                                                            std::int64_t hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

// Left out of coverage tracing and address checks (it reads only within the
// pixel array): a traced scan of every pixel would cost more than all the
// drawing.
__attribute__((no_sanitize("coverage", "address"))) void CheckPixels(const Bounds& bounds,
                                                                     COLORREF pen, COLORREF brush)
{
    const Canvas::Pixel* pixels = TheCanvas().Pixels();
    const Canvas::Pixel clear = Canvas::ToPixel(kClearColor);
    // Plain arrays and loops: library templates would be traced all the same.
    constexpr int kKnown = int(kColors.size()) + 3;
    Canvas::Pixel known[kKnown] = {clear, Canvas::ToPixel(pen), Canvas::ToPixel(brush)};
    for (int i = 0; i < int(kColors.size()); ++i)
        known[3 + i] = Canvas::ToPixel(kColors[std::size_t(i)]);
    for (int y = 0; y < Canvas::kHeight; ++y) {
        const Canvas::Pixel* row = pixels + std::size_t(y) * Canvas::kWidth;
        const bool rowInside = y >= bounds.top && y <= bounds.bottom;
        // Outside the bounds: untouched.
        const int x0 = rowInside ? int(Clamp(bounds.left, 0, Canvas::kWidth)) : Canvas::kWidth;
        const int x1 =
            rowInside ? int(Clamp(bounds.right + 1, x0, Canvas::kWidth)) : Canvas::kWidth;
        bool untouched = true;
        for (int x = 0; x < x0; ++x)
            untouched &= row[x] == clear;
        for (int x = x1; x < Canvas::kWidth; ++x)
            untouched &= row[x] == clear;
        HYT_CHECK(untouched);
        // Inside: only the colours drawn with.
        for (int x = x0; x < x1; ++x) {
            bool isKnown = false;
            for (int i = 0; i < kKnown; ++i)
                isKnown |= row[x] == known[i];
            HYT_CHECK(isKnown);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Canvas& canvas = TheCanvas();
    Input in(data, size);
    const bool checked = in.Byte() == 0xA5;

    COLORREF pen = kColors[3];
    COLORREF brush = kColors[0];
    canvas.SetPen(pen);
    canvas.SetBrush(brush);
    if (checked)
        canvas.Clear(kClearColor);
    Bounds bounds;

    while (in.Left() > 0) {
        const std::uint8_t op = in.Byte();
        switch (op % 6) {
        case 0:
        case 1:
        case 2:
        case 3: {
            const int count = in.Byte() % (kMaxCorners + 1);
            POINT corners[kMaxCorners];
            for (int i = 0; i < count; ++i) {
                corners[i] = CornerFrom(in, op % 6);
                bounds.Add(corners[i].x, corners[i].y, corners[i].x, corners[i].y);
            }
            // Four corners with bit 6 of the op set take the mesh's path,
            // which draws only the outline segments asked for.
            if (count == 4 && (op & 0x40))
                canvas.Quad(corners, (op >> 2) & 0xFu);
            else
                canvas.Polygon(corners, count);
            break;
        }
        case 4: {
            const std::int32_t left = in.Take<std::int32_t>();
            const std::int32_t top = in.Take<std::int32_t>();
            const std::int32_t right = in.Take<std::int32_t>();
            const std::int32_t bottom = in.Take<std::int32_t>();
            if (right > left && bottom > top)
                bounds.Add(left, top, std::int64_t(right) - 1, std::int64_t(bottom) - 1);
            canvas.Rectangle(left, top, right, bottom);
            break;
        }
        case 5: {
            const std::uint8_t which = in.Byte();
            const COLORREF color = kColors[(which >> 1) % kColors.size()];
            if (which & 1) {
                brush = color;
                canvas.SetBrush(color);
            } else {
                pen = color;
                canvas.SetPen(color);
            }
            break;
        }
        }
    }

    if (checked)
        CheckPixels(bounds, pen, brush);

    // A write past the pixels would land on the pen and brush: a 3 x 3
    // rectangle at the far corner shows both as last set.
    canvas.Rectangle(Canvas::kWidth - 3, Canvas::kHeight - 3, Canvas::kWidth, Canvas::kHeight);
    HYT_CHECK(canvas.PixelAt(Canvas::kWidth - 3, Canvas::kHeight - 3) == Canvas::ToPixel(pen));
    HYT_CHECK(canvas.PixelAt(Canvas::kWidth - 2, Canvas::kHeight - 2) == Canvas::ToPixel(brush));
    return 0;
}
