// RedrawSurface, in order: camera frame, model points and height range,
// projections and colours, then the cells far to near.
#include "render/SurfaceRenderer.h"

#include <climits>
#include <cmath>

#include "render/Camera.h"

namespace hyt {

std::int32_t ToPixel(double value)
{
    // The explicit range test keeps the conversion defined: NaN fails both
    // comparisons, and everything that truncates into int32 passes.
    if (value > -2147483649.0 && value < 2147483648.0)
        return static_cast<std::int32_t>(value);
    return INT32_MIN;
}

int ColorIndex(double h, double minHeight, double maxHeight)
{
    if (maxHeight == minHeight)
        return 0;
    const double q = ((h - minHeight) * 254.0) / (maxHeight - minHeight);
    if (!(q >= 0.0))
        return 0; // NaN, or a non-finite range
    if (q >= 254.0)
        return 254;
    return static_cast<int>(q);
}

DrawingOrder ChooseDrawingOrder(double eyeY, double eyeZ)
{
    const double y = eyeY;
    const double z = eyeZ;
    if (!(y > z))
        return (-y > z) ? DrawingOrder::LowRows : DrawingOrder::HighColumns;
    return (-y < z) ? DrawingOrder::HighRows : DrawingOrder::LowColumns;
}

namespace {

// Corner offsets (row, column) of cell (i, j) in the order its outline runs.
struct CornerOrder {
    int di[4];
    int dj[4];
};

constexpr CornerOrder kLowFirst{{0, 1, 1, 0}, {0, 0, 1, 1}};     // orders 1 and 4
constexpr CornerOrder kLowRowsOrder{{1, 0, 0, 1}, {0, 0, 1, 1}}; // order 2
constexpr CornerOrder kLowColsOrder{{0, 1, 1, 0}, {1, 1, 0, 0}}; // order 3

struct PixelVertex {
    POINT point;
    bool visible;
};

void DrawCell(const SceneState& scene, Canvas& canvas, const PixelVertex* pixels,
              const CornerOrder& order, int i, int j, bool colored)
{
    POINT corners[4];
    for (int c = 0; c < 4; ++c) {
        const PixelVertex& v = pixels[(i + order.di[c]) * kGridSize + (j + order.dj[c])];
        if (!v.visible)
            return; // a cell with any hidden corner is left out entirely
        corners[c] = v.point;
    }
    if (colored)
        canvas.SetBrush(scene.vertexColor[i * kGridSize + j]);
    canvas.Polygon(corners, 4);
}

} // namespace

void RedrawSurface(SceneState& scene, Canvas& canvas)
{
    // A new picture each time: every pixel black, the unshown border too.
    canvas.Clear(Rgb(0, 0, 0));

    const bool frameSound = UpdateCameraFrame(scene);

    scene.minHeight = scene.heights[0];
    scene.maxHeight = scene.heights[0];
    for (int k = 0; k < kVertexCount; ++k) {
        const double h = scene.heights[k];
        if (h < scene.minHeight)
            scene.minHeight = h;
        else if (h > scene.maxHeight)
            scene.maxHeight = h;
        scene.vertices[k] = {scene.zScale * h, double(k / kGridSize) - 50.0,
                             double(k % kGridSize) - 50.0};
    }

    static PixelVertex pixels[kVertexCount];
    for (int k = 0; k < kVertexCount; ++k) {
        // Without a sound frame nothing is in front of the eye.
        const ProjectedPoint p =
            frameSound ? ProjectPoint(scene, scene.vertices[k]) : ProjectedPoint{};
        scene.vertices[k] = {p.screenX, p.screenY, p.visible};
        scene.vertexColor[k] =
            scene.palette[ColorIndex(scene.heights[k], scene.minHeight, scene.maxHeight)];
        pixels[k] = {{ToPixel(p.screenX + kPictureCenterX), ToPixel(p.screenY + kPictureCenterY)},
                     p.visible != 0.0};
    }

    canvas.SetPen(kOutlineColor);
    canvas.SetBrush(kPlainFillColor);
    const bool colored = scene.colorMode == 1;
    constexpr int last = kGridSize - 2; // cells run 0..98 on both axes

    switch (ChooseDrawingOrder(scene.eye.y, scene.eye.z)) {
    case DrawingOrder::HighColumns:
        for (int j = 0; j <= last; ++j)
            for (int i = 0; i <= last; ++i)
                DrawCell(scene, canvas, pixels, kLowFirst, i, j, colored);
        break;
    case DrawingOrder::LowRows:
        for (int i = last; i >= 0; --i)
            for (int j = 0; j <= last; ++j)
                DrawCell(scene, canvas, pixels, kLowRowsOrder, i, j, colored);
        break;
    case DrawingOrder::LowColumns:
        for (int j = last; j >= 0; --j)
            for (int i = 0; i <= last; ++i)
                DrawCell(scene, canvas, pixels, kLowColsOrder, i, j, colored);
        break;
    case DrawingOrder::HighRows:
        for (int i = 0; i <= last; ++i)
            for (int j = 0; j <= last; ++j)
                DrawCell(scene, canvas, pixels, kLowFirst, i, j, colored);
        break;
    }
}

} // namespace hyt
