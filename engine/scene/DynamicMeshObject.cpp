#include "engine/scene/DynamicMeshObject.h"

#include "engine/materials/MaterialList.h"
#include "platform/gl/GL.h"

#include <cmath>

namespace quarn {

TQGLBaseDynamicMeshObject::TQGLBaseDynamicMeshObject() {
    for (Vec3& c : BoundingCorners)
        c = Vec3{};
}

TQGLBaseDynamicMeshObject::~TQGLBaseDynamicMeshObject() {
    // A proxy's list belongs to its source; only an owner releases the display lists.
    if (subMeshes_ == &ownSubMeshes_)
        for (const auto& s : ownSubMeshes_)
            glDeleteLists(s->ListId, 1);
}

void TQGLBaseDynamicMeshObject::RenderMesh(uint32_t) {
    if (DrawNormals) DrawNormalVectors();
}

const std::vector<Vec3>& TQGLBaseDynamicMeshObject::GetVertices() const {
    const TQGLBaseDynamicMeshObject* o = this;
    for (int guard = 0; o->IsProxy && o->Source && guard < 1024; ++guard)
        o = o->Source;
    return o->Vertices;
}

void TQGLBaseDynamicMeshObject::BuildSubMeshes() {
    const std::vector<Vec3>& vertices = GetVertices();
    const int materials = MaterialCount();
    int current = -1;
    bool open = false;
    for (int i = 0; i < Faces.Count(); ++i) {
        const TQGLFace& face = *Faces.Get(i);
        const std::string bad =
            DescribeBadFace(face, vertices.size(), Normals.size(), TexCoords.size(), materials);
        if (!bad.empty()) {
            ReportBadFace(i, bad);
            continue;
        }
        if (face.MaterialIndex != current || !open) {
            if (open) {
                glEnd();
                glEndList();
            }
            current = face.MaterialIndex;
            auto sub = std::make_unique<TQGLSubMesh>();
            sub->ListId = glGenLists(1);
            sub->MaterialIndex = current;
            if (Materials->Items(current)->blendFlag) HasBlendedMaterial = true;
            glNewList(sub->ListId, GL_COMPILE);
            SubMeshes().Add(std::move(sub));
            glBegin(GL_TRIANGLES);
            open = true;
        }
        EmitFaceCorners(face, current, vertices);
    }
    if (open) {
        glEnd();
        glEndList();
    }
}

void TQGLBaseDynamicMeshObject::DrawSubMeshes(uint32_t ticks) {
    for (const auto& s : SubMeshes()) {
        Materials->SetMaterial(s->MaterialIndex, ticks);
        glCallList(s->ListId);
    }
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
    CameraDistance = VectorLength(VectorSubtract(Position, cam));
}

} // namespace quarn
