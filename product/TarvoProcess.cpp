// The block routine: input gain, the eight-band cascade, phase, output gain, dry/wet mix,
// cleaning, bypasses and peak metering, per sample frame.
//
// The smoothers run here; everything per frame after them runs in the cascade's kernel, in one
// pass. Once the smoothers have settled the gains are constants for the whole chunk.

#include <cmath>

#include "product/Tarvo.h"
#include "utility/Pan.h"

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace
{
// Flushes subnormal numbers to zero for the block and gives the host its floating-point mode
// back afterwards: decaying filter states after a loud burst would otherwise cost far more than
// the audio itself.
class FlushDenormals
{
public:
#if defined(__SSE2__)
  FlushDenormals() : mSaved(_mm_getcsr())
  {
    _mm_setcsr(mSaved | 0x8040);
  } // FTZ | DAZ
  ~FlushDenormals()
  {
    _mm_setcsr(mSaved);
  }

private:
  unsigned mSaved;
#endif
};

// Within this distance a smoother has arrived: it takes the target exactly, so a mix of 0 % really
// is dry, a glide towards 0 never lingers in subnormal numbers, and settled blocks skip the
// smoothing altogether.
constexpr double kSettled = 1e-12;

inline double Smooth(double& state, double coeff, double target)
{
  state = coeff * state + (1.0 - coeff) * target;
  if (std::fabs(state - target) < kSettled) state = target;
  return state;
}
} // namespace

void Tarvo::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  ProcessBlock(inputs[0], inputs[1], outputs[0], outputs[1], nFrames);
}

void Tarvo::ProcessSingleReplacing(float** inputs, float** outputs, int nFrames)
{
  ProcessBlock(inputs[0], inputs[1], outputs[0], outputs[1], nFrames);
}

template <class S>
void Tarvo::ProcessBlock(const S* inL, const S* inR, S* outL, S* outR, int nFrames)
{
  FlushDenormals flush;

  const double aIn = mInputGainSmoother.mCoeff, aOut = mOutputGainSmoother.mCoeff;
  const double aMix = mMixSmoother.mCoeff;
  double yIn = mInputGainSmoother.mState, yOut = mOutputGainSmoother.mState;
  double yMix = mMixSmoother.mState;
  const double tIn = mInputGainTarget, tOut = mOutputGainTarget, tMix = mMixTarget;
  double dry = mDryGain, wet = mWetGain, lastMix = mLastMix;

  BiquadCascade::Mix mix;
  mix.invertPhase = mPhaseInvert;
  mix.passLeft = mBypass || mBypassLeft;
  mix.passRight = mBypass || mBypassRight;
  BiquadCascade::Peaks peaks;

  for (int start = 0; start < nFrames; start += BiquadCascade::kMaxChunk)
  {
    const int left = nFrames - start;
    const int n = left < BiquadCascade::kMaxChunk ? left : BiquadCascade::kMaxChunk;
    if (yIn == tIn && yOut == tOut && yMix == tMix && lastMix == yMix)
    {
      mix.inputGain = yIn;
      mix.outputGain = yOut;
      mix.dryGain = dry;
      mix.wetGain = wet;
      mix.inputGains = mix.outputGains = mix.dryGains = mix.wetGains = nullptr;
    }
    else
    {
      for (int i = 0; i < n; ++i)
      {
        mGlide[0][i] = Smooth(yIn, aIn, tIn);
        mGlide[1][i] = Smooth(yOut, aOut, tOut);
        const double p = Smooth(yMix, aMix, tMix);
        // The sines only when the smoothed mix moved.
        if (p != lastMix)
        {
          mixLaw(p, dry, wet);
          lastMix = p;
        }
        mGlide[2][i] = dry;
        mGlide[3][i] = wet;
      }
      mix.inputGains = mGlide[0];
      mix.outputGains = mGlide[1];
      mix.dryGains = mGlide[2];
      mix.wetGains = mGlide[3];
    }
    mBands.Process(inL + start, inR + start, outL + start, outR + start, n, mix, peaks);
  }

  mInputGainSmoother.mState = yIn;
  mOutputGainSmoother.mState = yOut;
  mMixSmoother.mState = yMix;
  mDryGain = dry;
  mWetGain = wet;
  mLastMix = lastMix;

  // Meters fall by 0.45 of full scale per second and never read above full scale.
  const double decay = nFrames / mCachedSampleRate * 0.45;
  double* meters[4] = {&mInputMeter[0], &mInputMeter[1], &mOutputMeter[0], &mOutputMeter[1]};
  const double blockPeaks[4] = {peaks.in[0], peaks.in[1], peaks.out[0], peaks.out[1]};
  for (int m = 0; m < 4; ++m)
  {
    const double held = *meters[m] - decay;
    *meters[m] = std::fmin(1.0, held > blockPeaks[m] ? held : blockPeaks[m]);
  }

  if (IPluginEditor* gui = GetGUI())
  {
    for (int c = 0; c < 8; ++c)
      if (mMeterControls[c] >= 0) gui->SetControlFromPlug(mMeterControls[c], *meters[c % 4]);
  }
}
