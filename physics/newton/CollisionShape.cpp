#include "physics/newton/CollisionShape.h"

#include "physics/newton/EllipsoidShape.h"
#include "physics/newton/SimulationWorld.h"

#include <LinearMath/btConvexHullComputer.h>

#include <cmath>
#include <cstring>

NewtonCollision::~NewtonCollision() {
    if (world) world->shapes.erase(this);
    // Compounds point at their children's shapes and trees at their mesh: free the
    // pointing side first.
    offsetWrapper.reset();
    core.reset();
    edgeInfo.reset();
    mesh.reset();
    for (NewtonCollision* child : children)
        quarn::newton::ReleaseReference(child);
}

namespace quarn::newton {

namespace {

bool Finite(float v) {
    return std::isfinite(v);
}

btVector3 ReadPoint(const float* base, int strideInBytes, int index) {
    const char* p = reinterpret_cast<const char*>(base) + size_t(index) * size_t(strideInBytes);
    float v[3];
    std::memcpy(v, p, sizeof v);
    return btVector3(v[0], v[1], v[2]);
}

bool FinitePoint(const btVector3& p) {
    return Finite(p.x()) && Finite(p.y()) && Finite(p.z());
}

bool ReadOffset(const float* offset, btTransform& out) {
    out.setIdentity();
    if (!offset) return true;
    for (int i = 0; i < 16; ++i)
        if (!Finite(offset[i])) return false;
    out = TransformFromMatrix(offset);
    return true;
}

// Wraps core in a one-child compound when the creation offset is not the identity.
void Place(NewtonCollision& shape, const btTransform& offset) {
    shape.offset = offset;
    btQuaternion rotation;
    offset.getBasis().getRotation(rotation);
    const bool identity = offset.getOrigin().fuzzyZero() && rotation.getAngle() < btScalar(1e-6);
    if (identity) {
        shape.offset.setIdentity();
        shape.placed = shape.core.get();
        return;
    }
    shape.offsetWrapper = std::make_unique<btCompoundShape>(false, 1);
    shape.offsetWrapper->addChildShape(offset, shape.core.get());
    shape.placed = shape.offsetWrapper.get();
}

// Accumulates one tetrahedron (origin, a, b, c): volume, first and second moments.
void AddTetrahedron(const btVector3& a, const btVector3& b, const btVector3& c, double& volume,
                    btVector3& first, double second[3][3]) {
    const double v = double(a.dot(b.cross(c))) / 6.0;
    volume += v;
    first += (a + b + c) * btScalar(v / 4.0);
    const btVector3 sum = a + b + c;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            second[i][j] += v / 20.0 *
                            (double(a[i]) * a[j] + double(b[i]) * b[j] + double(c[i]) * c[j] +
                             double(sum[i]) * sum[j]);
}

MassProperties PolyhedronProperties(const std::vector<int>& counts,
                                    const std::vector<btVector3>& points) {
    MassProperties props;
    if (points.empty()) return props;
    btVector3 reference(0, 0, 0);
    for (const btVector3& p : points)
        reference += p;
    reference /= btScalar(points.size());
    double volume = 0;
    btVector3 first(0, 0, 0);
    double second[3][3] = {};
    size_t start = 0;
    for (int count : counts) {
        for (int k = 1; k + 1 < count; ++k)
            AddTetrahedron(points[start] - reference, points[start + k] - reference,
                           points[start + k + 1] - reference, volume, first, second);
        start += size_t(count);
    }
    if (volume <= 0) return props;
    const btVector3 centre = first / btScalar(volume);
    double cov[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            cov[i][j] = second[i][j] / volume - double(centre[i]) * centre[j];
    props.volume = volume;
    props.centre = centre + reference;
    props.inertia = btVector3(btScalar(cov[1][1] + cov[2][2]), btScalar(cov[0][0] + cov[2][2]),
                              btScalar(cov[0][0] + cov[1][1]));
    return props;
}

// Mass properties of the primitive in its own frame.
MassProperties CoreProperties(const NewtonCollision& shape);

// Combines placed parts (properties in their own frame, then a transform) by volume.
struct PlacedPart {
    MassProperties props;
    btTransform where;
};

MassProperties Combine(const PlacedPart* parts, int count) {
    MassProperties out;
    for (int i = 0; i < count; ++i)
        out.volume += parts[i].props.volume;
    if (out.volume <= 0) return out;
    btVector3 centre(0, 0, 0);
    for (int i = 0; i < count; ++i)
        centre +=
            (parts[i].where * parts[i].props.centre) * btScalar(parts[i].props.volume / out.volume);
    btMatrix3x3 total(0, 0, 0, 0, 0, 0, 0, 0, 0);
    for (int i = 0; i < count; ++i) {
        const double share = parts[i].props.volume / out.volume;
        if (share <= 0) continue;
        const btMatrix3x3& r = parts[i].where.getBasis();
        const btVector3& d0 = parts[i].props.inertia;
        btMatrix3x3 local(d0.x(), 0, 0, 0, d0.y(), 0, 0, 0, d0.z());
        btMatrix3x3 rotated = r * local * r.transpose();
        const btVector3 d = parts[i].where * parts[i].props.centre - centre;
        const btScalar d2 = d.length2();
        btMatrix3x3 shift(d2 - d.x() * d.x(), -d.x() * d.y(), -d.x() * d.z(), -d.y() * d.x(),
                          d2 - d.y() * d.y(), -d.y() * d.z(), -d.z() * d.x(), -d.z() * d.y(),
                          d2 - d.z() * d.z());
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b)
                total[a][b] += btScalar(share) * (rotated[a][b] + shift[a][b]);
    }
    out.centre = centre;
    out.inertia = btVector3(total[0][0], total[1][1], total[2][2]);
    return out;
}

MassProperties CoreProperties(const NewtonCollision& shape) {
    MassProperties props;
    switch (shape.kind) {
    case ShapeKind::Box: {
        const btVector3 full = shape.halfExtents * 2;
        const btVector3 f2 = full * full;
        props.volume = double(full.x()) * full.y() * full.z();
        props.inertia = btVector3(f2.y() + f2.z(), f2.x() + f2.z(), f2.x() + f2.y()) / 12;
        break;
    }
    case ShapeKind::Sphere: {
        const btVector3& r = shape.radii;
        const btVector3 r2 = r * r;
        props.volume = 4.0 / 3.0 * SIMD_PI * r.x() * r.y() * r.z();
        props.inertia = btVector3(r2.y() + r2.z(), r2.x() + r2.z(), r2.x() + r2.y()) / 5;
        break;
    }
    case ShapeKind::Hull:
        props = PolyhedronProperties(shape.faceCounts, shape.facePoints);
        break;
    case ShapeKind::Tree:
        break;
    case ShapeKind::Compound: {
        std::vector<PlacedPart> parts;
        parts.reserve(shape.children.size());
        for (const NewtonCollision* child : shape.children)
            parts.push_back({ComputeMassProperties(*child), btTransform::getIdentity()});
        props = Combine(parts.data(), int(parts.size()));
        break;
    }
    }
    return props;
}

} // namespace

btTransform TransformFromMatrix(const float* m) {
    btTransform t;
    t.setFromOpenGLMatrix(m);
    // Physics frames are rigid: drop any scale or shear the caller's matrix carries.
    btQuaternion q;
    t.getBasis().getRotation(q);
    if (!(q.length2() > 0)) q = btQuaternion::getIdentity();
    t.setRotation(q.normalized());
    return t;
}

void MatrixFromTransform(const btTransform& t, float* m) {
    t.getOpenGLMatrix(m);
    m[3] = m[7] = m[11] = 0.0f;
    m[15] = 1.0f;
}

NewtonCollision* CreateBox(float dx, float dy, float dz, const float* offset) {
    btTransform where;
    if (!(dx > 0 && dy > 0 && dz > 0) || !Finite(dx) || !Finite(dy) || !Finite(dz) ||
        !ReadOffset(offset, where))
        return nullptr;
    auto shape = std::make_unique<NewtonCollision>(ShapeKind::Box);
    shape->halfExtents = btVector3(dx, dy, dz) * btScalar(0.5);
    shape->core = std::make_unique<btBoxShape>(shape->halfExtents);
    Place(*shape, where);
    return shape.release();
}

NewtonCollision* CreateSphere(float rx, float ry, float rz, const float* offset) {
    btTransform where;
    if (!(rx > 0 && ry > 0 && rz > 0) || !Finite(rx) || !Finite(ry) || !Finite(rz) ||
        !ReadOffset(offset, where))
        return nullptr;
    auto shape = std::make_unique<NewtonCollision>(ShapeKind::Sphere);
    shape->radii = btVector3(rx, ry, rz);
    if (rx == ry && ry == rz)
        shape->core = std::make_unique<btSphereShape>(rx);
    else
        shape->core = std::make_unique<EllipsoidShape>(shape->radii);
    Place(*shape, where);
    return shape.release();
}

NewtonCollision* CreateHull(int count, const float* points, int strideInBytes,
                            const float* offset) {
    btTransform where;
    if (!points || count < 4 || strideInBytes < int(3 * sizeof(float)) ||
        !ReadOffset(offset, where))
        return nullptr;
    std::vector<btVector3> cloud;
    cloud.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        cloud.push_back(ReadPoint(points, strideInBytes, i));
        if (!FinitePoint(cloud.back())) return nullptr;
    }
    btConvexHullComputer hull;
    hull.compute(&cloud[0].x(), int(sizeof(btVector3)), count, 0, 0);
    // Fewer than four faces means the points are flat (or fewer than four distinct).
    if (hull.vertices.size() < 4 || hull.faces.size() < 4) return nullptr;

    auto shape = std::make_unique<NewtonCollision>(ShapeKind::Hull);
    for (int i = 0; i < hull.vertices.size(); ++i)
        shape->hullVertices.push_back(hull.vertices[i]);
    for (int f = 0; f < hull.faces.size(); ++f) {
        const btConvexHullComputer::Edge* first = &hull.edges[hull.faces[f]];
        const btConvexHullComputer::Edge* edge = first;
        int n = 0;
        do {
            shape->facePoints.push_back(hull.vertices[edge->getTargetVertex()]);
            ++n;
            edge = edge->getNextEdgeOfFace();
        } while (edge != first && n <= hull.vertices.size());
        shape->faceCounts.push_back(n);
    }
    if (PolyhedronProperties(shape->faceCounts, shape->facePoints).volume <= 1e-12) return nullptr;
    auto bullet = std::make_unique<btConvexHullShape>(
        &shape->hullVertices[0].x(), int(shape->hullVertices.size()), int(sizeof(btVector3)));
    bullet->setMargin(btScalar(0.0)); // the hull's surface is the points' surface
    shape->core = std::move(bullet);
    Place(*shape, where);
    return shape.release();
}

NewtonCollision* CreateTree() {
    auto shape = std::make_unique<NewtonCollision>(ShapeKind::Tree);
    shape->core = std::make_unique<btCompoundShape>(false, 0); // empty until built
    shape->placed = shape->core.get();
    return shape.release();
}

void TreeBeginBuild(NewtonCollision& tree) {
    // A body holds the tree's Bullet shape: rebuilding under it would leave it dangling.
    if (tree.kind != ShapeKind::Tree || tree.bodyUsers > 0) return;
    tree.building = true;
    tree.faceCounts.clear();
    tree.facePoints.clear();
    tree.core = std::make_unique<btCompoundShape>(false, 0);
    tree.placed = tree.core.get();
    tree.edgeInfo.reset();
    tree.mesh = std::make_unique<btTriangleMesh>(true, false);
}

void TreeAddFace(NewtonCollision& tree, int vertexCount, const float* vertices, int strideInBytes) {
    if (!tree.building || !vertices || vertexCount < 3 || strideInBytes < int(3 * sizeof(float)))
        return;
    const btVector3 first = ReadPoint(vertices, strideInBytes, 0);
    if (!FinitePoint(first)) return;
    for (int k = 1; k + 1 < vertexCount; ++k) {
        const btVector3 b = ReadPoint(vertices, strideInBytes, k);
        const btVector3 c = ReadPoint(vertices, strideInBytes, k + 1);
        if (!FinitePoint(b) || !FinitePoint(c)) return;
        if ((b - first).cross(c - first).length2() <= btScalar(1e-20)) continue; // no area
        tree.mesh->addTriangle(first, b, c, false);
        tree.facePoints.push_back(first);
        tree.facePoints.push_back(b);
        tree.facePoints.push_back(c);
        tree.faceCounts.push_back(3);
    }
}

void TreeEndBuild(NewtonCollision& tree) {
    if (!tree.building) return;
    tree.building = false;
    if (tree.faceCounts.empty()) return; // stays the empty shape
    auto bvh = std::make_unique<btBvhTriangleMeshShape>(tree.mesh.get(), true, true);
    tree.edgeInfo = std::make_unique<btTriangleInfoMap>();
    btGenerateInternalEdgeInfo(bvh.get(), tree.edgeInfo.get());
    tree.core = std::move(bvh);
    tree.placed = tree.core.get();
}

NewtonCollision* CreateCompound(int count, NewtonCollision* const* children) {
    if (count < 1 || !children) return nullptr;
    for (int i = 0; i < count; ++i)
        if (!children[i] || children[i]->kind == ShapeKind::Tree) return nullptr;
    auto shape = std::make_unique<NewtonCollision>(ShapeKind::Compound);
    auto compound = std::make_unique<btCompoundShape>(true, count);
    for (int i = 0; i < count; ++i) {
        compound->addChildShape(btTransform::getIdentity(), children[i]->Shape());
        AddReference(*children[i]);
        shape->children.push_back(children[i]);
    }
    shape->core = std::move(compound);
    shape->placed = shape->core.get();
    return shape.release();
}

void AddReference(NewtonCollision& shape) {
    ++shape.references;
}

void ReleaseReference(NewtonCollision* shape) {
    if (shape && --shape->references <= 0) delete shape;
}

MassProperties ComputeMassProperties(const NewtonCollision& shape) {
    const PlacedPart part{CoreProperties(shape), shape.offset};
    return Combine(&part, 1);
}

} // namespace quarn::newton
