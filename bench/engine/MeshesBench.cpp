// The world workload of our comparisons (a 2N x 2N height-field terrain of 2 N^2 triangles and
// a circular camera path): the bulk mesh append against the host's own array build, and the
// terrain frame through the exported API in a headless window, with its CPU time and the
// engine's frame statistics.
#include "engine/scene/FaceDataExchange.h"
#include "engine/scene/Frustum.h"
#include "engine/scene/StaticMeshObject.h"
#include "platform/gl/GL.h"
#include "quarn/QuarnGL.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The host's arrays: vertex (i, j) at (2i, H, 2j), cell (i, j) as two triangles wound to +y.
struct TerrainArrays {
    std::vector<TQUARNVector> vertices;
    std::vector<int32_t> faces;
};

void BuildTerrainArrays(int n, TerrainArrays& out) {
    const int side = n + 1;
    out.vertices.resize(size_t(side) * size_t(side));
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i) {
            const double x = 2.0 * i, z = 2.0 * j;
            const double h = 18 * std::sin(0.021 * x) * std::cos(0.017 * z) +
                             7 * std::sin(0.063 * x + 0.041 * z) +
                             2.5 * std::sin(0.19 * z) * std::cos(0.11 * x);
            out.vertices[size_t(j) * size_t(side) + size_t(i)] =
                TQUARNVector{float(x), float(h), float(z)};
        }
    out.faces.resize(size_t(n) * size_t(n) * 6);
    int32_t* f = out.faces.data();
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const int32_t v00 = j * side + i, v10 = v00 + 1, v01 = v00 + side, v11 = v01 + 1;
            const int32_t cell[6] = {v00, v01, v11, v00, v11, v10};
            for (int32_t v : cell)
                *f++ = v;
        }
}

void (*g_init)() = nullptr;
void (*g_after)() = nullptr;

void QUARN_CALL OnInit() {
    g_init();
}
void QUARN_CALL OnAfter() {
    g_after();
}

bool RunWindow(benchmark::State& state, int size) {
    // The result is the last message's wParam (a long init sees timer messages): only a
    // negative one is a failure.
    if (qglCreateSceneWindow(size, size, 32, 0, OnInit, nullptr, OnAfter) < 0) {
        state.SkipWithError(qglGetLastError() ? qglGetLastError() : "window failed");
        return false;
    }
    return true;
}

// Per iteration: the host computes the arrays of an N = 512 terrain (524 288 triangles, fresh
// arrays as a host building a mesh allocates them), then they go into a new static mesh in one
// bulk append (what qglAddStaticMeshArrays runs, here without a window so the figure needs no
// GL). The previous iteration's mesh is freed untimed, so both sides reuse what their
// allocators kept. The ratio is the append's time over the host's, in wall and thread CPU time.
void BM_BulkMeshVsHostArrays(benchmark::State& state) {
    quarn::gl::ScopedNullDispatch noGL;
    double host = 0, bulk = 0, hostCpu = 0, bulkCpu = 0, coldRatio = 0;
    std::unique_ptr<quarn::TQGLStaticMeshObject> mesh;
    for (auto _ : state) {
        TerrainArrays arrays;
        const auto t0 = Clock::now();
        const double c0 = ThreadCpuSeconds();
        BuildTerrainArrays(512, arrays);
        const auto t1 = Clock::now();
        const double c1 = ThreadCpuSeconds();
        mesh = std::make_unique<quarn::TQGLStaticMeshObject>();
        mesh->AddMeshArrays(int32_t(arrays.vertices.size()),
                            quarn::AsVectors(arrays.vertices.data()), nullptr, nullptr,
                            int32_t(arrays.faces.size() / 3), arrays.faces.data(), nullptr);
        const auto t2 = Clock::now();
        const double c2 = ThreadCpuSeconds();
        host += Seconds(t0, t1);
        bulk += Seconds(t1, t2);
        hostCpu += c1 - c0;
        bulkCpu += c2 - c1;
        if (coldRatio == 0) coldRatio = (c2 - c1) / (c1 - c0); // first run: fresh pages
        state.PauseTiming();
        arrays = TerrainArrays{};
        mesh.reset();
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["host_ms"] = 1e3 * host / n;
    state.counters["bulk_ms"] = 1e3 * bulk / n;
    state.counters["bulk_over_host"] = bulk / host;
    // The same in thread CPU time, steadier on a shared machine.
    state.counters["host_cpu_ms"] = 1e3 * hostCpu / n;
    state.counters["bulk_cpu_ms"] = 1e3 * bulkCpu / n;
    state.counters["bulk_over_host_cpu"] = bulkCpu / hostCpu;
    state.counters["first_bulk_over_host_cpu"] = coldRatio;
}
BENCHMARK(BM_BulkMeshVsHostArrays)->Unit(benchmark::kMillisecond)->Iterations(5);

// The camera path: F frames on a circle of radius 0.3 L around the terrain's centre at height
// 60, looking along the direction of travel and down by atan(0.3); 60-degree view, near 1, far
// 2000, a 256 x 256 window.
constexpr int kN = 512, kFrames = 300;
constexpr float kSide = 2.0f * kN;

quarn::Vec3 Eye(int k) {
    const double a = 2 * M_PI * k / kFrames, r = 0.3 * kSide;
    return quarn::Vec3{float(kSide / 2 + r * std::cos(a)), 60.0f,
                       float(kSide / 2 + r * std::sin(a))};
}
quarn::Vec3 Target(int k) {
    const double a = 2 * M_PI * k / kFrames;
    const quarn::Vec3 e = Eye(k);
    return quarn::Vec3{float(e.x - 100 * std::sin(a)), 30.0f, float(e.z + 100 * std::cos(a))};
}
void PlaceCamera(int k) {
    const quarn::Vec3 e = Eye(k), t = Target(k);
    qglSetCameraPosition(e.x, e.y, e.z);
    qglSetCameraDirection(t.x - e.x, t.y - e.y, t.z - e.z);
}

// Triangles not wholly outside any one frustum plane: what a frame at path position k must
// draw at least, whatever the engine.
int InView(const TerrainArrays& a, int k) {
    quarn::TQGLFrustrum f;
    const quarn::Mat4 p = quarn::MatrixPerspective(60, 1, 1, 2000);
    const quarn::Mat4 m = quarn::MatrixLookAt(Eye(k), Target(k), quarn::Vec3{0, 1, 0});
    f.ExtractPlanesFrom(p.m, m.m);
    int count = 0;
    for (size_t t = 0; t < a.faces.size(); t += 3) {
        bool outside = false;
        for (int plane = 0; plane < 6 && !outside; ++plane) {
            const float* q = f.Planes[plane];
            outside = true;
            for (size_t c = 0; c < 3 && outside; ++c) {
                const TQUARNVector& v = a.vertices[size_t(a.faces[t + c])];
                outside = q[0] * v.x + q[1] * v.y + q[2] * v.z + q[3] <= 0;
            }
        }
        count += !outside;
    }
    return count;
}

struct FrameRun {
    TerrainArrays arrays;
    int frame = -6; // five warm-up frames at position 0, then one untimed lap compiles lists
    Clock::time_point start;
    double cpuStart = 0, wall = 0, cpu = 0;
    double triangles = 0, nodes = 0, objects = 0, inView = 0, drawnAtSamples = 0;
    std::vector<int> inViewAt; // per tenth path position, computed before the run
};
FrameRun* g_run = nullptr;

void BM_TerrainFrame(benchmark::State& state) {
    FrameRun run;
    g_run = &run;
    BuildTerrainArrays(kN, run.arrays);
    for (int k = 0; k < kFrames; k += 10)
        run.inViewAt.push_back(InView(run.arrays, k));
    g_init = [] {
        TQGLHandle grey = qglAddMaterial("terrain"); // material 0 of the faces
        qglSetMaterialDiffuse(grey, 0.6f, 0.6f, 0.6f);
        TQGLHandle mesh = qglGetStaticObject(qglAddStaticObject());
        qglAddStaticMeshArrays(
            mesh, int32_t(g_run->arrays.vertices.size()), g_run->arrays.vertices.data(), nullptr,
            nullptr, int32_t(g_run->arrays.faces.size() / 3), g_run->arrays.faces.data(), nullptr);
        qglBuildStaticOctree(mesh);
        qglSetCameraProjection(60, 1, 2000);
        PlaceCamera(0);
    };
    g_after = [] {
        FrameRun& r = *g_run;
        const int k = r.frame++; // the frame just drawn: path position k (k < 0: warm-up)
        if (k >= kFrames) {      // one full timed lap, the first lap compiled every node's lists
            const int timed = k - kFrames;
            if (timed == 0) {
                r.start = Clock::now();
                r.cpuStart = ThreadCpuSeconds();
            } else {
                int32_t t = 0, n = 0, o = 0;
                qglGetSceneStatistics(&t, &n, &o);
                r.triangles += t, r.nodes += n, r.objects += o;
                const int position = timed % kFrames;
                if (position % 10 == 0) {
                    r.inView += r.inViewAt[size_t(position / 10)];
                    r.drawnAtSamples += t;
                }
            }
            if (timed == kFrames) {
                r.wall = Seconds(r.start, Clock::now());
                r.cpu = ThreadCpuSeconds() - r.cpuStart;
                qglDestroySceneWindow();
                return;
            }
        }
        PlaceCamera(r.frame < 0 ? 0 : r.frame % kFrames);
    };
    for (auto _ : state) {
        if (!RunWindow(state, 256)) return;
        state.SetIterationTime(run.wall / kFrames);
    }
    // CPU: the engine's thread only (the rasteriser runs on threads of its own).
    state.counters["cpu_ms_per_frame"] = 1e3 * run.cpu / kFrames;
    state.counters["triangles_drawn"] = run.triangles / kFrames;
    state.counters["nodes_visited"] = run.nodes / kFrames;
    state.counters["objects_drawn"] = run.objects / kFrames;
    state.counters["drawn_over_in_view"] = run.drawnAtSamples / run.inView;
}
BENCHMARK(BM_TerrainFrame)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
