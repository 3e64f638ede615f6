// Body exports.
#include "physics/world/Body.h"
#include "physics/exports/ExportGuard.h"
#include "physics/world/Collision.h"
#include "physics/world/World.h"

#include <cmath>
#include <vector>

using namespace quarn;

namespace {

TqpBody* Body(TqpBodyHandle h, const char* function) {
    return Live<TqpBody>(h, kBodyHandle, function, "body");
}

// A force or torque the body could not take: its sums would leave the float range.
void Applied(bool applied, const char* function, const char* what) {
    if (!applied)
        throw EngineError(
            Format("%s: the %s would make the body's %s sum overflow", function, what, what));
}

template <class T> T* Result(T* result, const char* function) {
    return NotNil(result, function, "result");
}

// The shared shape of the vector getters: result first, filled and returned.
template <class Getter>
TQUARNVector* GetVector(TQUARNVector* result, TqpBodyHandle body, const char* fn, Getter get) {
    return PhysicsGuard<TQUARNVector*>(nullptr, [&] {
        Result(result, fn);
        *result = ToExposed(get(*Body(body, fn)));
        return result;
    });
}

TqpMatrix* PutMatrix(TqpMatrix* result, const Mat4& m) {
    for (int i = 0; i < 16; ++i)
        result->m[i] = m.m[i];
    return result;
}

} // namespace

extern "C" {

QUARN_API TqpBodyHandle QUARN_CALL qpBodyCreate(TqpWorldHandle world, int32_t collisionCount,
                                                TqpCollisionHandle collision) {
    return PhysicsGuard<TqpBodyHandle>(nullptr, [&] {
        const char* fn = "qpBodyCreate";
        TqpWorld* w = Live<TqpWorld>(world, kWorldHandle, fn, "world");
        if (collisionCount != 1)
            throw EngineError(Format("%s: takes exactly one collision (%d given); use "
                                     "qpBodyCreateCompound for several",
                                     fn, collisionCount));
        auto* c = Live<TqpCollision>(collision, kCollisionHandle, fn, "collision");
        if (c->World() != w->Newton())
            throw EngineError(Format("%s: the collision belongs to another world", fn));
        return TqpBody::Create(*w, &c, 1)->Handle();
    });
}

QUARN_API TqpBodyHandle QUARN_CALL qpBodyCreateCompound(TqpWorldHandle world,
                                                        int32_t collisionCount,
                                                        const TqpCollisionHandle* collisions) {
    return PhysicsGuard<TqpBodyHandle>(nullptr, [&] {
        const char* fn = "qpBodyCreateCompound";
        TqpWorld* w = Live<TqpWorld>(world, kWorldHandle, fn, "world");
        NotNil(collisions, fn, "collision array");
        if (collisionCount < 1)
            throw EngineError(
                Format("%s: needs at least one collision (%d given)", fn, collisionCount));
        std::vector<TqpCollision*> list(static_cast<size_t>(collisionCount));
        for (int32_t i = 0; i < collisionCount; ++i) {
            if (!collisions[i]) throw EngineError(Format("Collision %d is nil", i));
            list[i] = Live<TqpCollision>(collisions[i], kCollisionHandle, fn, "collision");
            if (list[i]->World() != w->Newton())
                throw EngineError(Format("%s: collision %d belongs to another world", fn, i));
        }
        return TqpBody::Create(*w, list.data(), collisionCount)->Handle();
    });
}

QUARN_API void QUARN_CALL qpBodyDestroy(TqpBodyHandle body) {
    PhysicsGuardVoid([&] {
        TqpBody* b = Body(body, "qpBodyDestroy");
        b->World().ReleaseBody(b);
    });
}

QUARN_API void QUARN_CALL qpBodySetMass(TqpBodyHandle body, float mass) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpBodySetMass";
        TqpBody* b = Body(body, fn);
        FiniteFloat(mass, fn, "mass");
        if (mass < 0) throw EngineError(Format("%s: mass must not be negative", fn));
        if (b->IsTree() && mass != 0)
            throw EngineError(Format("%s: a tree collision body is always static", fn));
        if (!b->SetMass(mass))
            throw EngineError(
                Format("%s: mass %g makes the body's inertia leave the float range", fn, mass));
    });
}

QUARN_API float QUARN_CALL qpBodyGetMass(TqpBodyHandle body) {
    return PhysicsGuard(0.0f, [&] { return Body(body, "qpBodyGetMass")->Mass(); });
}

QUARN_API void QUARN_CALL qpBodySetCenterOfMass(TqpBodyHandle body, const TQUARNVector* centre) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpBodySetCenterOfMass";
        Body(body, fn)->SetCenterOfMass(ReadVector(centre, fn, "centre"));
    });
}

QUARN_API void QUARN_CALL qpBodyAddForce(TqpBodyHandle body, const TQUARNVector* force) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpBodyAddForce";
        Applied(Body(body, fn)->AddForce(ReadVector(force, fn, "force")), fn, "force");
    });
}

QUARN_API void QUARN_CALL qpBodyAddGlobalForce(TqpBodyHandle body, const TQUARNVector* point,
                                               const TQUARNVector* force) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpBodyAddGlobalForce";
        TqpBody* b = Body(body, fn);
        Applied(b->AddGlobalForce(ReadVector(point, fn, "point"), ReadVector(force, fn, "force")),
                fn, "force");
    });
}

QUARN_API void QUARN_CALL qpBodyAddLocalForce(TqpBodyHandle body, const TQUARNVector* point,
                                              const TQUARNVector* force) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpBodyAddLocalForce";
        TqpBody* b = Body(body, fn);
        Applied(b->AddLocalForce(ReadVector(point, fn, "point"), ReadVector(force, fn, "force")),
                fn, "force");
    });
}

QUARN_API void QUARN_CALL qpBodySetGlobalForce(TqpBodyHandle body, const TQUARNVector* force) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpBodySetGlobalForce";
        Body(body, fn)->SetGlobalForce(ReadVector(force, fn, "force"));
    });
}

QUARN_API void QUARN_CALL qpBodySetLocalForce(TqpBodyHandle body, const TQUARNVector* point,
                                              const TQUARNVector* force) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpBodySetLocalForce";
        TqpBody* b = Body(body, fn);
        Applied(b->SetLocalForce(ReadVector(point, fn, "point"), ReadVector(force, fn, "force")),
                fn, "force");
    });
}

QUARN_API TQUARNVector* QUARN_CALL qpBodyGetForce(TQUARNVector* result, TqpBodyHandle body) {
    return GetVector(result, body, "qpBodyGetForce", [](TqpBody& b) { return b.Force(); });
}

QUARN_API void QUARN_CALL qpBodyAddGlobalTorque(TqpBodyHandle body, const TQUARNVector* torque) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpBodyAddGlobalTorque";
        Applied(Body(body, fn)->AddGlobalTorque(ReadVector(torque, fn, "torque")), fn, "torque");
    });
}

QUARN_API void QUARN_CALL qpBodyAddLocalTorque(TqpBodyHandle body, const TQUARNVector* torque) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpBodyAddLocalTorque";
        Applied(Body(body, fn)->AddLocalTorque(ReadVector(torque, fn, "torque")), fn, "torque");
    });
}

QUARN_API void QUARN_CALL qpBodySetTorque(TqpBodyHandle body, const TQUARNVector* torque) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpBodySetTorque";
        Body(body, fn)->SetTorque(ReadVector(torque, fn, "torque"));
    });
}

QUARN_API TQUARNVector* QUARN_CALL qpBodyGetTorque(TQUARNVector* result, TqpBodyHandle body) {
    return GetVector(result, body, "qpBodyGetTorque", [](TqpBody& b) { return b.Torque(); });
}

QUARN_API void QUARN_CALL qpBodySetVelocity(TqpBodyHandle body, const TQUARNVector* velocity) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpBodySetVelocity";
        Body(body, fn)->SetVelocity(ReadVector(velocity, fn, "velocity"));
    });
}

QUARN_API TQUARNVector* QUARN_CALL qpBodyGetVelocity(TQUARNVector* result, TqpBodyHandle body) {
    return GetVector(result, body, "qpBodyGetVelocity", [](TqpBody& b) { return b.Velocity(); });
}

QUARN_API TQUARNVector* QUARN_CALL qpBodyGetVelocityAtGlobalPoint(TQUARNVector* result,
                                                                  TqpBodyHandle body,
                                                                  const TQUARNVector* point) {
    const char* fn = "qpBodyGetVelocityAtGlobalPoint";
    return GetVector(result, body, fn, [&](TqpBody& b) {
        return b.VelocityAtGlobalPoint(ReadVector(point, fn, "point"));
    });
}

QUARN_API TQUARNVector* QUARN_CALL qpBodyGetVelocityAtLocalPoint(TQUARNVector* result,
                                                                 TqpBodyHandle body,
                                                                 const TQUARNVector* point) {
    const char* fn = "qpBodyGetVelocityAtLocalPoint";
    return GetVector(result, body, fn, [&](TqpBody& b) {
        return b.VelocityAtLocalPoint(ReadVector(point, fn, "point"));
    });
}

QUARN_API void QUARN_CALL qpBodySetOmega(TqpBodyHandle body, const TQUARNVector* omega) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpBodySetOmega";
        Body(body, fn)->SetOmega(ReadVector(omega, fn, "omega"));
    });
}

QUARN_API TQUARNVector* QUARN_CALL qpBodyGetOmega(TQUARNVector* result, TqpBodyHandle body) {
    return GetVector(result, body, "qpBodyGetOmega", [](TqpBody& b) { return b.Omega(); });
}

QUARN_API void QUARN_CALL qpBodySetMatrix(TqpBodyHandle body, const TqpMatrix* matrix) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpBodySetMatrix";
        TqpBody* b = Body(body, fn);
        b->SetMatrix(ReadMatrix(matrix, fn, "matrix"));
    });
}

QUARN_API TqpMatrix* QUARN_CALL qpBodyGetMatrix(TqpMatrix* result, TqpBodyHandle body) {
    return PhysicsGuard<TqpMatrix*>(nullptr, [&] {
        const char* fn = "qpBodyGetMatrix";
        Result(result, fn);
        return PutMatrix(result, Body(body, fn)->Matrix());
    });
}

QUARN_API TqpMatrix* QUARN_CALL qpBodyGetInterpolatedMatrix(TqpMatrix* result, TqpBodyHandle body,
                                                            float alpha) {
    return PhysicsGuard<TqpMatrix*>(nullptr, [&] {
        const char* fn = "qpBodyGetInterpolatedMatrix";
        Result(result, fn);
        TqpBody* b = Body(body, fn);
        FiniteFloat(alpha, fn, "alpha");
        // An alpha far outside 0..1 extrapolates the pose past the float range: refused, so
        // the host never receives an infinite or NaN matrix.
        const Mat4 m = b->InterpolatedMatrix(alpha);
        for (float v : m.m)
            if (!std::isfinite(v))
                throw EngineError(Format("%s: alpha %g moves the pose out of the float range", fn,
                                         double(alpha)));
        return PutMatrix(result, m);
    });
}

QUARN_API void QUARN_CALL qpBodySetUserData(TqpBodyHandle body, void* userData) {
    PhysicsGuardVoid([&] { Body(body, "qpBodySetUserData")->SetUserData(userData); });
}

QUARN_API void* QUARN_CALL qpBodyGetUserData(TqpBodyHandle body) {
    return PhysicsGuard<void*>(nullptr,
                               [&] { return Body(body, "qpBodyGetUserData")->UserData(); });
}

QUARN_API void QUARN_CALL qpBodySetCoriolisForce(TqpBodyHandle body, TQUARNBool enabled) {
    PhysicsGuardVoid([&] { Body(body, "qpBodySetCoriolisForce")->SetCoriolisForce(enabled != 0); });
}

QUARN_API void QUARN_CALL qpBodySetContinuousCollision(TqpBodyHandle body, TQUARNBool enabled) {
    PhysicsGuardVoid(
        [&] { Body(body, "qpBodySetContinuousCollision")->SetContinuousCollision(enabled != 0); });
}

QUARN_API void QUARN_CALL qpBodySetAutoFreeze(TqpBodyHandle body, TQUARNBool enabled) {
    PhysicsGuardVoid([&] { Body(body, "qpBodySetAutoFreeze")->SetAutoFreeze(enabled != 0); });
}

QUARN_API void QUARN_CALL qpBodySetFreezeThreshold(TqpBodyHandle body, float speed2, float omega2,
                                                   int32_t frameCount) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpBodySetFreezeThreshold";
        TqpBody* b = Body(body, fn);
        FiniteFloat(speed2, fn, "squared speed");
        FiniteFloat(omega2, fn, "squared angular speed");
        b->SetFreezeThreshold(speed2, omega2, frameCount);
    });
}

QUARN_API void QUARN_CALL qpBodySetForceAndTorqueCallback(TqpBodyHandle body,
                                                          TqpForceAndTorqueCallback callback) {
    PhysicsGuardVoid([&] {
        Body(body, "qpBodySetForceAndTorqueCallback")->SetForceAndTorqueCallback(callback);
    });
}

QUARN_API void QUARN_CALL qpBodySetTransformCallback(TqpBodyHandle body,
                                                     TqpTransformCallback callback) {
    PhysicsGuardVoid(
        [&] { Body(body, "qpBodySetTransformCallback")->SetTransformCallback(callback); });
}

} // extern "C"
