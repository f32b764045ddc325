#pragma once
// A vertical bar showing a linear peak value (0..1) on a piecewise dB scale: -60 dB near the
// bottom, -20 dB half way up, 0 dB at the top. Green, yellow just below full scale, red at it.

#include "framework/gui/IControl.h"

class IPeakMeterVert : public IControl
{
public:
  // color is kept but not drawn: the bar's colour follows the level.
  IPeakMeterVert(IAudioPlugin* plug, IRECT rect, const IColor* color);

  // Redrawn every tick: the bar decays even when the value arrives unchanged.
  bool IsDirty() override { return true; }
  bool Draw(IGraphics* graphics) override;

  // The lit fraction of the bar for a linear value, and the bar's colour at that fraction.
  static double BarPosition(double value);
  static IColor BarColor(double position);

  const IColor& GetConstructorColor() const { return mColor; }

protected:
  IColor mBGColor = COLOR_GRAY;
  IColor mColor;
  IColor mBarColor = COLOR_GREEN;
};

// 20 * log10(|value|); minus infinity for 0.
double PeakLevelDB(double value);
