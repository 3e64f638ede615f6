// The cost of one frame of an empty scene in a 64x64 headless window (clear, camera, frustum,
// passes, swap), and of the frustum's box tests.
#include "engine/scene/Frustum.h"
#include "quarn/QuarnGL.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWarmupFrames = 20;
int g_frames = 0;
int g_measuredFrames = 0;
Clock::time_point g_start, g_end;

void QUARN_CALL OnAfterRender() {
    ++g_frames;
    if (g_frames == kWarmupFrames) g_start = Clock::now();
    if (g_frames == kWarmupFrames + g_measuredFrames) {
        g_end = Clock::now();
        qglDestroySceneWindow();
    }
}

void BM_EmptySceneFrame(benchmark::State& state) {
    g_measuredFrames = static_cast<int>(state.range(0));
    for (auto _ : state) {
        g_frames = 0;
        // The result is the last message's wParam (a timer message gives 1); only -1 fails.
        if (qglCreateSceneWindow(64, 64, 32, 0, nullptr, nullptr, OnAfterRender) < 0) {
            state.SkipWithError(qglGetLastError() ? qglGetLastError() : "window failed");
            return;
        }
        const double seconds = std::chrono::duration<double>(g_end - g_start).count();
        state.SetIterationTime(seconds / g_measuredFrames);
    }
    state.SetLabel("per frame");
}
BENCHMARK(BM_EmptySceneFrame)
    ->Arg(2000)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMicrosecond);

quarn::TQGLFrustrum MakeFrustum() {
    const quarn::Mat4 projection = quarn::MatrixPerspective(45, 1, 1, 2000);
    const quarn::Mat4 view = quarn::MatrixIdentity();
    quarn::TQGLFrustrum f;
    f.ExtractPlanesFrom(projection.m, view.m);
    return f;
}

void Corners(float z, quarn::Vec3 c[8]) {
    for (int i = 0; i < 8; ++i)
        c[i] = quarn::Vec3{(i & 1) ? 1.0f : -1.0f, (i & 2) ? 1.0f : -1.0f,
                           z + ((i & 4) ? 1.0f : -1.0f)};
}

void BM_FrustumBoxVisible(benchmark::State& state) {
    const quarn::TQGLFrustrum f = MakeFrustum();
    quarn::Vec3 c[8];
    Corners(-10.0f, c);
    const quarn::Mat4 m = quarn::MatrixTranslation({0.5f, 0.0f, -3.0f});
    for (auto _ : state)
        benchmark::DoNotOptimize(f.IsBoxVisible(m, c));
}
BENCHMARK(BM_FrustumBoxVisible);

void BM_FrustumBoxRejectedByFirstPlane(benchmark::State& state) {
    const quarn::TQGLFrustrum f = MakeFrustum();
    quarn::Vec3 c[8];
    Corners(-10.0f, c);
    const quarn::Mat4 m = quarn::MatrixTranslation({500.0f, 0.0f, 0.0f}); // right of the view
    for (auto _ : state)
        benchmark::DoNotOptimize(f.IsBoxVisible(m, c));
}
BENCHMARK(BM_FrustumBoxRejectedByFirstPlane);

void BM_FrustumPointsVisible(benchmark::State& state) {
    const quarn::TQGLFrustrum f = MakeFrustum();
    quarn::Vec3 c[8];
    Corners(-10.0f, c);
    for (auto _ : state)
        benchmark::DoNotOptimize(f.ArePointsVisible(c));
}
BENCHMARK(BM_FrustumPointsVisible);

} // namespace

BENCHMARK_MAIN();
