// Fixed and variable stepping, the step queries and the release list, seen from the world.
#include "physics/world/Body.h"
#include "physics/world/Collision.h"
#include "physics/world/World.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace quarn;

namespace {

int g_bodiesSeen = 0;
void CountBody(const NewtonBody*) {
    ++g_bodiesSeen;
}

int SolverBodyCount(TqpWorld& world) {
    g_bodiesSeen = 0;
    NewtonWorldForEachBodyDo(world.Newton(), &CountBody);
    return g_bodiesSeen;
}

TqpBody* AddBox(TqpWorld& world) {
    TqpCollision* box =
        world.AdoptCollision(TqpCollision::CreateBySize(world.Newton(), 1, Vec3{1, 1, 1}));
    TqpCollision* list[1] = {box};
    return TqpBody::Create(world, list, 1);
}

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

TEST(WorldStep, FixedModeRunsAnUpdateOnceTheAccumulatorHoldsAStep) {
    TqpWorld world;
    world.Step(0.01f, true, 60.0f);
    EXPECT_EQ(world.UpdateCount(), 0);
    EXPECT_FALSE(world.Stepped());
    world.Step(0.01f, true, 60.0f);
    EXPECT_EQ(world.UpdateCount(), 1);
    EXPECT_TRUE(world.Stepped());
    EXPECT_NEAR(world.Accumulator(), 0.02f - 1.0f / 60.0f, 1e-5f); // about 0.00333
}

TEST(WorldStep, FixedModeRunsSeveralUpdatesAndKeepsTheRemainder) {
    TqpWorld world;
    world.Step(0.055f, true, 60.0f);
    EXPECT_EQ(world.UpdateCount(), 3);
    EXPECT_NEAR(world.Accumulator(), 0.005f, 1e-5f);
    world.Step(0.0117f, true, 60.0f); // 0.0167 owed now
    EXPECT_EQ(world.UpdateCount(), 4);
}

TEST(WorldStep, VariableModeRunsExactlyOneUpdateAndFeedsTheAccumulator) {
    TqpWorld world;
    world.Step(0.001f, false, 60.0f);
    world.Step(0.5f, false, 60.0f);
    EXPECT_EQ(world.UpdateCount(), 2);
    EXPECT_TRUE(world.Stepped());
    EXPECT_NEAR(world.Accumulator(), 0.501f, 1e-5f);
    world.Step(0.0f, true, 60.0f); // the fixed mode works off what variable mode left
    EXPECT_EQ(world.UpdateCount(), 2 + 30);
}

TEST(WorldStep, ReleasedBodiesAreDestroyedEvenWhenNoUpdateRuns) {
    TqpWorld world;
    TqpBody* kept = AddBox(world);
    TqpBody* released = AddBox(world);
    ASSERT_EQ(SolverBodyCount(world), 2);
    world.ReleaseBody(released);
    world.ReleaseBody(released); // a second release changes nothing
    EXPECT_EQ(world.ReleaseList().size(), 1u);
    EXPECT_EQ(world.Bodies()[1], nullptr);
    EXPECT_EQ(SolverBodyCount(world), 2); // still alive until the step ends

    world.Step(0.001f, true, 60.0f);
    EXPECT_EQ(world.UpdateCount(), 0);
    EXPECT_FALSE(world.Stepped());
    EXPECT_TRUE(world.ReleaseList().empty());
    EXPECT_EQ(SolverBodyCount(world), 1);
    ASSERT_EQ(world.Bodies().size(), 2u); // never compacted
    EXPECT_EQ(world.Bodies()[0], kept);
}

TEST(WorldStep, TimeUntilNextStepIsZeroBeforeAnyStepOrBelowOneStepPerSecond) {
    TqpWorld world;
    EXPECT_EQ(world.TimeUntilNextStep(60.0f), 0.0f);
    EXPECT_EQ(world.AlphaTimeUntilNextStep(60.0f), 0.0f);
    world.Step(1.0f / 60.0f, true, 60.0f);
    EXPECT_EQ(world.TimeUntilNextStep(0.5f), 0.0f);
    EXPECT_EQ(world.AlphaTimeUntilNextStep(0.5f), 0.0f);
    const float left = world.TimeUntilNextStep(60.0f);
    EXPECT_GT(left, 0.0f);
    EXPECT_LE(left, 1.0f / 60.0f);
}

TEST(WorldStep, AlphaFallsFromOneAndGoesNegativeWhenOverdue) {
    TqpWorld world;
    world.Step(1.0f / 60.0f, true, 60.0f);
    EXPECT_GT(world.AlphaTimeUntilNextStep(60.0f), 0.5f);
    EXPECT_LE(world.AlphaTimeUntilNextStep(60.0f), 1.0f);
    Sleep(40);
    EXPECT_LT(world.AlphaTimeUntilNextStep(60.0f), 0.0f);
    EXPECT_LT(world.TimeUntilNextStep(60.0f), -0.01f);
}

TEST(WorldStep, ElapsedTimeMeasuresTheTimeBetweenCalls) {
    TqpWorld world;
    EXPECT_LT(world.ElapsedTime(), 0.001f);
    Sleep(30);
    const float between = world.ElapsedTime();
    EXPECT_GE(between, 0.029f);
    EXPECT_LT(between, 1.0f);
    EXPECT_LT(world.ElapsedTime(), 0.01f);
}
