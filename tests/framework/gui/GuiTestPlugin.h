#pragma once
// A small plug-in and a probe control for driving the engine as a platform layer does. Both
// write what they are asked into one shared log, so tests can check the order of host informs
// and control calls.

#include <cstdio>
#include <string>
#include <vector>

#include "framework/core/IAudioPlugin.h"
#include "framework/gui/IControl.h"
#include "framework/gui/IGraphics.h"

class GuiTestPlugin : public IAudioPlugin
{
public:
  enum
  {
    kGain,   // double -18..18 dB
    kMode,   // enumeration of three
    kSwitch, // bool with "off"/"on"
    kNParams
  };

  explicit GuiTestPlugin(EAPI api = kAPIVST3)
      : IAudioPlugin(kNParams, "1-1 2-2", 1, "GuiTest", "", "Velkor Audio", 0x00010000,
                     FourCC("GuiT"), FourCC("Vlkr"), 0, false, true, false, api)
  {
    GetParam(kGain)->InitDouble("Gain", 0.0, -18.0, 18.0, 0.01, "dB");
    GetParam(kMode)->InitEnum("Mode", 0, 3);
    GetParam(kMode)->SetDisplayText(0, "Low");
    GetParam(kMode)->SetDisplayText(1, "Mid");
    GetParam(kMode)->SetDisplayText(2, "High");
    GetParam(kSwitch)->InitBool("Switch", false);
  }

  void BeginInformHostOfParamChange(int idx) override { Log("begin %d", idx); }
  void InformHostOfParamChange(int idx, double value) override
  {
    if (mLogPerform) Log("perform %d %.4f", idx, value);
  }
  void EndInformHostOfParamChange(int idx) override { Log("end %d", idx); }
  void PopupHostContextMenuForParam(int idx, int x, int y) override
  {
    Log("context %d %d %d", idx, x, y);
  }
  void SetParameterFromGUI(int idx, double value) override
  {
    IAudioPlugin::SetParameterFromGUI(idx, value);
    Log("gui %d %.4f", idx, value);
  }

  template <class... A> void Log(const char* fmt, A... args)
  {
    char line[128];
    std::snprintf(line, sizeof line, fmt, args...);
    mLog.push_back(line);
  }
  std::vector<std::string> mLog;
  bool mLogPerform = false; // what the host hears, for the gesture tests
};

// Records every call the engine makes on it; draws nothing unless told to fill.
class ProbeControl : public IControl
{
public:
  ProbeControl(GuiTestPlugin* plug, IRECT rect, int paramIdx = -1, const char* name = "probe")
      : IControl(plug, rect, paramIdx), mLogPlug(plug), mName(name)
  {
  }

  void OnMouseDown(int x, int y, IMouseMod* mod) override
  {
    Log("%s down %d %d", x, y);
    IControl::OnMouseDown(x, y, mod);
  }
  void OnMouseUp(int x, int y, IMouseMod*) override { Log("%s up %d %d", x, y); }
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod*) override
  {
    Log("%s drag %d %d", x, y);
    Log("%s delta %d %d", dX, dY);
  }
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override
  {
    Log("%s dblclick %d %d", x, y);
    IControl::OnMouseDblClick(x, y, mod);
  }
  void OnMouseWheel(int, int, IMouseMod*, int d) override { Log("%s wheel %d %d", d, 0); }
  bool OnKeyDown(int, int, int key) override
  {
    Log("%s key %d %d", key, 0);
    return true;
  }
  void OnMouseOver(int x, int y, IMouseMod*) override { Log("%s over %d %d", x, y); }
  void OnMouseOut() override { Log("%s out %d %d", 0, 0); }
  bool Draw(IGraphics* g) override
  {
    ++mDraws;
    if (mFill) g->FillIRect(&mColor, &mRECT);
    return true;
  }

  int mDraws = 0;
  bool mFill = false;
  IColor mColor = COLOR_RED;

private:
  void Log(const char* fmt, int a, int b) { mLogPlug->Log(fmt, mName, a, b); }
  GuiTestPlugin* mLogPlug;
  const char* mName;
};
