// What the handle check costs an export: the same export-shaped body through the library's
// guard, once reaching the object by a plain cast and once through the live-handle registry,
// with few and with many live objects. Also counts allocations on the checked path (none).
#include "engine/core/EngineState.h"
#include "engine/scene/DynamicMeshObject.h"
#include "platform/MessageChannel.h"

#include "AllocationCounter.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

using quarn::TQGLBaseDynamicMeshObject;

// Live dynamic objects (registered as handles); the benchmark calls on one in the middle.
struct Objects {
    explicit Objects(int count) {
        for (int i = 0; i < count; ++i)
            list.push_back(std::make_unique<TQGLBaseDynamicMeshObject>());
    }
    void* Handle() const { return list[list.size() / 2].get(); }
    std::vector<std::unique_ptr<TQGLBaseDynamicMeshObject>> list;
};

__attribute__((noinline)) float UncheckedGetYaw(void* h) {
    return quarn::GuardGL<float>(
        0.0f, [&] { return static_cast<TQGLBaseDynamicMeshObject*>(h)->Yaw; }, "bench");
}

__attribute__((noinline)) float CheckedGetYaw(void* h) {
    return quarn::GuardGL<float>(
        0.0f, [&] { return quarn::RequireLive<TQGLBaseDynamicMeshObject>(h).Yaw; }, "bench");
}

void BM_UncheckedHandleCall(benchmark::State& state) {
    Objects objects(int(state.range(0)));
    void* h = objects.Handle();
    for (auto _ : state)
        benchmark::DoNotOptimize(UncheckedGetYaw(h));
}
BENCHMARK(BM_UncheckedHandleCall)->Arg(16)->Arg(100000);

void BM_CheckedHandleCall(benchmark::State& state) {
    Objects objects(int(state.range(0)));
    void* h = objects.Handle();
    const long before = bench::AllocationCount();
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckedGetYaw(h));
    state.counters["allocs"] = double(bench::AllocationCount() - before);
}
BENCHMARK(BM_CheckedHandleCall)->Arg(16)->Arg(100000);

// The refusal path: error text, last error and report; not a per-frame cost.
void BM_RefusedHandleCall(benchmark::State& state) {
    Objects objects(16);
    int foreign = 0;
    quarn::SetHostMessageCallback([](const char*, const char*) {}); // no stderr per call
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckedGetYaw(&foreign));
    quarn::SetHostMessageCallback(nullptr);
}
BENCHMARK(BM_RefusedHandleCall);

// Making and freeing a handed-out object: the registry entry and, after a free, the memory
// held back from the allocator.
void BM_DynamicObjectCreateDelete(benchmark::State& state) {
    for (auto _ : state) {
        auto object = std::make_unique<TQGLBaseDynamicMeshObject>();
        benchmark::DoNotOptimize(object.get());
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_DynamicObjectCreateDelete);

} // namespace

BENCHMARK_MAIN();
