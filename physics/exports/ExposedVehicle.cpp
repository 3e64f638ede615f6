// Vehicle exports.
#include "physics/world/Body.h"
#include "physics/exports/ExportGuard.h"
#include "physics/world/Vehicle.h"
#include "physics/world/World.h"

using namespace quarn;

extern "C" {

QUARN_API TqpVehicleHandle QUARN_CALL qpVehicleCreate(TqpBodyHandle chassis) {
    return PhysicsGuard<TqpVehicleHandle>(nullptr, [&] {
        auto* body = Live<TqpBody>(chassis, kBodyHandle, "qpVehicleCreate", "chassis");
        if (body->IsTree())
            throw EngineError("qpVehicleCreate: a tree collision body cannot be a chassis");
        return body->World().AdoptVehicle(std::make_unique<TqpVehicle>(*body))->Handle();
    });
}

#if defined(_WIN32) && !defined(_WIN64)
// The register-convention entry of 32-bit Windows (QuarnTyreCall32.h): same body, exported
// by the .def alone.
TqpTyreHandle __attribute__((regparm(3), stdcall))
qpVehicleAddTyreRegisterCall(TqpVehicleHandle vehicle, const TQUARNVector* position,
                             const TQUARNVector* pin, float length, float spring, float shock,
                             float radius, float width, float mass) {
#else
QUARN_API TqpTyreHandle qpVehicleAddTyre(TqpVehicleHandle vehicle, const TQUARNVector* position,
                                         const TQUARNVector* pin, float mass, float width,
                                         float radius, float shock, float spring, float length) {
#endif
    return PhysicsGuard<TqpTyreHandle>(nullptr, [&] {
        const char* fn = "qpVehicleAddTyre";
        auto* v = Live<TqpVehicle>(vehicle, kVehicleHandle, fn, "vehicle");
        TyreSettings s;
        s.position = ReadVector(position, fn, "position");
        s.pin = ReadVector(pin, fn, "pin");
        if (VectorLength(s.pin) < 1e-12f) throw EngineError(Format("%s: pin has zero length", fn));
        s.mass = FiniteFloat(mass, fn, "mass");
        s.width = FiniteFloat(width, fn, "width");
        s.radius = FiniteFloat(radius, fn, "radius");
        s.shock = FiniteFloat(shock, fn, "suspension shock");
        s.spring = FiniteFloat(spring, fn, "suspension spring");
        s.length = FiniteFloat(length, fn, "suspension length");
        if (s.mass <= 0 || s.radius <= 0)
            throw EngineError(Format("%s: mass and radius must be positive", fn));
        return v->AddTyre(s)->Handle();
    });
}

QUARN_API void QUARN_CALL qpVehicleSetTyreTorque(TqpTyreHandle tyre, float torque) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpVehicleSetTyreTorque";
        auto* t = Live<TqpVehicleTyre>(tyre, kTyreHandle, fn, "tyre");
        t->SetTorque(FiniteFloat(torque, fn, "torque"));
    });
}

QUARN_API void QUARN_CALL qpVehicleSetTyreSteerAngle(TqpTyreHandle tyre, float degrees) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpVehicleSetTyreSteerAngle";
        auto* t = Live<TqpVehicleTyre>(tyre, kTyreHandle, fn, "tyre");
        t->SetSteerAngle(static_cast<float>(FiniteFloat(degrees, fn, "angle") * kDegToRad));
    });
}

} // extern "C"
