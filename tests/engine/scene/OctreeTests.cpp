#include "engine/scene/StaticMeshObject.h"

#include <gtest/gtest.h>

using namespace quarn;

namespace {

int AddTriangle(TQGLStaticMeshObject& m, Vec3 a, Vec3 b, Vec3 c) {
    auto face = std::make_unique<TQGLFace>();
    for (const Vec3& p : {a, b, c}) {
        face->AddVectorIndex(m.AddVector(p));
        face->AddNormalIndex(m.AddUniqueNormal(Vec3{0, 1, 0}));
    }
    return m.Faces.Add(std::move(face));
}

// n small triangles spread along a diagonal line from (-s,-s,-s) to (s,s,s).
void FillDiagonal(TQGLStaticMeshObject& m, int n, float s) {
    for (int i = 0; i < n; ++i) {
        const float t = -s + 2 * s * (float(i) + 0.5f) / float(n);
        AddTriangle(m, {t, t, t}, {t + 0.01f, t, t}, {t, t + 0.01f, t});
    }
}

int CountLeafFaces(const TQGLOctree& node) {
    int n = node.FaceCount;
    for (const auto& c : node.Children)
        if (c) n += CountLeafFaces(*c);
    return n;
}

int Depth(const TQGLOctree& node) {
    int d = 0;
    for (const auto& c : node.Children)
        if (c) d = std::max(d, Depth(*c));
    return d + 1;
}

class OctreeBuild : public ::testing::Test {
  protected:
    void TearDown() override { OctreeBuildSettings() = OctreeSettings{}; }
};

} // namespace

TEST_F(OctreeBuild, AtMostTheFaceLimitGivesOneLeafHoldingEveryFace) {
    TQGLStaticMeshObject m;
    FillDiagonal(m, 500, 10);
    m.BuildOctree();
    EXPECT_FALSE(m.Octree->Subdivided);
    EXPECT_EQ(m.Octree->FaceCount, 500);
    EXPECT_EQ(m.Octree->FaceIndices.front(), 0);
    EXPECT_EQ(m.Octree->FaceIndices.back(), 499);
}

TEST_F(OctreeBuild, CentreIsTheVertexMeanAndWidthTwiceTheLargestCoordinate) {
    TQGLStaticMeshObject m;
    AddTriangle(m, {0, 0, 0}, {3, 0, 0}, {0, -6, 0});
    m.BuildOctree();
    EXPECT_FLOAT_EQ(m.Octree->Center.x, 1.0f);
    EXPECT_FLOAT_EQ(m.Octree->Center.y, -2.0f);
    EXPECT_FLOAT_EQ(m.Octree->Width, 12.0f);
}

TEST_F(OctreeBuild, MoreFacesSubdivideAndEveryFaceLandsInExactlyOneLeaf) {
    TQGLStaticMeshObject m;
    FillDiagonal(m, 1200, 10);
    m.BuildOctree();
    EXPECT_TRUE(m.Octree->Subdivided);
    EXPECT_EQ(m.Octree->FaceCount, 0); // inner nodes hold no faces
    EXPECT_EQ(CountLeafFaces(*m.Octree), 1200);
}

TEST_F(OctreeBuild, AFaceStraddlingTheCentreGoesToTheFirstMatchingOctant) {
    TQGLStaticMeshObject m;
    OctreeBuildSettings().MaxFacesPerNode = 1;
    // Centre lands at the origin: one corner in octant 1 (x<=, y>=, z>=), two in octant 8.
    AddTriangle(m, {-1, 1, 1}, {1, -1, -1}, {1, -1, -1.5f});
    AddTriangle(m, {1, -1, -1}, {-1, 1, 1}, {1.5f, -1, -1}); // a mirror keeps the mean central
    m.BuildOctree();
    ASSERT_TRUE(m.Octree->Subdivided);
    ASSERT_TRUE(m.Octree->Children[0]);
    EXPECT_FALSE(m.Octree->Children[7]); // nothing reached octant 8
    EXPECT_EQ(CountLeafFaces(*m.Octree->Children[0]), 2);
}

TEST_F(OctreeBuild, ChildCentresAreOffsetByAQuarterOfTheWidth) {
    TQGLStaticMeshObject m;
    OctreeBuildSettings().MaxFacesPerNode = 1;
    AddTriangle(m, {-4, 4, 4}, {-4, 4, 4}, {-4, 4, 4});    // octant 1
    AddTriangle(m, {4, -4, -4}, {4, -4, -4}, {4, -4, -4}); // octant 8
    m.BuildOctree();
    ASSERT_TRUE(m.Octree->Children[0] && m.Octree->Children[7]);
    EXPECT_FLOAT_EQ(m.Octree->Children[0]->Center.x, -2.0f); // width 8, quarter 2
    EXPECT_FLOAT_EQ(m.Octree->Children[0]->Center.y, 2.0f);
    EXPECT_FLOAT_EQ(m.Octree->Children[7]->Center.z, -2.0f);
    EXPECT_FLOAT_EQ(m.Octree->Children[7]->Width, 4.0f);
    EXPECT_EQ(m.Octree->Children[7]->Parent, m.Octree.get());
}

TEST_F(OctreeBuild, AutoNodeSizeDerivesTheLimitFromTheFaceCount) {
    TQGLStaticMeshObject a;
    a.SetAutoNodeSize(true);
    FillDiagonal(a, 16, 10);
    a.BuildOctree();
    EXPECT_EQ(OctreeBuildSettings().MaxFacesPerNode, 1); // 16 div 8 - 1

    TQGLStaticMeshObject b;
    b.SetAutoNodeSize(true);
    FillDiagonal(b, 7, 10);
    b.BuildOctree();
    EXPECT_EQ(OctreeBuildSettings().MaxFacesPerNode, -1);
    // Every node with a face subdivides until the depth limit.
    EXPECT_EQ(Depth(*b.Octree), OctreeBuildSettings().MaxSubdivisions + 1);
    EXPECT_EQ(CountLeafFaces(*b.Octree), 7);
}

TEST_F(OctreeBuild, NodeBoxMinimumYSitsATenthLower) {
    TQGLStaticMeshObject m;
    AddTriangle(m, {0, 2, 0}, {4, 2, 1}, {0, 5, 3});
    m.BuildOctree();
    const Vec3* c = m.Octree->Corners;
    EXPECT_FLOAT_EQ(c[4].y, 1.9f); // minimum corner
    EXPECT_FLOAT_EQ(c[4].x, 0.0f);
    EXPECT_FLOAT_EQ(c[2].y, 5.0f); // maximum corner untouched
    EXPECT_FLOAT_EQ(c[2].z, 3.0f);
    EXPECT_FLOAT_EQ(c[0].y, 1.9f); // every minimum-y corner
    EXPECT_FLOAT_EQ(c[0].z, 3.0f);
}

TEST_F(OctreeBuild, EmptyMeshBuildsAnEmptyLeaf) {
    TQGLStaticMeshObject m;
    m.BuildOctree();
    EXPECT_FALSE(m.Octree->Subdivided);
    EXPECT_EQ(m.Octree->FaceCount, 0);
}

TEST_F(OctreeBuild, ParticleBoxesGoToTheDeepestEnclosingNodeOrWidenTheRoot) {
    TQGLStaticMeshObject m;
    OctreeBuildSettings().MaxFacesPerNode = 1;
    AddTriangle(m, {-8, 8, 8}, {-7, 8, 8}, {-8, 7, 8});
    AddTriangle(m, {8, -8, -8}, {7, -8, -8}, {8, -7, -8});
    m.BuildOctree();
    auto* system = reinterpret_cast<TQGLParticleSystem*>(0x10);
    Vec3 box[8];
    BoxCorners({-7.9f, 7.5f, 8.0f}, {-7.5f, 7.9f, 8.0f}, box); // inside child 1's flat box
    m.PlaceParticleSystem(system, box, false);
    ASSERT_EQ(m.ParticleNodes.size(), 1u);
    EXPECT_EQ(m.ParticleNodes[0], m.Octree->Children[0].get());
    m.PlaceParticleSystem(system, box, false);
    EXPECT_EQ(m.ParticleNodes.size(), 1u); // a node is listed once

    Vec3 far[8];
    BoxCorners({50, 50, 50}, {51, 51, 51}, far);
    m.PlaceParticleSystem(system, far, false);
    EXPECT_EQ(m.ParticleNodes.size(), 1u); // not enclosed, not allowed to grow
    m.PlaceParticleSystem(system, far, true);
    EXPECT_EQ(m.ParticleNodes.back(), m.Octree.get());
    EXPECT_FLOAT_EQ(m.Octree->Corners[2].x, 51.0f);
}
