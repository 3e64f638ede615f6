#include "engine/scene/DynamicMeshObject.h"

#include "engine/materials/MaterialList.h"
#include "engine/scene/Frustum.h"
#include "platform/gl/GL.h"

#include <cmath>
#include <cstring>

namespace quarn {

namespace {

// Unit vector along v, or false when v has no usable length (zero or not finite); the billboard
// paths fall back instead of dividing by zero.
bool Normalised(const Vec3& v, Vec3& out) {
    const float len2 = v.x * v.x + v.y * v.y + v.z * v.z;
    if (!(len2 > 0.0f) || !std::isfinite(len2)) return false;
    const float inv = 1.0f / std::sqrt(len2);
    out = Vec3{v.x * inv, v.y * inv, v.z * inv};
    return true;
}

Mat4 RowsMatrix(const Vec3& r, const Vec3& u, const Vec3& f, const Vec3& p) {
    Mat4 b;
    const Vec3* rows[4] = {&r, &u, &f, &p};
    for (int i = 0; i < 4; ++i) {
        b.m[i * 4 + 0] = rows[i]->x;
        b.m[i * 4 + 1] = rows[i]->y;
        b.m[i * 4 + 2] = rows[i]->z;
    }
    b.m[15] = 1.0f;
    return b;
}

float Radians(float degrees) {
    return float(degrees * kDegToRad);
}

bool AllBitsZero(const Mat4& m) {
    static const Mat4 zero{};
    // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison): every bit zero, as stored
    return std::memcmp(m.m, zero.m, sizeof m.m) == 0;
}

// Restores a source's Visible flag however its render ends.
class VisibleOverride {
  public:
    explicit VisibleOverride(TQGLBaseObject& o) : object_(o), saved_(o.Visible) {
        o.Visible = true;
    }
    ~VisibleOverride() { object_.Visible = saved_; }
    VisibleOverride(const VisibleOverride&) = delete;
    VisibleOverride& operator=(const VisibleOverride&) = delete;

  private:
    TQGLBaseObject& object_;
    bool saved_;
};

} // namespace

TQGLBaseDynamicMeshObject::TQGLBaseDynamicMeshObject() {
    for (Vec3& c : BoundingCorners)
        c = Vec3{};
}

TQGLBaseDynamicMeshObject::~TQGLBaseDynamicMeshObject() {
    // A proxy's list belongs to its source; only an owner releases the display lists.
    gl::ScopedDropWithoutContext dropWithoutContext;
    if (OwnsSubMeshes())
        for (const auto& s : ownSubMeshes_)
            glDeleteLists(s->ListId, 1);
}

void TQGLBaseDynamicMeshObject::CreateAt(const Vec3& position, const Vec3& rotation) {
    Billboard = false;
    BillboardType = kSpherical;
    BillboardCamPos = Vec3{};
    BillboardCamUp = Vec3{0, 1, 0};
    BillboardAxis = Vec3{0, 1, 0};
    IsProxy = false;
    UseMatrix = false;
    Visible = true;
    Position = position;
    Pitch = rotation.x;
    Yaw = rotation.y;
    Roll = rotation.z;
    ProxySource = nullptr;
    CameraDistance = 0;
    HasBlendedMaterial = false;
    RebuildMatrix();
}

void TQGLBaseDynamicMeshObject::RenderMesh(uint32_t) {
    if (DrawNormals) DrawNormalVectors();
}

Mat4 TQGLBaseDynamicMeshObject::ComposedMatrix() const {
    return MatrixMultiply(
        MatrixMultiply(MatrixMultiply(MatrixRotY(Radians(Yaw)), MatrixRotX(Radians(Pitch))),
                       MatrixRotZ(Radians(Roll))),
        MatrixTranslation(Position));
}

Mat4 TQGLBaseDynamicMeshObject::DrawnAngleMatrix() const {
    // glTranslatef, then glRotatef yaw, pitch, roll: GL turns a vertex by roll first.
    return MatrixMultiply(
        MatrixMultiply(MatrixMultiply(MatrixRotZ(Radians(Roll)), MatrixRotX(Radians(Pitch))),
                       MatrixRotY(Radians(Yaw))),
        MatrixTranslation(Position));
}

void TQGLBaseDynamicMeshObject::RebuildMatrix() {
    Matrix = ComposedMatrix();
}

void TQGLBaseDynamicMeshObject::SetPositionAndRebuild(const Vec3& position) {
    Position = position;
    RebuildMatrix();
}

Mat4 TQGLBaseDynamicMeshObject::BillboardMatrix() {
    const Vec3& p = Position;
    const Vec3 toCamera = VectorSubtract(BillboardCamPos, p);
    // The facing used while the camera direction has no length after the axis part is removed
    // (a Y billboard seen from straight above): the last one, else a fixed one across the axis.
    const auto facing = [this](int dropAxis, const Vec3& fixed) {
        Vec3 d = lastFacing_, f;
        if (dropAxis == 0) d.x = 0;
        if (dropAxis == 1) d.y = 0;
        if (dropAxis == 2) d.z = 0;
        return Normalised(d, f) ? f : fixed;
    };
    Vec3 r, u, f;
    switch (BillboardType) {
    case kSpherical:
        if (!Normalised(toCamera, f)) f = facing(-1, Vec3{0, 0, 1});
        r = VectorCross(BillboardCamUp, f);
        u = VectorCross(f, r);
        break;
    case kAboutX:
    case kAboutY:
    case kAboutZ: {
        const int axis = BillboardType - kAboutX;
        Vec3 d = toCamera;
        u = Vec3{};
        if (axis == 0) d.x = 0, u.x = 1;
        if (axis == 1) d.y = 0, u.y = 1;
        if (axis == 2) d.z = 0, u.z = 1;
        if (!Normalised(d, f)) f = facing(axis, axis == 2 ? Vec3{0, 1, 0} : Vec3{0, 0, 1});
        r = VectorCross(u, f);
        break;
    }
    case kAboutAxis: {
        u = BillboardAxis;
        Vec3 f0;
        if (!Normalised(toCamera, f0)) f0 = lastFacing_;
        if (!Normalised(VectorCross(u, f0), r) && !Normalised(VectorCross(u, lastFacing_), r))
            return RowsMatrix({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, p); // no plane to turn in
        f = VectorCross(r, u);
        break;
    }
    default: // no orientation is defined for other kinds: unturned
        return RowsMatrix({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, p);
    }
    lastFacing_ = f;
    return RowsMatrix(r, u, f, p);
}

bool TQGLBaseDynamicMeshObject::Prepare(uint32_t) {
    const auto boxVisible = [this](const Mat4& m) {
        return !Frustum || Frustum->IsBoxVisible(m, BoundingCorners);
    };
    if (UseMatrix) {
        const bool visible = boxVisible(Matrix);
        if (visible) glMultMatrixf(Matrix.m);
        return visible;
    }
    if (Billboard) {
        const Mat4 b = BillboardMatrix();
        const bool visible = boxVisible(b);
        if (visible) glMultMatrixf(b.m);
        return visible;
    }
    // Culled with the transform the GL calls below really apply.
    const bool visible = boxVisible(DrawnAngleMatrix());
    if (visible) {
        glTranslatef(Position.x, Position.y, Position.z);
        glRotatef(Yaw, 0, 1, 0);
        glRotatef(Pitch, 1, 0, 0);
        glRotatef(Roll, 0, 0, 1);
    }
    return visible;
}

void TQGLBaseDynamicMeshObject::SetMatrix(const Mat4& m, bool useMatrix) {
    UseMatrix = useMatrix;
    if (!useMatrix) {
        MatrixParts parts;
        if (MatrixDecompose(m, parts)) {
            // The decomposition reads X-then-Y-then-Z turns; the angles must rebuild the matrix
            // in the object's own Y-X-Z order.
            const Vec3 angles = RotationXYZToYXZ(parts.rotation);
            SetPositionAndRebuild(parts.translation);
            Pitch = float(angles.x * kRadToDeg);
            Yaw = float(angles.y * kRadToDeg);
            Roll = float(angles.z * kRadToDeg);
        } else if (IsFinite(parts.translation)) {
            // No rotation can be read from a singular matrix: the position moves, the angles
            // stay as they were.
            SetPositionAndRebuild(parts.translation);
        }
    }
    Matrix = m;
}

Mat4 TQGLBaseDynamicMeshObject::GetMatrix() {
    if (AllBitsZero(Matrix)) RebuildMatrix();
    return Matrix;
}

const std::vector<Vec3>& TQGLBaseDynamicMeshObject::GetVertices() const {
    const TQGLBaseDynamicMeshObject* o = this;
    for (int guard = 0; o->IsProxy && o->ProxySource && guard < 1024; ++guard)
        o = o->ProxySource;
    return o->Vertices;
}

void TQGLBaseDynamicMeshObject::BuildSubMeshes() {
    // The box that culls the object fits what is compiled: vertices added through the exports
    // are boxed here, not only those of the shapes and imports that box themselves.
    ComputeBoundingBox();
    const std::vector<Vec3>& vertices = GetVertices();
    const int materials = MaterialCount();
    SubMeshCompiler compiler(SubMeshes());
    for (int i = 0; i < Faces.Count(); ++i) {
        const TQGLFace& face = *Faces.Get(i);
        std::string bad;
        if (face.MaterialIndex == -1) { // no material: drawn with whatever material is current
            TQGLFace probe = face;
            probe.MaterialIndex = 0;
            bad = DescribeBadFace(probe, vertices.size(), Normals.size(), TexCoords.size(), 1);
        } else {
            bad =
                DescribeBadFace(face, vertices.size(), Normals.size(), TexCoords.size(), materials);
        }
        if (!bad.empty()) {
            ReportBadFace(i, bad);
            continue;
        }
        const int32_t material = face.MaterialIndex;
        if (compiler.Run(material) && material >= 0 && Materials->Items(material)->blendFlag)
            HasBlendedMaterial = true;
        EmitFaceCorners(face, material, vertices);
    }
    compiler.Finish();
}

void TQGLBaseDynamicMeshObject::DrawSubMeshes(uint32_t ticks) {
    for (const auto& s : SubMeshes()) {
        if (s->MaterialIndex >= 0) Materials->SetMaterial(s->MaterialIndex, ticks);
        glCallList(s->ListId);
    }
}

int32_t TQGLBaseDynamicMeshObject::DrawnFaceCount() const {
    if (IsProxy) return ProxySource ? ProxySource->DrawnFaceCount() : 0; // it draws its source
    int32_t faces = 0;
    for (const auto& s : SubMeshes())
        faces += s->FaceCount;
    return faces;
}

void TQGLBaseDynamicMeshObject::ClearSubMeshes() {
    if (!OwnsSubMeshes()) return; // a proxy never changes its source's lists
    gl::ScopedDropWithoutContext dropWithoutContext;
    for (const auto& s : ownSubMeshes_)
        glDeleteLists(s->ListId, 1);
    ownSubMeshes_.Clear();
}

void TQGLBaseDynamicMeshObject::ComputeBoundingBox() {
    const std::vector<Vec3>& v = GetVertices();
    if (v.empty()) { // no vertices: a box of zero size at the origin
        SetBoundingBox(0, 0, 0, 0, 0, 0);
        return;
    }
    Vec3 lo = v[0], hi = v[0];
    for (const Vec3& p : v) {
        if (p.x >= hi.x) hi.x = p.x;
        if (p.y >= hi.y) hi.y = p.y;
        if (p.z >= hi.z) hi.z = p.z;
        if (p.x < lo.x) lo.x = p.x;
        if (p.y < lo.y) lo.y = p.y;
        if (p.z < lo.z) lo.z = p.z;
    }
    BoxCorners(lo, hi, BoundingCorners);
}

void TQGLBaseDynamicMeshObject::SetBoundingBox(float minX, float maxX, float minY, float maxY,
                                               float minZ, float maxZ) {
    BoxCorners(Vec3{minX, minY, minZ}, Vec3{maxX, maxY, maxZ}, BoundingCorners);
}

void TQGLBaseDynamicMeshObject::DrawBoundingBox() {
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glColor3ub(255, 255, 0);
    DrawBoxEdges(BoundingCorners);
    glColor3f(1, 1, 1);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
}

void TQGLBaseDynamicMeshObject::ComputeCameraDistance(const Vec3& cam) {
    // An object placed by its own matrix is where the matrix puts it, whatever Position says.
    const Vec3 at = UseMatrix ? Vec3{Matrix.m[12], Matrix.m[13], Matrix.m[14]} : Position;
    CameraDistance = VectorLength(VectorSubtract(at, cam));
}

// ---- Ordinary dynamic objects and proxies ----------------------------------------------------

void TQGLDynamicMeshObject::RenderMesh(uint32_t ticks) {
    if (!Visible) return;
    if (IsProxy) {
        if (ProxySource) { // the source draws under the proxy's transform, even when hidden
            VisibleOverride shown(*ProxySource);
            ProxySource->RenderMesh(ticks);
        }
    } else {
        if (SubMeshes().Empty()) BuildSubMeshes();
        DrawSubMeshes(ticks);
    }
    TQGLBaseDynamicMeshObject::RenderMesh(ticks);
}

void TQGLDynamicMeshObject::EnsureCompiled() {
    if (!IsProxy && SubMeshes().Empty()) BuildSubMeshes();
}

std::unique_ptr<TQGLDynamicMeshObject>
TQGLDynamicMeshObject::CreateProxy(TQGLBaseDynamicMeshObject& source, bool copyMatrixFlag) {
    if (source.SubMeshes().Empty()) source.BuildSubMeshes();
    auto proxy = std::make_unique<TQGLDynamicMeshObject>();
    proxy->BillboardCamUp = Vec3{};
    proxy->BillboardAxis = Vec3{};
    proxy->IsProxy = true;
    proxy->ShareSubMeshesOf(source);
    for (int i = 0; i < 8; ++i)
        proxy->BoundingCorners[i] = source.BoundingCorners[i];
    proxy->Materials = source.Materials;
    proxy->Frustum = source.Frustum;
    proxy->HasBlendedMaterial = source.HasBlendedMaterial;
    proxy->ProxySource = &source;
    if (copyMatrixFlag) proxy->UseMatrix = source.UseMatrix;
    // The source's matrix is not copied: a proxy that draws from its own starts with the one
    // its position and angles make (at the origin, unturned), not an all-zero one that draws
    // nothing.
    if (proxy->UseMatrix) proxy->RebuildMatrix();
    return proxy;
}

void TQGLDynamicMeshObject::DetachFromSource() {
    ProxySource = nullptr;
    StopSharingSubMeshes();
}

TQGLBaseDynamicMeshObject& FirstNonProxy(TQGLBaseDynamicMeshObject& object) {
    TQGLBaseDynamicMeshObject* o = &object;
    for (int guard = 0; o->IsProxy && o->ProxySource && guard < 1024; ++guard)
        o = o->ProxySource;
    return *o;
}

} // namespace quarn
