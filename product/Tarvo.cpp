#include "product/Tarvo.h"

#include <cmath>
#include <cstdio>

#include "product/TarvoPresets.h"

namespace
{
// Bandwidth switch: on is the wide bell, off the narrow one.
constexpr double kWideQ = 0.712;
constexpr double kNarrowQ = 5.696;
} // namespace

Tarvo::Tarvo(IInstanceInfo instanceInfo, GraphicsFactory makeGraphics)
    : IVST3Plugin(instanceInfo, kNumParams, "1-1 2-2", kNumPresets, "Tarvo", "", "Velkor Audio",
                  0x00020000, FourCC("Trvo"), FourCC("Vlkr"), 0, false, true, false, 0)
{
  for (int b = 0; b < kNumBands; ++b)
    mBands.Section(b).setType(Biquad::kPeak);
  // 32-bit host buffers go straight to the block routine, which converts as it reads and writes.
  SetSinglePrecisionDirect(true);
  InitParameters();
  if (makeGraphics) MakeEditor(makeGraphics);
  MakePresets();
}

Tarvo::~Tarvo() = default;

void Tarvo::InitParameters()
{
  char name[32];
  for (int b = 0; b < kNumBands; ++b)
  {
    std::snprintf(name, sizeof name, "Gain %d", b + 1);
    GetParam(kGain1 + b)->InitDouble(name, 0.0, -18.0, 18.0, 0.01, "dB", "EQ Gain", 1.0);
  }
  for (int b = 0; b < kNumBands; ++b)
  {
    std::snprintf(name, sizeof name, "Frequency %d", b + 1);
    GetParam(kFrequency1 + b)
        ->InitDouble(name, 20000.0, 20.0, 20000.0, 1.0, "Hz", "EQ Frenquency", 2.3);
  }
  for (int b = 0; b < kNumBands; ++b)
  {
    std::snprintf(name, sizeof name, "Bandwidth %d", b + 1);
    GetParam(kBandwidth1 + b)->InitBool(name, false, "EQ Bandwidth", "");
  }
  for (int b = 0; b < kNumBands; ++b)
  {
    std::snprintf(name, sizeof name, "Bypass %d", b + 1);
    GetParam(kBandBypass1 + b)->InitBool(name, false, "EQ Bypass", "");
  }
  GetParam(kInputGain)->InitDouble("Input Gain", 0.0, -72.0, 6.0, 0.01, "dB", "Amp", 0.115);
  GetParam(kInputGain)->SetDisplayText(-72, "-inf.");
  GetParam(kOutputGain)->InitDouble("Output Gain", 0.0, -72.0, 6.0, 0.01, "dB", "Amp", 0.115);
  GetParam(kOutputGain)->SetDisplayText(-72, "-inf.");
  GetParam(kBypass)->InitBool("Bypass", false, "", "");
  GetParam(kLeftBypass)->InitBool("Left Bypass", false, "", "");
  GetParam(kRightBypass)->InitBool("Right Bypass", false, "", "");
  GetParam(kPhase)->InitBool("Phase", false, "", "");
  // Shape 0 keeps the default linear curve.
  GetParam(kMix)->InitDouble("Mix", 50.0, 0.0, 100.0, 0.1, "%", "Amp", 0.0);
  GetParam(kMix)->SetDisplayText(0, "Dry");
  GetParam(kMix)->SetDisplayText(100, "Wet");
}

void Tarvo::MakePresets()
{
  for (const FactoryPreset& p : kFactoryPresets)
  {
    double values[kNumParams] = {};
    for (int b = 0; b < kNumBands; ++b)
    {
      values[kGain1 + b] = p.mGain[b];
      values[kFrequency1 + b] = p.mFrequency[b];
    }
    for (const char* c = p.mWide; *c; ++c)
      values[kBandwidth1 + (*c - '1')] = 1.0;
    for (const char* c = p.mBypassed; *c; ++c)
      values[kBandBypass1 + (*c - '1')] = 1.0;
    values[kInputGain] = p.mInputGain;
    values[kOutputGain] = p.mOutputGain;
    values[kMix] = p.mMix;
    ByteChunk chunk;
    for (double v : values)
      chunk.Put(v);
    MakePresetFromChunk(p.mName, chunk);
  }
  MakeDefaultPreset("User Preset", kNumPresets);
  RestorePreset(0);
}

void Tarvo::OnParamChange(int paramIdx)
{
  RecursiveMutex::Lock lock(mMutex);
  const IParam* param = GetParam(paramIdx);
  if (!param) return;
  const double v = param->Value();
  if (paramIdx < kFrequency1)
    mBands.Section(paramIdx - kGain1).setPeakGain(v);
  else if (paramIdx < kBandwidth1)
    mBands.Section(paramIdx - kFrequency1).setFc(v / mCachedSampleRate);
  else if (paramIdx < kBandBypass1)
    mBands.Section(paramIdx - kBandwidth1).setQ(v >= 0.5 ? kWideQ : kNarrowQ);
  else if (paramIdx < kInputGain)
    mBands.SetBypassed(paramIdx - kBandBypass1, v >= 0.5);
  else if (paramIdx == kInputGain)
    mInputGainTarget = param->DBToAmp();
  else if (paramIdx == kOutputGain)
    mOutputGainTarget = param->DBToAmp();
  else if (paramIdx == kBypass)
    mBypass = v >= 0.5;
  else if (paramIdx == kLeftBypass)
    mBypassLeft = v >= 0.5;
  else if (paramIdx == kRightBypass)
    mBypassRight = v >= 0.5;
  else if (paramIdx == kPhase)
    mPhaseInvert = v >= 0.5;
  else if (paramIdx == kMix)
    mMixTarget = v * 0.01;
}

void Tarvo::Reset()
{
  RecursiveMutex::Lock lock(mMutex);
  mCachedSampleRate = GetSampleRate();
  // The bands hold their frequencies as fractions of the rate: a new rate must move them, or a
  // host running at 48 kHz would hear every band 9 % too high.
  for (int b = 0; b < kNumBands; ++b)
    mBands.Section(b).setFc(GetParam(kFrequency1 + b)->Value() / mCachedSampleRate);
  // exp(−2π·20 / fs): a one-pole smoother with a 20 Hz corner.
  const double a = std::exp(-125.66370614359172 / mCachedSampleRate);
  mInputGainSmoother.mCoeff = mOutputGainSmoother.mCoeff = mMixSmoother.mCoeff = a;
  mInputMeter[0] = mInputMeter[1] = 0.0;
  mOutputMeter[0] = mOutputMeter[1] = 0.0;
}

void Tarvo::PresetsChangedByHost()
{
  RecursiveMutex::Lock lock(mMutex);
  if (IPluginEditor* gui = GetGUI()) gui->SetAllControlsDirty();
}
