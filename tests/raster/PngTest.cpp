// PNG decoding of every colour type into A, R, G, B pixels, and refusal of damaged files.

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "raster/Raster.h"

namespace
{

using Bytes = std::vector<unsigned char>;

void Append(png_structp png, png_bytep data, png_size_t n)
{
  Bytes* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

// A w x 1 PNG from raw sample rows, written with libpng itself.
struct PngRecipe
{
  int width, depth, colorType;
  Bytes row;
  std::vector<png_color> palette{};
  Bytes trnsAlpha{};        // palette alphas
  png_color_16 trnsColor{}; // grey or RGB transparent colour
  bool trns = false;
  bool interlace = false;
};

Bytes MakePng(const PngRecipe& s)
{
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) return {};
  png_set_write_fn(png, &out, Append, nullptr);
  png_set_IHDR(png, info, s.width, 1, s.depth, s.colorType,
               s.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), int(s.palette.size()));
  if (s.trns)
    png_set_tRNS(png, info, s.trnsAlpha.empty() ? nullptr : s.trnsAlpha.data(),
                 int(s.trnsAlpha.size()), &s.trnsColor);
  png_write_info(png, info);
  const int passes = s.interlace ? png_set_interlace_handling(png) : 1;
  png_bytep row = const_cast<png_bytep>(s.row.data());
  for (int i = 0; i < passes; ++i)
    png_write_rows(png, &row, 1);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::vector<RasterPixel> Decode(const Bytes& file)
{
  std::unique_ptr<RasterMemBitmap> b(RasterLoadPNGFromMemory(file.data(), file.size()));
  if (!b) return {};
  std::vector<RasterPixel> px;
  for (int x = 0; x < b->getWidth(); ++x)
    px.push_back(RasterGetPixel(b.get(), x, 0));
  return px;
}

RasterPixel P(int a, int r, int g, int b)
{
  return RasterPackColor(a, r, g, b);
}

} // namespace

TEST(RasterPng, EveryColourTypeDecodesToStraightARGB)
{
  using Pixels = std::vector<RasterPixel>;
  const Bytes rgb = {10, 20, 30, 40, 50, 60, 70, 80, 90};
  const Bytes rgba = {1, 2, 3, 4, 200, 100, 50, 128};
  const Bytes rgba16 = {1, 99, 2, 99, 3, 99, 4, 99, 200, 0, 100, 0, 50, 0, 128, 255};
  const Pixels opaque = {P(255, 10, 20, 30), P(255, 40, 50, 60), P(255, 70, 80, 90)};
  const Pixels straight = {P(4, 1, 2, 3), P(128, 200, 100, 50)};
  const std::vector<png_color> rgbPalette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  const struct
  {
    PngRecipe png;
    Pixels want;
  } cases[] = {
      {{3, 8, PNG_COLOR_TYPE_RGB, rgb}, opaque},
      {{3, 8, PNG_COLOR_TYPE_RGB, rgb, {}, {}, {0, 40, 50, 60, 0}, true}, // a transparent colour
       {opaque[0], P(0, 40, 50, 60), opaque[2]}},
      {{3, 8, PNG_COLOR_TYPE_RGB, rgb, {}, {}, {}, false, true}, opaque}, // interlaced
      {{2, 8, PNG_COLOR_TYPE_RGB_ALPHA, rgba}, straight},
      {{2, 16, PNG_COLOR_TYPE_RGB_ALPHA, rgba16}, straight}, // 16-bit samples keep the high byte
      {{2, 8, PNG_COLOR_TYPE_GRAY_ALPHA, {77, 0, 200, 255}},
       {P(0, 77, 77, 77), P(255, 200, 200, 200)}},
      // Two-bit grey 0, 1, 2, 3 expands to 0, 85, 170, 255; then level 2 made transparent.
      {{4, 2, PNG_COLOR_TYPE_GRAY, {0x1B}},
       {P(255, 0, 0, 0), P(255, 85, 85, 85), P(255, 170, 170, 170), P(255, 255, 255, 255)}},
      {{4, 2, PNG_COLOR_TYPE_GRAY, {0x1B}, {}, {}, {0, 0, 0, 0, 2}, true},
       {P(255, 0, 0, 0), P(255, 85, 85, 85), P(0, 170, 170, 170), P(255, 255, 255, 255)}},
      {{3, 16, PNG_COLOR_TYPE_GRAY, {0x12, 0x34, 0xFF, 0xFF, 0x00, 0x80}},
       {P(255, 0x12, 0x12, 0x12), P(255, 255, 255, 255), P(255, 0, 0, 0)}},
      {{3, 4, PNG_COLOR_TYPE_PALETTE, {0x21, 0x00}, rgbPalette},
       {P(255, 0, 0, 255), P(255, 0, 255, 0), P(255, 255, 0, 0)}},
      // Palette alphas shorter than the palette.
      {{3, 4, PNG_COLOR_TYPE_PALETTE, {0x21, 0x00}, rgbPalette, {10, 20}, {}, true},
       {P(255, 0, 0, 255), P(20, 0, 255, 0), P(10, 255, 0, 0)}},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
    EXPECT_EQ(Decode(MakePng(cases[i].png)), cases[i].want) << "case " << i;
}

TEST(RasterPng, DamagedInputIsRefused)
{
  const Bytes good = MakePng({40, 8, PNG_COLOR_TYPE_RGB, Bytes(120, 7)});
  ASSERT_EQ(Decode(good).size(), 40u);
  for (size_t n = 0; n < good.size(); ++n) // every truncation
    EXPECT_TRUE(Decode(Bytes(good.begin(), good.begin() + long(n))).empty()) << n;
  Bytes bad = good;
  bad[0] = 'X'; // signature
  EXPECT_TRUE(Decode(bad).empty());
  bad = good;
  bad[bad.size() - 20] ^= 0x55; // inside the image data: CRC or inflate error
  EXPECT_TRUE(Decode(bad).empty());
  Bytes garbage(300);
  for (size_t i = 0; i < garbage.size(); ++i)
    garbage[i] = static_cast<unsigned char>(i * 37 + 11);
  EXPECT_TRUE(Decode(garbage).empty());
  EXPECT_EQ(RasterLoadPNGFromMemory(nullptr, 10), nullptr);
  EXPECT_EQ(RasterLoadPNG("/nonexistent/none.png"), nullptr);
  EXPECT_EQ(RasterLoadPNG(nullptr), nullptr);
}

TEST(RasterPng, WrittenFilesReadBackExactly)
{
  RasterMemBitmap b(3, 2, 8);
  for (int i = 0; i < 6; ++i)
    b.getBits()[(i / 3) * 8 + i % 3] = RasterPackColor(i * 50, 255 - i, i * 7, 3);
  const std::string path = std::string(TARVO_TEST_OUT_DIR) + "/roundtrip.png";
  ASSERT_TRUE(RasterWritePNG(&b, path.c_str()));
  std::unique_ptr<RasterMemBitmap> back(RasterLoadPNG(path.c_str()));
  ASSERT_TRUE(back);
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(RasterGetPixel(back.get(), i % 3, i / 3), b.getBits()[(i / 3) * 8 + i % 3]);
  EXPECT_FALSE(RasterWritePNG(&b, "/nonexistent-dir/x.png"));
  RasterMemBitmap empty;
  EXPECT_FALSE(RasterWritePNG(&empty, path.c_str()));
  std::remove(path.c_str());
}

namespace
{
// A PNG of w x h of one grey level, written row by row with libpng.
Bytes MakeBlankPng(int w, int h)
{
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) return {};
  png_set_write_fn(png, &out, Append, nullptr);
  png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  Bytes row(static_cast<size_t>(w), 0x40);
  for (int y = 0; y < h; ++y)
    png_write_row(png, row.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

// The same file with its header claiming another size (the CRC recomputed): the data no longer
// fits, which a decoder only finds out after allocating for the claimed size.
Bytes Resized(Bytes file, uint32_t w, uint32_t h)
{
  for (int i = 0; i < 4; ++i)
  {
    file[16 + i] = static_cast<unsigned char>(w >> (24 - 8 * i));
    file[20 + i] = static_cast<unsigned char>(h >> (24 - 8 * i));
  }
  const uint32_t crc = static_cast<uint32_t>(crc32(0, file.data() + 12, 17));
  for (int i = 0; i < 4; ++i)
    file[29 + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
  return file;
}
} // namespace

TEST(RasterPng, ImagesBeyondWhatTheEditorNeedsAreRefused)
{
  // The tallest skin image at 3x: a 213 x 47034 knob strip.
  const Bytes strip = MakeBlankPng(213, 47034);
  std::unique_ptr<RasterMemBitmap> b(RasterLoadPNGFromMemory(strip.data(), strip.size()));
  ASSERT_TRUE(b);
  EXPECT_EQ(47034, b->getHeight());
  EXPECT_TRUE(RasterImageSizeAllowed(3100, 1310));
  EXPECT_FALSE(RasterImageSizeAllowed(65536, 1));
  EXPECT_FALSE(RasterImageSizeAllowed(4097, 4096));

  const Bytes small = MakeBlankPng(16, 16);
  ASSERT_FALSE(Decode(small).empty());
  for (auto [w, h] : std::vector<std::pair<uint32_t, uint32_t>>{
           {65536, 1}, {1, 70000}, {5000, 5000}, {0x7FFFFFFF, 0x7FFFFFFF}})
    EXPECT_EQ(nullptr, RasterLoadPNGFromMemory(Resized(small, w, h).data(), small.size()))
        << w << " x " << h;
  // Within the limits but far more pixels than a hundred bytes can hold.
  const Bytes claims = Resized(small, 4000, 4000);
  EXPECT_EQ(nullptr, RasterLoadPNGFromMemory(claims.data(), claims.size()));
}
