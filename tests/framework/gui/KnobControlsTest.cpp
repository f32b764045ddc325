// Knobs turned by drags and wheel steps through the engine, and what each variant draws.

#include "framework/gui/ControlRig.h"
#include "framework/gui/IKnobControls.h"

namespace
{
constexpr double kPi = 3.141592653589793;

class Knobs : public ControlRig
{
protected:
  // 201 frames of 40 x 50 at (10, 10) on the gain, which starts at 0.5; gearing 4.
  void SetUp() override
  {
    Open();
    mStrip = MakeStrip(mGui, 40, 50, 201);
    mKnob = Add(new IKnobMultiControl(mPlug.get(), 10, 10, GuiTestPlugin::kGain, &mStrip));
  }
  IBitmap mStrip;
  IKnobMultiControl* mKnob = nullptr;
};

TEST_F(Knobs, DragByTheSizeTurnsOneGearingthAndShiftOrControlIsTenTimesFiner)
{
  auto* across = Add(new IKnobMultiControl(mPlug.get(), 100, 10, GuiTestPlugin::kMode, &mStrip,
                                           kDirHorizontal, 2.0));
  Attach();
  DragBy(30, 40, 0, -50);
  EXPECT_DOUBLE_EQ(mKnob->GetValue(), 0.75);
  EXPECT_EQ(mPlug->mLog, (std::vector<std::string>{"begin 0", "gui 0 0.7500", "end 0"}));
  DragBy(30, 40, 0, 50, mShift);
  EXPECT_NEAR(mKnob->GetValue(), 0.725, 1e-12);
  DragBy(30, 40, 200, -50, mCtrl); // sideways means nothing to a vertical knob
  EXPECT_NEAR(mKnob->GetValue(), 0.75, 1e-12);

  DragBy(120, 30, 40, -40);
  EXPECT_DOUBLE_EQ(across->GetValue(), 0.5);
  DragBy(120, 30, -20, 0, mShift);
  EXPECT_NEAR(across->GetValue(), 0.475, 1e-12);
}

TEST_F(Knobs, WheelStepsAndDragsStayInsideTheClampRange)
{
  Attach();
  mGui->SetParameterFromPlug(GuiTestPlugin::kGain, 0.995, true);
  Wheel(30, 40, 1);
  EXPECT_DOUBLE_EQ(Param(GuiTestPlugin::kGain)->GetNormalized(), 1.0);
  Wheel(30, 40, -3, mShift);
  Wheel(30, 40, -2);
  EXPECT_NEAR(mKnob->GetValue(), 0.977, 1e-12);

  double lo = 0.2, hi = 0.8;
  mGui->ClampControl(GuiTestPlugin::kGain, &lo, &hi, true);
  DragBy(30, 40, 0, 200);
  EXPECT_DOUBLE_EQ(mKnob->GetValue(), 0.2);
  DragBy(30, 40, 0, -200);
  EXPECT_DOUBLE_EQ(Param(GuiTestPlugin::kGain)->GetNormalized(), 0.8);
}

TEST_F(Knobs, FilmStripShowsTheNearestFrameHeldToTheStrip)
{
  Attach();
  // Values from the plug-in are not clamped, so out-of-range ones reach the drawing.
  const double values[] = {0.5, 1.0, 0.0024, 0.0026, -0.1, 1.3};
  const int frames[] = {100, 200, 0, 1, 0, 200};
  for (int i = 0; i < 6; ++i)
  {
    mGui->SetControlFromPlug(1, values[i]);
    mGui->Tick();
    EXPECT_EQ(FrameAt(10, 10), frames[i]) << values[i];
    EXPECT_EQ(FrameAt(49, 59), frames[i]) << values[i];
  }
}

TEST_F(Knobs, LineAndMaskKnobsTurnAboutTheCentre)
{
  // A line from the centre of (100, 100, 121, 121) to half its width, -90 to +90 degrees.
  auto* line = Add(new IKnobLineControl(mPlug.get(), IRECT(100, 100, 121, 121), -1, &COLOR_WHITE,
                                        0.0, 0.0, -kPi / 2, kPi / 2));
  // 21 x 21 images, transparent but for a 5 x 5 mark at the top centre; angles in degrees.
  auto marked = [&](IColor fill, IColor mark)
  {
    auto* bmp = new RasterMemBitmap(21, 21);
    RasterFillRect(bmp, 0, 0, 21, 21, fill.Packed(), 1.0f, 0);
    RasterFillRect(bmp, 8, 0, 5, 5, mark.Packed(), 1.0f, 0);
    IBitmap b(bmp, 21, 21);
    mGui->RetainBitmap(&b);
    return b;
  };
  IBitmap base = marked(COLOR_RED, COLOR_RED), mask = marked(COLOR_TRANSPARENT, COLOR_BLACK),
          top = marked(COLOR_TRANSPARENT, COLOR_TRANSPARENT);
  auto* masked =
      Add(new IKnobRotatingMaskControl(mPlug.get(), 200, 100, -1, &base, &mask, &top, 0.0, 180.0));
  Attach();
  // Filtering may soften edges; the middle of a mark stays close to its colour.
  auto lit = [&](int x, int y) { return mGui->GetPoint(x, y).R > 200; };
  EXPECT_TRUE(lit(102, 110) && !lit(118, 110) && !lit(110, 102));
  EXPECT_TRUE(lit(210, 102) && !lit(210, 118));

  line->SetValueFromPlug(0.5);
  masked->SetValueFromPlug(1.0);
  mGui->DrawAll();
  EXPECT_TRUE(lit(110, 102) && !lit(102, 110) && !lit(110, 118));
  EXPECT_TRUE(lit(210, 118) && !lit(210, 102));
}
} // namespace
