// Exports of the dynamic-object family that create and steer smoke systems and HUD objects.
#include "engine/core/EngineState.h"
#include "engine/frame/RenderScreen.h"
#include "platform/MessageChannel.h"

using namespace quarn;

namespace {

TQGLSmoke& Smoke(TQGLHandle h) {
    return RequireLive<TQGLSmoke>(h);
}

TQGLBaseHUD& HudObject(TQGLHandle h) {
    return RequireLive<TQGLBaseHUD>(h);
}

} // namespace

extern "C" {

QUARN_API TQGLHandle QUARN_CALL qglAddDynamicSmokeParticleSystem(
    float X, float Y, float Z, float R, float G, float B, float A, float DriftX, float DriftY,
    float DriftZ, float Growth, int32_t Rate, int32_t Life, int32_t LastIndex, int32_t Spread,
    int32_t Duration, uint8_t Enabled, const char* TextureFile) {
    return GuardGL<TQGLHandle>(nullptr, [&]() -> TQGLHandle {
        RequireFinite("X", X, "Y", Y, "Z", Z, "R", R, "G", G, "B", B, "A", A, "DriftX", DriftX,
                      "DriftY", DriftY, "DriftZ", DriftZ, "Growth", Growth);
        TQGLScene& scene = RequireScene();
        TQGLSmoke* smoke = scene.particleSystems.AddSmoke();
        smoke->emitterPosition = Vec3{X, Y, Z};
        smoke->lastIndex = LastIndex;
        smoke->color[0] = R, smoke->color[1] = G, smoke->color[2] = B, smoke->color[3] = A;
        smoke->drift = Vec3{DriftX, DriftY, DriftZ};
        smoke->life = Life;
        smoke->SetRate(Rate);
        smoke->spread = Spread;
        smoke->growthDivisor = Growth;
        smoke->duration = Duration;
        smoke->enabled = Enabled != 0;
        smoke->Initialize();
        TQGLMaterial* m = scene.materials.AddMaterial(std::make_unique<TQGLMaterial>());
        m->lightFlag = false;
        scene.materials.AddTextureShader(m, TextureFile ? TextureFile : "", GL_LINEAR, GL_LINEAR);
        m->blendFlag = true;
        m->blendSource = GL_SRC_ALPHA;
        m->blendDest = GL_ONE_MINUS_SRC_ALPHA;
        smoke->materials = &scene.materials;
        smoke->materialIndex = scene.materials.Count() - 1;
        if (scene.staticObjects.Count() > 0 && scene.staticObjects.Get(0)->Octree)
            scene.staticObjects.Get(0)->PlaceParticleSystem(smoke, smoke->boxCorners, true);
        return static_cast<void*>(smoke); // the address the system registered
    });
}

QUARN_API void QUARN_CALL qglSetDynamicSmokeParticleSystemAbsPosition(TQGLHandle System, float X,
                                                                      float Y, float Z) {
    GuardGLVoid([&] {
        RequireFinite("X", X, "Y", Y, "Z", Z);
        Smoke(System).emitterPosition = Vec3{X, Y, Z};
    });
}

QUARN_API void QUARN_CALL qglSetDynamicSmokeParticleSystemEnabledFlag(TQGLHandle System,
                                                                      uint8_t Flag) {
    GuardGLVoid([&] { Smoke(System).SetEnabled(Flag != 0); });
}

QUARN_API TQGLHandle QUARN_CALL qglAddDynamicHUDObject(float Width, float Height, float X, float Y,
                                                       int32_t ScreenWidth, int32_t ScreenHeight,
                                                       TQGLHandle Material) {
    return GuardGL<TQGLHandle>(nullptr, [&]() -> TQGLHandle {
        RequireFinite("Width", Width, "Height", Height, "X", X, "Y", Y);
        TQGLScene& scene = RequireScene();
        auto hud = std::make_unique<TQGLBaseHUD>();
        hud->SetWidth(Width);
        hud->SetHeight(Height);
        hud->SetX(X);
        hud->SetY(Y);
        hud->screenWidth = ScreenWidth;
        hud->screenHeight = ScreenHeight;
        hud->Visible = true;
        hud->materials = &scene.materials;
        hud->materialIndex = scene.materials.IndexOf(static_cast<TQGLMaterial*>(Material));
        if (hud->materialIndex < 0)
            ShowMessage("Error", "The HUD object's material is not in the scene's material list; "
                                 "the object is not drawn");
        return scene.hudObjects.AddNew(std::move(hud));
    });
}

QUARN_API void QUARN_CALL qglSetDynamicHudObjectWidth(TQGLHandle Hud, float Width) {
    GuardGLVoid([&] {
        RequireFinite("Width", Width);
        HudObject(Hud).SetWidth(Width);
    });
}

QUARN_API void QUARN_CALL qglSetDynamicHUDObjectVisibleFlag(TQGLHandle Hud, uint8_t Visible) {
    GuardGLVoid([&] { HudObject(Hud).Visible = Visible != 0; });
}

} // extern "C"
