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
  mValue = mDefault = defaultVal ? 1.0 : 0.0;
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
  mValue = mDefault = defaultVal;
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
  mValue = mDefault = defaultVal;
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
  mValue = mDefault = defaultVal;
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
  mValue = value < mMin ? mMin : (value > mMax ? mMax : value);
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
  mValue = Plain(normalizedValue);
  if (mType != kTypeDouble) mValue = std::floor(mValue / mStep + 0.5) * mStep;
  if (mValue > mMax) mValue = mMax;
}

int IParam::Int() const
{
  return TruncToInt(mValue);
}

double IParam::DBToAmp() const
{
  return std::exp(mValue * 0.1151292546497);
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

void IParam::GetDisplayForHost(double value, bool normalized, char* out, bool withDisplayText,
                               int outLen) const
{
  if (!out || outLen <= 0) return;
  if (normalized) value = Plain(value);
  if (withDisplayText)
  {
    const char* text = GetDisplayText(TruncToInt(value));
    if (text[0])
    {
      CopyCString(out, text, outLen);
      return;
    }
  }
  if (mNegateDisplay) value = -value;
  if (mDisplayPrecision == 0)
    std::snprintf(out, static_cast<size_t>(outLen), "%d", TruncToInt(value));
  else
    std::snprintf(out, static_cast<size_t>(outLen), "%.*f", mDisplayPrecision, value);
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
  return GetDisplayText(Int())[0] ? "" : mLabel;
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
