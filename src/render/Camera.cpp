#include "render/Camera.h"

namespace hyt {

Vec3 IntersectRayPlane(Vec3 p, Vec3 d, Vec3 m, Vec3 n)
{
    const double t = Dot(n, Subtract(m, p)) / Dot(n, d);
    return Add(p, Scale(t, d));
}

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

ProjectedPoint ProjectPoint(const SceneState& scene, Vec3 p)
{
    if (!(Dot(Subtract(scene.eye, p), Subtract(scene.eye, scene.planeCenter)) > 0.0))
        return {0.0, 0.0, 0.0};
    const Vec3 q = IntersectRayPlane(p, Subtract(scene.eye, p), scene.planeCenter, scene.toEye);
    const Vec3 s = Scale(scene.zoomLevel, q);
    const Vec3 offset = Subtract(s, scene.planeCenter);
    return {Dot(offset, scene.right), Dot(offset, scene.up), 1.0};
}

} // namespace hyt
