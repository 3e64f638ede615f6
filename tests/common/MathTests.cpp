#include "common/QuarnMath.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quarn;

namespace {

constexpr float kEps = 1e-5f;

void ExpectVec(const Vec3& v, float x, float y, float z, float eps = kEps) {
    EXPECT_NEAR(v.x, x, eps);
    EXPECT_NEAR(v.y, y, eps);
    EXPECT_NEAR(v.z, z, eps);
}

void ExpectMatrixNear(const Mat4& a, const Mat4& b, float eps = 1e-4f) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], eps) << "element " << i;
}

float Rad(float deg) {
    return static_cast<float>(deg * kDegToRad);
}

} // namespace

TEST(Math, RotationSignsFollowTheRowVectorConvention) {
    const Mat4 rx = MatrixRotX(0.3f);
    EXPECT_FLOAT_EQ(rx.at(1, 2), std::sin(0.3f));
    EXPECT_FLOAT_EQ(rx.at(2, 1), -std::sin(0.3f));
    const Mat4 ry = MatrixRotY(0.3f);
    EXPECT_FLOAT_EQ(ry.at(0, 2), -std::sin(0.3f));
    EXPECT_FLOAT_EQ(ry.at(2, 0), std::sin(0.3f));
    const Mat4 rz = MatrixRotZ(0.3f);
    EXPECT_FLOAT_EQ(rz.at(0, 1), std::sin(0.3f));
    EXPECT_FLOAT_EQ(rz.at(1, 0), -std::sin(0.3f));
}

TEST(Math, YawOfNinetyTurnsPlusXOntoMinusZ) {
    ExpectVec(VectorTransformPoint({1, 0, 0}, MatrixRotY(Rad(90))), 0, 0, -1);
    ExpectVec(VectorTransformPoint({0, 1, 0}, MatrixRotX(Rad(90))), 0, 0, 1);
    ExpectVec(VectorTransformPoint({1, 0, 0}, MatrixRotZ(Rad(90))), 0, 1, 0);
}

TEST(Math, ProductsApplyTheLeftFactorFirst) {
    const Mat4 translateThenTurn =
        MatrixMultiply(MatrixTranslation({1, 0, 0}), MatrixRotY(Rad(90)));
    ExpectVec(VectorTransformPoint({0, 0, 0}, translateThenTurn), 0, 0, -1);
    const Mat4 turnThenTranslate =
        MatrixMultiply(MatrixRotY(Rad(90)), MatrixTranslation({1, 0, 0}));
    ExpectVec(VectorTransformPoint({0, 0, 0}, turnThenTranslate), 1, 0, 0);
    EXPECT_FLOAT_EQ(translateThenTurn.m[14], -1.0f); // translation lives in elements 12..14
}

TEST(Math, DirectionsIgnoreTranslation) {
    const Mat4 t = MatrixTranslation({5, 6, 7});
    ExpectVec(VectorTransformDirection({1, 2, 3}, t), 1, 2, 3);
    ExpectVec(VectorTransformPoint({1, 2, 3}, t), 6, 8, 10);
}

TEST(Math, InverseUndoesAnAffineMatrixAndRejectsSingularOnes) {
    const Mat4 m = MatrixMultiply(MatrixMultiply(MatrixScaling({2, 3, 4}), MatrixRotX(0.7f)),
                                  MatrixTranslation({1, -2, 5}));
    Mat4 inv;
    ASSERT_TRUE(MatrixInvert(m, inv));
    ExpectMatrixNear(MatrixMultiply(m, inv), MatrixIdentity());
    EXPECT_FALSE(MatrixInvert(MatrixScaling({1, 0, 1}), inv));
    ExpectMatrixNear(inv, MatrixIdentity());
}

TEST(Math, VectorBasics) {
    ExpectVec(VectorCross({1, 0, 0}, {0, 1, 0}), 0, 0, 1);
    EXPECT_FLOAT_EQ(VectorDot({1, 2, 3}, {4, 5, 6}), 32.0f);
    EXPECT_FLOAT_EQ(VectorLength({3, 4, 0}), 5.0f);
    ExpectVec(VectorNormalize({0, 0, 0}), 0, 0, 0); // no NaN from a zero vector
    ExpectVec(VectorNormalize({0, 3, 4}), 0, 0.6f, 0.8f);
    ExpectVec(VectorLerp({0, 0, 0}, {2, 4, 6}, 0.25f), 0.5f, 1, 1.5f);
}

TEST(Math, BitEqualityTellsNegativeZeroApart) {
    EXPECT_TRUE(VectorBitEqual({0, 1, 2}, {0, 1, 2}));
    EXPECT_FALSE(VectorBitEqual({0.0f, 1, 2}, {-0.0f, 1, 2}));
}

TEST(Math, QuaternionRoundTripsARotation) {
    const Mat4 r =
        MatrixMultiply(MatrixMultiply(MatrixRotX(0.4f), MatrixRotY(-1.1f)), MatrixRotZ(2.5f));
    ExpectMatrixNear(QuaternionToMatrix(QuaternionFromMatrix(r)), r);
    // The 180-degree case goes through a non-trace branch.
    const Mat4 half = MatrixRotY(Rad(180));
    ExpectMatrixNear(QuaternionToMatrix(QuaternionFromMatrix(half)), half);
}

TEST(Math, SlerpMovesAlongTheArc) {
    const Quat a = QuaternionFromMatrix(MatrixIdentity());
    const Quat b = QuaternionFromMatrix(MatrixRotY(Rad(90)));
    ExpectMatrixNear(QuaternionToMatrix(QuaternionSlerp(a, b, 0.5f)), MatrixRotY(Rad(45)));
    ExpectMatrixNear(QuaternionToMatrix(QuaternionSlerp(a, b, 0.0f)), MatrixIdentity());
    ExpectMatrixNear(QuaternionToMatrix(QuaternionSlerp(a, b, 1.0f)), MatrixRotY(Rad(90)));
    // Opposite signs of the same rotation interpolate the short way.
    const Quat negB{-b.x, -b.y, -b.z, -b.w};
    ExpectMatrixNear(QuaternionToMatrix(QuaternionSlerp(a, negB, 0.5f)), MatrixRotY(Rad(45)));
}

TEST(Math, DecomposeRecoversScaleRotationAndTranslation) {
    const Mat4 m = MatrixMultiply(
        MatrixMultiply(MatrixMultiply(MatrixMultiply(MatrixScaling({2, 3, 0.5f}), MatrixRotX(0.3f)),
                                      MatrixRotY(-0.6f)),
                       MatrixRotZ(1.2f)),
        MatrixTranslation({4, 5, 6}));
    MatrixParts parts;
    ASSERT_TRUE(MatrixDecompose(m, parts));
    ExpectVec(parts.scale, 2, 3, 0.5f, 1e-4f);
    ExpectVec(parts.rotation, 0.3f, -0.6f, 1.2f, 1e-4f);
    ExpectVec(parts.translation, 4, 5, 6);
    EXPECT_NEAR(parts.shearXY, 0, 1e-4f);
}

TEST(Math, DecomposeAtGimbalLockKeepsTheCombinedTurn) {
    const Mat4 m =
        MatrixMultiply(MatrixMultiply(MatrixRotX(0.5f), MatrixRotY(Rad(90))), MatrixRotZ(0));
    MatrixParts parts;
    ASSERT_TRUE(MatrixDecompose(m, parts));
    const Mat4 rebuilt =
        MatrixMultiply(MatrixMultiply(MatrixRotX(parts.rotation.x), MatrixRotY(parts.rotation.y)),
                       MatrixRotZ(parts.rotation.z));
    ExpectMatrixNear(rebuilt, m);
}

TEST(Math, DecomposeRejectsSingularAndNonFiniteMatrices) {
    MatrixParts parts;
    Mat4 flat = MatrixScaling({1, 0, 1});
    flat.m[12] = 7;
    EXPECT_FALSE(MatrixDecompose(flat, parts));
    EXPECT_FLOAT_EQ(parts.translation.x, 7); // the translation is still reported
    Mat4 bad = MatrixIdentity();
    bad.m[5] = NAN;
    EXPECT_FALSE(MatrixDecompose(bad, parts));
}

TEST(Math, LookAtPutsTheEyeAtTheOriginAndTheTargetDownMinusZ) {
    const Mat4 view = MatrixLookAt({3, 4, 5}, {3, 4, -5}, {0, 1, 0});
    ExpectVec(VectorTransformPoint({3, 4, 5}, view), 0, 0, 0);
    ExpectVec(VectorTransformPoint({3, 4, -5}, view), 0, 0, -10);
    const Mat4 side = MatrixLookAt({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
    ExpectVec(VectorTransformPoint({1, 0, 0}, side), 0, 0, -1);
    ExpectVec(VectorTransformPoint({0, 0, 1}, side), 1, 0, 0); // +Z is to the right
}

TEST(Math, PerspectiveMapsNearAndFarToTheDepthRange) {
    const Mat4 p = MatrixPerspective(90, 2, 1, 100);
    const auto depth = [&](float z) { // clip z / clip w of a point on the axis
        return (z * p.m[10] + p.m[14]) / (z * p.m[11]);
    };
    EXPECT_NEAR(depth(-1), -1.0f, 1e-5f);
    EXPECT_NEAR(depth(-100), 1.0f, 1e-5f);
    EXPECT_NEAR(p.m[5], 1.0f, 1e-6f); // cot(45 degrees)
    EXPECT_NEAR(p.m[0], 0.5f, 1e-6f); // divided by the aspect
}
