// Dynamic object exports: create, fill, move, orient and flag the scene's movable objects.
#include "engine/core/EngineState.h"
#include "engine/frame/RenderScreen.h"
#include "engine/scene/FaceDataExchange.h"
#include "engine/scene/Predefined.h"
#include "engine/scene/Scene.h"

using namespace quarn;

namespace {

using Dynamic = TQGLBaseDynamicMeshObject;

Dynamic& Object(TQGLHandle h) {
    return RequireLive<Dynamic>(h);
}

// Links a new object to the scene, takes the scene's debug switches and appends it.
template <class T> T* Adopt(std::unique_ptr<T> object) {
    TQGLScene& scene = RequireScene();
    object->Materials = &scene.materials;
    object->Frustum = &scene.frustum;
    object->ShowOcclusionNodes = scene.showOcclusionNodes;
    object->DrawNormals = scene.drawNormals;
    return scene.dynamicObjects.AddNew(std::move(object));
}

void CopyOut(const Vec3& v, float* x, float* y, float* z) {
    if (x) *x = v.x;
    if (y) *y = v.y;
    if (z) *z = v.z;
}

template <class Shape>
Shape* NewShape(TQGLHandle material, const Vec3& position, const Vec3& rotation) {
    auto shape = std::make_unique<Shape>();
    shape->CreateAt(position, rotation);
    Shape* s = Adopt(std::move(shape));
    s->MaterialIndex = RequireScene().materials.IndexOf(static_cast<TQGLMaterial*>(material));
    return s;
}

} // namespace

extern "C" {

QUARN_API TQGLHandle QUARN_CALL qglLoadDynamicPredefined(uint8_t Kind, TQGLHandle Material,
                                                         float PosX, float PosY, float PosZ,
                                                         float RotX, float RotY, float RotZ,
                                                         float SizeX, float SizeY, float SizeZ) {
    return GuardGL<TQGLHandle>(nullptr, [&]() -> TQGLHandle {
        RequireFinite("PosX", PosX, "PosY", PosY, "PosZ", PosZ, "RotX", RotX, "RotY", RotY, "RotZ",
                      RotZ, "SizeX", SizeX, "SizeY", SizeY, "SizeZ", SizeZ);
        const Vec3 position{PosX, PosY, PosZ}, rotation{RotX, RotY, RotZ};
        if (Kind == 1) {
            TQGLCube* cube = NewShape<TQGLCube>(Material, position, rotation);
            cube->SizeX = SizeX, cube->SizeY = SizeY, cube->SizeZ = SizeZ;
            cube->BuildGeometry();
            return static_cast<Dynamic*>(cube);
        }
        if (Kind == 4) {
            TQGLQuad* quad = NewShape<TQGLQuad>(Material, position, rotation);
            quad->SizeX = SizeX, quad->SizeY = SizeY;
            quad->BuildGeometry();
            return static_cast<Dynamic*>(quad);
        }
        return nullptr; // no shape of that kind
    });
}

QUARN_API int32_t QUARN_CALL qglAddDynamicObject(void) {
    return GuardGL<int32_t>(-1, [] {
        auto object = std::make_unique<TQGLDynamicMeshObject>();
        object->CreateAt(Vec3{}, Vec3{});
        Adopt(std::move(object));
        return RequireScene().dynamicObjects.Count() - 1;
    });
}

QUARN_API TQGLHandle QUARN_CALL qglGetDynamicObject(int32_t Index) {
    return GuardGL<TQGLHandle>(
        nullptr, [&]() -> TQGLHandle { return RequireScene().dynamicObjects.Get(Index); });
}

QUARN_API int32_t QUARN_CALL qglGetDynamicObjectCount(void) {
    return GuardGL<int32_t>(0, [] { return RequireScene().dynamicObjects.Count(); });
}

QUARN_API TQGLHandle QUARN_CALL qglAddDynamicProxyObject(TQGLHandle Source,
                                                         uint8_t CopyMatrixFlag) {
    return GuardGL<TQGLHandle>(nullptr, [&]() -> TQGLHandle {
        Dynamic& source = FirstNonProxy(Object(Source));
        TQGLScene& scene = RequireScene();
        auto proxy = TQGLDynamicMeshObject::CreateProxy(source, CopyMatrixFlag != 0);
        proxy->ShowOcclusionNodes = scene.showOcclusionNodes;
        proxy->DrawNormals = scene.drawNormals;
        return static_cast<Dynamic*>(scene.dynamicObjects.AddNew(std::move(proxy)));
    });
}

QUARN_API void QUARN_CALL qglDeleteDynamicObject(TQGLHandle O) {
    GuardGLVoid([&] {
        Dynamic& object = Object(O);
        object.Deleted = true;      // drawn once more, then freed
        object.liveHandle.Retire(); // the host gave the handle up: refused from now on
    });
}

QUARN_API int32_t QUARN_CALL qglAddDynamicMeshVector(TQGLHandle O, float X, float Y, float Z) {
    return GuardGL<int32_t>(-1, [&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        return Object(O).AddVector(Vec3{X, Y, Z});
    });
}
QUARN_API int32_t QUARN_CALL qglAddDynamicMeshNormal(TQGLHandle O, float X, float Y, float Z) {
    return GuardGL<int32_t>(-1, [&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        return Object(O).AddNormal(Vec3{X, Y, Z});
    });
}
QUARN_API int32_t QUARN_CALL qglAddDynamicMeshTexCoord(TQGLHandle O, float S, float T, float R) {
    return GuardGL<int32_t>(-1, [&] {
        RequireFinite("S", S, "T", T, "R", R);
        return Object(O).AddTexCoord(Vec3{S, T, R});
    });
}
QUARN_API int32_t QUARN_CALL qglAddDynamicUniqueMeshVector(TQGLHandle O, float X, float Y,
                                                           float Z) {
    return GuardGL<int32_t>(-1, [&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        return Object(O).AddUniqueVector(Vec3{X, Y, Z});
    });
}
QUARN_API int32_t QUARN_CALL qglAddDynamicUniqueMeshNormal(TQGLHandle O, float X, float Y,
                                                           float Z) {
    return GuardGL<int32_t>(-1, [&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        return Object(O).AddUniqueNormal(Vec3{X, Y, Z});
    });
}
QUARN_API int32_t QUARN_CALL qglAddDynamicUniqueMeshTexCoord(TQGLHandle O, float S, float T,
                                                             float R) {
    return GuardGL<int32_t>(-1, [&] {
        RequireFinite("S", S, "T", T, "R", R);
        return Object(O).AddUniqueTexCoord(Vec3{S, T, R});
    });
}

QUARN_API int32_t QUARN_CALL qglAddDynamicFace(TQGLHandle O) {
    return GuardGL<int32_t>(-1, [&] { return Object(O).Faces.Add(std::make_unique<TQGLFace>()); });
}
QUARN_API void QUARN_CALL qglAddDynamicFaceVectorIndex(TQGLHandle O, int32_t FaceIndex,
                                                       int32_t Index) {
    GuardGLVoid([&] { Object(O).FaceAt(FaceIndex)->AddVectorIndex(Index); });
}
QUARN_API void QUARN_CALL qglAddDynamicFaceNormalIndex(TQGLHandle O, int32_t FaceIndex,
                                                       int32_t Index) {
    GuardGLVoid([&] { Object(O).FaceAt(FaceIndex)->AddNormalIndex(Index); });
}
QUARN_API void QUARN_CALL qglAddDynamicFaceTexCoordIndex(TQGLHandle O, int32_t FaceIndex,
                                                         int32_t Index) {
    GuardGLVoid([&] { Object(O).FaceAt(FaceIndex)->AddTexCoordIndex(Index); });
}
QUARN_API void QUARN_CALL qglAddDynamicFaceMaterialIndex(TQGLHandle O, int32_t FaceIndex,
                                                         int32_t MaterialIndex) {
    GuardGLVoid([&] { Object(O).FaceAt(FaceIndex)->MaterialIndex = MaterialIndex; });
}

QUARN_API int32_t QUARN_CALL qglAddDynamicMeshArrays(TQGLHandle O, int32_t VertexCount,
                                                     const TQUARNVector* Vertices,
                                                     const TQUARNVector* Normals,
                                                     const TQUARNVector* TexCoords,
                                                     int32_t FaceCount, const int32_t* Faces,
                                                     const int32_t* FaceMaterials) {
    return GuardGL<int32_t>(-1, [&] {
        RequireFiniteVectors("Vertices", Vertices, VertexCount);
        RequireFiniteVectors("Normals", Normals, VertexCount);
        RequireFiniteVectors("TexCoords", TexCoords, VertexCount);
        return Object(O).AddMeshArrays(VertexCount, AsVectors(Vertices), AsVectors(Normals),
                                       AsVectors(TexCoords), FaceCount, Faces, FaceMaterials);
    });
}

QUARN_API TQUARNFaceData* QUARN_CALL qglGetDynamicFaceData(TQGLHandle O) {
    return GuardGL<TQUARNFaceData*>(nullptr, [&] {
        Dynamic& d = Object(O);
        if (!d.IsProxy) return ExchangeFaceData(d);
        // A proxy reports the vertices it draws (its source's) with its own faces.
        TQGLBaseDynamicMeshObject view;
        view.Vertices = d.GetVertices();
        for (const auto& f : d.Faces)
            view.Faces.Add(std::make_unique<TQGLFace>(*f));
        return ExchangeFaceData(view);
    });
}

QUARN_API void QUARN_CALL qglGetDynamicFaces(TQGLHandle O, int32_t* FaceCount,
                                             int32_t** VectorIndices, int32_t** NormalIndices,
                                             int32_t** TexCoordIndices, TQUARNVector** Vertices,
                                             TQUARNVector** Normals, TQUARNVector** TexCoords) {
    GuardGLVoid([&] {
        Dynamic& d = Object(O);
        const FaceLists lists = ExchangeFaceLists(d);
        if (FaceCount) *FaceCount = lists.faceCount;
        if (VectorIndices) *VectorIndices = lists.vectorIndices;
        if (NormalIndices) *NormalIndices = lists.normalIndices;
        if (TexCoordIndices) *TexCoordIndices = lists.texCoordIndices;
        const std::vector<Vec3>& drawn = d.GetVertices();
        if (Vertices) *Vertices = reinterpret_cast<TQUARNVector*>(const_cast<Vec3*>(drawn.data()));
        if (Normals) *Normals = reinterpret_cast<TQUARNVector*>(d.Normals.data());
        if (TexCoords) *TexCoords = reinterpret_cast<TQUARNVector*>(d.TexCoords.data());
    });
}

QUARN_API void QUARN_CALL qglSetDynamicPosition(TQGLHandle O, float X, float Y, float Z) {
    GuardGLVoid([&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        Object(O).SetPositionAndRebuild(Vec3{X, Y, Z});
    });
}
QUARN_API void QUARN_CALL qglGetDynamicPosition(TQGLHandle O, float* Out) {
    GuardGLVoid([&] {
        const Vec3& p = Object(O).Position; // checked even when the result is not wanted
        if (Out) CopyOut(p, Out, Out + 1, Out + 2);
    });
}

QUARN_API void QUARN_CALL qglSetDynamicRotation(TQGLHandle O, float Pitch, float Yaw, float Roll) {
    GuardGLVoid([&] {
        RequireFinite("Pitch", Pitch, "Yaw", Yaw, "Roll", Roll);
        Dynamic& d = Object(O);
        d.Pitch = Pitch, d.Yaw = Yaw, d.Roll = Roll;
        d.RebuildMatrix();
    });
}
QUARN_API void QUARN_CALL qglGetDynamicRotation(TQGLHandle O, float* Pitch, float* Yaw,
                                                float* Roll) {
    GuardGLVoid([&] {
        const Dynamic& d = Object(O);
        CopyOut(Vec3{d.Pitch, d.Yaw, d.Roll}, Pitch, Yaw, Roll);
    });
}
QUARN_API void QUARN_CALL qglSetDynamicPitch(TQGLHandle O, float Angle) {
    GuardGLVoid([&] {
        RequireFinite("Angle", Angle);
        Object(O).Pitch = Angle;
        Object(O).RebuildMatrix();
    });
}
QUARN_API void QUARN_CALL qglSetDynamicYaw(TQGLHandle O, float Angle) {
    GuardGLVoid([&] {
        RequireFinite("Angle", Angle);
        Object(O).Yaw = Angle;
        Object(O).RebuildMatrix();
    });
}
QUARN_API void QUARN_CALL qglSetDynamicRoll(TQGLHandle O, float Angle) {
    GuardGLVoid([&] {
        RequireFinite("Angle", Angle);
        Object(O).Roll = Angle;
        Object(O).RebuildMatrix();
    });
}
QUARN_API float QUARN_CALL qglGetDynamicPitch(TQGLHandle O) {
    return GuardGL<float>(0, [&] { return Object(O).Pitch; });
}
QUARN_API float QUARN_CALL qglGetDynamicYaw(TQGLHandle O) {
    return GuardGL<float>(0, [&] { return Object(O).Yaw; });
}
QUARN_API float QUARN_CALL qglGetDynamicRoll(TQGLHandle O) {
    return GuardGL<float>(0, [&] { return Object(O).Roll; });
}

QUARN_API void QUARN_CALL qglSetDynamicMatrix(TQGLHandle O, const float* M, uint8_t Flag) {
    GuardGLVoid([&] {
        if (!M) throw EngineError("No matrix given (nil pointer)");
        RequireFiniteArray("M", M, 16);
        Mat4 m;
        for (int i = 0; i < 16; ++i)
            m.m[i] = M[i];
        Object(O).SetMatrix(m, Flag != 0);
    });
}
QUARN_API void QUARN_CALL qglGetDynamicMatrix(float* M, TQGLHandle O) {
    GuardGLVoid([&] {
        const Mat4 m = Object(O).GetMatrix();
        if (M)
            for (int i = 0; i < 16; ++i)
                M[i] = m.m[i];
    });
}

QUARN_API void QUARN_CALL qglSetDynamicBillboardFlag(TQGLHandle O, uint8_t Flag) {
    GuardGLVoid([&] { Object(O).Billboard = Flag != 0; });
}
QUARN_API uint8_t QUARN_CALL qglGetDynamicBillboardFlag(TQGLHandle O) {
    return GuardGL<uint8_t>(0, [&] { return uint8_t(Object(O).Billboard); });
}
QUARN_API void QUARN_CALL qglSetDynamicBillboardType(TQGLHandle O, uint8_t Kind) {
    GuardGLVoid([&] { Object(O).BillboardType = Kind; });
}
QUARN_API uint8_t QUARN_CALL qglGetDynamicBillboardType(TQGLHandle O) {
    return GuardGL<uint8_t>(0, [&] { return Object(O).BillboardType; });
}
QUARN_API void QUARN_CALL qglSetDynamicBillboardAxis(TQGLHandle O, float X, float Y, float Z) {
    GuardGLVoid([&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        Object(O).BillboardAxis = Vec3{X, Y, Z};
    });
}
QUARN_API void QUARN_CALL qglGetDynamicBillboardAxis(TQGLHandle O, float* X, float* Y, float* Z) {
    GuardGLVoid([&] { CopyOut(Object(O).BillboardAxis, X, Y, Z); });
}
QUARN_API void QUARN_CALL qglSetDynamicBillBoardCamPos(TQGLHandle O, float X, float Y, float Z) {
    GuardGLVoid([&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        Object(O).BillboardCamPos = Vec3{X, Y, Z};
    });
}
QUARN_API void QUARN_CALL qglGetDynamicBillBoardCamPos(TQGLHandle O, float* X, float* Y, float* Z) {
    GuardGLVoid([&] { CopyOut(Object(O).BillboardCamPos, X, Y, Z); });
}
QUARN_API void QUARN_CALL qglSetDynamicBillBoardCamUp(TQGLHandle O, float X, float Y, float Z) {
    GuardGLVoid([&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        Object(O).BillboardCamUp = Vec3{X, Y, Z};
    });
}
QUARN_API void QUARN_CALL qglGetDynamicBillBoardCamUp(TQGLHandle O, float* X, float* Y, float* Z) {
    GuardGLVoid([&] { CopyOut(Object(O).BillboardCamUp, X, Y, Z); });
}
QUARN_API void QUARN_CALL qglSetDynamicBillboardProp(TQGLHandle O, uint8_t Kind, float CamPosX,
                                                     float CamPosY, float CamPosZ, float CamUpX,
                                                     float CamUpY, float CamUpZ) {
    GuardGLVoid([&] {
        RequireFinite("CamPosX", CamPosX, "CamPosY", CamPosY, "CamPosZ", CamPosZ, "CamUpX", CamUpX,
                      "CamUpY", CamUpY, "CamUpZ", CamUpZ);
        Dynamic& d = Object(O);
        d.BillboardType = Kind;
        d.BillboardCamPos = Vec3{CamPosX, CamPosY, CamPosZ};
        d.BillboardCamUp = Vec3{CamUpX, CamUpY, CamUpZ};
    });
}
QUARN_API void QUARN_CALL qglSetDynamicBillboardPropAxis(TQGLHandle O, float CamPosX, float CamPosY,
                                                         float CamPosZ, float CamUpX, float CamUpY,
                                                         float CamUpZ, float AxisX, float AxisY,
                                                         float AxisZ) {
    GuardGLVoid([&] {
        RequireFinite("CamPosX", CamPosX, "CamPosY", CamPosY, "CamPosZ", CamPosZ, "CamUpX", CamUpX,
                      "CamUpY", CamUpY, "CamUpZ", CamUpZ, "AxisX", AxisX, "AxisY", AxisY, "AxisZ",
                      AxisZ);
        Dynamic& d = Object(O);
        d.BillboardType = Dynamic::kAboutAxis;
        d.BillboardCamPos = Vec3{CamPosX, CamPosY, CamPosZ};
        d.BillboardAxis = Vec3{AxisX, AxisY, AxisZ};
        d.BillboardCamUp = Vec3{CamUpX, CamUpY, CamUpZ};
    });
}

QUARN_API void QUARN_CALL qglSetDynamicVisibleFlag(TQGLHandle O, uint8_t Flag) {
    GuardGLVoid([&] { Object(O).Visible = Flag != 0; });
}
QUARN_API uint8_t QUARN_CALL qglGetDynamicVisibleFlag(TQGLHandle O) {
    return GuardGL<uint8_t>(0, [&] { return uint8_t(Object(O).Visible); });
}
QUARN_API void QUARN_CALL qglSetDynamicWireframeFlag(TQGLHandle O, uint8_t Flag) {
    GuardGLVoid([&] { Object(O).Wireframe = Flag != 0; });
}
QUARN_API uint8_t QUARN_CALL qglGetDynamicWireframeFlag(TQGLHandle O) {
    return GuardGL<uint8_t>(0, [&] { return uint8_t(Object(O).Wireframe); });
}
QUARN_API void QUARN_CALL qglSetDynamicShowOcclusionNodesFlag(TQGLHandle O, uint8_t Flag) {
    GuardGLVoid([&] { Object(O).ShowOcclusionNodes = Flag != 0; });
}
QUARN_API uint8_t QUARN_CALL qglGetDynamicShowOcclusionNodesFlag(TQGLHandle O) {
    return GuardGL<uint8_t>(0, [&] { return uint8_t(Object(O).ShowOcclusionNodes); });
}
QUARN_API void QUARN_CALL qglSetDynamicDrawNormalsFlag(TQGLHandle O, uint8_t Flag) {
    GuardGLVoid([&] { Object(O).DrawNormals = Flag != 0; });
}
QUARN_API uint8_t QUARN_CALL qglGetDynamicDrawNormalsFlag(TQGLHandle O) {
    return GuardGL<uint8_t>(0, [&] { return uint8_t(Object(O).DrawNormals); });
}

} // extern "C"
