#pragma once
// A product instance with all eight bands active, settled, and a block of noise.

#include <cstdlib>
#include <random>
#include <vector>

#include "filters/CascadeKernelChoice.h"
#include "product/Tarvo.h"

constexpr int kBenchBlock = 512;

// kernel: a BiquadCascade kernel number, or -1 for the one the instance picks itself.
inline Tarvo* MakeBenchPlug(int kernel = -1)
{
  if (kernel >= 0)
    ForceKernel(BiquadCascade::KernelName(static_cast<BiquadCascade::EKernel>(kernel)));
  auto* plug = new Tarvo();
  ForceKernel(nullptr);
  plug->SetSampleRate(48000);
  plug->SetBlockSize(kBenchBlock);
  plug->Reset();
  const double freqs[8] = {40, 120, 350, 900, 2200, 5000, 9000, 15000};
  for (int b = 0; b < kNumBands; ++b)
  {
    plug->GetParam(kGain1 + b)->Set(b % 3 ? 4.5 : -7.0);
    plug->GetParam(kFrequency1 + b)->Set(freqs[b]);
    plug->GetParam(kBandwidth1 + b)->Set(b % 2);
  }
  plug->GetParam(kMix)->Set(80.0);
  plug->OnParamReset();
  return plug;
}

struct BenchBlock
{
  std::vector<double> inL, inR, outL, outR;
  double* in[2];
  double* out[2];
  BenchBlock() : inL(kBenchBlock), inR(kBenchBlock), outL(kBenchBlock), outR(kBenchBlock)
  {
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> x(-0.5, 0.5);
    for (int i = 0; i < kBenchBlock; ++i)
    {
      inL[i] = x(rng);
      inR[i] = x(rng);
    }
    in[0] = inL.data();
    in[1] = inR.data();
    out[0] = outL.data();
    out[1] = outR.data();
  }
};
