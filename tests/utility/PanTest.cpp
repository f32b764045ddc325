#include "utility/Pan.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(MixLaw, SineSquaredCrossfadeSumsToOneWithExactEnds)
{
  double dry, wet;
  for (int i = 0; i <= 100; ++i)
  {
    const double p = i / 100.0, c = std::cos(p * 1.5707963267948966);
    mixLaw(p, dry, wet);
    EXPECT_NEAR(dry + wet, 1.0, 1e-15) << p;
    EXPECT_NEAR(dry, c * c, 1e-15) << p; // sin((1 - p) pi/2) written the other way
  }
  // Fully dry or fully wet must not leak the other path at all.
  mixLaw(0.0, dry, wet);
  EXPECT_TRUE(dry == 1.0 && wet == 0.0);
  mixLaw(1.0, dry, wet);
  EXPECT_TRUE(dry == 0.0 && wet == 1.0);
}
