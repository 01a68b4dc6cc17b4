// IDI_MAIN: a small coloured mesh on black, blue in the valleys and red on
// the peak, painted by code at any size.
#pragma once

#include <QIcon>
#include <QImage>

namespace hyt {

// The icon drawn into a square image of size x size pixels.
QImage PaintMainIcon(int size);

// The icon at the usual sizes, 32 x 32 among them.
QIcon MakeMainIcon();

} // namespace hyt
