#include "render/Vec3.h"

#include <cmath>

namespace hyt {

Vec3 Add(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

Vec3 Subtract(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Vec3 Scale(double s, Vec3 v) { return {s * v.x, s * v.y, s * v.z}; }

double Dot(Vec3 a, Vec3 b) { return a.z * b.z + a.y * b.y + a.x * b.x; }

Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double Length(Vec3 v) { return std::sqrt(v.z * v.z + v.y * v.y + v.x * v.x); }

Vec3 Normalize(Vec3 v)
{
    const double length = Length(v);
    return {v.x / length, v.y / length, v.z / length};
}

double Pi() { return std::acos(-1.0); }

bool IsFinite(Vec3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

} // namespace hyt
