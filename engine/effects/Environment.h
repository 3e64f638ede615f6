// The scene's environment: global fog, a sky box centred on the viewer, a lens flare that keeps
// a fixed offset from the viewer, and an empty clouds slot. Everything starts hidden.
#pragma once

#include "engine/core/BaseObject.h"
#include "platform/gl/GL.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace quarn {

class TQGLCamera;
class TQGLMaterialList;

// Fog settings reach GL as soon as they are set; nothing is done per frame.
class TQGLGlobalFog : public TQGLBaseObject {
  public:
    TQGLGlobalFog(); // asks GL for its nicest fog
    void Render(uint32_t) override {}

    void SetColor(float r, float g, float b, float a);
    void SetMode(GLenum mode);
    void SetDensity(float density);
    // The colour every frame is cleared to.
    void SetClearColor(float r, float g, float b, float a);
    // Also the engine-wide flag that materials consult, and glEnable/glDisable(GL_FOG).
    void SetShown(bool shown);

    GLenum mode = 0;
    std::array<float, 4> color{0, 0, 0, 0};
    float density = 0;
    std::array<float, 4> clearColor{0, 0, 0, 0};
    bool shown = false;
};

class TQGLSkyBox : public TQGLBaseObject {
  public:
    ~TQGLSkyBox() override;
    // Six unlit, edge-clamped materials (names 1..6) and one display list per face. The fog
    // handling of the lists is fixed by whether fog is shown now.
    void Init(const std::array<std::string, 6>& fileNames);
    // Position := the camera position, and the model-view moves there.
    void PrepareSky();
    void Render(uint32_t ticks) override;

    TQGLMaterialList* materials = nullptr;
    std::array<GLuint, 6> lists{}; // in draw order
    std::array<int, 6> materialIndices{-1, -1, -1, -1, -1, -1};
    int32_t boxHeight = 0, boxWidth = 0;
    TQGLCamera* camera = nullptr;
    TQGLGlobalFog* fog = nullptr;

  private:
    void BuildLists();
};

class TQGLLensFlare : public TQGLBaseObject {
  public:
    TQGLLensFlare();
    // Nine additive, unlit materials (textures 1..9), the window size, then visible.
    void Init(const std::array<std::string, 9>& fileNames, int32_t width, int32_t height);
    void SetVisible(bool visible, TQGLCamera* sceneCamera);
    void SetLightPosition(const Vec3& p);
    // Light := base position + camera position.
    void UpdatePosition();
    void Render(uint32_t ticks) override;

    // Whether the projected light counts as seen: inside the viewport's width, between 20 and
    // viewport height + window width / 18 vertically, and not behind the stored depth.
    bool LightVisible(float wx, float wy, float wz, float depthValue, int viewportWidth,
                      int viewportHeight) const;
    // One fade step of 0.1 toward maximum brightness (visible) or toward 0 (hidden).
    void StepBrightness(bool visible);

    Vec3 lightPosition{-1500.0f, 1300.0f, 100.0f};
    Vec3 basePosition; // the last position set; the light keeps this offset from the camera
    int32_t windowWidth = 800, windowHeight = 600;
    float maxBrightness = 0.5f;
    float brightness = 0.0f;
    float elementSize; // window width / 4 at construction
    TQGLMaterialList* materials = nullptr;
    std::array<int, 9> textures{-1, -1, -1, -1, -1, -1, -1, -1, -1};
    TQGLCamera* camera = nullptr;

  private:
    // The ten elements in 2D; afterwards the projection and viewport the scene was drawn with
    // come back, so a host's own projection survives the flare.
    void DrawElements(float wx, float wy, const GLfloat* projection, const GLint* viewport);
};

// An empty slot: nothing makes it visible and it draws nothing.
class TQGLClouds : public TQGLBaseObject {
  public:
    void Render(uint32_t) override {}
};

class TQGLEnvironment : public TQGLBaseObject {
  public:
    TQGLEnvironment();
    // Sky box and clouds, when visible.
    void Render(uint32_t ticks) override;

    std::unique_ptr<TQGLGlobalFog> fog;
    std::unique_ptr<TQGLLensFlare> lensFlare;
    std::unique_ptr<TQGLSkyBox> skyBox;
    std::unique_ptr<TQGLClouds> clouds;
};

} // namespace quarn
