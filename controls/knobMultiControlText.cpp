#include "controls/knobMultiControlText.h"

#include "controls/ValueText.h"
#include "framework/gui/IGraphics.h"

IKnobMultiControlText::IKnobMultiControlText(IAudioPlugin* plug, IRECT rect, int paramIdx,
                                             const IBitmap* bitmap, const IText* text,
                                             int textInset, int widening)
    : IKnobControl(plug, rect, paramIdx, kDirVertical, kDefaultGearing), mBitmap(*bitmap)
{
  mText = *text;
  mRECT = IRECT(rect.L - widening, rect.T, rect.R + widening, rect.B);
  mTextRECT =
      IRECT(rect.L - widening + textInset, rect.B - 16, rect.R + widening - textInset, rect.B);
  mImgRECT = IRECT(rect.L, rect.T, rect.L + mBitmap.W,
                   rect.T + (mBitmap.N > 0 ? mBitmap.H / mBitmap.N : mBitmap.H));
  mDisablePrompt = false;
}

void IKnobMultiControlText::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (mTextRECT.Contains(x, y))
    PromptUserInput(&mTextRECT);
  else
    OnMouseDrag(x, y, 0, 0, mod); // no movement: re-sends the current value
}

void IKnobMultiControlText::OnMouseDblClick(int, int, IMouseMod*)
{
  if (mDefaultValue < 0.0) return;
  mValue = mDefaultValue;
  SetDirty(true);
}

bool IKnobMultiControlText::Draw(IGraphics* graphics)
{
  graphics->DrawBitmap(&mBitmap, &mImgRECT, FrameStateForValue(mValue, mBitmap.N), &mBlend);
  FormatParamValueText(this, &mStr);
  if (mStr.GetLength()) graphics->DrawIText(&mText, mStr.Get(), &mTextRECT);
  return true;
}
