// The six clipping planes of the current view, in world space (extracted right after the
// camera is applied, when the model-view matrix holds only the camera transform).
#pragma once

#include "common/QuarnMath.h"

#include <cstdint>

namespace quarn {

double DegToRad(double degrees);
inline int32_t Max(int32_t a, int32_t b) {
    return a > b ? a : b;
}
inline int32_t Min(int32_t a, int32_t b) {
    return a < b ? a : b;
}

class TQGLFrustrum {
  public:
    enum Plane { Right = 0, Left, Bottom, Top, Far, Near };

    // Reads the projection and model-view matrices from GL and recomputes the planes.
    void ExtractPlanes();
    // The same from given matrices (GL order); ExtractPlanes calls it.
    void ExtractPlanesFrom(const float projection[16], const float modelview[16]);

    // True unless one plane has all eight corners (transformed by matrix) on or outside it.
    bool IsBoxVisible(const Mat4& matrix, const Vec3 corners[8]) const;
    bool ArePointsVisible(const Vec3 corners[8]) const;

    // x, y, z, w per plane; a point p is inside when x*p.x + y*p.y + z*p.z + w > 0.
    float Planes[6][4] = {};
};

} // namespace quarn
