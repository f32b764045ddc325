// The AVX2 kernel: two stereo sections per 256-bit register (lanes: section 2j left and right,
// section 2j+1 left and right) and all registers of the chain busy at once in a wavefront: slot
// k works on frame t - k at step t, so a register's upper section takes the frame its lower
// section finished one step earlier. Built with AVX2 and FMA for this file only; the cascade
// calls it only on CPUs that have both. The fused multiply-adds round once where the reference
// rounds twice, so results stay within 1e-12 of Biquad rather than equal to the bit.

#include <immintrin.h>

#include "filters/CascadeFrame.h"

namespace
{
using Mix = BiquadCascade::Mix;
using Plan = BiquadCascade::Plan;

// The cascade from the plan's dry line into its wet line.
template <int kSlots> void Wave(Plan& p, int n)
{
  constexpr int V = kSlots / 2;
  // Locals, so that the stores into the wet line cannot be taken to change them.
  __m256d a0[V], a1[V], a2[V], b1[V], b2[V], z1[V], z2[V], y[V], lane[V];
  for (int j = 0; j < V; ++j)
  {
    a0[j] = _mm256_load_pd(p.a0 + 4 * j);
    a1[j] = _mm256_load_pd(p.a1 + 4 * j);
    a2[j] = _mm256_load_pd(p.a2 + 4 * j);
    b1[j] = _mm256_load_pd(p.b1 + 4 * j);
    b2[j] = _mm256_load_pd(p.b2 + 4 * j);
    z1[j] = _mm256_load_pd(p.z1 + 4 * j);
    z2[j] = _mm256_load_pd(p.z2 + 4 * j);
    y[j] = _mm256_setzero_pd();
    lane[j] = _mm256_set_pd(2 * j + 1, 2 * j + 1, 2 * j, 2 * j);
  }
  const double* dry = p.dry;
  double* wet = p.wet;

  auto step = [&](int t, bool masked) __attribute__((always_inline))
  {
    const __m128d x = !masked || t < n ? _mm_load_pd(dry + 2 * t) : _mm_setzero_pd();
    __m256d in[V];
    in[0] = _mm256_insertf128_pd(_mm256_castpd128_pd256(x), _mm256_castpd256_pd128(y[0]), 1);
#pragma GCC unroll 4
    for (int j = 1; j < V; ++j)
      in[j] = _mm256_permute2f128_pd(y[j - 1], y[j], 0x21);
    // Ramping in and out, a slot k only moves its state while 0 <= t - k < n.
    __m256d active[V];
    if (masked)
    {
      const __m256d now = _mm256_set1_pd(t), first = _mm256_set1_pd(t - n);
#pragma GCC unroll 4
      for (int j = 0; j < V; ++j)
        active[j] = _mm256_and_pd(_mm256_cmp_pd(lane[j], now, _CMP_LE_OQ),
                                  _mm256_cmp_pd(lane[j], first, _CMP_GT_OQ));
    }
#pragma GCC unroll 4
    for (int j = 0; j < V; ++j)
    {
      const __m256d out = _mm256_fmadd_pd(in[j], a0[j], z1[j]);
      const __m256d n1 = _mm256_fnmadd_pd(b1[j], out, _mm256_fmadd_pd(in[j], a1[j], z2[j]));
      const __m256d n2 = _mm256_fnmadd_pd(b2[j], out, _mm256_mul_pd(in[j], a2[j]));
      z1[j] = masked ? _mm256_blendv_pd(z1[j], n1, active[j]) : n1;
      z2[j] = masked ? _mm256_blendv_pd(z2[j], n2, active[j]) : n2;
      y[j] = out;
    }
    const int f = t - (kSlots - 1);
    if (!masked || f >= 0) _mm_store_pd(wet + 2 * f, _mm256_extractf128_pd(y[V - 1], 1));
  };

  const int ramp = kSlots - 1, total = n + kSlots - 1;
  int t = 0;
  for (; t < ramp; ++t)
    step(t, true);
  for (; t < n; ++t)
    step(t, false);
  for (; t < total; ++t)
    step(t, true);

  for (int j = 0; j < V; ++j)
  {
    _mm256_store_pd(p.z1 + 4 * j, z1[j]);
    _mm256_store_pd(p.z2 + 4 * j, z2[j]);
  }
}

template <class S, bool kVary, bool kPass>
void Run(Plan& p, const CascadeChunk<S>& io, const Mix& m, BiquadCascade::Peaks& peaks)
{
  const FrameConstants c(m);
  InputPass<S, kVary>(io, m, c, p.dry, peaks);
  switch (p.slots)
  {
  case 2:
    Wave<2>(p, io.n);
    break;
  case 4:
    Wave<4>(p, io.n);
    break;
  case 6:
    Wave<6>(p, io.n);
    break;
  default:
    Wave<8>(p, io.n);
    break;
  }
  OutputPass<S, kVary, kPass, true>(io, m, c, p.dry, p.wet, peaks);
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

void CascadeKernelAVX2FMA(Plan& plan, const CascadeChunk<double>& io, const Mix& mix,
                          BiquadCascade::Peaks& peaks)
{
  Dispatch(plan, io, mix, peaks);
}

void CascadeKernelAVX2FMA(Plan& plan, const CascadeChunk<float>& io, const Mix& mix,
                          BiquadCascade::Peaks& peaks)
{
  Dispatch(plan, io, mix, peaks);
}
