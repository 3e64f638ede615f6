// World exports.
#include "physics/exports/ExportGuard.h"
#include "physics/world/World.h"

using namespace quarn;

namespace {

TqpWorld* World(TqpWorldHandle h, const char* function) {
    return NotNil(reinterpret_cast<TqpWorld*>(h), function, "world");
}

} // namespace

extern "C" {

QUARN_API TqpWorldHandle QUARN_CALL qpWorldCreate(void) {
    return PhysicsGuard<TqpWorldHandle>(
        nullptr, [] { return reinterpret_cast<TqpWorldHandle>(new TqpWorld()); });
}

QUARN_API void QUARN_CALL qpWorldDestroy(TqpWorldHandle world) {
    PhysicsGuardVoid([&] { delete World(world, "qpWorldDestroy"); });
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
        TqpWorld* w = World(world, "qpWorldStep");
        FiniteFloat(delta, "qpWorldStep", "time delta");
        // A rate of 0 or less would make the step length infinite or negative; a negative step
        // never drains the accumulator, so the update loop would never end.
        if (fixedStep && !(FiniteFloat(stepsPerSecond, "qpWorldStep", "steps per second") > 0))
            throw EngineError("qpWorldStep: steps per second must be positive in fixed mode");
        w->Step(delta, fixedStep != 0, stepsPerSecond);
    });
}

QUARN_API float QUARN_CALL qpWorldGetTimeUntilNextStep(TqpWorldHandle world, float stepsPerSecond) {
    return PhysicsGuard(0.0f, [&] {
        return World(world, "qpWorldGetTimeUntilNextStep")->TimeUntilNextStep(stepsPerSecond);
    });
}

QUARN_API float QUARN_CALL qpWorldGetAlphaTimeUntilNextStep(TqpWorldHandle world,
                                                            float stepsPerSecond) {
    return PhysicsGuard(0.0f, [&] {
        return World(world, "qpWorldGetAlphaTimeUntilNextStep")
            ->AlphaTimeUntilNextStep(stepsPerSecond);
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
    PhysicsGuardVoid([&] { World(world, "qpWorldDebug")->Debug(callback); });
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
        w->Explode(c, charge, scaleA, scaleB);
    });
}

} // extern "C"
