#include "engine/scene/FaceDataExchange.h"

#include "engine/scene/MeshObject.h"

#include <cstring>

namespace quarn {

namespace {

struct Exchange {
    TQUARNFaceData record{};
    CountedArray<TQUARNVector> vertices;
    CountedArray<TQUARNIntVector> faces;
    CountedArray<int32_t> vectorIndices, normalIndices, texCoordIndices;
};

Exchange& Buffers() {
    static Exchange* e = new Exchange();
    return *e;
}

int32_t Entry(const FaceIndexArray& a, size_t i) {
    return i < a.size() ? a[i] : -1;
}

} // namespace

TQUARNFaceData* ExchangeFaceData(const TQGLBaseMeshObject& mesh) {
    Exchange& e = Buffers();
    const int32_t nv = int32_t(mesh.Vertices.size());
    TQUARNVector* v = e.vertices.Resize(nv);
    static_assert(sizeof(TQUARNVector) == sizeof(Vec3), "vector layouts agree");
    if (nv > 0) std::memcpy(v, mesh.Vertices.data(), sizeof(Vec3) * size_t(nv));
    const int32_t nf = mesh.Faces.Count();
    TQUARNIntVector* f = e.faces.Resize(nf);
    for (int32_t i = 0; i < nf; ++i) {
        const FaceIndexArray& idx = mesh.Faces.Get(i)->VectorIndices;
        f[i] = TQUARNIntVector{Entry(idx, 0), Entry(idx, 1), Entry(idx, 2)};
    }
    e.record.FaceCount = nf;
    e.record.VertexCount = nv;
    e.record.Vertices = v;
    e.record.Faces = f;
    return &e.record;
}

FaceLists ExchangeFaceLists(const TQGLBaseMeshObject& mesh) {
    Exchange& e = Buffers();
    const int32_t nf = mesh.Faces.Count();
    FaceLists out;
    out.faceCount = nf;
    out.vectorIndices = e.vectorIndices.Resize(nf * 3);
    out.normalIndices = e.normalIndices.Resize(nf * 3);
    out.texCoordIndices = e.texCoordIndices.Resize(nf * 3);
    for (int32_t i = 0; i < nf; ++i) {
        const TQGLFace& face = *mesh.Faces.Get(i);
        for (size_t c = 0; c < 3; ++c) {
            out.vectorIndices[size_t(i) * 3 + c] = Entry(face.VectorIndices, c);
            out.normalIndices[size_t(i) * 3 + c] = Entry(face.NormalIndices, c);
            out.texCoordIndices[size_t(i) * 3 + c] = Entry(face.TexCoordIndices, c);
        }
    }
    return out;
}

} // namespace quarn
