// GL-trace tests of material Apply and Unapply: the order of the texture-unit, stage,
// lighting, fog and blending calls, and the colours sent to GL.
#include "common/EngineError.h"
#include "engine/materials/FogSwitch.h"
#include "engine/materials/Material.h"
#include "engine/materials/States.h"
#include "platform/gl/GLRecorder.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

using namespace quarn;
using gl::GLRecorder;

namespace {

using Rgba = std::array<float, 4>;
// The recorder logs pointers as 0/1; this keeps the values of every glMaterialfv.
std::map<GLenum, Rgba> g_sent;

void APIENTRY CaptureMaterial(GLenum face, GLenum pname, const GLfloat* v) {
    GLRecorder::Record("glMaterialfv", {double(face), double(pname), 1.0});
    g_sent[pname] = pname == GL_SHININESS ? Rgba{v[0], 0, 0, 0} : Rgba{v[0], v[1], v[2], v[3]};
}

class MaterialTrace : public ::testing::Test {
  protected:
    void SetUp() override {
        GLRecorder::Install();
        capturing_ = *gl::g_active;
        capturing_.glMaterialfv = &CaptureMaterial;
        gl::g_active = &capturing_;
        g_sent.clear();
        SetGlobalFogShown(false);
        material.states = &states;
    }
    void TearDown() override { GLRecorder::Uninstall(); }

    void AddTextureStage(GLuint handle, GLenum unit) {
        TQGLShader* stage = material.shaders.AddShader(kTextureStage);
        stage->states = &states;
        stage->textures.AddExisting("t.bmp", handle)->unit = unit;
    }

    gl::Dispatch capturing_;
    TQGLStates states;
    TQGLMaterial material{"stone"};
};

std::vector<std::string> WithLitColours(std::vector<std::string> lines) {
    for (const char* l : {"glMaterialfv(1032, 4608, 1)", "glMaterialfv(1032, 4609, 1)",
                          "glMaterialfv(1032, 5633, 1)", "glMaterialfv(1032, 4610, 1)",
                          "glMaterialfv(1032, 5632, 1)", "glEnable(2896)"})
        lines.push_back(l); // ambient, diffuse, shininess, specular, emission, lighting
    return lines;
}

} // namespace

TEST_F(MaterialTrace, AMaterialWithoutStagesDrawsUntexturedWithItsColoursAndEmissionSum) {
    material.Apply(0);
    EXPECT_EQ(GLRecorder::Lines(), WithLitColours({"glDisable(3553)"}));
    EXPECT_EQ(g_sent[GL_AMBIENT], (Rgba{0.8f, 0.8f, 0.8f, 1.0f})); // the reverse of GL's
    EXPECT_EQ(g_sent[GL_DIFFUSE], (Rgba{0.2f, 0.2f, 0.2f, 1.0f}));
    EXPECT_EQ(g_sent[GL_SPECULAR], (Rgba{0, 0, 0, 1.0f}));
    GLRecorder::Clear();
    material.Unapply();
    EXPECT_TRUE(GLRecorder::Calls().empty()); // no stages, no blending, fog not shown

    // Emission is the material's own plus the global emissive.
    material.emissive = {0.1f, 0.2f, 0.3f};
    material.globalEmissive = {0.5f, 0.25f, 0.125f};
    material.gloss = 40.0f;
    material.Apply(0);
    EXPECT_FLOAT_EQ(g_sent[GL_EMISSION][0], 0.6f);
    EXPECT_FLOAT_EQ(g_sent[GL_EMISSION][1], 0.45f);
    EXPECT_FLOAT_EQ(g_sent[GL_EMISSION][2], 0.425f);
    EXPECT_EQ(g_sent[GL_SHININESS][0], 40.0f);
}

TEST_F(MaterialTrace, StagesApplyAfterTheUnitsAreResetAndUnapplyFirstToLast) {
    states.SetTextureUnit(GL_TEXTURE3, true); // left on by a previous material
    AddTextureStage(7, GL_TEXTURE1);
    AddTextureStage(8, GL_TEXTURE0);
    GLRecorder::Clear();
    material.Apply(0);
    EXPECT_EQ(GLRecorder::Lines(),
              WithLitColours({"glActiveTextureARB(33987)", "glDisable(3553)", // reset
                              "glActiveTextureARB(33985)", "glEnable(3553)",
                              "glBindTexture(3553, 7)", "glTexEnvi(8960, 8704, 8448)",
                              "glActiveTextureARB(33984)", "glEnable(3553)",
                              "glBindTexture(3553, 8)", "glTexEnvi(8960, 8704, 8448)"}));
    GLRecorder::Clear();
    material.Unapply();
    // The first stage's reset switches both units off; the rest find nothing to do.
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glActiveTextureARB(33984)", "glDisable(3553)",
                                        "glActiveTextureARB(33985)", "glDisable(3553)"}));
}

TEST_F(MaterialTrace, BlendingIsSetLastAndResetToZeroOneWhileLightingIsLeftAlone) {
    material.lightFlag = false;
    material.blendFlag = true;
    material.blendSource = GL_SRC_ALPHA;
    material.blendDest = GL_ONE_MINUS_SRC_ALPHA;
    material.Apply(0);
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glDisable(3553)", "glDisable(2896)",
                                        "glBlendFunc(770, 771)", "glEnable(3042)"}));
    EXPECT_TRUE(g_sent.empty());
    GLRecorder::Clear();
    material.Unapply();
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glBlendFunc(0, 1)", "glDisable(3042)"}));
}

TEST_F(MaterialTrace, AMaterialHidesFogOnlyWhileFogIsShown) {
    material.showFogFlag = false;
    material.blendFlag = true;
    material.Apply(0);
    material.Unapply();
    for (const std::string& l : GLRecorder::Lines())
        EXPECT_EQ(l.find("2912"), std::string::npos) << l;

    SetGlobalFogShown(true);
    GLRecorder::Clear();
    material.Apply(0);
    std::vector<std::string> lines = GLRecorder::Lines();
    ASSERT_GE(lines.size(), 4u); // after the lighting, before the blending
    EXPECT_EQ(lines[lines.size() - 4], "glEnable(2896)");
    EXPECT_EQ(lines[lines.size() - 3], "glDisable(2912)");
    GLRecorder::Clear();
    material.Unapply();
    EXPECT_EQ(GLRecorder::Lines().back(), "glEnable(2912)");

    material.showFogFlag = true;
    GLRecorder::Clear();
    material.Apply(0);
    material.Unapply();
    EXPECT_EQ(GLRecorder::Count("glEnable") + GLRecorder::Count("glDisable"), 4);
}

TEST_F(MaterialTrace, MissingTextureUnitCachesRaiseOrAreHandedDown) {
    TQGLShader* stage = material.shaders.AddShader(kTextureStage);
    stage->textures.AddExisting("a.bmp", 2);
    EXPECT_THROW(stage->Apply(0), EngineError);
    material.Apply(0); // the material hands its cache to the stage
    EXPECT_EQ(stage->states, &states);
    TQGLMaterial loose("loose");
    EXPECT_THROW(loose.Apply(0), EngineError);
}
