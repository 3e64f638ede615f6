// Bodies through the exports: accumulated forces, matrices, interpolation and release.
#include "PhysicsTestScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace physics_test;

namespace {

void ExpectVec(const TQUARNVector& v, float x, float y, float z, float tol = 1e-5f) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

void ExpectMatrixNear(const TqpMatrix& a, const TqpMatrix& b, float tol = 1e-5f) {
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], tol) << "element " << i;
}

class BodyState : public ::testing::Test {
  protected:
    void SetUp() override {
        qpClearLastError(); // the suite's cases may run in one process
        world = qpWorldCreate();
        body = AddBox(world, TQUARNVector{1, 1, 1}, 1.0f, TQUARNVector{0, 0, 0});
        qpBodySetAutoFreeze(body, 0);
    }
    void TearDown() override { qpWorldDestroy(world); }
    TqpWorldHandle world = nullptr;
    TqpBodyHandle body = nullptr;
};

std::vector<TQUARNVector> g_forcesSeen;
void QUARN_CALL RecordForce(TqpBodyHandle b) {
    TQUARNVector f;
    qpBodyGetForce(&f, b);
    g_forcesSeen.push_back(f);
}

int g_transforms = 0;
TqpMatrix g_lastTransform;
void QUARN_CALL RecordTransform(TqpBodyHandle, const TqpMatrix* m) {
    ++g_transforms;
    g_lastTransform = *m;
}

} // namespace

TEST_F(BodyState, ForcesAddedBetweenStepsReachOnlyTheFirstUpdate) {
    g_forcesSeen.clear();
    qpBodySetForceAndTorqueCallback(body, &RecordForce);
    const TQUARNVector up{0, 10, 0};
    qpBodyAddForce(body, &up);
    qpBodyAddForce(body, &up);
    qpWorldStep(world, 2.0f / 60.0f + 0.001f, 1, 60.0f);
    ASSERT_EQ(g_forcesSeen.size(), 2u);
    ExpectVec(g_forcesSeen[0], 0, 20, 0);
    ExpectVec(g_forcesSeen[1], 0, 0, 0);
    // 20 N on 1 kg for one 1/60 s update, nothing in the second.
    EXPECT_NEAR(Velocity(body).y, 20.0f / 60.0f, 0.02f);
    TQUARNVector after;
    qpBodyGetForce(&after, body);
    ExpectVec(after, 0, 0, 0);
}

TEST_F(BodyState, ForceAtTheOriginAddsNoTorqueAndOffsetForceDoes) {
    TqpMatrix m = Translation(TQUARNVector{3, 4, 5});
    qpBodySetMatrix(body, &m);
    const TQUARNVector origin{3, 4, 5}, offset{4, 4, 5}, force{0, 2, 0};
    qpBodyAddGlobalForce(body, &origin, &force);
    TQUARNVector t;
    qpBodyGetTorque(&t, body);
    ExpectVec(t, 0, 0, 0);
    qpBodyAddGlobalForce(body, &offset, &force);
    qpBodyGetTorque(&t, body);
    ExpectVec(t, 0, 0, 2); // (1, 0, 0) x (0, 2, 0)
    TQUARNVector f;
    qpBodyGetForce(&f, body);
    ExpectVec(f, 0, 4, 0);
}

TEST_F(BodyState, SetLocalForceReplacesTheForceAndKeepsTheTorque) {
    const TQUARNVector torque{1, 2, 3}, oldForce{7, 7, 7};
    qpBodyAddGlobalTorque(body, &torque);
    qpBodyAddForce(body, &oldForce);
    const TQUARNVector point{1, 0, 0}, force{0, 1, 0};
    qpBodySetLocalForce(body, &point, &force);
    TQUARNVector f, t;
    qpBodyGetForce(&f, body);
    qpBodyGetTorque(&t, body);
    ExpectVec(f, 0, 1, 0);
    ExpectVec(t, 1, 2, 4);
    const TQUARNVector replaced{0, 0, 9};
    qpBodySetGlobalForce(body, &replaced);
    qpBodyGetForce(&f, body);
    qpBodyGetTorque(&t, body);
    ExpectVec(f, 0, 0, 9);
    ExpectVec(t, 1, 2, 4);
    qpBodySetTorque(body, &replaced);
    qpBodyGetTorque(&t, body);
    ExpectVec(t, 0, 0, 9);
}

TEST_F(BodyState, LocalForcesAndTorquesFollowTheBodyFrame) {
    TqpMatrix m = RotationZ(90, TQUARNVector{5, 0, 0}); // local x points along world y
    qpBodySetMatrix(body, &m);
    const TQUARNVector point{1, 0, 0}, force{0, 1, 0};
    qpBodyAddLocalForce(body, &point, &force);
    TQUARNVector f, t;
    qpBodyGetForce(&f, body);
    qpBodyGetTorque(&t, body);
    ExpectVec(f, -1, 0, 0);
    ExpectVec(t, 0, 0, 1); // arm (0, 1, 0) from the origin at (5, 0, 0)
    const TQUARNVector localTorque{1, 0, 0};
    qpBodyAddLocalTorque(body, &localTorque);
    qpBodyGetTorque(&t, body);
    ExpectVec(t, 0, 1, 1);
}

TEST_F(BodyState, PointVelocityCombinesLinearAndAngularVelocity) {
    const TQUARNVector v{1, 0, 0}, w{0, 0, 1}, top{0, 1, 0};
    qpBodySetVelocity(body, &v);
    qpBodySetOmega(body, &w);
    TQUARNVector r;
    ExpectVec(*qpBodyGetVelocityAtGlobalPoint(&r, body, &top), 0, 0, 0);
    const TQUARNVector centre{0, 1, 0};
    qpBodySetCenterOfMass(body, &centre);
    ExpectVec(*qpBodyGetVelocityAtGlobalPoint(&r, body, &top), 1, 0, 0);
    TqpMatrix m = Translation(TQUARNVector{0, 2, 0});
    qpBodySetMatrix(body, &m);
    const TQUARNVector localOrigin{0, 0, 0}; // world (0, 2, 0): one unit above the centre
    ExpectVec(*qpBodyGetVelocityAtLocalPoint(&r, body, &localOrigin), 0, 0, 0);
    ExpectVec(*qpBodyGetVelocity(&r, body), 1, 0, 0);
    ExpectVec(*qpBodyGetOmega(&r, body), 0, 0, 1);
}

TEST_F(BodyState, SetMatrixThenInterpolationGivesTheSameMatrixForAnyAlpha) {
    TqpMatrix m = RotationZ(33, TQUARNVector{1, 2, 3});
    qpBodySetMatrix(body, &m);
    for (float alpha : {0.0f, 0.3f, 1.0f, -0.5f}) {
        TqpMatrix out;
        ASSERT_EQ(qpBodyGetInterpolatedMatrix(&out, body, alpha), &out);
        ExpectMatrixNear(out, m);
    }
    TqpMatrix got;
    ASSERT_EQ(qpBodyGetMatrix(&got, body), &got);
    ExpectMatrixNear(got, m, 0);
}

TEST_F(BodyState, AStepBackToThePoseReportedBeforeATeleportIsReported) {
    // 0.5 s at 2 units/s reaches x = 1; teleported back to 0, the same step ends at x = 1
    // again, bit for bit the pose the body reported before the teleport.
    const TQUARNVector v{2, 0, 0};
    TqpMatrix m{}, got{};
    for (int run = 0; run < 2; ++run) {
        m = Translation(TQUARNVector{0, 0, 0});
        qpBodySetMatrix(body, &m);
        qpBodySetVelocity(body, &v);
        qpWorldStep(world, 0.5f, 0, 0);
        qpBodyGetMatrix(&got, body);
        EXPECT_NEAR(got.m[12], 1.0f, 1e-4f) << "run " << run;
        TQUARNVector velocity;
        ExpectVec(*qpBodyGetVelocity(&velocity, body), 2, 0, 0, 1e-4f);
    }
}

TEST_F(BodyState, InterpolationRunsFromTheCurrentToThePreviousPose) {
    const TQUARNVector v{6, 0, 0}, w{0, 0, 3};
    qpBodySetVelocity(body, &v);
    qpBodySetOmega(body, &w);
    g_transforms = 0;
    qpBodySetTransformCallback(body, &RecordTransform);
    qpWorldStep(world, 1.0f / 60.0f, 1, 60.0f);
    ASSERT_EQ(g_transforms, 1);
    TqpMatrix current, previous, middle;
    qpBodyGetInterpolatedMatrix(&current, body, 0.0f);
    qpBodyGetInterpolatedMatrix(&previous, body, 1.0f);
    qpBodyGetInterpolatedMatrix(&middle, body, 0.5f);
    TqpMatrix now;
    qpBodyGetMatrix(&now, body);
    ExpectMatrixNear(current, now);
    ExpectMatrixNear(g_lastTransform, now, 0);
    ExpectMatrixNear(previous, Translation(TQUARNVector{0, 0, 0}), 1e-5f);
    EXPECT_NEAR(now.m[12], 0.1f, 0.01f);
    EXPECT_NEAR(middle.m[12], now.m[12] / 2, 1e-5f);
    // Half of the turn: the x axis points at half the angle.
    const float half = std::atan2(now.m[1], now.m[0]) / 2;
    EXPECT_NEAR(std::atan2(middle.m[1], middle.m[0]), half, 1e-4f);
}

TEST_F(BodyState, ExtrapolationPastTheFloatRangeIsRefused) {
    const TQUARNVector v{600, 0, 0};
    qpBodySetVelocity(body, &v);
    qpWorldStep(world, 1.0f / 60.0f, 1, 60.0f);
    TqpMatrix now, ahead;
    qpBodyGetMatrix(&now, body);
    ASSERT_GT(now.m[12], 2.0f);
    // A little ahead of the current pose is fine.
    ASSERT_EQ(qpBodyGetInterpolatedMatrix(&ahead, body, -0.5f), &ahead);
    EXPECT_NEAR(ahead.m[12], now.m[12] * 1.5f, 1e-3f);
    // A finite alpha that carries the pose past the float range is refused, the result kept.
    ahead.m[12] = -7;
    EXPECT_EQ(qpBodyGetInterpolatedMatrix(&ahead, body, -3e38f), nullptr);
    ASSERT_NE(qpGetLastError(), nullptr);
    EXPECT_NE(std::string(qpGetLastError()).find("qpBodyGetInterpolatedMatrix: alpha"),
              std::string::npos);
    EXPECT_EQ(ahead.m[12], -7);
}

TEST_F(BodyState, ReleasedBodyAnswersUntilTheNextStep) {
    TqpMatrix m = Translation(TQUARNVector{1, 2, 3});
    qpBodySetMatrix(body, &m);
    int tag = 0;
    qpBodySetUserData(body, &tag);
    qpBodyDestroy(body);
    qpBodyDestroy(body);
    TqpMatrix got;
    qpBodyGetMatrix(&got, body);
    ExpectMatrixNear(got, m, 0);
    EXPECT_EQ(qpBodyGetUserData(body), &tag);
    EXPECT_EQ(qpBodyGetMass(body), 1.0f);
    qpWorldStep(world, 0.001f, 1, 60.0f);
    EXPECT_EQ(qpGetLastError(), nullptr);
}

TEST(BodyBuild, TreeBodyIsStaticAndKeepsTheMatrixItWasGiven) {
    TqpWorldHandle world = qpWorldCreate();
    TqpBodyHandle floor = AddTreeFloor(world, 5, 0);
    ASSERT_NE(floor, nullptr);
    TqpMatrix m = Translation(TQUARNVector{0, -1, 0});
    qpBodySetMatrix(floor, &m);
    qpWorldStep(world, 0.2f, 1, 60.0f);
    TqpMatrix got;
    qpBodyGetMatrix(&got, floor);
    ExpectMatrixNear(got, m, 0);
    qpWorldDestroy(world);
}

// Motion given while a body is still static (no mass yet) starts it once it has one, as the
// values it reports say; a mass whose inertia would leave the float range is refused.
TEST(BodyBuild, MotionGivenBeforeTheMassIsKeptAndAnOverflowingMassRefused) {
    TqpWorldHandle world = qpWorldCreate();
    TQUARNVector size{10, 10, 10};
    TqpBodyHandle body =
        qpBodyCreate(world, 1, qpCollisionCreateBySize(world, QP_COLLISION_BOX, &size));
    qpBodySetAutoFreeze(body, 0);
    const TQUARNVector velocity{6, 0, 0}, spin{0, 3, 0};
    qpBodySetVelocity(body, &velocity);
    qpBodySetOmega(body, &spin);
    qpBodySetMass(body, 1);
    Simulate(world, 1);
    EXPECT_NEAR(Position(body).x, 6, 0.1f);
    TQUARNVector w{};
    qpBodyGetOmega(&w, body);
    EXPECT_NEAR(w.y, 3, 0.1f);

    qpClearLastError();
    qpBodySetMass(body, 1e38f);
    ASSERT_NE(qpGetLastError(), nullptr);
    EXPECT_NE(std::string(qpGetLastError()).find("inertia leave the float range"),
              std::string::npos);
    EXPECT_EQ(qpBodyGetMass(body), 1.0f);
    qpWorldDestroy(world);
}

TEST(BodyBuild, OneCollisionBuildsManyBodies) {
    TqpWorldHandle world = qpWorldCreate();
    TQUARNVector size{1, 1, 1};
    TqpCollisionHandle box = qpCollisionCreateBySize(world, QP_COLLISION_BOX, &size);
    TqpBodyHandle a = qpBodyCreate(world, 1, box);
    TqpBodyHandle b = qpBodyCreate(world, 1, box);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    qpBodyDestroy(a);
    qpWorldStep(world, 0.02f, 1, 60.0f);
    TqpBodyHandle c = qpBodyCreate(world, 1, box); // the shape outlived the first body
    ASSERT_NE(c, nullptr);
    qpBodySetMass(c, 1);
    qpWorldStep(world, 0.02f, 1, 60.0f);
    qpWorldDestroy(world);
}
