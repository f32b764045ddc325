#pragma once
// Buttons and switches: controls that take a click and step, set or toggle their value. The ones
// drawn from a film strip show the frame their value picks (IBitmapControl); every bitmap control
// made at (x, y) covers (x, y, x + W, y + H / N).
// GUI thread only, like every control.

#include "common/HeapBuf.h"
#include "framework/gui/IControl.h"

// Each press steps to the next frame's value and wraps past the last one.
class ISwitchControl : public IBitmapControl
{
public:
  ISwitchControl(IAudioPlugin* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                 int blendMethod = IChannelBlend::kBlendAlpha)
      : IBitmapControl(plug, x, y, paramIdx, bitmap, blendMethod)
  {
  }

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // A double click is two presses.
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override { OnMouseDown(x, y, mod); }
};

// A press offers the parameter's display texts as a menu over the switch.
class ISwitchPopUpControl : public ISwitchControl
{
public:
  ISwitchPopUpControl(IAudioPlugin* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                      int blendMethod = IChannelBlend::kBlendAlpha)
      : ISwitchControl(plug, x, y, paramIdx, bitmap, blendMethod)
  {
    mDisablePrompt = false;
  }

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
};

// The rectangle is cut into one click area per frame; a press selects the frame under it.
class ISwitchFramesControl : public ISwitchControl
{
public:
  ISwitchFramesControl(IAudioPlugin* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                       bool imagesAreHorizontal = false,
                       int blendMethod = IChannelBlend::kBlendAlpha);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  int NClickRects() const { return mRECTs.GetSize(); }
  const IRECT* GetClickRect(int i) const;

protected:
  TypedBuf<IRECT> mRECTs{256};
};

// An area without a picture that toggles between 0 and 1.
class IInvisibleSwitchControl : public IControl
{
public:
  IInvisibleSwitchControl(IAudioPlugin* plug, IRECT rect, int paramIdx)
      : IControl(plug, rect, paramIdx, IChannelBlend::kBlendOpaque)
  {
  }

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }
};

// n buttons laid out evenly along the rectangle, each drawn from a two-frame image (frame 1 off,
// frame 2 on); exactly one is on. With reverse, button 0 sits at the bottom or right end.
class IRadioButtonsControl : public IControl
{
public:
  IRadioButtonsControl(IAudioPlugin* plug, IRECT rect, int paramIdx, int nButtons,
                       const IBitmap* bitmap, EDirection direction = kDirVertical,
                       bool reverse = false);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  int NButtons() const { return mRECTs.GetSize(); }
  const IRECT* GetButtonRect(int i) const;

protected:
  TypedBuf<IRECT> mRECTs{256};
  IBitmap mBitmap;
};

// A momentary button: on while pressed, back to 0 on release.
class IContactControl : public ISwitchControl
{
public:
  IContactControl(IAudioPlugin* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                  int blendMethod = IChannelBlend::kBlendAlpha)
      : ISwitchControl(plug, x, y, paramIdx, bitmap, blendMethod)
  {
  }

  void OnMouseUp(int x, int y, IMouseMod* mod) override;
};

// An image shown over part of the editor while its value is on. When off it takes clicks only in
// its target area (which turns it on); when on, a click anywhere on the image turns it off.
class IBitmapOverlayControl : public ISwitchControl
{
public:
  IBitmapOverlayControl(IAudioPlugin* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                        IRECT targetArea, int blendMethod = IChannelBlend::kBlendAlpha)
      : ISwitchControl(plug, x, y, paramIdx, bitmap, blendMethod), mTargetArea(targetArea)
  {
    // Off until a value says otherwise; until the first draw it must not swallow every click
    // over its image.
    mTargetRECT = targetArea;
  }
  IBitmapOverlayControl(IAudioPlugin* plug, int x, int y, const IBitmap* bitmap, IRECT targetArea,
                        int blendMethod = IChannelBlend::kBlendAlpha)
      : IBitmapOverlayControl(plug, x, y, -1, bitmap, targetArea, blendMethod)
  {
  }

  bool Draw(IGraphics* graphics) override;

protected:
  IRECT mTargetArea;
};
