#pragma once
// The file menu of the preset browser: an invisible button that saves and loads the current
// program (fxp) or the whole bank (fxb) through the platform's file dialog.

#include "common/StringBuf.h"
#include "framework/gui/IControl.h"

class PresetFunctionsMenu : public IPanelControl
{
public:
  PresetFunctionsMenu(IAudioPlugin* plug, IRECT rect, const IColor* color = &COLOR_BLUE)
      : IPanelControl(plug, rect, color)
  {
  }

  // Left button only: shows the menu and runs the chosen file operation.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // Transparent: the button's look is the background's.
  bool Draw(IGraphics* graphics) override;

  // Where the next dialog opens: the folder of the last file chosen.
  const char* GetLastDirectory() const { return mLastDir.Get(); }

protected:
  StringBuf mLastDir;
};
