// What checking a handle costs: the same export body with and without the live-object lookup,
// cycling over 10 bodies (everything in cache) and over 1000 (the table and the bodies compete
// for the cache, as in a force callback walking a large world).
#include "physics/world/Body.h"
#include "physics/exports/ExportGuard.h"
#include "quarn/QuarnPhysics.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct Bodies {
    TqpWorldHandle world = qpWorldCreate();
    std::vector<TqpBodyHandle> handles;
    explicit Bodies(int count) {
        const TQUARNVector size{1, 1, 1};
        TqpCollisionHandle box = qpCollisionCreateBySize(world, QP_COLLISION_BOX, &size);
        for (int i = 0; i < count; ++i)
            handles.push_back(qpBodyCreate(world, 1, box));
    }
    ~Bodies() { qpWorldDestroy(world); }
    Bodies(const Bodies&) = delete;
    Bodies& operator=(const Bodies&) = delete;
};

// qpBodyAddForce as the library runs it: guard, handle check, vector check, the add.
void BM_AddForceChecked(benchmark::State& state) {
    Bodies bodies(int(state.range(0)));
    const TQUARNVector force{0, -9.8f, 0};
    size_t i = 0;
    for (auto _ : state) {
        qpBodyAddForce(bodies.handles[i], &force);
        i = i + 1 == bodies.handles.size() ? 0 : i + 1;
    }
}

// The same body without the handle check: what the export cost before handles were checked.
void BM_AddForceUnchecked(benchmark::State& state) {
    Bodies bodies(int(state.range(0)));
    const TQUARNVector force{0, -9.8f, 0};
    size_t i = 0;
    for (auto _ : state) {
        TqpBodyHandle body = bodies.handles[i];
        quarn::PhysicsGuardVoid([&] {
            const char* fn = "qpBodyAddForce";
            quarn::NotNil(quarn::TqpBody::FromHandle(body), fn, "body")
                ->AddForce(quarn::ReadVector(&force, fn, "force"));
        });
        benchmark::DoNotOptimize(body);
        i = i + 1 == bodies.handles.size() ? 0 : i + 1;
    }
}

// Making and freeing bodies: 100 bodies made and destroyed, then the step that frees them.
void BM_BodyCreateDestroy(benchmark::State& state) {
    Bodies bodies(0);
    const TQUARNVector size{1, 1, 1};
    TqpCollisionHandle box = qpCollisionCreateBySize(bodies.world, QP_COLLISION_BOX, &size);
    std::vector<TqpBodyHandle> made(100);
    for (auto _ : state) {
        for (auto& body : made)
            body = qpBodyCreate(bodies.world, 1, box);
        for (auto body : made)
            qpBodyDestroy(body);
        qpWorldStep(bodies.world, 1.0f / 60, 0, 60);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(made.size()));
}

} // namespace

BENCHMARK(BM_BodyCreateDestroy);
BENCHMARK(BM_AddForceChecked)->Arg(10)->Arg(1000);
BENCHMARK(BM_AddForceUnchecked)->Arg(10)->Arg(1000);

BENCHMARK_MAIN();
