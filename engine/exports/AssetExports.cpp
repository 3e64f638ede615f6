// Asset exports: KSF scenes with their texture archive, and 3DS import.
#include "common/CountedArray.h"
#include "engine/assets/KSFReader.h"
#include "engine/assets/Load3DS.h"
#include "engine/core/EngineState.h"
#include "engine/frame/RenderScreen.h"
#include "engine/scene/Scene.h"

using namespace quarn;

namespace {

// The library's result arrays. The new-materials array is shared by the KSF load and the
// dynamic 3DS import.
struct AssetBuffers {
    CountedArray<void*> newStatics, newDynamics, newMaterials;
};

AssetBuffers& Buffers() {
    static AssetBuffers buffers;
    return buffers;
}

// The array's element pointer, or null when it is empty.
void** Handed(CountedArray<void*>& array) {
    return array.size() > 0 ? array.data() : nullptr;
}

// Entries first .. count - 1 of a list, through its accessor.
template <class Get> void FillFrom(CountedArray<void*>& out, int count, int first, Get get) {
    const int n = count - first;
    void** d = out.Resize(n > 0 ? n : 0);
    for (int i = 0; i < n; ++i)
        d[i] = get(first + i);
}

// New objects take the scene's debug switches, as objects made through the other exports do.
void TakeSceneSwitches(const TQGLScene& scene, TQGLBaseMeshObject& object) {
    object.ShowOcclusionNodes = scene.showOcclusionNodes;
    object.DrawNormals = scene.drawNormals;
}

TQGLHandle Import3DS(const char* fileName, Import3DSKind kind) {
    // A failed dynamic import added no materials, so it reports none, not the last import's.
    if (kind == Import3DSKind::Dynamic) Buffers().newMaterials.Resize(0);
    if (!fileName) throw EngineError("No 3DS file given");
    TQGLScene& scene = RequireScene();
    TFile3DS file;
    file.LoadFromFile(fileName);
    const Import3DSResult result = Load3DSIntoScene(
        file, kind, scene.materials, &scene.staticObjects, &scene.dynamicObjects, &scene.frustum);
    TakeSceneSwitches(scene, *result.object);
    if (kind == Import3DSKind::Dynamic) {
        CountedArray<void*>& out = Buffers().newMaterials;
        void** d = out.Resize(static_cast<int32_t>(result.newMaterials.size()));
        for (size_t i = 0; i < result.newMaterials.size(); ++i)
            d[i] = result.newMaterials[i];
        return static_cast<TQGLBaseDynamicMeshObject*>(
            static_cast<TQGLDynamicMeshObject*>(result.object));
    }
    return static_cast<TQGLStaticMeshObject*>(result.object);
}

} // namespace

extern "C" {

QUARN_API TQGLHandle QUARN_CALL qglLoadSceneKSF(const char* KSFFile, const char* ArchiveFile,
                                                TQUARNPointerArray* NewStatics,
                                                TQUARNPointerArray* NewDynamics,
                                                TQUARNPointerArray* NewMaterials) {
    AssetBuffers& buffers = Buffers();
    buffers.newStatics.Resize(0);
    buffers.newDynamics.Resize(0);
    buffers.newMaterials.Resize(0);
    if (NewStatics) *NewStatics = nullptr;
    if (NewDynamics) *NewDynamics = nullptr;
    if (NewMaterials) *NewMaterials = nullptr;
    return GuardGL<TQGLHandle>(nullptr, [&]() -> TQGLHandle {
        if (!KSFFile || !ArchiveFile) throw EngineError("No KSF or archive file given");
        TQGLScene& scene = RequireScene();
        const int statics = scene.staticObjects.Count();
        const int dynamics = scene.dynamicObjects.Count();
        const int materials = scene.materials.Count();
        TKSFReader reader;
        reader.Load(KSFFile, ArchiveFile, &scene.frustum, scene.materials, scene.staticObjects,
                    scene.dynamicObjects);
        for (int i = statics; i < scene.staticObjects.Count(); ++i)
            TakeSceneSwitches(scene, *scene.staticObjects.Get(i));
        FillFrom(buffers.newStatics, scene.staticObjects.Count(), statics,
                 [&](int i) { return scene.staticObjects.Get(i); });
        FillFrom(buffers.newDynamics, scene.dynamicObjects.Count(), dynamics,
                 [&](int i) { return scene.dynamicObjects.Get(i); });
        FillFrom(buffers.newMaterials, scene.materials.Count(), materials,
                 [&](int i) { return scene.materials.Items(i); });
        if (NewStatics) *NewStatics = Handed(buffers.newStatics);
        if (NewDynamics) *NewDynamics = Handed(buffers.newDynamics);
        if (NewMaterials) *NewMaterials = Handed(buffers.newMaterials);
        // A scene without static objects has no last one to return.
        if (scene.staticObjects.Empty()) return nullptr;
        return scene.staticObjects.Get(scene.staticObjects.Count() - 1);
    });
}

QUARN_API TQGLHandle QUARN_CALL qglImportStatic3DS(const char* FileName) {
    return GuardGL<TQGLHandle>(nullptr, [&] { return Import3DS(FileName, Import3DSKind::Static); });
}

QUARN_API TQGLHandle QUARN_CALL qglImportDynamic3DS(const char* FileName) {
    return GuardGL<TQGLHandle>(nullptr,
                               [&] { return Import3DS(FileName, Import3DSKind::Dynamic); });
}

QUARN_API TQUARNPointerArray QUARN_CALL qglGetImportedMaterials(void) {
    return GuardGL<TQUARNPointerArray>(nullptr, [] { return Handed(Buffers().newMaterials); });
}

} // extern "C"
