#pragma once
// Up to eight Biquad sections in series on a stereo signal, with the frame work around them done
// in the same kernel call, chunk by chunk while it sits in the first-level cache: input gain and
// conversion from the host's samples, output gain on the processed path, dry/wet mix, cleaning
// of tiny and non-finite results, per-side pass-through, peak levels and conversion back. The
// frame work runs in loops of its own before and after the chain: folded into the chain's loop
// it would compete with the chain's state for the sixteen vector registers and spill.
//
// The sections keep their coefficients and states in the Biquad objects; a block gathers the
// active ones into a packed form, runs a kernel over it and gives the states back. A kernel is
// chosen per instance from what the CPU offers: the serial chain of sections leaves most of the
// machine idle frame by frame, so the kernels run the chain as a wavefront (section k at frame n
// together with section k+1 at frame n-1), which keeps every lane of the vector unit busy.
//
// No locking: the owner serialises setters and Process (the instance mutex in the product).

#include "filters/Biquad.h"

class BiquadCascade
{
public:
  static constexpr int kMaxSections = 8;
  // Longest chunk a kernel takes at once; longer blocks are processed in pieces.
  static constexpr int kMaxChunk = 512;

  enum EKernel
  {
    kKernelSSE2 = 0,    // packed doubles, separate multiply and add: bit-equal to Biquad
    kKernelAVX2FMA = 1, // four lanes, fused multiply-add: within 1e-12 of Biquad
    kNumKernels = 2
  };

  // Gains of one chunk: constants, or one value per frame when all four arrays are given (the
  // owner's smoothers are still gliding).
  struct Mix
  {
    double inputGain = 1.0, outputGain = 1.0, dryGain = 0.0, wetGain = 1.0;
    const double* inputGains = nullptr;
    const double* outputGains = nullptr;
    const double* dryGains = nullptr;
    const double* wetGains = nullptr;
    bool invertPhase = false;
    // Write the raw input instead of the result on that side.
    bool passLeft = false, passRight = false;
  };

  // Running maxima of |input × input gain| and of |written output|, per channel.
  struct Peaks
  {
    double in[2] = {0.0, 0.0};
    double out[2] = {0.0, 0.0};
  };

  // Picks the best kernel this CPU supports, or the one named by TARVO_KERNEL ("sse2", "avx2")
  // when that is set and supported: a switch for tests and benchmarks, not for users.
  BiquadCascade();

  Biquad& Section(int i) { return mSections[i]; }
  const Biquad& Section(int i) const { return mSections[i]; }
  // A bypassed section is skipped; its state waits untouched until it is active again.
  void SetBypassed(int i, bool bypassed) { mBypassed[i] = bypassed; }
  bool IsBypassed(int i) const { return mBypassed[i]; }

  static bool IsSupported(EKernel kernel);
  static const char* KernelName(EKernel kernel);
  EKernel Kernel() const { return mKernel; }
  // False, and no change, when the CPU lacks the kernel's instructions.
  bool SetKernel(EKernel kernel);

  // n frames of any length. For every frame, in this order: d = x × input gain; w = the active
  // sections applied to d; o = d × dry + ((±w) × output gain) × wet; o cleaned to 0 when its
  // magnitude is below 2^-54 or not finite; the raw input written instead on a passed side.
  // The inputs and outputs may be the same arrays. Allocates nothing; the caller keeps the
  // floating-point mode flushing subnormals for speed.
  void Process(const double* inL, const double* inR, double* outL, double* outR, int n,
               const Mix& mix, Peaks& peaks);
  // The same on 32-bit host buffers, converted on the way in and out.
  void Process(const float* inL, const float* inR, float* outL, float* outR, int n, const Mix& mix,
               Peaks& peaks);

  // The packed form the kernels work on; public for the kernels only.
  struct Plan
  {
    // Per slot and channel: [slot * 2 + channel]. Slots past the active sections pass through.
    alignas(32) double a0[2 * kMaxSections], a1[2 * kMaxSections], a2[2 * kMaxSections];
    alignas(32) double b1[2 * kMaxSections], b2[2 * kMaxSections];
    alignas(32) double z1[2 * kMaxSections], z2[2 * kMaxSections];
    int slots = 0; // even, 2 to kMaxSections
    // Per frame of a chunk: input × input gain (the dry path and the cascade's input), and the
    // cascade's result.
    alignas(32) double dry[2 * kMaxChunk];
    alignas(32) double wet[2 * kMaxChunk];
  };

private:
  template <class S>
  void Run(const S* inL, const S* inR, S* outL, S* outR, int n, const Mix& mix, Peaks& peaks);
  void Gather();
  void Scatter();

  Biquad mSections[kMaxSections];
  bool mBypassed[kMaxSections] = {};
  int mActive[kMaxSections] = {};
  int mNumActive = 0;
  EKernel mKernel = kKernelSSE2;
  Plan mPlan;
};
