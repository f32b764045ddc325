#pragma once
// One second-order IIR section (transposed direct form II) with its own coefficient calculator,
// shared by the two channels of a stereo signal; each channel keeps its own two state values.
// No locking: the owner must not run a setter while processStereo runs on the same section
// (the equaliser serialises both with the instance mutex). Owns nothing on the heap.

class Biquad
{
public:
  enum EType
  {
    kLowPass = 0,
    kHighPass = 1,
    kBandPass = 2,
    kNotch = 3,
    kPeak = 4,
    kLowShelf = 5,
    kHighShelf = 6
  };

  // Added to every gain the caller gives: it partly compensates the low bias of fastPow10 for
  // boosts, at the price of a 0 dB band not being exactly flat.
  static constexpr double kPeakGainOffset = 0.34;

  // Pass-through (a0 = 1, everything else 0); computes no coefficients.
  Biquad() = default;
  // type (EType), Fc as a fraction of the sample rate (limited above to 0.5), Q, gain in dB.
  // Computes the coefficients and clears the state.
  Biquad(int filterType, double fc, double q, double peakGainDB);

  // The setters recompute the coefficients at once. Any thread, under the owner's lock (the
  // instance mutex in the product), never while processStereo runs on this section.

  // Same assignments as the constructor; the state is left as it is.
  void setBiquad(int filterType, double fc, double q, double peakGainDB);
  // Any value is stored; one outside 0..6 leaves the coefficients as they were.
  void setType(int filterType);
  // Stored as given; calcBiquad raises anything below 0.1 to 0.1.
  void setQ(double q);
  // Bandwidth in octaves, converted to Q.
  void setBw(double octaves);
  // Clamped to 0..0.5.
  void setFc(double fc);
  // Stored only; the coefficients do not depend on it.
  void setSampleRate(double rate);
  void setPeakGain(double peakGainDB);
  // From type, Fc, Q and peakGain; raises Q below 0.1 to 0.1. The state is never touched.
  void calcBiquad();

  // Filters one stereo frame in place: left first, then right. Audio thread, owner's lock held.
  // This is the plain reference form of the step; BiquadCascade runs many sections at once.
  void processStereo(double& left, double& right)
  {
    left = step(left, z1L, z2L);
    right = step(right, z1R, z2R);
  }

  // Public so that the owner and tests can read the coefficients and state; write them only
  // through the setters.
  int type = kLowPass;
  double a0 = 1.0, a1 = 0.0, a2 = 0.0; // feed-forward
  double b1 = 0.0, b2 = 0.0;           // feedback (the leading 1 is implied)
  double Fc = 0.5;                     // fraction of the sample rate, at most 0.5
  double Q = 0.707;
  double peakGain = 0.0;       // dB, the caller's value + kPeakGainOffset once a setter ran
  double sampleRate = 44100.0; // not read by anything
  double z1L = 0.0, z2L = 0.0;
  double z1R = 0.0, z2R = 0.0;

private:
  double step(double in, double& z1, double& z2)
  {
    const double out = in * a0 + z1;
    z1 = (in * a1 + z2) - b1 * out;
    z2 = in * a2 - b2 * out;
    return out;
  }
};
