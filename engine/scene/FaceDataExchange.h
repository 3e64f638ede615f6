// The library-held records the face-data exports hand to the host. One face-data record is
// shared by the static and dynamic face-data exports, one set of index arrays by the static and
// dynamic face-list exports: each call overwrites what the previous one returned.
#pragma once

#include "common/CountedArray.h"
#include "common/QuarnMath.h"
#include "quarn/QuarnExposedTypes.h"

namespace quarn {

class TQGLBaseMeshObject;

// Copies the vertices and the first three vertex indices of every face.
TQUARNFaceData* ExchangeFaceData(const TQGLBaseMeshObject& mesh);

struct FaceLists {
    int32_t faceCount = 0;
    int32_t* vectorIndices = nullptr;   // faceCount x 3
    int32_t* normalIndices = nullptr;   // faceCount x 3
    int32_t* texCoordIndices = nullptr; // faceCount x 3
};
// The first three vertex, normal and texture-coordinate indices of every face; an index a face
// does not carry is reported as -1.
FaceLists ExchangeFaceLists(const TQGLBaseMeshObject& mesh);

// The host's vector records as the engine's vectors (the same three floats).
static_assert(sizeof(TQUARNVector) == sizeof(Vec3), "vector layouts agree");
inline const Vec3* AsVectors(const TQUARNVector* v) {
    return reinterpret_cast<const Vec3*>(v);
}

} // namespace quarn
