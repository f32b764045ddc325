#include "filters/BiquadCascade.h"

#include <cstdlib>
#include <cstring>

#include "filters/CascadeKernels.h"

namespace
{
const char* const kKernelNames[BiquadCascade::kNumKernels] = {"sse2", "avx2"};
const Biquad kPassThrough; // a0 = 1, everything else 0

bool CpuHas(BiquadCascade::EKernel kernel)
{
  switch (kernel)
  {
  case BiquadCascade::kKernelSSE2:
    return true; // part of x86-64 itself
  case BiquadCascade::kKernelAVX2FMA:
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    __builtin_cpu_init();
    // libgcc reports AVX2 only when the operating system also saves the wide registers.
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
    return false;
#endif
  default:
    return false;
  }
}
} // namespace

BiquadCascade::BiquadCascade()
{
  for (int k = kNumKernels - 1; k >= 0; --k)
    if (SetKernel(static_cast<EKernel>(k))) break;
  if (const char* forced = std::getenv("TARVO_KERNEL"))
    for (int k = 0; k < kNumKernels; ++k)
      if (std::strcmp(forced, kKernelNames[k]) == 0) SetKernel(static_cast<EKernel>(k));
}

bool BiquadCascade::IsSupported(EKernel kernel)
{
  return CpuHas(kernel);
}

const char* BiquadCascade::KernelName(EKernel kernel)
{
  return kernel >= 0 && kernel < kNumKernels ? kKernelNames[kernel] : "";
}

bool BiquadCascade::SetKernel(EKernel kernel)
{
  if (!CpuHas(kernel)) return false;
  mKernel = kernel;
  return true;
}

void BiquadCascade::Gather()
{
  mNumActive = 0;
  for (int i = 0; i < kMaxSections; ++i)
    if (!mBypassed[i]) mActive[mNumActive++] = i;
  // Kernels take sections in pairs; a lone last one is followed by a pass-through slot
  // (a0 = 1, states 0), which changes nothing but the sign of a zero the cleaning drops anyway.
  mPlan.slots = mNumActive < 2 ? 2 : (mNumActive + 1) & ~1;
  for (int s = 0; s < mPlan.slots; ++s)
  {
    const Biquad& b = s < mNumActive ? mSections[mActive[s]] : kPassThrough;
    const double coef[5] = {b.a0, b.a1, b.a2, b.b1, b.b2};
    double* rows[5] = {mPlan.a0, mPlan.a1, mPlan.a2, mPlan.b1, mPlan.b2};
    for (int c = 0; c < 5; ++c)
      rows[c][2 * s] = rows[c][2 * s + 1] = coef[c];
    mPlan.z1[2 * s] = b.z1L;
    mPlan.z1[2 * s + 1] = b.z1R;
    mPlan.z2[2 * s] = b.z2L;
    mPlan.z2[2 * s + 1] = b.z2R;
  }
}

void BiquadCascade::Scatter()
{
  for (int s = 0; s < mNumActive; ++s)
  {
    Biquad& b = mSections[mActive[s]];
    b.z1L = mPlan.z1[2 * s];
    b.z1R = mPlan.z1[2 * s + 1];
    b.z2L = mPlan.z2[2 * s];
    b.z2R = mPlan.z2[2 * s + 1];
  }
}

template <class S>
void BiquadCascade::Run(const S* inL, const S* inR, S* outL, S* outR, int n, const Mix& mix,
                        Peaks& peaks)
{
  if (n <= 0) return;
  Gather();
  for (int start = 0; start < n; start += kMaxChunk)
  {
    const int len = n - start < kMaxChunk ? n - start : kMaxChunk;
    const CascadeChunk<S> io{inL + start, inR + start, outL + start, outR + start, len};
    Mix part = mix;
    if (mix.inputGains) part.inputGains += start;
    if (mix.outputGains) part.outputGains += start;
    if (mix.dryGains) part.dryGains += start;
    if (mix.wetGains) part.wetGains += start;
    if (mKernel == kKernelAVX2FMA)
      CascadeKernelAVX2FMA(mPlan, io, part, peaks);
    else
      CascadeKernelSSE2(mPlan, io, part, peaks);
  }
  Scatter();
}

void BiquadCascade::Process(const double* inL, const double* inR, double* outL, double* outR, int n,
                            const Mix& mix, Peaks& peaks)
{
  Run(inL, inR, outL, outR, n, mix, peaks);
}

void BiquadCascade::Process(const float* inL, const float* inR, float* outL, float* outR, int n,
                            const Mix& mix, Peaks& peaks)
{
  Run(inL, inR, outL, outR, n, mix, peaks);
}
