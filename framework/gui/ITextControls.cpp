#include "framework/gui/ITextControls.h"

#include <cstring>

#include "framework/core/IAudioPlugin.h"
#include "framework/core/IParam.h"
#include "framework/gui/IGraphics.h"

ITextControl::ITextControl(IAudioPlugin* plug, IRECT rect, int paramIdx, const IText* text,
                           const char* str)
    : IControl(plug, rect, paramIdx), mStr(str)
{
  if (text) mText = *text;
}

bool ITextControl::Draw(IGraphics* graphics)
{
  if (mStr.GetLength() == 0) return true;
  IRECT r = mRECT;
  // A font that cannot be made draws nothing now and is tried again at the next draw.
  graphics->DrawIText(&mText, mStr.Get(), &r);
  return true;
}

void ITextControl::SetTextFromPlug(const char* str)
{
  if (std::strcmp(mStr.Get(), str ? str : "") == 0) return;
  SetDirty(false);
  mStr.Set(str);
}

ICaptionControl::ICaptionControl(IAudioPlugin* plug, IRECT rect, int paramIdx, const IText* text,
                                 bool showParamLabel)
    : ITextControl(plug, rect, paramIdx, text, nullptr), mShowParamLabel(showParamLabel)
{
  // A caption exists to be clicked for a value.
  mDisablePrompt = false;
}

void ICaptionControl::OnMouseDown(int, int, IMouseMod* mod)
{
  if (mod && (mod->L || mod->R)) PromptUserInput();
}

void ICaptionControl::OnMouseDblClick(int, int, IMouseMod*)
{
  PromptUserInput();
}

bool ICaptionControl::Draw(IGraphics* graphics)
{
  if (const IParam* param = GetParam())
  {
    char display[IParam::kDisplayLen];
    {
      // The audio thread may be applying automation to the parameter.
      RecursiveMutex::Lock lock(mPlug->GetMutex());
      param->GetDisplayForHost(display);
    }
    mStr.Set(display);
    if (mShowParamLabel)
    {
      mStr.Append(" ");
      mStr.Append(param->GetLabelForHost());
    }
  }
  return ITextControl::Draw(graphics);
}
