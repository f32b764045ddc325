#include "framework/gui/IFaderControl.h"

#include "framework/core/IParam.h"
#include "framework/gui/IGraphics.h"

IFaderControl::IFaderControl(IAudioPlugin* plug, int x, int y, int len, int paramIdx,
                             const IBitmap* bitmap, EDirection direction, bool onlyHandleHit)
    : IControl(plug, IRECT(), paramIdx), mLen(len), mBitmap(*bitmap), mDirection(direction),
      mOnlyHandle(onlyHandleHit)
{
  const int w = bitmap->FrameWidth(), h = bitmap->FrameHeight();
  if (direction == kDirVertical)
  {
    mHandleHeadroom = h;
    mRECT = IRECT(x, y, x + w, y + len);
  }
  else
  {
    mHandleHeadroom = w;
    mRECT = IRECT(x, y, x + len, y + h);
  }
  mTargetRECT = mRECT;
}

IRECT IFaderControl::GetHandleRECT(double value) const
{
  if (value < 0.0) value = mValue;
  const int travel = mLen - mHandleHeadroom;
  const int w = mBitmap.FrameWidth(), h = mBitmap.FrameHeight();
  if (mDirection == kDirVertical)
  {
    const int offset = TruncToInt(travel * (1.0 - value));
    return IRECT(mRECT.L, mRECT.T + offset, mRECT.L + w, mRECT.T + offset + h);
  }
  const int offset = TruncToInt(value * travel);
  return IRECT(mRECT.L + offset, mRECT.T, mRECT.L + offset + w, mRECT.T + h);
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (mod && mod->R)
    PromptUserInput();
  else
    SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int, int, IMouseMod*)
{
  SnapToMouse(x, y);
}

void IFaderControl::OnMouseWheel(int, int, IMouseMod* mod, int d)
{
  const bool fine = mod && (mod->C || mod->S);
  mValue += d * (fine ? 0.001 : 0.01);
  SetDirty(true);
}

void IFaderControl::SnapToMouse(int x, int y)
{
  const int travel = mLen - mHandleHeadroom;
  // A handle as long as the track has nowhere to go; keep the value rather than divide by 0.
  if (travel != 0)
  {
    const int half = mHandleHeadroom / 2;
    if (mDirection == kDirVertical)
      mValue = 1.0 - static_cast<double>(y - mRECT.T - half) / travel;
    else
      mValue = static_cast<double>(x - mRECT.L - half) / travel;
  }
  SetDirty(true);
}

bool IFaderControl::Draw(IGraphics* graphics)
{
  IRECT handle = GetHandleRECT();
  graphics->DrawBitmap(&mBitmap, &handle, 1, &mBlend);
  return true;
}

bool IFaderControl::IsHit(int x, int y)
{
  return mOnlyHandle ? GetHandleRECT().Contains(x, y) : mTargetRECT.Contains(x, y);
}
