#pragma once
// The skin generator's drawing surface: premultiplied float pixels, shapes given as signed
// distance functions (antialiased by their distance to the edge), gradients, and text through the
// raster library's cached fonts. Images leave it as raster bitmaps and PNG files.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class RasterMemBitmap;

struct Color
{
  float r = 0, g = 0, b = 0, a = 1; // straight, 0..1
};

// 0xRRGGBB.
Color Hex(uint32_t rgb, float alpha = 1.0f);
Color Mix(const Color& a, const Color& b, float t);
Color WithAlpha(Color c, float alpha);
Color Lighten(const Color& c, float amount); // toward white (amount < 0: toward black)

float Clamp01(float v);
float SmoothStep(float e0, float e1, float x);

// Signed distances (negative inside), all in logical pixels.
float SdCircle(float x, float y, float cx, float cy, float r);
float SdRoundRect(float x, float y, float l, float t, float r, float b, float radius);
float SdSegment(float x, float y, float x1, float y1, float x2, float y2); // distance, unsigned
// The ring of radius r between two angles (radians, 0 up, clockwise), round ends; unsigned
// distance to its centre line.
float SdArc(float x, float y, float cx, float cy, float r, float a0, float a1);
// Convex polygon, either winding.
float SdConvex(float x, float y, const float* xs, const float* ys, int n);

enum EAlign
{
  kLeft = 0,
  kCenter = 1,
  kRight = 2
};

struct Font
{
  const char* face = "DejaVu Sans";
  int size = 10;
  bool bold = false;
  float tracking = 0.0f; // extra pixels after each character
};

// The drawing code speaks in logical (1x) pixels; the canvas holds round(size * scale) device
// pixels, samples each at its logical position and keeps edges one device pixel soft, so the same
// code draws a sharp image at every scale.
class Canvas
{
public:
  Canvas(int w, int h, float scale = 1.0f);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // Logical size.
  int Width() const { return mLogicalW; }
  int Height() const { return mLogicalH; }
  float Scale() const { return mScale; }
  int DeviceWidth() const { return mW; }
  int DeviceHeight() const { return mH; }

  // Source-over of a straight colour at the given coverage, at a device pixel.
  void Blend(int x, int y, const Color& c, float coverage);
  // Multiplies the device pixel's colour (not its alpha) by k: shading of what is already there.
  void Shade(int x, int y, float k);

  // Fills the pixels of the box whose centre lies inside the shape, antialiased over `soft`
  // logical pixels of distance (1 for a crisp edge, which stays one device pixel wide at every
  // scale; more for a glow or a shadow, which scales with the image).
  template <class Dist, class Paint>
  void Fill(float l, float t, float r, float b, Dist dist, Paint paint, float soft = 1.0f)
  {
    const float s = mScale;
    const float width = soft > 1.0f ? soft * s : soft;
    const int x0 = Lo((l - soft) * s), y0 = Lo((t - soft) * s);
    const int x1 = Hi((r + soft) * s), y1 = Hi((b + soft) * s);
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
      {
        const float px = (x + 0.5f) / s, py = (y + 0.5f) / s;
        const float cov = Clamp01(0.5f - dist(px, py) * s / width);
        if (cov > 0.0f) Blend(x, y, paint(px, py), cov);
      }
  }
  template <class Dist>
  void Fill(float l, float t, float r, float b, Dist dist, Color c, float soft = 1.0f)
  {
    Fill(
        l, t, r, b, dist, [c](float, float) { return c; }, soft);
  }

  void FillRect(float l, float t, float r, float b, const Color& c);
  // Vertical gradient from top colour to bottom colour over the rectangle.
  void FillRectV(int l, int t, int r, int b, const Color& top, const Color& bottom);
  void FillRoundRect(float l, float t, float r, float b, float radius, const Color& c);
  void FillRoundRectV(float l, float t, float r, float b, float radius, const Color& top,
                      const Color& bottom);
  void StrokeRoundRect(float l, float t, float r, float b, float radius, float width,
                       const Color& c);
  void FillCircle(float cx, float cy, float r, const Color& c, float soft = 1.0f);
  void StrokeCircle(float cx, float cy, float r, float width, const Color& c);
  void Line(float x1, float y1, float x2, float y2, float width, const Color& c);
  void Arc(float cx, float cy, float r, float a0, float a1, float width, const Color& c);
  void Polygon(const float* xs, const float* ys, int n, const Color& c);

  // Text with its baseline at y; x is the left edge, the centre or the right edge. The font is
  // rasterised at its size times the scale.
  void Text(const char* text, float x, float baseline, const Font& font, const Color& c,
            EAlign align = kLeft);
  // The same, with the capital letters' middle at cy.
  void TextCapCentered(const char* text, float x, float cy, const Font& font, const Color& c,
                       EAlign align = kLeft);
  // Logical measures (the font at 1x): layout is the same at every scale.
  static int TextWidth(const char* text, const Font& font);
  static int CapHeight(const Font& font);

  // Source-over of another canvas of the same scale at logical (x, y).
  void Draw(const Canvas& src, int x, int y);
  // The same, turned a quarter counter-clockwise (for text read from bottom to top); (x, y) is
  // where the source's top-left corner lands, its bottom-left corner.
  void DrawTurnedLeft(const Canvas& src, int x, int y);
  // Straight-alpha 8-bit pixels in the raster library's layout.
  std::unique_ptr<RasterMemBitmap> ToBitmap() const;

private:
  // Text in device pixels with a font already scaled.
  void DeviceText(const char* text, float x, float baseline, const Font& font, const Color& c,
                  EAlign align);
  Font Scaled(const Font& f) const;
  int Lo(float v) const;
  int Hi(float v) const;
  int mLogicalW, mLogicalH;
  float mScale;
  int mW, mH;             // device pixels
  std::vector<float> mPx; // premultiplied r, g, b, a
};

// Writes frames stacked vertically (all the same device size) as one PNG. False on failure.
bool WriteStrip(const std::vector<const Canvas*>& frames, const std::string& path);
