#include "common/QuarnMath.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace quarn {

Vec3 VectorAdd(const Vec3& a, const Vec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 VectorSubtract(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 VectorScale(const Vec3& v, float s) {
    return {v.x * s, v.y * s, v.z * s};
}
float VectorDot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec3 VectorCross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float VectorLength(const Vec3& v) {
    return std::sqrt(VectorDot(v, v));
}

Vec3 VectorNormalize(const Vec3& v) {
    const float len = VectorLength(v);
    if (len <= 0.0f || !std::isfinite(len)) return Vec3{};
    return VectorScale(v, 1.0f / len);
}

Vec3 VectorLerp(const Vec3& a, const Vec3& b, float t) {
    return VectorAdd(a, VectorScale(VectorSubtract(b, a), t));
}

Vec3 VectorTransformPoint(const Vec3& p, const Mat4& m) {
    return {p.x * m.m[0] + p.y * m.m[4] + p.z * m.m[8] + m.m[12],
            p.x * m.m[1] + p.y * m.m[5] + p.z * m.m[9] + m.m[13],
            p.x * m.m[2] + p.y * m.m[6] + p.z * m.m[10] + m.m[14]};
}

Vec3 VectorTransformDirection(const Vec3& d, const Mat4& m) {
    return {d.x * m.m[0] + d.y * m.m[4] + d.z * m.m[8], d.x * m.m[1] + d.y * m.m[5] + d.z * m.m[9],
            d.x * m.m[2] + d.y * m.m[6] + d.z * m.m[10]};
}

namespace {

// Infinities and NaNs are the floats whose exponent bits are all set; testing the bits
// without a branch per value keeps the per-body checks of every physics step cheap.
template <size_t N> bool AllFinite(const float (&values)[N]) {
    constexpr uint32_t kExponent = 0x7F800000u;
    uint32_t largest = 0;
    for (float value : values) {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        largest = std::max(largest, bits & kExponent);
    }
    return largest != kExponent;
}

} // namespace

bool IsFinite(const Vec3& v) {
    const float values[3] = {v.x, v.y, v.z};
    return AllFinite(values);
}

bool IsFinite(const Mat4& m) {
    return AllFinite(m.m);
}

Mat4 MatrixIdentity() {
    Mat4 r;
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0f;
    return r;
}

Mat4 MatrixMultiply(const Mat4& a, const Mat4& b) {
    Mat4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i * 4 + j] = a.m[i * 4] * b.m[j] + a.m[i * 4 + 1] * b.m[4 + j] +
                             a.m[i * 4 + 2] * b.m[8 + j] + a.m[i * 4 + 3] * b.m[12 + j];
    return r;
}

bool MatrixInvert(const Mat4& src, Mat4& out) {
    // Gauss-Jordan elimination with partial pivoting, in double precision.
    double a[4][8];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            a[i][j] = src.m[i * 4 + j];
            a[i][j + 4] = (i == j) ? 1.0 : 0.0;
        }
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
        if (std::fabs(a[pivot][c]) < 1e-12) {
            out = MatrixIdentity();
            return false;
        }
        if (pivot != c)
            for (int j = 0; j < 8; ++j)
                std::swap(a[c][j], a[pivot][j]);
        const double inv = 1.0 / a[c][c];
        for (int j = 0; j < 8; ++j)
            a[c][j] *= inv;
        for (int r = 0; r < 4; ++r) {
            if (r == c) continue;
            const double f = a[r][c];
            if (f == 0.0) continue;
            for (int j = 0; j < 8; ++j)
                a[r][j] -= f * a[c][j];
        }
    }
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            out.m[i * 4 + j] = static_cast<float>(a[i][j + 4]);
    return true;
}

Mat4 MatrixTranslation(const Vec3& t) {
    Mat4 r = MatrixIdentity();
    r.m[12] = t.x;
    r.m[13] = t.y;
    r.m[14] = t.z;
    return r;
}

Mat4 MatrixScaling(const Vec3& s) {
    Mat4 r = MatrixIdentity();
    r.m[0] = s.x;
    r.m[5] = s.y;
    r.m[10] = s.z;
    return r;
}

Mat4 MatrixRotX(float a) {
    Mat4 r = MatrixIdentity();
    const float c = std::cos(a), s = std::sin(a);
    r.at(1, 1) = c;
    r.at(1, 2) = s;
    r.at(2, 1) = -s;
    r.at(2, 2) = c;
    return r;
}

Mat4 MatrixRotY(float a) {
    Mat4 r = MatrixIdentity();
    const float c = std::cos(a), s = std::sin(a);
    r.at(0, 0) = c;
    r.at(0, 2) = -s;
    r.at(2, 0) = s;
    r.at(2, 2) = c;
    return r;
}

Mat4 MatrixRotZ(float a) {
    Mat4 r = MatrixIdentity();
    const float c = std::cos(a), s = std::sin(a);
    r.at(0, 0) = c;
    r.at(0, 1) = s;
    r.at(1, 0) = -s;
    r.at(1, 1) = c;
    return r;
}

Mat4 MatrixRotAxis(const Vec3& axisIn, float a) {
    const Vec3 u = VectorNormalize(axisIn);
    const float c = std::cos(a), s = std::sin(a), t = 1.0f - c;
    Mat4 r = MatrixIdentity();
    // Row-vector form of the Rodrigues matrix (the transpose of the column-vector one).
    r.at(0, 0) = t * u.x * u.x + c;
    r.at(0, 1) = t * u.x * u.y + s * u.z;
    r.at(0, 2) = t * u.x * u.z - s * u.y;
    r.at(1, 0) = t * u.x * u.y - s * u.z;
    r.at(1, 1) = t * u.y * u.y + c;
    r.at(1, 2) = t * u.y * u.z + s * u.x;
    r.at(2, 0) = t * u.x * u.z + s * u.y;
    r.at(2, 1) = t * u.y * u.z - s * u.x;
    r.at(2, 2) = t * u.z * u.z + c;
    return r;
}

Mat4 MatrixPerspective(float fovyDegrees, float aspect, float n, float f) {
    const float t = 1.0f / std::tan(static_cast<float>(fovyDegrees * 0.5 * kDegToRad));
    Mat4 r;
    r.m[0] = t / aspect;
    r.m[5] = t;
    r.m[10] = (f + n) / (n - f);
    r.m[11] = -1.0f;
    r.m[14] = 2.0f * f * n / (n - f);
    return r;
}

Mat4 MatrixLookAt(const Vec3& eye, const Vec3& target, const Vec3& upHint) {
    const Vec3 fwd = VectorNormalize(VectorSubtract(target, eye));
    const Vec3 side = VectorNormalize(VectorCross(fwd, upHint));
    const Vec3 up = VectorCross(side, fwd);
    Mat4 m = MatrixIdentity();
    m.at(0, 0) = side.x, m.at(1, 0) = side.y, m.at(2, 0) = side.z;
    m.at(0, 1) = up.x, m.at(1, 1) = up.y, m.at(2, 1) = up.z;
    m.at(0, 2) = -fwd.x, m.at(1, 2) = -fwd.y, m.at(2, 2) = -fwd.z;
    m.at(3, 0) = -VectorDot(side, eye);
    m.at(3, 1) = -VectorDot(up, eye);
    m.at(3, 2) = VectorDot(fwd, eye);
    return m;
}

Quat QuaternionFromMatrix(const Mat4& mat) {
    // Row-vector matrix: element (r, c) of the column-vector rotation is at(c, r).
    const auto e = [&](int r, int c) { return static_cast<double>(mat.at(c, r)); };
    const double trace = e(0, 0) + e(1, 1) + e(2, 2);
    double x, y, z, w;
    if (trace > 0.0) {
        const double s = std::sqrt(trace + 1.0) * 2.0;
        w = 0.25 * s;
        x = (e(2, 1) - e(1, 2)) / s;
        y = (e(0, 2) - e(2, 0)) / s;
        z = (e(1, 0) - e(0, 1)) / s;
    } else if (e(0, 0) > e(1, 1) && e(0, 0) > e(2, 2)) {
        const double s = std::sqrt(1.0 + e(0, 0) - e(1, 1) - e(2, 2)) * 2.0;
        w = (e(2, 1) - e(1, 2)) / s;
        x = 0.25 * s;
        y = (e(0, 1) + e(1, 0)) / s;
        z = (e(0, 2) + e(2, 0)) / s;
    } else if (e(1, 1) > e(2, 2)) {
        const double s = std::sqrt(1.0 + e(1, 1) - e(0, 0) - e(2, 2)) * 2.0;
        w = (e(0, 2) - e(2, 0)) / s;
        x = (e(0, 1) + e(1, 0)) / s;
        y = 0.25 * s;
        z = (e(1, 2) + e(2, 1)) / s;
    } else {
        const double s = std::sqrt(1.0 + e(2, 2) - e(0, 0) - e(1, 1)) * 2.0;
        w = (e(1, 0) - e(0, 1)) / s;
        x = (e(0, 2) + e(2, 0)) / s;
        y = (e(1, 2) + e(2, 1)) / s;
        z = 0.25 * s;
    }
    const double n = std::sqrt(x * x + y * y + z * z + w * w);
    if (!(n > 0.0) || !std::isfinite(n)) return Quat{};
    return Quat{float(x / n), float(y / n), float(z / n), float(w / n)};
}

Mat4 QuaternionToMatrix(const Quat& q) {
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    Mat4 r = MatrixIdentity();
    // Column-vector rotation R, stored transposed for row vectors.
    const float r00 = 1 - 2 * (y * y + z * z), r01 = 2 * (x * y - z * w), r02 = 2 * (x * z + y * w);
    const float r10 = 2 * (x * y + z * w), r11 = 1 - 2 * (x * x + z * z), r12 = 2 * (y * z - x * w);
    const float r20 = 2 * (x * z - y * w), r21 = 2 * (y * z + x * w), r22 = 1 - 2 * (x * x + y * y);
    r.at(0, 0) = r00;
    r.at(1, 0) = r01;
    r.at(2, 0) = r02;
    r.at(0, 1) = r10;
    r.at(1, 1) = r11;
    r.at(2, 1) = r12;
    r.at(0, 2) = r20;
    r.at(1, 2) = r21;
    r.at(2, 2) = r22;
    return r;
}

Quat QuaternionSlerp(const Quat& a, const Quat& bIn, float t) {
    Quat b = bIn;
    double cosom = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z + double(a.w) * b.w;
    if (cosom < 0.0) { // take the shorter arc
        cosom = -cosom;
        b = Quat{-b.x, -b.y, -b.z, -b.w};
    }
    double s0, s1;
    if (1.0 - cosom > 1e-6) {
        const double omega = std::acos(cosom < 1.0 ? cosom : 1.0);
        const double sinom = std::sin(omega);
        s0 = std::sin((1.0 - t) * omega) / sinom;
        s1 = std::sin(t * omega) / sinom;
    } else { // nearly parallel: linear interpolation is exact enough
        s0 = 1.0 - t;
        s1 = t;
    }
    Quat r{float(s0 * a.x + s1 * b.x), float(s0 * a.y + s1 * b.y), float(s0 * a.z + s1 * b.z),
           float(s0 * a.w + s1 * b.w)};
    const double n =
        std::sqrt(double(r.x) * r.x + double(r.y) * r.y + double(r.z) * r.z + double(r.w) * r.w);
    if (n > 0.0) r = Quat{float(r.x / n), float(r.y / n), float(r.z / n), float(r.w / n)};
    return r;
}

bool MatrixDecompose(const Mat4& mat, MatrixParts& parts) {
    parts = MatrixParts{};
    parts.translation = {mat.m[12], mat.m[13], mat.m[14]};
    if (!IsFinite(mat)) return false;
    // Only affine matrices: the fourth column must be (0, 0, 0, 1) up to scale.
    if (mat.m[15] == 0.0f || mat.m[3] != 0.0f || mat.m[7] != 0.0f || mat.m[11] != 0.0f)
        return false;
    double row[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            row[i][j] = double(mat.m[i * 4 + j]) / mat.m[15];
    parts.translation = {float(mat.m[12] / mat.m[15]), float(mat.m[13] / mat.m[15]),
                         float(mat.m[14] / mat.m[15])};
    const double det = row[0][0] * (row[1][1] * row[2][2] - row[1][2] * row[2][1]) -
                       row[0][1] * (row[1][0] * row[2][2] - row[1][2] * row[2][0]) +
                       row[0][2] * (row[1][0] * row[2][1] - row[1][1] * row[2][0]);
    if (std::fabs(det) < 1e-12) return false;

    const auto len = [](const double* v) {
        return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    };
    const auto dot = [](const double* a, const double* b) {
        return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
    };
    const auto combine = [](double* a, const double* b, double s) { // a -= b * s
        for (int k = 0; k < 3; ++k)
            a[k] -= b[k] * s;
    };
    const auto scaleRow = [](double* a, double s) {
        for (int k = 0; k < 3; ++k)
            a[k] *= s;
    };
    double sx = len(row[0]);
    scaleRow(row[0], 1.0 / sx);
    double shXY = dot(row[0], row[1]);
    combine(row[1], row[0], shXY);
    double sy = len(row[1]);
    scaleRow(row[1], 1.0 / sy);
    shXY /= sy;
    double shXZ = dot(row[0], row[2]);
    combine(row[2], row[0], shXZ);
    double shYZ = dot(row[1], row[2]);
    combine(row[2], row[1], shYZ);
    double sz = len(row[2]);
    scaleRow(row[2], 1.0 / sz);
    shXZ /= sz;
    shYZ /= sz;
    // A left-handed basis: flip everything so the rotation stays proper.
    double c[3] = {row[1][1] * row[2][2] - row[1][2] * row[2][1],
                   row[1][2] * row[2][0] - row[1][0] * row[2][2],
                   row[1][0] * row[2][1] - row[1][1] * row[2][0]};
    if (dot(row[0], c) < 0) {
        sx = -sx;
        sy = -sy;
        sz = -sz;
        for (auto& r : row)
            scaleRow(r, -1.0);
    }
    parts.scale = {float(sx), float(sy), float(sz)};
    parts.shearXY = float(shXY);
    parts.shearXZ = float(shXZ);
    parts.shearYZ = float(shYZ);
    // Rows are now RotX * RotY * RotZ; row[0][2] = -sin(y).
    double s = -row[0][2];
    s = s > 1.0 ? 1.0 : (s < -1.0 ? -1.0 : s);
    const double ry = std::asin(s);
    double rx, rz;
    if (std::cos(ry) > 1e-6) {
        rx = std::atan2(row[1][2], row[2][2]);
        rz = std::atan2(row[0][1], row[0][0]);
    } else {
        rx = std::atan2(s * row[1][0], row[1][1]); // sin(y) = +-1: only x - z is defined
        rz = 0.0;
    }
    parts.rotation = {float(rx), float(ry), float(rz)};
    return true;
}

Vec3 RotationXYZToYXZ(const Vec3& xyz) {
    const Mat4 r =
        MatrixMultiply(MatrixMultiply(MatrixRotX(xyz.x), MatrixRotY(xyz.y)), MatrixRotZ(xyz.z));
    const auto at = [&](int row, int col) { return double(r.m[row * 4 + col]); };
    // RotY(y) * RotX(x) * RotZ(z) has sin(x) at [1][2], cos(x) sin(z) at -[1][0], cos(x) cos(z)
    // at [1][1], cos(x) sin(y) at -[0][2] and cos(x) cos(y) at [2][2].
    double s = at(1, 2);
    s = s > 1.0 ? 1.0 : (s < -1.0 ? -1.0 : s);
    const double pitch = std::asin(s);
    double yaw, roll;
    if (std::cos(pitch) > 1e-6) {
        yaw = std::atan2(-at(0, 2), at(2, 2));
        roll = std::atan2(-at(1, 0), at(1, 1));
    } else {
        // Pitch of +-90 degrees: only yaw +- roll is defined; roll is taken as 0.
        yaw = std::atan2(s * at(0, 1), at(0, 0));
        roll = 0.0;
    }
    return Vec3{float(pitch), float(yaw), float(roll)};
}

} // namespace quarn
