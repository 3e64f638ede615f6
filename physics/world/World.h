// The physics world: owns its solver world, collisions, bodies and vehicles; steps at a fixed
// rate off an accumulator or once per call; times its updates.
#pragma once

#include "common/QuarnMath.h"
#include "physics/handles/PhysicsHandles.h"
#include "physics/newton/Newton.h"
#include "physics/world/Statistics.h"
#include "quarn/QuarnPhysics.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quarn {

class TqpBody;
class TqpCollision;
class TqpVehicle;

// At most this many solver updates run in one fixed-mode step; time owed beyond them is dropped
// (a stalled host catches up by at most this much instead of spiralling).
constexpr int kMaxUpdatesPerStep = 60;
// The longest and shortest update the solver is ever handed, in seconds.
constexpr float kMaxUpdateSeconds = 1.0f;
constexpr float kMinUpdateSeconds = 1e-5f;

class TqpWorld : public HeldAfterFreeAs<kWorldHandle> {
  public:
    TqpWorld();
    ~TqpWorld();
    TqpWorld(const TqpWorld&) = delete;
    TqpWorld& operator=(const TqpWorld&) = delete;

    NewtonWorld* Newton() const { return newton_; }

    // Simulated region: a box of this extent centred on the origin.
    void SetSize(const Vec3& size);
    const Vec3& Size() const { return size_; }

    // Fixed mode runs every whole 1/rate owed by the accumulator (at most kMaxUpdatesPerStep);
    // variable mode one update of delta. The caller checked the numbers. Released bodies are
    // destroyed at the end either way. Stops early when a callback failed or a body's state
    // had to be repaired (see TakeFailure).
    void Step(float delta, bool fixedStep, float stepsPerSecond);
    float TimeUntilNextStep(float stepsPerSecond) const;
    float AlphaTimeUntilNextStep(float stepsPerSecond) const;
    // Seconds since the previous call; about 0 on the first.
    float ElapsedTime();
    const TStatistics& Statistics() const { return statistics_; }
    float Accumulator() const { return accumulator_; }
    // Set just before every solver update of the current step; bodies read it.
    bool Stepped() const { return stepped_; }
    // Solver updates run so far (for tests and hosts' diagnostics).
    int64_t UpdateCount() const { return updateCount_; }

    // Inside Step, Debug or Explode: the host's callbacks may be running. A world is destroyed
    // only when it is not busy; a destroy asked for while it is waits until it is not.
    bool Busy() const { return busy_ > 0; }
    void EnterBusy() { ++busy_; }
    void LeaveBusy() { --busy_; }
    void RequestDestroy() {
        destroyRequested_ = true;
        handle_.Retire();
    }
    bool DestroyRequested() const { return destroyRequested_; }

    // A host callback threw, or a body's state stopped being finite and was repaired: the first
    // such message since the last TakeFailure, handed to the host as the export's error.
    void NoteFailure(const char* message);
    std::string TakeFailure();

    // Calls back once per polygon of every body's collision.
    void Debug(TqpDebugCallback callback);
    // Blast force at each body's closest point; charge must be positive.
    void Explode(const Vec3& centre, float charge, float scaleA, float scaleB);

    void SetContactBeginCallback(TqpContactBeginCallback cb);
    void SetContactProcessCallback(TqpContactProcessCallback cb);
    void SetContactEndCallback(TqpContactEndCallback cb);
    TqpContactBeginCallback ContactBeginCallback() const { return contactBegin_; }
    TqpContactProcessCallback ContactProcessCallback() const { return contactProcess_; }
    TqpContactEndCallback ContactEndCallback() const { return contactEnd_; }

    // Ownership of the objects the host builds in this world.
    TqpCollision* AdoptCollision(std::unique_ptr<TqpCollision> collision);
    // Makes room for one more body first, so that adopting a freshly built body cannot fail
    // and leave a solver body without its object.
    void ReserveBodySlot();
    TqpBody* AdoptBody(std::unique_ptr<TqpBody> body);
    TqpVehicle* AdoptVehicle(std::unique_ptr<TqpVehicle> vehicle);
    // Puts the body on the release list (once); it is destroyed at the end of the next step.
    void ReleaseBody(TqpBody* body);

    // Creation-order list; released bodies leave a nil entry.
    const std::vector<TqpBody*>& Bodies() const { return bodies_; }
    const std::vector<TqpBody*>& ReleaseList() const { return releaseList_; }

    TqpWorldHandle Handle() { return reinterpret_cast<TqpWorldHandle>(this); }

  private:
    // The solver calls the contact callbacks only while the host has one: without, its contact
    // pass just applies the pair's settings.
    void RegisterContactCallbacks();
    void RunUpdate(float timestep);
    void DestroyReleasedBodies();

    LiveHandle handle_{this, kWorldHandle};
    NewtonWorld* newton_ = nullptr;
    Vec3 size_;
    std::vector<TqpBody*> bodies_;
    std::vector<TqpBody*> releaseList_;
    int64_t lastStepCounter_ = 0;
    int64_t elapsedCounter_ = 0;
    int64_t frequency_ = 1;
    TStatistics statistics_;
    float accumulator_ = 0;
    bool stepped_ = false;
    int64_t updateCount_ = 0;
    int busy_ = 0;
    bool destroyRequested_ = false;
    bool failed_ = false;
    std::string failure_;
    TqpDebugCallback debug_ = nullptr;
    TqpContactBeginCallback contactBegin_ = nullptr;
    TqpContactProcessCallback contactProcess_ = nullptr;
    TqpContactEndCallback contactEnd_ = nullptr;

    std::vector<std::unique_ptr<TqpCollision>> collisions_;
    std::vector<std::unique_ptr<TqpVehicle>> vehicles_;
};

} // namespace quarn
