#include "physics/newton/PointDistance.h"

#include "physics/newton/CollisionShape.h"

#include <BulletCollision/NarrowPhaseCollision/btGjkEpaPenetrationDepthSolver.h>
#include <BulletCollision/NarrowPhaseCollision/btGjkPairDetector.h>
#include <BulletCollision/NarrowPhaseCollision/btPointCollector.h>
#include <BulletCollision/NarrowPhaseCollision/btVoronoiSimplexSolver.h>

#include <cmath>

namespace quarn::newton {

namespace {

struct Result {
    bool found = false;
    btScalar distance = 0; // negative inside
    btVector3 contact{0, 0, 0};
    btVector3 normal{0, 0, 0};
};

bool FiniteVector(const btVector3& v) {
    return std::isfinite(v.x()) && std::isfinite(v.y()) && std::isfinite(v.z());
}

Result ConvexClosest(const btConvexShape& convex, const btTransform& frame,
                     const btVector3& point) {
    Result r;
    btSphereShape probe(0);
    btVoronoiSimplexSolver simplex;
    btGjkEpaPenetrationDepthSolver penetration;
    // The probe is A and the shape B: Bullet then reports the point on B and a normal from B
    // toward A, which is the contract's direction.
    btGjkPairDetector gjk(&probe, &convex, &simplex, &penetration);
    btDiscreteCollisionDetectorInterface::ClosestPointInput input;
    input.m_transformA.setIdentity();
    input.m_transformA.setOrigin(point);
    input.m_transformB = frame;
    btPointCollector collector;
    gjk.getClosestPoints(input, collector, nullptr);
    if (!collector.m_hasResult) return r;
    btVector3 normal = collector.m_normalOnBInWorld;
    const btScalar length = normal.length();
    if (!(length > btScalar(1e-6)) || !FiniteVector(collector.m_pointInWorld)) return r;
    r.found = true;
    r.normal = normal / length;
    r.contact = collector.m_pointInWorld;
    r.distance = collector.m_distance;
    return r;
}

Result Closest(const NewtonCollision& shape, const btTransform& frame, const btVector3& point) {
    const btTransform placed = frame * shape.offset;
    switch (shape.kind) {
    case ShapeKind::Tree:
        return Result{};
    case ShapeKind::Compound: {
        Result best;
        for (const NewtonCollision* child : shape.children) {
            const Result r = Closest(*child, placed, point);
            if (r.found && (!best.found || r.distance < best.distance)) best = r;
        }
        return best;
    }
    default:
        return ConvexClosest(*static_cast<const btConvexShape*>(shape.core.get()), placed, point);
    }
}

} // namespace

bool ClosestPoint(const NewtonCollision& shape, const btTransform& frame, const btVector3& point,
                  btVector3& contact, btVector3& normal) {
    const Result r = Closest(shape, frame, point);
    if (!r.found) return false;
    contact = r.contact;
    normal = r.normal;
    return true;
}

} // namespace quarn::newton
