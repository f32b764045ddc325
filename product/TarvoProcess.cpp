// The block routine: input gain, the eight-band cascade, phase, output gain, dry/wet mix,
// cleaning, bypasses and peak metering, per sample frame.

#include <cmath>
#include <cstdint>
#include <cstring>

#include "product/Tarvo.h"
#include "utility/Pan.h"

#if defined(__SSE2__)
#include <emmintrin.h>
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

// Zero for every magnitude below 2^-54, subnormals, infinities and NaNs: one bit test on the
// upper word of the final output instead of a test per filter state.
inline double Clean(double x)
{
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  const uint32_t h = static_cast<uint32_t>(bits >> 32);
  return ((h + 0x00100000u) & 0x7FE00000u) < 0x3CA00000u ? 0.0 : x;
}

// Within this distance the smoother has arrived: it takes the target exactly, so a mix of 0 %
// really is dry and a glide towards 0 never lingers in subnormal numbers.
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
  FlushDenormals flush;

  // Flags only change between blocks (under the instance mutex), so the cascade is settled once.
  int active[kNumBands];
  int nActive = 0;
  for (int b = 0; b < kNumBands; ++b)
    if (!mBandBypass[b]) active[nActive++] = b;

#if defined(__SSE2__)
  // Both channels of a section share one two-lane step; the states live in registers and local
  // memory for the block and go back to the sections at its end. Same operations in the same
  // order as the section's scalar step, so the results are identical.
  __m128d a0[kNumBands], a1[kNumBands], a2[kNumBands], b1[kNumBands], b2[kNumBands];
  __m128d z1[kNumBands], z2[kNumBands];
  for (int k = 0; k < nActive; ++k)
  {
    const Biquad& s = mBand[active[k]];
    a0[k] = _mm_set1_pd(s.a0);
    a1[k] = _mm_set1_pd(s.a1);
    a2[k] = _mm_set1_pd(s.a2);
    b1[k] = _mm_set1_pd(s.b1);
    b2[k] = _mm_set1_pd(s.b2);
    z1[k] = _mm_set_pd(s.z1R, s.z1L);
    z2[k] = _mm_set_pd(s.z2R, s.z2L);
  }
#endif

  const double* inL = inputs[0];
  const double* inR = inputs[1];
  double* outL = outputs[0];
  double* outR = outputs[1];

  const double aIn = mInputGainSmoother.mCoeff, aOut = mOutputGainSmoother.mCoeff;
  const double aMix = mMixSmoother.mCoeff;
  double yIn = mInputGainSmoother.mState, yOut = mOutputGainSmoother.mState;
  double yMix = mMixSmoother.mState;
  const double tIn = mInputGainTarget, tOut = mOutputGainTarget, tMix = mMixTarget;
  double dry = mDryGain, wet = mWetGain, lastMix = mLastMix;
  const bool phase = mPhaseInvert, bypass = mBypass;
  const bool bypassL = mBypassLeft, bypassR = mBypassRight;
  double peakInL = 0.0, peakInR = 0.0, peakOutL = 0.0, peakOutR = 0.0;

  for (int i = 0; i < nFrames; ++i)
  {
    const double xL = inL[i], xR = inR[i];
    const double gIn = Smooth(yIn, aIn, tIn);
    const double gOut = Smooth(yOut, aOut, tOut);
    const double p = Smooth(yMix, aMix, tMix);
    // The sines only when the smoothed mix moved; once settled it stays bit-for-bit the same.
    if (p != lastMix)
    {
      mixLaw(p, dry, wet);
      lastMix = p;
    }

    const double dL = xL * gIn, dR = xR * gIn;
    double wL, wR;
#if defined(__SSE2__)
    __m128d v = _mm_set_pd(dR, dL);
    for (int k = 0; k < nActive; ++k)
    {
      const __m128d out = _mm_add_pd(_mm_mul_pd(v, a0[k]), z1[k]);
      z1[k] = _mm_sub_pd(_mm_add_pd(_mm_mul_pd(v, a1[k]), z2[k]), _mm_mul_pd(b1[k], out));
      z2[k] = _mm_sub_pd(_mm_mul_pd(v, a2[k]), _mm_mul_pd(b2[k], out));
      v = out;
    }
    _mm_storel_pd(&wL, v);
    _mm_storeh_pd(&wR, v);
#else
    wL = dL;
    wR = dR;
    for (int k = 0; k < nActive; ++k)
      mBand[active[k]].processStereoScalar(wL, wR);
#endif
    if (phase)
    {
      wL = -wL;
      wR = -wR;
    }

    double oL = Clean(dL * dry + (wL * gOut) * wet);
    double oR = Clean(dR * dry + (wR * gOut) * wet);
    if (bypassL) oL = xL;
    if (bypassR) oR = xR;
    if (bypass)
    {
      oL = xL;
      oR = xR;
    }
    outL[i] = oL;
    outR[i] = oR;

    const double mInL = std::fabs(dL), mInR = std::fabs(dR);
    const double mOutL = std::fabs(oL), mOutR = std::fabs(oR);
    peakInL = mInL > peakInL ? mInL : peakInL;
    peakInR = mInR > peakInR ? mInR : peakInR;
    peakOutL = mOutL > peakOutL ? mOutL : peakOutL;
    peakOutR = mOutR > peakOutR ? mOutR : peakOutR;
  }

#if defined(__SSE2__)
  for (int k = 0; k < nActive; ++k)
  {
    Biquad& s = mBand[active[k]];
    _mm_storel_pd(&s.z1L, z1[k]);
    _mm_storeh_pd(&s.z1R, z1[k]);
    _mm_storel_pd(&s.z2L, z2[k]);
    _mm_storeh_pd(&s.z2R, z2[k]);
  }
#endif
  mInputGainSmoother.mState = yIn;
  mOutputGainSmoother.mState = yOut;
  mMixSmoother.mState = yMix;
  mDryGain = dry;
  mWetGain = wet;
  mLastMix = lastMix;

  // Meters fall by 0.45 of full scale per second and never read above full scale.
  const double decay = nFrames / mCachedSampleRate * 0.45;
  double* meters[4] = {&mInputMeter[0], &mInputMeter[1], &mOutputMeter[0], &mOutputMeter[1]};
  const double peaks[4] = {peakInL, peakInR, peakOutL, peakOutR};
  for (int m = 0; m < 4; ++m)
  {
    const double held = *meters[m] - decay;
    *meters[m] = std::fmin(1.0, held > peaks[m] ? held : peaks[m]);
  }

  if (IPluginEditor* gui = GetGUI())
  {
    for (int c = 0; c < 8; ++c)
      if (mMeterControls[c] >= 0) gui->SetControlFromPlug(mMeterControls[c], *meters[c % 4]);
  }
}
