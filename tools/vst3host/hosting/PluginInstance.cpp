#include "tools/vst3host/hosting/PluginInstance.h"

#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/vstspeaker.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace tarvo::vst3host
{

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
template <class I> I* Query(FUnknown* object)
{
  void* obj = nullptr;
  if (object && object->queryInterface(I::iid, &obj) == kResultOk && obj)
    return static_cast<I*>(obj);
  return nullptr;
}

template <class I> void Release(I*& object)
{
  if (object) object->release();
  object = nullptr;
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b)
{
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y)
                                            {
                                              return std::tolower(static_cast<unsigned char>(x)) ==
                                                     std::tolower(static_cast<unsigned char>(y));
                                            });
}
} // namespace

std::unique_ptr<PluginInstance> PluginInstance::Create(PluginModule& module, std::string& error,
                                                       const std::string& className,
                                                       ComponentHandler::Observer observer,
                                                       Linux::IRunLoop* runLoop)
{
  HostCallScope scope;
  const std::vector<ClassDescription> classes = module.Classes();
  const ClassDescription* chosen = nullptr;
  for (const ClassDescription& c : classes)
  {
    const bool isEffect =
        std::strncmp(c.info.category, kVstAudioEffectClass, PClassInfo::kCategorySize) == 0;
    const std::string name(c.info.name, strnlen(c.info.name, PClassInfo::kNameSize));
    if (className.empty() ? isEffect : (isEffect && name == className))
    {
      chosen = &c;
      break;
    }
  }
  if (!chosen)
  {
    error = className.empty() ? "the module has no class of category \"" kVstAudioEffectClass "\""
                              : "the module has no audio effect class named '" + className + "'";
    return nullptr;
  }

  std::unique_ptr<PluginInstance> instance(new PluginInstance);
  instance->mModule = &module;
  instance->mClass = *chosen;
  instance->mHost = new HostApplication;
  instance->mHost->OfferRunLoop(runLoop);
  instance->mHandler = new ComponentHandler(std::move(observer));
  instance->mInputChanges = new ParameterChanges;
  instance->mOutputChanges = new ParameterChanges;
  instance->mInputEvents = new EventList;

  IPluginFactory* factory = module.Factory();
  void* obj = nullptr;
  if (factory->createInstance(chosen->info.cid, IComponent::iid, &obj) != kResultOk || !obj)
  {
    error = "the factory could not create the component";
    return nullptr;
  }
  instance->mComponent = static_cast<IComponent*>(obj);
  if (instance->mComponent->initialize(instance->mHost) != kResultOk)
  {
    error = "the component's initialize failed";
    return nullptr;
  }
  instance->mComponentInitialized = true;
  instance->mProcessor = Query<IAudioProcessor>(instance->mComponent);
  if (!instance->mProcessor)
  {
    error = "the component has no IAudioProcessor";
    return nullptr;
  }

  instance->mController = Query<IEditController>(instance->mComponent);
  if (instance->mController)
  {
    instance->mSingleComponent = true;
  }
  else
  {
    TUID controllerCid{};
    if (instance->mComponent->getControllerClassId(controllerCid) != kResultTrue)
    {
      error = "the component is no edit controller and names no controller class";
      return nullptr;
    }
    obj = nullptr;
    if (factory->createInstance(controllerCid, IEditController::iid, &obj) != kResultOk || !obj)
    {
      error = "the factory could not create the edit controller";
      return nullptr;
    }
    instance->mController = static_cast<IEditController*>(obj);
    if (instance->mController->initialize(instance->mHost) != kResultOk)
    {
      error = "the edit controller's initialize failed";
      return nullptr;
    }
    instance->mControllerInitialized = true;
    instance->mComponentConnection = Query<IConnectionPoint>(instance->mComponent);
    instance->mControllerConnection = Query<IConnectionPoint>(instance->mController);
    if (instance->mComponentConnection && instance->mControllerConnection)
    {
      instance->mComponentConnection->connect(instance->mControllerConnection);
      instance->mControllerConnection->connect(instance->mComponentConnection);
    }
    std::vector<std::uint8_t> state;
    if (instance->GetComponentState(state) == kResultOk)
    {
      auto* stream = new MemoryStream(state);
      instance->mController->setComponentState(stream);
      stream->release();
    }
  }
  instance->mController->setComponentHandler(instance->mHandler);
  instance->mUnitInfo = Query<IUnitInfo>(instance->mController);
  return instance;
}

PluginInstance::~PluginInstance()
{
  HostCallScope scope;
  if (mActive) SetActive(false);
  if (mComponentConnection && mControllerConnection)
  {
    mComponentConnection->disconnect(mControllerConnection);
    mControllerConnection->disconnect(mComponentConnection);
  }
  Release(mComponentConnection);
  Release(mControllerConnection);
  if (mController) mController->setComponentHandler(nullptr);
  Release(mUnitInfo);
  if (mControllerInitialized) mController->terminate();
  Release(mController);
  Release(mProcessor);
  if (mComponentInitialized) mComponent->terminate();
  Release(mComponent);
  Release(mInputChanges);
  Release(mOutputChanges);
  Release(mInputEvents);
  Release(mHandler);
  Release(mHost);
}

std::vector<BusDescription> PluginInstance::Buses(MediaType type, BusDirection dir) const
{
  std::vector<BusDescription> buses;
  const int32 count = mComponent->getBusCount(type, dir);
  for (int32 i = 0; i < count; ++i)
  {
    BusDescription bus;
    if (mComponent->getBusInfo(type, dir, i, bus.info) != kResultOk) continue;
    bus.name = ToUtf8(bus.info.name);
    if (type == kAudio) mProcessor->getBusArrangement(dir, i, bus.arrangement);
    buses.push_back(bus);
  }
  return buses;
}

std::vector<ParameterDescription> PluginInstance::Parameters() const
{
  std::vector<ParameterDescription> params;
  const int32 count = mController->getParameterCount();
  for (int32 i = 0; i < count; ++i)
  {
    ParameterDescription p;
    if (mController->getParameterInfo(i, p.info) != kResultOk) continue;
    p.title = ToUtf8(p.info.title);
    p.shortTitle = ToUtf8(p.info.shortTitle);
    p.units = ToUtf8(p.info.units);
    params.push_back(p);
  }
  return params;
}

std::vector<UnitDescription> PluginInstance::UnitList() const
{
  std::vector<UnitDescription> units;
  if (!mUnitInfo) return units;
  const int32 count = mUnitInfo->getUnitCount();
  for (int32 i = 0; i < count; ++i)
  {
    UnitDescription u;
    if (mUnitInfo->getUnitInfo(i, u.info) != kResultOk) continue;
    u.name = ToUtf8(u.info.name);
    units.push_back(u);
  }
  return units;
}

std::vector<ProgramListDescription> PluginInstance::ProgramLists() const
{
  std::vector<ProgramListDescription> lists;
  if (!mUnitInfo) return lists;
  const int32 reported = mUnitInfo->getProgramListCount();
  constexpr int32 kMaxLists = 256;
  for (int32 i = 0; i < kMaxLists; ++i)
  {
    ProgramListDescription list;
    if (mUnitInfo->getProgramListInfo(i, list.info) != kResultOk)
    {
      if (i < reported) continue;
      break;
    }
    list.name = ToUtf8(list.info.name);
    for (int32 p = 0; p < list.info.programCount; ++p)
    {
      String128 name{};
      list.programs.push_back(mUnitInfo->getProgramName(list.info.id, p, name) == kResultOk
                                  ? ToUtf8(name)
                                  : std::string());
    }
    lists.push_back(list);
  }
  return lists;
}

std::optional<ParameterDescription>
PluginInstance::FindParameter(const std::string& titleOrId) const
{
  const std::vector<ParameterDescription> params = Parameters();
  for (const ParameterDescription& p : params)
    if (p.title == titleOrId) return p;
  for (const ParameterDescription& p : params)
    if (EqualsIgnoringCase(p.title, titleOrId)) return p;
  char* end = nullptr;
  const unsigned long id = std::strtoul(titleOrId.c_str(), &end, 10);
  if (!titleOrId.empty() && end && *end == 0)
    for (const ParameterDescription& p : params)
      if (p.info.id == id) return p;
  return std::nullopt;
}

std::optional<ParameterDescription> PluginInstance::FindParameterWithFlag(int32 flag) const
{
  for (const ParameterDescription& p : Parameters())
    if (p.info.flags & flag) return p;
  return std::nullopt;
}

std::optional<ProgramListDescription>
PluginInstance::ProgramListFor(const ParameterDescription& param) const
{
  const std::vector<ProgramListDescription> lists = ProgramLists();
  if (lists.empty()) return std::nullopt;
  for (const ProgramListDescription& list : lists)
    if (static_cast<ParamID>(list.info.id) == param.info.id) return list;
  for (const UnitDescription& unit : UnitList())
    if (unit.info.id == param.info.unitId && unit.info.programListId != kNoProgramListId)
      for (const ProgramListDescription& list : lists)
        if (list.info.id == unit.info.programListId) return list;
  return lists.front();
}

bool PluginInstance::Configure(int channels, double sampleRate, int32 maxBlockSize,
                               int32 sampleSize, int32 processMode, std::string& error)
{
  HostCallScope scope;
  const SpeakerArrangement main = channels == 1 ? SpeakerArr::kMono : SpeakerArr::kStereo;
  const int32 numIns = mComponent->getBusCount(kAudio, kInput);
  const int32 numOuts = mComponent->getBusCount(kAudio, kOutput);
  if (numOuts < 1)
  {
    error = "the plug-in has no audio output bus";
    return false;
  }
  std::vector<SpeakerArrangement> ins(static_cast<size_t>(numIns));
  std::vector<SpeakerArrangement> outs(static_cast<size_t>(numOuts));
  for (int32 i = 0; i < numIns; ++i)
    if (i == 0 ||
        mProcessor->getBusArrangement(kInput, i, ins[static_cast<size_t>(i)]) != kResultOk)
      ins[static_cast<size_t>(i)] = i == 0 ? main : SpeakerArr::kEmpty;
  for (int32 i = 0; i < numOuts; ++i)
    if (i == 0 ||
        mProcessor->getBusArrangement(kOutput, i, outs[static_cast<size_t>(i)]) != kResultOk)
      outs[static_cast<size_t>(i)] = i == 0 ? main : SpeakerArr::kEmpty;
  if (mProcessor->setBusArrangements(ins.data(), numIns, outs.data(), numOuts) != kResultTrue)
  {
    error = std::string("the plug-in refuses ") + (channels == 1 ? "mono" : "stereo") +
            " buses (setBusArrangements)";
    return false;
  }
  if (mProcessor->canProcessSampleSize(sampleSize) != kResultTrue)
  {
    error = std::string("the plug-in cannot process ") +
            (sampleSize == kSample64 ? "64-bit" : "32-bit") + " samples";
    return false;
  }
  // Activate the main buses and whatever the plug-in marks active by default.
  for (BusDirection dir : {kInput, kOutput})
  {
    std::vector<BusDescription> buses = Buses(kAudio, dir);
    for (size_t i = 0; i < buses.size(); ++i)
      mComponent->activateBus(kAudio, dir, static_cast<int32>(i),
                              i == 0 || (buses[i].info.flags & BusInfo::kDefaultActive));
    for (size_t i = 0; i < Buses(kEvent, dir).size(); ++i)
      mComponent->activateBus(kEvent, dir, static_cast<int32>(i), true);
  }
  mSetup.processMode = processMode;
  mSetup.symbolicSampleSize = sampleSize;
  mSetup.maxSamplesPerBlock = maxBlockSize;
  mSetup.sampleRate = sampleRate;
  if (mProcessor->setupProcessing(mSetup) != kResultOk)
  {
    error = "setupProcessing failed";
    return false;
  }
  mChannels = channels;
  PrepareBusBuffers();
  mContext = ProcessContext{};
  mContext.sampleRate = sampleRate;
  mContext.tempo = 120.0;
  mContext.timeSigNumerator = 4;
  mContext.timeSigDenominator = 4;
  mContext.state = ProcessContext::kPlaying | ProcessContext::kTempoValid |
                   ProcessContext::kTimeSigValid | ProcessContext::kProjectTimeMusicValid;
  return true;
}

void PluginInstance::PrepareBusBuffers()
{
  auto prepare = [this](BusDirection dir, std::vector<BusBuffers>& buses,
                        std::vector<AudioBusBuffers>& headers)
  {
    const std::vector<BusDescription> described = Buses(kAudio, dir);
    buses.assign(described.size(), BusBuffers{});
    headers.assign(described.size(), AudioBusBuffers{});
    for (size_t i = 0; i < described.size(); ++i)
    {
      BusBuffers& bus = buses[i];
      bus.channels = i == 0 ? mChannels : SpeakerArr::getChannelCount(described[i].arrangement);
      const size_t frames = static_cast<size_t>(std::max(mSetup.maxSamplesPerBlock, 1));
      // The main bus points at the caller's buffers; the others at silent scratch buffers.
      if (i != 0)
      {
        bus.scratch32.assign(static_cast<size_t>(bus.channels), std::vector<float>(frames, 0.0f));
        bus.scratch64.assign(static_cast<size_t>(bus.channels), std::vector<double>(frames, 0.0));
      }
      bus.pointers32.assign(static_cast<size_t>(bus.channels), nullptr);
      bus.pointers64.assign(static_cast<size_t>(bus.channels), nullptr);
      for (int c = 0; i != 0 && c < bus.channels; ++c)
      {
        bus.pointers32[static_cast<size_t>(c)] = bus.scratch32[static_cast<size_t>(c)].data();
        bus.pointers64[static_cast<size_t>(c)] = bus.scratch64[static_cast<size_t>(c)].data();
      }
      headers[i].numChannels = bus.channels;
    }
  };
  prepare(kInput, mInputBuses, mInputs);
  prepare(kOutput, mOutputBuses, mOutputs);
}

bool PluginInstance::SetActive(bool active)
{
  HostCallScope scope;
  if (active == mActive) return true;
  if (active)
  {
    if (mComponent->setActive(true) != kResultOk) return false;
    mProcessor->setProcessing(true); // kNotImplemented is fine
    mActive = true;
    return true;
  }
  mProcessor->setProcessing(false);
  mComponent->setActive(false);
  mActive = false;
  return true;
}

void PluginInstance::SetParameter(ParamID id, ParamValue normalized)
{
  SetControllerValue(id, normalized);
  QueueChange(id, normalized);
}

tresult PluginInstance::SetControllerValue(ParamID id, ParamValue normalized)
{
  HostCallScope scope;
  return mController->setParamNormalized(id, normalized);
}

ParamValue PluginInstance::ControllerValue(ParamID id)
{
  HostCallScope scope;
  return mController->getParamNormalized(id);
}

void PluginInstance::QueueEvent(const Event& event)
{
  Event e = event;
  mInputEvents->addEvent(e);
}

void PluginInstance::QueueChange(ParamID id, ParamValue normalized, int32 sampleOffset)
{
  mInputChanges->Add(id, normalized, sampleOffset);
}

template <typename Sample>
tresult PluginInstance::ProcessBlock(Sample* const* in, Sample* const* out, int32 frames)
{
  HostCallScope scope;
  constexpr bool is64 = sizeof(Sample) == sizeof(double);
  auto attach = [&](std::vector<BusBuffers>& buses, std::vector<AudioBusBuffers>& headers,
                    Sample* const* main)
  {
    for (size_t i = 0; i < buses.size(); ++i)
    {
      BusBuffers& bus = buses[i];
      if (i == 0)
        for (int c = 0; c < bus.channels; ++c)
        {
          if constexpr (is64)
            bus.pointers64[static_cast<size_t>(c)] = main ? main[c] : nullptr;
          else
            bus.pointers32[static_cast<size_t>(c)] = main ? main[c] : nullptr;
        }
      headers[i].numChannels = bus.channels;
      headers[i].silenceFlags = 0;
      if constexpr (is64)
        headers[i].channelBuffers64 = bus.pointers64.data();
      else
        headers[i].channelBuffers32 = bus.pointers32.data();
    }
  };
  attach(mInputBuses, mInputs, in);
  attach(mOutputBuses, mOutputs, out);

  ProcessData data;
  data.processMode = mSetup.processMode;
  data.symbolicSampleSize = is64 ? kSample64 : kSample32;
  data.numSamples = frames;
  data.numInputs = static_cast<int32>(mInputs.size());
  data.numOutputs = static_cast<int32>(mOutputs.size());
  data.inputs = mInputs.empty() ? nullptr : mInputs.data();
  data.outputs = mOutputs.empty() ? nullptr : mOutputs.data();
  data.inputParameterChanges = mInputChanges;
  data.outputParameterChanges = mOutputChanges;
  data.inputEvents = mInputEvents;
  data.processContext = &mContext;
  const tresult result = mProcessor->process(data);
  mInputChanges->Clear();
  mOutputChanges->Clear();
  mInputEvents->Clear();
  mContext.projectTimeSamples += frames;
  mContext.projectTimeMusic =
      static_cast<double>(mContext.projectTimeSamples) / mSetup.sampleRate * mContext.tempo / 60.0;
  return result;
}

tresult PluginInstance::Process(float* const* in, float* const* out, int32 frames)
{
  return ProcessBlock(in, out, frames);
}

tresult PluginInstance::Process(double* const* in, double* const* out, int32 frames)
{
  return ProcessBlock(in, out, frames);
}

tresult PluginInstance::Flush()
{
  if (mSetup.symbolicSampleSize == kSample64)
  {
    std::vector<double> silence(static_cast<size_t>(std::max(mSetup.maxSamplesPerBlock, 1)));
    std::vector<double*> pointers(static_cast<size_t>(mChannels), silence.data());
    return ProcessBlock(pointers.data(), pointers.data(), 0);
  }
  std::vector<float> silence(static_cast<size_t>(std::max(mSetup.maxSamplesPerBlock, 1)));
  std::vector<float*> pointers(static_cast<size_t>(mChannels), silence.data());
  return ProcessBlock(pointers.data(), pointers.data(), 0);
}

tresult PluginInstance::GetComponentState(std::vector<std::uint8_t>& bytes)
{
  HostCallScope scope;
  auto* stream = new MemoryStream;
  const tresult result = mComponent->getState(stream);
  bytes = stream->Bytes();
  stream->release();
  return result;
}

tresult PluginInstance::GetControllerState(std::vector<std::uint8_t>& bytes)
{
  HostCallScope scope;
  auto* stream = new MemoryStream;
  const tresult result = mController->getState(stream);
  bytes = stream->Bytes();
  stream->release();
  return result;
}

tresult PluginInstance::SetComponentState(const std::vector<std::uint8_t>& bytes)
{
  HostCallScope scope;
  auto* stream = new MemoryStream(bytes);
  tresult result = mComponent->setState(stream);
  if (!mSingleComponent && result == kResultOk)
  {
    stream->seek(0, IBStream::kIBSeekSet, nullptr);
    mController->setComponentState(stream);
  }
  stream->release();
  return result;
}

tresult PluginInstance::SetControllerState(const std::vector<std::uint8_t>& bytes)
{
  HostCallScope scope;
  auto* stream = new MemoryStream(bytes);
  tresult result = mController->setState(stream);
  stream->release();
  return result;
}

} // namespace tarvo::vst3host
