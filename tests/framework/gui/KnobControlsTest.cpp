// Knobs driven by drags and wheel steps through the engine, and what each variant draws.

#include "framework/gui/ControlRig.h"
#include "framework/gui/IKnobControls.h"

namespace
{
using Log = std::vector<std::string>;
constexpr double kPi = 3.141592653589793;

class Knobs : public ControlRig
{
protected:
  // A 201-frame knob 40 x 50 at (10, 10) on the gain (normalised 0.5 at start), gearing 4.
  void SetUp() override
  {
    Open();
    mStrip = MakeStrip(mGui, 40, 50, 201);
    mKnob = Add(new IKnobMultiControl(mPlug.get(), 10, 10, GuiTestPlugin::kGain, &mStrip));
  }

  IBitmap mStrip;
  IKnobMultiControl* mKnob = nullptr;
};

TEST_F(Knobs, DraggingByTheHeightTurnsByOneGearingthAndShiftOrControlIsTenTimesFiner)
{
  Attach();
  DragBy(30, 40, 0, -50);
  EXPECT_DOUBLE_EQ(mKnob->GetValue(), 0.75);
  EXPECT_DOUBLE_EQ(Normalized(GuiTestPlugin::kGain), 0.75);
  EXPECT_EQ(mPlug->mLog, (Log{"begin 0", "gui 0 0.7500", "end 0"}));

  DragBy(30, 40, 0, 50, mShift);
  EXPECT_NEAR(mKnob->GetValue(), 0.725, 1e-12);
  DragBy(30, 40, 0, -50, mCtrl);
  EXPECT_NEAR(mKnob->GetValue(), 0.75, 1e-12);

  // Sideways movement means nothing to a vertical knob, and the drag keeps going outside it.
  DragBy(30, 40, 200, 0);
  EXPECT_NEAR(mKnob->GetValue(), 0.75, 1e-12);
  DragBy(30, 40, 0, -100);
  EXPECT_NEAR(mKnob->GetValue(), 1.0, 1e-12);
}

TEST_F(Knobs, HorizontalKnobFollowsTheMouseAcross)
{
  auto* knob = Add(new IKnobMultiControl(mPlug.get(), 100, 10, GuiTestPlugin::kMode, &mStrip,
                                         kDirHorizontal, 2.0));
  Attach();
  DragBy(120, 30, 40, 0); // the knob's width at gearing 2: half the range
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5);
  DragBy(120, 30, 0, -40);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5);
  DragBy(120, 30, -20, 0, mShift);
  EXPECT_NEAR(knob->GetValue(), 0.475, 1e-12);
}

TEST_F(Knobs, WheelStepsAreClampedAndTheClampRangeHolds)
{
  Attach();
  mGui->SetParameterFromPlug(GuiTestPlugin::kGain, 0.995, true);
  Wheel(30, 40, 1);
  EXPECT_DOUBLE_EQ(mKnob->GetValue(), 1.0);
  EXPECT_DOUBLE_EQ(Normalized(GuiTestPlugin::kGain), 1.0);
  Wheel(30, 40, -3, mShift);
  EXPECT_NEAR(mKnob->GetValue(), 0.997, 1e-12);
  Wheel(30, 40, -2);
  EXPECT_NEAR(mKnob->GetValue(), 0.977, 1e-12);

  double lo = 0.2, hi = 0.8;
  mGui->ClampControl(GuiTestPlugin::kGain, &lo, &hi, true);
  DragBy(30, 40, 0, 200);
  EXPECT_DOUBLE_EQ(mKnob->GetValue(), 0.2);
  DragBy(30, 40, 0, -200);
  EXPECT_DOUBLE_EQ(mKnob->GetValue(), 0.8);
  EXPECT_DOUBLE_EQ(Normalized(GuiTestPlugin::kGain), 0.8);
}

TEST_F(Knobs, DoubleClickRestoresTheFirstValueTheKnobWasGiven)
{
  auto* unlinked = Add(new IKnobMultiControl(mPlug.get(), 100, 10, -1, &mStrip));
  Attach();
  DragBy(30, 40, 0, -20);
  IMouseMod left(true);
  mPlug->mLog.clear();
  mGui->OnMouseDblClick(30, 40, &left);
  EXPECT_DOUBLE_EQ(mKnob->GetValue(), 0.5);
  EXPECT_EQ(mPlug->mLog, (Log{"gui 0 0.5000"}));

  // Never given a value: nothing to restore.
  DragBy(120, 30, 0, -20);
  const double turned = unlinked->GetValue();
  mGui->OnMouseDblClick(120, 30, &left);
  EXPECT_DOUBLE_EQ(unlinked->GetValue(), turned);
}

TEST_F(Knobs, FilmStripShowsTheNearestFrameHeldToTheStrip)
{
  Attach();
  const int idx = 1; // after the background
  const struct
  {
    double value;
    int frame;
  } cases[] = {{0.5, 100}, {1.0, 200}, {0.0024, 0}, {0.0026, 1}, {-0.1, 0}, {1.3, 200}};
  for (const auto& c : cases)
  {
    // Values from the plug-in are not clamped, so out-of-range ones reach the drawing.
    mGui->SetControlFromPlug(idx, c.value);
    mGui->Tick();
    EXPECT_EQ(FrameAt(10, 10), c.frame) << c.value;
    EXPECT_EQ(FrameAt(49, 59), c.frame) << c.value;
  }
  EXPECT_EQ(FrameAt(50, 30), -1); // nothing outside the knob
}

TEST_F(Knobs, LineKnobPointsFromTheCentreBetweenItsAngles)
{
  // 21 x 21 centred at (110.5, 110.5); the outer radius defaults to half the width.
  auto* line = Add(new IKnobLineControl(mPlug.get(), IRECT(100, 100, 121, 121), -1, &COLOR_WHITE,
                                        0.0, 0.0, -kPi / 2, kPi / 2));
  Attach();
  auto lit = [&](int x, int y) { return mGui->GetPoint(x, y).R > 128; };
  const struct
  {
    double value;
    int onX, onY, offX, offY;
  } cases[] = {{0.0, 102, 110, 118, 110}, {0.5, 110, 102, 110, 118}, {1.0, 118, 110, 102, 110}};
  for (const auto& c : cases)
  {
    line->SetValueFromPlug(c.value);
    mGui->DrawAll();
    EXPECT_TRUE(lit(c.onX, c.onY)) << c.value;
    EXPECT_FALSE(lit(c.offX, c.offY)) << c.value;
  }
}

TEST_F(Knobs, RotatingKnobsTurnTheirImagesAboutTheCentre)
{
  // A 21 x 21 image, transparent but for a 5 x 5 mark at the top centre.
  auto marked = [&](IColor mark)
  {
    auto* bmp = new RasterMemBitmap(21, 21, 4);
    RasterFillRect(bmp, 8, 0, 5, 5, mark.Packed(), 1.0f, 0);
    IBitmap b(bmp, 21, 21, 1);
    mGui->RetainBitmap(&b);
    return b;
  };
  IBitmap image = marked(COLOR_WHITE);
  auto* rotater = Add(new IKnobRotaterControl(mPlug.get(), 150, 100, -1, &image, 0.0, kPi));

  // The mask knob in degrees: colour from a red base where the mask is, nothing on top.
  auto* baseBits = new RasterMemBitmap(21, 21, 4);
  RasterFillRect(baseBits, 0, 0, 21, 21, COLOR_RED.Packed(), 1.0f, 0);
  IBitmap base(baseBits, 21, 21, 1);
  mGui->RetainBitmap(&base);
  IBitmap mask = marked(COLOR_BLACK);
  IBitmap top = marked(COLOR_TRANSPARENT);
  auto* masked =
      Add(new IKnobRotatingMaskControl(mPlug.get(), 200, 100, -1, &base, &mask, &top, 0.0, 180.0));
  Attach();

  // Bilinear filtering may soften the mark's edges; its middle stays close to the colour.
  auto white = [&](int x, int y)
  {
    const IColor c = mGui->GetPoint(x, y);
    return c.R > 200 && c.G > 200 && c.B > 200;
  };
  auto red = [&](int x, int y)
  {
    const IColor c = mGui->GetPoint(x, y);
    return c.R > 200 && c.G < 50 && c.B < 50;
  };
  EXPECT_TRUE(white(160, 102));
  EXPECT_FALSE(white(160, 118));
  EXPECT_TRUE(red(210, 102));
  EXPECT_FALSE(red(210, 118));

  rotater->SetValueFromPlug(1.0);
  masked->SetValueFromPlug(1.0);
  mGui->DrawAll();
  EXPECT_FALSE(white(160, 102));
  EXPECT_TRUE(white(160, 118));
  EXPECT_FALSE(red(210, 102));
  EXPECT_TRUE(red(210, 118));
}
} // namespace
