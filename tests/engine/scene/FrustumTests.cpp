#include "engine/scene/Frustum.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quarn;

namespace {

void Box(Vec3 lo, Vec3 hi, Vec3 c[8]) {
    for (int i = 0; i < 8; ++i)
        c[i] = Vec3{(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z};
}

// Camera at the origin looking down -Z, near 1, far 100.
TQGLFrustrum MakeFrustum() {
    const Mat4 p = MatrixPerspective(45, 1, 1, 100);
    const Mat4 id = MatrixIdentity();
    TQGLFrustrum f;
    f.ExtractPlanesFrom(p.m, id.m);
    return f;
}

} // namespace

TEST(Frustum, AcceptsABoxInFrontOfTheCamera) {
    Vec3 c[8];
    Box({-1, -1, -11}, {1, 1, -9}, c);
    EXPECT_TRUE(MakeFrustum().ArePointsVisible(c));
}

TEST(Frustum, RejectsABoxBehindTheCameraAndBeyondTheFarPlane) {
    const TQGLFrustrum f = MakeFrustum();
    Vec3 c[8];
    Box({-1, -1, 5}, {1, 1, 7}, c);
    EXPECT_FALSE(f.ArePointsVisible(c));
    Box({-1, -1, -130}, {1, 1, -110}, c);
    EXPECT_FALSE(f.ArePointsVisible(c));
    Box({40, -1, -11}, {42, 1, -9}, c); // far to the right
    EXPECT_FALSE(f.ArePointsVisible(c));
}

TEST(Frustum, PlanesComeInTheDocumentedOrder) {
    const TQGLFrustrum f = MakeFrustum();
    // Far plane faces the camera (-z grows inside), near plane faces away.
    EXPECT_GT(f.Planes[TQGLFrustrum::Far][2], 0.0f);
    EXPECT_LT(f.Planes[TQGLFrustrum::Near][2], 0.0f);
    EXPECT_LT(f.Planes[TQGLFrustrum::Right][0], 0.0f);
    EXPECT_GT(f.Planes[TQGLFrustrum::Left][0], 0.0f);
    EXPECT_GT(f.Planes[TQGLFrustrum::Bottom][1], 0.0f);
    EXPECT_LT(f.Planes[TQGLFrustrum::Top][1], 0.0f);
}

TEST(Frustum, AFlatBoxLyingExactlyOnAPlaneCountsAsOutside) {
    // Identity projection and view: the right plane is exactly x = 1.
    const Mat4 id = MatrixIdentity();
    TQGLFrustrum f;
    f.ExtractPlanesFrom(id.m, id.m);
    Vec3 c[8];
    Box({1, -0.5f, -0.5f}, {1, 0.5f, 0.5f}, c);
    EXPECT_FALSE(f.ArePointsVisible(c));
    Box({0.99f, -0.5f, -0.5f}, {1, 0.5f, 0.5f}, c);
    EXPECT_TRUE(f.ArePointsVisible(c));
}

TEST(Frustum, ABoxEnclosingTheCameraIsVisible) {
    Vec3 c[8];
    Box({-500, -500, -500}, {500, 500, 500}, c);
    EXPECT_TRUE(MakeFrustum().ArePointsVisible(c));
}

TEST(Frustum, NothingIsVisibleBeforeTheFirstExtraction) {
    TQGLFrustrum f;
    Vec3 c[8];
    Box({-1, -1, -11}, {1, 1, -9}, c);
    EXPECT_FALSE(f.ArePointsVisible(c));
}

TEST(Frustum, BoxTestTransformsTheCornersFirst) {
    const TQGLFrustrum f = MakeFrustum();
    Vec3 c[8];
    Box({-1, -1, -1}, {1, 1, 1}, c); // around the camera's eye... moved in front by the matrix
    Box({-1, -1, 9}, {1, 1, 11}, c);
    EXPECT_FALSE(f.ArePointsVisible(c));
    EXPECT_TRUE(f.IsBoxVisible(MatrixTranslation({0, 0, -20}), c));
}

TEST(Frustum, PlanesFollowTheCameraTransform) {
    const Mat4 p = MatrixPerspective(45, 1, 1, 100);
    // Camera turned to look down +Z: model-view rotates the world by 180 degrees about Y.
    const Mat4 mv = MatrixRotY(3.14159265f);
    TQGLFrustrum f;
    f.ExtractPlanesFrom(p.m, mv.m);
    Vec3 c[8];
    Box({-1, -1, 9}, {1, 1, 11}, c);
    EXPECT_TRUE(f.ArePointsVisible(c));
    Box({-1, -1, -11}, {1, 1, -9}, c);
    EXPECT_FALSE(f.ArePointsVisible(c));
}
