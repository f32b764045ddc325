#include "framework/core/NChanDelayLine.h"

#include <cstring>

NChanDelayLine::NChanDelayLine(int nInputChans, int nOutputChans)
    : mNInChans(nInputChans > 0 ? nInputChans : 0), mNOutChans(nOutputChans > 0 ? nOutputChans : 0)
{
}

void NChanDelayLine::SetDelayTime(int delaySamples)
{
  mDTSamples = delaySamples > 0 ? static_cast<uint64_t>(delaySamples) : 0;
  mWriteAddress = 0;
  const long long count = static_cast<long long>(mNInChans) * static_cast<long long>(mDTSamples);
  if (count <= 0 || !mBuffer.Resize(static_cast<int>(count > 0x0FFFFFFF ? 0 : count)))
  {
    mBuffer.Resize(0);
    mDTSamples = 0;
    return;
  }
  std::memset(mBuffer.Get(), 0, static_cast<size_t>(count) * sizeof(double));
}

void NChanDelayLine::ProcessBlock(double** inputs, double** outputs, int nFrames)
{
  double* buf = mBuffer.Get();
  if (!buf || mDTSamples == 0) return;
  const int nChans = mNInChans < mNOutChans ? mNInChans : mNOutChans;
  for (int s = 0; s < nFrames; ++s)
  {
    for (int c = 0; c < nChans; ++c)
    {
      double& slot = buf[static_cast<uint64_t>(c) * mDTSamples + mWriteAddress];
      const double in = inputs[c][s];
      outputs[c][s] = slot;
      slot = in;
    }
    if (++mWriteAddress >= mDTSamples) mWriteAddress = 0;
  }
}
