// The polygons of a shape placed in the world, for debug drawing.
#pragma once

#include "physics/newton/Newton.h"

#include <btBulletCollisionCommon.h>

namespace quarn::newton {

// Calls callback(body, vertexCount, packed xyz, faceId) once per polygon of shape at frame:
// a box gives 6 quads, a sphere a latitude-longitude tessellation, a hull its faces, a tree its
// triangles, a compound its children's polygons.
void ForEachPolygon(const NewtonCollision& shape, const btTransform& frame, const NewtonBody* body,
                    NewtonCollisionIterator callback);

} // namespace quarn::newton
