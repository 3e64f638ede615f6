#include "LayerScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace layer_test;

namespace {

struct ContactLog {
    int begins = 0;
    int processes = 0;
    int ends = 0;
    int beginResult = 1;
    int processResult = 1;
    std::vector<std::array<float, 6>> contacts; // position, normal
    const NewtonBody* box = nullptr;
    bool boxIsBody0 = false;
    float conveyor = 0; // tangent acceleration of the box along +x
};
ContactLog g_log;

int LogBegin(const NewtonMaterial*, const NewtonBody* body0, const NewtonBody*) {
    ++g_log.begins;
    g_log.boxIsBody0 = body0 == g_log.box;
    return g_log.beginResult;
}

int LogProcess(const NewtonMaterial* material, const NewtonContact*) {
    ++g_log.processes;
    std::array<float, 6> c;
    NewtonMaterialGetContactPositionAndNormal(material, &c[0], &c[3]);
    g_log.contacts.push_back(c);
    if (g_log.conveyor != 0) {
        const float east[3] = {1, 0, 0};
        NewtonMaterialContactRotateTangentDirections(material, east);
        // The acceleration is body0's relative to body1.
        NewtonMaterialSetContactTangentAcceleration(
            material, g_log.boxIsBody0 ? g_log.conveyor : -g_log.conveyor, 0);
    }
    return g_log.processResult;
}

void LogEnd(const NewtonMaterial*) {
    ++g_log.ends;
}

class ContactTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_log = ContactLog{};
        const int group = NewtonMaterialGetDefaultGroupID(scene.World());
        NewtonMaterialSetCollisionCallback(scene.World(), group, group, nullptr, &LogBegin,
                                           &LogProcess, &LogEnd);
        scene.AddTreeFloor(0.0f);
    }
    LayerScene scene;
};

} // namespace

TEST_F(ContactTest, BeginProcessAndEndRunOncePerPairAndPoint) {
    g_log.box = scene.AddBox(1.0f, 1.0f, 0.0f, 0.5f, 0.0f);
    NewtonBodySetAutoFreeze(g_log.box, 0);
    scene.Run(30);
    g_log = ContactLog{};
    scene.Run(1);
    EXPECT_EQ(g_log.begins, 1);
    EXPECT_EQ(g_log.ends, 1);
    EXPECT_GE(g_log.processes, 3); // a face resting on a plane
    EXPECT_LE(g_log.processes, 4);
}

TEST_F(ContactTest, ProcessSeesContactsOnThePlaneWithAVerticalNormal) {
    g_log.box = scene.AddBox(1.0f, 1.0f, 1.0f, 0.5f, 2.0f);
    scene.Run(30);
    ASSERT_FALSE(g_log.contacts.empty());
    for (const auto& c : g_log.contacts) {
        EXPECT_NEAR(c[1], 0.0f, 0.02f);
        EXPECT_NEAR(c[0], 1.0f, 0.51f);
        EXPECT_NEAR(c[2], 2.0f, 0.51f);
        // From body1 toward body0.
        EXPECT_NEAR(c[4], g_log.boxIsBody0 ? 1.0f : -1.0f, 1e-3f);
    }
}

TEST_F(ContactTest, BeginReturningZeroLetsTheBodyFallThrough) {
    g_log.beginResult = 0;
    g_log.box = scene.AddBox(1.0f, 1.0f, 0.0f, 1.0f, 0.0f);
    scene.Run(120);
    EXPECT_GT(g_log.begins, 0);
    EXPECT_EQ(g_log.processes, 0);
    EXPECT_EQ(g_log.ends, 0);
    EXPECT_LT(Position(g_log.box)[1], -5.0f);
}

TEST_F(ContactTest, ProcessReturningZeroDropsItsContacts) {
    g_log.processResult = 0;
    g_log.box = scene.AddBox(1.0f, 1.0f, 0.0f, 1.0f, 0.0f);
    scene.Run(120);
    EXPECT_GT(g_log.processes, 0);
    EXPECT_LT(Position(g_log.box)[1], -5.0f);
}

TEST_F(ContactTest, TangentAccelerationCarriesABoxLikeAConveyor) {
    g_log.box = scene.AddBox(1.0f, 1.0f, 0.0f, 0.5f, 0.0f);
    NewtonBodySetAutoFreeze(g_log.box, 0);
    scene.Run(30);
    EXPECT_NEAR(Position(g_log.box)[0], 0.0f, 0.01f); // no drift without the belt
    g_log.conveyor = 2.0f;
    scene.Run(60);
    // Friction (0.5 g) allows the 2 m/s^2 asked for: about 1 m in one second.
    EXPECT_GT(Position(g_log.box)[0], 0.6f);
    EXPECT_GT(Velocity(g_log.box)[0], 1.2f);
    EXPECT_NEAR(Position(g_log.box)[2], 0.0f, 0.05f);
}

TEST_F(ContactTest, ElasticityOfThePairMakesABallBounce) {
    NewtonCollision* ball = NewtonCreateSphere(scene.World(), 0.5f, 0.5f, 0.5f, nullptr);
    NewtonBody* dead = scene.AddBody(ball, 1.0f, 0.0f, 3.0f, 0.0f);
    float best = 0;
    for (int i = 0; i < 90; ++i) {
        scene.Run(1);
        best = std::max(best, Velocity(dead)[1]);
    }
    EXPECT_LT(best, 0.5f);

    const int group = NewtonMaterialGetDefaultGroupID(scene.World());
    NewtonMaterialSetDefaultElasticity(scene.World(), group, group, 0.9f);
    NewtonBody* lively = scene.AddBody(ball, 1.0f, 3.0f, 3.0f, 0.0f);
    NewtonReleaseCollision(scene.World(), ball);
    best = 0;
    for (int i = 0; i < 90; ++i) {
        scene.Run(1);
        best = std::max(best, Velocity(lively)[1]);
    }
    EXPECT_GT(best, 4.0f); // it hits at about 7 m/s
}

TEST_F(ContactTest, CompoundBodyGetsOneBeginPerUpdate) {
    const Matrix left = Translation(-1, 0, 0), right = Translation(1, 0, 0);
    NewtonCollision* parts[2] = {NewtonCreateBox(scene.World(), 1, 1, 1, left.data()),
                                 NewtonCreateBox(scene.World(), 1, 1, 1, right.data())};
    NewtonCollision* pair = NewtonCreateCompoundCollision(scene.World(), 2, parts);
    NewtonReleaseCollision(scene.World(), parts[0]);
    NewtonReleaseCollision(scene.World(), parts[1]);
    g_log.box = scene.AddBody(pair, 1.0f, 0.0f, 0.5f, 0.0f);
    NewtonReleaseCollision(scene.World(), pair);
    NewtonBodySetAutoFreeze(g_log.box, 0);
    scene.Run(30);
    g_log = ContactLog{};
    scene.Run(1);
    EXPECT_EQ(g_log.begins, 1);
    EXPECT_EQ(g_log.ends, 1);
    EXPECT_GE(g_log.processes, 6); // both halves touch
}

TEST_F(ContactTest, BallCrossingTheFloorsSharedEdgeKeepsAnUpwardNormal) {
    // The floor's two triangles meet along x = z: a ball rolling along z = 3 crosses it at x = 3.
    NewtonCollision* ball = NewtonCreateSphere(scene.World(), 0.5f, 0.5f, 0.5f, nullptr);
    g_log.box = scene.AddBody(ball, 1.0f, -3.0f, 0.5f, 3.0f);
    NewtonReleaseCollision(scene.World(), ball);
    NewtonBodySetAutoFreeze(g_log.box, 0);
    scene.Run(5);
    const float roll[3] = {6, 0, 0};
    NewtonBodySetVelocity(g_log.box, roll);
    g_log.contacts.clear();
    scene.Run(90);
    ASSERT_GT(Position(g_log.box)[0], 3.5f); // past the edge
    float flattest = 1;
    for (const auto& c : g_log.contacts)
        flattest = std::min(flattest, std::abs(c[4]));
    EXPECT_GT(flattest, 0.999f);
}

namespace {

NewtonBody* g_spawned = nullptr;
NewtonWorld* g_spawnWorld = nullptr;

int SpawnOnFirstContact(const NewtonMaterial*, const NewtonBody* body0, const NewtonBody* body1) {
    if (!g_spawned) {
        NewtonCollision* box = NewtonCreateBox(g_spawnWorld, 1, 1, 1, nullptr);
        g_spawned = NewtonCreateBody(g_spawnWorld, box);
        NewtonReleaseCollision(g_spawnWorld, box);
        NewtonBodySetMassMatrix(g_spawned, 1, 1, 1, 1);
        const Matrix at = Translation(5, 5, 5);
        NewtonBodySetMatrix(g_spawned, at.data());
        NewtonBodySetForceAndTorqueCallback(g_spawned, &Gravity);
        NewtonConstraintCreateUserJoint(g_spawnWorld, 1, nullptr, g_spawned, nullptr);
    }
    // Switching a body between static and dynamic cannot happen inside the step: ignored.
    for (const NewtonBody* b : {body0, body1}) {
        float mass, ixx, iyy, izz;
        NewtonBodyGetMassMatrix(b, &mass, &ixx, &iyy, &izz);
        if (mass > 0) NewtonBodySetMassMatrix(b, 0, 0, 0, 0);
    }
    return 1;
}

} // namespace

TEST_F(ContactTest, BodiesCreatedInsideAContactCallbackJoinAfterTheStep) {
    g_spawned = nullptr;
    g_spawnWorld = scene.World();
    const int group = NewtonMaterialGetDefaultGroupID(scene.World());
    NewtonMaterialSetCollisionCallback(scene.World(), group, group, nullptr, &SpawnOnFirstContact,
                                       nullptr, nullptr);
    NewtonBody* box = scene.AddBox(1.0f, 1.0f, 0.0f, 0.6f, 0.0f);
    scene.Run(30);
    ASSERT_NE(g_spawned, nullptr);
    EXPECT_EQ(NewtonWorldGetBodyCount(scene.World()), 3);
    EXPECT_LT(Position(g_spawned)[1], 5.0f); // simulated
    float mass, ixx, iyy, izz;
    NewtonBodyGetMassMatrix(box, &mass, &ixx, &iyy, &izz);
    EXPECT_EQ(mass, 1.0f);
    EXPECT_NEAR(Position(box)[1], 0.5f, 0.03f);
}
