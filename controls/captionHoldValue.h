#pragma once
// The highest peak level in dB since the last click, as text. Loud peaks turn the text yellow,
// full-scale ones amber, until the caption is clicked, which also starts a new hold period.

#include "common/StringBuf.h"
#include "framework/gui/IControl.h"

class ICaptionHoldValueControl : public IControl
{
public:
  static constexpr double kNoHold = -999.0;

  ICaptionHoldValueControl(IAudioPlugin* plug, IRECT rect, const IText* text);

  // Any button: clears the hold and the warning colour. Shown with the next value that arrives.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  double GetHold() const { return mHold; }
  const IColor& GetTextColor() const { return mTextColor; }
  const char* GetValueString() const { return mStr.Get(); }

protected:
  StringBuf mStr;
  IColor mTextColor = COLOR_WHITE;
  double mHold = kNoHold;
  // The style the caption draws with; only its colour changes.
  IText mDrawText;
};

// The amber of a caption that has seen a full-scale peak.
inline constexpr IColor COLOR_CAPTION_AMBER(255, 236, 174, 8);
