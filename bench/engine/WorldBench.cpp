// World geometry: octree build over about two million faces, terrain from a 1024 x 1024 height
// map, and the per-frame culling walk (CollectVisible) along a fixed camera path.
#include "engine/materials/MaterialList.h"
#include "engine/materials/States.h"
#include "engine/scene/Frustum.h"
#include "engine/scene/StaticMeshObject.h"
#include "platform/gl/GL.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

using namespace quarn;

namespace {

std::vector<uint8_t> Hills(int n) {
    std::vector<uint8_t> red(size_t(n) * size_t(n));
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            red[size_t(y) * size_t(n) + size_t(x)] =
                uint8_t(128 + 60 * std::sin(x * 0.05) * std::cos(y * 0.04));
    return red;
}

struct World {
    TQGLStates states;
    TQGLMaterialList materials{&states};
    TQGLFrustrum frustum;
    TQGLStaticMeshObject mesh;
    World() {
        mesh.Materials = &materials;
        mesh.Frustum = &frustum;
    }
};

// Perspective 45 degrees, far 2000, looking from eye toward target.
void Look(TQGLFrustrum& f, Vec3 eye, Vec3 target) {
    const Mat4 p = MatrixPerspective(45, 1, 1, 2000);
    const Mat4 m = MatrixLookAt(eye, target, Vec3{0, 1, 0});
    f.ExtractPlanesFrom(p.m, m.m);
}

void BM_TerrainBuild1024(benchmark::State& state) {
    gl::ScopedNullDispatch noGL;
    const std::vector<uint8_t> red = Hills(1024);
    for (auto _ : state) {
        auto world = std::make_unique<World>();
        world->mesh.BuildTerrainFromHeights(red, 1024, 1024, 4, 1);
        benchmark::DoNotOptimize(world->mesh.Faces.Count());
        state.PauseTiming();
        world.reset();
        state.ResumeTiming();
    }
    state.counters["faces"] = 2.0 * 1023 * 1023;
}
BENCHMARK(BM_TerrainBuild1024)->Unit(benchmark::kMillisecond)->Iterations(2);

World& SharedWorld() {
    static World* world = [] {
        gl::ScopedNullDispatch noGL;
        auto* w = new World();
        w->mesh.BuildTerrainFromHeights(Hills(1024), 1024, 1024, 4, 1); // ~2.09 M faces
        return w;
    }();
    return *world;
}

void BM_OctreeBuild2MFaces(benchmark::State& state) {
    World& w = SharedWorld();
    gl::ScopedNullDispatch noGL;
    for (auto _ : state)
        w.mesh.BuildOctree();
    state.counters["faces"] = double(w.mesh.Faces.Count());
}
BENCHMARK(BM_OctreeBuild2MFaces)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CollectVisiblePerFrame(benchmark::State& state) {
    World& w = SharedWorld();
    std::vector<TQGLOctree*> visible;
    visible.reserve(4096);
    int frame = 0;
    size_t nodes = 0, drawn = 0, frames = 0;
    for (auto _ : state) {
        // A camera circling over the terrain, looking at its middle.
        const float a = float(frame++ % 360) * 3.14159265f / 180.0f;
        state.PauseTiming();
        Look(w.frustum, Vec3{1500 * std::cos(a), 400, 1500 * std::sin(a)}, Vec3{0, 0, 0});
        state.ResumeTiming();
        visible.clear();
        w.mesh.Octree->CollectVisible(visible);
        benchmark::DoNotOptimize(visible.data());
        nodes += visible.size();
        for (TQGLOctree* n : visible)
            drawn += n->FaceCount > 0;
        ++frames;
    }
    state.counters["visible_nodes"] = double(nodes) / double(frames);
    state.counters["leaves_drawn"] = double(drawn) / double(frames);
}
BENCHMARK(BM_CollectVisiblePerFrame)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
