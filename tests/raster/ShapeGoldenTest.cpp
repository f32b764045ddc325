// Shapes, rotated blits and text rendered into small surfaces and compared with checked-in
// images (regenerate with TARVO_UPDATE_GOLDEN=1 and look at them before committing).

#include <gtest/gtest.h>

#include <cmath>

#include "raster/FontconfigLeaks.h"
#include "raster/Golden.h"
#include "raster/Raster.h"

namespace
{

const RasterPixel kBack = RasterPackColor(255, 24, 26, 32);
const RasterPixel kWhite = RasterPackColor(255, 255, 255, 255);
const RasterPixel kOrange = RasterPackColor(255, 255, 127, 0);
const RasterPixel kCyan = RasterPackColor(255, 40, 200, 230);
const RasterPixel kHalfRed = RasterPackColor(128, 255, 40, 40);

RasterMemBitmap Surface(int w, int h)
{
  RasterMemBitmap b(w, h);
  RasterFillRect(&b, 0, 0, w, h, kBack, 1.0f, 0);
  return b;
}

void Star(RasterBitmap* b, int cx, int cy, int r, bool aa)
{
  for (int i = 0; i < 16; ++i)
  {
    const double t = i * 3.14159265358979 / 8;
    RasterLine(b, cx, cy, cx + int(std::lround(r * std::sin(t))),
               cy - int(std::lround(r * std::cos(t))), i % 2 ? kWhite : kOrange, 1.0f, 0x10000, aa);
  }
}

} // namespace

TEST(RasterGolden, Lines)
{
  for (bool aa : {false, true})
  {
    RasterMemBitmap b = Surface(48, 40);
    Star(&b, 20, 20, 17, aa);
    RasterLine(&b, 40, 2, 46, 37, kHalfRed, 1.0f, 0x10000, aa); // half-transparent colour
    RasterLine(&b, 38, 37, 47, 30, kCyan, 0.5f, 0x10001, aa);   // additive, half weight
    RasterLine(&b, -30, 45, 60, -10, kCyan, 1.0f, 0x10000, aa); // both ends outside
    EXPECT_TRUE(MatchesGolden(b, aa ? "lines_aa" : "lines"));
  }
}

TEST(RasterGolden, ArcsAndCircles)
{
  RasterMemBitmap b = Surface(64, 40);
  // Knob-style value arcs: 0 is up, angles grow clockwise.
  RasterArc(&b, 14, 14, 10, -2.356f, 2.356f, kOrange, 1.0f, 0x10000, false);
  RasterArc(&b, 14, 14, 7, -2.356f, 0.5f, kWhite, 1.0f, 0x10000, true);
  RasterArc(&b, 40, 14, 10, 0.0f, 1.5708f, kCyan, 1.0f, 0x10000, true);
  RasterArc(&b, 40, 14, 6, 4.0f, -1.0f, kWhite, 1.0f, 0x10000, false); // swapped ends
  RasterCircle(&b, 56, 8, 5.5f, kWhite, 1.0f, 0x10000, false);
  RasterCircle(&b, 56, 22, 5.5f, kWhite, 1.0f, 0x10000, true);
  RasterCircle(&b, 10, 34, 0, kOrange, 1.0f, 0x10000, false);
  RasterCircle(&b, 20, 33, 3, kHalfRed, 1.0f, 0x10000, true);
  RasterCircle(&b, 60, 38, 12, kCyan, 1.0f, 0x10000, true); // clipped by two edges
  EXPECT_TRUE(MatchesGolden(b, "arcs_circles"));
}

TEST(RasterGolden, FilledCircles)
{
  RasterMemBitmap b = Surface(48, 24);
  RasterFillCircle(&b, 8, 8, 6, kOrange, 1.0f, 0x10000, false);
  RasterFillCircle(&b, 24, 8, 6, kOrange, 1.0f, 0x10000, true);
  RasterFillCircle(&b, 39.5f, 8.5f, 5.3f, kWhite, 1.0f, 0x10000, true);
  RasterFillCircle(&b, 8, 20, 2, kCyan, 1.0f, 0x10000, false);
  RasterFillCircle(&b, 20, 20, 7, kHalfRed, 1.0f, 0x10000, true);
  RasterFillCircle(&b, 46, 22, 6, kCyan, 0.5f, 0x10001, true); // clipped
  EXPECT_TRUE(MatchesGolden(b, "fill_circles"));
}

TEST(RasterGolden, RoundedRectangles)
{
  RasterMemBitmap b = Surface(64, 32);
  RasterRoundRect(&b, 2, 2, 26, 12, 4, kWhite, 1.0f, 0x10000, false);
  RasterRoundRect(&b, 34, 2, 26, 12, 4, kWhite, 1.0f, 0x10000, true);
  RasterRoundRect(&b, 2, 18, 12, 12, 6, kOrange, 1.0f, 0x10000, false); // a circle
  RasterRoundRect(&b, 18, 18, 10, 8, 0, kCyan, 1.0f, 0x10000, false);
  // A filled rounded rectangle as the engine builds one: three rectangles and four circles.
  const int L = 34, T = 18, W = 26, H = 12, cr = 4, R = L + W, B = T + H;
  RasterFillRect(&b, L + cr, T, W - 2 * cr, H, kOrange, 1.0f, 0x10000);
  RasterFillRect(&b, L, T + cr, cr, H - 2 * cr, kOrange, 1.0f, 0x10000);
  RasterFillRect(&b, R - cr, T + cr, cr, H - 2 * cr, kOrange, 1.0f, 0x10000);
  RasterFillCircle(&b, L + cr, T + cr, cr, kOrange, 1.0f, 0x10000, true);
  RasterFillCircle(&b, R - cr - 1, B - cr - 1, cr, kOrange, 1.0f, 0x10000, true);
  RasterFillCircle(&b, R - cr - 1, T + cr, cr, kOrange, 1.0f, 0x10000, true);
  RasterFillCircle(&b, L + cr, B - cr - 1, cr, kOrange, 1.0f, 0x10000, true);
  EXPECT_TRUE(MatchesGolden(b, "round_rects"));
}

TEST(RasterGolden, TrianglesAndPolygons)
{
  RasterMemBitmap b = Surface(48, 32);
  RasterFillTriangle(&b, 2, 2, 20, 4, 6, 20, kOrange, 1.0f, 0x10000);
  RasterFillTriangle(&b, 24, 2, 24, 2, 40, 10, kWhite, 1.0f, 0x10000); // degenerate: a line
  RasterFillTriangle(&b, 30, 6, 46, 28, 20, 28, kHalfRed, 1.0f, 0x10000);
  const int xs[] = {4, 12, 16, 12, 4, 0}, ys[] = {22, 22, 26, 30, 30, 26};
  RasterFillConvexPolygon(&b, xs, ys, 6, kCyan, 1.0f, 0x10000);
  const int px[] = {40, 52, 44}, py[] = {-4, 6, 10};
  RasterFillConvexPolygon(&b, px, py, 3, kWhite, 0.5f, 0x10000); // clipped
  EXPECT_TRUE(MatchesGolden(b, "polygons"));
}

TEST(RasterGolden, RotatedAndScaledBlits)
{
  // A knob-like image: a disc with a pointer, on a transparent ground.
  RasterMemBitmap knob(15, 15);
  RasterFillCircle(&knob, 7, 7, 6.5f, RasterPackColor(255, 90, 96, 110), 1.0f, 0x10000, true);
  RasterFillRect(&knob, 7, 1, 1, 6, kOrange, 1.0f, 0x10000);
  RasterMemBitmap b = Surface(64, 40);
  const float angles[] = {0.0f, 0.5236f, -1.5708f, 2.5f};
  for (int i = 0; i < 4; ++i)
    RasterRotatedBlit(&b, &knob, 1 + 16 * i, 1, 15, 15, 0, 0, 15, 15, angles[i], false, 1.0f,
                      0x10100, 0, 0);
  // Turned about a point below the centre, nearest-pixel sampling, half weight, additive.
  RasterRotatedBlit(&b, &knob, 1, 20, 15, 15, 0, 0, 15, 15, 0.7f, false, 1.0f, 0x10000, 0, 3);
  RasterRotatedBlit(&b, &knob, 17, 20, 15, 15, 0, 0, 15, 15, 0.7f, true, 0.5f, 0x10100, -0.5f, 0);
  RasterRotatedBlit(&b, &knob, 33, 20, 15, 15, 0, 0, 15, 15, 1.2f, false, 1.0f, 0x10101, 0, 0);
  RasterScaledBlit(&b, &knob, 50, 20, 12, 19, 0, 0, 15, 15, 1.0f, 0x100);
  EXPECT_TRUE(MatchesGolden(b, "rotated_blits"));
}

TEST(RasterGolden, Text)
{
  RasterCachedFont font, bold;
  ASSERT_TRUE(
      font.SetFromHFont(CreateFont(12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"), 0x600));
  ASSERT_TRUE(
      bold.SetFromHFont(CreateFont(11, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 4, 0, "Arial"), 0x600));
  RasterMemBitmap b = Surface(96, 56);
  font.SetTextColor(kWhite);
  RasterRect r{2, 2, 94, 16};
  font.DrawText(&b, "Gain -3.5 dB", -1, &r, 0x100);
  r = RasterRect{2, 16, 94, 30};
  bold.SetTextColor(kOrange);
  bold.DrawText(&b, "1.2 kHz", -1, &r, 0x4 | 0x100);
  r = RasterRect{2, 30, 94, 44};
  font.SetTextColor(RasterPackColor(160, 40, 200, 230));
  font.DrawText(&b, "Q 0.71", -1, &r, 0x20 | 0x40000000);
  r = RasterRect{40, 44, 60, 56}; // clipped to its rectangle
  font.SetTextColor(kWhite);
  font.DrawText(&b, "Clipped", -1, &r, 0);
  EXPECT_TRUE(MatchesGolden(b, "text"));
}

TEST(RasterGolden, TurnedText)
{
  // Orientation 900: the baseline turned a quarter counter-clockwise, reading upward.
  RasterCachedFont font;
  ASSERT_TRUE(
      font.SetFromHFont(CreateFont(11, 0, 900, 900, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"), 0x600));
  RasterMemBitmap b = Surface(20, 60);
  font.SetTextColor(kWhite);
  RasterRect r{2, 56, 60, 70};
  font.DrawText(&b, "-24 dB", -1, &r, 0x100);
  EXPECT_TRUE(MatchesGolden(b, "text_turned"));
}
