// Building test geometry face by face through the exports, the same for static and dynamic
// objects (the two families have one shape under different names).
#pragma once

#include "quarn/QuarnGL.h"

#include <array>
#include <cstdint>
#include <initializer_list>

namespace probe {

struct MeshExports {
    int32_t(QUARN_CALL* vector)(TQGLHandle, float, float, float);
    int32_t(QUARN_CALL* normal)(TQGLHandle, float, float, float);
    int32_t(QUARN_CALL* face)(TQGLHandle);
    void(QUARN_CALL* vectorIndex)(TQGLHandle, int32_t, int32_t);
    void(QUARN_CALL* normalIndex)(TQGLHandle, int32_t, int32_t);
    void(QUARN_CALL* materialIndex)(TQGLHandle, int32_t, int32_t);
};

inline const MeshExports kStaticMesh{
    qglAddStaticMeshVector,      qglAddStaticMeshNormal,      qglAddStaticFace,
    qglAddStaticFaceVectorIndex, qglAddStaticFaceNormalIndex, qglAddStaticFaceMaterialIndex};
inline const MeshExports kDynamicMesh{
    qglAddDynamicMeshVector,      qglAddDynamicMeshNormal,      qglAddDynamicFace,
    qglAddDynamicFaceVectorIndex, qglAddDynamicFaceNormalIndex, qglAddDynamicFaceMaterialIndex};

using Corner = std::array<float, 3>;

// One face through the given corners, all with one normal and the material at index material.
inline void AddFace(const MeshExports& e, TQGLHandle object, std::initializer_list<Corner> corners,
                    const Corner& normal, int32_t material) {
    const int32_t n = e.normal(object, normal[0], normal[1], normal[2]);
    const int32_t f = e.face(object);
    for (const Corner& c : corners) {
        e.vectorIndex(object, f, e.vector(object, c[0], c[1], c[2]));
        e.normalIndex(object, f, n);
    }
    e.materialIndex(object, f, material);
}

// The quad a, b, c, d as the two triangles a b c and a c d.
inline void AddQuad(const MeshExports& e, TQGLHandle object, const Corner& a, const Corner& b,
                    const Corner& c, const Corner& d, const Corner& normal, int32_t material) {
    AddFace(e, object, {a, b, c}, normal, material);
    AddFace(e, object, {a, c, d}, normal, material);
}

} // namespace probe
