// The root of everything the scene renders: static and dynamic meshes, the sky, HUD objects and
// the bump light.
#pragma once

#include "common/QuarnMath.h"

#include <cstdint>

namespace quarn {

class TQGLBaseObject {
  public:
    virtual ~TQGLBaseObject() = default;
    virtual void Render(uint32_t ticks) = 0;

    bool Visible = false;
    Vec3 Position;
    float Yaw = 0, Pitch = 0, Roll = 0; // degrees, about Y, X and Z
};

} // namespace quarn
