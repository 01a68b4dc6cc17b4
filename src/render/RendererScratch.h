// The renderer's scratch between DeriveView's pass over the vertices and the
// drawing of the cells, and the two ways of filling its pixels. Internal to
// render/.
#pragma once

#include <emmintrin.h>

#include <array>
#include <cstdint>

#include "render/SurfaceRenderer.h"

namespace hyt {

inline constexpr int kCells = kGridSize - 1; // cells run 0..98 on both axes

// Cell (i, j) is at (i + 1) * kStride + (j + 1) of a cell table, whose border
// of cells that are never drawn keeps a neighbour's index inside it.
inline constexpr int kStride = kCells + 2;
using CellBytes = std::array<std::uint8_t, std::size_t(kStride) * kStride>;

// A drawn cell's byte: the outline segments it draws, and the bands it
// reaches when the picture is drawn in two: the first of the upper rows or
// the left columns, the second of the others.
inline constexpr unsigned kAllSegments = 0xF;
inline constexpr unsigned kFirstBand = 0x10;
inline constexpr unsigned kSecondBand = 0x20;

// The height range and vertex colours of the heights last drawn, with those
// heights and the palette: they do not depend on the view, so the redraws of
// a drag, which change only the view, take them from here.
struct HeightColours {
    bool known = false;
    double minHeight = 0.0, maxHeight = 0.0;
    std::array<double, kVertexCount> heights;
    std::array<COLORREF, kPaletteSize> palette;
    std::array<COLORREF, kVertexCount> vertexColor;
    std::array<Canvas::Pixel, kVertexCount> brushes; // vertexColor as pixels
};

struct RendererScratch {
    POINT points[kVertexCount + 1];     // ToPixel of each projection; one spare to read
    std::uint8_t visible[kVertexCount]; // 1: in front of the eye, with a pixel
    CellBytes drawn{};                  // 1: all four corners visible
    CellBytes segments{};               // the cell's outline segments and bands; 0: not drawn
    HeightColours colours;
    std::array<Canvas::Pixel, kVertexCount> sceneBrushes; // of the scene's vertexColor
    const Canvas::Pixel* brushes = nullptr;               // each vertex's colour as a pixel
};

// Two points, (x, y) each.
inline __m128i LoadPoints(const POINT* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Whether the drawn cells overlap so much that drawing beneath pays.
bool HeavilyOverlapping(const RendererScratch& s);

// The row between two bands of about the same work.
int BandSplit(const RendererScratch& s);

// Marks each drawn cell with the bands its rows reach.
void FindBands(RendererScratch& s, int split);

// Marks each drawn cell with the bands of columns, [0, split) and
// [split, kWidth), that its pixels on the canvas may reach.
void FindColumnBands(RendererScratch& s, int split);

// The column between two bands of columns for the next picture, from this
// one's split and the time each band took: a drag's pictures are alike.
int NextColumnSplit(int split, double firstSeconds, double secondSeconds);

// DeriveView, taking each vertex's pixel as it goes, and its colour as a
// pixel; false, taking no pixel, when the camera frame is not sound.
bool DeriveViewTakingPixels(SceneState& scene, RendererScratch& s);

// The pixels of what DeriveView left in the scene, and its colours as pixels.
void ConvertVertices(const SceneState& scene, RendererScratch& s);

} // namespace hyt
