// Time per 1/60 s step of typical scenes through libQuarnPhysics, and of the same scenes in
// plain Bullet. Each iteration builds the scene (untimed), runs 600 steps (timed) and tears
// the scene down (untimed); "per_step" is the time of one step.
#include "BulletScenes.h"
#include "quarn/QuarnPhysics.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr int kSteps = 600;
constexpr float kStep = 1.0f / 60.0f;

void QUARN_CALL Gravity(TqpBodyHandle body) {
    const TQUARNVector g{0, -9.8f * qpBodyGetMass(body), 0};
    qpBodyAddForce(body, &g);
}

TqpBodyHandle AddFloor(TqpWorldHandle world, float halfSize) {
    // Counted arrays: the int32 count sits just before element 0.
    struct {
        int32_t pad, count;
        TQUARNVector v[4];
    } vertices{0,
               4,
               {{-halfSize, 0, -halfSize},
                {halfSize, 0, -halfSize},
                {halfSize, 0, halfSize},
                {-halfSize, 0, halfSize}}};
    struct {
        int32_t pad, count;
        TQUARNIntVector f[2];
    } faces{0, 2, {{0, 2, 1}, {0, 3, 2}}};
    TQUARNFaceData data{2, 4, vertices.v, faces.f};
    return qpBodyCreate(world, 1, qpCollisionCreateByFace(world, QP_COLLISION_TREE, &data));
}

TqpBodyHandle AddBox(TqpWorldHandle world, TqpCollisionHandle shape, float mass, float x, float y,
                     float z) {
    TqpBodyHandle body = qpBodyCreate(world, 1, shape);
    qpBodySetMass(body, mass);
    const TqpMatrix m{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1}};
    qpBodySetMatrix(body, &m);
    qpBodySetForceAndTorqueCallback(body, &Gravity);
    // Both sides simulate every box in every step: sleeping rules differ between the layer and
    // plain Bullet and would otherwise decide the comparison.
    qpBodySetAutoFreeze(body, 0);
    return body;
}

// 20 levels: 210 boxes.
template <class AddFn> void BuildPyramid(AddFn add) {
    for (int level = 0; level < 20; ++level)
        for (int i = 0; i < 20 - level; ++i)
            add((i - (19 - level) * 0.5f) * 1.01f, 0.5f + level * 1.0f, 0.0f);
}

// The drop scene: 300 unit boxes in three layers of 100 at y = 3 + 2 * layer, on a 10 x 10 grid
// of spacing 2 starting at -9, each jittered by up to +-0.25 in x and z and turned about Y by
// a number drawn from the same LCG (seed 12345), falling on a 40 x 40 grid floor of side 2
// (3 200 triangles).
constexpr int kDropFloorCells = 40;
constexpr float kDropFloorCell = 2.0f;

struct Lcg {
    uint32_t state = 12345;
    float Next() { // [0, 1)
        state = state * 1664525u + 1013904223u;
        return float(state >> 8) / 16777216.0f;
    }
};

template <class AddFn> void BuildDrop(AddFn add) {
    Lcg lcg;
    for (int layer = 0; layer < 3; ++layer)
        for (int i = 0; i < 10; ++i)
            for (int k = 0; k < 10; ++k) {
                const float jx = (lcg.Next() - 0.5f) * 0.5f;
                const float jz = (lcg.Next() - 0.5f) * 0.5f;
                const float yaw = lcg.Next() * 6.2831853f;
                add(-9.0f + 2.0f * i + jx, 3.0f + 2.0f * layer, -9.0f + 2.0f * k + jz, yaw);
            }
}

TqpBodyHandle AddTurnedBox(TqpWorldHandle world, TqpCollisionHandle shape, float x, float y,
                           float z, float yaw) {
    TqpBodyHandle body = AddBox(world, shape, 1, x, y, z);
    const float c = std::cos(yaw), s = std::sin(yaw);
    const TqpMatrix m{{c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, x, y, z, 1}};
    qpBodySetMatrix(body, &m);
    return body;
}

TqpBodyHandle AddGridFloor(TqpWorldHandle world) {
    // Counted arrays: the int32 count sits just before element 0.
    const int n = kDropFloorCells, quads = n * n;
    std::vector<int32_t> vertexStore(2 + 3 * (n + 1) * (n + 1));
    std::vector<int32_t> faceStore(2 + 3 * 2 * quads);
    vertexStore[1] = (n + 1) * (n + 1);
    faceStore[1] = 2 * quads;
    auto* v = reinterpret_cast<TQUARNVector*>(vertexStore.data() + 2);
    auto* f = reinterpret_cast<TQUARNIntVector*>(faceStore.data() + 2);
    const float h = n * kDropFloorCell * 0.5f;
    for (int i = 0; i <= n; ++i)
        for (int k = 0; k <= n; ++k)
            v[i * (n + 1) + k] = TQUARNVector{-h + i * kDropFloorCell, 0, -h + k * kDropFloorCell};
    for (int i = 0; i < n; ++i)
        for (int k = 0; k < n; ++k) {
            const int a = i * (n + 1) + k, b = a + n + 1; // (i, k) and (i + 1, k)
            f[2 * (i * n + k)] = TQUARNIntVector{a, b + 1, b};
            f[2 * (i * n + k) + 1] = TQUARNIntVector{a, a + 1, b + 1};
        }
    TQUARNFaceData data{2 * quads, (n + 1) * (n + 1), v, f};
    return qpBodyCreate(world, 1, qpCollisionCreateByFace(world, QP_COLLISION_TREE, &data));
}

void Report(benchmark::State& state) {
    state.counters["per_step"] = benchmark::Counter(
        kSteps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

template <class Build> void RunLibraryScene(benchmark::State& state, Build build) {
    for (auto _ : state) {
        state.PauseTiming();
        TqpWorldHandle world = qpWorldCreate();
        TqpBodyHandle last = build(world);
        state.ResumeTiming();
        for (int i = 0; i < kSteps; ++i)
            qpWorldStep(world, kStep, 1, 60.0f);
        state.PauseTiming();
        TqpMatrix m;
        qpBodyGetMatrix(&m, last);
        state.counters["last_y"] = m.m[13];
        qpWorldDestroy(world);
        state.ResumeTiming();
    }
    Report(state);
}

template <class Build> void RunBulletScene(benchmark::State& state, Build build) {
    for (auto _ : state) {
        state.PauseTiming();
        auto scene = std::make_unique<bench::BulletScene>();
        build(*scene);
        state.ResumeTiming();
        for (int i = 0; i < kSteps; ++i)
            scene->Step(kStep);
        state.PauseTiming();
        state.counters["last_y"] = scene->LastBoxHeight();
        scene.reset();
        state.ResumeTiming();
    }
    Report(state);
}

void BM_PyramidLibrary(benchmark::State& state) {
    RunLibraryScene(state, [](TqpWorldHandle world) {
        AddFloor(world, 50);
        const TQUARNVector size{1, 1, 1};
        TqpCollisionHandle box = qpCollisionCreateBySize(world, QP_COLLISION_BOX, &size);
        TqpBodyHandle last = nullptr;
        BuildPyramid([&](float x, float y, float z) { last = AddBox(world, box, 1, x, y, z); });
        return last;
    });
}

void BM_PyramidBullet(benchmark::State& state) {
    RunBulletScene(state, [](bench::BulletScene& scene) {
        scene.AddFloor(50);
        BuildPyramid([&](float x, float y, float z) { scene.AddUnitBox(1, x, y, z); });
    });
}

void BM_DropLibrary(benchmark::State& state) {
    RunLibraryScene(state, [](TqpWorldHandle world) {
        AddGridFloor(world);
        const TQUARNVector size{1, 1, 1};
        TqpCollisionHandle box = qpCollisionCreateBySize(world, QP_COLLISION_BOX, &size);
        TqpBodyHandle last = nullptr;
        BuildDrop([&](float x, float y, float z, float yaw) {
            last = AddTurnedBox(world, box, x, y, z, yaw);
        });
        return last;
    });
}

void BM_DropBullet(benchmark::State& state) {
    RunBulletScene(state, [](bench::BulletScene& scene) {
        scene.AddGridFloor(kDropFloorCells, kDropFloorCell);
        BuildDrop([&](float x, float y, float z, float yaw) { scene.AddUnitBox(1, x, y, z, yaw); });
    });
}

// Thread CPU time: other processes on a loaded machine do not count.
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The same scene through the library and in plain Bullet in one run. The 600 steps of each
// side run in blocks of 60, the two sides' blocks of the same steps back to back in the order
// L B B L L B ..., so that both meet the same machine: on a shared host the speed of the
// same block drifts by tens of percent within seconds. "ratio" is the median over all block
// pairs of library time over Bullet time, "ratio_of_sums" the total over the total.
// Alternating step by step instead would charge each side with reloading its memory after
// the other every step; a block of 60 steps (about 0.1 s) makes that negligible.
constexpr int kBlockSteps = 60;

template <class BuildLibrary, class BuildBullet>
void RunRatio(benchmark::State& state, BuildLibrary buildLibrary, BuildBullet buildBullet) {
    double library = 0, bullet = 0;
    std::vector<double> ratios;
    for (auto _ : state) {
        TqpWorldHandle world = qpWorldCreate();
        buildLibrary(world);
        auto scene = std::make_unique<bench::BulletScene>();
        buildBullet(*scene);
        for (int block = 0; block < kSteps / kBlockSteps; ++block) {
            double seconds[2] = {0, 0}; // library, Bullet
            for (int side = 0; side < 2; ++side) {
                const bool runLibrary = (side == 0) == (block % 2 == 0);
                const double start = CpuSeconds();
                for (int i = 0; i < kBlockSteps; ++i)
                    if (runLibrary)
                        qpWorldStep(world, kStep, 1, 60.0f);
                    else
                        scene->Step(kStep);
                seconds[runLibrary ? 0 : 1] = CpuSeconds() - start;
            }
            library += seconds[0];
            bullet += seconds[1];
            ratios.push_back(seconds[0] / seconds[1]);
        }
        qpWorldDestroy(world);
    }
    std::sort(ratios.begin(), ratios.end());
    const size_t n = ratios.size();
    const double steps = double(state.iterations()) * kSteps;
    state.counters["library_ms"] = library / steps * 1e3;
    state.counters["bullet_ms"] = bullet / steps * 1e3;
    state.counters["ratio"] = n % 2 ? ratios[n / 2] : 0.5 * (ratios[n / 2 - 1] + ratios[n / 2]);
    state.counters["ratio_of_sums"] = library / bullet;
}

void BM_PyramidRatio(benchmark::State& state) {
    RunRatio(
        state,
        [](TqpWorldHandle world) {
            AddFloor(world, 50);
            const TQUARNVector size{1, 1, 1};
            TqpCollisionHandle box = qpCollisionCreateBySize(world, QP_COLLISION_BOX, &size);
            BuildPyramid([&](float x, float y, float z) { AddBox(world, box, 1, x, y, z); });
        },
        [](bench::BulletScene& scene) {
            scene.AddFloor(50);
            BuildPyramid([&](float x, float y, float z) { scene.AddUnitBox(1, x, y, z); });
        });
}

void BM_DropRatio(benchmark::State& state) {
    RunRatio(
        state,
        [](TqpWorldHandle world) {
            AddGridFloor(world);
            const TQUARNVector size{1, 1, 1};
            TqpCollisionHandle box = qpCollisionCreateBySize(world, QP_COLLISION_BOX, &size);
            BuildDrop([&](float x, float y, float z, float yaw) {
                AddTurnedBox(world, box, x, y, z, yaw);
            });
        },
        [](bench::BulletScene& scene) {
            scene.AddGridFloor(kDropFloorCells, kDropFloorCell);
            BuildDrop(
                [&](float x, float y, float z, float yaw) { scene.AddUnitBox(1, x, y, z, yaw); });
        });
}

// 100 boxes hanging in a chain of hinges from a static anchor.
void BM_HingeChainLibrary(benchmark::State& state) {
    RunLibraryScene(state, [](TqpWorldHandle world) {
        const TQUARNVector size{0.9f, 0.2f, 0.2f};
        TqpCollisionHandle link = qpCollisionCreateBySize(world, QP_COLLISION_BOX, &size);
        TqpBodyHandle parent = AddBox(world, link, 0, 0, 50, 0);
        const TQUARNVector pin{0, 0, 1};
        for (int i = 1; i <= 100; ++i) {
            TqpBodyHandle child = AddBox(world, link, 1, i * 1.0f, 50, 0);
            const TQUARNVector pivot{i - 0.5f, 50, 0};
            qpJointCreateHinge(parent, child, &pivot, &pin);
            parent = child;
        }
        return parent;
    });
}

// 50 four-tyre vehicles in a row on a floor, half of them driving (about 25 m in the run).
void BM_VehiclesLibrary(benchmark::State& state) {
    RunLibraryScene(state, [](TqpWorldHandle world) {
        AddFloor(world, 90);
        const TQUARNVector size{2, 0.5f, 4};
        TqpCollisionHandle chassisShape = qpCollisionCreateBySize(world, QP_COLLISION_BOX, &size);
        const TQUARNVector axle{1, 0, 0};
        TqpBodyHandle last = nullptr;
        for (int v = 0; v < 50; ++v) {
            TqpBodyHandle chassis = AddBox(world, chassisShape, 100, (v - 25) * 3.0f, 1.2f, 0);
            qpBodySetAutoFreeze(chassis, 0);
            TqpVehicleHandle vehicle = qpVehicleCreate(chassis);
            for (int t = 0; t < 4; ++t) {
                const TQUARNVector at{t % 2 ? 1.0f : -1.0f, -0.25f, t < 2 ? 1.5f : -1.5f};
                TqpTyreHandle tyre =
                    qpVehicleAddTyre(vehicle, &at, &axle, 5, 0.3f, 0.4f, 10, 100, 0.3f);
                if (v % 2) qpVehicleSetTyreTorque(tyre, 5);
            }
            last = chassis;
        }
        return last;
    });
}

// Cell i of a side x side x side grid of spacing 2 around the origin.
TQUARNVector GridCell(int i, int side) {
    const int x = i % side, y = i / side % side, z = i / (side * side);
    return {float(2 * x - side), float(2 * y - side), float(2 * z - side)};
}

int GridSide(int n) {
    return static_cast<int>(std::ceil(std::cbrt(double(n))));
}

// A level load: n boxes made, weighed and placed one by one on a grid (none touching), then
// the first step; BM_CreateBodiesBullet makes the same boxes in plain Bullet. Bullet's own
// broadphase insertion sets how both grow with n.
void BM_CreateBodies(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0)), side = GridSide(n);
    for (auto _ : state) {
        TqpWorldHandle world = qpWorldCreate();
        const TQUARNVector size{1, 1, 1};
        TqpCollisionHandle box = qpCollisionCreateBySize(world, QP_COLLISION_BOX, &size);
        for (int i = 0; i < n; ++i) {
            const TQUARNVector at = GridCell(i, side);
            AddBox(world, box, 1, at.x, at.y, at.z);
        }
        qpWorldStep(world, kStep, 1, 60.0f);
        state.PauseTiming();
        qpWorldDestroy(world);
        state.ResumeTiming();
    }
    state.SetComplexityN(n);
}

void BM_CreateBodiesBullet(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0)), side = GridSide(n);
    for (auto _ : state) {
        auto scene = std::make_unique<bench::BulletScene>();
        for (int i = 0; i < n; ++i) {
            const TQUARNVector at = GridCell(i, side);
            scene->AddUnitBox(1, at.x, at.y, at.z);
        }
        scene->Step(kStep);
        state.PauseTiming();
        scene.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(n);
}

} // namespace

BENCHMARK(BM_PyramidLibrary)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PyramidBullet)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DropLibrary)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DropBullet)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PyramidRatio)->Unit(benchmark::kMillisecond)->Iterations(12);
BENCHMARK(BM_DropRatio)->Unit(benchmark::kMillisecond)->Iterations(12);
BENCHMARK(BM_HingeChainLibrary)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_VehiclesLibrary)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CreateBodies)
    ->RangeMultiplier(4)
    ->Range(4096, 65536)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_CreateBodiesBullet)
    ->RangeMultiplier(4)
    ->Range(4096, 65536)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

BENCHMARK_MAIN();
