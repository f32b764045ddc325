// Text and caption controls in an editor: when a new text is drawn, what a caption shows, and the
// prompts a click on a caption opens.

#include "framework/gui/ControlRig.h"
#include "framework/gui/ITextControls.h"

namespace
{
class Texts : public ControlRig
{
protected:
  void SetUp() override { Open(); }
  bool Inked(IRECT r) // any text-coloured pixel
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
  const IRECT r(10, 10, 110, 30);
  auto* text = Add(new ITextControl(mPlug.get(), r, &mStyle, "Tarvo"));
  Attach();
  EXPECT_TRUE(Inked(r));
  text->SetTextFromPlug("Tarvo");
  EXPECT_FALSE(mGui->Tick());
  text->SetTextFromPlug(nullptr);
  IRECT area;
  EXPECT_TRUE(mGui->Tick(&area));
  EXPECT_EQ(area, r);
  EXPECT_FALSE(Inked(r));
}

TEST_F(Texts, CaptionShowsTheParameterAsItIsNow)
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
  // The parameter moves without the controls being told; a redraw shows it all the same.
  Param(GuiTestPlugin::kGain)->Set(-4.5);
  mGui->DrawAll();
  EXPECT_STREQ(gain->GetTextForPlug(), "-4.50 dB");
}

TEST_F(Texts, ClickingACaptionPromptsForItsParameter)
{
  Add(new ICaptionControl(mPlug.get(), IRECT(10, 10, 110, 30), GuiTestPlugin::kGain, &mStyle));
  Add(new ICaptionControl(mPlug.get(), IRECT(10, 70, 110, 90), GuiTestPlugin::kMode, &mStyle));
  Attach();
  // Continuous: a text field at the caption's centre.
  mGui->QueueTextEntry("-6.5");
  Click(50, 20);
  ASSERT_EQ(mGui->GetTextEntries().size(), 1u);
  EXPECT_EQ(mGui->GetTextEntries()[0].mRect, IRECT(40, 12, 80, 28));
  EXPECT_DOUBLE_EQ(Param(GuiTestPlugin::kGain)->Value(), -6.5);
  // Enumeration: its display texts over the caption, on a press or a double click.
  mGui->QueuePopupChoice("High");
  Click(50, 80);
  EXPECT_EQ(Param(GuiTestPlugin::kMode)->Int(), 2);
  IMouseMod left(true);
  mGui->QueuePopupChoice({1});
  mGui->OnMouseDblClick(50, 80, &left);
  EXPECT_EQ(Param(GuiTestPlugin::kMode)->Int(), 1);
  ASSERT_EQ(mGui->GetPopups().size(), 2u);
  EXPECT_EQ(mGui->GetPopups()[1].mRect, IRECT(10, 70, 110, 90));
}
} // namespace
