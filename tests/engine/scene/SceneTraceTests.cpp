// GL-trace tests: the call order of the frame, of the projection set-up and of the initial
// GL state, recorded without a context.
#include "engine/frame/RenderScreen.h"
#include "engine/scene/Scene.h"
#include "engine/scene/ViewCamera.h"
#include "platform/gl/GLRecorder.h"

#include <gtest/gtest.h>

using namespace quarn;
using gl::GLRecorder;

namespace {

class SceneTrace : public ::testing::Test {
  protected:
    void SetUp() override { GLRecorder::Install(); }
    void TearDown() override { GLRecorder::Uninstall(); }
};

std::vector<std::string> g_hostEvents;

} // namespace

TEST_F(SceneTrace, AnEmptyFrameClearsAppliesTheCameraCallsTheHostAndFlushes) {
    TQGLScene scene(64, 64);
    scene.mapFrameCounter = 1; // no scene-map frame
    scene.beforeRender = [] { gl::GLRecorder::Record("host:before", {}); };
    scene.afterRender = [] { gl::GLRecorder::Record("host:after", {}); };
    GLRecorder::Clear();
    scene.Render();
    EXPECT_EQ(
        GLRecorder::Names(),
        (std::vector<std::string>{"glClear",      "glLoadIdentity", "gluLookAt",    "glGetFloatv",
                                  "glGetFloatv",  "host:before",    "glPushMatrix", "glTranslatef",
                                  "glPopMatrix", // sky box at the camera
                                  "glPushMatrix", "glTranslatef",
                                  "glPopMatrix",                 // bump light: moved to, hidden
                                  "glGetFloatv",                 // camera for billboards
                                  "glDepthMask",  "glDepthMask", // particle systems
                                  "glPushMatrix", "glPopMatrix", // lens flare
                                  "glPushMatrix", "glPopMatrix", // HUD
                                  "host:after",   "glPushAttrib",   "glDisable",
                                  "glPopAttrib", // text pass
                                  "glFlush"}));
    EXPECT_EQ(GLRecorder::Calls()[0].ToString(), "glClear(16640)"); // colour | depth
    EXPECT_EQ(GLRecorder::Calls()[2].ToString(), "gluLookAt(0, 0, 0, -1, 0, 0, 0, 1, 0)");
    EXPECT_EQ(GLRecorder::Calls()[3].args[0], GL_PROJECTION_MATRIX);
    EXPECT_EQ(GLRecorder::Calls()[4].args[0], GL_MODELVIEW_MATRIX);
}

TEST_F(SceneTrace, TheSceneMapRunsInTheFirstFrameAndEveryFourthAfter) {
    TQGLScene scene(64, 64);
    scene.mapRender = true;
    std::vector<int> mapFrames;
    for (int frame = 1; frame <= 9; ++frame) {
        GLRecorder::Clear();
        scene.Render();
        if (GLRecorder::Count("gluPerspective") > 0) mapFrames.push_back(frame);
    }
    EXPECT_EQ(mapFrames, (std::vector<int>{1, 5, 9}));
}

TEST_F(SceneTrace, TheSceneMapLooksDownFromItsEyeAndRestoresTheCreationSize) {
    static int resizedW = 0, resizedH = 0;
    TQGLScene scene(300, 200);
    scene.mapRender = true;
    scene.mapTextureSize = 64;
    scene.screenResize = [](int w, int h) { resizedW = w, resizedH = h; };
    GLRecorder::Clear();
    scene.Render();
    const std::vector<std::string> lines = GLRecorder::Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "glViewport(0, 0, 64, 64)"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "gluPerspective(90, 1, 1, 2000)"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "gluLookAt(1, 1000, 1, 0, 0, 0, 0, 1, 0)"),
              lines.end());
    EXPECT_EQ(resizedW, 300);
    EXPECT_EQ(resizedH, 200);
}

TEST_F(SceneTrace, InitGLSetsDepthCullingTexturingAndLight0) {
    TQGLScene scene(64, 64);
    GLRecorder::Clear();
    scene.InitGL();
    // The font's glyph lists are built between texturing and lighting; the state calls are:
    std::vector<std::string> state;
    bool glyphsBuilt = false;
    for (const std::string& line : GLRecorder::Lines()) {
        if (line == "glGenLists(96)") {
            glyphsBuilt = state.size() == 9; // right after glEnable(GL_TEXTURE_2D)
            continue;
        }
#ifdef _WIN32
        // GDI is tried first there; the test backend has no device context, so its lists go.
        if (line.rfind("glDeleteLists(", 0) == 0 && line.find(", 96)") != std::string::npos)
            continue;
#endif
        if (line.rfind("glNewList", 0) == 0 || line.rfind("glBitmap", 0) == 0 ||
            line.rfind("glEndList", 0) == 0 || line.rfind("glPixelStorei", 0) == 0)
            continue;
        state.push_back(line);
    }
    EXPECT_TRUE(glyphsBuilt);
    EXPECT_EQ(state,
              (std::vector<std::string>{"glClearColor(0, 0, 0, 0)", "glShadeModel(7425)",
                                        "glClearDepth(1)", "glEnable(2929)", "glDepthFunc(513)",
                                        "glCullFace(1029)", "glEnable(2884)", "glHint(3152, 4354)",
                                        "glEnable(3553)", "glEnable(2896)", "glEnable(16384)"}));
}

TEST_F(SceneTrace, CreatingTheSceneReadsFourLimits) {
    TQGLScene scene(64, 64);
    std::vector<double> pnames;
    for (const auto& c : GLRecorder::Calls())
        if (c.name == "glGetIntegerv") pnames.push_back(c.args[0]);
    EXPECT_EQ(pnames,
              (std::vector<double>{GL_MAX_TEXTURE_UNITS_ARB, GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT,
                                   GL_MAX_TEXTURE_SIZE, GL_MAX_3D_TEXTURE_SIZE}));
    EXPECT_DOUBLE_EQ(scene.camera.speed, 50.0);
}

TEST_F(SceneTrace, ResizeSetsAFortyFiveDegreeProjectionWithFarPlane2000) {
    TQGLWinDLLScreen screen(640, 480);
    GLRecorder::Clear();
    screen.Resize(800, 0);
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glViewport(0, 0, 800, 1)", "glMatrixMode(5889)",
                                        "glLoadIdentity()", "gluPerspective(45, 800, 1, 2000)",
                                        "glMatrixMode(5888)", "glLoadIdentity()"}));
    EXPECT_EQ(screen.height, 1);
}

TEST_F(SceneTrace, AWindowResizeUsesFarPlane100AndMovesTheCameraCentre) {
    TQGLWinDLLScreen screen(640, 480);
    screen.scene = std::make_unique<TQGLScene>(640, 480);
    GLRecorder::Clear();
    screen.ResizeRenderWindow(301, 199);
    EXPECT_EQ(GLRecorder::Calls()[3].ToString(), "gluPerspective(45, 1.51256, 1, 100)");
    EXPECT_EQ(screen.scene->camera.centreX, 150);
    EXPECT_EQ(screen.scene->camera.centreY, 99);
    EXPECT_EQ(screen.scene->width, 640); // the scene keeps its creation size
}

TEST_F(SceneTrace, InitRenderStateSetsTheBaseState) {
    TQGLWinDLLScreen screen(64, 64);
    GLRecorder::Clear();
    screen.InitRenderState();
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glClearColor(0, 0, 0, 0)", "glShadeModel(7425)",
                                        "glClearDepth(1)", "glEnable(2929)", "glDepthFunc(513)",
                                        "glHint(3152, 4354)", "glEnable(3553)"}));
}

TEST(ViewCamera, PositionAndUpComeFromTheCameraMatrix) {
    // Camera at (3, 4, 5) turned 90 degrees about Y: model-view = T(-p) * RotY(-90).
    const Mat4 view = MatrixMultiply(MatrixTranslation({-3, -4, -5}), MatrixRotY(-1.5707963f));
    Vec3 pos, up;
    CameraFromMatrix(view.m, pos, up);
    EXPECT_NEAR(pos.x, 3, 1e-4);
    EXPECT_NEAR(pos.y, 4, 1e-4);
    EXPECT_NEAR(pos.z, 5, 1e-4);
    EXPECT_NEAR(up.y, 1, 1e-6);
}

TEST_F(SceneTrace, TheSceneMapIsCopiedIntoTheMapMaterialsRenderTarget) {
    TQGLScene scene(300, 200);
    scene.mapRender = true;
    scene.mapTextureSize = 32;
    TQGLMaterial* map = scene.materials.AddMaterial(std::make_unique<TQGLMaterial>("map"));
    scene.materials.AddRenderTargetShader(map, 32);
    scene.mapMaterial = map;
    GLRecorder::Clear();
    scene.Render();
    const std::vector<std::string> lines = GLRecorder::Lines();
    const auto copy =
        std::find(lines.begin(), lines.end(), "glCopyTexImage2D(3553, 0, 6407, 0, 0, 32, 32, 0)");
    ASSERT_NE(copy, lines.end());
    // The copy happens before the frame's own clear, so the map never shows on screen.
    EXPECT_NE(std::find(copy, lines.end(), "glClear(16640)"), lines.end());
}
