// The baseline kernel: one stereo section per SSE2 register, up to four sections of the chain busy
// at once in a wavefront (slot k works on frame t - k at step t), between an input and an output
// pass over the chunk. It performs the same IEEE operations in the same order as
// Biquad::processStereo, so its results equal it to the bit.

#include "filters/CascadeFrame.h"

namespace
{
using Mix = BiquadCascade::Mix;
using Plan = BiquadCascade::Plan;

// Slots first..first+kSlots-1 of the cascade from src into dst (which may be the same line).
template <int kSlots> void Wave(Plan& p, int first, const double* src, double* dst, int n)
{
  // Locals, so that the stores into the wet line cannot be taken to change them.
  __m128d a0[kSlots], a1[kSlots], a2[kSlots], b1[kSlots], b2[kSlots];
  __m128d z1[kSlots], z2[kSlots], y[kSlots];
  for (int k = 0; k < kSlots; ++k)
  {
    const int at = 2 * (first + k);
    a0[k] = _mm_load_pd(p.a0 + at);
    a1[k] = _mm_load_pd(p.a1 + at);
    a2[k] = _mm_load_pd(p.a2 + at);
    b1[k] = _mm_load_pd(p.b1 + at);
    b2[k] = _mm_load_pd(p.b2 + at);
    z1[k] = _mm_load_pd(p.z1 + at);
    z2[k] = _mm_load_pd(p.z2 + at);
    y[k] = _mm_setzero_pd();
  }
  // Ramping in and out, slot k only moves its state while 0 <= t - k < n.
  auto step = [&](int t, bool masked) __attribute__((always_inline))
  {
    const __m128d x = !masked || t < n ? _mm_load_pd(src + 2 * t) : _mm_setzero_pd();
    // From the last slot down, so that each reads its predecessor's previous output.
#pragma GCC unroll 8
    for (int k = kSlots - 1; k >= 0; --k)
    {
      const __m128d in = k ? y[k - 1] : x;
      const __m128d out = _mm_add_pd(_mm_mul_pd(in, a0[k]), z1[k]);
      const __m128d n1 =
          _mm_sub_pd(_mm_add_pd(_mm_mul_pd(in, a1[k]), z2[k]), _mm_mul_pd(b1[k], out));
      const __m128d n2 = _mm_sub_pd(_mm_mul_pd(in, a2[k]), _mm_mul_pd(b2[k], out));
      if (!masked || (k <= t && t - k < n))
      {
        z1[k] = n1;
        z2[k] = n2;
      }
      y[k] = out;
    }
    const int f = t - (kSlots - 1);
    if (!masked || f >= 0) _mm_store_pd(dst + 2 * f, y[kSlots - 1]);
  };

  const int ramp = kSlots - 1, total = n + kSlots - 1;
  int t = 0;
  for (; t < ramp; ++t)
    step(t, true);
  for (; t < n; ++t)
    step(t, false);
  for (; t < total; ++t)
    step(t, true);

  for (int k = 0; k < kSlots; ++k)
  {
    _mm_store_pd(p.z1 + 2 * (first + k), z1[k]);
    _mm_store_pd(p.z2 + 2 * (first + k), z2[k]);
  }
}

template <class S, bool kVary, bool kPass>
void Run(Plan& p, const CascadeChunk<S>& io, const Mix& m, BiquadCascade::Peaks& peaks)
{
  const FrameConstants c(m);
  InputPass<S, kVary>(io, m, c, p.dry, peaks);
  // At most four slots per pass: eight would hold 24 registers of state in a set of 16, and
  // the spills cost more than a second pass over the chunk.
  const double* src = p.dry;
  for (int first = 0; first < p.slots; first += 4)
  {
    if (p.slots - first >= 4)
      Wave<4>(p, first, src, p.wet, io.n);
    else
      Wave<2>(p, first, src, p.wet, io.n);
    src = p.wet;
  }
  OutputPass<S, kVary, kPass, false>(io, m, c, p.dry, p.wet, peaks);
}

template <class S>
void Dispatch(Plan& p, const CascadeChunk<S>& io, const Mix& m, BiquadCascade::Peaks& peaks)
{
  const bool vary = m.inputGains && m.outputGains && m.dryGains && m.wetGains;
  const bool pass = m.passLeft || m.passRight;
  if (vary)
    pass ? Run<S, true, true>(p, io, m, peaks) : Run<S, true, false>(p, io, m, peaks);
  else
    pass ? Run<S, false, true>(p, io, m, peaks) : Run<S, false, false>(p, io, m, peaks);
}
} // namespace

void CascadeKernelSSE2(Plan& plan, const CascadeChunk<double>& io, const Mix& mix,
                       BiquadCascade::Peaks& peaks)
{
  Dispatch(plan, io, mix, peaks);
}

void CascadeKernelSSE2(Plan& plan, const CascadeChunk<float>& io, const Mix& mix,
                       BiquadCascade::Peaks& peaks)
{
  Dispatch(plan, io, mix, peaks);
}
