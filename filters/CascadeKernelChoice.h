#pragma once
// How tests and benchmarks run every kernel: the kernels this CPU has, and the switch that makes
// the cascades made next use one of them (TARVO_KERNEL, read when a cascade is made).

#include <cstdlib>
#include <vector>

#include "filters/BiquadCascade.h"

inline std::vector<BiquadCascade::EKernel> SupportedKernels()
{
  std::vector<BiquadCascade::EKernel> kernels;
  for (int k = 0; k < BiquadCascade::kNumKernels; ++k)
    if (BiquadCascade::IsSupported(static_cast<BiquadCascade::EKernel>(k)))
      kernels.push_back(static_cast<BiquadCascade::EKernel>(k));
  return kernels;
}

// Null removes the switch, so cascades pick their kernel themselves again.
inline void ForceKernel(const char* name)
{
#if defined(_WIN32)
  _putenv_s("TARVO_KERNEL", name ? name : "");
#else
  if (name)
    setenv("TARVO_KERNEL", name, 1);
  else
    unsetenv("TARVO_KERNEL");
#endif
}
