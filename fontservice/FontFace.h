#pragma once
// What the text service asks of a platform's glyph back end: a face opened by name at a pixel
// size, its metrics, rounded advances and glyph coverage. Layout, contexts and blending stay in
// FontService.cpp for every platform; FontFaceFreeType.cpp (fontconfig and FreeType) and
// FontFaceGdi.cpp (Windows GDI) implement this.

#include <cstdint>
#include <memory>
#include <string>

namespace fontservice
{

struct FaceMetrics
{
  int ascent = 0, descent = 0, lineGap = 0, maxAdvance = 0;
  std::string file, family;
};

// One glyph's coverage: rows of width bytes, 0..255, pitch bytes apart; its top-left pixel sits
// left pixels right of and top pixels above the pen's origin on the baseline.
struct GlyphImage
{
  int left = 0, top = 0, width = 0, rows = 0, pitch = 0;
  const unsigned char* coverage = nullptr;
};

class FontFace
{
public:
  virtual ~FontFace() = default;
  // The unrotated advance in whole pixels; 0 for a glyph the face cannot load.
  virtual int Advance(uint32_t codepoint) = 0;
  // Renders the glyph turned counter-clockwise by rotation radians. The image stays valid until
  // the next call on this face. False when the glyph cannot be rendered.
  virtual bool Render(uint32_t codepoint, double rotation, GlyphImage& image) = 0;
};

// Opens the face named by key ("Family[ Bold][ Italic]"; an empty family means the default sans
// face) at size pixels per em; mono asks for one-bit glyphs (coverage 0 or 255). Null when no
// face can be loaded at all. Thread-safe.
std::unique_ptr<FontFace> OpenFace(const std::string& key, int size, bool mono,
                                   FaceMetrics& metrics);

} // namespace fontservice
