#include "filters/Biquad.h"
#include "utility/approximation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace
{
auto gainFactor = [](const Biquad& f) { return fastPow10(std::fabs(f.peakGain) / 20.0); };
auto sameCoefficients = [](const Biquad& a, const Biquad& b)
{ return a.a0 == b.a0 && a.a1 == b.a1 && a.a2 == b.a2 && a.b1 == b.b1 && a.b2 == b.b2; };
} // namespace

TEST(Biquad, GainOffsetAndFastPowerGiveTheExpectedFactors)
{
  const double cases[][2] = {
      {6.0, 1.990646}, {0.0, 0.999125}, {-6.0, 1.878175}, {18.0, 7.901749}, {-18.0, 7.451862}};
  Biquad f;
  for (const auto& c : cases)
  {
    f.setPeakGain(c[0]);
    EXPECT_NEAR(gainFactor(f), c[1], 1e-6) << c[0];
  }
  // -0.2 dB is stored as +0.14 and takes the boost form, whose denominator ignores V.
  EXPECT_EQ(Biquad(Biquad::kPeak, 0.01, 2, -0.2).b2, Biquad(Biquad::kPeak, 0.01, 2, 6).b2);
  EXPECT_NE(Biquad(Biquad::kPeak, 0.01, 2, -0.4).b2, Biquad(Biquad::kPeak, 0.01, 2, 6).b2);
}

TEST(Biquad, SettersClampFloorAndIgnoreWhatTheyShould)
{
  Biquad f(Biquad::kLowPass, 0.1, 0.707, 0.0);
  f.setQ(0.05);
  EXPECT_EQ(f.Q, 0.1);
  f.setFc(0.7);
  EXPECT_EQ(f.Fc, 0.5);
  f.setFc(-0.1);
  EXPECT_EQ(f.Fc, 0.0);
  EXPECT_TRUE(f.a0 == 0.0 && f.a1 == 0.0 && f.a2 == 0.0); // K = 0: the low-pass is silent
  // The constructor limits only from above.
  EXPECT_EQ(Biquad(Biquad::kLowPass, -0.1, 0.707, 0.0).Fc, -0.1);
  f.setBw(1.0);
  EXPECT_DOUBLE_EQ(f.Q, std::sqrt(2.0)); // one octave

  Biquad peak(Biquad::kPeak, 0.05, 1.0, 6.0);
  const Biquad before = peak;
  peak.setType(9); // stored, and the coefficients stay in force through later setters
  peak.setFc(0.2);
  EXPECT_EQ(peak.type, 9);
  EXPECT_TRUE(sameCoefficients(peak, before));
  peak.setType(-1);
  peak.setQ(3.0);
  EXPECT_TRUE(sameCoefficients(peak, before));
}

TEST(Biquad, UnityPeakPassesTheInput)
{
  // A gain whose fast power is exactly 1: the upper word of 1.0 is 0x3FF00000.
  Biquad peak(Biquad::kPeak, 0.03, 0.7, 20.0 * (60801.5 / 3468673.0) - Biquad::kPeakGainOffset);
  ASSERT_EQ(gainFactor(peak), 1.0);
  EXPECT_TRUE(peak.a1 == peak.b1 && peak.a2 == peak.b2);
  for (int i = 0; i < 1000; ++i)
  {
    double l = std::sin(i * 0.37), r = -std::sin(i * 0.11);
    peak.processStereo(l, r);
    ASSERT_TRUE(std::fabs(l - std::sin(i * 0.37)) < 1e-14 &&
                std::fabs(r + std::sin(i * 0.11)) < 1e-14);
  }
}

TEST(Biquad, StepIsTheDifferenceEquationPerChannelAndSettersKeepTheState)
{
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> x(-1.0, 1.0);
  Biquad f(Biquad::kPeak, 0.02, 0.712, 12.0);
  // Direct form I: y[n] = a0 x[n] + a1 x[n-1] + a2 x[n-2] - b1 y[n-1] - b2 y[n-2].
  double xl[3] = {}, yl[3] = {}, xr[3] = {}, yr[3] = {};
  auto df1 = [&f](double* xs, double* ys, double in)
  {
    xs[2] = xs[1], xs[1] = xs[0], xs[0] = in, ys[2] = ys[1], ys[1] = ys[0];
    return ys[0] = f.a0 * xs[0] + f.a1 * xs[1] + f.a2 * xs[2] - f.b1 * ys[1] - f.b2 * ys[2];
  };
  for (int i = 0; i < 2000; ++i)
  {
    const double inL = x(rng), inR = i % 7 == 0 ? 1.0 : 0.0; // noise left, pulses right
    double l = inL, r = inR;
    f.processStereo(l, r);
    ASSERT_NEAR(l, df1(xl, yl, inL), 1e-12) << i;
    ASSERT_NEAR(r, df1(xr, yr, inR), 1e-12) << i;
  }
  const Biquad before = f;
  f.setBiquad(Biquad::kPeak, 0.1, 2.0, -6.0);
  f.setPeakGain(3.0);
  EXPECT_TRUE(f.z1L == before.z1L && f.z2L == before.z2L && f.z1R == before.z1R &&
              f.z2R == before.z2R && f.z1L != 0.0);
}
