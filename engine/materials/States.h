// Texture-unit cache: remembers, for the first five texture units, whether GL_TEXTURE_2D is
// enabled, so units are switched only when their state changes and every enabled unit can be
// switched off in one call. The scene owns the one instance; the material list hands it to
// every material and stage.
#pragma once

#include "platform/gl/GL.h"

namespace quarn {

class TQGLStates {
  public:
    static constexpr int kTrackedUnits = 5; // GL_TEXTURE0 ... GL_TEXTURE4

    // Disables GL_TEXTURE_2D on every unit the cache believes enabled, in ascending order.
    // The last unit touched stays active; nothing is issued when no unit is enabled.
    void ResetTextureUnits();
    // Switches GL_TEXTURE_2D on one unit. When the cached flag already matches, nothing is
    // issued and the active unit is not changed, so a following glBindTexture goes to whatever
    // unit is active. Units outside GL_TEXTURE0 ... GL_TEXTURE4 are ignored.
    void SetTextureUnit(GLenum unit, bool enable);
    bool IsEnabled(GLenum unit) const;

    // Debug drawing of the three axes with arrowheads and the letters X and Z.
    void DrawAxes(float size);
    void DrawAxesUnlit();

    // The flags mirror GL only while code outside the stages leaves GL_TEXTURE_2D on units
    // 0-4 as the cache believes it to be.
    bool enabled[kTrackedUnits] = {false, false, false, false, false};
};

} // namespace quarn
