// The live objects behind the handles the library hands out, by kind. Every export checks its
// handles here before touching them, so a stale, foreign or wrong-kind handle is refused
// without reading the memory it points at. Lookups allocate nothing and take a few probes of
// an open-addressing table keyed by the address.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quarn {

enum class HandleKind : uint8_t { World = 1, Collision, Body, Joint, Vehicle, Tyre };

class HandleRegistry {
  public:
    // Makes room first, so an object registered in its constructor is in the table or was
    // never made.
    void Add(const void* object, HandleKind kind);
    void Remove(const void* object) noexcept;
    bool IsLive(const void* object, HandleKind kind) const noexcept {
        if (slots_.empty() || !object) return false;
        const uintptr_t key = reinterpret_cast<uintptr_t>(object);
        for (size_t i = Home(key);; i = (i + 1) & mask_) {
            const Slot& slot = slots_[i];
            if (slot.key == key) return slot.kind == kind;
            if (slot.key == kEmpty) return false;
        }
    }
    size_t LiveCount() const { return live_; }

  private:
    static constexpr uintptr_t kEmpty = 0;
    static constexpr uintptr_t kRemoved = 1; // no object lives at address 1
    struct Slot {
        uintptr_t key = kEmpty;
        HandleKind kind = HandleKind::World;
    };
    size_t Home(uintptr_t key) const noexcept {
        return static_cast<size_t>(((key >> 4) * 0x9E3779B97F4A7C15ull) >> shift_) & mask_;
    }
    void Rehash(size_t capacity);

    std::vector<Slot> slots_;
    size_t mask_ = 0;
    unsigned shift_ = 64;
    size_t live_ = 0;
    size_t used_ = 0; // live entries plus removed markers
};

// The library's one registry (the library is single-threaded by contract).
extern HandleRegistry g_handles;

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
