// Hostile and careless host calls through the exported C API, in real headless windows: none
// may take the host down or hand it a wrong answer.
#include "TestMeshes.h"
#include "WindowRun.h"
#include "quarn/QuarnGL.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <malloc.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string TempFile(const std::string& stem) {
    return ::testing::TempDir() + stem + "_" + std::to_string(getpid()) + ".bmp";
}

std::vector<unsigned char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), {});
}

using probe::g_run;

// A red lit triangle facing the camera, covering the window's centre.
TQGLHandle AddRedTriangle() {
    TQGLHandle material = qglAddMaterial("red");
    qglSetMaterialAmbient(material, 0, 0, 0);
    qglSetMaterialDiffuse(material, 1, 0, 0);
    TQGLHandle mesh = qglGetStaticObject(qglAddStaticObject());
    const int32_t n = qglAddStaticMeshNormal(mesh, 0, 0, 1);
    const int32_t f = qglAddStaticFace(mesh);
    for (const auto& c : {std::make_pair(-2.f, -2.f), {2.f, -2.f}, {0.f, 2.f}}) {
        qglAddStaticFaceVectorIndex(mesh, f, qglAddStaticMeshVector(mesh, c.first, c.second, 0));
        qglAddStaticFaceNormalIndex(mesh, f, n);
    }
    qglAddStaticFaceMaterialIndex(mesh, f, qglGetMaterialIndex(material));
    qglBuildStaticOctree(mesh);
    return mesh;
}

class Robustness : public probe::WindowTest {};

std::vector<std::string> g_nested;

void TryNestedWindow() {
    const int32_t result = qglCreateSceneWindow(32, 32, 32, 0, nullptr, nullptr, nullptr);
    const char* error = qglGetLastError();
    g_nested.push_back(std::to_string(result) + " " + (error ? error : "(no error)"));
    qglClearLastError();
}

} // namespace

TEST_F(Robustness, OpeningAWindowFromInsideTheRunningLoopIsRefused) {
    g_nested.clear();
    g_run.init = [] { TryNestedWindow(); };
    g_run.beforeFrame = [](int frame) {
        if (frame == 1) TryNestedWindow();
        // An error inside a frame reaches the message callback, which tries again.
        if (frame == 2) {
            g_run.onMessage = [] {
                g_run.onMessage = nullptr; // once: the refusal is reported through here too
                TryNestedWindow();
            };
            qglCopySceneScreenToBitmapFile(nullptr);
        }
    };
    g_run.afterFrame = [](int frame) {
        if (frame == 1) TryNestedWindow();
    };
    g_run.stopAfter = 3;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(g_run.frames, 3); // the loop went on undisturbed
    const std::string refused = "-1 qglCreateSceneWindow: a scene window is already running";
    EXPECT_EQ(g_nested, std::vector<std::string>(4, refused));
    EXPECT_EQ(qglGetSceneActualWidth(), 64); // still the outer window's screen
    // Once the loop has ended the window opens again.
    g_run.init = nullptr;
    g_run.beforeFrame = nullptr;
    g_run.afterFrame = nullptr;
    EXPECT_EQ(Run(32, 32), 0);
    EXPECT_EQ(g_run.frames, 3);
}

// A face whose material is not in the list is reported while the frame draws it. The host's
// message callback may add and delete objects there: the report reaches it between the passes,
// not in the middle of a walk over the lists it changes.
TEST_F(Robustness, AMessageCallbackMayChangeTheListsTheFrameIsDrawing) {
    static std::vector<TQGLHandle> bad;
    bad.clear();
    g_run.init = [] {
        for (int kind = 0; kind < 2; ++kind) {
            TQGLHandle o = kind == 0 ? qglGetStaticObject(qglAddStaticObject())
                                     : qglGetDynamicObject(qglAddDynamicObject());
            probe::AddFace(kind == 0 ? probe::kStaticMesh : probe::kDynamicMesh, o,
                           {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}}, {0, 0, 1}, 99); // no such material
            if (kind == 0) qglBuildStaticOctree(o);
            bad.push_back(o);
        }
        g_run.onMessage = [] {
            for (int i = 0; i < 200; ++i) { // enough to move both lists' storage
                qglAddStaticObject();
                qglAddDynamicObject();
            }
            if (bad.empty()) return;
            for (TQGLHandle o : bad)
                qglAddSceneSelected(o);
            bad.clear();
            qglDeleteSceneSelected(); // frees both reported objects at once
        };
    };
    g_run.stopAfter = 3;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(g_run.frames, 3);
    EXPECT_FALSE(g_run.messages.empty());
    EXPECT_GE(qglGetStaticObjectCount(), 200);
}

TEST_F(Robustness, RebuildingAnOctreeAfterTheWindowClosedDropsItsDisplayLists) {
    static TQGLHandle mesh;
    g_run.init = [] { mesh = AddRedTriangle(); };
    ASSERT_EQ(Run(), 0);        // drawn twice: the octree holds display lists of that context
    qglBuildStaticOctree(mesh); // frees the old lists with no context left
    ASSERT_NE(qglGetLastError(), nullptr);
    // The new octree cannot read the view without GL: a clear error, not an abort.
    EXPECT_STREQ(qglGetLastError(), "OpenGL entry point glGetFloatv is not available");
    EXPECT_EQ(qglAddStaticFace(mesh), 1); // the mesh is still usable
}

TEST_F(Robustness, WindowSizeAndColourDepthAreChecked) {
    static bool initialised;
    g_run.init = [] { initialised = true; };
    const int bad[][3] = {{0, 48, 32},        {64, 0, 32},  {-64, 48, 32}, {64, INT_MIN, 32},
                          {64, 48, 0},        {64, 48, 8},  {64, 48, 15},  {64, 48, 33},
                          {64, 48, 256 + 32}, {64, 48, -32}};
    for (const auto& b : bad) {
        initialised = false;
        qglClearLastError();
        EXPECT_EQ(Run(b[0], b[1], b[2]), -1) << b[0] << " x " << b[1] << " x " << b[2];
        EXPECT_FALSE(initialised);
        ASSERT_NE(qglGetLastError(), nullptr);
        EXPECT_STREQ(qglGetLastError(), "Could not create render screen");
    }
    for (int depth : {16, 24, 32}) {
        EXPECT_EQ(Run(64, 48, depth), 0) << depth;
        EXPECT_EQ(g_run.frames, 2);
    }
}

TEST_F(Robustness, ScreenshotRectanglesNeverOutgrowTheWindow) {
    static std::vector<std::string> files;
    files.clear();
    for (int i = 0; i < 6; ++i)
        files.push_back(TempFile("quarn_rect" + std::to_string(i)));
    g_run.afterFrame = [](int frame) {
        if (frame != 2) return;
        qglCopySceneScreenPartToBitmapFile(files[0].c_str(), 0, 0, 100000, 500);
        qglCopySceneScreenPartToBitmapFile(files[1].c_str(), 0, 0, INT_MAX, INT_MAX);
        qglCopySceneScreenPartToBitmapFile(files[2].c_str(), INT_MAX - 5, 0, 100, 10);
        qglCopySceneScreenPartToBitmapFile(files[3].c_str(), INT_MIN, INT_MIN, INT_MAX, 7);
        qglCopySceneScreenPartToBitmapFile(files[4].c_str(), 0, 0, -5, 10);
        qglCopySceneScreenPartToBitmapFile(files[5].c_str(), 0, 0, INT_MIN, 0);
    };
    EXPECT_EQ(Run(64, 48), 0);
    const size_t row = 64 * 3; // already a multiple of four
    EXPECT_EQ(ReadFile(files[0]).size(), 54 + row * 48);
    EXPECT_EQ(ReadFile(files[1]).size(), 54 + row * 48);
    EXPECT_EQ(ReadFile(files[2]).size(), 54 + row * 10);
    EXPECT_EQ(ReadFile(files[3]).size(), 54 + row * 7);
    EXPECT_TRUE(ReadFile(files[4]).empty()); // refused: nothing written
    EXPECT_TRUE(ReadFile(files[5]).empty());
    ASSERT_EQ(g_run.messages.size(), 2u);
    EXPECT_EQ(g_run.messages[0].text.rfind("Invalid screenshot size -5 x 10", 0), 0u)
        << g_run.messages[0].text;
    for (const std::string& f : files)
        std::remove(f.c_str());
}

// The centre pixel (r, g, b) of a 24-bit BMP file of a 64 x 64 window.
probe::Pixel BmpCentre(const std::string& path) {
    const std::vector<unsigned char> b = ReadFile(path);
    const size_t at = 54 + 32 * 64 * 3 + 32 * 3;
    if (b.size() < at + 3) return probe::Pixel{-1, -1, -1};
    return probe::Pixel{b[at + 2], b[at + 1], b[at]};
}

// Also run under an X server (Xvfb), where reading the front buffer after the swap gives black.
TEST_F(Robustness, ScreenshotsShowTheFrameTheWindowShows) {
    static std::string early, late, first;
    static probe::Pixel drawn;
    early = TempFile("quarn_early"), late = TempFile("quarn_late"), first = TempFile("quarn_first");
    g_run.init = [] { AddRedTriangle(); };
    g_run.beforeFrame = [](int frame) {
        // Frame 1 has not been shown yet: the window shows nothing.
        if (frame == 1) qglCopySceneScreenToBitmapFile(first.c_str());
        // Before frame 3 is drawn the window shows frame 2.
        if (frame == 3) qglCopySceneScreenToBitmapFile(early.c_str());
    };
    g_run.afterFrame = [](int frame) {
        if (frame == 2) drawn = probe::ReadFramePixel(32, 32);
        if (frame == 3) qglCopySceneScreenToBitmapFile(late.c_str());
    };
    g_run.stopAfter = 3;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(qglGetLastError(), nullptr);
    ASSERT_GT(drawn[0], 100); // the lit red triangle
    EXPECT_EQ(drawn[1], 0);
    EXPECT_EQ(BmpCentre(early), drawn);
    EXPECT_EQ(BmpCentre(late), drawn);
    EXPECT_EQ(BmpCentre(first), (probe::Pixel{0, 0, 0}));
    for (const std::string* f : {&early, &late, &first})
        std::remove(f->c_str());
}

TEST_F(Robustness, AMatrixSetWithoutItsFlagRebuildsToTheSameMatrix) {
    static std::vector<std::string> failures;
    failures.clear();
    g_run.init = [] {
        TQGLHandle a = qglGetDynamicObject(qglAddDynamicObject());
        TQGLHandle b = qglGetDynamicObject(qglAddDynamicObject());
        const float angles[][3] = {{20, 30, 40}, {-45, 170, -120}, {89, -10, 5}, {0, 90, 0},
                                   {10, 0, 0},   {0, 0, 10},       {60, 60, 60}};
        for (const auto& t : angles) {
            qglSetDynamicPosition(a, 1, -2, 3);
            qglSetDynamicRotation(a, t[0], t[1], t[2]);
            float m[16], back[16];
            qglGetDynamicMatrix(m, a);
            qglSetDynamicMatrix(b, m, 0);
            qglSetDynamicPosition(b, 1, -2, 3); // rebuilds from the decomposed angles
            qglGetDynamicMatrix(back, b);
            for (int i = 0; i < 16; ++i)
                if (std::fabs(back[i] - m[i]) > 1e-4f)
                    failures.push_back(std::to_string(t[0]) + "," + std::to_string(t[1]) + "," +
                                       std::to_string(t[2]) + " [" + std::to_string(i) + "]");
            float p, y, r;
            qglGetDynamicRotation(b, &p, &y, &r);
            if (std::fabs(p - t[0]) > 1e-2f || std::fabs(y - t[1]) > 1e-2f ||
                std::fabs(r - t[2]) > 1e-2f)
                failures.push_back("angles " + std::to_string(p) + "," + std::to_string(y) + "," +
                                   std::to_string(r));
        }
    };
    g_run.stopAfter = 1;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(qglGetLastError(), nullptr);
    EXPECT_TRUE(failures.empty()) << ::testing::PrintToString(failures);
}

namespace {
// Heap bytes in use (allocated and not freed), in KiB. The resident size would also count what
// the allocator keeps cached after a free (its mmap threshold adapts), which is no leak.
long HeapInUseKiB() {
#ifdef _WIN32
    // The C runtime's heap (msvcrt.dll's, shared by the library and this host): its used blocks.
    size_t used = 0;
    _HEAPINFO entry{};
    while (_heapwalk(&entry) == _HEAPOK)
        if (entry._useflag == _USEDENTRY) used += entry._size;
    return long(used / 1024);
#else
    const struct mallinfo2 info = mallinfo2();
    return long((info.uordblks + info.hblkhd) / 1024);
#endif
}

// Whether HeapInUseKiB sees 256 KiB of blocks the test allocates (Wine's heap walk does not).
bool HeapIsMeasurable() {
    const long before = HeapInUseKiB();
    static char* volatile seen = nullptr; // the blocks escape: the allocations stay
    std::vector<std::unique_ptr<char[]>> blocks;
    for (int i = 0; i < 64; ++i) {
        blocks.emplace_back(new char[4096]);
        seen = blocks.back().get();
    }
    return HeapInUseKiB() - before >= 256 && seen != nullptr;
}
} // namespace

// Under AddressSanitizer the leak check at exit does this job (the heap is its own there).
TEST_F(Robustness, OpeningTheWindowTwentyTimesWithContentDoesNotGrowMemory) {
    if (!HeapIsMeasurable()) GTEST_SKIP() << "the C runtime's heap cannot be measured here";
    g_run.init = [] {
        AddRedTriangle();
        TQGLHandle cube = qglLoadDynamicPredefined(1, nullptr, 0, 0, 0, 0, 0, 0, 1, 1, 1);
        qglSetDynamicPosition(cube, 1, 1, 0);
    };
    std::vector<long> inUse;
    for (int cycle = 0; cycle < 20; ++cycle) {
        ASSERT_EQ(Run(), 0);
        inUse.push_back(HeapInUseKiB());
    }
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the heap is AddressSanitizer's own there";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the heap is AddressSanitizer's own there";
#endif
#endif
    // The first cycles load the driver and fill caches. After them SDL and the Mesa driver keep
    // about 11 KiB a window (measured without any engine content too); a scene, font or mesh
    // left behind each cycle would add far more than the 32 KiB a cycle allowed here.
    EXPECT_LT(inUse[19] - inUse[4], 15 * 32) << ::testing::PrintToString(inUse);
    EXPECT_GT(inUse[4], 0) << "the heap was not measured";
}

namespace {

// Hostile handle calls by class, and how many of them were refused with the right message.
struct HandleProbe {
    std::map<std::string, int> tried, refused;
    std::vector<std::string> wrong;

    // The call just made with a bad handle must have failed with "<export>: not a live <kind>
    // handle" and returned its neutral value (neutral says whether it did).
    void Check(const char* kindOfCall, const char* exportName, const char* kind, bool neutral) {
        ++tried[kindOfCall];
        const char* error = qglGetLastError();
        const std::string expected = std::string(exportName) + ": not a live " + kind + " handle";
        if (neutral && error && expected == error)
            ++refused[kindOfCall];
        else
            wrong.push_back(std::string(kindOfCall) + " " + exportName + " -> " +
                            (error ? error : "no error") + (neutral ? "" : " (not neutral)"));
        qglClearLastError();
    }

    // Every handle export of each kind with one bad handle.
    void DynamicCalls(const char* kindOfCall, TQGLHandle h) {
        float v[16] = {};
        qglSetDynamicPosition(h, 1, 2, 3);
        Check(kindOfCall, "qglSetDynamicPosition", "dynamic object", true);
        v[0] = 42;
        qglGetDynamicPosition(h, v);
        Check(kindOfCall, "qglGetDynamicPosition", "dynamic object", v[0] == 42);
        qglGetDynamicPosition(h, nullptr); // no result wanted: the handle is still checked
        Check(kindOfCall, "qglGetDynamicPosition", "dynamic object", true);
        Check(kindOfCall, "qglGetDynamicYaw", "dynamic object", qglGetDynamicYaw(h) == 0);
        Check(kindOfCall, "qglAddDynamicMeshVector", "dynamic object",
              qglAddDynamicMeshVector(h, 0, 0, 0) == -1);
        Check(kindOfCall, "qglAddDynamicProxyObject", "dynamic object",
              qglAddDynamicProxyObject(h, 0) == nullptr);
        qglSetDynamicMatrix(h, v, 1);
        Check(kindOfCall, "qglSetDynamicMatrix", "dynamic object", true);
        Check(kindOfCall, "qglAddDynamicMeshArrays", "dynamic object",
              qglAddDynamicMeshArrays(h, 0, nullptr, nullptr, nullptr, 0, nullptr, nullptr) == -1);
        qglAddSceneMapTrackedObject(h, 1);
        Check(kindOfCall, "qglAddSceneMapTrackedObject", "dynamic object", true);
        qglDeleteSceneMapTrackedObject(h);
        Check(kindOfCall, "qglDeleteSceneMapTrackedObject", "dynamic object", true);
        qglDeleteDynamicObject(h);
        Check(kindOfCall, "qglDeleteDynamicObject", "dynamic object", true);
    }
    void StaticCalls(const char* kindOfCall, TQGLHandle h) {
        Check(kindOfCall, "qglAddStaticMeshVector", "static object",
              qglAddStaticMeshVector(h, 0, 0, 0) == -1);
        Check(kindOfCall, "qglGetStaticFaceData", "static object",
              qglGetStaticFaceData(h) == nullptr);
        Check(kindOfCall, "qglAddStaticMeshArrays", "static object",
              qglAddStaticMeshArrays(h, 0, nullptr, nullptr, nullptr, 0, nullptr, nullptr) == -1);
        qglBuildStaticOctree(h);
        Check(kindOfCall, "qglBuildStaticOctree", "static object", true);
        qglDeleteStaticObject(h);
        Check(kindOfCall, "qglDeleteStaticObject", "static object", true);
    }
    void MaterialCalls(const char* kindOfCall, TQGLHandle h) {
        qglSetMaterialAmbient(h, 1, 1, 1);
        Check(kindOfCall, "qglSetMaterialAmbient", "material", true);
        float r = 7, g = 7, b = 7;
        qglGetMaterialDiffuse(h, &r, &g, &b);
        Check(kindOfCall, "qglGetMaterialDiffuse", "material", r == 7);
        qglGetMaterialGloss(h, nullptr);
        Check(kindOfCall, "qglGetMaterialGloss", "material", true);
        Check(kindOfCall, "qglGetMaterialIndex", "material", qglGetMaterialIndex(h) == -1);
        Check(kindOfCall, "qglGetMaterialShaderCount", "material",
              qglGetMaterialShaderCount(h) == 0);
        Check(kindOfCall, "qglAddMaterialRenderTargetShader", "material",
              qglAddMaterialRenderTargetShader(h, 64) == nullptr);
        qglAddMaterialSphereShader(h, "", 0, 0x2100 /* GL_MODULATE */);
        Check(kindOfCall, "qglAddMaterialSphereShader", "material", true);
        qglSetMaterialGLSLShaderVal3f(h, "tint", 1, 2, 3);
        Check(kindOfCall, "qglSetMaterialGLSLShaderVal3f", "material", true);
        const float m[16] = {};
        qglSetMaterialGLSLShaderValMat4f(h, "model", m);
        Check(kindOfCall, "qglSetMaterialGLSLShaderValMat4f", "material", true);
        if (h) { // NULL clears the map material: not a bad handle
            qglSetSceneMapMaterial(h);
            Check(kindOfCall, "qglSetSceneMapMaterial", "material", true);
        }
    }
    void EffectCalls(const char* kindOfCall, TQGLHandle h) {
        qglSetDynamicSmokeParticleSystemAbsPosition(h, 1, 2, 3);
        Check(kindOfCall, "qglSetDynamicSmokeParticleSystemAbsPosition", "smoke particle system",
              true);
        qglSetDynamicSmokeParticleSystemEnabledFlag(h, 0);
        Check(kindOfCall, "qglSetDynamicSmokeParticleSystemEnabledFlag", "smoke particle system",
              true);
        qglSetDynamicHudObjectWidth(h, 5);
        Check(kindOfCall, "qglSetDynamicHudObjectWidth", "HUD object", true);
        qglSetDynamicHUDObjectVisibleFlag(h, 0);
        Check(kindOfCall, "qglSetDynamicHUDObjectVisibleFlag", "HUD object", true);
    }
    // Static and dynamic objects are both welcome here.
    void SelectionCalls(const char* kindOfCall, TQGLHandle h) {
        qglAddSceneSelected(h);
        Check(kindOfCall, "qglAddSceneSelected", "static or dynamic object", true);
    }
    void AllCalls(const char* kindOfCall, TQGLHandle h) {
        DynamicCalls(kindOfCall, h);
        StaticCalls(kindOfCall, h);
        MaterialCalls(kindOfCall, h);
        EffectCalls(kindOfCall, h);
        SelectionCalls(kindOfCall, h);
    }
};

HandleProbe g_probe;
TQGLHandle g_firstWindowMesh, g_firstWindowCube, g_firstWindowMaterial;

} // namespace

TEST_F(Robustness, StaleForeignAndWrongKindHandlesAreRefused) {
    g_probe = HandleProbe{};
    g_run.init = [] {
        TQGLHandle mesh = AddRedTriangle();
        TQGLHandle material = qglAddMaterial("plain");
        TQGLHandle stage = qglAddMaterialRenderTargetShader(material, 64);
        TQGLHandle cube = qglLoadDynamicPredefined(1, material, 0, 0, 0, 0, 0, 0, 1, 1, 1);
        ASSERT_NE(stage, nullptr);
        ASSERT_EQ(qglGetLastError(), nullptr);
        g_firstWindowMesh = mesh, g_firstWindowCube = cube, g_firstWindowMaterial = material;

        g_probe.AllCalls("null", nullptr);
        int local = 0;
        int* block = new int(1);
        const volatile uintptr_t freed = reinterpret_cast<uintptr_t>(block); // no use to track
        delete block; // its address is never touched: the registry only compares addresses
        for (TQGLHandle foreign :
             {static_cast<TQGLHandle>(&local), reinterpret_cast<TQGLHandle>(freed),
              reinterpret_cast<TQGLHandle>(uintptr_t(1)),
              reinterpret_cast<TQGLHandle>(~uintptr_t(0))})
            g_probe.AllCalls("foreign", foreign);
        // Each live handle passed as every other kind, and the stage as all of them.
        g_probe.StaticCalls("wrong kind", cube);
        g_probe.MaterialCalls("wrong kind", cube);
        g_probe.DynamicCalls("wrong kind", mesh);
        g_probe.MaterialCalls("wrong kind", mesh);
        g_probe.DynamicCalls("wrong kind", material);
        g_probe.StaticCalls("wrong kind", material);
        g_probe.AllCalls("wrong kind", stage);
        // The live handles still work after all that.
        qglSetDynamicPosition(cube, 0, 0, -1);
        qglSetMaterialDiffuse(material, 0, 1, 0);
        EXPECT_EQ(qglGetLastError(), nullptr);
    };
    static TQGLHandle deletedCube, deletedMesh;
    g_run.beforeFrame = [](int frame) {
        if (frame == 1) {
            // Deleted: still drawn this frame, but the host gave the handle up at once.
            deletedCube = qglLoadDynamicPredefined(1, nullptr, 0, 0, 0, 0, 0, 0, 1, 1, 1);
            deletedMesh = AddRedTriangle();
            qglDeleteDynamicObject(deletedCube);
            qglDeleteStaticObject(deletedMesh);
            ASSERT_EQ(qglGetLastError(), nullptr);
            g_probe.DynamicCalls("stale", deletedCube); // includes the double delete
            g_probe.StaticCalls("stale", deletedMesh);
        }
        if (frame == 2) { // freed by now
            g_probe.DynamicCalls("stale", deletedCube);
            g_probe.StaticCalls("stale", deletedMesh);
        }
    };
    g_run.stopAfter = 3;
    EXPECT_EQ(Run(), 0);
    // The next window has a new scene: the first window's objects are gone.
    g_run.init = [] {
        g_probe.DynamicCalls("stale", g_firstWindowCube);
        g_probe.StaticCalls("stale", g_firstWindowMesh);
        g_probe.MaterialCalls("stale", g_firstWindowMaterial);
    };
    g_run.beforeFrame = nullptr;
    g_run.stopAfter = 1;
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(g_probe.wrong.empty()) << ::testing::PrintToString(g_probe.wrong);
    EXPECT_EQ(g_probe.refused, g_probe.tried);
    for (const auto& [kind, count] : g_probe.tried)
        std::printf("hostile %s handle calls: %d tried, %d refused\n", kind.c_str(), count,
                    g_probe.refused[kind]);
}

namespace {
TQGLHandle g_firstWindowHud, g_firstWindowSmoke;
} // namespace

// The effect handles (HUD objects, smoke systems) and the object handles the selection and the
// scene map take, probed the same way: nothing hostile gets through, and live handles keep working.
TEST_F(Robustness, EffectSelectionAndSceneMapHandlesAreChecked) {
    g_probe = HandleProbe{};
    static TQGLHandle cube;
    g_run.init = [] {
        TQGLHandle mesh = AddRedTriangle();
        TQGLHandle material = qglAddMaterial("hud");
        TQGLHandle stage = qglAddMaterialRenderTargetShader(material, 32);
        cube = qglLoadDynamicPredefined(1, material, 0, 0, 0, 0, 0, 0, 1, 1, 1);
        TQGLHandle hud = qglAddDynamicHUDObject(10, 10, 5, 5, 64, 64, material);
        TQGLHandle smoke = qglAddDynamicSmokeParticleSystem(0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 10, 100,
                                                            60, 20, 0, 0, 1, "");
        ASSERT_NE(hud, nullptr);
        ASSERT_NE(smoke, nullptr);
        ASSERT_EQ(qglGetLastError(), nullptr);
        g_firstWindowHud = hud, g_firstWindowSmoke = smoke;

        g_probe.EffectCalls("null", nullptr);
        g_probe.SelectionCalls("null", nullptr);
        g_probe.DynamicCalls("null", nullptr); // the scene-map calls among them
        int local = 0;
        g_probe.EffectCalls("foreign", &local);
        g_probe.SelectionCalls("foreign", &local);
        g_probe.DynamicCalls("foreign", &local);
        // Each of the HUD object and the smoke system as every other kind, and the rest as them.
        g_probe.AllCalls("wrong kind", stage);
        for (TQGLHandle other : {mesh, cube, material, stage, smoke}) {
            qglSetDynamicHudObjectWidth(other, 5);
            g_probe.Check("wrong kind", "qglSetDynamicHudObjectWidth", "HUD object", true);
        }
        for (TQGLHandle other : {mesh, cube, material, stage, hud}) {
            qglSetDynamicSmokeParticleSystemEnabledFlag(other, 0);
            g_probe.Check("wrong kind", "qglSetDynamicSmokeParticleSystemEnabledFlag",
                          "smoke particle system", true);
        }
        for (TQGLHandle other : {hud, smoke}) {
            g_probe.DynamicCalls("wrong kind", other);
            g_probe.StaticCalls("wrong kind", other);
            g_probe.MaterialCalls("wrong kind", other);
            g_probe.SelectionCalls("wrong kind", other);
        }
        g_probe.SelectionCalls("wrong kind", material);
        qglAddSceneMapTrackedObject(mesh, 0); // a static object is not tracked
        g_probe.Check("wrong kind", "qglAddSceneMapTrackedObject", "dynamic object", true);
        qglSetSceneMapMaterial(cube);
        g_probe.Check("wrong kind", "qglSetSceneMapMaterial", "material", true);

        // Nothing was selected by all that: moving the selection leaves the cube where it is.
        qglMoveSceneSelectedX(5);
        float p[3] = {9, 9, 9};
        qglGetDynamicPosition(cube, p);
        EXPECT_EQ(p[0], 0);
        // The live handles still work.
        qglSetDynamicHudObjectWidth(hud, 20);
        qglSetDynamicHUDObjectVisibleFlag(hud, 1);
        qglSetDynamicSmokeParticleSystemAbsPosition(smoke, 0, 1, 0);
        qglSetDynamicSmokeParticleSystemEnabledFlag(smoke, 1);
        qglAddSceneSelected(mesh);
        qglAddSceneSelected(cube);
        qglClearSceneSelected();
        qglSetSceneMapMaterial(material);
        qglAddSceneMapTrackedObject(cube, 1);
        qglDeleteSceneMapTrackedObject(cube);
        EXPECT_EQ(qglGetLastError(), nullptr);
    };
    static TQGLHandle deletedCube, deletedMesh;
    g_run.beforeFrame = [](int frame) {
        if (frame == 1) {
            // Deleted but not yet freed: the selection and the scene map refuse them at once.
            deletedCube = qglLoadDynamicPredefined(1, nullptr, 0, 0, 0, 0, 0, 0, 1, 1, 1);
            deletedMesh = AddRedTriangle();
            qglDeleteDynamicObject(deletedCube);
            qglDeleteStaticObject(deletedMesh);
            ASSERT_EQ(qglGetLastError(), nullptr);
        }
        if (frame <= 2) { // frame 2: freed by now
            g_probe.SelectionCalls("stale", deletedCube);
            g_probe.SelectionCalls("stale", deletedMesh);
            g_probe.DynamicCalls("stale", deletedCube);
        }
    };
    g_run.stopAfter = 3;
    EXPECT_EQ(Run(), 0);
    // A new window, a new scene: the first window's HUD object and smoke system are gone.
    g_run.init = [] {
        g_probe.EffectCalls("stale", g_firstWindowHud);
        g_probe.EffectCalls("stale", g_firstWindowSmoke);
        g_probe.SelectionCalls("stale", cube);
    };
    g_run.beforeFrame = nullptr;
    g_run.stopAfter = 1;
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(g_probe.wrong.empty()) << ::testing::PrintToString(g_probe.wrong);
    EXPECT_EQ(g_probe.refused, g_probe.tried);
    EXPECT_EQ(g_probe.tried.size(), 4u); // null, foreign, wrong kind and stale
    for (const auto& [kind, count] : g_probe.tried)
        std::printf("hostile %s handle calls: %d tried, %d refused\n", kind.c_str(), count,
                    g_probe.refused[kind]);
}

namespace {

// The objects the non-finite probe calls act on.
TQGLHandle g_cube, g_plain, g_glsl, g_scratch, g_mesh, g_hud, g_smoke;
std::string g_cubeDirectory;

// Everything the exports let a host read back, flattened; compared bitwise so that a NaN that
// got in shows.
std::vector<float> ReadableState() {
    std::vector<float> s;
    float v[16];
    auto put = [&](int n) { s.insert(s.end(), v, v + n); };
    qglGetCameraPosition(v), put(3);
    qglGetCameraDirection(v), put(3);
    s.push_back(qglGetCameraSpeed());
    qglGetEnvironmentFogColor(v, v + 1, v + 2, v + 3), put(4);
    s.push_back(qglGetEnvironmentFogDensity());
    qglGetEnvironmentFogClearColor(v, v + 1, v + 2, v + 3), put(4);
    qglGetEnvironmentLensFlareLightPosition(v, v + 1, v + 2), put(3);
    qglGetDynamicPosition(g_cube, v), put(3);
    qglGetDynamicRotation(g_cube, v, v + 1, v + 2), put(3);
    qglGetDynamicMatrix(v, g_cube), put(16);
    qglGetDynamicBillboardAxis(g_cube, v, v + 1, v + 2), put(3);
    qglGetDynamicBillBoardCamPos(g_cube, v, v + 1, v + 2), put(3);
    qglGetDynamicBillBoardCamUp(g_cube, v, v + 1, v + 2), put(3);
    s.push_back(qglGetDynamicBillboardType(g_cube));
    qglGetMaterialAmbient(g_plain, v, v + 1, v + 2), put(3);
    qglGetMaterialDiffuse(g_plain, v, v + 1, v + 2), put(3);
    qglGetMaterialEmmisive(g_plain, v, v + 1, v + 2), put(3);
    qglGetMaterialSpecular(g_plain, v, v + 1, v + 2), put(3);
    qglGetMaterialGloss(g_plain, v), put(1);
    s.push_back(float(qglGetStaticObjectCount()));
    s.push_back(float(qglGetDynamicObjectCount()));
    for (int kind = 0; kind < 2; ++kind) { // one at a time: the two share their record
        const TQUARNFaceData* d =
            kind == 0 ? qglGetStaticFaceData(g_scratch) : qglGetDynamicFaceData(g_mesh);
        s.push_back(float(d->FaceCount));
        s.push_back(float(d->VertexCount));
        for (int32_t i = 0; i < d->VertexCount; ++i)
            s.insert(s.end(), {d->Vertices[i].x, d->Vertices[i].y, d->Vertices[i].z});
    }
    return s;
}

// A mesh-arrays call: three vertices, normals and texture coordinates (27 floats), one face.
template <int32_t (*Add)(TQGLHandle, int32_t, const TQUARNVector*, const TQUARNVector*,
                         const TQUARNVector*, int32_t, const int32_t*, const int32_t*)>
bool AddTriangleArrays(TQGLHandle object, const float* a) {
    TQUARNVector v[9];
    for (int i = 0; i < 9; ++i)
        v[i] = TQUARNVector{a[3 * i], a[3 * i + 1], a[3 * i + 2]};
    const int32_t face[3] = {0, 1, 2};
    return Add(object, 3, v, v + 3, v + 6, 1, face, nullptr) == -1;
}

// One export that keeps float arguments, with arguments it accepts. call returns whether the
// export returned its neutral value (always for void exports).
struct FiniteCase {
    const char* exportName;
    std::vector<float> accepted;
    bool (*call)(const float* a);
};

const float kFar = 1000; // x of the scratch geometry: never in view

const std::vector<FiniteCase>& FiniteCases() {
    static const std::vector<FiniteCase> cases = {
        {"qglAddStaticMeshVector",
         {kFar, 0, 0},
         [](const float* a) { return qglAddStaticMeshVector(g_scratch, a[0], a[1], a[2]) == -1; }},
        {"qglAddStaticMeshNormal",
         {0, 0, 1},
         [](const float* a) { return qglAddStaticMeshNormal(g_scratch, a[0], a[1], a[2]) == -1; }},
        {"qglAddStaticMeshTexCoord",
         {0, 1, 0},
         [](const float* a) {
             return qglAddStaticMeshTexCoord(g_scratch, a[0], a[1], a[2]) == -1;
         }},
        {"qglAddStaticUniqueMeshVector",
         {kFar, 2, 0},
         [](const float* a) {
             return qglAddStaticUniqueMeshVector(g_scratch, a[0], a[1], a[2]) == -1;
         }},
        {"qglAddStaticUniqueMeshNormal",
         {0, 1, 0},
         [](const float* a) {
             return qglAddStaticUniqueMeshNormal(g_scratch, a[0], a[1], a[2]) == -1;
         }},
        {"qglAddStaticUniqueMeshTexCoord",
         {1, 1, 0},
         [](const float* a) {
             return qglAddStaticUniqueMeshTexCoord(g_scratch, a[0], a[1], a[2]) == -1;
         }},
        {"qglAddStaticMeshArrays",
         {kFar, 0, 0, kFar, 1, 0, kFar + 1, 0, 0, 0, 0, 1, 0, 0,
          1,    0, 0, 1,    0, 0, 0,        1, 0, 0, 0, 1, 0},
         [](const float* a) { return AddTriangleArrays<qglAddStaticMeshArrays>(g_scratch, a); }},
        {"qglAddDynamicMeshVector",
         {kFar, 0, 0},
         [](const float* a) { return qglAddDynamicMeshVector(g_mesh, a[0], a[1], a[2]) == -1; }},
        {"qglAddDynamicMeshNormal",
         {0, 0, 1},
         [](const float* a) { return qglAddDynamicMeshNormal(g_mesh, a[0], a[1], a[2]) == -1; }},
        {"qglAddDynamicMeshTexCoord",
         {0, 1, 0},
         [](const float* a) { return qglAddDynamicMeshTexCoord(g_mesh, a[0], a[1], a[2]) == -1; }},
        {"qglAddDynamicUniqueMeshVector",
         {kFar, 2, 0},
         [](const float* a) {
             return qglAddDynamicUniqueMeshVector(g_mesh, a[0], a[1], a[2]) == -1;
         }},
        {"qglAddDynamicUniqueMeshNormal",
         {0, 1, 0},
         [](const float* a) {
             return qglAddDynamicUniqueMeshNormal(g_mesh, a[0], a[1], a[2]) == -1;
         }},
        {"qglAddDynamicUniqueMeshTexCoord",
         {1, 1, 0},
         [](const float* a) {
             return qglAddDynamicUniqueMeshTexCoord(g_mesh, a[0], a[1], a[2]) == -1;
         }},
        {"qglAddDynamicMeshArrays",
         {kFar, 0, 0, kFar, 1, 0, kFar + 1, 0, 0, 0, 0, 1, 0, 0,
          1,    0, 0, 1,    0, 0, 0,        1, 0, 0, 0, 1, 0},
         [](const float* a) { return AddTriangleArrays<qglAddDynamicMeshArrays>(g_mesh, a); }},
        {"qglLoadDynamicPredefined",
         {kFar, 0, 0, 10, 20, 30, 1, 2, 3},
         [](const float* a) {
             return qglLoadDynamicPredefined(QGL_SHAPE_BOX, g_plain, a[0], a[1], a[2], a[3], a[4],
                                             a[5], a[6], a[7], a[8]) == nullptr;
         }},
        {"qglSetDynamicPosition",
         {0, 0, -1},
         [](const float* a) { return qglSetDynamicPosition(g_cube, a[0], a[1], a[2]), true; }},
        {"qglSetDynamicRotation",
         {0, 0, 0},
         [](const float* a) { return qglSetDynamicRotation(g_cube, a[0], a[1], a[2]), true; }},
        {"qglSetDynamicPitch",
         {0},
         [](const float* a) { return qglSetDynamicPitch(g_cube, a[0]), true; }},
        {"qglSetDynamicYaw",
         {0},
         [](const float* a) { return qglSetDynamicYaw(g_cube, a[0]), true; }},
        {"qglSetDynamicRoll",
         {0},
         [](const float* a) { return qglSetDynamicRoll(g_cube, a[0]), true; }},
        {"qglSetDynamicMatrix",
         {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -1, 1},
         [](const float* a) { return qglSetDynamicMatrix(g_cube, a, 1), true; }},
        {"qglSetDynamicMatrix",
         {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -1, 1},
         [](const float* a) { return qglSetDynamicMatrix(g_cube, a, 0), true; }},
        {"qglSetDynamicBillboardAxis",
         {0, 1, 0},
         [](const float* a) { return qglSetDynamicBillboardAxis(g_cube, a[0], a[1], a[2]), true; }},
        {"qglSetDynamicBillBoardCamPos",
         {0, 0, 5},
         [](const float* a) {
             return qglSetDynamicBillBoardCamPos(g_cube, a[0], a[1], a[2]), true;
         }},
        {"qglSetDynamicBillBoardCamUp",
         {0, 1, 0},
         [](const float* a) {
             return qglSetDynamicBillBoardCamUp(g_cube, a[0], a[1], a[2]), true;
         }},
        {"qglSetDynamicBillboardProp",
         {0, 0, 5, 0, 1, 0},
         [](const float* a) {
             return qglSetDynamicBillboardProp(g_cube, 2, a[0], a[1], a[2], a[3], a[4], a[5]), true;
         }},
        {"qglSetDynamicBillboardPropAxis",
         {0, 0, 5, 0, 1, 0, 0, 1, 0},
         [](const float* a) {
             return qglSetDynamicBillboardPropAxis(g_cube, a[0], a[1], a[2], a[3], a[4], a[5], a[6],
                                                   a[7], a[8]),
                    true;
         }},
        {"qglSetMaterialAmbient",
         {0.5f, 0.5f, 0.5f},
         [](const float* a) { return qglSetMaterialAmbient(g_plain, a[0], a[1], a[2]), true; }},
        {"qglSetMaterialDiffuse",
         {0.5f, 0.5f, 0.5f},
         [](const float* a) { return qglSetMaterialDiffuse(g_plain, a[0], a[1], a[2]), true; }},
        {"qglSetMaterialEmmisive",
         {0.5f, 0.5f, 0.5f},
         [](const float* a) { return qglSetMaterialEmmisive(g_plain, a[0], a[1], a[2]), true; }},
        {"qglSetMaterialSpecular",
         {0.5f, 0.5f, 0.5f},
         [](const float* a) { return qglSetMaterialSpecular(g_plain, a[0], a[1], a[2]), true; }},
        {"qglSetMaterialGlobalEmmisive",
         {0, 0, 0},
         [](const float* a) { return qglSetMaterialGlobalEmmisive(a[0], a[1], a[2]), true; }},
        {"qglSetMaterialGloss",
         {10},
         [](const float* a) { return qglSetMaterialGloss(g_plain, a[0]), true; }},
        {"qglSetMaterialGLSLShaderValf",
         {1},
         [](const float* a) { return qglSetMaterialGLSLShaderValf(g_glsl, "tint", a[0]), true; }},
        {"qglSetMaterialGLSLShaderVal2f",
         {1, 1},
         [](const float* a) {
             return qglSetMaterialGLSLShaderVal2f(g_glsl, "tint", a[0], a[1]), true;
         }},
        {"qglSetMaterialGLSLShaderVal3f",
         {1, 1, 1},
         [](const float* a) {
             return qglSetMaterialGLSLShaderVal3f(g_glsl, "tint", a[0], a[1], a[2]), true;
         }},
        {"qglSetMaterialGLSLShaderVal4f",
         {1, 1, 1, 1},
         [](const float* a) {
             return qglSetMaterialGLSLShaderVal4f(g_glsl, "tint", a[0], a[1], a[2], a[3]), true;
         }},
        {"qglSetMaterialGLSLShaderValMat2f", std::vector<float>(4, 1.0f),
         [](const float* a) { return qglSetMaterialGLSLShaderValMat2f(g_glsl, "m", a), true; }},
        {"qglSetMaterialGLSLShaderValMat3f", std::vector<float>(9, 1.0f),
         [](const float* a) { return qglSetMaterialGLSLShaderValMat3f(g_glsl, "m", a), true; }},
        {"qglSetMaterialGLSLShaderValMat4f", std::vector<float>(16, 1.0f),
         [](const float* a) { return qglSetMaterialGLSLShaderValMat4f(g_glsl, "m", a), true; }},
        {"qglSetSceneBumpLight",
         {0, 10, 0},
         [](const float* a) { return qglSetSceneBumpLight(a[0], a[1], a[2], 0), true; }},
        {"qglSetCameraPosition",
         {0, 0, 5},
         [](const float* a) { return qglSetCameraPosition(a[0], a[1], a[2]), true; }},
        {"qglSetCameraDirection",
         {0, 0, -1},
         [](const float* a) { return qglSetCameraDirection(a[0], a[1], a[2]), true; }},
        {"qglSetCameraSpeed", {50}, [](const float* a) { return qglSetCameraSpeed(a[0]), true; }},
        {"qglMoveCamera", {1}, [](const float* a) { return qglMoveCamera(a[0]), true; }},
        {"qglStrafeCamera", {1}, [](const float* a) { return qglStrafeCamera(a[0]), true; }},
        {"qglSetCameraProjection",
         {45, 1, 2000},
         [](const float* a) { return qglSetCameraProjection(a[0], a[1], a[2]), true; }},
        {"qglSetEnvironmentFogColor",
         {0.5f, 0.5f, 0.5f, 1},
         [](const float* a) { return qglSetEnvironmentFogColor(a[0], a[1], a[2], a[3]), true; }},
        {"qglSetEnvironmentFogDensity",
         {0.01f},
         [](const float* a) { return qglSetEnvironmentFogDensity(a[0]), true; }},
        {"qglSetEnvironmentFogClearColor",
         {0, 0, 0, 1},
         [](const float* a) {
             return qglSetEnvironmentFogClearColor(a[0], a[1], a[2], a[3]), true;
         }},
        {"qglSetEnvironmentLensFlareLightPosition",
         {10, 10, 10},
         [](const float* a) {
             return qglSetEnvironmentLensFlareLightPosition(a[0], a[1], a[2]), true;
         }},
        {"qglAddDynamicSmokeParticleSystem",
         {kFar, 0, 0, 1, 1, 1, 1, 0, 0.1f, 0, 10},
         [](const float* a) {
             return qglAddDynamicSmokeParticleSystem(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7],
                                                     a[8], a[9], a[10], 100, 60, 20, 0, 0, 1,
                                                     "") == nullptr;
         }},
        {"qglSetDynamicSmokeParticleSystemAbsPosition",
         {kFar, 1, 0},
         [](const float* a) {
             return qglSetDynamicSmokeParticleSystemAbsPosition(g_smoke, a[0], a[1], a[2]), true;
         }},
        {"qglAddDynamicHUDObject",
         {4, 4, 2, 2},
         [](const float* a) {
             return qglAddDynamicHUDObject(a[0], a[1], a[2], a[3], 64, 64, g_plain) == nullptr;
         }},
        {"qglSetDynamicHudObjectWidth",
         {6},
         [](const float* a) { return qglSetDynamicHudObjectWidth(g_hud, a[0]), true; }},
        {"qglRenderSceneCubemapTexturesToFiles",
         {0, 0, 5},
         [](const float* a) {
             qglRenderSceneCubemapTexturesToFiles(g_cubeDirectory.c_str(), 16, 64, 64, a[0], a[1],
                                                  a[2]);
             return true;
         }},
        {"qglMoveSceneSelectedYBySpeed",
         {0.5f},
         [](const float* a) { return qglMoveSceneSelectedYBySpeed(1, a[0]), true; }},
        {"qglMoveSceneSelectedByVector",
         {1, 0, 0},
         [](const float* a) { return qglMoveSceneSelectedByVector(a[0], a[1], a[2]), true; }},
        {"qglScaleSceneSelected",
         {1, 1, 1},
         [](const float* a) { return qglScaleSceneSelected(a[0], a[1], a[2]), true; }},
        {"qglSetSceneMapEyePos",
         {1, 1000, 1},
         [](const float* a) { return qglSetSceneMapEyePos(a[0], a[1], a[2]), true; }},
    };
    return cases;
}

// Calls of the table that were not refused as they should be.
std::vector<std::string> g_accepted;
int g_refused = 0;

void CheckRefused(const std::string& call, const char* exportName, bool neutral,
                  const std::vector<float>& before) {
    const char* error = qglGetLastError();
    const std::string message = error ? error : "no error";
    const bool named = message.rfind(std::string(exportName) + ": ", 0) == 0 &&
                       message.find(" is not a finite number") != std::string::npos;
    const std::vector<float> after = ReadableState();
    const bool unchanged =
        after.size() == before.size() &&
        std::memcmp(after.data(), before.data(), after.size() * sizeof(float)) == 0;
    if (named && neutral && unchanged)
        ++g_refused;
    else
        g_accepted.push_back(call + " -> " + message + (neutral ? "" : " (not neutral)") +
                             (unchanged ? "" : " (state changed)"));
    qglClearLastError();
}

void CallEveryCaseWithEachBadValue() {
    const float bad[] = {std::nanf(""), INFINITY, -INFINITY};
    for (const FiniteCase& c : FiniteCases())
        for (size_t i = 0; i < c.accepted.size(); ++i)
            for (float value : bad) {
                std::vector<float> args = c.accepted;
                args[i] = value;
                const std::vector<float> before = ReadableState();
                qglClearLastError();
                const bool neutral = c.call(args.data());
                CheckRefused(std::string(c.exportName) + " argument " + std::to_string(i) + " = " +
                                 std::to_string(value),
                             c.exportName, neutral, before);
            }
}

// Finite arguments whose result would not be: the camera and the selection carried past the
// float range.
void OverflowingMoves() {
    const float huge = 3e38f;
    qglSetCameraPosition(huge, 0, huge);
    std::vector<float> before = ReadableState();
    qglMoveCamera(-huge); // angles zero: the view runs along -x
    CheckRefused("qglMoveCamera(-3e38) at x = 3e38", "qglMoveCamera", true, before);
    qglStrafeCamera(huge);
    CheckRefused("qglStrafeCamera(3e38) at z = 3e38", "qglStrafeCamera", true, before);
    qglSetCameraPosition(0, 0, 5);
    qglSetCameraDirection(0, 0, -1);
    before = ReadableState();
    qglMoveSceneSelectedYBySpeed(INT32_MAX, huge);
    CheckRefused("qglMoveSceneSelectedYBySpeed(INT32_MAX, 3e38)", "qglMoveSceneSelectedYBySpeed",
                 true, before);
    // The selection (the cube, then the scratch mesh at x = 1000) is refused whole.
    qglSetDynamicPosition(g_cube, huge, 0, -1);
    before = ReadableState();
    qglMoveSceneSelectedByVector(huge, 0, 0);
    CheckRefused("qglMoveSceneSelectedByVector(3e38, 0, 0), cube at x = 3e38",
                 "qglMoveSceneSelectedByVector", true, before);
    qglScaleSceneSelected(huge, 1, 1);
    CheckRefused("qglScaleSceneSelected(3e38, 1, 1), a vertex at x = 1000", "qglScaleSceneSelected",
                 true, before);
    qglSetDynamicPosition(g_cube, 0, 0, -1);
}

} // namespace

// Every export that keeps float arguments in the scene, called with NaN and with each infinity
// in each argument in turn: refused with "<export>: <argument> is not a finite number", its
// neutral value, and nothing a host can read back changed. The scene then renders as before and
// culling still works.
TEST_F(Robustness, NonFiniteArgumentsAreRefusedAndChangeNothing) {
    g_accepted.clear();
    g_refused = 0;
    g_cubeDirectory = ::testing::TempDir() + "quarn_cube_" + std::to_string(getpid()) + "/";
    g_run.init = [] {
        AddRedTriangle();
        g_plain = qglAddMaterial("plain");
        g_cube = qglLoadDynamicPredefined(QGL_SHAPE_BOX, g_plain, 0, 0, -1, 0, 0, 0, 1, 1, 1);
        g_scratch = qglGetStaticObject(qglAddStaticObject()); // no octree: never drawn
        const int32_t f = qglAddStaticFace(g_scratch);
        for (float y : {0.f, 1.f, 2.f})
            qglAddStaticFaceVectorIndex(g_scratch, f,
                                        qglAddStaticMeshVector(g_scratch, kFar, y, 0));
        g_mesh = qglGetDynamicObject(qglAddDynamicObject());
        qglAddDynamicMeshVector(g_mesh, kFar, 0, 0);
        g_glsl = qglAddMaterial("glsl");
        std::ofstream(TempFile("quarn_finite_vert"))
            << "void main() { gl_Position = ftransform(); }\n";
        std::ofstream(TempFile("quarn_finite_frag"))
            << "uniform vec4 tint;\nvoid main() { gl_FragColor = tint; }\n";
        qglAddMaterialGLSLShader(g_glsl, TempFile("quarn_finite_vert").c_str(),
                                 TempFile("quarn_finite_frag").c_str());
        g_hud = qglAddDynamicHUDObject(4, 4, 2, 2, 64, 64, g_plain);
        g_smoke = qglAddDynamicSmokeParticleSystem(kFar, 0, 0, 1, 1, 1, 1, 0, 0.1f, 0, 10, 100, 60,
                                                   20, 0, 0, 1, "");
        qglAddSceneSelected(g_cube);
        qglAddSceneSelected(g_scratch);
        ASSERT_EQ(qglGetLastError(), nullptr) << qglGetLastError();
    };
    static int32_t stats[3][3];
    static probe::Pixel centre[3];
    g_run.beforeFrame = [](int frame) {
        if (frame == 2) {
            CallEveryCaseWithEachBadValue();
            OverflowingMoves();
            // Nothing was appended: the next entry of each array gets the index it had.
            EXPECT_EQ(qglAddStaticMeshVector(g_scratch, kFar, 3, 0), 3);
            EXPECT_EQ(qglAddStaticMeshNormal(g_scratch, 0, 0, 1), 0);
            EXPECT_EQ(qglAddStaticMeshTexCoord(g_scratch, 0, 0, 0), 0);
            EXPECT_EQ(qglAddDynamicMeshVector(g_mesh, kFar, 3, 0), 1);
            EXPECT_EQ(qglAddDynamicMeshNormal(g_mesh, 0, 0, 1), 0);
            EXPECT_EQ(qglAddDynamicMeshTexCoord(g_mesh, 0, 0, 0), 0);
        }
    };
    g_run.afterFrame = [](int frame) {
        qglGetSceneStatistics(&stats[frame - 1][0], &stats[frame - 1][1], &stats[frame - 1][2]);
        centre[frame - 1] = probe::ReadFramePixel(32, 32);
        // The view is set before the host's before-render hook: turned here, frame 3 looks away.
        if (frame == 2) qglSetCameraDirection(0, 0, 1); // everything behind the camera
        if (frame == 3) { // the accepted arguments really are accepted
            qglClearLastError();
            for (const FiniteCase& c : FiniteCases()) {
                c.call(c.accepted.data());
                EXPECT_EQ(qglGetLastError(), nullptr) << c.exportName << ": " << qglGetLastError();
                qglClearLastError();
            }
        }
    };
    g_run.stopAfter = 3;
    EXPECT_EQ(Run(), 0);
    std::string accepted;
    for (const std::string& line : g_accepted)
        accepted += line + "\n";
    EXPECT_TRUE(g_accepted.empty()) << g_accepted.size() << " not refused:\n" << accepted;
    EXPECT_GT(g_refused, 400);
    std::printf("non-finite calls refused: %d\n", g_refused);
    // The frame after the refused calls draws and culls as the one before.
    EXPECT_GT(centre[0][0], 100); // the red triangle
    EXPECT_EQ(centre[1], centre[0]);
    EXPECT_GT(stats[0][0], 0);
    EXPECT_EQ(std::vector<int32_t>(stats[1], stats[1] + 3),
              std::vector<int32_t>(stats[0], stats[0] + 3));
    EXPECT_EQ(stats[2][0], 0); // looking away: nothing in view
    EXPECT_EQ(stats[2][2], 0);
    for (const char* face : {"xpos", "xneg", "ypos", "yneg", "zpos", "zneg"})
        std::remove((g_cubeDirectory + "cube" + face + ".bmp").c_str());
    rmdir(g_cubeDirectory.c_str());
    std::remove(TempFile("quarn_finite_vert").c_str());
    std::remove(TempFile("quarn_finite_frag").c_str());
}
