// Per-frame cost of 10 000 dynamic objects in a 64x64 headless window with real GL: half of
// them outside the view, a tenth billboards, a tenth blended and sorted far to near. Also the
// blended sort alone. The frame benchmark counts C++ allocations made while frames render.
#include "engine/scene/DynamicMeshObject.h"
#include "engine/scene/Scene.h"
#include "quarn/QuarnGL.h"

#include "AllocationCounter.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kObjects = 10000;
constexpr int kWarmupFrames = 5;
int g_frames = 0;
int g_measuredFrames = 0;
Clock::time_point g_start, g_end;
long g_allocStart = 0, g_allocEnd = 0;

void QUARN_CALL OnInit() {
    qglSetCameraPosition(0, 0, 0);
    qglSetCameraDirection(0, 0, -1);
    TQGLHandle opaque = qglAddMaterial("opaque");
    TQGLHandle glass = qglAddMaterial("glass");
    qglSetMaterialBlendData(glass, 1, 0x0302 /* GL_SRC_ALPHA */, 0x0303 /* ONE_MINUS */);
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> spread(-40, 40), depth(5, 200);
    for (int i = 0; i < kObjects; ++i) {
        // Even objects in front of the camera, odd ones behind it (culled).
        const float z = (i % 2 == 0) ? -depth(rng) : depth(rng);
        const bool blended = i % 10 == 2;
        const bool cube = i % 4 == 0 && !blended;
        TQGLHandle o =
            qglLoadDynamicPredefined(cube ? 1 : 4, blended ? glass : opaque, spread(rng),
                                     spread(rng) * 0.5f, z, 0, float(i % 360), 0, 1, 1, 1);
        if (i % 10 == 4) {
            qglSetDynamicBillboardFlag(o, 1);
            qglSetDynamicBillboardType(o, uint8_t(i % 5));
        }
    }
}

void QUARN_CALL OnAfterRender() {
    ++g_frames;
    if (g_frames == kWarmupFrames) {
        g_start = Clock::now();
        g_allocStart = bench::AllocationCount();
    }
    if (g_frames == kWarmupFrames + g_measuredFrames) {
        g_end = Clock::now();
        g_allocEnd = bench::AllocationCount();
        qglDestroySceneWindow();
    }
}

void BM_DynamicObjectsFrame(benchmark::State& state) {
    g_measuredFrames = static_cast<int>(state.range(0));
    for (auto _ : state) {
        g_frames = 0;
        // The result is the last message's wParam (a timer message gives 1); only -1 fails.
        if (qglCreateSceneWindow(64, 64, 32, 0, OnInit, nullptr, OnAfterRender) < 0) {
            state.SkipWithError(qglGetLastError() ? qglGetLastError() : "window failed");
            return;
        }
        const double seconds = std::chrono::duration<double>(g_end - g_start).count();
        state.SetIterationTime(seconds / g_measuredFrames);
    }
    state.counters["allocs/frame"] = double(g_allocEnd - g_allocStart) / g_measuredFrames;
    state.SetLabel("10000 objects, per frame");
}
BENCHMARK(BM_DynamicObjectsFrame)
    ->Arg(50)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

void BM_BlendedSort(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::vector<quarn::TQGLBaseDynamicMeshObject> objects(static_cast<size_t>(n));
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> distance(1, 500);
    std::vector<quarn::TQGLBaseDynamicMeshObject*> unsorted, work;
    for (auto& o : objects) {
        o.CameraDistance = distance(rng);
        unsorted.push_back(&o);
    }
    work.reserve(unsorted.size());
    for (auto _ : state) {
        work.assign(unsorted.begin(), unsorted.end()); // a copy of n pointers, no allocation
        quarn::SortBlended(work);
        benchmark::DoNotOptimize(work.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_BlendedSort)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
