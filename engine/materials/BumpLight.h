// The light of the bump-map stages. The scene owns one; a bump-map stage without a light of its
// own uses the scene's light (the most recently created one, while it exists).
#pragma once

#include "engine/core/BaseObject.h"

namespace quarn {

class TQGLStates;

class TQGLBumpLight : public TQGLBaseObject {
  public:
    explicit TQGLBumpLight(TQGLStates* stateCache = nullptr);
    ~TQGLBumpLight() override;
    TQGLBumpLight(const TQGLBumpLight&) = delete;
    TQGLBumpLight& operator=(const TQGLBumpLight&) = delete;

    // Moves the current matrix to the light's position (the scene pushes and pops around it).
    void Update(uint32_t ticks);
    // Axes of size 10, unlit, while the light is visible (hidden at creation).
    void Render(uint32_t ticks) override;

    // The light a stage without its own uses; null when no light exists.
    static TQGLBumpLight* SceneLight();

    TQGLStates* states;
};

} // namespace quarn
