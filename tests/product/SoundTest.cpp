// What the equaliser does to audio.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "Harness.h"
#include "filters/CascadeKernelChoice.h"
#include "utility/Pan.h"

namespace
{
constexpr double kRate = 48000;

double Rms(const std::vector<double>& x, size_t from = 0)
{
  double s = 0;
  for (size_t i = from; i < x.size(); ++i)
    s += x[i] * x[i];
  return std::sqrt(s / static_cast<double>(x.size() - from));
}
double GainDb(Host& h, double freq)
{
  const auto in = Sine(freq, kRate, 48000);
  const auto out = h.Run(in);
  return 20 * std::log10(Rms(out[0], 24000) / Rms(in[0], 24000));
}
// Settles the smoothers at their targets.
void Settle(Host& h)
{
  for (int i = 0; i < 40; ++i)
    h.Run(Sine(1, kRate, 512, 0.0));
}

} // namespace

// Every test runs once per kernel this machine has, chosen the way a benchmark forces one.
class Sound : public ::testing::TestWithParam<BiquadCascade::EKernel>
{
protected:
  void SetUp() override { ForceKernel(BiquadCascade::KernelName(GetParam())); }
  void TearDown() override { ForceKernel(nullptr); }
};
INSTANTIATE_TEST_SUITE_P(Kernels, Sound, ::testing::ValuesIn(SupportedKernels()),
                         [](const auto& info) { return BiquadCascade::KernelName(info.param); });

TEST_P(Sound, APeakBandHitsItsGainAtTheCentreAndIsFlatFarAway)
{
  Host h;
  h.Set(kFrequency1, 1000.0);
  h.Set(kGain1, 6.0);
  Settle(h);
  EXPECT_NEAR(5.98, GainDb(h, 1000.0), 0.03);
  EXPECT_NEAR(0.0, GainDb(h, 100.0), 0.05);
  h.Set(kGain1, -6.0);
  Settle(h);
  EXPECT_NEAR(-5.47, GainDb(h, 1000.0), 0.03);
  h.Set(kBandwidth1, 1.0); // wide bell: an octave away still moves
  Settle(h);
  EXPECT_LT(GainDb(h, 2000.0), -2.0);
}

TEST_P(Sound, MixZeroPassesTheInputTimesTheInputGainExactly)
{
  Host h;
  h.Set(kGain1, 18.0);
  h.Set(kFrequency1, 500.0);
  h.Set(kMix, 0.0);
  h.Set(kInputGain, -6.0);
  Settle(h);
  ASSERT_EQ(0.0, h.plug->GetWetGain());
  const auto in = Sine(500, kRate, 512);
  const auto out = h.Run(in);
  const double g = h.plug->GetParam(kInputGain)->DBToAmp();
  for (size_t i = 0; i < in[0].size(); ++i)
  {
    const double want = in[0][i] * g;
    // Magnitudes below 2^-54 are cleaned to zero (the sine's zero crossings land there).
    ASSERT_EQ(std::fabs(want) < 0x1p-54 ? 0.0 : want, out[0][i]) << i;
  }
}

TEST_P(Sound, PhaseAtHalfMixCancelsAFlatSetting)
{
  Host h;
  h.Set(kPhase, 1.0);
  h.Set(kMix, 50.0);
  Settle(h);
  EXPECT_NEAR(0.5, h.plug->GetDryGain(), 1e-15);
  const auto out = h.Run(Sine(1000, kRate, 4800));
  EXPECT_LT(Rms(out[0]), 0.5 * 0.01); // the residual of eight sections at 0 dB
}

TEST_P(Sound, BypassesCopyExactly)
{
  Host h;
  h.plug->RestorePreset("Bombada");
  h.Set(kLeftBypass, 1.0);
  Settle(h);
  auto in = Sine(300, kRate, 512);
  in[0][7] = std::numeric_limits<double>::infinity();
  auto out = h.Run(in);
  EXPECT_EQ(in[0], out[0]);
  EXPECT_NE(in[1], out[1]);
  h.Set(kLeftBypass, 0.0);
  h.Set(kBypass, 1.0);
  out = h.Run(in);
  EXPECT_EQ(in, out);
}

TEST_P(Sound, TinyAndNonFiniteResultsComeOutAsZero)
{
  Host h;
  Settle(h);
  std::vector<std::vector<double>> in(2, std::vector<double>(8, 0.0));
  in[0][0] = 1e-20;
  in[1][2] = std::numeric_limits<double>::quiet_NaN();
  in[1][3] = -std::numeric_limits<double>::infinity();
  const auto out = h.Run(in);
  for (const auto& c : out)
    for (double v : c)
      EXPECT_EQ(0.0, v);
}

TEST_P(Sound, MetersFallAtTheirRateAndStopAtFullScale)
{
  Host h(Steinberg::Vst::kSample64, 44100, 441);
  Settle(h);
  auto loud = Sine(1000, 44100, 441, 0.0);
  loud[0][10] = 2.0;
  h.Run(loud);
  EXPECT_EQ(1.0, h.plug->GetInputMeter(0));
  h.Run(Sine(1000, 44100, 441, 0.0));
  EXPECT_NEAR(1.0 - 0.0045, h.plug->GetInputMeter(0), 1e-12);
  std::vector<std::vector<double>> none(2, std::vector<double>(1));
  auto out = none;
  h.Process(none, out, nullptr, 0);
  EXPECT_NEAR(1.0 - 0.0045, h.plug->GetInputMeter(0), 1e-12);
}

TEST_P(Sound, GainsGlideWithA20HzSmoother)
{
  Host h;
  Settle(h);
  h.Set(kOutputGain, -72.0); // far below: the step response shows the time constant
  std::vector<std::vector<double>> ones(2, std::vector<double>(4800, 1.0));
  const auto out = h.Run(ones);
  // One time constant, 1 / (2π·20) s, in: 1/e of the way left.
  const int tau = static_cast<int>(std::lround(kRate / (2 * M_PI * 20)));
  const double end = std::exp(-72 * 0.1151292546497);
  const double gain0 = 1.0; // flat EQ: the output tracks the smoothed gain
  EXPECT_NEAR(end + (gain0 - end) / M_E, out[0][tau - 1], 0.01);
  EXPECT_NEAR(end, out[0][4799], 1e-3);
}

TEST_P(Sound, ThirtyTwoAndSixtyFourBitsAgreeToFloatPrecision)
{
  Host h64(Steinberg::Vst::kSample64), h32(Steinberg::Vst::kSample32);
  for (Host* h : {&h64, &h32})
    h->plug->RestorePreset("Guitar");
  auto in = Sine(220, kRate, 2048, 0.4);
  for (size_t i = 0; i < in[1].size(); ++i)
    in[1][i] = 0.3 * std::sin(0.37 * static_cast<double>(i));
  std::vector<std::vector<float>> inF(2), outF(2, std::vector<float>(2048));
  for (int c = 0; c < 2; ++c)
    for (double v : in[static_cast<size_t>(c)])
      inF[static_cast<size_t>(c)].push_back(static_cast<float>(v));
  for (auto& c : inF)
    for (float& v : c)
      v = static_cast<float>(static_cast<double>(v)); // same input to both
  std::vector<std::vector<double>> inD(2);
  for (int c = 0; c < 2; ++c)
    for (float v : inF[static_cast<size_t>(c)])
      inD[static_cast<size_t>(c)].push_back(v);
  const auto outD = h64.Run(inD);
  h32.Process(inF, outF);
  // The same through host buffers used in place.
  Host inPlace(Steinberg::Vst::kSample32);
  inPlace.plug->RestorePreset("Guitar");
  inPlace.Process(inF, inF);
  for (int c = 0; c < 2; ++c)
    for (size_t i = 0; i < 2048; ++i)
    {
      ASSERT_EQ(static_cast<float>(outD[static_cast<size_t>(c)][i]),
                outF[static_cast<size_t>(c)][i]);
      ASSERT_EQ(outF[static_cast<size_t>(c)][i], inF[static_cast<size_t>(c)][i]);
    }
}

// The block routine against a slow, obvious reading of it: the reference sections, the mix law
// every frame. They agree to the bit where the kernel uses no fused multiply-add and within 1e-12
// of the signal's level where it does, through the smoothers' glide and well past their settling.
TEST_P(Sound, BlockRoutineMatchesAPlainReference)
{
  Host h;
  h.plug->RestorePreset("Into The Thicket");
  h.Set(kMix, 76.6);
  h.Set(kPhase, 1.0);
  h.Set(kBandBypass1 + 3, 1.0);
  Tarvo& t = *h.plug;
  ASSERT_EQ(GetParam(), t.GetKernel());
  Biquad bands[kNumBands];
  for (int b = 0; b < kNumBands; ++b)
    bands[b] = t.GetBand(b);
  double yIn = 0, yOut = 0, yMix = 0; // the smoothers start from 0 after construction
  const double a = std::exp(-125.66370614359172 / kRate);
  auto in = Sine(440, kRate, 24000, 0.7);
  for (size_t i = 0; i < in[1].size(); ++i)
    in[1][i] *= std::cos(0.001 * static_cast<double>(i));
  const auto out = h.Run(in);
  const double tolerance = GetParam() == BiquadCascade::kKernelSSE2 ? 0.0 : 1e-12;
  auto settle = [](double& y, double a, double target)
  {
    y = a * y + (1 - a) * target;
    if (std::fabs(y - target) < 1e-12) y = target;
  };
  for (size_t i = 0; i < in[0].size(); ++i)
  {
    settle(yIn, a, t.GetInputGainTarget());
    settle(yOut, a, t.GetOutputGainTarget());
    settle(yMix, a, t.GetMixTarget());
    double dry, wet;
    mixLaw(yMix, dry, wet);
    const double dL = in[0][i] * yIn, dR = in[1][i] * yIn;
    double wL = dL, wR = dR;
    for (int b = 0; b < kNumBands; ++b)
      if (!t.IsBandBypassed(b)) bands[b].processStereo(wL, wR);
    const double oL = dL * dry + (-wL * yOut) * wet, oR = dR * dry + (-wR * yOut) * wet;
    ASSERT_NEAR(oL, out[0][i], tolerance) << i;
    ASSERT_NEAR(oR, out[1][i], tolerance) << i;
  }
  // The last blocks took the settled path.
  EXPECT_EQ(t.GetMixTarget(), t.GetMixSmoother().mState);
}

TEST_P(Sound, BandsFollowTheSampleRate)
{
  Host h(Steinberg::Vst::kSample64, 32000);
  h.Set(kFrequency1, 1000.0);
  EXPECT_DOUBLE_EQ(1000.0 / 32000, h.plug->GetBand(0).Fc);
  h.Set(kFrequency1 + 1, 20000.0);
  EXPECT_EQ(0.5, h.plug->GetBand(1).Fc);
  Steinberg::Vst::ProcessSetup setup{Steinberg::Vst::kRealtime, Steinberg::Vst::kSample64, 512,
                                     48000};
  h.plug->setupProcessing(setup);
  EXPECT_DOUBLE_EQ(1000.0 / 48000, h.plug->GetBand(0).Fc);
}
