#include "LayerScene.h"

#include <gtest/gtest.h>

#include <vector>

using namespace layer_test;

namespace {

int g_tyreUpdates = 0;
float g_torque = 0;
float g_steer = 0;
int g_destroyed = 0;

void DriveAll(const NewtonJoint* vehicle) {
    ++g_tyreUpdates;
    int index = 0;
    for (void* id = NewtonVehicleGetFirstTireID(vehicle); id;
         id = NewtonVehicleGetNextTireID(vehicle, id), ++index) {
        NewtonVehicleSetTireTorque(vehicle, id, g_torque);
        if (index < 2) NewtonVehicleSetTireSteerAngle(vehicle, id, g_steer); // the +z pair
    }
}

class VehicleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_tyreUpdates = 0;
        g_torque = 0;
        g_steer = 0;
        g_destroyed = 0;
        scene.AddTreeFloor(0.0f);
        NewtonCollision* box = NewtonCreateBox(scene.World(), 2.0f, 0.5f, 4.0f, nullptr);
        chassis = scene.AddBody(box, 100.0f, 0.0f, 1.5f, 0.0f);
        NewtonReleaseCollision(scene.World(), box);
        NewtonBodySetAutoFreeze(chassis, 0);
        const float up[3] = {0, 1, 0};
        vehicle = NewtonConstraintCreateVehicle(scene.World(), up, chassis);
        NewtonVehicleSetTireCallback(vehicle, &DriveAll);
        const float pin[3] = {1, 0, 0};
        const float corners[4][2] = {{-1, 1.5f}, {1, 1.5f}, {-1, -1.5f}, {1, -1.5f}};
        for (const auto& c : corners) {
            const Matrix local = Translation(c[0], -0.25f, c[1]);
            tyres.push_back(NewtonVehicleAddTire(vehicle, local.data(), pin, 10.0f, 0.3f, kRadius,
                                                 4.0f, kSpring, kLength, &tyres, 1));
        }
    }

    static constexpr float kRadius = 0.4f;
    static constexpr float kSpring = 40.0f;
    static constexpr float kLength = 0.5f;
    LayerScene scene;
    NewtonBody* chassis = nullptr;
    NewtonJoint* vehicle = nullptr;
    std::vector<void*> tyres;
};

} // namespace

TEST_F(VehicleTest, SettlesOnItsSuspension) {
    scene.Run(240);
    EXPECT_EQ(g_tyreUpdates, 240);
    // Four springs of 40 per unit mass carry g: each compresses g / 160.
    const float compression = 9.8f / (4 * kSpring);
    const float expected = 0.25f + (kLength - compression) + kRadius;
    EXPECT_NEAR(Position(chassis)[1], expected, 0.03f);
    EXPECT_NEAR(Velocity(chassis)[1], 0.0f, 0.02f);
    for (void* id : tyres)
        EXPECT_EQ(NewtonVehicleTireIsAirBorne(vehicle, id), 0);
    float m[16];
    NewtonVehicleGetTireMatrix(vehicle, tyres[0], m);
    EXPECT_NEAR(m[13], kRadius, 0.03f); // the tyre centre sits a radius above the floor
}

TEST_F(VehicleTest, TorqueAboutThePinDrivesItForward) {
    scene.Run(60);
    const float start = Position(chassis)[2];
    g_torque = 100.0f;
    scene.Run(120);
    // A positive torque about +x rolls toward pin x up = +z.
    EXPECT_GT(Position(chassis)[2] - start, 1.0f);
    EXPECT_GT(Velocity(chassis)[2], 1.0f);
    EXPECT_NEAR(Position(chassis)[0], 0.0f, 0.1f);
}

TEST_F(VehicleTest, SteeringTheFrontTyresTurnsIt) {
    scene.Run(60);
    g_torque = 100.0f;
    g_steer = 0.3f; // about +y: the front tyres point toward +x
    scene.Run(120);
    EXPECT_GT(Position(chassis)[0], 0.3f);
    EXPECT_GT(Velocity(chassis)[0], 0.3f);
}

TEST_F(VehicleTest, SuspensionPushesTheDynamicBodyItStandsOn) {
    // A weightless raft above the floor: only the tyres can push it down.
    NewtonCollision* slab = NewtonCreateBox(scene.World(), 10.0f, 1.0f, 10.0f, nullptr);
    NewtonBody* raft = scene.AddBody(slab, 1000.0f, 0.0f, 3.0f, 0.0f);
    NewtonReleaseCollision(scene.World(), slab);
    NewtonBodySetForceAndTorqueCallback(raft, nullptr);
    NewtonBodySetAutoFreeze(raft, 0);
    const Matrix above = Translation(0.0f, 4.6f, 0.0f);
    NewtonBodySetMatrix(chassis, above.data());
    scene.Run(60);
    for (void* id : tyres)
        EXPECT_EQ(NewtonVehicleTireIsAirBorne(vehicle, id), 0);
    EXPECT_LT(Velocity(raft)[1], -0.05f);
    EXPECT_LT(Position(raft)[1], 2.99f);
}

TEST_F(VehicleTest, TyresIterateInOrderWithTheirUserData) {
    void* id = NewtonVehicleGetFirstTireID(vehicle);
    for (void* expected : tyres) {
        EXPECT_EQ(id, expected);
        EXPECT_EQ(NewtonVehicleGetTireUserData(vehicle, id), &tyres);
        id = NewtonVehicleGetNextTireID(vehicle, id);
    }
    EXPECT_EQ(id, nullptr);
    NewtonVehicleRemoveTire(vehicle, tyres[1]);
    EXPECT_EQ(NewtonVehicleGetNextTireID(vehicle, tyres[0]), tyres[2]);
    scene.Run(240); // three tyres still carry it without touching the floor
    EXPECT_GT(Position(chassis)[1], 0.3f);
}

TEST_F(VehicleTest, GoesWithItsChassis) {
    NewtonJointSetDestructor(vehicle, [](const NewtonJoint*) { ++g_destroyed; });
    NewtonDestroyBody(scene.World(), chassis);
    EXPECT_EQ(g_destroyed, 1);
    scene.Run(2);
    EXPECT_EQ(g_tyreUpdates, 0);
}
