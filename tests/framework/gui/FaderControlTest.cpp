// Faders pressed, dragged and wheeled through the engine: the handle's centre follows the mouse,
// the handle is drawn where the value puts it, and a right click asks for a typed value.

#include "framework/gui/ControlRig.h"
#include "framework/gui/IFaderControl.h"

namespace
{
class Fader : public ControlRig
{
protected:
  // A handle 10 wide and 20 high.
  void Build(EAPI api = kAPIVST3, bool onlyHandle = false)
  {
    Open(api);
    mHandle = MakeStrip(mGui, 10, 20, 1);
    // Vertical, track 100 long at (10, 20): the handle travels 80 pixels.
    mFader = Add(new IFaderControl(mPlug.get(), 10, 20, 100, GuiTestPlugin::kGain, &mHandle,
                                   kDirVertical, onlyHandle));
    Attach();
  }
  double PressAt(int x, int y)
  {
    Click(x, y);
    return mFader->GetValue();
  }

  IBitmap mHandle;
  IFaderControl* mFader = nullptr;
};

TEST_F(Fader, PressingPutsTheHandleCentreUnderTheMouse)
{
  Build();
  EXPECT_EQ(*mFader->GetRECT(), IRECT(10, 20, 20, 120));
  EXPECT_DOUBLE_EQ(PressAt(15, 30), 1.0);
  EXPECT_DOUBLE_EQ(PressAt(15, 110), 0.0);
  EXPECT_DOUBLE_EQ(PressAt(15, 70), 0.5);
  EXPECT_DOUBLE_EQ(Normalized(GuiTestPlugin::kGain), 0.5);
  EXPECT_DOUBLE_EQ(PressAt(15, 21), 1.0); // above the handle's reach: clamped
  EXPECT_DOUBLE_EQ(PressAt(15, 119), 0.0);

  // Dragging keeps following, even beyond the track.
  DragBy(15, 70, 0, 20);
  EXPECT_DOUBLE_EQ(mFader->GetValue(), 0.25);
  DragBy(15, 70, 30, -500);
  EXPECT_DOUBLE_EQ(mFader->GetValue(), 1.0);
}

TEST_F(Fader, HandleIsDrawnWhereTheValuePutsIt)
{
  Build();
  auto handleRows = [&]() {
    int first = -1, last = -1;
    for (int y = 20; y < 120; ++y)
      if (FrameAt(15, y) == 0)
      {
        if (first < 0) first = y;
        last = y;
      }
    return std::make_pair(first, last);
  };
  EXPECT_EQ(handleRows(), std::make_pair(60, 79)); // 0.5 at start: 40 pixels down
  PressAt(15, 30);
  mGui->Tick();
  EXPECT_EQ(handleRows(), std::make_pair(20, 39));
  mGui->SetParameterFromPlug(GuiTestPlugin::kGain, 0.3, true);
  mGui->Tick();
  EXPECT_EQ(handleRows(), std::make_pair(76, 95)); // trunc(80 * 0.7) = 56
}

TEST_F(Fader, HorizontalFaderRunsLeftToRight)
{
  Open();
  mHandle = MakeStrip(mGui, 10, 20, 1);
  auto* fader =
      Add(new IFaderControl(mPlug.get(), 50, 150, 100, GuiTestPlugin::kGain, &mHandle, kDirHorizontal));
  Attach();
  EXPECT_EQ(*fader->GetRECT(), IRECT(50, 150, 150, 170));
  EXPECT_EQ(fader->GetHandleRECT(), IRECT(95, 150, 105, 170));
  EXPECT_EQ(FrameAt(95, 160), 0);
  EXPECT_EQ(FrameAt(94, 160), -1);

  Click(55, 160);
  EXPECT_DOUBLE_EQ(fader->GetValue(), 0.0);
  Click(145, 160);
  EXPECT_DOUBLE_EQ(fader->GetValue(), 1.0);
  Click(82, 160);
  EXPECT_DOUBLE_EQ(fader->GetValue(), 0.3);
}

TEST_F(Fader, OnlyTheHandleTakesTheMouseWhenAskedTo)
{
  Build(kAPIVST3, true);
  PressAt(15, 30); // on the track, away from the handle: not this control
  EXPECT_DOUBLE_EQ(mFader->GetValue(), 0.5);
  EXPECT_TRUE(mPlug->mLog.empty());

  // Grabbing the handle (60..80) off its centre snaps the centre to the mouse, then follows.
  DragBy(15, 65, 0, 10);
  EXPECT_DOUBLE_EQ(mFader->GetValue(), 1.0 - 45.0 / 80.0);
}

TEST_F(Fader, WheelNudgesAndShiftOrControlIsFiner)
{
  Build();
  Wheel(15, 70, 2);
  EXPECT_NEAR(mFader->GetValue(), 0.52, 1e-12);
  Wheel(15, 70, -1, mShift);
  EXPECT_NEAR(mFader->GetValue(), 0.519, 1e-12);
  Wheel(15, 70, 100, mCtrl);
  EXPECT_NEAR(mFader->GetValue(), 0.619, 1e-12);
  Wheel(15, 70, 100);
  EXPECT_DOUBLE_EQ(mFader->GetValue(), 1.0);
}

TEST_F(Fader, RightClickOutsideVst3AsksForATypedValue)
{
  Build(kAPIVST2);
  mFader->DisablePrompt(false);
  mGui->QueueTextEntry("6");
  Click(15, 100, mRight);
  ASSERT_EQ(mGui->GetTextEntries().size(), 1u);
  const auto& entry = mGui->GetTextEntries()[0];
  EXPECT_EQ(entry.mRect, IRECT(-5, 62, 35, 78)); // 40 x 16 about the centre
  EXPECT_EQ(entry.mInitialText, "0.00");
  EXPECT_DOUBLE_EQ(mPlug->GetParam(GuiTestPlugin::kGain)->Value(), 6.0);
  EXPECT_DOUBLE_EQ(mFader->GetValue(), 24.0 / 36.0); // the press itself did not move it

  mGui->QueueTextEntry("abc");
  Click(15, 100, mRight);
  EXPECT_DOUBLE_EQ(mPlug->GetParam(GuiTestPlugin::kGain)->Value(), 0.0);
}
} // namespace
