// Vec3: three doubles, a plain value, and its free operations. Operand orders
// are part of the contract: Dot and Length add the z term first, then y,
// then x; Scale takes the scalar first. Inline, since the projection of every
// vertex runs through them at each redraw.
#pragma once

#include <cmath>

namespace hyt {

struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

inline Vec3 Add(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}

inline Vec3 Subtract(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

inline Vec3 Scale(double s, Vec3 v)
{
    return {s * v.x, s * v.y, s * v.z};
}

inline double Dot(Vec3 a, Vec3 b)
{
    return a.z * b.z + a.y * b.y + a.x * b.x;
}

inline Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline double Length(Vec3 v)
{
    return std::sqrt(v.z * v.z + v.y * v.y + v.x * v.x);
}

// No test for a zero length: the result is then not a number.
inline Vec3 Normalize(Vec3 v)
{
    const double length = Length(v);
    return {v.x / length, v.y / length, v.z / length};
}

// The arc cosine of -1.0, computed anew at each call.
inline double Pi()
{
    return std::acos(-1.0);
}

inline bool IsFinite(Vec3 v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace hyt
