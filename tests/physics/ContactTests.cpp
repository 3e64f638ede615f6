// Bodies meeting each other: resting, rolling, stacking, contact callbacks, the explosion.
#include "PhysicsTestScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace physics_test;

namespace {

class ContactScene : public ::testing::Test {
  protected:
    void SetUp() override {
        qpClearLastError(); // the suite's cases may run in one process
        world = qpWorldCreate();
    }
    void TearDown() override { qpWorldDestroy(world); }
    TqpWorldHandle world = nullptr;
};

float Length(TQUARNVector v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

int32_t QUARN_CALL RejectContact(TqpContactInfo) {
    return 0;
}

std::vector<TqpContactInfo> g_processed;
int g_begins = 0, g_ends = 0;
int32_t QUARN_CALL CountBegin(TqpContactInfo c) {
    ++g_begins;
    EXPECT_EQ(c.Position.x, 0.0f); // no point is known yet
    EXPECT_EQ(c.Normal.y, 0.0f);
    return 1;
}
int32_t QUARN_CALL RecordProcess(TqpContactInfo c) {
    g_processed.push_back(c);
    return 1;
}
void QUARN_CALL CountEnd(TqpContactInfo c) {
    ++g_ends;
    EXPECT_NE(c.Material, nullptr);
}

// A conveyor: every contact slides along +X.
int32_t QUARN_CALL Conveyor(TqpContactInfo c) {
    const TQUARNVector x{1, 0, 0};
    qpMaterialSetContactTangentDirection(c.Material, &x);
    qpMaterialSetContactTangentAcceleration(c.Material, 4.0f, 0);
    return 1;
}

// The same calls where no contact point exists yet: refused, not silently ignored.
std::string g_beginError;
int32_t QUARN_CALL ConveyorTooEarly(TqpContactInfo c) {
    qpClearLastError();
    qpMaterialSetContactTangentAcceleration(c.Material, 4.0f, 0);
    if (qpGetLastError()) g_beginError = qpGetLastError();
    return 1;
}

} // namespace

TEST_F(ContactScene, BoxDroppedOnTreeFloorComesToRestOnIt) {
    AddTreeFloor(world, 20, 0);
    TqpBodyHandle box = AddFallingBox(world, TQUARNVector{1, 2, 1}, 1, TQUARNVector{0, 3, 0});
    Simulate(world, 3);
    EXPECT_NEAR(Position(box).y, 1.0f, 0.05f); // half its height above the floor
    EXPECT_LT(Length(Velocity(box)), 0.05f);
    EXPECT_NEAR(Position(box).x, 0.0f, 0.05f);
}

TEST_F(ContactScene, SphereRollsDownASlope) {
    AddTreeFloor(world, 30, 0, 20); // falls towards -X
    TQUARNVector radii{0.5f, 0.5f, 0.5f};
    TqpBodyHandle ball = qpBodyCreate(world, 1, qpCollisionCreateBySize(world, 4, &radii));
    qpBodySetMass(ball, 1);
    TqpMatrix start = Translation(TQUARNVector{5, 5 * std::tan(20 * 3.14159265f / 180) + 0.6f, 0});
    qpBodySetMatrix(ball, &start);
    qpBodySetForceAndTorqueCallback(ball, &ApplyGravity);
    qpBodySetAutoFreeze(ball, 0);
    Simulate(world, 1.5f);
    const TQUARNVector v = Velocity(ball);
    EXPECT_LT(v.x, -1.0f);
    EXPECT_LT(Position(ball).x, 3.0f);
    TQUARNVector w;
    qpBodyGetOmega(&w, ball);
    // Rolling, not sliding: it spins about Z at about speed / radius.
    EXPECT_GT(std::fabs(w.z), 0.5f * Length(v) / 0.5f);
}

TEST_F(ContactScene, TenLevelPyramidStandsForTenSeconds) {
    AddTreeFloor(world, 30, 0);
    std::vector<TqpBodyHandle> boxes;
    std::vector<TQUARNVector> start;
    for (int level = 0; level < 10; ++level)
        for (int i = 0; i < 10 - level; ++i) {
            const TQUARNVector p{(i - (9 - level) * 0.5f) * 1.01f, 0.5f + level * 1.0f, 0};
            boxes.push_back(AddFallingBox(world, TQUARNVector{1, 1, 1}, 1, p));
            start.push_back(p);
        }
    Simulate(world, 10);
    for (size_t i = 0; i < boxes.size(); ++i) {
        const TQUARNVector p = Position(boxes[i]);
        EXPECT_NEAR(p.x, start[i].x, 0.3f) << "box " << i;
        EXPECT_NEAR(p.y, start[i].y, 0.1f) << "box " << i;
    }
}

TEST_F(ContactScene, RejectingContactsLetsABoxFallThroughTheFloor) {
    AddTreeFloor(world, 20, 0);
    qpWorldSetContactBeginCallback(world, &RejectContact);
    TqpBodyHandle box = AddFallingBox(world, TQUARNVector{1, 1, 1}, 1, TQUARNVector{0, 1, 0});
    Simulate(world, 1);
    EXPECT_LT(Position(box).y, -1.0f);
    // Passing nil switches the callback off again.
    qpWorldSetContactBeginCallback(world, nullptr);
    TqpBodyHandle second = AddFallingBox(world, TQUARNVector{1, 1, 1}, 1, TQUARNVector{5, 1, 0});
    Simulate(world, 1);
    EXPECT_NEAR(Position(second).y, 0.5f, 0.05f);
}

TEST_F(ContactScene, ProcessCallbackSeesPointsOnTheContactPlaneAndBothBodies) {
    TqpBodyHandle floor = AddTreeFloor(world, 20, 0);
    // Over the floor's diagonal: both triangles touch the box and must report the same plane.
    TqpBodyHandle box = AddFallingBox(world, TQUARNVector{1, 1, 1}, 1, TQUARNVector{2, 0.6f, 2.5f});
    g_processed.clear();
    g_begins = g_ends = 0;
    qpWorldSetContactBeginCallback(world, &CountBegin);
    qpWorldSetContactProcessCallback(world, &RecordProcess);
    qpWorldSetContactEndCallback(world, &CountEnd);
    Simulate(world, 0.5f);
    ASSERT_FALSE(g_processed.empty());
    EXPECT_GT(g_begins, 0);
    EXPECT_GT(g_ends, 0);
    for (const TqpContactInfo& c : g_processed) {
        EXPECT_TRUE((c.Body0 == floor && c.Body1 == box) || (c.Body0 == box && c.Body1 == floor));
        EXPECT_NEAR(c.Position.y, 0.0f, 0.05f);
        EXPECT_NEAR(c.Position.x, 2.0f, 0.55f);
        EXPECT_NEAR(c.Position.z, 2.5f, 0.55f);
        EXPECT_NEAR(std::fabs(c.Normal.y), 1.0f, 1e-3f);
        EXPECT_NE(c.Material, nullptr);
    }
}

TEST_F(ContactScene, TangentAccelerationDrivesABoxAlongTheFloor) {
    AddTreeFloor(world, 20, 0);
    TqpBodyHandle box = AddFallingBox(world, TQUARNVector{1, 1, 1}, 1, TQUARNVector{0, 0.5f, 0});
    qpWorldSetContactProcessCallback(world, &Conveyor);
    g_beginError.clear();
    qpWorldSetContactBeginCallback(world, &ConveyorTooEarly);
    Simulate(world, 1);
    EXPECT_GT(std::fabs(Position(box).x), 0.5f);
    EXPECT_NEAR(Position(box).z, 0.0f, 0.1f);
    EXPECT_EQ(g_beginError,
              "qpMaterialSetContactTangentAcceleration: not the material of a contact "
              "being processed (use it only inside the contact-process callback)");
}

TEST_F(ContactScene, ExplosionPushesNearBodiesAwayAndBarelyMovesFarOnes) {
    TqpBodyHandle near = AddBox(world, TQUARNVector{1, 1, 1}, 1, TQUARNVector{2.5f, 0, 0});
    TqpBodyHandle far = AddBox(world, TQUARNVector{1, 1, 1}, 1, TQUARNVector{0, 0, -80});
    TqpBodyHandle floor = AddTreeFloor(world, 20, -5); // no closest point: skipped
    const TQUARNVector centre{0, 0, 0};
    qpWorldExplode(world, &centre, 1.0f, 10.0f, 10.0f);
    EXPECT_EQ(qpGetLastError(), nullptr);
    TQUARNVector f;
    qpBodyGetForce(&f, floor);
    EXPECT_EQ(Length(f), 0.0f);
    qpBodyGetForce(&f, near);
    EXPECT_GT(f.x, 100.0f); // the force waits for the next update
    qpWorldStep(world, 1.0f / 60.0f, 1, 60.0f);
    const TQUARNVector vNear = Velocity(near), vFar = Velocity(far);
    EXPECT_GT(vNear.x, 1.0f);
    EXPECT_NEAR(vNear.y, 0.0f, 0.01f);
    EXPECT_LT(Length(vFar), 0.03f);
    EXPECT_LT(vFar.z, 0.0f); // still away from the centre
    EXPECT_GT(Length(vNear), 100 * Length(vFar));
}
