// Area-averaging resampling: each destination pixel is the mean of the source area it covers.

#include <algorithm>
#include <cmath>
#include <vector>

#include "raster/Raster.h"

namespace
{
// One destination pixel's share of the source along an axis: the source pixels it covers from
// mFirst on, each with the part of it that lies under the destination pixel.
struct Span
{
  int mFirst = 0;
  std::vector<float> mWeights;
};

// The source interval [i * k, (i + 1) * k) of destination pixel i, k = n / m, in source pixels;
// weights are normalised so a flat source stays flat.
std::vector<Span> Spans(int m, int n)
{
  std::vector<Span> spans(static_cast<size_t>(m));
  const double k = static_cast<double>(n) / m;
  for (int i = 0; i < m; ++i)
  {
    const double a = i * k, b = std::min((i + 1) * k, static_cast<double>(n));
    int first = static_cast<int>(std::floor(a));
    int last = std::min(static_cast<int>(std::ceil(b)), n) - 1;
    first = std::clamp(first, 0, n - 1);
    last = std::clamp(last, first, n - 1);
    Span& s = spans[static_cast<size_t>(i)];
    s.mFirst = first;
    double total = 0.0;
    for (int j = first; j <= last; ++j)
    {
      const double w = std::min(b, j + 1.0) - std::max(a, static_cast<double>(j));
      s.mWeights.push_back(static_cast<float>(std::max(w, 0.0)));
      total += std::max(w, 0.0);
    }
    if (total <= 0.0)
    {
      s.mWeights.assign(1, 1.0f);
      total = 1.0;
    }
    for (float& w : s.mWeights)
      w = static_cast<float>(w / total);
  }
  return spans;
}
} // namespace

void RasterResampleArea(RasterBitmap* dest, int dstX, int dstY, int dstW, int dstH,
                        const RasterBitmap* src, int srcX, int srcY, int srcW, int srcH)
{
  if (!dest || !src || !dest->getBits() || !src->getBits() || dstW <= 0 || dstH <= 0 || srcW <= 0 ||
      srcH <= 0)
    return;
  if (srcX < 0 || srcY < 0 || srcX + static_cast<long long>(srcW) > src->getWidth() ||
      srcY + static_cast<long long>(srcH) > src->getHeight())
    return;
  const std::vector<Span> xs = Spans(dstW, srcW), ys = Spans(dstH, srcH);

  // Per destination row: the source rows it covers averaged into one row of premultiplied
  // floats (transparent pixels lend no colour), then that row averaged across into the pixels.
  std::vector<float> row(static_cast<size_t>(srcW) * 4);
  for (int y = 0; y < dstH; ++y)
  {
    const int dy = dstY + y;
    if (dy < 0 || dy >= dest->getHeight()) continue;
    std::fill(row.begin(), row.end(), 0.0f);
    const Span& sy = ys[static_cast<size_t>(y)];
    for (size_t j = 0; j < sy.mWeights.size(); ++j)
    {
      const float w = sy.mWeights[j];
      const RasterPixel* s = src->getBits() +
                             static_cast<size_t>(srcY + sy.mFirst + static_cast<int>(j)) *
                                 static_cast<size_t>(src->getRowSpan()) +
                             srcX;
      for (int x = 0; x < srcW; ++x)
      {
        const RasterPixel p = s[x];
        const float pa = static_cast<float>(RasterGetA(p)) * w;
        float* o = row.data() + 4 * static_cast<size_t>(x);
        o[0] += pa;
        o[1] += static_cast<float>(RasterGetR(p)) * pa;
        o[2] += static_cast<float>(RasterGetG(p)) * pa;
        o[3] += static_cast<float>(RasterGetB(p)) * pa;
      }
    }
    RasterPixel* d = dest->getBits() + static_cast<size_t>(dy) * dest->getRowSpan();
    for (int x = 0; x < dstW; ++x)
    {
      const int dx = dstX + x;
      if (dx < 0 || dx >= dest->getWidth()) continue;
      const Span& sx = xs[static_cast<size_t>(x)];
      float a = 0, r = 0, g = 0, b = 0;
      for (size_t j = 0; j < sx.mWeights.size(); ++j)
      {
        const float* p = row.data() + 4 * (static_cast<size_t>(sx.mFirst) + j);
        const float w = sx.mWeights[j];
        a += p[0] * w;
        r += p[1] * w;
        g += p[2] * w;
        b += p[3] * w;
      }
      // Every sum is non-negative: adding a half and truncating rounds.
      const int ai = std::min(static_cast<int>(a + 0.5f), 255);
      if (ai == 0)
      {
        d[dx] = 0;
        continue;
      }
      const float inv = 1.0f / a;
      auto channel = [inv](float c) { return std::min(static_cast<int>(c * inv + 0.5f), 255); };
      d[dx] = RasterPackColor(ai, channel(r), channel(g), channel(b));
    }
  }
}
