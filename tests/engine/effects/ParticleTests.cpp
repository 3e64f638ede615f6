// Smoke particle systems: the emission clock, motion, fading and rebirth of particles, the
// duration window, and how a frame draws them.
#include "engine/effects/ParticleSystem.h"
#include "platform/gl/GLRecorder.h"
#include "platform/window/TestWindowBackend.h"
#include "quarn/QuarnGL.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

using namespace quarn;
using gl::GLRecorder;

namespace {

// A smoke system as the creation export sets it up, without material.
TQGLSmoke* AddSmoke(TQGLParticleSystems& systems, int32_t rate, int32_t life, int32_t lastIndex,
                    int32_t spread) {
    TQGLSmoke* s = systems.AddSmoke();
    s->emitterPosition = Vec3{1, 2, 3};
    s->lastIndex = lastIndex;
    s->life = life;
    s->SetRate(rate);
    s->spread = spread;
    s->growthDivisor = 2;
    s->Initialize();
    return s;
}

// The scene's per-frame update: a step of 1 time unit with factor 4 / 30.
void Step(TQGLParticleSystems& systems) {
    systems.UpdateAll(0, 0, Vec3{0, 0, 10}, Vec3{0, 1, 0});
}

} // namespace

TEST(Smoke, EmissionClockStartsOnTheFirstUpdateThenOneIntervalPlusOneApart) {
    TQGLParticleSystems systems;
    TQGLSmoke* smoke = AddSmoke(systems, 10, 100000, 5, 30);
    EXPECT_EQ(smoke->emissionInterval, 100);
    ASSERT_EQ(smoke->particles.size(), 6u);
    std::vector<int> starts;
    for (int update = 1; update <= 600; ++update) {
        const int before = smoke->activeCount;
        Step(systems);
        if (smoke->activeCount > before) starts.push_back(update);
    }
    // The clock must pass the next-emission time; at most lastIndex particles live at once.
    EXPECT_EQ(starts, (std::vector<int>{1, 102, 203, 304, 405}));

    TQGLSmoke* single = AddSmoke(systems, 1000, 10, 0, 0); // a pool of one never starts
    for (int i = 0; i < 50; ++i)
        Step(systems);
    EXPECT_EQ(single->activeCount, 0);
    TQGLSmoke* never = AddSmoke(systems, 0, 10, 4, 0); // no rate: no particles, no fault
    Step(systems);
    EXPECT_EQ(never->activeCount, 0);
}

TEST(Smoke, TheWidestSpreadTurnsParticlesWithinItAndKeepsThemFinite) {
    TQGLParticleSystems systems;
    TQGLSmoke* smoke = AddSmoke(systems, 1000, 100, 20, INT32_MAX);
    for (int i = 0; i < 200; ++i)
        Step(systems);
    EXPECT_GT(smoke->activeCount, 0);
    for (const TQGLParticle& p : smoke->particles) {
        EXPECT_TRUE(std::isfinite(p.velocity.x) && std::isfinite(p.velocity.y) &&
                    std::isfinite(p.velocity.z));
        EXPECT_LE(std::fabs(p.velocity.x) + std::fabs(p.velocity.y), 1.0f / 3 * 1.5f);
    }
}

TEST(Smoke, SpreadZeroRisesStraightUpFadesLinearlyAndIsRebornAtTheEmitter) {
    TQGLParticleSystems systems;
    TQGLSmoke* smoke = AddSmoke(systems, 10, 10, 3, 0);
    smoke->drift = Vec3{0.5f, 0, 0};
    Step(systems); // the first particle starts
    TQGLParticle* p = nullptr;
    for (TQGLParticle& q : smoke->particles)
        if (q.active) p = &q;
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->velocity.x, 0);
    EXPECT_EQ(p->velocity.z, 0);
    EXPECT_GE(p->velocity.y, 0.1f - 1e-6f); // 1 / n with n in 3..10
    EXPECT_LE(p->velocity.y, 1.0f / 3 + 1e-6f);
    const float factor = 4.0f / 30;
    std::vector<float> alphas;
    float lastY = p->position.y;
    for (int i = 0; i < 10; ++i) {
        Step(systems);
        if (!p->active) break;
        alphas.push_back(p->color[3]);
        EXPECT_GT(p->position.y, lastY);
        lastY = p->position.y;
        EXPECT_NEAR(p->position.x, 1 + 0.5f * factor * float(i + 1), 1e-4); // drift only
        EXPECT_NEAR(p->size.x, 1 + factor / 2 * float(i + 1), 1e-4);
    }
    ASSERT_EQ(alphas.size(), 9u); // the tenth update passes the life
    for (size_t i = 0; i < alphas.size(); ++i)
        EXPECT_NEAR(alphas[i], 0.9f - 0.1f * float(i), 1e-5);
    EXPECT_FALSE(p->active);
    EXPECT_EQ(p->age, 1);
    EXPECT_EQ(p->position.y, 2); // back at the emitter
    EXPECT_EQ(p->size.x, 1);
}

TEST(Smoke, DurationStopsEmissionAndReenablingOpensANewWindow) {
    GLRecorder::Install();
    {
        TQGLParticleSystems systems;
        TQGLSmoke* smoke = AddSmoke(systems, 10, 10, 3, 0);
        smoke->duration = 500;
        smoke->Render(1000);
        EXPECT_TRUE(smoke->enabled);
        smoke->Render(1500); // not past the window yet
        EXPECT_TRUE(smoke->enabled);
        smoke->Render(1501);
        EXPECT_FALSE(smoke->enabled);
        const int started = smoke->activeCount;
        for (int i = 0; i < 300; ++i)
            Step(systems);
        EXPECT_EQ(smoke->activeCount, started); // no new particles while disabled
        smoke->SetEnabled(true);
        smoke->Render(9000);
        smoke->Render(9400);
        EXPECT_TRUE(smoke->enabled);
        EXPECT_EQ(smoke->startTime, 9000);
    }
    GLRecorder::Uninstall();
}

TEST(Smoke, ParticlesDrawAsCameraFacingQuadsCompiledOnceWithDepthWritesOff) {
    GLRecorder::Install();
    {
        TQGLParticleSystems systems;
        TQGLSmoke* smoke = AddSmoke(systems, 1000, 100, 3, 20);
        Step(systems);
        Step(systems);
        ASSERT_EQ(smoke->activeCount, 1); // one start per update, once the clock passes
        Step(systems);
        ASSERT_EQ(smoke->activeCount, 2);
        GLRecorder::Clear();
        systems.RenderAll(0);
        systems.RenderAll(0);
        const std::vector<std::string> names = GLRecorder::Names();
        EXPECT_EQ(names.front(), "glDepthMask");
        EXPECT_EQ(GLRecorder::Calls().front().args[0], 0);
        EXPECT_EQ(GLRecorder::Calls().back().ToString(), "glDepthMask(1)");
        EXPECT_EQ(GLRecorder::Count("glNewList"), 2);  // each particle's quad, once
        EXPECT_EQ(GLRecorder::Count("glCallList"), 4); // two active particles, two frames
        EXPECT_EQ(GLRecorder::Count("glMultMatrixf"), 4);
    }
    EXPECT_EQ(GLRecorder::Count("glDeleteLists"), 2); // the system frees its particles' lists
    GLRecorder::Uninstall();
}

namespace {
std::vector<double> g_scales; // the x and y of every glScalef a frame sent
int g_smokeFrames = 0;
} // namespace

// Growth is a divisor: 0 (or a divisor so small that the quotient overflows) must mean no
// growth, not quads of infinite size.
TEST(Smoke, GrowthZeroOrTinyKeepsEveryParticleItsFirstSize) {
    TestWindowScript script;
    UseTestWindowBackend(&script);
    g_scales.clear();
    g_smokeFrames = 0;
    const int32_t result = qglCreateSceneWindow(
        64, 64, 32, 0,
        [] {
            for (float growth : {0.0f, 1e-40f})
                ASSERT_NE(qglAddDynamicSmokeParticleSystem(0, 0, 0, 1, 1, 1, 1, 0, 0, 0, growth,
                                                           1000, 1000, 8, 0, 0, 1, ""),
                          nullptr);
        },
        nullptr,
        [] {
            for (const gl::RecordedCall& call : GLRecorder::Calls())
                if (call.name == "glScalef")
                    g_scales.insert(g_scales.end(), call.args.begin(), call.args.begin() + 2);
            GLRecorder::Clear();
            if (++g_smokeFrames == 6) qglDestroySceneWindow();
        });
    UseTestWindowBackend(nullptr);
    ASSERT_EQ(result, 0);
    ASSERT_GE(g_scales.size(), 2u * 2u * 4u); // both systems drew their particles
    for (double scale : g_scales)
        EXPECT_EQ(scale, 1.0);
}
