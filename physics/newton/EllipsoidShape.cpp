#include "physics/newton/EllipsoidShape.h"

#include <algorithm>
#include <cmath>

namespace quarn::newton {

EllipsoidShape::EllipsoidShape(const btVector3& radii) : radii_(radii) {
    m_shapeType = CUSTOM_CONVEX_SHAPE_TYPE;
    const btScalar smallest = std::min({radii.x(), radii.y(), radii.z()});
    const btScalar largest = std::max({radii.x(), radii.y(), radii.z()});
    // The margin may not exceed the smallest radius of curvature (r_min^2 / r_max), or the
    // shrunk core would stop being convex and the margin-inflated surface would not be exact.
    setMargin(std::min(btScalar(0.04), btScalar(0.5) * smallest * smallest / largest));
}

btVector3 EllipsoidShape::SurfaceSupport(const btVector3& direction) const {
    // The support of the unit sphere scaled by R in direction d is R(Rd)/|Rd|.
    const btVector3 scaled = direction * radii_;
    const btScalar length = scaled.length();
    if (length < SIMD_EPSILON) return btVector3(radii_.x(), 0, 0);
    return scaled * radii_ / length;
}

btVector3 EllipsoidShape::localGetSupportingVertexWithoutMargin(const btVector3& direction) const {
    btVector3 d = direction;
    const btScalar length = d.length();
    if (length < SIMD_EPSILON)
        d = btVector3(1, 0, 0);
    else
        d /= length;
    return SurfaceSupport(d) - d * getMargin();
}

void EllipsoidShape::batchedUnitVectorGetSupportingVertexWithoutMargin(const btVector3* directions,
                                                                       btVector3* out,
                                                                       int count) const {
    for (int i = 0; i < count; ++i)
        out[i] = localGetSupportingVertexWithoutMargin(directions[i]);
}

void EllipsoidShape::calculateLocalInertia(btScalar mass, btVector3& inertia) const {
    const btVector3 r2 = radii_ * radii_;
    inertia = btVector3(r2.y() + r2.z(), r2.x() + r2.z(), r2.x() + r2.y()) * (mass / 5);
}

void EllipsoidShape::getAabb(const btTransform& t, btVector3& aabbMin, btVector3& aabbMax) const {
    const btMatrix3x3& b = t.getBasis();
    btVector3 extent;
    for (int i = 0; i < 3; ++i) {
        const btVector3 row = b.getRow(i) * radii_;
        extent[i] = row.length();
    }
    aabbMin = t.getOrigin() - extent;
    aabbMax = t.getOrigin() + extent;
}

} // namespace quarn::newton
