#pragma once
// How a source pixel or a colour combines with a destination pixel. Shared by the blits and the
// shape drawing; the rules are the ones documented in Raster.h. Divisions are on signed ints on
// purpose: the rules truncate toward zero, which a shift would not do for negative differences.

#include <algorithm>
#include <cstdint>

#include "raster/Raster.h"

namespace raster_detail
{

// trunc(weight * 256), limited to 0..256; NaN gives 0.
inline int WeightToW(float weight)
{
  if (!(weight > 0.0f)) return 0;
  if (weight >= 1.0f) return 256;
  return static_cast<int>(weight * 256.0f);
}

inline int Chan(uint32_t p, int shift)
{
  return static_cast<int>(p >> shift & 0xFF);
}
inline uint32_t Put(int v, int shift)
{
  return static_cast<uint32_t>(v) << shift;
}

enum class BlitOp
{
  None,
  CopyFull,
  CopyHalf,
  CopyWeighted,
  AlphaFull,
  AlphaWeighted,
  Add,
  Dodge,
};

struct BlitParams
{
  BlitOp op = BlitOp::None;
  int w = 0;
  bool useAlpha = false;
};

inline BlitParams ChooseBlit(float weight, int mode)
{
  BlitParams p;
  p.w = WeightToW(weight);
  p.useAlpha = (mode & RASTER_BLIT_USE_ALPHA) != 0;
  if (p.w == 0) return p;
  switch (mode & RASTER_BLIT_MODE_MASK)
  {
  case RASTER_BLIT_MODE_ADD:
    p.op = BlitOp::Add;
    break;
  case RASTER_BLIT_MODE_DODGE:
    p.op = BlitOp::Dodge;
    break;
  default:
    if (p.useAlpha)
      p.op = p.w == 256 ? BlitOp::AlphaFull : BlitOp::AlphaWeighted;
    else if (p.w == 256)
      p.op = BlitOp::CopyFull;
    else if (weight == 0.5f)
      p.op = BlitOp::CopyHalf;
    else
      p.op = BlitOp::CopyWeighted;
    break;
  }
  return p;
}

inline uint32_t HalfSum(uint32_t d, uint32_t s)
{
  return (d >> 1 & 0x7F7F7F7Fu) + (s >> 1 & 0x7F7F7F7Fu);
}

template <BlitOp OP> inline void CombineOne(uint32_t& dst, uint32_t s, int w, bool useAlpha)
{
  const uint32_t d = dst;
  if constexpr (OP == BlitOp::CopyFull)
  {
    dst = s;
  }
  else if constexpr (OP == BlitOp::CopyHalf)
  {
    dst = HalfSum(d, s);
  }
  else if constexpr (OP == BlitOp::CopyWeighted)
  {
    const int keep = 256 - w;
    uint32_t out = 0;
    for (int sh = 0; sh < 32; sh += 8)
    {
      const int sc = Chan(s, sh);
      out |= Put(sc + (Chan(d, sh) - sc) * keep / 256, sh);
    }
    dst = out;
  }
  else if constexpr (OP == BlitOp::AlphaFull)
  {
    const int a = Chan(s, 0);
    if (a == 0) return;
    if (a == 255)
    {
      dst = s;
      return;
    }
    const int keep = 255 - a;
    uint32_t out = Put(std::min(255, Chan(d, 0) + a), 0);
    for (int sh = 8; sh < 32; sh += 8)
    {
      const int sc = Chan(s, sh);
      out |= Put(sc + (Chan(d, sh) - sc) * keep / 256, sh);
    }
    dst = out;
  }
  else if constexpr (OP == BlitOp::AlphaWeighted)
  {
    const int a = Chan(s, 0);
    if (a == 0) return;
    const int sa = (a + 1) * w / 256;
    const int keep = 256 - sa;
    uint32_t out = Put(std::min(255, Chan(d, 0) + sa), 0);
    for (int sh = 8; sh < 32; sh += 8)
    {
      const int sc = Chan(s, sh);
      out |= Put(sc + (Chan(d, sh) - sc) * keep / 256, sh);
    }
    dst = out;
  }
  else if constexpr (OP == BlitOp::Add)
  {
    const int a = useAlpha ? Chan(s, 0) : 255;
    if (a == 0) return;
    const int sa = (a + 1) * w / 256;
    uint32_t out = Put(std::min(255, Chan(d, 0) + sa * a / 256), 0);
    for (int sh = 8; sh < 32; sh += 8)
      out |= Put(std::min(255, Chan(d, sh) + Chan(s, sh) * sa / 256), sh);
    dst = out;
  }
  else if constexpr (OP == BlitOp::Dodge)
  {
    const int a = useAlpha ? Chan(s, 0) : 255;
    const int sa = (a + 1) * w / 256;
    uint32_t out = 0;
    for (int sh = 0; sh < 32; sh += 8)
    {
      const int k = 256 - (sh == 0 ? a : Chan(s, sh)) * sa / 256;
      const int dc = Chan(d, sh);
      out |= Put(std::min(255, k >= 2 ? dc * 256 / k : dc * 256), sh);
    }
    dst = out;
  }
}

inline void CombinePixel(uint32_t& dst, uint32_t s, const BlitParams& p)
{
  switch (p.op)
  {
  case BlitOp::None:
    return;
  case BlitOp::CopyFull:
    return CombineOne<BlitOp::CopyFull>(dst, s, p.w, p.useAlpha);
  case BlitOp::CopyHalf:
    return CombineOne<BlitOp::CopyHalf>(dst, s, p.w, p.useAlpha);
  case BlitOp::CopyWeighted:
    return CombineOne<BlitOp::CopyWeighted>(dst, s, p.w, p.useAlpha);
  case BlitOp::AlphaFull:
    return CombineOne<BlitOp::AlphaFull>(dst, s, p.w, p.useAlpha);
  case BlitOp::AlphaWeighted:
    return CombineOne<BlitOp::AlphaWeighted>(dst, s, p.w, p.useAlpha);
  case BlitOp::Add:
    return CombineOne<BlitOp::Add>(dst, s, p.w, p.useAlpha);
  case BlitOp::Dodge:
    return CombineOne<BlitOp::Dodge>(dst, s, p.w, p.useAlpha);
  }
}

void CombineRow(uint32_t* d, const uint32_t* s, int n, const BlitParams& p);

// Drawing with a colour.
enum class ColorOp
{
  None,
  Store,
  Half,
  ThreeQuarters,
  Quarter,
  Mix,
  Blit, // add and dodge: the colour as a one-pixel source
};

struct ColorParams
{
  ColorOp op = ColorOp::None;
  int w = 0;
  uint32_t c = 0;
  BlitParams blit;
};

inline ColorParams ChooseColor(uint32_t color, float weight, int mode)
{
  ColorParams p;
  p.c = color;
  const int low = mode & RASTER_BLIT_MODE_MASK;
  if (low == RASTER_BLIT_MODE_ADD || low == RASTER_BLIT_MODE_DODGE)
  {
    p.blit = ChooseBlit(weight, mode);
    p.op = p.blit.op == BlitOp::None ? ColorOp::None : ColorOp::Blit;
    return p;
  }
  if (mode & RASTER_BLIT_USE_ALPHA) weight = weight * static_cast<float>(color & 0xFF) / 255.0f;
  p.w = WeightToW(weight);
  switch (p.w)
  {
  case 0:
    p.op = ColorOp::None;
    break;
  case 256:
    p.op = ColorOp::Store;
    break;
  case 128:
    p.op = ColorOp::Half;
    break;
  case 192:
    p.op = ColorOp::ThreeQuarters;
    break;
  case 64:
    p.op = ColorOp::Quarter;
    break;
  default:
    p.op = ColorOp::Mix;
    break;
  }
  return p;
}

inline void ColorPixel(uint32_t& dst, const ColorParams& p)
{
  const uint32_t d = dst, c = p.c;
  switch (p.op)
  {
  case ColorOp::None:
    return;
  case ColorOp::Store:
    dst = c;
    return;
  case ColorOp::Half:
    dst = HalfSum(d, c);
    return;
  case ColorOp::ThreeQuarters:
    dst = (d >> 2 & 0x3F3F3F3Fu) + (c >> 2 & 0x3F3F3F3Fu) + (c >> 1 & 0x7F7F7F7Fu);
    return;
  case ColorOp::Quarter:
    dst = (d >> 2 & 0x3F3F3F3Fu) + (d >> 1 & 0x7F7F7F7Fu) + (c >> 2 & 0x3F3F3F3Fu);
    return;
  case ColorOp::Mix:
  {
    const int keep = 256 - p.w;
    uint32_t out = Put(p.w + (Chan(d, 0) - p.w) * keep / 256, 0);
    for (int sh = 8; sh < 32; sh += 8)
    {
      const int cc = Chan(c, sh);
      out |= Put(cc + (Chan(d, sh) - cc) * keep / 256, sh);
    }
    dst = out;
    return;
  }
  case ColorOp::Blit:
    CombinePixel(dst, c, p.blit);
    return;
  }
}

// A colour pixel at (x, y) if it lies inside the bitmap.
inline void PlotColor(RasterBitmap* dest, long long x, long long y, const ColorParams& p)
{
  if (x < 0 || y < 0 || x >= dest->getWidth() || y >= dest->getHeight()) return;
  ColorPixel(dest->getBits()[y * dest->getRowSpan() + x], p);
}

} // namespace raster_detail
