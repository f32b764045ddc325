#pragma once
// Fast approximations used by the filter coefficient calculation. Their exact bit patterns are
// part of the product's sound (presets and tests depend on them), so they must not be swapped
// for library functions or "improved".

// Approximates 10^y by writing a linear function of y into the upper 32 bits of an IEEE-754
// double (exponent and top of the mantissa) and leaving the lower 32 bits zero. Meant for
// about -309 < y < 309; beyond that it saturates to +0.0 or +infinity. Over 0..1 it is off by
// -4.8 % (y = 0.92) to +1.8 % (y = 0.15), mostly low; callers compensate where it matters.
double fastPow10(double y);

// Rational approximation (105x - 10x^3) / (105 - 45x^2 + x^4) of tan x for 0 <= x <= pi/2.
// Stays finite at pi/2 (about 2293.3), so a corner frequency at Nyquist gives usable numbers.
double fastTan(double x);
