#include "physics/world/Explosion.h"

#include <cmath>

namespace quarn {

double KinneyGrahamOverpressure(double z) {
    const auto sq = [](double v) { return v * v; };
    return 808.0 * (1.0 + sq(z / 4.5)) /
           (std::sqrt(1.0 + sq(z / 0.048)) * std::sqrt(1.0 + sq(z / 0.32)) *
            std::sqrt(1.0 + sq(z / 1.35)));
}

double BlastForceMagnitude(double distance, double charge, double scaleA, double scaleB) {
    const double z = distance / std::cbrt(charge);
    return KinneyGrahamOverpressure(z) * scaleB * scaleA;
}

} // namespace quarn
