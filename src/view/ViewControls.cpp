#include "view/ViewControls.h"

#include <algorithm>
#include <cmath>

namespace hyt {

namespace {

// 1/673 to double precision: a drag across the picture's width turns the eye
// by half a turn.
constexpr double kRadiansPerPixelOverPi = 0.0014858841010401188;

// The bars' ranges as the view's limits: zoomLevel runs 0..50, the eye's
// distance 30..300.
constexpr double kMinZoom = kZoomBarMin;
constexpr double kMaxZoom = kZoomBarMax;
constexpr double kMinDistance = kDistanceBarMin;
constexpr double kMaxDistance = kDistanceBarMax;
// A "Z" arrow changes zoomLevel by 1, a "P" arrow the distance by 2.
constexpr double kZoomLineStep = 1.0;
constexpr double kDistanceLineStep = 2.0;

} // namespace

std::optional<int> ZoomBarStep(SceneState& scene, ScrollCode code, unsigned position)
{
    switch (code) {
    case SB_LINEUP:
        scene.zoomLevel += kZoomLineStep;
        if (scene.zoomLevel > kMaxZoom)
            scene.zoomLevel = kMaxZoom;
        break;
    case SB_LINEDOWN:
        scene.zoomLevel -= kZoomLineStep;
        if (scene.zoomLevel < kMinZoom)
            scene.zoomLevel = kMinZoom;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        // A real bar keeps its thumb within 0..50; a position beyond that
        // would wrap the unsigned subtraction and leave the zoom range.
        const unsigned thumb = std::min(position, unsigned(kZoomBarMax));
        scene.zoomLevel = double(unsigned(kZoomBarMax) - thumb);
        break;
    }
    default:
        return std::nullopt;
    }
    return ZoomBarPosition(scene);
}

std::optional<int> DistanceBarStep(SceneState& scene, ScrollCode code, unsigned position)
{
    if (code != SB_LINEUP && code != SB_LINEDOWN && code != SB_THUMBPOSITION &&
        code != SB_THUMBTRACK)
        return std::nullopt;
    const double length = Length(scene.eye);
    // Before the first source the eye sits at the target and has no
    // direction to move along.
    if (!(length > 0.0) || !std::isfinite(length))
        return std::nullopt;

    double d = 0.0;
    int shown = 0;
    if (code == SB_LINEUP) {
        d = length - kDistanceLineStep;
        if (d < kMinDistance)
            d = kMinDistance;
        shown = static_cast<int>(d);
    } else if (code == SB_LINEDOWN) {
        d = length + kDistanceLineStep;
        if (d > kMaxDistance)
            d = kMaxDistance;
        shown = static_cast<int>(d);
    } else {
        const unsigned thumb =
            std::clamp(position, unsigned(kDistanceBarMin), unsigned(kDistanceBarMax));
        d = double(thumb);
        shown = static_cast<int>(thumb);
    }
    scene.eye = Scale(d, Normalize(scene.eye));
    return shown;
}

std::optional<int> ScrollBarStep(SceneState& scene, Bar bar, ScrollCode code, unsigned position)
{
    return bar == Bar::Zoom ? ZoomBarStep(scene, code, position)
                            : DistanceBarStep(scene, code, position);
}

void BeginDrag(SceneState& scene, POINT cursor)
{
    scene.cursorPrev = cursor;
    scene.dragging = 1;
}

void EndDrag(SceneState& scene)
{
    scene.dragging = 0;
}

bool DragStep(SceneState& scene, POINT cursor)
{
    if (scene.dragging != 1)
        return false;
    scene.cursorNow = cursor;
    // Previous minus current; widened so that no subtraction can overflow.
    const double dy = double(std::int64_t(scene.cursorPrev.y) - scene.cursorNow.y);
    const double dx = double(std::int64_t(scene.cursorPrev.x) - scene.cursorNow.x);
    const Vec3 m = Add(Scale(dx, scene.right), Scale(dy, scene.up));
    const double l = Length(m);
    // A zero displacement has no direction: it is a turn by the angle 0.
    if (l > 0.0 && std::isfinite(l)) {
        const double theta = (Pi() * l) * kRadiansPerPixelOverPi;
        const Vec3 n = Normalize(scene.eye);
        const Vec3 e = Normalize(m);
        const Vec3 g = Add(Scale(std::sin(theta), e), Scale(std::cos(theta), n));
        const Vec3 eye = Scale(Length(scene.eye), Normalize(g));
        if (IsFinite(eye))
            scene.eye = eye;
    }
    scene.cursorPrev = scene.cursorNow;
    return true;
}

void ToggleColorMode(SceneState& scene)
{
    scene.colorMode = scene.colorMode == 1 ? 0 : 1;
}

} // namespace hyt
