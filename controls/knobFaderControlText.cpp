#include "controls/knobFaderControlText.h"

#include "controls/ValueText.h"
#include "framework/gui/IGraphics.h"

IFaderControlText::IFaderControlText(IAudioPlugin* plug, int x, int y, int len, int paramIdx,
                                     const IBitmap* bitmap, const IText* text, EDirection direction)
    : IFaderControl(plug, x, y, len, paramIdx, bitmap, direction, false)
{
  mText = *text;
  const int h = bitmap->FrameHeight();
  mRECT = IRECT(x + 52, y, x + 52 + len, y + h);
  mTargetRECT = IRECT(x, y, x + 52 + len, y + h);
  mTextRECT = IRECT(x, y + h - 32, x + 50, y + h - 16);
  mDisablePrompt = false;
}

void IFaderControlText::OnMouseDown(int x, int y, IMouseMod*)
{
  if (mTextRECT.Contains(x, y))
    PromptUserInput(&mTextRECT);
  else
    SnapToMouse(x, y);
}

bool IFaderControlText::Draw(IGraphics* graphics)
{
  IRECT handle = GetHandleRECT();
  graphics->DrawBitmap(&mBitmap, &handle, 1, &mBlend);
  FormatParamValueText(this, &mStr);
  if (mStr.GetLength()) graphics->DrawIText(&mText, mStr.Get(), &mTextRECT);
  return true;
}
