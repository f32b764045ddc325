#pragma once
// Left and right samples as one value: two SSE2 lanes on x86-64, two doubles elsewhere. Every
// operation is the plain IEEE operation per lane, so results equal the scalar form to the bit.

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

struct StereoPair
{
#if defined(__SSE2__)
  __m128d v;

  static StereoPair Set(double l, double r)
  {
    return {_mm_set_pd(r, l)};
  }
  static StereoPair Splat(double x)
  {
    return {_mm_set1_pd(x)};
  }
  static StereoPair Zero()
  {
    return {_mm_setzero_pd()};
  }
  // All bits set in a lane whose flag is true.
  static StereoPair Mask(bool l, bool r)
  {
    return {_mm_castsi128_pd(_mm_set_epi64x(r ? -1 : 0, l ? -1 : 0))};
  }
  double L() const
  {
    return _mm_cvtsd_f64(v);
  }
  double R() const
  {
    return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v));
  }
  void Store(double* l, double* r) const
  {
    _mm_storel_pd(l, v);
    _mm_storeh_pd(r, v);
  }

  friend StereoPair operator+(StereoPair a, StereoPair b)
  {
    return {_mm_add_pd(a.v, b.v)};
  }
  friend StereoPair operator-(StereoPair a, StereoPair b)
  {
    return {_mm_sub_pd(a.v, b.v)};
  }
  friend StereoPair operator*(StereoPair a, StereoPair b)
  {
    return {_mm_mul_pd(a.v, b.v)};
  }
  friend StereoPair operator^(StereoPair a, StereoPair b)
  {
    return {_mm_xor_pd(a.v, b.v)};
  }
  // Where the mask is set take b, elsewhere a.
  static StereoPair Select(StereoPair mask, StereoPair a, StereoPair b)
  {
    return {_mm_or_pd(_mm_andnot_pd(mask.v, a.v), _mm_and_pd(mask.v, b.v))};
  }
  StereoPair Abs() const
  {
    return {_mm_and_pd(_mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFF)), v)};
  }
  // The larger of this and held; a NaN here leaves held as it was.
  StereoPair MaxInto(StereoPair held) const
  {
    return {_mm_max_pd(v, held.v)};
  }
  // Zero for every magnitude below 2^-54, subnormals, infinities and NaNs: a test of the upper
  // word of each lane.
  StereoPair Clean() const
  {
    const __m128i bits = _mm_castpd_si128(v);
    const __m128i h =
        _mm_and_si128(_mm_add_epi32(bits, _mm_set1_epi32(0x00100000)), _mm_set1_epi32(0x7FE00000));
    const __m128i keep = _mm_cmpgt_epi32(h, _mm_set1_epi32(0x3C9FFFFF));
    const __m128i upper = _mm_shuffle_epi32(keep, _MM_SHUFFLE(3, 3, 1, 1));
    return {_mm_and_pd(_mm_castsi128_pd(upper), v)};
  }
#else
  double l, r;

  static StereoPair Set(double a, double b)
  {
    return {a, b};
  }
  static StereoPair Splat(double x)
  {
    return {x, x};
  }
  static StereoPair Zero()
  {
    return {0.0, 0.0};
  }
  static StereoPair Mask(bool a, bool b)
  {
    return {Bits(a ? ~0ull : 0), Bits(b ? ~0ull : 0)};
  }
  double L() const
  {
    return l;
  }
  double R() const
  {
    return r;
  }
  void Store(double* a, double* b) const
  {
    *a = l;
    *b = r;
  }
  friend StereoPair operator+(StereoPair a, StereoPair b)
  {
    return {a.l + b.l, a.r + b.r};
  }
  friend StereoPair operator-(StereoPair a, StereoPair b)
  {
    return {a.l - b.l, a.r - b.r};
  }
  friend StereoPair operator*(StereoPair a, StereoPair b)
  {
    return {a.l * b.l, a.r * b.r};
  }
  friend StereoPair operator^(StereoPair a, StereoPair b)
  {
    return {Bits(Raw(a.l) ^ Raw(b.l)), Bits(Raw(a.r) ^ Raw(b.r))};
  }
  static StereoPair Select(StereoPair mask, StereoPair a, StereoPair b)
  {
    return {Raw(mask.l) ? b.l : a.l, Raw(mask.r) ? b.r : a.r};
  }
  StereoPair Abs() const
  {
    return {Bits(Raw(l) & ~(1ull << 63)), Bits(Raw(r) & ~(1ull << 63))};
  }
  StereoPair MaxInto(StereoPair held) const
  {
    return {l > held.l ? l : held.l, r > held.r ? r : held.r};
  }
  StereoPair Clean() const
  {
    return {CleanOne(l), CleanOne(r)};
  }

private:
  static uint64_t Raw(double x)
  {
    uint64_t u;
    std::memcpy(&u, &x, sizeof u);
    return u;
  }
  static double Bits(uint64_t u)
  {
    double x;
    std::memcpy(&x, &u, sizeof x);
    return x;
  }
  static double CleanOne(double x)
  {
    const uint32_t h = static_cast<uint32_t>(Raw(x) >> 32);
    return ((h + 0x00100000u) & 0x7FE00000u) < 0x3CA00000u ? 0.0 : x;
  }
#endif
};
