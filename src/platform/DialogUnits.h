// Dialog units, the coordinates the window layouts are written in. The base
// units are fixed: 4 x 8 dialog units = 6 x 13 pixels, the proportions of the
// dialog font, so the layout never depends on the screen. Conversions round to the nearest
// pixel, halves away from zero, as the layouts expect (529 x 331 units give a
// client area of 794 x 538 pixels).
#pragma once

#include <QFont>
#include <QRect>

namespace hyt {

inline constexpr int kBaseUnitX = 6;  // pixels per 4 horizontal units
inline constexpr int kBaseUnitY = 13; // pixels per 8 vertical units

constexpr int DialogUnitsToPixelsX(int units)
{
    return (units * kBaseUnitX * 2 + (units >= 0 ? 4 : -4)) / 8;
}

constexpr int DialogUnitsToPixelsY(int units)
{
    return (units * kBaseUnitY * 2 + (units >= 0 ? 8 : -8)) / 16;
}

// A control's rectangle from its template position and size.
inline QRect DialogRect(int x, int y, int width, int height)
{
    return QRect(DialogUnitsToPixelsX(x), DialogUnitsToPixelsY(y), DialogUnitsToPixelsX(width),
                 DialogUnitsToPixelsY(height));
}

// The font of every dialog: Liberation Sans at 11 pixels has widths that fit
// every text to its control at the fixed base units. Given in pixels so that the layout does not depend on the screen's
// DPI.
QFont DialogFont();

} // namespace hyt
