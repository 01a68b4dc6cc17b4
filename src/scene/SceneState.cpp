#include "scene/SceneState.h"

namespace hyt {

int DistanceBarPosition(const SceneState& scene)
{
    return static_cast<int>(Length(scene.eye));
}

int ZoomBarPosition(const SceneState& scene)
{
    return static_cast<int>(double(kZoomBarMax) - scene.zoomLevel);
}

void ResetView(SceneState& scene, BarDisplay* bars)
{
    scene.eye = kResetEye;
    if (bars) {
        bars->SetBarRange(Bar::Distance, kDistanceBarMin, kDistanceBarMax);
        bars->SetBarPosition(Bar::Distance, DistanceBarPosition(scene));
    }
    scene.up = kResetUp;
    scene.target = Vec3{0.0, 0.0, 0.0};
    scene.zoomLevel = kResetZoom;
    if (bars) {
        bars->SetBarRange(Bar::Zoom, kZoomBarMin, kZoomBarMax);
        bars->SetBarPosition(Bar::Zoom, ZoomBarPosition(scene));
    }
    for (int i = 0; i < kPaletteSize; ++i)
        scene.palette[i] = Rgb(std::uint8_t(i), 0, std::uint8_t(255 - i));
}

} // namespace hyt
