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

// The palette index of height h for the range [minHeight, maxHeight]:
// trunc(((h - min) * 254) / (max - min)), 0 for a flat grid, and always
// within 0..254, also for non-finite values.
int ColorIndex(double h, double minHeight, double maxHeight);

// The four far-to-near drawing orders, chosen from the eye's y and z.
enum class DrawingOrder : int { HighColumns = 1, LowRows = 2, LowColumns = 3, HighRows = 4 };
DrawingOrder ChooseDrawingOrder(double eyeY, double eyeZ);

struct RendererScratch;

// The renderer keeps its per-vertex and per-cell scratch between redraws, so
// that a drag allocates nothing; one renderer per scene, used by one thread
// at a time.
class SurfaceRenderer {
  public:
    SurfaceRenderer();
    ~SurfaceRenderer();
    SurfaceRenderer(const SurfaceRenderer&) = delete;
    SurfaceRenderer& operator=(const SurfaceRenderer&) = delete;

    // Recomputes the camera frame, the model points, the height range, the
    // projections and the vertex colours, and draws the mesh into canvas.
    // Reads heights, zScale, palette, colorMode, eye, target, up and zoomLevel.
    void RedrawSurface(SceneState& scene, Canvas& canvas);

  private:
    std::unique_ptr<RendererScratch> scratch;
};

} // namespace hyt
