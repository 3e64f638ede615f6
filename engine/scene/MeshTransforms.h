// Transforms applied to a mesh's own geometry (vertex and normal arrays), as level tools and
// the selection operations use them. Rotations turn about the mesh centre, the average of its
// vertices.
#pragma once

#include "engine/scene/MeshObject.h"

namespace quarn {

Vec3 MeshCentre(const TQGLBaseMeshObject& mesh);
void TranslateMesh(TQGLBaseMeshObject& mesh, const Vec3& offset);
void ScaleMesh(TQGLBaseMeshObject& mesh, const Vec3& factors);
// Angles in degrees; vertices turn about the centre, normals with the same rotation.
void RotateMeshX(TQGLBaseMeshObject& mesh, float degrees);
void RotateMeshY(TQGLBaseMeshObject& mesh, float degrees);
void RotateMeshZ(TQGLBaseMeshObject& mesh, float degrees);

} // namespace quarn
