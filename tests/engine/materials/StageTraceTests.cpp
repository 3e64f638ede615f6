// The sphere-map, cube-map, animated, GLSL and bump-map stages against the recording GL
// table: what each binds on which unit, in which order, and what it leaves active.
#include "common/EngineError.h"
#include "engine/materials/BumpLight.h"
#include "engine/materials/BumpMapShader.h"
#include "engine/materials/GLSLShader.h"
#include "engine/materials/MaterialList.h"
#include "engine/materials/MaterialStages.h"
#include "engine/materials/States.h"
#include "platform/gl/GLRecorder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

using namespace quarn;
using gl::GLRecorder;

namespace {

const std::string kBitmap = std::string(QUARN_IMAGE_TEST_DATA) + "/sdl2tests_axis.bmp";

class StagesTrace : public ::testing::Test {
  protected:
    void SetUp() override {
        GLRecorder::Install();
        GLRecorder::SetIntegers(GL_OBJECT_COMPILE_STATUS_ARB, {1});
        GLRecorder::SetIntegers(GL_OBJECT_LINK_STATUS_ARB, {1});
        GLRecorder::SetIntegers(GL_OBJECT_INFO_LOG_LENGTH_ARB, {0});
        material = materials.AddMaterial(std::make_unique<TQGLMaterial>("m"));
        other = materials.AddMaterial(std::make_unique<TQGLMaterial>("other"));
    }
    void TearDown() override { GLRecorder::Uninstall(); }

    // The calls from the first one named first on, as strings.
    static std::vector<std::string> LinesFrom(const std::string& first) {
        const std::vector<std::string> lines = GLRecorder::Lines();
        auto it = std::find_if(lines.begin(), lines.end(),
                               [&](const std::string& l) { return l.rfind(first, 0) == 0; });
        return std::vector<std::string>(it, lines.end());
    }
    static std::string File(const std::string& stem, const std::string& text) {
        std::string path = ::testing::TempDir() + stem + "_" + std::to_string(getpid()) + ".glsl";
        std::ofstream(path) << text;
        return path;
    }
    static std::string Call(const char* name, std::initializer_list<double> args) {
        return gl::RecordedCall{name, std::vector<double>(args)}.ToString();
    }

    TQGLStates states;
    TQGLMaterialList materials{&states};
    TQGLMaterial* material = nullptr;
    TQGLMaterial* other = nullptr;
};

} // namespace

TEST_F(StagesTrace, ASphereMapSitsOnTheUnitOfItsPositionAndUnappliesBackToUnitZero) {
    materials.AddTextureShader(material, kBitmap, GL_LINEAR, GL_LINEAR);
    AddSphereMapStage(*material, "missing.bmp", 7, GL_MODULATE); // no filters: no texture
    TQGLShader* sphere = AddSphereMapStage(*material, kBitmap, 2, GL_DECAL);
    const TQGLTexture& texture = *sphere->textures.Items(0);
    EXPECT_EQ(texture.unit, GLenum(GL_TEXTURE2)); // third stage
    EXPECT_EQ(texture.minFilter, GLenum(GL_LINEAR_MIPMAP_LINEAR));
    EXPECT_FALSE(material->shaders.Items(1)->textures.HasTexture());

    GLRecorder::Clear();
    sphere->Apply(0);
    const double h = texture.handle;
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{
                  Call("glActiveTextureARB", {GL_TEXTURE2}), Call("glEnable", {GL_TEXTURE_2D}),
                  Call("glBindTexture", {GL_TEXTURE_2D, h}),
                  Call("glTexEnvi", {GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL}),
                  Call("glTexGeni", {GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP}),
                  Call("glTexGeni", {GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP}),
                  Call("glEnable", {GL_TEXTURE_GEN_S}), Call("glEnable", {GL_TEXTURE_GEN_T})}));
    GLRecorder::Clear();
    sphere->Unapply();
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{
                  Call("glActiveTextureARB", {GL_TEXTURE2}), Call("glDisable", {GL_TEXTURE_2D}),
                  Call("glActiveTextureARB", {GL_TEXTURE2}), Call("glDisable", {GL_TEXTURE_GEN_S}),
                  Call("glDisable", {GL_TEXTURE_GEN_T}), Call("glDisable", {GL_TEXTURE_GEN_R}),
                  Call("glActiveTextureARB", {GL_TEXTURE0})}));
    // The stage without a texture only resets the units.
    states.SetTextureUnit(GL_TEXTURE1, true);
    GLRecorder::Clear();
    material->shaders.Items(1)->Apply(0);
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{Call("glActiveTextureARB", {GL_TEXTURE1}),
                                        Call("glDisable", {GL_TEXTURE_2D})}));
}

TEST_F(StagesTrace, ACubeMapUploadsSixFacesAndLeavesUnitZeroActive) {
    const std::string faces[6] = {kBitmap, kBitmap, kBitmap, kBitmap, kBitmap, kBitmap};
    GLRecorder::Clear();
    TQGLShader* cube = AddCubeMapStage(*material, faces, 1);
    std::vector<double> targets;
    for (const gl::RecordedCall& c : GLRecorder::Calls())
        if (c.name == "gluBuild2DMipmaps") targets.push_back(c.args[0]);
    EXPECT_EQ(targets, (std::vector<double>{
                           GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_NEGATIVE_X,
                           GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_POSITIVE_Y,
                           GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, GL_TEXTURE_CUBE_MAP_POSITIVE_Z}));
    const TQGLTexture& texture = *cube->textures.Items(0);
    ASSERT_NE(texture.handle, 0u);
    EXPECT_EQ(texture.target, GLenum(GL_TEXTURE_CUBE_MAP));

    GLRecorder::Clear();
    cube->Apply(0);
    const double clampToEdge = GL_CLAMP_TO_EDGE;
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{
                  Call("glActiveTextureARB", {GL_TEXTURE0}), Call("glEnable", {GL_TEXTURE_2D}),
                  Call("glTexGeni", {GL_S, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP}),
                  Call("glTexGeni", {GL_T, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP}),
                  Call("glTexGeni", {GL_R, GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP}),
                  Call("glGetString", {GL_VERSION}),
                  Call("glTexParameteri", {GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, clampToEdge}),
                  Call("glTexParameteri", {GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, clampToEdge}),
                  Call("glEnable", {GL_TEXTURE_CUBE_MAP}), Call("glEnable", {GL_TEXTURE_GEN_S}),
                  Call("glEnable", {GL_TEXTURE_GEN_T}), Call("glEnable", {GL_TEXTURE_GEN_R}),
                  Call("glBindTexture", {GL_TEXTURE_CUBE_MAP, double(texture.handle)}),
                  Call("glActiveTextureARB", {GL_TEXTURE0})}));
    GLRecorder::Clear();
    cube->Unapply();
    const std::vector<std::string> unapply = GLRecorder::Lines();
    EXPECT_EQ(unapply.back(), Call("glActiveTextureARB", {GL_TEXTURE0}));
    EXPECT_FALSE(states.IsEnabled(GL_TEXTURE0));

    // Faces named .tga have no cube loader: the stage stays, without a GL texture.
    const std::string tga[6] = {"a.tga", "b.tga", "c.tga", "d.tga", "e.tga", "f.tga"};
    EXPECT_EQ(AddCubeMapStage(*material, tga, 0)->textures.Items(0)->handle, 0u);
}

TEST_F(StagesTrace, AnAnimatedStageAdvancesOnlyWhenItsMaterialIsAppliedAnew) {
    for (int frame = 0; frame < 3; ++frame)
        AddAnimatedTexture(*material, 0, kBitmap, 100, GL_TEXTURE0);
    ASSERT_EQ(material->shaders.Count(), 1);
    TQGLShader* stage = material->shaders.Items(0);
    EXPECT_EQ(stage->lastFrame, 2);
    const std::vector<GLuint> frames = {stage->textures.Items(0)->handle,
                                        stage->textures.Items(1)->handle,
                                        stage->textures.Items(2)->handle};

    std::vector<GLuint> shown;
    for (uint32_t ticks : {0u, 50u, 150u, 160u, 300u, 420u}) {
        materials.SetMaterial(1, ticks);
        GLRecorder::Clear();
        materials.SetMaterial(0, ticks);
        materials.SetMaterial(0, ticks + 500); // same material: no new frame
        for (const gl::RecordedCall& c : GLRecorder::Calls())
            if (c.name == "glBindTexture") shown.push_back(static_cast<GLuint>(c.args[1]));
    }
    EXPECT_EQ(shown, (std::vector<GLuint>{frames[0], frames[0], frames[1], frames[1], frames[2],
                                          frames[0]}));
    // An index at the stage count makes a new one-frame stage each time.
    for (int i = 0; i < 2; ++i)
        AddAnimatedTexture(*other, other->shaders.Count(), kBitmap, 10, GL_TEXTURE1);
    EXPECT_EQ(other->shaders.Count(), 2);
    EXPECT_EQ(other->shaders.Items(1)->textures.Count(), 1);
}

TEST_F(StagesTrace, AGLSLStageUsesItsProgramBindsItsTexturesAndSendsEveryStoredValue) {
    const std::string vertex = File("v", "void main() { gl_Position = ftransform(); }");
    const std::string fragment = File("f", "uniform vec3 tint; void main() {}");
    GLRecorder::SetUniformLocation("unused", -1);
    for (const char* absent : {"texture0", "texture2", "texture3", "texture4"})
        GLRecorder::SetUniformLocation(absent, -1);
    GLRecorder::SetUniformLocation("texture1", 7);
    TQGLGLSLShader* stage = AddGLSLStage(*material, vertex, fragment);
    ASSERT_NE(stage->program, 0u);
    AddGLSLTexture(*material, kBitmap, 0, GL_TEXTURE1);
    AddGLSLTexture(*material, kBitmap, 9, GL_TEXTURE2); // no filters: nothing added
    ASSERT_EQ(stage->textures.Count(), 1);
    stage->SetValue3f("tint", 1, 0, 0);
    stage->SetValue3f("tint", 0, 1, 0); // one entry, the later value
    stage->SetValue1f("scale", 2);
    stage->SetValue2f("scale", 3, 4); // its own group
    stage->SetValue4b("flags", true, false, true, false);
    const float m2[4] = {1, 2, 3, 4};
    stage->SetValueMat2f("turn", m2);
    stage->SetValue1i("unused", 5); // kept, but GL would ignore it: not sent
    EXPECT_EQ(stage->values3f.names.size(), 1u);
    EXPECT_THROW(stage->SetValueMat4f("none", nullptr), EngineError);

    const double tint = GLRecorder::UniformLocation("tint");
    const double scale = GLRecorder::UniformLocation("scale");
    const double flags = GLRecorder::UniformLocation("flags");
    const double turn = GLRecorder::UniformLocation("turn");
    const double handle = stage->textures.Items(0)->handle;
    GLRecorder::Clear();
    materials.SetMaterial(0, 0);
    EXPECT_EQ(
        LinesFrom("glUseProgramObjectARB"),
        (std::vector<std::string>{
            Call("glUseProgramObjectARB", {double(stage->program)}),
            Call("glActiveTextureARB", {GL_TEXTURE1}), Call("glEnable", {GL_TEXTURE_2D}),
            Call("glBindTexture", {GL_TEXTURE_2D, handle}),
            Call("glTexEnvi", {GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE}),
            Call("glUniform1iARB", {7, 1}), // sampler texture1 reads unit 1
            Call("glUniform1fARB", {scale, 2}), Call("glUniform2fARB", {scale, 3, 4}),
            Call("glUniform3fARB", {tint, 0, 1, 0}), Call("glUniform4iARB", {flags, 1, 0, 1, 0}),
            Call("glUniformMatrix2fvARB", {turn, 1, 0, 1}),
            // the material's colours follow
            Call("glMaterialfv", {GL_FRONT_AND_BACK, GL_AMBIENT, 1}),
            Call("glMaterialfv", {GL_FRONT_AND_BACK, GL_DIFFUSE, 1}),
            Call("glMaterialfv", {GL_FRONT_AND_BACK, GL_SHININESS, 1}),
            Call("glMaterialfv", {GL_FRONT_AND_BACK, GL_SPECULAR, 1}),
            Call("glMaterialfv", {GL_FRONT_AND_BACK, GL_EMISSION, 1}),
            Call("glEnable", {GL_LIGHTING})}));
    GLRecorder::Clear();
    materials.ResetMaterial();
    const std::vector<std::string> unapply = {Call("glActiveTextureARB", {GL_TEXTURE1}),
                                              Call("glDisable", {GL_TEXTURE_2D}),
                                              Call("glUseProgramObjectARB", {0})};
    EXPECT_EQ(GLRecorder::Lines(), unapply);
    // Deleting the stage of the applied material leaves the programmable pipeline first.
    materials.SetMaterial(0, 0);
    GLRecorder::Clear();
    materials.DeleteStage(material, material->shaders.Count()); // past the end: nothing
    EXPECT_TRUE(GLRecorder::Calls().empty());
    materials.DeleteStage(material, 0);
    const std::vector<std::string> lines = GLRecorder::Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3), unapply);
    EXPECT_EQ(materials.Current(), -1);
    EXPECT_EQ(material->shaders.Count(), 0);
}

TEST_F(StagesTrace, AFailedShaderNamesItsFileAndLeavesTheStageWithoutAProgram) {
    const std::string good = File("good", "void main() {}");
    // A vertex file that does not compile stops before the fragment file is read.
    GLRecorder::SetIntegers(GL_OBJECT_COMPILE_STATUS_ARB, {0});
    try {
        AddGLSLStage(*material, good, "/nonexistent/fragment.glsl");
        FAIL() << "no error";
    } catch (const EngineError& e) {
        EXPECT_EQ(std::string(e.what()), good + " contains errors!\n");
    }
    EXPECT_EQ(GLRecorder::Count("glCreateShaderObjectARB"), 1);
    ASSERT_EQ(material->shaders.Count(), 1); // the stage stays
    auto* failed = static_cast<TQGLGLSLShader*>(material->shaders.Items(0));
    EXPECT_EQ(failed->program, 0u);
    failed->SetValue1f("x", 1);
    EXPECT_EQ(failed->values1f.locations[0], -1); // no program, no uniform

    GLRecorder::SetIntegers(GL_OBJECT_COMPILE_STATUS_ARB, {1});
    const std::string empty = File("empty", "");
    EXPECT_THROW(
        {
            try {
                AddGLSLStage(*material, good, empty);
            } catch (const EngineError& e) {
                EXPECT_EQ(std::string(e.what()), empty + " contains errors!\nThe file is empty.");
                throw;
            }
        },
        EngineError);
    EXPECT_THROW(AddGLSLStage(*material, "/nonexistent/vertex.glsl", good), EngineError);
    GLRecorder::SetIntegers(GL_OBJECT_LINK_STATUS_ARB, {0});
    try {
        AddGLSLStage(*material, good, good);
        FAIL() << "no error";
    } catch (const EngineError& e) {
        EXPECT_EQ(std::string(e.what()), good + " and " + good + " do not link!\n");
    }
    auto* unlinked = static_cast<TQGLGLSLShader*>(material->shaders.Items(3));
    EXPECT_EQ(unlinked->program, 0u);
    GLRecorder::Clear();
    unlinked->Apply(0);
    EXPECT_EQ(GLRecorder::Count("glUniform1fARB") + GLRecorder::Count("glUniform1iARB"), 0);

    // Values go only to a material whose first stage is its GLSL stage.
    EXPECT_THROW(RequireGLSLStage(*other), EngineError);
    materials.AddTextureShader(other, kBitmap, GL_LINEAR, GL_LINEAR);
    EXPECT_THROW(RequireGLSLStage(*other), EngineError);
    EXPECT_EQ(&RequireGLSLStage(*material), failed);
}

TEST_F(StagesTrace, ABumpMapStageRunsBothProgramsWithTheSceneLightAndSwitchesUnitsZeroToThree) {
    // The programs are read from the current directory first.
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(QUARN_SHADER_SOURCE_DIR), 0);
    TQGLBumpLight light(&states);
    light.Position = Vec3{1, 2, 3};
    auto* stage = static_cast<TQGLBumpMapShader*>(material->shaders.AddShader(kBumpMapStage));
    ASSERT_EQ(chdir(previous), 0);
    ASSERT_TRUE(stage->HasPrograms());
    stage->states = &states;
    stage->textures.AddExisting("wall.bmp", 0)->unit = GL_TEXTURE0;
    stage->textures.AddExisting("wall-normals.bmp", 0)->unit = GL_TEXTURE1;
    EXPECT_EQ(stage->Light(), &light);

    GLRecorder::Clear();
    stage->Apply(0);
    const double lightAt = GLRecorder::UniformLocation("vLightPosition");
    const double colourAt = GLRecorder::UniformLocation("fLightDiffuseColor");
    EXPECT_EQ(GLRecorder::Count("glLinkProgramARB"), 1);
    // After the linked pair is in use: the textures straight on their units, units 2 and 3 on,
    // then the matrix, the light's position and its colour.
    const std::vector<std::string> lines = GLRecorder::Lines();
    std::vector<std::string> tail(
        std::find(lines.begin(), lines.end(), Call("glActiveTextureARB", {GL_TEXTURE0})),
        lines.end());
    tail.erase(std::remove_if(tail.begin(), tail.end(),
                              [](const std::string& l) {
                                  return l.rfind("glGet", 0) == 0 || l.rfind("glTexEnvi", 0) == 0;
                              }),
               tail.end());
    ASSERT_EQ(tail.size(), 13u);
    const auto link = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.rfind("glLinkProgramARB(", 0) == 0;
    });
    ASSERT_NE(link, lines.end());
    const auto firstTexture = std::find(lines.begin(), lines.end(), tail[0]);
    EXPECT_EQ(*(firstTexture - 1), "glUseProgramObjectARB" + link->substr(link->find('(')));
    EXPECT_EQ(std::vector<std::string>(tail.begin() + 8, tail.end()),
              (std::vector<std::string>{
                  Call("glActiveTextureARB", {GL_TEXTURE3}), Call("glEnable", {GL_TEXTURE_2D}),
                  Call("glUniformMatrix4fvARB",
                       {double(GLRecorder::UniformLocation("modelViewProjMatrix")), 1, 0, 1}),
                  Call("glUniform3fARB", {lightAt, 1, 2, 3}),
                  Call("glUniform3fARB", {colourAt, 1, 1, 1})}));

    GLRecorder::Clear();
    stage->Unapply();
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{
                  Call("glUseProgramObjectARB", {0}), Call("glActiveTextureARB", {GL_TEXTURE0}),
                  Call("glDisable", {GL_TEXTURE_2D}), Call("glActiveTextureARB", {GL_TEXTURE1}),
                  Call("glDisable", {GL_TEXTURE_2D}), Call("glActiveTextureARB", {GL_TEXTURE2}),
                  Call("glDisable", {GL_TEXTURE_2D}), Call("glActiveTextureARB", {GL_TEXTURE3}),
                  Call("glDisable", {GL_TEXTURE_2D})}));
    // Applied again, the linked pair is reused.
    GLRecorder::Clear();
    stage->Apply(0);
    EXPECT_EQ(GLRecorder::Count("glLinkProgramARB"), 0);

    // The light moves the matrix to its position and draws its axes only while visible.
    GLRecorder::Clear();
    light.Update(0);
    light.Render(0);
    EXPECT_EQ(GLRecorder::Lines(), (std::vector<std::string>{Call("glTranslatef", {1, 2, 3})}));
    light.Visible = true;
    light.Render(0);
    EXPECT_EQ(GLRecorder::Count("glBegin"), 1);
}
