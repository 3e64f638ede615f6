// The environment's GL traces: fog setters reach GL at once, the sky box's lists switch depth
// and fog as they were built, the lens flare's visibility and fade, and the text overlay's
// switch to 2D and back.
#include "engine/effects/Environment.h"
#include "engine/materials/FogSwitch.h"
#include "engine/materials/BitmapFile.h"
#include "engine/scene/Scene.h"
#include "platform/gl/GLRecorder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

using namespace quarn;
using gl::GLRecorder;

namespace {

class EnvironmentTrace : public ::testing::Test {
  protected:
    void SetUp() override { GLRecorder::Install(); }
    void TearDown() override {
        SetGlobalFogShown(false);
        GLRecorder::Uninstall();
    }
};

// The recorded lines from the first line starting with `from` up to and including the next
// line equal to `to`.
std::vector<std::string> Between(const std::vector<std::string>& lines, const std::string& from,
                                 const std::string& to) {
    auto first = std::find_if(lines.begin(), lines.end(),
                              [&](const std::string& l) { return l.rfind(from, 0) == 0; });
    auto last = std::find(first, lines.end(), to);
    return std::vector<std::string>(first, last == lines.end() ? last : last + 1);
}

} // namespace

TEST_F(EnvironmentTrace, FogSettersReachGLAtOnceAndTheFlagSwitchesMaterialsFog) {
    TQGLEnvironment environment;
    EXPECT_EQ(GLRecorder::Lines().front(), "glHint(3156, 4354)"); // nicest fog
    GLRecorder::Clear();
    TQGLGlobalFog& fog = *environment.fog;
    fog.SetColor(0.5f, 0.25f, 0, 1);
    fog.SetMode(GL_EXP2);
    fog.SetDensity(0.125f);
    fog.SetClearColor(0.25f, 0.5f, 1, 0);
    fog.SetShown(true);
    EXPECT_EQ(
        GLRecorder::Lines(),
        (std::vector<std::string>{"glFogfv(2918, 1)", "glFogi(2917, 2049)", "glFogf(2914, 0.125)",
                                  "glClearColor(0.25, 0.5, 1, 0)", "glEnable(2912)"}));
    EXPECT_TRUE(GlobalFogShown());
    GLRecorder::Clear();
    environment.Render(0); // nothing visible: nothing drawn, fog untouched per frame
    fog.SetShown(false);
    EXPECT_EQ(GLRecorder::Lines(), (std::vector<std::string>{"glDisable(2912)"}));
    EXPECT_FALSE(GlobalFogShown());
}

TEST_F(EnvironmentTrace, SkyBoxDrawsWithoutDepthAndSwitchesFogAsItWasWhenBuilt) {
    TQGLScene scene(64, 48);
    std::vector<std::string> files;
    for (int i = 0; i < 6; ++i) {
        files.push_back(::testing::TempDir() + "sky_" + std::to_string(getpid()) + "_" +
                        std::to_string(i) + ".bmp");
        SaveBitmapFile(files.back(), 2, 2, std::vector<uint8_t>(12, uint8_t(40 * i)));
    }
    scene.environment.fog->SetShown(true);
    GLRecorder::Clear();
    scene.environment.skyBox->Init({files[0], files[1], files[2], files[3], files[4], files[5]});
    const std::vector<std::string> built = GLRecorder::Lines();
    for (const std::string& f : files)
        std::remove(f.c_str());
    EXPECT_EQ(scene.materials.Count(), 6);
    EXPECT_FALSE(scene.materials.Items(0)->lightFlag);
    // First face: depth, lighting and fog off; the box is 96 wide and deep, 48 high.
    const std::vector<std::string> first = Between(built, "glNewList", "glEndList()");
    ASSERT_GE(first.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(first.begin() + 1, first.begin() + 5),
              (std::vector<std::string>{"glDisable(2929)", "glDisable(2896)", "glDisable(2912)",
                                        "glBegin(7)"}));
    EXPECT_NE(std::find(first.begin(), first.end(), "glVertex3f(-48, 24, -48)"), first.end());
    // Last face: depth and fog back on.
    std::vector<std::string> tail(built.end() - 3, built.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"glEnable(2929)", "glEnable(2912)", "glEndList()"}));
    // Clamped edges on every face texture.
    EXPECT_EQ(std::count(built.begin(), built.end(), "glTexParameteri(3553, 10242, 33071)"), 6);

    // Fog hidden later: the lists still switch it, as built. Drawn in face order 2 1 6 5 3 4.
    scene.environment.fog->SetShown(false);
    scene.environment.skyBox->Visible = true;
    scene.camera.SetPosition(Vec3{5, 6, 7});
    GLRecorder::Clear();
    scene.environment.skyBox->PrepareSky();
    scene.environment.Render(0);
    EXPECT_EQ(GLRecorder::Lines().front(), "glTranslatef(5, 6, 7)");
    EXPECT_EQ(GLRecorder::Count("glCallList"), 6);
    EXPECT_EQ(scene.environment.skyBox->materialIndices, (std::array<int, 6>{1, 0, 5, 4, 2, 3}));
}

TEST(LensFlare, VisibilityNeedsTheScreenMarginsAndAnUncoveredLight) {
    TQGLLensFlare flare;
    EXPECT_EQ(flare.elementSize, 200);
    // 800 x 600 viewport, window width 800: y stays below 600 + 800 / 18 = 644.4.
    EXPECT_TRUE(flare.LightVisible(400, 300, 0.5f, 1.0f, 800, 600));
    EXPECT_TRUE(flare.LightVisible(0, 20, 0.5f, 0.5f, 800, 600));     // equal depth: seen
    EXPECT_FALSE(flare.LightVisible(400, 10, 0.5f, 1.0f, 800, 600));  // below the margin
    EXPECT_FALSE(flare.LightVisible(800, 300, 0.5f, 1.0f, 800, 600)); // right edge
    EXPECT_TRUE(flare.LightVisible(400, 644, 0.5f, 1.0f, 800, 600));
    EXPECT_FALSE(flare.LightVisible(400, 644.5f, 0.5f, 1.0f, 800, 600));
    EXPECT_FALSE(flare.LightVisible(400, 300, 0.5f, 0.25f, 800, 600)); // geometry in front
}

TEST(LensFlare, BrightnessFadesInAndOutInTenthsAndOvershootsByLessThanAStep) {
    TQGLLensFlare flare;
    std::vector<float> in;
    for (int i = 0; i < 8; ++i) {
        flare.StepBrightness(true);
        in.push_back(flare.brightness);
    }
    EXPECT_NEAR(in[0], 0.1f, 1e-6);
    EXPECT_NEAR(in[3], 0.4f, 1e-6);
    EXPECT_GE(in.back(), 0.5f);
    EXPECT_LT(in.back(), 0.6f);
    EXPECT_EQ(in[6], in[7]); // held at the top
    int steps = 0;
    while (flare.brightness > 0 && steps < 20) {
        flare.StepBrightness(false);
        ++steps;
    }
    EXPECT_GE(steps, 5); // single-precision tenths may leave a sliver for one more step
    EXPECT_LE(steps, 6);
    EXPECT_GT(flare.brightness, -0.1f);
}

TEST_F(EnvironmentTrace, TextSwitchesTo2DDrawsItsBytesAndSwitchesBack) {
    TQGLFont font(64, 48);
    font.BuildFont();
    ASSERT_NE(font.glyphBase, 0u);
    const int h = font.LineHeight();
    EXPECT_GT(h, 8);
    EXPECT_LT(h, 16);
    font.AddText("Hi", 3, 48); // Y equal to the scene height: the top line
    font.AddText(nullptr, 0, 0);
    EXPECT_EQ(font.PendingLines(), 1u);
    GLRecorder::Clear();
    font.RenderTexts();
    const std::vector<std::string> lines = GLRecorder::Lines();
    // The list base is glyph base - 32 (unsigned): byte b calls glyph list base + b.
    const std::string listBase =
        gl::RecordedCall{"glListBase", {double(GLuint(font.glyphBase - 32))}}.ToString();
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "glPushAttrib(262144)", "glDisable(3553)",
                         "glCallList(" + std::to_string(font.beginOverlay) + ")", "glDisable(3553)",
                         "glDisable(2896)", "glDisable(16384)", "glColor3f(1, 1, 1)",
                         "glRasterPos2i(3, " + std::to_string(48 - h) + ")", "glPushAttrib(131072)",
                         listBase, "glCallLists(2, 5121, 1)", "glPopAttrib()", "glEnable(16384)",
                         "glEnable(2896)", "glEnable(3553)",
                         "glCallList(" + std::to_string(font.endOverlay) + ")", "glPopAttrib()"}));
    EXPECT_EQ(font.PendingLines(), 0u); // forgotten after the pass
    GLRecorder::Clear();
    font.RenderTexts();
    EXPECT_EQ(GLRecorder::Count("glCallLists"), 0);
}
