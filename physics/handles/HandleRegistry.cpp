#include "physics/handles/HandleRegistry.h"

#include "common/EngineError.h"

#include <algorithm>

namespace quarn {

HandleRegistry g_handles;

void HandleRegistry::Add(const void* object, HandleKind kind) {
    const uintptr_t address = reinterpret_cast<uintptr_t>(object);
    if (!object || (address & kKindBits) != 0)
        throw EngineError("An object of the library is not 8-byte aligned");
    // At most half full (removed markers included), so probe runs stay short.
    if ((used_ + 1) * 2 > slots_.size())
        Rehash((live_ + 1) * 4 > slots_.size() ? std::max<size_t>(64, slots_.size() * 2)
                                               : slots_.size());
    size_t i = Home(address);
    size_t reuse = slots_.size();
    for (;; i = (i + 1) & mask_) {
        const uintptr_t slot = slots_[i];
        if ((slot & ~kKindBits) == address) { // already there: a new kind for the address
            slots_[i] = address | uintptr_t(kind);
            return;
        }
        if (slot == kRemoved && reuse == slots_.size()) reuse = i;
        if (slot == kEmpty) break;
    }
    if (reuse != slots_.size())
        i = reuse;
    else
        ++used_;
    slots_[i] = address | uintptr_t(kind);
    ++live_;
}

void HandleRegistry::Remove(const void* object) noexcept {
    const uintptr_t address = reinterpret_cast<uintptr_t>(object);
    if (slots_.empty() || !object || (address & kKindBits) != 0) return;
    for (size_t i = Home(address);; i = (i + 1) & mask_) {
        if ((slots_[i] & ~kKindBits) == address) {
            slots_[i] = kRemoved;
            --live_;
            return;
        }
        if (slots_[i] == kEmpty) return;
    }
}

void HandleRegistry::Rehash(size_t capacity) {
    std::vector<uintptr_t> old(capacity, kEmpty);
    old.swap(slots_);
    mask_ = capacity - 1;
    shift_ = 64;
    for (size_t c = capacity; c > 1; c >>= 1)
        --shift_;
    live_ = 0;
    used_ = 0;
    for (const uintptr_t slot : old)
        if (slot != kEmpty && slot != kRemoved)
            Add(reinterpret_cast<const void*>(slot & ~kKindBits),
                static_cast<HandleKind>(slot & kKindBits));
}

} // namespace quarn
