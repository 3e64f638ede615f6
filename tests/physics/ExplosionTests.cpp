#include "physics/world/Explosion.h"

#include <gtest/gtest.h>

using namespace quarn;

TEST(Explosion, OverpressureAtCentreIs808) {
    EXPECT_DOUBLE_EQ(KinneyGrahamOverpressure(0.0), 808.0);
}

TEST(Explosion, OverpressureMatchesFormulaAndFallsWithDistance) {
    // Z = 1: 808 * (1 + 1/20.25) / (sqrt(1 + 434.03) * sqrt(1 + 9.766) * sqrt(1 + 0.5487))
    EXPECT_NEAR(KinneyGrahamOverpressure(1.0), 9.956, 0.001);
    double previous = KinneyGrahamOverpressure(0.0);
    for (double z = 0.25; z < 50.0; z *= 1.5) {
        const double p = KinneyGrahamOverpressure(z);
        EXPECT_LT(p, previous) << "at Z = " << z;
        previous = p;
    }
}

TEST(Explosion, ChargeScalesDistanceByCubeRoot) {
    // Eight times the charge reaches twice as far with the same force.
    EXPECT_NEAR(BlastForceMagnitude(2.0, 8.0, 1.0, 1.0), BlastForceMagnitude(1.0, 1.0, 1.0, 1.0),
                1e-9);
    EXPECT_NEAR(BlastForceMagnitude(1.0, 1.0, 3.0, 2.0), 6.0 * KinneyGrahamOverpressure(1.0), 1e-9);
    EXPECT_EQ(BlastForceMagnitude(1.0, 1.0, 0.0, 5.0), 0.0);
}
