// Vehicle and tyre objects against the solver's vehicle joint.
#include "common/EngineError.h"
#include "physics/world/Body.h"
#include "physics/world/Vehicle.h"
#include "physics/world/Collision.h"
#include "physics/world/World.h"

#include <gtest/gtest.h>

using namespace quarn;

namespace {

TqpBody* AddChassis(TqpWorld& world) {
    TqpCollision* box =
        world.AdoptCollision(TqpCollision::CreateBySize(world.Newton(), 1, Vec3{2, 0.5f, 4}));
    TqpCollision* list[1] = {box};
    TqpBody* chassis = TqpBody::Create(world, list, 1);
    chassis->SetMass(100);
    return chassis;
}

TyreSettings Tyre(float x, float z) {
    TyreSettings s;
    s.position = Vec3{x, -0.25f, z};
    s.pin = Vec3{1, 0, 0};
    s.mass = 5;
    s.width = 0.3f;
    s.radius = 0.4f;
    s.shock = 10;
    s.spring = 100;
    s.length = 0.3f;
    return s;
}

} // namespace

TEST(VehicleTyres, TyreLocalMatrixIsIdentityMovedToThePosition) {
    const Mat4 m = TyreLocalMatrix(Vec3{1, -0.5f, 2});
    const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, -0.5f, 2, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m.m[i], expected[i]) << i;
}

TEST(VehicleTyres, TyresKeepTheirOrderAndStartStraightAndUndriven) {
    TqpWorld world;
    TqpVehicle* vehicle = world.AdoptVehicle(std::make_unique<TqpVehicle>(*AddChassis(world)));
    const float corners[4][2] = {{-1, 1.5f}, {1, 1.5f}, {-1, -1.5f}, {1, -1.5f}};
    for (const auto& c : corners)
        vehicle->AddTyre(Tyre(c[0], c[1]));
    ASSERT_EQ(vehicle->TyreCount(), 4);
    // The solver's tyre list runs in the same order and carries the tyre objects.
    void* id = NewtonVehicleGetFirstTireID(vehicle->Joint());
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(id, nullptr);
        EXPECT_EQ(vehicle->Tyre(i).Id(), id);
        EXPECT_EQ(NewtonVehicleGetTireUserData(vehicle->Joint(), id), &vehicle->Tyre(i));
        EXPECT_EQ(vehicle->Tyre(i).Torque(), 0.0f);
        EXPECT_EQ(vehicle->Tyre(i).SteerAngle(), 0.0f);
        EXPECT_EQ(&vehicle->Tyre(i).Vehicle(), vehicle);
        id = NewtonVehicleGetNextTireID(vehicle->Joint(), id);
    }
    EXPECT_EQ(id, nullptr);
}

TEST(VehicleTyres, ChassisDestructionDetachesTheVehicleButKeepsItsObject) {
    TqpWorld world;
    TqpBody* chassis = AddChassis(world);
    TqpVehicle* vehicle = world.AdoptVehicle(std::make_unique<TqpVehicle>(*chassis));
    TqpVehicleTyre* tyre = vehicle->AddTyre(Tyre(1, 1));
    world.ReleaseBody(chassis);
    world.Step(1.0f / 60.0f, true, 60.0f);
    EXPECT_EQ(vehicle->Joint(), nullptr);
    tyre->SetTorque(5); // still a valid object until the world goes
    EXPECT_THROW(vehicle->AddTyre(Tyre(-1, 1)), EngineError);
}
