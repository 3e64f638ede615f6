// The registry of live objects that a library hands out as handles. Each object registers
// itself (a LiveHandle member) for the kinds it can be passed as; every export that takes a
// handle checks it with RequireLive before touching the object, so a stale (freed or given up),
// foreign or wrong-kind pointer becomes an error instead of a crash. Handles stay plain
// pointers. Lookups are O(1) and never allocate; only registering may grow the table.
#pragma once

#include "common/EngineError.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace quarn {

// One bit per handle kind; each library numbers its own kinds (one registry per library).
using HandleKinds = uint32_t;

class HandleRegistry {
  public:
    // The library's registry: constant-initialised and never freed, so objects may register
    // before main and unregister during exit, and a check costs no initialisation guard.
    static HandleRegistry& Instance();
    constexpr HandleRegistry() = default;

    void Add(const void* object, HandleKinds kinds);
    // Removes the kinds; the entry goes when no kind is left. Unknown objects are ignored.
    void Remove(const void* object, HandleKinds kinds);
    bool IsLive(const void* object, HandleKinds kind) const noexcept {
        const size_t slot = Find(object);
        return slot != kNone && (slots_[slot].kinds & kind) != 0;
    }
    size_t Count() const { return count_; }

  private:
    struct Slot {
        uintptr_t key = 0; // 0: empty
        HandleKinds kinds = 0;
    };
    static constexpr size_t kNone = SIZE_MAX;

    size_t Home(uintptr_t key) const noexcept {
        // Fibonacci hashing of the address without its alignment bits.
        return size_t(((key >> 4) * 0x9E3779B97F4A7C15ull) >> shift_);
    }
    size_t Find(const void* object) const noexcept {
        const uintptr_t key = reinterpret_cast<uintptr_t>(object);
        if (key == 0 || capacity_ == 0) return kNone;
        const size_t mask = capacity_ - 1;
        for (size_t i = Home(key);; i = (i + 1) & mask) {
            if (slots_[i].key == key) return i;
            if (slots_[i].key == 0) return kNone;
        }
    }
    void Grow();

    Slot* slots_ = nullptr; // capacity_ slots, a power of two; allocated on the first Add
    size_t capacity_ = 0;
    unsigned shift_ = 64; // 64 - log2(capacity_): the right shift of the 64-bit hash
    size_t count_ = 0;
};

extern HandleRegistry g_handleRegistry;

inline HandleRegistry& HandleRegistry::Instance() {
    return g_handleRegistry;
}

// A member of every class whose objects are handed out: registers its owner for the given
// kinds while the owner lives. Retire gives the handle up early (the object is about to be
// freed, e.g. marked for deferred deletion): from then on the exports refuse it.
class LiveHandle {
  public:
    LiveHandle(const void* owner, HandleKinds kinds) : owner_(owner), kinds_(kinds) {
        HandleRegistry::Instance().Add(owner_, kinds_);
    }
    ~LiveHandle() { Retire(); }
    LiveHandle(const LiveHandle&) = delete;
    LiveHandle& operator=(const LiveHandle&) = delete;

    void Retire() noexcept {
        if (!kinds_) return;
        try {
            HandleRegistry::Instance().Remove(owner_, kinds_);
        } catch (...) {
        }
        kinds_ = 0;
    }
    bool Live() const { return kinds_ != 0; }

  private:
    const void* owner_;
    HandleKinds kinds_;
};

// A handle check failed. The export guard puts the export's name in front of the message.
class HandleError : public EngineError {
  public:
    using EngineError::EngineError;
};

// Each handed-out class names its kind bit and the words of its error message:
//   template <> struct HandleTraits<TQGLMaterial> {
//       static constexpr HandleKinds kind = kMaterialHandle;
//       static constexpr const char* name = "material";
//   };
template <class T> struct HandleTraits;

// Raises HandleError "not a live <kindName> handle" (out of line: the check stays small).
[[noreturn]] void ThrowDeadHandle(const char* kindName);

// The object behind a handle that passed the check; raises HandleError ("not a live material
// handle") for a stale, foreign, wrong-kind or null one.
template <class T> T& RequireLive(const void* handle) {
    if (__builtin_expect(!HandleRegistry::Instance().IsLive(handle, HandleTraits<T>::kind), 0))
        ThrowDeadHandle(HandleTraits<T>::name);
    return *static_cast<T*>(const_cast<void*>(handle));
}

} // namespace quarn
