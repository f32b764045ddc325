// Values from the audio thread reach the controls without data races: one thread hammers the
// plug-in's entry points while this one runs redraw cycles and input. And two editors, each on a
// thread of its own (as for hosts without a run loop), draw text with the fonts every editor in
// the process shares, and images of device scales the two move between. Built a second time with
// ThreadSanitizer, which turns any unsynchronised access into a failure.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "framework/gui/GuiTestPlugin.h"
#include "framework/gui/IGraphicsCaches.h"
#include "framework/platform/headless/IGraphicsHeadless.h"
#include "raster/Raster.h"

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

class Label : public IControl
{
public:
  Label(IAudioPlugin* plug, IRECT r, const IText& style) : IControl(plug, r), mStyle(style) {}
  bool Draw(IGraphics* g) override
  {
    IRECT r = mRECT;
    g->DrawIText(&mStyle, mString.c_str(), &r);
    return true;
  }
  IText mStyle;
  std::string mString;
};

TEST(Threading, TwoEditorsOnTheirOwnThreadsDrawTextAtOnce)
{
  // The same face, size and style, so both draw with one shared font object; only the colours
  // differ. Every round brings characters the font has not drawn yet.
  struct Editor
  {
    GuiTestPlugin plug;
    IGraphicsHeadless* gui = nullptr;
    Label* label = nullptr;
    int wrongColour = 0;
    int inked = 0;
  } editors[2];
  const IColor colours[2] = {COLOR_RED, COLOR_BLUE};
  for (int e = 0; e < 2; ++e)
  {
    Editor& ed = editors[e];
    ed.gui = new IGraphicsHeadless(&ed.plug, 200, 40);
    ed.gui->AttachPanelBackground(&COLOR_BLACK);
    const IText style(17, &colours[e], "Arial", IText::kTextRegular, IText::kAlignLeft);
    ed.label = new Label(&ed.plug, IRECT(0, 0, 200, 40), style);
    ed.gui->AttachControl(ed.label);
    ed.plug.AttachGraphics(ed.gui);
  }
  // Made here, so the second editor finds it in the cache rather than making its own at once.
  ASSERT_NE(nullptr, editors[0].gui->CacheFont(&editors[0].label->mStyle));

  std::atomic<int> started{0};
  auto run = [&](Editor& ed, bool red)
  {
    ed.gui->SetGUIThread();
    started.fetch_add(1);
    while (started.load() < 2)
      std::this_thread::yield();
    for (int round = 0; round < 120; ++round)
    {
      char text[32];
      const int c = 0xA1 + round;
      std::snprintf(text, sizeof text, "%c%c %c%c", 0xC0 | c >> 6, 0x80 | (c & 0x3F),
                    'A' + round % 26, 'a' + (round * 7) % 26);
      ed.label->mString = text;
      ed.gui->DrawAll();
      // The text in this editor's colour only: another thread's colour must not leak in.
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
        {
          const IColor p = ed.gui->GetPoint(x, y);
          const int mine = red ? p.R : p.B, theirs = red ? p.B : p.R;
          ed.inked += mine > 0 ? 1 : 0;
          ed.wrongColour += theirs > 0 ? 1 : 0;
        }
    }
  };
  std::thread a(run, std::ref(editors[0]), true), b(run, std::ref(editors[1]), false);
  a.join();
  b.join();
  for (const Editor& ed : editors)
  {
    EXPECT_GT(ed.inked, 0);
    EXPECT_EQ(ed.wrongColour, 0);
  }
  EXPECT_EQ(editors[0].label->mStyle.mCached, editors[1].label->mStyle.mCached);
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

class Picture : public IControl
{
public:
  Picture(IAudioPlugin* plug, IRECT r, IBitmap* bitmap) : IControl(plug, r), mBitmap(bitmap) {}
  bool Draw(IGraphics* g) override { return g->DrawBitmap(mBitmap, &mRECT, 1); }
  IBitmap* mBitmap;
};

TEST(Threading, EditorsSwappingScalesOnTheirOwnThreadsShareAndFreeTheImages)
{
  // One 1x image both draw; each round each editor comes to the scale the other is leaving, so
  // a scale's images are dropped and made again while the other editor draws with them.
  RasterMemBitmap pixels(32, 32, 4);
  RasterFillRect(&pixels, 0, 0, 32, 32, COLOR_GREEN.Packed(), 1.0f, 0);
  IBitmap image(&pixels, 32, 32, 1, false);
  struct Editor
  {
    GuiTestPlugin plug;
    IGraphicsHeadless* gui = nullptr;
    int wrong = 0;
  } editors[2];
  for (Editor& ed : editors)
  {
    ed.gui = new IGraphicsHeadless(&ed.plug, 40, 40);
    ed.gui->AttachControl(new Picture(&ed.plug, IRECT(4, 4, 36, 36), &image));
    ed.plug.AttachGraphics(ed.gui);
  }
  constexpr float kScales[] = {1.5f, 1.75f, 2.0f};
  std::atomic<int> started{0};
  auto run = [&](Editor& ed, int phase)
  {
    ed.gui->SetGUIThread();
    started.fetch_add(1);
    while (started.load() < 2)
      std::this_thread::yield();
    for (int round = 0; round < 200; ++round)
    {
      ed.gui->SetContentScale(kScales[(round + phase) % 3]);
      ed.gui->DrawAll();
      ed.wrong += ed.gui->GetPoint(20, 20).Packed() == COLOR_GREEN.Packed() ? 0 : 1;
    }
    ed.gui->DetachFromParent();
  };
  std::thread a(run, std::ref(editors[0]), 0), b(run, std::ref(editors[1]), 1);
  a.join();
  b.join();
  for (const Editor& ed : editors)
    EXPECT_EQ(ed.wrong, 0);
  EXPECT_EQ(0, s_deviceBitmapCache.GetSize());
}
} // namespace
