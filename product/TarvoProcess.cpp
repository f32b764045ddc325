// The block routine: input gain, the eight-band cascade, phase, output gain, dry/wet mix,
// cleaning, bypasses and peak metering, per sample frame.
//
// The work runs in chunks of up to 64 frames and in three passes over each chunk: gains in, the
// cascade one band at a time (its state and coefficients stay in registers for the whole chunk),
// then mix, cleaning and bypass out. Every frame still sees exactly the operations, in the same
// order, that a frame-by-frame reading gives, so the results are the same to the bit.

#include <cmath>

#include "product/StereoPair.h"
#include "product/Tarvo.h"
#include "utility/Pan.h"

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace
{
constexpr int kChunk = 64;

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

struct Section
{
  StereoPair a0, a1, a2, b1, b2, z1, z2;
  int band; // where the states go back at the end of the block
};

// Per-frame values of one chunk.
struct ChunkBuffers
{
  StereoPair dry[kChunk]; // input times input gain: the dry path and the cascade's input
  StereoPair wet[kChunk]; // the cascade's output
  StereoPair gOut[kChunk], dryGain[kChunk], wetGain[kChunk];
};
// Mix, cleaning and bypass for one chunk. Gains come per frame from the buffers, or as constants
// once the smoothers have settled; the bypass blend is left out when nothing is bypassed.
template <bool kConstantGains, bool kBypass>
StereoPair MixOut(const ChunkBuffers& buf, const StereoPair* wet, int n, StereoPair g,
                  StereoPair dg, StereoPair wg, StereoPair phase, StereoPair passInput,
                  const double* xL, const double* xR, double* oL, double* oR, StereoPair peak)
{
#pragma GCC unroll 2
  for (int i = 0; i < n; ++i)
  {
    if (!kConstantGains)
    {
      g = buf.gOut[i];
      dg = buf.dryGain[i];
      wg = buf.wetGain[i];
    }
    const StereoPair w = wet[i] ^ phase;
    StereoPair o = (buf.dry[i] * dg + (w * g) * wg).Clean();
    if (kBypass) o = StereoPair::Select(passInput, o, StereoPair::Set(xL[i], xR[i]));
    o.Store(oL + i, oR + i);
    peak = o.Abs().MaxInto(peak);
  }
  return peak;
}

StereoPair OutputStage(const ChunkBuffers& buf, const StereoPair* wet, int n, StereoPair g,
                       StereoPair dg, StereoPair wg, StereoPair phase, StereoPair passInput,
                       bool anyBypass, const double* xL, const double* xR, double* oL, double* oR,
                       StereoPair peak)
{
  return anyBypass
             ? MixOut<true, true>(buf, wet, n, g, dg, wg, phase, passInput, xL, xR, oL, oR, peak)
             : MixOut<true, false>(buf, wet, n, g, dg, wg, phase, passInput, xL, xR, oL, oR, peak);
}

StereoPair OutputStage(const ChunkBuffers& buf, const StereoPair* wet, int n, StereoPair phase,
                       StereoPair passInput, bool anyBypass, const double* xL, const double* xR,
                       double* oL, double* oR, StereoPair peak)
{
  const StereoPair z = StereoPair::Zero();
  return anyBypass
             ? MixOut<false, true>(buf, wet, n, z, z, z, phase, passInput, xL, xR, oL, oR, peak)
             : MixOut<false, false>(buf, wet, n, z, z, z, phase, passInput, xL, xR, oL, oR, peak);
}
} // namespace

void Tarvo::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  FlushDenormals flush;

  // Flags only change between blocks (under the instance mutex), so the cascade is settled once.
  Section sections[kNumBands];
  int nActive = 0;
  for (int b = 0; b < kNumBands; ++b)
  {
    if (mBandBypass[b]) continue;
    const Biquad& s = mBand[b];
    sections[nActive++] = {StereoPair::Splat(s.a0),       StereoPair::Splat(s.a1),
                           StereoPair::Splat(s.a2),       StereoPair::Splat(s.b1),
                           StereoPair::Splat(s.b2),       StereoPair::Set(s.z1L, s.z1R),
                           StereoPair::Set(s.z2L, s.z2R), b};
  }

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

  const StereoPair phase = StereoPair::Splat(mPhaseInvert ? -0.0 : 0.0);
  const StereoPair passInput = StereoPair::Mask(mBypass || mBypassLeft, mBypass || mBypassRight);
  const bool anyBypass = mBypass || mBypassLeft || mBypassRight;
  StereoPair peakIn = StereoPair::Zero(), peakOut = StereoPair::Zero();
  ChunkBuffers buf;

  for (int start = 0; start < nFrames; start += kChunk)
  {
    const int n = nFrames - start < kChunk ? nFrames - start : kChunk;
    const double* xL = inL + start;
    const double* xR = inR + start;

    // Once every smoother sits on its target the gains are the same for the whole chunk.
    const bool settled = yIn == tIn && yOut == tOut && yMix == tMix && lastMix == yMix;
    if (settled)
    {
      const StereoPair gIn = StereoPair::Splat(yIn);
#pragma GCC unroll 2
      for (int i = 0; i < n; ++i)
      {
        const StereoPair d = StereoPair::Set(xL[i], xR[i]) * gIn;
        buf.dry[i] = d;
        peakIn = d.Abs().MaxInto(peakIn);
      }
    }
    else
    {
      for (int i = 0; i < n; ++i)
      {
        const double gIn = Smooth(yIn, aIn, tIn);
        const double gOut = Smooth(yOut, aOut, tOut);
        const double p = Smooth(yMix, aMix, tMix);
        // The sines only when the smoothed mix moved.
        if (p != lastMix)
        {
          mixLaw(p, dry, wet);
          lastMix = p;
        }
        const StereoPair d = StereoPair::Set(xL[i], xR[i]) * StereoPair::Splat(gIn);
        buf.dry[i] = d;
        buf.gOut[i] = StereoPair::Splat(gOut);
        buf.dryGain[i] = StereoPair::Splat(dry);
        buf.wetGain[i] = StereoPair::Splat(wet);
        peakIn = d.Abs().MaxInto(peakIn);
      }
    }

    // The cascade over the chunk (transposed direct form II), two bands per pass so that the
    // sample between them stays in a register.
    // The first pass reads the dry signal, later ones work in place.
    const StereoPair* src = buf.dry;
    int k = 0;
    for (; k + 1 < nActive; k += 2)
    {
      const Section s = sections[k], t = sections[k + 1];
      StereoPair sz1 = s.z1, sz2 = s.z2, tz1 = t.z1, tz2 = t.z2;
#pragma GCC unroll 2
      for (int i = 0; i < n; ++i)
      {
        const StereoPair in = src[i];
        const StereoPair mid = in * s.a0 + sz1;
        sz1 = (in * s.a1 + sz2) - s.b1 * mid;
        sz2 = in * s.a2 - s.b2 * mid;
        const StereoPair out = mid * t.a0 + tz1;
        tz1 = (mid * t.a1 + tz2) - t.b1 * out;
        tz2 = mid * t.a2 - t.b2 * out;
        buf.wet[i] = out;
      }
      sections[k].z1 = sz1;
      sections[k].z2 = sz2;
      sections[k + 1].z1 = tz1;
      sections[k + 1].z2 = tz2;
      src = buf.wet;
    }
    if (k < nActive)
    {
      const Section s = sections[k];
      StereoPair z1 = s.z1, z2 = s.z2;
      for (int i = 0; i < n; ++i)
      {
        const StereoPair in = src[i];
        const StereoPair out = in * s.a0 + z1;
        z1 = (in * s.a1 + z2) - s.b1 * out;
        z2 = in * s.a2 - s.b2 * out;
        buf.wet[i] = out;
      }
      sections[k].z1 = z1;
      sections[k].z2 = z2;
      src = buf.wet;
    }

    // Phase, output gain on the processed path only, mix, cleaning, bypasses.
    double* oL = outL + start;
    double* oR = outR + start;
    if (settled)
      peakOut =
          OutputStage(buf, src, n, StereoPair::Splat(yOut), StereoPair::Splat(dry),
                      StereoPair::Splat(wet), phase, passInput, anyBypass, xL, xR, oL, oR, peakOut);
    else
      peakOut = OutputStage(buf, src, n, phase, passInput, anyBypass, xL, xR, oL, oR, peakOut);
  }

  for (int k = 0; k < nActive; ++k)
  {
    Biquad& s = mBand[sections[k].band];
    sections[k].z1.Store(&s.z1L, &s.z1R);
    sections[k].z2.Store(&s.z2L, &s.z2R);
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
  const double peaks[4] = {peakIn.L(), peakIn.R(), peakOut.L(), peakOut.R()};
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
