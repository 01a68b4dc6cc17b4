// RedrawSurface: the whole picture anew from the scene, far cells first.
// A projected point lands on pixel column trunc(screenX + 336.0) and row
// trunc(screenY + 248.0).
#pragma once

#include <cstdint>
#include <memory>

#include "render/Canvas.h"
#include "scene/SceneState.h"

namespace hyt {

inline constexpr COLORREF kOutlineColor = Rgb(50, 50, 50);
inline constexpr COLORREF kPlainFillColor = Rgb(255, 0, 0);
inline constexpr double kPictureCenterX = 336.0;
inline constexpr double kPictureCenterY = 248.0;

// Truncation toward zero into a 32-bit signed integer; a value that is not
// finite or lies outside that range gives INT32_MIN.
std::int32_t ToPixel(double value);

// Whether value has a pixel: it is finite and truncates into the 32-bit
// range. A cell with a corner that has none is left out, like a cell with a
// corner behind the eye.
bool HasPixel(double value);

// The palette index of height h for the range [minHeight, maxHeight]:
// trunc(((h - min) * 254) / (max - min)), 0 for a flat grid and for a height
// that is not finite, and always within 0..254.
int ColorIndex(double h, double minHeight, double maxHeight);

// The four far-to-near drawing orders, chosen from the eye's y and z.
enum class DrawingOrder : int { HighColumns = 1, LowRows = 2, LowColumns = 3, HighRows = 4 };
DrawingOrder ChooseDrawingOrder(double eyeY, double eyeZ);

// The first half of a redraw, and the only one that writes the scene: the
// camera frame (toEye, up, right, planeCenter), the height range over the
// finite heights (minHeight, maxHeight; both 0 when none is finite), the
// projection of every model point (vertices) and the vertex colours
// (vertexColor). Reads heights, zScale, palette, eye, target, up and zoomLevel.
// inFourLanes: four vertices at a time where the processor has the lanes
// (AVX2), else two; the scene is the same to the bit either way.
void DeriveView(SceneState& scene, bool inFourLanes = true);

struct RendererScratch;
class WorkerThread;

// How many bands a renderer draws a picture in at the same time, one thread
// each: bands of columns for heavily overlapping cells, drawn beneath, else
// of rows. ByFreeCores: two for a picture of heavily overlapping cells where
// a second core is free, else one; Two: two for every picture. The picture
// is the same.
enum class Bands { ByFreeCores, One, Two };

// The renderer keeps its per-vertex and per-cell scratch between redraws, so
// that a drag allocates nothing; one renderer per scene, used by one thread
// at a time (it may hand half a picture to a thread of its own).
class SurfaceRenderer {
  public:
    explicit SurfaceRenderer(Bands bands = Bands::ByFreeCores);
    ~SurfaceRenderer();
    SurfaceRenderer(const SurfaceRenderer&) = delete;
    SurfaceRenderer& operator=(const SurfaceRenderer&) = delete;

    // DeriveView, then DrawMesh: the whole picture anew from the scene.
    void RedrawSurface(SceneState& scene, Canvas& canvas);

    // The second half: the picture of what DeriveView left in the scene
    // (vertices, vertexColor), with colorMode and the eye's drawing order.
    // Writes only the canvas.
    void DrawMesh(const SceneState& scene, Canvas& canvas);

  private:
    std::unique_ptr<RendererScratch> scratch;
    Bands bands;
    bool bandsFree = false;               // whether a second band may be drawn
    std::unique_ptr<WorkerThread> worker; // from the first picture drawn in two
    int columnSplit = Canvas::kWidth / 2; // of the next picture drawn in two bands of columns
};

} // namespace hyt
