#pragma once

#include "common/QuarnMath.h"

namespace quarn {

// The camera's world position and up vector from a model-view matrix (GL order) that holds
// only the camera transform: up = (m[1], m[5], m[9]); position = -(m[12..14]) times the
// transpose of the upper-left 3x3.
void CameraFromMatrix(const float m[16], Vec3& camPos, Vec3& camUp);
// The same, reading GL's current model-view matrix.
void CameraFromModelview(Vec3& camPos, Vec3& camUp);

} // namespace quarn
