#pragma once
// The raster library: 32-bit bitmaps and the drawing operations the GUI engine uses.
//
// Pixels: one 32-bit word each, alpha in the lowest byte: A | R << 8 | G << 16 | B << 24, so the
// bytes in memory are A, R, G, B. Colour is straight (not premultiplied); 255 is opaque.
// Row span (getRowSpan) is counted in pixels, not bytes: pixel (x, y) is getBits()[y * span + x].
// Row 0 is the top row.
//
// Every operation clips to the destination's bounds and to the source's: whatever the
// coordinates, sizes or angles (negative, huge, zero, NaN), nothing is written outside a bitmap
// and nothing is read outside one. Null bitmaps do nothing.
//
// The mode word: the low byte picks the combine operation (copy, add, colour dodge),
// RASTER_BLIT_FILTER_BILINEAR asks for bilinear filtering where the source is resampled, and
// RASTER_BLIT_USE_ALPHA applies the source's (or the colour's) alpha. The weight is the opacity,
// 0..1; w = trunc(weight * 256) and w = 0 draws nothing.

#include <cstddef>
#include <cstdint>

#include "fontservice/FontService.h"

using RasterPixel = uint32_t;

enum
{
  RASTER_BLIT_MODE_COPY = 0x0,
  RASTER_BLIT_MODE_ADD = 0x1,
  RASTER_BLIT_MODE_DODGE = 0x2,
  RASTER_BLIT_MODE_MASK = 0xFF,
  RASTER_BLIT_FILTER_BILINEAR = 0x100,
  RASTER_BLIT_USE_ALPHA = 0x10000,
};

// RasterCachedFont::DrawText flags. Left alignment and top placement are the default.
enum
{
  RASTER_DT_CALCRECT = 0x1,          // measure only: rect becomes (left, top, left + w, top + h)
  RASTER_DT_CENTER = 0x4,            // horizontally centred in rect
  RASTER_DT_RIGHT = 0x20,            // flush with rect.right
  RASTER_DT_NOCLIP = 0x100,          // clip to the bitmap only, not to rect
  RASTER_DT_USEFGALPHA = 0x40000000, // the text colour's alpha scales the glyphs' coverage
};

// RasterCachedFont::SetFromHFont flags.
enum
{
  RASTER_FONT_FLAG_CACHE_GLYPHS = 0x200, // keep rendered glyphs for later draws
  RASTER_FONT_FLAG_OWNS_HFONT = 0x400,   // the cached font deletes the platform font
};

inline constexpr RasterPixel RasterPackColor(int a, int r, int g, int b)
{
  return (uint32_t(a) & 0xFF) | (uint32_t(r) & 0xFF) << 8 | (uint32_t(g) & 0xFF) << 16 |
         (uint32_t(b) & 0xFF) << 24;
}
inline constexpr int RasterGetA(RasterPixel p)
{
  return int(p & 0xFF);
}
inline constexpr int RasterGetR(RasterPixel p)
{
  return int(p >> 8 & 0xFF);
}
inline constexpr int RasterGetG(RasterPixel p)
{
  return int(p >> 16 & 0xFF);
}
inline constexpr int RasterGetB(RasterPixel p)
{
  return int(p >> 24 & 0xFF);
}

struct RasterRect
{
  int left, top, right, bottom; // right and bottom exclusive
};

class RasterBitmap
{
public:
  virtual ~RasterBitmap() = default;
  // Null while the bitmap is 0 x 0.
  virtual RasterPixel* getBits() = 0;
  const RasterPixel* getBits() const { return const_cast<RasterBitmap*>(this)->getBits(); }
  virtual int getWidth() const = 0;
  virtual int getHeight() const = 0;
  virtual int getRowSpan() const = 0; // in pixels
  // Changes the size. Contents are kept when the size does not change and zeroed otherwise.
  // Negative sizes count as 0. Returns false (and leaves a 0 x 0 bitmap) when the memory cannot be
  // had or a side exceeds 65536.
  virtual bool resize(int width, int height) = 0;
};

// A bitmap in plain memory. Rows are padded so the row span is a multiple of lineAlign pixels
// (lineAlign <= 1: no padding). Pixels start zeroed.
class RasterMemBitmap : public RasterBitmap
{
public:
  explicit RasterMemBitmap(int width = 0, int height = 0, int lineAlign = 4);
  ~RasterMemBitmap() override;
  RasterMemBitmap(const RasterMemBitmap&) = delete;
  RasterMemBitmap& operator=(const RasterMemBitmap&) = delete;
  RasterMemBitmap(RasterMemBitmap&& other) noexcept;
  RasterMemBitmap& operator=(RasterMemBitmap&& other) noexcept;

  RasterPixel* getBits() override { return mBits; }
  int getWidth() const override { return mWidth; }
  int getHeight() const override { return mHeight; }
  int getRowSpan() const override { return mSpan; }
  bool resize(int width, int height) override;

private:
  RasterPixel* mBits = nullptr;
  int mWidth = 0, mHeight = 0, mSpan = 0, mAlign = 4;
};

// A window onto part of another bitmap: drawing into the view touches only that rectangle of the
// parent, which is how callers clip operations that are otherwise clipped by bitmap bounds alone.
// The rectangle is cut to the parent; the view cannot be resized.
class RasterBitmapView : public RasterBitmap
{
public:
  RasterBitmapView(RasterBitmap* parent, int x, int y, int width, int height)
  {
    if (!parent) return;
    const int x0 = x < 0 ? 0 : x, y0 = y < 0 ? 0 : y;
    const long long x1 = static_cast<long long>(x) + (width > 0 ? width : 0);
    const long long y1 = static_cast<long long>(y) + (height > 0 ? height : 0);
    const int r = static_cast<int>(x1 < parent->getWidth() ? x1 : parent->getWidth());
    const int b = static_cast<int>(y1 < parent->getHeight() ? y1 : parent->getHeight());
    if (r <= x0 || b <= y0 || !parent->getBits()) return;
    mBits = parent->getBits() + static_cast<long long>(y0) * parent->getRowSpan() + x0;
    mWidth = r - x0;
    mHeight = b - y0;
    mSpan = parent->getRowSpan();
    mX = x0;
    mY = y0;
  }

  RasterPixel* getBits() override { return mBits; }
  int getWidth() const override { return mWidth; }
  int getHeight() const override { return mHeight; }
  int getRowSpan() const override { return mSpan; }
  bool resize(int, int) override { return false; }
  // Where the view's pixel (0, 0) sits in the parent.
  int originX() const { return mX; }
  int originY() const { return mY; }

private:
  RasterPixel* mBits = nullptr;
  int mWidth = 0, mHeight = 0, mSpan = 0, mX = 0, mY = 0;
};

// A bitmap living in a memory context of the text service, so the platform layer can present it
// and the text service can draw into it. Row span = width. Pixels start zeroed.
class RasterSysBitmap : public RasterBitmap
{
public:
  explicit RasterSysBitmap(int width = 0, int height = 0);
  ~RasterSysBitmap() override;
  RasterSysBitmap(const RasterSysBitmap&) = delete;
  RasterSysBitmap& operator=(const RasterSysBitmap&) = delete;

  RasterPixel* getBits() override { return mBits; }
  int getWidth() const override { return mWidth; }
  int getHeight() const override { return mHeight; }
  int getRowSpan() const override { return mWidth; }
  bool resize(int width, int height) override;
  // The memory context (null while 0 x 0).
  HDC getDC() const { return mCtx; }

private:
  HDC mCtx = nullptr;
  RasterPixel* mBits = nullptr;
  int mWidth = 0, mHeight = 0;
};

// --- Blits -----------------------------------------------------------------------------------
// Per-pixel rules (d destination channel, s source channel, a source alpha, w as above; every
// division by 256 truncates toward zero, clamped means limited to 0..255):
//   0x0,     weight 1.0: the source pixel is copied.
//   0x0,     weight 0.5: d = trunc(d / 2) + trunc(s / 2), every channel.
//   0x0,     otherwise:  d = s + (d - s) * (256 - w) / 256, every channel.
//   0x10000, weight 1.0: a = 0 unchanged; a = 255 colour copied, alpha 255; otherwise
//                        d = s + (d - s) * (255 - a) / 256, alpha = min(255, d_alpha + a).
//   0x10000, otherwise:  a = 0 unchanged; sa = (a + 1) * w / 256,
//                        d = s + (d - s) * (256 - sa) / 256, alpha = min(255, d_alpha + sa).
//   0x10001: a = 0 unchanged; sa = (a + 1) * w / 256, d = clamped(d + s * sa / 256),
//            alpha = clamped(d_alpha + sa * a / 256).
//   0x10002: sa = (a + 1) * w / 256; k = 256 - s * sa / 256 (alpha: 256 - a * sa / 256);
//            d = clamped(d * 256 / k) when k >= 2, else clamped(d * 256).
// Add and dodge without RASTER_BLIT_USE_ALPHA treat every source pixel as opaque. A weight above
// 1 counts as 1.

// Copies the w x h area at (srcX, srcY) of src to (dstX, dstY) of dest. src may be dest.
void RasterBlit(RasterBitmap* dest, RasterBitmap* src, int dstX, int dstY, int srcX, int srcY,
                int w, int h, float weight, int mode);

// Draws the source area (srcX, srcY, srcW, srcH) stretched onto the destination area
// (dstX, dstY, dstW, dstH), rotated clockwise on screen by angle (radians) about the
// destination area's centre moved by (rotXOffset, rotYOffset) pixels. Pixel (i, j) sits at the
// point (i, j); the centre of an area of width W is at its left + W / 2. Only the destination
// area is drawn; its pixels whose sample point falls outside the source area (clipToSource) or
// outside the source bitmap (otherwise) are left alone. Nearest-pixel sampling unless
// RASTER_BLIT_FILTER_BILINEAR; bilinear samples weigh colours by their alpha.
void RasterRotatedBlit(RasterBitmap* dest, RasterBitmap* src, int dstX, int dstY, int dstW,
                       int dstH, float srcX, float srcY, float srcW, float srcH, float angle,
                       bool clipToSource, float weight, int mode, float rotXOffset,
                       float rotYOffset);

// Draws the source area stretched onto the destination area (pixel centres map to pixel
// centres; samples at the source's edges repeat the edge pixels).
void RasterScaledBlit(RasterBitmap* dest, RasterBitmap* src, int dstX, int dstY, int dstW, int dstH,
                      float srcX, float srcY, float srcW, float srcH, float weight, int mode);

// Resamples the source area onto the destination area by area averaging: each destination pixel
// is the mean of the part of the source it covers, weighed by alpha (premultiplied), so edges
// stay clean when shrinking and transparent pixels lend no colour. Pixels are stored, not
// blended. A source area outside src draws nothing.
void RasterResampleArea(RasterBitmap* dest, int dstX, int dstY, int dstW, int dstH,
                        const RasterBitmap* src, int srcX, int srcY, int srcW, int srcH);

// Resizes dest to src's size and copies every pixel. False when dest cannot be resized.
bool RasterCopy(RasterBitmap* dest, RasterBitmap* src);

// pixel = (pixel & mask) | orBits over the area.
void RasterClearRect(RasterBitmap* dest, int x, int y, int w, int h, RasterPixel mask,
                     RasterPixel orBits);

// --- Drawing with a colour -------------------------------------------------------------------
// A colour is combined like a one-pixel source with these differences for the copy modes
// (0x0 and 0x10000): with RASTER_BLIT_USE_ALPHA the weight is first multiplied by the colour's
// alpha / 255; then w = 256 stores the colour; w = 128 gives trunc(d / 2) + trunc(c / 2);
// w = 192 gives trunc(d / 4) + trunc(c / 4) + trunc(c / 2); w = 64 gives
// trunc(d / 4) + trunc(d / 2) + trunc(c / 4); any other w gives d = c + (d - c) * (256 - w) / 256
// for the colour channels and moves alpha toward w the same way. An opaque colour at weight 1
// is stored unchanged; a fully transparent one draws nothing. Antialiased shapes multiply the
// weight by each pixel's coverage.

void RasterPutPixel(RasterBitmap* dest, int x, int y, RasterPixel color, float weight, int mode);
// 0 outside the bitmap.
RasterPixel RasterGetPixel(const RasterBitmap* bitmap, int x, int y);

void RasterFillRect(RasterBitmap* dest, int x, int y, int w, int h, RasterPixel color, float weight,
                    int mode);

// Both end points included. Aliased lines are Bresenham lines; antialiased ones (Wu) spread each
// step over the two nearest pixels.
void RasterLine(RasterBitmap* dest, int x1, int y1, int x2, int y2, RasterPixel color, float weight,
                int mode, bool antialias);

// Angles in radians, 0 pointing up, growing clockwise (the point at angle t is
// (cx + r sin t, cy - r cos t)). Draws from minAngle to maxAngle (swapped if given the other way
// round); a span of 2 pi or more is the whole circle. Pixel (i, j) sits at the point (i, j).
void RasterArc(RasterBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle,
               RasterPixel color, float weight, int mode, bool antialias);
void RasterCircle(RasterBitmap* dest, float cx, float cy, float r, RasterPixel color, float weight,
                  int mode, bool antialias);
// The pixels whose distance d from the centre has d * d <= r * r + r (antialiased: d < r + 0.5,
// the rim pixels by coverage).
void RasterFillCircle(RasterBitmap* dest, float cx, float cy, float r, RasterPixel color,
                      float weight, int mode, bool antialias);

// Outline of the rectangle whose edges run along x, x + w, y and y + h (both included), with
// quarter-circle corners of cornerRadius (limited to half the shorter side).
void RasterRoundRect(RasterBitmap* dest, float x, float y, float w, float h, int cornerRadius,
                     RasterPixel color, float weight, int mode, bool antialias);

// Fills every pixel on or inside the polygon (each pixel drawn once). The polygon fill takes the
// hull of each row, so it is exact for convex polygons.
void RasterFillTriangle(RasterBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                        RasterPixel color, float weight, int mode);
void RasterFillConvexPolygon(RasterBitmap* dest, const int* xs, const int* ys, int n,
                             RasterPixel color, float weight, int mode);

// --- Text ------------------------------------------------------------------------------------

class RasterFont
{
public:
  virtual ~RasterFont() = default;
  virtual int GetLineHeight() const = 0;
  virtual void SetTextColor(RasterPixel color) = 0;
  virtual RasterPixel GetTextColor() const = 0;
  // Draws UTF-8 text (len bytes, or up to the terminating 0 when len < 0) into rect with the
  // RASTER_DT_* flags: lines break at '\n', the first line's top at rect.top, each line aligned
  // within rect's width. With RASTER_DT_CALCRECT nothing is drawn and rect's right and bottom
  // become left + width and top + height of the text's extent. The colour's alpha is used only
  // with RASTER_DT_USEFGALPHA. Returns the text's height (0 when there is no font).
  virtual int DrawText(RasterBitmap* dest, const char* text, int len, RasterRect* rect,
                       int flags) = 0;
};

// A font drawn through the text service, glyph by glyph, each glyph rendered once and kept.
// Fonts with a turned baseline are drawn by the service a whole string at a time.
//
// One font object serves every editor in the process, and editors may draw on threads of their
// own: its glyphs, its text colour and the service's font behind it are guarded by the object's
// own mutex, so any thread may draw with it.
class RasterCachedFont : public RasterFont
{
public:
  RasterCachedFont();
  ~RasterCachedFont() override;
  RasterCachedFont(const RasterCachedFont&) = delete;
  RasterCachedFont& operator=(const RasterCachedFont&) = delete;

  // Takes the platform font (owning it with RASTER_FONT_FLAG_OWNS_HFONT), dropping the previous
  // one and its glyphs. Null clears the font. False when the font cannot be used.
  bool SetFromHFont(HFONT font, int flags);
  HFONT GetHFont() const;

  int GetLineHeight() const override;
  void SetTextColor(RasterPixel color) override;
  RasterPixel GetTextColor() const override;
  int DrawText(RasterBitmap* dest, const char* text, int len, RasterRect* rect, int flags) override;
  // Sets the colour and draws in one step: another thread drawing with the same font in another
  // colour cannot come between the two.
  int DrawText(RasterBitmap* dest, const char* text, int len, RasterRect* rect, int flags,
               RasterPixel color);

private:
  struct Glyph;
  struct Impl;
  // The mutex is held by all of these.
  int DrawLocked(RasterBitmap* dest, const char* text, int len, RasterRect* rect, int flags);
  const Glyph* GetGlyph(uint32_t codepoint);
  void DrawTurned(RasterBitmap* dest, const char* text, size_t n, const RasterRect& rect,
                  int flags);
  void Clear();

  HFONT mFont = nullptr;
  int mFlags = 0;
  int mLineHeight = 0;
  RasterPixel mColor = RasterPackColor(255, 0, 0, 0);
  Impl* mImpl = nullptr;
};

// --- PNG -------------------------------------------------------------------------------------

// The largest image any loader accepts, checked before pixel memory is taken: no image the
// editor loads comes near it (the tallest, a 3x knob strip, is 213 x ~47000 = 10 M pixels; the
// 3x background ~3100 x 1310), and a crafted header cannot make a loader ask for gigabytes.
constexpr long long kRasterMaxImageSide = 65535;
constexpr long long kRasterMaxImagePixels = 16LL << 20; // 64 MB of pixels
inline bool RasterImageSizeAllowed(long long w, long long h)
{
  return w > 0 && h > 0 && w <= kRasterMaxImageSide && h <= kRasterMaxImageSide &&
         w * h <= kRasterMaxImagePixels;
}

// Decodes a PNG file into a new bitmap (line alignment 4; the caller owns it): every colour type
// and depth, transparency chunks as alpha, 16-bit samples cut to 8 bits, straight alpha; images
// without alpha are opaque. Null when the file cannot be read, lacks the PNG signature, is
// rejected by libpng, exceeds RasterImageSizeAllowed, or is too short to hold the pixels its
// header declares even at deflate's best compression.
RasterMemBitmap* RasterLoadPNG(const char* path);
RasterMemBitmap* RasterLoadPNGFromMemory(const void* data, size_t size);

// Writes the bitmap as an 8-bit RGBA PNG. False on failure (then no partial file is left).
bool RasterWritePNG(const RasterBitmap* bitmap, const char* path);
