// Geometry of the predefined cube and quad.
#include "engine/materials/MaterialList.h"
#include "engine/materials/States.h"
#include "engine/scene/Predefined.h"
#include "platform/gl/GLRecorder.h"

#include <gtest/gtest.h>

using namespace quarn;
using gl::GLRecorder;

namespace {

class Predefined : public ::testing::Test {
  protected:
    void SetUp() override { GLRecorder::Install(); }
    void TearDown() override { GLRecorder::Uninstall(); }
};

} // namespace

TEST_F(Predefined, ACubeOfSizes246SpansOneTwoThreeEachWay) {
    TQGLCube cube;
    cube.CreateAt(Vec3{5, 5, 5}, Vec3{});
    cube.SizeX = 2, cube.SizeY = 4, cube.SizeZ = 6;
    cube.BuildGeometry();
    ASSERT_EQ(cube.Vertices.size(), 8u);
    for (const Vec3& v : cube.Vertices) {
        EXPECT_EQ(std::abs(v.x), 1.0f);
        EXPECT_EQ(std::abs(v.y), 2.0f);
        EXPECT_EQ(std::abs(v.z), 3.0f);
    }
    EXPECT_EQ(cube.Vertices[0].x, -1.0f); // P0 (-hx, -hy, +hz)
    EXPECT_EQ(cube.Vertices[0].z, 3.0f);
    EXPECT_EQ(cube.Vertices[6].x, 1.0f); // P6 (+hx, +hy, -hz)
    EXPECT_EQ(cube.Vertices[6].z, -3.0f);
    const Vec3& lo = cube.BoundingCorners[4];
    const Vec3& hi = cube.BoundingCorners[2];
    EXPECT_EQ(lo.x, -1.0f);
    EXPECT_EQ(lo.y, -2.0f);
    EXPECT_EQ(lo.z, -3.0f);
    EXPECT_EQ(hi.x, 1.0f);
    EXPECT_EQ(hi.y, 2.0f);
    EXPECT_EQ(hi.z, 3.0f);
}

TEST_F(Predefined, EveryCubeFaceIsAnOutwardTriangleWithTheCubesMaterial) {
    TQGLCube cube;
    cube.CreateAt(Vec3{}, Vec3{});
    cube.MaterialIndex = 3;
    cube.BuildGeometry();
    ASSERT_EQ(cube.Faces.Count(), 12);
    for (const auto& f : cube.Faces) {
        EXPECT_EQ(f->MaterialIndex, 3);
        ASSERT_EQ(f->VectorIndices.size(), 3u);
        const Vec3 a = cube.Vertices[size_t(f->VectorIndices[0])];
        const Vec3 b = cube.Vertices[size_t(f->VectorIndices[1])];
        const Vec3 c = cube.Vertices[size_t(f->VectorIndices[2])];
        const Vec3 n = cube.Normals[size_t(f->NormalIndices[0])];
        const Vec3 centre = VectorScale(VectorAdd(VectorAdd(a, b), c), 1.0f / 3);
        EXPECT_GT(VectorDot(n, centre), 0); // the normal points away from the centre
    }
    EXPECT_EQ(cube.TexCoords.size(), 4u);
    EXPECT_EQ(cube.Normals.size(), 6u);
}

TEST_F(Predefined, AQuadIsTwoTrianglesInItsXYPlaneFacingPlusZ) {
    TQGLQuad quad;
    quad.CreateAt(Vec3{}, Vec3{});
    quad.SizeX = 4, quad.SizeY = 2;
    quad.BuildGeometry();
    ASSERT_EQ(quad.Vertices.size(), 4u);
    EXPECT_EQ(quad.Vertices[0].x, -2.0f);
    EXPECT_EQ(quad.Vertices[2].y, 1.0f);
    ASSERT_EQ(quad.Normals.size(), 1u);
    EXPECT_EQ(quad.Normals[0].z, 1.0f);
    ASSERT_EQ(quad.Faces.Count(), 2);
    EXPECT_EQ(quad.Faces.Get(1)->VectorIndices, (std::vector<int32_t>{2, 3, 0}));
    EXPECT_EQ(quad.Faces.Get(1)->TexCoordIndices, (std::vector<int32_t>{2, 3, 0}));
    EXPECT_EQ(quad.BoundingCorners[2].z, 0.0f);
    EXPECT_EQ(quad.BoundingCorners[2].x, 2.0f);
}
