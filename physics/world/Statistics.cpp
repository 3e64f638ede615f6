#include "physics/world/Statistics.h"

namespace quarn {

void TStatistics::AddValue(float value) {
    if (writeIndex_ >= kCapacity) writeIndex_ = 0;
    samples_[writeIndex_] = value < kFloor ? 0.0f : value;
    ++writeIndex_;
}

float TStatistics::GetAverage() const {
    const int n = writeIndex_;
    if (n == 0) return 0.0f;
    double sum = 0.0;
    for (int i = 0; i < n; ++i)
        sum += samples_[i];
    const float mean = static_cast<float>(sum / n);
    return mean < kFloor ? 0.0f : mean;
}

float TStatistics::GetLast() const {
    return writeIndex_ == 0 ? 0.0f : samples_[writeIndex_ - 1];
}

} // namespace quarn
