// Values from the audio thread reach the controls without data races: one thread hammers the
// plug-in's entry points while this one runs redraw cycles and input. Built a second time with
// ThreadSanitizer, which turns any unsynchronised access into a failure.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "framework/gui/GuiTestPlugin.h"
#include "framework/platform/headless/IGraphicsHeadless.h"

namespace
{
class Meter : public IControl
{
public:
  Meter(IAudioPlugin* plug, IRECT r, int paramIdx = -1) : IControl(plug, r, paramIdx) {}
  bool Draw(IGraphics* g) override
  {
    IRECT bar(mRECT.L, mRECT.B - static_cast<int>(mValue * mRECT.H()), mRECT.R, mRECT.B);
    g->FillIRect(&COLOR_GREEN, &bar);
    return true;
  }
};

TEST(Threading, AudioThreadValuesReachTheGuiThreadWithoutRaces)
{
  GuiTestPlugin plug;
  auto* gui = new IGraphicsHeadless(&plug, 200, 100);
  gui->AttachPanelBackground(&COLOR_BLACK);
  auto* knob = new Meter(&plug, IRECT(0, 0, 40, 100), GuiTestPlugin::kGain);
  gui->AttachControl(knob);
  int meters[4];
  for (int i = 0; i < 4; ++i)
    meters[i] = gui->AttachControl(new Meter(&plug, IRECT(50 + 30 * i, 0, 70 + 30 * i, 100)));
  plug.AttachGraphics(gui);

  constexpr int kRounds = 20000;
  std::atomic<bool> done{false};
  std::atomic<int> guiTicks{0};
  std::atomic<bool> quiet{false}, quietAck{false};
  std::thread audio(
      [&]
      {
        // Long enough that the two threads certainly overlap.
        for (int n = 1; n <= kRounds || guiTicks.load() < 200; ++n)
        {
          const double v = (n % 100) / 100.0;
          for (int i = 0; i < 4; ++i)
            gui->SetControlFromPlug(meters[i], v);
          gui->SetParameterFromPlug(GuiTestPlugin::kGain, -18.0 + 0.36 * (n % 100), false);
          if (n % 1000 == 0) gui->SetAllControlsDirty();
        }
        // The last values every control must end with, sent once the GUI side has stopped its
        // own gestures.
        quiet.store(true);
        while (!quietAck.load())
          std::this_thread::yield();
        for (int i = 0; i < 4; ++i)
          gui->SetControlFromPlug(meters[i], 0.125 * (i + 1));
        gui->SetParameterFromPlug(GuiTestPlugin::kGain, 0.75, true);
        done.store(true);
      });

  int ticks = 0, drawn = 0;
  IMouseMod mod(true);
  while (!done.load())
  {
    // User gestures on the same controls.
    if (quiet.load())
      quietAck.store(true);
    else if (ticks % 50 == 0)
      knob->SetValueFromUserInput((ticks % 7) / 7.0);
    gui->OnMouseWheel(20, 20, &mod, 1);
    drawn += gui->Tick() ? 1 : 0;
    guiTicks.store(++ticks);
  }
  audio.join();
  gui->Tick();
  gui->Tick(); // values from the plug-in are drawn in two cycles

  for (int i = 0; i < 4; ++i)
    EXPECT_DOUBLE_EQ(gui->GetControl(meters[i])->GetValue(), 0.125 * (i + 1));
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.75);
  EXPECT_GT(drawn, 0);
  EXPECT_GT(ticks, 0);
  EXPECT_FALSE(gui->Tick());
}

TEST(Threading, PostsAfterTheControlsAreGoneAreHarmless)
{
  GuiTestPlugin plug;
  auto* gui = new IGraphicsHeadless(&plug, 100, 100);
  for (int i = 0; i < 300; ++i) // more than one block of slots
    gui->AttachControl(new Meter(&plug, IRECT(0, 0, 10, 10)));
  plug.AttachGraphics(gui);
  std::thread audio(
      [&]
      {
        for (int n = 0; n < 2000; ++n)
          gui->SetControlFromPlug(n % 400, 0.5);
      });
  gui->Resize(120, 80); // deletes every control while the posts go on
  audio.join();
  gui->Tick();
  EXPECT_EQ(gui->GetNControls(), 0);
  EXPECT_EQ(gui->Width(), 120);
}
} // namespace
