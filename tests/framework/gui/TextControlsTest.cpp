// Text and caption controls in an editor: when a new text is drawn, what a caption shows, and the
// prompts a click on a caption opens.

#include "framework/gui/ControlRig.h"
#include "framework/gui/IKnobControls.h"
#include "framework/gui/ITextControls.h"

namespace
{
using Log = std::vector<std::string>;

class Texts : public ControlRig
{
protected:
  void SetUp() override { Open(kAPIVST3); }

  // Any text-coloured pixel in r.
  bool Inked(IRECT r)
  {
    for (int y = r.T; y < r.B; ++y)
      for (int x = r.L; x < r.R; ++x)
        if (mGui->GetPoint(x, y).R > 128) return true;
    return false;
  }

  IText mStyle{14, &COLOR_WHITE, "Arial", IText::kTextRegular, IText::kAlignLeft};
};

TEST_F(Texts, TextIsRedrawnOnlyWhenItChanges)
{
  auto* text = Add(new ITextControl(mPlug.get(), IRECT(10, 10, 110, 30), &mStyle, "Tarvo"));
  auto* empty = Add(new ITextControl(mPlug.get(), IRECT(10, 40, 110, 60), &mStyle, nullptr));
  Attach();
  EXPECT_TRUE(Inked(IRECT(10, 10, 110, 30)));
  EXPECT_STREQ(empty->GetTextForPlug(), "");
  EXPECT_FALSE(Inked(IRECT(10, 40, 110, 60)));

  text->SetTextFromPlug("Tarvo");
  EXPECT_FALSE(mGui->Tick());
  text->SetTextFromPlug("");
  IRECT area;
  EXPECT_TRUE(mGui->Tick(&area));
  EXPECT_EQ(area, IRECT(10, 10, 110, 30));
  EXPECT_FALSE(Inked(IRECT(10, 10, 110, 30)));
  empty->SetTextFromPlug(nullptr);
  EXPECT_FALSE(mGui->Tick());
}

TEST_F(Texts, ValueDisplayFollowsAKnobAsItTurns)
{
  IBitmap strip = MakeStrip(mGui, 20, 20, 11);
  auto* knob = Add(new IKnobMultiControl(mPlug.get(), 10, 10, GuiTestPlugin::kGain, &strip));
  auto* display = Add(new ITextControl(mPlug.get(), IRECT(10, 40, 110, 60), &mStyle, ""));
  knob->SetValDisplayControl(display);
  Attach();
  DragBy(20, 20, 0, -20); // the knob's height at gearing 4: 0.75, +9 dB
  EXPECT_STREQ(display->GetTextForPlug(), "9.00 dB");
  mGui->Tick();
  EXPECT_TRUE(Inked(IRECT(10, 40, 110, 60)));
}

TEST_F(Texts, CaptionShowsTheParameterAsItIsNowWithOrWithoutLabel)
{
  auto* gain =
      Add(new ICaptionControl(mPlug.get(), IRECT(10, 10, 110, 30), GuiTestPlugin::kGain, &mStyle));
  auto* bare = Add(new ICaptionControl(mPlug.get(), IRECT(10, 40, 110, 60), GuiTestPlugin::kGain,
                                       &mStyle, false));
  auto* mode =
      Add(new ICaptionControl(mPlug.get(), IRECT(10, 70, 110, 90), GuiTestPlugin::kMode, &mStyle));
  Attach();
  EXPECT_STREQ(gain->GetTextForPlug(), "0.00 dB");
  EXPECT_STREQ(bare->GetTextForPlug(), "0.00");
  EXPECT_STREQ(mode->GetTextForPlug(), "Low "); // a display text comes without the label
  EXPECT_TRUE(Inked(IRECT(10, 10, 110, 30)));

  // The parameter moves without the controls being told; a redraw shows it all the same.
  mPlug->GetParam(GuiTestPlugin::kGain)->Set(-4.5);
  mGui->DrawAll();
  EXPECT_STREQ(gain->GetTextForPlug(), "-4.50 dB");
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.5);
}

TEST_F(Texts, ClickingACaptionPromptsForItsParameter)
{
  auto* gain =
      Add(new ICaptionControl(mPlug.get(), IRECT(10, 10, 110, 30), GuiTestPlugin::kGain, &mStyle));
  Add(new ICaptionControl(mPlug.get(), IRECT(10, 70, 110, 90), GuiTestPlugin::kMode, &mStyle));
  Attach();

  // A continuous parameter: a text field in a box at the caption's centre.
  mGui->QueueTextEntry("-6.5");
  Click(50, 20);
  ASSERT_EQ(mGui->GetTextEntries().size(), 1u);
  EXPECT_EQ(mGui->GetTextEntries()[0].mRect, IRECT(40, 12, 80, 28));
  EXPECT_EQ(mGui->GetTextEntries()[0].mInitialText, "0.00");
  EXPECT_DOUBLE_EQ(mPlug->GetParam(GuiTestPlugin::kGain)->Value(), -6.5);
  mGui->Tick();
  EXPECT_STREQ(gain->GetTextForPlug(), "-6.50 dB");

  // An enumeration: its display texts over the caption, on a press or a double click.
  mGui->QueuePopupChoice("High");
  Click(50, 80);
  ASSERT_EQ(mGui->GetPopups().size(), 1u);
  EXPECT_EQ(mGui->GetPopups()[0].mRect, IRECT(10, 70, 110, 90));
  EXPECT_EQ(mPlug->GetParam(GuiTestPlugin::kMode)->Int(), 2);
  IMouseMod left(true);
  mGui->QueuePopupChoice({1});
  mGui->OnMouseDblClick(50, 80, &left);
  EXPECT_EQ(mPlug->GetParam(GuiTestPlugin::kMode)->Int(), 1);

  // A press with neither button flag asks for nothing.
  Click(50, 80, IMouseMod());
  EXPECT_EQ(mGui->GetPopups().size(), 2u);
}
} // namespace
