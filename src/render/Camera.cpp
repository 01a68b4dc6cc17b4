#include "render/Camera.h"

namespace hyt {

bool UpdateCameraFrame(SceneState& scene)
{
    scene.toEye = Subtract(scene.eye, scene.target);
    const Vec3 side = Cross(scene.up, scene.toEye);
    const Vec3 up = Normalize(Cross(scene.toEye, side));
    const Vec3 right = Normalize(Cross(up, scene.toEye));
    const Vec3 planeCenter =
        Scale(Length(Subtract(scene.eye, scene.target)) - 50.0, Normalize(scene.toEye));
    // An eye at the target, or an up along the line of sight, leaves the
    // frame without direction. Keeping the last sound frame keeps every field
    // finite and lets the next drag step turn the eye out of it.
    if (!IsFinite(up) || !IsFinite(right) || !IsFinite(planeCenter))
        return false;
    scene.up = up;
    scene.right = right;
    scene.planeCenter = planeCenter;
    return true;
}

ProjectionFrame TakeProjectionFrame(const SceneState& scene)
{
    return {scene.eye,
            scene.planeCenter,
            scene.toEye,
            scene.right,
            scene.up,
            scene.zoomLevel,
            Subtract(scene.eye, scene.planeCenter)};
}

ProjectedPoint ProjectPoint(const SceneState& scene, Vec3 p)
{
    return Project(TakeProjectionFrame(scene), p);
}

} // namespace hyt
