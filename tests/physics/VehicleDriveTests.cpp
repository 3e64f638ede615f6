// Four-tyre vehicles on a floor, driven and steered through the exports.
#include "PhysicsTestScene.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace physics_test;

namespace {

constexpr float kRadToDeg = 57.29578f;

class VehicleScene : public ::testing::Test {
  protected:
    // A 2 x 0.5 x 4 chassis rolling along its z axis; on a slope (falling towards -X) the
    // chassis is turned so that it rolls along X, down the slope.
    void Build(float slopeDegrees, TQUARNVector start) {
        qpClearLastError(); // the last error is library-wide: start each case clean
        world = qpWorldCreate();
        AddTreeFloor(world, 100, 0, slopeDegrees);
        chassis = AddFallingBox(world, TQUARNVector{2, 0.5f, 4}, 100, start);
        if (slopeDegrees != 0) {
            const float a = slopeDegrees * 3.14159265f / 180, c = std::cos(a), s = std::sin(a);
            // x axis: -Z; z axis: up the slope; y axis: the slope's normal.
            TqpMatrix m = {{0, 0, -1, 0, -s, c, 0, 0, c, s, 0, 0, start.x, start.y, start.z, 1}};
            qpBodySetMatrix(chassis, &m);
        }
        vehicle = qpVehicleCreate(chassis);
        ASSERT_NE(vehicle, nullptr);
        const TQUARNVector axle{1, 0, 0};
        const float corners[4][2] = {{-1, 1.5f}, {1, 1.5f}, {-1, -1.5f}, {1, -1.5f}};
        for (int i = 0; i < 4; ++i) {
            const TQUARNVector at{corners[i][0], -0.25f, corners[i][1]};
            tyres[i] = qpVehicleAddTyre(vehicle, &at, &axle, 5, 0.3f, 0.4f, 10, 100, 0.3f);
            ASSERT_NE(tyres[i], nullptr);
        }
    }
    void TearDown() override { qpWorldDestroy(world); }

    float Heading() {
        TqpMatrix m;
        qpBodyGetMatrix(&m, chassis);
        return std::atan2(m.m[8], m.m[10]) * kRadToDeg; // the chassis z axis about Y
    }

    TqpWorldHandle world = nullptr;
    TqpBodyHandle chassis = nullptr;
    TqpVehicleHandle vehicle = nullptr;
    TqpTyreHandle tyres[4] = {};
};

} // namespace

TEST_F(VehicleScene, SettlesOnItsSuspension) {
    Build(0, TQUARNVector{0, 1.5f, 0});
    Simulate(world, 3);
    const TQUARNVector before = Position(chassis);
    Simulate(world, 1);
    const TQUARNVector p = Position(chassis);
    // Above the tyres' reach when the springs are fully compressed, below full extension.
    EXPECT_GT(p.y, 0.25f + 0.4f);
    EXPECT_LT(p.y, 0.25f + 0.4f + 0.3f + 0.01f);
    EXPECT_NEAR(p.y, before.y, 0.01f); // at rest
    EXPECT_NEAR(p.x, 0.0f, 0.05f);
    EXPECT_NEAR(p.z, 0.0f, 0.05f);
    TqpMatrix m;
    qpBodyGetMatrix(&m, chassis);
    EXPECT_GT(m.m[5], 0.999f); // level
}

TEST_F(VehicleScene, RollsDownASlope) {
    Build(10, TQUARNVector{0, 1.0f, 0});
    Simulate(world, 3);
    const TQUARNVector p = Position(chassis);
    EXPECT_LT(p.x, -3.0f); // rolled downhill
    EXPECT_NEAR(p.z, 0.0f, 0.5f);
}

TEST_F(VehicleScene, DrivesForwardUnderTorqueAndSteers) {
    Build(0, TQUARNVector{0, 1.2f, 0});
    Simulate(world, 1);
    const TQUARNVector settled = Position(chassis);
    for (TqpTyreHandle t : tyres)
        qpVehicleSetTyreTorque(t, 20);
    Simulate(world, 3);
    const TQUARNVector driven = Position(chassis);
    EXPECT_GT(std::fabs(driven.z - settled.z), 3.0f);
    EXPECT_NEAR(driven.x, settled.x, 0.3f); // straight ahead
    EXPECT_NEAR(Heading(), 0.0f, 3.0f);

    const float before = Heading();
    qpVehicleSetTyreSteerAngle(tyres[0], 20);
    qpVehicleSetTyreSteerAngle(tyres[1], 20);
    Simulate(world, 2);
    EXPECT_GT(std::fabs(Heading() - before), 15.0f); // it turned
    EXPECT_GT(std::fabs(Position(chassis).x - driven.x), 0.5f);
}

TEST_F(VehicleScene, DestroyingTheChassisEndsTheVehicleSafely) {
    Build(0, TQUARNVector{0, 1.2f, 0});
    Simulate(world, 0.5f);
    qpBodyDestroy(chassis);
    Simulate(world, 0.5f);
    qpVehicleSetTyreTorque(tyres[0], 10); // stored on an object that still exists
    EXPECT_EQ(qpGetLastError(), nullptr);
    const TQUARNVector at{0, 0, 0}, axle{1, 0, 0};
    EXPECT_EQ(qpVehicleAddTyre(vehicle, &at, &axle, 5, 0.3f, 0.4f, 10, 100, 0.3f), nullptr);
    EXPECT_NE(qpGetLastError(), nullptr);
}
