#pragma once
// The factory presets: the sound of each of the first 24 slots.

#include "product/Tarvo.h"

struct FactoryPreset
{
  const char* mName;
  double mGain[kNumBands];
  double mFrequency[kNumBands];
  const char* mWide;     // bands (digits 1-8) whose bandwidth switch is on
  const char* mBypassed; // bands whose bypass switch is on
  double mInputGain;
  double mOutputGain;
  double mMix;
};

constexpr int kNumFactoryPresets = 24;
extern const FactoryPreset kFactoryPresets[kNumFactoryPresets];
