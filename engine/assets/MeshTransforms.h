// Whole-mesh transforms of imported models: turns about the mesh's centre (the average of its
// vertices), scaling and translation, applied to the vertex and normal arrays in place.
#pragma once

#include "common/QuarnMath.h"

namespace quarn {

class TQGLBaseMeshObject;

Vec3 MeshCentre(const TQGLBaseMeshObject& mesh);
// Angles in degrees. X turns +Z towards +Y: a Z-up model becomes Y-up with 90.
void RotateMeshX(TQGLBaseMeshObject& mesh, float degrees);
void RotateMeshY(TQGLBaseMeshObject& mesh, float degrees);
void RotateMeshZ(TQGLBaseMeshObject& mesh, float degrees);
void ScaleMesh(TQGLBaseMeshObject& mesh, const Vec3& factor);
void TranslateMesh(TQGLBaseMeshObject& mesh, const Vec3& offset);

} // namespace quarn
