#include "physics/newton/ShapePolygons.h"

#include "physics/newton/CollisionShape.h"

#include <cmath>

namespace quarn::newton {

namespace {

constexpr int kSphereStacks = 8;
constexpr int kSphereSlices = 12;
// The largest polygon emitted without a heap buffer; hull faces beyond it are fanned.
constexpr int kMaxPolygon = 64;

struct Emitter {
    const NewtonBody* body;
    NewtonCollisionIterator callback;
    const btTransform& frame;
    int face = 0;

    void Emit(const btVector3* points, int count) {
        float packed[kMaxPolygon * 3];
        for (int i = 0; i < count; ++i) {
            const btVector3 p = frame * points[i];
            packed[3 * i] = float(p.x());
            packed[3 * i + 1] = float(p.y());
            packed[3 * i + 2] = float(p.z());
        }
        callback(body, count, packed, face++);
    }
};

void WalkBox(const btVector3& h, Emitter& out) {
    for (int axis = 0; axis < 3; ++axis) {
        const int u = (axis + 1) % 3, v = (axis + 2) % 3;
        for (int side = -1; side <= 1; side += 2) {
            btVector3 quad[4];
            // (u, v, axis) is right-handed: counter-clockwise seen from outside on +axis.
            const btScalar us[4] = {-1, 1, 1, -1};
            const btScalar vs[4] = {-1, -1, 1, 1};
            for (int k = 0; k < 4; ++k) {
                const int j = side > 0 ? k : 3 - k;
                btVector3 p(0, 0, 0);
                p[axis] = side * h[axis];
                p[u] = us[j] * h[u];
                p[v] = vs[j] * h[v];
                quad[k] = p;
            }
            out.Emit(quad, 4);
        }
    }
}

btVector3 SpherePoint(const btVector3& r, int stack, int slice) {
    const btScalar theta = SIMD_PI * btScalar(stack) / kSphereStacks;
    const btScalar phi = SIMD_2_PI * btScalar(slice) / kSphereSlices;
    return btVector3(std::sin(theta) * std::cos(phi), std::cos(theta),
                     std::sin(theta) * std::sin(phi)) *
           r;
}

void WalkSphere(const btVector3& r, Emitter& out) {
    for (int s = 0; s < kSphereStacks; ++s) {
        for (int l = 0; l < kSphereSlices; ++l) {
            const btVector3 poly[4] = {SpherePoint(r, s, l), SpherePoint(r, s, l + 1),
                                       SpherePoint(r, s + 1, l + 1), SpherePoint(r, s + 1, l)};
            // The pole rows collapse one edge: emit them as triangles.
            if (s == 0)
                out.Emit(poly + 1, 3);
            else if (s + 1 == kSphereStacks)
                out.Emit(poly, 3);
            else
                out.Emit(poly, 4);
        }
    }
}

void WalkFaces(const NewtonCollision& shape, Emitter& out) {
    size_t start = 0;
    for (int count : shape.faceCounts) {
        const btVector3* p = &shape.facePoints[start];
        if (count <= kMaxPolygon) {
            out.Emit(p, count);
        } else {
            for (int k = 1; k + 1 < count; ++k) {
                const btVector3 tri[3] = {p[0], p[k], p[k + 1]};
                out.Emit(tri, 3);
            }
        }
        start += size_t(count);
    }
}

} // namespace

void ForEachPolygon(const NewtonCollision& shape, const btTransform& frame, const NewtonBody* body,
                    NewtonCollisionIterator callback) {
    if (!callback) return;
    const btTransform placed = frame * shape.offset;
    Emitter out{body, callback, placed};
    switch (shape.kind) {
    case ShapeKind::Box:
        WalkBox(shape.halfExtents, out);
        break;
    case ShapeKind::Sphere:
        WalkSphere(shape.radii, out);
        break;
    case ShapeKind::Hull:
    case ShapeKind::Tree:
        WalkFaces(shape, out);
        break;
    case ShapeKind::Compound:
        for (const NewtonCollision* child : shape.children)
            ForEachPolygon(*child, placed, body, callback);
        break;
    }
}

} // namespace quarn::newton
