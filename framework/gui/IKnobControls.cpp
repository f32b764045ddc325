#include "framework/gui/IKnobControls.h"

#include <cmath>

#include "framework/core/IParam.h"
#include "framework/gui/IGraphics.h"

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* mod)
{
  double gearing = mGearing;
  if (mod && (mod->C || mod->S)) gearing *= 10.0;

  // Screen y grows downwards, so top - bottom is negative and dragging up raises the value.
  const int span = mDirection == kDirVertical ? mRECT.T - mRECT.B : mRECT.R - mRECT.L;
  const int delta = mDirection == kDirVertical ? dY : dX;
  if (span != 0 && gearing != 0.0) mValue += static_cast<double>(delta) / span / gearing;
  SetDirty(true);
}

void IKnobControl::OnMouseWheel(int, int, IMouseMod* mod, int d)
{
  const bool fine = mod && (mod->C || mod->S);
  mValue += d * (fine ? 0.001 : 0.01);
  SetDirty(true);
}

IKnobLineControl::IKnobLineControl(IAudioPlugin* plug, IRECT rect, int paramIdx,
                                   const IColor* color, double innerRadius, double outerRadius,
                                   double minAngle, double maxAngle, EDirection direction,
                                   double gearing)
    : IKnobControl(plug, rect, paramIdx, direction, gearing, IChannelBlend::kBlendOpaque),
      mColor(color ? *color : COLOR_BLACK), mMinAngle(static_cast<float>(minAngle)),
      mMaxAngle(static_cast<float>(maxAngle)), mInnerRadius(static_cast<float>(innerRadius)),
      mOuterRadius(static_cast<float>(outerRadius))
{
  if (mOuterRadius == 0.0f) mOuterRadius = 0.5f * static_cast<float>(rect.W());
}

bool IKnobLineControl::Draw(IGraphics* graphics)
{
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  const double s = std::sin(angle), c = std::cos(angle);
  // The exact centre, so an even-sized knob does not lean half a pixel.
  const double cx = (mRECT.L + mRECT.R) / 2.0, cy = (mRECT.T + mRECT.B) / 2.0;
  graphics->DrawLine(&mColor, static_cast<float>(cx + s * mInnerRadius),
                     static_cast<float>(cy - c * mInnerRadius),
                     static_cast<float>(cx + s * mOuterRadius),
                     static_cast<float>(cy - c * mOuterRadius), &mBlend, true);
  return true;
}

bool IKnobRotaterControl::Draw(IGraphics* graphics)
{
  graphics->DrawRotatedBitmap(&mBitmap, mRECT.MW(), mRECT.MH(),
                              mMinAngle + mValue * (mMaxAngle - mMinAngle), mYOffset, &mBlend);
  return true;
}

int FrameStateForValue(double value, int nFrames)
{
  const int i = TruncToInt((nFrames - 1) * value + 0.5);
  if (i < 0) return 1;
  if (i < nFrames) return i + 1;
  return nFrames;
}

bool IKnobMultiControl::Draw(IGraphics* graphics)
{
  graphics->DrawBitmap(&mBitmap, &mRECT, FrameStateForValue(mValue, mBitmap.N), &mBlend);
  return true;
}

bool IKnobRotatingMaskControl::Draw(IGraphics* graphics)
{
  graphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T,
                            mMinAngle + mValue * (mMaxAngle - mMinAngle), &mBlend);
  return true;
}
