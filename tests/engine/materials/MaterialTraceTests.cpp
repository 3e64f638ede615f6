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

// The recorder logs pointers as 0/1; this keeps the four floats of every glMaterialfv.
std::map<GLenum, std::array<float, 4>> g_sent;

void CaptureMaterial(GLenum face, GLenum pname, const GLfloat* values) {
    GLRecorder::Record("glMaterialfv", {double(face), double(pname), 1.0});
    std::array<float, 4> v{values[0], 0, 0, 0};
    if (pname != GL_SHININESS) v = {values[0], values[1], values[2], values[3]};
    g_sent[pname] = v;
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

    TQGLShader* AddTextureStage(GLuint handle, GLenum unit) {
        TQGLShader* stage = material.shaders.AddShader(kTextureStage);
        stage->states = &states;
        stage->textures.AddExisting("t" + std::to_string(handle) + ".bmp", handle)->unit = unit;
        return stage;
    }

    gl::Dispatch capturing_;
    TQGLStates states;
    TQGLMaterial material{"stone"};
};

const std::vector<std::string> kLitColours = {"glMaterialfv(1032, 4608, 1)", // ambient
                                              "glMaterialfv(1032, 4609, 1)", // diffuse
                                              "glMaterialfv(1032, 5633, 1)", // shininess
                                              "glMaterialfv(1032, 4610, 1)", // specular
                                              "glMaterialfv(1032, 5632, 1)", // emission
                                              "glEnable(2896)"};             // lighting

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST_F(MaterialTrace, AMaterialWithoutStagesDrawsUntexturedWithItsColours) {
    material.Apply(0);
    EXPECT_EQ(GLRecorder::Lines(), Join({"glDisable(3553)"}, kLitColours));
    GLRecorder::Clear();
    material.Unapply();
    EXPECT_TRUE(GLRecorder::Calls().empty()); // no stages, no blending, fog not shown
}

TEST_F(MaterialTrace, DefaultColoursAreTheReverseOfGLsWithOpaqueAlpha) {
    material.Apply(0);
    EXPECT_EQ(g_sent[GL_AMBIENT], (std::array<float, 4>{0.8f, 0.8f, 0.8f, 1.0f}));
    EXPECT_EQ(g_sent[GL_DIFFUSE], (std::array<float, 4>{0.2f, 0.2f, 0.2f, 1.0f}));
    EXPECT_EQ(g_sent[GL_SPECULAR], (std::array<float, 4>{0, 0, 0, 1.0f}));
    EXPECT_EQ(g_sent[GL_SHININESS][0], 0.0f);
}

TEST_F(MaterialTrace, EmissionIsTheMaterialsOwnPlusTheGlobalEmissive) {
    material.emissive = {0.1f, 0.2f, 0.3f};
    material.globalEmissive = {0.5f, 0.25f, 0.125f};
    material.gloss = 40.0f;
    material.Apply(0);
    EXPECT_FLOAT_EQ(g_sent[GL_EMISSION][0], 0.6f);
    EXPECT_FLOAT_EQ(g_sent[GL_EMISSION][1], 0.45f);
    EXPECT_FLOAT_EQ(g_sent[GL_EMISSION][2], 0.425f);
    EXPECT_EQ(g_sent[GL_EMISSION][3], 1.0f);
    EXPECT_EQ(g_sent[GL_SHININESS][0], 40.0f);
}

TEST_F(MaterialTrace, StagesApplyAfterTheUnitsAreResetAndBeforeTheColours) {
    states.SetTextureUnit(GL_TEXTURE3, true); // left on by a previous material
    AddTextureStage(7, GL_TEXTURE0);
    AddTextureStage(8, GL_TEXTURE1);
    GLRecorder::Clear();
    material.Apply(0);
    EXPECT_EQ(GLRecorder::Lines(),
              Join({"glActiveTextureARB(33987)", "glDisable(3553)", // reset
                    "glActiveTextureARB(33984)", "glEnable(3553)", "glBindTexture(3553, 7)",
                    "glTexEnvi(8960, 8704, 8448)", "glActiveTextureARB(33985)", "glEnable(3553)",
                    "glBindTexture(3553, 8)", "glTexEnvi(8960, 8704, 8448)"},
                   kLitColours));
}

TEST_F(MaterialTrace, UnapplyRunsStagesFirstToLastThenResetsTheUnits) {
    AddTextureStage(7, GL_TEXTURE1);
    AddTextureStage(8, GL_TEXTURE0);
    material.Apply(0);
    GLRecorder::Clear();
    material.Unapply();
    // The first stage's reset switches both units off; the second and the final reset find
    // nothing left to do.
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glActiveTextureARB(33984)", "glDisable(3553)",
                                        "glActiveTextureARB(33985)", "glDisable(3553)"}));
    EXPECT_FALSE(states.IsEnabled(GL_TEXTURE0));
    EXPECT_FALSE(states.IsEnabled(GL_TEXTURE1));
}

TEST_F(MaterialTrace, AnUnlitMaterialSendsNoColoursAndUnapplyLeavesLightingAlone) {
    material.lightFlag = false;
    material.Apply(0);
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glDisable(3553)", "glDisable(2896)"}));
    GLRecorder::Clear();
    material.blendFlag = true;
    material.Unapply();
    EXPECT_EQ(GLRecorder::Count("glEnable"), 0);
    EXPECT_EQ(GLRecorder::Count("glDisable"), 1); // blending only
}

TEST_F(MaterialTrace, BlendingIsSetLastAndResetToZeroOneOnUnapply) {
    material.blendFlag = true;
    material.blendSource = GL_SRC_ALPHA;
    material.blendDest = GL_ONE_MINUS_SRC_ALPHA;
    material.Apply(0);
    const std::vector<std::string> applied = GLRecorder::Lines();
    ASSERT_GE(applied.size(), 2u);
    EXPECT_EQ(applied[applied.size() - 2], "glBlendFunc(770, 771)");
    EXPECT_EQ(applied.back(), "glEnable(3042)");
    GLRecorder::Clear();
    material.Unapply();
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glBlendFunc(0, 1)", "glDisable(3042)"}));
}

TEST_F(MaterialTrace, HidingFogHasNoEffectWhileFogIsNotShown) {
    material.showFogFlag = false;
    material.Apply(0);
    material.Unapply();
    EXPECT_EQ(GLRecorder::Count("glDisable"), 1); // GL_TEXTURE_2D only
    EXPECT_EQ(GLRecorder::Count("glEnable"), 1);  // lighting only
}

TEST_F(MaterialTrace, WithFogShownAMaterialThatHidesFogSwitchesItOffAndBackOn) {
    SetGlobalFogShown(true);
    material.showFogFlag = false;
    material.blendFlag = true;
    material.Apply(0);
    std::vector<std::string> lines = GLRecorder::Lines();
    // After the lighting, before the blending.
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[lines.size() - 4], "glEnable(2896)");
    EXPECT_EQ(lines[lines.size() - 3], "glDisable(2912)");
    GLRecorder::Clear();
    material.Unapply();
    lines = GLRecorder::Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "glEnable(2912)");

    TQGLMaterial foggy("foggy");
    foggy.states = &states;
    GLRecorder::Clear();
    foggy.Apply(0);
    foggy.Unapply();
    for (const std::string& l : GLRecorder::Lines())
        EXPECT_EQ(l.find("2912"), std::string::npos) << l;
}

TEST_F(MaterialTrace, AStageWithoutTheCacheGetsTheMaterialsOnApply) {
    TQGLShader* stage = material.shaders.AddShader(kTextureStage);
    stage->textures.AddExisting("a.bmp", 2);
    material.Apply(0);
    EXPECT_EQ(stage->states, &states);
    EXPECT_EQ(GLRecorder::Count("glBindTexture"), 1);
}

TEST(Material, OneOutsideAnyListRaisesInsteadOfCrashing) {
    gl::ScopedNullDispatch noGL;
    TQGLMaterial loose("loose");
    EXPECT_THROW(loose.Apply(0), EngineError);
}
