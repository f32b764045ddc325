// The bare eight-band stereo cascade over 512-frame blocks, frame by frame with the reference
// step and through each kernel of BiquadCascade.

#include "filters/BiquadCascade.h"

#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <vector>

namespace
{
constexpr int kBlock = 512;
using Cascade = std::array<Biquad, 8>;

// Eight peak bands as a user might set them at 48 kHz, narrow and wide, boosts and cuts.
Cascade makeCascade()
{
  const double freqs[8] = {40, 120, 350, 900, 2200, 5000, 9000, 15000};
  Cascade bands;
  for (int i = 0; i < 8; ++i)
    bands[i] = Biquad(Biquad::kPeak, freqs[i] / 48000.0, i % 2 ? 0.712 : 5.696, i % 3 ? 4.5 : -7.0);
  return bands;
}

struct Block
{
  std::vector<double> inL, inR, outL, outR;
  Block() : inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock)
  {
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> x(-0.5, 0.5);
    for (int i = 0; i < kBlock; ++i)
      inL[i] = x(rng), inR[i] = x(rng);
  }
};

template <typename Step> void runCascade(benchmark::State& state, Step step)
{
  Cascade bands = makeCascade();
  Block b;
  for (auto _ : state)
  {
    for (int i = 0; i < kBlock; ++i)
      step(bands, b, i);
    benchmark::DoNotOptimize(b.outL.data());
    benchmark::DoNotOptimize(b.outR.data());
    benchmark::ClobberMemory();
  }
  // Seconds per frame (shown with an SI prefix: "20n" is 20 ns).
  state.counters["per_frame"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The reference: Biquad's step, one frame at a time through all eight sections.
void BM_CascadeReference(benchmark::State& state)
{
  runCascade(state,
             [](Cascade& bands, Block& b, int i)
             {
               double l = b.inL[i], r = b.inR[i];
               for (Biquad& band : bands)
                 band.processStereo(l, r);
               b.outL[i] = l;
               b.outR[i] = r;
             });
}
BENCHMARK(BM_CascadeReference);

// The cascade's kernels on the same sections, wet only, unity gains.
void BM_CascadeKernel(benchmark::State& state)
{
  const auto kernel = static_cast<BiquadCascade::EKernel>(state.range(0));
  BiquadCascade cascade;
  if (!cascade.SetKernel(kernel))
  {
    state.SkipWithError("not supported on this CPU");
    return;
  }
  state.SetLabel(BiquadCascade::KernelName(kernel));
  const Cascade bands = makeCascade();
  for (int i = 0; i < 8; ++i)
    cascade.Section(i) = bands[i];
  Block b;
  BiquadCascade::Mix mix;
  BiquadCascade::Peaks peaks;
  for (auto _ : state)
  {
    cascade.Process(b.inL.data(), b.inR.data(), b.outL.data(), b.outR.data(), kBlock, mix, peaks);
    benchmark::DoNotOptimize(b.outL.data());
    benchmark::ClobberMemory();
  }
  state.counters["per_frame"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CascadeKernel)->DenseRange(0, BiquadCascade::kNumKernels - 1);
} // namespace
