#include "fontservice/FontFace.h"
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
#include <vector>

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

// A FreeType face at one pixel size, with any synthetic style applied to every glyph.
class FreeTypeFace final : public fontservice::FontFace
{
public:
  FT_Face face = nullptr;
  bool mono = false;
  bool synthBold = false;
  bool synthItalic = false;

  ~FreeTypeFace() override
  {
    if (!face) return;
    std::lock_guard<std::mutex> lock(gLibraryMutex);
    FT_Done_Face(face);
  }

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

  int Advance(uint32_t codepoint) override
  {
    FT_Set_Transform(face, nullptr, nullptr);
    return Load(codepoint, false) ? RoundPixels(face->glyph->advance.x) : 0;
  }

  bool Render(uint32_t codepoint, double rotation, fontservice::GlyphImage& image) override
  {
    if (rotation != 0.0)
    {
      const double cosR = std::cos(rotation), sinR = std::sin(rotation);
      FT_Matrix matrix;
      matrix.xx = static_cast<FT_Fixed>(cosR * 65536.0);
      matrix.xy = static_cast<FT_Fixed>(-sinR * 65536.0);
      matrix.yx = static_cast<FT_Fixed>(sinR * 65536.0);
      matrix.yy = static_cast<FT_Fixed>(cosR * 65536.0);
      FT_Set_Transform(face, &matrix, nullptr);
    }
    else
      FT_Set_Transform(face, nullptr, nullptr);
    const bool ok = Load(codepoint, true);
    FT_Set_Transform(face, nullptr, nullptr);
    if (!ok) return false;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    image.left = slot->bitmap_left;
    image.top = slot->bitmap_top;
    image.width = static_cast<int>(bm.width);
    image.rows = static_cast<int>(bm.rows);
    image.pitch = image.width;
    mCoverage.assign(static_cast<size_t>(image.width) * bm.rows, 0);
    for (unsigned row = 0; row < bm.rows; ++row)
    {
      const unsigned char* src = bm.buffer + static_cast<ptrdiff_t>(row) * bm.pitch;
      unsigned char* dst = mCoverage.data() + static_cast<size_t>(row) * bm.width;
      for (unsigned col = 0; col < bm.width; ++col)
      {
        if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
          dst[col] = (src[col >> 3] >> (7 - (col & 7)) & 1) ? 255 : 0;
        else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
          dst[col] = static_cast<unsigned char>(
              bm.num_grays == 256 ? src[col] : src[col] * 255 / std::max(1, bm.num_grays - 1));
      }
    }
    image.coverage = mCoverage.data();
    return true;
  }

private:
  std::vector<unsigned char> mCoverage;
};

} // namespace

void SetFallbackFontFile(const char* path)
{
  std::lock_guard<std::mutex> lock(gNameMutex);
  gFallbackFile = path ? path : "";
}

namespace fontservice
{

std::unique_ptr<FontFace> OpenFace(const std::string& key, int size, bool mono,
                                   FaceMetrics& metrics)
{
  const ResolvedFace resolved = ResolveName(key);
  if (!resolved.ok) return nullptr;

  std::unique_ptr<FreeTypeFace> font(new (std::nothrow) FreeTypeFace());
  if (!font) return nullptr;
  {
    std::lock_guard<std::mutex> lock(gLibraryMutex);
    FT_Library lib = Library();
    if (!lib || FT_New_Face(lib, resolved.file.c_str(), resolved.index, &font->face) != 0)
      font->face = nullptr;
  }
  if (!font->face) return nullptr;
  FT_Face face = font->face;
  font->mono = mono;
  font->synthBold = resolved.wantBold && !(face->style_flags & FT_STYLE_FLAG_BOLD);
  font->synthItalic = resolved.wantItalic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
  metrics.file = resolved.file;
  metrics.family = face->family_name ? face->family_name : resolved.family;
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);

  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)) != 0)
  {
    // Bitmap-only faces offer fixed sizes; take the first rather than fail.
    if (face->num_fixed_sizes <= 0 || FT_Select_Size(face, 0) != 0) return nullptr;
  }
  const FT_Size_Metrics& m = face->size->metrics;
  metrics.ascent = static_cast<int>((m.ascender + 63) >> 6);
  metrics.descent = static_cast<int>((-m.descender + 63) >> 6);
  if (metrics.ascent + metrics.descent <= 0)
  {
    metrics.ascent = size;
    metrics.descent = 0;
  }
  metrics.lineGap = std::max(0, RoundPixels(m.height) - metrics.ascent - metrics.descent);
  metrics.maxAdvance = RoundPixels(m.max_advance);
  return font;
}

} // namespace fontservice
