// Scene effects and scene operations through the exported C API, in headless windows with real
// Mesa GL: fog, sky box, HUD, screen text, smoke, cube-map capture, the loader screen and the
// selection operations, read back as pixels and files.
#include "TestImages.h"
#include "TestMeshes.h"
#include "WindowRun.h"
#include "quarn/QuarnGL.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using probe::Pixel;
using probe::WriteSolidBmp;

std::string TempPath(const std::string& stem) {
    return ::testing::TempDir() + stem + "_" + std::to_string(getpid());
}

// A 24-bit BMP read back: pixels bottom-up; width 0 when the file is missing or not one.
struct Image {
    int width = 0, height = 0;
    std::vector<Pixel> pixels;
    Pixel At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    int Count(const std::function<bool(const Pixel&)>& match) const {
        int n = 0;
        for (const Pixel& p : pixels)
            n += match(p) ? 1 : 0;
        return n;
    }
};

Image ReadBmp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), {});
    Image image;
    if (b.size() < 54 || b[0] != 'B' || b[28] != 24) return image;
    const auto get32 = [&](size_t at) {
        return int(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24);
    };
    const int w = get32(18), h = get32(22), row = (w * 3 + 3) & ~3;
    if (w <= 0 || h <= 0 || b.size() < 54 + size_t(row) * size_t(h)) return image;
    image.width = w, image.height = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char* p = &b[54 + size_t(y) * size_t(row) + size_t(x) * 3];
            image.pixels.push_back(Pixel{p[2], p[1], p[0]});
        }
    return image;
}

bool Near(const Pixel& p, Pixel want, int tolerance = 24) {
    for (int i = 0; i < 3; ++i)
        if (std::abs(p[i] - want[i]) > tolerance) return false;
    return true;
}

using probe::g_run;

std::function<void(int)> g_shown; // after frame n is swapped to the window

void QUARN_CALL OnKeyHeld(int32_t*) {
    if (g_shown) g_shown(g_run.frames);
}

// A material that shows only its emission: the colour it is drawn in, lit or not.
TQGLHandle GlowMaterial(float r, float g, float b) {
    TQGLHandle m = qglAddMaterial("glow");
    qglSetMaterialAmbient(m, 0, 0, 0);
    qglSetMaterialDiffuse(m, 0, 0, 0);
    qglSetMaterialEmmisive(m, r, g, b);
    return m;
}

// One frame unless a test asks for more; the camera where the engine puts it.
class EffectsApi : public probe::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        g_run.stopAfter = 1;
        g_run.aimCamera = false;
        g_shown = nullptr;
    }
    // Before the test's init, a key held down all along: its callback runs after every buffer
    // swap.
    static int32_t Run(int w = 64, int h = 64) {
        g_run.init = [init = g_run.init] {
            qglSetSceneKeyCallbacks(OnKeyHeld, nullptr);
            qglRegisterSceneKey(QGL_VK_F1);
            qglSetSceneKeyState(QGL_VK_F1, 1);
            if (init) init();
        };
        return WindowTest::Run(w, h);
    }
};

} // namespace

TEST_F(EffectsApi, FogClearColourFillsAnEmptyFrameAndDistantGeometryTakesTheFogColour) {
    static TQGLHandle cube;
    g_run.stopAfter = 3;
    g_run.init = [] {
        qglSetEnvironmentFogClearColor(0.2f, 0.4f, 0.6f, 1);
        qglSetEnvironmentFogColor(0, 1, 0, 1);
        qglSetEnvironmentFogMode(0x0800 /* GL_EXP */);
        qglSetEnvironmentFogDensity(0.2f);
        cube = qglLoadDynamicPredefined(1, GlowMaterial(1, 0, 0), -40, 0, 0, 0, 0, 0, 8, 8, 8);
        qglSetDynamicVisibleFlag(cube, 0);
    };
    g_run.beforeFrame = [](int frame) {
        qglSetDynamicVisibleFlag(cube, frame > 1);
        qglSetEnvironmentFogVisibleFlag(frame == 2);
        if (frame == 3) qglSetDynamicPosition(cube, -10, 0, 0);
    };
    ASSERT_EQ(Run(), 0);
    ASSERT_EQ(g_run.centre.size(), 3u);
    const Pixel empty = g_run.centre[0], fogged = g_run.centre[1], nearby = g_run.centre[2];
    EXPECT_TRUE(Near(empty, {51, 102, 153}, 2)) << empty[0] << "," << empty[1] << "," << empty[2];
    EXPECT_TRUE(Near(fogged, {0, 255, 0}, 8)); // 37 units through density 0.2: all fog
    EXPECT_TRUE(Near(nearby, {255, 0, 0}, 8)); // fog off again: the cube's own colour
    float r, g, b, a;
    qglGetEnvironmentFogClearColor(&r, &g, &b, &a);
    EXPECT_FLOAT_EQ(g, 0.4f);
    EXPECT_EQ(qglGetEnvironmentFogMode(), 0x0800u);
}

TEST_F(EffectsApi, EachSkyBoxFaceShowsItsOwnColourInItsDirection) {
    static const std::array<Pixel, 6> colours{
        {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {255, 0, 255}, {0, 255, 255}}};
    static std::array<std::string, 6> files;
    for (size_t i = 0; i < 6; ++i) {
        files[i] = TempPath("sky" + std::to_string(i)) + ".bmp";
        WriteSolidBmp(files[i], 4, 4, colours[i]);
    }
    // Directions of frames 1..4: -X, +X, -Z, +Z; each shows faces 3, 4, 2, 1.
    static const std::array<std::array<float, 3>, 4> directions{
        {{-1, 0, 0}, {1, 0, 0}, {0, 0, -1}, {0, 0, 1}}};
    g_run.stopAfter = 4;
    g_run.init = [] {
        qglInitEnvironmentSkybox(files[0].c_str(), files[1].c_str(), files[2].c_str(),
                                 files[3].c_str(), files[4].c_str(), files[5].c_str());
        qglSetEnvironmentSkyboxVisibleFlag(1);
        qglSetCameraPosition(100, 20, -50); // the box follows the camera
        qglSetCameraDirection(-1, 0, 0);
    };
    // The view is applied before the host's before-render: turn for the next frame after one.
    g_run.afterFrame = [](int frame) {
        const auto& d = directions[size_t(frame % 4)];
        qglSetCameraDirection(d[0], d[1], d[2]);
    };
    ASSERT_EQ(Run(), 0);
    EXPECT_TRUE(g_run.messages.empty());
    ASSERT_EQ(g_run.centre.size(), 4u);
    EXPECT_TRUE(Near(g_run.centre[0], colours[2]));
    EXPECT_TRUE(Near(g_run.centre[1], colours[3]));
    EXPECT_TRUE(Near(g_run.centre[2], colours[1]));
    EXPECT_TRUE(Near(g_run.centre[3], colours[0]));
    for (const std::string& f : files)
        std::remove(f.c_str());
}

TEST_F(EffectsApi, HudRectangleCoversExactlyItsProjectedPixels) {
    static Image frame;
    static TQGLHandle stray;
    static const std::string shot = TempPath("hud") + ".bmp";
    g_run.stopAfter = 2;
    g_run.init = [] {
        // 32 x 16 centred at (40, 30) from the top-left of a 128 x 96 screen.
        qglAddDynamicHUDObject(32, 16, 40, 30, 128, 96, GlowMaterial(1, 0, 0));
        // A material handle that is not in the list: reported, never drawn.
        static int notAMaterial = 0;
        stray = qglAddDynamicHUDObject(64, 64, 64, 48, 128, 96, &notAMaterial);
    };
    g_shown = [](int n) {
        if (n == 1) qglCopySceneScreenToBitmapFile(shot.c_str());
    };
    ASSERT_EQ(Run(128, 96), 0);
    EXPECT_NE(stray, nullptr);
    EXPECT_EQ(g_run.messages.size(), 1u);
    frame = ReadBmp(shot);
    ASSERT_EQ(frame.width, 128);
    // GL window coordinates: x 24..55, y 96 - 30 - 8 = 58 .. 73.
    const auto red = [](const Pixel& p) { return Near(p, {255, 0, 0}, 8); };
    EXPECT_EQ(frame.Count(red), 32 * 16);
    EXPECT_TRUE(red(frame.At(24, 58)));
    EXPECT_TRUE(red(frame.At(55, 73)));
    EXPECT_FALSE(red(frame.At(23, 58)));
    EXPECT_FALSE(red(frame.At(56, 73)));
    EXPECT_FALSE(red(frame.At(24, 57)));
    EXPECT_FALSE(red(frame.At(55, 74)));
    std::remove(shot.c_str());
}

TEST_F(EffectsApi, TextShowsInTheFrameItWasAddedOnlyAndOddBytesDrawAsQuestionMarks) {
    static std::array<std::string, 3> shots;
    for (size_t i = 0; i < 3; ++i)
        shots[i] = TempPath("text" + std::to_string(i)) + ".bmp";
    g_run.stopAfter = 4;
    g_shown = [](int frame) {
        if (frame <= 3) qglCopySceneScreenToBitmapFile(shots[size_t(frame - 1)].c_str());
    };
    g_run.beforeFrame = [](int frame) {
        if (frame == 1) qglAddSceneText("\x01\xfe", 4, 64 + 4);
        if (frame == 3) qglAddSceneText("??", 4, 64 + 4);
        if (frame == 2) { // far off the window at either end of the range: drawn nowhere
            qglAddSceneText("far", INT32_MIN, INT32_MIN);
            qglAddSceneText("far", INT32_MAX, INT32_MAX);
        }
        qglAddSceneText(nullptr, 0, 0); // adds nothing
    };
    ASSERT_EQ(Run(), 0);
    const Image first = ReadBmp(shots[0]), second = ReadBmp(shots[1]), third = ReadBmp(shots[2]);
    ASSERT_EQ(first.width, 64);
    const auto white = [](const Pixel& p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; };
    EXPECT_GT(first.Count(white), 10);
    EXPECT_EQ(second.Count(white), 0); // not added again: gone
    EXPECT_EQ(first.pixels, third.pixels);
    // Near the top edge: the line sits in the top 20 rows.
    int low = 0;
    for (int y = 0; y < 44; ++y)
        for (int x = 0; x < 64; ++x)
            low += white(first.At(x, y)) ? 1 : 0;
    EXPECT_EQ(low, 0);
    for (const std::string& s : shots)
        std::remove(s.c_str());
}

TEST_F(EffectsApi, SmokeWithAMissingTextureIsReportedOnceAndStillPutsPixelsOnScreen) {
    static std::vector<int> lit;
    static TQGLHandle smoke;
    lit.clear();
    g_run.stopAfter = 12;
    g_run.init = [] {
        smoke = qglAddDynamicSmokeParticleSystem(-6, -1, 0, 1, 1, 1, 1, 0, 0, 0, 10, 100, 60, 20, 0,
                                                 0, 1, "no-such-smoke.bmp");
    };
    g_run.afterFrame = [](int) {
        int n = 0;
        for (int y = 0; y < 64; y += 2)
            for (int x = 0; x < 64; x += 2)
                n += probe::ReadFramePixel(x, y)[0] > 40 ? 1 : 0;
        lit.push_back(n);
    };
    ASSERT_EQ(Run(), 0);
    ASSERT_NE(smoke, nullptr);
    EXPECT_EQ(g_run.messages.size(), 1u);
    ASSERT_EQ(lit.size(), 12u);
    EXPECT_GT(lit.back(), 0);
    qglSetDynamicSmokeParticleSystemEnabledFlag(nullptr, 0); // not a system: an error, no crash
    EXPECT_NE(qglGetLastError(), nullptr);
}

TEST_F(EffectsApi, CubeMapCaptureKeepsTheHostsProjection) {
    static std::array<float, 16> before{}, after{};
    static const std::string dir = TempPath("cubeprojection") + "/";
    g_run.stopAfter = 1;
    g_run.init = [] {
        using GetFloatv = void (*)(unsigned, float*);
        const auto get = probe::GLEntry<GetFloatv>("glGetFloatv");
        ASSERT_NE(get, nullptr);
        constexpr unsigned kProjectionMatrix = 0x0BA7;
        qglSetCameraProjection(70, 0.5f, 300);
        get(kProjectionMatrix, before.data());
        qglRenderSceneCubemapTexturesToFiles(dir.c_str(), 16, 64, 64, 0, 0, 0);
        get(kProjectionMatrix, after.data());
    };
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(after, before);
    EXPECT_NEAR(before[5], 1.0f / std::tan(35.0f * 3.14159265f / 180.0f), 1e-4f);
    for (const char* s : {"xpos", "xneg", "ypos", "yneg", "zpos", "zneg"})
        std::remove((dir + "cube" + s + ".bmp").c_str());
    ::rmdir(dir.c_str());
}

TEST_F(EffectsApi, CubeMapCaptureWritesSixViewsAndAnObjectInPlusXShowsOnlyThere) {
    static const std::string dir = TempPath("cube") + "/";
    g_run.stopAfter = 1;
    g_run.init = [] {
        const int32_t red = qglGetMaterialIndex(GlowMaterial(1, 0, 0));
        TQGLHandle mesh = qglGetStaticObject(qglAddStaticObject());
        probe::AddQuad(probe::kStaticMesh, mesh, {10, -6, -6}, {10, -6, 6}, {10, 6, 6}, {10, 6, -6},
                       {-1, 0, 0}, red);
        qglBuildStaticOctree(mesh);
        qglRenderSceneCubemapTexturesToFiles(dir.c_str(), 32, 64, 64, 0, 0, 0);
        // A directory that cannot be created: an error, and nothing written.
        qglRenderSceneCubemapTexturesToFiles("/proc/quarn-no-such-dir/", 16, 64, 64, 0, 0, 0);
    };
    ASSERT_EQ(Run(), 0);
    EXPECT_NE(qglGetLastError(), nullptr);
    const char* suffixes[6] = {"xpos", "xneg", "ypos", "yneg", "zpos", "zneg"};
    const auto red = [](const Pixel& p) { return Near(p, {255, 0, 0}, 8); };
    for (int k = 0; k < 6; ++k) {
        const std::string file = dir + "cube" + suffixes[k] + ".bmp";
        const Image view = ReadBmp(file);
        ASSERT_EQ(view.width, 32) << file;
        ASSERT_EQ(view.height, 32);
        if (k == 0) {
            EXPECT_TRUE(red(view.At(16, 16)));
            EXPECT_GT(view.Count(red), 200);
        } else {
            EXPECT_EQ(view.Count(red), 0) << suffixes[k];
        }
        std::remove(file.c_str());
        struct stat st {};
        EXPECT_NE(
            stat(("/proc/quarn-no-such-dir/cube" + std::string(suffixes[k]) + ".bmp").c_str(), &st),
            0);
    }
    rmdir(dir.c_str());
}

TEST_F(EffectsApi, LoaderScreenShowsItsImageAtOnce) {
    static const std::string image = TempPath("loader") + ".bmp";
    static const std::string shot = TempPath("loadershot") + ".bmp";
    WriteSolidBmp(image, 8, 8, {0, 0, 255});
    static Pixel later;
    g_run.init = [] {
        qglSetEnvironmentFogClearColor(0, 1, 0, 1);
        qglRenderLoaderScreen(image.c_str());
        qglCopySceneScreenToBitmapFile(shot.c_str());
    };
    g_run.afterFrame = [](int) { later = probe::ReadFramePixel(4, 4); };
    ASSERT_EQ(Run(), 0);
    const Image frame = ReadBmp(shot);
    ASSERT_EQ(frame.width, 64);
    EXPECT_TRUE(Near(frame.At(32, 32), {0, 0, 255})) << frame.At(32, 32)[2];
    EXPECT_TRUE(Near(frame.At(0, 0), {0, 0, 0})); // cleared to black before the quad
    // The frames after it clear to the host's colour again.
    EXPECT_TRUE(Near(later, {0, 255, 0}, 16)) << later[0] << "," << later[1] << "," << later[2];
    std::remove(image.c_str());
    std::remove(shot.c_str());
}

TEST_F(EffectsApi, SelectionOperationsMoveTurnScaleAndDeleteBySelectedAmounts) {
    static TQGLHandle picked, other;
    g_run.init = [] {
        picked = qglLoadDynamicPredefined(1, nullptr, 1, 2, 3, 0, 0, 0, 1, 1, 1);
        other = qglLoadDynamicPredefined(1, nullptr, 0, 0, 0, 0, 0, 0, 1, 1, 1);
        qglSetCameraDirection(-1, 0, 0);
        qglAddSceneSelected(picked);
        qglAddSceneSelected(picked);           // once only
        qglMoveSceneSelected(0, 0);            // nothing
        qglMoveSceneSelectedX(3);              // x 1 -> -2
        qglMoveSceneSelectedY(2);              // y 2 -> 4
        qglMoveSceneSelectedZ(1);              // z 3 -> 2
        qglMoveSceneSelectedYBySpeed(2, 0.5f); // y -> 5
        qglMoveSceneSelectedByVector(1, 1, 1); // (-1, 6, 3)
        qglMoveSceneSelected(2, 1);            // D = (-1, 0, 0): x += -1, z += 2 -> (-2, 6, 5)
        qglRotateSceneSelected(10, 20);        // roll -10, pitch 20
        qglRotateSceneSelectedX(5);            // roll -15
        qglRotateSceneSelectedY(7);            // yaw -7
        qglRotateSceneSelectedZ(3);            // pitch 17
        qglScaleSceneSelected(2, 3, 4);
    };
    ASSERT_EQ(Run(), 0);
    float p[3];
    qglGetDynamicPosition(picked, p);
    EXPECT_FLOAT_EQ(p[0], -2);
    EXPECT_FLOAT_EQ(p[1], 6);
    EXPECT_FLOAT_EQ(p[2], 5);
    float pitch, yaw, roll;
    qglGetDynamicRotation(picked, &pitch, &yaw, &roll);
    EXPECT_FLOAT_EQ(pitch, 17);
    EXPECT_FLOAT_EQ(yaw, -7);
    EXPECT_FLOAT_EQ(roll, -15);
    // The geometry of the unit cube scaled by (2, 3, 4).
    const TQUARNFaceData* data = qglGetDynamicFaceData(picked);
    ASSERT_NE(data, nullptr);
    float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
    for (int32_t i = 0; i < data->VertexCount; ++i) {
        const float v[3] = {data->Vertices[i].x, data->Vertices[i].y, data->Vertices[i].z};
        for (int a = 0; a < 3; ++a)
            lo[a] = std::min(lo[a], v[a]), hi[a] = std::max(hi[a], v[a]);
    }
    EXPECT_FLOAT_EQ(hi[0] - lo[0], 2);
    EXPECT_FLOAT_EQ(hi[1] - lo[1], 3);
    EXPECT_FLOAT_EQ(hi[2] - lo[2], 4);
    qglGetDynamicPosition(other, p);
    EXPECT_FLOAT_EQ(p[0], 0); // not selected: untouched
    qglDeleteSceneSelected();
    EXPECT_EQ(qglGetDynamicObjectCount(), 1);
    EXPECT_EQ(qglGetDynamicObject(0), other);
    qglMoveSceneSelectedX(1); // the selection emptied with the delete
    qglGetDynamicPosition(other, p);
    EXPECT_FLOAT_EQ(p[0], 0);
}

TEST_F(EffectsApi, SceneMapRendersTrackedMarkersIntoTheMapMaterialShownByAHud) {
    static Pixel corner;
    static TQGLHandle tracked;
    g_run.init = [] {
        TQGLHandle map = qglAddMaterial("map");
        qglSetMaterialLightFlag(map, 0);
        ASSERT_NE(qglAddMaterialRenderTargetShader(map, 32), nullptr);
        qglSetSceneMapMaterial(map);
        qglSetSceneMapTextureDimentions(32);
        qglSetSceneMapEyePos(0, 100, 0.01f);                  // straight down onto the origin
        tracked = qglGetDynamicObject(qglAddDynamicObject()); // at the origin, draws nothing
        qglAddSceneMapTrackedObject(tracked, 1);              // red
        qglSetSceneMapRenderFlag(1);
        // The map texture over the whole 64 x 64 screen.
        qglAddDynamicHUDObject(64, 64, 32, 32, 64, 64, map);
        qglSetSceneMapMaterial(&corner); // not a material: refused, the map material stays
    };
    g_run.afterFrame = [](int) { corner = probe::ReadFramePixel(4, 4); };
    ASSERT_EQ(Run(), 0);
    ASSERT_EQ(g_run.centre.size(), 1u);
    const Pixel centre = g_run.centre[0];
    EXPECT_TRUE(Near(centre, {255, 0, 0}, 16)) << centre[0] << "," << centre[1] << "," << centre[2];
    EXPECT_TRUE(Near(corner, {0, 0, 0}, 16));
    EXPECT_NE(qglGetLastError(), nullptr);
}

// The map pass and the loader screen clear with their own colour and give the host's back, and
// nothing else: the blending of the last frame's blended object stays the material list's
// business, so the opaque world of the next frame is drawn opaque.
TEST_F(EffectsApi, TheSceneMapPassAndTheLoaderScreenKeepTheHostsClearColourOnly) {
    static const std::string image = TempPath("maploader") + ".bmp";
    WriteSolidBmp(image, 8, 8, {0, 0, 255});
    static std::vector<Pixel> corners;
    corners.clear();
    g_run.stopAfter = 5; // the map renders in the first and the fifth frame
    g_run.init = [] {
        qglSetCameraPosition(0, 0, 5);
        qglSetCameraDirection(0, 0, -1);
        qglSetEnvironmentFogClearColor(0, 0, 1, 1);
        TQGLHandle map = qglAddMaterial("map");
        ASSERT_NE(qglAddMaterialRenderTargetShader(map, 32), nullptr);
        qglSetSceneMapMaterial(map);
        qglSetSceneMapTextureDimentions(32);
        qglSetSceneMapRenderFlag(1);
        // An opaque red square over the centre, and an additive quad off it, drawn last.
        TQGLHandle mesh = qglGetStaticObject(qglAddStaticObject());
        const int32_t red = qglGetMaterialIndex(GlowMaterial(1, 0, 0));
        probe::AddQuad(probe::kStaticMesh, mesh, {-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0},
                       {0, 0, 1}, red);
        qglBuildStaticOctree(mesh);
        TQGLHandle added = GlowMaterial(0, 1, 0);
        qglSetMaterialBlendData(added, 1, 1 /* GL_ONE */, 1 /* GL_ONE */);
        qglLoadDynamicPredefined(QGL_SHAPE_QUAD, added, 1.5f, 1.5f, 0, 0, 0, 0, 0.5f, 0.5f, 0);
    };
    g_run.afterFrame = [](int frame) {
        corners.push_back(probe::ReadFramePixel(4, 4));
        if (frame == 2) qglRenderLoaderScreen(image.c_str());
    };
    ASSERT_EQ(Run(), 0);
    std::remove(image.c_str());
    ASSERT_EQ(corners.size(), 5u);
    for (const Pixel& p : corners)
        EXPECT_TRUE(Near(p, {0, 0, 255}, 16)) << p[0] << "," << p[1] << "," << p[2];
    ASSERT_EQ(g_run.centre.size(), 5u);
    for (const Pixel& p : g_run.centre)
        EXPECT_EQ(p, (Pixel{255, 0, 0}));
}

TEST_F(EffectsApi, ClearingTheMapMaterialWithNullLeavesItsTextureUnrendered) {
    static std::string error;
    g_run.init = [] {
        TQGLHandle map = qglAddMaterial("map");
        qglSetMaterialLightFlag(map, 0);
        ASSERT_NE(qglAddMaterialRenderTargetShader(map, 32), nullptr);
        qglSetSceneMapMaterial(map);
        qglSetSceneMapTextureDimentions(32);
        qglSetSceneMapEyePos(0, 100, 0.01f);
        qglAddSceneMapTrackedObject(qglGetDynamicObject(qglAddDynamicObject()), 1);
        qglSetSceneMapRenderFlag(1);
        qglAddDynamicHUDObject(64, 64, 32, 32, 64, 64, map);
        qglClearLastError();
        qglSetSceneMapMaterial(nullptr);
        error = qglGetLastError() ? qglGetLastError() : "";
    };
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(error, "");
    ASSERT_EQ(g_run.centre.size(), 1u);
    EXPECT_LT(g_run.centre[0][0], 128); // no red marker: the map went nowhere
}

using GetFloatv = void (*)(unsigned, float*);
using GetIntegerv = void (*)(unsigned, int*);
constexpr unsigned kProjectionMatrix = 0x0BA7, kViewport = 0x0BA2;

// The projection and viewport GL holds now.
std::pair<std::array<float, 16>, std::array<int, 4>> ProjectionAndViewport() {
    std::pair<std::array<float, 16>, std::array<int, 4>> state{};
    probe::GLEntry<GetFloatv>("glGetFloatv")(kProjectionMatrix, state.first.data());
    probe::GLEntry<GetIntegerv>("glGetIntegerv")(kViewport, state.second.data());
    return state;
}

TEST_F(EffectsApi, LensFlareAheadFadesInAdditivelyAndFollowsTheCamera) {
    static const std::string white = TempPath("flare") + ".bmp";
    static std::vector<std::pair<std::array<float, 16>, std::array<int, 4>>> states;
    states.clear();
    WriteSolidBmp(white, 4, 4, {255, 255, 255});
    g_run.stopAfter = 3;
    g_run.init = [] {
        const char* f = white.c_str();
        qglSetCameraPosition(5, 0, 0);
        qglSetCameraDirection(-1, 0, 0);
        qglSetCameraProjection(70, 0.5f, 300); // the host's own, kept through the flare's 2D pass
        states.push_back(ProjectionAndViewport());
        qglInitEnvironmentLensFlare(f, f, f, f, f, f, f, f, f, 64, 64);
        qglSetEnvironmentLensFlareLightPosition(-100, 0, 0); // straight ahead
    };
    g_run.afterFrame = [](int) { states.push_back(ProjectionAndViewport()); };
    ASSERT_EQ(Run(), 0);
    std::remove(white.c_str());
    ASSERT_EQ(states.size(), 4u);
    for (const auto& s : states)
        EXPECT_EQ(s, states[0]);
    ASSERT_EQ(g_run.centre.size(), 3u);
    // Brightness 0.1 in the first frame: the first two elements at 0.1, the rest at 0.
    EXPECT_TRUE(Near(g_run.centre[0], {51, 51, 51}, 6)) << g_run.centre[0][0];
    EXPECT_TRUE(Near(g_run.centre[2], {255, 255, 255}, 2)); // ten elements added up
    float x, y, z;
    qglGetEnvironmentLensFlareLightPosition(&x, &y, &z);
    EXPECT_FLOAT_EQ(x, -95); // the offset plus the camera position
    EXPECT_EQ(qglGetEnvironmentLensFlareVisibleFlag(), 1);
    int32_t w = 0, h = 0;
    qglGetEnvironmentLensFlareWinWidthAndHeight(&w, &h);
    EXPECT_EQ(w, 64);
}

// Shown before qglInitEnvironmentLensFlare, at its 800 x 600 default, the flare has nothing to
// draw and must not switch the viewport either. Fog shown in one window is off in the next one,
// even for a material whose show-fog flag is 0 (it would switch fog back on when released).
TEST_F(EffectsApi, AHiddenEffectLeavesTheFrameAndTheNextWindowAlone) {
    static std::vector<std::pair<std::array<float, 16>, std::array<int, 4>>> states;
    static std::vector<uint8_t> fogEnabled;
    g_run.stopAfter = 2;
    g_run.init = [] {
        qglSetCameraPosition(0, 0, 5);
        qglSetCameraDirection(0, 0, -1);
        states.push_back(ProjectionAndViewport());
        qglSetEnvironmentLensFlareVisibleFlag(1);
        qglSetEnvironmentLensFlareLightPosition(0, 0, -100); // straight ahead: it fades in
        qglSetEnvironmentFogVisibleFlag(1);
    };
    g_run.afterFrame = [](int) { states.push_back(ProjectionAndViewport()); };
    ASSERT_EQ(Run(), 0);
    ASSERT_EQ(states.size(), 3u);
    EXPECT_EQ(states[1], states[0]);
    EXPECT_EQ(states[2], states[0]);
    EXPECT_EQ(states[0].second, (std::array<int, 4>{0, 0, 64, 64}));
    EXPECT_EQ(g_run.centre.back(), (Pixel{0, 0, 0})); // nothing drawn over the clear colour

    g_run.init = [] {
        qglSetCameraPosition(0, 0, 5);
        qglSetCameraDirection(0, 0, -1);
        TQGLHandle m = GlowMaterial(0, 1, 0);
        qglSetMaterialShowFogFlag(m, 0);
        qglLoadDynamicPredefined(QGL_SHAPE_BOX, m, 0, 0, 0, 0, 0, 0, 2, 2, 2);
        // Drawn next, so the first box's material is released (where fog could come back on).
        qglLoadDynamicPredefined(QGL_SHAPE_BOX, GlowMaterial(0, 0, 1), 1.5f, 1.5f, 0, 0, 0, 0, 0.5f,
                                 0.5f, 0.5f);
    };
    g_run.afterFrame = [](int) {
        using IsEnabled = uint8_t (*)(unsigned);
        fogEnabled.push_back(probe::GLEntry<IsEnabled>("glIsEnabled")(0x0B60 /* GL_FOG */));
    };
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(qglGetEnvironmentFogVisibleFlag(), 0);
    EXPECT_EQ(fogEnabled, (std::vector<uint8_t>{0, 0}));
    EXPECT_TRUE(Near(g_run.centre.back(), {0, 255, 0})) << g_run.centre.back()[1];
}
