// The bare eight-band stereo cascade over 512-frame blocks: the baseline that the product's
// block routine (gains, mix, cleaning, meters around this cascade) is measured against.

#include "filters/Biquad.h"

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

void BM_CascadeScalar(benchmark::State& state)
{
  runCascade(state,
             [](Cascade& bands, Block& b, int i)
             {
               double l = b.inL[i], r = b.inR[i];
               for (Biquad& band : bands)
                 band.processStereoScalar(l, r);
               b.outL[i] = l;
               b.outR[i] = r;
             });
}
BENCHMARK(BM_CascadeScalar);

// processStereo: the packed step where SSE2 exists, unpacked after every section.
void BM_CascadeProcessStereo(benchmark::State& state)
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
BENCHMARK(BM_CascadeProcessStereo);

#if TARVO_BIQUAD_SSE2
// The frame stays packed from section to section.
void BM_CascadeSSE2Packed(benchmark::State& state)
{
  runCascade(state,
             [](Cascade& bands, Block& b, int i)
             {
               __m128d lr = _mm_set_pd(b.inR[i], b.inL[i]);
               for (Biquad& band : bands)
                 lr = band.processPair(lr);
               _mm_storel_pd(&b.outL[i], lr);
               _mm_storeh_pd(&b.outR[i], lr);
             });
}
BENCHMARK(BM_CascadeSSE2Packed);
#endif
} // namespace
