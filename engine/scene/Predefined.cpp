#include "engine/scene/Predefined.h"

#include "engine/materials/MaterialList.h"
#include "platform/gl/GL.h"

namespace quarn {

namespace {

struct Corner {
    int v, n, t;
};

void AddFace(TQGLBaseMeshObject& mesh, const Corner (&corners)[3], int32_t material) {
    auto face = std::make_unique<TQGLFace>();
    for (const Corner& c : corners) {
        face->AddVectorIndex(c.v);
        face->AddNormalIndex(c.n);
        face->AddTexCoordIndex(c.t);
    }
    face->MaterialIndex = material;
    mesh.Faces.Add(std::move(face));
}

bool MaterialInList(const TQGLMaterialList* materials, int32_t index) {
    return materials && index >= 0 && index < materials->Count();
}

} // namespace

// ---- Cube ------------------------------------------------------------------------------------

TQGLCube::~TQGLCube() {
    gl::ScopedDropWithoutContext dropWithoutContext;
    if (ListId != 0) glDeleteLists(ListId, 1);
}

void TQGLCube::CreateAt(const Vec3& position, const Vec3& rotation) {
    SizeX = SizeY = SizeZ = 1.0f;
    MaterialIndex = -1;
    TQGLBaseDynamicMeshObject::CreateAt(position, rotation);
}

void TQGLCube::BuildGeometry() {
    const float hx = SizeX / 2, hy = SizeY / 2, hz = SizeZ / 2;
    SetVertexCount(8);
    SetTexCoordCount(4);
    SetNormalCount(6);
    const Vec3 p[8] = {{-hx, -hy, hz},  {hx, -hy, hz},  {hx, hy, hz},  {-hx, hy, hz},
                       {-hx, -hy, -hz}, {hx, -hy, -hz}, {hx, hy, -hz}, {-hx, hy, -hz}};
    const Vec3 n[6] = {{0, 1, 0}, {0, -1, 0}, {1, 0, 0}, {-1, 0, 0}, {0, 0, -1}, {0, 0, 1}};
    const Vec3 t[4] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    for (int i = 0; i < 8; ++i)
        Vertices[size_t(i)] = p[i];
    for (int i = 0; i < 6; ++i)
        Normals[size_t(i)] = n[i];
    for (int i = 0; i < 4; ++i)
        TexCoords[size_t(i)] = t[i];
    static const Corner kFaces[12][3] = {
        {{0, 5, 0}, {1, 5, 1}, {2, 5, 2}}, {{2, 5, 2}, {3, 5, 3}, {0, 5, 0}}, // +z
        {{4, 4, 0}, {7, 4, 3}, {6, 4, 2}}, {{6, 4, 2}, {5, 4, 1}, {4, 4, 0}}, // -z
        {{3, 0, 0}, {2, 0, 1}, {6, 0, 2}}, {{6, 0, 2}, {7, 0, 3}, {3, 0, 0}}, // +y
        {{0, 1, 1}, {5, 1, 3}, {1, 1, 0}}, {{4, 1, 2}, {5, 1, 3}, {0, 1, 1}}, // -y
        {{1, 2, 0}, {5, 2, 1}, {6, 2, 2}}, {{6, 2, 2}, {2, 2, 3}, {1, 2, 0}}, // +x
        {{4, 3, 0}, {0, 3, 1}, {7, 3, 3}}, {{7, 3, 3}, {0, 3, 1}, {3, 3, 2}}, // -x
    };
    for (const auto& f : kFaces)
        AddFace(*this, f, MaterialIndex);

    if (ListId != 0) glDeleteLists(ListId, 1); // built again: the old list is not leaked
    ListId = glGenLists(1);
    glNewList(ListId, GL_COMPILE);
    // A bump-mapped cube gets an empty list: the bump stage draws it. A material without
    // stages has no first stage to ask.
    bool bumpMapped = false;
    if (MaterialInList(Materials, MaterialIndex)) {
        const TQGLMaterial* m = Materials->Items(MaterialIndex);
        bumpMapped = m->shaders.Count() > 0 && m->shaders.Items(0)->kind == kBumpMapStage;
        if (m->blendFlag) HasBlendedMaterial = true;
    }
    if (!bumpMapped) {
        const std::vector<Vec3>& vertices = GetVertices();
        glBegin(GL_TRIANGLES);
        for (const auto& face : Faces) {
            const size_t corners = face->VectorIndices.size();
            for (size_t i = 0; i < corners; ++i) {
                glNormal3fv(&Normals[size_t(face->NormalIndices[i])].x);
                glTexCoord3fv(&TexCoords[size_t(face->TexCoordIndices[i])].x);
                glVertex3fv(&vertices[size_t(face->VectorIndices[i])].x);
            }
        }
        glEnd();
    }
    glEndList();
    GeometryChanged();
    ComputeBoundingBox();
}

void TQGLCube::RenderMesh(uint32_t ticks) {
    if (!Visible) return;
    TQGLBaseDynamicMeshObject::RenderMesh(ticks); // normals overlay before the geometry
    if (MaterialInList(Materials, MaterialIndex)) Materials->SetMaterial(MaterialIndex, ticks);
    glCallList(ListId);
}

// ---- Quad ------------------------------------------------------------------------------------

void TQGLQuad::CreateAt(const Vec3& position, const Vec3& rotation) {
    SizeX = SizeY = 1.0f;
    MaterialIndex = -1;
    TQGLBaseDynamicMeshObject::CreateAt(position, rotation);
}

void TQGLQuad::BuildGeometry() {
    const float hx = SizeX / 2, hy = SizeY / 2;
    SetVertexCount(4);
    SetTexCoordCount(4);
    SetNormalCount(1);
    Vertices[0] = {-hx, -hy, 0};
    Vertices[1] = {hx, -hy, 0};
    Vertices[2] = {hx, hy, 0};
    Vertices[3] = {-hx, hy, 0};
    Normals[0] = {0, 0, 1};
    TexCoords[0] = {0, 0, 0};
    TexCoords[1] = {1, 0, 0};
    TexCoords[2] = {1, 1, 0};
    TexCoords[3] = {0, 1, 0};
    AddFace(*this, {{0, 0, 0}, {1, 0, 1}, {2, 0, 2}}, MaterialIndex);
    AddFace(*this, {{2, 0, 2}, {3, 0, 3}, {0, 0, 0}}, MaterialIndex);
    GeometryChanged();
    ComputeBoundingBox();
}

void TQGLQuad::SetQuadMaterial(int32_t index) {
    MaterialIndex = index;
    for (const auto& face : Faces)
        face->MaterialIndex = index;
    ClearSubMeshes();
}

void TQGLQuad::EnsureCompiled() {
    if (SubMeshes().Empty()) BuildSubMeshes();
}

void TQGLQuad::RenderMesh(uint32_t ticks) {
    if (!Visible) return;
    if (SubMeshes().Empty()) BuildSubMeshes();
    DrawSubMeshes(ticks);
    TQGLBaseDynamicMeshObject::RenderMesh(ticks);
}

} // namespace quarn
