// GL-trace tests of the mesh draw paths: sub-mesh compilation, node lists, overlays.
#include "engine/materials/MaterialList.h"
#include "engine/materials/States.h"
#include "engine/scene/DynamicMeshObject.h"
#include "engine/scene/Frustum.h"
#include "engine/scene/StaticMeshObject.h"
#include "platform/gl/GLRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quarn;
using gl::GLRecorder;

namespace {

class MeshTrace : public ::testing::Test {
  protected:
    void SetUp() override {
        GLRecorder::Install();
        for (const char* name : {"A", "B"})
            materials.AddMaterial(std::make_unique<TQGLMaterial>(name));
    }
    void TearDown() override {
        OctreeBuildSettings() = OctreeSettings{};
        GLRecorder::Uninstall();
    }

    template <class Mesh> void AddFace(Mesh& m, int material, bool textured) {
        auto f = std::make_unique<TQGLFace>();
        const float x = float(m.Faces.Count());
        for (const Vec3& p : {Vec3{x, 0, 0}, Vec3{x + 1, 0, 0}, Vec3{x, 1, 0}}) {
            f->AddVectorIndex(m.AddVector(p));
            f->AddNormalIndex(m.AddUniqueNormal({0, 0, 1}));
            if (textured) f->AddTexCoordIndex(m.AddUniqueTexCoord({p.x, p.y, 0}));
        }
        f->MaterialIndex = material;
        m.Faces.Add(std::move(f));
    }

    TQGLStates states;
    TQGLMaterialList materials{&states};
};

std::vector<std::string> Only(const std::vector<std::string>& names,
                              std::initializer_list<const char*> keep) {
    std::vector<std::string> out;
    for (const std::string& n : names)
        for (const char* k : keep)
            if (n == k) out.push_back(n);
    return out;
}

} // namespace

TEST_F(MeshTrace, RunsOfMaterialsAABACompileThreeListsInFaceOrder) {
    TQGLBaseDynamicMeshObject m;
    m.Materials = &materials;
    for (int mat : {0, 0, 1, 0})
        AddFace(m, mat, false);
    GLRecorder::Clear();
    m.BuildSubMeshes();
    ASSERT_EQ(m.SubMeshes().Count(), 3);
    EXPECT_EQ(m.SubMeshes().Get(0)->MaterialIndex, 0);
    EXPECT_EQ(m.SubMeshes().Get(1)->MaterialIndex, 1);
    EXPECT_EQ(m.SubMeshes().Get(2)->MaterialIndex, 0);
    EXPECT_EQ(Only(GLRecorder::Names(), {"glNewList", "glBegin", "glEnd", "glEndList"}),
              (std::vector<std::string>{"glNewList", "glBegin", "glEnd", "glEndList", "glNewList",
                                        "glBegin", "glEnd", "glEndList", "glNewList", "glBegin",
                                        "glEnd", "glEndList"}));
    EXPECT_EQ(GLRecorder::Count("glVertex3fv"), 12);
    EXPECT_EQ(GLRecorder::Count("glNormal3fv"), 12);
    EXPECT_FALSE(m.HasBlendedMaterial);
}

TEST_F(MeshTrace, TextureCoordinatesGoOnlyToTextureStagesOfTexturedFaces) {
    TQGLMaterial* a = materials.Items(0);
    a->shaders.AddShader(kTextureStage);
    if (!a->shaders.AddShader(kSphereMapStage)) a->shaders.AddShader(kTextureStage);
    const bool sphereExists = a->shaders.Items(1)->kind == kSphereMapStage;
    TQGLBaseDynamicMeshObject m;
    m.Materials = &materials;
    AddFace(m, 0, false);
    GLRecorder::Clear();
    m.BuildSubMeshes();
    EXPECT_EQ(GLRecorder::Count("glMultiTexCoord2fARB"), 0); // no indices, no coordinates

    TQGLBaseDynamicMeshObject t;
    t.Materials = &materials;
    AddFace(t, 0, true);
    GLRecorder::Clear();
    t.BuildSubMeshes();
    int unit0 = 0, unit1 = 0;
    for (const auto& c : GLRecorder::Calls())
        if (c.name == "glMultiTexCoord2fARB") (c.args[0] == GL_TEXTURE0_ARB ? unit0 : unit1)++;
    EXPECT_EQ(unit0, 3);
    EXPECT_EQ(unit1, sphereExists ? 0 : 3);
}

TEST_F(MeshTrace, ABlendedMaterialMarksTheObject) {
    materials.Items(1)->blendFlag = true;
    TQGLBaseDynamicMeshObject m;
    m.Materials = &materials;
    AddFace(m, 0, false);
    AddFace(m, 1, false);
    m.BuildSubMeshes();
    EXPECT_TRUE(m.HasBlendedMaterial);
}

TEST_F(MeshTrace, DrawSubMeshesSwitchesMaterialOncePerChange) {
    TQGLBaseDynamicMeshObject m;
    m.Materials = &materials;
    for (int mat : {0, 0, 1})
        AddFace(m, mat, false);
    m.BuildSubMeshes();
    materials.ResetMaterial();
    m.DrawSubMeshes(0);
    EXPECT_EQ(materials.Current(), 1);
    GLRecorder::Clear();
    m.DrawSubMeshes(0);
    EXPECT_EQ(GLRecorder::Count("glCallList"), 2);
}

TEST_F(MeshTrace, ABadFaceIsReportedOnceAndSkipped) {
    TQGLBaseDynamicMeshObject m;
    m.Materials = &materials;
    AddFace(m, 0, false);
    AddFace(m, 7, false); // no material 7
    AddFace(m, 0, false);
    m.Faces.Get(2)->VectorIndices[1] = 99; // no vertex 99
    GLRecorder::Clear();
    m.BuildSubMeshes();
    EXPECT_EQ(m.SubMeshes().Count(), 1);
    EXPECT_EQ(GLRecorder::Count("glVertex3fv"), 3);
}

TEST_F(MeshTrace, BoundingBoxOverlayLeavesLightingDepthAndTexturingOnAndWhite) {
    TQGLBaseDynamicMeshObject m;
    m.SetBoundingBox(0, 1, 0, 1, 0, 1);
    GLRecorder::Clear();
    m.DrawBoundingBox();
    const std::vector<std::string> lines = GLRecorder::Lines();
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[3], "glColor3ub(255, 255, 0)");
    EXPECT_EQ(GLRecorder::Count("glVertex3fv"), 24);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
              (std::vector<std::string>{"glColor3f(1, 1, 1)", "glEnable(2929)", "glEnable(2896)",
                                        "glEnable(3553)"}));
}

TEST_F(MeshTrace, NormalsOverlaySkipsTextureUnitTwo) {
    TQGLBaseDynamicMeshObject m;
    AddFace(m, 0, false);
    GLRecorder::Clear();
    m.DrawNormalVectors();
    std::vector<double> units;
    for (const auto& c : GLRecorder::Calls())
        if (c.name == "glActiveTextureARB") units.push_back(c.args[0] - GL_TEXTURE0_ARB);
    EXPECT_EQ(units, (std::vector<double>{0, 1, 3, 4, 0}));
    EXPECT_EQ(GLRecorder::Count("glBegin"), 3); // one line per corner
    EXPECT_EQ(GLRecorder::Calls().front().ToString(), "glPushAttrib(262208)");
    EXPECT_EQ(GLRecorder::Calls().back().name, "glPopAttrib");
}

TEST_F(MeshTrace, StaticNodesCompileOnFirstDrawAndSwitchingListsOffDeletesThem) {
    TQGLStaticMeshObject m;
    m.Materials = &materials;
    for (int mat : {0, 1})
        AddFace(m, mat, false);
    m.BuildOctree();
    GLRecorder::Clear();
    m.Octree->DrawNode(0);
    EXPECT_EQ(GLRecorder::Count("glNewList"), 2);
    EXPECT_EQ(GLRecorder::Count("glCallList"), 2);
    GLRecorder::Clear();
    m.Octree->DrawNode(0);
    EXPECT_EQ(GLRecorder::Count("glNewList"), 0); // compiled once
    GLRecorder::Clear();
    m.SetUseDisplayLists(false);
    EXPECT_EQ(GLRecorder::Count("glDeleteLists"), 2);
    GLRecorder::Clear();
    m.Octree->DrawNode(0); // immediate mode now
    EXPECT_EQ(GLRecorder::Count("glNewList"), 0);
    EXPECT_EQ(GLRecorder::Count("glBegin"), 2);
    m.SetUseDisplayLists(true);
    GLRecorder::Clear();
    m.Octree->DrawNode(0);
    EXPECT_EQ(GLRecorder::Count("glNewList"), 2); // rebuilt on the next draw
}

TEST_F(MeshTrace, ImmediateModeSwitchesMaterialOutsideBeginEnd) {
    TQGLStaticMeshObject m;
    m.Materials = &materials;
    for (int mat : {0, 1})
        AddFace(m, mat, false);
    m.BuildOctree();
    m.SetUseDisplayLists(false);
    materials.ResetMaterial();
    GLRecorder::Clear();
    m.Octree->DrawNode(0);
    int depth = 0;
    for (const auto& c : GLRecorder::Calls()) {
        if (c.name == "glBegin") ++depth;
        if (c.name == "glEnd") --depth;
        if (c.name == "glMaterialfv") {
            EXPECT_EQ(depth, 0) << "material change inside glBegin";
        }
    }
    EXPECT_EQ(depth, 0);
}

TEST_F(MeshTrace, NodeBoxesAreBlueAndMagentaWhereParticlesSit) {
    TQGLStaticMeshObject m;
    m.Materials = &materials;
    AddFace(m, 0, false);
    m.BuildOctree();
    m.Octree->ParticleSystems.push_back(nullptr);
    GLRecorder::Clear();
    m.Octree->DrawNodeBoxes();
    const std::vector<std::string> lines = GLRecorder::Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "glColor3f(1, 0, 1)"), lines.end());
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "glEnable(2912)"),
              lines.end()); // fog stays off
}

TEST_F(MeshTrace, RenderStaticCullsNodesOutsideTheFrustum) {
    TQGLFrustrum frustum; // zero planes: nothing is visible
    TQGLStaticMeshObject m;
    m.Materials = &materials;
    m.Frustum = &frustum;
    AddFace(m, 0, false);
    m.BuildOctree();
    GLRecorder::Clear();
    m.RenderStatic(0);
    EXPECT_EQ(GLRecorder::Count("glCallList"), 0);
    EXPECT_TRUE(m.VisibleNodes.empty());
}

TEST_F(MeshTrace, TerrainOfTwoByTwoHasTwoFacesAndOneByNNone) {
    TQGLStaticMeshObject t;
    t.Materials = &materials;
    t.BuildTerrainFromHeights({128, 138, 128, 128}, 2, 2, 10, 2);
    EXPECT_EQ(t.Faces.Count(), 2);
    EXPECT_EQ(materials.Count(), 3); // the terrain's own material
    EXPECT_FLOAT_EQ(materials.Items(2)->ambient.x, 0.2f);
    EXPECT_FLOAT_EQ(materials.Items(2)->diffuse.x, 0.8f);
    EXPECT_EQ(t.Faces.Get(0)->MaterialIndex, 2);
    // Corner (1, 0) is at x = 10 - 10, height (138 - 128) * 2.
    const TQGLFace& first = *t.Faces.Get(0);
    const Vec3& c = t.Vertices[size_t(first.VectorIndices[2])];
    EXPECT_FLOAT_EQ(c.x, 0.0f);
    EXPECT_FLOAT_EQ(c.y, 20.0f);
    EXPECT_FLOAT_EQ(t.Vertices[size_t(first.VectorIndices[0])].x, -10.0f);
    EXPECT_EQ(t.Normals.size(), 1u);       // one shared up normal
    EXPECT_EQ(t.Vertices.size(), 3u + 3u); // unique corners, then always-new corners

    TQGLStaticMeshObject thin;
    thin.Materials = &materials;
    thin.BuildTerrainFromHeights(std::vector<uint8_t>(5, 128), 1, 5, 10, 1);
    EXPECT_EQ(thin.Faces.Count(), 0);
}
