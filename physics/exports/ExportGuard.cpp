#include "physics/exports/ExportGuard.h"

namespace quarn {

static_assert(sizeof(TqpMatrix) == sizeof(Mat4), "matrices cross the boundary unchanged");
static_assert(sizeof(TQUARNVector) == sizeof(Vec3), "vectors cross the boundary unchanged");

LastError& PhysicsLastError() {
    static LastError error;
    return error;
}

void RefuseHandle(const void* handle, HandleKinds kind, const char* function, const char* what) {
    if (!handle) throw EngineError(Format("%s: %s is nil", function, what));
    static const char* const kNames[] = {"world", "collision", "body", "joint", "vehicle", "tyre"};
    const unsigned bit = kind ? unsigned(__builtin_ctz(kind)) : 0u;
    throw EngineError(Format("%s: not a live %s handle", function, bit < 6 ? kNames[bit] : "?"));
}

Vec3 ReadVector(const TQUARNVector* v, const char* function, const char* what) {
    NotNil(v, function, what);
    const Vec3 out{v->x, v->y, v->z};
    if (!IsFinite(out)) throw EngineError(Format("%s: %s is not a finite vector", function, what));
    return out;
}

Mat4 ReadMatrix(const TqpMatrix* m, const char* function, const char* what) {
    NotNil(m, function, what);
    Mat4 out;
    for (int i = 0; i < 16; ++i)
        out.m[i] = m->m[i];
    if (!IsFinite(out)) throw EngineError(Format("%s: %s is not a finite matrix", function, what));
    return out;
}

TQUARNVector ToExposed(const Vec3& v) {
    return TQUARNVector{v.x, v.y, v.z};
}

} // namespace quarn

extern "C" {

QUARN_API const char* QUARN_CALL qpGetLastError(void) {
    return quarn::PhysicsGuard<const char*>(nullptr,
                                            [] { return quarn::PhysicsLastError().Get(); });
}

QUARN_API void QUARN_CALL qpClearLastError(void) {
    quarn::PhysicsGuardVoid([] { quarn::PhysicsLastError().Clear(); });
}

QUARN_API int32_t QUARN_CALL qpGetVersion(void) {
    return QUARN_VERSION_NUMBER;
}
}
