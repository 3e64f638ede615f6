// The live-handle registry against a plain map, through growth and removals in random order
// (removal moves later members of a probe run back; a mistake there loses or invents members).
#include "common/FreedMemoryQuarantine.h"
#include "common/HandleRegistry.h"
#include "engine/core/EngineState.h"
#include "engine/materials/GLSLShader.h"
#include "engine/materials/Material.h"
#include "engine/scene/DynamicMeshObject.h"
#include "quarn/QuarnGL.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
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

// Handles are addresses: the allocator gives a freed object's memory to the next object of its
// size at once, so without held-back memory the stale handle would name the new object.
TEST(HandleRegistry, AFreedHandleStaysRefusedThroughThousandsOfLaterObjectsOfItsKind) {
    // The header promises 1000 later frees of any kind: the largest class must fit that often.
    static_assert(sizeof(TQGLGLSLShader) <= FreedMemoryQuarantine::kMaxBytes / 1000);
    static_assert(sizeof(TQGLDynamicMeshObject) <= FreedMemoryQuarantine::kMaxBytes / 1000);
    auto firstObject = std::make_unique<TQGLBaseDynamicMeshObject>();
    auto firstMaterial = std::make_unique<TQGLMaterial>();
    const void* staleObject = firstObject.get();
    const void* staleMaterial = firstMaterial.get();
    firstObject.reset();
    firstMaterial.reset();
    for (int i = 0; i < 3000; ++i) {
        auto object = std::make_unique<TQGLBaseDynamicMeshObject>();
        auto material = std::make_unique<TQGLMaterial>();
        ASSERT_FALSE(HandleRegistry::Instance().IsLive(staleObject, kDynamicObjectHandle)) << i;
        ASSERT_FALSE(HandleRegistry::Instance().IsLive(staleMaterial, kMaterialHandle)) << i;
    }
    const float yaw = GuardGL<float>(
        7.0f, [&] { return RequireLive<TQGLBaseDynamicMeshObject>(staleObject).Yaw; },
        "qglGetDynamicObjectYaw");
    EXPECT_EQ(yaw, 7.0f);
    EXPECT_STREQ(qglGetLastError(), "qglGetDynamicObjectYaw: not a live dynamic object handle");
}

TEST(FreedMemoryQuarantine, HoldsAtMostItsCountAndBytesOldestFirst) {
    FreedMemoryQuarantine quarantine;
    for (size_t i = 0; i < FreedMemoryQuarantine::kMaxObjects + 100; ++i)
        quarantine.Hold(::operator new(32), 32);
    EXPECT_EQ(quarantine.HeldObjects(), FreedMemoryQuarantine::kMaxObjects);
    EXPECT_EQ(quarantine.HeldBytes(), FreedMemoryQuarantine::kMaxObjects * 32);
    const size_t big = FreedMemoryQuarantine::kMaxBytes / 2;
    quarantine.Hold(::operator new(big), big);
    quarantine.Hold(::operator new(big), big); // the small ones and then the first big one go
    EXPECT_LE(quarantine.HeldBytes(), FreedMemoryQuarantine::kMaxBytes);
    EXPECT_GE(quarantine.HeldBytes(), big);
    quarantine.Hold(::operator new(FreedMemoryQuarantine::kMaxBytes + 1),
                    FreedMemoryQuarantine::kMaxBytes + 1); // over the budget: freed at once
    EXPECT_LE(quarantine.HeldBytes(), FreedMemoryQuarantine::kMaxBytes);
    quarantine.ReleaseAll();
    EXPECT_EQ(quarantine.HeldBytes(), 0u);
}
