// Drawing through the engine onto its surface: the blend-to-mode mapping, frame selection,
// clipping to the control being drawn, the composite knob mask, rounded fills, text measuring,
// and the image and font caches.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "framework/gui/GuiTestPlugin.h"
#include "framework/gui/IGraphicsCaches.h"
#include "framework/platform/headless/IGraphicsHeadless.h"
#include "raster/FontconfigLeaks.h"
#include "raster/Raster.h"

namespace
{
// A bitmap whose every row has its own colour, so the row a blit read from can be told from the
// pixel it wrote.
IBitmap RowCodedStrip(IGraphics& g, int w, int h, int frames)
{
  auto* bmp = new RasterMemBitmap(w, h, 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      bmp->getBits()[y * bmp->getRowSpan() + x] = IColor(255, y & 0xFF, y >> 8, x & 0xFF).Packed();
  IBitmap b(bmp, w, h, frames);
  g.RetainBitmap(&b);
  return b;
}

IBitmap Solid(IGraphics& g, int w, int h, IColor c)
{
  auto* bmp = new RasterMemBitmap(w, h, 4);
  RasterFillRect(bmp, 0, 0, w, h, c.Packed(), 1.0f, 0);
  IBitmap b(bmp, w, h, 1);
  g.RetainBitmap(&b);
  return b;
}

class Draw : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mGui = std::make_unique<IGraphicsHeadless>(&mPlug, 100, 80);
    mGui->PrepDraw();
    mAll = IRECT(0, 0, 100, 80);
    mGui->SetDrawRect(mAll);
  }
  int RowAt(int x, int y)
  {
    const IColor c = mGui->GetPoint(x, y);
    return c.R | c.G << 8;
  }

  GuiTestPlugin mPlug;
  std::unique_ptr<IGraphicsHeadless> mGui;
  IRECT mAll;
};

TEST(Values, RectangleAndColourRules)
{
  const IRECT a(10, 10, 20, 20), b(20, 10, 30, 20);
  EXPECT_TRUE(a.Intersects(b));     // a shared edge counts...
  EXPECT_EQ(a.Intersect(b).W(), 0); // ...but covers nothing
  EXPECT_FALSE(a.Intersects(IRECT(21, 10, 30, 20)));
  EXPECT_EQ(a.Intersect(IRECT(21, 10, 30, 20)), IRECT());
  EXPECT_EQ(IRECT(0, 0, 10, 10).Intersect(IRECT(5, -5, 30, 5)), IRECT(5, 0, 10, 5));

  EXPECT_EQ(IRECT().Union(a), a);
  EXPECT_EQ(a.Union(IRECT()), a);
  EXPECT_EQ(IRECT(10, 10, 20, 20).Union(IRECT(30, 5, 40, 15)), IRECT(10, 5, 40, 20));

  // Only the all-zero rectangle is empty, and it contains and meets nothing.
  EXPECT_TRUE(IRECT().Empty());
  EXPECT_FALSE(IRECT(5, 5, 5, 5).Empty());
  EXPECT_FALSE(IRECT().Contains(0, 0));
  EXPECT_FALSE(IRECT().Intersects(IRECT(-10, -10, 10, 10)));
  EXPECT_TRUE(a.Contains(10, 19));
  EXPECT_FALSE(a.Contains(20, 15));
  EXPECT_EQ(IRECT(-3, -3, 0, 0).MW(), -1); // truncates toward zero

  IBitmap strip(nullptr, 49, 71 * 201, 201);
  EXPECT_EQ(IRECT(7, 9, &strip), IRECT(7, 9, 56, 80));

  // Colours pack with alpha in the low byte, as the raster library's do.
  EXPECT_EQ(IColor(1, 2, 3, 4).Packed(), 0x04030201u);
  EXPECT_EQ(IColor::FromPacked(0x04030201u), IColor(1, 2, 3, 4));
  EXPECT_EQ(IColor(1, 2, 3, 4).Packed(), RasterPackColor(1, 2, 3, 4));
}

TEST_F(Draw, BlendMethodsPickTheRasterModes)
{
  const IColor half(128, 200, 100, 0);
  IBitmap src = Solid(*mGui, 1, 1, half);
  IRECT px(0, 0, 1, 1), px2(1, 0, 2, 1), px3(2, 0, 3, 1);
  mGui->FillIRect(&COLOR_WHITE, &mAll);

  // Null blend: the source's alpha mixes it in.
  mGui->DrawBitmap(&src, &px, 0, 0, nullptr);
  const IColor mixed = mGui->GetPoint(0, 0);
  EXPECT_EQ(mixed.A, 255);
  EXPECT_GT(mixed.R, 200);
  EXPECT_LT(mixed.B, 255);
  EXPECT_GT(mixed.B, 0);

  // Opaque: a plain copy, alpha included.
  const IChannelBlend opaque(IChannelBlend::kBlendOpaque);
  mGui->DrawBitmap(&src, &px2, 0, 0, &opaque);
  EXPECT_EQ(mGui->GetPoint(1, 0), half);

  // Additive over black adds the alpha-scaled source.
  mGui->FillIRect(&COLOR_BLACK, &px3);
  const IChannelBlend add(IChannelBlend::kBlendAdditive);
  mGui->DrawBitmap(&src, &px3, 0, 0, &add);
  const IColor added = mGui->GetPoint(2, 0);
  EXPECT_EQ(added.R, 200 * ((128 + 1) * 256 / 256) / 256);
  EXPECT_EQ(added.B, 0);

  // An unknown method draws like the default.
  const IChannelBlend odd(7);
  mGui->FillIRect(&COLOR_WHITE, &px);
  mGui->DrawBitmap(&src, &px, 0, 0, &odd);
  EXPECT_EQ(mGui->GetPoint(0, 0), mixed);
}

TEST_F(Draw, FrameSelectionPicksTheStateRow)
{
  IBitmap strip = RowCodedStrip(*mGui, 4, 8040, 201); // 201 frames of 40 rows
  IRECT dest(10, 10, 14, 50);
  mGui->DrawBitmap(&strip, &dest, 101, nullptr);
  EXPECT_EQ(RowAt(10, 10), 4000);
  EXPECT_EQ(RowAt(10, 49), 4039);
  mGui->DrawBitmap(&strip, &dest, 1, nullptr);
  EXPECT_EQ(RowAt(10, 10), 0);
  mGui->DrawBitmap(&strip, &dest, 201, nullptr);
  EXPECT_EQ(RowAt(10, 10), 8000);

  // Side-by-side frames move the source horizontally instead.
  auto* wide = new RasterMemBitmap(30, 2, 4);
  for (int x = 0; x < 30; ++x)
    wide->getBits()[x] = IColor(255, x, 0, 0).Packed();
  IBitmap h(wide, 30, 2, 3, true);
  mGui->RetainBitmap(&h);
  IRECT d2(0, 0, 10, 2);
  mGui->DrawBitmap(&h, &d2, 3, nullptr);
  EXPECT_EQ(mGui->GetPoint(0, 0).R, 20);

  // A control's value picks the frame the same way.
  IBitmapControl knob(&mPlug, 10, 10, -1, &strip);
  EXPECT_EQ(*knob.GetRECT(), dest);
  knob.SetValue(0.5);
  knob.Draw(mGui.get());
  EXPECT_EQ(RowAt(10, 10), 4000);
  knob.SetValue(-0.1);
  knob.Draw(mGui.get());
  EXPECT_EQ(RowAt(10, 10), 0);
}

TEST_F(Draw, BitmapsAreClippedToTheControlBeingDrawn)
{
  IBitmap strip = RowCodedStrip(*mGui, 20, 40, 2);
  mGui->FillIRect(&COLOR_BLACK, &mAll);
  mGui->SetDrawRect(IRECT(0, 0, 100, 30)); // covers the top half of the destination
  IRECT dest(40, 20, 60, 40);
  mGui->DrawBitmap(&strip, &dest, 2, nullptr);
  EXPECT_EQ(RowAt(45, 20), 20); // frame 2 starts at row 20
  EXPECT_EQ(RowAt(45, 29), 29);
  EXPECT_EQ(mGui->GetPoint(45, 30), COLOR_BLACK);

  // Clipped on the left: the source moves with it.
  mGui->SetDrawRect(IRECT(50, 0, 100, 80));
  mGui->DrawBitmap(&strip, &dest, 1, nullptr);
  EXPECT_EQ(mGui->GetPoint(50, 25).B, 10);
  EXPECT_EQ(mGui->GetPoint(49, 35), COLOR_BLACK);

  // Through the redraw cycle: a bitmap control drawn for a neighbour's area keeps out of the rest.
  auto* bg = new IBitmapControl(&mPlug, 0, 0, -1, &strip);
  mGui->AttachControl(bg);
  mGui->FillIRect(&COLOR_BLACK, &mAll);
  IRECT area(0, 0, 5, 5);
  mGui->Draw(&area);
  EXPECT_NE(mGui->GetPoint(4, 4), COLOR_BLACK);
  EXPECT_EQ(mGui->GetPoint(5, 5), COLOR_BLACK);
}

TEST_F(Draw, RotatedMaskTakesColourFromBaseAndCoverageFromMask)
{
  IBitmap base = Solid(*mGui, 10, 10, COLOR_RED);
  IBitmap top = Solid(*mGui, 10, 10, COLOR_TRANSPARENT);
  auto* maskBits = new RasterMemBitmap(10, 10, 4);
  // Black, so adding it leaves the base colour: only its alpha counts. The left half covers.
  RasterFillRect(maskBits, 0, 0, 5, 10, COLOR_BLACK.Packed(), 1.0f, 0);
  IBitmap mask(maskBits, 10, 10, 1);
  mGui->RetainBitmap(&mask);

  mGui->FillIRect(&COLOR_BLACK, &mAll);
  mGui->DrawRotatedMask(&base, &mask, &top, 20, 30, 0.0);
  EXPECT_EQ(mGui->GetPoint(21, 35), COLOR_RED);
  EXPECT_EQ(mGui->GetPoint(28, 35), COLOR_BLACK);

  // Turned half a circle, the covered half swaps sides.
  mGui->FillIRect(&COLOR_BLACK, &mAll);
  mGui->DrawRotatedMask(&base, &mask, &top, 20, 30, 180.0);
  EXPECT_EQ(mGui->GetPoint(21, 35), COLOR_BLACK);
  EXPECT_EQ(mGui->GetPoint(28, 35), COLOR_RED);

  // Missing images draw nothing.
  IBitmap none;
  mGui->FillIRect(&COLOR_BLACK, &mAll);
  mGui->DrawRotatedMask(&base, &none, &top, 20, 30, 0.0);
  mGui->DrawRotatedBitmap(&none, 50, 50, 1.0);
  IRECT d(0, 0, 10, 10);
  mGui->DrawBitmap(&none, &d, 1, nullptr);
  EXPECT_EQ(mGui->GetPoint(21, 35), COLOR_BLACK);
}

TEST_F(Draw, ShapesFollowTheirRectangles)
{
  mGui->FillIRect(&COLOR_BLACK, &mAll);
  IRECT round(10, 30, 50, 60);
  mGui->FillRoundRect(&COLOR_WHITE, &round, nullptr, 6, false);
  EXPECT_EQ(mGui->GetPoint(10, 30), COLOR_BLACK); // corners left out
  EXPECT_EQ(mGui->GetPoint(49, 59), COLOR_BLACK);
  EXPECT_EQ(mGui->GetPoint(30, 30), COLOR_WHITE);
  EXPECT_EQ(mGui->GetPoint(10, 45), COLOR_WHITE);
  EXPECT_EQ(mGui->GetPoint(49, 45), COLOR_WHITE);
  EXPECT_EQ(mGui->GetPoint(50, 45), COLOR_BLACK);

  IRECT r(10, 10, 30, 20);
  mGui->DrawRect(&COLOR_WHITE, &r);
  EXPECT_EQ(mGui->GetPoint(30, 20), COLOR_WHITE); // right and bottom edges included
  EXPECT_EQ(mGui->GetPoint(20, 15), COLOR_BLACK);
  mGui->DrawVerticalLine(&COLOR_RED, &r, 0.5f);
  EXPECT_EQ(mGui->GetPoint(20, 15), COLOR_RED);
  mGui->DrawHorizontalLine(&COLOR_GREEN, &r, 2.0f); // clamped to the top
  EXPECT_EQ(mGui->GetPoint(15, 10), COLOR_GREEN);
  mGui->DrawRadialLine(&COLOR_BLUE, 60.0f, 40.0f, 0.0f, 5.0f, 10.0f); // straight up
  EXPECT_EQ(mGui->GetPoint(60, 32), COLOR_BLUE);
  EXPECT_EQ(mGui->GetPoint(60, 38), COLOR_BLACK);
}

// ---- Text ----

TEST_F(Draw, MeasuringRewritesTheRectangleByAlignment)
{
  IText left(14, &COLOR_WHITE, "Arial", IText::kTextRegular, IText::kAlignLeft);
  IRECT extent(0, 0, 0, 0);
  ASSERT_TRUE(mGui->MeasureIText(&left, "Gain 12", &extent));
  const int w = extent.W(), h = extent.H();
  ASSERT_GT(w, 10);
  ASSERT_GT(h, 5);

  for (int align : {IText::kAlignMiddle, IText::kAlignRight})
  {
    IText style = left;
    style.mAlign = align;
    IRECT r(100, 10, 200, 30);
    mGui->MeasureIText(&style, "Gain 12", &r);
    const int l = align == IText::kAlignRight ? 200 - w : 150 - w / 2;
    EXPECT_EQ(r, IRECT(l, 10, l + w, 10 + h)) << align;
  }

  // Empty text draws and measures nothing.
  IRECT untouched(1, 2, 3, 4);
  EXPECT_TRUE(mGui->DrawIText(&left, "", &untouched, true));
  EXPECT_EQ(untouched, IRECT(1, 2, 3, 4));
}

TEST_F(Draw, TextIsDrawnInItsColourWhereMeasured)
{
  mGui->FillIRect(&COLOR_BLACK, &mAll);
  IText style(20, &COLOR_YELLOW, "Arial", IText::kTextBold, IText::kAlignLeft);
  IRECT r(5, 5, 95, 40);
  IRECT measured = r;
  mGui->MeasureIText(&style, "HH", &measured);
  ASSERT_TRUE(mGui->DrawIText(&style, "HH", &r));
  int inside = 0, outside = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 100; ++x)
    {
      const IColor c = mGui->GetPoint(x, y);
      if (c.R < 200 || c.B != 0) continue; // only the text's own yellow
      (measured.Contains(x, y) ? inside : outside)++;
    }
  EXPECT_GT(inside, 20);
  EXPECT_EQ(outside, 0);

  // Redrawing a control that is only partly in the dirty area must not paint text outside it,
  // where the background was not repainted underneath.
  mGui->FillIRect(&COLOR_BLACK, &mAll);
  mGui->SetDrawRect(IRECT(0, 0, measured.MW(), 80));
  r = IRECT(5, 5, 95, 40);
  mGui->DrawIText(&style, "HH", &r);
  int left = 0, right = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 100; ++x)
      if (mGui->GetPoint(x, y).R >= 200) (x < measured.MW() ? left : right)++;
  EXPECT_GT(left, 10);
  EXPECT_EQ(right, 0);
}

TEST_F(Draw, StylesDifferingOnlyInColourShareOneFont)
{
  IText a(31, &COLOR_WHITE, "Arial", IText::kTextRegular, IText::kAlignLeft);
  IText b(31, &COLOR_RED, "Arial", IText::kTextRegular, IText::kAlignRight, 0,
          IText::kQualityAliased);
  IText bold(31, &COLOR_WHITE, "Arial", IText::kTextBold);
  IText bigger(32, &COLOR_WHITE, "Arial");
  const int before = s_fontCache.GetSize();
  RasterCachedFont* fa = mGui->CacheFont(&a);
  ASSERT_NE(fa, nullptr);
  EXPECT_EQ(mGui->CacheFont(&b), fa);
  EXPECT_EQ(b.mCached, fa);
  EXPECT_NE(mGui->CacheFont(&bold), fa);
  EXPECT_NE(mGui->CacheFont(&bigger), fa);
  EXPECT_EQ(s_fontCache.GetSize(), before + 3);

  // Each draw sets its own colour on the shared font.
  IRECT r(0, 0, 100, 20);
  mGui->DrawIText(&b, "x", &r);
  EXPECT_EQ(fa->GetTextColor(), COLOR_RED.Packed());
  mGui->DrawIText(&a, "x", &r);
  EXPECT_EQ(fa->GetTextColor(), COLOR_WHITE.Packed());

  // The font's line height lands near the size asked for, after at most one retry.
  EXPECT_NEAR(fa->GetLineHeight(), 31, 3);
}

// ---- Image cache ----

class ImageCache : public Draw
{
protected:
  void SetUp() override
  {
    Draw::SetUp();
    char dir[] = "/tmp/tarvo-gui-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    mDir = dir;
    mGui->SetResourceFolder(mDir.c_str());
  }
  void TearDown() override
  {
    for (const char* f : {"/a.png", "/b.png", "/late.png", "/broken.png"})
      std::remove((mDir + f).c_str());
    rmdir(mDir.c_str());
  }
  void WritePNG(const char* name, int w, int h, IColor c)
  {
    RasterMemBitmap bmp(w, h, 4);
    RasterFillRect(&bmp, 0, 0, w, h, c.Packed(), 1.0f, 0);
    ASSERT_TRUE(RasterWritePNG(&bmp, (mDir + "/" + name).c_str()));
  }
  std::string mDir;
};

TEST_F(ImageCache, LookupIsByIdAlone)
{
  WritePNG("a.png", 3, 4, COLOR_RED);
  WritePNG("b.png", 5, 6, COLOR_BLUE);
  IBitmap first = mGui->LoadIBitmap(9001, "img/a.png", 2);
  IBitmap again = mGui->LoadIBitmap(9001, "img/b.png", 2);
  ASSERT_NE(first.mData, nullptr);
  EXPECT_EQ(again.mData, first.mData);
  EXPECT_EQ(again.W, 3);
  EXPECT_EQ(again.H, 4);
  EXPECT_EQ(again.N, 2);
  EXPECT_TRUE(s_bitmapCache.Contains(first.mData));
  mGui->ReleaseBitmap(&first);
  EXPECT_EQ(first.mData, nullptr);
  EXPECT_EQ(s_bitmapCache.Find(9001), nullptr);
}

TEST_F(ImageCache, MissingOrBrokenImagesAreNeverCached)
{
  const int before = s_bitmapCache.GetSize();
  IBitmap missing = mGui->LoadIBitmap(9002, "img/late.png", 3);
  EXPECT_EQ(missing.mData, nullptr);
  EXPECT_EQ(missing.W, 0);
  FILE* f = std::fopen((mDir + "/broken.png").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("not a png", f);
  std::fclose(f);
  EXPECT_EQ(mGui->LoadIBitmap(9003, "broken.png").mData, nullptr);
  EXPECT_EQ(s_bitmapCache.GetSize(), before);

  // Controls built on it draw nothing, and scaling or cropping it gives nothing.
  mGui->FillIRect(&COLOR_BLACK, &mAll);
  IBitmapControl control(&mPlug, 0, 0, -1, &missing);
  control.Draw(mGui.get());
  IRECT crop(0, 0, 2, 2);
  EXPECT_EQ(mGui->ScaleBitmap(&missing, 4, 4).mData, nullptr);
  EXPECT_EQ(mGui->CropBitmap(&missing, &crop).mData, nullptr);
  EXPECT_EQ(mGui->GetPoint(0, 0), COLOR_BLACK);

  // Once the image exists, the same id loads it.
  WritePNG("late.png", 2, 2, COLOR_GREEN);
  IBitmap late = mGui->LoadIBitmap(9002, "img/late.png", 3);
  ASSERT_NE(late.mData, nullptr);
  EXPECT_EQ(s_bitmapCache.GetSize(), before + 1);
  mGui->ReleaseBitmap(&late);
}

TEST_F(ImageCache, ScaledAndCroppedCopiesJoinTheCache)
{
  IBitmap strip = RowCodedStrip(*mGui, 8, 8, 2);
  const int before = s_bitmapCache.GetSize();
  IRECT crop(2, 4, 6, 8);
  IBitmap cropped = mGui->CropBitmap(&strip, &crop);
  ASSERT_NE(cropped.mData, nullptr);
  EXPECT_EQ(cropped.W, 4);
  EXPECT_EQ(cropped.N, 2);
  EXPECT_EQ(IColor::FromPacked(RasterGetPixel(cropped.mData, 0, 0)).R, 4);
  EXPECT_EQ(IColor::FromPacked(RasterGetPixel(cropped.mData, 1, 0)).B, 3);
  IBitmap scaled = mGui->ScaleBitmap(&strip, 16, 4);
  EXPECT_EQ(scaled.W, 16);
  EXPECT_EQ(scaled.mData->getHeight(), 4);
  EXPECT_EQ(s_bitmapCache.GetSize(), before + 2);
  mGui->ReleaseBitmap(&cropped);
  mGui->ReleaseBitmap(&scaled);
  mGui->ReleaseBitmap(&cropped); // already gone: nothing happens
  EXPECT_EQ(s_bitmapCache.GetSize(), before);
}
} // namespace
