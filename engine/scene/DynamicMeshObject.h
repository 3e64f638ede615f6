// Dynamic meshes: geometry compiled on first draw into one display list per run of faces with
// the same material, drawn by switching material and calling the lists.
#pragma once

#include "engine/scene/MeshObject.h"

namespace quarn {

class TQGLBaseDynamicMeshObject : public TQGLBaseMeshObject {
  public:
    TQGLBaseDynamicMeshObject();
    ~TQGLBaseDynamicMeshObject() override;

    // The finishing step of every dynamic render: the normals overlay when asked for.
    void RenderMesh(uint32_t ticks) override;

    // Compiles Faces into SubMeshes (runs of consecutive faces with one material).
    void BuildSubMeshes();
    // SetMaterial per sub-mesh (skipped when already current), then its display list.
    void DrawSubMeshes(uint32_t ticks);
    // Yellow box edges in the current transform; leaves lighting, depth test and texturing on
    // and the colour white.
    void DrawBoundingBox();
    void ComputeBoundingBox();
    void SetBoundingBox(float minX, float maxX, float minY, float maxY, float minZ, float maxZ);
    // The vertices to draw from: the first non-proxy source's, else the object's own.
    const std::vector<Vec3>& GetVertices() const;
    void ComputeCameraDistance(const Vec3& cameraPosition);

    TQGLSubMeshes& SubMeshes() { return *subMeshes_; }
    const TQGLSubMeshes& SubMeshes() const { return *subMeshes_; }

    Vec3 BoundingCorners[8];
    bool HasBlendedMaterial = false;
    float CameraDistance = 0;
    // Proxies draw another object's compiled geometry; set by CreateProxy.
    TQGLBaseDynamicMeshObject* Source = nullptr;
    bool IsProxy = false;

  protected:
    // Shares the source's sub-meshes; the proxy never frees them.
    void ShareSubMeshesOf(TQGLBaseDynamicMeshObject& source) { subMeshes_ = &source.SubMeshes(); }

  private:
    TQGLSubMeshes ownSubMeshes_;
    TQGLSubMeshes* subMeshes_ = &ownSubMeshes_;
};

} // namespace quarn
