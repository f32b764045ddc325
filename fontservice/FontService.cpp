#include "fontservice/FontService.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "fontservice/Utf8.h"

namespace
{

// FreeType's library object is not thread-safe for creating and freeing faces; one lock guards
// those. Each font has its own face, so drawing needs no lock.
std::mutex gLibraryMutex;
FT_Library gLibrary = nullptr;

// Face-name resolution talks to fontconfig, which is slow; each name is resolved once per
// process under this lock.
struct ResolvedFace
{
  bool ok = false;
  std::string file;
  int index = 0;
  std::string family;
  bool wantBold = false;
  bool wantItalic = false;
};
std::mutex gNameMutex;
// Plain objects, not heap pointers: a module that is unloaded must take its caches with it.
std::map<std::string, ResolvedFace> gNames;
std::string gFallbackFile;

constexpr int kMaxFaceNameBytes = 899;

bool EqualsNoCase(const char* a, const char* b)
{
  for (; *a && *b; ++a, ++b)
    if (std::tolower(static_cast<unsigned char>(*a)) !=
        std::tolower(static_cast<unsigned char>(*b)))
      return false;
  return *a == *b;
}

bool StripSuffix(std::string& s, const char* suffix)
{
  const size_t n = std::strlen(suffix);
  if (s.size() < n || !EqualsNoCase(s.c_str() + s.size() - n, suffix)) return false;
  s.resize(s.size() - n);
  return true;
}

// Asks fontconfig for the face. A match counts only when its family is the one asked for or one
// fontconfig binds to it strongly (the metric-compatible aliases, "Arial" -> "Liberation Sans");
// the weakly bound generic defaults it appends to every request do not count, unless the name
// itself is generic (nothing bound strongly).
ResolvedFace ResolveWithFontconfig(const std::string& family, bool bold, bool italic,
                                   bool* onlyGenericMatch)
{
  ResolvedFace out;
  *onlyGenericMatch = false;
  if (!FcInit()) return out;
  FcPattern* pat = FcPatternCreate();
  if (!pat) return out;
  FcPatternAddString(
      pat, FC_FAMILY,
      reinterpret_cast<const FcChar8*>(family.empty() ? "sans-serif" : family.c_str()));
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);

  std::vector<std::string> strong;
  FcValue v;
  FcValueBinding binding;
  for (int i = 0; FcPatternGetWithBinding(pat, FC_FAMILY, i, &v, &binding) == FcResultMatch; ++i)
    if (binding == FcValueBindingStrong && v.type == FcTypeString)
      strong.emplace_back(reinterpret_cast<const char*>(v.u.s));

  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pat, &result);
  FcPatternDestroy(pat);
  if (!match) return out;

  FcChar8* file = nullptr;
  int index = 0;
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
  {
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    bool found = strong.empty();
    FcChar8* fam = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &fam) == FcResultMatch; ++i)
    {
      if (i == 0) out.family = reinterpret_cast<const char*>(fam);
      for (const std::string& s : strong)
        if (EqualsNoCase(s.c_str(), reinterpret_cast<const char*>(fam))) found = true;
    }
    out.ok = true;
    out.file = reinterpret_cast<const char*>(file);
    out.index = index;
    out.wantBold = bold && weight < FC_WEIGHT_DEMIBOLD;
    out.wantItalic = italic && slant == FC_SLANT_ROMAN;
    *onlyGenericMatch = !found;
  }
  FcPatternDestroy(match);
  return out;
}

// Resolves "Family[ Bold][ Italic]" once per process.
ResolvedFace ResolveName(const std::string& key)
{
  std::lock_guard<std::mutex> lock(gNameMutex);
  auto it = gNames.find(key);
  if (it != gNames.end()) return it->second;

  std::string family = key;
  const bool italic = StripSuffix(family, " Italic");
  const bool bold = StripSuffix(family, " Bold");
  bool onlyGeneric = false;
  ResolvedFace face = ResolveWithFontconfig(family, bold, italic, &onlyGeneric);
  if ((!face.ok || onlyGeneric) && !gFallbackFile.empty())
  {
    face = ResolvedFace();
    face.ok = true;
    face.file = gFallbackFile;
    face.wantBold = bold; // checked against the face's own style once it is open
    face.wantItalic = italic;
  }
  gNames[key] = face;
  return face;
}

FT_Library Library()
{
  // Called with gLibraryMutex held.
  if (!gLibrary && FT_Init_FreeType(&gLibrary) != 0) gLibrary = nullptr;
  return gLibrary;
}

int RoundPixels(FT_Pos v)
{
  return static_cast<int>((v + 32) >> 6);
}

} // namespace

struct TextFont
{
  FT_Face face = nullptr;
  int size = 10;
  double rotation = 0.0; // radians, counter-clockwise
  int orientation = 0;   // tenths of a degree
  bool mono = false;
  bool synthBold = false;
  bool synthItalic = false;
  int ascent = 0, descent = 0, lineGap = 0;
  std::string file, family;
  std::unordered_map<uint32_t, int> advances;

  // Loads the glyph outline (hinted for the chosen rendering), with any synthetic style applied,
  // into the face's slot; renders it when asked. False when FreeType fails.
  bool Load(uint32_t codepoint, bool render)
  {
    FT_UInt index = FT_Get_Char_Index(face, codepoint);
    FT_Int32 flags = mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_LIGHT;
    if (FT_Load_Glyph(face, index, flags) != 0) return false;
    FT_GlyphSlot slot = face->glyph;
    if (synthBold) FT_GlyphSlot_Embolden(slot);
    if (synthItalic) FT_GlyphSlot_Oblique(slot);
    if (render && slot->format != FT_GLYPH_FORMAT_BITMAP)
      if (FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0)
        return false;
    return true;
  }

  int Advance(uint32_t codepoint)
  {
    auto it = advances.find(codepoint);
    if (it != advances.end()) return it->second;
    FT_Set_Transform(face, nullptr, nullptr);
    const int adv = Load(codepoint, false) ? RoundPixels(face->glyph->advance.x) : 0;
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

void SetFallbackFontFile(const char* path)
{
  std::lock_guard<std::mutex> lock(gNameMutex);
  gFallbackFile = path ? path : "";
}

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
  const ResolvedFace resolved = ResolveName(key);
  if (!resolved.ok) return nullptr;

  TextFont* font = new (std::nothrow) TextFont();
  if (!font) return nullptr;
  {
    std::lock_guard<std::mutex> lock(gLibraryMutex);
    FT_Library lib = Library();
    if (!lib || FT_New_Face(lib, resolved.file.c_str(), resolved.index, &font->face) != 0)
      font->face = nullptr;
  }
  if (!font->face)
  {
    delete font;
    return nullptr;
  }
  FT_Face face = font->face;
  font->size = static_cast<int>(size);
  font->orientation = orientation;
  font->rotation = orientation / 10.0 * 3.14159265358979323846 / 180.0;
  font->mono = quality == NONANTIALIASED_QUALITY;
  font->synthBold = resolved.wantBold && !(face->style_flags & FT_STYLE_FLAG_BOLD);
  font->synthItalic = resolved.wantItalic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
  font->file = resolved.file;
  font->family = face->family_name ? face->family_name : resolved.family;
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);

  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)) != 0)
  {
    // Bitmap-only faces offer fixed sizes; take the first rather than fail.
    if (face->num_fixed_sizes <= 0 || FT_Select_Size(face, 0) != 0)
    {
      DeleteObject(font);
      return nullptr;
    }
  }
  const FT_Size_Metrics& m = face->size->metrics;
  font->ascent = static_cast<int>((m.ascender + 63) >> 6);
  font->descent = static_cast<int>((-m.descender + 63) >> 6);
  if (font->ascent + font->descent <= 0)
  {
    font->ascent = font->size;
    font->descent = 0;
  }
  font->lineGap = std::max(0, RoundPixels(m.height) - font->ascent - font->descent);
  return font;
}

bool DeleteObject(HFONT font)
{
  if (!font) return false;
  if (font->face)
  {
    std::lock_guard<std::mutex> lock(gLibraryMutex);
    FT_Done_Face(font->face);
  }
  delete font;
  return true;
}

const char* GetFontFilePath(HFONT font)
{
  return font ? font->file.c_str() : "";
}
const char* GetFontFamilyName(HFONT font)
{
  return font ? font->family.c_str() : "";
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
  tm->tmHeight = font->ascent + font->descent;
  tm->tmAscent = font->ascent;
  tm->tmDescent = font->descent;
  tm->tmInternalLeading = std::max(0, tm->tmHeight - font->size);
  tm->tmExternalLeading = font->lineGap;
  tm->tmAveCharWidth = font->Advance('x');
  tm->tmMaxCharWidth =
      std::max(tm->tmAveCharWidth, RoundPixels(font->face->size->metrics.max_advance));
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
  void* mem = std::aligned_alloc(64, bytes);
  if (!mem) return nullptr;
  TextContext* ctx = new (std::nothrow) TextContext();
  if (!ctx)
  {
    std::free(mem);
    return nullptr;
  }
  std::memset(mem, 0, bytes);
  ctx->memory = mem;
  ctx->bits = static_cast<uint32_t*>(mem);
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

void DrawBitmap(TextContext* ctx, const Clip& clip, const FT_Bitmap& bm, int x0, int y0,
                uint32_t color)
{
  for (unsigned row = 0; row < bm.rows; ++row)
  {
    const int y = y0 + static_cast<int>(row);
    if (y < clip.top || y >= clip.bottom) continue;
    const unsigned char* src = bm.buffer + static_cast<ptrdiff_t>(row) * bm.pitch;
    for (unsigned col = 0; col < bm.width; ++col)
    {
      const int x = x0 + static_cast<int>(col);
      if (x < clip.left || x >= clip.right) continue;
      int cov = 0;
      if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
        cov = (src[col >> 3] >> (7 - (col & 7)) & 1) ? 255 : 0;
      else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
        cov = bm.num_grays == 256 ? src[col] : src[col] * 255 / std::max(1, bm.num_grays - 1);
      if (cov > 0) MixPixel(ctx->bits[static_cast<size_t>(y) * ctx->width + x], color, cov);
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

  const int lineHeight = font->ascent + font->descent;
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
  FT_Matrix matrix;
  matrix.xx = static_cast<FT_Fixed>(cosR * 65536.0);
  matrix.xy = static_cast<FT_Fixed>(-sinR * 65536.0);
  matrix.yx = static_cast<FT_Fixed>(sinR * 65536.0);
  matrix.yy = static_cast<FT_Fixed>(cosR * 65536.0);

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
      double ox = static_cast<double>(pen), oy = static_cast<double>(lineTop + font->ascent);
      if (rotated)
      {
        const double dx = ox - rect->left, dy = oy - rect->top;
        ox = rect->left + dx * cosR + dy * sinR;
        oy = rect->top - dx * sinR + dy * cosR;
      }
      FT_Set_Transform(font->face, rotated ? &matrix : nullptr, nullptr);
      if (font->Load(cp, true))
      {
        const FT_GlyphSlot slot = font->face->glyph;
        const int gx = static_cast<int>(std::lround(ox)) + slot->bitmap_left;
        const int gy = static_cast<int>(std::lround(oy)) - slot->bitmap_top;
        DrawBitmap(ctx, clip, slot->bitmap, gx, gy, ctx->textColor);
      }
      pen += advance;
    }
  }
  FT_Set_Transform(font->face, nullptr, nullptr);
  return height;
}
