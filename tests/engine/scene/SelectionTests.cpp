// The selection operations on static meshes: geometry moved, turned about its centre and scaled,
// the octree rebuilt, and deletion leaving nothing behind.
#include "engine/scene/MeshTransforms.h"
#include "engine/scene/Scene.h"
#include "platform/gl/GLRecorder.h"

#include <gtest/gtest.h>

using namespace quarn;
using gl::GLRecorder;

namespace {

class Selection : public ::testing::Test {
  protected:
    void SetUp() override { GLRecorder::Install(); }
    void TearDown() override { GLRecorder::Uninstall(); }
};

// One triangle with its centre at (1, 1, 0) and a normal along +z.
TQGLStaticMeshObject* AddTriangle(TQGLScene& scene) {
    auto mesh = std::make_unique<TQGLStaticMeshObject>();
    mesh->Frustum = &scene.frustum;
    mesh->Materials = &scene.materials;
    mesh->AddVector(Vec3{0, 0, 0});
    mesh->AddVector(Vec3{3, 0, 0});
    mesh->AddVector(Vec3{0, 3, 0});
    mesh->AddNormal(Vec3{0, 0, 1});
    TQGLStaticMeshObject* m = scene.staticObjects.AddNew(std::move(mesh));
    m->RebuildOctree();
    return m;
}

void ExpectVec(const Vec3& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-5);
    EXPECT_NEAR(v.y, y, 1e-5);
    EXPECT_NEAR(v.z, z, 1e-5);
}

} // namespace

TEST_F(Selection, StaticMeshesMoveTurnAboutTheirCentreAndScaleTheirGeometry) {
    TQGLScene scene(64, 64);
    TQGLStaticMeshObject* m = AddTriangle(scene);
    scene.selection.push_back(m);
    m->Position = Vec3{10, 0, 0}; // stored, read by moves, never changed
    scene.MoveSelectedX(3);       // vertices move by position + (-3, 0, 0)
    ExpectVec(m->Vertices[0], 7, 0, 0);
    EXPECT_EQ(m->Position.x, 10);
    m->Position = Vec3{};
    scene.MoveSelectedByVector(Vec3{-7, 0, 0});
    ExpectVec(m->Vertices[1], 3, 0, 0);
    // A quarter turn about Y around the centre (1, 1, 0): (x, y, z) - c -> (-z, y, x) + c.
    scene.RotateSelectedY(90);
    ExpectVec(m->Vertices[0], 1, 0, -1);
    ExpectVec(m->Vertices[1], 1, 0, 2);
    ExpectVec(m->Normals[0], -1, 0, 0); // normals turn with the geometry
    // RotateSelectedZ turns about X; RotateSelectedX about Z.
    TQGLStaticMeshObject* flat = AddTriangle(scene);
    scene.selection = {flat};
    scene.RotateSelectedZ(90); // about X: (x, y, z) - c -> (x, z, -y) + c
    ExpectVec(flat->Vertices[2], 0, 1, -2);
    const TQGLOctree* before = flat->Octree.get();
    scene.ScaleSelected(Vec3{2, 1, 1});
    ExpectVec(flat->Vertices[1], 6, 1, 1);
    EXPECT_NE(flat->Octree.get(), before); // a new octree for the new geometry

    GLRecorder::Clear();
    scene.selection = {m, flat};
    scene.DeleteSelected();
    EXPECT_EQ(scene.staticObjects.Count(), 0);
    EXPECT_TRUE(scene.selection.empty());
}

TEST(MeshTransforms, CentreIsTheVertexAverageAndAnEmptyMeshStaysPut) {
    TQGLStaticMeshObject empty;
    ExpectVec(MeshCentre(empty), 0, 0, 0);
    RotateMeshX(empty, 45); // nothing to turn, no division by zero
    EXPECT_TRUE(empty.Vertices.empty());
}
