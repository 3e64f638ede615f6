#include "physics/handles/HandleRegistry.h"

#include <algorithm>

namespace quarn {

HandleRegistry g_handles;

void HandleRegistry::Add(const void* object, HandleKind kind) {
    // At most half full (removed markers included), so probe runs stay short.
    if ((used_ + 1) * 2 > slots_.size())
        Rehash(live_ + 1 > slots_.size() / 4 ? std::max<size_t>(64, slots_.size() * 2)
                                             : slots_.size());
    const uintptr_t key = reinterpret_cast<uintptr_t>(object);
    size_t i = Home(key);
    while (slots_[i].key != kEmpty && slots_[i].key != kRemoved && slots_[i].key != key)
        i = (i + 1) & mask_;
    if (slots_[i].key != key) {
        if (slots_[i].key == kEmpty) ++used_;
        ++live_;
    }
    slots_[i] = Slot{key, kind};
}

void HandleRegistry::Remove(const void* object) noexcept {
    if (slots_.empty() || !object) return;
    const uintptr_t key = reinterpret_cast<uintptr_t>(object);
    for (size_t i = Home(key);; i = (i + 1) & mask_) {
        if (slots_[i].key == key) {
            slots_[i].key = kRemoved;
            --live_;
            return;
        }
        if (slots_[i].key == kEmpty) return;
    }
}

void HandleRegistry::Rehash(size_t capacity) {
    std::vector<Slot> old(capacity);
    old.swap(slots_);
    mask_ = capacity - 1;
    shift_ = 64;
    for (size_t c = capacity; c > 1; c >>= 1)
        --shift_;
    live_ = 0;
    used_ = 0;
    for (const Slot& slot : old)
        if (slot.key != kEmpty && slot.key != kRemoved)
            Add(reinterpret_cast<const void*>(slot.key), slot.kind);
}

} // namespace quarn
