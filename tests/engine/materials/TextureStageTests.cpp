// The plain and animated texture stage, the stage list and the texture list: what is bound on
// which unit, when animation frames switch, and the GL objects textures create and delete.
#include "common/EngineError.h"
#include "engine/materials/BumpMapShader.h"
#include "engine/materials/CubeMapShader.h"
#include "engine/materials/GLSLShader.h"
#include "engine/materials/MaterialList.h"
#include "engine/materials/SphereMapShader.h"
#include "engine/materials/RenderTargetShader.h"
#include "engine/materials/Shader.h"
#include "engine/materials/States.h"
#include "engine/materials/Texture.h"
#include "engine/materials/TextureShader.h"
#include "platform/gl/GLRecorder.h"

#include <gtest/gtest.h>

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

TEST(StageList, EveryKindWithAStageClassCreatesItsStageAndNoOtherKindDoes) {
    TQGLShaders list;
    EXPECT_FALSE(list.HasShaders());
    TQGLShader* stage = list.AddShader(kTextureStage);
    ASSERT_NE(stage, nullptr);
    EXPECT_NE(dynamic_cast<TQGLTextureShader*>(stage), nullptr);
    EXPECT_EQ(stage->kind, kTextureStage);
    for (uint8_t none : {uint8_t(kNoStage), uint8_t(7), uint8_t(255)})
        EXPECT_EQ(list.AddShader(none), nullptr);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_THROW(list.Items(1), EngineError);
    EXPECT_NE(dynamic_cast<TQGLRenderTargetShader*>(list.AddShader(kRenderTargetStage)), nullptr);
    gl::GLRecorder::Install(); // the bump-map stage compiles its programs when it is made
    EXPECT_NE(dynamic_cast<TQGLCubeMapShader*>(list.AddShader(kCubeMapStage)), nullptr);
    EXPECT_NE(dynamic_cast<TQGLSphereMapShader*>(list.AddShader(kSphereMapStage)), nullptr);
    EXPECT_NE(dynamic_cast<TQGLBumpMapShader*>(list.AddShader(kBumpMapStage)), nullptr);
    EXPECT_NE(dynamic_cast<TQGLGLSLShader*>(list.AddShader(kGLSLStage)), nullptr);
    EXPECT_EQ(list.Count(), 6);
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_EQ(list.Items(i)->UnappliedOnSwitch(), list.Items(i)->kind != kRenderTargetStage);
    gl::GLRecorder::Uninstall();
}

TEST(RenderTargetStage, BindsItsTextureAndCopiesTheLowerLeftSquare) {
    gl::GLRecorder::Install();
    TQGLStates states;
    TQGLMaterialList materials(&states);
    TQGLMaterial* m = materials.AddMaterial(std::make_unique<TQGLMaterial>("map"));
    TQGLTexture* texture = materials.AddRenderTargetShader(m, 64);
    auto* stage = dynamic_cast<TQGLRenderTargetShader*>(m->shaders.Items(0));
    ASSERT_NE(stage, nullptr);
    EXPECT_EQ(stage->size, 64);
    EXPECT_EQ(texture->name, "RenderTargetTexture");
    gl::GLRecorder::Clear();
    stage->CopyFromFrameBuffer(64);
    EXPECT_EQ(
        gl::GLRecorder::Lines(),
        (std::vector<std::string>{"glBindTexture(3553, " + std::to_string(texture->handle) + ")",
                                  "glCopyTexImage2D(3553, 0, 6407, 0, 0, 64, 64, 0)"}));
    gl::GLRecorder::Clear();
    m->Apply(0);
    m->Unapply(); // the material never unapplies a render-target stage itself
    EXPECT_EQ(gl::GLRecorder::Count("glBindTexture"), 1);
    EXPECT_FALSE(states.IsEnabled(GL_TEXTURE0)); // switched off by the closing reset

    TQGLRenderTargetShader empty;
    empty.states = &states;
    gl::GLRecorder::Clear();
    empty.CopyFromFrameBuffer(64);
    EXPECT_EQ(gl::GLRecorder::Count("glCopyTexImage2D"), 0);
    gl::GLRecorder::Uninstall();
}

TEST(TextureList, OneUnnamedTextureCountsAsNoneAndNamesLoseTheirDirectory) {
    gl::ScopedNullDispatch noGL;
    TQGLTextures list;
    EXPECT_FALSE(list.HasTexture());
    list.AddExisting("", 0);
    EXPECT_FALSE(list.HasTexture());
    list.AddExisting("C:\\game\\maps\\wall.bmp", 0);
    EXPECT_TRUE(list.HasTexture());
    EXPECT_EQ(list.Items(1)->name, "wall.bmp");
    EXPECT_EQ(FileNameWithoutDirectory("maps/sub/floor.tga"), "floor.tga");
    int major = 0, minor = 0;
    EXPECT_TRUE(ParseGLVersion("4.6 (Compatibility Profile) Mesa 23.2.1", major, minor));
    EXPECT_EQ(major * 10 + minor, 46);
    for (const char* bad : {"recording", "2", ""})
        EXPECT_FALSE(ParseGLVersion(bad, major, minor)) << bad;
}

TEST_F(StageTrace, ARenderTargetIsAnRgbTextureWithLinearFiltersAndNoMipmaps) {
    TQGLTextures list;
    TQGLTexture* target = list.AddRenderTarget(128);
    EXPECT_NE(target->handle, 0u);
    std::vector<std::string> lines = GLRecorder::Lines();
    lines.erase(lines.begin() + 1); // the bind of the generated name, checked below
    EXPECT_EQ(lines,
              (std::vector<std::string>{"glGenTextures(1, 1)", "glTexEnvi(8960, 8704, 8448)",
                                        "glTexImage2D(3553, 0, 3, 128, 128, 0, 6407, 5121, 0)",
                                        "glTexParameteri(3553, 10240, 9729)",
                                        "glTexParameteri(3553, 10241, 9729)"}));
    EXPECT_EQ(GLRecorder::Lines()[1],
              "glBindTexture(3553, " + std::to_string(target->handle) + ")");
    EXPECT_EQ(target->name, "RenderTargetTexture");
}

TEST_F(StageTrace, AGLNameIsDeletedOnceWithTheLastTextureThatHoldsIt) {
    {
        TQGLTextures first, second;
        first.AddExisting("wall.bmp", 6);
        second.AddExisting("wall.bmp", 6);
        second.AddExisting("none.bmp", 0);
        first.Delete(0);
        EXPECT_EQ(GLRecorder::Count("glDeleteTextures"), 0);
    }
    EXPECT_EQ(GLRecorder::Lines(), (std::vector<std::string>{"glDeleteTextures(1, 1)"}));
}

namespace {
const GLubyte* APIENTRY OldVersion(GLenum) {
    return reinterpret_cast<const GLubyte*>("1.1.0 Old Vendor");
}
} // namespace

TEST_F(StageTrace, ClampBecomesClampToEdgeFromVersion12AndOnlyNamedTexturesAreTouched) {
    TQGLTextures list;
    TQGLTexture* none = list.AddExisting("none.bmp", 0);
    none->SetWrapS(GL_CLAMP);
    EXPECT_EQ(none->wrapS, static_cast<GLenum>(GL_CLAMP));
    EXPECT_EQ(GLRecorder::Count("glTexParameteri"), 0);

    TQGLTexture* sky = list.AddExisting("sky.bmp", 4);
    sky->target = GL_TEXTURE_CUBE_MAP;
    sky->SetWrapS(GL_CLAMP); // the recorder's version string is unreadable: counts as modern
    sky->SetWrapT(GL_REPEAT);
    std::vector<std::string> lines;
    for (const std::string& l : GLRecorder::Lines())
        if (l.rfind("glGetString", 0) != 0) lines.push_back(l);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "glBindTexture(34067, 4)", "glTexParameteri(34067, 10242, 33071)",
                         "glBindTexture(34067, 4)", "glTexParameteri(34067, 10243, 10497)"}));

    gl::Dispatch old = *gl::g_active;
    old.glGetString = &OldVersion;
    gl::Dispatch* recording = gl::g_active;
    gl::g_active = &old;
    const GLenum onOldGL = EffectiveWrapMode(GL_CLAMP);
    gl::g_active = recording;
    EXPECT_EQ(onOldGL, static_cast<GLenum>(GL_CLAMP));
}

TEST_F(StageTrace, APlainStageBindsEveryTextureOnItsUnitAndAnEmptyOneSwitchesUnitZeroOff) {
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
    // Without a (named) texture the stage switches unit 0 off, through the cache.
    TQGLTextureShader* empty = NewTextureStage(list, states);
    empty->textures.AddExisting("", 8);
    states.SetTextureUnit(GL_TEXTURE0, true);
    GLRecorder::Clear();
    empty->Apply(0);
    empty->Apply(0);
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glActiveTextureARB(33984)", "glDisable(3553)"}));
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
    // 250 is exactly one interval after the switch at 150: not yet.
    for (uint32_t ticks : {0u, 50u, 150u, 160u, 250u, 300u, 401u, 450u})
        stage->Apply(ticks);
    EXPECT_EQ(BoundNames(), (std::vector<GLuint>{11, 11, 12, 12, 12, 13, 11, 11}));
    EXPECT_EQ(stage->currentFrame, 0);
    EXPECT_EQ(stage->lastSwitch, 401);
}

TEST_F(StageTrace, TexturesOutsideTheFrameRangeAreBoundAroundItAndNothingPastTheList) {
    TQGLShaders list;
    TQGLTextureShader* stage = NewTextureStage(list, states);
    for (GLuint h = 1; h <= 4; ++h)
        stage->textures.AddExisting("t.bmp", h);
    stage->animated = true;
    stage->firstFrame = stage->currentFrame = 1;
    stage->lastFrame = 2;
    stage->frameInterval = 10;
    for (uint32_t ticks : {5u, 100u, 200u}) // frame 1, 2, then back to the first of the range
        stage->Apply(ticks);
    EXPECT_EQ(BoundNames(), (std::vector<GLuint>{1, 2, 4, 1, 3, 4, 1, 2, 4}));

    stage->firstFrame = stage->currentFrame = 0;
    stage->lastFrame = 5; // past the four textures
    GLRecorder::Clear();
    for (uint32_t ticks = 300; ticks <= 360; ticks += 20) // frames 1, 2, 3, 4
        EXPECT_NO_THROW(stage->Apply(ticks));
    EXPECT_EQ(BoundNames(), (std::vector<GLuint>{2, 3, 4}));
}

namespace {
std::vector<uint8_t> g_uploaded;
GLenum g_format = 0;
GLint APIENTRY CaptureMipmaps(GLenum target, GLint internalFormat, GLsizei w, GLsizei h,
                              GLenum format, GLenum type, const void* data) {
    GLRecorder::Record("gluBuild2DMipmaps", {double(target), double(internalFormat), double(w),
                                             double(h), double(format), double(type), 1});
    g_format = format;
    const size_t n = size_t(w) * h * (format == GL_RGBA ? 4 : 3);
    g_uploaded.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + n);
    return 0;
}
} // namespace

TEST_F(StageTrace, BitmapsUploadBottomRowFirstInRedGreenBlueOrder) {
    gl::Dispatch capturing = *gl::g_active;
    capturing.gluBuild2DMipmaps = &CaptureMipmaps;
    gl::g_active = &capturing;
    Bitmap bgr; // 2 x 2, top row first
    bgr.width = bgr.height = 2;
    bgr.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    TQGLTextures list;
    TQGLTexture* texture =
        list.AddFromBitmap("maps\\bgr.bmp", bgr, GL_TEXTURE_2D, GL_LINEAR, GL_LINEAR);
    EXPECT_EQ(texture->name, "bgr.bmp");
    EXPECT_NE(texture->handle, 0u);
    EXPECT_EQ(g_format, static_cast<GLenum>(GL_RGB));
    EXPECT_EQ(g_uploaded, (std::vector<uint8_t>{9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4}));

    list.AddFromGraphic("g", bgr, GL_TEXTURE_2D, GL_LINEAR, GL_LINEAR);
    EXPECT_EQ(g_format, static_cast<GLenum>(GL_RGBA));
    EXPECT_EQ(g_uploaded,
              (std::vector<uint8_t>{9, 8, 7, 255, 12, 11, 10, 255, 3, 2, 1, 255, 6, 5, 4, 255}));
    Bitmap bgrx;
    bgrx.width = 1;
    bgrx.height = 2;
    bgrx.format = BitmapFormat::Bgrx32;
    bgrx.pixels = {1, 2, 3, 0, 4, 5, 6, 0};
    list.AddFromBitmap("x", bgrx, GL_TEXTURE_2D, GL_LINEAR, GL_LINEAR);
    EXPECT_EQ(g_uploaded, (std::vector<uint8_t>{6, 5, 4, 255, 3, 2, 1, 255}));
    // What the file decoders hand over, bottom line first and red first, goes up as it lies.
    Bitmap decoded = bgrx;
    decoded.format = BitmapFormat::Rgba32;
    decoded.rows = RowOrder::BottomUp;
    list.AddFromBitmap("decoded", decoded, GL_TEXTURE_2D, GL_LINEAR, GL_LINEAR);
    EXPECT_EQ(g_uploaded, (std::vector<uint8_t>{1, 2, 3, 255, 4, 5, 6, 255}));

    bgrx.pixels.pop_back(); // one byte short of its size
    EXPECT_THROW(list.AddFromBitmap32("short", bgrx, GL_TEXTURE_2D, GL_LINEAR, GL_LINEAR),
                 EngineError);
    EXPECT_EQ(list.Count(), 4);
}
