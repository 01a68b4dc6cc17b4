// Small shared types of the core: colours, integer points and the grid size.
#pragma once

#include <cstdint>

namespace hyt {

// A colour word: red in bits 0-7, green in bits 8-15, blue in bits 16-23.
using COLORREF = std::uint32_t;

constexpr COLORREF Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return COLORREF(red) | (COLORREF(green) << 8) | (COLORREF(blue) << 16);
}

// Two 32-bit signed integers: screen pixels for the cursor, picture pixels
// for polygon corners. Rows grow downward.
struct POINT {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const POINT&, const POINT&) = default;
};

// The grid: 100 rows by 100 columns; vertex (r, c) has index k = 100 * r + c.
inline constexpr int kGridSize = 100;
inline constexpr int kVertexCount = kGridSize * kGridSize;
inline constexpr int kPaletteSize = 255;

} // namespace hyt
