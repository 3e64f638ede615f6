// Material exports: create materials, set their colours and switches, stack texture stages.
#include "engine/frame/EngineState.h"
#include "engine/frame/RenderScreen.h"
#include "engine/materials/MaterialList.h"

using namespace quarn;

namespace {

TQGLMaterial& Material(TQGLHandle h) {
    return RequireLive<TQGLMaterial>(h);
}

// Called by the colour exports: errors carry the export's name.
void SetColour(TQGLHandle h, Vec3 TQGLMaterial::*field, float r, float g, float b,
               const char* exportName = __builtin_FUNCTION()) {
    GuardGLVoid([&] { Material(h).*field = Vec3{r, g, b}; }, exportName);
}

void GetColour(TQGLHandle h, Vec3 TQGLMaterial::*field, float* r, float* g, float* b,
               const char* exportName = __builtin_FUNCTION()) {
    GuardGLVoid(
        [&] {
            const Vec3& c = Material(h).*field;
            if (r) *r = c.x;
            if (g) *g = c.y;
            if (b) *b = c.z;
        },
        exportName);
}

// Texture filters by filter mode; false for modes outside 0..2.
bool FiltersOf(int32_t mode, GLenum& mag, GLenum& min) {
    mag = GL_LINEAR;
    switch (mode) {
    case 0:
        min = GL_LINEAR;
        return true;
    case 1:
        min = GL_NEAREST_MIPMAP_NEAREST;
        return true;
    case 2:
        min = GL_LINEAR_MIPMAP_LINEAR;
        return true;
    default:
        return false;
    }
}

} // namespace

extern "C" {

QUARN_API TQGLHandle QUARN_CALL qglAddMaterial(const char* Name) {
    return GuardGL<TQGLHandle>(nullptr, [&]() -> TQGLHandle {
        return RequireScene().materials.AddMaterial(
            std::make_unique<TQGLMaterial>(Name ? Name : ""));
    });
}

QUARN_API int32_t QUARN_CALL qglGetMaterialIndex(TQGLHandle Material) {
    return GuardGL<int32_t>(
        -1, [&] { return RequireScene().materials.IndexOf(&RequireLive<TQGLMaterial>(Material)); });
}

QUARN_API void QUARN_CALL qglSetMaterialAmbient(TQGLHandle M, float R, float G, float B) {
    SetColour(M, &TQGLMaterial::ambient, R, G, B);
}
QUARN_API void QUARN_CALL qglGetMaterialAmbient(TQGLHandle M, float* R, float* G, float* B) {
    GetColour(M, &TQGLMaterial::ambient, R, G, B);
}
QUARN_API void QUARN_CALL qglSetMaterialDiffuse(TQGLHandle M, float R, float G, float B) {
    SetColour(M, &TQGLMaterial::diffuse, R, G, B);
}
QUARN_API void QUARN_CALL qglGetMaterialDiffuse(TQGLHandle M, float* R, float* G, float* B) {
    GetColour(M, &TQGLMaterial::diffuse, R, G, B);
}
QUARN_API void QUARN_CALL qglSetMaterialEmmisive(TQGLHandle M, float R, float G, float B) {
    SetColour(M, &TQGLMaterial::emissive, R, G, B);
}
QUARN_API void QUARN_CALL qglGetMaterialEmmisive(TQGLHandle M, float* R, float* G, float* B) {
    GetColour(M, &TQGLMaterial::emissive, R, G, B);
}
QUARN_API void QUARN_CALL qglSetMaterialSpecular(TQGLHandle M, float R, float G, float B) {
    SetColour(M, &TQGLMaterial::specular, R, G, B);
}
QUARN_API void QUARN_CALL qglGetMaterialSpecular(TQGLHandle M, float* R, float* G, float* B) {
    GetColour(M, &TQGLMaterial::specular, R, G, B);
}

QUARN_API void QUARN_CALL qglSetMaterialGlobalEmmisive(float R, float G, float B) {
    GuardGLVoid([&] { RequireScene().materials.SetGlobalEmissive(Vec3{R, G, B}); });
}

QUARN_API void QUARN_CALL qglSetMaterialGloss(TQGLHandle M, float Gloss) {
    GuardGLVoid([&] { Material(M).gloss = Gloss; });
}
QUARN_API void QUARN_CALL qglGetMaterialGloss(TQGLHandle M, float* Gloss) {
    GuardGLVoid([&] {
        if (Gloss) *Gloss = Material(M).gloss;
    });
}

QUARN_API void QUARN_CALL qglSetMaterialBlendData(TQGLHandle M, uint8_t Flag, uint32_t Source,
                                                  uint32_t Dest) {
    GuardGLVoid([&] {
        TQGLMaterial& m = Material(M);
        m.blendSource = Source;
        m.blendDest = Dest;
        m.blendFlag = Flag != 0;
    });
}
QUARN_API void QUARN_CALL qglSetMaterialBlendSource(TQGLHandle M, uint32_t Source) {
    GuardGLVoid([&] { Material(M).blendSource = Source; });
}
QUARN_API uint32_t QUARN_CALL qglGetMaterialBlendSource(TQGLHandle M) {
    return GuardGL<uint32_t>(0, [&] { return uint32_t(Material(M).blendSource); });
}
QUARN_API void QUARN_CALL qglSetMaterialBlendDest(TQGLHandle M, uint32_t Dest) {
    GuardGLVoid([&] { Material(M).blendDest = Dest; });
}
QUARN_API uint32_t QUARN_CALL qglGetMaterialBlendDest(TQGLHandle M) {
    return GuardGL<uint32_t>(0, [&] { return uint32_t(Material(M).blendDest); });
}
QUARN_API void QUARN_CALL qglSetMaterialBlendFlag(TQGLHandle M, uint8_t Flag) {
    GuardGLVoid([&] { Material(M).blendFlag = Flag != 0; });
}
QUARN_API uint8_t QUARN_CALL qglGetMaterialBlendFlag(TQGLHandle M) {
    return GuardGL<uint8_t>(0, [&] { return uint8_t(Material(M).blendFlag); });
}
QUARN_API void QUARN_CALL qglSetMaterialLightFlag(TQGLHandle M, uint8_t Flag) {
    GuardGLVoid([&] { Material(M).lightFlag = Flag != 0; });
}
QUARN_API uint8_t QUARN_CALL qglGetMaterialLightFlag(TQGLHandle M) {
    return GuardGL<uint8_t>(0, [&] { return uint8_t(Material(M).lightFlag); });
}
QUARN_API void QUARN_CALL qglSetMaterialShowFogFlag(TQGLHandle M, uint8_t Flag) {
    GuardGLVoid([&] { Material(M).showFogFlag = Flag != 0; });
}

QUARN_API void QUARN_CALL qglAddMaterialTexShader(TQGLHandle M, const char* FileName,
                                                  int32_t FilterMode) {
    GuardGLVoid([&] {
        TQGLMaterial& m = Material(M);
        GLenum mag, min;
        if (!FiltersOf(FilterMode, mag, min)) return;
        RequireScene().materials.AddTextureShader(&m, FileName ? FileName : "", mag, min);
    });
}

QUARN_API TQGLHandle QUARN_CALL qglAddMaterialRenderTargetShader(TQGLHandle M, int32_t Size) {
    return GuardGL<TQGLHandle>(nullptr, [&]() -> TQGLHandle {
        if (Size <= 0 || Size > 8192) throw EngineError("Render-target size must be 1..8192");
        return RequireScene().materials.AddRenderTargetShader(&Material(M), Size);
    });
}

QUARN_API int32_t QUARN_CALL qglGetMaterialShaderCount(TQGLHandle M) {
    return GuardGL<int32_t>(0, [&] { return Material(M).shaders.Count(); });
}

QUARN_API void QUARN_CALL qglDeleteMaterialShader(TQGLHandle M, int32_t Index) {
    GuardGLVoid([&] {
        TQGLMaterial& m = Material(M);
        if (Index >= 0 && Index < m.shaders.Count()) m.shaders.Delete(Index);
    });
}

} // extern "C"
