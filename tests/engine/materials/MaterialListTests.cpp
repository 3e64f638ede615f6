// The material list: switching materials, the global emissive colour, lookups and the texture
// cache.
#include "common/EngineError.h"
#include "engine/materials/MaterialList.h"
#include "engine/materials/States.h"
#include "engine/materials/TextureNames.h"
#include "platform/gl/GLRecorder.h"

#include <gtest/gtest.h>

#include <memory>

using namespace quarn;
using gl::GLRecorder;

namespace {

class MaterialListTest : public ::testing::Test {
  protected:
    void SetUp() override { GLRecorder::Install(); }
    void TearDown() override {
        list.reset();
        GLRecorder::Uninstall();
    }

    TQGLMaterial* Add(const std::string& name) {
        return list->AddMaterial(std::make_unique<TQGLMaterial>(name));
    }

    TQGLStates states;
    std::unique_ptr<TQGLMaterialList> list = std::make_unique<TQGLMaterialList>(&states);
};

} // namespace

TEST_F(MaterialListTest, AddingHandsTheCacheAndFindingIsExact) {
    TQGLMaterial* wall = Add("Wall");
    Add("wall");
    EXPECT_EQ(wall->states, &states);
    int index = -1;
    EXPECT_TRUE(list->FindMaterial("wall", index));
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(list->FindMaterial("Wall", index));
    EXPECT_EQ(index, 0);
    index = 7;
    EXPECT_FALSE(list->FindMaterial("WALL", index));
    EXPECT_EQ(index, 7);
    EXPECT_EQ(list->Count(), 2);
    EXPECT_EQ(list->Items(0), wall);
}

TEST_F(MaterialListTest, ABadIndexRaisesTheListError) {
    Add("only");
    try {
        list->Items(5);
        FAIL() << "no error";
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (5)");
    }
    EXPECT_THROW(list->Items(-1), EngineError);
}

TEST_F(MaterialListTest, SwitchingToTheSameIndexAppliesOnce) {
    Add("a");
    list->SetMaterial(0, 10);
    list->SetMaterial(0, 20);
    EXPECT_EQ(GLRecorder::Count("glMaterialfv"), 5);
    EXPECT_EQ(list->Current(), 0);
}

TEST_F(MaterialListTest, SwitchingUnappliesThePreviousMaterialBeforeApplyingTheNext) {
    Add("glass")->blendFlag = true;
    Add("stone");
    list->SetMaterial(0, 0);
    GLRecorder::Clear();
    list->SetMaterial(1, 0);
    const std::vector<std::string> lines = GLRecorder::Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "glBlendFunc(0, 1)");
    EXPECT_EQ(lines[1], "glDisable(3042)");
    EXPECT_EQ(lines[2], "glDisable(3553)"); // stone has no stages
    EXPECT_EQ(list->Current(), 1);
}

TEST_F(MaterialListTest, ABadIndexLeavesTheCurrentMaterialApplied) {
    Add("glass")->blendFlag = true;
    list->SetMaterial(0, 0);
    GLRecorder::Clear();
    EXPECT_THROW(list->SetMaterial(3, 0), EngineError);
    EXPECT_TRUE(GLRecorder::Calls().empty());
    EXPECT_EQ(list->Current(), 0);
}

TEST_F(MaterialListTest, ResetUnappliesOnceAndTheNextSwitchAppliesAgain) {
    Add("glass")->blendFlag = true;
    list->ResetMaterial();
    EXPECT_TRUE(GLRecorder::Calls().empty());
    list->SetMaterial(0, 0);
    GLRecorder::Clear();
    list->ResetMaterial();
    list->ResetMaterial();
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glBlendFunc(0, 1)", "glDisable(3042)"}));
    EXPECT_EQ(list->Current(), -1);
    list->SetMaterial(0, 0);
    EXPECT_EQ(GLRecorder::Count("glEnable"), 2); // lighting, blending
}

TEST_F(MaterialListTest, GlobalEmissiveReachesOnlyMaterialsAlreadyInTheList) {
    TQGLMaterial* before = Add("before");
    list->SetGlobalEmissive({0.5f, 0.25f, 1.0f});
    TQGLMaterial* after = Add("after");
    EXPECT_EQ(before->globalEmissive.y, 0.25f);
    EXPECT_EQ(after->globalEmissive.x, 0.0f);
    EXPECT_EQ(after->globalEmissive.z, 0.0f);
    list->SetGlobalEmissive({0.1f, 0.1f, 0.1f});
    EXPECT_EQ(after->globalEmissive.x, 0.1f);
    EXPECT_EQ(list->GlobalEmissive().x, 0.1f);
}

TEST_F(MaterialListTest, NoneOrAnEmptyFileNameAddsNoStage) {
    TQGLMaterial* m = Add("m");
    EXPECT_EQ(list->AddTextureShader(m, "None", GL_LINEAR, GL_LINEAR), 0);
    EXPECT_EQ(list->AddTextureShader(m, "", GL_LINEAR, GL_LINEAR), 0);
    EXPECT_FALSE(m->shaders.HasShaders());
    EXPECT_TRUE(list->TextureNames().empty());
    EXPECT_TRUE(GLRecorder::Calls().empty());
}

TEST_F(MaterialListTest, AFailedLoadIsCachedAsNoTextureAndTheStageStays) {
    TQGLMaterial* a = Add("a");
    TQGLMaterial* b = Add("b");
    EXPECT_EQ(list->AddTextureShader(a, "missing/wall.bmp", GL_LINEAR, GL_LINEAR), 0);
    EXPECT_EQ(list->AddTextureShader(b, "missing/wall.bmp", GL_LINEAR, GL_LINEAR), 0);
    EXPECT_EQ(list->AddTextureShader(b, "missing/WALL.bmp", GL_LINEAR, GL_LINEAR), 1);
    EXPECT_EQ(list->TextureNames(),
              (std::vector<std::string>{"missing/wall.bmp", "missing/WALL.bmp"}));
    EXPECT_EQ(list->TextureHandles(), (std::vector<GLuint>{0, 0}));
    EXPECT_EQ(list->FindTextureName("missing/WALL.bmp"), 1);
    EXPECT_EQ(list->FindTextureName("wall.bmp"), -1);
    ASSERT_EQ(b->shaders.Count(), 2);
    TQGLShader* stage = b->shaders.Items(0);
    EXPECT_EQ(stage->kind, kTextureStage);
    EXPECT_EQ(stage->name, "wall.bmp");
    EXPECT_EQ(stage->states, &states);
    ASSERT_EQ(stage->textures.Count(), 1);
    EXPECT_EQ(stage->textures.Items(0)->handle, 0u);
    // The stage binds texture 0.
    GLRecorder::Clear();
    list->SetMaterial(1, 0);
    const std::vector<std::string> lines = GLRecorder::Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "glBindTexture(3553, 0)"), lines.end());
}
