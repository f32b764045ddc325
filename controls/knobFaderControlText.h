#pragma once
// A horizontal fader whose track starts 52 pixels right of its position, with its parameter's
// value as text in the space left of the track; a click on the text opens a text field.

#include "common/StringBuf.h"
#include "framework/gui/IFaderControl.h"

class IFaderControlText : public IFaderControl
{
public:
  // len is the track's length; H, the handle's height, is the control's height.
  IFaderControlText(IAudioPlugin* plug, int x, int y, int len, int paramIdx, const IBitmap* bitmap,
                    const IText* text, EDirection direction = kDirHorizontal);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  const IRECT* GetTextRECT() const { return &mTextRECT; }
  const char* GetValueString() const { return mStr.Get(); }

protected:
  IRECT mTextRECT;
  StringBuf mStr;
};
