// Hinges and up-vector joints moving real bodies.
#include "PhysicsTestScene.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace physics_test;

namespace {

constexpr float kRadToDeg = 57.29578f;

class JointScene : public ::testing::Test {
  protected:
    void SetUp() override {
        qpClearLastError(); // the last error is library-wide: start each case clean
        world = qpWorldCreate();
    }
    void TearDown() override { qpWorldDestroy(world); }
    TqpWorldHandle world = nullptr;
};

TqpMatrix Matrix(TqpBodyHandle body) {
    TqpMatrix m;
    qpBodyGetMatrix(&m, body);
    return m;
}

// Turn of the body's x axis about Y and about Z, degrees.
float YawDegrees(TqpBodyHandle body) {
    const TqpMatrix m = Matrix(body);
    return std::atan2(-m.m[2], m.m[0]) * kRadToDeg;
}
float RollDegrees(TqpBodyHandle body) {
    const TqpMatrix m = Matrix(body);
    return std::atan2(m.m[1], m.m[0]) * kRadToDeg;
}

void QUARN_CALL GravityAndPush(TqpBodyHandle body) {
    ApplyGravity(body);
    const TQUARNVector push{0, 3, 0};
    qpBodyAddGlobalTorque(body, &push);
}

} // namespace

TEST_F(JointScene, DoorSwingsAndStopsAtItsLimit) {
    TqpBodyHandle frame = AddBox(world, TQUARNVector{0.2f, 0.2f, 0.2f}, 0, TQUARNVector{-1, 1, 0});
    TqpBodyHandle door =
        AddFallingBox(world, TQUARNVector{1, 2, 0.1f}, 5, TQUARNVector{0.6f, 1, 0});
    qpBodySetForceAndTorqueCallback(door, &GravityAndPush);
    const TQUARNVector pivot{0, 1, 0}, pin{0, 1, 0};
    TqpJointHandle hinge = qpJointCreateHinge(frame, door, &pivot, &pin);
    ASSERT_NE(hinge, nullptr);
    qpJointSetHingeLimits(hinge, -30, 30);
    qpJointSetHingeLimitsEnabled(hinge, 1);
    Simulate(world, 0.5f);
    EXPECT_GT(std::fabs(YawDegrees(door)), 5.0f); // it swings
    Simulate(world, 3);
    EXPECT_NEAR(std::fabs(YawDegrees(door)), 30.0f, 2.0f);
    // Held at the hinge against gravity: the pivot edge stays where it was.
    const TqpMatrix m = Matrix(door);
    EXPECT_NEAR(m.m[13], 1.0f, 0.05f);
    const float r = std::sqrt(m.m[12] * m.m[12] + m.m[14] * m.m[14]);
    EXPECT_NEAR(r, 0.6f, 0.05f);
}

TEST_F(JointScene, MotorisedHingeReachesASteadySpin) {
    TqpBodyHandle frame = AddBox(world, TQUARNVector{0.2f, 0.2f, 0.2f}, 0, TQUARNVector{0, 5, -2});
    TqpBodyHandle wheel = AddBox(world, TQUARNVector{1, 1, 0.2f}, 1, TQUARNVector{0, 5, 0});
    qpBodySetAutoFreeze(wheel, 0);
    const TQUARNVector pivot{0, 5, 0}, pin{0, 0, 1};
    TqpJointHandle hinge = qpJointCreateHinge(frame, wheel, &pivot, &pin);
    qpJointSetHingeMotorAccel(hinge, 5, 1);
    qpJointSetHingeMotorEnabled(hinge, 1);
    Simulate(world, 8);
    TQUARNVector w;
    qpBodyGetOmega(&w, wheel);
    // Steady where acceleration = damping x spin; the spin is the frame's relative to the wheel.
    EXPECT_NEAR(w.z, -5.0f, 0.25f);
    EXPECT_NEAR(w.x, 0.0f, 0.05f);
    EXPECT_NEAR(w.y, 0.0f, 0.05f);
    Simulate(world, 2);
    TQUARNVector later;
    qpBodyGetOmega(&later, wheel);
    EXPECT_NEAR(later.z, w.z, 0.1f);
}

TEST_F(JointScene, FixedAngleServoHoldsAnArmAgainstGravity) {
    TqpBodyHandle frame = AddBox(world, TQUARNVector{0.2f, 0.2f, 0.2f}, 0, TQUARNVector{0, 5, -2});
    TqpBodyHandle arm = AddFallingBox(world, TQUARNVector{2, 0.2f, 0.2f}, 1, TQUARNVector{1, 5, 0});
    const TQUARNVector pivot{0, 5, 0}, pin{0, 0, 1};
    TqpJointHandle hinge = qpJointCreateHinge(frame, arm, &pivot, &pin);
    qpJointSetHingeFixedAngle(hinge, 30);
    qpJointSetHingeFixedAngleEnabled(hinge, 1);
    Simulate(world, 3);
    // The hinge angle is the frame's turn relative to the arm: the arm turns the other way.
    EXPECT_NEAR(RollDegrees(arm), -30.0f, 1.0f);
    qpJointSetHingeFixedAngle(hinge, -10);
    Simulate(world, 2);
    EXPECT_NEAR(RollDegrees(arm), 10.0f, 1.0f);
}

TEST_F(JointScene, UpVectorJointKeepsAFallingBoxUpright) {
    TqpBodyHandle box = AddFallingBox(world, TQUARNVector{1, 1, 1}, 1, TQUARNVector{0, 20, 0});
    const TQUARNVector spin{3, 2, -3};
    qpBodySetOmega(box, &spin);
    const TQUARNVector up{0, 1, 0};
    TqpJointHandle joint = qpJointCreateUpVector(box, &up);
    ASSERT_NE(joint, nullptr);
    TQUARNVector pin{9, 9, 9};
    qpJointGetUpVectorPin(&pin, joint);
    EXPECT_EQ(pin.x, 0.0f);
    EXPECT_EQ(pin.y, 0.0f);
    EXPECT_EQ(pin.z, 0.0f);
    qpJointSetUpVectorPin(joint, &up);
    qpJointGetUpVectorPin(&pin, joint);
    EXPECT_EQ(pin.y, 1.0f);
    Simulate(world, 1.5f);
    const TqpMatrix m = Matrix(box);
    EXPECT_GT(m.m[5], 0.99f);  // its y axis still points up
    EXPECT_LT(m.m[13], 15.0f); // while it fell freely
    TQUARNVector w;
    qpBodyGetOmega(&w, box);
    EXPECT_GT(std::fabs(w.y), 0.5f); // turning about the pin stays free
    qpJointDestroyUpVector(joint);
}

TEST_F(JointScene, DestroyingABodyTakesItsJointsWithIt) {
    TqpBodyHandle frame = AddBox(world, TQUARNVector{0.2f, 0.2f, 0.2f}, 0, TQUARNVector{-1, 1, 0});
    TqpBodyHandle door =
        AddFallingBox(world, TQUARNVector{1, 2, 0.1f}, 5, TQUARNVector{0.6f, 1, 0});
    TqpBodyHandle other = AddFallingBox(world, TQUARNVector{1, 1, 1}, 1, TQUARNVector{5, 1, 0});
    const TQUARNVector pivot{0, 1, 0}, pin{0, 1, 0}, up{0, 1, 0};
    ASSERT_NE(qpJointCreateHinge(frame, door, &pivot, &pin), nullptr);
    ASSERT_NE(qpJointCreateUpVector(door, &up), nullptr);
    TqpJointHandle kept = qpJointCreateUpVector(other, &up);
    Simulate(world, 0.1f);
    qpBodyDestroy(door);
    Simulate(world, 0.5f);
    qpBodyDestroy(frame);
    Simulate(world, 0.5f);
    EXPECT_EQ(qpGetLastError(), nullptr);
    EXPECT_LT(Position(other).y, 1.0f); // still simulated
    qpJointSetUpVectorPin(kept, &up);   // the unrelated joint lives on
    EXPECT_EQ(qpGetLastError(), nullptr);
}

TEST_F(JointScene, HingeToTheWorldHoldsItsPivot) {
    TqpBodyHandle arm = AddFallingBox(world, TQUARNVector{2, 0.2f, 0.2f}, 1, TQUARNVector{1, 5, 0});
    const TQUARNVector pivot{0, 5, 0}, pin{0, 0, 1};
    ASSERT_NE(qpJointCreateHinge(nullptr, arm, &pivot, &pin), nullptr);
    Simulate(world, 4);
    // A pendulum about the pivot: the centre stays 1 from it and drops below it.
    const TqpMatrix m = Matrix(arm);
    const float dx = m.m[12], dy = m.m[13] - 5;
    EXPECT_NEAR(std::sqrt(dx * dx + dy * dy), 1.0f, 0.05f);
    EXPECT_NEAR(m.m[14], 0.0f, 0.05f);
}

// A host that frees every joint with the up-vector export frees hinges too.
TEST_F(JointScene, TheUpVectorDestroyFreesAHingeAsWell) {
    TqpBodyHandle arm = AddFallingBox(world, TQUARNVector{2, 0.2f, 0.2f}, 1, TQUARNVector{1, 5, 0});
    const TQUARNVector pivot{0, 5, 0}, pin{0, 0, 1};
    TqpJointHandle hinge = qpJointCreateHinge(nullptr, arm, &pivot, &pin);
    ASSERT_NE(hinge, nullptr);
    qpJointDestroyUpVector(hinge);
    EXPECT_EQ(qpGetLastError(), nullptr);
    Simulate(world, 1);
    EXPECT_LT(Matrix(arm).m[13], 2.0f); // falls freely instead of swinging about the pivot
}
