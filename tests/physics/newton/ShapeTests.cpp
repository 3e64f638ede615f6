#include "LayerScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace layer_test;

namespace {

struct PolygonLog {
    std::vector<int> counts;
    std::vector<float> points;
};
PolygonLog g_polygons;

void LogPolygon(const NewtonBody*, int vertexCount, const float* vertices, int) {
    g_polygons.counts.push_back(vertexCount);
    g_polygons.points.insert(g_polygons.points.end(), vertices, vertices + 3 * vertexCount);
}

std::vector<int> WalkBody(const NewtonBody* body) {
    g_polygons = PolygonLog{};
    NewtonBodyForEachPolygonDo(body, &LogPolygon);
    return g_polygons.counts;
}

const float kCube[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                           {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};

class ShapeTest : public ::testing::Test {
  protected:
    NewtonWorld* World() const { return scene.World(); }
    LayerScene scene;
};

} // namespace

TEST_F(ShapeTest, BodyHoldsAReferenceSoAReleasedShapeStaysUsable) {
    NewtonCollision* box = NewtonCreateBox(World(), 2, 2, 2, nullptr);
    EXPECT_EQ(NewtonCollisionGetReferenceCount(box), 1);
    NewtonBody* body = NewtonCreateBody(World(), box);
    EXPECT_EQ(NewtonCollisionGetReferenceCount(box), 2);
    NewtonReleaseCollision(World(), box);
    EXPECT_EQ(NewtonCollisionGetReferenceCount(box), 1);
    EXPECT_EQ(NewtonBodyGetCollision(body), box);
    EXPECT_EQ(WalkBody(body).size(), 6u);

    NewtonCollision* child = NewtonCreateSphere(World(), 1, 1, 1, nullptr);
    NewtonCollision* compound = NewtonCreateCompoundCollision(World(), 1, &child);
    EXPECT_EQ(NewtonCollisionGetReferenceCount(child), 2);
    NewtonReleaseCollision(World(), child);
    EXPECT_EQ(NewtonCollisionGetReferenceCount(child), 1);
    NewtonBody* holder = NewtonCreateBody(World(), compound);
    NewtonReleaseCollision(World(), compound);
    EXPECT_EQ(WalkBody(holder).size(), 96u); // the child's sphere is still there
}

TEST_F(ShapeTest, PolygonWalkGivesEachShapesFacesInWorldSpace) {
    NewtonCollision* box = NewtonCreateBox(World(), 2, 4, 6, nullptr);
    NewtonBody* body = scene.AddBody(box, 1, 10, 0, 0);
    NewtonReleaseCollision(World(), box);
    EXPECT_EQ(WalkBody(body), std::vector<int>(6, 4));
    float lo = 1e9f, hi = -1e9f;
    for (size_t i = 0; i < g_polygons.points.size(); i += 3) {
        lo = std::min(lo, g_polygons.points[i]);
        hi = std::max(hi, g_polygons.points[i]);
        EXPECT_NEAR(std::abs(g_polygons.points[i + 2]), 3.0f, 1e-5f);
    }
    EXPECT_FLOAT_EQ(lo, 9.0f);
    EXPECT_FLOAT_EQ(hi, 11.0f);

    NewtonCollision* sphere = NewtonCreateSphere(World(), 1, 2, 1, nullptr);
    NewtonBody* ball = NewtonCreateBody(World(), sphere);
    const std::vector<int> ballFaces = WalkBody(ball);
    EXPECT_EQ(ballFaces.size(), 96u);
    float top = 0;
    for (size_t i = 1; i < g_polygons.points.size(); i += 3)
        top = std::max(top, g_polygons.points[i]);
    EXPECT_FLOAT_EQ(top, 2.0f); // the ellipsoid's y radius

    NewtonCollision* hull =
        NewtonCreateConvexHull(World(), 8, &kCube[0][0], 3 * sizeof(float), nullptr);
    ASSERT_NE(hull, nullptr);
    NewtonBody* block = NewtonCreateBody(World(), hull);
    EXPECT_EQ(WalkBody(block), std::vector<int>(6, 4));

    NewtonBody* floor = scene.AddTreeFloor(0.0f);
    EXPECT_EQ(WalkBody(floor), std::vector<int>(2, 3));

    NewtonCollision* parts[2] = {hull, sphere};
    NewtonCollision* compound = NewtonCreateCompoundCollision(World(), 2, parts);
    NewtonBody* both = NewtonCreateBody(World(), compound);
    EXPECT_EQ(WalkBody(both).size(), 6u + 96u);
    for (NewtonCollision* c : {sphere, hull, compound})
        NewtonReleaseCollision(World(), c);
}

TEST_F(ShapeTest, UnitInertiaAndCentreOfEachShape) {
    float inertia[3], origin[3];
    NewtonCollision* box = NewtonCreateBox(World(), 2, 4, 6, nullptr);
    NewtonConvexCollisionCalculateInertialMatrix(box, inertia, origin);
    EXPECT_NEAR(inertia[0], (16.0f + 36.0f) / 12.0f, 1e-4f);
    EXPECT_NEAR(inertia[1], (4.0f + 36.0f) / 12.0f, 1e-4f);
    EXPECT_NEAR(inertia[2], (4.0f + 16.0f) / 12.0f, 1e-4f);

    NewtonCollision* hull =
        NewtonCreateConvexHull(World(), 8, &kCube[0][0], 3 * sizeof(float), nullptr);
    NewtonConvexCollisionCalculateInertialMatrix(hull, inertia, origin);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(inertia[i], 8.0f / 12.0f, 1e-4f); // a 2 m cube
        EXPECT_NEAR(origin[i], 0.0f, 1e-5f);
    }

    NewtonCollision* ball = NewtonCreateSphere(World(), 1, 1, 1, nullptr);
    NewtonConvexCollisionCalculateInertialMatrix(ball, inertia, origin);
    EXPECT_NEAR(inertia[0], 0.4f, 1e-5f);

    // Two unit cubes 2 m apart: centre between them, parallel-axis term about y and z.
    const Matrix left = Translation(0, 0, 0), right = Translation(2, 0, 0);
    NewtonCollision* parts[2] = {NewtonCreateBox(World(), 1, 1, 1, left.data()),
                                 NewtonCreateBox(World(), 1, 1, 1, right.data())};
    NewtonCollision* pair = NewtonCreateCompoundCollision(World(), 2, parts);
    NewtonConvexCollisionCalculateInertialMatrix(pair, inertia, origin);
    EXPECT_NEAR(origin[0], 1.0f, 1e-5f);
    EXPECT_NEAR(inertia[0], 1.0f / 6.0f, 1e-4f);
    EXPECT_NEAR(inertia[1], 1.0f / 6.0f + 1.0f, 1e-4f);
    for (NewtonCollision* c : {box, hull, ball, parts[0], parts[1], pair})
        NewtonReleaseCollision(World(), c);
}

TEST_F(ShapeTest, PointDistanceFindsTheClosestSurfacePointAndItsNormal) {
    NewtonCollision* box = NewtonCreateBox(World(), 2, 2, 2, nullptr);
    const Matrix at = Translation(5, 0, 0);
    float contact[3], normal[3];
    const float outside[3] = {10, 0.5f, 0};
    ASSERT_EQ(NewtonCollisionPointDistance(World(), outside, box, at.data(), contact, normal), 1);
    EXPECT_NEAR(contact[0], 6.0f, 1e-3f);
    EXPECT_NEAR(contact[1], 0.5f, 1e-3f);
    EXPECT_NEAR(normal[0], 1.0f, 1e-3f);

    const float inside[3] = {5.8f, 0, 0};
    ASSERT_EQ(NewtonCollisionPointDistance(World(), inside, box, at.data(), contact, normal), 1);
    EXPECT_NEAR(contact[0], 6.0f, 1e-3f);
    EXPECT_NEAR(normal[0], 1.0f, 1e-3f); // outward

    NewtonCollision* ellipsoid = NewtonCreateSphere(World(), 2, 1, 1, nullptr);
    const Matrix origin = Translation(0, 0, 0);
    const float along[3] = {5, 0, 0};
    ASSERT_EQ(
        NewtonCollisionPointDistance(World(), along, ellipsoid, origin.data(), contact, normal), 1);
    EXPECT_NEAR(contact[0], 2.0f, 1e-3f);
    const float above[3] = {0, 4, 0};
    ASSERT_EQ(
        NewtonCollisionPointDistance(World(), above, ellipsoid, origin.data(), contact, normal), 1);
    EXPECT_NEAR(contact[1], 1.0f, 1e-3f);
    EXPECT_NEAR(normal[1], 1.0f, 1e-3f);

    NewtonCollision* tree = NewtonCreateTreeCollision(World(), nullptr);
    EXPECT_EQ(NewtonCollisionPointDistance(World(), above, tree, origin.data(), contact, normal),
              0);
    for (NewtonCollision* c : {box, ellipsoid, tree})
        NewtonReleaseCollision(World(), c);
}

TEST_F(ShapeTest, UnusableShapeInputIsRejected) {
    const float flat[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}};
    EXPECT_EQ(NewtonCreateConvexHull(World(), 4, &flat[0][0], 3 * sizeof(float), nullptr), nullptr);
    EXPECT_EQ(NewtonCreateConvexHull(World(), 8, &kCube[0][0], 4, nullptr), nullptr);
    EXPECT_EQ(NewtonCreateConvexHull(World(), 3, &kCube[0][0], 3 * sizeof(float), nullptr),
              nullptr);
    EXPECT_EQ(NewtonCreateBox(World(), 1, -1, 1, nullptr), nullptr);
    EXPECT_EQ(NewtonCreateSphere(World(), 1, 1, std::nanf(""), nullptr), nullptr);
    NewtonCollision* tree = NewtonCreateTreeCollision(World(), nullptr);
    NewtonCollision* parts[1] = {tree};
    EXPECT_EQ(NewtonCreateCompoundCollision(World(), 1, parts), nullptr);
    // A stride that interleaves other data is honoured.
    const float padded[8][4] = {{-1, -1, -1, 9}, {1, -1, -1, 9}, {1, 1, -1, 9}, {-1, 1, -1, 9},
                                {-1, -1, 1, 9},  {1, -1, 1, 9},  {1, 1, 1, 9},  {-1, 1, 1, 9}};
    NewtonCollision* hull =
        NewtonCreateConvexHull(World(), 8, &padded[0][0], 4 * sizeof(float), nullptr);
    ASSERT_NE(hull, nullptr);
    float inertia[3], origin[3];
    NewtonConvexCollisionCalculateInertialMatrix(hull, inertia, origin);
    EXPECT_NEAR(inertia[0], 8.0f / 12.0f, 1e-4f);
    NewtonReleaseCollision(World(), hull);
    NewtonReleaseCollision(World(), tree);
}

TEST_F(ShapeTest, TreeInUseByABodyIsNotRebuilt) {
    NewtonBody* floor = scene.AddTreeFloor(0.0f);
    NewtonCollision* tree = NewtonBodyGetCollision(floor);
    NewtonTreeCollisionBeginBuild(tree);
    const float face[9] = {0, 5, 0, 1, 5, 0, 0, 5, 1};
    NewtonTreeCollisionAddFace(tree, 3, face, 3 * sizeof(float), 0);
    NewtonTreeCollisionEndBuild(tree, 0);
    EXPECT_EQ(WalkBody(floor), std::vector<int>(2, 3));
    NewtonBody* box = scene.AddBox(1, 1, 0, 2, 0);
    scene.Run(120);
    EXPECT_NEAR(Position(box)[1], 0.5f, 0.03f);
}
