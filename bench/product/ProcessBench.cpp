// The product's block routine against a bare cascade of the same eight sections, side by side.

#include <benchmark/benchmark.h>

#include "BenchSetup.h"

namespace
{
void Settle(Tarvo* plug, BenchBlock& block)
{
  for (int i = 0; i < 200; ++i)
    plug->ProcessDoubleReplacing(block.in, block.out, kBenchBlock);
}

void BM_ProcessDoubleReplacing(benchmark::State& state)
{
  Tarvo* plug = MakeBenchPlug();
  BenchBlock block;
  Settle(plug, block);
  for (auto _ : state)
  {
    plug->ProcessDoubleReplacing(block.in, block.out, kBenchBlock);
    benchmark::DoNotOptimize(block.outL.data());
  }
  state.SetItemsProcessed(state.iterations() * kBenchBlock);
  plug->release();
}

// Nothing but processStereo per band: the floor any block routine around it stands on.
void BM_BareCascade(benchmark::State& state)
{
  Tarvo* plug = MakeBenchPlug();
  Biquad bands[kNumBands];
  for (int b = 0; b < kNumBands; ++b)
    bands[b] = plug->GetBand(b);
  BenchBlock block;
  for (auto _ : state)
  {
    for (int i = 0; i < kBenchBlock; ++i)
    {
      double l = block.inL[i], r = block.inR[i];
      for (Biquad& band : bands)
        band.processStereo(l, r);
      block.outL[i] = l;
      block.outR[i] = r;
    }
    benchmark::DoNotOptimize(block.outL.data());
  }
  state.SetItemsProcessed(state.iterations() * kBenchBlock);
  plug->release();
}

// Silence after a loud burst: decaying filter states must not turn into slow subnormals.
void BM_SilenceAfterBurst(benchmark::State& state)
{
  Tarvo* plug = MakeBenchPlug();
  BenchBlock loud, quiet;
  for (double& v : quiet.inL)
    v = 0.0;
  for (double& v : quiet.inR)
    v = 0.0;
  Settle(plug, loud);
  for (auto _ : state)
  {
    plug->ProcessDoubleReplacing(quiet.in, quiet.out, kBenchBlock);
    benchmark::DoNotOptimize(quiet.outL.data());
  }
  state.SetItemsProcessed(state.iterations() * kBenchBlock);
  plug->release();
}
} // namespace

BENCHMARK(BM_ProcessDoubleReplacing);
BENCHMARK(BM_BareCascade);
BENCHMARK(BM_SilenceAfterBurst);
BENCHMARK_MAIN();
