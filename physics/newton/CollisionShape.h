// A reference-counted collision shape: the Bullet shape a body uses plus what the layer needs
// to walk its polygons and compute its mass properties.
#pragma once

#include <BulletCollision/CollisionDispatch/btInternalEdgeUtility.h>
#include <btBulletCollisionCommon.h>

#include <memory>
#include <vector>

struct NewtonWorld;

enum class ShapeKind { Box, Sphere, Hull, Tree, Compound };

struct NewtonCollision {
    ShapeKind kind;
    int references = 1;
    int bodyUsers = 0;            // bodies whose Bullet object points at this shape
    NewtonWorld* world = nullptr; // the world that created it (it frees leftovers)
    // The primitive in its own frame (for a compound: the compound itself).
    std::unique_ptr<btCollisionShape> core;
    // core placed by the creation offset; equals core.get() when there is no offset.
    btCollisionShape* placed = nullptr;
    std::unique_ptr<btCompoundShape> offsetWrapper;
    btTransform offset = btTransform::getIdentity();

    btVector3 halfExtents{0, 0, 0}; // box
    btVector3 radii{0, 0, 0};       // sphere / ellipsoid
    // Hull faces (and tree triangles) as polygons: counts[i] vertices each, packed in points.
    std::vector<int> faceCounts;
    std::vector<btVector3> facePoints;
    std::vector<btVector3> hullVertices;
    // Tree build state.
    std::unique_ptr<btTriangleMesh> mesh;
    // Which tree edges are shared by neighbouring faces, so contacts there keep the face normal.
    std::unique_ptr<btTriangleInfoMap> edgeInfo;
    bool building = false;
    // Compound children, each holding one reference.
    std::vector<NewtonCollision*> children;

    explicit NewtonCollision(ShapeKind k) : kind(k) {}
    ~NewtonCollision();
    NewtonCollision(const NewtonCollision&) = delete;
    NewtonCollision& operator=(const NewtonCollision&) = delete;

    // The shape a body attaches (never null).
    btCollisionShape* Shape() const { return placed; }
    bool IsConvexOrCompound() const { return kind != ShapeKind::Tree; }
};

namespace quarn::newton {

// Unit-mass mass properties: volume, centre of mass and the inertia tensor's diagonal about it,
// all in the shape's frame.
struct MassProperties {
    double volume = 0;
    btVector3 centre{0, 0, 0};
    btVector3 inertia{0, 0, 0};
};

NewtonCollision* CreateBox(float dx, float dy, float dz, const float* offset);
NewtonCollision* CreateSphere(float rx, float ry, float rz, const float* offset);
NewtonCollision* CreateHull(int count, const float* points, int strideInBytes, const float* offset);
NewtonCollision* CreateTree();
void TreeBeginBuild(NewtonCollision& tree);
void TreeAddFace(NewtonCollision& tree, int vertexCount, const float* vertices, int strideInBytes);
void TreeEndBuild(NewtonCollision& tree);
NewtonCollision* CreateCompound(int count, NewtonCollision* const* children);

void AddReference(NewtonCollision& shape);
void ReleaseReference(NewtonCollision* shape);

MassProperties ComputeMassProperties(const NewtonCollision& shape);

// Row-vector 16-float matrix <-> Bullet transform (same memory layout as OpenGL's).
btTransform TransformFromMatrix(const float* m);
void MatrixFromTransform(const btTransform& t, float* m);

} // namespace quarn::newton
