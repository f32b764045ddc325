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

// Skips kernels the CPU lacks; labels the run with the kernel's name.
Tarvo* MakeFor(benchmark::State& state)
{
  const auto kernel = static_cast<BiquadCascade::EKernel>(state.range(0));
  if (!BiquadCascade::IsSupported(kernel))
  {
    state.SkipWithError("not supported on this CPU");
    return nullptr;
  }
  state.SetLabel(BiquadCascade::KernelName(kernel));
  return MakeBenchPlug(kernel);
}

void BM_ProcessDoubleReplacing(benchmark::State& state)
{
  Tarvo* plug = MakeFor(state);
  if (!plug) return;
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

// The reference step per band, frame by frame: what the kernels are measured against.
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
  Tarvo* plug = MakeFor(state);
  if (!plug) return;
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

BENCHMARK(BM_ProcessDoubleReplacing)->DenseRange(0, BiquadCascade::kNumKernels - 1);
BENCHMARK(BM_BareCascade);
BENCHMARK(BM_SilenceAfterBurst)->DenseRange(0, BiquadCascade::kNumKernels - 1);
BENCHMARK_MAIN();
