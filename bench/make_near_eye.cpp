// Writes the near-eye data file of the benchmarks and the pinned pictures:
//   hyt-make-near-eye tests/data/near_eye.hyt
// At the reset view, every other vertex (a checkerboard) lies a thousandth
// of a unit or two in front of the plane through the eye across the line of
// sight, so that it projects some hundred million pixels away, still within
// the 32-bit range; the others lie thousands of units below. Every cell then
// reaches from far below the picture to far beyond it, and nearly all of
// them cross the picture and overlap.
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "render/Camera.h"
#include "scene/DataFile.h"

using namespace hyt;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: hyt-make-near-eye FILE.hyt\n");
        return 2;
    }
    auto scene = std::make_unique<SceneState>();
    ResetView(*scene, nullptr);
    UpdateCameraFrame(*scene);
    const Vec3 eye = scene->eye;
    const Vec3 n = Normalize(scene->toEye);
    std::mt19937_64 random(12);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int k = 0; k < kVertexCount; ++k) {
        const int row = k / kGridSize;
        const int column = k % kGridSize;
        const double y = row - 50.0;
        const double z = column - 50.0;
        // The distance in front of the eye's plane, along the line of sight.
        const double ahead =
            (row + column) % 2 == 1 ? 1e-3 * (1.0 + unit(random)) : 3000.0 * (1.0 + unit(random));
        scene->heights[std::size_t(k)] = (Dot(eye, n) - y * n.y - z * n.z - ahead) / n.x;
    }
    const std::vector<char> bytes = EncodeDataFile(scene->heights);
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fclose(file) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
