#include "engine/effects/ParticleSystem.h"

#include "engine/materials/MaterialList.h"
#include "engine/core/BoundingBox.h"

#include <cmath>

namespace quarn {

namespace {

// The spherical billboard: faces the camera, turned by the camera's up vector.
Mat4 SphericalBillboard(const Vec3& cameraPosition, const Vec3& position, const Vec3& up) {
    Vec3 f = VectorNormalize(VectorSubtract(cameraPosition, position));
    if (VectorLength(f) == 0) f = Vec3{0, 0, 1};
    const Vec3 r = VectorCross(up, f);
    const Vec3 u = VectorCross(f, r);
    Mat4 m;
    const Vec3 rows[4] = {r, u, f, position};
    for (int i = 0; i < 4; ++i) {
        m.at(i, 0) = rows[i].x;
        m.at(i, 1) = rows[i].y;
        m.at(i, 2) = rows[i].z;
    }
    m.at(3, 3) = 1;
    return m;
}

} // namespace

TQGLBaseParticleSystem::~TQGLBaseParticleSystem() {
    for (const TQGLParticle& p : particles)
        if (p.displayList != 0) glDeleteLists(p.displayList, 1);
}

void TQGLBaseParticleSystem::ComputeBounds() {
    if (particles.empty()) return;
    Vec3 lo = particles[0].position, hi = lo;
    for (const TQGLParticle& p : particles) {
        if (!p.active) continue;
        const Vec3& q = p.position;
        if (q.x > hi.x) hi.x = q.x + p.size.x;
        if (q.x < lo.x) lo.x = q.x - p.size.x;
        if (q.y > hi.y) hi.y = q.y + p.size.y;
        if (q.y < lo.y) lo.y = q.y - p.size.y;
        if (q.z > hi.z) hi.z = q.z;
        if (q.z < lo.z) lo.z = q.z;
    }
    BoxCorners(lo, hi, boxCorners);
    boxExtent = Vec3{std::fabs(hi.x) + std::fabs(lo.x), std::fabs(hi.y) + std::fabs(lo.y),
                     std::fabs(hi.z) + std::fabs(lo.z)};
}

void TQGLSmoke::SetRate(int32_t particlesPerSecond) {
    rate = particlesPerSecond;
    emissionInterval = rate > 0 ? int32_t(std::lround(1000.0 / rate)) : -1; // -1: never
}

void TQGLSmoke::SetEnabled(bool flag) {
    enabled = flag;
    if (flag) startTime = -1;
}

float TQGLSmoke::RandomAngle() {
    if (spread <= 0) return 0;
    std::uniform_int_distribution<int32_t> pick(0, spread - 1);
    // In 64 bits: twice a pick near the largest spread does not fit in 32.
    return float(2 * int64_t(pick(random_)) - spread);
}

void TQGLSmoke::InitializeParticle(TQGLParticle& p) {
    for (int i = 0; i < 4; ++i)
        p.color[i] = color[i];
    p.position = emitterPosition;
    std::uniform_int_distribution<int> speed(3, 10);
    Vec3 v{0, 1.0f / float(speed(random_)), 0};
    const double a = RandomAngle() * kDegToRad;
    v = Vec3{v.x, float(v.y * std::cos(a) + v.z * std::sin(a)),
             float(v.z * std::cos(a) - v.y * std::sin(a))};
    const double b = RandomAngle() * kDegToRad;
    v = Vec3{float(v.x * std::cos(b) + v.y * std::sin(b)),
             float(v.y * std::cos(b) - v.x * std::sin(b)), v.z};
    p.velocity = v;
    p.size = Vec3{1, 1, 1};
    p.age = 1;
    p.life = life;
    p.active = false;
}

void TQGLSmoke::Initialize() {
    for (const TQGLParticle& p : particles)
        if (p.displayList != 0) glDeleteLists(p.displayList, 1);
    particles.assign(size_t(lastIndex < 0 ? 0 : lastIndex) + 1, TQGLParticle{});
    for (TQGLParticle& p : particles) {
        InitializeParticle(p);
        p.displayList = 0;
    }
    ComputeBounds();
}

void TQGLSmoke::Update(int32_t t, const Vec3& camPos, const Vec3& camUp, float factor) {
    cameraPosition = camPos;
    cameraUp = camUp;
    if (!(factor >= 0)) return; // negative or not a number
    // A divisor of 0 (or one so small that the quotient overflows) means no growth, not an
    // infinite size that would poison the bounds.
    float growth = growthDivisor != 0 ? factor / growthDivisor : 0.0f;
    if (!std::isfinite(growth)) growth = 0;
    clock += t;
    for (TQGLParticle& p : particles) {
        if (p.active) {
            p.position = VectorAdd(
                p.position, VectorAdd(VectorScale(p.velocity, factor), VectorScale(drift, factor)));
            const Vec3 grown = VectorAdd(p.size, Vec3{growth, growth, growth});
            if (std::isfinite(grown.x)) p.size = grown; // a huge growth stops at the float range
            p.color[3] = p.life != 0 ? 1.0f - float(p.age) / float(p.life) : 0.0f;
            p.age += t;
            if (p.age > p.life) {
                --activeCount;
                InitializeParticle(p); // inactive at the emitter; its quad stays compiled
            }
        } else if (activeCount < lastIndex && clock > nextEmission && enabled &&
                   emissionInterval >= 0) {
            nextEmission = clock + emissionInterval;
            ++activeCount;
            p.active = true;
        }
    }
}

void TQGLSmoke::Render(uint32_t time) {
    const int64_t now = int64_t(time);
    if (duration > 0 && startTime == -1) startTime = int32_t(now);
    if (duration > 0 && int64_t(startTime) + duration < now) enabled = false;
    if (materials && materialIndex >= 0 && materialIndex < materials->Count())
        materials->SetMaterial(materialIndex, time);
    ComputeBounds();
    for (TQGLParticle& p : particles) {
        if (!p.active) {
            p.position = emitterPosition;
            continue;
        }
        if (p.displayList == 0) {
            p.displayList = glGenLists(1);
            glNewList(p.displayList, GL_COMPILE);
            glBegin(GL_QUADS);
            glTexCoord2f(0, 0);
            glVertex3f(-1, -1, 0);
            glTexCoord2f(1, 0);
            glVertex3f(1, -1, 0);
            glTexCoord2f(1, 1);
            glVertex3f(1, 1, 0);
            glTexCoord2f(0, 1);
            glVertex3f(-1, 1, 0);
            glEnd();
            glEndList();
        }
        glPushMatrix();
        const Mat4 billboard = SphericalBillboard(cameraPosition, p.position, cameraUp);
        glMultMatrixf(billboard.m);
        glColor4fv(p.color);
        glScalef(p.size.x, p.size.y, 1);
        glCallList(p.displayList);
        glPopMatrix();
    }
    if (showBox) {
        glColor3ub(255, 255, 0);
        DrawBoxEdges(boxCorners);
    }
    glColor3f(1, 1, 1);
}

TQGLSmoke* TQGLParticleSystems::AddSmoke() {
    // Each system its own seed, so two systems made alike still differ.
    return AddNew(std::make_unique<TQGLSmoke>(uint32_t(Count()) + 1));
}

void TQGLParticleSystems::UpdateAll(int32_t frames, int32_t time, const Vec3& cameraPosition,
                                    const Vec3& cameraUp) {
    if (frames == 0) frames = 30;
    if (time == 0) time = 1;
    const float factor = float(time) / float(frames) * 4;
    for (const auto& system : *this)
        system->Update(time, cameraPosition, cameraUp, factor);
}

void TQGLParticleSystems::RenderAll(uint32_t time) {
    glDepthMask(GL_FALSE);
    for (const auto& system : *this) {
        glPushMatrix();
        system->Render(time);
        glPopMatrix();
    }
    glDepthMask(GL_TRUE);
}

} // namespace quarn
