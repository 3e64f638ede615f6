// Contact material exports, meant for the contact-process callback.
#include "physics/exports/ExportGuard.h"
#include "physics/newton/Newton.h"
#include "physics/world/ContactCallbacks.h"

using namespace quarn;

namespace {

const NewtonMaterial* Material(TqpMaterialHandle h, const char* function) {
    NotNil(h, function, "material");
    if (!IsLiveMaterial(h))
        throw EngineError(
            Format("%s: not the material of a contact being processed (use it only inside the "
                   "contact-process callback)",
                   function));
    return reinterpret_cast<const NewtonMaterial*>(h);
}

} // namespace

extern "C" {

QUARN_API void QUARN_CALL qpMaterialSetContactTangentDirection(TqpMaterialHandle material,
                                                               const TQUARNVector* direction) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpMaterialSetContactTangentDirection";
        const NewtonMaterial* m = Material(material, fn);
        const Vec3 d = ReadVector(direction, fn, "direction");
        if (VectorLength(d) == 0.0f) throw EngineError(Format("%s: direction is zero", fn));
        NewtonMaterialContactRotateTangentDirections(m, &d.x);
    });
}

QUARN_API void QUARN_CALL qpMaterialSetContactTangentAcceleration(TqpMaterialHandle material,
                                                                  float acceleration,
                                                                  int32_t tangentIndex) {
    PhysicsGuardVoid([&] {
        const char* fn = "qpMaterialSetContactTangentAcceleration";
        const NewtonMaterial* m = Material(material, fn);
        FiniteFloat(acceleration, fn, "acceleration");
        if (tangentIndex != 0 && tangentIndex != 1)
            throw EngineError(
                Format("%s: tangent index must be 0 or 1 (%d given)", fn, tangentIndex));
        NewtonMaterialSetContactTangentAcceleration(m, acceleration, tangentIndex);
    });
}

} // extern "C"
