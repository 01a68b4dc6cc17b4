// The camera frame and projection against the worked example of the reset
// view, and the projection's invariants.
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "render/Camera.h"

using namespace hyt;

namespace {

std::unique_ptr<SceneState> ResetScene()
{
    auto scene = std::make_unique<SceneState>();
    ResetView(*scene, nullptr);
    EXPECT_TRUE(UpdateCameraFrame(*scene));
    return scene;
}

void ExpectNear(Vec3 v, double x, double y, double z, double tolerance)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

} // namespace

TEST(Vec3, OperandOrders)
{
    // With these values a different order of the sum gives a different double.
    const Vec3 a{1e16, 1.0, -1e16};
    const Vec3 b{1.0, 1.0, 1.0};
    EXPECT_EQ(Dot(a, b), (-1e16 + 1.0) + 1e16);
    EXPECT_EQ(Length(Vec3{1e8, 1.0, 0.0}), std::sqrt((0.0 + 1.0) + 1e16));
    const Vec3 c = Cross({1, 0, 0}, {0, 1, 0});
    ExpectNear(c, 0, 0, 1, 0);
    // The double nearest to pi: the examples and the drag depend on every bit.
    EXPECT_EQ(Pi(), 3.141592653589793);
}

TEST(Camera, ResetFrameMatchesWorkedExample)
{
    auto scene = ResetScene();
    ExpectNear(scene->toEye, 115, -194, 197, 0);
    EXPECT_NEAR(Length(scene->toEye), 299.449495, 1e-6);
    ExpectNear(scene->up, -0.923046, -0.286642, 0.256557, 1e-6);
    ExpectNear(scene->right, -0.022363, 0.705776, 0.708082, 1e-6);
    ExpectNear(scene->planeCenter, 95.798098, -161.607225, 164.106306, 1e-6);

    struct Row {
        Vec3 point;
        double x, y;
    };
    const Row rows[] = {
        {{0, -50, -50}, -294.602448, 6.268802},
        {{0, 49, 49}, 289.668220, -6.163807},
        {{10, 0, 0}, -0.945615, -39.031544},
    };
    for (const Row& row : rows) {
        const ProjectedPoint p = ProjectPoint(*scene, row.point);
        EXPECT_NEAR(p.screenX, row.x, 1e-6);
        EXPECT_NEAR(p.screenY, row.y, 1e-6);
        EXPECT_EQ(p.visible, 1.0);
    }
}

TEST(Camera, ProjectionInvariants)
{
    auto scene = ResetScene();
    const Vec3 points[] = {{0, -50, -50}, {3, 20, -7}, {-40, 49, 0}};
    for (double zoom : {0.0, 1.0, 25.0, 50.0}) {
        scene->zoomLevel = zoom;
        const ProjectedPoint origin = ProjectPoint(*scene, {0, 0, 0});
        EXPECT_NEAR(origin.screenX, 0.0, 1e-11);
        EXPECT_NEAR(origin.screenY, 0.0, 1e-11);
        EXPECT_EQ(origin.visible, 1.0);
        for (const Vec3& p : points) {
            scene->zoomLevel = zoom;
            const ProjectedPoint once = ProjectPoint(*scene, p);
            scene->zoomLevel = 2 * zoom;
            const ProjectedPoint twice = ProjectPoint(*scene, p);
            EXPECT_NEAR(twice.screenX, 2 * once.screenX, 1e-9);
            EXPECT_NEAR(twice.screenY, 2 * once.screenY, 1e-9);
            if (zoom == 0.0) {
                EXPECT_NEAR(once.screenX, 0.0, 1e-9);
            }
        }
    }
}

TEST(Camera, VisibilityIsStrictlyInFrontOfTheEye)
{
    auto scene = ResetScene();
    const Vec3 along = Normalize(scene->toEye);
    // The eye itself, behind it, and just in front of it.
    const Vec3 behind = Add(scene->eye, Scale(5.0, along));
    const Vec3 inFront = Add(scene->eye, Scale(-1e-3, along));
    EXPECT_EQ(ProjectPoint(*scene, scene->eye).visible, 0.0);
    EXPECT_EQ(ProjectPoint(*scene, behind).visible, 0.0);
    EXPECT_EQ(ProjectPoint(*scene, inFront).visible, 1.0);
    // A point on the eye's plane: exactly 0 with an eye on an axis.
    scene->eye = {0, 0, 100};
    scene->up = {1, 0, 0};
    ASSERT_TRUE(UpdateCameraFrame(*scene));
    EXPECT_EQ(ProjectPoint(*scene, {7, -3, 100}).visible, 0.0);
    EXPECT_EQ(ProjectPoint(*scene, {7, -3, 99.5}).visible, 1.0);
}

TEST(Camera, NearEyeAndStableFrame)
{
    auto scene = ResetScene();
    // At distance 50 the picture plane goes through the target.
    scene->eye = Scale(50.0, Normalize(scene->eye));
    ASSERT_TRUE(UpdateCameraFrame(*scene));
    ExpectNear(scene->planeCenter, 0, 0, 0, 1e-12);
    // At 30 it lies 20 beyond the target, and the target still projects to 0.
    scene->eye = Scale(30.0, Normalize(scene->eye));
    ASSERT_TRUE(UpdateCameraFrame(*scene));
    EXPECT_NEAR(Length(scene->planeCenter), 20.0, 1e-12);
    EXPECT_LT(Dot(scene->planeCenter, scene->eye), 0.0);
    const ProjectedPoint target = ProjectPoint(*scene, {0, 0, 0});
    EXPECT_NEAR(target.screenX, 0.0, 1e-12);
    EXPECT_EQ(target.visible, 1.0);
    // A second frame from the same eye changes nothing.
    const Vec3 up = scene->up;
    const Vec3 right = scene->right;
    ASSERT_TRUE(UpdateCameraFrame(*scene));
    ExpectNear(scene->up, up.x, up.y, up.z, 1e-15);
    ExpectNear(scene->right, right.x, right.y, right.z, 1e-15);
}

TEST(Camera, FrameWithoutDirectionStaysFinite)
{
    // Eye at the target (the all-zero start), and up along the line of sight.
    auto scene = std::make_unique<SceneState>();
    EXPECT_FALSE(UpdateCameraFrame(*scene));
    EXPECT_TRUE(IsFinite(scene->up) && IsFinite(scene->right) && IsFinite(scene->planeCenter));

    auto turned = ResetScene();
    turned->eye = {0, 0, 100};
    turned->up = {0, 0, 1}; // exactly along the line of sight
    const Vec3 lastRight = turned->right;
    EXPECT_FALSE(UpdateCameraFrame(*turned));
    ExpectNear(turned->up, 0, 0, 1, 0);
    ExpectNear(turned->right, lastRight.x, lastRight.y, lastRight.z, 0);
    EXPECT_TRUE(IsFinite(turned->planeCenter));
}
