// Reads fuzz input as a program of export calls: one byte picks the call, the following bytes
// its arguments. Numbers lean towards the values that break code (0, -1, the type's limits,
// NaN, the infinities, huge and tiny floats); an exhausted input reads as zeros.
#pragma once

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

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

} // namespace quarn::fuzz
