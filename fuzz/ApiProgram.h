// Reads fuzz input as a program of export calls: one byte picks the call, the following bytes
// its arguments. Numbers lean towards the values that break code (0, -1, the type's limits,
// NaN, the infinities, huge and tiny floats); an exhausted input reads as zeros.
#pragma once

#include <array>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace quarn::fuzz {

class ApiProgram {
  public:
    ApiProgram(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool AtEnd() const { return pos_ >= size_; }

    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    bool Bool() { return Byte() & 1; }

    // Mostly small counts and indices, sometimes a limit or any 32-bit value.
    int32_t Int() {
        static const int32_t kEdges[] = {0,    1,  -1,    2,      3,       4,       5,
                                         8,    16, 60,    64,     100,     255,     256,
                                         1000, -2, 65535, 100000, 1000000, INT_MAX, INT_MIN};
        const uint8_t b = Byte();
        if (b < 128) return kEdges[b % (sizeof kEdges / sizeof kEdges[0])];
        if (b < 224) return int32_t(b) - 160;
        uint32_t raw = 0;
        for (int i = 0; i < 4; ++i)
            raw = raw << 8 | Byte();
        return static_cast<int32_t>(raw);
    }

    // A value in [0, bound), for sizes the caller's own buffers must match.
    int32_t Below(int32_t bound) { return bound > 0 ? int32_t(Byte() % bound) : 0; }

    // Floats: the edge values, small steps around zero, or any bit pattern. A non-finite one
    // is remembered, so the caller can tell that the call it went to had to fail.
    float Float() {
        static const float kEdges[] = {0.0f,
                                       -0.0f,
                                       1.0f,
                                       -1.0f,
                                       0.5f,
                                       2.0f,
                                       10.0f,
                                       60.0f,
                                       100.0f,
                                       1e6f,
                                       1e30f,
                                       -1e30f,
                                       FLT_MAX,
                                       -FLT_MAX,
                                       FLT_MIN,
                                       1e-40f,
                                       std::numeric_limits<float>::quiet_NaN(),
                                       std::numeric_limits<float>::infinity(),
                                       -std::numeric_limits<float>::infinity(),
                                       0.016f,
                                       1.0f / 60.0f,
                                       -1e-3f,
                                       90.0f,
                                       360.0f};
        const uint8_t b = Byte();
        float value;
        if (b < 96) {
            value = kEdges[b % (sizeof kEdges / sizeof kEdges[0])];
        } else if (b < 224) {
            value = (float(b) - 160.0f) * 0.25f;
        } else {
            uint32_t raw = 0;
            for (int i = 0; i < 4; ++i)
                raw = raw << 8 | Byte();
            std::memcpy(&value, &raw, sizeof value);
        }
        if (!std::isfinite(value)) nonFinite_ = true;
        return value;
    }

    // Whether a non-finite float was read since the last call.
    bool TakeNonFinite() {
        const bool was = nonFinite_;
        nonFinite_ = false;
        return was;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool nonFinite_ = false;
};

// A handle for a call that takes one of `kind`: mostly one of those made of that kind (live or
// freed), else NULL, one of another kind, a pointer the library never handed out or one inside a
// real object. `bad` is set for all but the first.
template <size_t KindCount>
void* PickHandle(ApiProgram& in, const std::array<std::vector<void*>, KindCount>& made, size_t kind,
                 unsigned char* foreign, bool& bad) {
    const uint8_t b = in.Byte();
    const std::vector<void*>& own = made[kind];
    switch (b >> 5) {
    case 5:
        bad = true;
        return nullptr;
    case 6: { // a handle of another kind
        const std::vector<void*>& other = made[(kind + 1 + b % (KindCount - 1)) % KindCount];
        bad = true;
        if (!other.empty()) return other[b % other.size()];
        return foreign;
    }
    case 7: {
        bad = true;
        static int onStack;
        void* const pointers[] = {foreign, foreign + 1, &onStack, reinterpret_cast<void*>(1),
                                  reinterpret_cast<void*>(~uintptr_t(0))};
        if (b & 16 && !own.empty()) // inside a real object, not at its start
            return static_cast<unsigned char*>(own[b % own.size()]) + 1 + (b & 7);
        return pointers[b % 5];
    }
    default:
        if (own.empty()) {
            bad = true;
            return nullptr;
        }
        return own[b % own.size()];
    }
}

} // namespace quarn::fuzz
