// Vec3: three doubles, a plain value, and its free operations. Operand orders
// are part of the contract: Dot and Length add the z term first, then y,
// then x; Scale takes the scalar first.
#pragma once

namespace hyt {

struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

Vec3 Add(Vec3 a, Vec3 b);
Vec3 Subtract(Vec3 a, Vec3 b);
Vec3 Scale(double s, Vec3 v);
double Dot(Vec3 a, Vec3 b);
Vec3 Cross(Vec3 a, Vec3 b);
double Length(Vec3 v);
// No test for a zero length: the result is then not a number.
Vec3 Normalize(Vec3 v);
// The arc cosine of -1.0.
double Pi();

bool IsFinite(Vec3 v);

} // namespace hyt
