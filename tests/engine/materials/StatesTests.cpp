// GL-trace tests of the texture-unit cache: units are switched only on a change, and the last
// unit touched stays active.
#include "engine/materials/States.h"
#include "platform/gl/GLRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quarn;
using gl::GLRecorder;

namespace {

class StatesTrace : public ::testing::Test {
  protected:
    void SetUp() override { GLRecorder::Install(); }
    void TearDown() override { GLRecorder::Uninstall(); }
    TQGLStates states;
};

} // namespace

TEST_F(StatesTrace, EnablingAUnitTwiceSwitchesItOnce) {
    states.SetTextureUnit(GL_TEXTURE1, true);
    states.SetTextureUnit(GL_TEXTURE1, true);
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glActiveTextureARB(33985)", "glEnable(3553)"}));
    EXPECT_TRUE(states.IsEnabled(GL_TEXTURE1));
    GLRecorder::Clear();
    states.SetTextureUnit(GL_TEXTURE1, false);
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glActiveTextureARB(33985)", "glDisable(3553)"}));
}

TEST_F(StatesTrace, DisablingAUnitThatIsOffIssuesNothing) {
    states.SetTextureUnit(GL_TEXTURE3, false);
    EXPECT_TRUE(GLRecorder::Calls().empty());
}

TEST_F(StatesTrace, UnitsOutsideTheFirstFiveAreIgnored) {
    states.SetTextureUnit(GL_TEXTURE5, true);
    states.SetTextureUnit(GL_TEXTURE0 - 1, true);
    EXPECT_TRUE(GLRecorder::Calls().empty());
    EXPECT_FALSE(states.IsEnabled(GL_TEXTURE5));
}

TEST_F(StatesTrace, ResetWithNothingEnabledIssuesNoCall) {
    states.ResetTextureUnits();
    EXPECT_TRUE(GLRecorder::Calls().empty());
}

TEST_F(StatesTrace, ResetDisablesEnabledUnitsInOrderAndLeavesTheLastActive) {
    states.SetTextureUnit(GL_TEXTURE2, true);
    states.SetTextureUnit(GL_TEXTURE0, true);
    GLRecorder::Clear();
    states.ResetTextureUnits();
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glActiveTextureARB(33984)", "glDisable(3553)",
                                        "glActiveTextureARB(33986)", "glDisable(3553)"}));
    for (bool flag : states.enabled)
        EXPECT_FALSE(flag);
    GLRecorder::Clear();
    states.ResetTextureUnits();
    EXPECT_TRUE(GLRecorder::Calls().empty());
}

TEST_F(StatesTrace, AxesAreOneLineBatchWithTexturingOffInsideAnAttributeScope) {
    states.DrawAxes(20.0f);
    const std::vector<std::string> names = GLRecorder::Names();
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(GLRecorder::Lines()[0],
              "glPushAttrib(" + std::to_string(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TEXTURE_BIT) +
                  ")");
    EXPECT_EQ(GLRecorder::Lines()[1], "glDisable(3553)");
    EXPECT_EQ(GLRecorder::Lines()[2], "glBegin(1)"); // GL_LINES
    EXPECT_EQ(names[names.size() - 2], "glEnd");
    EXPECT_EQ(names.back(), "glPopAttrib");
    EXPECT_EQ(GLRecorder::Count("glBegin"), 1);
    EXPECT_EQ(GLRecorder::Count("glColor4f"), 3);
    // X: axis, two arrowhead lines, letter of two lines; Y: three; Z: three plus a letter of
    // three. Two vertices a line.
    EXPECT_EQ(GLRecorder::Count("glVertex3f"), 2 * (5 + 3 + 6));
    const std::vector<std::string> lines = GLRecorder::Lines();
    // size 20: arrowhead length 2, so the X arrowhead ends at (18, 0, -2).
    EXPECT_NE(std::find(lines.begin(), lines.end(), "glVertex3f(18, 0, -2)"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "glVertex3f(0, 20, 0)"), lines.end());
}

TEST_F(StatesTrace, UnlitAxesSwitchLightingOffInsideALightingScope) {
    states.DrawAxesUnlit();
    const std::vector<std::string> lines = GLRecorder::Lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "glPushAttrib(" + std::to_string(GL_LIGHTING_BIT) + ")");
    EXPECT_EQ(lines[1], "glDisable(2896)"); // GL_LIGHTING
    EXPECT_EQ(GLRecorder::Count("glPopAttrib"), 2);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "glVertex3f(10, 0, 0)"), lines.end());
}
