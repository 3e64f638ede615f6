// The blast model of the explosion impulse.
#pragma once

namespace quarn {

// Kinney-Graham peak overpressure ratio at a scaled distance Z = d / charge^(1/3).
double KinneyGrahamOverpressure(double scaledDistance);

// Force magnitude on a body whose closest point lies at distance from a blast of charge
// (> 0), scaled by scaleA x scaleB.
double BlastForceMagnitude(double distance, double charge, double scaleA, double scaleB);

} // namespace quarn
