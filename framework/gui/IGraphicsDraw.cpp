// The engine's drawing operations, each carried out by one raster call (or a fixed few) on the
// draw surface, and the bitmap and font loading that feeds them.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "framework/core/IParam.h"
#include "framework/gui/IGraphics.h"

#include "common/Utf8File.h"
#include "fontservice/FontService.h"
#include "framework/gui/IGraphicsCaches.h"
#include "raster/Raster.h"
#include <cstdio>
#include <string>
#include <vector>

namespace
{
struct RasterBlend
{
  float mWeight;
  int mMode;
};

RasterBlend ToRaster(const IChannelBlend* blend)
{
  if (!blend) return {1.0f, RASTER_BLIT_USE_ALPHA};
  switch (blend->mMethod)
  {
  case IChannelBlend::kBlendOpaque:
    return {blend->mWeight, RASTER_BLIT_MODE_COPY};
  case IChannelBlend::kBlendAdditive:
    return {blend->mWeight, RASTER_BLIT_USE_ALPHA | RASTER_BLIT_MODE_ADD};
  case IChannelBlend::kBlendDodge:
    return {blend->mWeight, RASTER_BLIT_USE_ALPHA | RASTER_BLIT_MODE_DODGE};
  default:
    return {blend->mWeight, RASTER_BLIT_USE_ALPHA};
  }
}

constexpr double kPi = 3.141592653589793;
} // namespace

// ---- Surface ----

void IGraphics::PrepDraw()
{
  DeleteSurfaces();
  mDrawScale = GetDeviceScale();
  // A new size at the same scale keeps the images; a new scale lets the old one's go.
  if (mHeldScale != mDrawScale) ReleaseDeviceScale();
  int w = 0, h = 0;
  GetDeviceSize(&w, &h);
  mDrawBitmap = new RasterSysBitmap(w, h);
  mTmpBitmap = new RasterMemBitmap(0, 0, 4);
}

bool IGraphics::SyncDeviceScale()
{
  if (!mDrawBitmap || GetDeviceScale() == mDrawScale) return false;
  PrepDraw();
  SetAllControlsDirty();
  return true;
}

int IGraphics::DevEdge(double x) const
{
  return static_cast<int>(std::lround(x * mDrawScale));
}

int IGraphics::StrokeWidth() const
{
  return std::max(1, static_cast<int>(std::lround(mDrawScale)));
}

IRECT IGraphics::DeviceRect(const IRECT& r) const
{
  IRECT d(DevEdge(r.L), DevEdge(r.T), DevEdge(r.R), DevEdge(r.B));
  const int w = mDrawBitmap ? mDrawBitmap->getWidth() : 0;
  const int h = mDrawBitmap ? mDrawBitmap->getHeight() : 0;
  d.L = std::clamp(d.L, 0, w);
  d.R = std::clamp(d.R, 0, w);
  d.T = std::clamp(d.T, 0, h);
  d.B = std::clamp(d.B, 0, h);
  return d;
}

int IGraphics::LogicalCoord(int device) const
{
  return static_cast<int>(std::floor(device / static_cast<double>(mDrawScale)));
}

IRECT IGraphics::LogicalRect(const IRECT& r) const
{
  const double s = mDrawScale;
  return IRECT(static_cast<int>(std::floor(r.L / s)), static_cast<int>(std::floor(r.T / s)),
               static_cast<int>(std::ceil(r.R / s)), static_cast<int>(std::ceil(r.B / s)));
}

void IGraphics::ReleaseDeviceScale()
{
  if (mHeldScale == 0.0f) return;
  s_deviceBitmapCache.ReleaseScale(mHeldScale);
  mHeldScale = 0.0f;
}

void IGraphics::DeleteSurfaces()
{
  delete mDrawBitmap;
  mDrawBitmap = nullptr;
  delete mTmpBitmap;
  mTmpBitmap = nullptr;
}

uint32_t* IGraphics::GetBits()
{
  return mDrawBitmap ? mDrawBitmap->getBits() : nullptr;
}

IColor IGraphics::GetPoint(int x, int y)
{
  const int dx = static_cast<int>(std::floor((x + 0.5) * mDrawScale));
  const int dy = static_cast<int>(std::floor((y + 0.5) * mDrawScale));
  return IColor::FromPacked(RasterGetPixel(mDrawBitmap, dx, dy));
}

// ---- Bitmaps ----

IBitmap IGraphics::LoadIBitmap(int id, const char* name, int frames, bool horizontalFrames)
{
  RasterBitmap* bitmap = s_bitmapCache.Find(id);
  if (!bitmap)
  {
    // A missing image is not cached, so a later load can still find it.
    bitmap = OSLoadBitmap(id, name);
    if (!bitmap) return IBitmap(nullptr, 0, 0, frames, horizontalFrames);
    s_bitmapCache.Add(bitmap, id, name);
  }
  return IBitmap(bitmap, bitmap->getWidth(), bitmap->getHeight(), frames, horizontalFrames);
}

void IGraphics::RetainBitmap(IBitmap* bitmap)
{
  if (bitmap && bitmap->mData && !s_bitmapCache.Contains(bitmap->mData))
    s_bitmapCache.Add(bitmap->mData, -1);
}

void IGraphics::ReleaseBitmap(IBitmap* bitmap)
{
  if (bitmap && s_bitmapCache.Remove(bitmap->mData)) bitmap->mData = nullptr;
}

IBitmap IGraphics::ScaleBitmap(IBitmap* source, int destW, int destH)
{
  if (!source || !source->mData) return IBitmap();
  RasterMemBitmap* scaled = new RasterMemBitmap(destW, destH, 4);
  RasterScaledBlit(scaled, source->mData, 0, 0, destW, destH, 0.0f, 0.0f,
                   static_cast<float>(source->W), static_cast<float>(source->H), 1.0f,
                   RASTER_BLIT_FILTER_BILINEAR);
  s_bitmapCache.Add(scaled, -1);
  return IBitmap(scaled, destW, destH, source->N, false);
}

IBitmap IGraphics::CropBitmap(IBitmap* source, IRECT* crop)
{
  if (!source || !source->mData || !crop) return IBitmap();
  const int w = crop->W(), h = crop->H();
  RasterMemBitmap* cropped = new RasterMemBitmap(w, h, 4);
  RasterBlit(cropped, source->mData, 0, 0, crop->L, crop->T, w, h, 1.0f, RASTER_BLIT_MODE_COPY);
  s_bitmapCache.Add(cropped, -1);
  return IBitmap(cropped, w, h, source->N, false);
}

// ---- Device images ----

namespace
{
// "resources/img/knob.png" at factor 2 is "resources/img/knob@2x.png".
std::string VariantName(const std::string& name, int factor)
{
  const size_t dot = name.rfind('.');
  const size_t slash = name.rfind('/');
  const size_t at =
      dot == std::string::npos || (slash != std::string::npos && dot < slash) ? name.size() : dot;
  return name.substr(0, at) + "@" + std::to_string(factor) + "x" + name.substr(at);
}
} // namespace

IGraphics::DeviceImage IGraphics::GetDeviceImage(const IBitmap* bitmap)
{
  DeviceImage out;
  if (!bitmap || !bitmap->mData) return out;
  const int n = std::max(bitmap->N, 1);
  const bool horizontal = bitmap->mFramesAreHorizontal;
  const int fw = horizontal ? bitmap->W / n : bitmap->W;
  const int fh = horizontal ? bitmap->H : bitmap->H / n;
  if (mDrawScale == 1.0f || fw <= 0 || fh <= 0)
  {
    out.mBitmap = bitmap->mData;
    out.mFrameW = fw;
    out.mFrameH = fh;
    return out;
  }

  if (mHeldScale != mDrawScale)
  {
    s_deviceBitmapCache.HoldScale(mDrawScale);
    ReleaseDeviceScale();
    mHeldScale = mDrawScale;
  }
  const DeviceBitmapStorage::Key key{bitmap->mData, mDrawScale, n, horizontal};
  DeviceBitmapStorage::Image image;
  if (!s_deviceBitmapCache.Find(key, &image))
  {
    const float s = mDrawScale;
    const int dfw = std::max(1, DevEdge(fw)), dfh = std::max(1, DevEdge(fh));
    // The smallest drawing at least as large as the device needs; one that does not hold the
    // same frames at its factor is not used.
    RasterBitmap* variant = nullptr;
    int id = -1;
    std::string name;
    if (s_bitmapCache.Lookup(bitmap->mData, &id, &name) && !name.empty())
    {
      for (int f = std::max(2, static_cast<int>(std::ceil(s - 1e-3f))); f <= 3 && !variant; ++f)
      {
        variant = OSLoadBitmap(id, VariantName(name, f).c_str());
        if (variant &&
            (variant->getWidth() != bitmap->W * f || variant->getHeight() != bitmap->H * f))
        {
          delete variant;
          variant = nullptr;
        }
      }
    }
    RasterBitmap* source = variant ? variant : bitmap->mData;
    const int sfw = horizontal ? source->getWidth() / n : source->getWidth();
    const int sfh = horizontal ? source->getHeight() : source->getHeight() / n;
    if (variant && sfw == dfw && sfh == dfh)
      image.mBitmap.reset(variant); // drawn at exactly this scale
    else
    {
      auto* scaled = new RasterMemBitmap(horizontal ? dfw * n : dfw, horizontal ? dfh : dfh * n, 4);
      // Frame by frame, so no frame bleeds into its neighbour.
      for (int k = 0; k < n; ++k)
      {
        const int dx = horizontal ? k * dfw : 0, dy = horizontal ? 0 : k * dfh;
        const int sx = horizontal ? k * sfw : 0, sy = horizontal ? 0 : k * sfh;
        if (sfw >= dfw && sfh >= dfh)
          RasterResampleArea(scaled, dx, dy, dfw, dfh, source, sx, sy, sfw, sfh);
        else // only the 1x image: enlarged, blurred rather than blocky
          RasterScaledBlit(scaled, source, dx, dy, dfw, dfh, static_cast<float>(sx),
                           static_cast<float>(sy), static_cast<float>(sfw), static_cast<float>(sfh),
                           1.0f, RASTER_BLIT_FILTER_BILINEAR);
      }
      delete variant;
      image.mBitmap.reset(scaled);
    }
    image.mFrameW = dfw;
    image.mFrameH = dfh;
    s_deviceBitmapCache.Add(key, &image);
  }
  out.mBitmap = image.mBitmap.get();
  out.mShare = std::move(image.mBitmap);
  out.mFrameW = image.mFrameW;
  out.mFrameH = image.mFrameH;
  return out;
}

// ---- Bitmap drawing ----

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY,
                           const IChannelBlend* blend)
{
  if (!bitmap || !bitmap->mData || !dest) return true;
  const RasterBlend rb = ToRaster(blend);
  if (mDrawScale == 1.0f)
  {
    // Only the part inside the control being drawn, taking the matching part of the source.
    const IRECT r = dest->Intersect(mDrawRECT);
    if (r.W() <= 0 || r.H() <= 0) return true;
    RasterBlit(mDrawBitmap, bitmap->mData, r.L, r.T, srcX + r.L - dest->L, srcY + r.T - dest->T,
               r.W(), r.H(), rb.mWeight, rb.mMode);
    return true;
  }

  const DeviceImage image = GetDeviceImage(bitmap);
  if (!image.mBitmap) return true;
  // A source offset inside frame k maps into device frame k; the blit never reaches past that
  // frame, whose neighbour would otherwise show a row where device rounding makes dest larger.
  auto axis = [this](int src, int frame, int devFrame, bool framed, int devTotal, int* lo, int* hi)
  {
    if (!framed || frame <= 0)
    {
      *lo = 0;
      *hi = devTotal;
      return DevEdge(src);
    }
    const int k = src >= 0 ? src / frame : 0;
    *lo = k * devFrame;
    *hi = *lo + devFrame;
    return *lo + DevEdge(src - k * frame);
  };
  const bool framed = bitmap->N > 1;
  int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  const int dsx = axis(srcX, bitmap->FrameWidth(), image.mFrameW,
                       framed && bitmap->mFramesAreHorizontal, image.mBitmap->getWidth(), &x0, &x1);
  const int dsy =
      axis(srcY, bitmap->FrameHeight(), image.mFrameH, framed && !bitmap->mFramesAreHorizontal,
           image.mBitmap->getHeight(), &y0, &y1);
  const IRECT d(DevEdge(dest->L), DevEdge(dest->T), DevEdge(dest->R), DevEdge(dest->B));
  const IRECT r = d.Intersect(DeviceRect(mDrawRECT));
  if (r.W() <= 0 || r.H() <= 0) return true;
  const int sx = dsx + r.L - d.L, sy = dsy + r.T - d.T;
  const int w = std::min(r.W(), x1 - sx), h = std::min(r.H(), y1 - sy);
  if (w <= 0 || h <= 0 || sx < x0 || sy < y0) return true;
  RasterBlit(mDrawBitmap, image.mBitmap, r.L, r.T, sx, sy, w, h, rb.mWeight, rb.mMode);
  return true;
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int state, const IChannelBlend* blend)
{
  if (!bitmap) return true;
  int srcX = 0, srcY = 0;
  if (state >= 2 && bitmap->N >= 2)
  {
    if (bitmap->mFramesAreHorizontal)
      srcX = TruncToInt(static_cast<double>(bitmap->W) * (state - 1) / bitmap->N + 0.5);
    else
      srcY = TruncToInt(static_cast<double>(bitmap->H) * (state - 1) / bitmap->N + 0.5);
  }
  return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* bitmap, int destCtrX, int destCtrY, double angle,
                                  int yOffsetZeroDeg, const IChannelBlend* blend)
{
  if (!bitmap || !bitmap->mData) return true;
  const RasterBlend rb = ToRaster(blend);
  const DeviceImage image = GetDeviceImage(bitmap);
  if (!image.mBitmap) return true;
  const int W = image.mBitmap->getWidth(), H = image.mBitmap->getHeight();
  RasterRotatedBlit(mDrawBitmap, image.mBitmap, DevEdge(destCtrX) - W / 2,
                    DevEdge(destCtrY) - H / 2, W, H, 0.0f, 0.0f, static_cast<float>(W),
                    static_cast<float>(H), static_cast<float>(angle), false, rb.mWeight,
                    rb.mMode | RASTER_BLIT_FILTER_BILINEAR, 0.0f, DevLength(yOffsetZeroDeg));
  return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y,
                                double angle, const IChannelBlend* blend)
{
  if (!base || !mask || !top || !base->mData || !mask->mData || !top->mData) return true;
  if (!mTmpBitmap) mTmpBitmap = new RasterMemBitmap(0, 0, 4);
  const float rad = static_cast<float>(angle * kPi / 180.0);
  const DeviceImage baseImage = GetDeviceImage(base), maskImage = GetDeviceImage(mask),
                    topImage = GetDeviceImage(top);
  if (!baseImage.mBitmap || !maskImage.mBitmap || !topImage.mBitmap) return true;
  const int W = baseImage.mBitmap->getWidth(), H = baseImage.mBitmap->getHeight();
  const float fW = static_cast<float>(W), fH = static_cast<float>(H);

  // The knob's colour comes from the base and top images, its coverage from the rotated mask:
  // clear the base's alpha, add the mask's into it, then lay the top image over.
  RasterCopy(mTmpBitmap, baseImage.mBitmap);
  RasterClearRect(mTmpBitmap, 0, 0, W, H, 0xFFFFFF00u, 0u);
  const float xOffset = (W % 2) ? -0.5f : 0.0f;
  RasterRotatedBlit(mTmpBitmap, maskImage.mBitmap, 0, 0, W, H, 0.0f, 0.0f, fW, fH, rad, true, 1.0f,
                    RASTER_BLIT_USE_ALPHA | RASTER_BLIT_FILTER_BILINEAR | RASTER_BLIT_MODE_ADD,
                    xOffset, 0.0f);
  RasterRotatedBlit(mTmpBitmap, topImage.mBitmap, 0, 0, W, H, 0.0f, 0.0f, fW, fH, rad, true, 1.0f,
                    RASTER_BLIT_USE_ALPHA | RASTER_BLIT_FILTER_BILINEAR, xOffset, 0.0f);

  const int dx = DevEdge(x), dy = DevEdge(y);
  const IRECT r = IRECT(dx, dy, dx + W, dy + H).Intersect(DeviceRect(mDrawRECT));
  if (r.W() <= 0 || r.H() <= 0) return true;
  const RasterBlend rb = ToRaster(blend);
  RasterBlit(mDrawBitmap, mTmpBitmap, r.L, r.T, r.L - dx, r.T - dy, r.W(), r.H(), rb.mWeight,
             rb.mMode);
  return true;
}

// ---- Shapes ----
//
// Coordinates are logical. A logical pixel centre maps to the centre of its device area
// (DevPoint), lengths scale, and strokes one logical pixel wide are StrokeWidth() device pixels
// wide: parallel lines one device pixel apart, so edges stay as crisp as the raster draws them.

namespace
{
// Offsets of the n parallel strokes of a wide line, centred on it.
inline float StrokeOffset(int i, int n)
{
  return static_cast<float>(i) - 0.5f * static_cast<float>(n - 1);
}
} // namespace

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend, bool)
{
  if (!color) return true;
  const RasterBlend rb = ToRaster(blend);
  const int xi = TruncToInt(x + 0.5), yi = TruncToInt(y + 0.5);
  if (mDrawScale == 1.0f)
    RasterPutPixel(mDrawBitmap, xi, yi, color->Packed(), rb.mWeight, rb.mMode);
  else
  {
    const int l = DevEdge(xi), t = DevEdge(yi);
    RasterFillRect(mDrawBitmap, l, t, DevEdge(xi + 1) - l, DevEdge(yi + 1) - t, color->Packed(),
                   rb.mWeight, rb.mMode);
  }
  return true;
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y)
{
  // Unblended and unclipped for speed, but never outside the surface's memory.
  uint32_t* bits = GetBits();
  if (!color || !bits) return true;
  const int w = mDrawBitmap->getWidth(), h = mDrawBitmap->getHeight();
  const int x0 = std::max(DevEdge(x), 0), x1 = std::min(DevEdge(x + 1), w);
  const int y0 = std::max(DevEdge(y), 0), y1 = std::min(DevEdge(y + 1), h);
  const size_t span = static_cast<size_t>(mDrawBitmap->getRowSpan());
  for (int dy = y0; dy < y1; ++dy)
    for (int dx = x0; dx < x1; ++dx)
      bits[static_cast<size_t>(dy) * span + static_cast<size_t>(dx)] = color->Packed();
  return true;
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                         const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return true;
  const RasterBlend rb = ToRaster(blend);
  if (mDrawScale == 1.0f)
  {
    RasterLine(mDrawBitmap, TruncToInt(x1), TruncToInt(y1), TruncToInt(x2), TruncToInt(y2),
               color->Packed(), rb.mWeight, rb.mMode, antiAlias);
    return true;
  }
  const float dx1 = DevPoint(x1), dy1 = DevPoint(y1), dx2 = DevPoint(x2), dy2 = DevPoint(y2);
  // Parallel strokes step across the line along its minor axis.
  const bool steep = std::fabs(dy2 - dy1) > std::fabs(dx2 - dx1);
  const int n = StrokeWidth();
  for (int i = 0; i < n; ++i)
  {
    const float o = StrokeOffset(i, n);
    const float ox = steep ? o : 0.0f, oy = steep ? 0.0f : o;
    RasterLine(mDrawBitmap, static_cast<int>(std::lround(dx1 + ox)),
               static_cast<int>(std::lround(dy1 + oy)), static_cast<int>(std::lround(dx2 + ox)),
               static_cast<int>(std::lround(dy2 + oy)), color->Packed(), rb.mWeight, rb.mMode,
               antiAlias);
  }
  return true;
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle,
                        float maxAngle, const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return true;
  const RasterBlend rb = ToRaster(blend);
  const int n = StrokeWidth();
  for (int i = 0; i < n; ++i)
    RasterArc(mDrawBitmap, DevPoint(cx), DevPoint(cy), DevLength(r) + StrokeOffset(i, n), minAngle,
              maxAngle, color->Packed(), rb.mWeight, rb.mMode, antiAlias);
  return true;
}

bool IGraphics::DrawCircle(const IColor* color, float cx, float cy, float r,
                           const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return true;
  const RasterBlend rb = ToRaster(blend);
  const int n = StrokeWidth();
  for (int i = 0; i < n; ++i)
    RasterCircle(mDrawBitmap, DevPoint(cx), DevPoint(cy), DevLength(r) + StrokeOffset(i, n),
                 color->Packed(), rb.mWeight, rb.mMode, antiAlias);
  return true;
}

bool IGraphics::RoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend,
                          int cornerRadius, bool antiAlias)
{
  if (!color || !rect) return true;
  const RasterBlend rb = ToRaster(blend);
  // The outline runs along the device edges of the rectangle; wider strokes grow inwards.
  const int l = DevEdge(rect->L), t = DevEdge(rect->T);
  const int w = DevEdge(rect->R) - l, h = DevEdge(rect->B) - t;
  const int cr = DevEdge(cornerRadius);
  const int n = StrokeWidth();
  for (int i = 0; i < n; ++i)
    RasterRoundRect(mDrawBitmap, static_cast<float>(l + i), static_cast<float>(t + i),
                    static_cast<float>(w - 2 * i), static_cast<float>(h - 2 * i),
                    std::max(cr - i, 0), color->Packed(), rb.mWeight, rb.mMode, antiAlias);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend,
                              int cornerRadius, bool antiAlias)
{
  if (!color || !rect) return true;
  const RasterBlend rb = ToRaster(blend);
  const RasterPixel pixel = color->Packed();
  const int cr = DevEdge(cornerRadius);
  const int L = DevEdge(rect->L), T = DevEdge(rect->T), R = DevEdge(rect->R), B = DevEdge(rect->B);
  const int W = R - L, H = B - T;
  RasterFillRect(mDrawBitmap, L + cr, T, W - 2 * cr, H, pixel, rb.mWeight, rb.mMode);
  RasterFillRect(mDrawBitmap, L, T + cr, cr, H - 2 * cr, pixel, rb.mWeight, rb.mMode);
  RasterFillRect(mDrawBitmap, R - cr, T + cr, cr, H - 2 * cr, pixel, rb.mWeight, rb.mMode);
  const float fr = static_cast<float>(cr);
  const int cxs[4] = {L + cr, R - cr - 1, R - cr - 1, L + cr};
  const int cys[4] = {T + cr, B - cr - 1, T + cr, B - cr - 1};
  for (int i = 0; i < 4; ++i)
    RasterFillCircle(mDrawBitmap, static_cast<float>(cxs[i]), static_cast<float>(cys[i]), fr, pixel,
                     rb.mWeight, rb.mMode, antiAlias);
  return true;
}

bool IGraphics::FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend)
{
  if (!color || !rect) return true;
  const RasterBlend rb = ToRaster(blend);
  const int l = DevEdge(rect->L), t = DevEdge(rect->T);
  RasterFillRect(mDrawBitmap, l, t, DevEdge(rect->R) - l, DevEdge(rect->B) - t, color->Packed(),
                 rb.mWeight, rb.mMode);
  return true;
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                           bool antiAlias)
{
  if (!color) return true;
  const RasterBlend rb = ToRaster(blend);
  RasterFillCircle(mDrawBitmap, DevPoint(static_cast<float>(cx)), DevPoint(static_cast<float>(cy)),
                   DevLength(r), color->Packed(), rb.mWeight, rb.mMode, antiAlias);
  return true;
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                             const IChannelBlend* blend)
{
  if (!color) return true;
  const RasterBlend rb = ToRaster(blend);
  auto p = [this](int v) { return static_cast<int>(std::lround(DevPoint(static_cast<float>(v)))); };
  RasterFillTriangle(mDrawBitmap, p(x1), p(y1), p(x2), p(y2), p(x3), p(y3), color->Packed(),
                     rb.mWeight, rb.mMode);
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* color, int* x, int* y, int nPoints,
                                   const IChannelBlend* blend)
{
  if (!color || !x || !y || nPoints <= 0) return true;
  const RasterBlend rb = ToRaster(blend);
  std::vector<int> xs(static_cast<size_t>(nPoints)), ys(static_cast<size_t>(nPoints));
  for (int i = 0; i < nPoints; ++i)
  {
    xs[static_cast<size_t>(i)] = static_cast<int>(std::lround(DevPoint(static_cast<float>(x[i]))));
    ys[static_cast<size_t>(i)] = static_cast<int>(std::lround(DevPoint(static_cast<float>(y[i]))));
  }
  RasterFillConvexPolygon(mDrawBitmap, xs.data(), ys.data(), nPoints, color->Packed(), rb.mWeight,
                          rb.mMode);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, int xi, int yLo, int yHi)
{
  if (!color) return true;
  if (mDrawScale == 1.0f)
  {
    RasterLine(mDrawBitmap, xi, yLo, xi, yHi, color->Packed(), 1.0f, RASTER_BLIT_MODE_COPY, false);
    return true;
  }
  // Both end pixels included, as a one-pixel line is.
  const int t = DevEdge(std::min(yLo, yHi)), b = DevEdge(std::max(yLo, yHi) + 1);
  const int l = DevEdge(xi);
  RasterFillRect(mDrawBitmap, l, t, DevEdge(xi + 1) - l, b - t, color->Packed(), 1.0f,
                 RASTER_BLIT_MODE_COPY);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* color, int yi, int xLo, int xHi)
{
  if (!color) return true;
  if (mDrawScale == 1.0f)
  {
    RasterLine(mDrawBitmap, xLo, yi, xHi, yi, color->Packed(), 1.0f, RASTER_BLIT_MODE_COPY, false);
    return true;
  }
  const int l = DevEdge(std::min(xLo, xHi)), r = DevEdge(std::max(xLo, xHi) + 1);
  const int t = DevEdge(yi);
  RasterFillRect(mDrawBitmap, l, t, r - l, DevEdge(yi + 1) - t, color->Packed(), 1.0f,
                 RASTER_BLIT_MODE_COPY);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, IRECT* rect, float x)
{
  if (!rect) return true;
  x = std::clamp(x, 0.0f, 1.0f);
  const int xi = rect->L + TruncToInt(rect->W() * x);
  return DrawVerticalLine(color, xi, rect->T, rect->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* color, IRECT* rect, float y)
{
  if (!rect) return true;
  y = std::clamp(y, 0.0f, 1.0f);
  const int yi = rect->B - TruncToInt(rect->H() * y);
  return DrawHorizontalLine(color, yi, rect->L, rect->R);
}

bool IGraphics::DrawRect(const IColor* color, IRECT* rect)
{
  if (!color || !rect) return true;
  DrawHorizontalLine(color, rect->T, rect->L, rect->R);
  DrawHorizontalLine(color, rect->B, rect->L, rect->R);
  DrawVerticalLine(color, rect->L, rect->T, rect->B);
  DrawVerticalLine(color, rect->R, rect->T, rect->B);
  return true;
}

bool IGraphics::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin,
                               float rMax, const IChannelBlend* blend, bool antiAlias)
{
  const float s = std::sin(angle), c = std::cos(angle);
  return DrawLine(color, cx + s * rMin, cy - c * rMin, cx + s * rMax, cy - c * rMax, blend,
                  antiAlias);
}

// ---- Text ----

bool IGraphics::MeasureIText(IText* text, const char* str, IRECT* destRect)
{
  return DrawIText(text, str, destRect, true);
}

bool IGraphics::DrawIText(IText* text, const char* str, IRECT* rect, bool measure)
{
  if (!str || !str[0]) return true;
  if (!text || !rect) return false;
  // Glyphs are rasterised at device size (14 pixels at 1.5 are 21), never enlarged.
  const bool scaled = mDrawScale != 1.0f;
  RasterCachedFont* font = scaled          ? CacheDeviceFont(text, mDrawScale)
                           : text->mCached ? text->mCached
                                           : CacheFont(text);
  if (!font) return false;

  // Styles sharing a font differ in colour, so every draw sets its own, in the same call as the
  // draw: editors on other threads draw with the same font object.
  const RasterPixel color = text->mColor.Packed();
  int flags = RASTER_DT_NOCLIP;
  if (text->mColor.A < 255) flags |= RASTER_DT_USEFGALPHA;
  if (text->mAlign == IText::kAlignMiddle)
    flags |= RASTER_DT_CENTER;
  else if (text->mAlign == IText::kAlignRight)
    flags |= RASTER_DT_RIGHT;

  if (measure)
  {
    RasterRect extent = {0, 0, 0, 0};
    font->DrawText(mDrawBitmap, str, -1, &extent, flags | RASTER_DT_CALCRECT, color);
    int w = extent.right - extent.left, h = extent.bottom - extent.top;
    if (scaled)
    {
      w = static_cast<int>(std::ceil(w / mDrawScale));
      h = static_cast<int>(std::ceil(h / mDrawScale));
    }
    if (text->mAlign == IText::kAlignMiddle)
    {
      rect->L = rect->MW() - w / 2;
      rect->R = rect->L + w;
    }
    else if (text->mAlign == IText::kAlignRight)
      rect->L = rect->R - w;
    else
      rect->R = rect->L + w;
    rect->B = rect->T + h;
    return true;
  }

  // Text is not clipped to its own rectangle, but it is clipped to the area being redrawn: a
  // control only partly inside that area would otherwise draw its text again over pixels whose
  // background was not repainted, and the text would thicken with every tick.
  const IRECT area = DeviceRect(mDrawRECT);
  RasterBitmapView clip(mDrawBitmap, area.L, area.T, area.W(), area.H());
  if (!clip.getBits()) return true;
  RasterRect r = {DevEdge(rect->L) - clip.originX(), DevEdge(rect->T) - clip.originY(),
                  DevEdge(rect->R) - clip.originX(), DevEdge(rect->B) - clip.originY()};
  font->DrawText(&clip, str, -1, &r, flags, color);
  return true;
}

static HFONT MakePlatformFont(const IText* text, int height)
{
  int quality;
  switch (text->mQuality)
  {
  case IText::kQualitySystem:
    quality = DEFAULT_QUALITY;
    break;
  case IText::kQualitySmooth:
  case IText::kQualitySubpixel:
    quality = ANTIALIASED_QUALITY;
    break;
  default:
    quality = NONANTIALIASED_QUALITY;
    break;
  }
  const int angle = text->mOrientation * 10;
  return CreateFont(height, 0, angle, angle, text->mStyle == IText::kTextBold ? FW_BOLD : FW_NORMAL,
                    text->mStyle == IText::kTextItalic ? 1 : 0, 0, 0, 0, 0, 0, quality, 0,
                    text->mFont);
}

RasterCachedFont* IGraphics::CacheFont(IText* text)
{
  if (!text) return nullptr;
  RasterCachedFont* font =
      s_fontCache.Find(text->mSize, text->mOrientation, text->mStyle, text->mFont);
  if (font)
  {
    text->mCached = font;
    return font;
  }

  constexpr int kFlags = RASTER_FONT_FLAG_CACHE_GLYPHS | RASTER_FONT_FLAG_OWNS_HFONT;
  font = new RasterCachedFont();
  const int height = std::max(text->mSize, 2);
  HFONT platformFont = MakePlatformFont(text, height);
  if (!platformFont || !font->SetFromHFont(platformFont, kFlags))
  {
    delete font;
    return nullptr;
  }
  // The size asks for a line height; the platform's fonts are sized by their em, so scale the
  // request once by what the first try gave.
  const int lineHeight = font->GetLineHeight();
  if (lineHeight != height)
  {
    const double n = text->mSize < 2 ? 4.0 : static_cast<double>(text->mSize) * text->mSize;
    const int retry = lineHeight > 0 ? std::max(TruncToInt(n / lineHeight + 0.5), 2) : height;
    platformFont = MakePlatformFont(text, retry);
    if (!platformFont || !font->SetFromHFont(platformFont, kFlags))
    {
      delete font;
      return nullptr;
    }
  }
  s_fontCache.Add(font, text->mSize, text->mOrientation, text->mStyle, text->mFont);
  text->mCached = font;
  return font;
}

RasterCachedFont* IGraphics::CacheDeviceFont(const IText* text, float scale)
{
  if (!text) return nullptr;
  IText device = *text;
  device.mSize = std::max(static_cast<int>(std::lround(text->mSize * scale)), 1);
  device.mCached = nullptr;
  return CacheFont(&device);
}

void IGraphics::UseResourceFallbackFont(const char* resourceFolder)
{
  if (!resourceFolder || !resourceFolder[0]) return;
  const std::string path = std::string(resourceFolder) + "/" + kFallbackFontFile;
  if (FILE* f = OpenUtf8File(path.c_str(), "rb"))
  {
    std::fclose(f);
    SetFallbackFontFile(path.c_str());
  }
}

std::string IGraphics::BundleOfModule(const std::string& modulePath, const char* archSuffix)
{
  const size_t nameSlash = modulePath.rfind('/');
  if (nameSlash == std::string::npos || nameSlash == 0) return {};
  const size_t archSlash = modulePath.rfind('/', nameSlash - 1);
  if (archSlash == std::string::npos || archSlash == 0) return {};
  const std::string arch = modulePath.substr(archSlash + 1, nameSlash - archSlash - 1);
  const size_t n = std::strlen(archSuffix);
  if (arch.size() <= n || arch.compare(arch.size() - n, n, archSuffix) != 0) return {};
  const size_t contentsSlash = modulePath.rfind('/', archSlash - 1);
  if (contentsSlash == std::string::npos ||
      modulePath.compare(contentsSlash + 1, archSlash - contentsSlash - 1, "Contents") != 0)
    return {};
  return modulePath.substr(0, contentsSlash);
}

std::string IGraphics::ResourceImagePath(const char* resourceFolder, const char* name)
{
  if (!name) return {};
  const char* dot = std::strrchr(name, '.');
  if (!dot) return {};
  std::string ext = dot + 1;
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (ext != "png") return {};
  const char* slash = std::strrchr(name, '/');
  const char* base = slash ? slash + 1 : name;
  if (base > dot) return {}; // the last dot is in a folder name: no extension
  std::string path = resourceFolder ? resourceFolder : "";
  if (!path.empty() && path.back() != '/') path += '/';
  path.append(base, static_cast<size_t>(dot - base));
  path += ".png";
  return path;
}

const char* IGraphics::TextEntryCharacters(int paramType)
{
  switch (paramType)
  {
  case IParam::kTypeBool:
  case IParam::kTypeInt:
  case IParam::kTypeEnum:
    return "0123456789-+";
  case IParam::kTypeDouble:
    return "0123456789.-+";
  default:
    return nullptr;
  }
}
