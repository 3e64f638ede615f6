// Camera exports.
#include "engine/frame/EngineState.h"
#include "engine/frame/RenderScreen.h"

using namespace quarn;

namespace {
TQGLCamera& Camera() {
    return RequireScene().camera;
}

void CopyOut(const Vec3& v, float* out) {
    if (!out) return;
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}
} // namespace

extern "C" {

QUARN_API void QUARN_CALL qglSetCameraPosition(float X, float Y, float Z) {
    GuardGLVoid([&] { Camera().SetPosition(Vec3{X, Y, Z}); });
}

QUARN_API void QUARN_CALL qglGetCameraPosition(float* Out) {
    GuardGLVoid([&] { CopyOut(Camera().position, Out); });
}

QUARN_API void QUARN_CALL qglSetCameraDirection(float X, float Y, float Z) {
    GuardGLVoid([&] { Camera().SetDirection(Vec3{X, Y, Z}); });
}

QUARN_API void QUARN_CALL qglGetCameraDirection(float* Out) {
    GuardGLVoid([&] { CopyOut(Camera().direction, Out); });
}

QUARN_API void QUARN_CALL qglSetCameraSpeed(float Speed) {
    GuardGLVoid([&] { Camera().speed = Speed; });
}

QUARN_API float QUARN_CALL qglGetCameraSpeed(void) {
    return GuardGL<float>(0.0f, [] { return static_cast<float>(Camera().speed); });
}

QUARN_API void QUARN_CALL qglMoveCamera(float Amount) {
    GuardGLVoid([&] { Camera().Move(Amount); });
}

QUARN_API void QUARN_CALL qglStrafeCamera(float Amount) {
    GuardGLVoid([&] { Camera().Strafe(Amount); });
}

QUARN_API void QUARN_CALL qglMouseLookCamera(int32_t X, int32_t Y) {
    GuardGLVoid([&] { Camera().MouseLook(X, Y); });
}

} // extern "C"
