// Ready-made dynamic objects: an axis-aligned box with a display list of its own and a flat
// rectangle drawn through the sub-mesh path.
#pragma once

#include "engine/scene/DynamicMeshObject.h"

namespace quarn {

// A box of SizeX x SizeY x SizeZ centred on the object's origin.
class TQGLCube : public TQGLBaseDynamicMeshObject {
  public:
    ~TQGLCube() override;

    // Normals overlay first, then the material (when it is in the list) and the cube's list.
    void RenderMesh(uint32_t ticks) override;
    void CreateAt(const Vec3& position, const Vec3& rotation) override;
    // Eight corners, six normals, four texture coordinates, twelve faces and one display list
    // (left empty when the material's first stage is a bump-map stage). A blended material
    // marks the cube, so the scene draws it in the sorted pass.
    void BuildGeometry() override;
    // The twelve faces of its own list (a bump-mapped cube's stage draws the same box).
    int32_t DrawnFaceCount() const override { return Faces.Count(); }

    float SizeX = 1, SizeY = 1, SizeZ = 1;
    uint32_t ListId = 0;
    int32_t MaterialIndex = -1; // -1: drawn with whatever material is current
};

// A SizeX x SizeY rectangle in the object's XY plane, facing +z.
class TQGLQuad : public TQGLBaseDynamicMeshObject {
  public:
    void RenderMesh(uint32_t ticks) override;
    void CreateAt(const Vec3& position, const Vec3& rotation) override;
    void BuildGeometry() override;
    // Gives every face the material; the next draw compiles the quad again.
    void SetQuadMaterial(int32_t index);
    void EnsureCompiled() override;

    float SizeX = 1, SizeY = 1;
    int32_t MaterialIndex = -1;
};

} // namespace quarn
