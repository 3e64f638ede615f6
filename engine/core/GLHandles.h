// The kinds of handle QuarnGL hands out, and which class each kind stands for. Every export
// that takes a handle reaches the object through RequireLive<Class>(handle), which refuses a
// stale, foreign or wrong-kind handle with "<export>: not a live <kind> handle".
#pragma once

#include "common/FreedMemoryQuarantine.h"
#include "common/HandleRegistry.h"

namespace quarn {

class TQGLStaticMeshObject;
class TQGLBaseDynamicMeshObject;
class TQGLMaterial;
class TQGLBaseShader;
class TQGLBaseTexture;
class TQGLBaseHUD;
class TQGLSmoke;

enum : HandleKinds {
    kStaticObjectHandle = 1u << 0,
    kDynamicObjectHandle = 1u << 1,
    kMaterialHandle = 1u << 2,
    kMaterialStageHandle = 1u << 3,
    kTextureHandle = 1u << 4,
    kHudObjectHandle = 1u << 5,
    kParticleSystemHandle = 1u << 6,
};

// The memory of freed objects of one kind, held back so that a new object does not take a stale
// handle's address (see FreedMemoryQuarantine).
template <HandleKinds Kind> FreedMemoryQuarantine& KindQuarantine() {
    static FreedMemoryQuarantine quarantine;
    return quarantine;
}
// The base of each class handed out as Kind.
template <HandleKinds Kind> using HeldAfterFreeAs = HeldAfterFree<&KindQuarantine<Kind>>;

template <> struct HandleTraits<TQGLStaticMeshObject> {
    static constexpr HandleKinds kind = kStaticObjectHandle;
    static constexpr const char* name = "static object";
};
template <> struct HandleTraits<TQGLBaseDynamicMeshObject> {
    static constexpr HandleKinds kind = kDynamicObjectHandle;
    static constexpr const char* name = "dynamic object";
};
template <> struct HandleTraits<TQGLMaterial> {
    static constexpr HandleKinds kind = kMaterialHandle;
    static constexpr const char* name = "material";
};
template <> struct HandleTraits<TQGLBaseShader> {
    static constexpr HandleKinds kind = kMaterialStageHandle;
    static constexpr const char* name = "material stage";
};
template <> struct HandleTraits<TQGLBaseTexture> {
    static constexpr HandleKinds kind = kTextureHandle;
    static constexpr const char* name = "texture";
};
template <> struct HandleTraits<TQGLBaseHUD> {
    static constexpr HandleKinds kind = kHudObjectHandle;
    static constexpr const char* name = "HUD object";
};
template <> struct HandleTraits<TQGLSmoke> {
    static constexpr HandleKinds kind = kParticleSystemHandle;
    static constexpr const char* name = "smoke particle system";
};

} // namespace quarn
