#pragma once
// A multichannel delay that keeps bypassed audio aligned with the plug-in's reported latency.

#include <cstdint>

#include "common/HeapBuf.h"

class NChanDelayLine
{
public:
  NChanDelayLine(int nInputChans, int nOutputChans);

  // Sizes and clears the line; allocates, so never on the audio path.
  void SetDelayTime(int delaySamples);
  uint64_t GetDelayTime() const { return mDTSamples; }

  // Output c at sample s is input c from mDTSamples samples earlier (0 until the line has
  // filled), for channels below both counts. Other outputs are left as they are.
  // Audio thread, instance mutex held.
  void ProcessBlock(double** inputs, double** outputs, int nFrames);

private:
  TypedBuf<double> mBuffer{4096};
  uint64_t mWriteAddress = 0;
  int mNInChans;
  int mNOutChans;
  uint64_t mDTSamples = 0;
};
