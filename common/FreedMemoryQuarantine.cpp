#include "common/FreedMemoryQuarantine.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUARN_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QUARN_ASAN 1
#endif
#ifdef QUARN_ASAN
#include <sanitizer/asan_interface.h>
#endif

namespace quarn {

// Under AddressSanitizer held memory is poisoned, so a use through an unchecked path is still
// reported as a use after free.
static void Poison(void* memory, size_t bytes) {
#ifdef QUARN_ASAN
    ASAN_POISON_MEMORY_REGION(memory, bytes);
#else
    (void)memory, (void)bytes;
#endif
}
static void Unpoison(void* memory, size_t bytes) {
#ifdef QUARN_ASAN
    ASAN_UNPOISON_MEMORY_REGION(memory, bytes);
#else
    (void)memory, (void)bytes;
#endif
}

void FreedMemoryQuarantine::Hold(void* memory, size_t bytes) noexcept {
    if (!memory) return;
    if (bytes > kMaxBytes) { // larger than the whole budget: cannot be held
        ::operator delete(memory);
        return;
    }
    while (count_ == kMaxObjects || bytes_ + bytes > kMaxBytes)
        ReleaseOldest();
    Poison(memory, bytes);
    ring_[(first_ + count_) % kMaxObjects] = Entry{memory, bytes};
    ++count_;
    bytes_ += bytes;
}

void FreedMemoryQuarantine::ReleaseOldest() noexcept {
    Entry& oldest = ring_[first_];
    Unpoison(oldest.memory, oldest.bytes);
    ::operator delete(oldest.memory);
    bytes_ -= oldest.bytes;
    oldest = Entry{};
    first_ = (first_ + 1) % kMaxObjects;
    --count_;
}

} // namespace quarn
