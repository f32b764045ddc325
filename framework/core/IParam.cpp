#include "framework/core/IParam.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "common/StringBuf.h"

int TruncToInt(double value)
{
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

IParam::IParam() = default;

void IParam::SetTypeOnce(EParamType type)
{
  if (mType == kTypeNone) mType = type;
}

void IParam::SetNames(const char* name, const char* label, const char* group)
{
  CopyCString(mName, name, kNameLen);
  CopyCString(mLabel, label, kNameLen);
  CopyCString(mParamGroup, group, kNameLen);
}

void IParam::InitBool(const char* name, bool defaultVal, const char* label, const char* group)
{
  SetTypeOnce(kTypeBool);
  SetNames(name, label, group);
  mDefault = defaultVal ? 1.0 : 0.0;
  Store(mDefault);
  mMin = 0.0;
  mMax = 1.0;
  mStep = 1.0;
  mShape = 1.0;
  mDisplayPrecision = 0;
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums, const char* label,
                      const char* group)
{
  SetTypeOnce(kTypeEnum);
  SetNames(name, label, group);
  mDefault = defaultVal;
  Store(mDefault);
  mMin = 0.0;
  mMax = nEnums - 1 > 1 ? nEnums - 1 : 1;
  mStep = 1.0;
  mShape = 1.0;
  mDisplayPrecision = 0;
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label,
                     const char* group)
{
  SetTypeOnce(kTypeInt);
  SetNames(name, label, group);
  mDefault = defaultVal;
  Store(mDefault);
  mMin = minVal;
  mMax = maxVal < static_cast<double>(minVal) + 1.0 ? static_cast<double>(minVal) + 1.0 : maxVal;
  mStep = 1.0;
  mShape = 1.0;
  mDisplayPrecision = 0;
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal,
                        double step, const char* label, const char* group, double shape)
{
  SetTypeOnce(kTypeDouble);
  SetNames(name, label, group);
  mDefault = defaultVal;
  Store(mDefault);
  mMin = minVal;
  mMax = maxVal < minVal + step ? minVal + step : maxVal;
  mStep = step;
  SetShape(shape);

  // Decimals shown: how many times the step must be multiplied by ten to become whole.
  mDisplayPrecision = 0;
  if (step != std::floor(step))
  {
    double s = step;
    mDisplayPrecision = 6;
    for (int i = 1; i <= 5; ++i)
    {
      s *= 10.0;
      if (s == std::floor(s))
      {
        mDisplayPrecision = i;
        break;
      }
    }
  }
}

void IParam::SetDisplayText(int value, const char* text)
{
  const int n = mDisplayTexts.GetSize();
  DisplayText* texts = mDisplayTexts.Resize(n + 1);
  if (!texts) return;
  texts[n].mValue = value;
  CopyCString(texts[n].mText, text, kNameLen);
}

void IParam::SetShape(double shape)
{
  if (shape != 0.0) mShape = shape;
}

void IParam::Set(double value)
{
  // A NaN from a damaged state counts as a missing value: 0 held into the range.
  if (std::isnan(value)) value = 0.0;
  Store(value < mMin ? mMin : (value > mMax ? mMax : value));
}

double IParam::Plain(double normalizedValue) const
{
  return mMin + std::pow(normalizedValue, mShape) * (mMax - mMin);
}

void IParam::SetNormalized(double normalizedValue)
{
  // Hosts and files may send anything; outside 0..1 (or NaN) would leave the range.
  if (!(normalizedValue >= 0.0)) normalizedValue = 0.0;
  if (normalizedValue > 1.0) normalizedValue = 1.0;
  // Computed aside and stored once: readers on other threads never see a half-made value.
  double v = Plain(normalizedValue);
  if (mType != kTypeDouble) v = std::floor(v / mStep + 0.5) * mStep;
  Store(v > mMax ? mMax : v);
}

int IParam::Int() const
{
  return TruncToInt(Value());
}

double IParam::DBToAmp() const
{
  return std::exp(Value() * 0.1151292546497);
}

double IParam::GetNormalized(double value) const
{
  if (std::isnan(value)) value = mMin;
  const double v = value < mMin ? mMin : (value > mMax ? mMax : value);
  return std::pow((v - mMin) / (mMax - mMin), 1.0 / mShape);
}

double IParam::GetNonNormalized(double normalizedValue) const
{
  return Plain(normalizedValue);
}

void IParam::GetBounds(double& minOut, double& maxOut) const
{
  minOut = mMin;
  maxOut = mMax;
}

double IParam::Displayed(double value) const
{
  // Printing truncated would show 64.99999 as 64 and the 380 a host hands back as
  // 379.99999999999994 as 379: the shown number is the value rounded, half away from zero.
  const double scale = std::pow(10.0, mDisplayPrecision);
  double shown = std::round(value * scale) / scale;
  if (!std::isfinite(shown)) shown = value;
  return shown == 0.0 ? 0.0 : shown;
}

const char* IParam::DisplayTextFor(double value) const
{
  // A text names a whole value; it stands in whenever the value shows as that whole number.
  const double shown = Displayed(value);
  if (shown != std::floor(shown)) return "";
  return GetDisplayText(TruncToInt(shown));
}

void IParam::GetDisplayForHost(double value, bool normalized, char* out, bool withDisplayText,
                               int outLen) const
{
  if (!out || outLen <= 0) return;
  if (normalized) value = Plain(value);
  if (withDisplayText)
  {
    const char* text = DisplayTextFor(value);
    if (text[0])
    {
      CopyCString(out, text, outLen);
      return;
    }
  }
  double shown = Displayed(value);
  if (mNegateDisplay && shown != 0.0) shown = -shown;
  if (mDisplayPrecision == 0)
    std::snprintf(out, static_cast<size_t>(outLen), "%d", TruncToInt(shown));
  else
    std::snprintf(out, static_cast<size_t>(outLen), "%.*f", mDisplayPrecision, shown);
}

const char* IParam::GetDisplayText(int value) const
{
  const DisplayText* texts = mDisplayTexts.Get();
  for (int i = 0; i < mDisplayTexts.GetSize(); ++i)
    if (texts[i].mValue == value) return texts[i].mText;
  return "";
}

const char* IParam::GetLabelForHost() const
{
  return DisplayTextFor(Value())[0] ? "" : mLabel;
}

const char* IParam::GetDisplayTextAtIdx(int idx, int* valueOut) const
{
  if (idx < 0 || idx >= mDisplayTexts.GetSize()) return "";
  const DisplayText& t = mDisplayTexts.Get()[idx];
  if (valueOut) *valueOut = t.mValue;
  return t.mText;
}

bool IParam::MapDisplayText(const char* text, int* valueOut) const
{
  if (!text) return false;
  const DisplayText* texts = mDisplayTexts.Get();
  for (int i = 0; i < mDisplayTexts.GetSize(); ++i)
  {
    if (std::strcmp(texts[i].mText, text) == 0)
    {
      if (valueOut) *valueOut = texts[i].mValue;
      return true;
    }
  }
  return false;
}

double IParam::ValueFromText(const char* text) const
{
  if (!text) return 0.0;
  if (mType == kTypeBool || mType == kTypeEnum)
  {
    int key = 0;
    return MapDisplayText(text, &key) ? key : 0.0;
  }
  const double v = std::atof(text);
  return mNegateDisplay ? -v : v;
}
