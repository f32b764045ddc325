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

  // The steady steps, three at a time. A step leaves the new z1 where z2 was, the new z2 where
  // its input was (which took y's place) and y where z1 was; three steps bring every value back
  // to its register, so the loop needs no moves between them.
  auto turn = [&](int t, __m256d* z1r, __m256d* z2r, __m256d* yr) __attribute__((always_inline))
  {
    const __m128d x = _mm_load_pd(dry + 2 * t);
#pragma GCC unroll 4
    for (int j = V - 1; j > 0; --j)
      yr[j] = _mm256_permute2f128_pd(yr[j - 1], yr[j], 0x21);
    yr[0] = _mm256_insertf128_pd(_mm256_castpd128_pd256(x), _mm256_castpd256_pd128(yr[0]), 1);
#pragma GCC unroll 4
    for (int j = 0; j < V; ++j)
    {
      const __m256d in = yr[j];
      z1r[j] = _mm256_fmadd_pd(in, a0[j], z1r[j]);      // out
      z2r[j] = _mm256_fmadd_pd(in, a1[j], z2r[j]);      // in a1 + z2
      yr[j] = _mm256_mul_pd(in, a2[j]);                 // in a2
      z2r[j] = _mm256_fnmadd_pd(b1[j], z1r[j], z2r[j]); // new z1
      yr[j] = _mm256_fnmadd_pd(b2[j], z1r[j], yr[j]);   // new z2
    }
    _mm_store_pd(wet + 2 * (t - (kSlots - 1)), _mm256_extractf128_pd(z1r[V - 1], 1));
  };

  const int ramp = kSlots - 1, total = n + kSlots - 1;
  int t = 0;
  for (; t < ramp; ++t)
    step(t, true);
  for (; t + 3 <= n; t += 3)
  {
    turn(t, z1, z2, y);     // now z1 in z2, z2 in y, y in z1
    turn(t + 1, z2, y, z1); // now z1 in y, z2 in z1, y in z2
    turn(t + 2, y, z1, z2); // back in place
  }
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

// Two frames at once, as [left f, right f, left f+1, right f+1].
inline __m256d LoadTwo(const double* l, const double* r, int f)
{
  const __m256d split = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(l + f)),
                                             _mm_loadu_pd(r + f), 1); // l f, l f+1, r f, r f+1
  return _mm256_permute4x64_pd(split, _MM_SHUFFLE(3, 1, 2, 0));
}

inline __m256d LoadTwo(const float* l, const float* r, int f)
{
  const __m128 both =
      _mm_loadh_pi(_mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(l + f))),
                   reinterpret_cast<const __m64*>(r + f));
  return _mm256_permute4x64_pd(_mm256_cvtps_pd(both), _MM_SHUFFLE(3, 1, 2, 0));
}

inline void StoreTwo(double* l, double* r, int f, __m256d v)
{
  const __m256d split = _mm256_permute4x64_pd(v, _MM_SHUFFLE(3, 1, 2, 0));
  _mm_storeu_pd(l + f, _mm256_castpd256_pd128(split));
  _mm_storeu_pd(r + f, _mm256_extractf128_pd(split, 1));
}

inline void StoreTwo(float* l, float* r, int f, __m256d v)
{
  const __m128 x = _mm256_cvtpd_ps(v); // l f, r f, l f+1, r f+1
  const __m128 split = _mm_shuffle_ps(x, x, _MM_SHUFFLE(3, 1, 2, 0));
  _mm_storel_pi(reinterpret_cast<__m64*>(l + f), split);
  _mm_storeh_pi(reinterpret_cast<__m64*>(r + f), split);
}

inline __m128d Fold(__m256d v)
{
  return _mm_max_pd(_mm256_castpd256_pd128(v), _mm256_extractf128_pd(v, 1));
}

// The frame passes for settled gains and no pass-through, the common case, two frames per
// register. The frames left over take the one-frame passes.
template <class S>
int InputPassWide(const CascadeChunk<S>& io, const FrameConstants& c, double* dry,
                  BiquadCascade::Peaks& peaks)
{
  const S* inL = io.inL;
  const S* inR = io.inR;
  const __m256d g = _mm256_broadcast_pd(&c.gIn), abs = _mm256_broadcast_pd(&c.abs);
  __m256d peak = _mm256_setzero_pd();
  int f = 0;
  for (; f + 2 <= io.n; f += 2)
  {
    const __m256d d = _mm256_mul_pd(LoadTwo(inL, inR, f), g);
    peak = _mm256_max_pd(_mm256_and_pd(d, abs), peak);
    _mm256_store_pd(dry + 2 * f, d);
  }
  _mm_storeu_pd(peaks.in, _mm_max_pd(Fold(peak), _mm_loadu_pd(peaks.in)));
  return f;
}

template <class S>
int OutputPassWide(const CascadeChunk<S>& io, const FrameConstants& c, const double* dry,
                   const double* wet, BiquadCascade::Peaks& peaks)
{
  S* outL = io.outL;
  S* outR = io.outR;
  const __m256d g = _mm256_broadcast_pd(&c.gOut), dg = _mm256_broadcast_pd(&c.dry);
  const __m256d wg = _mm256_broadcast_pd(&c.wet), abs = _mm256_broadcast_pd(&c.abs);
  const __m256d tiny = _mm256_broadcast_pd(&c.tiny), inf = _mm256_broadcast_pd(&c.inf);
  __m256d peak = _mm256_setzero_pd();
  int f = 0;
  for (; f + 2 <= io.n; f += 2)
  {
    const __m256d w = _mm256_mul_pd(_mm256_mul_pd(_mm256_load_pd(wet + 2 * f), g), wg);
    const __m256d o = _mm256_fmadd_pd(_mm256_load_pd(dry + 2 * f), dg, w);
    const __m256d a = _mm256_and_pd(o, abs);
    const __m256d keep =
        _mm256_and_pd(_mm256_cmp_pd(a, tiny, _CMP_GE_OQ), _mm256_cmp_pd(a, inf, _CMP_LT_OQ));
    peak = _mm256_max_pd(_mm256_and_pd(a, keep), peak);
    StoreTwo(outL, outR, f, _mm256_and_pd(o, keep));
  }
  _mm_storeu_pd(peaks.out, _mm_max_pd(Fold(peak), _mm_loadu_pd(peaks.out)));
  return f;
}

template <class S, bool kVary, bool kPass>
void Run(Plan& p, const CascadeChunk<S>& io, const Mix& m, BiquadCascade::Peaks& peaks)
{
  const FrameConstants c(m);
  const bool wide = !kVary && !kPass;
  int done = wide ? InputPassWide(io, c, p.dry, peaks) : 0;
  const CascadeChunk<S> inRest{io.inL + done, io.inR + done, io.outL, io.outR, io.n - done};
  InputPass<S, kVary>(inRest, m, c, p.dry + 2 * done, peaks);
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
  done = wide ? OutputPassWide(io, c, p.dry, p.wet, peaks) : 0;
  const CascadeChunk<S> outRest{io.inL + done, io.inR + done, io.outL + done, io.outR + done,
                                io.n - done};
  OutputPass<S, kVary, kPass, true>(outRest, m, c, p.dry + 2 * done, p.wet + 2 * done, peaks);
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
