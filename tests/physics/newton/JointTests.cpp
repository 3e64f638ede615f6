#include "LayerScene.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace layer_test;

namespace {

// The point one unit above the child's origin is pinned to the parent point (0, 6, 0), or
// to the parent body's origin when there is a parent.
void PinTop(const NewtonJoint* joint) {
    float child[16];
    NewtonBodyGetMatrix(NewtonJointGetBody0(joint), child);
    float onChild[3];
    for (int i = 0; i < 3; ++i)
        onChild[i] = child[12 + i] + child[4 + i]; // origin + y axis
    float onParent[3] = {0, 6, 0};
    if (const NewtonBody* parent = NewtonJointGetBody1(joint)) {
        float p[16];
        NewtonBodyGetMatrix(parent, p);
        for (int i = 0; i < 3; ++i)
            onParent[i] = p[12 + i];
    }
    const float axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (const auto& axis : axes)
        NewtonUserJointAddLinearRow(joint, onChild, onParent, axis);
}

float Yaw(const NewtonBody* body) {
    float m[16];
    NewtonBodyGetMatrix(body, m);
    // The x axis turned about y: its z component is -sin(yaw).
    return std::atan2(-m[2], m[0]);
}

void Spin(const NewtonBody* body) {
    const float torque[3] = {0, 20, 0};
    NewtonBodySetTorque(body, torque);
}

// Holds the centre and the yaw (the error is the parent's angle relative to the child).
void HoldYaw(const NewtonJoint* joint) {
    const NewtonBody* child = NewtonJointGetBody0(joint);
    float m[16];
    NewtonBodyGetMatrix(child, m);
    const float centre[3] = {0, 5, 0};
    const float axes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (const auto& axis : axes)
        NewtonUserJointAddLinearRow(joint, &m[12], centre, axis);
    NewtonUserJointAddAngularRow(joint, -Yaw(child), axes[1]);
}

float g_acceleration = 0;
void AccelerateYaw(const NewtonJoint* joint) {
    const float up[3] = {0, 1, 0};
    NewtonUserJointAddAngularRow(joint, 0.0f, up);
    NewtonUserJointSetRowAcceleration(joint, g_acceleration);
}

int g_destroyed = 0;
void CountDestroyed(const NewtonJoint*) {
    ++g_destroyed;
}

class JointTest : public ::testing::Test {
  protected:
    void SetUp() override { g_destroyed = 0; }
    LayerScene scene;
};

} // namespace

TEST_F(JointTest, LinearRowsPinABodyToAWorldPoint) {
    NewtonBody* bob = scene.AddBox(0.5f, 1.0f, 0.0f, 5.0f, 0.0f);
    NewtonConstraintCreateUserJoint(scene.World(), 3, &PinTop, bob, nullptr);
    const float push[3] = {3, 0, 0};
    NewtonBodySetVelocity(bob, push);
    for (int i = 0; i < 240; ++i) {
        scene.Run(1);
        float m[16];
        NewtonBodyGetMatrix(bob, m);
        const float dx = m[12] + m[4], dy = m[13] + m[5] - 6.0f, dz = m[14] + m[6];
        ASSERT_LT(std::sqrt(dx * dx + dy * dy + dz * dz), 0.05f) << "update " << i;
    }
    // It swings as a pendulum rather than hanging still.
    EXPECT_GT(std::abs(Position(bob)[0]) + std::abs(Velocity(bob)[0]), 0.05f);
}

TEST_F(JointTest, LinearRowsHoldTwoFallingBodiesTogether) {
    scene.AddTreeFloor(0.0f);
    NewtonBody* parent = scene.AddBox(1.0f, 1.0f, 0.0f, 4.0f, 0.0f);
    NewtonBody* child = scene.AddBox(0.5f, 1.0f, 0.0f, 3.0f, 0.0f);
    NewtonConstraintCreateUserJoint(scene.World(), 3, &PinTop, child, parent);
    scene.Run(180);
    const auto p = Position(parent);
    EXPECT_LT(p[1], 3.0f); // they fell and landed
    float m[16];
    NewtonBodyGetMatrix(child, m);
    const float top[3] = {m[12] + m[4], m[13] + m[5], m[14] + m[6]};
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(top[i], p[i], 0.05f) << i;
}

TEST_F(JointTest, AngularRowHoldsTheAngleAgainstATorque) {
    NewtonBody* free = scene.AddBox(1.0f, 1.0f, 3.0f, 5.0f, 0.0f);
    NewtonBodySetForceAndTorqueCallback(free, &Spin);
    NewtonBody* held = scene.AddBox(1.0f, 1.0f, 0.0f, 5.0f, 0.0f);
    NewtonBodySetForceAndTorqueCallback(held, [](const NewtonBody* b) {
        Gravity(b);
        Spin(b);
    });
    NewtonConstraintCreateUserJoint(scene.World(), 4, &HoldYaw, held, nullptr);
    scene.Run(60);
    EXPECT_GT(std::abs(Yaw(free)), 0.5f);
    EXPECT_LT(std::abs(Yaw(held)), 0.05f);
    EXPECT_NEAR(Position(held)[1], 5.0f, 0.02f);
}

TEST_F(JointTest, RowAccelerationDrivesTheRelativeSpin) {
    NewtonBody* wheel = scene.AddBox(1.0f, 1.0f, 0.0f, 5.0f, 0.0f);
    NewtonBodySetForceAndTorqueCallback(wheel, nullptr);
    NewtonBodySetAutoFreeze(wheel, 0);
    g_acceleration = 3.0f;
    NewtonConstraintCreateUserJoint(scene.World(), 1, &AccelerateYaw, wheel, nullptr);
    scene.Run(60);
    float omega[3];
    NewtonBodyGetOmega(wheel, omega);
    // The row measures (parent - child) spin about the direction; the world parent is still.
    EXPECT_NEAR(omega[1], -3.0f, 0.05f);
}

TEST_F(JointTest, DestructorRunsOnceWhenEitherBodyOrTheJointGoes) {
    NewtonBody* a = scene.AddBox(1.0f, 1.0f, 0.0f, 5.0f, 0.0f);
    NewtonBody* b = scene.AddBox(1.0f, 1.0f, 2.0f, 5.0f, 0.0f);
    NewtonJoint* onParent = NewtonConstraintCreateUserJoint(scene.World(), 3, &PinTop, a, b);
    NewtonJoint* onWorld = NewtonConstraintCreateUserJoint(scene.World(), 3, &PinTop, b, nullptr);
    NewtonJoint* explicitOne =
        NewtonConstraintCreateUserJoint(scene.World(), 3, &PinTop, a, nullptr);
    for (NewtonJoint* j : {onParent, onWorld, explicitOne})
        NewtonJointSetDestructor(j, &CountDestroyed);
    NewtonDestroyJoint(scene.World(), explicitOne);
    EXPECT_EQ(g_destroyed, 1);
    NewtonDestroyBody(scene.World(), b); // the parent of one joint, the child of the other
    EXPECT_EQ(g_destroyed, 3);
    scene.Run(5);
    EXPECT_LT(Position(a)[1], 5.0f); // a falls freely now

    NewtonBody* c = scene.AddBox(1.0f, 1.0f, 4.0f, 5.0f, 0.0f);
    NewtonJointSetDestructor(NewtonConstraintCreateUserJoint(scene.World(), 3, &PinTop, c, nullptr),
                             &CountDestroyed);
    NewtonDestroyAllBodies(scene.World());
    EXPECT_EQ(g_destroyed, 4);
}

TEST_F(JointTest, JointUserDataAndBodiesAreKept) {
    NewtonBody* a = scene.AddBox(1.0f, 1.0f, 0.0f, 5.0f, 0.0f);
    int tag = 7;
    NewtonJoint* joint = NewtonConstraintCreateUserJoint(scene.World(), 2, &PinTop, a, nullptr);
    NewtonJointSetUserData(joint, &tag);
    EXPECT_EQ(NewtonJointGetUserData(joint), &tag);
    EXPECT_EQ(NewtonJointGetBody0(joint), a);
    EXPECT_EQ(NewtonJointGetBody1(joint), nullptr);
    EXPECT_EQ(NewtonConstraintCreateUserJoint(scene.World(), 2, &PinTop, a, a), nullptr);
    EXPECT_EQ(NewtonConstraintCreateUserJoint(scene.World(), 0, &PinTop, a, nullptr), nullptr);
}
