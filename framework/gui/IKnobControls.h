#pragma once
// The knob family. IKnobControl turns vertical (or horizontal) drags and wheel steps into value
// changes; the variants differ only in how they draw the value: a line from the centre, a rotated
// bitmap, one frame of a film strip, or a rotated alpha mask over base and top images.
// GUI thread only, like every control.

#include "framework/gui/IControl.h"

class IKnobControl : public IControl
{
public:
  // Dragging by the control's height turns the knob by 1 / gearing of its range.
  static constexpr double kDefaultGearing = 4.0;

  IKnobControl(IAudioPlugin* plug, IRECT rect, int paramIdx = -1,
               EDirection direction = kDirVertical, double gearing = kDefaultGearing,
               int blendMethod = IChannelBlend::kBlendAlpha)
      : IControl(plug, rect, paramIdx, blendMethod), mDirection(direction), mGearing(gearing)
  {
  }

  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;

  EDirection GetDirection() const { return mDirection; }
  double GetGearing() const { return mGearing; }
  void SetGearing(double gearing) { mGearing = gearing; }

protected:
  EDirection mDirection;
  double mGearing;
};

// A line from an inner to an outer radius, turned between two angles (radians, 0 pointing up,
// growing clockwise).
class IKnobLineControl : public IKnobControl
{
public:
  // An outer radius of 0 reaches half the rectangle's width. Draws opaque.
  IKnobLineControl(IAudioPlugin* plug, IRECT rect, int paramIdx, const IColor* color,
                   double innerRadius = 0.0, double outerRadius = 0.0,
                   double minAngle = -0.75 * 3.141592653589793,
                   double maxAngle = 0.75 * 3.141592653589793, EDirection direction = kDirVertical,
                   double gearing = kDefaultGearing);

  bool Draw(IGraphics* graphics) override;

protected:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};

// One image rotated about the control's centre (shifted down by yOffsetZeroDeg) between two
// angles in radians.
class IKnobRotaterControl : public IKnobControl
{
public:
  // The control covers (x, y, x + W, y + H / N).
  IKnobRotaterControl(IAudioPlugin* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                      double minAngle = -0.75 * 3.141592653589793,
                      double maxAngle = 0.75 * 3.141592653589793, int yOffsetZeroDeg = 0,
                      EDirection direction = kDirVertical, double gearing = kDefaultGearing)
      : IKnobControl(plug, IRECT(x, y, bitmap), paramIdx, direction, gearing), mBitmap(*bitmap),
        mMinAngle(minAngle), mMaxAngle(maxAngle), mYOffset(yOffsetZeroDeg)
  {
  }

  bool Draw(IGraphics* graphics) override;

protected:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mYOffset;
};

// A film strip of N frames; the value picks the nearest frame.
class IKnobMultiControl : public IKnobControl
{
public:
  // The control covers (x, y, x + W, y + H / N).
  IKnobMultiControl(IAudioPlugin* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                    EDirection direction = kDirVertical, double gearing = kDefaultGearing,
                    int blendMethod = IChannelBlend::kBlendAlpha)
      : IKnobControl(plug, IRECT(x, y, bitmap), paramIdx, direction, gearing, blendMethod),
        mBitmap(*bitmap)
  {
  }

  bool Draw(IGraphics* graphics) override;
  const IBitmap* GetBitmap() const { return &mBitmap; }

protected:
  IBitmap mBitmap;
};

// A knob whose visible shape is a mask rotated between two angles in degrees: the base image
// gives the colour, the rotated mask the alpha, and the top image is rotated over both. The three
// images are the same size.
class IKnobRotatingMaskControl : public IKnobControl
{
public:
  IKnobRotatingMaskControl(IAudioPlugin* plug, int x, int y, int paramIdx, const IBitmap* base,
                           const IBitmap* mask, const IBitmap* top, double minAngle = -135.0,
                           double maxAngle = 135.0, EDirection direction = kDirVertical,
                           double gearing = kDefaultGearing)
      : IKnobControl(plug, IRECT(x, y, x + base->W, y + base->H), paramIdx, direction, gearing),
        mBase(*base), mMask(*mask), mTop(*top), mMinAngle(minAngle), mMaxAngle(maxAngle)
  {
  }

  bool Draw(IGraphics* graphics) override;

protected:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle;
};

// The state (from 1) of an N-frame strip that shows value: the nearest frame, held to 1..N.
int FrameStateForValue(double value, int nFrames);
