#pragma once
// The dry/wet mix law: equal-sum sine-squared crossfade.

#include <cmath>

// wetFraction p in 0..1 gives dryGain = sin^2((1 - p) * pi/2) and wetGain = sin^2(p * pi/2).
// The two sum to 1 (to rounding), so a correlated dry and wet signal keeps its level across the
// fader; at p = 0.5 each is 0.5. Audio thread, once per sample frame; stateless, no lock.
inline void mixLaw(double wetFraction, double& dryGain, double& wetGain)
{
  constexpr double kHalfPi = 1.5707963267948966;
  const double d = std::sin((1.0 - wetFraction) * kHalfPi);
  const double w = std::sin(wetFraction * kHalfPi);
  dryGain = d * d;
  wetGain = w * w;
}
