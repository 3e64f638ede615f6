// The kinds of handle the physics library hands out, checked in the library's own instance of
// the live-handle registry (common/HandleRegistry.h), and the memory each kind holds back after
// a free so that a stale handle never names a newer object.
#pragma once

#include "common/FreedMemoryQuarantine.h"
#include "common/HandleRegistry.h"

namespace quarn {

constexpr HandleKinds kWorldHandle = 1u << 0;
constexpr HandleKinds kCollisionHandle = 1u << 1;
constexpr HandleKinds kBodyHandle = 1u << 2;
constexpr HandleKinds kJointHandle = 1u << 3;
constexpr HandleKinds kVehicleHandle = 1u << 4;
constexpr HandleKinds kTyreHandle = 1u << 5;

// The memory of freed objects of one kind (see FreedMemoryQuarantine).
template <HandleKinds K> FreedMemoryQuarantine& KindQuarantine() {
    static FreedMemoryQuarantine quarantine;
    return quarantine;
}
// The base of each class handed out as kind K.
template <HandleKinds K> using HeldAfterFreeAs = HeldAfterFree<&KindQuarantine<K>>;

} // namespace quarn
