// Per-frame cost of the scene effects in a 64x64 headless window with real GL: 10 smoke
// systems of 200 live particles each (update and draw), and 100 lines of screen text. Frames
// are timed after a warm-up that fills every pool; C++ allocations made while the measured
// frames render are counted, with the loop thread's CPU time. Also an empty scene for
// comparison and the particle update alone, without GL.
#include "engine/effects/ParticleSystem.h"
#include "quarn/QuarnGL.h"

#include "AllocationCounter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSystems = 10;
constexpr int kParticles = 200;
int g_warmup = 0, g_measured = 0, g_frames = 0;
Clock::time_point g_start, g_end;
long g_allocStart = 0, g_allocEnd = 0;
double g_cpuStart = 0, g_cpuEnd = 0;

// CPU seconds of the loop thread: the engine's work and the GL driver's front end, without the
// rasteriser threads of a software renderer.
double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}
enum class Content { Smoke, Text, Nothing };
Content g_content = Content::Nothing;
char g_lines[100][32];

void QUARN_CALL OnInit() {
    qglSetCameraPosition(0, 0, 0);
    qglSetCameraDirection(0, 0, -1);
    if (g_content != Content::Smoke) return;
    for (int i = 0; i < kSystems; ++i)
        // A rate of 5000 starts one particle every update, so 200 frames fill a pool.
        qglAddDynamicSmokeParticleSystem(float(i - 5) * 2, -3, -20, 0.8f, 0.8f, 0.8f, 1, 0, 0.01f,
                                         0, 20, 5000, 1000000, kParticles, 25, 0, 1, "");
}

void QUARN_CALL OnBefore() {
    if (g_content != Content::Text) return;
    for (int i = 0; i < 100; ++i)
        qglAddSceneText(g_lines[i], 2, 64 + (i % 6) * 10);
}

void QUARN_CALL OnAfter() {
    ++g_frames;
    if (g_frames == g_warmup) {
        g_start = Clock::now();
        g_cpuStart = ThreadCpuSeconds();
        g_allocStart = bench::AllocationCount();
    }
    if (g_frames == g_warmup + g_measured) {
        g_end = Clock::now();
        g_cpuEnd = ThreadCpuSeconds();
        g_allocEnd = bench::AllocationCount();
        qglDestroySceneWindow();
    }
}

void RunFrames(benchmark::State& state, Content content, int warmup, const char* label) {
    g_content = content;
    g_warmup = warmup;
    g_measured = static_cast<int>(state.range(0));
    for (int i = 0; i < 100; ++i)
        std::snprintf(g_lines[i], sizeof g_lines[i], "line %d: FPS 60.0 ms 16.7", i);
    for (auto _ : state) {
        g_frames = 0;
        // The result is the last message's wParam (a timer message gives 1); only -1 fails.
        if (qglCreateSceneWindow(64, 64, 32, 0, OnInit, OnBefore, OnAfter) < 0) {
            state.SkipWithError(qglGetLastError() ? qglGetLastError() : "window failed");
            return;
        }
        const double seconds = std::chrono::duration<double>(g_end - g_start).count();
        state.SetIterationTime(seconds / g_measured);
    }
    state.counters["allocs/frame"] = double(g_allocEnd - g_allocStart) / g_measured;
    state.counters["loop_cpu_ms/frame"] = (g_cpuEnd - g_cpuStart) * 1000.0 / g_measured;
    state.SetLabel(label);
}

void BM_SmokeFrame(benchmark::State& state) {
    RunFrames(state, Content::Smoke, kParticles + 20, "10 systems x 200 particles, per frame");
}
BENCHMARK(BM_SmokeFrame)->Arg(50)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_ScreenTextFrame(benchmark::State& state) {
    RunFrames(state, Content::Text, 5, "100 lines of text, per frame");
}
BENCHMARK(BM_ScreenTextFrame)
    ->Arg(50)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// The same window with an empty scene: the cost every frame has anyway.
void BM_EmptyFrame(benchmark::State& state) {
    RunFrames(state, Content::Nothing, 5, "empty scene, per frame");
}
BENCHMARK(BM_EmptyFrame)->Arg(50)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// The update step alone (no GL): 10 full pools of 200.
void BM_SmokeUpdate(benchmark::State& state) {
    quarn::TQGLParticleSystems systems;
    for (int i = 0; i < kSystems; ++i) {
        quarn::TQGLSmoke* s = systems.AddSmoke();
        s->lastIndex = kParticles;
        s->life = 1000000;
        s->SetRate(5000);
        s->spread = 25;
        s->growthDivisor = 20;
        s->Initialize();
    }
    for (int i = 0; i < kParticles + 10; ++i)
        systems.UpdateAll(0, 0, quarn::Vec3{0, 0, 0}, quarn::Vec3{0, 1, 0});
    const long before = bench::AllocationCount();
    for (auto _ : state)
        systems.UpdateAll(0, 0, quarn::Vec3{0, 0, 0}, quarn::Vec3{0, 1, 0});
    state.counters["allocs/frame"] =
        double(bench::AllocationCount() - before) / double(state.iterations());
    state.SetItemsProcessed(state.iterations() * kSystems * kParticles);
}
BENCHMARK(BM_SmokeUpdate)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
