// Joint exports: degrees here, radians inside.
#include "physics/world/Body.h"
#include "physics/exports/ExportGuard.h"
#include "physics/joints/JointHinge.h"
#include "physics/joints/JointUpVector.h"

using namespace quarn;

namespace {

TqpJointHandle ToHandle(TqpJointBase* joint) {
    return reinterpret_cast<TqpJointHandle>(joint);
}

TqpJointHinge* Hinge(TqpJointHandle h, const char* function) {
    auto* joint = Live<TqpJointBase>(h, kJointHandle, function, "joint");
    auto* hinge = dynamic_cast<TqpJointHinge*>(joint);
    if (!hinge) throw EngineError(Format("%s: the joint is not a hinge", function));
    return hinge;
}

// Nil is a no-op for the up-vector exports; another kind of joint is an error.
TqpJointUpVector* UpVector(TqpJointHandle h, const char* function) {
    if (!h) return nullptr;
    auto* joint =
        dynamic_cast<TqpJointUpVector*>(Live<TqpJointBase>(h, kJointHandle, function, "joint"));
    if (!joint) throw EngineError(Format("%s: the joint is not an up-vector joint", function));
    return joint;
}

Vec3 ReadPin(const TQUARNVector* pin, const char* function) {
    const Vec3 p = ReadVector(pin, function, "pin");
    if (VectorLength(p) < 1e-12f) throw EngineError(Format("%s: pin has zero length", function));
    return p;
}

float Radians(float degrees, const char* function, const char* what) {
    return static_cast<float>(FiniteFloat(degrees, function, what) * kDegToRad);
}

} // namespace

extern "C" {

QUARN_API TqpJointHandle QUARN_CALL qpJointCreateHinge(TqpBodyHandle parent, TqpBodyHandle child,
                                                       const TQUARNVector* pivot,
                                                       const TQUARNVector* pin) {
    return PhysicsGuard<TqpJointHandle>(nullptr, [&] {
        const char* fn = "qpJointCreateHinge";
        auto* c = Live<TqpBody>(child, kBodyHandle, fn, "child body");
        auto* p = parent ? Live<TqpBody>(parent, kBodyHandle, fn, "parent body") : nullptr;
        if (p == c) throw EngineError(Format("%s: a body cannot be hinged to itself", fn));
        if (p && &p->World() != &c->World())
            throw EngineError(Format("%s: the bodies belong to different worlds", fn));
        const Vec3 at = ReadVector(pivot, fn, "pivot");
        const Vec3 axis = ReadPin(pin, fn);
        return ToHandle(new TqpJointHinge(p ? p->Newton() : nullptr, c->Newton(), at, axis));
    });
}

QUARN_API void QUARN_CALL qpJointDestroy(TqpJointHandle joint) {
    PhysicsGuardVoid([&] {
        TqpJointBase::Destroy(Live<TqpJointBase>(joint, kJointHandle, "qpJointDestroy", "joint"));
    });
}

QUARN_API void QUARN_CALL qpJointSetHingeLimitsEnabled(TqpJointHandle joint, TQUARNBool enabled) {
    PhysicsGuardVoid(
        [&] { Hinge(joint, "qpJointSetHingeLimitsEnabled")->SetLimitsEnabled(enabled != 0); });
}

QUARN_API void QUARN_CALL qpJointSetHingeLimits(TqpJointHandle joint, float minDegrees,
                                                float maxDegrees) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpJointSetHingeLimits";
        TqpJointHinge* h = Hinge(joint, fn);
        h->SetLimits(Radians(minDegrees, fn, "minimum"), Radians(maxDegrees, fn, "maximum"));
    });
}

QUARN_API void QUARN_CALL qpJointSetHingeMotorEnabled(TqpJointHandle joint, TQUARNBool enabled) {
    PhysicsGuardVoid(
        [&] { Hinge(joint, "qpJointSetHingeMotorEnabled")->SetMotorEnabled(enabled != 0); });
}

QUARN_API void QUARN_CALL qpJointSetHingeMotorAccel(TqpJointHandle joint, float acceleration,
                                                    float damping) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpJointSetHingeMotorAccel";
        TqpJointHinge* h = Hinge(joint, fn);
        h->SetMotorAccel(FiniteFloat(acceleration, fn, "acceleration"),
                         FiniteFloat(damping, fn, "damping"));
    });
}

QUARN_API void QUARN_CALL qpJointSetHingeFixedAngleEnabled(TqpJointHandle joint,
                                                           TQUARNBool enabled) {
    PhysicsGuardVoid([&] {
        Hinge(joint, "qpJointSetHingeFixedAngleEnabled")->SetFixedAngleEnabled(enabled != 0);
    });
}

QUARN_API void QUARN_CALL qpJointSetHingeFixedAngle(TqpJointHandle joint, float degrees) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpJointSetHingeFixedAngle";
        TqpJointHinge* h = Hinge(joint, fn);
        h->SetFixedAngle(Radians(degrees, fn, "angle"));
    });
}

QUARN_API TqpJointHandle QUARN_CALL qpJointCreateUpVector(TqpBodyHandle body,
                                                          const TQUARNVector* pin) {
    return PhysicsGuard<TqpJointHandle>(nullptr, [&] {
        const char* fn = "qpJointCreateUpVector";
        auto* b = Live<TqpBody>(body, kBodyHandle, fn, "body");
        return ToHandle(new TqpJointUpVector(b->Newton(), ReadPin(pin, fn)));
    });
}

QUARN_API void QUARN_CALL qpJointDestroyUpVector(TqpJointHandle joint) {
    PhysicsGuardVoid([&] {
        // Frees either kind, as qpJointDestroy does; nil is ignored, as the up-vector
        // exports ignore it.
        if (!joint) return;
        TqpJointBase::Destroy(
            Live<TqpJointBase>(joint, kJointHandle, "qpJointDestroyUpVector", "joint"));
    });
}

QUARN_API void QUARN_CALL qpJointSetUpVectorPin(TqpJointHandle joint, const TQUARNVector* pin) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpJointSetUpVectorPin";
        if (TqpJointUpVector* j = UpVector(joint, fn)) j->SetPin(ReadPin(pin, fn));
    });
}

QUARN_API TQUARNVector* QUARN_CALL qpJointGetUpVectorPin(TQUARNVector* result,
                                                         TqpJointHandle joint) {
    return PhysicsGuard<TQUARNVector*>(nullptr, [&] {
        const char* fn = "qpJointGetUpVectorPin";
        NotNil(result, fn, "result");
        if (TqpJointUpVector* j = UpVector(joint, fn)) *result = ToExposed(j->Pin());
        return result;
    });
}

} // extern "C"
