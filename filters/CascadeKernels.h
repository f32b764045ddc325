#pragma once
// The kernels behind BiquadCascade, one per instruction set, each in a file of its own compiled
// for that set. Only the cascade calls them, and only after checking that the CPU has the set.

#include "filters/BiquadCascade.h"

// One chunk (1 to kMaxChunk frames) through the plan's slots; peaks are updated in place.
template <class S> struct CascadeChunk
{
  const S* inL;
  const S* inR;
  S* outL;
  S* outR;
  int n;
};

void CascadeKernelSSE2(BiquadCascade::Plan& plan, const CascadeChunk<double>& io,
                       const BiquadCascade::Mix& mix, BiquadCascade::Peaks& peaks);
void CascadeKernelSSE2(BiquadCascade::Plan& plan, const CascadeChunk<float>& io,
                       const BiquadCascade::Mix& mix, BiquadCascade::Peaks& peaks);
void CascadeKernelAVX2FMA(BiquadCascade::Plan& plan, const CascadeChunk<double>& io,
                          const BiquadCascade::Mix& mix, BiquadCascade::Peaks& peaks);
void CascadeKernelAVX2FMA(BiquadCascade::Plan& plan, const CascadeChunk<float>& io,
                          const BiquadCascade::Mix& mix, BiquadCascade::Peaks& peaks);
