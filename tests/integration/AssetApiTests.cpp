// Asset files through the exported C API in headless windows with real Mesa GL: scenes written
// by the tools load and render with their textures, bad files add nothing, real 3DS models
// import with every face.
#include "TestImages.h"
#include "WindowRun.h"
#include "quarn/QuarnGL.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using probe::Pixel;

using probe::g_run;

// Each test's files in a folder of its own, removed after it.
class AssetApi : public probe::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        dir = fs::path(::testing::TempDir()) / ("assets_" + std::to_string(getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }

    fs::path dir;
};

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

// A solid-colour 8 x 8 uncompressed 24-bit TGA.
void WriteTga(const std::string& path, std::array<uint8_t, 3> rgb) {
    std::vector<uint8_t> b(18 + 8 * 8 * 3, 0);
    b[2] = 2, b[12] = 8, b[14] = 8, b[16] = 24;
    for (size_t p = 18; p < b.size(); p += 3)
        b[p] = rgb[2], b[p + 1] = rgb[1], b[p + 2] = rgb[0];
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<char*>(b.data()), std::streamsize(b.size()));
}

// Two quads facing the camera: the left one blue (a BMP), the right one red (a TGA named in
// the MTL file with other letter case than on disk); a third material's texture is a JPEG file
// named ".bmp", which the archive's type code, not the name, says how to decode.
void WriteTwoQuadModel(const fs::path& dir) {
    fs::copy_file(QUARN_JPEG_FILE, dir / "photo.bmp");
    probe::WriteSolidBmp((dir / "blue.bmp").string(), 8, 8, {0, 0, 255});
    WriteTga((dir / "red.tga").string(), {255, 0, 0});
    WriteText((dir / "quads.mtl").string(), "newmtl blue\nKa 1 1 1\nKd 1 1 1\nmap_Kd blue.bmp\n"
                                            "newmtl red\nKa 1 1 1\nKd 1 1 1\nmap_Kd RED.TGA\n"
                                            "newmtl photo\nmap_Kd photo.bmp\n");
    WriteText((dir / "quads.obj").string(),
              "mtllib quads.mtl\n"
              "v -3 -3 0\nv 0 -3 0\nv 0 3 0\nv -3 3 0\nv 3 -3 0\nv 3 3 0\n"
              "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\n"
              "usemtl blue\nf 1/1/1 2/2/1 3/3/1\nf 1/1/1 3/3/1 4/4/1\n"
              "usemtl red\nf 2/1/1 5/2/1 6/3/1\nf 2/1/1 6/3/1 3/4/1\n");
}

int Tool(const std::string& command) {
    return std::system((command + " 2>/dev/null").c_str());
}

// Runs a tool, its two output streams together in output; returns the exit status.
int ToolOutput(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    return pclose(pipe);
}

// Left and right of the centre in the last frame (the second): where the two quads are.
Pixel g_left, g_right;
void ReadLeftAndRight(int) {
    g_left = probe::ReadFramePixel(16, 32);
    g_right = probe::ReadFramePixel(48, 32);
}

bool Blue(const Pixel& p) {
    return p[2] > 150 && p[0] < 60 && p[1] < 60;
}
bool Red(const Pixel& p) {
    return p[0] > 150 && p[1] < 60 && p[2] < 60;
}

int32_t StaticFaceCount(TQGLHandle object) {
    int32_t count = -1;
    int32_t *v, *n, *t;
    TQUARNVector *vs, *ns, *ts;
    qglGetStaticFaces(object, &count, &v, &n, &t, &vs, &ns, &ts);
    return count;
}

} // namespace

TEST_F(AssetApi, ToolMadeSceneLoadsTwiceWithOffsetMaterialsAndShowsItsTextures) {
    WriteTwoQuadModel(dir);
    ASSERT_EQ(Tool(std::string(QUARN_KSF_TOOL) + " " + Path("scene.ksf") + " " + Path("scene.qpk") +
                   " " + Path("quads.obj")),
              0);
    // The archive again through quarn-pack: extracted and packed anew, it loads the same.
    fs::create_directories(dir / "out");
    ASSERT_EQ(
        Tool(std::string(QUARN_PACK_TOOL) + " extract " + Path("scene.qpk") + " " + Path("out")),
        0);
    ASSERT_EQ(Tool(std::string(QUARN_PACK_TOOL) + " create " + Path("repacked.qpk") + " " +
                   Path("out/blue.bmp") + " " + Path("out/red.tga") + " " + Path("out/photo.bmp")),
              0);

    static std::string ksf, first, second;
    static int32_t materialsBefore, firstIndex, secondIndex, staticsLoaded, materialsLoaded;
    static TQGLHandle result, lastNew, hidden;
    ksf = Path("scene.ksf"), first = Path("scene.qpk"), second = Path("repacked.qpk");
    g_run.init = [] {
        qglAddMaterial("host");
        materialsBefore = qglGetStaticObjectCount();
        TQUARNPointerArray statics = nullptr, dynamics = nullptr, materials = nullptr;
        hidden = qglLoadSceneKSF(ksf.c_str(), first.c_str(), &statics, &dynamics, &materials);
        firstIndex = materials ? qglGetMaterialIndex(materials[0]) : -1;
        result = qglLoadSceneKSF(ksf.c_str(), second.c_str(), &statics, &dynamics, &materials);
        staticsLoaded = QUARN_ARRAY_COUNT(statics);
        materialsLoaded = QUARN_ARRAY_COUNT(materials);
        lastNew = statics ? statics[staticsLoaded - 1] : nullptr;
        secondIndex = materials ? qglGetMaterialIndex(materials[0]) : -1;
        EXPECT_EQ(dynamics, nullptr);
        EXPECT_EQ(qglGetImportedMaterials(), materials); // one shared array
        // Only the second set is drawn; darkening its materials shows its faces use them.
        qglSetStaticVisibleFlag(hidden, 0);
        if (materialsLoaded == 3) {
            qglSetMaterialAmbient(materials[1], 0, 0, 0);
            qglSetMaterialDiffuse(materials[1], 0, 0, 0);
        }
    };
    g_run.afterFrame = ReadLeftAndRight;
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(materialsBefore, 0);
    EXPECT_EQ(firstIndex, 1);
    EXPECT_EQ(secondIndex, 4);
    EXPECT_EQ(staticsLoaded, 1);
    EXPECT_EQ(materialsLoaded, 3);
    EXPECT_EQ(result, lastNew);
    EXPECT_NE(result, hidden);
    EXPECT_TRUE(Blue(g_left)) << g_left[0] << "," << g_left[1] << "," << g_left[2];
    EXPECT_LT(g_right[0] + g_right[1] + g_right[2], 30)
        << "red quad should use the darkened material";
    EXPECT_TRUE(g_run.messages.empty()) << g_run.messages.front().Line();
}

// One entry's data said to lie past the end of the archive: the scene still loads, the
// damaged texture is reported by name and the intact one is drawn.
TEST_F(AssetApi, ASceneLoadsWhenOneArchiveEntryIsDamaged) {
    WriteTwoQuadModel(dir);
    ASSERT_EQ(Tool(std::string(QUARN_KSF_TOOL) + " " + Path("scene.ksf") + " " + Path("scene.qpk") +
                   " " + Path("quads.obj")),
              0);
    std::vector<char> bytes;
    {
        std::ifstream in(Path("scene.qpk"), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // The directory closes the file: 266 bytes an entry (blue.bmp first, as the materials
    // come), each ending with its data's size, 32-bit little-endian.
    const size_t entryBytes = 266, entries = 3;
    ASSERT_GT(bytes.size(), entries * entryBytes);
    const size_t firstSize = bytes.size() - entries * entryBytes + entryBytes - 4;
    const uint32_t huge = 1000000;
    std::memcpy(&bytes[firstSize], &huge, 4);
    {
        std::ofstream out(Path("damaged.qpk"), std::ios::binary);
        out.write(bytes.data(), std::streamsize(bytes.size()));
    }
    static std::string ksf, archive;
    static TQGLHandle result;
    ksf = Path("scene.ksf"), archive = Path("damaged.qpk");
    g_run.init = [] {
        TQUARNPointerArray statics = nullptr, dynamics = nullptr, materials = nullptr;
        result = qglLoadSceneKSF(ksf.c_str(), archive.c_str(), &statics, &dynamics, &materials);
    };
    g_run.afterFrame = ReadLeftAndRight;
    ASSERT_EQ(Run(), 0);
    EXPECT_NE(result, nullptr) << (qglGetLastError() ? qglGetLastError() : "");
    ASSERT_FALSE(g_run.messages.empty());
    EXPECT_NE(g_run.messages.front().Line().find("blue.bmp"), std::string::npos)
        << g_run.messages.front().Line();
    EXPECT_FALSE(Blue(g_left)) << g_left[0] << "," << g_left[1] << "," << g_left[2];
    EXPECT_TRUE(Red(g_right)) << g_right[0] << "," << g_right[1] << "," << g_right[2];
}

TEST_F(AssetApi, SceneToolRefusesEmptyOutputAndNamesAMissingMaterialLibrary) {
    const std::string tool =
        std::string(QUARN_KSF_TOOL) + " " + Path("out.ksf") + " " + Path("out.qpk") + " ";
    std::string output;
    WriteText(Path("nothing.obj"), "# no faces, no materials\nv 0 0 0\n");
    EXPECT_NE(ToolOutput(tool + Path("nothing.obj"), output), 0);
    EXPECT_NE(output.find("nothing written"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(Path("out.ksf")));

    WriteText(Path("lost.obj"), "mtllib nowhere.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                "usemtl red\nf 1 2 3\n");
    EXPECT_EQ(ToolOutput(tool + Path("lost.obj"), output), 0) << output;
    EXPECT_NE(output.find("material library nowhere.mtl is missing"), std::string::npos) << output;
    EXPECT_EQ(output.find("not found in a path"), std::string::npos) << output;
    EXPECT_NE(output.find("wrote " + Path("out.ksf") + " (meshes: 1, materials: 1)"),
              std::string::npos)
        << output;
    EXPECT_TRUE(fs::exists(Path("out.ksf")));
}

TEST_F(AssetApi, BadScenesAndModelsAddNothing) {
    WriteTwoQuadModel(dir);
    ASSERT_EQ(Tool(std::string(QUARN_KSF_TOOL) + " " + Path("scene.ksf") + " " + Path("scene.qpk") +
                   " " + Path("quads.obj")),
              0);
    std::ifstream whole(Path("scene.ksf"), std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(whole)),
                                  std::istreambuf_iterator<char>());
    std::ofstream(Path("cut.ksf"), std::ios::binary)
        .write(bytes.data(), std::streamsize(bytes.size() - 7));
    // A scene with materials but no meshes: nothing to return, no error.
    WriteText(Path("empty.obj"), "mtllib quads.mtl\n");
    ASSERT_EQ(Tool(std::string(QUARN_KSF_TOOL) + " " + Path("empty.ksf") + " " + Path("empty.qpk") +
                   " " + Path("empty.obj")),
              0);
    WriteText(Path("bad.3ds"), std::string("\x4d\x4d\xff\xff\xff\x7f", 6) + "junk");

    static std::string d;
    static std::vector<std::string> errors;
    static int32_t statics, dynamics, materials;
    static TQGLHandle emptyResult;
    d = dir.string() + "/";
    errors.clear();
    g_run.init = [] {
        TQUARNPointerArray s = nullptr, dy = nullptr, m = nullptr;
        const auto fails = [&](TQGLHandle h) {
            EXPECT_EQ(h, nullptr);
            errors.push_back(qglGetLastError() ? qglGetLastError() : "");
            qglClearLastError();
        };
        fails(qglLoadSceneKSF((d + "cut.ksf").c_str(), (d + "scene.qpk").c_str(), &s, &dy, &m));
        EXPECT_EQ(s, nullptr);
        EXPECT_EQ(m, nullptr);
        fails(qglLoadSceneKSF((d + "scene.ksf").c_str(), (d + "nowhere.qpk").c_str(), &s, &dy, &m));
        fails(qglImportStatic3DS((d + "bad.3ds").c_str()));
        fails(qglImportDynamic3DS((d + "missing.3ds").c_str()));
        // A directory is no file: it must not be read as one of the largest possible size.
        fails(qglImportStatic3DS(d.c_str()));
        fails(qglLoadSceneKSF(d.c_str(), (d + "scene.qpk").c_str(), &s, &dy, &m));
        statics = qglGetStaticObjectCount();
        dynamics = qglGetDynamicObjectCount();
        materials = qglGetMaterialIndex(qglAddMaterial("probe"));
        emptyResult =
            qglLoadSceneKSF((d + "empty.ksf").c_str(), (d + "empty.qpk").c_str(), &s, &dy, &m);
        EXPECT_EQ(qglGetLastError(), nullptr);
        EXPECT_EQ(QUARN_ARRAY_COUNT(m), 3);
    };
    ASSERT_EQ(Run(), 0);
    ASSERT_EQ(errors.size(), 6u);
    for (size_t i : {4, 5})
        EXPECT_NE(errors[i].find("Cannot open " + d), std::string::npos) << errors[i];
    EXPECT_NE(errors[0].find("cut.ksf"), std::string::npos) << errors[0];
    EXPECT_NE(errors[1].find("nowhere.qpk"), std::string::npos) << errors[1];
    EXPECT_NE(errors[2].find("bad.3ds"), std::string::npos) << errors[2];
    EXPECT_NE(errors[3].find("missing.3ds"), std::string::npos) << errors[3];
    EXPECT_EQ(statics, 0);
    EXPECT_EQ(dynamics, 0);
    EXPECT_EQ(materials, 0); // the probe is the first material: nothing was added before it
    EXPECT_EQ(emptyResult, nullptr);
}

TEST_F(AssetApi, RealModelsImportWithEveryFaceAndTheDirectoryStays) {
    static std::vector<std::pair<std::string, int>> models;
    static std::vector<int> imported;
    static int dynamicFaces, newMaterials, materialsAfterFailure;
    static std::string cwdAfter;
    models.clear();
    imported.clear();
    std::ifstream list(std::string(QUARN_TEST_DATA) + "/3ds/faces.txt");
    for (std::string line; std::getline(list, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream in(line);
        std::string name;
        int meshes = 0, faces = 0;
        in >> name >> meshes >> faces;
        models.emplace_back(std::string(QUARN_TEST_DATA) + "/3ds/" + name, faces);
    }
    ASSERT_EQ(models.size(), 10u);
    g_run.init = [] {
        for (const auto& m : models) {
            TQGLHandle object = qglImportStatic3DS(m.first.c_str());
            imported.push_back(object ? StaticFaceCount(object) : -1);
        }
        // test1 has nine boxes and three materials, some with texture maps that are not
        // shipped: the import reports them and goes on.
        TQGLHandle dynamic = qglImportDynamic3DS(models[8].first.c_str());
        TQUARNFaceData* data = dynamic ? qglGetDynamicFaceData(dynamic) : nullptr;
        dynamicFaces = data ? data->FaceCount : -1;
        newMaterials = QUARN_ARRAY_COUNT(qglGetImportedMaterials());
        // A failed import added nothing, so it reports no materials, not the last import's.
        qglImportDynamic3DS((models[8].first + ".missing").c_str());
        materialsAfterFailure = QUARN_ARRAY_COUNT(qglGetImportedMaterials());
        cwdAfter = fs::current_path().string();
    };
    const std::string cwdBefore = fs::current_path().string();
    ASSERT_EQ(Run(), 0);
    for (size_t i = 0; i < models.size(); ++i)
        EXPECT_EQ(imported[i], models[i].second) << models[i].first;
    EXPECT_EQ(dynamicFaces, 108);
    EXPECT_EQ(newMaterials, 3);
    EXPECT_EQ(materialsAfterFailure, 0);
    EXPECT_EQ(cwdAfter, cwdBefore);
}

TEST_F(AssetApi, ImportedModelRendersWithItsTexture) {
    WriteTwoQuadModel(dir);
    // The 3DS file names "RED.TGA" and "blue.bmp"; the files on disk are red.tga and blue.bmp.
    ASSERT_EQ(Tool(std::string(QUARN_KSF_TOOL) + " --to-3ds " + Path("quads.3ds") + " " +
                   Path("quads.obj")),
              0);
    static std::string model;
    model = Path("quads.3ds");
    g_run.init = [] { EXPECT_NE(qglImportStatic3DS(model.c_str()), nullptr); };
    g_run.afterFrame = ReadLeftAndRight;
    ASSERT_EQ(Run(), 0);
    EXPECT_TRUE(Blue(g_left)) << g_left[0] << "," << g_left[1] << "," << g_left[2];
    EXPECT_TRUE(Red(g_right)) << g_right[0] << "," << g_right[1] << "," << g_right[2];
}

namespace {

void PutLE(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(char((v >> (8 * i)) & 0xFF));
}
std::string Chunk(uint16_t id, const std::string& body) {
    std::string out;
    PutLE(out, id, 2);
    PutLE(out, uint32_t(6 + body.size()), 4);
    return out + body;
}
uint32_t FloatBits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

// One triangle; its second corner's x is `x`.
std::string TriangleModel(float x) {
    std::string points;
    PutLE(points, 3, 2);
    for (float v : {0.0f, 0.0f, 0.0f, x, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f})
        PutLE(points, FloatBits(v), 4);
    std::string faces;
    PutLE(faces, 1, 2);
    for (uint32_t w : {0u, 1u, 2u, 0u})
        PutLE(faces, w, 2);
    const std::string mesh = Chunk(0x4100, Chunk(0x4110, points) + Chunk(0x4120, faces));
    return Chunk(0x4D4D, Chunk(0x3D3D, Chunk(0x4000, std::string("tri\0", 4) + mesh)));
}

} // namespace

// Non-finite vertices would poison the octree's bounds and the physics tree: refused, naming
// the file, with nothing added.
TEST_F(AssetApi, NonFiniteVerticesAreRefusedAndAddNothing) {
    std::ofstream(Path("fine.3ds"), std::ios::binary) << TriangleModel(1);
    std::ofstream(Path("nan.3ds"), std::ios::binary) << TriangleModel(std::nanf(""));
    std::ofstream(Path("inf.3ds"), std::ios::binary) << TriangleModel(INFINITY);
    // A tool-made scene whose first vertex coordinate (-3) becomes NaN.
    WriteTwoQuadModel(dir);
    ASSERT_EQ(Tool(std::string(QUARN_KSF_TOOL) + " " + Path("scene.ksf") + " " + Path("scene.qpk") +
                   " " + Path("quads.obj")),
              0);
    std::ifstream whole(Path("scene.ksf"), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(whole)), std::istreambuf_iterator<char>());
    std::string minusThree, nan;
    PutLE(minusThree, FloatBits(-3.0f), 4);
    PutLE(nan, FloatBits(std::nanf("")), 4);
    const size_t at = bytes.find(minusThree);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 4, nan);
    std::ofstream(Path("nan.ksf"), std::ios::binary) << bytes;

    static std::string d;
    static std::vector<std::string> errors;
    static int32_t statics, dynamics, fineStatics;
    d = dir.string() + "/";
    errors.clear();
    g_run.init = [] {
        const auto fails = [](TQGLHandle h) {
            EXPECT_EQ(h, nullptr);
            errors.push_back(qglGetLastError() ? qglGetLastError() : "");
            qglClearLastError();
        };
        TQUARNPointerArray s = nullptr, dy = nullptr, m = nullptr;
        fails(qglImportStatic3DS((d + "nan.3ds").c_str()));
        fails(qglImportDynamic3DS((d + "inf.3ds").c_str()));
        fails(qglLoadSceneKSF((d + "nan.ksf").c_str(), (d + "scene.qpk").c_str(), &s, &dy, &m));
        statics = qglGetStaticObjectCount();
        dynamics = qglGetDynamicObjectCount();
        // A mesh built by the host: the octree is refused as a whole.
        TQGLHandle mesh = qglGetStaticObject(qglAddStaticObject());
        qglAddStaticMeshVector(mesh, 0, 0, 0);
        qglAddStaticMeshVector(mesh, std::nanf(""), 0, 0);
        qglAddStaticMeshVector(mesh, 0, 1, 0);
        const int32_t f = qglAddStaticFace(mesh);
        for (int32_t v = 0; v < 3; ++v)
            qglAddStaticFaceVectorIndex(mesh, f, v);
        qglBuildStaticOctree(mesh);
        errors.push_back(qglGetLastError() ? qglGetLastError() : "");
        qglClearLastError();
        qglDeleteStaticObject(mesh);
        EXPECT_NE(qglImportStatic3DS((d + "fine.3ds").c_str()), nullptr); // the writer is sound
        fineStatics = qglGetStaticObjectCount();
    };
    ASSERT_EQ(Run(), 0);
    ASSERT_EQ(errors.size(), 4u);
    EXPECT_NE(errors[0].find("nan.3ds"), std::string::npos) << errors[0];
    EXPECT_NE(errors[1].find("inf.3ds"), std::string::npos) << errors[1];
    EXPECT_NE(errors[2].find("nan.ksf"), std::string::npos) << errors[2];
    EXPECT_NE(errors[3].find("finite"), std::string::npos) << errors[3];
    EXPECT_EQ(statics, 0);
    EXPECT_EQ(dynamics, 0);
    EXPECT_EQ(fineStatics, 2);
}
