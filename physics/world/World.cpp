#include "physics/world/World.h"

#include "common/CountedArray.h"
#include "common/EngineError.h"
#include "physics/world/Body.h"
#include "physics/world/Vehicle.h"
#include "physics/world/Collision.h"
#include "physics/world/ContactCallbacks.h"
#include "physics/world/Explosion.h"
#include "physics/world/PerformanceCounter.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace quarn {

// The headers promise a stale handle stays refused through 1000 later frees of its kind: the
// largest handed-out class must fit the quarantine's bytes that often.
static_assert(sizeof(TqpWorld) <= FreedMemoryQuarantine::kMaxBytes / 1000);

namespace {

// The solver's body walks take only a body, so the walk's parameters are library-wide.
struct DebugWalk {
    TqpDebugCallback callback = nullptr;
    CountedArray<TQUARNVector> vertices;
};
DebugWalk g_debugWalk;

struct ExplosionWalk {
    NewtonWorld* world = nullptr;
    Vec3 centre;
    float charge = 1;
    float scaleA = 0;
    float scaleB = 0;
};
ExplosionWalk g_explosion;

void DebugPolygon(const NewtonBody* body, int vertexCount, const float* vertices, int) {
    if (!g_debugWalk.callback || vertexCount < 0) return;
    TQUARNVector* out =
        g_debugWalk.vertices.Assign(reinterpret_cast<const TQUARNVector*>(vertices), vertexCount);
    TqpBody* owner = TqpBody::FromNewton(body);
    try {
        g_debugWalk.callback(owner ? owner->Handle() : nullptr, vertexCount, out);
    } catch (const std::exception& e) {
        if (owner) owner->World().NoteFailure(e.what());
    } catch (...) {
        if (owner) owner->World().NoteFailure("unknown exception");
    }
}

void DebugBody(const NewtonBody* body) {
    NewtonBodyForEachPolygonDo(body, &DebugPolygon);
}

void ExplodeBody(const NewtonBody* body) {
    TqpBody* target = TqpBody::FromNewton(body);
    if (!target) return;
    float matrix[16];
    NewtonBodyGetMatrix(body, matrix);
    Vec3 point, normal;
    if (NewtonCollisionPointDistance(g_explosion.world, &g_explosion.centre.x,
                                     NewtonBodyGetCollision(body), matrix, &point.x,
                                     &normal.x) != 1)
        return;
    const float distance = VectorLength(VectorSubtract(g_explosion.centre, point));
    const float magnitude = static_cast<float>(
        BlastForceMagnitude(distance, g_explosion.charge, g_explosion.scaleA, g_explosion.scaleB));
    const Vec3 force = VectorScale(normal, -magnitude);
    if (!IsFinite(force)) return;
    target->AddGlobalForce(point, force);
    NewtonWorldUnfreezeBody(g_explosion.world, body);
}

} // namespace

TqpWorld::TqpWorld() {
    newton_ = NewtonCreate(nullptr, nullptr);
    if (!newton_) throw EngineError("The physics world could not be created");
    frequency_ = PerformanceCounterFrequency();
    if (frequency_ <= 0) frequency_ = 1;
    const int group = NewtonMaterialGetDefaultGroupID(newton_);
    RegisterContactCallbacks();
    NewtonMaterialSetDefaultElasticity(newton_, group, group, 0.0f);
    NewtonMaterialSetDefaultSoftness(newton_, group, group, 2.0f);
}

TqpWorld::~TqpWorld() {
    // Joints die with their bodies (their destructor callbacks free them); vehicles learn
    // that their joint is gone the same way.
    NewtonDestroyAllBodies(newton_);
    collisions_.clear(); // drops the shapes' last references while the solver world exists
    NewtonDestroy(newton_);
    for (TqpBody* body : bodies_)
        delete body;
    for (TqpBody* body : releaseList_)
        delete body;
}

void TqpWorld::RegisterContactCallbacks() {
    const int group = NewtonMaterialGetDefaultGroupID(newton_);
    if (contactBegin_ || contactProcess_ || contactEnd_)
        NewtonMaterialSetCollisionCallback(
            newton_, group, group, nullptr, &quarn::ContactBeginCallback,
            &quarn::ContactProcessCallback, &quarn::ContactEndCallback);
    else
        NewtonMaterialSetCollisionCallback(newton_, group, group, nullptr, nullptr, nullptr,
                                           nullptr);
}

void TqpWorld::SetContactBeginCallback(TqpContactBeginCallback cb) {
    contactBegin_ = cb;
    RegisterContactCallbacks();
}

void TqpWorld::SetContactProcessCallback(TqpContactProcessCallback cb) {
    contactProcess_ = cb;
    RegisterContactCallbacks();
}

void TqpWorld::SetContactEndCallback(TqpContactEndCallback cb) {
    contactEnd_ = cb;
    RegisterContactCallbacks();
}

void TqpWorld::SetSize(const Vec3& size) {
    size_ = size;
    const Vec3 lo = VectorScale(size, -0.5f);
    const Vec3 hi = VectorScale(size, 0.5f);
    NewtonSetWorldSize(newton_, &lo.x, &hi.x);
}

void TqpWorld::RunUpdate(float timestep) {
    NewtonUpdate(newton_, timestep);
    ++updateCount_;
}

void TqpWorld::Step(float delta, bool fixedStep, float stepsPerSecond) {
    accumulator_ += delta;
    stepped_ = false;
    if (fixedStep) {
        const float h = 1.0f / stepsPerSecond;
        int updates = 0;
        while (h <= accumulator_ && !failed_ && !destroyRequested_) {
            if (updates == kMaxUpdatesPerStep) {
                accumulator_ = 0; // the time owed beyond the cap is dropped
                break;
            }
            ++updates;
            stepped_ = true;
            const int64_t start = ReadPerformanceCounter();
            RunUpdate(h);
            accumulator_ -= h;
            const int64_t end = ReadPerformanceCounter();
            statistics_.AddValue(static_cast<float>(double(end - start) / double(frequency_)));
            lastStepCounter_ = ReadPerformanceCounter();
        }
    } else {
        stepped_ = true;
        const int64_t start = ReadPerformanceCounter();
        lastStepCounter_ = ReadPerformanceCounter();
        RunUpdate(delta);
        const int64_t end = ReadPerformanceCounter();
        statistics_.AddValue(static_cast<float>(double(end - start) / double(frequency_)));
    }
    DestroyReleasedBodies();
}

void TqpWorld::NoteFailure(const char* message) {
    if (failed_) return;
    failed_ = true;
    try {
        failure_ = message ? message : "unknown failure";
    } catch (...) {
        failure_.clear();
    }
}

std::string TqpWorld::TakeFailure() {
    std::string message;
    message.swap(failure_);
    if (failed_ && message.empty()) message = "unknown failure";
    failed_ = false;
    return message;
}

void TqpWorld::DestroyReleasedBodies() {
    for (TqpBody* body : releaseList_) {
        NewtonDestroyBody(newton_, body->Newton());
        delete body;
    }
    releaseList_.clear();
}

float TqpWorld::TimeUntilNextStep(float stepsPerSecond) const {
    if (lastStepCounter_ <= 0 || !(stepsPerSecond >= 1.0f)) return 0.0f;
    const double since = double(ReadPerformanceCounter() - lastStepCounter_) / double(frequency_);
    const double h = 1.0 / stepsPerSecond;
    return static_cast<float>(h - since);
}

float TqpWorld::AlphaTimeUntilNextStep(float stepsPerSecond) const {
    if (lastStepCounter_ <= 0 || !(stepsPerSecond >= 1.0f)) return 0.0f;
    const double since = double(ReadPerformanceCounter() - lastStepCounter_) / double(frequency_);
    const double h = 1.0 / stepsPerSecond;
    return static_cast<float>((h - since) / h);
}

float TqpWorld::ElapsedTime() {
    if (elapsedCounter_ <= 0) elapsedCounter_ = ReadPerformanceCounter();
    const int64_t now = ReadPerformanceCounter();
    const float result = static_cast<float>(double(now - elapsedCounter_) / double(frequency_));
    elapsedCounter_ = ReadPerformanceCounter();
    return result;
}

void TqpWorld::Debug(TqpDebugCallback callback) {
    // The walk's callback and vertex buffer are the library's one: a walk started from inside
    // the callback would cut the running walk short and free the vertices its callback holds.
    if (g_debugWalk.callback)
        throw EngineError("qpWorldDebug: a debug walk is running (called from its callback)");
    debug_ = callback;
    if (!callback) return;
    g_debugWalk.callback = callback;
    NewtonWorldForEachBodyDo(newton_, &DebugBody);
    g_debugWalk.callback = nullptr;
}

void TqpWorld::Explode(const Vec3& centre, float charge, float scaleA, float scaleB) {
    if (!(charge > 0.0f)) throw EngineError("The charge of an explosion must be positive");
    g_explosion.world = newton_;
    g_explosion.centre = centre;
    g_explosion.charge = charge;
    g_explosion.scaleA = scaleA;
    g_explosion.scaleB = scaleB;
    NewtonWorldForEachBodyDo(newton_, &ExplodeBody);
}

TqpCollision* TqpWorld::AdoptCollision(std::unique_ptr<TqpCollision> collision) {
    collisions_.push_back(std::move(collision));
    return collisions_.back().get();
}

TqpBody* TqpWorld::AdoptBody(std::unique_ptr<TqpBody> body) {
    ReserveBodySlot(); // no-op when the caller already reserved
    TqpBody* raw = body.release();
    raw->SetListIndex(bodies_.size());
    bodies_.push_back(raw);
    return raw;
}

void TqpWorld::ReserveBodySlot() {
    if (bodies_.size() == bodies_.capacity())
        bodies_.reserve(std::max<size_t>(16, bodies_.capacity() * 2));
}

TqpVehicle* TqpWorld::AdoptVehicle(std::unique_ptr<TqpVehicle> vehicle) {
    vehicles_.push_back(std::move(vehicle));
    return vehicles_.back().get();
}

void TqpWorld::ReleaseBody(TqpBody* body) {
    if (body->Released()) return;
    releaseList_.push_back(body);
    body->MarkReleased();
    bodies_[body->ListIndex()] = nullptr;
}

} // namespace quarn
