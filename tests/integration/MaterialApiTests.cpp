// Material stages through the exported C API, rendered by real Mesa GL in a headless window:
// GLSL programs with live uniforms and samplers, cube maps, bump mapping, and bad shader input.
#include "GLProbe.h"
#include "WindowRun.h"
#include "TestImages.h"
#include "quarn/QuarnGL.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using probe::g_run;
using probe::Pixel;

std::string TempPath(const std::string& stem) {
    return ::testing::TempDir() + stem + "_" + std::to_string(getpid());
}

std::string WriteText(const std::string& stem, const std::string& text) {
    std::string path = TempPath(stem);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// A 2 x 2 24-bit BMP of one colour.
std::string WriteBmp(const std::string& stem, std::array<int, 3> rgb) {
    std::string path = TempPath(stem) + ".bmp";
    probe::WriteSolidBmp(path, 2, 2, rgb);
    return path;
}

// A square filling the view at z = 0, every corner with normal (nx, ny, nz) and texture
// coordinates 0..1.
void AddScreenQuad(TQGLHandle material, float nx, float ny, float nz) {
    TQGLHandle mesh = qglGetStaticObject(qglAddStaticObject());
    const int32_t n = qglAddStaticMeshNormal(mesh, nx, ny, nz);
    const float corners[2][3][2] = {{{-10, -10}, {10, -10}, {10, 10}},
                                    {{-10, -10}, {10, 10}, {-10, 10}}};
    for (const auto& triangle : corners) {
        const int32_t f = qglAddStaticFace(mesh);
        for (const auto& c : triangle) {
            qglAddStaticFaceVectorIndex(mesh, f, qglAddStaticMeshVector(mesh, c[0], c[1], 0));
            qglAddStaticFaceNormalIndex(mesh, f, n);
            qglAddStaticFaceTexCoordIndex(
                mesh, f, qglAddStaticMeshTexCoord(mesh, (c[0] + 10) / 20, (c[1] + 10) / 20, 0));
        }
        qglAddStaticFaceMaterialIndex(mesh, f, qglGetMaterialIndex(material));
    }
    qglBuildStaticOctree(mesh);
}

class MaterialApi : public probe::WindowTest {};

bool Near(const Pixel& p, const std::array<int, 3>& want) {
    for (size_t i = 0; i < 3; ++i)
        if (std::abs(p[i] - want[i]) > 40) return false;
    return true;
}

std::string g_vertex, g_fragment, g_green;
TQGLHandle g_material = nullptr;

} // namespace

TEST_F(MaterialApi, AUniformChangedBetweenFramesRecoloursTheGLSLQuadAndSamplersReadTheirUnits) {
    g_vertex = WriteText("colour.vert", "void main() { gl_Position = ftransform(); }\n");
    g_fragment =
        WriteText("colour.frag", "uniform vec3 colour;\nuniform sampler2D texture1;\n"
                                 "void main() {\n"
                                 "    gl_FragColor = vec4(colour, 1.0) + texture2D(texture1, "
                                 "vec2(0.5));\n}\n");
    g_green = WriteBmp("green", {0, 255, 0});
    g_run.init = [] {
        g_material = qglAddMaterial("glsl");
        qglAddMaterialGLSLShader(g_material, g_vertex.c_str(), g_fragment.c_str());
        qglAddMaterialGLSLShaderTexture(g_material, g_green.c_str(), 0, 0x84C1 /* unit 1 */);
        qglSetMaterialGLSLShaderVal3f(g_material, "colour", 1, 0, 0);
        qglSetMaterialGLSLShaderValf(g_material, "not in the program", 1); // kept, ignored
        AddScreenQuad(g_material, 0, 0, 1);
    };
    g_run.afterFrame = [](int frame) {
        if (frame == 1) qglSetMaterialGLSLShaderVal3f(g_material, "colour", 0, 0, 1);
    };
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(qglGetLastError(), nullptr) << qglGetLastError();
    ASSERT_EQ(g_run.centre.size(), 2u);
    EXPECT_EQ(g_run.centre[0], (Pixel{255, 255, 0})); // red uniform + green texture on unit 1
    EXPECT_EQ(g_run.centre[1], (Pixel{0, 255, 255})); // blue uniform + green texture
    EXPECT_EQ(qglGetMaterialShaderCount(g_material), 1);
}

TEST_F(MaterialApi, BadShadersAndMisusedValueExportsAreReportedAndFramesGoOn) {
    static std::vector<std::string> errors;
    errors.clear();
    g_vertex = WriteText("good.vert", "void main() { gl_Position = ftransform(); }\n");
    g_fragment = WriteText("good.frag", "void main() { gl_FragColor = vec4(1.0); }\n");
    g_run.init = [] {
        const auto note = [] {
            const char* e = qglGetLastError();
            errors.push_back(e ? e : "(none)");
            qglClearLastError();
        };
        g_material = qglAddMaterial("bad");
        const std::string missing = TempPath("missing.vert");
        qglAddMaterialGLSLShader(g_material, missing.c_str(), g_fragment.c_str());
        note();
        const std::string broken = WriteText("broken.frag", "void main( {\n");
        qglAddMaterialGLSLShader(g_material, g_vertex.c_str(), broken.c_str());
        note();
        const std::string garbage =
            WriteText("garbage.frag", std::string("\x7f\x00\xff\x01GL\x00", 7));
        qglAddMaterialGLSLShader(g_material, g_vertex.c_str(), garbage.c_str());
        note();
        const std::string noMain = WriteText("nomain.vert", "void helper() {}\n");
        qglAddMaterialGLSLShader(g_material, noMain.c_str(), g_fragment.c_str());
        note();
        TQGLHandle plain = qglAddMaterial("plain");
        qglSetMaterialGLSLShaderVal3f(plain, "colour", 1, 1, 1);
        note();
        qglAddMaterialTexShader(plain, WriteBmp("white", {255, 255, 255}).c_str(), 0);
        qglSetMaterialGLSLShaderVal3f(plain, "colour", 1, 1, 1);
        note();
        qglSetMaterialGLSLShaderVali(nullptr, "colour", 1);
        note();
        AddScreenQuad(g_material, 0, 0, 1);
    };
    g_run.stopAfter = 3;
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(g_run.frames, 3);
    ASSERT_EQ(errors.size(), 7u);
    const std::string missing = TempPath("missing.vert");
    EXPECT_EQ(errors[0].rfind("Cannot open file \"" + missing + "\"", 0), 0u) << errors[0];
    const std::string brokenHead = TempPath("broken.frag") + " contains errors!\n";
    EXPECT_EQ(errors[1].rfind(brokenHead, 0), 0u) << errors[1];
    EXPECT_GT(errors[1].size(), brokenHead.size()); // the compiler's log follows
    EXPECT_EQ(errors[2].rfind(TempPath("garbage.frag") + " contains errors!\n", 0), 0u);
    EXPECT_NE(errors[3].find(" do not link!\n"), std::string::npos) << errors[3];
    EXPECT_NE(errors[4].find("has no stages"), std::string::npos) << errors[4];
    EXPECT_NE(errors[5].find("is not a GLSL stage"), std::string::npos) << errors[5];
    EXPECT_NE(errors[6].find("not a live material handle"), std::string::npos) << errors[6];
    // Every failed program left its stage behind, drawing with the fixed-function pipeline.
    EXPECT_EQ(qglGetMaterialShaderCount(g_material), 4);
    bool compileErrorShown = false;
    for (const probe::Message& m : g_run.messages)
        compileErrorShown = compileErrorShown || m.Line().find(brokenHead) != std::string::npos;
    EXPECT_TRUE(compileErrorShown);
}

TEST_F(MaterialApi, ACubeMapReflectsEachFaceFileInItsDirection) {
    // Face files in argument order: -Y, +Y, -X, +X, -Z, +Z.
    static const std::array<std::array<int, 3>, 6> colours = {
        {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}}};
    static std::string faces[6];
    for (size_t i = 0; i < 6; ++i)
        faces[i] = WriteBmp("face" + std::to_string(i + 1), colours[i]);
    // The camera looks along -z at the quad, so a normal n reflects the view ray into
    // (0, 0, -1) - 2 n (n . (0, 0, -1)): these normals point the reflection at each face.
    const float s = 0.70710678f;
    static const float normals[6][3] = {{0, -s, s}, {0, s, s}, {-s, 0, s},
                                        {s, 0, s},  {1, 0, 0}, {0, 0, 1}};
    for (size_t face = 0; face < 6; ++face) {
        static size_t current;
        current = face;
        SetUp();
        g_run.stopAfter = 1;
        g_run.init = [] {
            TQGLHandle m = qglAddMaterial("cube");
            qglSetMaterialLightFlag(m, 0);
            qglAddMaterialCubeShader(m, faces[0].c_str(), faces[1].c_str(), faces[2].c_str(),
                                     faces[3].c_str(), faces[4].c_str(), faces[5].c_str(), 0);
            AddScreenQuad(m, normals[current][0], normals[current][1], normals[current][2]);
        };
        ASSERT_EQ(Run(), 0);
        ASSERT_EQ(g_run.centre.size(), 1u);
        const auto& want = colours[face];
        EXPECT_TRUE(Near(g_run.centre[0], {want[0], want[1], want[2]}))
            << "face " << face + 1 << " shows " << g_run.centre[0][0] << ", " << g_run.centre[0][1]
            << ", " << g_run.centre[0][2];
        EXPECT_TRUE(g_run.messages.empty());
    }
}

TEST_F(MaterialApi, ABumpMappedQuadIsBrightWithTheLightInFrontAndDarkWithItBehind) {
    static std::string colourFile, normalFile;
    colourFile = WriteBmp("wall", {255, 255, 255});
    normalFile = WriteBmp("wall-normals", {128, 128, 255}); // straight out of the surface
    g_run.init = [] {
        TQGLHandle m = qglAddMaterial("bump");
        qglAddMaterialBumpShader(m, colourFile.c_str(), normalFile.c_str(), 0);
        AddScreenQuad(m, 0, 0, 1);
        qglSetSceneBumpLight(0, 0, 3, 0);
    };
    g_run.afterFrame = [](int frame) {
        if (frame == 1) qglSetSceneBumpLight(0, 0, -3, 0);
    };
    ASSERT_EQ(Run(), 0);
    EXPECT_TRUE(g_run.messages.empty()) << g_run.messages.front().Line();
    ASSERT_EQ(g_run.centre.size(), 2u);
    EXPECT_GT(g_run.centre[0][0], 200);
    EXPECT_LT(g_run.centre[1][0], 60);
    EXPECT_GT(g_run.centre[1][0], 10); // the programs' ambient term: the surface is still drawn
}

// Each program that fails to compile is reported once: the error and its listing.
TEST_F(MaterialApi, EachFailingBumpProgramGivesTwoMessages) {
    static std::string folder, previous;
    folder = TempPath("brokenbump");
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    for (const char* name : {"/FragmentShader.cg", "/VertexShader.cg"})
        std::ofstream(folder + name) << "void main() { this is not a program }\n";
    previous = std::filesystem::current_path().string();
    g_run.stopAfter = 1;
    g_run.init = [] {
        std::filesystem::current_path(folder); // the programs are read from here first
        TQGLHandle m = qglAddMaterial("bump");
        qglAddMaterialBumpShader(m, "", "", 0);
        std::filesystem::current_path(previous);
    };
    ASSERT_EQ(Run(), 0);
    std::vector<std::string> cg;
    for (const probe::Message& m : g_run.messages)
        if (m.Line().rfind("CG Initialization Error!: ", 0) == 0) cg.push_back(m.Line());
    EXPECT_EQ(cg.size(), 4u);
    for (const char* name : {"/FragmentShader.cg", "/VertexShader.cg"})
        std::remove((folder + name).c_str());
    std::filesystem::remove(folder);
}
