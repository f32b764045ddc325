#include "utility/Pan.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(MixLaw, SineSquaredCrossfadeSumsToOneWithExactEnds)
{
  for (int i = 0; i <= 100; ++i)
  {
    const double p = i / 100.0, c = std::cos(p * 1.5707963267948966);
    double dry, wet;
    mixLaw(p, dry, wet);
    EXPECT_NEAR(dry + wet, 1.0, 1e-15) << p;
    EXPECT_NEAR(dry, c * c, 1e-15) << p; // sin((1 - p) pi/2) written the other way
    if (i == 0 || i == 100)              // fully dry or wet must not leak the other path
    {
      EXPECT_TRUE(dry == 1.0 - p && wet == p) << p;
    }
    else if (i == 50)
    {
      EXPECT_NEAR(wet, 0.5, 1e-15);
    }
  }
}
