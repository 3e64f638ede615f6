// Material exports: create materials, set their colours and switches, stack texture stages.
#include "engine/core/EngineState.h"
#include "engine/frame/RenderScreen.h"
#include "engine/materials/GLSLShader.h"
#include "engine/materials/MaterialList.h"
#include "engine/materials/MaterialStages.h"
#include "engine/scene/Scene.h"

using namespace quarn;

namespace {

TQGLMaterial& Material(TQGLHandle h) {
    return RequireLive<TQGLMaterial>(h);
}

// Called by the colour exports: errors carry the export's name.
void SetColour(TQGLHandle h, Vec3 TQGLMaterial::*field, float r, float g, float b,
               const char* exportName = __builtin_FUNCTION()) {
    GuardGLVoid(
        [&] {
            RequireFinite("R", r, "G", g, "B", b);
            Material(h).*field = Vec3{r, g, b};
        },
        exportName);
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

std::string Text(const char* s) {
    return s ? s : "";
}

TQGLGLSLShader& GLSLStage(TQGLHandle h) {
    return RequireGLSLStage(Material(h));
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
    GuardGLVoid([&] {
        RequireFinite("R", R, "G", G, "B", B);
        RequireScene().materials.SetGlobalEmissive(Vec3{R, G, B});
    });
}

QUARN_API void QUARN_CALL qglSetMaterialGloss(TQGLHandle M, float Gloss) {
    GuardGLVoid([&] {
        RequireFinite("Gloss", Gloss);
        Material(M).gloss = Gloss;
    });
}
QUARN_API void QUARN_CALL qglGetMaterialGloss(TQGLHandle M, float* Gloss) {
    GuardGLVoid([&] {
        const TQGLMaterial& m = Material(M); // checked even when the result is not wanted
        if (Gloss) *Gloss = m.gloss;
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
        if (!FiltersOfMode(FilterMode, mag, min)) return;
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
    GuardGLVoid([&] { RequireScene().materials.DeleteStage(&Material(M), Index); });
}

QUARN_API void QUARN_CALL qglAddMaterialSphereShader(TQGLHandle M, const char* FileName,
                                                     int32_t FilterMode, uint32_t EnvMode) {
    GuardGLVoid([&] { AddSphereMapStage(Material(M), Text(FileName), FilterMode, EnvMode); });
}

QUARN_API void QUARN_CALL qglAddMaterialCubeShader(TQGLHandle M, const char* F1, const char* F2,
                                                   const char* F3, const char* F4, const char* F5,
                                                   const char* F6, int32_t FilterMode) {
    GuardGLVoid([&] {
        const std::string faces[6] = {Text(F1), Text(F2), Text(F3), Text(F4), Text(F5), Text(F6)};
        AddCubeMapStage(Material(M), faces, FilterMode);
    });
}

QUARN_API void QUARN_CALL qglAddMaterialAnimTexShader(TQGLHandle M, int32_t StageIndex,
                                                      const char* FileName, int32_t /*Reserved*/,
                                                      int32_t FrameInterval, uint32_t Unit) {
    GuardGLVoid(
        [&] { AddAnimatedTexture(Material(M), StageIndex, Text(FileName), FrameInterval, Unit); });
}

QUARN_API void QUARN_CALL qglAddMaterialGLSLShader(TQGLHandle M, const char* VertexFile,
                                                   const char* FragmentFile) {
    GuardGLVoid([&] { AddGLSLStage(Material(M), Text(VertexFile), Text(FragmentFile)); });
}

QUARN_API void QUARN_CALL qglAddMaterialGLSLShaderTexture(TQGLHandle M, const char* FileName,
                                                          int32_t FilterMode, uint32_t Unit) {
    GuardGLVoid([&] { AddGLSLTexture(Material(M), Text(FileName), FilterMode, Unit); });
}

QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderValf(TQGLHandle M, const char* Name, float X) {
    GuardGLVoid([&] {
        RequireFinite("X", X);
        GLSLStage(M).SetValue1f(Text(Name), X);
    });
}
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal2f(TQGLHandle M, const char* Name, float X,
                                                        float Y) {
    GuardGLVoid([&] {
        RequireFinite("X", X, "Y", Y);
        GLSLStage(M).SetValue2f(Text(Name), X, Y);
    });
}
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal3f(TQGLHandle M, const char* Name, float X,
                                                        float Y, float Z) {
    GuardGLVoid([&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        GLSLStage(M).SetValue3f(Text(Name), X, Y, Z);
    });
}
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal4f(TQGLHandle M, const char* Name, float X,
                                                        float Y, float Z, float W) {
    GuardGLVoid([&] {
        RequireFinite("X", X, "Y", Y, "Z", Z, "W", W);
        GLSLStage(M).SetValue4f(Text(Name), X, Y, Z, W);
    });
}
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVali(TQGLHandle M, const char* Name, int32_t X) {
    GuardGLVoid([&] { GLSLStage(M).SetValue1i(Text(Name), X); });
}
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal2i(TQGLHandle M, const char* Name, int32_t X,
                                                        int32_t Y) {
    GuardGLVoid([&] { GLSLStage(M).SetValue2i(Text(Name), X, Y); });
}
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal3i(TQGLHandle M, const char* Name, int32_t X,
                                                        int32_t Y, int32_t Z) {
    GuardGLVoid([&] { GLSLStage(M).SetValue3i(Text(Name), X, Y, Z); });
}
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal4i(TQGLHandle M, const char* Name, int32_t X,
                                                        int32_t Y, int32_t Z, int32_t W) {
    GuardGLVoid([&] { GLSLStage(M).SetValue4i(Text(Name), X, Y, Z, W); });
}
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderValb(TQGLHandle M, const char* Name, uint8_t X) {
    GuardGLVoid([&] { GLSLStage(M).SetValue1b(Text(Name), X != 0); });
}
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal2b(TQGLHandle M, const char* Name, uint8_t X,
                                                        uint8_t Y) {
    GuardGLVoid([&] { GLSLStage(M).SetValue2b(Text(Name), X != 0, Y != 0); });
}
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal3b(TQGLHandle M, const char* Name, uint8_t X,
                                                        uint8_t Y, uint8_t Z) {
    GuardGLVoid([&] { GLSLStage(M).SetValue3b(Text(Name), X != 0, Y != 0, Z != 0); });
}
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal4b(TQGLHandle M, const char* Name, uint8_t X,
                                                        uint8_t Y, uint8_t Z, uint8_t W) {
    GuardGLVoid([&] { GLSLStage(M).SetValue4b(Text(Name), X != 0, Y != 0, Z != 0, W != 0); });
}
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderValMat2f(TQGLHandle M, const char* Name,
                                                           const float* Matrix) {
    GuardGLVoid([&] {
        RequireFiniteArray("Matrix", Matrix, 4);
        GLSLStage(M).SetValueMat2f(Text(Name), Matrix);
    });
}
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderValMat3f(TQGLHandle M, const char* Name,
                                                           const float* Matrix) {
    GuardGLVoid([&] {
        RequireFiniteArray("Matrix", Matrix, 9);
        GLSLStage(M).SetValueMat3f(Text(Name), Matrix);
    });
}
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderValMat4f(TQGLHandle M, const char* Name,
                                                           const float* Matrix) {
    GuardGLVoid([&] {
        RequireFiniteArray("Matrix", Matrix, 16);
        GLSLStage(M).SetValueMat4f(Text(Name), Matrix);
    });
}

QUARN_API void QUARN_CALL qglAddMaterialBumpShader(TQGLHandle M, const char* ColourFile,
                                                   const char* NormalMapFile, int32_t FilterMode) {
    GuardGLVoid(
        [&] { AddBumpMapStage(Material(M), Text(ColourFile), Text(NormalMapFile), FilterMode); });
}

QUARN_API void QUARN_CALL qglSetSceneBumpLight(float X, float Y, float Z, uint8_t Visible) {
    GuardGLVoid([&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        TQGLBumpLight& light = RequireScene().bumpLight;
        light.Position = Vec3{X, Y, Z};
        light.Visible = Visible != 0;
    });
}

} // extern "C"
