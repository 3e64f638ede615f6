// The table of live objects: answers by address and kind through growth and removals.
#include "physics/handles/HandleRegistry.h"

#include <gtest/gtest.h>

#include <cstdint>

using quarn::HandleKind;
using quarn::HandleRegistry;

namespace {

const void* Address(uintptr_t i) {
    return reinterpret_cast<const void*>(0x10000 + i * 48);
}

const HandleKind kKinds[] = {HandleKind::World, HandleKind::Collision, HandleKind::Body,
                             HandleKind::Joint, HandleKind::Vehicle,   HandleKind::Tyre};

} // namespace

// Removed slots (every slot has been one here) must never make nil, a freed address or another
// kind look live; re-added addresses take their new kind.
TEST(HandleRegistry, KnowsExactlyTheLiveObjectsAndTheirKindsThroughGrowthAndRemoval) {
    HandleRegistry registry;
    for (HandleKind kind : kKinds)
        EXPECT_FALSE(registry.IsLive(nullptr, kind));
    constexpr uintptr_t kCount = 3000;
    for (uintptr_t i = 0; i < kCount; ++i)
        registry.Add(Address(i), kKinds[i % 6]);
    EXPECT_EQ(registry.LiveCount(), kCount);
    for (uintptr_t i = 0; i < kCount; ++i) {
        EXPECT_TRUE(registry.IsLive(Address(i), kKinds[i % 6]));
        EXPECT_FALSE(registry.IsLive(Address(i), kKinds[(i + 1) % 6]));
    }
    for (uintptr_t i = 0; i < kCount; ++i)
        registry.Remove(Address(i));
    EXPECT_EQ(registry.LiveCount(), 0u);
    for (HandleKind kind : kKinds) {
        EXPECT_FALSE(registry.IsLive(nullptr, kind));
        EXPECT_FALSE(registry.IsLive(Address(7), kind));
    }
    EXPECT_FALSE(registry.IsLive(reinterpret_cast<const void*>(0x10003), HandleKind::Body));
    for (uintptr_t i = 0; i < kCount; i += 2)
        registry.Add(Address(i), HandleKind::Tyre);
    for (uintptr_t i = 0; i < kCount; ++i)
        EXPECT_EQ(registry.IsLive(Address(i), HandleKind::Tyre), i % 2 == 0) << i;
    EXPECT_FALSE(registry.IsLive(nullptr, HandleKind::World));
}
