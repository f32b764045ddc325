#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "fontservice/Utf8.h"
#include "raster/Raster.h"
#include "raster/RasterCombine.h"

using namespace raster_detail;

// A glyph as the text service draws it: its advance and its coverage, cropped to the inked box,
// placed relative to the pen position and the line's top.
struct RasterCachedFont::Glyph
{
  int advance = 0;
  int offX = 0, offY = 0;
  int w = 0, h = 0;
  std::vector<uint8_t> coverage;
};

struct RasterCachedFont::Impl
{
  std::unordered_map<uint32_t, Glyph> glyphs;
  HDC measure = nullptr; // a 1 x 1 context holding the font, for advances
  // Recursive: the destructor and SetFromHFont hold it around Clear, which may be reached again.
  mutable std::recursive_mutex mutex;
};

namespace
{

std::string EncodeUtf8(uint32_t cp)
{
  std::string s;
  if (cp < 0x80)
    s += static_cast<char>(cp);
  else if (cp < 0x800)
    s += static_cast<char>(0xC0 | cp >> 6), s += static_cast<char>(0x80 | (cp & 0x3F));
  else if (cp < 0x10000)
    s += static_cast<char>(0xE0 | cp >> 12), s += static_cast<char>(0x80 | (cp >> 6 & 0x3F)),
        s += static_cast<char>(0x80 | (cp & 0x3F));
  else
    s += static_cast<char>(0xF0 | cp >> 18), s += static_cast<char>(0x80 | (cp >> 12 & 0x3F)),
        s += static_cast<char>(0x80 | (cp >> 6 & 0x3F)), s += static_cast<char>(0x80 | (cp & 0x3F));
  return s;
}

} // namespace

RasterCachedFont::RasterCachedFont() : mImpl(new Impl()) {}

RasterCachedFont::~RasterCachedFont()
{
  {
    std::lock_guard<std::recursive_mutex> lock(mImpl->mutex);
    Clear();
  }
  delete mImpl;
}

HFONT RasterCachedFont::GetHFont() const
{
  std::lock_guard<std::recursive_mutex> lock(mImpl->mutex);
  return mFont;
}

int RasterCachedFont::GetLineHeight() const
{
  std::lock_guard<std::recursive_mutex> lock(mImpl->mutex);
  return mLineHeight;
}

void RasterCachedFont::SetTextColor(RasterPixel color)
{
  std::lock_guard<std::recursive_mutex> lock(mImpl->mutex);
  mColor = color;
}

RasterPixel RasterCachedFont::GetTextColor() const
{
  std::lock_guard<std::recursive_mutex> lock(mImpl->mutex);
  return mColor;
}

void RasterCachedFont::Clear()
{
  mImpl->glyphs.clear();
  DeleteGfxContext(mImpl->measure);
  mImpl->measure = nullptr;
  if (mFont && (mFlags & RASTER_FONT_FLAG_OWNS_HFONT)) DeleteObject(mFont);
  mFont = nullptr;
  mFlags = 0;
  mLineHeight = 0;
}

bool RasterCachedFont::SetFromHFont(HFONT font, int flags)
{
  std::lock_guard<std::recursive_mutex> lock(mImpl->mutex);
  Clear();
  if (!font) return true;
  mFont = font;
  mFlags = flags;
  TEXTMETRIC tm{};
  mImpl->measure = CreateMemContext(1, 1);
  if (!mImpl->measure || !GetFontMetrics(font, &tm))
  {
    Clear();
    return false;
  }
  SelectObject(mImpl->measure, font);
  mLineHeight = tm.tmHeight;
  return true;
}

const RasterCachedFont::Glyph* RasterCachedFont::GetGlyph(uint32_t cp)
{
  auto it = mImpl->glyphs.find(cp);
  if (it != mImpl->glyphs.end()) return &it->second;

  Glyph g;
  const std::string s = EncodeUtf8(cp);
  TextRect r{0, 0, 0, 0};
  ::DrawText(mImpl->measure, s.c_str(), static_cast<int>(s.size()), &r,
             DT_SINGLELINE | DT_CALCRECT);
  g.advance = r.right;

  // Render white on black with room around the advance box for overhangs (italics, accents),
  // then keep only the inked part.
  const int pad = mLineHeight / 2 + 2;
  const int cw = g.advance + 2 * pad, ch = mLineHeight + 2 * pad;
  HDC ctx = CreateMemContext(cw, ch);
  if (ctx)
  {
    SelectObject(ctx, mFont);
    ::SetTextColor(ctx, TextColor(255, 255, 255));
    SetBkMode(ctx, TRANSPARENT);
    TextRect at{pad, pad, pad + g.advance, pad + mLineHeight};
    ::DrawText(ctx, s.c_str(), static_cast<int>(s.size()), &at, DT_SINGLELINE | DT_NOCLIP);
    const uint32_t* bits = GetCtxFrameBuffer(ctx);
    int x0 = cw, y0 = ch, x1 = -1, y1 = -1;
    for (int y = 0; y < ch; ++y)
      for (int x = 0; x < cw; ++x)
        if (bits[static_cast<size_t>(y) * cw + x] >> 16 & 0xFF)
          x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    if (x1 >= x0)
    {
      g.offX = x0 - pad;
      g.offY = y0 - pad;
      g.w = x1 - x0 + 1;
      g.h = y1 - y0 + 1;
      g.coverage.resize(static_cast<size_t>(g.w) * g.h);
      for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x)
          g.coverage[static_cast<size_t>(y) * g.w + x] =
              static_cast<uint8_t>(bits[static_cast<size_t>(y0 + y) * cw + x0 + x] >> 16 & 0xFF);
    }
    DeleteGfxContext(ctx);
  }
  return &mImpl->glyphs.emplace(cp, std::move(g)).first->second;
}

int RasterCachedFont::DrawText(RasterBitmap* dest, const char* text, int len, RasterRect* rect,
                               int flags)
{
  std::lock_guard<std::recursive_mutex> lock(mImpl->mutex);
  return DrawLocked(dest, text, len, rect, flags);
}

int RasterCachedFont::DrawText(RasterBitmap* dest, const char* text, int len, RasterRect* rect,
                               int flags, RasterPixel color)
{
  std::lock_guard<std::recursive_mutex> lock(mImpl->mutex);
  mColor = color;
  return DrawLocked(dest, text, len, rect, flags);
}

int RasterCachedFont::DrawLocked(RasterBitmap* dest, const char* text, int len, RasterRect* rect,
                                 int flags)
{
  if (!mFont || !text || !rect) return 0;
  const size_t n = len < 0 ? std::strlen(text) : static_cast<size_t>(len);
  const std::vector<uint32_t> cps = Utf8Decode(text, n);

  const std::vector<TextLine> lines =
      SplitTextLines(cps, false, [this](uint32_t cp) { return GetGlyph(cp)->advance; });
  const long long maxWidth = WidestLine(lines);
  const long long height =
      static_cast<long long>(mLineHeight) * static_cast<long long>(lines.size());
  const int result = static_cast<int>(std::min<long long>(height, 0x7FFFFFFF));

  if (flags & RASTER_DT_CALCRECT)
  {
    rect->right = static_cast<int>(std::min<long long>(rect->left + maxWidth, 0x7FFFFFFF));
    rect->bottom = static_cast<int>(std::min<long long>(rect->top + height, 0x7FFFFFFF));
    if (!(mFlags & RASTER_FONT_FLAG_CACHE_GLYPHS)) mImpl->glyphs.clear();
    return result;
  }

  if (dest && dest->getBits() && dest->getWidth() > 0 && dest->getHeight() > 0 &&
      GetFontOrientation(mFont) % 3600 != 0)
    DrawTurned(dest, text, n, *rect, flags);
  else if (dest && dest->getBits() && dest->getWidth() > 0 && dest->getHeight() > 0)
  {
    long long cl = 0, ct = 0, cr = dest->getWidth(), cb = dest->getHeight();
    if (!(flags & RASTER_DT_NOCLIP))
    {
      cl = std::max<long long>(cl, rect->left), ct = std::max<long long>(ct, rect->top);
      cr = std::min<long long>(cr, rect->right), cb = std::min<long long>(cb, rect->bottom);
    }
    // Coverage is scaled by the colour's alpha only when asked; the glyph is then laid over the
    // destination like a source pixel of that alpha.
    const int alpha = (flags & RASTER_DT_USEFGALPHA) ? RasterGetA(mColor) : 255;
    const uint32_t opaque = (mColor & 0xFFFFFF00u) | 0xFF;
    const BlitParams params = ChooseBlit(1.0f, RASTER_BLIT_USE_ALPHA);
    uint32_t* bits = dest->getBits();
    const int span = dest->getRowSpan();
    for (size_t li = 0; li < lines.size() && cl < cr && ct < cb && alpha > 0; ++li)
    {
      const TextLine& line = lines[li];
      long long pen = rect->left;
      if (flags & RASTER_DT_CENTER)
        pen = (static_cast<long long>(rect->left) + rect->right) / 2 - line.width / 2;
      else if (flags & RASTER_DT_RIGHT)
        pen = rect->right - line.width;
      const long long top = rect->top + static_cast<long long>(li) * mLineHeight;
      for (size_t i = line.begin; i < line.end; ++i)
      {
        if (cps[i] == '\r') continue;
        const Glyph* g = GetGlyph(cps[i]);
        const long long gx = pen + g->offX, gy = top + g->offY;
        pen += g->advance;
        const long long x0 = std::max(cl, gx), x1 = std::min(cr, gx + g->w);
        const long long y0 = std::max(ct, gy), y1 = std::min(cb, gy + g->h);
        for (long long y = y0; y < y1; ++y)
        {
          const uint8_t* cov = g->coverage.data() + (y - gy) * g->w;
          uint32_t* row = bits + y * span;
          for (long long x = x0; x < x1; ++x)
          {
            const int gc = cov[x - gx];
            const int c = alpha == 255 ? gc : (gc * alpha + 127) / 255;
            if (c > 0)
              CombinePixel(row[x], (opaque & 0xFFFFFF00u) | static_cast<uint32_t>(c), params);
          }
        }
      }
    }
  }
  if (!(mFlags & RASTER_FONT_FLAG_CACHE_GLYPHS)) mImpl->glyphs.clear();
  return result;
}

// Turned text cannot be laid out from upright glyphs: the text service draws the whole string
// into a context over the area that may change, and its coverage is laid on the destination.
void RasterCachedFont::DrawTurned(RasterBitmap* dest, const char* text, size_t n,
                                  const RasterRect& rect, int flags)
{
  long long cl = 0, ct = 0, cr = dest->getWidth(), cb = dest->getHeight();
  if (!(flags & RASTER_DT_NOCLIP))
  {
    cl = std::max<long long>(cl, rect.left), ct = std::max<long long>(ct, rect.top);
    cr = std::min<long long>(cr, rect.right), cb = std::min<long long>(cb, rect.bottom);
  }
  const int alpha = (flags & RASTER_DT_USEFGALPHA) ? RasterGetA(mColor) : 255;
  if (cl >= cr || ct >= cb || alpha == 0 || n > 0x7FFFFFFF) return;
  const int w = static_cast<int>(cr - cl), h = static_cast<int>(cb - ct);
  HDC ctx = CreateMemContext(w, h);
  if (!ctx) return;
  SelectObject(ctx, mFont);
  ::SetTextColor(ctx, TextColor(255, 255, 255));
  SetBkMode(ctx, TRANSPARENT);
  TextRect at{static_cast<int>(rect.left - cl), static_cast<int>(rect.top - ct),
              static_cast<int>(rect.right - cl), static_cast<int>(rect.bottom - ct)};
  int serviceFlags = DT_NOCLIP;
  if (flags & RASTER_DT_CENTER) serviceFlags |= DT_CENTER;
  if (flags & RASTER_DT_RIGHT) serviceFlags |= DT_RIGHT;
  ::DrawText(ctx, text, static_cast<int>(n), &at, serviceFlags);
  const uint32_t* cov = GetCtxFrameBuffer(ctx);
  const uint32_t opaque = mColor & 0xFFFFFF00u;
  const BlitParams params = ChooseBlit(1.0f, RASTER_BLIT_USE_ALPHA);
  for (int y = 0; y < h; ++y)
  {
    uint32_t* row = dest->getBits() + (ct + y) * dest->getRowSpan() + cl;
    for (int x = 0; x < w; ++x)
    {
      const int gc = static_cast<int>(cov[static_cast<size_t>(y) * w + x] >> 16 & 0xFF);
      const int c = alpha == 255 ? gc : (gc * alpha + 127) / 255;
      if (c > 0) CombinePixel(row[x], opaque | static_cast<uint32_t>(c), params);
    }
  }
  DeleteGfxContext(ctx);
}
