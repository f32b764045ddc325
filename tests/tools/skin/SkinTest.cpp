// The editor's images at 1x, 2x and 3x: sizes and frame structure, agreement with the 1x image,
// and real device resolution (not the 1x pixels enlarged); the canvas's scaled edges and text.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "raster/Raster.h"
#include "tools/skin/Canvas.h"
#include "tools/skin/Skin.h"

namespace
{
using Image = std::unique_ptr<RasterMemBitmap>;

Image Load(const std::string& name, int scale)
{
  std::string path = std::string(TARVO_SKIN_DIR) + "/" + name;
  if (scale > 1) path += "@" + std::to_string(scale) + "x";
  return Image(RasterLoadPNG((path + ".png").c_str()));
}

RasterPixel At(const RasterBitmap& b, int x, int y)
{
  return const_cast<RasterBitmap&>(b).getBits()[y * b.getRowSpan() + x];
}

int Channel(RasterPixel p, int i)
{
  switch (i)
  {
  case 0:
    return RasterGetR(p);
  case 1:
    return RasterGetG(p);
  case 2:
    return RasterGetB(p);
  default:
    return RasterGetA(p);
  }
}

struct SkinImage
{
  const char* name;
  int w, h, frames;
};

const SkinImage kImages[] = {
    {"bg", skin::kEditorW, skin::kEditorH, 1},
    {"about", skin::kEditorW, skin::kEditorH, 1},
    {"knob_s_w", skin::kSmallKnobW, skin::kSmallKnobH, 201},
    {"knob_s_wb", skin::kSmallKnobW, skin::kSmallKnobH, 201},
    {"knob_b_b", skin::kBigKnobW, skin::kBigKnobH, 201},
    {"sw", skin::kKeyW, skin::kKeyH, 2},
    {"swg", skin::kKeyW, skin::kKeyH, 2},
    {"switch", skin::kToggleW, skin::kToggleH, 2},
    {"slider", skin::kHandleW, skin::kHandleH, 1},
    {"arrow_pt_left", skin::kArrowW, skin::kArrowH, 2},
    {"arrow_pt_right", skin::kArrowW, skin::kArrowH, 2},
    {"pm_save", skin::kPresetButtonW, skin::kPresetButtonH, 2},
    {"pm_undo", skin::kPresetButtonW, skin::kPresetButtonH, 2},
};

// Mean absolute difference per channel between a frame of the 1x image and the same frame of the
// scaled one averaged down over scale x scale boxes (straight colours weighted by alpha).
double DifferenceFromBoxAverage(const RasterBitmap& one, int oneFrame, const RasterBitmap& big,
                                int bigFrame, int scale, int frameH)
{
  double sum = 0;
  const int w = one.getWidth();
  for (int y = 0; y < frameH; ++y)
    for (int x = 0; x < w; ++x)
    {
      double acc[4] = {0, 0, 0, 0};
      for (int j = 0; j < scale; ++j)
        for (int i = 0; i < scale; ++i)
        {
          const RasterPixel p = At(big, x * scale + i, (bigFrame * frameH + y) * scale + j);
          const double a = RasterGetA(p) / 255.0;
          for (int k = 0; k < 3; ++k)
            acc[k] += Channel(p, k) * a;
          acc[3] += a;
        }
      const RasterPixel p = At(one, x, oneFrame * frameH + y);
      const double a = acc[3] / (scale * scale);
      sum += std::fabs(a * 255.0 - RasterGetA(p));
      for (int k = 0; k < 3; ++k)
        sum += std::fabs((acc[3] > 0 ? acc[k] / acc[3] : 0.0) - Channel(p, k)) *
               (RasterGetA(p) / 255.0);
    }
  return sum / (4.0 * w * frameH);
}

// Pixels of a 2x frame that differ by more than `level` in some channel from the 1x frame with
// each pixel doubled.
int DifferencesFromDoubling(const RasterBitmap& one, const RasterBitmap& two, int frameH, int frame,
                            int level)
{
  int count = 0;
  for (int y = 0; y < 2 * frameH; ++y)
    for (int x = 0; x < two.getWidth(); ++x)
    {
      const RasterPixel a = At(two, x, 2 * frameH * frame + y);
      const RasterPixel b = At(one, x / 2, frameH * frame + y / 2);
      for (int k = 0; k < 4; ++k)
        if (std::abs(Channel(a, k) - Channel(b, k)) > level)
        {
          ++count;
          break;
        }
    }
  return count;
}
} // namespace

TEST(SkinImages, EveryImageAtEveryScaleHasItsSizeAndFramesWithinTheLoadersLimit)
{
  for (const SkinImage& image : kImages)
    for (int scale = 1; scale <= 3; ++scale)
    {
      SCOPED_TRACE(std::string(image.name) + " at " + std::to_string(scale) + "x");
      const Image img = Load(image.name, scale);
      ASSERT_TRUE(img) << "missing or refused by the loader";
      EXPECT_EQ(img->getWidth(), image.w * scale);
      EXPECT_EQ(img->getHeight(), image.h * scale * image.frames);
      EXPECT_TRUE(RasterImageSizeAllowed(img->getWidth(), img->getHeight()));
    }
  // The largest, the big knob's strip at 3x, loads.
  const Image largest = Load("knob_b_b", 3);
  ASSERT_TRUE(largest);
  EXPECT_EQ(largest->getWidth(), 213);
  EXPECT_EQ(largest->getHeight(), 47034);
}

TEST(SkinImages, ScaledImagesAveragedDownMatchTheOneTimesImageFrameByFrame)
{
  // Misplaced shapes, text at the wrong size or place, or frames out of order show as large
  // differences; the finer edges and hinting only as small ones.
  struct Case
  {
    const char* name;
    int frameH;
    int frames[3];
  };
  const Case cases[] = {{"bg", skin::kEditorH, {0, 0, 0}},
                        {"knob_b_b", skin::kBigKnobH, {0, 100, 200}},
                        {"knob_s_wb", skin::kSmallKnobH, {0, 37, 200}},
                        {"sw", skin::kKeyH, {0, 0, 1}}};
  for (const Case& c : cases)
  {
    const Image one = Load(c.name, 1);
    ASSERT_TRUE(one);
    for (int scale = 2; scale <= 3; ++scale)
    {
      const Image big = Load(c.name, scale);
      ASSERT_TRUE(big);
      for (int frame : c.frames)
      {
        SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(scale) + "x, frame " +
                     std::to_string(frame));
        EXPECT_LT(DifferenceFromBoxAverage(*one, frame, *big, frame, scale, c.frameH), 4.0);
      }
      // Another frame's picture fails the same check.
      if (c.frames[2] != 0)
      {
        EXPECT_GT(DifferenceFromBoxAverage(*one, c.frames[2], *big, 0, scale, c.frameH), 4.0)
            << c.name;
      }
    }
  }
}

TEST(SkinImages, TwoTimesImagesAreDrawnAtDeviceResolutionNotDoubled)
{
  // The background carries text, outlines and scales: its edges land between the 1x pixels
  // (about 30000 pixels differ clearly from the doubled 1x picture).
  const Image bg1 = Load("bg", 1), bg2 = Load("bg", 2);
  ASSERT_TRUE(bg1 && bg2);
  EXPECT_GT(DifferencesFromDoubling(*bg1, *bg2, skin::kEditorH, 0, 24), 20000);
  // A knob frame has neither grain nor text: what differs there are the outlines (about 1900
  // pixels; with shapes sampled at 1x and only the shadows drawn anew, about 800).
  const Image knob1 = Load("knob_b_b", 1), knob2 = Load("knob_b_b", 2);
  ASSERT_TRUE(knob1 && knob2);
  EXPECT_GT(DifferencesFromDoubling(*knob1, *knob2, skin::kBigKnobH, 100, 24), 1400);
}

TEST(SkinCanvas, EdgesStayOneDevicePixelSoftAtEveryScale)
{
  for (float scale : {1.0f, 2.0f, 3.0f})
  {
    SCOPED_TRACE(scale);
    Canvas c(40, 40, scale);
    ASSERT_EQ(c.DeviceWidth(), static_cast<int>(40 * scale));
    c.FillCircle(20, 20, 12.3f, Color{1, 1, 1, 1});
    const std::unique_ptr<RasterMemBitmap> bmp = c.ToBitmap();
    // Along the middle row: opaque inside, clear outside, at most two partial pixels per edge,
    // and the edge where 12.3 logical pixels put it.
    const int y = static_cast<int>(20 * scale);
    int partial = 0, first = -1, last = -1;
    for (int x = 0; x < bmp->getWidth(); ++x)
    {
      const int a = RasterGetA(At(*bmp, x, y));
      if (a > 0 && a < 255) ++partial;
      if (a >= 128)
      {
        if (first < 0) first = x;
        last = x;
      }
    }
    EXPECT_LE(partial, 4);
    EXPECT_NEAR((last - first + 1) / scale, 24.6f, 1.0f / scale + 0.01f);
    // A shadow's softness is logical: it widens with the scale.
    Canvas s(40, 40, scale);
    s.FillCircle(20, 20, 10, Color{0, 0, 0, 1}, 4.0f);
    const std::unique_ptr<RasterMemBitmap> sb = s.ToBitmap();
    int soft = 0;
    for (int x = 0; x < sb->getWidth(); ++x)
    {
      const int a = RasterGetA(At(*sb, x, y));
      soft += a > 0 && a < 255;
    }
    EXPECT_GE(soft, static_cast<int>(6 * scale));
  }
}

TEST(SkinCanvas, TextIsRasterisedAtTheScaledSizeWithAntialiasedEdges)
{
  auto draw = [](float scale)
  {
    Canvas c(80, 24, scale);
    c.TextCapCentered("GAIN 20k", 40, 12, skin::LabelFont(8, 1.2f), Color{1, 1, 1, 1}, kCenter);
    return c.ToBitmap();
  };
  const std::unique_ptr<RasterMemBitmap> one = draw(1), two = draw(2);
  struct Ink
  {
    int l = 1 << 20, t = 1 << 20, r = -1, b = -1, partial = 0;
  };
  auto ink = [](const RasterMemBitmap& bmp)
  {
    Ink k;
    for (int y = 0; y < bmp.getHeight(); ++y)
      for (int x = 0; x < bmp.getWidth(); ++x)
      {
        const int a = RasterGetA(At(bmp, x, y));
        if (a == 0) continue;
        k.l = std::min(k.l, x), k.r = std::max(k.r, x), k.t = std::min(k.t, y),
        k.b = std::max(k.b, y);
        if (a > 20 && a < 235) ++k.partial;
      }
    return k;
  };
  const Ink a = ink(*one), b = ink(*two);
  ASSERT_GE(a.r, 0);
  ASSERT_GE(b.r, 0);
  // Twice the size, in the same place.
  EXPECT_NEAR(b.r - b.l + 1, 2 * (a.r - a.l + 1), 4);
  EXPECT_NEAR(b.b - b.t + 1, 2 * (a.b - a.t + 1), 3);
  EXPECT_NEAR((b.l + b.r) * 0.5, (a.l + a.r + 1), 3);
  EXPECT_NEAR((b.t + b.b) * 0.5, (a.t + a.b + 1), 3);
  // Edges antialiased at device resolution: a doubled 1x mask would hold four times the 1x
  // partial pixels in 2 x 2 blocks; a font drawn at 2x has edges one device pixel wide, and the
  // 2x mask is not the doubled 1x mask.
  EXPECT_GT(b.partial, a.partial);
  int blocks = 0, same = 0;
  for (int y = 0; y < one->getHeight(); ++y)
    for (int x = 0; x < one->getWidth(); ++x)
    {
      const int a1 = RasterGetA(At(*one, x, y));
      if (a1 == 0) continue;
      ++blocks;
      bool equal = true;
      for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i)
          equal &= std::abs(RasterGetA(At(*two, 2 * x + i, 2 * y + j)) - a1) <= 8;
      same += equal;
    }
  EXPECT_LT(same, blocks / 2);
}
