// Switches and buttons clicked through the engine: stepping and wrapping, the popup switch, click
// areas per frame, radio-button layout, momentary and overlay buttons.

#include "framework/gui/ControlRig.h"
#include "framework/gui/ISwitchControls.h"

namespace
{
using Log = std::vector<std::string>;

class Switches : public ControlRig
{
protected:
  void SetUp() override { Open(); }

  // Clicks (x, y) count times and returns the control's value after each click.
  std::vector<double> Steps(IControl* c, int x, int y, int count)
  {
    std::vector<double> values;
    for (int i = 0; i < count; ++i)
    {
      Click(x, y);
      values.push_back(c->GetValue());
    }
    return values;
  }
};

TEST_F(Switches, EachPressStepsOneFrameAndWrapsOnlyPastTheLast)
{
  IBitmap two = MakeStrip(mGui, 20, 10, 2), three = MakeStrip(mGui, 20, 10, 3),
          one = MakeStrip(mGui, 20, 10, 1);
  auto* sw2 = Add(new ISwitchControl(mPlug.get(), 10, 10, GuiTestPlugin::kSwitch, &two));
  auto* sw3 = Add(new ISwitchControl(mPlug.get(), 40, 10, -1, &three));
  auto* sw1 = Add(new ISwitchControl(mPlug.get(), 70, 10, -1, &one));
  Attach();

  EXPECT_EQ(Steps(sw2, 15, 15, 3), (std::vector<double>{1.0, 0.0, 1.0}));
  EXPECT_EQ(mPlug->GetParam(GuiTestPlugin::kSwitch)->Int(), 1);
  EXPECT_EQ(Steps(sw3, 45, 15, 4), (std::vector<double>{0.5, 1.0, 0.0, 0.5}));
  EXPECT_EQ(Steps(sw1, 75, 15, 2), (std::vector<double>{1.0, 0.0}));

  // The frame follows the value.
  mGui->Tick();
  EXPECT_EQ(FrameAt(45, 15), 1);

  // A double click is a second press.
  IMouseMod left(true);
  Click(45, 15);
  mGui->OnMouseDblClick(45, 15, &left);
  EXPECT_DOUBLE_EQ(sw3->GetValue(), 0.0);
}

TEST_F(Switches, TenFramesLandOnTheLastDespiteRounding)
{
  // Nine steps of 1/9 add up to a hair above 1.0: still the last frame, no wrap.
  IBitmap ten = MakeStrip(mGui, 20, 10, 10);
  auto* sw = Add(new ISwitchControl(mPlug.get(), 10, 10, -1, &ten));
  Attach();
  const std::vector<double> v = Steps(sw, 15, 15, 9);
  EXPECT_NEAR(v[8], 1.0, 1e-9);
  mGui->Tick();
  EXPECT_EQ(FrameAt(15, 15), 9);
  Click(15, 15);
  EXPECT_EQ(sw->GetValue(), 0.0);
}

TEST_F(Switches, PopUpSwitchOffersTheDisplayTexts)
{
  IBitmap three = MakeStrip(mGui, 30, 10, 3);
  auto* sw = Add(new ISwitchPopUpControl(mPlug.get(), 10, 10, GuiTestPlugin::kMode, &three));
  Attach();

  mGui->QueuePopupChoice({2});
  Click(15, 15);
  ASSERT_EQ(mGui->GetPopups().size(), 1u);
  EXPECT_EQ(mGui->GetPopups()[0].mLines, (Log{"Low\tchecked", "Mid", "High"}));
  EXPECT_EQ(mGui->GetPopups()[0].mRect, IRECT(10, 10, 40, 20));
  EXPECT_DOUBLE_EQ(sw->GetValue(), 1.0);
  EXPECT_EQ(mPlug->GetParam(GuiTestPlugin::kMode)->Int(), 2);

  // Dismissed: the value stays where it was.
  mGui->QueuePopupDismiss();
  Click(15, 15);
  EXPECT_EQ(mGui->GetPopups().size(), 2u);
  EXPECT_EQ(mPlug->GetParam(GuiTestPlugin::kMode)->Int(), 2);
  mGui->Tick();
  EXPECT_EQ(FrameAt(15, 15), 2);
}

TEST_F(Switches, FramesSwitchSelectsTheFrameUnderTheMouse)
{
  // Three frames 30 x 10: stacked click areas of 3 pixels (the last row belongs to none), or
  // side by side of 10 pixels.
  IBitmap three = MakeStrip(mGui, 30, 10, 3);
  auto* stacked =
      Add(new ISwitchFramesControl(mPlug.get(), 10, 10, GuiTestPlugin::kGain, &three, false));
  auto* across = Add(new ISwitchFramesControl(mPlug.get(), 10, 30, -1, &three, true));
  Attach();
  ASSERT_EQ(stacked->NClickRects(), 3);
  EXPECT_EQ(*stacked->GetClickRect(2), IRECT(10, 16, 40, 19));
  EXPECT_EQ(*across->GetClickRect(1), IRECT(20, 30, 30, 40));

  Click(20, 17);
  EXPECT_DOUBLE_EQ(stacked->GetValue(), 1.0);
  Click(20, 13);
  EXPECT_DOUBLE_EQ(stacked->GetValue(), 0.5);
  // Outside every area: the value stays but is still sent.
  mPlug->mLog.clear();
  Click(20, 19);
  EXPECT_DOUBLE_EQ(stacked->GetValue(), 0.5);
  EXPECT_EQ(mPlug->mLog, (Log{"begin 0", "gui 0 0.5000", "end 0"}));

  Click(35, 35);
  EXPECT_DOUBLE_EQ(across->GetValue(), 1.0);
  Click(12, 35);
  EXPECT_DOUBLE_EQ(across->GetValue(), 0.0);
}

TEST_F(Switches, InvisibleSwitchTogglesAndDrawsNothing)
{
  auto* sw =
      Add(new IInvisibleSwitchControl(mPlug.get(), IRECT(10, 10, 30, 30), GuiTestPlugin::kSwitch));
  Attach();
  EXPECT_EQ(Steps(sw, 20, 20, 3), (std::vector<double>{1.0, 0.0, 1.0}));
  EXPECT_EQ(mPlug->GetParam(GuiTestPlugin::kSwitch)->Int(), 1);
  mGui->Tick();
  EXPECT_EQ(mGui->GetPoint(20, 20), COLOR_BLACK);
}

TEST_F(Switches, RadioButtonsAreSpreadEvenlyAndReversible)
{
  IBitmap button = MakeStrip(mGui, 10, 20, 2);
  // Three buttons 20 high in 80: gaps of 10. Horizontally three 10 wide in 50: gaps of 10.
  auto* down = Add(new IRadioButtonsControl(mPlug.get(), IRECT(10, 10, 20, 90), -1, 3, &button));
  auto* up = Add(new IRadioButtonsControl(mPlug.get(), IRECT(30, 10, 40, 90), -1, 3, &button,
                                          kDirVertical, true));
  auto* across = Add(new IRadioButtonsControl(mPlug.get(), IRECT(50, 10, 100, 30), -1, 3, &button,
                                              kDirHorizontal));
  auto* back = Add(new IRadioButtonsControl(mPlug.get(), IRECT(50, 40, 100, 60), -1, 3, &button,
                                            kDirHorizontal, true));
  Attach();
  auto tops = [](IRadioButtonsControl* c)
  {
    std::vector<int> t;
    for (int i = 0; i < c->NButtons(); ++i)
      t.push_back(c->GetButtonRect(i)->T);
    return t;
  };
  auto lefts = [](IRadioButtonsControl* c)
  {
    std::vector<int> l;
    for (int i = 0; i < c->NButtons(); ++i)
      l.push_back(c->GetButtonRect(i)->L);
    return l;
  };
  EXPECT_EQ(tops(down), (std::vector<int>{10, 40, 70}));
  EXPECT_EQ(*down->GetButtonRect(1), IRECT(10, 40, 20, 60));
  EXPECT_EQ(tops(up), (std::vector<int>{70, 40, 10}));
  EXPECT_EQ(lefts(across), (std::vector<int>{50, 70, 90}));
  EXPECT_EQ(*across->GetButtonRect(2), IRECT(90, 10, 100, 30));
  EXPECT_EQ(lefts(back), (std::vector<int>{90, 70, 50}));
}

TEST_F(Switches, RadioButtonPressPicksItsButtonAndOnlyThatOneIsLit)
{
  IBitmap button = MakeStrip(mGui, 10, 20, 2);
  auto* radio = Add(new IRadioButtonsControl(mPlug.get(), IRECT(10, 10, 20, 90),
                                             GuiTestPlugin::kMode, 3, &button));
  Attach();
  EXPECT_EQ(FrameAt(15, 15), 1); // the first is on at start
  EXPECT_EQ(FrameAt(15, 45), 0);

  Click(15, 45);
  EXPECT_DOUBLE_EQ(radio->GetValue(), 0.5);
  EXPECT_EQ(mPlug->GetParam(GuiTestPlugin::kMode)->Int(), 1);
  mGui->Tick();
  EXPECT_EQ(FrameAt(15, 15), 0);
  EXPECT_EQ(FrameAt(15, 45), 1);
  EXPECT_EQ(FrameAt(15, 75), 0);
  EXPECT_EQ(FrameAt(15, 35), -1); // nothing in a gap

  Click(15, 35); // a gap: no change
  EXPECT_DOUBLE_EQ(radio->GetValue(), 0.5);
  Click(15, 89);
  EXPECT_DOUBLE_EQ(radio->GetValue(), 1.0);
}

TEST_F(Switches, RadioButtonsPromptOnTheRightButtonOutsideVst3)
{
  Open(kAPIVST2);
  IBitmap button = MakeStrip(mGui, 10, 20, 2);
  auto* radio = Add(new IRadioButtonsControl(mPlug.get(), IRECT(10, 10, 20, 90),
                                             GuiTestPlugin::kMode, 3, &button));
  radio->DisablePrompt(false);
  Attach();
  mGui->QueuePopupChoice("Mid");
  Click(15, 75, mRight);
  ASSERT_EQ(mGui->GetPopups().size(), 1u);
  EXPECT_DOUBLE_EQ(radio->GetValue(), 0.5);
}

TEST_F(Switches, ContactIsOnOnlyWhilePressed)
{
  IBitmap two = MakeStrip(mGui, 20, 10, 2);
  auto* contact = Add(new IContactControl(mPlug.get(), 10, 10, GuiTestPlugin::kSwitch, &two));
  Attach();
  IMouseMod left(true);
  mGui->OnMouseDown(15, 15, &left);
  EXPECT_DOUBLE_EQ(contact->GetValue(), 1.0);
  mGui->OnMouseUp(15, 15, &left);
  EXPECT_DOUBLE_EQ(contact->GetValue(), 0.0);
  EXPECT_EQ(mPlug->mLog, (Log{"begin 2", "gui 2 1.0000", "gui 2 0.0000", "end 2"}));
}

TEST_F(Switches, OverlayOpensFromItsTargetAreaAndClosesAnywhere)
{
  // A 100 x 80 image over the editor's top left, opened by a 10 x 10 area at (200, 150).
  IBitmap image = MakeStrip(mGui, 100, 80, 1);
  auto* overlay =
      Add(new IBitmapOverlayControl(mPlug.get(), 0, 0, &image, IRECT(200, 150, 210, 160)));
  Attach();
  EXPECT_EQ(FrameAt(50, 40), -1); // off: not drawn

  Click(50, 40); // on the image, but it is closed
  EXPECT_DOUBLE_EQ(overlay->GetValue(), 0.0);
  Click(205, 155);
  EXPECT_DOUBLE_EQ(overlay->GetValue(), 1.0);
  mGui->Tick();
  EXPECT_EQ(FrameAt(50, 40), 0);

  Click(205, 155); // the area no longer belongs to it
  EXPECT_DOUBLE_EQ(overlay->GetValue(), 1.0);
  Click(50, 40);
  EXPECT_DOUBLE_EQ(overlay->GetValue(), 0.0);
  mGui->Tick();
  EXPECT_EQ(FrameAt(50, 40), -1);
  Click(50, 40);
  EXPECT_DOUBLE_EQ(overlay->GetValue(), 0.0);
}
} // namespace
