// Smoke particle systems: a fixed pool of camera-facing textured quads that rise from an
// emitter, spread, drift, grow and fade over their life and are reborn at the emitter.
#pragma once

#include "common/ObjectList.h"
#include "common/QuarnMath.h"
#include "engine/core/GLHandles.h"
#include "platform/gl/GL.h"

#include <cstdint>
#include <random>
#include <vector>

namespace quarn {

class TQGLMaterialList;

struct TQGLParticle {
    float color[4] = {0, 0, 0, 0};
    Vec3 position;
    Vec3 velocity; // per unit of step factor
    Vec3 size;     // x and y scale the quad
    int32_t age = 1;
    int32_t life = 0;
    bool active = false;
    GLuint displayList = 0; // compiled on first draw
};

class TQGLBaseParticleSystem {
  public:
    TQGLBaseParticleSystem() = default;
    virtual ~TQGLBaseParticleSystem(); // deletes the particles' display lists
    TQGLBaseParticleSystem(const TQGLBaseParticleSystem&) = delete;
    TQGLBaseParticleSystem& operator=(const TQGLBaseParticleSystem&) = delete;

    virtual void Initialize() = 0;
    virtual void Update(int32_t timeStep, const Vec3& cameraPosition, const Vec3& cameraUp,
                        float factor) = 0;
    virtual void Render(uint32_t time) = 0;

    // Box of the active particles, grown by their sizes in x and y; extent |max| + |min|.
    void ComputeBounds();

    std::vector<TQGLParticle> particles;
    Vec3 emitterPosition;
    int32_t lastIndex = 0; // the pool holds lastIndex + 1 particles
    int32_t materialIndex = -1;
    TQGLMaterialList* materials = nullptr;
    int32_t activeCount = 0;
    Vec3 boxCorners[8];
    Vec3 boxExtent;
    bool showBox = false;
    int32_t duration = 0;   // time units; 0 emits forever
    int32_t startTime = -1; // -1: the duration window has not started
    bool enabled = true;
};

// The class the octree records.
class TQGLParticleSystem : public TQGLBaseParticleSystem {};

class TQGLSmoke : public TQGLParticleSystem, public HeldAfterFreeAs<kParticleSystemHandle> {
  public:
    explicit TQGLSmoke(uint32_t seed = 1) : random_(seed) {}

    // Emission interval := round(1000 / rate); a rate of 0 or less never emits.
    void SetRate(int32_t particlesPerSecond);
    void Initialize() override;
    void Update(int32_t timeStep, const Vec3& cameraPosition, const Vec3& cameraUp,
                float factor) override;
    void Render(uint32_t time) override;
    void InitializeParticle(TQGLParticle& p);
    // Re-enabling starts a new duration window at the next render.
    void SetEnabled(bool flag);

    int32_t rate = 0;
    int32_t clock = 0;
    int32_t emissionInterval = 0;
    int32_t nextEmission = 0;
    Vec3 cameraPosition, cameraUp{0, 1, 0};
    float color[4] = {1, 1, 1, 1};
    int32_t life = 0;
    int32_t spread = 0; // degrees
    float growthDivisor = 1;
    Vec3 drift;
    LiveHandle liveHandle{this, kParticleSystemHandle}; // the handle the host gets

  private:
    // One of -spread, -spread + 2, ..., spread - 2 degrees; 0 when spread <= 0.
    float RandomAngle();
    std::minstd_rand random_;
};

class TQGLParticleSystems : public ObjectList<TQGLParticleSystem> {
  public:
    TQGLSmoke* AddSmoke();
    // frames 0 counts as 30 and time 0 as 1: each call is a step of time with factor
    // time / frames * 4.
    void UpdateAll(int32_t frames, int32_t time, const Vec3& cameraPosition, const Vec3& cameraUp);
    // Depth writes off while the systems draw, so their blended quads do not hide each other.
    void RenderAll(uint32_t time);
};

} // namespace quarn
