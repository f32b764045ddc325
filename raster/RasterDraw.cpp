#include <algorithm>
#include <cmath>
#include <limits>

#include "raster/Raster.h"
#include "raster/RasterCombine.h"

using namespace raster_detail;

namespace
{

constexpr double kTwoPi = 6.283185307179586;
// Shapes reaching further than this from the origin are not drawn at all: every bitmap lies far
// inside it, and the arithmetic below stays exact within it.
constexpr double kMaxCoord = 268435456.0; // 2^28

bool HasPixels(const RasterBitmap* b)
{
  return b && b->getWidth() > 0 && b->getHeight() > 0 && b->getBits();
}

// Coverage 0..255 scales the weight.
ColorParams CoveredColor(uint32_t color, float weight, int mode, int coverage)
{
  return ChooseColor(color, weight * static_cast<float>(coverage) / 255.0f, mode);
}

int CoverageOf(double c)
{
  if (!(c > 0.0)) return 0;
  if (c >= 1.0) return 255;
  return static_cast<int>(c * 255.0 + 0.5);
}

void FillSpan(RasterBitmap* dest, long long y, long long xa, long long xb, const ColorParams& p)
{
  if (y < 0 || y >= dest->getHeight()) return;
  xa = std::max(0LL, xa);
  xb = std::min<long long>(dest->getWidth() - 1, xb);
  if (xa > xb || p.op == ColorOp::None) return;
  uint32_t* row = dest->getBits() + y * dest->getRowSpan();
  if (p.op == ColorOp::Store)
  {
    std::fill(row + xa, row + xb + 1, p.c);
    return;
  }
  for (long long x = xa; x <= xb; ++x)
    ColorPixel(row[x], p);
}

// --- Lines ---------------------------------------------------------------------------------

// Cuts the segment to the box [lo, hi] on both axes (Liang-Barsky). False when nothing is left.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double xlo, double ylo, double xhi,
                 double yhi)
{
  double t0 = 0.0, t1 = 1.0;
  const double dx = x2 - x1, dy = y2 - y1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x1 - xlo, xhi - x1, y1 - ylo, yhi - y1};
  for (int i = 0; i < 4; ++i)
  {
    if (p[i] == 0.0)
    {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0.0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
    if (t0 > t1) return false;
  }
  const double ox = x1, oy = y1;
  x1 = ox + t0 * dx, y1 = oy + t0 * dy;
  x2 = ox + t1 * dx, y2 = oy + t1 * dy;
  return true;
}

// Step i of n along the major axis lies at minor offset round-half-up(i * minor / n): the pixels
// of Bresenham's midpoint line. Only the steps inside the bitmap along the major axis are
// visited, so the cost is bounded by the bitmap's size whatever the end points.
struct LineWalk
{
  long long a0, b0; // start on the major and minor axis
  long long n, m;   // |major|, |minor| extent
  int sa, sb;       // directions
  long long size;   // bitmap size along the major axis

  // The steps [lo, hi] whose major coordinate lies inside the bitmap (empty when lo > hi).
  void Visible(long long& lo, long long& hi) const
  {
    if (sa > 0)
      lo = std::max(0LL, -a0), hi = std::min(n, size - 1 - a0);
    else
      lo = std::max(0LL, a0 - (size - 1)), hi = std::min(n, a0);
  }
};

template <class Plot> void WalkAliased(const LineWalk& L, Plot&& plot)
{
  if (L.n == 0)
  {
    plot(L.a0, L.b0);
    return;
  }
  long long iLo, iHi;
  L.Visible(iLo, iHi);
  if (iLo > iHi) return;
  const long long den = 2 * L.n;
  const long long num = 2 * iLo * L.m + L.n;
  long long q = num / den, r = num % den;
  for (long long i = iLo; i <= iHi; ++i)
  {
    plot(L.a0 + L.sa * i, L.b0 + L.sb * q);
    r += 2 * L.m;
    if (r >= den) r -= den, ++q;
  }
}

template <class Plot> void WalkAntialiased(const LineWalk& L, Plot&& plot)
{
  if (L.n == 0)
  {
    plot(L.a0, L.b0, 255);
    return;
  }
  long long iLo, iHi;
  L.Visible(iLo, iHi);
  for (long long i = iLo; i <= iHi; ++i)
  {
    const double b = static_cast<double>(i) * static_cast<double>(L.m) / static_cast<double>(L.n);
    const double fb = std::floor(b);
    const int c1 = CoverageOf(b - fb);
    const long long a = L.a0 + L.sa * i, bi = static_cast<long long>(fb);
    if (255 - c1 > 0) plot(a, L.b0 + L.sb * bi, 255 - c1);
    if (c1 > 0) plot(a, L.b0 + L.sb * (bi + 1), c1);
  }
}

} // namespace

void RasterFillRect(RasterBitmap* dest, int x, int y, int w, int h, RasterPixel color, float weight,
                    int mode)
{
  if (!HasPixels(dest) || w <= 0 || h <= 0) return;
  const ColorParams p = ChooseColor(color, weight, mode);
  const long long y0 = std::max<long long>(0, y);
  const long long y1 = std::min<long long>(dest->getHeight(), static_cast<long long>(y) + h);
  for (long long r = y0; r < y1; ++r)
    FillSpan(dest, r, x, static_cast<long long>(x) + w - 1, p);
}

void RasterLine(RasterBitmap* dest, int x1, int y1, int x2, int y2, RasterPixel color, float weight,
                int mode, bool antialias)
{
  if (!HasPixels(dest)) return;
  const ColorParams full = ChooseColor(color, weight, mode);
  if (full.op == ColorOp::None) return;
  long long ax = x1, ay = y1, bx = x2, by = y2;
  const long long lim = 1LL << 24;
  if (std::max({std::llabs(ax), std::llabs(ay), std::llabs(bx), std::llabs(by)}) > lim)
  {
    // Far-away end points: bring them to the bitmap's neighbourhood first, so the integer walk
    // below cannot overflow. Only such extreme lines may differ from the exact walk by a pixel.
    double fx1 = ax, fy1 = ay, fx2 = bx, fy2 = by;
    if (!ClipSegment(fx1, fy1, fx2, fy2, -2.0, -2.0, dest->getWidth() + 1.0,
                     dest->getHeight() + 1.0))
      return;
    ax = std::llround(fx1), ay = std::llround(fy1), bx = std::llround(fx2), by = std::llround(fy2);
  }
  const long long dx = bx - ax, dy = by - ay;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  LineWalk L;
  L.a0 = xMajor ? ax : ay;
  L.b0 = xMajor ? ay : ax;
  L.n = std::llabs(xMajor ? dx : dy);
  L.m = std::llabs(xMajor ? dy : dx);
  L.sa = (xMajor ? dx : dy) >= 0 ? 1 : -1;
  L.sb = (xMajor ? dy : dx) >= 0 ? 1 : -1;
  L.size = xMajor ? dest->getWidth() : dest->getHeight();
  auto at = [&](long long a, long long b, const ColorParams& p)
  {
    if (xMajor)
      PlotColor(dest, a, b, p);
    else
      PlotColor(dest, b, a, p);
  };
  if (!antialias)
    WalkAliased(L, [&](long long a, long long b) { at(a, b, full); });
  else
    WalkAntialiased(L, [&](long long a, long long b, int cov)
                    { at(a, b, cov == 255 ? full : CoveredColor(color, weight, mode, cov)); });
}

namespace
{

bool ShapeArgsOk(std::initializer_list<double> v)
{
  for (double d : v)
    if (!std::isfinite(d) || std::fabs(d) > kMaxCoord) return false;
  return true;
}

// Which angles an arc covers: 0 up, clockwise; angle of the offset (dx, dy) is atan2(dx, -dy).
struct AngleRange
{
  bool full = true;
  double start = 0.0, span = 0.0;

  AngleRange() = default;
  AngleRange(double a, double b)
  {
    if (a > b) std::swap(a, b);
    full = b - a >= kTwoPi;
    start = a, span = b - a;
  }
  // How far (radians) the direction lies outside the range; 0 inside.
  double Outside(double dx, double dy) const
  {
    if (full) return 0.0;
    double t = std::fmod(std::atan2(dx, -dy) - start, kTwoPi);
    if (t < 0.0) t += kTwoPi;
    if (t <= span + 1e-9) return 0.0;
    return std::min(t - span, kTwoPi - t);
  }
};

// The pixels of an aliased circle: for each column within 45 degrees of the vertical axis the
// row nearest the circle, and for each row within 45 degrees of the horizontal axis the column
// nearest it. The two sets are disjoint, so every pixel is visited once. plot(x, y, dx, dy) gets
// the pixel and its offset from the (rounded) centre; only rows and columns inside the bitmap
// are walked.
template <class Plot>
void AliasedCircle(RasterBitmap* dest, double cx, double cy, double r, Plot&& plot)
{
  const long long ci = static_cast<long long>(std::floor(cx + 0.5));
  const long long cj = static_cast<long long>(std::floor(cy + 0.5));
  const long long R = static_cast<long long>(std::floor(r));
  const double r2 = r * r;
  const long long W = dest->getWidth(), H = dest->getHeight();
  for (long long x = std::max(-R, -ci); x <= std::min(R, W - 1 - ci); ++x)
  {
    const long long yx =
        static_cast<long long>(std::floor(std::sqrt(std::max(0.0, r2 - double(x) * x)) + 0.5));
    if (std::llabs(x) > yx) continue;
    plot(ci + x, cj - yx, x, -yx);
    if (yx != 0) plot(ci + x, cj + yx, x, yx);
  }
  for (long long y = std::max(-R, -cj); y <= std::min(R, H - 1 - cj); ++y)
  {
    const long long xy =
        static_cast<long long>(std::floor(std::sqrt(std::max(0.0, r2 - double(y) * y)) + 0.5));
    if (std::llabs(y) >= xy) continue;
    plot(ci - xy, cj + y, -xy, y);
    plot(ci + xy, cj + y, xy, y);
  }
}

// The pixels within one pixel of the circle, with coverage 1 - |distance - r|.
// plot(x, y, dx, dy, distance, coverage 0..1).
template <class Plot>
void AntialiasedRing(RasterBitmap* dest, double cx, double cy, double r, Plot&& plot)
{
  const long long W = dest->getWidth(), H = dest->getHeight();
  const double ro = r + 1.0, ri = r - 1.0;
  const long long y0 = std::max(0LL, static_cast<long long>(std::ceil(cy - ro)));
  const long long y1 = std::min(H - 1, static_cast<long long>(std::floor(cy + ro)));
  auto span = [&](long long y, double dy, double lo, double hi)
  {
    const long long xa = std::max(0LL, static_cast<long long>(std::ceil(lo)));
    const long long xb = std::min(W - 1, static_cast<long long>(std::floor(hi)));
    for (long long x = xa; x <= xb; ++x)
    {
      const double dx = static_cast<double>(x) - cx;
      const double d = std::sqrt(dx * dx + dy * dy);
      const double cov = 1.0 - std::fabs(d - r);
      if (cov > 0.0) plot(x, y, dx, dy, d, cov);
    }
  };
  for (long long y = y0; y <= y1; ++y)
  {
    const double dy = static_cast<double>(y) - cy;
    const double o2 = ro * ro - dy * dy;
    if (o2 <= 0.0) continue;
    const double xo = std::sqrt(o2);
    const double i2 = ri > 0.0 ? ri * ri - dy * dy : -1.0;
    if (i2 <= 0.0)
      span(y, dy, cx - xo, cx + xo);
    else
    {
      const double xi = std::sqrt(i2);
      span(y, dy, cx - xo, cx - xi);
      span(y, dy, cx + xi, cx + xo);
    }
  }
}

void DrawArcImpl(RasterBitmap* dest, double cx, double cy, double r, const AngleRange& range,
                 RasterPixel color, float weight, int mode, bool antialias)
{
  const ColorParams full = ChooseColor(color, weight, mode);
  if (full.op == ColorOp::None) return;
  if (!antialias)
  {
    AliasedCircle(dest, cx, cy, r,
                  [&](long long x, long long y, long long dx, long long dy)
                  {
                    if (range.Outside(static_cast<double>(dx), static_cast<double>(dy)) == 0.0)
                      PlotColor(dest, x, y, full);
                  });
    return;
  }
  AntialiasedRing(dest, cx, cy, r,
                  [&](long long x, long long y, double dx, double dy, double d, double cov)
                  {
                    // The arc's ends fade over one pixel instead of stopping at a jagged edge.
                    const double outside = range.Outside(dx, dy) * d;
                    if (outside >= 1.0) return;
                    const int c = CoverageOf(cov * (1.0 - outside));
                    if (c > 0)
                      PlotColor(dest, x, y, c == 255 ? full : CoveredColor(color, weight, mode, c));
                  });
}

} // namespace

void RasterArc(RasterBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle,
               RasterPixel color, float weight, int mode, bool antialias)
{
  if (!HasPixels(dest) || !ShapeArgsOk({cx, cy, r}) || !(r >= 0.0f)) return;
  if (!std::isfinite(minAngle) || !std::isfinite(maxAngle)) return;
  DrawArcImpl(dest, cx, cy, r, AngleRange(minAngle, maxAngle), color, weight, mode, antialias);
}

void RasterCircle(RasterBitmap* dest, float cx, float cy, float r, RasterPixel color, float weight,
                  int mode, bool antialias)
{
  if (!HasPixels(dest) || !ShapeArgsOk({cx, cy, r}) || !(r >= 0.0f)) return;
  DrawArcImpl(dest, cx, cy, r, AngleRange(), color, weight, mode, antialias);
}

void RasterFillCircle(RasterBitmap* dest, float cx, float cy, float r, RasterPixel color,
                      float weight, int mode, bool antialias)
{
  if (!HasPixels(dest) || !ShapeArgsOk({cx, cy, r}) || !(r >= 0.0f)) return;
  const ColorParams full = ChooseColor(color, weight, mode);
  if (full.op == ColorOp::None) return;
  // Aliased: the pixels within r + 0.5 less a hair, which rounds the outline instead of leaving
  // single pixels sticking out at the four axis points.
  const double R2 = antialias ? (r + 0.5) * (r + 0.5) : static_cast<double>(r) * r + r;
  const double R = std::sqrt(R2);
  const long long H = dest->getHeight();
  const long long y0 = std::max(0LL, static_cast<long long>(std::ceil(cy - R)));
  const long long y1 = std::min(H - 1, static_cast<long long>(std::floor(cy + R)));
  for (long long y = y0; y <= y1; ++y)
  {
    const double dy = static_cast<double>(y) - cy;
    const double q = R2 - dy * dy;
    if (q < 0.0) continue;
    const double xs = std::sqrt(q);
    const long long xa = static_cast<long long>(std::ceil(cx - xs));
    const long long xb = static_cast<long long>(std::floor(cx + xs));
    if (!antialias)
    {
      FillSpan(dest, y, xa, xb, full);
      continue;
    }
    // Inside r - 0.5 every pixel is covered; only the rim needs its distance.
    const double inner = r - 0.5;
    const double qi = inner > 0.0 ? inner * inner - dy * dy : -1.0;
    long long ia = xb + 1, ib = xb;
    if (qi > 0.0)
    {
      const double xi = std::sqrt(qi);
      ia = static_cast<long long>(std::ceil(cx - xi));
      ib = static_cast<long long>(std::floor(cx + xi));
      FillSpan(dest, y, ia, ib, full);
    }
    for (long long x = std::max(0LL, xa); x <= std::min<long long>(dest->getWidth() - 1, xb); ++x)
    {
      if (x >= ia && x <= ib)
      {
        x = ib;
        continue;
      }
      const double dx = static_cast<double>(x) - cx;
      const int c = CoverageOf(r + 0.5 - std::sqrt(dx * dx + dy * dy));
      if (c > 0) PlotColor(dest, x, y, c == 255 ? full : CoveredColor(color, weight, mode, c));
    }
  }
}

void RasterRoundRect(RasterBitmap* dest, float x, float y, float w, float h, int cornerRadius,
                     RasterPixel color, float weight, int mode, bool antialias)
{
  if (!HasPixels(dest) || !ShapeArgsOk({x, y, w, h}) || !(w >= 0.0f) || !(h >= 0.0f)) return;
  const ColorParams full = ChooseColor(color, weight, mode);
  if (full.op == ColorOp::None) return;
  const long long L = static_cast<long long>(std::floor(x + 0.5));
  const long long T = static_cast<long long>(std::floor(y + 0.5));
  const long long R = L + static_cast<long long>(std::floor(w + 0.5));
  const long long B = T + static_cast<long long>(std::floor(h + 0.5));
  const long long cr = std::clamp<long long>(cornerRadius, 0, std::min(R - L, B - T) / 2);
  auto hline = [&](long long yy, long long xa, long long xb) { FillSpan(dest, yy, xa, xb, full); };
  auto vline = [&](long long xx, long long ya, long long yb)
  {
    for (long long yy = std::max(0LL, ya); yy <= std::min<long long>(dest->getHeight() - 1, yb);
         ++yy)
      PlotColor(dest, xx, yy, full);
  };
  if (cr == 0)
  {
    hline(T, L, R);
    if (B != T) hline(B, L, R);
    vline(L, T + 1, B - 1);
    if (R != L) vline(R, T + 1, B - 1);
    return;
  }
  // Each corner takes its quarter of a circle, the quarters split so that no pixel is drawn
  // twice even when two corners share a centre; the straight edges fill the gaps between.
  hline(T, L + cr + 1, R - cr);
  hline(B, L + cr, R - cr - 1);
  vline(L, T + cr + 1, B - cr);
  vline(R, T + cr + 1, B - cr);
  struct Corner
  {
    long long cx, cy;
    int quadrant; // 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left
  };
  const Corner corners[4] = {
      {L + cr, T + cr, 0}, {R - cr, T + cr, 1}, {R - cr, B - cr, 2}, {L + cr, B - cr, 3}};
  auto inQuadrant = [](int q, double dx, double dy)
  {
    switch (q)
    {
    case 0:
      return dx <= 0.0 && dy <= 0.0;
    case 1:
      return dx > 0.0 && dy <= 0.0;
    case 2:
      return dx >= 0.0 && dy > 0.0;
    default:
      return dx < 0.0 && dy > 0.0;
    }
  };
  for (const Corner& c : corners)
  {
    if (!antialias)
      AliasedCircle(dest, static_cast<double>(c.cx), static_cast<double>(c.cy),
                    static_cast<double>(cr),
                    [&](long long px, long long py, long long dx, long long dy)
                    {
                      if (inQuadrant(c.quadrant, double(dx), double(dy)))
                        PlotColor(dest, px, py, full);
                    });
    else
      AntialiasedRing(
          dest, static_cast<double>(c.cx), static_cast<double>(c.cy), static_cast<double>(cr),
          [&](long long px, long long py, double dx, double dy, double, double cov)
          {
            if (!inQuadrant(c.quadrant, dx, dy)) return;
            const int cv = CoverageOf(cov);
            if (cv > 0)
              PlotColor(dest, px, py, cv == 255 ? full : CoveredColor(color, weight, mode, cv));
          });
  }
}

namespace
{

// Fills, row by row, the span between the leftmost and rightmost crossing of the outline: every
// pixel on or inside a convex outline, each once.
void FillHull(RasterBitmap* dest, const int* xs, const int* ys, int n, const ColorParams& p)
{
  if (p.op == ColorOp::None || n <= 0) return;
  long long ymin = ys[0], ymax = ys[0];
  for (int i = 1; i < n; ++i)
    ymin = std::min<long long>(ymin, ys[i]), ymax = std::max<long long>(ymax, ys[i]);
  ymin = std::max(0LL, ymin);
  ymax = std::min<long long>(dest->getHeight() - 1, ymax);
  const long long W = dest->getWidth();
  for (long long y = ymin; y <= ymax; ++y)
  {
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    for (int i = 0; i < n; ++i)
    {
      const int j = i + 1 == n ? 0 : i + 1;
      const long long xa = xs[i], ya = ys[i], xb = xs[j], yb = ys[j];
      if (ya == yb)
      {
        if (y == ya)
          lo = std::min({lo, double(xa), double(xb)}), hi = std::max({hi, double(xa), double(xb)});
        continue;
      }
      if (y < std::min(ya, yb) || y > std::max(ya, yb)) continue;
      const double xc = double(xa) + double(y - ya) * double(xb - xa) / double(yb - ya);
      lo = std::min(lo, xc), hi = std::max(hi, xc);
    }
    if (lo > hi) continue;
    const double a = std::max(std::ceil(lo), 0.0), b = std::min(std::floor(hi), double(W - 1));
    if (a > b) continue;
    FillSpan(dest, y, static_cast<long long>(a), static_cast<long long>(b), p);
  }
}

} // namespace

void RasterFillTriangle(RasterBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                        RasterPixel color, float weight, int mode)
{
  if (!HasPixels(dest)) return;
  const int xs[3] = {x1, x2, x3}, ys[3] = {y1, y2, y3};
  FillHull(dest, xs, ys, 3, ChooseColor(color, weight, mode));
}

void RasterFillConvexPolygon(RasterBitmap* dest, const int* xs, const int* ys, int n,
                             RasterPixel color, float weight, int mode)
{
  if (!HasPixels(dest) || !xs || !ys || n <= 0) return;
  FillHull(dest, xs, ys, n, ChooseColor(color, weight, mode));
}
