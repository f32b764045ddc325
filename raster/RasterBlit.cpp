#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "raster/Raster.h"
#include "raster/RasterCombine.h"

using namespace raster_detail;

namespace raster_detail
{

// The first index at or after i whose pixel is not opaque (n when none).
static int OpaqueRunEnd(const uint32_t* s, int i, int n)
{
#if defined(__SSE2__)
  const __m128i alphaMask = _mm_set1_epi32(0xFF);
  while (i + 4 <= n)
  {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i eq = _mm_cmpeq_epi32(_mm_and_si128(v, alphaMask), alphaMask);
    if (_mm_movemask_epi8(eq) != 0xFFFF) break;
    i += 4;
  }
#endif
  while (i < n && (s[i] & 0xFF) == 0xFF)
    ++i;
  return i;
}

template <BlitOp OP>
static void RowLoop(uint32_t* d, const uint32_t* s, int n, int w, bool useAlpha)
{
  for (int i = 0; i < n; ++i)
    CombineOne<OP>(d[i], s[i], w, useAlpha);
}

void CombineRow(uint32_t* d, const uint32_t* s, int n, const BlitParams& p)
{
  switch (p.op)
  {
  case BlitOp::None:
    return;
  case BlitOp::CopyFull:
    std::memmove(d, s, static_cast<size_t>(n) * sizeof(uint32_t));
    return;
  case BlitOp::CopyHalf:
    return RowLoop<BlitOp::CopyHalf>(d, s, n, p.w, p.useAlpha);
  case BlitOp::CopyWeighted:
    return RowLoop<BlitOp::CopyWeighted>(d, s, n, p.w, p.useAlpha);
  case BlitOp::AlphaFull:
    // Backgrounds and the insides of control images are opaque: copy such runs whole.
    for (int i = 0; i < n;)
    {
      const int j = OpaqueRunEnd(s, i, n);
      if (j > i)
      {
        std::memmove(d + i, s + i, static_cast<size_t>(j - i) * sizeof(uint32_t));
        i = j;
        continue;
      }
      CombineOne<BlitOp::AlphaFull>(d[i], s[i], p.w, p.useAlpha);
      ++i;
    }
    return;
  case BlitOp::AlphaWeighted:
    return RowLoop<BlitOp::AlphaWeighted>(d, s, n, p.w, p.useAlpha);
  case BlitOp::Add:
    return RowLoop<BlitOp::Add>(d, s, n, p.w, p.useAlpha);
  case BlitOp::Dodge:
    return RowLoop<BlitOp::Dodge>(d, s, n, p.w, p.useAlpha);
  }
}

} // namespace raster_detail

namespace
{

bool HasPixels(const RasterBitmap* b)
{
  return b && b->getWidth() > 0 && b->getHeight() > 0 && b->getBits();
}

// An inclusive range of source pixels that sampling may use.
struct SourceRegion
{
  int x0, y0, x1, y1;
};

// Colours are interpolated weighted by alpha, so transparent pixels, whatever colour they
// carry, do not bleed into the edges of what is drawn.
// floor for values well inside the int range (sample points near a bitmap), without a libm call.
inline int FloorInt(double v)
{
  const int i = static_cast<int>(v);
  return i > v ? i - 1 : i;
}

uint32_t SampleBilinear(const uint32_t* bits, int span, const SourceRegion& r, double u, double v)
{
  const int iu = FloorInt(u), iv = FloorInt(v);
  const int fx = static_cast<int>((u - iu) * 256.0);
  const int fy = static_cast<int>((v - iv) * 256.0);
  const int xa = std::clamp(iu, r.x0, r.x1);
  const int xb = std::clamp(iu + 1, r.x0, r.x1);
  const int ya = std::clamp(iv, r.y0, r.y1);
  const int yb = std::clamp(iv + 1, r.y0, r.y1);
  const uint32_t p[4] = {
      bits[static_cast<size_t>(ya) * span + xa], bits[static_cast<size_t>(ya) * span + xb],
      bits[static_cast<size_t>(yb) * span + xa], bits[static_cast<size_t>(yb) * span + xb]};
  const int64_t wt[4] = {(256 - fx) * (256 - fy), fx * (256 - fy), (256 - fx) * fy, fx * fy};
  const int a0 = Chan(p[0], 0);
  if (a0 == Chan(p[1], 0) && a0 == Chan(p[2], 0) && a0 == Chan(p[3], 0))
  {
    // Equal alphas (the inside of an image, or a transparent ground): plain interpolation.
    if (a0 == 0) return 0;
    uint32_t out = Put(a0, 0);
    for (int sh = 8; sh < 32; sh += 8)
    {
      int64_t sum = 0;
      for (int i = 0; i < 4; ++i)
        sum += wt[i] * Chan(p[i], sh);
      out |= Put(static_cast<int>((sum + 32768) >> 16), sh);
    }
    return out;
  }
  int64_t alphaSum = 0;
  for (int i = 0; i < 4; ++i)
    alphaSum += wt[i] * Chan(p[i], 0);
  if (alphaSum == 0) return 0;
  uint32_t out = Put(static_cast<int>((alphaSum + 32768) >> 16), 0);
  const double inv = 1.0 / static_cast<double>(alphaSum);
  for (int sh = 8; sh < 32; sh += 8)
  {
    int64_t sum = 0;
    for (int i = 0; i < 4; ++i)
      sum += wt[i] * Chan(p[i], 0) * Chan(p[i], sh);
    out |= Put(std::min(255, static_cast<int>(static_cast<double>(sum) * inv + 0.5)), sh);
  }
  return out;
}

// Maps every pixel of the destination area through an affine map into the source and combines
// the samples. With clampEdges every destination pixel is drawn and samples clamp to the region;
// otherwise pixels whose sample lies outside the region are left alone.
struct AffineMap
{
  double u0, v0;   // sample point of the area's first pixel
  double udi, vdi; // change per pixel to the right
  double udj, vdj; // change per row down
};

void Resample(RasterBitmap* dest, RasterBitmap* src, long long ax, long long ay, long long aw,
              long long ah, const AffineMap& m, const SourceRegion& region, bool clampEdges,
              bool bilinear, const BlitParams& params)
{
  const long long x0 = std::max(0LL, ax), y0 = std::max(0LL, ay);
  const long long x1 = std::min<long long>(dest->getWidth(), ax + aw);
  const long long y1 = std::min<long long>(dest->getHeight(), ay + ah);
  if (x0 >= x1 || y0 >= y1) return;
  const uint32_t* sbits = src->getBits();
  const int sspan = src->getRowSpan();
  uint32_t* dbits = dest->getBits();
  const int dspan = dest->getRowSpan();
  const double lo_u = region.x0 - 0.5, hi_u = region.x1 + 0.5;
  const double lo_v = region.y0 - 0.5, hi_v = region.y1 + 0.5;
  for (long long y = y0; y < y1; ++y)
  {
    const double j = static_cast<double>(y - ay);
    uint32_t* drow = dbits + y * dspan;
    for (long long x = x0; x < x1; ++x)
    {
      const double i = static_cast<double>(x - ax);
      double u = m.u0 + i * m.udi + j * m.udj;
      double v = m.v0 + i * m.vdi + j * m.vdj;
      if (clampEdges)
      {
        u = std::clamp(u, static_cast<double>(region.x0), static_cast<double>(region.x1));
        v = std::clamp(v, static_cast<double>(region.y0), static_cast<double>(region.y1));
      }
      else if (!(u >= lo_u && u < hi_u && v >= lo_v && v < hi_v))
        continue;
      uint32_t s;
      if (bilinear)
        s = SampleBilinear(sbits, sspan, region, u, v);
      else
      {
        const int sx = std::clamp(FloorInt(u + 0.5), region.x0, region.x1);
        const int sy = std::clamp(FloorInt(v + 0.5), region.y0, region.y1);
        s = sbits[static_cast<size_t>(sy) * sspan + sx];
      }
      CombinePixel(drow[x], s, params);
    }
  }
}

bool Finite(std::initializer_list<double> values)
{
  for (double v : values)
    if (!std::isfinite(v) || std::fabs(v) > 1e9) return false;
  return true;
}

// The source pixels within [start, start + length) and the bitmap, as an inclusive range.
bool RegionAxis(double start, double length, int size, bool clip, int* lo, int* hi)
{
  if (!clip)
  {
    *lo = 0;
    *hi = size - 1;
    return size > 0;
  }
  const double a = std::max(0.0, std::ceil(start));
  const double b = std::min(static_cast<double>(size - 1), std::ceil(start + length) - 1.0);
  if (a > b) return false;
  *lo = static_cast<int>(a);
  *hi = static_cast<int>(b);
  return true;
}

} // namespace

void RasterBlit(RasterBitmap* dest, RasterBitmap* src, int dstX, int dstY, int srcX, int srcY,
                int w, int h, float weight, int mode)
{
  if (!HasPixels(dest) || !HasPixels(src) || w <= 0 || h <= 0) return;
  const BlitParams params = ChooseBlit(weight, mode);
  if (params.op == BlitOp::None) return;
  long long dx = dstX, dy = dstY, sx = srcX, sy = srcY, cw = w, ch = h;
  const long long cutX = std::max({0LL, -dx, -sx});
  const long long cutY = std::max({0LL, -dy, -sy});
  dx += cutX, sx += cutX, cw -= cutX;
  dy += cutY, sy += cutY, ch -= cutY;
  cw = std::min({cw, dest->getWidth() - dx, src->getWidth() - sx});
  ch = std::min({ch, dest->getHeight() - dy, src->getHeight() - sy});
  if (cw <= 0 || ch <= 0) return;

  const int dspan = dest->getRowSpan(), sspan = src->getRowSpan();
  uint32_t* d = dest->getBits() + dy * dspan + dx;
  const uint32_t* s = src->getBits() + sy * sspan + sx;
  std::vector<uint32_t> copy;
  if (dest == src)
  {
    // Blitting within one bitmap: read the whole source area before any of it is overwritten.
    copy.resize(static_cast<size_t>(cw * ch));
    for (long long r = 0; r < ch; ++r)
      std::memcpy(&copy[static_cast<size_t>(r * cw)], s + r * sspan, static_cast<size_t>(cw) * 4);
    s = copy.data();
  }
  const long long srcStride = dest == src ? cw : sspan;
  for (long long r = 0; r < ch; ++r)
    CombineRow(d + r * dspan, s + r * srcStride, static_cast<int>(cw), params);
}

void RasterRotatedBlit(RasterBitmap* dest, RasterBitmap* src, int dstX, int dstY, int dstW,
                       int dstH, float srcX, float srcY, float srcW, float srcH, float angle,
                       bool clipToSource, float weight, int mode, float rotXOffset,
                       float rotYOffset)
{
  if (!HasPixels(dest) || !HasPixels(src) || dstW <= 0 || dstH <= 0) return;
  if (!Finite({srcX, srcY, srcW, srcH, angle, rotXOffset, rotYOffset})) return;
  if (!(srcW > 0.0f) || !(srcH > 0.0f)) return;
  const BlitParams params = ChooseBlit(weight, mode);
  if (params.op == BlitOp::None) return;
  SourceRegion region;
  if (!RegionAxis(srcX, srcW, src->getWidth(), clipToSource, &region.x0, &region.x1) ||
      !RegionAxis(srcY, srcH, src->getHeight(), clipToSource, &region.y0, &region.y1))
    return;

  const double kx = static_cast<double>(srcW) / dstW, ky = static_cast<double>(srcH) / dstH;
  const double c = std::cos(static_cast<double>(angle)), s = std::sin(static_cast<double>(angle));
  // Relative to the turning point, destination (rx, ry) samples the source at the point turned
  // back by the angle: (rx c + ry s, -rx s + ry c), scaled into source pixels.
  const double cdx = dstW / 2.0 + rotXOffset, cdy = dstH / 2.0 + rotYOffset;
  const double csx = srcX + srcW / 2.0 + rotXOffset * kx, csy = srcY + srcH / 2.0 + rotYOffset * ky;
  AffineMap m;
  m.u0 = csx + (-cdx * c - cdy * s) * kx;
  m.v0 = csy + (cdx * s - cdy * c) * ky;
  m.udi = c * kx;
  m.vdi = -s * ky;
  m.udj = s * kx;
  m.vdj = c * ky;
  Resample(dest, src, dstX, dstY, dstW, dstH, m, region, false,
           (mode & RASTER_BLIT_FILTER_BILINEAR) != 0, params);
}

void RasterScaledBlit(RasterBitmap* dest, RasterBitmap* src, int dstX, int dstY, int dstW, int dstH,
                      float srcX, float srcY, float srcW, float srcH, float weight, int mode)
{
  if (!HasPixels(dest) || !HasPixels(src) || dstW <= 0 || dstH <= 0) return;
  if (!Finite({srcX, srcY, srcW, srcH})) return;
  if (!(srcW > 0.0f) || !(srcH > 0.0f)) return;
  const BlitParams params = ChooseBlit(weight, mode);
  if (params.op == BlitOp::None) return;
  SourceRegion region;
  if (!RegionAxis(srcX, srcW, src->getWidth(), true, &region.x0, &region.x1) ||
      !RegionAxis(srcY, srcH, src->getHeight(), true, &region.y0, &region.y1))
    return;
  const double kx = static_cast<double>(srcW) / dstW, ky = static_cast<double>(srcH) / dstH;
  AffineMap m;
  m.u0 = srcX + 0.5 * kx - 0.5;
  m.v0 = srcY + 0.5 * ky - 0.5;
  m.udi = kx;
  m.vdi = 0.0;
  m.udj = 0.0;
  m.vdj = ky;
  Resample(dest, src, dstX, dstY, dstW, dstH, m, region, true,
           (mode & RASTER_BLIT_FILTER_BILINEAR) != 0, params);
}

bool RasterCopy(RasterBitmap* dest, RasterBitmap* src)
{
  if (!dest || !src) return false;
  if (dest == src) return true;
  const int w = src->getWidth(), h = src->getHeight();
  if (!dest->resize(w, h)) return false;
  if (!HasPixels(src)) return true;
  for (int y = 0; y < h; ++y)
    std::memcpy(dest->getBits() + static_cast<size_t>(y) * dest->getRowSpan(),
                src->getBits() + static_cast<size_t>(y) * src->getRowSpan(),
                static_cast<size_t>(w) * sizeof(uint32_t));
  return true;
}

void RasterClearRect(RasterBitmap* dest, int x, int y, int w, int h, RasterPixel mask,
                     RasterPixel orBits)
{
  if (!HasPixels(dest) || w <= 0 || h <= 0) return;
  const long long x0 = std::max<long long>(0, x), y0 = std::max<long long>(0, y);
  const long long x1 = std::min<long long>(dest->getWidth(), static_cast<long long>(x) + w);
  const long long y1 = std::min<long long>(dest->getHeight(), static_cast<long long>(y) + h);
  for (long long r = y0; r < y1; ++r)
  {
    uint32_t* row = dest->getBits() + r * dest->getRowSpan();
    for (long long c = x0; c < x1; ++c)
      row[c] = (row[c] & mask) | orBits;
  }
}

RasterPixel RasterGetPixel(const RasterBitmap* bitmap, int x, int y)
{
  if (!HasPixels(bitmap) || x < 0 || y < 0 || x >= bitmap->getWidth() || y >= bitmap->getHeight())
    return 0;
  return bitmap->getBits()[static_cast<size_t>(y) * bitmap->getRowSpan() + x];
}

void RasterPutPixel(RasterBitmap* dest, int x, int y, RasterPixel color, float weight, int mode)
{
  if (!HasPixels(dest)) return;
  PlotColor(dest, x, y, ChooseColor(color, weight, mode));
}
