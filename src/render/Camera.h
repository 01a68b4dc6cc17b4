// The camera frame and the perspective projection. World axes: x is the
// height axis, y the row axis (row - 50), z the column axis (column - 50).
#pragma once

#include "render/Vec3.h"
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
Vec3 IntersectRayPlane(Vec3 p, Vec3 d, Vec3 m, Vec3 n);

// Derives toEye, up, right and planeCenter from eye, target and up. When the
// eye stands at the target or up lies along the line of sight the frame has
// no direction: then toEye is still set, the other three keep their previous
// values, and the result is false.
bool UpdateCameraFrame(SceneState& scene);

// Projects the model point p with the frame of the last UpdateCameraFrame.
// A point that is not visible has screenX = screenY = 0.0.
ProjectedPoint ProjectPoint(const SceneState& scene, Vec3 p);

} // namespace hyt
