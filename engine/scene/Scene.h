// The one container of everything the engine draws, and the fixed order in which a frame
// draws it: opaque world first, then particles and the flare, then blended objects far to
// near, then overlays.
#pragma once

#include "engine/effects/Environment.h"
#include "engine/effects/Font.h"
#include "engine/effects/HudObject.h"
#include "engine/effects/ParticleSystem.h"
#include "engine/core/Camera.h"
#include "engine/materials/BumpLight.h"
#include "engine/materials/MaterialList.h"
#include "engine/materials/States.h"
#include "engine/scene/DynamicMeshObject.h"
#include "engine/scene/Frustum.h"
#include "engine/scene/SceneStatistics.h"
#include "engine/scene/StaticMeshObject.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quarn {

// Far-to-near order of blended objects: the negated distance difference in hundredths,
// rounded half to even in single precision; negative puts a first, so distances closer than
// 0.005 compare equal.
int32_t CompareBlendedDistance(const TQGLBaseDynamicMeshObject& a,
                               const TQGLBaseDynamicMeshObject& b);
// Quicksort by CompareBlendedDistance. The comparison is not transitive near its rounding
// steps, so the partition never relies on it for bounds; equal objects keep no particular order.
void SortBlended(std::vector<TQGLBaseDynamicMeshObject*>& objects);

// The host's clear colour, read and put back around the passes that clear with their own. Only
// the colour: pushing GL_COLOR_BUFFER_BIT would also bring back blending behind the material
// list's back, and the next frame would draw the opaque world blended.
struct SavedClearColour {
    float rgba[4] = {0, 0, 0, 0};
    static SavedClearColour Current();
    void Restore() const;
};

// A marker of the scene map: green when colourFlag is 0, red otherwise.
struct TQGLMapDynamicObject {
    TQGLBaseDynamicMeshObject* trackedObject = nullptr; // not owned
    uint8_t colourFlag = 0;
};

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

    std::unique_ptr<TQGLFont> font;
    TQGLStates states; // before the materials, which refer to it
    TQGLMaterialList materials{&states};
    TQGLBumpLight bumpLight{&states}; // the light of every bump-map stage without its own
    TQGLStaticMeshObjects staticObjects;
    TQGLDynamicMeshObjects dynamicObjects;
    TQGLCamera camera;
    TQGLFrustrum frustum;
    TQGLCapabilities capabilities;
    int32_t height, width;
    std::string fpsText; // never assigned by the engine
    uint32_t frameTicks = 0;
    SceneEvent beforeRender = nullptr;
    SceneEvent afterRender = nullptr;
    ScreenResize screenResize = nullptr;
    bool showOcclusionNodes = false;
    bool drawNormals = false;
    TQGLFrameStatistics statistics; // of the last frame's main view (not the scene map)
    TQGLEnvironment environment;
    TQGLHudObjects hudObjects;
    TQGLParticleSystems particleSystems;

    // Objects the selection operations act on, static or dynamic meshes (not owned).
    std::vector<TQGLBaseObject*> selection;
    void MoveSelected(int32_t side, int32_t forward);
    void MoveSelectedX(int32_t amount);
    void MoveSelectedY(int32_t amount);
    void MoveSelectedZ(int32_t amount);
    void MoveSelectedYBySpeed(int32_t amount, float speed);
    void MoveSelectedByVector(const Vec3& offset);
    void RotateSelected(int32_t a, int32_t b);
    void RotateSelectedX(int32_t angle);
    void RotateSelectedY(int32_t angle);
    void RotateSelectedZ(int32_t angle);
    void ScaleSelected(const Vec3& factors);
    // Removes every member from its list and from the selection, and frees it once.
    void DeleteSelected();

    // Draws one frame at once, outside the frame order: imageFile on a quad through a new
    // material, then swap. The model-view translation accumulates from call to call.
    void RenderLoaderScreen(const std::string& imageFile, SceneEvent swap);
    // Six square views from position along the axes, saved as directory + "cube" + suffix +
    // ".bmp"; swap (may be null) shows each view. All six are read before anything is written;
    // a file that cannot be written raises and removes the views already written.
    void RenderCubeMapToFiles(const std::string& directory, int32_t size, int32_t windowWidth,
                              int32_t windowHeight, const Vec3& position, SceneEvent swap);

    // Scene map: a top-down view rendered every fourth frame.
    bool mapRender = false;
    int32_t mapTextureSize = 128;
    int32_t mapFrameCounter = 4;
    Vec3 mapEyePosition{1.0f, 1000.0f, 1.0f};
    // Material whose first stage (a render-target stage) receives the map; none by default.
    TQGLMaterial* mapMaterial = nullptr;
    std::vector<TQGLMapDynamicObject> mapTrackedObjects;
    void AddMapTrackedObject(TQGLBaseDynamicMeshObject* object, uint8_t colourFlag);
    // Removes the first marker of object; nothing when there is none.
    void DeleteMapTrackedObject(const TQGLBaseDynamicMeshObject* object);

    // Camera position and up vector of the current frame, from the model-view matrix.
    Vec3 billboardCamPos, billboardCamUp;

  protected:
    void RenderSceneMap();
    // The 90-degree square projection of the map and cube views; culling and lighting off.
    void BeginSquareView();
    void RenderStaticObjects(uint32_t ticks, bool unlit);
    void RenderDynamicObjects(uint32_t ticks);
    void RenderBlendedObjects(uint32_t ticks);
    void DrawMapMarkers();
    void FreeDeletedObjects();
    // Unlinks everything that refers to a dynamic object about to be freed: its proxies (which
    // then draw nothing) and its map markers.
    void ForgetDynamicObject(const TQGLBaseDynamicMeshObject* object);
    // A freed object leaves the selection too.
    void ForgetSelected(const TQGLBaseObject* object);

    // Objects flagged for deletion this frame; storage reused from frame to frame.
    std::vector<TQGLStaticMeshObject*> deletedStatics_;
    std::vector<TQGLBaseDynamicMeshObject*> deletedDynamics_;
    // Blended objects of this frame, drawn after the opaque ones; storage reused.
    std::vector<TQGLBaseDynamicMeshObject*> blended_;
};

class TQGLScene : public TQGLBaseScene {
  public:
    using TQGLBaseScene::TQGLBaseScene;
};

} // namespace quarn
