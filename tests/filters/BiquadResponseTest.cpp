// Frequency responses of the coefficient formulas, checked against the analog prototypes.

#include "filters/Biquad.h"
#include "utility/approximation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

namespace
{
using cplx = std::complex<double>;
constexpr double kPi = 3.141592653589793;

double gainAt(const Biquad& f, double w)
{
  const cplx z1 = std::polar(1.0, -w), z2 = z1 * z1;
  return std::abs((f.a0 + f.a1 * z1 + f.a2 * z2) / (1.0 + f.b1 * z1 + f.b2 * z2));
}

double dB(double g)
{
  return 20.0 * std::log10(g);
}

// The slow, obvious reference: each type's analog prototype with its corner at 1 rad/s. The
// bilinear transform with prewarp K maps the digital frequency w onto Omega = tan(w/2) / K
// exactly, so |H(e^jw)| must equal |H(j Omega)|.
double prototypeGainAt(const Biquad& f, double w)
{
  const double V = fastPow10(std::fabs(f.peakGain) / 20.0), K = fastTan(kPi * f.Fc);
  const double Q = f.Q, S = std::sqrt(2.0), W = std::sqrt(2.0 * V);
  struct Poly
  {
    double s2, s1, s0;
  };
  // Numerators by type; the shelves' low- and high-frequency gains are V and 1, or 1 and V.
  const Poly numerators[] = {{0, 0, 1},     {1, 0, 0}, {0, 1 / Q, 0}, {1, 0, 1},
                             {1, V / Q, 1}, {1, W, V}, {V, W, 1}};
  Poly n = numerators[f.type], d = f.type >= Biquad::kLowShelf ? Poly{1, S, 1} : Poly{1, 1 / Q, 1};
  if (f.peakGain < 0.0 && f.type >= Biquad::kPeak) // cuts invert the boost
    std::swap(n, d);
  const cplx s(0.0, std::tan(w / 2) / K);
  return std::abs((n.s2 * s * s + n.s1 * s + n.s0) / (d.s2 * s * s + d.s1 * s + d.s0));
}
} // namespace

TEST(BiquadResponse, EveryTypeMatchesItsAnalogPrototype)
{
  for (int type = 0; type <= 6; ++type)
    for (double g : {18.0, 6.0, 0.0, -0.2, -6.0, -18.0})
      for (double fc : {0.0004, 0.02, 0.2, 0.45, 0.5})
        for (double q : {0.1, 0.712, 5.696})
        {
          const Biquad f(type, fc, q, g);
          for (double w = 0.001; w < kPi * 0.999; w *= 1.15)
          {
            const double want = prototypeGainAt(f, w);
            ASSERT_NEAR(gainAt(f, w), want, 1e-6 * want + 1e-9)
                << "type " << type << " gain " << g << " fc " << fc << " q " << q << " w " << w;
          }
        }
  // Anchor the prototypes themselves: pass and stop bands.
  EXPECT_NEAR(gainAt(Biquad(Biquad::kLowPass, 0.05, 0.707, 0), 0.0), 1.0, 1e-12);
  EXPECT_NEAR(gainAt(Biquad(Biquad::kLowPass, 0.05, 0.707, 0), kPi), 0.0, 1e-12);
  EXPECT_NEAR(gainAt(Biquad(Biquad::kHighPass, 0.05, 0.707, 0), 0.0), 0.0, 1e-12);
  EXPECT_NEAR(dB(gainAt(Biquad(Biquad::kLowShelf, 0.05, 1, 6), 0.0)), 5.98, 0.005);
  EXPECT_NEAR(dB(gainAt(Biquad(Biquad::kHighShelf, 0.05, 1, -6), kPi)), -5.47, 0.005);
  const double centre = 2 * std::atan(fastTan(kPi * 0.05));
  EXPECT_NEAR(gainAt(Biquad(Biquad::kBandPass, 0.05, 2.0, 0), centre), 1.0, 1e-12);
  EXPECT_NEAR(gainAt(Biquad(Biquad::kNotch, 0.05, 2.0, 0), centre), 0.0, 1e-9);
}

TEST(BiquadResponse, PeakCentreGainFollowsTheFastPower)
{
  // Requested dB -> dB at the centre, after the +0.34 dB offset and the fast power's bias.
  const double cases[][2] = {
      {6.0, 5.9799}, {0.0, -0.0076}, {-6.0, -5.4747}, {18.0, 17.9545}, {-18.0, -17.4453}};
  const double fc = 1000.0 / 48000.0;
  for (const auto& c : cases)
  {
    const Biquad f(Biquad::kPeak, fc, 5.696, c[0]);
    EXPECT_NEAR(dB(gainAt(f, 2 * kPi * fc)), c[1], 1e-3) << c[0];
    EXPECT_NEAR(dB(gainAt(f, 2 * kPi * fc / 64)), 0.0, 0.01) << c[0]; // flat far away
    EXPECT_NEAR(gainAt(f, 0.0), 1.0, 1e-12);
    EXPECT_NEAR(gainAt(f, kPi), 1.0, 1e-12);
  }
  // The wide bell reaches further than the narrow one.
  EXPECT_GT(gainAt(Biquad(Biquad::kPeak, fc, 0.712, 6.0), 4 * kPi * fc),
            gainAt(Biquad(Biquad::kPeak, fc, 5.696, 6.0), 4 * kPi * fc) + 0.3);
}
