#include "LayerScene.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace layer_test;

namespace {

std::string g_events;
int g_forceCalls = 0;
NewtonWorld* g_world = nullptr;
int g_destructorCalls = 0;

void RecordForce(const NewtonBody* body) {
    g_events += 'F';
    ++g_forceCalls;
    Gravity(body);
}
void RecordTransform(const NewtonBody*, const float*) {
    g_events += 'T';
}
int RecordBegin(const NewtonMaterial*, const NewtonBody*, const NewtonBody*) {
    g_events += 'B';
    return 1;
}
int RecordProcess(const NewtonMaterial*, const NewtonContact*) {
    g_events += 'P';
    return 1;
}
void RecordEnd(const NewtonMaterial*) {
    g_events += 'E';
}
void RecordSubmit(const NewtonJoint*) {
    g_events += 'J';
}

void CountForce(const NewtonBody* body) {
    ++g_forceCalls;
    Gravity(body);
}

void DestroySelf(const NewtonBody* body) {
    NewtonDestroyBody(g_world, body);
}
void CountDestructor(const NewtonBody*) {
    ++g_destructorCalls;
}

class WorldTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_events.clear();
        g_forceCalls = 0;
        g_destructorCalls = 0;
        g_world = scene.World();
    }
    LayerScene scene;
};

} // namespace

TEST_F(WorldTest, BoxFallsOntoTreeFloorAndRestsOnItsFace) {
    scene.AddTreeFloor(0.0f);
    NewtonBody* box = scene.AddBox(1.0f, 2.0f, 0.0f, 3.0f, 0.0f);
    scene.Run(60);
    EXPECT_LT(Position(box)[1], 2.0f); // it fell
    scene.Run(180);
    EXPECT_NEAR(Position(box)[1], 0.5f, 0.03f);
    EXPECT_NEAR(Velocity(box)[1], 0.0f, 0.05f);
    EXPECT_NEAR(Position(box)[0], 0.0f, 0.01f);
}

TEST_F(WorldTest, OneUpdateIsOneStepOfTheGivenLength) {
    NewtonBody* box = scene.AddBox(1.0f, 1.0f, 0.0f, 0.0f, 0.0f);
    NewtonUpdate(scene.World(), 0.5f);
    // One explicit step: v = g h, and the position moves by the new velocity times h.
    EXPECT_NEAR(Velocity(box)[1], -4.9f, 1e-3f);
    EXPECT_NEAR(Position(box)[1], -2.45f, 1e-3f);
}

TEST_F(WorldTest, CallbacksRunForcesContactsJointsThenTransforms) {
    scene.AddTreeFloor(0.0f);
    NewtonBody* box = scene.AddBox(1.0f, 1.0f, 0.0f, 0.5f, 0.0f);
    NewtonBody* other = scene.AddBox(1.0f, 1.0f, 5.0f, 3.0f, 0.0f);
    NewtonBodySetAutoFreeze(box, 0);
    const int group = NewtonMaterialGetDefaultGroupID(scene.World());
    NewtonMaterialSetCollisionCallback(scene.World(), group, group, nullptr, &RecordBegin,
                                       &RecordProcess, &RecordEnd);
    NewtonBodySetForceAndTorqueCallback(box, &RecordForce);
    NewtonBodySetForceAndTorqueCallback(other, &RecordForce);
    NewtonBodySetTransformCallback(other, &RecordTransform);
    NewtonConstraintCreateUserJoint(scene.World(), 1, &RecordSubmit, other, nullptr);
    scene.Run(5);
    g_events.clear();
    scene.Run(1);
    // Both bodies get forces, the resting box's pair reports its contacts, the joint submits,
    // and the falling body reports its move.
    ASSERT_GE(g_events.size(), 6u);
    EXPECT_EQ(g_events.substr(0, 3), "FFB");
    const size_t end = g_events.find('E');
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(g_events.find_first_not_of('P', 3), end);
    EXPECT_EQ(g_events.substr(end), "EJT");
}

TEST_F(WorldTest, TransformCallbackSeesBodyFrameNotCentreOfMass) {
    NewtonBody* box = scene.AddBox(1.0f, 1.0f, 2.0f, 10.0f, 0.0f);
    const float com[3] = {0.5f, 0.0f, 0.0f};
    NewtonBodySetCentreOfMass(box, com);
    static float s_seen[16];
    NewtonBodySetTransformCallback(box, [](const NewtonBody*, const float* m) {
        for (int i = 0; i < 16; ++i)
            s_seen[i] = m[i];
    });
    scene.Run(10);
    EXPECT_FLOAT_EQ(s_seen[12], 2.0f);
    EXPECT_LT(s_seen[13], 10.0f);
    float matrix[16];
    NewtonBodyGetMatrix(box, matrix);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(matrix[i], s_seen[i]) << i;
    float back[3];
    NewtonBodyGetCentreOfMass(box, back);
    EXPECT_FLOAT_EQ(back[0], 0.5f);
}

TEST_F(WorldTest, RestingBodySleepsAfterFreezeFramesAndWakesWhenUnfrozen) {
    scene.AddTreeFloor(0.0f);
    NewtonBody* box = scene.AddBox(1.0f, 1.0f, 0.0f, 0.6f, 0.0f);
    NewtonBodySetForceAndTorqueCallback(box, &CountForce);
    NewtonBodySetFreezeTreshold(box, 0.01f, 0.01f, 5);
    scene.Run(240);
    ASSERT_EQ(NewtonBodyGetSleepingState(box), 1);
    g_forceCalls = 0;
    scene.Run(10);
    EXPECT_EQ(g_forceCalls, 0);
    NewtonWorldUnfreezeBody(scene.World(), box);
    EXPECT_EQ(NewtonBodyGetSleepingState(box), 0);
    scene.Run(1);
    EXPECT_EQ(g_forceCalls, 1);
}

TEST_F(WorldTest, AutoFreezeOffKeepsBodyAwake) {
    scene.AddTreeFloor(0.0f);
    NewtonBody* box = scene.AddBox(1.0f, 1.0f, 0.0f, 0.6f, 0.0f);
    NewtonBodySetAutoFreeze(box, 0);
    NewtonBodySetForceAndTorqueCallback(box, &CountForce);
    scene.Run(300);
    EXPECT_EQ(NewtonBodyGetSleepingState(box), 0);
    EXPECT_EQ(g_forceCalls, 300);
}

TEST_F(WorldTest, BodyLeavingTheWorldBoxFreezesUntilMovedBack) {
    const float lo[3] = {-10, -10, -10}, hi[3] = {10, 10, 10};
    NewtonSetWorldSize(scene.World(), lo, hi);
    NewtonBody* box = scene.AddBox(1.0f, 1.0f, 0.0f, 0.0f, 0.0f);
    NewtonBodySetAutoFreeze(box, 0);
    NewtonBodySetForceAndTorqueCallback(box, &CountForce);
    scene.Run(180); // 3 s of free fall: 44 m
    const float y = Position(box)[1];
    EXPECT_LT(y, -10.0f);
    EXPECT_GT(y, -12.0f); // stopped within a step of the boundary
    EXPECT_EQ(NewtonBodyGetSleepingState(box), 1);
    g_forceCalls = 0;
    scene.Run(10);
    EXPECT_EQ(g_forceCalls, 0);
    EXPECT_FLOAT_EQ(Position(box)[1], y);

    const Matrix inside = Translation(0, 5, 0);
    NewtonBodySetMatrix(box, inside.data());
    scene.Run(10);
    EXPECT_EQ(g_forceCalls, 10);
    EXPECT_LT(Position(box)[1], 5.0f);
}

TEST_F(WorldTest, BodyDestroyedInsideItsCallbackGoesAtTheEndOfTheUpdate) {
    NewtonBody* keep = scene.AddBox(1.0f, 1.0f, 0.0f, 0.0f, 0.0f);
    NewtonBody* doomed = scene.AddBox(1.0f, 1.0f, 3.0f, 0.0f, 0.0f);
    NewtonBodySetForceAndTorqueCallback(doomed, &DestroySelf);
    NewtonBodySetDestructorCallback(doomed, &CountDestructor);
    ASSERT_EQ(NewtonWorldGetBodyCount(scene.World()), 2);
    scene.Run(1);
    EXPECT_EQ(g_destructorCalls, 1);
    EXPECT_EQ(NewtonWorldGetBodyCount(scene.World()), 1);
    scene.Run(1);
    EXPECT_LT(Position(keep)[1], 0.0f);
}

TEST_F(WorldTest, ForEachBodyVisitsEveryBodyInCreationOrder) {
    static std::string s_order;
    s_order.clear();
    NewtonBody* a = scene.AddBox(1.0f, 1.0f, 0, 0, 0);
    NewtonBody* b = scene.AddBox(1.0f, 1.0f, 2, 0, 0);
    NewtonBody* c = scene.AddBox(1.0f, 1.0f, 4, 0, 0);
    NewtonBodySetUserData(a, const_cast<char*>("a"));
    NewtonBodySetUserData(b, const_cast<char*>("b"));
    NewtonBodySetUserData(c, const_cast<char*>("c"));
    NewtonDestroyBody(scene.World(), b);
    NewtonWorldForEachBodyDo(scene.World(), [](const NewtonBody* body) {
        s_order += static_cast<const char*>(NewtonBodyGetUserData(body));
    });
    EXPECT_EQ(s_order, "ac");
}

TEST_F(WorldTest, DestroyAllBodiesRunsEachDestructorAndKeepsTheWorld) {
    for (int i = 0; i < 3; ++i) {
        NewtonBody* body = scene.AddBox(1.0f, 1.0f, float(2 * i), 0, 0);
        NewtonBodySetDestructorCallback(body, &CountDestructor);
    }
    NewtonDestroyAllBodies(scene.World());
    EXPECT_EQ(g_destructorCalls, 3);
    EXPECT_EQ(NewtonWorldGetBodyCount(scene.World()), 0);
    NewtonBody* again = scene.AddBox(1.0f, 1.0f, 0, 0, 0);
    scene.Run(1);
    EXPECT_LT(Position(again)[1], 0.0f);
}

TEST_F(WorldTest, AwakeStackOfBoxesStandsStill) {
    scene.AddTreeFloor(0.0f);
    std::vector<NewtonBody*> boxes;
    std::vector<std::array<float, 3>> start;
    for (int level = 0; level < 10; ++level)
        for (int i = 0; i < 10 - level; ++i) {
            const float x = (i - (9 - level) * 0.5f) * 1.01f, y = 0.5f + level;
            boxes.push_back(scene.AddBox(1.0f, 1.0f, x, y, 0.0f));
            NewtonBodySetAutoFreeze(boxes.back(), 0);
            start.push_back({x, y, 0.0f});
        }
    scene.Run(600);
    for (size_t i = 0; i < boxes.size(); ++i) {
        const auto p = Position(boxes[i]);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(p[k], start[i][k], 0.03f) << "box " << i;
    }
}

TEST_F(WorldTest, BodiesJoinAtTheirFirstUpdateWhereverTheHostLeftThem) {
    scene.AddTreeFloor(0.0f);
    // Made, weighed and placed between updates, as a host does; one is destroyed again before
    // it ever joined, right where another one rests.
    NewtonBody* resting = scene.AddBox(1.0f, 1.0f, 0.0f, 0.5f, 0.0f);
    NewtonBody* ghost = scene.AddBox(1.0f, 1.0f, 0.0f, 0.5f, 0.0f);
    NewtonBodySetDestructorCallback(ghost, &CountDestructor);
    NewtonDestroyBody(scene.World(), ghost);
    NewtonBody* moved = scene.AddBox(1.0f, 0.0f, 0.0f, 0.0f, 0.0f); // static, inside the floor
    NewtonBodySetMassMatrix(moved, 1.0f, 1.0f / 6, 1.0f / 6, 1.0f / 6);
    const Matrix above = Translation(3.0f, 2.0f, 0.0f);
    NewtonBodySetMatrix(moved, above.data());
    NewtonBodySetForceAndTorqueCallback(moved, &CountForce);
    NewtonBodySetAutoFreeze(moved, 0);
    scene.Run(120);
    EXPECT_EQ(g_destructorCalls, 1);
    EXPECT_EQ(g_forceCalls, 120);
    const auto r = Position(resting);
    EXPECT_NEAR(r[0], 0.0f, 1e-3f);
    EXPECT_NEAR(r[1], 0.5f, 0.02f);
    const auto m = Position(moved);
    EXPECT_NEAR(m[0], 3.0f, 1e-3f);
    EXPECT_NEAR(m[1], 0.5f, 0.02f); // fell from where it was put and landed on the floor
}

namespace {

NewtonBody* g_made = nullptr;
LayerScene* g_scene = nullptr;

void MakeABoxOnce(const NewtonBody* body) {
    Gravity(body);
    if (!g_made) g_made = g_scene->AddBox(1.0f, 1.0f, 5.0f, 10.0f, 0.0f);
}

} // namespace

TEST_F(WorldTest, ABodyMadeInAForceCallbackFallsInThatSameUpdate) {
    g_made = nullptr;
    g_scene = &scene;
    NewtonBody* maker = scene.AddBox(1.0f, 1.0f, 0.0f, 10.0f, 0.0f);
    NewtonBodySetForceAndTorqueCallback(maker, &MakeABoxOnce);
    scene.Run(1);
    ASSERT_NE(g_made, nullptr);
    // Its own force callback ran in the update that made it, and that force moved it then,
    // once: both boxes fall alike from the same height.
    EXPECT_NEAR(Velocity(g_made)[1], -9.8f / 60, 1e-4f);
    scene.Run(1);
    EXPECT_FLOAT_EQ(Velocity(g_made)[1], Velocity(maker)[1]);
    EXPECT_FLOAT_EQ(Position(g_made)[1], Position(maker)[1]);
}
