// Drawing beneath: tests of a canvas's set bits by column, four columns at a
// time in lanes where the processor has AVX2 and FMA (Canvas::WideFill).
// Columns hold kColumnWords words of bits each, one bit per row. Internal
// to render/.
#pragma once

#include <cstdint>

#include "base/Types.h"
#include "render/CanvasBounds.h"
#include "render/CanvasQuadBound.h"

namespace hyt::canvas_detail {

// ColumnSlant::AllColumnsSet of the columns' bits.
bool SlantSetInLanes(const ColumnSlant& slant, const std::uint64_t* columnBits, int words);

// Whether every pixel that a quadrilateral's fill and whole outline can
// take on rows [top, end) in columns, QuadBound's range there, is set: per
// column, the rows from half a pixel above its edges' highest point within
// half a pixel of the column to half a pixel below their lowest.
bool QuadSetInLanes(const POINT* corners, int top, int end, ColumnRange columns,
                    const std::uint64_t* columnBits, int words);

} // namespace hyt::canvas_detail
