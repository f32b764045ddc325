#include "controls/peakMeter.h"

#include <cmath>

#include "framework/core/IParam.h"
#include "framework/gui/IGraphics.h"

double PeakLevelDB(double value)
{
  return std::log(std::fabs(value)) * 8.685889638065037;
}

IPeakMeterVert::IPeakMeterVert(IAudioPlugin* plug, IRECT rect, const IColor* color)
    : IControl(plug, rect, -1), mColor(color ? *color : COLOR_RED)
{
}

double IPeakMeterVert::BarPosition(double value)
{
  const double l = PeakLevelDB(value);
  // Also catches NaN, which no comparison below would.
  if (!(l >= -70.0)) return 0.0;
  if (l < -60.0) return (l + 70.0) * 0.0025;
  if (l < -50.0) return (l + 60.0) * 0.005 + 0.025;
  if (l < -40.0) return (l + 50.0) * 0.0075 + 0.075;
  if (l < -30.0) return (l + 40.0) * 0.015 + 0.15;
  if (l < -20.0) return (l + 30.0) * 0.02 + 0.3;
  return (l + 20.0) * 0.025 + 0.5;
}

IColor IPeakMeterVert::BarColor(double position)
{
  if (position > 0.98) return position < 0.9999 ? COLOR_YELLOW : COLOR_RED;
  return COLOR_GREEN;
}

bool IPeakMeterVert::Draw(IGraphics* graphics)
{
  const double p = BarPosition(mValue);
  mBarColor = BarColor(p);
  graphics->FillIRect(&mBarColor, &mRECT);
  IRECT unlit(mRECT.L, mRECT.T, mRECT.R, TruncToInt(mRECT.B - (mRECT.B - mRECT.T) * p));
  graphics->FillIRect(&mBGColor, &unlit);
  return true;
}
