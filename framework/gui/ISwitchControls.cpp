#include "framework/gui/ISwitchControls.h"

#include "framework/core/IParam.h"
#include "framework/gui/IGraphics.h"

namespace
{
// The value of choice i out of n evenly spaced ones (0 for a lone choice).
double ChoiceValue(int i, int n)
{
  return n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
}

int FirstContaining(const TypedBuf<IRECT>& rects, int x, int y)
{
  for (int i = 0; i < rects.GetSize(); ++i)
    if (rects.Get()[i].Contains(x, y)) return i;
  return -1;
}

const IRECT* RectAt(const TypedBuf<IRECT>& rects, int i)
{
  return i >= 0 && i < rects.GetSize() ? &rects.Get()[i] : nullptr;
}
} // namespace

void ISwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  mValue += mBitmap.N > 1 ? 1.0 / (mBitmap.N - 1) : 1.0;
  // Steps of 1 / (N - 1) may add up to a hair above 1.0; that is still the last frame.
  if (mValue > 1.001) mValue = 0.0;
  SetDirty(true);
}

void ISwitchPopUpControl::OnMouseDown(int, int, IMouseMod*)
{
  PromptUserInput();
  SetDirty(true);
}

ISwitchFramesControl::ISwitchFramesControl(IAudioPlugin* plug, int x, int y, int paramIdx,
                                           const IBitmap* bitmap, bool imagesAreHorizontal,
                                           int blendMethod)
    : ISwitchControl(plug, x, y, paramIdx, bitmap, blendMethod)
{
  const int n = bitmap->N;
  if (n > 0 && mRECTs.Resize(n))
  {
    IRECT* r = mRECTs.Get();
    const int w = mRECT.W() / n, h = mRECT.H() / n;
    for (int i = 0; i < n; ++i)
      r[i] = imagesAreHorizontal ? IRECT(mRECT.L + i * w, mRECT.T, mRECT.L + (i + 1) * w, mRECT.B)
                                 : IRECT(mRECT.L, mRECT.T + i * h, mRECT.R, mRECT.T + (i + 1) * h);
  }
  mDisablePrompt = false;
}

const IRECT* ISwitchFramesControl::GetClickRect(int i) const
{
  return RectAt(mRECTs, i);
}

void ISwitchFramesControl::OnMouseDown(int x, int y, IMouseMod*)
{
  const int i = FirstContaining(mRECTs, x, y);
  if (i >= 0) mValue = ChoiceValue(i, mRECTs.GetSize());
  SetDirty(true);
}

void IInvisibleSwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  SetDirty(true);
}

IRadioButtonsControl::IRadioButtonsControl(IAudioPlugin* plug, IRECT rect, int paramIdx,
                                           int nButtons, const IBitmap* bitmap,
                                           EDirection direction, bool reverse)
    : IControl(plug, rect, paramIdx), mBitmap(*bitmap)
{
  if (nButtons < 1 || !mRECTs.Resize(nButtons)) return;
  IRECT* r = mRECTs.Get();
  const int w = bitmap->W;
  const int h = bitmap->N > 0 ? bitmap->H / bitmap->N : bitmap->H;
  const int n = nButtons;
  if (direction == kDirVertical)
  {
    const int gap = n > 1 ? (rect.H() - n * h) / (n - 1) : 0;
    for (int i = 0; i < n; ++i)
    {
      const int y = reverse ? rect.B - h - i * (h + gap) : rect.T + i * (h + gap);
      r[i] = IRECT(rect.L, y, rect.L + w, y + h);
    }
  }
  else
  {
    const int gap = n > 1 ? (rect.W() - n * w) / (n - 1) : 0;
    for (int i = 0; i < n; ++i)
    {
      const int x = reverse ? rect.R - w - i * (w + gap) : rect.L + i * (w + gap);
      r[i] = IRECT(x, rect.T, x + w, rect.T + h);
    }
  }
}

const IRECT* IRadioButtonsControl::GetButtonRect(int i) const
{
  return RectAt(mRECTs, i);
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (mod && mod->R)
    PromptUserInput();
  else
  {
    const int i = FirstContaining(mRECTs, x, y);
    if (i >= 0) mValue = ChoiceValue(i, mRECTs.GetSize());
  }
  SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* graphics)
{
  const int n = mRECTs.GetSize();
  int active = TruncToInt((n - 1) * mValue + 0.5);
  if (active > n - 1) active = n - 1;
  if (active < 0) active = 0;
  for (int i = 0; i < n; ++i)
    graphics->DrawBitmap(&mBitmap, &mRECTs.Get()[i], i == active ? 2 : 1, &mBlend);
  return true;
}

void IContactControl::OnMouseUp(int, int, IMouseMod*)
{
  mValue = 0.0;
  SetDirty(true);
}

bool IBitmapOverlayControl::Draw(IGraphics* graphics)
{
  if (mValue < 0.5)
  {
    mTargetRECT = mTargetArea;
    return true;
  }
  mTargetRECT = mRECT;
  return IBitmapControl::Draw(graphics);
}
