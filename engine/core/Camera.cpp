#include "engine/core/Camera.h"

#include "platform/gl/GL.h"

namespace quarn {

TQGLCamera::TQGLCamera(int width, int height, const Vec3& pos)
    : position(pos), centreX(width / 2), centreY(height / 2) {}

void TQGLCamera::ApplyView() const {
    gluLookAt(position.x, position.y, position.z, double(position.x) + direction.x,
              double(position.y) + direction.y, double(position.z) + direction.z, up.x, up.y, up.z);
}

void TQGLCamera::UpdateDirection() {
    const Mat4 rx = MatrixRotX(static_cast<float>(pitch * kDegToRad));
    const Mat4 ry = MatrixRotY(static_cast<float>(yaw * kDegToRad));
    const Mat4 rz = MatrixRotZ(static_cast<float>(roll * kDegToRad));
    const Mat4 m = MatrixMultiply(rx, MatrixMultiply(rz, ry));
    direction = VectorTransformPoint(Vec3{-1.0f, 0.0f, 0.0f}, m);
    // The point transform adds the fourth row, which is zero for rotations.
}

void TQGLCamera::ScreenCentre(int& x, int& y) const {
    int ox = 0, oy = 0;
    if (clientOrigin_) clientOrigin_(ox, oy);
    x = centreX + ox;
    y = centreY + oy;
}

void TQGLCamera::MouseLook(int x, int y) {
    // The cursor arrives in screen coordinates; the window need not sit at the screen origin.
    int cx = 0, cy = 0;
    ScreenCentre(cx, cy);
    if (x == cx && y == cy) return;
    // In double: the int difference overflows for cursor positions near the int limits.
    const float dx = static_cast<float>(double(cx) - double(x));
    const float dy = static_cast<float>(double(cy) - double(y));
    if (cursorWarp_) cursorWarp_(cx, cy);
    yaw = static_cast<float>(yaw + dx * mouseSensitivity);
    pitch = static_cast<float>(invertMouse ? pitch - dy * mouseSensitivity
                                           : pitch + dy * mouseSensitivity);
    if (pitch < -89.0f) pitch = -89.0f;
    if (pitch > 89.0f) pitch = 89.0f;
    UpdateDirection();
}

void TQGLCamera::Move(double amount) {
    UpdateDirection();
    position.x = static_cast<float>(position.x + direction.x * amount);
    position.y = static_cast<float>(position.y + direction.y * amount);
    position.z = static_cast<float>(position.z + direction.z * amount);
}

void TQGLCamera::Strafe(double amount) {
    UpdateDirection();
    position.x = static_cast<float>(position.x + direction.z * amount);
    position.z = static_cast<float>(position.z - direction.x * amount);
}

} // namespace quarn
