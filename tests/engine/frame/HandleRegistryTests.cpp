// The live-handle registry against a plain map, through growth and removals in random order
// (removal moves later members of a probe run back; a mistake there loses or invents members).
#include "common/HandleRegistry.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

using namespace quarn;

TEST(HandleRegistry, AgreesWithAMapThroughGrowthAndRandomRemovals) {
    HandleRegistry& registry = HandleRegistry::Instance();
    const size_t before = registry.Count();
    std::vector<char> storage(64 * 1024);
    std::map<const void*, HandleKinds> expected;
    std::mt19937 rng(12345);
    for (int step = 0; step < 40000; ++step) {
        // Addresses 16 bytes apart, as the allocator hands them out, so probe runs collide.
        const void* p = &storage[(rng() % 4096) * 16];
        const HandleKinds kind = 1u << (rng() % 3);
        if (rng() % 3 != 0) {
            registry.Add(p, kind);
            expected[p] |= kind;
        } else {
            registry.Remove(p, kind);
            auto it = expected.find(p);
            if (it != expected.end() && (it->second &= ~kind) == 0) expected.erase(it);
        }
        if (step % 1000 == 0 || step == 39999)
            for (size_t i = 0; i < 4096; ++i) {
                const void* q = &storage[i * 16];
                const auto it = expected.find(q);
                for (HandleKinds k : {1u, 2u, 4u})
                    ASSERT_EQ(registry.IsLive(q, k), it != expected.end() && (it->second & k))
                        << "step " << step << " slot " << i << " kind " << k;
            }
    }
    EXPECT_EQ(registry.Count(), before + expected.size());
    for (const auto& [p, kinds] : expected)
        registry.Remove(p, kinds);
    EXPECT_EQ(registry.Count(), before);
    EXPECT_FALSE(registry.IsLive(nullptr, ~0u));
}
