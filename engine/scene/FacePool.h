// Storage for faces. Large meshes hold millions of them, so they are carved from big blocks
// (huge pages where the system offers them) instead of one heap allocation each. A freed face's
// slot serves the next face allocated on the same thread; blocks are kept for the life of the
// process.
#pragma once

#include <cstddef>

namespace quarn {

// One slot of at least slotSize bytes (the same size on every call).
void* AllocateFaceSlot(size_t slotSize);
void ReleaseFaceSlot(void* slot);

// Large short-lived build buffers (an octree build's view of millions of faces) on huge pages
// where the system offers them: first-touch page faults otherwise cost more than the build.
void* AllocateLargeBuffer(size_t bytes);
void ReleaseLargeBuffer(void* p, size_t bytes);

// Asks for huge pages under an existing large buffer (a reserved vertex array) before it is
// first written; only whole 2 MiB pages inside it are affected, and nothing when it is small.
void HintHugePages(void* buffer, size_t bytes);

template <class T> struct LargeBufferAllocator {
    using value_type = T;
    LargeBufferAllocator() = default;
    template <class U> LargeBufferAllocator(const LargeBufferAllocator<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(AllocateLargeBuffer(n * sizeof(T))); }
    void deallocate(T* p, size_t n) { ReleaseLargeBuffer(p, n * sizeof(T)); }
    template <class U> bool operator==(const LargeBufferAllocator<U>&) const { return true; }
    template <class U> bool operator!=(const LargeBufferAllocator<U>&) const { return false; }
};

} // namespace quarn
