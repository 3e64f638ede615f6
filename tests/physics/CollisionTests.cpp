// Collision shapes, checked through the polygons the debug walk reports in world space.
#include "PhysicsTestScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

using namespace physics_test;

namespace {

struct Polygon {
    TqpBodyHandle body;
    std::vector<TQUARNVector> vertices;
};
std::vector<Polygon> g_polygons;

void QUARN_CALL CollectPolygon(TqpBodyHandle body, int32_t count, TQUARNVectorArray vertices) {
    EXPECT_EQ(QUARN_ARRAY_COUNT(vertices), count);
    g_polygons.push_back(Polygon{body, std::vector<TQUARNVector>(vertices, vertices + count)});
}

// A walk started from inside the walk's callback is refused; the running walk goes on whole.
TqpWorldHandle g_walkedWorld = nullptr;
std::string g_nestedError;
void QUARN_CALL CollectAndNest(TqpBodyHandle body, int32_t count, TQUARNVectorArray vertices) {
    if (g_polygons.empty()) {
        qpClearLastError();
        qpWorldDebug(g_walkedWorld, &CollectPolygon);
        g_nestedError = qpGetLastError() ? qpGetLastError() : "";
    }
    CollectPolygon(body, count, vertices);
}

struct Box3 {
    TQUARNVector lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
};

Box3 Extent(TqpWorldHandle world, TqpBodyHandle body) {
    g_polygons.clear();
    qpWorldDebug(world, &CollectPolygon);
    Box3 b;
    for (const Polygon& p : g_polygons) {
        if (p.body != body) continue;
        for (const TQUARNVector& v : p.vertices) {
            b.lo =
                TQUARNVector{std::min(b.lo.x, v.x), std::min(b.lo.y, v.y), std::min(b.lo.z, v.z)};
            b.hi =
                TQUARNVector{std::max(b.hi.x, v.x), std::max(b.hi.y, v.y), std::max(b.hi.z, v.z)};
        }
    }
    return b;
}

void ExpectBox(const Box3& b, TQUARNVector lo, TQUARNVector hi, float tol) {
    EXPECT_NEAR(b.lo.x, lo.x, tol);
    EXPECT_NEAR(b.lo.y, lo.y, tol);
    EXPECT_NEAR(b.lo.z, lo.z, tol);
    EXPECT_NEAR(b.hi.x, hi.x, tol);
    EXPECT_NEAR(b.hi.y, hi.y, tol);
    EXPECT_NEAR(b.hi.z, hi.z, tol);
}

float PolygonArea(const std::vector<TQUARNVector>& v) {
    double ax = 0, ay = 0, az = 0;
    for (size_t i = 1; i + 1 < v.size(); ++i) {
        const double ux = v[i].x - v[0].x, uy = v[i].y - v[0].y, uz = v[i].z - v[0].z;
        const double wx = v[i + 1].x - v[0].x, wy = v[i + 1].y - v[0].y, wz = v[i + 1].z - v[0].z;
        ax += uy * wz - uz * wy;
        ay += uz * wx - ux * wz;
        az += ux * wy - uy * wx;
    }
    return static_cast<float>(0.5 * std::sqrt(ax * ax + ay * ay + az * az));
}

class CollisionShapes : public ::testing::Test {
  protected:
    void SetUp() override { world = qpWorldCreate(); }
    void TearDown() override { qpWorldDestroy(world); }
    TqpWorldHandle world = nullptr;
};

} // namespace

TEST_F(CollisionShapes, DebugWalkReportsEveryBoxFaceOnceInWorldSpace) {
    TqpBodyHandle box = AddBox(world, TQUARNVector{2, 2, 2}, 1, TQUARNVector{10, 0, 0});
    g_polygons.clear();
    g_walkedWorld = world;
    qpWorldDebug(world, &CollectAndNest);
    EXPECT_EQ(g_nestedError, "qpWorldDebug: a debug walk is running (called from its callback)");
    // Total area on each of the six face planes must be exactly one face (4 square units),
    // whether the walk gives quads or triangles.
    std::map<int, float> areaByPlane;
    for (const Polygon& p : g_polygons) {
        ASSERT_EQ(p.body, box);
        ASSERT_GE(p.vertices.size(), 3u);
        int plane = -1;
        const float coords[3][2] = {{9, 11}, {-1, 1}, {-1, 1}};
        for (int axis = 0; axis < 3 && plane < 0; ++axis)
            for (int side = 0; side < 2; ++side) {
                bool all = true;
                for (const TQUARNVector& v : p.vertices) {
                    const float c = axis == 0 ? v.x : axis == 1 ? v.y : v.z;
                    all = all && std::fabs(c - coords[axis][side]) < 1e-3f;
                }
                if (all) plane = axis * 2 + side;
            }
        ASSERT_GE(plane, 0) << "polygon off every face plane";
        areaByPlane[plane] += PolygonArea(p.vertices);
    }
    ASSERT_EQ(areaByPlane.size(), 6u);
    for (const auto& [plane, area] : areaByPlane)
        EXPECT_NEAR(area, 4.0f, 1e-3f) << plane;
}

TEST_F(CollisionShapes, BoxBySizeHasThatExtent) {
    TqpBodyHandle box = AddBox(world, TQUARNVector{2, 4, 6}, 0, TQUARNVector{0, 0, 0});
    ExpectBox(Extent(world, box), TQUARNVector{-1, -2, -3}, TQUARNVector{1, 2, 3}, 1e-3f);
}

TEST_F(CollisionShapes, SphereRadiiAreTheFullSize) {
    TQUARNVector radii{2, 4, 6};
    TqpBodyHandle sphere =
        qpBodyCreate(world, 1, qpCollisionCreateBySize(world, QP_COLLISION_SPHERE, &radii));
    ASSERT_NE(sphere, nullptr);
    ExpectBox(Extent(world, sphere), TQUARNVector{-2, -4, -6}, TQUARNVector{2, 4, 6}, 0.15f);
}

TEST_F(CollisionShapes, BoxFromFacesIsCentredOnTheBodyOrigin) {
    FaceData faces(BoxMesh(TQUARNVector{4, 4, 4}, TQUARNVector{6, 6, 6}));
    TqpBodyHandle box =
        qpBodyCreate(world, 1, qpCollisionCreateByFace(world, QP_COLLISION_BOX, faces.get()));
    ASSERT_NE(box, nullptr);
    ExpectBox(Extent(world, box), TQUARNVector{-1, -1, -1}, TQUARNVector{1, 1, 1}, 1e-3f);
}

TEST_F(CollisionShapes, CompoundBodyJoinsItsCollisions) {
    TQUARNVector size{1, 1, 1};
    TqpCollisionHandle parts[2] = {qpCollisionCreateBySize(world, QP_COLLISION_BOX, &size),
                                   qpCollisionCreateBySize(world, QP_COLLISION_SPHERE, &size)};
    TqpBodyHandle body = qpBodyCreateCompound(world, 2, parts);
    ASSERT_NE(body, nullptr);
    qpBodySetMass(body, 1);
    g_polygons.clear();
    qpWorldDebug(world, &CollectPolygon);
    EXPECT_GT(g_polygons.size(), 6u); // the box's faces and the sphere's
    // A tree among the parts is used alone.
    FaceData faces(FloorMesh(5, 0));
    TqpCollisionHandle withTree[2] = {
        parts[0], qpCollisionCreateByFace(world, QP_COLLISION_TREE, faces.get())};
    TqpBodyHandle floor = qpBodyCreateCompound(world, 2, withTree);
    ASSERT_NE(floor, nullptr);
    ExpectBox(Extent(world, floor), TQUARNVector{-5, 0, -5}, TQUARNVector{5, 0, 5}, 1e-3f);
}
