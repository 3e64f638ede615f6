// The plain and animated texture stage, the stage list and the texture list: what is bound on
// which unit, when animation frames switch, and the GL objects textures create and delete.
#include "common/EngineError.h"
#include "engine/materials/Shader.h"
#include "engine/materials/States.h"
#include "engine/materials/Texture.h"
#include "engine/materials/TextureShader.h"
#include "platform/gl/GLRecorder.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace quarn;
using gl::GLRecorder;

namespace {

class StageTrace : public ::testing::Test {
  protected:
    void SetUp() override { GLRecorder::Install(); }
    void TearDown() override { GLRecorder::Uninstall(); }

    // The texture names glBindTexture received, in order.
    static std::vector<GLuint> BoundNames() {
        std::vector<GLuint> out;
        for (const gl::RecordedCall& c : GLRecorder::Calls())
            if (c.name == "glBindTexture") out.push_back(static_cast<GLuint>(c.args[1]));
        return out;
    }

    TQGLStates states;
};

TQGLTextureShader* NewTextureStage(TQGLShaders& list, TQGLStates& states) {
    TQGLShader* stage = list.AddShader(kTextureStage);
    stage->states = &states;
    return static_cast<TQGLTextureShader*>(stage);
}

} // namespace

TEST(StageList, OnlyKindsWithAStageClassCreateAStage) {
    TQGLShaders list;
    EXPECT_FALSE(list.HasShaders());
    TQGLShader* stage = list.AddShader(kTextureStage);
    ASSERT_NE(stage, nullptr);
    EXPECT_NE(dynamic_cast<TQGLTextureShader*>(stage), nullptr);
    EXPECT_EQ(stage->kind, kTextureStage);
    EXPECT_EQ(list.AddShader(kNoStage), nullptr);
    EXPECT_EQ(list.AddShader(7), nullptr);
    EXPECT_EQ(list.AddShader(255), nullptr);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(list.HasShaders());
    EXPECT_EQ(list.Items(0), stage);
    EXPECT_THROW(list.Items(1), EngineError);
}

TEST(TextureList, HasTextureNeedsANamedTextureWhenThereIsOnlyOne) {
    gl::ScopedNullDispatch noGL;
    TQGLTextures list;
    EXPECT_FALSE(list.HasTexture());
    list.AddExisting("", 0);
    EXPECT_FALSE(list.HasTexture());
    list.AddExisting("", 0);
    EXPECT_TRUE(list.HasTexture());
    TQGLTextures named;
    named.AddExisting("maps\\wall.bmp", 0);
    EXPECT_TRUE(named.HasTexture());
    EXPECT_EQ(named.Items(0)->name, "wall.bmp");
}

TEST(TextureList, FileNamesLoseEitherKindOfDirectory) {
    EXPECT_EQ(FileNameWithoutDirectory("C:\\game\\maps\\wall.bmp"), "wall.bmp");
    EXPECT_EQ(FileNameWithoutDirectory("maps/sub/floor.tga"), "floor.tga");
    EXPECT_EQ(FileNameWithoutDirectory("sky.jpg"), "sky.jpg");
    EXPECT_EQ(FileNameWithoutDirectory("maps/"), "");
}

TEST(TextureList, VersionStringsAreReadFromTheirStart) {
    int major = 0, minor = 0;
    EXPECT_TRUE(ParseGLVersion("4.6 (Compatibility Profile) Mesa 23.2.1", major, minor));
    EXPECT_EQ(major, 4);
    EXPECT_EQ(minor, 6);
    EXPECT_TRUE(ParseGLVersion("1.1.0", major, minor));
    EXPECT_EQ(major, 1);
    EXPECT_EQ(minor, 1);
    EXPECT_FALSE(ParseGLVersion("recording", major, minor));
    EXPECT_FALSE(ParseGLVersion("2", major, minor));
    EXPECT_FALSE(ParseGLVersion("", major, minor));
    EXPECT_FALSE(ParseGLVersion(nullptr, major, minor));
}

TEST_F(StageTrace, AFileThatCannotBeLoadedLeavesANamedTextureWithoutGLName) {
    TQGLTextures list;
    GLuint handle = 99;
    TQGLTexture* texture =
        list.AddFromFile(GL_TEXTURE_2D, "no-such-file.bmp", GL_LINEAR, GL_NEAREST, handle);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(texture->handle, 0u);
    EXPECT_EQ(texture->name, "no-such-file.bmp");
    EXPECT_EQ(texture->minFilter, static_cast<GLenum>(GL_NEAREST));
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(texture->path, std::string(cwd) + "/no-such-file.bmp");
    TQGLTexture* inDirectory =
        list.AddFromFile(GL_TEXTURE_2D, "maps/none.tga", GL_LINEAR, GL_LINEAR, handle);
    EXPECT_EQ(inDirectory->path, "maps/none.tga");
    EXPECT_EQ(GLRecorder::Count("glGenTextures"), 0);
}

TEST_F(StageTrace, ARenderTargetIsAnRgbTextureWithLinearFiltersAndNoMipmaps) {
    TQGLTextures list;
    TQGLTexture* target = list.AddRenderTarget(128);
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{
                  "glGenTextures(1, 1)", "glBindTexture(3553, 1)", "glTexEnvi(8960, 8704, 8448)",
                  "glTexImage2D(3553, 0, 3, 128, 128, 0, 6407, 5121, 0)",
                  "glTexParameteri(3553, 10240, 9729)", "glTexParameteri(3553, 10241, 9729)"}));
    EXPECT_EQ(target->handle, 1u);
    EXPECT_EQ(target->name, "RenderTargetTexture");
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(GLRecorder::Count("gluBuild2DMipmaps"), 0);
}

TEST_F(StageTrace, DestroyingATextureDeletesItsGLNameOnce) {
    {
        TQGLTextures list;
        list.AddExisting("a.bmp", 5);
        list.AddExisting("none.bmp", 0);
    }
    EXPECT_EQ(GLRecorder::Lines(), (std::vector<std::string>{"glDeleteTextures(1, 1)"}));
}

TEST_F(StageTrace, ASharedGLNameOutlivesAllButItsLastTexture) {
    TQGLTextures first, second;
    first.AddExisting("wall.bmp", 6);
    second.AddExisting("wall.bmp", 6);
    first.Delete(0);
    EXPECT_EQ(GLRecorder::Count("glDeleteTextures"), 0);
    second.Delete(0);
    EXPECT_EQ(GLRecorder::Count("glDeleteTextures"), 1);
}

TEST_F(StageTrace, ClampBecomesClampToEdgeOnModernGLAndOnlyTexturesWithANameAreTouched) {
    TQGLTextures list;
    TQGLTexture* none = list.AddExisting("none.bmp", 0);
    none->SetWrapS(GL_CLAMP);
    EXPECT_EQ(none->wrapS, static_cast<GLenum>(GL_CLAMP));
    EXPECT_EQ(GLRecorder::Count("glTexParameteri"), 0);

    TQGLTexture* sky = list.AddExisting("sky.bmp", 4);
    sky->target = GL_TEXTURE_CUBE_MAP;
    GLRecorder::Clear();
    sky->SetWrapS(GL_CLAMP);
    sky->SetWrapT(GL_REPEAT);
    const std::vector<std::string> lines = GLRecorder::Lines();
    const std::vector<std::string> wanted = {
        "glBindTexture(34067, 4)", "glTexParameteri(34067, 10242, 33071)", // clamp to edge
        "glBindTexture(34067, 4)", "glTexParameteri(34067, 10243, 10497)"};
    std::vector<std::string> withoutQueries;
    for (const std::string& l : lines)
        if (l.rfind("glGetString", 0) != 0) withoutQueries.push_back(l);
    EXPECT_EQ(withoutQueries, wanted);
    EXPECT_EQ(sky->wrapS, static_cast<GLenum>(GL_CLAMP));
    EXPECT_EQ(sky->wrapT, static_cast<GLenum>(GL_REPEAT));
}

namespace {
const GLubyte* OldVersion(GLenum) {
    return reinterpret_cast<const GLubyte*>("1.1.0 Old Vendor");
}
} // namespace

TEST_F(StageTrace, ClampStaysClampBeforeVersion12) {
    gl::Dispatch old = *gl::g_active;
    old.glGetString = &OldVersion;
    gl::Dispatch* recording = gl::g_active;
    gl::g_active = &old;
    const GLenum mode = EffectiveWrapMode(GL_CLAMP);
    gl::g_active = recording;
    EXPECT_EQ(mode, static_cast<GLenum>(GL_CLAMP));
    EXPECT_EQ(EffectiveWrapMode(GL_CLAMP), static_cast<GLenum>(GL_CLAMP_TO_EDGE));
    EXPECT_EQ(EffectiveWrapMode(GL_MIRRORED_REPEAT), static_cast<GLenum>(GL_MIRRORED_REPEAT));
}

TEST_F(StageTrace, APlainStageBindsEveryTextureOnItsUnitWithItsEnvMode) {
    TQGLShaders list;
    TQGLTextureShader* stage = NewTextureStage(list, states);
    stage->textures.AddExisting("base.bmp", 3);
    TQGLTexture* detail = stage->textures.AddExisting("detail.bmp", 4);
    detail->unit = GL_TEXTURE1;
    detail->envMode = GL_DECAL;
    GLRecorder::Clear();
    stage->Apply(0);
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glActiveTextureARB(33984)", "glEnable(3553)",
                                        "glBindTexture(3553, 3)", "glTexEnvi(8960, 8704, 8448)",
                                        "glActiveTextureARB(33985)", "glEnable(3553)",
                                        "glBindTexture(3553, 4)", "glTexEnvi(8960, 8704, 8449)"}));
    GLRecorder::Clear();
    stage->Unapply();
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glActiveTextureARB(33984)", "glDisable(3553)",
                                        "glActiveTextureARB(33985)", "glDisable(3553)"}));
}

TEST_F(StageTrace, AStageWithoutTexturesSwitchesUnitZeroOff) {
    TQGLShaders list;
    TQGLTextureShader* stage = NewTextureStage(list, states);
    stage->textures.AddExisting("", 8); // one unnamed texture counts as none
    states.SetTextureUnit(GL_TEXTURE0, true);
    GLRecorder::Clear();
    stage->Apply(0);
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glActiveTextureARB(33984)", "glDisable(3553)"}));
    GLRecorder::Clear();
    stage->Apply(0);
    EXPECT_TRUE(GLRecorder::Calls().empty());
}

TEST_F(StageTrace, AnAnimatedStageShowsEachFrameForAtLeastItsInterval) {
    TQGLShaders list;
    TQGLTextureShader* stage = NewTextureStage(list, states);
    for (GLuint h = 11; h <= 13; ++h)
        stage->textures.AddExisting("frame" + std::to_string(h) + ".bmp", h);
    stage->animated = true;
    stage->firstFrame = 0;
    stage->lastFrame = 2;
    stage->frameInterval = 100;
    GLRecorder::Clear();
    for (uint32_t ticks : {0u, 50u, 150u, 160u, 300u, 401u, 450u})
        stage->Apply(ticks);
    EXPECT_EQ(BoundNames(), (std::vector<GLuint>{11, 11, 12, 12, 13, 11, 11}));
    EXPECT_EQ(stage->currentFrame, 0);
    EXPECT_EQ(stage->lastSwitch, 401);
}

TEST_F(StageTrace, TexturesOutsideTheFrameRangeAreBoundAroundTheFrame) {
    TQGLShaders list;
    TQGLTextureShader* stage = NewTextureStage(list, states);
    stage->textures.AddExisting("under.bmp", 1);
    stage->textures.AddExisting("f1.bmp", 2);
    stage->textures.AddExisting("f2.bmp", 3);
    stage->textures.AddExisting("over.bmp", 4)->unit = GL_TEXTURE1;
    stage->animated = true;
    stage->firstFrame = 1;
    stage->lastFrame = 2;
    stage->currentFrame = 1;
    stage->frameInterval = 10;
    GLRecorder::Clear();
    stage->Apply(5);   // no switch yet: frame 1
    stage->Apply(100); // switch: frame 2
    stage->Apply(200); // past the last frame: back to the first of the range
    EXPECT_EQ(BoundNames(), (std::vector<GLuint>{1, 2, 4, 1, 3, 4, 1, 2, 4}));
}

TEST_F(StageTrace, AFrameRangePastTheTextureListNeverReadsOutsideIt) {
    TQGLShaders list;
    TQGLTextureShader* stage = NewTextureStage(list, states);
    stage->textures.AddExisting("a.bmp", 1);
    stage->textures.AddExisting("b.bmp", 2);
    stage->animated = true;
    stage->lastFrame = 4;
    stage->frameInterval = 0;
    GLRecorder::Clear();
    for (uint32_t ticks = 1; ticks <= 6; ++ticks)
        EXPECT_NO_THROW(stage->Apply(ticks));
    // Frames 1, 2, 3, 4, 0, 1: only those that exist are bound.
    EXPECT_EQ(BoundNames(), (std::vector<GLuint>{2, 1, 2}));
}

TEST_F(StageTrace, AStageThatWasNeverGivenTheCacheRaisesInsteadOfCrashing) {
    TQGLShaders list;
    TQGLShader* stage = list.AddShader(kTextureStage);
    stage->textures.AddExisting("a.bmp", 1);
    EXPECT_THROW(stage->Apply(0), EngineError);
    EXPECT_THROW(stage->Unapply(), EngineError);
}
