// Faders through the engine: the handle's centre follows the mouse, the handle is drawn where
// the value puts it, and a right click asks for a typed value.

#include "framework/gui/ControlRig.h"
#include "framework/gui/IFaderControl.h"

namespace
{
class Fader : public ControlRig
{
protected:
  // A handle 10 x 20 on a vertical track 100 long at (10, 20): 80 pixels of travel.
  void Build(EAPI api = kAPIVST3, bool onlyHandle = false)
  {
    Open(api);
    mHandle = MakeStrip(mGui, 10, 20, 1);
    mFader = Add(new IFaderControl(mPlug.get(), 10, 20, 100, GuiTestPlugin::kGain, &mHandle,
                                   kDirVertical, onlyHandle));
  }
  double PressAt(int x, int y)
  {
    Click(x, y);
    return mFader->GetValue();
  }
  std::pair<int, int> HandleRows()
  {
    int first = -1, last = -1;
    for (int y = 0; y < 200; ++y)
      if (FrameAt(15, y) == 0)
      {
        if (first < 0) first = y;
        last = y;
      }
    return {first, last};
  }
  IBitmap mHandle;
  IFaderControl* mFader = nullptr;
};

TEST_F(Fader, PressOrDragPutsTheHandleCentreUnderTheMouse)
{
  Build();
  Attach();
  EXPECT_EQ(HandleRows(), std::make_pair(60, 79)); // 0.5: 40 down
  EXPECT_DOUBLE_EQ(PressAt(15, 30), 1.0);
  EXPECT_DOUBLE_EQ(PressAt(15, 110), 0.0);
  EXPECT_DOUBLE_EQ(PressAt(15, 70), 0.5);
  EXPECT_DOUBLE_EQ(Param(GuiTestPlugin::kGain)->GetNormalized(), 0.5);
  EXPECT_DOUBLE_EQ(PressAt(15, 21), 1.0); // beyond the handle's reach: clamped
  DragBy(15, 70, 30, 20);
  EXPECT_DOUBLE_EQ(mFader->GetValue(), 0.25);
  mGui->Tick();
  EXPECT_EQ(HandleRows(), std::make_pair(80, 99));

  Wheel(15, 70, 2);
  Wheel(15, 70, -1, mShift);
  EXPECT_NEAR(mFader->GetValue(), 0.269, 1e-12);
}

TEST_F(Fader, HorizontalAndHandleOnly)
{
  Build(kAPIVST3, true);
  auto* across = Add(
      new IFaderControl(mPlug.get(), 50, 150, 100, GuiTestPlugin::kMode, &mHandle, kDirHorizontal));
  Attach();
  EXPECT_EQ(*across->GetRECT(), IRECT(50, 150, 150, 170));
  EXPECT_EQ(across->GetHandleRECT(), IRECT(50, 150, 60, 170));
  Click(145, 160);
  EXPECT_DOUBLE_EQ(across->GetValue(), 1.0);
  Click(82, 160);
  EXPECT_DOUBLE_EQ(across->GetValue(), 0.3);

  // The vertical one takes the mouse only on its handle (60..80).
  EXPECT_DOUBLE_EQ(PressAt(15, 30), 0.5);
  DragBy(15, 65, 0, 10); // grabbed off centre: the centre jumps to the mouse, then follows
  EXPECT_DOUBLE_EQ(mFader->GetValue(), 1.0 - 45.0 / 80.0);
}

TEST_F(Fader, RightClickOutsideVst3AsksForATypedValue)
{
  Build(kAPIVST2);
  mFader->DisablePrompt(false);
  Attach();
  mGui->QueueTextEntry("6");
  Click(15, 100, mRight);
  ASSERT_EQ(mGui->GetTextEntries().size(), 1u);
  EXPECT_EQ(mGui->GetTextEntries()[0].mRect, IRECT(-5, 62, 35, 78)); // 40 x 16 at the centre
  EXPECT_EQ(mGui->GetTextEntries()[0].mInitialText, "0.00");
  EXPECT_DOUBLE_EQ(Param(GuiTestPlugin::kGain)->Value(), 6.0);
  // Text that names no value leaves it.
  mGui->QueueTextEntry("abc");
  Click(15, 100, mRight);
  EXPECT_DOUBLE_EQ(Param(GuiTestPlugin::kGain)->Value(), 6.0);
}
} // namespace
