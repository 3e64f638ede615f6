// A collision shape the host builds bodies from: box, sphere, convex hull or static triangle
// mesh (tree). The object keeps its own reference to the shape, so one collision can build any
// number of bodies; the world frees it.
#pragma once

#include "common/QuarnMath.h"
#include "physics/handles/PhysicsHandles.h"
#include "physics/newton/Newton.h"
#include "quarn/QuarnPhysics.h"

#include <memory>

namespace quarn {

class TqpCollision : public HeldAfterFreeAs<kCollisionHandle> {
  public:
    enum Kind : int { kNone = 0, kBox = 1, kConvexHull = 2, kTree = 3, kSphere = 4 };

    // Box of that extent or sphere with those radii. Fails for the kinds that need faces.
    static std::unique_ptr<TqpCollision> CreateBySize(NewtonWorld* world, int kind,
                                                      const Vec3& size);
    // Box or sphere of the vertices' extent (centred on the origin), hull of the vertices, or
    // tree of the faces. Every count and index is checked first.
    static std::unique_ptr<TqpCollision> CreateByFace(NewtonWorld* world, int kind,
                                                      const TQUARNFaceData& faces);

    TqpCollision(NewtonWorld* world, NewtonCollision* shape, int kind)
        : world_(world), shape_(shape), kind_(kind) {}
    ~TqpCollision();
    TqpCollision(const TqpCollision&) = delete;
    TqpCollision& operator=(const TqpCollision&) = delete;

    NewtonCollision* Shape() const { return shape_; }
    // The solver world the shape belongs to; a body of another world must not use it.
    NewtonWorld* World() const { return world_; }
    int Kind() const { return kind_; }

    TqpCollisionHandle Handle() { return reinterpret_cast<TqpCollisionHandle>(this); }
    static TqpCollision* FromHandle(TqpCollisionHandle h) {
        return reinterpret_cast<TqpCollision*>(h);
    }

  private:
    LiveHandle handle_{this, kCollisionHandle};
    NewtonWorld* world_;
    NewtonCollision* shape_;
    int kind_;
};

} // namespace quarn
