// The text service: face resolution, size rules, contexts, and measuring that agrees with drawing.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "fontservice/FontService.h"
#include "raster/FontconfigLeaks.h"
#include "raster/Raster.h"

namespace
{

HFONT Make(int height, const char* face, int weight = FW_NORMAL, int italic = 0, int width = 0,
           int quality = 0)
{
  return CreateFont(height, width, 0, 0, weight, italic, 0, 0, 0, 0, 0, quality, 0, face);
}

bool Contains(const std::string& s, const char* part)
{
  return s.find(part) != std::string::npos;
}

struct Ink
{
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1; // inclusive box of changed pixels
};

Ink InkOf(const uint32_t* bits, int w, int h)
{
  Ink ink;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (bits[y * w + x] & 0xFFFFFF00u)
        ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x),
        ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
  return ink;
}

HDC WhiteOnBlack(int w, int h, HFONT font)
{
  HDC ctx = CreateMemContext(w, h);
  SelectObject(ctx, font);
  SetTextColor(ctx, TextColor(255, 255, 255));
  SetBkMode(ctx, TRANSPARENT);
  return ctx;
}

} // namespace

TEST(FontService, FacesResolveThroughFontconfig)
{
  HFONT arial = Make(12, "Arial");
  ASSERT_NE(arial, nullptr);
  EXPECT_TRUE(Contains(GetFontFamilyName(arial), "Liberation Sans")) << GetFontFamilyName(arial);

  HFONT bold = Make(12, "Arial", FW_BOLD);
  HFONT italic = Make(12, "Arial", FW_NORMAL, 1);
  ASSERT_TRUE(bold && italic);
  EXPECT_TRUE(Contains(GetFontFilePath(bold), "Bold")) << GetFontFilePath(bold);
  EXPECT_TRUE(Contains(GetFontFilePath(italic), "Italic")) << GetFontFilePath(italic);

  // No face called Exo is installed: the best sans face stands in.
  HFONT exo = Make(12, "Exo");
  ASSERT_NE(exo, nullptr);
  EXPECT_TRUE(Contains(GetFontFamilyName(exo), "Sans")) << GetFontFamilyName(exo);
  for (HFONT f : {arial, bold, italic, exo})
    EXPECT_TRUE(DeleteObject(f));
  EXPECT_FALSE(DeleteObject(nullptr));
}

TEST(FontService, UnknownFacesUseTheFallbackFileWhenOneIsSet)
{
  HFONT probe = Make(12, "DejaVu Serif");
  ASSERT_NE(probe, nullptr);
  const std::string serifFile = GetFontFilePath(probe);
  DeleteObject(probe);

  SetFallbackFontFile(serifFile.c_str());
  HFONT unknown = Make(12, "No Such Face Anywhere");
  HFONT known = Make(12, "Liberation Sans");
  SetFallbackFontFile(nullptr);
  ASSERT_TRUE(unknown && known);
  EXPECT_EQ(std::string(GetFontFilePath(unknown)), serifFile);
  EXPECT_TRUE(Contains(GetFontFilePath(known), "LiberationSans"));
  DeleteObject(unknown);
  DeleteObject(known);

  SetFallbackFontFile("/nonexistent/font.ttf");
  EXPECT_EQ(Make(12, "Another Missing Face"), nullptr);
  SetFallbackFontFile(nullptr);
}

TEST(FontService, SizeRules)
{
  struct Case
  {
    int height, width, size;
  } cases[] = {{-12, 0, 12}, {12, 30, 12},  {0, 14, 14},     {0, -15, 15}, {0, 0, 10},
               {1, 0, 10},   {9000, 0, 10}, {8192, 0, 8192}, {2, 0, 2}};
  for (const Case& c : cases)
  {
    HFONT f = Make(c.height, "Arial", FW_NORMAL, 0, c.width);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(GetFontSize(f), c.size) << c.height << " " << c.width;
    TEXTMETRIC tm{};
    ASSERT_TRUE(GetFontMetrics(f, &tm));
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_GE(tm.tmHeight, c.size);
    DeleteObject(f);
  }
}

TEST(FontService, ContextsAreZeroedAlignedAndBounded)
{
  HDC ctx = CreateMemContext(33, 7);
  ASSERT_NE(ctx, nullptr);
  const uint32_t* bits = GetCtxFrameBuffer(ctx);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(bits) % 64, 0u);
  EXPECT_TRUE(std::all_of(bits, bits + 33 * 7, [](uint32_t p) { return p == 0; }));
  TEXTMETRIC tm;
  EXPECT_FALSE(GetTextMetrics(ctx, &tm)); // no font selected
  TextRect r{0, 0, 10, 10};
  EXPECT_EQ(DrawText(ctx, "x", -1, &r, 0), 0);
  DeleteGfxContext(ctx);
  EXPECT_EQ(CreateMemContext(0, 5), nullptr);
  EXPECT_EQ(CreateMemContext(5, 40000), nullptr);
  EXPECT_EQ(DrawText(nullptr, "x", -1, &r, 0), 0);
}

TEST(FontService, MeasuringAndDrawingAgree)
{
  HFONT font = Make(13, "Arial");
  ASSERT_NE(font, nullptr);
  const char* text = "Freq 1.25 kHz";
  TextRect m{5, 4, 5, 4};
  HDC ctx = WhiteOnBlack(200, 40, font);
  const int h = DrawText(ctx, text, -1, &m, DT_CALCRECT);
  TEXTMETRIC tm{};
  ASSERT_TRUE(GetTextMetrics(ctx, &tm));
  EXPECT_EQ(h, tm.tmHeight);
  EXPECT_EQ(m.bottom - m.top, tm.tmHeight);
  EXPECT_GT(m.right - m.left, 40);

  // The ink stays within the measured box (one pixel of slack for antialiased edges).
  TextRect at = m;
  DrawText(ctx, text, -1, &at, DT_NOCLIP);
  const Ink ink = InkOf(GetCtxFrameBuffer(ctx), 200, 40);
  EXPECT_GE(ink.left, m.left - 1);
  EXPECT_LE(ink.right, m.right);
  EXPECT_GE(ink.top, m.top);
  EXPECT_LT(ink.bottom, m.bottom);

  // A string draws exactly like its two halves placed at the measured width of the first.
  HDC whole = WhiteOnBlack(200, 40, font), parts = WhiteOnBlack(200, 40, font);
  TextRect a{5, 4, 200, 40}, b{5, 4, 200, 40}, first{5, 4, 5, 4};
  DrawText(whole, text, -1, &a, 0);
  DrawText(parts, text, 5, &b, 0);
  DrawText(parts, text, 5, &first, DT_CALCRECT);
  TextRect rest{first.right, 4, 200, 40};
  DrawText(parts, text + 5, -1, &rest, 0);
  EXPECT_EQ(0, std::memcmp(GetCtxFrameBuffer(whole), GetCtxFrameBuffer(parts), 200 * 40 * 4));

  // Several lines measure as the widest line times the line count.
  TextRect two{0, 0, 0, 0};
  EXPECT_EQ(DrawText(ctx, "ab\nlonger line", -1, &two, DT_CALCRECT), 2 * tm.tmHeight);
  TextRect wide{0, 0, 0, 0};
  DrawText(ctx, "longer line", -1, &wide, DT_CALCRECT);
  EXPECT_EQ(two.right, wide.right);
  for (HDC c : {ctx, whole, parts})
    DeleteGfxContext(c);
  DeleteObject(font);
}

TEST(FontService, DrawingKeepsTheFirstByteAndClipsToTheRectangle)
{
  HFONT mono = Make(12, "Arial", FW_NORMAL, 0, 0, NONANTIALIASED_QUALITY);
  HDC ctx = WhiteOnBlack(60, 20, mono);
  uint32_t* bits = GetCtxFrameBuffer(ctx);
  for (int i = 0; i < 60 * 20; ++i)
    bits[i] = 0x5A;
  TextRect r{10, 0, 30, 20};
  DrawText(ctx, "WWWWWWWW", -1, &r, 0);
  const Ink ink = InkOf(bits, 60, 20);
  EXPECT_GE(ink.left, 10);
  EXPECT_LT(ink.right, 30);
  for (int i = 0; i < 60 * 20; ++i)
  {
    ASSERT_EQ(bits[i] & 0xFF, 0x5Au);
    const uint32_t g = bits[i] >> 16 & 0xFF;
    ASSERT_TRUE(g == 0 || g == 255) << "one-bit glyphs have no grey";
  }
  SetBkMode(ctx, OPAQUE);
  SetBkColor(ctx, TextColor(0, 0, 200));
  TextRect o{40, 2, 60, 20};
  DrawText(ctx, "i", -1, &o, 0);
  EXPECT_EQ(bits[2 * 60 + 40] >> 24, 200u);
  DeleteGfxContext(ctx);
  DeleteObject(mono);
}

TEST(FontService, CachedFontDrawsWhatTheServiceDraws)
{
  HFONT font = Make(12, "Arial");
  ASSERT_NE(font, nullptr);
  const char* text = "Mix 100 %";
  HDC ctx = WhiteOnBlack(80, 20, font);
  TextRect tr{3, 2, 80, 20};
  DrawText(ctx, text, -1, &tr, 0);

  RasterCachedFont cached;
  ASSERT_TRUE(cached.SetFromHFont(font, RASTER_FONT_FLAG_CACHE_GLYPHS));
  RasterMemBitmap b(80, 20, 1);
  RasterFillRect(&b, 0, 0, 80, 20, RasterPackColor(255, 0, 0, 0), 1.0f, 0);
  cached.SetTextColor(RasterPackColor(255, 255, 255, 255));
  RasterRect rr{3, 2, 80, 20};
  cached.DrawText(&b, text, -1, &rr, 0);
  for (int i = 0; i < 80 * 20; ++i)
  {
    const int want = int(GetCtxFrameBuffer(ctx)[i] >> 16 & 0xFF), got = RasterGetG(b.getBits()[i]);
    ASSERT_NEAR(got, want, 2) << "pixel " << i % 80 << "," << i / 80;
  }
  // The cached font measures what the service measures.
  TextRect sm{0, 0, 0, 0};
  DrawText(ctx, text, -1, &sm, DT_CALCRECT);
  RasterRect cm{0, 0, 0, 0};
  cached.DrawText(nullptr, text, -1, &cm, RASTER_DT_CALCRECT);
  EXPECT_EQ(cm.right, sm.right);
  EXPECT_EQ(cm.bottom, sm.bottom);
  EXPECT_EQ(cached.GetLineHeight(), sm.bottom);
  DeleteGfxContext(ctx);
  cached.SetFromHFont(nullptr, 0); // not owned: freed below
  DeleteObject(font);
}

TEST(FontService, NamesResolveSafelyFromManyThreads)
{
  std::vector<std::thread> threads;
  std::vector<int> ok(4, 0);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back(
        [t, &ok]
        {
          for (int i = 0; i < 10; ++i)
          {
            const std::string face = i % 2 ? "Arial" : "Thread Face " + std::to_string(i);
            HFONT f = Make(10 + t, face.c_str(), t % 2 ? FW_BOLD : FW_NORMAL);
            if (f) ++ok[size_t(t)];
            DeleteObject(f);
          }
        });
  for (std::thread& th : threads)
    th.join();
  EXPECT_EQ(ok, std::vector<int>(4, 10));
}
