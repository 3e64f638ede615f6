#include "engine/scene/DynamicMeshObject.h"
#include "engine/scene/HeightMap.h"
#include "engine/scene/StaticMeshObject.h"

#include <gtest/gtest.h>

using namespace quarn;

TEST(MeshGeometry, UniqueAddsFindTheFirstBitwiseEqualEntry) {
    TQGLStaticMeshObject m;
    EXPECT_EQ(m.AddVector({1, 2, 3}), 0);
    EXPECT_EQ(m.AddVector({1, 2, 3}), 1); // plain adds always append
    EXPECT_EQ(m.AddUniqueVector({1, 2, 3}), 0);
    EXPECT_EQ(m.AddVector({-0.0f, 0, 0}), 2);
    EXPECT_EQ(m.AddUniqueVector({0.0f, 0, 0}), 3); // -0.0 and 0.0 differ
    EXPECT_EQ(m.AddUniqueVector({-0.0f, 0, 0}), 2);
    EXPECT_EQ(m.Vertices.size(), 4u);
}

TEST(MeshGeometry, UniqueIndexFollowsChangesInPlace) {
    TQGLStaticMeshObject m;
    m.AddVector({1, 1, 1});
    m.AddVector({2, 2, 2});
    EXPECT_EQ(m.AddUniqueVector({2, 2, 2}), 1);
    m.PutVectorAt({5, 5, 5}, 0);
    EXPECT_EQ(m.AddUniqueVector({5, 5, 5}), 0);
    EXPECT_EQ(m.AddUniqueVector({1, 1, 1}), 2); // the old value is gone
    m.SetVertexCount(1);
    EXPECT_EQ(m.AddUniqueVector({2, 2, 2}), 1);
    EXPECT_THROW(m.PutVectorAt({0, 0, 0}, 7), EngineError);
}

TEST(MeshGeometry, SetAtGrowsNormalsAndTexCoords) {
    TQGLStaticMeshObject m;
    m.SetNormalAt({0, 1, 0}, 3);
    EXPECT_EQ(m.Normals.size(), 4u);
    EXPECT_FLOAT_EQ(m.Normals[3].y, 1.0f);
    EXPECT_FLOAT_EQ(m.Normals[1].y, 0.0f);
    EXPECT_EQ(m.AddUniqueNormal({0, 1, 0}), 3);
    m.SetTexCoordAt({0.5f, 0.25f, 7}, 1);
    EXPECT_EQ(m.AddUniqueTexCoord({0.5f, 0.25f, 7}), 1);
    EXPECT_EQ(m.AddUniqueTexCoord({0.5f, 0.25f, 8}), 2); // all three components compared
}

TEST(MeshGeometry, FacesOutsideTheirListRaiseTheListError) {
    TQGLStaticMeshObject m;
    try {
        m.FaceAt(2);
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (2)");
    }
}

TEST(MeshGeometry, BadFacesAreDescribed) {
    TQGLFace f;
    for (int i : {0, 1, 2})
        f.AddVectorIndex(i), f.AddNormalIndex(0);
    EXPECT_EQ(DescribeBadFace(f, 3, 1, 0, 1), "");
    EXPECT_NE(DescribeBadFace(f, 2, 1, 0, 1), ""); // vertex 2 missing
    EXPECT_NE(DescribeBadFace(f, 3, 0, 0, 1), ""); // no normals
    EXPECT_NE(DescribeBadFace(f, 3, 1, 0, 0), ""); // material 0 missing
    f.AddTexCoordIndex(0);
    EXPECT_NE(DescribeBadFace(f, 3, 1, 5, 1), ""); // fewer texcoord indices than corners
    f.AddVectorIndex(0);
    EXPECT_NE(DescribeBadFace(f, 3, 1, 5, 1), ""); // four corners
}

TEST(BoundingBox, CornersFollowTheFixedOrderAndStartFromTheFirstVertex) {
    TQGLBaseDynamicMeshObject m;
    m.AddVector({2, 3, 4});
    m.AddVector({5, 7, 9});
    m.AddVector({3, 4, 6});
    m.ComputeBoundingBox();
    const Vec3* c = m.BoundingCorners;
    // All vertices in the positive octant: the minimum is the smallest vertex, not the origin.
    EXPECT_FLOAT_EQ(c[4].x, 2);
    EXPECT_FLOAT_EQ(c[4].y, 3);
    EXPECT_FLOAT_EQ(c[4].z, 4);
    EXPECT_FLOAT_EQ(c[2].x, 5);
    EXPECT_FLOAT_EQ(c[0].z, 9); // corner 0: (min, min, max)
    EXPECT_FLOAT_EQ(c[1].x, 5);
    EXPECT_FLOAT_EQ(c[5].y, 7); // corner 5: (min, max, min)
    EXPECT_FLOAT_EQ(c[7].z, 4); // corner 7: (max, min, min)
}

TEST(BoundingBox, SetBoundingBoxUsesTheSameOrderAndAnEmptyMeshGetsAPoint) {
    TQGLBaseDynamicMeshObject m;
    m.SetBoundingBox(-1, 1, -2, 2, -3, 3);
    EXPECT_FLOAT_EQ(m.BoundingCorners[3].y, 2);
    EXPECT_FLOAT_EQ(m.BoundingCorners[3].z, 3);
    EXPECT_FLOAT_EQ(m.BoundingCorners[6].x, 1);
    EXPECT_FLOAT_EQ(m.BoundingCorners[6].z, -3);
    m.ComputeBoundingBox();
    EXPECT_FLOAT_EQ(m.BoundingCorners[2].x, 0);
}

TEST(BoundingBox, ProxiesMeasureTheirSourcesVertices) {
    TQGLBaseDynamicMeshObject source, proxy;
    source.AddVector({-4, 0, 0});
    source.AddVector({4, 1, 1});
    proxy.ProxySource = &source;
    proxy.IsProxy = true;
    EXPECT_EQ(&proxy.GetVertices(), &source.Vertices);
    proxy.ComputeBoundingBox();
    EXPECT_FLOAT_EQ(proxy.BoundingCorners[4].x, -4);
}

TEST(HeightMapName, JpgInAnyCaseIsJpegAndJpegIsNot) {
    EXPECT_TRUE(IsJpegHeightMapName("hills.jpg"));
    EXPECT_TRUE(IsJpegHeightMapName("HILLS.JPG"));
    EXPECT_TRUE(IsJpegHeightMapName("hills.JpG"));
    EXPECT_FALSE(IsJpegHeightMapName("hills.jpeg")); // handed to the bitmap loader
    EXPECT_FALSE(IsJpegHeightMapName("jpg"));
}
