// Time per 1/60 s step of typical scenes through libQuarnPhysics, and of the same scenes in
// plain Bullet. Each iteration builds the scene (untimed), runs 600 steps (timed) and tears
// the scene down (untimed); "per_step" is the time of one step.
#include "BulletScenes.h"
#include "quarn/QuarnPhysics.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
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

// 1000 boxes in a 10 x 10 x 10 lattice above the floor.
template <class AddFn> void BuildDrop(AddFn add) {
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            for (int z = 0; z < 10; ++z)
                add((x - 4.5f) * 1.5f, 2.0f + y * 1.5f, (z - 4.5f) * 1.5f);
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
        AddFloor(world, 50);
        const TQUARNVector size{1, 1, 1};
        TqpCollisionHandle box = qpCollisionCreateBySize(world, QP_COLLISION_BOX, &size);
        TqpBodyHandle last = nullptr;
        BuildDrop([&](float x, float y, float z) { last = AddBox(world, box, 1, x, y, z); });
        return last;
    });
}

void BM_DropBullet(benchmark::State& state) {
    RunBulletScene(state, [](bench::BulletScene& scene) {
        scene.AddFloor(50);
        BuildDrop([&](float x, float y, float z) { scene.AddUnitBox(1, x, y, z); });
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

} // namespace

BENCHMARK(BM_PyramidLibrary)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PyramidBullet)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DropLibrary)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_DropBullet)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_HingeChainLibrary)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_VehiclesLibrary)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
