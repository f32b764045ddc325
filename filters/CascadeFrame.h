#pragma once
// The frame work both kernels share, on one stereo frame in an SSE2 register (left in the low
// lane): loading and storing host samples of either size, the mix, cleaning, pass-through and
// peaks. Included only by the kernel files; everything is internal to each of them, so a kernel
// file built for a wider instruction set keeps its own copies.

#include <emmintrin.h>

#include "filters/CascadeKernels.h"

namespace
{
inline __m128d LoadFrame(const double* l, const double* r, int i)
{
  return _mm_loadh_pd(_mm_load_sd(l + i), r + i);
}

inline __m128 LoadFloats(const float* l, const float* r, int i)
{
  return _mm_unpacklo_ps(_mm_load_ss(l + i), _mm_load_ss(r + i));
}

inline __m128d LoadFrame(const float* l, const float* r, int i)
{
  return _mm_cvtps_pd(LoadFloats(l, r, i));
}

inline void StoreFrame(double* l, double* r, int i, __m128d v)
{
  _mm_storel_pd(l + i, v);
  _mm_storeh_pd(r + i, v);
}

inline void StoreFloats(float* l, float* r, int i, __m128 f)
{
  _mm_store_ss(l + i, f);
  _mm_store_ss(r + i, _mm_shuffle_ps(f, f, _MM_SHUFFLE(1, 1, 1, 1)));
}

inline __m128d Select(__m128d mask, __m128d a, __m128d b)
{
  return _mm_or_pd(_mm_andnot_pd(mask, a), _mm_and_pd(mask, b));
}

// Constants of one chunk.
struct FrameConstants
{
  __m128d abs, tiny, inf, phase, pass;
  __m128 passF;
  __m128d gIn, gOut, dry, wet;

  explicit FrameConstants(const BiquadCascade::Mix& m)
  {
    abs = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFF));
    tiny = _mm_set1_pd(0x1p-54);
    inf = _mm_set1_pd(__builtin_inf());
    phase = _mm_set1_pd(m.invertPhase ? -0.0 : 0.0);
    pass = _mm_castsi128_pd(_mm_set_epi64x(m.passRight ? -1 : 0, m.passLeft ? -1 : 0));
    passF = _mm_castsi128_ps(_mm_set_epi32(0, 0, m.passRight ? -1 : 0, m.passLeft ? -1 : 0));
    gIn = _mm_set1_pd(m.inputGain);
    // (-w) × g equals w × (-g) to the bit, so the phase rides on the gain.
    gOut = _mm_xor_pd(_mm_set1_pd(m.outputGain), phase);
    dry = _mm_set1_pd(m.dryGain);
    wet = _mm_set1_pd(m.wetGain);
  }
};

// Zero for magnitudes below 2^-54, subnormals, infinities and NaNs.
inline __m128d Clean(__m128d o, const FrameConstants& c, __m128d& magnitude)
{
  const __m128d a = _mm_and_pd(o, c.abs);
  const __m128d keep = _mm_and_pd(_mm_cmpge_pd(a, c.tiny), _mm_cmplt_pd(a, c.inf));
  magnitude = _mm_and_pd(a, keep);
  return _mm_and_pd(o, keep);
}

// Writes output frame f: the cleaned mix, or the raw input on a passed side.
template <bool kPass>
inline void OutputFrame(const CascadeChunk<double>& io, const FrameConstants& c, int f, __m128d o,
                        __m128d magnitude, __m128d& peakOut)
{
  if (kPass)
  {
    o = Select(c.pass, o, LoadFrame(io.inL, io.inR, f));
    magnitude = _mm_and_pd(o, c.abs);
  }
  peakOut = _mm_max_pd(magnitude, peakOut); // a NaN leaves the peak as it was
  StoreFrame(io.outL, io.outR, f, o);
}

template <bool kPass>
inline void OutputFrame(const CascadeChunk<float>& io, const FrameConstants& c, int f, __m128d o,
                        __m128d magnitude, __m128d& peakOut)
{
  __m128 of = _mm_cvtpd_ps(o);
  if (kPass)
  {
    // The raw samples are copied as floats, so that nothing about them changes on the way.
    const __m128 raw = LoadFloats(io.inL, io.inR, f);
    of = _mm_or_ps(_mm_andnot_ps(c.passF, of), _mm_and_ps(c.passF, raw));
    magnitude = _mm_and_pd(Select(c.pass, o, _mm_cvtps_pd(raw)), c.abs);
  }
  peakOut = _mm_max_pd(magnitude, peakOut);
  StoreFloats(io.outL, io.outR, f, of);
}

// The first stage: every input frame times the input gain, into the plan's dry line, which is
// both the dry path of the mix and the cascade's input.
template <class S, bool kVary>
inline void InputPass(const CascadeChunk<S>& io, const BiquadCascade::Mix& m,
                      const FrameConstants& c, double* dry, BiquadCascade::Peaks& peaks)
{
  const S* inL = io.inL;
  const S* inR = io.inR;
  const int n = io.n;
  __m128d peak = _mm_loadu_pd(peaks.in);
  for (int t = 0; t < n; ++t)
  {
    const __m128d g = kVary ? _mm_set1_pd(m.inputGains[t]) : c.gIn;
    const __m128d d = _mm_mul_pd(LoadFrame(inL, inR, t), g);
    peak = _mm_max_pd(_mm_and_pd(d, c.abs), peak);
    _mm_store_pd(dry + 2 * t, d);
  }
  _mm_storeu_pd(peaks.in, peak);
}

// The last stage: phase and output gain on the cascade's result, the mix with the dry line,
// cleaning, pass-through and the output peaks. kFused lets the mix end in one fused
// multiply-add.
template <class S, bool kVary, bool kPass, bool kFused>
inline void OutputPass(const CascadeChunk<S>& io, const BiquadCascade::Mix& m,
                       const FrameConstants& c, const double* dry, const double* wet,
                       BiquadCascade::Peaks& peaks)
{
  const CascadeChunk<S> local = io; // no reloads of the pointers after each store
  __m128d peak = _mm_loadu_pd(peaks.out);
  for (int f = 0; f < local.n; ++f)
  {
    __m128d g = c.gOut, dg = c.dry, wg = c.wet;
    if (kVary)
    {
      g = _mm_xor_pd(_mm_set1_pd(m.outputGains[f]), c.phase);
      dg = _mm_set1_pd(m.dryGains[f]);
      wg = _mm_set1_pd(m.wetGains[f]);
    }
    const __m128d w = _mm_mul_pd(_mm_mul_pd(_mm_load_pd(wet + 2 * f), g), wg);
    const __m128d d = _mm_load_pd(dry + 2 * f);
#if defined(__FMA__)
    const __m128d mixed = kFused ? _mm_fmadd_pd(d, dg, w) : _mm_add_pd(_mm_mul_pd(d, dg), w);
#else
    static_assert(!kFused, "fused multiply-add needs a kernel built for it");
    const __m128d mixed = _mm_add_pd(_mm_mul_pd(d, dg), w);
#endif
    __m128d magnitude;
    const __m128d o = Clean(mixed, c, magnitude);
    OutputFrame<kPass>(local, c, f, o, magnitude, peak);
  }
  _mm_storeu_pd(peaks.out, peak);
}
} // namespace
