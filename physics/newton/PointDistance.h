// The closest point of a convex (or compound) shape to a point.
#pragma once

#include <btBulletCollisionCommon.h>

struct NewtonCollision;

namespace quarn::newton {

// True when found: contact is the closest surface point, normal the unit direction from the
// surface toward point (the outward surface normal when point is inside); trees give false.
bool ClosestPoint(const NewtonCollision& shape, const btTransform& frame, const btVector3& point,
                  btVector3& contact, btVector3& normal);

} // namespace quarn::newton
