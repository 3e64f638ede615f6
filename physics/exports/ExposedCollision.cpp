// Collision exports.
#include "physics/exports/ExportGuard.h"
#include "physics/world/Collision.h"
#include "physics/world/World.h"

using namespace quarn;

extern "C" {

QUARN_API TqpCollisionHandle QUARN_CALL qpCollisionCreateBySize(TqpWorldHandle world, int32_t kind,
                                                                const TQUARNVector* size) {
    return PhysicsGuard<TqpCollisionHandle>(nullptr, [&] {
        const char* fn = "qpCollisionCreateBySize";
        TqpWorld* w = Live<TqpWorld>(world, kWorldHandle, fn, "world");
        const Vec3 extent = ReadVector(size, fn, "size");
        return w->AdoptCollision(TqpCollision::CreateBySize(w->Newton(), kind, extent))->Handle();
    });
}

QUARN_API TqpCollisionHandle QUARN_CALL qpCollisionCreateByFace(TqpWorldHandle world, int32_t kind,
                                                                const TQUARNFaceData* faces) {
    return PhysicsGuard<TqpCollisionHandle>(nullptr, [&] {
        auto* w = Live<TqpWorld>(world, kWorldHandle, "qpCollisionCreateByFace", "world");
        auto collision = faces ? TqpCollision::CreateByFace(w->Newton(), kind, *faces)
                               : TqpCollision::CreateBySize(w->Newton(), kind, Vec3{});
        return w->AdoptCollision(std::move(collision))->Handle();
    });
}

} // extern "C"
