// Area-averaging resampling against a slow reference that integrates each destination pixel's
// footprint over the source, in premultiplied alpha, on seeded random images and ratios.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "raster/Raster.h"

namespace
{
// The mean of the source over the destination pixel's footprint, straight from the definition.
RasterPixel Reference(const RasterBitmap& src, int sw, int sh, int dw, int dh, int dx, int dy)
{
  const double kx = static_cast<double>(sw) / dw, ky = static_cast<double>(sh) / dh;
  const double x0 = dx * kx, x1 = (dx + 1) * kx, y0 = dy * ky, y1 = (dy + 1) * ky;
  double a = 0, r = 0, g = 0, b = 0, area = 0;
  for (int y = static_cast<int>(y0); y < sh && y < y1; ++y)
    for (int x = static_cast<int>(x0); x < sw && x < x1; ++x)
    {
      const double w = (std::min(x1, x + 1.0) - std::max(x0, double(x))) *
                       (std::min(y1, y + 1.0) - std::max(y0, double(y)));
      if (w <= 0) continue;
      const RasterPixel p = RasterGetPixel(&src, x, y);
      const double pa = RasterGetA(p) * w;
      a += pa;
      r += RasterGetR(p) * pa;
      g += RasterGetG(p) * pa;
      b += RasterGetB(p) * pa;
      area += w;
    }
  if (a / area < 0.5) return 0;
  return RasterPackColor(int(std::lround(a / area)), int(std::lround(r / a)),
                         int(std::lround(g / a)), int(std::lround(b / a)));
}

TEST(ResampleArea, MatchesTheFootprintMeanOverRandomImagesAndRatios)
{
  std::mt19937 rng(1234);
  for (int round = 0; round < 40; ++round)
  {
    const int sw = 3 + static_cast<int>(rng() % 30), sh = 3 + static_cast<int>(rng() % 30);
    const int dw = 1 + static_cast<int>(rng() % sw), dh = 1 + static_cast<int>(rng() % sh);
    RasterMemBitmap src(sw, sh, 4), dest(dw, dh, 4);
    for (int y = 0; y < sh; ++y)
      for (int x = 0; x < sw; ++x)
      {
        // Alphas at the ends, where premultiplication matters most.
        const int pick = static_cast<int>(rng() % 4);
        const int a = pick == 0 ? 0 : pick == 1 ? 255 : static_cast<int>(rng() % 256);
        src.getBits()[y * src.getRowSpan() + x] =
            RasterPackColor(a, static_cast<int>(rng() % 256), static_cast<int>(rng() % 256),
                            static_cast<int>(rng() % 256));
      }
    RasterResampleArea(&dest, 0, 0, dw, dh, &src, 0, 0, sw, sh);
    for (int y = 0; y < dh; ++y)
      for (int x = 0; x < dw; ++x)
      {
        const RasterPixel got = RasterGetPixel(&dest, x, y);
        const RasterPixel want = Reference(src, sw, sh, dw, dh, x, y);
        SCOPED_TRACE(testing::Message()
                     << sw << "x" << sh << " -> " << dw << "x" << dh << " at " << x << "," << y);
        ASSERT_NEAR(RasterGetA(want), RasterGetA(got), 1);
        if (RasterGetA(want) < 4) continue; // colour of a nearly invisible pixel is noise
        ASSERT_NEAR(RasterGetR(want), RasterGetR(got), 1);
        ASSERT_NEAR(RasterGetG(want), RasterGetG(got), 1);
        ASSERT_NEAR(RasterGetB(want), RasterGetB(got), 1);
      }
  }
}

TEST(ResampleArea, TransparentPixelsLendNoColourAndEdgesStayInTheirPixel)
{
  // Opaque white beside fully transparent black, halved: the edge pixel is half covered and
  // still white, not grey.
  RasterMemBitmap src(4, 2, 4), dest(2, 1, 4);
  for (int y = 0; y < 2; ++y)
  {
    src.getBits()[y * src.getRowSpan() + 0] = RasterPackColor(255, 255, 255, 255);
    src.getBits()[y * src.getRowSpan() + 1] = RasterPackColor(255, 255, 255, 255);
    src.getBits()[y * src.getRowSpan() + 2] = RasterPackColor(255, 255, 255, 255);
  }
  RasterResampleArea(&dest, 0, 0, 2, 1, &src, 0, 0, 4, 2);
  EXPECT_EQ(RasterPackColor(255, 255, 255, 255), RasterGetPixel(&dest, 0, 0));
  EXPECT_EQ(RasterPackColor(128, 255, 255, 255), RasterGetPixel(&dest, 1, 0));

  // A part of the source and of the destination: nothing outside either is read or written.
  RasterMemBitmap big(6, 6, 4);
  RasterResampleArea(&big, 4, 4, 4, 4, &src, 0, 0, 4, 2); // runs off the destination: clipped
  EXPECT_EQ(RasterPackColor(255, 255, 255, 255), RasterGetPixel(&big, 4, 4));
  RasterResampleArea(&big, 0, 0, 2, 2, &src, 2, 0, 4, 2); // beyond the source: nothing
  EXPECT_EQ(0u, RasterGetPixel(&big, 0, 0));
}
} // namespace
