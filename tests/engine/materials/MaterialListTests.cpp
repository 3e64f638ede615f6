// The material list: switching materials, the global emissive colour, lookups and the texture
// cache.
#include "common/EngineError.h"
#include "engine/materials/MaterialList.h"
#include "engine/materials/States.h"
#include "platform/gl/GLRecorder.h"
#include "quarn/QuarnGL.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <chrono>
#include <thread>
#include <fstream>
#include <memory>
#include <stdlib.h>

using namespace quarn;
using gl::GLRecorder;

// The named values of the public header are the engine's stage kinds and GL's own enums, so a
// host that uses them passes what the engine compares against.
static_assert(QGL_STAGE_TEXTURE == kTextureStage && QGL_STAGE_CUBE_MAP == kCubeMapStage &&
                  QGL_STAGE_SPHERE_MAP == kSphereMapStage && QGL_STAGE_BUMP_MAP == kBumpMapStage &&
                  QGL_STAGE_GLSL == kGLSLStage && QGL_STAGE_RENDER_TARGET == kRenderTargetStage,
              "stage kinds");
static_assert(QGL_FOG_EXP == GL_EXP && QGL_FOG_EXP2 == GL_EXP2 && QGL_FOG_LINEAR == GL_LINEAR,
              "fog modes");
static_assert(QGL_BLEND_ZERO == GL_ZERO && QGL_BLEND_ONE == GL_ONE &&
                  QGL_BLEND_SRC_COLOR == GL_SRC_COLOR &&
                  QGL_BLEND_ONE_MINUS_SRC_COLOR == GL_ONE_MINUS_SRC_COLOR &&
                  QGL_BLEND_SRC_ALPHA == GL_SRC_ALPHA &&
                  QGL_BLEND_ONE_MINUS_SRC_ALPHA == GL_ONE_MINUS_SRC_ALPHA &&
                  QGL_BLEND_DST_ALPHA == GL_DST_ALPHA &&
                  QGL_BLEND_ONE_MINUS_DST_ALPHA == GL_ONE_MINUS_DST_ALPHA &&
                  QGL_BLEND_DST_COLOR == GL_DST_COLOR &&
                  QGL_BLEND_ONE_MINUS_DST_COLOR == GL_ONE_MINUS_DST_COLOR &&
                  QGL_BLEND_SRC_ALPHA_SATURATE == GL_SRC_ALPHA_SATURATE,
              "blend factors");
static_assert(QGL_TEXENV_ADD == GL_ADD && QGL_TEXENV_REPLACE == GL_REPLACE &&
                  QGL_TEXENV_MODULATE == GL_MODULATE && QGL_TEXENV_DECAL == GL_DECAL,
              "texture environment modes");

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

TEST_F(MaterialListTest, AddingHandsTheCacheFindingIsExactAndABadIndexRaises) {
    TQGLMaterial* wall = Add("Wall");
    Add("wall");
    EXPECT_EQ(wall->states, &states);
    int index = -1;
    EXPECT_TRUE(list->FindMaterial("wall", index));
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(list->FindMaterial("Wall", index));
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(list->FindMaterial("WALL", index));
    try {
        list->Items(5);
        FAIL() << "no error";
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (5)");
    }
}

TEST_F(MaterialListTest, SwitchingToTheSameIndexAppliesOnce) {
    Add("a");
    list->SetMaterial(0, 10);
    list->SetMaterial(0, 20);
    EXPECT_EQ(GLRecorder::Count("glMaterialfv"), 5);
    EXPECT_EQ(list->Current(), 0);
}

TEST_F(MaterialListTest, SwitchingUnappliesThePreviousFirstAndABadIndexChangesNothing) {
    Add("glass")->blendFlag = true;
    Add("stone");
    list->SetMaterial(0, 0);
    GLRecorder::Clear();
    EXPECT_THROW(list->SetMaterial(3, 0), EngineError);
    EXPECT_TRUE(GLRecorder::Calls().empty());
    EXPECT_EQ(list->Current(), 0);
    list->SetMaterial(1, 0);
    const std::vector<std::string> lines = GLRecorder::Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "glBlendFunc(0, 1)");
    EXPECT_EQ(lines[1], "glDisable(3042)");
    EXPECT_EQ(lines[2], "glDisable(3553)"); // stone has no stages
    EXPECT_EQ(list->Current(), 1);
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
}

TEST_F(MaterialListTest, AFailedLoadIsCachedAsNoTextureAndTheStageStays) {
    TQGLMaterial* a = Add("a");
    TQGLMaterial* b = Add("b");
    EXPECT_EQ(list->AddTextureShader(a, "None", GL_LINEAR, GL_LINEAR), 0);
    EXPECT_EQ(list->AddTextureShader(a, "", GL_LINEAR, GL_LINEAR), 0);
    EXPECT_FALSE(a->shaders.HasShaders());
    EXPECT_EQ(list->AddTextureShader(a, "missing/wall.bmp", GL_LINEAR, GL_LINEAR), 0);
    EXPECT_EQ(list->AddTextureShader(b, "missing/wall.bmp", GL_LINEAR, GL_LINEAR), 0);
    EXPECT_EQ(list->AddTextureShader(b, "missing/WALL.bmp", GL_LINEAR, GL_LINEAR), 1);
    EXPECT_EQ(list->TextureNames(),
              (std::vector<std::string>{"missing/wall.bmp", "missing/WALL.bmp"}));
    EXPECT_EQ(list->TextureHandles(), (std::vector<GLuint>{0, 0}));
    EXPECT_EQ(list->FindTextureName("wall.bmp"), -1);
    ASSERT_EQ(b->shaders.Count(), 2);
    TQGLShader* stage = b->shaders.Items(0);
    EXPECT_EQ(stage->name, "wall.bmp");
    EXPECT_EQ(stage->states, &states);
    ASSERT_EQ(stage->textures.Count(), 1);
    EXPECT_EQ(a->shaders.Items(0)->textures.Items(0)->path, "missing/wall.bmp");
    list->AddTextureShader(b, "nowhere.bmp", GL_LINEAR, GL_LINEAR);
    // The same file, whichever separator joins the folder and the name.
    EXPECT_EQ(std::filesystem::path(b->shaders.Items(2)->textures.Items(0)->path).generic_string(),
              (std::filesystem::current_path() / "nowhere.bmp").generic_string());
    GLRecorder::Clear();
    list->SetMaterial(1, 0); // the stage binds texture 0
    const std::vector<std::string> lines = GLRecorder::Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "glBindTexture(3553, 0)"), lines.end());
}

namespace {
long UniqueSuffix() {
    return long(std::hash<std::thread::id>{}(std::this_thread::get_id()) % 1000000007u) ^
           long(std::chrono::steady_clock::now().time_since_epoch().count() % 1000003);
}
// A 4 x 1 24-bit BMP in a fresh temporary directory; returns its path.
std::string WriteSmallBmp() {
    // A name of its own per process: tests run in parallel.
    const std::string dir = (std::filesystem::temp_directory_path() /
                             ("quarn-materials-" + std::to_string(UniqueSuffix())))
                                .string();
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    const uint8_t header[54] = {'B', 'M', 66, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0,
                                4,   0,   0,  0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0,  0, 12};
    std::ofstream file(dir + "/wall.bmp", std::ios::binary);
    file.write(reinterpret_cast<const char*>(header), sizeof header);
    file.write("\1\2\3\4\5\6\7\10\11\12\13\14", 12);
    return dir + "/wall.bmp";
}
} // namespace

TEST_F(MaterialListTest, OneFileNameLoadsOnceAndItsSharedNameOutlivesADeletedStage) {
    const std::string path = WriteSmallBmp();
    ASSERT_FALSE(path.empty());
    const std::string otherSpelling =
        path.substr(0, path.rfind('/')) + "/./" + path.substr(path.rfind('/') + 1);
    TQGLMaterial* a = Add("a");
    TQGLMaterial* b = Add("b");
    EXPECT_EQ(list->AddTextureShader(a, path, GL_LINEAR, GL_LINEAR), 0);
    EXPECT_EQ(list->AddTextureShader(b, path, GL_LINEAR, GL_LINEAR), 0);
    EXPECT_EQ(GLRecorder::Count("glGenTextures"), 1);
    EXPECT_EQ(list->AddTextureShader(b, otherSpelling, GL_LINEAR, GL_LINEAR), 1);
    EXPECT_EQ(GLRecorder::Count("glGenTextures"), 2);
    const std::vector<GLuint> names = list->TextureHandles();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_NE(names[0], 0u);
    EXPECT_NE(names[0], names[1]);
    EXPECT_EQ(a->shaders.Items(0)->textures.Items(0)->handle, names[0]);
    EXPECT_EQ(b->shaders.Items(0)->textures.Items(0)->handle, names[0]);

    a->shaders.Delete(0); // b still binds the shared name, and the cache still hands it out
    b->shaders.Delete(0);
    EXPECT_EQ(GLRecorder::Count("glDeleteTextures"), 0);
    list->AddTextureShader(a, path, GL_LINEAR, GL_LINEAR); // a hit hands out a live name
    EXPECT_EQ(GLRecorder::Count("glGenTextures"), 2);
    list.reset(); // the cache and the last texture go: each name is deleted once
    EXPECT_EQ(GLRecorder::Count("glDeleteTextures"), 2);
    std::remove(path.c_str());
    std::remove(path.substr(0, path.rfind('/')).c_str());
}
