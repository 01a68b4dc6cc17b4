// IDI_MAIN: a small coloured mesh on black, blue in the valleys and red on
// the peak, painted by code at any size.
#pragma once

#include <QIcon>
#include <QImage>

namespace hyt {

// IDI_MAIN's own size, the one the About box shows.
inline constexpr int kMainIconSize = 32;

// The icon drawn into a square image of size x size pixels.
QImage PaintMainIcon(int size);

// The icon at the sizes the desktop theme is given (the build's one list of
// them), kMainIconSize among them.
QIcon MakeMainIcon();

} // namespace hyt
