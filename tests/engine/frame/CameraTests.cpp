#include "engine/core/Camera.h"

#include <gtest/gtest.h>

using namespace quarn;

namespace {

int g_warps = 0;
int g_warpX = 0, g_warpY = 0;
void RecordWarp(int x, int y) {
    ++g_warps;
    g_warpX = x;
    g_warpY = y;
}

TQGLCamera MakeCamera() {
    g_warps = 0;
    TQGLCamera c(640, 480, Vec3{0, 0, 0});
    c.SetCursorWarp(&RecordWarp);
    return c;
}

} // namespace

TEST(Camera, StartsLookingDownMinusXWithItsCentreAtHalfTheWindow) {
    TQGLCamera c(641, 479, Vec3{1, 2, 3});
    EXPECT_FLOAT_EQ(c.direction.x, -1.0f);
    EXPECT_EQ(c.centreX, 320);
    EXPECT_EQ(c.centreY, 239);
    EXPECT_FLOAT_EQ(c.position.z, 3.0f);
    EXPECT_DOUBLE_EQ(c.speed, 0.25);
}

TEST(Camera, MouseLookAtTheCentreDoesNothing) {
    TQGLCamera c = MakeCamera();
    c.SetDirection(Vec3{0, 0, 1});
    c.MouseLook(320, 240);
    EXPECT_EQ(g_warps, 0);
    EXPECT_FLOAT_EQ(c.yaw, 0.0f);
    EXPECT_FLOAT_EQ(c.direction.z, 1.0f); // a set direction survives
}

TEST(Camera, TenPixelsLeftAddsTwoAndAHalfDegreesOfYawAndRecentresTheCursor) {
    TQGLCamera c = MakeCamera();
    c.MouseLook(310, 240);
    EXPECT_FLOAT_EQ(c.yaw, 2.5f);
    EXPECT_FLOAT_EQ(c.pitch, 0.0f);
    EXPECT_EQ(g_warps, 1);
    EXPECT_EQ(g_warpX, 320);
    EXPECT_EQ(g_warpY, 240);
}

TEST(Camera, PitchClampsAtEightyNineBothWays) {
    TQGLCamera c = MakeCamera();
    for (int i = 0; i < 10; ++i)
        c.MouseLook(320, 0); // 240 px up: +60 each
    EXPECT_FLOAT_EQ(c.pitch, 89.0f);
    for (int i = 0; i < 10; ++i)
        c.MouseLook(320, 480);
    EXPECT_FLOAT_EQ(c.pitch, -89.0f);
    c.invertMouse = true;
    c.MouseLook(320, 480);
    EXPECT_FLOAT_EQ(c.pitch, -29.0f); // inverted: moving down looks up
}

TEST(Camera, VerticalLookChangesPitchButNotTheDirection) {
    TQGLCamera c = MakeCamera();
    c.MouseLook(320, 200);
    EXPECT_FLOAT_EQ(c.pitch, 10.0f);
    EXPECT_NEAR(c.direction.x, -1.0f, 1e-6f);
    EXPECT_NEAR(c.direction.y, 0.0f, 1e-6f);
    EXPECT_NEAR(c.direction.z, 0.0f, 1e-6f);
}

TEST(Camera, DirectionFollowsYawAndRoll) {
    TQGLCamera c = MakeCamera();
    c.yaw = 90;
    c.UpdateDirection();
    EXPECT_NEAR(c.direction.x, 0.0f, 1e-6f);
    EXPECT_NEAR(c.direction.z, 1.0f, 1e-6f); // (-cos yaw, 0, sin yaw)
    c.yaw = 0;
    c.roll = 30;
    c.UpdateDirection();
    EXPECT_NEAR(c.direction.y, -0.5f, 1e-6f);
}

TEST(Camera, MoveAndStrafeRightAfterCreation) {
    TQGLCamera a = MakeCamera();
    a.Move(1);
    EXPECT_FLOAT_EQ(a.position.x, -1.0f);
    EXPECT_FLOAT_EQ(a.position.z, 0.0f);
    TQGLCamera b = MakeCamera();
    b.Strafe(1);
    EXPECT_FLOAT_EQ(b.position.x, 0.0f);
    EXPECT_FLOAT_EQ(b.position.z, 1.0f);
    EXPECT_FLOAT_EQ(b.position.y, 0.0f);
}

TEST(Camera, SpeedIsStoredButNotApplied) {
    TQGLCamera c = MakeCamera();
    c.speed = 5.0;
    c.Move(1);
    EXPECT_FLOAT_EQ(c.position.x, -1.0f);
}

TEST(Camera, MoveReplacesASetDirectionWithTheAngleDirection) {
    TQGLCamera c = MakeCamera();
    c.SetDirection(Vec3{0, 0, -1});
    c.Move(2);
    EXPECT_FLOAT_EQ(c.position.x, -2.0f);
    EXPECT_FLOAT_EQ(c.direction.x, -1.0f);
}
