// Dynamic meshes: movable objects with a position and three angles (or a host matrix), five
// billboard kinds and proxies. Their geometry is compiled on first draw into one display list per
// run of faces with the same material, drawn by switching material and calling the lists.
#pragma once

#include "engine/core/GLHandles.h"
#include "engine/scene/MeshObject.h"

#include <memory>

namespace quarn {

class TQGLBaseDynamicMeshObject : public TQGLBaseMeshObject,
                                  public HeldAfterFreeAs<kDynamicObjectHandle> {
  public:
    TQGLBaseDynamicMeshObject();
    ~TQGLBaseDynamicMeshObject() override;

    // Billboard kinds: 0 faces the camera using its up vector, 1..3 turn about world X, Y, Z,
    // 4 about BillboardAxis. Other kinds keep the unturned orientation.
    enum BillboardKind : uint8_t {
        kSpherical = 0,
        kAboutX = 1,
        kAboutY = 2,
        kAboutZ = 3,
        kAboutAxis = 4
    };

    // Resets every transform, billboard and proxy field, places the object at position with
    // rotation (x = pitch, y = yaw, z = roll, degrees) and rebuilds Matrix.
    virtual void CreateAt(const Vec3& position, const Vec3& rotation);

    // Registered while the object lives; retired as soon as the host deletes it.
    LiveHandle liveHandle{this, kDynamicObjectHandle};
    // Generates the geometry of predefined shapes; plain meshes are filled by their creator.
    virtual void BuildGeometry() {}

    // The finishing step of every dynamic render: the normals overlay when asked for.
    void RenderMesh(uint32_t ticks) override;
    // Compiles what the first draw would compile, so HasBlendedMaterial is known before the
    // scene decides in which pass to draw the object.
    virtual void EnsureCompiled() {}

    // Matrix := RotY(Yaw) * RotX(Pitch) * RotZ(Roll) * T(Position), row vectors.
    void RebuildMatrix();
    void SetPositionAndRebuild(const Vec3& position);
    // The per-frame transform and frustum test; applies the transform to GL only when the box
    // is visible, and never writes Matrix.
    bool Prepare(uint32_t ticks);
    // The orientation of the billboard kind at Position, facing BillboardCamPos.
    Mat4 BillboardMatrix();
    // The composed transform from Position and the angles (what RebuildMatrix stores).
    Mat4 ComposedMatrix() const;
    // The transform Prepare's glTranslatef and glRotatef calls apply (GL turns a vertex by
    // Roll, then Pitch, then Yaw): RotZ * RotX * RotY * T. The angle path is culled with it.
    Mat4 DrawnAngleMatrix() const;
    // UseMatrix := useMatrix; without it m is decomposed into position and angles. m is stored
    // either way.
    void SetMatrix(const Mat4& m, bool useMatrix);
    // The stored matrix; an all-zero one (a proxy's) is rebuilt first.
    Mat4 GetMatrix();

    // Compiles Faces into SubMeshes (runs of consecutive faces with one material), after
    // ComputeBoundingBox, so the object is culled by the geometry it draws.
    void BuildSubMeshes();
    // Faces one draw of the object sends to GL (its compiled faces), for the frame statistics.
    virtual int32_t DrawnFaceCount() const;
    // SetMaterial per sub-mesh (skipped when already current), then its display list.
    void DrawSubMeshes(uint32_t ticks);
    // Frees the compiled lists so the next draw compiles the faces again.
    void ClearSubMeshes();
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

    bool Billboard = false;
    uint8_t BillboardType = kSpherical;
    Vec3 BillboardCamPos;
    Vec3 BillboardCamUp{0, 1, 0};
    Vec3 BillboardAxis{0, 1, 0};
    bool IsProxy = false;
    TQGLBaseDynamicMeshObject* ProxySource = nullptr;
    Mat4 Matrix; // row-vector layout, translation in m[12..14]
    bool UseMatrix = false;
    float CameraDistance = 0;
    bool HasBlendedMaterial = false;
    Vec3 BoundingCorners[8];

  protected:
    // Shares the source's sub-meshes; the proxy never frees them.
    void ShareSubMeshesOf(TQGLBaseDynamicMeshObject& source) { subMeshes_ = &source.SubMeshes(); }
    // Back to an own, empty list: the proxy's source is going away.
    void StopSharingSubMeshes() { subMeshes_ = &ownSubMeshes_; }

  private:
    bool OwnsSubMeshes() const { return subMeshes_ == &ownSubMeshes_; }

    TQGLSubMeshes ownSubMeshes_;
    TQGLSubMeshes* subMeshes_ = &ownSubMeshes_;
    // Where a billboard faced last; used while the camera direction has no usable length.
    Vec3 lastFacing_{0, 0, 1};
};

// The ordinary dynamic object: draws its sub-meshes, or as a proxy its source's.
class TQGLDynamicMeshObject : public TQGLBaseDynamicMeshObject {
  public:
    void RenderMesh(uint32_t ticks) override;
    void EnsureCompiled() override;

    // A proxy drawing source's compiled geometry under its own transform: sub-meshes shared
    // (built now when the source has none), box, materials, frustum and blend mark copied,
    // UseMatrix copied only when copyMatrixFlag is set. Position, angles, billboard vectors and
    // matrix start zero. source must not be a proxy.
    static std::unique_ptr<TQGLDynamicMeshObject> CreateProxy(TQGLBaseDynamicMeshObject& source,
                                                              bool copyMatrixFlag);
    // The source is being freed: the proxy keeps its transform but draws nothing from now on.
    void DetachFromSource();
};

// The first non-proxy object of a proxy chain.
TQGLBaseDynamicMeshObject& FirstNonProxy(TQGLBaseDynamicMeshObject& object);

using TQGLDynamicMeshObjects = ObjectList<TQGLBaseDynamicMeshObject>;

} // namespace quarn
