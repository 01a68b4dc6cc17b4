// The camera frame and the perspective projection. World axes: x is the
// height axis, y the row axis (row - 50), z the column axis (column - 50).
#pragma once

#include "base/Vec3.h"
#include "scene/SceneState.h"

namespace hyt {

// Three doubles, the shape of a Vec3: coordinates along right and up in
// picture pixels relative to the picture centre (screenY grows downward on
// the picture), and visible = 1.0 in front of the eye, else 0.0.
struct ProjectedPoint {
    double screenX = 0.0;
    double screenY = 0.0;
    double visible = 0.0;
};

// The point where the line through p with direction d meets the plane
// through m with normal n. No test for a line parallel to the plane.
inline Vec3 IntersectRayPlane(Vec3 p, Vec3 d, Vec3 m, Vec3 n)
{
    const double t = Dot(n, Subtract(m, p)) / Dot(n, d);
    return Add(p, Scale(t, d));
}

// Derives toEye, up, right and planeCenter from eye, target and up. When the
// eye stands at the target or up lies along the line of sight the frame has
// no direction: then toEye is still set, the other three keep their previous
// values, and the result is false.
bool UpdateCameraFrame(SceneState& scene);

// Projects the model point p with the frame of the last UpdateCameraFrame.
// A point that is not visible has screenX = screenY = 0.0.
ProjectedPoint ProjectPoint(const SceneState& scene, Vec3 p);

// What ProjectPoint reads of the scene, taken once for the 10000 vertices of
// a redraw: locals instead of fields that the stores into vertices might
// alias, and eye - planeCenter worked out once. Project gives ProjectPoint's
// results bit for bit: the same operations on the same values, in order.
struct ProjectionFrame {
    Vec3 eye;
    Vec3 planeCenter;
    Vec3 toEye;
    Vec3 right;
    Vec3 up;
    double zoomLevel = 0.0;
    Vec3 eyeToPlaneCenter; // Subtract(eye, planeCenter)
};

ProjectionFrame TakeProjectionFrame(const SceneState& scene);

inline ProjectedPoint Project(const ProjectionFrame& frame, Vec3 p)
{
    if (!(Dot(Subtract(frame.eye, p), frame.eyeToPlaneCenter) > 0.0))
        return {0.0, 0.0, 0.0};
    const Vec3 q = IntersectRayPlane(p, Subtract(frame.eye, p), frame.planeCenter, frame.toEye);
    const Vec3 s = Scale(frame.zoomLevel, q);
    const Vec3 offset = Subtract(s, frame.planeCenter);
    return {Dot(offset, frame.right), Dot(offset, frame.up), 1.0};
}

} // namespace hyt
