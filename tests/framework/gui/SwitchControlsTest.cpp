// Switches and buttons clicked through the engine: stepping and wrapping, the popup switch, click
// areas per frame, radio-button layout, momentary and overlay buttons.

#include "framework/gui/ControlRig.h"
#include "framework/gui/ISwitchControls.h"

namespace
{
using Values = std::vector<double>;

class Switches : public ControlRig
{
protected:
  void SetUp() override { Open(); }
  Values Steps(IControl* c, int x, int y, int count)
  {
    Values v;
    for (int i = 0; i < count; ++i)
    {
      Click(x, y);
      v.push_back(c->GetValue());
    }
    return v;
  }
};

TEST_F(Switches, EachPressStepsOneFrameAndWrapsOnlyPastTheLast)
{
  IBitmap one = MakeStrip(mGui, 20, 10, 1), two = MakeStrip(mGui, 20, 10, 2),
          three = MakeStrip(mGui, 20, 10, 3), ten = MakeStrip(mGui, 20, 10, 10);
  auto* sw1 = Add(new ISwitchControl(mPlug.get(), 10, 10, -1, &one));
  auto* sw2 = Add(new ISwitchControl(mPlug.get(), 40, 10, GuiTestPlugin::kSwitch, &two));
  auto* sw3 = Add(new ISwitchControl(mPlug.get(), 70, 10, -1, &three));
  auto* sw10 = Add(new ISwitchControl(mPlug.get(), 100, 10, -1, &ten));
  Attach();
  EXPECT_EQ(Steps(sw1, 15, 15, 2), (Values{1.0, 0.0}));
  EXPECT_EQ(Steps(sw2, 45, 15, 3), (Values{1.0, 0.0, 1.0}));
  EXPECT_EQ(Param(GuiTestPlugin::kSwitch)->Int(), 1);
  EXPECT_EQ(Steps(sw3, 75, 15, 4), (Values{0.5, 1.0, 0.0, 0.5}));
  // Nine steps of 1/9 add up to a hair above 1.0: still the last frame.
  EXPECT_EQ(Steps(sw10, 105, 15, 9)[8], 1.0);
  mGui->Tick();
  EXPECT_EQ(FrameAt(75, 15), 1);
  EXPECT_EQ(FrameAt(105, 15), 9);

  IMouseMod left(true);
  mGui->OnMouseDblClick(75, 15, &left); // the second press of a double click
  EXPECT_DOUBLE_EQ(sw3->GetValue(), 1.0);
}

TEST_F(Switches, PopUpSwitchOffersTheDisplayTexts)
{
  IBitmap three = MakeStrip(mGui, 30, 10, 3);
  Add(new ISwitchPopUpControl(mPlug.get(), 10, 10, GuiTestPlugin::kMode, &three));
  Attach();
  mGui->QueuePopupChoice({2});
  Click(15, 15);
  mGui->QueuePopupDismiss();
  Click(15, 15);
  ASSERT_EQ(mGui->GetPopups().size(), 2u);
  EXPECT_EQ(mGui->GetPopups()[0].mRect, IRECT(10, 10, 40, 20));
  EXPECT_EQ(Param(GuiTestPlugin::kMode)->Int(), 2);
  mGui->Tick();
  EXPECT_EQ(FrameAt(15, 15), 2);
}

TEST_F(Switches, FramesSwitchSelectsTheFrameUnderTheMouse)
{
  // 30 x 10: stacked areas 3 high (the last row belongs to none), or side by side 10 wide.
  IBitmap three = MakeStrip(mGui, 30, 10, 3);
  auto* stacked =
      Add(new ISwitchFramesControl(mPlug.get(), 10, 10, GuiTestPlugin::kGain, &three, false));
  auto* across = Add(new ISwitchFramesControl(mPlug.get(), 10, 30, -1, &three, true));
  Attach();
  EXPECT_EQ(*stacked->GetClickRect(2), IRECT(10, 16, 40, 19));
  EXPECT_EQ(*across->GetClickRect(1), IRECT(20, 30, 30, 40));
  EXPECT_EQ(Steps(stacked, 20, 17, 1), (Values{1.0}));
  EXPECT_EQ(Steps(stacked, 20, 13, 1), (Values{0.5}));
  mPlug->mLog.clear();
  EXPECT_EQ(Steps(stacked, 20, 19, 1), (Values{0.5})); // no area: unchanged, but sent
  EXPECT_EQ(mPlug->mLog, (std::vector<std::string>{"begin 0", "gui 0 0.5000", "end 0"}));
  EXPECT_EQ(Steps(across, 35, 35, 1), (Values{1.0}));
}

TEST_F(Switches, RadioButtonsAreSpreadEvenlyAndOnlyThePressedOneIsLit)
{
  // Buttons 10 x 20. Three in 80 high or 50 wide: gaps of 10.
  IBitmap button = MakeStrip(mGui, 10, 20, 2);
  auto* down = Add(new IRadioButtonsControl(mPlug.get(), IRECT(10, 10, 20, 90),
                                            GuiTestPlugin::kMode, 3, &button));
  auto* up = Add(new IRadioButtonsControl(mPlug.get(), IRECT(30, 10, 40, 90), -1, 3, &button,
                                          kDirVertical, true));
  auto* across = Add(new IRadioButtonsControl(mPlug.get(), IRECT(50, 10, 100, 30), -1, 3, &button,
                                              kDirHorizontal));
  Attach();
  auto corners = [](IRadioButtonsControl* c)
  {
    std::vector<int> v;
    for (int i = 0; i < c->NButtons(); ++i)
      v.insert(v.end(), {c->GetButtonRect(i)->L, c->GetButtonRect(i)->T});
    return v;
  };
  EXPECT_EQ(corners(down), (std::vector<int>{10, 10, 10, 40, 10, 70}));
  EXPECT_EQ(corners(up), (std::vector<int>{30, 70, 30, 40, 30, 10}));
  EXPECT_EQ(corners(across), (std::vector<int>{50, 10, 70, 10, 90, 10}));
  EXPECT_EQ(*down->GetButtonRect(2), IRECT(10, 70, 20, 90));

  EXPECT_EQ(Steps(down, 15, 45, 1), (Values{0.5}));
  EXPECT_EQ(Param(GuiTestPlugin::kMode)->Int(), 1);
  EXPECT_EQ(Steps(down, 15, 35, 1), (Values{0.5})); // a gap
  mGui->Tick();
  EXPECT_EQ(std::vector<int>({FrameAt(15, 15), FrameAt(15, 35), FrameAt(15, 45), FrameAt(15, 75)}),
            std::vector<int>({0, -1, 1, 0}));
}

TEST_F(Switches, ContactAndInvisibleSwitch)
{
  IBitmap two = MakeStrip(mGui, 20, 10, 2);
  auto* contact = Add(new IContactControl(mPlug.get(), 10, 10, GuiTestPlugin::kSwitch, &two));
  auto* hidden = Add(new IInvisibleSwitchControl(mPlug.get(), IRECT(10, 30, 30, 50), -1));
  Attach();
  IMouseMod left(true);
  mGui->OnMouseDown(15, 15, &left);
  EXPECT_DOUBLE_EQ(contact->GetValue(), 1.0);
  mGui->OnMouseUp(15, 15, &left);
  EXPECT_EQ(mPlug->mLog,
            (std::vector<std::string>{"begin 2", "gui 2 1.0000", "gui 2 0.0000", "end 2"}));

  EXPECT_EQ(Steps(hidden, 20, 40, 3), (Values{1.0, 0.0, 1.0}));
  mGui->Tick();
  EXPECT_EQ(mGui->GetPoint(20, 40), COLOR_BLACK);
}

TEST_F(Switches, OverlayOpensFromItsTargetAreaAndClosesAnywhere)
{
  IBitmap image = MakeStrip(mGui, 100, 80, 1);
  auto* overlay =
      Add(new IBitmapOverlayControl(mPlug.get(), 0, 0, &image, IRECT(200, 150, 210, 160)));
  EXPECT_FALSE(overlay->IsHit(50, 40)); // closed from the start, before any drawing
  Attach();
  EXPECT_EQ(FrameAt(50, 40), -1);
  EXPECT_EQ(Steps(overlay, 50, 40, 1), (Values{0.0}));
  EXPECT_EQ(Steps(overlay, 205, 155, 1), (Values{1.0}));
  mGui->Tick();
  EXPECT_EQ(FrameAt(50, 40), 0);
  EXPECT_EQ(Steps(overlay, 205, 155, 1), (Values{1.0})); // no longer its area
  EXPECT_EQ(Steps(overlay, 50, 40, 1), (Values{0.0}));
  mGui->Tick();
  EXPECT_EQ(FrameAt(50, 40), -1);
  EXPECT_FALSE(overlay->IsHit(50, 40));
}
} // namespace
