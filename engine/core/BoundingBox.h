// Bounding boxes as drawn by the debug views of meshes, octree nodes and smoke.
#pragma once

#include "common/QuarnMath.h"

namespace quarn {

// Corner order of bounding boxes: 0 (min,min,max) 1 (max,min,max) 2 (max,max,max)
// 3 (min,max,max) 4 (min,min,min) 5 (min,max,min) 6 (max,max,min) 7 (max,min,min).
void BoxCorners(const Vec3& lo, const Vec3& hi, Vec3 corners[8]);
// The twelve edges as GL_LINES in the fixed edge order.
void DrawBoxEdges(const Vec3 corners[8]);

} // namespace quarn
