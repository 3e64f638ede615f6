// Environment exports: fog, sky box and lens flare.
#include "engine/core/EngineState.h"
#include "engine/frame/RenderScreen.h"

using namespace quarn;

namespace {

TQGLEnvironment& Environment() {
    return RequireScene().environment;
}

void CopyOut(const std::array<float, 4>& c, float* r, float* g, float* b, float* a) {
    if (r) *r = c[0];
    if (g) *g = c[1];
    if (b) *b = c[2];
    if (a) *a = c[3];
}

std::string FileName(const char* name) {
    return name ? name : "";
}

} // namespace

extern "C" {

QUARN_API void QUARN_CALL qglSetEnvironmentFogColor(float R, float G, float B, float A) {
    GuardGLVoid([&] {
        RequireFinite("R", R, "G", G, "B", B, "A", A);
        Environment().fog->SetColor(R, G, B, A);
    });
}

QUARN_API void QUARN_CALL qglGetEnvironmentFogColor(float* R, float* G, float* B, float* A) {
    GuardGLVoid([&] { CopyOut(Environment().fog->color, R, G, B, A); });
}

QUARN_API void QUARN_CALL qglSetEnvironmentFogMode(uint32_t Mode) {
    GuardGLVoid([&] { Environment().fog->SetMode(Mode); });
}

QUARN_API uint32_t QUARN_CALL qglGetEnvironmentFogMode(void) {
    return GuardGL<uint32_t>(0, [] { return uint32_t(Environment().fog->mode); });
}

QUARN_API void QUARN_CALL qglSetEnvironmentFogDensity(float Density) {
    GuardGLVoid([&] {
        RequireFinite("Density", Density);
        Environment().fog->SetDensity(Density);
    });
}

QUARN_API float QUARN_CALL qglGetEnvironmentFogDensity(void) {
    return GuardGL<float>(0.0f, [] { return Environment().fog->density; });
}

QUARN_API void QUARN_CALL qglSetEnvironmentFogClearColor(float R, float G, float B, float A) {
    GuardGLVoid([&] {
        RequireFinite("R", R, "G", G, "B", B, "A", A);
        Environment().fog->SetClearColor(R, G, B, A);
    });
}

QUARN_API void QUARN_CALL qglGetEnvironmentFogClearColor(float* R, float* G, float* B, float* A) {
    GuardGLVoid([&] { CopyOut(Environment().fog->clearColor, R, G, B, A); });
}

QUARN_API void QUARN_CALL qglSetEnvironmentFogVisibleFlag(uint8_t Flag) {
    GuardGLVoid([&] { Environment().fog->SetShown(Flag != 0); });
}

QUARN_API uint8_t QUARN_CALL qglGetEnvironmentFogVisibleFlag(void) {
    return GuardGL<uint8_t>(0, [] { return uint8_t(Environment().fog->shown ? 1 : 0); });
}

QUARN_API void QUARN_CALL qglInitEnvironmentSkybox(const char* File1, const char* File2,
                                                   const char* File3, const char* File4,
                                                   const char* File5, const char* File6) {
    GuardGLVoid([&] {
        Environment().skyBox->Init({FileName(File1), FileName(File2), FileName(File3),
                                    FileName(File4), FileName(File5), FileName(File6)});
    });
}

QUARN_API void QUARN_CALL qglSetEnvironmentSkyboxVisibleFlag(uint8_t Flag) {
    GuardGLVoid([&] { Environment().skyBox->Visible = Flag != 0; });
}

QUARN_API uint8_t QUARN_CALL qglGetEnvironmentSkyboxVisibleFlag(void) {
    return GuardGL<uint8_t>(0, [] { return uint8_t(Environment().skyBox->Visible ? 1 : 0); });
}

QUARN_API void QUARN_CALL qglInitEnvironmentLensFlare(const char* File1, const char* File2,
                                                      const char* File3, const char* File4,
                                                      const char* File5, const char* File6,
                                                      const char* File7, const char* File8,
                                                      const char* File9, int32_t WinWidth,
                                                      int32_t WinHeight) {
    GuardGLVoid([&] {
        TQGLScene& scene = RequireScene();
        TQGLLensFlare& flare = *scene.environment.lensFlare;
        flare.Init({FileName(File1), FileName(File2), FileName(File3), FileName(File4),
                    FileName(File5), FileName(File6), FileName(File7), FileName(File8),
                    FileName(File9)},
                   WinWidth, WinHeight);
        flare.SetVisible(true, &scene.camera);
    });
}

QUARN_API void QUARN_CALL qglSetEnvironmentLensFlareVisibleFlag(uint8_t Flag) {
    GuardGLVoid([&] {
        TQGLScene& scene = RequireScene();
        scene.environment.lensFlare->SetVisible(Flag != 0, &scene.camera);
    });
}

QUARN_API uint8_t QUARN_CALL qglGetEnvironmentLensFlareVisibleFlag(void) {
    return GuardGL<uint8_t>(0, [] { return uint8_t(Environment().lensFlare->Visible ? 1 : 0); });
}

QUARN_API void QUARN_CALL qglSetEnvironmentLensFlareLightPosition(float X, float Y, float Z) {
    GuardGLVoid([&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        Environment().lensFlare->SetLightPosition(Vec3{X, Y, Z});
    });
}

QUARN_API void QUARN_CALL qglGetEnvironmentLensFlareLightPosition(float* X, float* Y, float* Z) {
    GuardGLVoid([&] {
        const Vec3& p = Environment().lensFlare->lightPosition;
        if (X) *X = p.x;
        if (Y) *Y = p.y;
        if (Z) *Z = p.z;
    });
}

QUARN_API void QUARN_CALL qglSetEnvironmentLensFlareWinWidthAndHeight(int32_t Width,
                                                                      int32_t Height) {
    GuardGLVoid([&] {
        TQGLLensFlare& flare = *Environment().lensFlare;
        flare.windowWidth = Width;
        flare.windowHeight = Height;
    });
}

QUARN_API void QUARN_CALL qglGetEnvironmentLensFlareWinWidthAndHeight(int32_t* Width,
                                                                      int32_t* Height) {
    GuardGLVoid([&] {
        const TQGLLensFlare& flare = *Environment().lensFlare;
        if (Width) *Width = flare.windowWidth;
        if (Height) *Height = flare.windowHeight;
    });
}

} // extern "C"
