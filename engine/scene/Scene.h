// The one container of everything the engine draws, and the fixed order in which a frame
// draws it: opaque world first, then particles and the flare, then blended objects far to
// near, then overlays.
#pragma once

#include "engine/frame/Camera.h"
#include "engine/materials/MaterialList.h"
#include "engine/materials/States.h"
#include "engine/scene/Frustum.h"
#include "engine/scene/StaticMeshObject.h"

#include <cstdint>
#include <string>

namespace quarn {

// GL limits read once when the scene is created.
struct TQGLCapabilities {
    void Read();
    int32_t textureUnits = 0;
    int32_t maxAnisotropy = 0;
    int32_t maxTextureSize = 0;
    int32_t max3DTextureSize = 0;
};

class TQGLBaseScene {
  public:
    using SceneEvent = void (*)();
    // The screen's projection reset, which the scene map pass ends with.
    using ScreenResize = void (*)(int width, int height);

    TQGLBaseScene(int width, int height);
    virtual ~TQGLBaseScene();

    // GL state after creation (depth test, back-face culling, lighting with light 0 ...).
    void InitGL();
    // One frame, in the engine's fixed order.
    void Render();

    void SetShowOcclusionNodes(bool flag);
    void SetDrawNormals(bool flag);

    TQGLStates states; // before the materials, which refer to it
    TQGLMaterialList materials{&states};
    TQGLStaticMeshObjects staticObjects;
    TQGLCamera camera;
    TQGLFrustrum frustum;
    TQGLCapabilities capabilities;
    int32_t height, width;
    void* deviceContext = nullptr;
    std::string fpsText; // never assigned by the engine
    uint32_t frameTicks = 0;
    int32_t furtherValues[4] = {0, 0, 0, 0};
    SceneEvent beforeRender = nullptr;
    SceneEvent afterRender = nullptr;
    ScreenResize screenResize = nullptr;
    bool showOcclusionNodes = false;
    bool drawNormals = false;
    int32_t drawnFaces = 0; // per-frame face counter

    // Scene map: a top-down view rendered every fourth frame.
    bool mapRender = false;
    int32_t mapTextureSize = 128;
    int32_t mapFrameCounter = 4;
    Vec3 mapEyePosition{1.0f, 1000.0f, 1.0f};
    int32_t followIndex = -1;

    // Camera position and up vector of the current frame, from the model-view matrix.
    Vec3 billboardCamPos, billboardCamUp;

  protected:
    void RenderSceneMap();
    void RenderStaticObjects(uint32_t ticks, bool unlit);
    void FreeDeletedObjects();

    // Objects flagged for deletion this frame; storage reused from frame to frame.
    std::vector<TQGLStaticMeshObject*> deletedStatics_;
};

class TQGLScene : public TQGLBaseScene {
  public:
    using TQGLBaseScene::TQGLBaseScene;
};

} // namespace quarn
