// Asset files: importing the world benchmark's terrain (N = 512, 524 288 faces) written as a
// .3ds the way the comparison's exporter writes it (every corner its own point, meshes of at
// most 21 845 faces), from file to mesh; the same file through Assimp's 3DS importer when
// Assimp is installed; and KSF scene loads of 125 k to 1 M faces with 20 textures, to show the
// load grows linearly. The files are written at run time into the temp folder.
#include "engine/assets/KSFReader.h"
#include "engine/assets/Load3DS.h"
#include "engine/materials/States.h"
#include "engine/scene/Frustum.h"
#include "platform/gl/GL.h"

#include <benchmark/benchmark.h>

#ifdef QUARN_BENCH_ASSIMP
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#endif

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

using namespace quarn;

namespace {

constexpr int kTerrainCells = 512;

float TerrainHeight(double x, double z) {
    return float(18 * std::sin(0.021 * x) * std::cos(0.017 * z) +
                 7 * std::sin(0.063 * x + 0.041 * z) +
                 2.5 * std::sin(0.19 * z) * std::cos(0.11 * x));
}

Vec3 TerrainVertex(int i, int j) {
    const double x = 2.0 * i, z = 2.0 * j;
    return Vec3{float(x), TerrainHeight(x, z), float(z)};
}

// Triangles of cell order, split as the comparison's file is: nine equal parts by triangle
// count, each cut into meshes of at most 21 845 triangles (65 535 points).
std::string TerrainFile() {
    static std::string path;
    if (!path.empty()) return path;
    path = (std::filesystem::temp_directory_path() / "quarn_bench_terrain_512.3ds").string();
    std::vector<std::array<Vec3, 3>> triangles;
    triangles.reserve(size_t(2) * kTerrainCells * kTerrainCells);
    for (int i = 0; i < kTerrainCells; ++i)
        for (int j = 0; j < kTerrainCells; ++j) {
            triangles.push_back(
                {TerrainVertex(i, j), TerrainVertex(i, j + 1), TerrainVertex(i + 1, j + 1)});
            triangles.push_back(
                {TerrainVertex(i, j), TerrainVertex(i + 1, j + 1), TerrainVertex(i + 1, j)});
        }
    TFile3DS file;
    const size_t total = triangles.size(), parts = (total + 65534) / 65535;
    size_t done = 0;
    for (size_t p = 0; p < parts; ++p) {
        const size_t partEnd = p + 1 == parts ? total : done + total / parts;
        while (done < partEnd) {
            const size_t n = std::min<size_t>(21845, partEnd - done);
            TMesh3DS mesh;
            mesh.name = "terrain" + std::to_string(file.meshes.size());
            for (size_t t = done; t < done + n; ++t) {
                const auto base = static_cast<uint16_t>(mesh.vertices.size());
                for (const Vec3& v : triangles[t])
                    mesh.vertices.push_back(v);
                mesh.faces.push_back({base, uint16_t(base + 1), uint16_t(base + 2)});
                mesh.smoothing.push_back(1);
            }
            file.meshes.push_back(std::move(mesh));
            done += n;
        }
    }
    file.SaveToFile(path);
    return path;
}

struct SceneLists {
    TQGLStates states;
    TQGLMaterialList materials{&states};
    TQGLStaticMeshObjects statics;
    TQGLDynamicMeshObjects dynamics;
};

// From file to mesh. The static object also builds its octree; the dynamic one is reading
// and converting only.
void BM_Import3DSTerrain(benchmark::State& state, Import3DSKind kind) {
    gl::ScopedNullDispatch noGL;
    const std::string path = TerrainFile();
    int faces = 0;
    for (auto _ : state) {
        auto lists = std::make_unique<SceneLists>();
        TFile3DS file;
        file.LoadFromFile(path);
        const Import3DSResult r = Load3DSIntoScene(file, kind, lists->materials, &lists->statics,
                                                   &lists->dynamics, nullptr);
        faces = r.object->Faces.Count();
        state.PauseTiming();
        lists.reset();
        state.ResumeTiming();
    }
    state.counters["faces"] = faces;
}
BENCHMARK_CAPTURE(BM_Import3DSTerrain, Static, Import3DSKind::Static)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_Import3DSTerrain, Dynamic, Import3DSKind::Dynamic)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// Reading the chunks into records only.
void BM_Read3DSTerrain(benchmark::State& state) {
    const std::string path = TerrainFile();
    for (auto _ : state) {
        TFile3DS file;
        file.LoadFromFile(path);
        benchmark::DoNotOptimize(file.meshes.size());
    }
}
BENCHMARK(BM_Read3DSTerrain)->Unit(benchmark::kMillisecond)->Iterations(3);

#ifdef QUARN_BENCH_ASSIMP
void BM_Import3DSTerrainAssimp(benchmark::State& state) {
    const std::string path = TerrainFile();
    unsigned faces = 0;
    for (auto _ : state) {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(path, 0);
        if (!scene) {
            state.SkipWithError(importer.GetErrorString());
            return;
        }
        faces = 0;
        for (unsigned m = 0; m < scene->mNumMeshes; ++m)
            faces += scene->mMeshes[m]->mNumFaces;
    }
    state.counters["faces"] = faces;
}
BENCHMARK(BM_Import3DSTerrainAssimp)->Unit(benchmark::kMillisecond)->Iterations(3);
#endif

// A KSF scene of `faces` faces in 8 meshes over 20 materials, each with a 64 x 64 BMP texture.
std::pair<std::string, std::string> KsfFiles(int faces) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    const std::string stem = "quarn_bench_scene_" + std::to_string(faces);
    const std::string ksf = (dir / (stem + ".ksf")).string(),
                      qpk = (dir / (stem + ".qpk")).string();
    if (std::filesystem::exists(ksf) && std::filesystem::exists(qpk)) return {ksf, qpk};
    KsfScene scene;
    TFileSystem archive;
    std::vector<uint8_t> bmp(54 + 64 * 64 * 3, 0);
    bmp[0] = 'B', bmp[1] = 'M', bmp[10] = 54, bmp[14] = 40, bmp[18] = 64, bmp[22] = 64, bmp[26] = 1,
    bmp[28] = 24;
    for (int t = 0; t < 20; ++t) {
        for (size_t p = 54; p < bmp.size(); ++p)
            bmp[p] = uint8_t(p * 7 + size_t(t) * 31);
        const std::string name = "texture" + std::to_string(t) + ".bmp";
        archive.AddEntry(name, kArchiveBmp, bmp);
        KsfMaterial m;
        m.name = "material" + std::to_string(t);
        KsfStage stage;
        KsfTexture texture;
        texture.name = name;
        stage.textures.push_back(texture);
        m.stages.push_back(stage);
        scene.materials.push_back(m);
    }
    const int meshes = 8, side = int(std::sqrt(faces / meshes / 2));
    for (int m = 0; m < meshes; ++m) {
        KsfMesh mesh;
        for (int i = 0; i <= side; ++i)
            for (int j = 0; j <= side; ++j) {
                mesh.vertices.push_back(TerrainVertex(i + m * side, j));
                mesh.texCoords.push_back(Vec3{float(i), float(j), 0});
            }
        mesh.normals.push_back(Vec3{0, 1, 0});
        const auto at = [&](int i, int j) { return i * (side + 1) + j; };
        for (int f = 0; mesh.faces.size() < size_t(faces / meshes); ++f) {
            const int cell = f / 2, i = (cell / side) % side, j = cell % side;
            const std::vector<int32_t> v =
                f % 2 ? std::vector<int32_t>{at(i, j), at(i + 1, j + 1), at(i + 1, j)}
                      : std::vector<int32_t>{at(i, j), at(i, j + 1), at(i + 1, j + 1)};
            mesh.AddFace(v, {0, 0, 0}, v, f % 20);
        }
        scene.meshes.push_back(std::move(mesh));
    }
    WriteWholeFile(ksf, WriteKSF(scene));
    archive.SaveToFile(qpk);
    return {ksf, qpk};
}

void BM_LoadKSF(benchmark::State& state) {
    gl::ScopedNullDispatch noGL;
    const int faces = int(state.range(0));
    const auto files = KsfFiles(faces);
    for (auto _ : state) {
        auto lists = std::make_unique<SceneLists>();
        TKSFReader reader;
        reader.Load(files.first, files.second, nullptr, lists->materials, lists->statics,
                    lists->dynamics);
        benchmark::DoNotOptimize(lists->statics.Count());
        state.PauseTiming();
        lists.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(faces);
    state.counters["faces"] = faces;
}
BENCHMARK(BM_LoadKSF)
    ->Arg(125000)
    ->Arg(250000)
    ->Arg(500000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Complexity(benchmark::oN);

} // namespace
BENCHMARK_MAIN();
