// The Windows back ends of the raster library's PNG codec (WIC) and of the text service (GDI),
// behind the APIs the Linux back ends serve.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fontservice/FontService.h"
#include "raster/Raster.h"

namespace
{
const std::string kResources = TARVO_BUNDLE_RESOURCES;
const std::string kOut = TARVO_TEST_OUT_DIR;

int Width(HFONT font, const char* text)
{
  HDC dc = CreateMemContext(8, 8);
  SelectObject(dc, font);
  TextRect r{0, 0, 0, 0};
  DrawText(dc, text, -1, &r, DT_CALCRECT | DT_SINGLELINE);
  DeleteGfxContext(dc);
  return r.right - r.left;
}
} // namespace

TEST(WicPng, WritesAndReadsBackEveryByteWithStraightAlpha)
{
  RasterMemBitmap image(37, 11);
  for (int y = 0; y < image.getHeight(); ++y)
    for (int x = 0; x < image.getWidth(); ++x)
      image.getBits()[y * image.getRowSpan() + x] =
          RasterPackColor((x * 7 + y) & 0xFF, (x * 13) & 0xFF, (y * 29) & 0xFF, (x ^ y) & 0xFF);
  const std::string path = kOut + "/roundtrip.png";
  ASSERT_TRUE(RasterWritePNG(&image, path.c_str()));
  ASSERT_TRUE(RasterWritePNG(&image, path.c_str())) << "replacing an existing file";
  std::unique_ptr<RasterMemBitmap> back(RasterLoadPNG(path.c_str()));
  ASSERT_TRUE(back);
  ASSERT_EQ(back->getWidth(), 37);
  ASSERT_EQ(back->getHeight(), 11);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 37; ++x)
      ASSERT_EQ(back->getBits()[y * back->getRowSpan() + x],
                image.getBits()[y * image.getRowSpan() + x])
          << x << "," << y;
}

TEST(WicPng, DecodesTheBundledImagesAndRefusesBrokenOnes)
{
  std::unique_ptr<RasterMemBitmap> bg(RasterLoadPNG((kResources + "/bg.png").c_str()));
  ASSERT_TRUE(bg);
  EXPECT_EQ(bg->getWidth(), 1030);
  EXPECT_EQ(bg->getHeight(), 436);
  EXPECT_EQ(bg->getBits()[0] & 0xFF, 0xFFu) << "the background is opaque";
  std::unique_ptr<RasterMemBitmap> knob(RasterLoadPNG((kResources + "/knob_s_w.png").c_str()));
  ASSERT_TRUE(knob);
  EXPECT_EQ(knob->getWidth(), 49);

  const unsigned char notPng[] = "definitely not a png file";
  EXPECT_EQ(RasterLoadPNGFromMemory(notPng, sizeof notPng), nullptr);
  // A valid signature and header claiming 60000 x 60000 pixels, with nothing behind it.
  const unsigned char huge[] = {0x89, 'P',  'N', 'G', '\r', '\n', 0x1A, '\n', 0,    0, 0,
                                13,   'I',  'H', 'D', 'R',  0,    0,    0xEA, 0x60, 0, 0,
                                0xEA, 0x60, 8,   6,   0,    0,    0,    0,    0,    0, 0};
  EXPECT_EQ(RasterLoadPNGFromMemory(huge, sizeof huge), nullptr);
  EXPECT_EQ(RasterLoadPNG((kOut + "/no-such-file.png").c_str()), nullptr);
}

TEST(GdiText, DrawsAndMeasuresWithTheRequestedFace)
{
  HFONT arial =
      CreateFont(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "Arial");
  ASSERT_TRUE(arial);
  TEXTMETRIC tm{};
  ASSERT_TRUE(GetFontMetrics(arial, &tm));
  EXPECT_GE(tm.tmHeight, 14);
  EXPECT_LE(tm.tmHeight, 20);
  EXPECT_GT(tm.tmAveCharWidth, 3);
  const int w = Width(arial, "Tarvo 1.5 kHz");
  EXPECT_GT(w, 40);
  EXPECT_LT(w, 140);

  HDC dc = CreateMemContext(120, 30);
  SelectObject(dc, arial);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, TextColor(255, 255, 255));
  TextRect r{2, 2, 118, 28};
  EXPECT_GT(DrawText(dc, "Tarvo", -1, &r, DT_SINGLELINE), 0);
  int lit = 0, partial = 0, outside = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 120; ++x)
    {
      const uint32_t g = GetCtxFrameBuffer(dc)[y * 120 + x] >> 16 & 0xFF;
      if (g == 0) continue;
      ++lit;
      if (g < 255) ++partial;
      if (x >= 2 + Width(arial, "Tarvo") + 2) ++outside;
    }
  EXPECT_GT(lit, 40);
  EXPECT_GT(partial, 5) << "glyphs are antialiased";
  EXPECT_EQ(outside, 0) << "drawing stays within the measured width";
  DeleteGfxContext(dc);

  HFONT bold = CreateFont(14, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "Arial");
  ASSERT_TRUE(bold);
  EXPECT_GE(Width(bold, "Tarvo 1.5 kHz"), w);
  DeleteObject(bold);
  DeleteObject(arial);
}

TEST(GdiText, AFaceTheSystemLacksFallsBackToTheBundledFile)
{
  const std::string file = kResources + "/LiberationSans-Regular.ttf";
  SetFallbackFontFile(file.c_str());
  HFONT exo = CreateFont(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0,
                         "No Such Face Anywhere");
  ASSERT_TRUE(exo);
  EXPECT_EQ(std::string(GetFontFilePath(exo)), file);
  EXPECT_EQ(std::string(GetFontFamilyName(exo)), "Liberation Sans");
  EXPECT_GT(Width(exo, "Exo"), 10);
  DeleteObject(exo);
  SetFallbackFontFile(nullptr);
}
