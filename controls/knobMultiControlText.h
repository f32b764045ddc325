#pragma once
// A film-strip knob that shows its parameter's value as text in a strip along its bottom; a
// click on the text opens a text field for typing a value.

#include "common/StringBuf.h"
#include "framework/gui/IKnobControls.h"

class IKnobMultiControlText : public IKnobControl
{
public:
  // The control is rect widened by `widening` on both sides, but takes the mouse only over rect.
  // The value text fills the bottom 16 pixels of the widened rectangle, less textInset on each
  // side; the frame is drawn at rect's top-left corner.
  IKnobMultiControlText(IAudioPlugin* plug, IRECT rect, int paramIdx, const IBitmap* bitmap,
                        const IText* text, int textInset = 0, int widening = 0);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  const IRECT* GetTextRECT() const { return &mTextRECT; }
  const IRECT* GetImageRECT() const { return &mImgRECT; }
  const IBitmap* GetBitmap() const { return &mBitmap; }
  const char* GetValueString() const { return mStr.Get(); }

protected:
  IRECT mTextRECT;
  IRECT mImgRECT;
  IBitmap mBitmap;
  StringBuf mStr;
};
