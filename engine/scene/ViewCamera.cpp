#include "engine/scene/ViewCamera.h"

#include "platform/gl/GL.h"

namespace quarn {

void CameraFromMatrix(const float m[16], Vec3& camPos, Vec3& camUp) {
    camUp = Vec3{m[1], m[5], m[9]};
    const float v[3] = {-m[12], -m[13], -m[14]};
    // v * R^T: component j is the dot product of v with row j of R.
    camPos = Vec3{v[0] * m[0] + v[1] * m[1] + v[2] * m[2], v[0] * m[4] + v[1] * m[5] + v[2] * m[6],
                  v[0] * m[8] + v[1] * m[9] + v[2] * m[10]};
}

void CameraFromModelview(Vec3& camPos, Vec3& camUp) {
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    CameraFromMatrix(m, camPos, camUp);
}

} // namespace quarn
