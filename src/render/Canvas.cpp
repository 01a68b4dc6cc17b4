// Canvas: pens, brushes, Clear and Rectangle, and Polygon and Quad, which
// drop what cannot touch the canvas and then hand the fill to
// CanvasFill.cpp and the outline to CanvasLines.cpp.
//
// Every primitive first drops what cannot touch the canvas, then works out in
// exact arithmetic which of its pixels lie on the canvas, and only then walks
// those pixels. The pixel rules are those of the header; both fill paths and
// the clipped and unclipped walk of a segment compute the same exact values.
#include "render/Canvas.h"

#include <immintrin.h>

#include <algorithm>

#include "render/CanvasArithmetic.h"

namespace hyt {

using namespace canvas_detail;

// ---- Pens, brushes, Clear and Rectangle ------------------------------------

Canvas::Canvas() : pen(ToPixel(0)), brush(ToPixel(0)), clearColor(ToPixel(0))
{
    std::fill_n(static_cast<Pixel*>(pixels), kPixelCount, clearColor);
}

Canvas::Canvas(Canvas& whole, int top, int end)
    : pixels(static_cast<Pixel*>(whole.pixels)), windowTop(std::clamp(top, 0, kHeight)),
      windowEnd(std::clamp(end, windowTop, kHeight)), pen(whole.pen), brush(whole.brush),
      wideFill(whole.wideFill), moreRegisters(whole.moreRegisters), clearColor(whole.clearColor)
{
}

bool Canvas::HasWideLanes()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("fma") != 0;
    }();
    return has;
}

bool Canvas::HasMoreRegisters()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
               __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512dq");
    }();
    return has;
}

namespace {

// Sets [from, to) to value, 32 bytes a store where the processor has AVX2:
// a redraw clears some hundreds of kilobytes.
__attribute__((target("avx2"))) void FillWide(Canvas::Pixel* from, Canvas::Pixel* to,
                                              Canvas::Pixel value)
{
    const __m256i lanes = _mm256_set1_epi32(int(value));
    for (; to - from >= 8; from += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(from), lanes);
    std::fill(from, to, value);
}

void FillPixels(Canvas::Pixel* from, Canvas::Pixel* to, Canvas::Pixel value)
{
    if (Canvas::HasWideLanes())
        FillWide(from, to, value);
    else
        std::fill(from, to, value);
}

} // namespace

void Canvas::Clear(COLORREF color)
{
    // Rows no drawing has touched since a Clear in the same colour still
    // hold it; a redraw then rewrites only the rows the last picture used.
    const Pixel fill = ToPixel(color);
    if (fill == clearColor) {
        if (dirtyTop < dirtyEnd)
            FillPixels(pixels + std::ptrdiff_t(dirtyTop) * kWidth,
                       pixels + std::ptrdiff_t(dirtyEnd) * kWidth, fill);
    } else {
        FillPixels(pixels + std::ptrdiff_t(windowTop) * kWidth,
                   pixels + std::ptrdiff_t(windowEnd) * kWidth, fill);
        clearColor = fill;
    }
    dirtyTop = kHeight;
    dirtyEnd = 0;
}

void Canvas::Rectangle(int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top)
        return;
    // The border is that of the whole rectangle; only its pixels on the
    // canvas are painted. 64 bits so that right - 1 and the like never wrap.
    const std::int64_t lastColumn = std::int64_t(right) - 1;
    const std::int64_t lastRow = std::int64_t(bottom) - 1;
    const int x0 = int(std::max<std::int64_t>(left, 0));
    const int x1 = int(std::min<std::int64_t>(right, kWidth));
    const int y0 = int(std::max<std::int64_t>(top, windowTop));
    const int y1 = int(std::min<std::int64_t>(bottom, windowEnd));
    if (x0 >= x1 || y0 >= y1)
        return;
    Touch(y0, y1);
    for (int y = y0; y < y1; ++y) {
        Pixel* row = pixels + std::size_t(y) * kWidth;
        if (y == top || y == lastRow) {
            std::fill(row + x0, row + x1, pen);
            continue;
        }
        std::fill(row + x0, row + x1, brush);
        if (left >= 0)
            row[left] = pen; // left < x1 <= kWidth here
        if (lastColumn < kWidth)
            row[lastColumn] = pen; // lastColumn >= x0 >= 0 here
    }
}

// ---- Polygon --------------------------------------------------------------

bool Canvas::FillPolygon(const POINT* corners, int count)
{
    const CornerBounds bounds(corners, count);
    const int minX = bounds.minX, maxX = bounds.maxX, minY = bounds.minY, maxY = bounds.maxY;
    // Fill and outline both lie within the corners' bounds.
    if (maxX < 0 || minX >= kWidth || maxY < windowTop || minY >= windowEnd)
        return false;
    Touch(std::max(minY, windowTop), std::min(maxY, windowEnd - 1) + 1);

    // Rows from the highest corner down to just above the lowest (top-left rule).
    const int firstRow = std::max(minY, windowTop);
    const int endRow = std::min(maxY, windowEnd);
    if (count >= 3 && minX < maxX && firstRow < endRow) {
        if (count == 4)
            FillQuad(corners, firstRow, endRow, bounds.ColumnsOnCanvas(), bounds.Small());
        else
            FillAny(corners, count, firstRow, endRow);
    }
    return true;
}

void Canvas::Polygon(const POINT* corners, int count)
{
    if (corners == nullptr || count < 1)
        return;
    if (!FillPolygon(corners, count))
        return;
    if (count <= 2) {
        // One corner: its pixel. Two: there and back along the same pixels.
        DrawSegment(corners[0], corners[count - 1]);
        return;
    }
    for (int i = 0; i + 1 < count; ++i)
        DrawSegment(corners[i], corners[i + 1]);
    DrawSegment(corners[count - 1], corners[0]);
}

void Canvas::QuadAnywhere(const POINT* corners, unsigned segments)
{
    if (corners == nullptr)
        return;
    // Values, not references: the four bounds then compile without branches.
    auto low = [](int a, int b) { return a < b ? a : b; };
    auto high = [](int a, int b) { return a < b ? b : a; };
    const POINT p0 = corners[0], p1 = corners[1], p2 = corners[2], p3 = corners[3];
    const int minX = low(low(p0.x, p1.x), low(p2.x, p3.x));
    const int maxX = high(high(p0.x, p1.x), high(p2.x, p3.x));
    const int minY = low(low(p0.y, p1.y), low(p2.y, p3.y));
    const int maxY = high(high(p0.y, p1.y), high(p2.y, p3.y));
    if (minX >= 0 && maxX < kWidth && minY >= windowTop && maxY < windowEnd) {
        Touch(minY, maxY + 1);
        // Wholly on the canvas, as most mesh cells are: FillPolygon's and
        // DrawSegment's tests would all pass.
        if (minX < maxX && minY < maxY)
            FillQuadOnCanvas(corners, minY, maxY);
        for (int i = 0; i < 4; ++i)
            if (segments & (1u << i))
                DrawSegmentOnCanvas(corners[i], corners[(i + 1) & 3]);
        return;
    }
    if (!FillPolygon(corners, 4))
        return;
    for (int i = 0; i < 4; ++i)
        if (segments & (1u << i))
            DrawSegment(corners[i], corners[(i + 1) & 3]);
}

} // namespace hyt
