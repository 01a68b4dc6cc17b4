// Canvas: our own pixel picture of 675 x 498 pixels, of which the area of
// 673 x 496 at (0, 0) is shown. Pixel rows grow downward; pixel (x, y) is
// Pixels()[y * kWidth + x]. Each pixel is a 32-bit word 0xFFRRGGBB, the
// layout QImage::Format_RGB32 reads without a copy.
//
// Drawing follows the old device-context model: a current pen (solid, one
// pixel wide) and a current brush (solid), both given as COLORREF. Any
// integer coordinates are accepted; nothing outside the canvas is touched and
// no arithmetic overflows.
#pragma once

#include <array>
#include <cstdint>

#include "scene/SceneTypes.h"

namespace hyt {

class Canvas {
public:
    static constexpr int kWidth = 675;
    static constexpr int kHeight = 498;
    static constexpr int kShownWidth = 673;
    static constexpr int kShownHeight = 496;

    using Pixel = std::uint32_t;

    // Every pixel black; pen black, brush black.
    Canvas();

    static constexpr Pixel ToPixel(COLORREF c)
    {
        return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
    }

    void SetPen(COLORREF color);
    void SetBrush(COLORREF color);

    // Sets every pixel, shown or not, to one colour.
    void Clear(COLORREF color);

    // Fills [left, right) x [top, bottom) with the brush and outlines it with
    // the pen along its inner border; right and bottom are exclusive.
    void Rectangle(int left, int top, int right, int bottom);

    // Fills the polygon through the corners in the order given with the brush
    // (even-odd rule), then draws its closed outline, one pixel wide, with
    // the pen, through every corner.
    void Polygon(const POINT* corners, int count);

    const Pixel* Pixels() const { return pixels.data(); }
    Pixel PixelAt(int x, int y) const { return pixels[std::size_t(y) * kWidth + x]; }

private:
    std::array<Pixel, std::size_t(kWidth) * kHeight> pixels;
    Pixel pen;
    Pixel brush;
};

} // namespace hyt
