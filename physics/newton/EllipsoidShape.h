// An ellipsoid with an exact support function, so that collision and closest-point queries
// see the true surface (a scaled sphere shape only approximates it).
#pragma once

#include <BulletCollision/CollisionShapes/btConvexInternalShape.h>

namespace quarn::newton {

class EllipsoidShape : public btConvexInternalShape {
  public:
    explicit EllipsoidShape(const btVector3& radii);

    btVector3 localGetSupportingVertexWithoutMargin(const btVector3& direction) const override;
    void batchedUnitVectorGetSupportingVertexWithoutMargin(const btVector3* directions,
                                                           btVector3* out,
                                                           int count) const override;
    void calculateLocalInertia(btScalar mass, btVector3& inertia) const override;
    void getAabb(const btTransform& t, btVector3& aabbMin, btVector3& aabbMax) const override;
    const char* getName() const override { return "Ellipsoid"; }
    const btVector3& Radii() const { return radii_; }

  private:
    btVector3 SurfaceSupport(const btVector3& direction) const;
    btVector3 radii_;
};

} // namespace quarn::newton
