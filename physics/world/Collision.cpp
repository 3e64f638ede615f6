#include "physics/world/Collision.h"

#include "common/EngineError.h"

#include <algorithm>
#include <vector>

namespace quarn {

namespace {

NewtonCollision* MakeBoxOrSphere(NewtonWorld* world, int kind, const Vec3& extent) {
    if (kind == TqpCollision::kBox)
        return NewtonCreateBox(world, extent.x, extent.y, extent.z, nullptr);
    // The radii are the full extent, not half of it.
    return NewtonCreateSphere(world, extent.x, extent.y, extent.z, nullptr);
}

void CheckKnownKind(int kind) {
    if (kind < TqpCollision::kBox || kind > TqpCollision::kSphere)
        throw EngineError(Format("Unknown collision kind (%d)", kind));
}

void CheckShape(NewtonCollision* shape) {
    if (!shape) throw EngineError("The collision shape could not be created");
}

} // namespace

TqpCollision::~TqpCollision() {
    if (shape_) NewtonReleaseCollision(world_, shape_);
}

std::unique_ptr<TqpCollision> TqpCollision::CreateBySize(NewtonWorld* world, int kind,
                                                         const Vec3& size) {
    CheckKnownKind(kind);
    if (kind == kConvexHull || kind == kTree)
        throw EngineError(Format("Collision kind %d needs face data", kind));
    if (!(size.x > 0 && size.y > 0 && size.z > 0))
        throw EngineError(
            Format("Collision size must be positive (%g, %g, %g given)", size.x, size.y, size.z));
    NewtonCollision* shape = MakeBoxOrSphere(world, kind, size);
    CheckShape(shape);
    return std::make_unique<TqpCollision>(world, shape, kind);
}

std::unique_ptr<TqpCollision> TqpCollision::CreateByFace(NewtonWorld* world, int kind,
                                                         const TQUARNFaceData& data) {
    CheckKnownKind(kind);
    const int32_t vertexCount = data.VertexCount;
    const int32_t faceCount = data.FaceCount;
    if (vertexCount < 0 || faceCount < 0)
        throw EngineError(Format("Face data has negative counts (%d faces, %d vertices)", faceCount,
                                 vertexCount));
    if (vertexCount > 0 && !data.Vertices) throw EngineError("Face data has no vertex array");
    if (vertexCount > 0 && QUARN_ARRAY_COUNT(data.Vertices) < vertexCount)
        throw EngineError(Format("Face data claims %d vertices but its array holds %d", vertexCount,
                                 QUARN_ARRAY_COUNT(data.Vertices)));
    std::vector<Vec3> vertices(static_cast<size_t>(vertexCount));
    for (int32_t i = 0; i < vertexCount; ++i) {
        vertices[i] = Vec3{data.Vertices[i].x, data.Vertices[i].y, data.Vertices[i].z};
        if (!IsFinite(vertices[i]))
            throw EngineError(Format("Face data vertex %d is not a finite number", i));
    }

    if (kind == kBox || kind == kSphere) {
        if (vertexCount == 0) throw EngineError("Face data has no vertices");
        Vec3 lo{1e10f, 1e10f, 1e10f};
        Vec3 hi{-1e10f, -1e10f, -1e10f};
        for (const Vec3& v : vertices) {
            lo = Vec3{std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
            hi = Vec3{std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
        }
        NewtonCollision* shape = MakeBoxOrSphere(world, kind, VectorSubtract(hi, lo));
        CheckShape(shape);
        return std::make_unique<TqpCollision>(world, shape, kind);
    }

    if (kind == kConvexHull) {
        if (vertexCount < 4)
            throw EngineError(
                Format("A convex hull needs at least 4 vertices (%d given)", vertexCount));
        NewtonCollision* shape =
            NewtonCreateConvexHull(world, vertexCount, &vertices[0].x, sizeof(Vec3), nullptr);
        CheckShape(shape);
        return std::make_unique<TqpCollision>(world, shape, kind);
    }

    // Tree: every face's indices are checked before the build starts.
    if (faceCount == 0) throw EngineError("A tree collision needs at least one face");
    if (!data.Faces) throw EngineError("Face data has no face array");
    if (QUARN_ARRAY_COUNT(data.Faces) < faceCount)
        throw EngineError(Format("Face data claims %d faces but its array holds %d", faceCount,
                                 QUARN_ARRAY_COUNT(data.Faces)));
    for (int32_t f = 0; f < faceCount; ++f) {
        const TQUARNIntVector& face = data.Faces[f];
        for (int32_t index : {face.a, face.b, face.c})
            if (index < 0 || index >= vertexCount)
                throw EngineError(
                    Format("Face %d refers to vertex %d of %d", f, index, vertexCount));
    }
    NewtonCollision* shape = NewtonCreateTreeCollision(world, nullptr);
    CheckShape(shape);
    auto collision = std::make_unique<TqpCollision>(world, shape, kind);
    NewtonTreeCollisionBeginBuild(shape);
    for (int32_t f = 0; f < faceCount; ++f) {
        const TQUARNIntVector& face = data.Faces[f];
        const Vec3 triangle[3] = {vertices[face.a], vertices[face.b], vertices[face.c]};
        NewtonTreeCollisionAddFace(shape, 3, &triangle[0].x, sizeof(Vec3), 0);
    }
    NewtonTreeCollisionEndBuild(shape, 0);
    return collision;
}

} // namespace quarn
