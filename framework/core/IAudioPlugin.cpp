#include "framework/core/IAudioPlugin.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/core/Trace.h"

IAudioPlugin::IAudioPlugin(int nParams, const char* channelIOStr, int nPresets,
                           const char* effectName, const char* productName, const char* mfrName,
                           int vendorVersion, int uniqueID, int mfrID, int latency,
                           bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, EAPI plugAPI)
    : mUniqueID(uniqueID), mMfrID(mfrID), mVersion(vendorVersion), mAPI(plugAPI),
      mStateChunks(plugDoesChunks), mIsInst(plugIsInst), mDoesMIDI(plugDoesMidi), mLatency(latency)
{
  if (TraceEnabled())
    Trace("IAudioPlugin", __LINE__, "%s:%s", effectName ? effectName : "", CurrentTime());

  for (int i = 0; i < nParams; ++i)
    mParams.Add(new IParam());
  if (nParams > 0 && mGestureOpen.Resize(nParams)) std::fill_n(mGestureOpen.Get(), nParams, false);
  for (int i = 0; i < nPresets; ++i)
    mPresets.Add(new IPreset());

  CopyCString(mEffectName, effectName, kNameLen);
  CopyCString(mProductName, productName, kNameLen);
  CopyCString(mMfrName, mfrName, kNameLen);

  // "1-1 2-2": pairs separated by single spaces; an unreadable number counts as 0.
  int nInputs = 0, nOutputs = 0;
  for (const char* p = channelIOStr; p;)
  {
    ChannelIO* io = mChannelIO.Add(new ChannelIO());
    if (std::sscanf(p, "%d-%d", &io->mIn, &io->mOut) < 2)
    {
      // sscanf may have filled the first number only; anything it could not read stays 0.
    }
    if (io->mIn < 0) io->mIn = 0;
    if (io->mOut < 0) io->mOut = 0;
    if (io->mIn > nInputs) nInputs = io->mIn;
    if (io->mOut > nOutputs) nOutputs = io->mOut;
    p = std::strchr(p, ' ');
    if (p) ++p;
  }

  mInData.Resize(nInputs);
  mOutData.Resize(nOutputs);
  for (int i = 0; i < nInputs; ++i)
  {
    mInData.Get()[i] = nullptr;
    InChannel* ch = mInChannels.Add(new InChannel());
    ch->mSrc = mInData.Get() + i;
  }
  for (int i = 0; i < nOutputs; ++i)
  {
    mOutData.Get()[i] = nullptr;
    OutChannel* ch = mOutChannels.Add(new OutChannel());
    ch->mDest = mOutData.Get() + i;
  }
}

IAudioPlugin::~IAudioPlugin()
{
  delete mGraphics;
  mGraphics = nullptr;
  mParams.Empty(true);
  mPresets.Empty(true);
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
  mChannelIO.Empty(true);
  mInputBusLabels.Empty(true);
  mOutputBusLabels.Empty(true);
  delete mDelay;
}

void IAudioPlugin::Reset()
{
  RecursiveMutex::Lock lock(mMutex);
}

void IAudioPlugin::OnParamChange(int)
{
  RecursiveMutex::Lock lock(mMutex);
}

void IAudioPlugin::OnActivate(bool)
{
  RecursiveMutex::Lock lock(mMutex);
}

namespace
{
// Input i to output i for every channel both sides have; the other outputs are silent.
template <class Sample>
void CopyInputsToOutputs(Sample** inputs, Sample** outputs, int nIn, int nOut, int nFrames)
{
  for (int i = 0; i < nOut; ++i)
  {
    if (!outputs[i]) continue;
    if (i < nIn && inputs[i])
      std::memmove(outputs[i], inputs[i], sizeof(Sample) * static_cast<size_t>(nFrames));
    else
      std::memset(outputs[i], 0, sizeof(Sample) * static_cast<size_t>(nFrames));
  }
}
} // namespace

void IAudioPlugin::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  CopyInputsToOutputs(inputs, outputs, NInChannels(), NOutChannels(), nFrames);
}

void IAudioPlugin::ProcessSingleReplacing(float** inputs, float** outputs, int nFrames)
{
  CopyInputsToOutputs(inputs, outputs, NInChannels(), NOutChannels(), nFrames);
}

void IAudioPlugin::ProcessMidiMsg(IMidiMsg* msg)
{
  SendMidiMsg(msg);
}

bool IAudioPlugin::MidiNoteName(int, char* out)
{
  if (out) out[0] = '\0';
  return false;
}

void IAudioPlugin::GetTimeSig(int* numerator, int* denominator)
{
  if (numerator) *numerator = 0;
  if (denominator) *denominator = 0;
}

// ---- Identity ----

int IAudioPlugin::GetEffectVersion(bool decimal) const
{
  return decimal ? GetDecimalVersion(mVersion) : mVersion;
}

void IAudioPlugin::GetEffectVersionStr(char* out) const
{
  GetVersionStr(mVersion, out);
}

int IAudioPlugin::GetHostVersion(bool decimal)
{
  GetHost();
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IAudioPlugin::GetHostVersionStr(char* out)
{
  GetHost();
  GetVersionStr(mHostVersion, out);
}

const char* IAudioPlugin::GetAPIString()
{
  switch (GetAPI())
  {
  case kAPIVST2:
    return "VST2";
  case kAPIVST3:
    return "VST3";
  case kAPIAU:
    return "AU";
  case kAPIRTAS:
    return "RTAS";
  case kAPIAAX:
    return "AAX";
  case kAPISA:
    return "Standalone";
  default:
    return "";
  }
}

const char* IAudioPlugin::GetArchString()
{
  return sizeof(void*) == 8 ? "x64" : "x86";
}

void IAudioPlugin::SetHost(const char* hostName, int version)
{
  mHost = LookUpHost(hostName);
  mHostVersion = version;
  char versionStr[32];
  GetVersionStr(version, versionStr);
  Trace("SetHost", __LINE__, "host_%sknown:%s:%s", mHost == kHostUnknown ? "un" : "",
        hostName ? hostName : "", versionStr);
}

// ---- Parameters ----

void IAudioPlugin::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
  Trace("SetParameterFromGUI", __LINE__, "%d:%f", paramIdx, normalizedValue);
  RecursiveMutex::Lock lock(mMutex);
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  param->SetNormalized(normalizedValue);
  InformHostInGesture(paramIdx, normalizedValue);
  OnParamChange(paramIdx);
}

void IAudioPlugin::DirtyParameters()
{
  RecursiveMutex::Lock lock(mMutex);
  for (int i = 0; i < NParams(); ++i)
    InformHostInGesture(i, GetParam(i)->GetNormalized());
}

void IAudioPlugin::InformHostInGesture(int paramIdx, double normalizedValue)
{
  const bool own = !InParamGesture(paramIdx);
  if (own) BeginParamGesture(paramIdx);
  InformHostOfParamChange(paramIdx, normalizedValue);
  if (own) EndParamGesture(paramIdx);
}

bool IAudioPlugin::InParamGesture(int paramIdx) const
{
  return paramIdx >= 0 && paramIdx < mGestureOpen.GetSize() && mGestureOpen.Get()[paramIdx];
}

void IAudioPlugin::BeginParamGesture(int paramIdx)
{
  if (paramIdx < 0 || paramIdx >= mGestureOpen.GetSize() || mGestureOpen.Get()[paramIdx]) return;
  mGestureOpen.Get()[paramIdx] = true;
  BeginInformHostOfParamChange(paramIdx);
}

void IAudioPlugin::EndParamGesture(int paramIdx)
{
  if (!InParamGesture(paramIdx)) return;
  mGestureOpen.Get()[paramIdx] = false;
  EndInformHostOfParamChange(paramIdx);
}

void IAudioPlugin::OnParamReset()
{
  for (int i = 0; i < NParams(); ++i)
    OnParamChange(i);
}

void IAudioPlugin::AttachGraphics(IPluginEditor* graphics)
{
  if (!graphics) return;
  RecursiveMutex::Lock lock(mMutex);
  for (int i = 0; i < NParams(); ++i)
    graphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
  graphics->PrepDraw();
  if (mGraphics != graphics) delete mGraphics;
  mGraphics = graphics;
}

void IAudioPlugin::RedrawParamControls()
{
  if (!mGraphics) return;
  for (int i = 0; i < NParams(); ++i)
    mGraphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
}

// ---- Channels ----

bool IAudioPlugin::LegalIO(int nIn, int nOut)
{
  bool legal = false;
  for (int i = 0; i < mChannelIO.GetSize() && !legal; ++i)
  {
    const ChannelIO* io = mChannelIO.Get(i);
    legal = (nIn < 0 || nIn == io->mIn) && (nOut < 0 || nOut == io->mOut);
  }
  Trace("LegalIO", __LINE__, "%d:%d:%s", nIn, nOut, legal ? "legal" : "illegal");
  return legal;
}

bool IAudioPlugin::IsInChannelConnected(int chIdx) const
{
  const InChannel* ch = mInChannels.Get(chIdx);
  return ch && ch->mConnected;
}

bool IAudioPlugin::IsOutChannelConnected(int chIdx) const
{
  const OutChannel* ch = mOutChannels.Get(chIdx);
  return ch && ch->mConnected;
}

void IAudioPlugin::SetInputChannelConnections(int idx, int n, bool connected)
{
  if (idx < 0 || n <= 0) return;
  const int end = static_cast<long long>(idx) + n < NInChannels() ? idx + n : NInChannels();
  for (int i = idx; i < end; ++i)
  {
    InChannel* ch = mInChannels.Get(i);
    ch->mConnected = connected;
    // A disconnected input reads its own scratch buffer instead of a stale host pointer.
    if (!connected)
    {
      *ch->mSrc = ch->mScratchBuf.Get();
      ch->mFSrc = nullptr;
    }
  }
}

void IAudioPlugin::SetOutputChannelConnections(int idx, int n, bool connected)
{
  if (idx < 0 || n <= 0) return;
  const int end = static_cast<long long>(idx) + n < NOutChannels() ? idx + n : NOutChannels();
  for (int i = idx; i < end; ++i)
  {
    OutChannel* ch = mOutChannels.Get(i);
    ch->mConnected = connected;
    if (!connected)
    {
      *ch->mDest = ch->mScratchBuf.Get();
      ch->mFDest = nullptr;
    }
  }
}

void IAudioPlugin::SetInputLabel(int idx, const char* label)
{
  if (InChannel* ch = mInChannels.Get(idx)) ch->mLabel.Set(label);
}

void IAudioPlugin::SetOutputLabel(int idx, const char* label)
{
  if (OutChannel* ch = mOutChannels.Get(idx)) ch->mLabel.Set(label);
}

void IAudioPlugin::SetInputBusLabel(int idx, const char* label)
{
  if (idx < 0 || idx > 1) return;
  mInputBusLabels.Delete(idx, true);
  mInputBusLabels.Insert(idx, new StringBuf(label));
}

void IAudioPlugin::SetOutputBusLabel(int idx, const char* label)
{
  if (idx < 0) return;
  mOutputBusLabels.Delete(idx, true);
  mOutputBusLabels.Insert(idx, new StringBuf(label));
}

void IAudioPlugin::LimitToStereoIO()
{
  if (NInChannels() > 2) SetInputChannelConnections(2, NInChannels() - 2, false);
  if (NOutChannels() > 2) SetOutputChannelConnections(2, NOutChannels() - 2, true);
}

// ---- Processing frame ----

void IAudioPlugin::SetBlockSize(int blockSize)
{
  if (blockSize == mBlockSize || blockSize < 0) return;
  for (int i = 0; i < NInChannels(); ++i)
  {
    InChannel* ch = mInChannels.Get(i);
    if (!ch->mScratchBuf.Resize(blockSize) && blockSize > 0) return;
    if (blockSize > 0)
      std::memset(ch->mScratchBuf.Get(), 0, sizeof(double) * static_cast<size_t>(blockSize));
    // The buffer may have moved: disconnected channels must follow it.
    if (!ch->mConnected) *ch->mSrc = ch->mScratchBuf.Get();
  }
  for (int i = 0; i < NOutChannels(); ++i)
  {
    OutChannel* ch = mOutChannels.Get(i);
    if (!ch->mScratchBuf.Resize(blockSize) && blockSize > 0) return;
    if (blockSize > 0)
      std::memset(ch->mScratchBuf.Get(), 0, sizeof(double) * static_cast<size_t>(blockSize));
    if (!ch->mConnected) *ch->mDest = ch->mScratchBuf.Get();
  }
  mBlockSize = blockSize;
}

void IAudioPlugin::ZeroScratchBuffers()
{
  for (int i = 0; i < NInChannels(); ++i)
    if (double* buf = mInChannels.Get(i)->mScratchBuf.Get())
      std::memset(buf, 0, sizeof(double) * static_cast<size_t>(mBlockSize));
  for (int i = 0; i < NOutChannels(); ++i)
    if (double* buf = mOutChannels.Get(i)->mScratchBuf.Get())
      std::memset(buf, 0, sizeof(double) * static_cast<size_t>(mBlockSize));
}

int IAudioPlugin::ClampToBlock(int nFrames) const
{
  if (nFrames < 0) return 0;
  return nFrames > mBlockSize ? mBlockSize : nFrames;
}

void IAudioPlugin::AttachInputBuffers(int idx, int n, double** buffers, int)
{
  if (idx < 0 || n <= 0 || !buffers) return;
  const int end = static_cast<long long>(idx) + n < NInChannels() ? idx + n : NInChannels();
  for (int i = idx; i < end; ++i)
  {
    InChannel* ch = mInChannels.Get(i);
    if (!ch->mConnected) continue;
    *ch->mSrc = *buffers++;
    ch->mFSrc = nullptr;
  }
}

// The conversion waits for the block: a product that takes float buffers directly needs none.
void IAudioPlugin::AttachInputBuffers(int idx, int n, float** buffers, int)
{
  if (idx < 0 || n <= 0 || !buffers) return;
  const int end = static_cast<long long>(idx) + n < NInChannels() ? idx + n : NInChannels();
  for (int i = idx; i < end; ++i)
  {
    InChannel* ch = mInChannels.Get(i);
    if (!ch->mConnected) continue;
    ch->mFSrc = *buffers++;
    *ch->mSrc = ch->mScratchBuf.Get();
  }
}

void IAudioPlugin::ConvertInputsFromFloat(int nFrames)
{
  for (int i = 0; i < NInChannels(); ++i)
  {
    InChannel* ch = mInChannels.Get(i);
    const float* src = ch->mFSrc;
    double* dst = ch->mScratchBuf.Get();
    // Used once: a later block without a float buffer must not read this one again.
    ch->mFSrc = nullptr;
    if (!ch->mConnected || !src || !dst) continue;
    for (int s = 0; s < nFrames; ++s)
      dst[s] = src[s];
  }
}

bool IAudioPlugin::ProcessFloatBuffersDirectly(int nFrames)
{
  constexpr int kMaxDirect = 8;
  if (!mSingleDirect || NInChannels() > kMaxDirect || NOutChannels() > kMaxDirect) return false;
  float* ins[kMaxDirect];
  float* outs[kMaxDirect];
  // Every channel must be a connected host float buffer; anything else takes the double path.
  for (int i = 0; i < NInChannels(); ++i)
  {
    const InChannel* ch = mInChannels.Get(i);
    if (!ch->mConnected || !ch->mFSrc) return false;
    ins[i] = ch->mFSrc;
  }
  for (int i = 0; i < NOutChannels(); ++i)
  {
    const OutChannel* ch = mOutChannels.Get(i);
    if (!ch->mConnected || !ch->mFDest) return false;
    outs[i] = ch->mFDest;
  }
  for (int i = 0; i < NInChannels(); ++i)
    mInChannels.Get(i)->mFSrc = nullptr;
  ProcessSingleReplacing(ins, outs, nFrames);
  return true;
}

void IAudioPlugin::AttachOutputBuffers(int idx, int n, double** buffers)
{
  if (idx < 0 || n <= 0 || !buffers) return;
  const int end = static_cast<long long>(idx) + n < NOutChannels() ? idx + n : NOutChannels();
  for (int i = idx; i < end; ++i)
  {
    OutChannel* ch = mOutChannels.Get(i);
    if (!ch->mConnected) continue;
    *ch->mDest = *buffers++;
    ch->mFDest = nullptr;
  }
}

void IAudioPlugin::AttachOutputBuffers(int idx, int n, float** buffers)
{
  if (idx < 0 || n <= 0 || !buffers) return;
  const int end = static_cast<long long>(idx) + n < NOutChannels() ? idx + n : NOutChannels();
  for (int i = idx; i < end; ++i)
  {
    OutChannel* ch = mOutChannels.Get(i);
    if (!ch->mConnected) continue;
    *ch->mDest = ch->mScratchBuf.Get();
    ch->mFDest = *buffers++;
  }
}

void IAudioPlugin::ConvertOutputsToFloat(int nFrames, bool accumulate)
{
  for (int i = 0; i < NOutChannels(); ++i)
  {
    OutChannel* ch = mOutChannels.Get(i);
    const double* src = *ch->mDest;
    if (!ch->mConnected || !ch->mFDest || !src) continue;
    if (accumulate)
      for (int s = 0; s < nFrames; ++s)
        ch->mFDest[s] += static_cast<float>(src[s]);
    else
      for (int s = 0; s < nFrames; ++s)
        ch->mFDest[s] = static_cast<float>(src[s]);
  }
}

void IAudioPlugin::ProcessBuffers(double, int nFrames)
{
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), ClampToBlock(nFrames));
}

void IAudioPlugin::ProcessBuffers(float, int nFrames)
{
  nFrames = ClampToBlock(nFrames);
  if (ProcessFloatBuffersDirectly(nFrames)) return;
  ConvertInputsFromFloat(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputsToFloat(nFrames, false);
}

void IAudioPlugin::ProcessBuffersAccumulating(float, int nFrames)
{
  nFrames = ClampToBlock(nFrames);
  ConvertInputsFromFloat(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputsToFloat(nFrames, true);
}

void IAudioPlugin::PassThroughBuffers(double, int nFrames)
{
  nFrames = ClampToBlock(nFrames);
  if (mLatency && mDelay && mDelay->GetDelayTime() > 0)
  {
    mDelay->ProcessBlock(mInData.Get(), mOutData.Get(), nFrames);
    return;
  }
  IAudioPlugin::ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

void IAudioPlugin::PassThroughBuffers(float, int nFrames)
{
  nFrames = ClampToBlock(nFrames);
  ConvertInputsFromFloat(nFrames);
  PassThroughBuffers(0.0, nFrames);
  ConvertOutputsToFloat(nFrames, false);
}

void IAudioPlugin::SetLatency(int samples)
{
  mLatency = samples;
  if (mDelay) mDelay->SetDelayTime(samples);
}

double IAudioPlugin::GetSamplesPerBeat()
{
  const double tempo = GetTempo();
  return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}

bool IAudioPlugin::SendMidiMsgs(PtrList<IMidiMsg>* msgs)
{
  bool ok = true;
  if (!msgs) return ok;
  for (int i = 0; i < msgs->GetSize(); ++i)
    ok &= SendMidiMsg(msgs->Get(i));
  return ok;
}
