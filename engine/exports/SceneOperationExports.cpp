// Scene operation exports: debug flags, cube-map capture, screen text, the loader screen, the
// selection and the scene map.
#include "engine/core/EngineState.h"
#include "engine/frame/RenderScreen.h"

#include <algorithm>

using namespace quarn;

namespace {

void SwapWindowBuffers() {
    if (WindowBackend* b = RequireScreen().backend()) b->SwapBuffers();
}

// A static or dynamic object behind a handle: either kind passes.
TQGLBaseObject& SceneObject(TQGLHandle h) {
    const HandleRegistry& registry = HandleRegistry::Instance();
    if (registry.IsLive(h, kStaticObjectHandle)) return RequireLive<TQGLStaticMeshObject>(h);
    if (registry.IsLive(h, kDynamicObjectHandle)) return RequireLive<TQGLBaseDynamicMeshObject>(h);
    ThrowDeadHandle("static or dynamic object");
}

TQGLBaseDynamicMeshObject& DynamicObject(TQGLHandle h) {
    return RequireLive<TQGLBaseDynamicMeshObject>(h);
}

} // namespace

extern "C" {

QUARN_API uint8_t QUARN_CALL qglGetSceneShowOcclusionNodesFlag(void) {
    return GuardGL<uint8_t>(0, [] { return uint8_t(RequireScene().showOcclusionNodes ? 1 : 0); });
}

QUARN_API void QUARN_CALL qglSetSceneShowOcclusionNodesFlag(uint8_t Flag) {
    GuardGLVoid([&] { RequireScene().SetShowOcclusionNodes(Flag != 0); });
}

QUARN_API uint8_t QUARN_CALL qglGetSceneDrawNormalsFlag(void) {
    return GuardGL<uint8_t>(0, [] { return uint8_t(RequireScene().drawNormals ? 1 : 0); });
}

QUARN_API void QUARN_CALL qglSetSceneDrawNormalsFlag(uint8_t Flag) {
    GuardGLVoid([&] { RequireScene().SetDrawNormals(Flag != 0); });
}

QUARN_API void QUARN_CALL qglRenderSceneCubemapTexturesToFiles(const char* Directory, int32_t Size,
                                                               int32_t WindowWidth,
                                                               int32_t WindowHeight, float X,
                                                               float Y, float Z) {
    GuardGLVoid([&] {
        if (!Directory) throw EngineError("No cube-map directory given");
        RequireFinite("X", X, "Y", Y, "Z",
                      Z); // the sky box keeps the capture point until the next frame
        RequireScene().RenderCubeMapToFiles(Directory, Size, WindowWidth, WindowHeight,
                                            Vec3{X, Y, Z}, &SwapWindowBuffers);
    });
}

QUARN_API void QUARN_CALL qglAddSceneText(const char* Text, int32_t X, int32_t Y) {
    GuardGLVoid([&] { RequireScene().font->AddText(Text, X, Y); });
}

QUARN_API void QUARN_CALL qglRenderLoaderScreen(const char* ImageFile) {
    GuardGLVoid(
        [&] { RequireScene().RenderLoaderScreen(ImageFile ? ImageFile : "", &SwapWindowBuffers); });
}

QUARN_API void QUARN_CALL qglAddSceneSelected(TQGLHandle Object) {
    GuardGLVoid([&] {
        TQGLBaseObject& object = SceneObject(Object);
        std::vector<TQGLBaseObject*>& selection = RequireScene().selection;
        if (std::find(selection.begin(), selection.end(), &object) == selection.end())
            selection.push_back(&object); // once, so an operation never applies twice
    });
}

QUARN_API void QUARN_CALL qglClearSceneSelected(void) {
    GuardGLVoid([] { RequireScene().selection.clear(); });
}

QUARN_API void QUARN_CALL qglMoveSceneSelected(int32_t Side, int32_t Forward) {
    GuardGLVoid([&] { RequireScene().MoveSelected(Side, Forward); });
}

QUARN_API void QUARN_CALL qglMoveSceneSelectedX(int32_t Amount) {
    GuardGLVoid([&] { RequireScene().MoveSelectedX(Amount); });
}

QUARN_API void QUARN_CALL qglMoveSceneSelectedY(int32_t Amount) {
    GuardGLVoid([&] { RequireScene().MoveSelectedY(Amount); });
}

QUARN_API void QUARN_CALL qglMoveSceneSelectedZ(int32_t Amount) {
    GuardGLVoid([&] { RequireScene().MoveSelectedZ(Amount); });
}

QUARN_API void QUARN_CALL qglMoveSceneSelectedYBySpeed(int32_t Amount, float Speed) {
    GuardGLVoid([&] {
        RequireFinite("Speed", Speed, "Amount * Speed", double(float(Amount) * Speed));
        RequireScene().MoveSelectedYBySpeed(Amount, Speed);
    });
}

QUARN_API void QUARN_CALL qglMoveSceneSelectedByVector(float X, float Y, float Z) {
    GuardGLVoid([&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        RequireScene().MoveSelectedByVector(Vec3{X, Y, Z});
    });
}

QUARN_API void QUARN_CALL qglRotateSceneSelected(int32_t A, int32_t B) {
    GuardGLVoid([&] { RequireScene().RotateSelected(A, B); });
}

QUARN_API void QUARN_CALL qglRotateSceneSelectedX(int32_t Angle) {
    GuardGLVoid([&] { RequireScene().RotateSelectedX(Angle); });
}

QUARN_API void QUARN_CALL qglRotateSceneSelectedY(int32_t Angle) {
    GuardGLVoid([&] { RequireScene().RotateSelectedY(Angle); });
}

QUARN_API void QUARN_CALL qglRotateSceneSelectedZ(int32_t Angle) {
    GuardGLVoid([&] { RequireScene().RotateSelectedZ(Angle); });
}

QUARN_API void QUARN_CALL qglScaleSceneSelected(float X, float Y, float Z) {
    GuardGLVoid([&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        RequireScene().ScaleSelected(Vec3{X, Y, Z});
    });
}

QUARN_API void QUARN_CALL qglDeleteSceneSelected(void) {
    GuardGLVoid([] {
        TQGLWinDLLScreen& screen = RequireScreen();
        if (!screen.scene) throw EngineError("No scene: call qglCreateSceneWindow first");
        if (screen.glReady) {
            screen.scene->DeleteSelected();
        } else { // the window is gone, and the objects' GL lists with its context
            gl::ScopedNullDispatch noGL;
            screen.scene->DeleteSelected();
        }
    });
}

QUARN_API void QUARN_CALL qglSetSceneMapRenderFlag(uint8_t Flag) {
    GuardGLVoid([&] { RequireScene().mapRender = Flag != 0; });
}

QUARN_API void QUARN_CALL qglSetSceneMapTextureDimentions(int32_t Size) {
    GuardGLVoid([&] {
        if (Size <= 0 || Size > 8192) throw EngineError(Format("Invalid scene-map size %d", Size));
        RequireScene().mapTextureSize = Size;
    });
}

QUARN_API void QUARN_CALL qglSetSceneMapMaterial(TQGLHandle Material) {
    GuardGLVoid([&] {
        TQGLScene& scene = RequireScene();
        if (!Material) { // no material: the map is rendered into nothing
            scene.mapMaterial = nullptr;
            return;
        }
        TQGLMaterial& material = RequireLive<TQGLMaterial>(Material);
        if (scene.materials.IndexOf(&material) < 0)
            throw EngineError("The map material is not in the scene's material list");
        scene.mapMaterial = &material;
    });
}

QUARN_API void QUARN_CALL qglSetSceneMapEyePos(float X, float Y, float Z) {
    GuardGLVoid([&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        RequireScene().mapEyePosition = Vec3{X, Y, Z};
    });
}

QUARN_API void QUARN_CALL qglAddSceneMapTrackedObject(TQGLHandle Object, uint8_t ColourFlag) {
    GuardGLVoid([&] { RequireScene().AddMapTrackedObject(&DynamicObject(Object), ColourFlag); });
}

QUARN_API void QUARN_CALL qglDeleteSceneMapTrackedObject(TQGLHandle Object) {
    GuardGLVoid([&] { RequireScene().DeleteMapTrackedObject(&DynamicObject(Object)); });
}

} // extern "C"
