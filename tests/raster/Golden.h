#pragma once
// Compares a rendered bitmap with a checked-in PNG. With TARVO_UPDATE_GOLDEN=1 the PNG is
// (re)written instead. On a mismatch three files land in the build folder: the actual image, and
// a diff that shows the expected image dimmed with every differing pixel in red, both enlarged
// so single pixels can be seen.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "raster/Raster.h"

inline ::testing::AssertionResult MatchesGolden(const RasterBitmap& actual, const std::string& name)
{
  const std::string golden = std::string(TARVO_GOLDEN_DIR) + "/" + name + ".png";
  const char* update = std::getenv("TARVO_UPDATE_GOLDEN");
  if (update && std::string(update) == "1")
  {
    if (!RasterWritePNG(&actual, golden.c_str()))
      return ::testing::AssertionFailure() << "cannot write " << golden;
    return ::testing::AssertionSuccess();
  }
  std::unique_ptr<RasterMemBitmap> expected(RasterLoadPNG(golden.c_str()));
  if (!expected) return ::testing::AssertionFailure() << "missing golden " << golden;
  const int w = actual.getWidth(), h = actual.getHeight();
  if (expected->getWidth() != w || expected->getHeight() != h)
    return ::testing::AssertionFailure() << name << ": size differs";
  int differing = 0;
  const int zoom = 4;
  RasterMemBitmap diff(w * zoom, h * zoom);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const RasterPixel a = RasterGetPixel(&actual, x, y), e = RasterGetPixel(expected.get(), x, y);
      RasterPixel shown =
          RasterPackColor(255, RasterGetR(e) / 3, RasterGetG(e) / 3, RasterGetB(e) / 3);
      if (a != e)
      {
        ++differing;
        shown = RasterPackColor(255, 255, 0, 0);
      }
      RasterFillRect(&diff, x * zoom, y * zoom, zoom, zoom, shown, 1.0f, 0);
    }
  if (differing == 0) return ::testing::AssertionSuccess();
  const std::string base = std::string(TARVO_TEST_OUT_DIR) + "/" + name;
  RasterMemBitmap big(w * zoom, h * zoom);
  RasterScaledBlit(&big, const_cast<RasterBitmap*>(&actual), 0, 0, w * zoom, h * zoom, 0, 0,
                   float(w), float(h), 1.0f, 0);
  RasterWritePNG(&big, (base + ".actual.png").c_str());
  RasterWritePNG(&diff, (base + ".diff.png").c_str());
  return ::testing::AssertionFailure()
         << name << ": " << differing << " pixels differ; see " << base << ".diff.png";
}
