// Library-held counted arrays of the C ABI: the host receives a pointer to the first element,
// and the int32 element count sits in the four bytes just before it. The storage is reused
// (overwritten and resized) by the next Assign/Resize, as the exports promise.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

namespace quarn {

template <class T> class CountedArray {
    static_assert(std::is_trivially_copyable<T>::value, "exchange elements are plain data");
    static_assert(alignof(T) <= 8, "elements are at most 8-byte aligned");

  public:
    CountedArray() { Resize(0); }

    // Sets the count to n (contents unspecified past the old size) and returns the elements.
    T* Resize(int32_t n) {
        if (n < 0) n = 0;
        const size_t bytes = kHeader + sizeof(T) * static_cast<size_t>(n);
        storage_.resize((bytes + 7) / 8);
        const int32_t count = n;
        std::memcpy(reinterpret_cast<unsigned char*>(storage_.data()) + kHeader - 4, &count, 4);
        return data();
    }

    T* Assign(const T* src, int32_t n) {
        T* d = Resize(n);
        if (n > 0 && src) std::memcpy(d, src, sizeof(T) * static_cast<size_t>(n));
        return d;
    }

    T* data() {
        return reinterpret_cast<T*>(reinterpret_cast<unsigned char*>(storage_.data()) + kHeader);
    }
    int32_t size() const {
        int32_t count;
        std::memcpy(&count, reinterpret_cast<const unsigned char*>(storage_.data()) + kHeader - 4,
                    4);
        return count;
    }

  private:
    static constexpr size_t kHeader = 8; // count in bytes 4..7, elements 8-byte aligned
    std::vector<uint64_t> storage_;
};

// The count stored before an element pointer handed in by a host (0 for null).
inline int32_t CountedArrayLength(const void* first) {
    if (!first) return 0;
    int32_t count;
    std::memcpy(&count, static_cast<const unsigned char*>(first) - 4, 4);
    return count;
}

} // namespace quarn
