#pragma once
// One automatable parameter: its type, range, plain value, the curve between the host's
// normalised 0..1 and the plain value, and how it is shown as text.
// No lock of its own: writers hold the plug-in's instance mutex. The value itself is atomic, so a
// host's controller thread may read it (and the binding write it) while a block runs.

#include <atomic>

#include "common/HeapBuf.h"

class IParam
{
public:
  enum EParamType
  {
    kTypeNone = 0,
    kTypeBool = 1,
    kTypeInt = 2,
    kTypeEnum = 3,
    kTypeDouble = 4
  };
  static constexpr int kNameLen = 32;
  // Enough for any printed value of any double and for a display text.
  static constexpr int kDisplayLen = 400;

  struct DisplayText
  {
    int mValue;
    char mText[kNameLen];
  };

  IParam();

  void InitBool(const char* name, bool defaultVal, const char* label = "", const char* group = "");
  void InitEnum(const char* name, int defaultVal, int nEnums, const char* label = "",
                const char* group = "");
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "",
               const char* group = "");
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", const char* group = "", double shape = 1.0);

  // Appends; an existing text for the same value stays first.
  void SetDisplayText(int value, const char* text);
  void SetShape(double shape);
  void SetCanAutomate(bool canAutomate) { mCanAutomate = canAutomate; }
  void NegateDisplay() { mNegateDisplay = true; }

  // Clamps into the range (state restore).
  void Set(double value);
  void SetNormalized(double normalizedValue);

  EParamType Type() const { return mType; }
  double Value() const { return mValue.load(std::memory_order_relaxed); }
  int Int() const;
  bool Bool() const { return Value() >= 0.5; }
  double DBToAmp() const;
  double GetNormalized() const { return GetNormalized(Value()); }
  double GetNormalized(double value) const;
  double GetNonNormalized(double normalizedValue) const;
  double GetDefault() const { return mDefault; }
  double GetDefaultNormalized() const { return GetNormalized(mDefault); }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }
  void GetBounds(double& minOut, double& maxOut) const;
  int GetPrecision() const { return mDisplayPrecision; }
  bool GetCanAutomate() const { return mCanAutomate; }

  // Writes at most outLen - 1 characters. The value is rounded to the displayed precision, and a
  // display text stands in for it when the rounded value is whole and has one.
  void GetDisplayForHost(double value, bool normalized, char* out, bool withDisplayText = true,
                         int outLen = kDisplayLen) const;
  void GetDisplayForHost(char* out, bool withDisplayText = true, int outLen = kDisplayLen) const
  {
    GetDisplayForHost(Value(), false, out, withDisplayText, outLen);
  }
  const char* GetDisplayText(int value) const;
  const char* GetNameForHost() const { return mName; }
  const char* GetLabelForHost() const;
  const char* GetParamGroupForHost() const { return mParamGroup; }
  int GetNDisplayTexts() const { return mDisplayTexts.GetSize(); }
  const char* GetDisplayTextAtIdx(int idx, int* valueOut = nullptr) const;
  bool MapDisplayText(const char* text, int* valueOut) const;

  // What a typed text means as a plain value: a display text's key for bool and enum
  // parameters (0 when none matches), otherwise the leading decimal number (0 when none).
  double ValueFromText(const char* text) const;

private:
  void SetTypeOnce(EParamType type);
  void SetNames(const char* name, const char* label, const char* group);
  double Plain(double normalizedValue) const;
  // The value as shown: rounded to the displayed precision, never negative zero.
  double Displayed(double value) const;
  // The display text shown for a plain value, or "" when it is shown as a number.
  const char* DisplayTextFor(double value) const;
  void Store(double value) { mValue.store(value, std::memory_order_relaxed); }

  EParamType mType = kTypeNone;
  std::atomic<double> mValue{0.0};
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  double mDefault = 0.0;
  int mDisplayPrecision = 0;
  char mName[kNameLen] = {};
  char mLabel[kNameLen] = {};
  char mParamGroup[kNameLen] = {};
  bool mNegateDisplay = false;
  bool mCanAutomate = true;
  TypedBuf<DisplayText> mDisplayTexts{4096};
};

// Truncates toward zero, holding values outside the int range at its ends (a plain cast of such
// a value is undefined).
int TruncToInt(double value);
