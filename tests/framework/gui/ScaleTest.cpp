// The engine at device scales: where logical rectangles land on the device, shapes and text drawn
// at device resolution, images taken from the smallest drawing large enough and resampled frame
// by frame, and a scale change picked up at the next tick.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "framework/gui/GuiTestPlugin.h"
#include "framework/gui/IGraphicsCaches.h"
#include "framework/platform/headless/IGraphicsHeadless.h"
#include "raster/Raster.h"

namespace
{
class Scaled : public ::testing::Test
{
protected:
  void SetUp() override { mGui = std::make_unique<IGraphicsHeadless>(&mPlug, 100, 80); }
  void At(float scale)
  {
    mGui->SetContentScale(scale);
    mGui->PrepDraw();
    mGui->SetDrawRect(IRECT(0, 0, 100, 80));
  }
  RasterPixel Device(int x, int y) { return RasterGetPixel(mGui->GetDrawBitmap(), x, y); }
  // Device pixels of the surface holding colour c.
  int Count(IColor c)
  {
    int n = 0;
    const RasterBitmap* s = mGui->GetDrawBitmap();
    for (int y = 0; y < s->getHeight(); ++y)
      for (int x = 0; x < s->getWidth(); ++x)
        n += Device(x, y) == c.Packed() ? 1 : 0;
    return n;
  }

  GuiTestPlugin mPlug;
  std::unique_ptr<IGraphicsHeadless> mGui;
};

TEST_F(Scaled, TheHostsScaleLimitedToOneToThreeSetsTheDeviceSize)
{
  IGraphicsHeadless editor(&mPlug, 1030, 436);
  const struct
  {
    float mHost, mDevice;
    int mW, mH;
  } cases[] = {{0.5f, 1.0f, 1030, 436},  {1.0f, 1.0f, 1030, 436},   {1.25f, 1.25f, 1288, 545},
               {1.5f, 1.5f, 1545, 654},  {1.75f, 1.75f, 1803, 763}, {2.0f, 2.0f, 2060, 872},
               {2.5f, 2.5f, 2575, 1090}, {3.0f, 3.0f, 3090, 1308},  {7.0f, 3.0f, 3090, 1308}};
  for (const auto& c : cases)
  {
    editor.SetContentScale(c.mHost);
    int w = 0, h = 0;
    editor.GetDeviceSize(&w, &h);
    EXPECT_FLOAT_EQ(c.mDevice, editor.GetDeviceScale()) << c.mHost;
    EXPECT_EQ(c.mW, w) << c.mHost;
    EXPECT_EQ(c.mH, h) << c.mHost;
    editor.PrepDraw();
    EXPECT_EQ(c.mW, editor.GetDrawBitmap()->getWidth()) << c.mHost;
    EXPECT_EQ(c.mH, editor.GetDrawBitmap()->getHeight()) << c.mHost;
  }
}

TEST_F(Scaled, LogicalRectanglesMapOntoSharedDeviceEdges)
{
  At(1.5f);
  EXPECT_EQ(IRECT(15, 15, 32, 32), mGui->DeviceRect(IRECT(10, 10, 21, 21)));
  // Neighbours share their device edge: nothing between them, nothing drawn twice.
  EXPECT_EQ(mGui->DeviceRect(IRECT(0, 0, 21, 5)).R, mGui->DeviceRect(IRECT(21, 0, 30, 5)).L);
  EXPECT_EQ(IRECT(0, 0, 150, 120), mGui->DeviceRect(IRECT(-5, -5, 200, 200))); // cut to the surface
  // Device positions back to logical ones: every device pixel of a logical pixel finds it.
  EXPECT_EQ(9, mGui->LogicalCoord(14));
  EXPECT_EQ(10, mGui->LogicalCoord(15));
  EXPECT_EQ(10, mGui->LogicalCoord(16));
  EXPECT_EQ(-1, mGui->LogicalCoord(-1));
  EXPECT_EQ(IRECT(10, 9, 21, 21), mGui->LogicalRect(IRECT(15, 14, 31, 31)));
}

TEST_F(Scaled, FillsLinesAndPixelsCoverTheirWholeDeviceArea)
{
  for (const float s : {1.5f, 2.0f, 2.5f})
  {
    SCOPED_TRACE(s);
    At(s);
    const IRECT r(10, 10, 20, 30);
    mGui->FillIRect(&COLOR_RED, const_cast<IRECT*>(&r));
    const IRECT d = mGui->DeviceRect(r);
    EXPECT_EQ(d.W() * d.H(), Count(COLOR_RED));
    EXPECT_EQ(COLOR_RED.Packed(), Device(d.L, d.T));
    EXPECT_EQ(COLOR_RED.Packed(), Device(d.R - 1, d.B - 1));

    // A one-pixel line is as thick as a logical pixel, and as long as its pixels.
    mGui->DrawHorizontalLine(&COLOR_BLUE, 50, 40, 59);
    const IRECT line = mGui->DeviceRect(IRECT(40, 50, 60, 51));
    EXPECT_EQ(line.W() * line.H(), Count(COLOR_BLUE));
    mGui->DrawLine(&COLOR_GREEN, 5.0f, 70.0f, 95.0f, 70.0f);
    int thick = 0;
    for (int y = 0; y < mGui->GetDrawBitmap()->getHeight(); ++y)
      thick += Device(mGui->DeviceRect(IRECT(50, 0, 51, 1)).L, y) == COLOR_GREEN.Packed() ? 1 : 0;
    EXPECT_EQ(static_cast<int>(std::lround(s)), thick);

    mGui->ForcePixel(&COLOR_YELLOW, 80, 5);
    EXPECT_EQ(COLOR_YELLOW, mGui->GetPoint(80, 5));
    const IRECT px = mGui->DeviceRect(IRECT(80, 5, 81, 6));
    EXPECT_EQ(px.W() * px.H(), Count(COLOR_YELLOW));
  }
}

// The height in device pixels of what the text drew.
int InkHeight(const RasterBitmap* s)
{
  int top = -1, bottom = -1;
  for (int y = 0; y < s->getHeight(); ++y)
    for (int x = 0; x < s->getWidth(); ++x)
      if (RasterGetA(RasterGetPixel(s, x, y)) > 0)
      {
        if (top < 0) top = y;
        bottom = y;
      }
  return top < 0 ? 0 : bottom - top + 1;
}

TEST_F(Scaled, TextIsRasterisedAtTheDeviceSize)
{
  IText style(14, &COLOR_WHITE, "Arial", IText::kTextRegular, IText::kAlignLeft);
  RasterCachedFont* device = mGui->CacheDeviceFont(&style, 1.5f);
  ASSERT_NE(device, nullptr);
  EXPECT_NEAR(21, device->GetLineHeight(), 1); // a 21-pixel font, not 14 pixels enlarged
  EXPECT_EQ(nullptr, style.mCached);           // the caller's style is left alone

  int ink[2] = {0, 0};
  IRECT measured[2];
  for (int i = 0; i < 2; ++i)
  {
    At(i == 0 ? 1.0f : 1.5f);
    IRECT r(5, 5, 95, 40);
    ASSERT_TRUE(mGui->DrawIText(&style, "Hg 20 kHz", &r));
    ink[i] = InkHeight(mGui->GetDrawBitmap());
    measured[i] = IRECT(5, 5, 95, 40);
    ASSERT_TRUE(mGui->MeasureIText(&style, "Hg 20 kHz", &measured[i]));
  }
  EXPECT_NEAR(ink[0] * 1.5, ink[1], 2.0);
  // Measuring answers in logical pixels at any scale.
  EXPECT_NEAR(measured[0].W(), measured[1].W(), 2);
  EXPECT_NEAR(measured[0].H(), measured[1].H(), 2);
}

class ScaledImages : public Scaled
{
protected:
  void SetUp() override
  {
    Scaled::SetUp();
    char dir[] = "/tmp/tarvo-scale-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    mDir = dir;
    mGui->SetResourceFolder(mDir.c_str());
  }
  void TearDown() override
  {
    for (const char* f : {"/k.png", "/k@2x.png", "/k@3x.png"})
      std::remove((mDir + f).c_str());
    rmdir(mDir.c_str());
  }
  // A strip of two 4 x 3 frames at the factor: frame k has red 100 (k = 0) or 200 (k = 1), and
  // blue 10 times the factor, so a device pixel tells which drawing and frame it came from.
  void WriteStrip(int factor)
  {
    const int w = 4 * factor, fh = 3 * factor;
    RasterMemBitmap bmp(w, 2 * fh, 4);
    for (int k = 0; k < 2; ++k)
      RasterFillRect(&bmp, 0, k * fh, w, fh, IColor(255, 100 * (k + 1), 0, 10 * factor).Packed(),
                     1.0f, 0);
    const std::string name = factor == 1 ? "/k.png" : "/k@" + std::to_string(factor) + "x.png";
    ASSERT_TRUE(RasterWritePNG(&bmp, (mDir + name).c_str()));
  }
  // Draws the second frame at (10, 10) and checks every device pixel of it.
  void ExpectSecondFrameFrom(int id, float scale, int factor)
  {
    At(scale);
    IBitmap strip = mGui->LoadIBitmap(id, "img/k.png", 2);
    ASSERT_EQ(4, strip.W);
    ASSERT_EQ(6, strip.H);
    IRECT dest(10, 10, 14, 13);
    mGui->DrawBitmap(&strip, &dest, 2);
    const IColor want(255, 200, 0, 10 * factor);
    const IRECT d = mGui->DeviceRect(dest);
    EXPECT_EQ(d.W() * d.H(), Count(want)) << "scale " << scale;
    // Nothing of the first frame, nor anything outside the frame's device area.
    EXPECT_EQ(0, Count(IColor(255, 100, 0, 10 * factor)));
    EXPECT_EQ(0u, Device(d.R, d.T));
    EXPECT_EQ(0u, Device(d.L, d.B));
  }
  std::string mDir;
};

TEST_F(ScaledImages, TheSmallestDrawingLargeEnoughIsUsedFrameByFrame)
{
  for (const int f : {1, 2, 3})
    WriteStrip(f);
  ExpectSecondFrameFrom(9101, 1.0f, 1);
  ExpectSecondFrameFrom(9101, 1.25f, 2);
  ExpectSecondFrameFrom(9101, 1.5f, 2);
  ExpectSecondFrameFrom(9101, 2.0f, 2);
  ExpectSecondFrameFrom(9101, 2.5f, 3);
  ExpectSecondFrameFrom(9101, 3.0f, 3);

  // One device image per scale, made once, gone with its bitmap.
  ExpectSecondFrameFrom(9101, 1.5f, 2);
  const int cached = s_deviceBitmapCache.GetSize(1.5f);
  ExpectSecondFrameFrom(9101, 1.5f, 2);
  EXPECT_EQ(cached, s_deviceBitmapCache.GetSize(1.5f));
  IBitmap strip = mGui->LoadIBitmap(9101, "img/k.png", 2);
  mGui->ReleaseBitmap(&strip);
  EXPECT_EQ(cached - 1, s_deviceBitmapCache.GetSize(1.5f));
}

TEST_F(ScaledImages, AScalesImagesLiveWhileSomeOpenEditorDrawsAtIt)
{
  for (const int f : {1, 2, 3})
    WriteStrip(f);
  IGraphicsHeadless other(&mPlug, 100, 80);
  other.SetResourceFolder(mDir.c_str());
  auto otherAt = [&](float scale)
  {
    other.SetContentScale(scale);
    other.PrepDraw();
    other.SetDrawRect(IRECT(0, 0, 100, 80));
    IBitmap strip = other.LoadIBitmap(9104, "img/k.png", 2);
    IRECT dest(10, 10, 14, 13);
    other.DrawBitmap(&strip, &dest, 2);
  };
  auto kept = [](float scale) { return s_deviceBitmapCache.GetSize(scale); };

  // Stepping one editor through zooms keeps only the scale it is at.
  for (const float s : {1.25f, 1.5f, 1.75f, 2.0f})
    ExpectSecondFrameFrom(9104, s, 2);
  EXPECT_EQ(0, kept(1.25f) + kept(1.5f) + kept(1.75f));
  EXPECT_EQ(1, kept(2.0f));
  // Back to 1, which needs no device images, lets 2 go too.
  ExpectSecondFrameFrom(9104, 1.0f, 1);
  EXPECT_EQ(0, kept(2.0f));

  // Two editors at 2 share the image; the one that moves to 1.5 leaves it to the other.
  ExpectSecondFrameFrom(9104, 2.0f, 2);
  otherAt(2.0f);
  EXPECT_EQ(1, kept(2.0f));
  IBitmap strip = mGui->LoadIBitmap(9104, "img/k.png", 2);
  const IGraphics::DeviceImage drawing = other.GetDeviceImage(&strip);
  ExpectSecondFrameFrom(9104, 1.5f, 2);
  EXPECT_EQ(1, kept(2.0f));
  EXPECT_EQ(1, kept(1.5f));
  otherAt(1.5f);
  EXPECT_EQ(0, kept(2.0f));
  EXPECT_EQ(1, kept(1.5f));
  // An image handed out for a draw outlives its scale's leaving the cache.
  ASSERT_NE(drawing.mBitmap, nullptr);
  EXPECT_EQ(IColor(255, 200, 0, 20).Packed(),
            RasterGetPixel(drawing.mBitmap, 0, drawing.mBitmap->getHeight() - 1));

  // Closing keeps the scale for the editor still open; the last one to close frees it.
  mGui->DetachFromParent();
  EXPECT_EQ(1, kept(1.5f));
  other.DetachFromParent();
  EXPECT_EQ(0, kept(1.5f));
  // Drawing again after reopening makes the images anew; destroying the editor frees them.
  ExpectSecondFrameFrom(9104, 1.5f, 2);
  EXPECT_EQ(1, kept(1.5f));
  mGui.reset();
  EXPECT_EQ(0, kept(1.5f));
}

TEST_F(ScaledImages, MissingDrawingsFallBackToLargerOnesThenToTheOneTimesImage)
{
  WriteStrip(1);
  WriteStrip(3);
  ExpectSecondFrameFrom(9102, 1.5f, 3); // no @2x: the @3x one
  std::remove((mDir + "/k@3x.png").c_str());
  ExpectSecondFrameFrom(9103, 2.0f, 1); // none at all: the 1x image enlarged
}

TEST_F(Scaled, AScaleChangeRedrawsEverythingAtTheNextTick)
{
  auto* panel = new ProbeControl(&mPlug, IRECT(0, 0, 100, 80));
  panel->mFill = true;
  auto* corner = new ProbeControl(&mPlug, IRECT(90, 70, 100, 80));
  mGui->AttachControl(panel);
  mGui->AttachControl(corner);
  mGui->PrepDraw();
  mGui->DrawAll();
  EXPECT_FALSE(mGui->Tick());

  mGui->SetContentScale(1.75f);
  EXPECT_EQ(100, mGui->GetDrawBitmap()->getWidth()); // the surface follows at the tick
  const int draws = corner->mDraws;
  IRECT r;
  ASSERT_TRUE(mGui->Tick(&r));
  EXPECT_EQ(IRECT(0, 0, 100, 80), r);
  EXPECT_EQ(IRECT(0, 0, 100, 80), mGui->GetLastDrawScreenRect());
  EXPECT_EQ(draws + 1, corner->mDraws);
  EXPECT_EQ(175, mGui->GetDrawBitmap()->getWidth());
  EXPECT_EQ(140, mGui->GetDrawBitmap()->getHeight());
  EXPECT_EQ(175 * 140, Count(COLOR_RED));
  EXPECT_FALSE(mGui->SyncDeviceScale());
}
} // namespace
