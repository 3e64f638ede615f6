// The physics library's live objects: answers by address and kind through growth and removals.
#include "physics/handles/PhysicsHandles.h"

#include <gtest/gtest.h>

#include <cstdint>

using quarn::HandleKinds;
using quarn::HandleRegistry;

namespace {

const void* Address(uintptr_t i) {
    return reinterpret_cast<const void*>(0x10000 + i * 48);
}

const HandleKinds kKinds[] = {quarn::kWorldHandle, quarn::kCollisionHandle, quarn::kBodyHandle,
                              quarn::kJointHandle, quarn::kVehicleHandle,   quarn::kTyreHandle};

} // namespace

// Removed slots (every slot has been one here) must never make nil, a freed address or another
// kind look live; re-added addresses take their new kind.
TEST(HandleRegistry, KnowsExactlyTheLiveObjectsAndTheirKindsThroughGrowthAndRemoval) {
    // The library's own instance, which may hold objects of earlier tests: counts are compared
    // with what it held before.
    HandleRegistry& registry = HandleRegistry::Instance();
    const size_t before = registry.Count();
    for (HandleKinds kind : kKinds)
        EXPECT_FALSE(registry.IsLive(nullptr, kind));
    constexpr uintptr_t kCount = 3000;
    for (uintptr_t i = 0; i < kCount; ++i)
        registry.Add(Address(i), kKinds[i % 6]);
    EXPECT_EQ(registry.Count(), before + kCount);
    for (uintptr_t i = 0; i < kCount; ++i) {
        EXPECT_TRUE(registry.IsLive(Address(i), kKinds[i % 6]));
        EXPECT_FALSE(registry.IsLive(Address(i), kKinds[(i + 1) % 6]));
    }
    for (uintptr_t i = 0; i < kCount; ++i)
        registry.Remove(Address(i), kKinds[i % 6]);
    EXPECT_EQ(registry.Count(), before);
    for (HandleKinds kind : kKinds) {
        EXPECT_FALSE(registry.IsLive(nullptr, kind));
        EXPECT_FALSE(registry.IsLive(Address(7), kind));
    }
    EXPECT_FALSE(registry.IsLive(reinterpret_cast<const void*>(0x10003), quarn::kBodyHandle));
    for (uintptr_t i = 0; i < kCount; i += 2)
        registry.Add(Address(i), quarn::kTyreHandle);
    for (uintptr_t i = 0; i < kCount; ++i)
        EXPECT_EQ(registry.IsLive(Address(i), quarn::kTyreHandle), i % 2 == 0) << i;
    for (uintptr_t i = 0; i < kCount; i += 2)
        registry.Remove(Address(i), quarn::kTyreHandle);
    EXPECT_EQ(registry.Count(), before);
    EXPECT_FALSE(registry.IsLive(nullptr, quarn::kWorldHandle));
}
