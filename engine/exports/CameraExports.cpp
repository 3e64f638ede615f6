// Camera exports.
#include "engine/core/EngineState.h"
#include "engine/frame/RenderScreen.h"

#include <cmath>

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

// A finite but huge amount can still carry the position past the float range: then the camera
// is left as it was and the call is refused like a non-finite argument.
void MoveKeepingFinite(void (TQGLCamera::*move)(double), float amount) {
    TQGLCamera& camera = Camera();
    const Vec3 position = camera.position, direction = camera.direction;
    (camera.*move)(amount);
    const Vec3& p = camera.position;
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
        camera.position = position, camera.direction = direction;
        ThrowNonFinite("the moved camera position");
    }
}
} // namespace

extern "C" {

QUARN_API void QUARN_CALL qglSetCameraPosition(float X, float Y, float Z) {
    GuardGLVoid([&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        Camera().SetPosition(Vec3{X, Y, Z});
    });
}

QUARN_API void QUARN_CALL qglGetCameraPosition(float* Out) {
    GuardGLVoid([&] { CopyOut(Camera().position, Out); });
}

QUARN_API void QUARN_CALL qglSetCameraDirection(float X, float Y, float Z) {
    GuardGLVoid([&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        Camera().SetDirection(Vec3{X, Y, Z});
    });
}

QUARN_API void QUARN_CALL qglGetCameraDirection(float* Out) {
    GuardGLVoid([&] { CopyOut(Camera().direction, Out); });
}

QUARN_API void QUARN_CALL qglSetCameraSpeed(float Speed) {
    GuardGLVoid([&] {
        RequireFinite("Speed", Speed);
        Camera().speed = Speed;
    });
}

QUARN_API float QUARN_CALL qglGetCameraSpeed(void) {
    return GuardGL<float>(0.0f, [] { return static_cast<float>(Camera().speed); });
}

QUARN_API void QUARN_CALL qglMoveCamera(float Amount) {
    GuardGLVoid([&] {
        RequireFinite("Amount", Amount);
        MoveKeepingFinite(&TQGLCamera::Move, Amount);
    });
}

QUARN_API void QUARN_CALL qglStrafeCamera(float Amount) {
    GuardGLVoid([&] {
        RequireFinite("Amount", Amount);
        MoveKeepingFinite(&TQGLCamera::Strafe, Amount);
    });
}

QUARN_API void QUARN_CALL qglMouseLookCamera(int32_t X, int32_t Y) {
    GuardGLVoid([&] { Camera().MouseLook(X, Y); });
}

} // extern "C"
