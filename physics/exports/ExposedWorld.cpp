// World exports.
#include "physics/exports/ExportGuard.h"
#include "physics/world/World.h"

#include <string>

using namespace quarn;

namespace {

TqpWorld* World(TqpWorldHandle h, const char* function) {
    return Live<TqpWorld>(h, kWorldHandle, function, "world");
}

// Runs work that may call the host back. A destroy the host asked for meanwhile happens when
// the outermost such call ends; a callback's failure (or a repaired body) becomes this export's
// error once the world is consistent again.
template <class F> void RunWithCallbacks(TqpWorld* w, const char* function, F&& work) {
    w->EnterBusy();
    try {
        work();
    } catch (...) {
        w->LeaveBusy();
        if (!w->Busy() && w->DestroyRequested()) delete w;
        throw;
    }
    w->LeaveBusy();
    if (w->Busy()) return; // an enclosing call of the same world reports and destroys
    const std::string failure = w->TakeFailure();
    if (w->DestroyRequested()) delete w;
    if (!failure.empty()) throw EngineError(Format("%s: %s", function, failure.c_str()));
}

float StepLength(float stepsPerSecond) {
    // A rate of 0 or less would make the step length infinite or negative; a negative step
    // never drains the accumulator, so the update loop would never end.
    if (!(FiniteFloat(stepsPerSecond, "qpWorldStep", "steps per second") > 0))
        throw EngineError("qpWorldStep: steps per second must be positive in fixed mode");
    const float h = 1.0f / stepsPerSecond;
    if (h > kMaxUpdateSeconds || h < kMinUpdateSeconds)
        throw EngineError(Format("qpWorldStep: steps per second must be between %g and %g in "
                                 "fixed mode (%g given)",
                                 1.0 / kMaxUpdateSeconds, 1.0 / kMinUpdateSeconds,
                                 double(stepsPerSecond)));
    return h;
}

} // namespace

extern "C" {

QUARN_API TqpWorldHandle QUARN_CALL qpWorldCreate(void) {
    return PhysicsGuard<TqpWorldHandle>(
        nullptr, [] { return reinterpret_cast<TqpWorldHandle>(new TqpWorld()); });
}

QUARN_API void QUARN_CALL qpWorldDestroy(TqpWorldHandle world) {
    PhysicsGuardVoid([&] {
        TqpWorld* w = World(world, "qpWorldDestroy");
        // From inside its own callbacks: the world goes when the call that runs them returns.
        if (w->Busy())
            w->RequestDestroy();
        else
            delete w;
    });
}

QUARN_API void QUARN_CALL qpWorldSetSize(TqpWorldHandle world, const TQUARNVector* size) {
    PhysicsGuardVoid([&] {
        TqpWorld* w = World(world, "qpWorldSetSize");
        w->SetSize(ReadVector(size, "qpWorldSetSize", "size"));
    });
}

QUARN_API void QUARN_CALL qpWorldStep(TqpWorldHandle world, float delta, TQUARNBool fixedStep,
                                      float stepsPerSecond) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpWorldStep";
        TqpWorld* w = World(world, fn);
        if (FiniteFloat(delta, fn, "time delta") < 0)
            throw EngineError(Format("%s: time delta must not be negative", fn));
        if (fixedStep)
            StepLength(stepsPerSecond);
        else if (delta > kMaxUpdateSeconds)
            throw EngineError(Format("%s: a variable step must not exceed %g s (%g given)", fn,
                                     double(kMaxUpdateSeconds), double(delta)));
        if (w->Busy())
            throw EngineError(Format("%s: the world is busy (called from its own callback)", fn));
        RunWithCallbacks(w, fn, [&] { w->Step(delta, fixedStep != 0, stepsPerSecond); });
    });
}

QUARN_API float QUARN_CALL qpWorldGetTimeUntilNextStep(TqpWorldHandle world, float stepsPerSecond) {
    return PhysicsGuard(0.0f, [&] {
        const char* fn = "qpWorldGetTimeUntilNextStep";
        TqpWorld* w = World(world, fn);
        return w->TimeUntilNextStep(FiniteFloat(stepsPerSecond, fn, "steps per second"));
    });
}

QUARN_API float QUARN_CALL qpWorldGetAlphaTimeUntilNextStep(TqpWorldHandle world,
                                                            float stepsPerSecond) {
    return PhysicsGuard(0.0f, [&] {
        const char* fn = "qpWorldGetAlphaTimeUntilNextStep";
        TqpWorld* w = World(world, fn);
        return w->AlphaTimeUntilNextStep(FiniteFloat(stepsPerSecond, fn, "steps per second"));
    });
}

QUARN_API float QUARN_CALL qpWorldGetElapsedTime(TqpWorldHandle world) {
    return PhysicsGuard(0.0f, [&] { return World(world, "qpWorldGetElapsedTime")->ElapsedTime(); });
}

QUARN_API float QUARN_CALL qpWorldGetLastStepTime(TqpWorldHandle world) {
    return PhysicsGuard(
        0.0f, [&] { return World(world, "qpWorldGetLastStepTime")->Statistics().GetLast(); });
}

QUARN_API float QUARN_CALL qpWorldGetAveragedStepTime(TqpWorldHandle world) {
    return PhysicsGuard(0.0f, [&] {
        return World(world, "qpWorldGetAveragedStepTime")->Statistics().GetAverage();
    });
}

QUARN_API void QUARN_CALL qpWorldDebug(TqpWorldHandle world, TqpDebugCallback callback) {
    PhysicsGuardVoid([&] {
        TqpWorld* w = World(world, "qpWorldDebug");
        RunWithCallbacks(w, "qpWorldDebug", [&] { w->Debug(callback); });
    });
}

QUARN_API void QUARN_CALL qpWorldSetContactBeginCallback(TqpWorldHandle world,
                                                         TqpContactBeginCallback callback) {
    PhysicsGuardVoid(
        [&] { World(world, "qpWorldSetContactBeginCallback")->SetContactBeginCallback(callback); });
}

QUARN_API void QUARN_CALL qpWorldSetContactProcessCallback(TqpWorldHandle world,
                                                           TqpContactProcessCallback callback) {
    PhysicsGuardVoid([&] {
        World(world, "qpWorldSetContactProcessCallback")->SetContactProcessCallback(callback);
    });
}

QUARN_API void QUARN_CALL qpWorldSetContactEndCallback(TqpWorldHandle world,
                                                       TqpContactEndCallback callback) {
    PhysicsGuardVoid(
        [&] { World(world, "qpWorldSetContactEndCallback")->SetContactEndCallback(callback); });
}

QUARN_API void QUARN_CALL qpWorldExplode(TqpWorldHandle world, const TQUARNVector* centre,
                                         float charge, float scaleA, float scaleB) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpWorldExplode";
        TqpWorld* w = World(world, fn);
        const Vec3 c = ReadVector(centre, fn, "centre");
        FiniteFloat(charge, fn, "charge");
        FiniteFloat(scaleA, fn, "first scale");
        FiniteFloat(scaleB, fn, "second scale");
        RunWithCallbacks(w, fn, [&] { w->Explode(c, charge, scaleA, scaleB); });
    });
}

} // extern "C"
