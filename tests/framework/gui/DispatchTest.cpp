// The engine driven through the entry points a platform layer calls: presses, drags, the right
// button under VST 3, hidden and grayed controls, keys, the redraw cycles and prompting.

#include <gtest/gtest.h>

#include <memory>

#include "framework/gui/ControlRig.h"
#include "framework/gui/IKnobControls.h"

namespace
{
using Log = std::vector<std::string>;

class Dispatch : public ControlRig
{
protected:
  void Build(EAPI api = kAPIVST3)
  {
    Open(api);
    mKnob = Add(new ProbeControl(mPlug.get(), IRECT(10, 10, 50, 50), GuiTestPlugin::kGain, "knob"));
    mMode =
        Add(new ProbeControl(mPlug.get(), IRECT(60, 10, 100, 30), GuiTestPlugin::kMode, "mode"));
    mLabel = Add(new ProbeControl(mPlug.get(), IRECT(120, 10, 160, 50), -1, "label"));
    Attach();
  }
  void SetUp() override { Build(); }
  int Cycle()
  {
    IRECT r;
    return mGui->Tick(&r) ? 1 : 0;
  }

  ProbeControl* mKnob = nullptr;
  ProbeControl* mMode = nullptr;
  ProbeControl* mLabel = nullptr;
  IMouseMod mLeft{true}, mRightButton{false, true};
};

TEST_F(Dispatch, PressInformsHostAroundTheControlAndReleaseEndsTheEdit)
{
  mGui->OnMouseDown(20, 20, &mLeft);
  mGui->OnMouseUp(25, 22, &mLeft);
  EXPECT_EQ(mPlug->mLog, (Log{"begin 0", "knob down 20 20", "knob up 25 22", "end 0"}));
  EXPECT_EQ(mGui->GetMouseCapture(), -1);

  // A control without a parameter never talks to the host.
  mPlug->mLog.clear();
  Click(130, 20);
  EXPECT_EQ(mPlug->mLog, (Log{"label down 130 20", "label up 130 20"}));
}

TEST_F(Dispatch, DragOutsideStaysWithTheCapturedControlAndRepeatsAreDropped)
{
  mGui->OnMouseDown(20, 20, &mLeft);
  mGui->OnMouseDrag(140, 30, &mLeft); // over the label
  mGui->OnMouseDrag(140, 30, &mLeft); // same place: dropped
  mGui->OnMouseDrag(190, 95, &mLeft); // outside every control
  mGui->OnMouseUp(190, 95, &mLeft);
  EXPECT_EQ(mPlug->mLog, (Log{"begin 0", "knob down 20 20", "knob drag 140 30", "knob delta 120 10",
                              "knob drag 190 95", "knob delta 50 65", "knob up 190 95", "end 0"}));
  // Without a capture a drag goes nowhere.
  mPlug->mLog.clear();
  mGui->OnMouseDrag(20, 20, &mLeft);
  EXPECT_TRUE(mPlug->mLog.empty());
}

TEST_F(Dispatch, RightButtonUnderVst3OpensTheHostMenuInsteadOfTheControl)
{
  mGui->OnMouseDown(20, 20, &mRightButton);
  EXPECT_EQ(mPlug->mLog, (Log{"context 0 20 20"}));
  EXPECT_EQ(mGui->GetMouseCapture(), -1);
  // The release still reaches the control under the mouse, but ends no gesture: none was begun.
  mGui->OnMouseUp(20, 20, &mRightButton);
  EXPECT_EQ(mPlug->mLog, (Log{"context 0 20 20", "knob up 20 20"}));

  // On a control without a parameter the press goes to the control.
  mPlug->mLog.clear();
  mGui->OnMouseDown(130, 20, &mRightButton);
  EXPECT_EQ(mPlug->mLog, (Log{"label down 130 20"}));

  // Under another API the control gets it.
  Build(kAPIVST2);
  mGui->OnMouseDown(20, 20, &mRightButton);
  EXPECT_EQ(mPlug->mLog, (Log{"begin 0", "knob down 20 20"}));
}

TEST_F(Dispatch, HiddenAndGrayedControlsAreNotHit)
{
  auto* top = new ProbeControl(mPlug.get(), IRECT(10, 10, 50, 50), -1, "top");
  mGui->AttachControl(top);
  mGui->OnMouseDown(20, 20, &mLeft);
  EXPECT_EQ(mPlug->mLog, (Log{"top down 20 20"})); // the later control wins

  mPlug->mLog.clear();
  top->Hide(true);
  mGui->OnMouseDown(20, 20, &mLeft);
  EXPECT_EQ(mPlug->mLog, (Log{"begin 0", "knob down 20 20"}));

  mPlug->mLog.clear();
  mGui->GrayOutControl(GuiTestPlugin::kGain, true);
  EXPECT_FLOAT_EQ(mKnob->GetBlend()->mWeight, 0.25f);
  mGui->OnMouseDown(20, 20, &mLeft);
  EXPECT_EQ(mGui->GetMouseCapture(), 0); // falls through to the background
  mGui->OnMouseUp(20, 20, &mLeft);

  // Mouse over skips the grayed control unless it asks for it.
  mPlug->mLog.clear();
  mGui->HandleMouseOver(true);
  mGui->OnMouseOver(20, 20, &mLeft);
  EXPECT_EQ(mGui->GetMouseOver(), 0);
  mKnob->SetMOWhenGrayed(true);
  mGui->OnMouseOver(21, 20, &mLeft);
  EXPECT_EQ(mGui->GetMouseOver(), 1);
  EXPECT_EQ(mPlug->mLog, (Log{"knob over 21 20"}));

  mGui->GrayOutControl(GuiTestPlugin::kGain, false);
  EXPECT_FLOAT_EQ(mKnob->GetBlend()->mWeight, 1.0f);

  // Hidden controls are not drawn, grayed ones are.
  mGui->GrayOutControl(GuiTestPlugin::kGain, true);
  mGui->DrawAll();
  EXPECT_EQ(top->mDraws, 0);
  EXPECT_GT(mKnob->mDraws, 0);
}

TEST_F(Dispatch, MouseOverTellsThePreviousControlItLeft)
{
  mGui->OnMouseOver(20, 20, &mLeft);
  EXPECT_TRUE(mPlug->mLog.empty()); // mouse over is off by default
  mGui->HandleMouseOver(true);
  mGui->OnMouseOver(20, 20, &mLeft);
  mGui->OnMouseOver(70, 20, &mLeft);
  mGui->OnMouseOver(500, 500, &mLeft); // nothing there: the last one is not told
  EXPECT_EQ(mPlug->mLog, (Log{"knob over 20 20", "mode over 70 20", "knob out 0 0"}));
  EXPECT_EQ(mGui->GetMouseOver(), 2);
  mGui->OnMouseOut();
  EXPECT_EQ(mGui->GetMouseOver(), -1);
}

TEST_F(Dispatch, KeysGoToTheControlOrTheKeyCatcher)
{
  EXPECT_TRUE(mGui->OnKeyDown(20, 20, 5));
  EXPECT_FALSE(mGui->OnKeyDown(190, 90, 5)); // background, no catcher
  auto* catcher = new ProbeControl(mPlug.get(), IRECT(), -1, "catcher");
  mGui->AttachKeyCatcher(catcher);
  EXPECT_TRUE(mGui->OnKeyDown(190, 90, 7));
  EXPECT_EQ(mPlug->mLog, (Log{"knob key 5 0", "catcher key 7 0"}));
}

TEST_F(Dispatch, DoubleClickRestoresTheDefaultOrActsAsAPress)
{
  // The value pushed at attach time is the default.
  const double def = mPlug->GetParam(GuiTestPlugin::kGain)->GetNormalized();
  EXPECT_DOUBLE_EQ(mKnob->GetDefaultValue(), def);
  mKnob->SetValueFromUserInput(0.9);
  mPlug->mLog.clear();
  EXPECT_FALSE(mGui->OnMouseDblClick(20, 20, &mLeft));
  EXPECT_DOUBLE_EQ(mKnob->GetValue(), def);
  // The default reaches the host as one gesture; the release after it ends nothing more.
  EXPECT_EQ(mPlug->mLog, (Log{"knob dblclick 20 20", "begin 0", "end 0", "gui 0 0.5000"}));
  EXPECT_EQ(mGui->GetMouseCapture(), -1);
  mGui->OnMouseUp(20, 20, &mLeft);
  EXPECT_EQ(mPlug->mLog.back(), "knob up 20 20");

  // Taken as a press, it opens a gesture like one.
  mPlug->mLog.clear();
  mKnob->SetDblAsSingleClick(true);
  EXPECT_TRUE(mGui->OnMouseDblClick(20, 20, &mLeft));
  EXPECT_EQ(mPlug->mLog, (Log{"begin 0", "knob down 20 20"}));
  EXPECT_EQ(mGui->GetMouseCapture(), 1);

  // A control that never got a value from the plug-in has no default to restore.
  auto* fresh = new ProbeControl(mPlug.get(), IRECT(0, 60, 10, 70), -1, "fresh");
  mGui->AttachControl(fresh);
  fresh->SetValue(0.7);
  mGui->OnMouseDblClick(5, 65, &mLeft);
  EXPECT_DOUBLE_EQ(fresh->GetValue(), 0.7);
}

TEST_F(Dispatch, BackgroundStaysFirstWhenAttachedLate)
{
  auto plug = std::make_unique<GuiTestPlugin>();
  IGraphicsHeadless gui(plug.get(), 50, 50);
  auto* c = new ProbeControl(plug.get(), IRECT(0, 0, 10, 10));
  gui.AttachControl(c);
  gui.AttachPanelBackground(&COLOR_BLUE);
  EXPECT_EQ(gui.GetControl(1), c);
  EXPECT_EQ(gui.GetNControls(), 2);
  EXPECT_EQ(gui.GetParamIdxForPTAutomation(40, 40), -1); // the background has none
}

TEST_F(Dispatch, DirtyRectanglesAreUnited)
{
  Cycle(); // everything starts dirty
  IRECT r;
  EXPECT_FALSE(mGui->IsDirty(&r));
  auto* a = new ProbeControl(mPlug.get(), IRECT(10, 10, 20, 20));
  auto* b = new ProbeControl(mPlug.get(), IRECT(30, 5, 40, 15));
  mGui->AttachControl(a);
  mGui->AttachControl(b);
  EXPECT_TRUE(mGui->IsDirty(&r));
  EXPECT_EQ(r, IRECT(10, 5, 40, 20));
}

TEST_F(Dispatch, ValueFromPlugIsDrawnInTwoCyclesThenClean)
{
  Cycle();
  const int before = mKnob->mDraws;
  mGui->SetParameterFromPlug(GuiTestPlugin::kGain, 6.0, false);
  EXPECT_DOUBLE_EQ(mKnob->GetValue(), mPlug->GetParam(GuiTestPlugin::kGain)->GetNormalized(6.0));
  EXPECT_EQ(Cycle(), 1);
  EXPECT_EQ(Cycle(), 1);
  EXPECT_EQ(Cycle(), 0);
  EXPECT_EQ(mKnob->mDraws, before + 2);
  // The same value again changes nothing; a control index outside the list is ignored.
  mGui->SetParameterFromPlug(GuiTestPlugin::kGain, 6.0, false);
  mGui->SetControlFromPlug(99, 0.5);
  EXPECT_EQ(Cycle(), 0);
  mGui->SetControlFromPlug(3, 0.25);
  EXPECT_DOUBLE_EQ(mLabel->GetValue(), 0.25);
}

TEST_F(Dispatch, StrictDrawingRedrawsWhatIntersectsTheArea)
{
  Cycle();
  const int knob = mKnob->mDraws, mode = mMode->mDraws, label = mLabel->mDraws;
  mKnob->SetDirty(false);
  IRECT r;
  ASSERT_TRUE(mGui->IsDirty(&r));
  EXPECT_EQ(r, *mKnob->GetRECT());
  mGui->Draw(&r);
  EXPECT_EQ(mKnob->mDraws, knob + 1);
  EXPECT_EQ(mMode->mDraws, mode);
  EXPECT_EQ(mLabel->mDraws, label);
  EXPECT_EQ(mGui->GetLastDrawScreenRect(), r);
}

TEST_F(Dispatch, NonStrictDrawingRedrawsUnderAHiddenControl)
{
  mGui->SetStrictDrawing(false);
  auto* under = new ProbeControl(mPlug.get(), IRECT(0, 60, 30, 90));
  auto* over = new ProbeControl(mPlug.get(), IRECT(10, 70, 20, 80));
  mGui->AttachControl(under);
  mGui->AttachControl(over);
  Cycle();
  const int bg = static_cast<int>(mGui->GetControl(0)->IsDirty());
  EXPECT_EQ(bg, 0);
  const int knobDraws = mKnob->mDraws, underDraws = under->mDraws, overDraws = over->mDraws;
  over->Hide(true);
  IRECT r;
  ASSERT_TRUE(mGui->IsDirty(&r));
  mGui->Draw(&r);
  EXPECT_EQ(over->mDraws, overDraws);       // hidden: not drawn
  EXPECT_EQ(under->mDraws, underDraws + 1); // what lies beneath is
  EXPECT_EQ(mKnob->mDraws, knobDraws);      // elsewhere: untouched
}

// ---- Prompting ----

TEST_F(Dispatch, EnumerationPromptsWithAPopupOfItsDisplayTexts)
{
  mMode->DisablePrompt(false);
  mGui->QueuePopupChoice({2});
  mMode->PromptUserInput();
  ASSERT_EQ(mGui->GetPopups().size(), 1u);
  EXPECT_EQ(mGui->GetPopups()[0].mLines, (Log{"Low\tchecked", "Mid", "High"}));
  EXPECT_EQ(mGui->GetPopups()[0].mRect, *mMode->GetRECT());
  const double high = mPlug->GetParam(GuiTestPlugin::kMode)->GetNormalized(2.0);
  EXPECT_DOUBLE_EQ(mMode->GetValue(), high);
  EXPECT_EQ(mPlug->GetParam(GuiTestPlugin::kMode)->Int(), 2);

  mGui->QueuePopupDismiss();
  mMode->PromptUserInput();
  EXPECT_EQ(mGui->GetPopups()[1].mLines[2], "High\tchecked");
  EXPECT_DOUBLE_EQ(mMode->GetValue(), high);

  // Prompting is off until a control asks for it.
  mMode->DisablePrompt(true);
  mMode->PromptUserInput();
  EXPECT_EQ(mGui->GetPopups().size(), 2u);
}

TEST_F(Dispatch, ContinuousParameterPromptsWithATextEntry)
{
  Build(kAPIVST2);
  mKnob->DisablePrompt(false);
  mGui->QueueTextEntry("6.5");
  mGui->OnMouseDown(20, 20, &mRightButton); // the base control prompts on the right button
  ASSERT_EQ(mGui->GetTextEntries().size(), 1u);
  const auto& entry = mGui->GetTextEntries()[0];
  EXPECT_EQ(entry.mInitialText, "0.00");
  EXPECT_EQ(entry.mRect, IRECT(10, 22, 50, 38)); // 40 x 16 at the centre
  EXPECT_EQ(entry.mParam, mPlug->GetParam(GuiTestPlugin::kGain));
  EXPECT_DOUBLE_EQ(mPlug->GetParam(GuiTestPlugin::kGain)->Value(), 6.5);
}

TEST_F(Dispatch, TextThatNamesNoValueChangesNothing)
{
  IParam* gain = mPlug->GetParam(GuiTestPlugin::kGain);
  mKnob->SetValueFromUserInput(0.9);
  mPlug->mLog.clear();
  for (const char* text : {"abc", "", "-", "+", ".", " ", "nan", "inf"})
  {
    mGui->SetFromStringAfterPrompt(mKnob, gain, text);
    EXPECT_DOUBLE_EQ(mKnob->GetValue(), 0.9) << '"' << text << '"';
  }
  EXPECT_TRUE(mPlug->mLog.empty());
  mGui->SetFromStringAfterPrompt(mKnob, gain, "-12.5dB");
  EXPECT_DOUBLE_EQ(gain->Value(), -12.5);
  mGui->SetFromStringAfterPrompt(mKnob, gain, "0");
  EXPECT_DOUBLE_EQ(gain->Value(), 0.0);

  IParam* mode = mPlug->GetParam(GuiTestPlugin::kMode);
  mGui->SetFromStringAfterPrompt(mMode, mode, "Mid");
  EXPECT_EQ(mode->Int(), 1);
  mGui->SetFromStringAfterPrompt(mMode, mode, "Loud");
  EXPECT_EQ(mode->Int(), 1);
  mGui->SetFromStringAfterPrompt(mMode, nullptr, "High"); // no parameter: nothing
  EXPECT_EQ(mode->Int(), 1);
}

// What the host hears: every change inside a gesture of its own parameter, begins and ends paired.
class Gestures : public Dispatch
{
protected:
  void SetUp() override
  {
    Dispatch::SetUp();
    mPlug->mLogPerform = true;
  }
};

TEST_F(Gestures, WheelNotchesInQuickSuccessionAreOneGesture)
{
  mGui->SetWheelGesturePause(60000);
  mGui->OnMouseWheel(20, 20, &mLeft, 1);
  mGui->OnMouseWheel(20, 20, &mLeft, 1);
  Cycle();
  EXPECT_EQ(mPlug->mLog, (Log{"begin 0", "knob wheel 1 0", "knob wheel 1 0"}));
  EXPECT_TRUE(mPlug->InParamGesture(GuiTestPlugin::kGain));

  // The first redraw tick after the pause ends it.
  mGui->SetWheelGesturePause(0);
  Cycle();
  EXPECT_EQ(mPlug->mLog.back(), "end 0");
  EXPECT_FALSE(mPlug->InParamGesture(GuiTestPlugin::kGain));

  // A notch over another parameter ends the running gesture and begins its own; a press ends it.
  mPlug->mLog.clear();
  mGui->SetWheelGesturePause(60000);
  mGui->OnMouseWheel(20, 20, &mLeft, -1);
  mGui->OnMouseWheel(70, 20, &mLeft, 1);
  mGui->OnMouseWheel(130, 20, &mLeft, 1); // no parameter
  EXPECT_EQ(mPlug->mLog, (Log{"begin 0", "knob wheel -1 0", "end 0", "begin 1", "mode wheel 1 0",
                              "end 1", "label wheel 1 0"}));
  mPlug->mLog.clear();
  mGui->OnMouseWheel(20, 20, &mLeft, 1);
  mGui->OnMouseDown(70, 20, &mLeft);
  EXPECT_EQ(mPlug->mLog, (Log{"begin 0", "knob wheel 1 0", "end 0", "begin 1", "mode down 70 20"}));
}

TEST_F(Gestures, KnobWheelDragAndReleaseShareOneGesture)
{
  // A real knob: its wheel and drag send values.
  struct Knob : IKnobControl
  {
    using IKnobControl::IKnobControl;
    bool Draw(IGraphics*) override { return true; }
  };
  auto* knob = new Knob(mPlug.get(), IRECT(0, 60, 40, 100), GuiTestPlugin::kGain);
  mGui->AttachControl(knob);
  knob->SetValueFromPlug(0.5);
  mGui->SetWheelGesturePause(60000);
  mGui->OnMouseWheel(20, 80, &mLeft, 1);
  mGui->OnMouseDown(20, 80, &mLeft); // ends the wheel's gesture, opens the press's
  mGui->OnMouseWheel(20, 80, &mLeft, 1);
  mGui->OnMouseDrag(20, 70, &mLeft);
  mGui->OnMouseUp(20, 70, &mLeft);
  EXPECT_EQ(mPlug->mLog,
            (Log{"begin 0", "perform 0 0.5100", "gui 0 0.5100", "end 0", "begin 0",
                 "perform 0 0.5200", "gui 0 0.5200", "perform 0 0.5825", "gui 0 0.5825"}));
  // The wheel still runs: its pause ends the gesture.
  mGui->SetWheelGesturePause(0);
  Cycle();
  EXPECT_EQ(mPlug->mLog.back(), "end 0");
  EXPECT_FALSE(mPlug->InParamGesture(GuiTestPlugin::kGain));
}

TEST_F(Gestures, ALostReleaseOrAMenuDuringThePressLeavesNoGestureOpen)
{
  mGui->OnMouseDown(20, 20, &mLeft);
  mGui->OnMouseDown(70, 20, &mLeft); // the release of the first press never came
  // A menu shown during the press gives up the capture: the release lands on another control.
  mGui->ReleaseMouseCapture();
  mGui->OnMouseUp(130, 20, &mLeft);
  EXPECT_EQ(mPlug->mLog, (Log{"begin 0", "knob down 20 20", "end 0", "begin 1", "mode down 70 20",
                              "label up 130 20", "end 1"}));
  mGui->OnMouseUp(130, 20, &mLeft);
  EXPECT_EQ(mPlug->mLog.back(), "label up 130 20");
}

TEST_F(Gestures, ValuesSetOutsideAPressAreGesturesOfTheirOwn)
{
  // A committed text field, a menu choice, a recall: each value its own begin, change, end.
  mGui->SetFromStringAfterPrompt(mKnob, mPlug->GetParam(GuiTestPlugin::kGain), "9");
  EXPECT_EQ(mPlug->mLog, (Log{"begin 0", "perform 0 0.7500", "end 0", "gui 0 0.7500"}));

  mPlug->mLog.clear();
  mPlug->BeginParamGesture(GuiTestPlugin::kMode);
  mPlug->BeginParamGesture(GuiTestPlugin::kMode); // already open: no second begin
  mPlug->DirtyParameters();
  mPlug->EndParamGesture(GuiTestPlugin::kMode);
  mPlug->EndParamGesture(GuiTestPlugin::kMode); // none open: no second end
  EXPECT_EQ(mPlug->mLog, (Log{"begin 1", "begin 0", "perform 0 0.7500", "end 0", "perform 1 0.0000",
                              "begin 2", "perform 2 0.0000", "end 2", "end 1"}));
}

TEST_F(Dispatch, ValueAndNameDisplaysFollowTheKnob)
{
  // The value display gets "<value> <label>", the name display the name.
  struct Display : ProbeControl
  {
    using ProbeControl::ProbeControl;
    void SetTextFromPlug(const char* text) override
    {
      mTexts.push_back(text);
      SetDirty(false);
    }
    std::vector<std::string> mTexts;
  };
  auto* display = new Display(mPlug.get(), IRECT(0, 60, 50, 70));
  mGui->AttachControl(display);
  mKnob->SetValDisplayControl(display);
  mKnob->SetNameDisplayControl(display);
  mKnob->SetValue(0.75);
  mKnob->SetDirty(true);
  EXPECT_EQ(display->mTexts, (Log{"9.00 dB", "Gain"}));
}
} // namespace
