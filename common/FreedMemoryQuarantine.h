// Memory of freed handed-out objects, held back from the allocator for a while. Handles are the
// objects' addresses: if the allocator handed a freed object's memory straight to a new object
// of the same kind, a stale handle would pass the live-object check and reach the new object.
// Holding the last freed objects of each kind (first in, first out) keeps their addresses out
// of use, so the registry refuses a stale handle for at least kMaxObjects later frees of its
// kind (kMaxBytes / object size for objects over kMaxBytes / kMaxObjects bytes; handed-out
// classes stay under kMaxBytes / 1000, which the stale-handle tests check).
#pragma once

#include <cstddef>
#include <new>

namespace quarn {

class FreedMemoryQuarantine {
  public:
    static constexpr size_t kMaxObjects = 4096;
    static constexpr size_t kMaxBytes = size_t(2) << 20;

    constexpr FreedMemoryQuarantine() = default;
    FreedMemoryQuarantine(const FreedMemoryQuarantine&) = delete;
    FreedMemoryQuarantine& operator=(const FreedMemoryQuarantine&) = delete;

    // Takes the memory of a freed object (from ::operator new); hands the oldest held memory
    // back to the allocator when a bound would be passed. Never allocates.
    void Hold(void* memory, size_t bytes) noexcept;
    // Hands every held block back (for a quarantine that does not live until exit).
    void ReleaseAll() noexcept {
        while (count_ > 0)
            ReleaseOldest();
    }
    size_t HeldObjects() const { return count_; }
    size_t HeldBytes() const { return bytes_; }

  private:
    struct Entry {
        void* memory = nullptr;
        size_t bytes = 0;
    };
    void ReleaseOldest() noexcept;

    // Constant-initialised and never freed: objects may be freed during exit, and memory still
    // held then stays reachable (no leak report).
    Entry ring_[kMaxObjects] = {};
    size_t first_ = 0; // oldest entry
    size_t count_ = 0;
    size_t bytes_ = 0;
};

// A base of every handed-out class: its objects come from the global allocator and their
// memory goes to the given quarantine when they are freed. Empty, so the object's address (the
// handle) does not change.
template <FreedMemoryQuarantine& (*QuarantineOf)()> class HeldAfterFree {
  public:
    static void* operator new(size_t bytes) { return ::operator new(bytes); }
    static void operator delete(void* memory, size_t bytes) noexcept {
        QuarantineOf().Hold(memory, bytes);
    }
};

} // namespace quarn
