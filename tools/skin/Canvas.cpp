#include "tools/skin/Canvas.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "raster/Raster.h"

Color Hex(uint32_t rgb, float alpha)
{
  return Color{((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f,
               alpha};
}

Color Mix(const Color& a, const Color& b, float t)
{
  return Color{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
               a.a + (b.a - a.a) * t};
}

Color WithAlpha(Color c, float alpha)
{
  c.a = alpha;
  return c;
}

Color Lighten(const Color& c, float amount)
{
  const Color target = amount >= 0 ? Color{1, 1, 1, c.a} : Color{0, 0, 0, c.a};
  return Mix(c, target, std::fabs(amount));
}

float Clamp01(float v)
{
  return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

float SmoothStep(float e0, float e1, float x)
{
  const float t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3.0f - 2.0f * t);
}

float SdCircle(float x, float y, float cx, float cy, float r)
{
  return std::hypot(x - cx, y - cy) - r;
}

float SdRoundRect(float x, float y, float l, float t, float r, float b, float radius)
{
  const float cx = (l + r) * 0.5f, cy = (t + b) * 0.5f;
  const float hx = (r - l) * 0.5f - radius, hy = (b - t) * 0.5f - radius;
  const float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
  const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
  return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float SdSegment(float x, float y, float x1, float y1, float x2, float y2)
{
  const float dx = x2 - x1, dy = y2 - y1;
  const float len2 = dx * dx + dy * dy;
  const float t = len2 > 0 ? Clamp01(((x - x1) * dx + (y - y1) * dy) / len2) : 0.0f;
  return std::hypot(x - (x1 + t * dx), y - (y1 + t * dy));
}

float SdArc(float x, float y, float cx, float cy, float r, float a0, float a1)
{
  const float angle = std::atan2(x - cx, cy - y);
  if (angle >= a0 && angle <= a1) return std::fabs(std::hypot(x - cx, y - cy) - r);
  const float e0 = std::hypot(x - (cx + r * std::sin(a0)), y - (cy - r * std::cos(a0)));
  const float e1 = std::hypot(x - (cx + r * std::sin(a1)), y - (cy - r * std::cos(a1)));
  return std::min(e0, e1);
}

float SdConvex(float x, float y, const float* xs, const float* ys, int n)
{
  // Either winding: the sign of the area tells which side of each edge is outside.
  float area = 0;
  for (int i = 0; i < n; ++i)
  {
    const int j = (i + 1) % n;
    area += xs[i] * ys[j] - xs[j] * ys[i];
  }
  const float side = area >= 0 ? 1.0f : -1.0f;
  float d = -1e9f;
  for (int i = 0; i < n; ++i)
  {
    const int j = (i + 1) % n;
    const float ex = xs[j] - xs[i], ey = ys[j] - ys[i];
    const float len = std::hypot(ex, ey);
    if (len <= 0) continue;
    const float nx = side * ey / len, ny = -side * ex / len;
    d = std::max(d, (x - xs[i]) * nx + (y - ys[i]) * ny);
  }
  return d;
}

// ---- Canvas ----

Canvas::Canvas(int w, int h, float scale)
    : mLogicalW(w), mLogicalH(h), mScale(scale), mW(static_cast<int>(std::lround(w * scale))),
      mH(static_cast<int>(std::lround(h * scale))), mPx(static_cast<size_t>(mW) * mH * 4, 0.0f)
{
}

Canvas::~Canvas() = default;

int Canvas::Lo(float v) const
{
  return std::max(0, static_cast<int>(std::floor(v)));
}

int Canvas::Hi(float v) const
{
  // Blend clips each axis; this only bounds the loops.
  return std::min(mW > mH ? mW : mH, static_cast<int>(std::ceil(v)) + 1);
}

void Canvas::Blend(int x, int y, const Color& c, float coverage)
{
  if (x < 0 || y < 0 || x >= mW || y >= mH) return;
  const float a = Clamp01(c.a * coverage);
  if (a <= 0.0f) return;
  float* p = &mPx[(static_cast<size_t>(y) * mW + x) * 4];
  p[0] = c.r * a + p[0] * (1 - a);
  p[1] = c.g * a + p[1] * (1 - a);
  p[2] = c.b * a + p[2] * (1 - a);
  p[3] = a + p[3] * (1 - a);
}

void Canvas::Shade(int x, int y, float k)
{
  if (x < 0 || y < 0 || x >= mW || y >= mH) return;
  float* p = &mPx[(static_cast<size_t>(y) * mW + x) * 4];
  for (int i = 0; i < 3; ++i)
    p[i] = std::min(p[3], std::max(0.0f, p[i] * k));
}

void Canvas::FillRect(float l, float t, float r, float b, const Color& c)
{
  Fill(
      l, t, r, b,
      [=](float x, float y) { return std::max(std::max(l - x, x - r), std::max(t - y, y - b)); },
      c);
}

void Canvas::FillRectV(int l, int t, int r, int b, const Color& top, const Color& bottom)
{
  const float s = mScale;
  const int dl = static_cast<int>(std::lround(l * s)), dr = static_cast<int>(std::lround(r * s));
  const int dt = static_cast<int>(std::lround(t * s)), db = static_cast<int>(std::lround(b * s));
  for (int y = std::max(0, dt); y < std::min(mH, db); ++y)
  {
    // The first and last logical rows' centres carry the two colours exactly, as at 1x.
    const float ly = (y + 0.5f) / s - 0.5f;
    const Color c =
        Mix(top, bottom, b - t > 1 ? Clamp01((ly - float(t)) / float(b - t - 1)) : 0.0f);
    for (int x = std::max(0, dl); x < std::min(mW, dr); ++x)
      Blend(x, y, c, 1.0f);
  }
}

void Canvas::FillRoundRect(float l, float t, float r, float b, float radius, const Color& c)
{
  Fill(
      l, t, r, b, [=](float x, float y) { return SdRoundRect(x, y, l, t, r, b, radius); }, c);
}

void Canvas::FillRoundRectV(float l, float t, float r, float b, float radius, const Color& top,
                            const Color& bottom)
{
  Fill(
      l, t, r, b, [=](float x, float y) { return SdRoundRect(x, y, l, t, r, b, radius); },
      [=](float, float y) { return Mix(top, bottom, Clamp01((y - t) / (b - t))); });
}

void Canvas::StrokeRoundRect(float l, float t, float r, float b, float radius, float width,
                             const Color& c)
{
  Fill(
      l, t, r, b,
      [=](float x, float y)
      { return std::fabs(SdRoundRect(x, y, l, t, r, b, radius) + width * 0.5f) - width * 0.5f; },
      c);
}

void Canvas::FillCircle(float cx, float cy, float r, const Color& c, float soft)
{
  Fill(
      cx - r, cy - r, cx + r, cy + r, [=](float x, float y) { return SdCircle(x, y, cx, cy, r); },
      c, soft);
}

void Canvas::StrokeCircle(float cx, float cy, float r, float width, const Color& c)
{
  const float o = r + width;
  Fill(
      cx - o, cy - o, cx + o, cy + o,
      [=](float x, float y) { return std::fabs(SdCircle(x, y, cx, cy, r)) - width * 0.5f; }, c);
}

void Canvas::Line(float x1, float y1, float x2, float y2, float width, const Color& c)
{
  const float w = width * 0.5f;
  Fill(
      std::min(x1, x2) - w, std::min(y1, y2) - w, std::max(x1, x2) + w, std::max(y1, y2) + w,
      [=](float x, float y) { return SdSegment(x, y, x1, y1, x2, y2) - w; }, c);
}

void Canvas::Arc(float cx, float cy, float r, float a0, float a1, float width, const Color& c)
{
  if (a1 < a0) std::swap(a0, a1);
  const float o = r + width;
  Fill(
      cx - o, cy - o, cx + o, cy + o,
      [=](float x, float y) { return SdArc(x, y, cx, cy, r, a0, a1) - width * 0.5f; }, c);
}

void Canvas::Polygon(const float* xs, const float* ys, int n, const Color& c)
{
  float l = xs[0], t = ys[0], r = xs[0], b = ys[0];
  for (int i = 1; i < n; ++i)
    l = std::min(l, xs[i]), r = std::max(r, xs[i]), t = std::min(t, ys[i]), b = std::max(b, ys[i]);
  std::vector<float> px(xs, xs + n), py(ys, ys + n);
  Fill(
      l, t, r, b, [px, py, n](float x, float y) { return SdConvex(x, y, px.data(), py.data(), n); },
      c);
}

void Canvas::Draw(const Canvas& src, int lx, int ly)
{
  const int x = static_cast<int>(std::lround(lx * mScale));
  const int y = static_cast<int>(std::lround(ly * mScale));
  for (int j = 0; j < src.mH; ++j)
    for (int i = 0; i < src.mW; ++i)
    {
      const int dx = x + i, dy = y + j;
      if (dx < 0 || dy < 0 || dx >= mW || dy >= mH) continue;
      const float* s = &src.mPx[(static_cast<size_t>(j) * src.mW + i) * 4];
      float* d = &mPx[(static_cast<size_t>(dy) * mW + dx) * 4];
      for (int k = 0; k < 4; ++k)
        d[k] = s[k] + d[k] * (1 - s[3]);
    }
}

void Canvas::DrawTurnedLeft(const Canvas& src, int lx, int ly)
{
  // The logical row ly ends at device row round((ly + 1) s) - 1.
  const int x = static_cast<int>(std::lround(lx * mScale));
  const int y = static_cast<int>(std::lround((ly + 1) * mScale)) - 1;
  // Source (i, j) goes to (x + j, y - i): its top row becomes the left column, read upwards.
  for (int j = 0; j < src.mH; ++j)
    for (int i = 0; i < src.mW; ++i)
    {
      const int dx = x + j, dy = y - i;
      if (dx < 0 || dy < 0 || dx >= mW || dy >= mH) continue;
      const float* s = &src.mPx[(static_cast<size_t>(j) * src.mW + i) * 4];
      float* d = &mPx[(static_cast<size_t>(dy) * mW + dx) * 4];
      for (int k = 0; k < 4; ++k)
        d[k] = s[k] + d[k] * (1 - s[3]);
    }
}

std::unique_ptr<RasterMemBitmap> Canvas::ToBitmap() const
{
  auto bmp = std::make_unique<RasterMemBitmap>(mW, mH, 1);
  RasterPixel* bits = bmp->getBits();
  const int span = bmp->getRowSpan();
  for (int y = 0; y < mH; ++y)
    for (int x = 0; x < mW; ++x)
    {
      const float* p = &mPx[(static_cast<size_t>(y) * mW + x) * 4];
      const float a = Clamp01(p[3]);
      auto channel = [a](float v)
      { return a > 0 ? static_cast<int>(std::lround(Clamp01(v / a) * 255.0f)) : 0; };
      bits[y * span + x] = RasterPackColor(static_cast<int>(std::lround(a * 255.0f)), channel(p[0]),
                                           channel(p[1]), channel(p[2]));
    }
  return bmp;
}

// ---- Text ----

namespace
{
// One cached font per face, size and weight, kept for the program's life.
RasterCachedFont* GetFont(const Font& f)
{
  static std::map<std::tuple<std::string, int, bool>, std::unique_ptr<RasterCachedFont>> fonts;
  auto key = std::make_tuple(std::string(f.face), f.size, f.bold);
  auto it = fonts.find(key);
  if (it != fonts.end()) return it->second.get();
  auto font = std::make_unique<RasterCachedFont>();
  HFONT h = CreateFont(f.size, 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, 0, 0, 0,
                       ANTIALIASED_QUALITY, 0, f.face);
  if (!h || !font->SetFromHFont(h, RASTER_FONT_FLAG_CACHE_GLYPHS | RASTER_FONT_FLAG_OWNS_HFONT))
    font.reset();
  return (fonts[key] = std::move(font)).get();
}

int Ascent(const Font& f)
{
  RasterCachedFont* font = GetFont(f);
  TEXTMETRIC tm{};
  return font && GetFontMetrics(font->GetHFont(), &tm) ? tm.tmAscent : f.size;
}

// The UTF-8 sequences of a string, one per character.
std::vector<std::string> Characters(const char* text)
{
  std::vector<std::string> out;
  for (const char* p = text; *p;)
  {
    int n = 1;
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c >= 0xF0)
      n = 4;
    else if (c >= 0xE0)
      n = 3;
    else if (c >= 0xC0)
      n = 2;
    std::string s;
    for (int i = 0; i < n && p[i]; ++i)
      s += p[i];
    p += s.size();
    out.push_back(s);
  }
  return out;
}

int Advance(RasterCachedFont* font, const std::string& s)
{
  RasterRect r{0, 0, 0, 0};
  font->DrawText(nullptr, s.c_str(), static_cast<int>(s.size()), &r, RASTER_DT_CALCRECT);
  return r.right - r.left;
}
} // namespace

int Canvas::TextWidth(const char* text, const Font& f)
{
  RasterCachedFont* font = GetFont(f);
  if (!font || !text) return 0;
  if (f.tracking == 0.0f) return Advance(font, text);
  float w = 0;
  const std::vector<std::string> chars = Characters(text);
  for (const std::string& c : chars)
    w += Advance(font, c) + f.tracking;
  return static_cast<int>(std::lround(w - (chars.empty() ? 0 : f.tracking)));
}

int Canvas::CapHeight(const Font& f)
{
  RasterCachedFont* font = GetFont(f);
  if (!font) return f.size;
  // Measured from the ink of "H" drawn white on black.
  const int h = font->GetLineHeight() + 4, w = f.size * 2 + 4;
  RasterMemBitmap mask(w, h, 1);
  RasterFillRect(&mask, 0, 0, w, h, RasterPackColor(255, 0, 0, 0), 1.0f, 0);
  font->SetTextColor(RasterPackColor(255, 255, 255, 255));
  RasterRect r{2, 2, w, h};
  font->DrawText(&mask, "H", 1, &r, RASTER_DT_NOCLIP);
  int top = -1, bottom = -1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (RasterGetR(mask.getBits()[y * mask.getRowSpan() + x]) > 127)
      {
        if (top < 0) top = y;
        bottom = y;
      }
  return top < 0 ? f.size : bottom - top + 1;
}

Font Canvas::Scaled(const Font& f) const
{
  Font d = f;
  d.size = static_cast<int>(std::lround(f.size * mScale));
  d.tracking = f.tracking * mScale;
  return d;
}

void Canvas::Text(const char* text, float x, float baseline, const Font& f, const Color& c,
                  EAlign align)
{
  DeviceText(text, x * mScale, baseline * mScale, Scaled(f), c, align);
}

void Canvas::DeviceText(const char* text, float x, float baseline, const Font& f, const Color& c,
                        EAlign align)
{
  RasterCachedFont* font = GetFont(f);
  if (!font || !text || !*text) return;
  const int width = TextWidth(text, f);
  const int pad = f.size;
  const int w = width + 2 * pad, h = font->GetLineHeight() + 2 * pad;
  RasterMemBitmap mask(w, h, 1);
  RasterFillRect(&mask, 0, 0, w, h, RasterPackColor(255, 0, 0, 0), 1.0f, 0);
  font->SetTextColor(RasterPackColor(255, 255, 255, 255));
  if (f.tracking == 0.0f)
  {
    RasterRect r{pad, pad, w, h};
    font->DrawText(&mask, text, -1, &r, RASTER_DT_NOCLIP);
  }
  else
  {
    float pen = pad;
    for (const std::string& ch : Characters(text))
    {
      RasterRect r{static_cast<int>(std::lround(pen)), pad, w, h};
      font->DrawText(&mask, ch.c_str(), static_cast<int>(ch.size()), &r, RASTER_DT_NOCLIP);
      pen += Advance(font, ch) + f.tracking;
    }
  }
  const float left = align == kLeft ? x : (align == kCenter ? x - width * 0.5f : x - width);
  // Whole pixels keep the glyphs as crisp as the font service hinted them.
  const int ox = static_cast<int>(std::lround(left)) - pad;
  const int oy = static_cast<int>(std::lround(baseline)) - Ascent(f) - pad;
  for (int y = 0; y < h; ++y)
    for (int xx = 0; xx < w; ++xx)
    {
      const int cov = RasterGetR(mask.getBits()[y * mask.getRowSpan() + xx]);
      if (cov > 0) Blend(ox + xx, oy + y, c, cov / 255.0f);
    }
}

void Canvas::TextCapCentered(const char* text, float x, float cy, const Font& f, const Color& c,
                             EAlign align)
{
  // The cap height measured at device size centres the glyphs as hinted at that size.
  const Font d = Scaled(f);
  DeviceText(text, x * mScale, std::round(cy * mScale + CapHeight(d) * 0.5f), d, c, align);
}

bool WriteStrip(const std::vector<const Canvas*>& frames, const std::string& path)
{
  if (frames.empty()) return false;
  const int w = frames[0]->DeviceWidth(), h = frames[0]->DeviceHeight();
  RasterMemBitmap strip(w, h * static_cast<int>(frames.size()), 1);
  for (size_t i = 0; i < frames.size(); ++i)
  {
    std::unique_ptr<RasterMemBitmap> frame = frames[i]->ToBitmap();
    RasterBlit(&strip, frame.get(), 0, static_cast<int>(i) * h, 0, 0, w, h, 1.0f,
               RASTER_BLIT_MODE_COPY);
  }
  return RasterWritePNG(&strip, path.c_str());
}
