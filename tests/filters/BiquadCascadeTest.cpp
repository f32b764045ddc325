#include "filters/BiquadCascade.h"
#include "filters/CascadeKernelChoice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace
{
using Mix = BiquadCascade::Mix;
using Peaks = BiquadCascade::Peaks;

bool SameBits(double a, double b)
{
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The frame-by-frame reading the kernels are held to: Biquad's own step, one frame at a time.
struct Reference
{
  Biquad sections[BiquadCascade::kMaxSections];
  bool bypassed[BiquadCascade::kMaxSections] = {};

  static double Clean(double x)
  {
    uint64_t u;
    std::memcpy(&u, &x, sizeof u);
    const uint32_t h = static_cast<uint32_t>(u >> 32);
    return ((h + 0x00100000u) & 0x7FE00000u) < 0x3CA00000u ? 0.0 : x;
  }
  static void Hold(double& peak, double v)
  {
    if (std::fabs(v) > peak) peak = std::fabs(v);
  }

  void Run(const double* inL, const double* inR, double* outL, double* outR, int n, const Mix& m,
           Peaks& p)
  {
    for (int i = 0; i < n; ++i)
    {
      const double gIn = m.inputGains ? m.inputGains[i] : m.inputGain;
      const double gOut = m.outputGains ? m.outputGains[i] : m.outputGain;
      const double dry = m.dryGains ? m.dryGains[i] : m.dryGain;
      const double wet = m.wetGains ? m.wetGains[i] : m.wetGain;
      const double xL = inL[i], xR = inR[i];
      const double dL = xL * gIn, dR = xR * gIn;
      Hold(p.in[0], dL);
      Hold(p.in[1], dR);
      double wL = dL, wR = dR;
      for (int b = 0; b < BiquadCascade::kMaxSections; ++b)
        if (!bypassed[b]) sections[b].processStereo(wL, wR);
      if (m.invertPhase) wL = -wL, wR = -wR;
      double oL = Clean(dL * dry + (wL * gOut) * wet), oR = Clean(dR * dry + (wR * gOut) * wet);
      if (m.passLeft) oL = xL;
      if (m.passRight) oR = xR;
      outL[i] = oL;
      outR[i] = oR;
      Hold(p.out[0], oL);
      Hold(p.out[1], oR);
    }
  }
};

// A random setting: sections of every type, some bypassed, constant or gliding gains.
struct Trial
{
  BiquadCascade cascade;
  Reference ref;
  Mix mix;
  std::vector<double> gains[4];

  Trial(std::mt19937& rng, BiquadCascade::EKernel kernel, int maxFrames)
  {
    std::uniform_real_distribution<double> fc(0.0005, 0.45), q(0.3, 8.0), gain(-18.0, 18.0),
        u(0.0, 1.0);
    EXPECT_TRUE(cascade.SetKernel(kernel));
    const double bypassOdds = u(rng) * 0.6;
    for (int b = 0; b < BiquadCascade::kMaxSections; ++b)
    {
      ref.sections[b] = Biquad(static_cast<int>(u(rng) * 7), fc(rng), q(rng), gain(rng));
      ref.bypassed[b] = u(rng) < bypassOdds;
      cascade.Section(b) = ref.sections[b];
      cascade.SetBypassed(b, ref.bypassed[b]);
    }
    mix = Mix{u(rng) * 2, u(rng) * 2, u(rng), u(rng)};
    mix.invertPhase = u(rng) < 0.5;
    mix.passLeft = u(rng) < 0.2;
    mix.passRight = u(rng) < 0.2;
    if (u(rng) < 0.4)
    {
      for (auto& g : gains)
        for (int i = 0; i < maxFrames; ++i)
          g.push_back(u(rng));
      mix.inputGains = gains[0].data();
      mix.outputGains = gains[1].data();
      mix.dryGains = gains[2].data();
      mix.wetGains = gains[3].data();
    }
  }
};

class Kernels : public ::testing::TestWithParam<BiquadCascade::EKernel>
{
};
} // namespace

// Random cascades over blocks of every length, in place and not: the output, the peaks and the
// states left behind must match the reading frame by frame, to the bit without fused
// multiply-adds and within 1e-12 of the block's level with them.
TEST_P(Kernels, FollowTheFrameByFrameReading)
{
  const BiquadCascade::EKernel kernel = GetParam();
  const bool exact = kernel == BiquadCascade::kKernelSSE2;
  std::mt19937 rng(7 + kernel);
  std::uniform_real_distribution<double> x(-1.0, 1.0);
  std::uniform_int_distribution<int> length(1, 1300);
  for (int trial = 0; trial < 40; ++trial)
  {
    Trial t(rng, kernel, 1300);
    const bool inPlace = trial % 3 == 0;
    for (int block = 0; block < 4; ++block)
    {
      const int n = length(rng);
      std::vector<double> inL(n), inR(n), wantL(n), wantR(n), outL(n), outR(n);
      for (int i = 0; i < n; ++i)
        inL[i] = x(rng), inR[i] = i % 97 == 0 ? 1.0 : 0.0;
      Peaks want, got;
      t.ref.Run(inL.data(), inR.data(), wantL.data(), wantR.data(), n, t.mix, want);
      if (inPlace) outL = inL, outR = inR;
      t.cascade.Process(inPlace ? outL.data() : inL.data(), inPlace ? outR.data() : inR.data(),
                        outL.data(), outR.data(), n, t.mix, got);
      double level = 1e-300;
      for (int i = 0; i < n; ++i)
        level = std::fmax(level, std::fmax(std::fabs(wantL[i]), std::fabs(wantR[i])));
      const double tolerance = exact ? 0.0 : 1e-12 * level;
      for (int i = 0; i < n; ++i)
      {
        ASSERT_NEAR(wantL[i], outL[i], tolerance) << trial << ":" << block << ":" << i;
        ASSERT_NEAR(wantR[i], outR[i], tolerance) << trial << ":" << block << ":" << i;
      }
      for (int c = 0; c < 2; ++c)
      {
        ASSERT_EQ(want.in[c], got.in[c]);
        ASSERT_NEAR(want.out[c], got.out[c], tolerance);
      }
    }
    for (int b = 0; b < BiquadCascade::kMaxSections; ++b)
    {
      const Biquad &w = t.ref.sections[b], &g = t.cascade.Section(b);
      const double s = exact ? 0.0 : 1e-9 * (1 + std::fabs(w.z1L) + std::fabs(w.z2L));
      ASSERT_NEAR(w.z1L, g.z1L, s);
      ASSERT_NEAR(w.z2R, g.z2R, s);
    }
  }
}

// 32-bit buffers give what the 64-bit path gives, rounded once at the end; a passed side keeps
// its samples as they were, NaN payloads included, while the processed side cleans them to 0.
TEST_P(Kernels, ThirtyTwoBitBuffersConvertOnceAndPassSamplesUntouched)
{
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> x(-1.0, 1.0);
  Trial a(rng, GetParam(), 700), b(rng, GetParam(), 700);
  for (int s = 0; s < BiquadCascade::kMaxSections; ++s)
    b.cascade.Section(s) = a.cascade.Section(s), b.cascade.SetBypassed(s, a.cascade.IsBypassed(s));
  a.mix.passLeft = b.mix.passLeft = true;
  a.mix.passRight = b.mix.passRight = false;
  b.mix = a.mix;
  std::vector<float> fl(700), fr(700);
  std::vector<double> dl(700), dr(700);
  for (int i = 0; i < 700; ++i)
  {
    fl[i] = static_cast<float>(x(rng)), fr[i] = static_cast<float>(x(rng));
    dl[i] = fl[i], dr[i] = fr[i];
  }
  uint32_t payload = 0x7FC01234;
  std::memcpy(&fl[5], &payload, sizeof payload);
  dl[5] = fl[5];
  fr[600] = std::numeric_limits<float>::infinity(), dr[600] = fr[600];
  Peaks pa, pb;
  a.cascade.Process(dl.data(), dr.data(), dl.data(), dr.data(), 700, a.mix, pa);
  b.cascade.Process(fl.data(), fr.data(), fl.data(), fr.data(), 700, b.mix, pb);
  uint32_t bits;
  std::memcpy(&bits, &fl[5], sizeof bits);
  EXPECT_EQ(payload, bits);
  for (int i = 0; i < 700; ++i)
  {
    if (i != 5)
    {
      ASSERT_EQ(static_cast<float>(dl[i]), fl[i]) << i;
    }
    ASSERT_EQ(static_cast<float>(dr[i]), fr[i]) << i;
    if (i >= 600)
    {
      ASSERT_EQ(0.0f, fr[i]) << i; // the infinity poisons the right states
    }
  }
  EXPECT_TRUE(SameBits(pa.out[0], pb.out[0]) && SameBits(pa.out[1], pb.out[1]));
}

INSTANTIATE_TEST_SUITE_P(BiquadCascade, Kernels, ::testing::ValuesIn(SupportedKernels()),
                         [](const auto& info) { return BiquadCascade::KernelName(info.param); });

TEST(BiquadCascade, PicksTheWidestKernelUnlessTheEnvironmentNamesOne)
{
  const auto kernels = SupportedKernels();
  ASSERT_EQ(BiquadCascade::kKernelSSE2, kernels.front());
  ForceKernel(nullptr);
  EXPECT_EQ(kernels.back(), BiquadCascade().Kernel());
  ForceKernel("sse2");
  EXPECT_EQ(BiquadCascade::kKernelSSE2, BiquadCascade().Kernel());
  ForceKernel("no-such-kernel");
  EXPECT_EQ(kernels.back(), BiquadCascade().Kernel());
  ForceKernel(nullptr);
}
