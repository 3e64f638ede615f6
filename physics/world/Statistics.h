// A fixed ring of the most recent step durations. Recording a sample allocates nothing.
#pragma once

#include <cstdint>

namespace quarn {

class TStatistics {
  public:
    static constexpr int kCapacity = 180;
    // Values below this are stored (and averaged) as 0, so idle updates do not skew the mean.
    static constexpr float kFloor = 0.0001f;

    void AddValue(float value);
    // Mean of the samples written since the ring last wrapped (1..180 of them); 0 when none.
    float GetAverage() const;
    // The most recent sample; 0 before the first.
    float GetLast() const;
    uint16_t WriteIndex() const { return writeIndex_; }

  private:
    uint16_t writeIndex_ = 0; // next slot, 0..180
    float samples_[kCapacity] = {};
};

} // namespace quarn
