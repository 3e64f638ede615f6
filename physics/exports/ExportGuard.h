// The physics exports' error guard and argument checks: a failed check raises an EngineError
// naming the export, which the guard turns into the last error and a neutral return.
#pragma once

#include "common/EngineError.h"
#include "common/ErrorGuard.h"
#include "common/QuarnMath.h"
#include "physics/handles/PhysicsHandles.h"
#include "quarn/QuarnPhysics.h"

#include <cmath>

namespace quarn {

LastError& PhysicsLastError();

template <class R, class F> R PhysicsGuard(R neutral, F&& body) noexcept {
    return GuardedCall(PhysicsLastError(), nullptr, neutral, std::forward<F>(body));
}
template <class F> void PhysicsGuardVoid(F&& body) noexcept {
    GuardedVoid(PhysicsLastError(), nullptr, std::forward<F>(body));
}

template <class T> T* NotNil(T* pointer, const char* function, const char* what) {
    if (!pointer) throw EngineError(Format("%s: %s is nil", function, what));
    return pointer;
}

// The object behind a handle, checked against the live objects of its kind before it is
// touched: nil gives "F: what is nil", anything else that is not a live object of that kind
// (freed, of another kind, foreign) "F: not a live <kind> handle".
[[noreturn]] void RefuseHandle(const void* handle, HandleKinds kind, const char* function,
                               const char* what);
template <class T, class H>
T* Live(H handle, HandleKinds kind, const char* function, const char* what) {
    if (!HandleRegistry::Instance().IsLive(handle, kind))
        RefuseHandle(handle, kind, function, what);
    return static_cast<T*>(static_cast<void*>(handle));
}

inline float FiniteFloat(float value, const char* function, const char* what) {
    if (!std::isfinite(value))
        throw EngineError(Format("%s: %s is not a finite number", function, what));
    return value;
}

Vec3 ReadVector(const TQUARNVector* v, const char* function, const char* what);
Mat4 ReadMatrix(const TqpMatrix* m, const char* function, const char* what);
TQUARNVector ToExposed(const Vec3& v);

} // namespace quarn
