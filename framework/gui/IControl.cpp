#include "framework/gui/IControl.h"

#include <algorithm>

#include "framework/core/IAudioPlugin.h"
#include "framework/gui/IGraphics.h"

IControl::IControl(IAudioPlugin* plug, IRECT rect, int paramIdx, int blendMethod)
    : mPlug(plug), mRECT(rect), mTargetRECT(rect), mParamIdx(paramIdx), mBlend(blendMethod, 1.0f)
{
}

IControl::~IControl() = default;

IGraphics* IControl::GetGUI() const
{
  return mPlug ? dynamic_cast<IGraphics*>(mPlug->GetGUI()) : nullptr;
}

IParam* IControl::GetParam() const
{
  return mPlug && mParamIdx >= 0 ? mPlug->GetParam(mParamIdx) : nullptr;
}

void IControl::OnMouseDown(int, int, IMouseMod* mod)
{
  if (mod && mod->R) PromptUserInput();
}

void IControl::OnMouseDblClick(int, int, IMouseMod*)
{
  if (mDefaultValue < 0.0) return;
  mValue = mDefaultValue;
  SetDirty(true);
}

void IControl::SetValueFromPlug(double value)
{
  // The first value the plug-in sends is the parameter's state when the editor was attached: it
  // becomes what a double click restores.
  if (mDefaultValue < 0.0)
  {
    mValue = mDefaultValue = value;
    return;
  }
  if (value != mValue)
  {
    mValue = value;
    SetDirty(false);
    mRedraw = true;
  }
}

void IControl::SetValueFromUserInput(double value)
{
  if (value != mValue)
  {
    mValue = value;
    SetDirty(true);
    mRedraw = true;
  }
}

void IControl::Hide(bool hide)
{
  mHide = hide;
  mRedraw = true;
  SetDirty(false);
}

void IControl::GrayOut(bool gray)
{
  mGrayed = gray;
  mBlend.mWeight = gray ? 0.25f : 1.0f;
  SetDirty(false);
}

void IControl::SetDirty(bool pushParamToPlug)
{
  if (mClampLo > mValue)
    mValue = mClampLo;
  else
    mValue = std::min(mClampHi, mValue);
  mDirty = true;
  if (!pushParamToPlug || !mPlug || mParamIdx < 0) return;

  mPlug->SetParameterFromGUI(mParamIdx, mValue);
  IParam* param = GetParam();
  if (!param) return;
  if (mValDisplayControl)
  {
    char display[IParam::kNameLen + 1] = {};
    char text[2 * IParam::kNameLen + 2] = {};
    {
      // The audio thread may be setting the parameter from automation.
      RecursiveMutex::Lock lock(mPlug->GetMutex());
      param->GetDisplayForHost(display, true, sizeof display);
    }
    StringBuf s;
    s.Set(display, IParam::kNameLen);
    s.Append(" ");
    s.Append(param->GetLabelForHost(), IParam::kNameLen);
    CopyCString(text, s.Get(), sizeof text);
    mValDisplayControl->SetTextFromPlug(text);
  }
  if (mNameDisplayControl) mNameDisplayControl->SetTextFromPlug(param->GetNameForHost());
}

void IControl::SetClean()
{
  mDirty = mRedraw;
  mRedraw = false;
}

void IControl::PromptUserInput()
{
  IParam* param = GetParam();
  if (!param || mDisablePrompt) return;
  IRECT box = mRECT;
  if (param->GetNDisplayTexts() == 0)
  {
    const int cx = mRECT.MW(), cy = mRECT.MH();
    box = IRECT(cx - 20, cy - 8, cx + 20, cy + 8);
  }
  PromptUserInput(&box);
}

void IControl::PromptUserInput(IRECT* box)
{
  IParam* param = GetParam();
  if (!param || mDisablePrompt || !box) return;
  if (IGraphics* gui = GetGUI()) gui->PromptUserInput(this, param, box);
  mRedraw = true;
}

void IControl::AddAuxParam(int paramIdx)
{
  const int n = mAuxParams.GetSize();
  if (AuxParam* list = mAuxParams.Resize(n + 1)) list[n] = {0.0, paramIdx};
}

IControl::AuxParam* IControl::GetAuxParam(int idx)
{
  return idx >= 0 && idx < mAuxParams.GetSize() ? mAuxParams.Get() + idx : nullptr;
}

int IControl::AuxParamIdx(int paramIdx) const
{
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
    if (mAuxParams.Get()[i].mParamIdx == paramIdx) return i;
  return -1;
}

void IControl::SetAuxParamValueFromPlug(int auxParamIdx, double value)
{
  AuxParam* aux = GetAuxParam(auxParamIdx);
  if (!aux || aux->mValue == value) return;
  aux->mValue = value;
  SetDirty(false);
  mRedraw = true;
}

void IControl::SetAllAuxParamsFromGUI()
{
  if (!mPlug) return;
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
  {
    const AuxParam aux = mAuxParams.Get()[i];
    mPlug->SetParameterFromGUI(aux.mParamIdx, aux.mValue);
  }
}

bool IPanelControl::Draw(IGraphics* graphics)
{
  graphics->FillIRect(&mColor, &mRECT, &mBlend);
  return true;
}

bool IBitmapControl::Draw(IGraphics* graphics)
{
  int state = 1;
  if (mBitmap.N >= 2)
  {
    const int i = TruncToInt((mBitmap.N - 1) * mValue + 0.5);
    state = i < 0 ? 1 : (i < mBitmap.N ? i + 1 : mBitmap.N);
  }
  graphics->DrawBitmap(&mBitmap, &mRECT, state, &mBlend);
  return true;
}
