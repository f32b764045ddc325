#include "fontservice/FontService.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "fontservice/FontFace.h"
#include "fontservice/Utf8.h"

namespace
{
constexpr int kMaxFaceNameBytes = 899;
} // namespace

struct TextFont
{
  std::unique_ptr<fontservice::FontFace> face;
  fontservice::FaceMetrics metrics;
  int size = 10;
  double rotation = 0.0; // radians, counter-clockwise
  int orientation = 0;   // tenths of a degree
  std::unordered_map<uint32_t, int> advances;

  int Advance(uint32_t codepoint)
  {
    auto it = advances.find(codepoint);
    if (it != advances.end()) return it->second;
    const int adv = face->Advance(codepoint);
    advances.emplace(codepoint, adv);
    return adv;
  }
};

struct TextContext
{
  void* memory = nullptr;
  uint32_t* bits = nullptr;
  int width = 0, height = 0;
  HFONT font = nullptr;
  uint32_t textColor = TextColor(0, 0, 0);
  uint32_t bkColor = TextColor(255, 255, 255);
  int bkMode = OPAQUE;
};

HFONT CreateFont(int height, int width, int /*escapement*/, int orientation, int weight, int italic,
                 int /*underline*/, int /*strikeOut*/, int /*charSet*/, int /*outPrecision*/,
                 int /*clipPrecision*/, int quality, int /*pitchAndFamily*/, const char* faceName)
{
  long long size = height != 0 ? std::llabs(height) : std::llabs(width);
  if (size > 8192 || size < 2) size = 10;

  std::string key;
  if (faceName) key.assign(faceName, strnlen(faceName, kMaxFaceNameBytes));
  if (weight >= FW_BOLD) key += " Bold";
  if (italic) key += " Italic";

  TextFont* font = new (std::nothrow) TextFont();
  if (!font) return nullptr;
  font->face = fontservice::OpenFace(key, static_cast<int>(size), quality == NONANTIALIASED_QUALITY,
                                     font->metrics);
  if (!font->face)
  {
    delete font;
    return nullptr;
  }
  font->size = static_cast<int>(size);
  font->orientation = orientation;
  font->rotation = orientation / 10.0 * 3.14159265358979323846 / 180.0;
  return font;
}

bool DeleteObject(HFONT font)
{
  if (!font) return false;
  delete font;
  return true;
}

const char* GetFontFilePath(HFONT font)
{
  return font ? font->metrics.file.c_str() : "";
}
const char* GetFontFamilyName(HFONT font)
{
  return font ? font->metrics.family.c_str() : "";
}
int GetFontSize(HFONT font)
{
  return font ? font->size : 0;
}

int GetFontOrientation(HFONT font)
{
  return font ? font->orientation : 0;
}

bool GetFontMetrics(HFONT font, TEXTMETRIC* tm)
{
  if (!font || !tm) return false;
  const fontservice::FaceMetrics& m = font->metrics;
  tm->tmHeight = m.ascent + m.descent;
  tm->tmAscent = m.ascent;
  tm->tmDescent = m.descent;
  tm->tmInternalLeading = std::max(0, tm->tmHeight - font->size);
  tm->tmExternalLeading = m.lineGap;
  tm->tmAveCharWidth = font->Advance('x');
  tm->tmMaxCharWidth = std::max(tm->tmAveCharWidth, m.maxAdvance);
  return true;
}

bool GetTextMetrics(HDC ctx, TEXTMETRIC* tm)
{
  return ctx && GetFontMetrics(ctx->font, tm);
}

HDC CreateMemContext(int width, int height)
{
  if (width < 1 || height < 1 || width > 32768 || height > 32768) return nullptr;
  const size_t bytes =
      (static_cast<size_t>(width) * static_cast<size_t>(height) * 4 + 63) & ~size_t(63);
  // Aligned by hand: the Windows C runtime has no aligned_alloc.
  void* mem = std::malloc(bytes + 63);
  if (!mem) return nullptr;
  TextContext* ctx = new (std::nothrow) TextContext();
  if (!ctx)
  {
    std::free(mem);
    return nullptr;
  }
  ctx->memory = mem;
  ctx->bits = reinterpret_cast<uint32_t*>((reinterpret_cast<uintptr_t>(mem) + 63) & ~uintptr_t(63));
  std::memset(ctx->bits, 0, bytes);
  ctx->width = width;
  ctx->height = height;
  return ctx;
}

void DeleteGfxContext(HDC ctx)
{
  if (!ctx) return;
  std::free(ctx->memory);
  delete ctx;
}

uint32_t* GetCtxFrameBuffer(HDC ctx)
{
  return ctx ? ctx->bits : nullptr;
}
int GetCtxWidth(HDC ctx)
{
  return ctx ? ctx->width : 0;
}
int GetCtxHeight(HDC ctx)
{
  return ctx ? ctx->height : 0;
}

HFONT SelectObject(HDC ctx, HFONT font)
{
  if (!ctx) return nullptr;
  HFONT old = ctx->font;
  ctx->font = font;
  return old;
}

uint32_t SetTextColor(HDC ctx, uint32_t color)
{
  if (!ctx) return 0;
  std::swap(ctx->textColor, color);
  return color;
}

uint32_t SetBkColor(HDC ctx, uint32_t color)
{
  if (!ctx) return 0;
  std::swap(ctx->bkColor, color);
  return color;
}

int SetBkMode(HDC ctx, int mode)
{
  if (!ctx) return 0;
  std::swap(ctx->bkMode, mode);
  return mode;
}

namespace
{

struct Clip
{
  int left, top, right, bottom;
};

// Mixes the colour channels toward color by coverage (0..255); the first byte stays.
inline void MixPixel(uint32_t& d, uint32_t color, int coverage)
{
  uint32_t out = d & 0xFF;
  for (int shift = 8; shift < 32; shift += 8)
  {
    const int dc = static_cast<int>(d >> shift & 0xFF);
    const int c = static_cast<int>(color >> shift & 0xFF);
    out |= static_cast<uint32_t>(dc + ((c - dc) * coverage + (c >= dc ? 127 : -127)) / 255)
           << shift;
  }
  d = out;
}

void FillArea(TextContext* ctx, const Clip& clip, int l, int t, int r, int b, uint32_t color)
{
  l = std::max(l, clip.left);
  t = std::max(t, clip.top);
  r = std::min(r, clip.right);
  b = std::min(b, clip.bottom);
  for (int y = t; y < b; ++y)
    for (int x = l; x < r; ++x)
    {
      uint32_t& p = ctx->bits[static_cast<size_t>(y) * ctx->width + x];
      p = (p & 0xFF) | (color & 0xFFFFFF00u);
    }
}

void DrawGlyph(TextContext* ctx, const Clip& clip, const fontservice::GlyphImage& g, int x0, int y0,
               uint32_t color)
{
  for (int row = 0; row < g.rows; ++row)
  {
    const int y = y0 + row;
    if (y < clip.top || y >= clip.bottom) continue;
    const unsigned char* src = g.coverage + static_cast<ptrdiff_t>(row) * g.pitch;
    for (int col = 0; col < g.width; ++col)
    {
      const int x = x0 + col;
      if (x < clip.left || x >= clip.right) continue;
      if (src[col] > 0)
        MixPixel(ctx->bits[static_cast<size_t>(y) * ctx->width + x], color, src[col]);
    }
  }
}

} // namespace

int DrawText(HDC ctx, const char* text, int len, TextRect* rect, int flags)
{
  if (!ctx || !ctx->font || !text || !rect) return 0;
  TextFont* font = ctx->font;
  const size_t n = len < 0 ? std::strlen(text) : static_cast<size_t>(len);
  const std::vector<uint32_t> cps = Utf8Decode(text, n);

  // Line widths are the sum of the glyphs' rounded advances, the same numbers drawing steps the
  // pen by, so a measured rectangle always fits the drawn text.
  const std::vector<TextLine> lines = SplitTextLines(
      cps, (flags & DT_SINGLELINE) != 0, [font](uint32_t cp) { return font->Advance(cp); });

  const int lineHeight = font->metrics.ascent + font->metrics.descent;
  const long long maxWidth = WidestLine(lines);
  const long long totalHeight =
      static_cast<long long>(lineHeight) * static_cast<long long>(lines.size());
  const int height = static_cast<int>(std::min<long long>(totalHeight, 0x7FFFFFFF));

  if (flags & DT_CALCRECT)
  {
    rect->right = static_cast<int>(std::min<long long>(rect->left + maxWidth, 0x7FFFFFFF));
    rect->bottom = static_cast<int>(std::min<long long>(rect->top + totalHeight, 0x7FFFFFFF));
    return height;
  }

  Clip clip{0, 0, ctx->width, ctx->height};
  if (!(flags & DT_NOCLIP))
  {
    clip.left = std::max(clip.left, rect->left);
    clip.top = std::max(clip.top, rect->top);
    clip.right = std::min(clip.right, rect->right);
    clip.bottom = std::min(clip.bottom, rect->bottom);
  }
  if (clip.left >= clip.right || clip.top >= clip.bottom) return height;

  long long top = rect->top;
  if (flags & DT_SINGLELINE)
  {
    if (flags & DT_VCENTER)
      top = rect->top + (static_cast<long long>(rect->bottom) - rect->top - lineHeight) / 2;
    else if (flags & DT_BOTTOM)
      top = static_cast<long long>(rect->bottom) - lineHeight;
  }

  const bool rotated = font->rotation != 0.0;
  const double cosR = std::cos(font->rotation), sinR = std::sin(font->rotation);

  for (size_t li = 0; li < lines.size(); ++li)
  {
    const TextLine& line = lines[li];
    long long x = rect->left;
    if (flags & DT_CENTER)
      x = (static_cast<long long>(rect->left) + rect->right) / 2 - line.width / 2;
    else if (flags & DT_RIGHT)
      x = rect->right - line.width;
    const long long lineTop = top + static_cast<long long>(li) * lineHeight;
    if (lineTop > 0x3FFFFFFF || lineTop < -0x3FFFFFFF || x > 0x3FFFFFFF || x < -0x3FFFFFFF)
      continue;
    if (!rotated && (lineTop >= clip.bottom || lineTop + lineHeight <= clip.top)) continue;
    if (ctx->bkMode == OPAQUE && !rotated)
      FillArea(ctx, clip, static_cast<int>(x), static_cast<int>(lineTop),
               static_cast<int>(std::min<long long>(x + line.width, 0x7FFFFFFF)),
               static_cast<int>(lineTop + lineHeight), ctx->bkColor);
    long long pen = x;
    for (size_t i = line.begin; i < line.end; ++i)
    {
      const uint32_t cp = cps[i];
      if (cp == '\r' || cp == '\n') continue;
      const int advance = font->Advance(cp);
      // Glyphs wholly outside the clip are skipped without rendering.
      if (!rotated && (pen >= clip.right + font->size || pen + advance + font->size < clip.left))
      {
        pen += advance;
        continue;
      }
      // The pen's origin on the baseline; a rotated line turns about the rectangle's top-left.
      double ox = static_cast<double>(pen),
             oy = static_cast<double>(lineTop + font->metrics.ascent);
      if (rotated)
      {
        const double dx = ox - rect->left, dy = oy - rect->top;
        ox = rect->left + dx * cosR + dy * sinR;
        oy = rect->top - dx * sinR + dy * cosR;
      }
      fontservice::GlyphImage glyph;
      if (font->face->Render(cp, font->rotation, glyph))
      {
        const int gx = static_cast<int>(std::lround(ox)) + glyph.left;
        const int gy = static_cast<int>(std::lround(oy)) - glyph.top;
        DrawGlyph(ctx, clip, glyph, gx, gy, ctx->textColor);
      }
      pen += advance;
    }
  }
  return height;
}
