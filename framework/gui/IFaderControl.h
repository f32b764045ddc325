#pragma once
// A handle image that slides along a straight track. Pressing or dragging anywhere puts the
// handle's centre under the pointer; the wheel nudges it.
// GUI thread only, like every control.

#include "framework/gui/IControl.h"

class IFaderControl : public IControl
{
public:
  // Vertical: the control covers (x, y, x + W, y + len) and value 1 puts the handle at the top.
  // Horizontal: (x, y, x + len, y + H), value 1 at the right. W and H are the handle's size.
  // With onlyHandleHit the fader takes the mouse only on its handle.
  IFaderControl(IAudioPlugin* plug, int x, int y, int len, int paramIdx, const IBitmap* bitmap,
                EDirection direction = kDirVertical, bool onlyHandleHit = false);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;
  bool Draw(IGraphics* graphics) override;
  bool IsHit(int x, int y) override;
  virtual void SnapToMouse(int x, int y);

  int GetLength() const { return mLen; }
  int GetHandleHeadroom() const { return mHandleHeadroom; }
  // Where the handle sits for value (the current value when value is negative).
  IRECT GetHandleRECT(double value = -1.0) const;

protected:
  int mLen;
  int mHandleHeadroom;
  IBitmap mBitmap;
  EDirection mDirection;
  bool mOnlyHandle;
};
