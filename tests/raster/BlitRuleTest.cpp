// Every combine rule checked pixel by pixel against a slow reference written straight from the
// rules, over random pixels with the weights and alphas where rounding bugs live.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "raster/Raster.h"

namespace
{

struct Px
{
  int c[4]; // A, R, G, B
};

Px Unpack(RasterPixel p)
{
  return {{RasterGetA(p), RasterGetR(p), RasterGetG(p), RasterGetB(p)}};
}
RasterPixel Pack(const Px& p)
{
  return RasterPackColor(p.c[0], p.c[1], p.c[2], p.c[3]);
}
int Clamp(int v)
{
  return std::min(255, std::max(0, v));
}

// The blit rules, one source pixel onto one destination pixel.
RasterPixel RefBlit(RasterPixel dp, RasterPixel sp, float weight, int mode)
{
  Px d = Unpack(dp);
  const Px s = Unpack(sp);
  const int w = int(weight * 256);
  const int a = s.c[0];
  if (w == 0) return dp;
  if (mode == 0x0)
  {
    if (weight == 1.0f) return sp;
    for (int i = 0; i < 4; ++i)
      d.c[i] =
          weight == 0.5f ? d.c[i] / 2 + s.c[i] / 2 : s.c[i] + (d.c[i] - s.c[i]) * (256 - w) / 256;
    return Pack(d);
  }
  if (mode == 0x10000)
  {
    if (a == 0) return dp;
    if (weight == 1.0f && a == 255) return sp;
    const int sa = weight == 1.0f ? a : (a + 1) * w / 256;
    const int keep = weight == 1.0f ? 255 - a : 256 - sa;
    for (int i = 1; i < 4; ++i)
      d.c[i] = s.c[i] + (d.c[i] - s.c[i]) * keep / 256;
    d.c[0] = std::min(255, d.c[0] + sa);
    return Pack(d);
  }
  const int sa = (a + 1) * w / 256;
  if (mode == 0x10001)
  {
    if (a == 0) return dp;
    for (int i = 1; i < 4; ++i)
      d.c[i] = Clamp(d.c[i] + s.c[i] * sa / 256);
    d.c[0] = Clamp(d.c[0] + sa * a / 256);
    return Pack(d);
  }
  for (int i = 0; i < 4; ++i) // 0x10002
  {
    const int k = 256 - s.c[i] * sa / 256; // s.c[0] is a
    d.c[i] = k >= 2 ? Clamp(d.c[i] * 256 / k) : Clamp(d.c[i] * 256);
  }
  return Pack(d);
}

// Drawing with a colour.
RasterPixel RefColor(RasterPixel dp, RasterPixel color, float weight, int mode)
{
  if (mode == 0x10001 || mode == 0x10002) return RefBlit(dp, color, weight, mode);
  if (mode == 0x10000) weight = weight * float(RasterGetA(color)) / 255.0f;
  const int w = int(weight * 256);
  Px d = Unpack(dp);
  const Px c = Unpack(color);
  for (int i = 0; i < 4; ++i)
  {
    switch (w)
    {
    case 0:
      break;
    case 256:
      d.c[i] = c.c[i];
      break;
    case 128:
      d.c[i] = d.c[i] / 2 + c.c[i] / 2;
      break;
    case 192:
      d.c[i] = d.c[i] / 4 + c.c[i] / 4 + c.c[i] / 2;
      break;
    case 64:
      d.c[i] = d.c[i] / 4 + d.c[i] / 2 + c.c[i] / 4;
      break;
    default:
    {
      const int toward = i == 0 ? w : c.c[i];
      d.c[i] = toward + (d.c[i] - toward) * (256 - w) / 256;
    }
    }
  }
  return Pack(d);
}

// Alphas and weights near the ends of their ranges are over-represented on purpose.
struct Random
{
  std::mt19937 rng{12345};
  int Channel()
  {
    static const int edges[] = {0, 1, 2, 127, 128, 129, 253, 254, 255};
    return rng() % 3 == 0 ? edges[rng() % 9] : int(rng() % 256);
  }
  RasterPixel Pixel() { return RasterPackColor(Channel(), Channel(), Channel(), Channel()); }
  void Fill(RasterBitmap& b)
  {
    for (int y = 0; y < b.getHeight(); ++y)
      for (int x = 0; x < b.getWidth(); ++x)
        b.getBits()[y * b.getRowSpan() + x] = Pixel();
  }
};

const float kWeights[] = {1.0f,   0.5f,   0.25f,  0.75f, 1.0f / 256,   0.5f / 256, 0.001f,
                          0.999f, 0.998f, 0.502f, 0.3f,  255.0f / 256, 0.0f};
const int kBlitModes[] = {0x0, 0x10000, 0x10001, 0x10002};

std::vector<RasterPixel> Pixels(const RasterBitmap& b)
{
  std::vector<RasterPixel> v;
  for (int y = 0; y < b.getHeight(); ++y)
    for (int x = 0; x < b.getWidth(); ++x)
      v.push_back(RasterGetPixel(&b, x, y));
  return v;
}

} // namespace

TEST(RasterPixels, PackingPutsAlphaInTheLowestByte)
{
  EXPECT_EQ(RasterPackColor(255, 255, 0, 0), 0x0000FFFFu);
  RasterMemBitmap b(1, 1);
  RasterPutPixel(&b, 0, 0, RasterPackColor(255, 255, 0, 0), 1.0f, 0x10000);
  EXPECT_EQ(0, std::memcmp(b.getBits(), "\xFF\xFF\0\0", 4)); // A, R, G, B in memory
  EXPECT_TRUE(RasterGetA(b.getBits()[0]) == 255 && RasterGetR(b.getBits()[0]) == 255);
  EXPECT_EQ(RasterGetPixel(&b, 1, 0), 0u); // outside
}

TEST(RasterPixels, RowSpanFollowsLineAlignment)
{
  RasterMemBitmap b(5, 3, 4), c(5, 3, 1);
  RasterSysBitmap s(7, 2);
  EXPECT_TRUE(b.getRowSpan() == 8 && c.getRowSpan() == 5 && s.getRowSpan() == 7);
  EXPECT_TRUE(s.resize(0, 0));
  EXPECT_EQ(s.getBits(), nullptr);
  EXPECT_FALSE(b.resize(70000, 1));
  EXPECT_EQ(b.getWidth(), 0);
}

TEST(RasterBlitRules, EveryModeAndWeightMatchesTheReference)
{
  Random r;
  RasterMemBitmap src(37, 23), dst(37, 23);
  for (int mode : kBlitModes)
    for (float weight : kWeights)
      for (int round = 0; round < 3; ++round)
      {
        r.Fill(src);
        r.Fill(dst);
        std::vector<RasterPixel> expected;
        for (int y = 0; y < 23; ++y)
          for (int x = 0; x < 37; ++x)
            expected.push_back(
                RefBlit(RasterGetPixel(&dst, x, y), RasterGetPixel(&src, x, y), weight, mode));
        RasterBlit(&dst, &src, 0, 0, 0, 0, 37, 23, weight, mode);
        ASSERT_EQ(Pixels(dst), expected) << "mode " << std::hex << mode << " weight " << weight;
      }
}

TEST(RasterBlitRules, RotatedBlitCombinesWithTheSameRules)
{
  // At angle 0 and the same size every sample is exactly one source pixel, filtered or not.
  Random r;
  RasterMemBitmap src(16, 12), dst(16, 12);
  for (int mode : kBlitModes)
    for (int filter : {0, 0x100})
      for (float weight : {1.0f, 0.5f, 0.3f, 0.998f})
      {
        r.Fill(src);
        r.Fill(dst);
        std::vector<RasterPixel> expected;
        for (int y = 0; y < 12; ++y)
          for (int x = 0; x < 16; ++x)
          {
            RasterPixel s = RasterGetPixel(&src, x, y);
            if (filter && RasterGetA(s) == 0) s = 0; // a transparent sample carries no colour
            expected.push_back(RefBlit(RasterGetPixel(&dst, x, y), s, weight, mode));
          }
        RasterRotatedBlit(&dst, &src, 0, 0, 16, 12, 0, 0, 16, 12, 0.0f, false, weight,
                          mode | filter, 0, 0);
        ASSERT_EQ(Pixels(dst), expected) << std::hex << (mode | filter) << " weight " << weight;
      }
}

TEST(RasterBlitRules, ColourDrawingMatchesTheReference)
{
  Random r;
  RasterMemBitmap dst(19, 7);
  for (int mode : kBlitModes)
    for (float weight : kWeights)
      for (int round = 0; round < 20; ++round)
      {
        r.Fill(dst);
        RasterPixel color = r.Pixel();
        if (round == 0) color |= 0xFF; // opaque
        if (round == 1) color = 0;     // transparent
        std::vector<RasterPixel> before = Pixels(dst), expected;
        for (RasterPixel p : before)
          expected.push_back(RefColor(p, color, weight, mode));
        RasterFillRect(&dst, 0, 0, 19, 7, color, weight, mode);
        ASSERT_EQ(Pixels(dst), expected)
            << std::hex << mode << " colour " << color << " weight " << weight;
        RasterPixel p = before[3];
        RasterMemBitmap one(1, 1);
        one.getBits()[0] = p;
        RasterPutPixel(&one, 0, 0, color, weight, mode);
        ASSERT_EQ(one.getBits()[0], RefColor(p, color, weight, mode));
      }
}

TEST(RasterClipping, BlitsClipAtEveryEdgeOfBothBitmaps)
{
  Random r;
  RasterMemBitmap src(9, 7, 1);
  r.Fill(src);
  const int offsets[] = {INT_MIN, -20, -9, -8, -1, 0, 1, 5, 8, 9, 20, INT_MAX - 3};
  for (int dx : offsets)
    for (int sy : offsets)
      for (int size : {1, 4, 12, INT_MAX})
      {
        // lineAlign 8 leaves 3 padding pixels per row that must stay untouched.
        RasterMemBitmap dst(5, 6, 8);
        std::vector<RasterPixel> expected(8 * 6, 0);
        for (long long j = 0; j < std::min(size, 40); ++j)
          for (long long i = 0; i < std::min(size, 40); ++i)
          {
            const long long x = (long long)dx + i, y = 2 + j, sx = 3 + i, syy = (long long)sy + j;
            if (x < 0 || x >= 5 || y < 0 || y >= 6 || sx < 0 || sx >= 9 || syy < 0 || syy >= 7)
              continue;
            expected[size_t(y * 8 + x)] = src.getBits()[syy * 9 + sx];
          }
        RasterBlit(&dst, &src, dx, 2, 3, sy, size, size, 1.0f, 0);
        ASSERT_EQ(std::vector<RasterPixel>(dst.getBits(), dst.getBits() + 48), expected)
            << dx << " " << sy << " " << size;
      }
}

TEST(RasterClipping, BlitWithinOneBitmapReadsTheSourceFirst)
{
  RasterMemBitmap b(6, 1);
  for (int i = 0; i < 6; ++i)
    b.getBits()[i] = RasterPackColor(255, i, 0, 0);
  RasterBlit(&b, &b, 1, 0, 0, 0, 5, 1, 1.0f, 0x10000);
  for (int i = 1; i < 6; ++i)
    EXPECT_EQ(RasterGetR(b.getBits()[i]), i - 1);
}

TEST(RasterClipping, NoOperationWritesOutsideTheBitmap)
{
  // Extreme and nonsensical arguments: nothing may land in the row padding (or beyond the
  // allocation, which the sanitizer build catches).
  RasterMemBitmap src(6, 6);
  Random r;
  r.Fill(src);
  const float nan = std::nanf("");
  const float fs[] = {nan, -1e30f, -3e9f, -7.0f, -0.5f, 0.0f, 2.5f, 5.0f, 1e5f, 3e9f, INFINITY};
  const int is[] = {INT_MIN, -1000000, -3, 0, 2, 4, 9, 1 << 26, INT_MAX};
  const RasterPixel c = RasterPackColor(255, 1, 2, 3);
  for (bool aa : {false, true})
    for (float a : fs)
      for (float b : fs)
      {
        RasterMemBitmap dst(5, 4, 8);
        RasterArc(&dst, a, 2, b, a, b, c, 1, 0x10000, aa);
        RasterArc(&dst, 2, 2, 3, a, b, c, 1, 0x10000, aa);
        RasterCircle(&dst, a, b, 3, c, 0.5f, 0x10001, aa);
        RasterFillCircle(&dst, 2, a, b, c, 1, 0x10000, aa);
        RasterRoundRect(&dst, a, b, 6, a, 2, c, 1, 0, aa);
        RasterRotatedBlit(&dst, &src, -2, -2, 9, 9, a, 0, 6, b, a, aa, 1, 0x10100, b, a);
        RasterRotatedBlit(&dst, &src, 0, 0, 5, 4, 0, 0, 6, 6, a, aa, 1, 0x10000, 0, 0);
        RasterScaledBlit(&dst, &src, -1, -1, 9, 9, a, b, 6, 6, 1, 0x100);
        for (int i : is)
          for (int j : is)
          {
            RasterLine(&dst, i, j, j, i, c, 1, 0x10000, aa);
            RasterLine(&dst, i, 1, 3, j, c, 1, 0x10000, aa);
            RasterFillRect(&dst, i, j, j, i, c, 0.3f, 0x10000);
            RasterFillTriangle(&dst, i, j, 2, 2, j, i, c, 1, 0);
            RasterClearRect(&dst, i, j, i, j, 0, 0x01020304);
            RasterPutPixel(&dst, i, j, c, 1, 0);
            RasterBlit(&dst, &src, i, j, j, i, i, j, 0.5f, 0x10000);
          }
        for (int y = 0; y < 4; ++y)
          for (int x = 5; x < 8; ++x)
            ASSERT_EQ(dst.getBits()[y * 8 + x], 0u) << a << " " << b << " " << aa;
      }
  const int xs[] = {INT_MIN, INT_MAX, 3, 0}, ys[] = {0, INT_MAX, INT_MIN, 2};
  RasterMemBitmap dst(5, 4, 8);
  RasterFillConvexPolygon(&dst, xs, ys, 4, c, 1, 0);
  RasterFillConvexPolygon(&dst, xs, ys, 0, c, 1, 0);
  RasterFillConvexPolygon(&dst, nullptr, ys, 3, c, 1, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 5; x < 8; ++x)
      EXPECT_EQ(dst.getBits()[y * 8 + x], 0u);
}

TEST(RasterOps, ClearRectCopyAndScaledCopy)
{
  RasterMemBitmap a(4, 3), b;
  for (int i = 0; i < 12; ++i)
    a.getBits()[(i / 4) * a.getRowSpan() + i % 4] = RasterPackColor(200, i, i * 2, i * 3);
  ASSERT_TRUE(RasterCopy(&b, &a));
  ASSERT_EQ(Pixels(b), Pixels(a));
  RasterClearRect(&b, 1, 1, 10, 10, 0xFFFFFF00u, 0);
  EXPECT_EQ(RasterGetA(RasterGetPixel(&b, 0, 1)), 200);
  EXPECT_EQ(RasterGetPixel(&b, 2, 2), RasterGetPixel(&a, 2, 2) & 0xFFFFFF00u);

  // A same-size scaled copy is exact, filtered or not; doubling repeats pixels.
  RasterMemBitmap s(4, 3), d(8, 6);
  RasterScaledBlit(&s, &a, 0, 0, 4, 3, 0, 0, 4, 3, 1.0f, 0x100);
  EXPECT_EQ(Pixels(s), Pixels(a));
  RasterScaledBlit(&d, &a, 0, 0, 8, 6, 0, 0, 4, 3, 1.0f, 0);
  EXPECT_EQ(RasterGetPixel(&d, 5, 3), RasterGetPixel(&a, 2, 1));
  EXPECT_EQ(RasterGetPixel(&d, 7, 5), RasterGetPixel(&a, 3, 2));
}
