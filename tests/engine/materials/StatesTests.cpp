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

TEST_F(StatesTrace, AUnitIsSwitchedOnlyWhenItsStateChanges) {
    states.SetTextureUnit(GL_TEXTURE1, true);
    states.SetTextureUnit(GL_TEXTURE1, true);
    states.SetTextureUnit(GL_TEXTURE3, false);
    states.SetTextureUnit(GL_TEXTURE5, true); // not tracked: ignored
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glActiveTextureARB(33985)", "glEnable(3553)"}));
    GLRecorder::Clear();
    states.SetTextureUnit(GL_TEXTURE1, false);
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glActiveTextureARB(33985)", "glDisable(3553)"}));
}

TEST_F(StatesTrace, ResetDisablesEnabledUnitsInOrderAndLeavesTheLastActive) {
    states.ResetTextureUnits();
    EXPECT_TRUE(GLRecorder::Calls().empty());
    states.SetTextureUnit(GL_TEXTURE2, true);
    states.SetTextureUnit(GL_TEXTURE0, true);
    GLRecorder::Clear();
    states.ResetTextureUnits();
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glActiveTextureARB(33984)", "glDisable(3553)",
                                        "glActiveTextureARB(33986)", "glDisable(3553)"}));
    GLRecorder::Clear();
    states.ResetTextureUnits();
    EXPECT_TRUE(GLRecorder::Calls().empty());
}

TEST_F(StatesTrace, UnlitAxesAreOneLineBatchInsideAttributeScopes) {
    states.DrawAxesUnlit();
    const std::vector<std::string> lines = GLRecorder::Lines();
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "glPushAttrib(" + std::to_string(GL_LIGHTING_BIT) + ")");
    EXPECT_EQ(lines[1], "glDisable(2896)");
    EXPECT_EQ(lines[2], "glPushAttrib(" +
                            std::to_string(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TEXTURE_BIT) + ")");
    EXPECT_EQ(lines[3], "glDisable(3553)");
    EXPECT_EQ(lines[4], "glBegin(1)");
    EXPECT_EQ(lines[lines.size() - 3], "glEnd()");
    EXPECT_EQ(GLRecorder::Count("glPopAttrib"), 2);
    // X: axis, arrowhead, letter (5 lines); Y: 3; Z: axis, arrowhead, letter (6).
    EXPECT_EQ(GLRecorder::Count("glVertex3f"), 2 * (5 + 3 + 6));
    // Size 10: arrowheads one unit long.
    EXPECT_NE(std::find(lines.begin(), lines.end(), "glVertex3f(9, 0, -1)"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "glVertex3f(0, 9, 1)"), lines.end());
}
