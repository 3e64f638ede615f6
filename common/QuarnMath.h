// Vector, matrix and quaternion operations shared by both libraries.
//
// Conventions: row vectors (p' = p * M), sixteen singles in four rows with the translation in
// elements 12..14 (the memory order of glLoadMatrixf), products apply left to right (A * B
// applies A first), right-handed rotations.
#pragma once

#include <cstdint>
#include <cstring>

namespace quarn {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegToRad = kPi / 180.0;
constexpr double kRadToDeg = 57.29578;

struct Vec3 {
    float x = 0, y = 0, z = 0;
};

struct Vec4 {
    float x = 0, y = 0, z = 0, w = 0;
};

struct Mat4 {
    float m[16] = {};
    float& at(int row, int col) { return m[row * 4 + col]; }
    float at(int row, int col) const { return m[row * 4 + col]; }
};

struct Quat {
    float x = 0, y = 0, z = 0, w = 1; // imaginary part, real part
};

inline Vec3 MakeVec3(float x, float y, float z) {
    return Vec3{x, y, z};
}

Vec3 VectorAdd(const Vec3& a, const Vec3& b);
Vec3 VectorSubtract(const Vec3& a, const Vec3& b);
Vec3 VectorScale(const Vec3& v, float s);
float VectorDot(const Vec3& a, const Vec3& b);
Vec3 VectorCross(const Vec3& a, const Vec3& b);
float VectorLength(const Vec3& v);
// Unit vector along v; the zero vector stays zero (no NaN).
Vec3 VectorNormalize(const Vec3& v);
// a + (b - a) * t
Vec3 VectorLerp(const Vec3& a, const Vec3& b, float t);
// p * M with w = 1 (translation applies).
Vec3 VectorTransformPoint(const Vec3& p, const Mat4& m);
// d * M with w = 0 (translation ignored).
Vec3 VectorTransformDirection(const Vec3& d, const Mat4& m);
// Bitwise equality of the three components: 0.0 and -0.0 differ, NaN equals an identical NaN.
inline bool VectorBitEqual(const Vec3& a, const Vec3& b) {
    return std::memcmp(&a, &b, sizeof(Vec3)) == 0; // NOLINT(bugprone-suspicious-memory-comparison)
}
bool IsFinite(const Vec3& v);
bool IsFinite(const Mat4& m);

Mat4 MatrixIdentity();
// A * B: applies A first (row vectors).
Mat4 MatrixMultiply(const Mat4& a, const Mat4& b);
// false (and identity in out) when M is singular.
bool MatrixInvert(const Mat4& m, Mat4& out);
Mat4 MatrixTranslation(const Vec3& t);
Mat4 MatrixScaling(const Vec3& s);
// Right-handed rotations by radians: RotX has cos at [1][1],[2][2], sin at [1][2], -sin at [2][1].
Mat4 MatrixRotX(float radians);
Mat4 MatrixRotY(float radians);
Mat4 MatrixRotZ(float radians);
// Rotation about an arbitrary unit axis by radians (same handedness as RotX/RotY/RotZ).
Mat4 MatrixRotAxis(const Vec3& axis, float radians);

// The projection gluPerspective builds (fovy in degrees), in the same layout.
Mat4 MatrixPerspective(float fovyDegrees, float aspect, float zNear, float zFar);
// The view transform gluLookAt builds: eye looking at target, up roughly upward.
Mat4 MatrixLookAt(const Vec3& eye, const Vec3& target, const Vec3& up);

// The rotation part (upper 3x3) of M as a unit quaternion; M's rows should be orthonormal.
Quat QuaternionFromMatrix(const Mat4& m);
// Rotation matrix of q (translation zero).
Mat4 QuaternionToMatrix(const Quat& q);
// Spherical interpolation from a (t = 0) to b (t = 1) along the shorter arc.
Quat QuaternionSlerp(const Quat& a, const Quat& b, float t);

// Result of MatrixDecompose: M = Scale * Shear * RotX * RotY * RotZ * Translation.
struct MatrixParts {
    Vec3 scale;
    float shearXY = 0, shearXZ = 0, shearYZ = 0;
    Vec3 rotation; // radians about X, Y, Z
    Vec3 translation;
};
// Splits an affine matrix into scale, shear, rotation and translation. Returns false (leaving
// parts zeroed except the translation) when M has no perspective-free inverse (a singular
// upper 3x3 or a non-affine fourth column).
bool MatrixDecompose(const Mat4& m, MatrixParts& parts);

// The same rotation as RotX(x) * RotY(y) * RotZ(z) (radians), expressed as the angles of
// RotY(yaw) * RotX(pitch) * RotZ(roll), the order dynamic objects compose their matrix in.
// Returns (pitch, yaw, roll) in radians.
Vec3 RotationXYZToYXZ(const Vec3& xyz);

} // namespace quarn
