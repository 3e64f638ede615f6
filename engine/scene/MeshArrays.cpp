// Bulk geometry: a whole mesh appended from the host's arrays in one call, checked before any
// of it is kept.
#include "common/EngineError.h"
#include "engine/scene/MeshObject.h"

#include <limits>

namespace quarn {

namespace {

constexpr size_t kMaxEntries = size_t(std::numeric_limits<int32_t>::max());

void CheckArrays(int32_t vertexCount, const Vec3* vertices, int32_t faceCount, const int32_t* faces,
                 const int32_t* materials, size_t vertexBase, size_t faceBase) {
    if (vertexCount < 0) throw EngineError(Format("Vertex count %d is negative", vertexCount));
    if (faceCount < 0) throw EngineError(Format("Face count %d is negative", faceCount));
    if (vertexCount > 0 && !vertices) throw EngineError("No vertex array given");
    if (faceCount > 0 && !faces) throw EngineError("No face array given");
    if (vertexBase + size_t(vertexCount) > kMaxEntries ||
        faceBase + size_t(faceCount) > kMaxEntries)
        throw EngineError("The mesh would exceed 2147483647 vertices or faces");
    for (int32_t f = 0; f < faceCount; ++f) {
        for (int c = 0; c < 3; ++c) {
            const int32_t i = faces[size_t(f) * 3 + size_t(c)];
            if (i < 0 || i >= vertexCount)
                throw EngineError(
                    Format("Face %d: vertex index %d is outside 0..%d", f, i, vertexCount - 1));
        }
        // Material indices may name materials added later, as with single faces, but never a
        // negative one.
        if (materials && materials[f] < 0)
            throw EngineError(Format("Face %d: material index %d is negative", f, materials[f]));
    }
}

template <class T> void Append(std::vector<T>& to, const T* from, int32_t count) {
    to.insert(to.end(), from, from + count);
}

} // namespace

int32_t TQGLBaseMeshObject::AddMeshArrays(int32_t vertexCount, const Vec3* vertices,
                                          const Vec3* normals, const Vec3* texCoords,
                                          int32_t faceCount, const int32_t* faces,
                                          const int32_t* materials) {
    CheckArrays(vertexCount, vertices, faceCount, faces, materials, Vertices.size(),
                size_t(Faces.Count()));
    const size_t vertexBase = Vertices.size(), normalBase = Normals.size(),
                 texCoordBase = TexCoords.size();
    const int32_t firstFace = Faces.Count();
    try {
        Append(Vertices, vertices, vertexCount);
        int32_t sharedNormal = -1;
        if (normals)
            Append(Normals, normals, vertexCount);
        else if (faceCount > 0)
            sharedNormal = AddUniqueNormal(Vec3{0, 1, 0});
        if (texCoords) Append(TexCoords, texCoords, vertexCount);
        const auto v0 = int32_t(vertexBase), n0 = int32_t(normalBase), t0 = int32_t(texCoordBase);
        Faces.Reserve(size_t(firstFace) + size_t(faceCount));
        for (int32_t f = 0; f < faceCount; ++f) {
            auto face = std::make_unique<TQGLFace>();
            for (int c = 0; c < 3; ++c) {
                const int32_t i = faces[size_t(f) * 3 + size_t(c)];
                face->VectorIndices.push_back(v0 + i);
                face->NormalIndices.push_back(normals ? n0 + i : sharedNormal);
                if (texCoords) face->TexCoordIndices.push_back(t0 + i);
            }
            face->MaterialIndex = materials ? materials[f] : 0;
            Faces.Add(std::move(face));
        }
    } catch (...) { // out of memory part way: leave the mesh as it was
        Vertices.resize(vertexBase);
        Normals.resize(normalBase);
        TexCoords.resize(texCoordBase);
        while (Faces.Count() > firstFace)
            Faces.Delete(Faces.Count() - 1);
        GeometryChanged();
        throw;
    }
    GeometryChanged(); // the unique indices are rebuilt from the arrays when next needed
    return firstFace;
}

} // namespace quarn
