#pragma once
// The equaliser: eight peaking bands in series between an input and an output gain, with phase,
// dry/wet mix, bypasses and peak metering, on the VST 3 binding.

#include "filters/BiquadCascade.h"
#include "framework/gui/GraphicsFactory.h"
#include "framework/vst3/IVST3Plugin.h"

enum ETarvoParams
{
  kGain1 = 0,
  kFrequency1 = 8,
  kBandwidth1 = 16,
  kBandBypass1 = 24,
  kInputGain = 32,
  kOutputGain = 33,
  kBypass = 34,
  kLeftBypass = 35,
  kRightBypass = 36,
  kPhase = 37,
  kMix = 38,
  kNumParams = 39
};

constexpr int kNumBands = 8;
constexpr int kNumPresets = 32;

// A one-pole smoother: y = a·y + (1 − a)·target once per frame.
struct Smoother
{
  double mCoeff = 0.0;
  double mState = 0.0;
};

class Tarvo : public IVST3Plugin
{
public:
  // Main thread (instances are built one at a time under the module's creation mutex).
  // makeGraphics builds the editor's engine for the platform; an empty one builds no editor
  // (audio-only tests and tools).
  explicit Tarvo(IInstanceInfo instanceInfo = IInstanceInfo(),
                 GraphicsFactory makeGraphics = nullptr);
  ~Tarvo() override;

  // Main thread; takes the instance mutex.
  void Reset() override;
  // Any thread; takes the instance mutex.
  void OnParamChange(int paramIdx) override;
  // Audio thread, instance mutex held by the frame. Allocates nothing.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  // The same on 32-bit buffers, converted in the same pass as the first and last stage.
  void ProcessSingleReplacing(float** inputs, float** outputs, int nFrames) override;
  void PresetsChangedByHost() override;

  // Read-only views for tests and tools.
  const Biquad& GetBand(int band) const { return mBands.Section(band); }
  bool IsBandBypassed(int band) const { return mBands.IsBypassed(band); }
  BiquadCascade::EKernel GetKernel() const { return mBands.Kernel(); }
  double GetInputMeter(int ch) const { return mInputMeter[ch]; }
  double GetOutputMeter(int ch) const { return mOutputMeter[ch]; }
  double GetMixTarget() const { return mMixTarget; }
  double GetInputGainTarget() const { return mInputGainTarget; }
  double GetOutputGainTarget() const { return mOutputGainTarget; }
  const Smoother& GetMixSmoother() const { return mMixSmoother; }
  double GetCachedSampleRate() const { return mCachedSampleRate; }
  double GetDryGain() const { return mDryGain; }
  double GetWetGain() const { return mWetGain; }
  int GetMeterControl(int i) const { return i >= 0 && i < 8 ? mMeterControls[i] : -1; }

private:
  void InitParameters();
  // The editor's layout (TarvoEditor.cpp): the engine, its controls in attach order, the meter
  // indices, then AttachGraphics.
  void MakeEditor(const GraphicsFactory& makeGraphics);
  void MakePresets();
  template <class S> void ProcessBlock(const S* inL, const S* inR, S* outL, S* outR, int nFrames);

  // The bands in series; the kernel that runs them is chosen when the instance is made.
  BiquadCascade mBands;
  bool mBypass = false;
  bool mBypassLeft = false;
  bool mBypassRight = false;
  bool mPhaseInvert = false;
  double mInputGainTarget = 0.0;
  double mOutputGainTarget = 0.0;
  double mMixTarget = 0.0;
  Smoother mInputGainSmoother;
  Smoother mOutputGainSmoother;
  Smoother mMixSmoother;
  double mDryGain = 0.0;
  double mWetGain = 0.0;
  // Presets restored during construction convert band frequencies with this rate, so it starts
  // at the framework's default rather than at 0.
  double mCachedSampleRate = 44100.0;
  double mInputMeter[2] = {};
  double mOutputMeter[2] = {};
  int mMeterControls[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
  // The smoothed mix for which mDryGain and mWetGain were last computed.
  double mLastMix = -1.0;
  // Per-frame gains of a chunk while the smoothers glide.
  double mGlide[4][BiquadCascade::kMaxChunk] = {};
};
