#include "Harness.h"

#include <cmath>

using namespace Steinberg;
using namespace Steinberg::Vst;

IMPLEMENT_FUNKNOWN_METHODS(Queue, IParamValueQueue, IParamValueQueue::iid)
IMPLEMENT_FUNKNOWN_METHODS(Changes, IParameterChanges, IParameterChanges::iid)

Host::Host(int sampleSize, double rate, int maxBlock, int channels) : plug(new Tarvo())
{
  plug->initialize(nullptr);
  SpeakerArrangement arr = channels == 1 ? SpeakerArr::kMono : SpeakerArr::kStereo;
  plug->setBusArrangements(&arr, 1, &arr, 1);
  plug->activateBus(kAudio, kInput, 0, true);
  plug->activateBus(kAudio, kOutput, 0, true);
  ProcessSetup setup{kRealtime, sampleSize, maxBlock, rate};
  plug->setupProcessing(setup);
  plug->setActive(true);
}

Host::~Host()
{
  plug->setActive(false);
  plug->terminate();
  plug->release();
}

template <class S>
tresult Host::Process(std::vector<std::vector<S>>& in, std::vector<std::vector<S>>& out,
                      Changes* changes, int nFrames)
{
  std::vector<S*> inPtrs, outPtrs;
  for (auto& c : in)
    inPtrs.push_back(c.data());
  for (auto& c : out)
    outPtrs.push_back(c.data());
  AudioBusBuffers inBus{}, outBus{};
  inBus.numChannels = static_cast<int32>(in.size());
  outBus.numChannels = static_cast<int32>(out.size());
  if constexpr (sizeof(S) == 8)
  {
    inBus.channelBuffers64 = inPtrs.data();
    outBus.channelBuffers64 = outPtrs.data();
  }
  else
  {
    inBus.channelBuffers32 = inPtrs.data();
    outBus.channelBuffers32 = outPtrs.data();
  }
  ProcessData data{};
  data.processMode = kRealtime;
  data.symbolicSampleSize = sizeof(S) == 8 ? kSample64 : kSample32;
  data.numSamples = nFrames >= 0 ? nFrames : static_cast<int32>(in.empty() ? 0 : in[0].size());
  data.numInputs = 1;
  data.numOutputs = 1;
  data.inputs = &inBus;
  data.outputs = &outBus;
  data.inputParameterChanges = changes;
  return plug->process(data);
}

template tresult Host::Process<float>(std::vector<std::vector<float>>&,
                                      std::vector<std::vector<float>>&, Changes*, int);
template tresult Host::Process<double>(std::vector<std::vector<double>>&,
                                       std::vector<std::vector<double>>&, Changes*, int);

std::vector<std::vector<double>> Host::Run(const std::vector<std::vector<double>>& in,
                                           Changes* changes)
{
  auto input = in;
  std::vector<std::vector<double>> out(in.size(), std::vector<double>(in[0].size()));
  Process(input, out, changes);
  return out;
}

void Host::Set(int paramIdx, double plain)
{
  Changes c;
  c.Add(static_cast<ParamID>(paramIdx), {plug->GetParam(paramIdx)->GetNormalized(plain)});
  std::vector<std::vector<double>> in(2, std::vector<double>(1)), out = in;
  Process(in, out, &c, 0);
}

std::vector<char> Host::GetState(bool component)
{
  MemoryStream stream;
  if (component)
    static_cast<IComponent*>(plug)->getState(&stream);
  else
    static_cast<IEditController*>(plug)->getState(&stream);
  return std::vector<char>(stream.getData(), stream.getData() + stream.getSize());
}

tresult Host::SetState(const std::vector<char>& bytes, bool component)
{
  MemoryStream stream;
  int32 written = 0;
  stream.write(const_cast<char*>(bytes.data()), static_cast<int32>(bytes.size()), &written);
  int64 pos = 0;
  stream.seek(0, IBStream::kIBSeekSet, &pos);
  return component ? static_cast<IComponent*>(plug)->setState(&stream)
                   : static_cast<IEditController*>(plug)->setState(&stream);
}

std::vector<std::vector<double>> Sine(double freq, double rate, int n, double amp, int channels)
{
  std::vector<std::vector<double>> s(static_cast<size_t>(channels),
                                     std::vector<double>(static_cast<size_t>(n)));
  for (int i = 0; i < n; ++i)
    for (auto& c : s)
      c[static_cast<size_t>(i)] = amp * std::sin(2 * M_PI * freq * i / rate);
  return s;
}
