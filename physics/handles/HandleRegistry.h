// The live objects behind the handles the library hands out, by kind. Every export checks its
// handles here before touching them, so a stale, foreign or wrong-kind handle is refused
// without reading the memory it points at. Lookups allocate nothing and take a few probes of
// an open-addressing table keyed by the address.
#pragma once

#include "common/FreedMemoryQuarantine.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quarn {

enum class HandleKind : uint8_t { World = 1, Collision, Body, Joint, Vehicle, Tyre };

class HandleRegistry {
  public:
    // May grow the table; an object registered in its constructor is in the table or was
    // never made.
    void Add(const void* object, HandleKind kind);
    void Remove(const void* object) noexcept;
    bool IsLive(const void* object, HandleKind kind) const noexcept {
        const uintptr_t address = reinterpret_cast<uintptr_t>(object);
        // Address 0 would match the empty and removed markers.
        if (address == 0 || (address & kKindBits) != 0 || slots_.empty()) return false;
        for (size_t i = Home(address);; i = (i + 1) & mask_) {
            const uintptr_t slot = slots_[i];
            if ((slot & ~kKindBits) == address) return (slot & kKindBits) == uintptr_t(kind);
            if (slot == kEmpty) return false;
        }
    }
    size_t LiveCount() const { return live_; }

  private:
    // A slot holds the object's address with its kind in the low bits (objects are at least
    // 8-byte aligned); 0 is an empty slot, 1 one whose object was removed.
    static constexpr uintptr_t kKindBits = 7;
    static constexpr uintptr_t kEmpty = 0;
    static constexpr uintptr_t kRemoved = 1;
    size_t Home(uintptr_t address) const noexcept {
        return static_cast<size_t>(((address >> 3) * 0x9E3779B97F4A7C15ull) >> shift_);
    }
    void Rehash(size_t capacity);

    std::vector<uintptr_t> slots_;
    size_t mask_ = 0;
    unsigned shift_ = 63;
    size_t live_ = 0;
    size_t used_ = 0; // live entries plus removed markers
};

// The library's one registry (the library is single-threaded by contract).
extern HandleRegistry g_handles;

// The memory of freed objects of one kind, held back so that a new object does not take a stale
// handle's address (see FreedMemoryQuarantine).
template <HandleKind K> FreedMemoryQuarantine& KindQuarantine() {
    static FreedMemoryQuarantine quarantine;
    return quarantine;
}
// The base of each class handed out as kind K.
template <HandleKind K> using HeldAfterFreeAs = HeldAfterFree<&KindQuarantine<K>>;

// A member that keeps its owner registered for exactly the owner's lifetime. Declared first,
// it registers before anything else of the owner exists and leaves last, also when the
// owner's constructor throws.
class RegisteredHandle {
  public:
    RegisteredHandle(const void* owner, HandleKind kind) : owner_(owner) {
        g_handles.Add(owner, kind);
    }
    ~RegisteredHandle() { g_handles.Remove(owner_); }
    RegisteredHandle(const RegisteredHandle&) = delete;
    RegisteredHandle& operator=(const RegisteredHandle&) = delete;
    // Ends the handle early (an object whose destruction is deferred).
    void Withdraw() noexcept { g_handles.Remove(owner_); }

  private:
    const void* owner_;
};

} // namespace quarn
