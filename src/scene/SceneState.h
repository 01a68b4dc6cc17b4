// SceneState: the one record of everything the viewer knows, and the scene
// half of ResetView. Vertex (r, c) has index k = 100 * r + c, row-major.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/Vec3.h"
#include "base/ScrollCodes.h"
#include "base/Types.h"

namespace hyt {

struct SceneState {
    // Surface, written by the sources.
    std::array<double, kVertexCount> heights{};
    double zScale = 0.0;
    std::string selectedExample;

    // Derived at every redraw.
    double minHeight = 0.0;
    double maxHeight = 0.0;
    std::array<COLORREF, kVertexCount> vertexColor{};
    // Phase 1 of a redraw: the model point (x, y, z). Phase 2: the projection
    // (screenX, screenY, visible), overwriting it in place.
    std::array<Vec3, kVertexCount> vertices{};

    // Colour.
    std::array<COLORREF, kPaletteSize> palette{};
    std::uint8_t colorMode = 1;

    // View and camera. target is always the origin.
    double zoomLevel = 20.0;
    Vec3 eye;
    Vec3 target;
    Vec3 up;
    Vec3 toEye;
    Vec3 right;
    Vec3 planeCenter;

    // Mouse drag; cursor positions in screen pixels.
    std::uint8_t dragging = 0;
    POINT cursorPrev;
    POINT cursorNow;
};

// Whoever shows the bars: ResetView tells it the new ranges and positions.
class BarDisplay {
  public:
    virtual ~BarDisplay() = default;
    virtual void SetBarRange(Bar bar, int minPos, int maxPos) = 0;
    virtual void SetBarPosition(Bar bar, int pos) = 0;
};

// The reset eye, up direction and zoom.
inline constexpr Vec3 kResetEye{115.0, -194.0, 197.0};
inline constexpr Vec3 kResetUp{-0.92, -0.29, 0.26};
inline constexpr double kResetZoom = 25.0;

// Puts eye, up, target, zoomLevel and palette back to their starting values
// and, in between, gives the bars their ranges and positions (distance bar
// after eye, zoom bar after zoomLevel). bars may be null. Touches nothing
// else and draws nothing.
void ResetView(SceneState& scene, BarDisplay* bars);

// Bar positions shown for the current view: the truncated distance and
// 50 - zoomLevel, truncated.
int DistanceBarPosition(const SceneState& scene);
int ZoomBarPosition(const SceneState& scene);

} // namespace hyt
