#pragma once
// A plug-in shaped like the equaliser (39 parameters of the same kinds and ranges, 32 preset
// slots) that records what the base asks of it.

#include <cstdio>
#include <vector>

#include "framework/core/IAudioPlugin.h"

class TestPlugin : public IAudioPlugin
{
public:
  static constexpr int kNParams = 39;

  explicit TestPlugin(int uniqueID = FourCC("Trvo"), bool chunks = true, int latency = 0,
                      const char* channelIO = "1-1 2-2", int nPresets = 32)
      : IAudioPlugin(kNParams, channelIO, nPresets, "Tarvo", "", "Velkor Audio", 0x00020000,
                     uniqueID, FourCC("Vlkr"), latency, false, chunks, false, kAPIVST3)
  {
    for (int i = 0; i < 8; ++i)
    {
      GetParam(i)->InitDouble(Name("Gain", i), 0.0, -18.0, 18.0, 0.01, "dB", "EQ Gain");
      GetParam(i + 8)->InitDouble(Name("Frequency", i), 20000.0, 20.0, 20000.0, 1.0, "Hz",
                                  "EQ Frenquency", 2.3);
      GetParam(i + 16)->InitBool(Name("Bandwidth", i), false, "EQ Bandwidth");
      GetParam(i + 24)->InitBool(Name("Bypass", i), false, "EQ Bypass");
    }
    GetParam(32)->InitDouble("Input Gain", 0.0, -72.0, 6.0, 0.01, "dB", "Amp", 0.115);
    GetParam(32)->SetDisplayText(-72, "-inf.");
    GetParam(33)->InitDouble("Output Gain", 0.0, -72.0, 6.0, 0.01, "dB", "Amp", 0.115);
    GetParam(33)->SetDisplayText(-72, "-inf.");
    GetParam(34)->InitBool("Bypass", false);
    GetParam(35)->InitBool("Left Bypass", false);
    GetParam(36)->InitBool("Right Bypass", false);
    GetParam(37)->InitBool("Phase", false);
    GetParam(38)->InitDouble("Mix", 50.0, 0.0, 100.0, 0.1, "%", "Amp", 0.0);
    if (latency > 0)
    {
      mDelay = new NChanDelayLine(NInChannels(), NOutChannels());
      mDelay->SetDelayTime(latency);
    }
  }

  void OnParamChange(int paramIdx) override
  {
    RecursiveMutex::Lock lock(mMutex);
    mChanges.push_back(paramIdx);
  }
  void PresetsChangedByHost() override { ++mPresetsChanged; }
  void InformHostOfProgramChange() override { ++mProgramChanges; }
  void InformHostOfParamChange(int idx, double value) override
  {
    mInformed.push_back({idx, value});
  }

  std::vector<double> Values() const
  {
    std::vector<double> v;
    for (int i = 0; i < NParams(); ++i)
      v.push_back(GetParam(i)->Value());
    return v;
  }
  std::vector<int> mChanges;
  std::vector<std::pair<int, double>> mInformed;
  int mPresetsChanged = 0;
  int mProgramChanges = 0;

  using IAudioPlugin::mDelay;

private:
  // Parameters copy their names, so one buffer serves every call.
  const char* Name(const char* base, int band)
  {
    std::snprintf(mName, sizeof mName, "%s %d", base, band + 1);
    return mName;
  }
  char mName[32] = {};
};
