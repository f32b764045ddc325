// The product's controls on their own, in a small plug-in with a windowless editor: the meter's
// scale and colours, the peak caption's hold, the value-text knob and fader and their text entry.

#include <gtest/gtest.h>

#include <cmath>

#include "controls/captionHoldValue.h"
#include "controls/knobFaderControlText.h"
#include "controls/knobMultiControlText.h"
#include "controls/peakMeter.h"
#include "framework/core/IAudioPlugin.h"
#include "framework/platform/headless/IGraphicsHeadless.h"
#include "raster/Raster.h"

namespace
{
enum
{
  kGain,
  kLevel,
  kNParams
};

class ControlsPlug : public IAudioPlugin
{
public:
  ControlsPlug()
      : IAudioPlugin(kNParams, "1-1 2-2", 1, "Controls", "", "Velkor Audio", 0x00010000,
                     FourCC("Ctls"), FourCC("Vlkr"), 0, false, true, false, kAPIVST3)
  {
    GetParam(kGain)->InitDouble("Gain", 0.0, -18.0, 18.0, 0.01, "dB");
    GetParam(kLevel)->InitDouble("Level", 0.0, -72.0, 6.0, 0.01, "dB", "", 0.115);
    GetParam(kLevel)->SetDisplayText(-72, "-inf.");
  }
};

const IText kText(14, &COLOR_WHITE, "Exo", IText::kTextRegular, IText::kAlignMiddle, 0,
                  IText::kQualitySmooth);

class ControlsTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mGui = new IGraphicsHeadless(&mPlug, 300, 200);
    mGui->AttachPanelBackground(&COLOR_BLACK);
    auto* strip = new RasterMemBitmap(49, 55 * 3);
    mStrip = IBitmap(strip, 49, 55 * 3, 3);
    mGui->RetainBitmap(&mStrip);
    auto* handle = new RasterMemBitmap(22, 40);
    mHandle = IBitmap(handle, 22, 40, 1);
    mGui->RetainBitmap(&mHandle);
  }
  template <class T> T* Add(T* control)
  {
    mGui->AttachControl(control);
    return control;
  }
  void Attach()
  {
    mPlug.AttachGraphics(mGui);
    mGui->DrawAll();
  }
  IColor Pixel(int x, int y) { return mGui->GetPoint(x, y); }

  ControlsPlug mPlug;
  IGraphicsHeadless* mGui = nullptr; // owned by the plug-in once attached
  IBitmap mStrip, mHandle;
  IMouseMod mLeft{true};
};

TEST(PeakMeterScale, LevelsMapToThePiecewiseScaleAndColours)
{
  EXPECT_NEAR(IPeakMeterVert::BarPosition(0.5), 0.849485, 1e-6);
  EXPECT_EQ(IPeakMeterVert::BarColor(IPeakMeterVert::BarPosition(0.5)), COLOR_GREEN);
  EXPECT_NEAR(IPeakMeterVert::BarPosition(0.99), 0.997818, 1e-6);
  EXPECT_EQ(IPeakMeterVert::BarColor(IPeakMeterVert::BarPosition(0.99)), COLOR_YELLOW);
  EXPECT_DOUBLE_EQ(IPeakMeterVert::BarPosition(1.0), 1.0);
  EXPECT_EQ(IPeakMeterVert::BarColor(1.0), COLOR_RED);
  // The segment boundaries: -60, -50, -40, -30 and -20 dB.
  const double bounds[][2] = {{-60, 0.025}, {-50, 0.075}, {-40, 0.15}, {-30, 0.3}, {-20, 0.5}};
  for (const auto& b : bounds)
    EXPECT_NEAR(IPeakMeterVert::BarPosition(std::pow(10.0, b[0] / 20.0)), b[1], 1e-9) << b[0];
  EXPECT_EQ(IPeakMeterVert::BarPosition(0.0003), 0.0);
  EXPECT_EQ(IPeakMeterVert::BarPosition(0.0), 0.0);
  EXPECT_EQ(IPeakMeterVert::BarPosition(-0.5), IPeakMeterVert::BarPosition(0.5));
}

TEST_F(ControlsTest, MeterLightsTheBottomFractionAndRedrawsEveryTick)
{
  Add(new IPeakMeterVert(&mPlug, IRECT(10, 10, 30, 110), &COLOR_RED));
  const int idx = mGui->GetNControls() - 1;
  Attach();
  mGui->SetControlFromPlug(idx, 0.1); // -20 dB: half way
  ASSERT_TRUE(mGui->Tick());
  EXPECT_EQ(Pixel(15, 59), COLOR_GRAY);
  EXPECT_EQ(Pixel(15, 60), COLOR_GREEN);
  EXPECT_EQ(Pixel(15, 109), COLOR_GREEN);
  // Nothing new arrives, yet the meter is drawn again.
  EXPECT_TRUE(mGui->Tick());
  mGui->SetControlFromPlug(idx, 1.0);
  mGui->Tick();
  EXPECT_EQ(Pixel(15, 10), COLOR_RED);
  EXPECT_EQ(mGui->GetControl(idx)->GetValue(), 1.0); // the value stays linear
}

TEST_F(ControlsTest, CaptionHoldsThePeakAndItsWarningColourUntilClicked)
{
  auto* caption = Add(new ICaptionHoldValueControl(&mPlug, IRECT(10, 10, 50, 28), &kText));
  const int idx = mGui->GetNControls() - 1;
  Attach();
  EXPECT_STREQ(caption->GetValueString(), "-inf. \n"); // nothing seen yet

  // The engine keeps a control's first value as its default without redrawing it.
  mGui->SetControlFromPlug(idx, 0.0);
  mGui->SetControlFromPlug(idx, 0.5);
  mGui->Tick();
  EXPECT_STREQ(caption->GetValueString(), "-6.02");
  EXPECT_EQ(caption->GetTextColor(), COLOR_WHITE);

  mGui->SetControlFromPlug(idx, 0.985);
  mGui->Tick();
  EXPECT_EQ(caption->GetTextColor(), COLOR_YELLOW);
  mGui->SetControlFromPlug(idx, 1.0);
  mGui->Tick();
  EXPECT_STREQ(caption->GetValueString(), "0.00");
  EXPECT_EQ(caption->GetTextColor(), COLOR_CAPTION_AMBER);

  // Quieter peaks and redraws without a value keep both the hold and the colour.
  mGui->SetControlFromPlug(idx, 0.1);
  mGui->Tick();
  mGui->DrawAll();
  EXPECT_STREQ(caption->GetValueString(), "0.00");
  EXPECT_EQ(caption->GetTextColor(), COLOR_CAPTION_AMBER);

  // A click (any button) starts a new hold, shown with the next value.
  IMouseMod right(false, true);
  mGui->OnMouseDown(20, 15, &right);
  EXPECT_EQ(caption->GetHold(), ICaptionHoldValueControl::kNoHold);
  mGui->SetControlFromPlug(idx, 0.0001);
  mGui->Tick();
  EXPECT_STREQ(caption->GetValueString(), "-inf. \n");
  EXPECT_EQ(caption->GetTextColor(), COLOR_WHITE);
}

TEST_F(ControlsTest, KnobWidensItsAreaButTakesTheMouseOnlyOverItsOwnRectangle)
{
  auto* knob =
      Add(new IKnobMultiControlText(&mPlug, IRECT(60, 73, 109, 144), kGain, &mStrip, &kText, 0, 6));
  auto* inset = Add(
      new IKnobMultiControlText(&mPlug, IRECT(150, 73, 199, 144), kLevel, &mStrip, &kText, 2, 0));
  Attach();
  EXPECT_EQ(*knob->GetRECT(), IRECT(54, 73, 115, 144));
  EXPECT_EQ(*knob->GetTargetRECT(), IRECT(60, 73, 109, 144));
  EXPECT_EQ(*knob->GetTextRECT(), IRECT(54, 128, 115, 144));
  EXPECT_EQ(*knob->GetImageRECT(), IRECT(60, 73, 109, 128));
  EXPECT_EQ(*inset->GetTextRECT(), IRECT(152, 128, 197, 144));
  EXPECT_STREQ(knob->GetValueString(), "0.00 dB");

  // The widened strip outside the constructor's rectangle takes no click.
  mGui->OnMouseDown(56, 140, &mLeft);
  EXPECT_TRUE(mGui->GetTextEntries().empty());

  // A click above the text changes nothing; one on the text opens the field over it.
  mGui->OnMouseDown(84, 90, &mLeft);
  mGui->OnMouseUp(84, 90, &mLeft);
  EXPECT_DOUBLE_EQ(mPlug.GetParam(kGain)->Value(), 0.0);
  mGui->QueueTextEntry("4.5");
  mGui->OnMouseDown(84, 140, &mLeft);
  ASSERT_EQ(mGui->GetTextEntries().size(), 1u);
  EXPECT_EQ(mGui->GetTextEntries()[0].mRect, IRECT(54, 128, 115, 144));
  EXPECT_EQ(mGui->GetTextEntries()[0].mParam, mPlug.GetParam(kGain));
  EXPECT_DOUBLE_EQ(mPlug.GetParam(kGain)->Value(), 4.5);

  // Double-click returns to the value the editor first had.
  mGui->OnMouseDblClick(84, 90, &mLeft);
  EXPECT_DOUBLE_EQ(mPlug.GetParam(kGain)->Value(), 0.0);

  // A display text replaces the number and its unit.
  mPlug.GetParam(kLevel)->Set(-72.0);
  mGui->DrawAll();
  EXPECT_STREQ(inset->GetValueString(), "-inf. ");
}

TEST_F(ControlsTest, KnobNeverGivenAValueIgnoresDoubleClicks)
{
  auto* knob = new IKnobMultiControlText(&mPlug, IRECT(60, 73, 109, 144), kGain, &mStrip, &kText);
  mGui->AttachControl(knob);
  knob->SetValue(0.8);
  knob->OnMouseDblClick(84, 90, &mLeft);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.8);
  Attach();
}

TEST_F(ControlsTest, FaderTextOpensTheFieldAndTheTrackMovesTheHandle)
{
  auto* fader = Add(new IFaderControlText(&mPlug, 10, 100, 186, kGain, &mHandle, &kText));
  Attach();
  EXPECT_EQ(*fader->GetRECT(), IRECT(62, 100, 248, 140));
  EXPECT_EQ(*fader->GetTargetRECT(), IRECT(10, 100, 248, 140));
  EXPECT_EQ(*fader->GetTextRECT(), IRECT(10, 108, 60, 124));

  mGui->QueueTextEntryCancel();
  mGui->OnMouseDown(12, 110, &mLeft);
  EXPECT_EQ(mGui->GetTextEntries().size(), 1u);
  EXPECT_DOUBLE_EQ(mPlug.GetParam(kGain)->Value(), 0.0);

  // The handle's centre jumps to the pointer: the right end of its travel.
  mGui->OnMouseDown(248 - 11, 120, &mLeft);
  EXPECT_DOUBLE_EQ(mPlug.GetParam(kGain)->Value(), 18.0);
  mGui->DrawAll();
  EXPECT_STREQ(fader->GetValueString(), "18.00 dB");
}
} // namespace
