#include "common/HandleRegistry.h"

#include <memory>

namespace quarn {

HandleRegistry g_handleRegistry;

void ThrowDeadHandle(const char* kindName) {
    throw HandleError(std::string("not a live ") + kindName + " handle");
}

void HandleRegistry::Add(const void* object, HandleKinds kinds) {
    const uintptr_t key = reinterpret_cast<uintptr_t>(object);
    if (key == 0 || kinds == 0) return;
    const size_t found = Find(object);
    if (found != kNone) {
        slots_[found].kinds |= kinds;
        return;
    }
    if ((count_ + 1) * 2 > capacity_) Grow(); // at most half full: probes stay short
    const size_t mask = capacity_ - 1;
    size_t i = Home(key);
    while (slots_[i].key != 0)
        i = (i + 1) & mask;
    slots_[i] = Slot{key, kinds};
    ++count_;
}

void HandleRegistry::Remove(const void* object, HandleKinds kinds) {
    size_t hole = Find(object);
    if (hole == kNone) return;
    slots_[hole].kinds &= ~kinds;
    if (slots_[hole].kinds != 0) return;
    // Linear probing without tombstones: later members of the probe run move back into the hole
    // unless their home lies cyclically after it.
    const size_t mask = capacity_ - 1;
    slots_[hole] = Slot{};
    for (size_t i = (hole + 1) & mask; slots_[i].key != 0; i = (i + 1) & mask) {
        const size_t home = Home(slots_[i].key);
        const bool stays = hole <= i ? (hole < home && home <= i) : (hole < home || home <= i);
        if (stays) continue;
        slots_[hole] = slots_[i];
        slots_[i] = Slot{};
        hole = i;
    }
    --count_;
}

void HandleRegistry::Grow() {
    // Plain arrays, never freed at exit (the registry outlives every object).
    const size_t oldCapacity = capacity_;
    std::unique_ptr<Slot[]> old(slots_);
    capacity_ = capacity_ ? capacity_ * 2 : 64;
    slots_ = new Slot[capacity_];
    shift_ = unsigned(64 - __builtin_ctzll(capacity_));
    count_ = 0;
    for (size_t i = 0; i < oldCapacity; ++i)
        if (old[i].key != 0) Add(reinterpret_cast<const void*>(old[i].key), old[i].kinds);
}

} // namespace quarn
