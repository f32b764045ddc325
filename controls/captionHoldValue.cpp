#include "controls/captionHoldValue.h"

#include "controls/peakMeter.h"
#include "framework/gui/IGraphics.h"

ICaptionHoldValueControl::ICaptionHoldValueControl(IAudioPlugin* plug, IRECT rect,
                                                   const IText* text)
    : IControl(plug, rect, -1), mDrawText(14, &COLOR_WHITE, "Exo", IText::kTextRegular,
                                          IText::kAlignMiddle, 0, IText::kQualitySmooth)
{
  if (text) mText = *text;
}

void ICaptionHoldValueControl::OnMouseDown(int, int, IMouseMod*)
{
  mHold = kNoHold;
  mTextColor = COLOR_WHITE;
}

bool ICaptionHoldValueControl::Draw(IGraphics* graphics)
{
  const double v = mValue;
  if (v > 0.98) mTextColor = v <= 0.99991 ? COLOR_YELLOW : COLOR_CAPTION_AMBER;
  const double level = PeakLevelDB(v);
  // A NaN level must not wipe the hold.
  if (level > mHold) mHold = level;
  if (mHold <= -72.0)
    mStr.SetFormatted(7, "%s \n", "-inf.");
  else
    mStr.SetFormatted(7, "%.2lf", mHold);
  if (mStr.GetLength())
  {
    mDrawText.mColor = mTextColor;
    IRECT r = mRECT;
    graphics->DrawIText(&mDrawText, mStr.Get(), &r);
  }
  return true;
}
