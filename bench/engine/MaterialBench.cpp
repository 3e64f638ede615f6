// Material switches: 1 000 objects a frame alternating between two GLSL materials with four
// uniforms each (every object switches), and the same material applied again (no switch). CPU
// time comes from a GL table that does nothing; GL calls per switch from the recording table;
// C++ allocations are counted while frames run.
#include "engine/materials/GLSLShader.h"
#include "engine/materials/MaterialList.h"
#include "engine/materials/MaterialStages.h"
#include "engine/materials/States.h"
#include "platform/gl/GLRecorder.h"

#include "AllocationCounter.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>

namespace {

using namespace quarn;
using gl::GLRecorder;

constexpr int kObjects = 1000;

// Two GLSL materials (four uniforms each) built against the recording table, which answers
// every compile and link as successful.
struct TwoMaterials {
    TwoMaterials() {
        GLRecorder::Install();
        GLRecorder::SetIntegers(GL_OBJECT_COMPILE_STATUS_ARB, {1});
        GLRecorder::SetIntegers(GL_OBJECT_LINK_STATUS_ARB, {1});
        for (const char* sampler : {"texture0", "texture1", "texture2", "texture3", "texture4"})
            GLRecorder::SetUniformLocation(sampler, -1); // the programs sample nothing
        const std::string file = "/tmp/quarn_bench_material.glsl";
        std::ofstream(file) << "void main() {}\n";
        for (const char* name : {"a", "b"}) {
            TQGLMaterial* m = list.AddMaterial(std::make_unique<TQGLMaterial>(name));
            TQGLGLSLShader* stage = AddGLSLStage(*m, file, file);
            stage->SetValue1f("scale", 1.0f);
            stage->SetValue3f("tint", 1.0f, 0.5f, 0.25f);
            stage->SetValue4f("light", 0.0f, 10.0f, 0.0f, 1.0f);
            const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
            stage->SetValueMat4f("turn", identity);
        }
        GLRecorder::Uninstall();
    }
    ~TwoMaterials() {
        gl::ScopedNullDispatch quiet;
        list.ResetMaterial();
    }
    TQGLStates states;
    TQGLMaterialList list{&states};
};

// Switching materials before every object, as a frame of alternating objects does.
void Frame(TQGLMaterialList& list, uint32_t ticks, int stride) {
    list.ResetMaterial();
    for (int i = 0; i < kObjects; ++i)
        list.SetMaterial((i / stride) & 1, ticks);
}

void BM_AlternatingGLSLMaterials(benchmark::State& state) {
    TwoMaterials materials;
    // GL calls per switch, from one recorded frame.
    GLRecorder::Install();
    Frame(materials.list, 0, 1);
    const double callsPerSwitch = double(GLRecorder::Calls().size()) / kObjects;
    GLRecorder::Uninstall();

    gl::ScopedNullDispatch quiet;
    uint32_t ticks = 0;
    const long before = bench::AllocationCount();
    for (auto _ : state) {
        Frame(materials.list, ticks, 1);
        ticks += 16;
    }
    state.counters["gl_calls_per_switch"] = callsPerSwitch;
    state.counters["allocations_per_frame"] =
        double(bench::AllocationCount() - before) / double(state.iterations());
    state.counters["switches_per_frame"] = kObjects;
}
BENCHMARK(BM_AlternatingGLSLMaterials)->Unit(benchmark::kMicrosecond);

void BM_SameMaterialAgain(benchmark::State& state) {
    TwoMaterials materials;
    gl::ScopedNullDispatch quiet;
    materials.list.SetMaterial(0, 0);
    for (auto _ : state) {
        materials.list.SetMaterial(0, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SameMaterialAgain);

} // namespace

BENCHMARK_MAIN();
