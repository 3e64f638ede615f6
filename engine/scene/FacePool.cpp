#include "engine/scene/FacePool.h"

#ifdef _WIN32
#include <malloc.h>
#else
#include <sys/mman.h>
#endif

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

namespace quarn {

namespace {

constexpr size_t kBlockBytes = size_t(2) << 20; // one huge page

// Blocks aligned to a huge page, so the kernel may back them with one (a hint only: plain
// pages work the same; Windows gets plain pages).
void* AlignedBlock(size_t bytes) {
#ifdef _WIN32
    return _aligned_malloc(bytes, kBlockBytes);
#else
    void* p = std::aligned_alloc(kBlockBytes, bytes);
    if (p) madvise(p, bytes, MADV_HUGEPAGE);
    return p;
#endif
}
void FreeAlignedBlock(void* p) {
#ifdef _WIN32
    _aligned_free(p);
#else
    std::free(p);
#endif
}

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
    void* block = AlignedBlock(kBlockBytes);
    if (!block) throw std::bad_alloc();
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
    void* p = AlignedBlock(rounded);
    if (!p) throw std::bad_alloc();
    return p;
}

void HintHugePages(void* buffer, size_t bytes) {
    const auto start = reinterpret_cast<uintptr_t>(buffer);
    const uintptr_t first = (start + kBlockBytes - 1) / kBlockBytes * kBlockBytes;
    const uintptr_t last = (start + bytes) / kBlockBytes * kBlockBytes;
#ifdef _WIN32
    (void)first;
    (void)last;
#else
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

void ReleaseLargeBuffer(void* p, size_t bytes) {
    if (bytes < kBlockBytes)
        ::operator delete(p);
    else
        FreeAlignedBlock(p);
}

void ReleaseFaceSlot(void* slot) {
    auto* freed = static_cast<FreeSlot*>(slot);
    freed->next = t_slots.freed;
    t_slots.freed = freed;
}

} // namespace quarn
