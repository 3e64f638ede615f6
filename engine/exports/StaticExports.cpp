// Static object exports: build, inspect and flag the world meshes.
#include "engine/core/EngineState.h"
#include "engine/frame/RenderScreen.h"
#include "engine/scene/FaceDataExchange.h"
#include "engine/scene/StaticMeshObject.h"

#include <cmath>

using namespace quarn;

namespace {

TQGLStaticMeshObject& Mesh(TQGLHandle h) {
    return RequireLive<TQGLStaticMeshObject>(h);
}

TQGLStaticMeshObject* NewStaticMesh() {
    TQGLScene& scene = RequireScene();
    auto mesh = std::make_unique<TQGLStaticMeshObject>();
    mesh->Materials = &scene.materials;
    mesh->Frustum = &scene.frustum;
    mesh->ShowOcclusionNodes = scene.showOcclusionNodes;
    mesh->DrawNormals = scene.drawNormals;
    return scene.staticObjects.AddNew(std::move(mesh));
}

} // namespace

extern "C" {

QUARN_API TQGLHandle QUARN_CALL qglAddStaticObjectTerrain(const char* HeightMapFile,
                                                          const char* Unused1, const char* Unused2,
                                                          int32_t CellSize, int32_t HeightScale,
                                                          double Unused3, double Unused4,
                                                          double Unused5, double Unused6) {
    (void)Unused1, (void)Unused2, (void)Unused3, (void)Unused4, (void)Unused5, (void)Unused6;
    return GuardGL<TQGLHandle>(nullptr, [&]() -> TQGLHandle {
        if (!HeightMapFile) throw EngineError("No height-map file given");
        TQGLStaticMeshObject* mesh = NewStaticMesh();
        try {
            mesh->BuildTerrain(HeightMapFile, CellSize, HeightScale);
        } catch (...) {
            RequireScene().staticObjects.Remove(mesh); // a failed terrain leaves nothing behind
            throw;
        }
        return mesh;
    });
}

QUARN_API int32_t QUARN_CALL qglAddStaticObject(void) {
    return GuardGL<int32_t>(-1, [] {
        NewStaticMesh();
        return RequireScene().staticObjects.Count() - 1;
    });
}

QUARN_API TQGLHandle QUARN_CALL qglGetStaticObject(int32_t Index) {
    return GuardGL<TQGLHandle>(nullptr, [&] { return RequireScene().staticObjects.Get(Index); });
}

QUARN_API int32_t QUARN_CALL qglGetStaticObjectCount(void) {
    return GuardGL<int32_t>(0, [] { return RequireScene().staticObjects.Count(); });
}

QUARN_API void QUARN_CALL qglBuildStaticOctree(TQGLHandle Object) {
    GuardGLVoid([&] {
        TQGLStaticMeshObject& mesh = Mesh(Object);
        // Checked first: an octree around non-finite bounds would be half-built nonsense.
        for (size_t i = 0; i < mesh.Vertices.size(); ++i) {
            const Vec3& v = mesh.Vertices[i];
            if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
                throw EngineError(
                    Format("Static mesh vertex %zu is not finite: no octree built", i));
        }
        mesh.RebuildOctree();
    });
}

QUARN_API void QUARN_CALL qglDeleteStaticObject(TQGLHandle Object) {
    GuardGLVoid([&] {
        TQGLStaticMeshObject& mesh = Mesh(Object);
        mesh.Deleted = true;      // drawn once more, then freed
        mesh.liveHandle.Retire(); // the host gave the handle up: refused from now on
    });
}

QUARN_API int32_t QUARN_CALL qglAddStaticMeshVector(TQGLHandle Object, float X, float Y, float Z) {
    return GuardGL<int32_t>(-1, [&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        return Mesh(Object).AddVector(Vec3{X, Y, Z});
    });
}

QUARN_API int32_t QUARN_CALL qglAddStaticMeshNormal(TQGLHandle Object, float X, float Y, float Z) {
    return GuardGL<int32_t>(-1, [&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        return Mesh(Object).AddNormal(Vec3{X, Y, Z});
    });
}

QUARN_API int32_t QUARN_CALL qglAddStaticMeshTexCoord(TQGLHandle Object, float S, float T,
                                                      float R) {
    return GuardGL<int32_t>(-1, [&] {
        RequireFinite("S", S, "T", T, "R", R);
        return Mesh(Object).AddTexCoord(Vec3{S, T, R});
    });
}

QUARN_API int32_t QUARN_CALL qglAddStaticUniqueMeshVector(TQGLHandle Object, float X, float Y,
                                                          float Z) {
    return GuardGL<int32_t>(-1, [&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        return Mesh(Object).AddUniqueVector(Vec3{X, Y, Z});
    });
}

QUARN_API int32_t QUARN_CALL qglAddStaticUniqueMeshNormal(TQGLHandle Object, float X, float Y,
                                                          float Z) {
    return GuardGL<int32_t>(-1, [&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        return Mesh(Object).AddUniqueNormal(Vec3{X, Y, Z});
    });
}

QUARN_API int32_t QUARN_CALL qglAddStaticUniqueMeshTexCoord(TQGLHandle Object, float S, float T,
                                                            float R) {
    return GuardGL<int32_t>(-1, [&] {
        RequireFinite("S", S, "T", T, "R", R);
        return Mesh(Object).AddUniqueTexCoord(Vec3{S, T, R});
    });
}

QUARN_API int32_t QUARN_CALL qglAddStaticFace(TQGLHandle Object) {
    return GuardGL<int32_t>(-1, [&] {
        TQGLStaticMeshObject& m = Mesh(Object);
        return m.Faces.Add(std::make_unique<TQGLFace>());
    });
}

QUARN_API void QUARN_CALL qglAddStaticFaceVectorIndex(TQGLHandle Object, int32_t FaceIndex,
                                                      int32_t Index) {
    GuardGLVoid([&] { Mesh(Object).FaceAt(FaceIndex)->AddVectorIndex(Index); });
}

QUARN_API void QUARN_CALL qglAddStaticFaceNormalIndex(TQGLHandle Object, int32_t FaceIndex,
                                                      int32_t Index) {
    GuardGLVoid([&] { Mesh(Object).FaceAt(FaceIndex)->AddNormalIndex(Index); });
}

QUARN_API void QUARN_CALL qglAddStaticFaceTexCoordIndex(TQGLHandle Object, int32_t FaceIndex,
                                                        int32_t Index) {
    GuardGLVoid([&] { Mesh(Object).FaceAt(FaceIndex)->AddTexCoordIndex(Index); });
}

QUARN_API void QUARN_CALL qglAddStaticFaceMaterialIndex(TQGLHandle Object, int32_t FaceIndex,
                                                        int32_t MaterialIndex) {
    GuardGLVoid([&] { Mesh(Object).FaceAt(FaceIndex)->MaterialIndex = MaterialIndex; });
}

QUARN_API int32_t QUARN_CALL qglAddStaticMeshArrays(TQGLHandle Object, int32_t VertexCount,
                                                    const TQUARNVector* Vertices,
                                                    const TQUARNVector* Normals,
                                                    const TQUARNVector* TexCoords,
                                                    int32_t FaceCount, const int32_t* Faces,
                                                    const int32_t* FaceMaterials) {
    return GuardGL<int32_t>(-1, [&] {
        RequireFiniteVectors("Vertices", Vertices, VertexCount);
        RequireFiniteVectors("Normals", Normals, VertexCount);
        RequireFiniteVectors("TexCoords", TexCoords, VertexCount);
        return Mesh(Object).AddMeshArrays(VertexCount, AsVectors(Vertices), AsVectors(Normals),
                                          AsVectors(TexCoords), FaceCount, Faces, FaceMaterials);
    });
}

QUARN_API TQUARNFaceData* QUARN_CALL qglGetStaticFaceData(TQGLHandle Object) {
    return GuardGL<TQUARNFaceData*>(nullptr, [&] { return ExchangeFaceData(Mesh(Object)); });
}

QUARN_API void QUARN_CALL qglGetStaticFaces(TQGLHandle Object, int32_t* FaceCount,
                                            int32_t** VectorIndices, int32_t** NormalIndices,
                                            int32_t** TexCoordIndices, TQUARNVector** Vertices,
                                            TQUARNVector** Normals, TQUARNVector** TexCoords) {
    GuardGLVoid([&] {
        TQGLStaticMeshObject& m = Mesh(Object);
        const FaceLists lists = ExchangeFaceLists(m);
        if (FaceCount) *FaceCount = lists.faceCount;
        if (VectorIndices) *VectorIndices = lists.vectorIndices;
        if (NormalIndices) *NormalIndices = lists.normalIndices;
        if (TexCoordIndices) *TexCoordIndices = lists.texCoordIndices;
        if (Vertices) *Vertices = reinterpret_cast<TQUARNVector*>(m.Vertices.data());
        if (Normals) *Normals = reinterpret_cast<TQUARNVector*>(m.Normals.data());
        if (TexCoords) *TexCoords = reinterpret_cast<TQUARNVector*>(m.TexCoords.data());
    });
}

QUARN_API void QUARN_CALL qglSetStaticVisibleFlag(TQGLHandle Object, uint8_t Flag) {
    GuardGLVoid([&] { Mesh(Object).Visible = Flag != 0; });
}
QUARN_API uint8_t QUARN_CALL qglGetStaticVisibleFlag(TQGLHandle Object) {
    return GuardGL<uint8_t>(0, [&] { return uint8_t(Mesh(Object).Visible); });
}
QUARN_API void QUARN_CALL qglSetStaticWireframeFlag(TQGLHandle Object, uint8_t Flag) {
    GuardGLVoid([&] { Mesh(Object).Wireframe = Flag != 0; });
}
QUARN_API uint8_t QUARN_CALL qglGetStaticWireframeFlag(TQGLHandle Object) {
    return GuardGL<uint8_t>(0, [&] { return uint8_t(Mesh(Object).Wireframe); });
}
QUARN_API void QUARN_CALL qglSetStaticShowOcclusionNodesFlag(TQGLHandle Object, uint8_t Flag) {
    GuardGLVoid([&] { Mesh(Object).ShowOcclusionNodes = Flag != 0; });
}
QUARN_API uint8_t QUARN_CALL qglGetStaticShowOcclusionNodesFlag(TQGLHandle Object) {
    return GuardGL<uint8_t>(0, [&] { return uint8_t(Mesh(Object).ShowOcclusionNodes); });
}
QUARN_API void QUARN_CALL qglSetStaticDrawNormalsFlag(TQGLHandle Object, uint8_t Flag) {
    GuardGLVoid([&] { Mesh(Object).DrawNormals = Flag != 0; });
}
QUARN_API uint8_t QUARN_CALL qglGetStaticDrawNormalsFlag(TQGLHandle Object) {
    return GuardGL<uint8_t>(0, [&] { return uint8_t(Mesh(Object).DrawNormals); });
}

} // extern "C"
