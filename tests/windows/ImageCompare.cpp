// tarvo-image-compare EXPECTED.png ACTUAL.png DIFF.png [THRESHOLD [MAX_PERCENT]]
//
// Two pictures of the same editor, drawn on two platforms: the same size, and at most
// MAX_PERCENT (default 0.35) of the pixels differing in some channel by more than THRESHOLD
// (default 16 of 255). Text is antialiased by each system's own rasteriser, so its edges differ
// a little everywhere; a control drawn in the wrong place, a missing image or a wrong colour
// differs by much more, over more pixels. DIFF.png shows the expected picture dimmed, with every
// pixel over the threshold in red, for a person to look at when the comparison fails.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "raster/Raster.h"

int main(int argc, char** argv)
{
  if (argc < 4 || argc > 6)
  {
    std::fprintf(stderr,
                 "usage: tarvo-image-compare EXPECTED ACTUAL DIFF [THRESHOLD [MAX_PERCENT]]\n");
    return 2;
  }
  const int threshold = argc > 4 ? std::atoi(argv[4]) : 16;
  const double maxPercent = argc > 5 ? std::atof(argv[5]) : 0.35;
  std::unique_ptr<RasterMemBitmap> expected(RasterLoadPNG(argv[1]));
  std::unique_ptr<RasterMemBitmap> actual(RasterLoadPNG(argv[2]));
  if (!expected || !actual)
  {
    std::fprintf(stderr, "compare: cannot read %s\n", expected ? argv[2] : argv[1]);
    return 1;
  }
  const int w = expected->getWidth(), h = expected->getHeight();
  if (actual->getWidth() != w || actual->getHeight() != h)
  {
    std::printf("compare: sizes differ: %dx%d expected, %dx%d\n", w, h, actual->getWidth(),
                actual->getHeight());
    return 1;
  }
  RasterMemBitmap diff(w, h);
  long long over = 0, sum = 0;
  int largest = 0;
  for (int y = 0; y < h; ++y)
  {
    const RasterPixel* e = expected->getBits() + static_cast<long long>(y) * expected->getRowSpan();
    const RasterPixel* a = actual->getBits() + static_cast<long long>(y) * actual->getRowSpan();
    RasterPixel* d = diff.getBits() + static_cast<long long>(y) * diff.getRowSpan();
    for (int x = 0; x < w; ++x)
    {
      const int delta = std::max({std::abs(RasterGetR(e[x]) - RasterGetR(a[x])),
                                  std::abs(RasterGetG(e[x]) - RasterGetG(a[x])),
                                  std::abs(RasterGetB(e[x]) - RasterGetB(a[x]))});
      sum += delta;
      largest = std::max(largest, delta);
      const int grey = (RasterGetR(e[x]) + RasterGetG(e[x]) + RasterGetB(e[x])) / 6;
      if (delta > threshold)
      {
        ++over;
        d[x] = RasterPackColor(255, 255, grey, grey);
      }
      else
        d[x] = RasterPackColor(255, grey, grey, grey);
    }
  }
  const double percent = 100.0 * static_cast<double>(over) / (static_cast<double>(w) * h);
  std::printf("compare: %dx%d, %lld pixels (%.3f%%) differ by more than %d, mean difference "
              "%.3f, largest %d\n",
              w, h, over, percent, threshold,
              static_cast<double>(sum) / (static_cast<double>(w) * h), largest);
  if (!RasterWritePNG(&diff, argv[3])) std::fprintf(stderr, "compare: cannot write %s\n", argv[3]);
  if (percent > maxPercent)
  {
    std::printf("compare: more than %.3f%% differ (see %s)\n", maxPercent, argv[3]);
    return 1;
  }
  return 0;
}
