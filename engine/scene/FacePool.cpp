#include "engine/scene/FacePool.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

namespace quarn {

namespace {

constexpr size_t kBlockBytes = size_t(2) << 20; // one huge page

struct FreeSlot {
    FreeSlot* next;
};

struct ThreadSlots {
    char* next = nullptr;
    char* end = nullptr;
    FreeSlot* freed = nullptr;
};
thread_local ThreadSlots t_slots;

// Every block stays reachable from here, whichever thread carved it.
char* NewBlock() {
    static std::mutex mutex;
    static std::vector<void*> blocks;
    void* block = std::aligned_alloc(kBlockBytes, kBlockBytes);
    if (!block) throw std::bad_alloc();
    madvise(block, kBlockBytes, MADV_HUGEPAGE); // only a hint: plain pages work the same
    const std::lock_guard<std::mutex> lock(mutex);
    blocks.push_back(block);
    return static_cast<char*>(block);
}

} // namespace

void* AllocateFaceSlot(size_t slotSize) {
    ThreadSlots& s = t_slots;
    if (FreeSlot* slot = s.freed) {
        s.freed = slot->next;
        return slot;
    }
    if (size_t(s.end - s.next) < slotSize) {
        s.next = NewBlock();
        s.end = s.next + kBlockBytes;
    }
    void* slot = s.next;
    s.next += slotSize;
    return slot;
}

void* AllocateLargeBuffer(size_t bytes) {
    if (bytes < kBlockBytes) return ::operator new(bytes);
    const size_t rounded = (bytes + kBlockBytes - 1) / kBlockBytes * kBlockBytes;
    void* p = std::aligned_alloc(kBlockBytes, rounded);
    if (!p) throw std::bad_alloc();
    madvise(p, rounded, MADV_HUGEPAGE);
    return p;
}

void HintHugePages(void* buffer, size_t bytes) {
    const auto start = reinterpret_cast<uintptr_t>(buffer);
    const uintptr_t first = (start + kBlockBytes - 1) / kBlockBytes * kBlockBytes;
    const uintptr_t last = (start + bytes) / kBlockBytes * kBlockBytes;
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

void ReleaseLargeBuffer(void* p, size_t bytes) {
    if (bytes < kBlockBytes)
        ::operator delete(p);
    else
        std::free(p);
}

void ReleaseFaceSlot(void* slot) {
    auto* freed = static_cast<FreeSlot*>(slot);
    freed->next = t_slots.freed;
    t_slots.freed = freed;
}

} // namespace quarn
