#include "utility/approximation.h"

#include <cmath>
#include <cstdint>
#include <cstring>

double fastPow10(double y)
{
  const double t = y * 3468673.0 + 1072632447.0;
  // Converting an out-of-range double to int is undefined. Outside 0..0x7FF00000 the upper word
  // is no longer a positive finite double anyway, so saturate to +0.0 and +infinity.
  if (std::isnan(t)) return t;
  int32_t i;
  if (t <= 0.0)
    i = 0;
  else if (t >= 2146435072.0) // 0x7FF00000: the upper word of +infinity
    i = 0x7FF00000;
  else
    i = static_cast<int32_t>(t); // truncates toward zero
  const uint64_t bits = static_cast<uint64_t>(static_cast<uint32_t>(i)) << 32;
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

double fastTan(double x)
{
  return 5.0 * (21.0 * x - 2.0 * x * x * x) / (x * x * x * x - 45.0 * x * x + 105.0);
}
