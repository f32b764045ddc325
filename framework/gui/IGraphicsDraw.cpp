// The engine's drawing operations, each carried out by one raster call (or a fixed few) on the
// draw surface, and the bitmap and font loading that feeds them.

#include <algorithm>
#include <cmath>

#include "framework/core/IParam.h"
#include "framework/gui/IGraphics.h"

#include "fontservice/FontService.h"
#include "framework/gui/IGraphicsCaches.h"
#include "raster/Raster.h"
#include <cstdio>
#include <string>

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
  mDrawBitmap = new RasterSysBitmap(mWidth, mHeight);
  mTmpBitmap = new RasterMemBitmap(0, 0, 4);
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
  return IColor::FromPacked(RasterGetPixel(mDrawBitmap, x, y));
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
    s_bitmapCache.Add(bitmap, id);
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

// ---- Bitmap drawing ----

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY,
                           const IChannelBlend* blend)
{
  if (!bitmap || !bitmap->mData || !dest) return true;
  // Only the part inside the control being drawn, taking the matching part of the source.
  const IRECT r = dest->Intersect(mDrawRECT);
  if (r.W() <= 0 || r.H() <= 0) return true;
  const RasterBlend rb = ToRaster(blend);
  RasterBlit(mDrawBitmap, bitmap->mData, r.L, r.T, srcX + r.L - dest->L, srcY + r.T - dest->T,
             r.W(), r.H(), rb.mWeight, rb.mMode);
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
  const int W = bitmap->W, H = bitmap->H;
  RasterRotatedBlit(mDrawBitmap, bitmap->mData, destCtrX - W / 2, destCtrY - H / 2, W, H, 0.0f,
                    0.0f, static_cast<float>(W), static_cast<float>(H), static_cast<float>(angle),
                    false, rb.mWeight, rb.mMode | RASTER_BLIT_FILTER_BILINEAR, 0.0f,
                    static_cast<float>(yOffsetZeroDeg));
  return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y,
                                double angle, const IChannelBlend* blend)
{
  if (!base || !mask || !top || !base->mData || !mask->mData || !top->mData) return true;
  if (!mTmpBitmap) mTmpBitmap = new RasterMemBitmap(0, 0, 4);
  const float rad = static_cast<float>(angle * kPi / 180.0);
  const int W = base->W, H = base->H;
  const float fW = static_cast<float>(W), fH = static_cast<float>(H);

  // The knob's colour comes from the base and top images, its coverage from the rotated mask:
  // clear the base's alpha, add the mask's into it, then lay the top image over.
  RasterCopy(mTmpBitmap, base->mData);
  RasterClearRect(mTmpBitmap, 0, 0, W, H, 0xFFFFFF00u, 0u);
  const float xOffset = (W % 2) ? -0.5f : 0.0f;
  RasterRotatedBlit(mTmpBitmap, mask->mData, 0, 0, W, H, 0.0f, 0.0f, fW, fH, rad, true, 1.0f,
                    RASTER_BLIT_USE_ALPHA | RASTER_BLIT_FILTER_BILINEAR | RASTER_BLIT_MODE_ADD,
                    xOffset, 0.0f);
  RasterRotatedBlit(mTmpBitmap, top->mData, 0, 0, W, H, 0.0f, 0.0f, fW, fH, rad, true, 1.0f,
                    RASTER_BLIT_USE_ALPHA | RASTER_BLIT_FILTER_BILINEAR, xOffset, 0.0f);

  const IRECT r = IRECT(x, y, x + W, y + H).Intersect(mDrawRECT);
  if (r.W() <= 0 || r.H() <= 0) return true;
  const RasterBlend rb = ToRaster(blend);
  RasterBlit(mDrawBitmap, mTmpBitmap, r.L, r.T, r.L - x, r.T - y, r.W(), r.H(), rb.mWeight,
             rb.mMode);
  return true;
}

// ---- Shapes ----

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend, bool)
{
  if (!color) return true;
  const RasterBlend rb = ToRaster(blend);
  RasterPutPixel(mDrawBitmap, TruncToInt(x + 0.5), TruncToInt(y + 0.5), color->Packed(), rb.mWeight,
                 rb.mMode);
  return true;
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y)
{
  // Unblended and unclipped for speed, but never outside the surface's memory.
  uint32_t* bits = GetBits();
  if (!color || !bits || x < 0 || y < 0 || x >= mDrawBitmap->getWidth() ||
      y >= mDrawBitmap->getHeight())
    return true;
  bits[static_cast<size_t>(y) * static_cast<size_t>(mDrawBitmap->getRowSpan()) +
       static_cast<size_t>(x)] = color->Packed();
  return true;
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                         const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return true;
  const RasterBlend rb = ToRaster(blend);
  RasterLine(mDrawBitmap, TruncToInt(x1), TruncToInt(y1), TruncToInt(x2), TruncToInt(y2),
             color->Packed(), rb.mWeight, rb.mMode, antiAlias);
  return true;
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle,
                        float maxAngle, const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return true;
  const RasterBlend rb = ToRaster(blend);
  RasterArc(mDrawBitmap, cx, cy, r, minAngle, maxAngle, color->Packed(), rb.mWeight, rb.mMode,
            antiAlias);
  return true;
}

bool IGraphics::DrawCircle(const IColor* color, float cx, float cy, float r,
                           const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return true;
  const RasterBlend rb = ToRaster(blend);
  RasterCircle(mDrawBitmap, cx, cy, r, color->Packed(), rb.mWeight, rb.mMode, antiAlias);
  return true;
}

bool IGraphics::RoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend,
                          int cornerRadius, bool antiAlias)
{
  if (!color || !rect) return true;
  const RasterBlend rb = ToRaster(blend);
  RasterRoundRect(mDrawBitmap, static_cast<float>(rect->L), static_cast<float>(rect->T),
                  static_cast<float>(rect->W()), static_cast<float>(rect->H()), cornerRadius,
                  color->Packed(), rb.mWeight, rb.mMode, antiAlias);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend,
                              int cornerRadius, bool antiAlias)
{
  if (!color || !rect) return true;
  const RasterBlend rb = ToRaster(blend);
  const RasterPixel pixel = color->Packed();
  const int cr = cornerRadius;
  const int L = rect->L, T = rect->T, W = rect->W(), H = rect->H(), R = rect->R, B = rect->B;
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
  RasterFillRect(mDrawBitmap, rect->L, rect->T, rect->W(), rect->H(), color->Packed(), rb.mWeight,
                 rb.mMode);
  return true;
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                           bool antiAlias)
{
  if (!color) return true;
  const RasterBlend rb = ToRaster(blend);
  RasterFillCircle(mDrawBitmap, static_cast<float>(cx), static_cast<float>(cy), r, color->Packed(),
                   rb.mWeight, rb.mMode, antiAlias);
  return true;
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                             const IChannelBlend* blend)
{
  if (!color) return true;
  const RasterBlend rb = ToRaster(blend);
  RasterFillTriangle(mDrawBitmap, x1, y1, x2, y2, x3, y3, color->Packed(), rb.mWeight, rb.mMode);
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* color, int* x, int* y, int nPoints,
                                   const IChannelBlend* blend)
{
  if (!color || !x || !y) return true;
  const RasterBlend rb = ToRaster(blend);
  RasterFillConvexPolygon(mDrawBitmap, x, y, nPoints, color->Packed(), rb.mWeight, rb.mMode);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, int xi, int yLo, int yHi)
{
  if (!color) return true;
  RasterLine(mDrawBitmap, xi, yLo, xi, yHi, color->Packed(), 1.0f, RASTER_BLIT_MODE_COPY, false);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* color, int yi, int xLo, int xHi)
{
  if (!color) return true;
  RasterLine(mDrawBitmap, xLo, yi, xHi, yi, color->Packed(), 1.0f, RASTER_BLIT_MODE_COPY, false);
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
  RasterCachedFont* font = text->mCached ? text->mCached : CacheFont(text);
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
    const int w = extent.right - extent.left, h = extent.bottom - extent.top;
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
  RasterBitmapView clip(mDrawBitmap, mDrawRECT.L, mDrawRECT.T, mDrawRECT.W(), mDrawRECT.H());
  if (!clip.getBits()) return true;
  RasterRect r = {rect->L - clip.originX(), rect->T - clip.originY(), rect->R - clip.originX(),
                  rect->B - clip.originY()};
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

void IGraphics::UseResourceFallbackFont(const char* resourceFolder)
{
  if (!resourceFolder || !resourceFolder[0]) return;
  const std::string path = std::string(resourceFolder) + "/" + kFallbackFontFile;
  if (FILE* f = std::fopen(path.c_str(), "rb"))
  {
    std::fclose(f);
    SetFallbackFontFile(path.c_str());
  }
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
