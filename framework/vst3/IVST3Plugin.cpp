#include "framework/vst3/IVST3Plugin.h"

#include <cstring>

#include "framework/core/Trace.h"
#include "framework/vst3/DeferredRestart.h"
#include "framework/vst3/IVST3Parameter.h"
#include "framework/vst3/IVST3View.h"
#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
int CountChannels(SpeakerArrangement arr)
{
  return __builtin_popcountll(arr);
}

template <class S> S** Channels(AudioBusBuffers& b);
template <> Sample32** Channels<Sample32>(AudioBusBuffers& b)
{
  return b.channelBuffers32;
}
template <> Sample64** Channels<Sample64>(AudioBusBuffers& b)
{
  return b.channelBuffers64;
}

// More channels than this on one bus are not ours to process; the rest stay disconnected.
constexpr int kMaxBusChannels = 32;

// The channel pointers of a bus, moved on by offset samples; false when the host left any of
// them out (a bus without usable buffers is treated as absent).
template <class S>
bool BusPointers(AudioBusBuffers* buses, int32 numBuses, int index, int offset, S** out, int* n)
{
  *n = 0;
  if (!buses || index >= numBuses) return false;
  AudioBusBuffers& bus = buses[index];
  S** chans = Channels<S>(bus);
  if (bus.numChannels <= 0 || !chans) return false;
  const int count = bus.numChannels < kMaxBusChannels ? bus.numChannels : kMaxBusChannels;
  for (int c = 0; c < count; ++c)
  {
    if (!chans[c]) return false;
    out[c] = chans[c] + offset;
  }
  *n = count;
  return true;
}

void ToUTF16(const char* text, String128 out)
{
  ToString128(text, out);
}

double Clamp01(double v)
{
  return v >= 0.0 ? (v <= 1.0 ? v : 1.0) : 0.0; // NaN becomes 0
}

// Streams are read whole before anything is restored; nothing we write comes near this.
constexpr int kMaxStateStream = 4 << 20;

// Everything the stream holds, up to the limit; false when the stream reports an error before
// any end.
bool ReadStream(IBStream* stream, ByteChunk& out)
{
  uint8_t buffer[4096];
  for (;;)
  {
    int32 read = 0;
    const tresult result = stream->read(buffer, sizeof buffer, &read);
    if (read > 0 && out.PutBytes(buffer, read) != out.Size()) return false;
    if (read > 0 && out.Size() > kMaxStateStream) return false;
    if (result != kResultOk) return read >= 0 && out.Size() > 0;
    // Some streams hand out less than asked before their end: only nothing read ends it.
    if (read <= 0) return true;
  }
}

// The editor view, telling the plug-in which plug frame the host gave it: the frame's run loop
// is a UI-thread moment for deferred restarts.
class FramedView final : public IVST3View
{
public:
  explicit FramedView(IVST3Plugin* plug) : IVST3View(plug), mOwner(plug) {}
  ~FramedView() override { mOwner->ViewFrameChanged(this, nullptr); }
  tresult PLUGIN_API setFrame(IPlugFrame* frame) override
  {
    const tresult result = IVST3View::setFrame(frame);
    mOwner->ViewFrameChanged(this, frame);
    return result;
  }

private:
  IVST3Plugin* mOwner; // the view holds a reference on it
};
} // namespace

SpeakerArrangement GetSpeakerArrForChans(int nChans)
{
  switch (nChans)
  {
  case 1:
    return 0x80000; // M
  case 2:
    return 0x3; // L R
  case 3:
    return 0x103; // L R S
  case 4:
    return 0xF00000; // W X Y Z
  case 5:
    return 0x37; // L R C Ls Rs
  case 6:
    return 0x3F; // L R C Lfe Ls Rs
  default:
    return SpeakerArr::kEmpty;
  }
}

IVST3Plugin::IVST3Plugin(IInstanceInfo, int nParams, const char* channelIOStr, int nPresets,
                         const char* effectName, const char* productName, const char* mfrName,
                         int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                         bool plugDoesChunks, bool plugIsInst, int nSideChainChans)
    : IAudioPlugin(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
                   uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPIVST3),
      mSideChainChans(nSideChainChans), mRestart(new DeferredRestart)
{
  mViews.reserve(10);
  SetInputChannelConnections(0, NInChannels(), true);
  SetOutputChannelConnections(0, NOutChannels(), true);
  if (NInChannels() > 0)
  {
    mDelay = new NChanDelayLine(NInChannels(), NOutChannels());
    mDelay->SetDelayTime(latency);
  }
  SetInputBusLabel(0, "Main Input");
  if (mSideChainChans) SetInputBusLabel(1, "Aux Input");
  if (IsInst())
  {
    for (int k = 1; k <= NOutChannels() / 2; ++k)
    {
      char label[32];
      std::snprintf(label, sizeof label, "Output %i", k);
      SetOutputBusLabel(k - 1, label);
    }
  }
  else
  {
    SetOutputBusLabel(0, "Output");
  }
}

IVST3Plugin::~IVST3Plugin()
{
  mRestart->Shutdown();
  mRestart->release();
}

tresult PLUGIN_API IVST3Plugin::queryInterface(const TUID iid, void** obj)
{
  if (FUnknownPrivate::iidEqual(iid, IUnitInfo::iid))
  {
    addRef();
    *obj = static_cast<IUnitInfo*>(this);
    return kResultOk;
  }
  return SingleComponentEffect::queryInterface(iid, obj);
}

// ---- Set-up ----

tresult PLUGIN_API IVST3Plugin::initialize(FUnknown* context)
{
  const tresult result = SingleComponentEffect::initialize(context);

  IHostApplication* app = nullptr;
  if (context &&
      context->queryInterface(IHostApplication::iid, reinterpret_cast<void**>(&app)) == kResultOk &&
      app)
  {
    String128 name = {};
    if (app->getName(name) == kResultOk)
    {
      char hostName[128];
      FromString128(name, hostName, sizeof hostName);
      SetHost(hostName, 0);
    }
  }

  if (result == kResultOk)
  {
    String128 label;
    const StringBuf* in0 = mInputBusLabels.Get(0);
    const StringBuf* out0 = mOutputBusLabels.Get(0);
    const SpeakerArrangement inArr = GetSpeakerArrForChans(NInChannels() - mSideChainChans);
    if (inArr != SpeakerArr::kEmpty)
    {
      ToUTF16(in0 ? in0->Get() : "", label);
      addAudioInput(label, inArr, kMain, BusInfo::kDefaultActive);
    }
    if (IsInst())
    {
      for (int k = 0; k < NOutChannels() / 2; ++k)
      {
        const StringBuf* l = mOutputBusLabels.Get(k);
        ToUTF16(l ? l->Get() : "", label);
        addAudioOutput(label, SpeakerArr::kStereo, kMain, BusInfo::kDefaultActive);
      }
    }
    else
    {
      ToUTF16(out0 ? out0->Get() : "", label);
      addAudioOutput(label, GetSpeakerArrForChans(NOutChannels()), kMain, BusInfo::kDefaultActive);
    }
    if (mSideChainChans)
    {
      if (mSideChainChans >= 3) mSideChainChans = 2;
      const StringBuf* in1 = mInputBusLabels.Get(1);
      ToUTF16(in1 ? in1->Get() : "", label);
      addAudioInput(label, GetSpeakerArrForChans(mSideChainChans), kAux, 0);
    }
    if (DoesMIDI()) addEventInput(STR16("MIDI Input"), 1, kMain, BusInfo::kDefaultActive);

    if (NPresets() > 0)
      parameters.addParameter(new Parameter(STR16("Preset"), kPresetParam, STR16(""), 0.0,
                                            NPresets(), ParameterInfo::kIsProgramChange, 0));
    if (!IsInst())
    {
      auto* bypass = new StringListParameter(
          STR16("Bypass"), kBypassParam, nullptr,
          ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsBypass, 0);
      bypass->appendString(STR16("off"));
      bypass->appendString(STR16("on"));
      parameters.addParameter(bypass);
    }

    mParamGroups.Empty();
    for (int i = 0; i < NParams(); ++i)
    {
      IParam* param = GetParam(i);
      const char* group = param->GetParamGroupForHost();
      UnitID unit = 0;
      if (group[0])
      {
        int found = -1;
        for (int g = 0; g < mParamGroups.GetSize() && found < 0; ++g)
          if (std::strcmp(mParamGroups.Get(g), group) == 0) found = g;
        if (found < 0)
        {
          mParamGroups.Add(group);
          found = mParamGroups.GetSize() - 1;
        }
        unit = found + 1;
      }
      parameters.addParameter(new IVST3Parameter(param, static_cast<ParamID>(i), unit));
    }
  }

  if (app) app->release();
#if SMTG_OS_LINUX
  Linux::IRunLoop* loop = nullptr;
  if (context &&
      context->queryInterface(Linux::IRunLoop::iid, reinterpret_cast<void**>(&loop)) == kResultOk &&
      loop)
  {
    mRestart->SetRunLoop(context, loop);
    loop->release();
  }
#endif
  OnHostIdentified();
  RestorePreset(0);
  return result;
}

tresult PLUGIN_API IVST3Plugin::terminate()
{
  mViews.clear();
  mRestart->Shutdown();
  return SingleComponentEffect::terminate();
}

void IVST3Plugin::RebuildBus(BusDirection dir, int index, int nChans, const char* name,
                             BusType type, int32 flags)
{
  BusList* list = getBusList(kAudio, dir);
  if (!list || index < 0 || index >= static_cast<int>(list->size())) return;
  String128 label;
  ToUTF16(name, label);
  list->at(static_cast<size_t>(index)) =
      owned(new AudioBus(label, type, flags, GetSpeakerArrForChans(nChans)));
}

tresult PLUGIN_API IVST3Plugin::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                   SpeakerArrangement* outputs, int32 numOuts)
{
  SetInputChannelConnections(0, NInChannels(), false);
  SetOutputChannelConnections(0, NOutChannels(), false);
  const int nIn = numIns > 0 && inputs ? CountChannels(inputs[0]) : 0;
  const int nOut = numOuts > 0 && outputs ? CountChannels(outputs[0]) : 0;
  if (!LegalIO(nIn, nOut)) return kResultFalse;

  AudioBus* in0 = getAudioBus(kInput, 0);
  if (in0 && CountChannels(in0->getArrangement()) != nIn)
    RebuildBus(kInput, 0, nIn, "Input", kMain, BusInfo::kDefaultActive);
  AudioBus* out0 = getAudioBus(kOutput, 0);
  if (out0 && CountChannels(out0->getArrangement()) != nOut)
    RebuildBus(kOutput, 0, nOut, "Output", kMain, BusInfo::kDefaultActive);

  if (numIns == 1 && !mSideChainChans) return kResultTrue;
  if (numIns != 2 || !mSideChainChans) return kResultFalse;
  const int nSc = CountChannels(inputs[1]);
  AudioBus* in1 = getAudioBus(kInput, 1);
  if (in1 && CountChannels(in1->getArrangement()) != nSc)
    RebuildBus(kInput, 1, nSc, "Sidechain Input", kAux, 0);
  return kResultTrue;
}

tresult PLUGIN_API IVST3Plugin::canProcessSampleSize(int32 symbolicSampleSize)
{
  return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue
                                                                            : kResultFalse;
}

tresult PLUGIN_API IVST3Plugin::setupProcessing(ProcessSetup& setup)
{
  if (setup.symbolicSampleSize != kSample32 && setup.symbolicSampleSize != kSample64)
    return kResultFalse;
  // A rate that is not a positive number would turn the smoothers and filters into noise; with
  // no room for a single sample no block could write its outputs.
  if (!(setup.sampleRate > 0.0) || setup.sampleRate > 1e7 || setup.maxSamplesPerBlock < 1)
    return kResultFalse;
  RecursiveMutex::Lock lock(mMutex);
  SetSampleRate(setup.sampleRate);
  mIsBypassed = false;
  mBypassValue = 0.0;
  SetBlockSize(setup.maxSamplesPerBlock);
  Reset();
  processSetup = setup;
  return kResultOk;
}

tresult PLUGIN_API IVST3Plugin::setActive(TBool state)
{
  OnActivate(state != 0);
  return kResultOk;
}

// ---- The block ----

void IVST3Plugin::ApplyParameterChanges(IParameterChanges* changes)
{
  if (!changes) return;
  const int32 nQueues = changes->getParameterCount();
  for (int32 q = 0; q < nQueues; ++q)
  {
    IParamValueQueue* queue = changes->getParameterData(q);
    if (!queue) continue;
    const int32 nPoints = queue->getPointCount();
    int32 offset = 0;
    ParamValue value = 0.0;
    if (nPoints <= 0 || queue->getPoint(nPoints - 1, offset, value) != kResultOk) continue;
    const ParamID id = queue->getParameterId();
    if (id == kBypassParam)
    {
      mIsBypassed = value > 0.5;
      mBypassValue = Clamp01(value);
    }
    else if (id == kPresetParam)
    {
      // The processor's half of a program change whose controller half (setParamNormalized)
      // already recalled the slot is not recalled, nor announced, a second time.
      if (value == mProgramValue.load() && ProgramIndex(value) == GetCurrentPresetIdx()) continue;
      mProgramValue = value;
      if (RestorePreset(ProgramIndex(value))) mRestart->Request(kParamValuesChanged);
    }
    else if (id < static_cast<ParamID>(NParams()))
    {
      const int idx = static_cast<int>(id);
      GetParam(idx)->SetNormalized(value);
      if (GetGUI()) GetGUI()->SetParameterFromPlug(idx, value, true);
      OnParamChange(idx);
    }
  }
}

void IVST3Plugin::ApplyEvents(IEventList* events, int from, int to, int last)
{
  if (!DoesMIDI() || !events) return;
  const int32 n = events->getEventCount();
  for (int32 i = 0; i < n; ++i)
  {
    Event e{};
    if (events->getEvent(i, e) != kResultOk) continue;
    // Offsets outside the block are held to its ends, so no event is lost.
    const int at = e.sampleOffset < 0 ? 0 : (e.sampleOffset > last ? last : e.sampleOffset);
    if (at < from || at >= to) continue;
    IMidiMsg msg;
    if (e.type == Event::kNoteOnEvent)
    {
      msg.MakeNoteOnMsg(e.noteOn.pitch, TruncToInt(e.noteOn.velocity * 127), at - from,
                        e.noteOn.channel);
      ProcessMidiMsg(&msg);
    }
    else if (e.type == Event::kNoteOffEvent)
    {
      msg.MakeNoteOffMsg(e.noteOff.pitch, at - from, e.noteOff.channel);
      ProcessMidiMsg(&msg);
    }
  }
}

template <class Sample>
void IVST3Plugin::ConnectAndAttach(ProcessData& data, int offset, int nFrames)
{
  Sample* ptrs[kMaxBusChannels];
  int n = 0;
  const int nIn = NInChannels();
  if (data.numInputs > 0 && BusPointers<Sample>(data.inputs, data.numInputs, 0, offset, ptrs, &n))
  {
    if (!mSideChainChans)
    {
      SetInputChannelConnections(0, n, true);
      SetInputChannelConnections(n, nIn - n, false);
      AttachInputBuffers(0, n, ptrs, nFrames);
    }
    else
    {
      const int nMain = nIn - mSideChainChans;
      AudioBus* aux = getAudioBus(kInput, 1);
      if (aux && aux->isActive())
      {
        mSideChainIsConnected = true;
        SetInputChannelConnections(0, nIn, true);
      }
      else
      {
        if (mSideChainIsConnected)
        {
          ZeroScratchBuffers();
          mSideChainIsConnected = false;
        }
        SetInputChannelConnections(0, nIn, true);
        SetInputChannelConnections(n, nMain, false);
      }
      AttachInputBuffers(0, nMain, ptrs, nFrames);
      int nSc = 0;
      if (BusPointers<Sample>(data.inputs, data.numInputs, 1, offset, ptrs, &nSc))
        AttachInputBuffers(nIn - mSideChainChans, mSideChainChans, ptrs, nFrames);
    }
  }
  else
  {
    // No usable input: read silence rather than whatever pointers the last block left.
    SetInputChannelConnections(0, nIn, false);
    for (int i = 0; i < nIn; ++i)
      if (double* scratch = mInChannels.Get(i)->mScratchBuf.Get())
        std::memset(scratch, 0, sizeof(double) * static_cast<size_t>(nFrames));
  }

  int k = 0;
  for (int32 i = 0; i < data.numOutputs && data.outputs; ++i)
  {
    const int m = data.outputs[i].numChannels;
    if (m <= 0) continue;
    AudioBus* bus = getAudioBus(kOutput, i);
    const bool usable = BusPointers<Sample>(data.outputs, data.numOutputs, i, offset, ptrs, &n);
    const bool active = bus && bus->isActive() && usable;
    SetOutputChannelConnections(k, m, active);
    SetOutputChannelConnections(k + m, NOutChannels() - (k + m), false);
    if (active) AttachOutputBuffers(k, n, ptrs);
    k += m;
  }
  if (k == 0) SetOutputChannelConnections(0, NOutChannels(), false);
}

template <class Sample> void IVST3Plugin::ProcessAudio(ProcessData& data)
{
  const int total = data.numSamples;
  if (total <= 0 || mBlockSize <= 0)
  {
    ApplyEvents(data.inputEvents, 0, 1, 0);
    return;
  }
  // Hosts may pass blocks longer than they announced; the scratch buffers hold mBlockSize
  // samples, so such a block is processed in pieces, each with the events that fall into it.
  for (int offset = 0; offset < total; offset += mBlockSize)
  {
    const int n = total - offset < mBlockSize ? total - offset : mBlockSize;
    ApplyEvents(data.inputEvents, offset, offset + n, total - 1);
    ConnectAndAttach<Sample>(data, offset, n);
    if (mIsBypassed)
      PassThroughBuffers(Sample(0), n);
    else
      ProcessBuffers(Sample(0), n);
  }
}

tresult PLUGIN_API IVST3Plugin::process(ProcessData& data)
{
  RecursiveMutex::Lock lock(mMutex);
  if (data.processContext) mProcessContext = *data.processContext;
  ApplyParameterChanges(data.inputParameterChanges);
  if (processSetup.symbolicSampleSize == kSample32)
    ProcessAudio<Sample32>(data);
  else if (processSetup.symbolicSampleSize == kSample64)
    ProcessAudio<Sample64>(data);
  else
    ApplyEvents(data.inputEvents, 0, 1, 0);
  return kResultOk;
}

// ---- State ----

tresult IVST3Plugin::getEditorState(IBStream* state)
{
  if (!state) return kResultFalse;
  RecursiveMutex::Lock lock(mMutex);
  ByteChunk chunk;
  if (!SerializeState(chunk)) return kResultFalse;
  const int32 bypass = mIsBypassed ? 1 : 0;
  chunk.Put(bypass);
  // Readers that know no tail stop after the bypass word; ours restore the browser's slots.
  if (NPresets() > 0) AppendPresetTail(chunk);
  int32 written = 0;
  return state->write(chunk.GetBytes(), chunk.Size(), &written) == kResultOk &&
                 written == chunk.Size()
             ? kResultOk
             : kResultFalse;
}

tresult IVST3Plugin::setEditorState(IBStream* state)
{
  if (!state) return kResultFalse;
  RecursiveMutex::Lock lock(mMutex);
  // Read whole and checked before anything changes: a stream too short for every value, or one
  // that fails, restores nothing.
  const int stateSize = SerializedStateSize();
  ByteChunk bytes;
  if (stateSize <= 0 || !ReadStream(state, bytes) || bytes.Size() < stateSize) return kResultFalse;
  if (UnserializeState(bytes, 0) < 0) return kResultFalse;
  int32 bypass = 0;
  if (bytes.Get(&bypass, stateSize) < 0)
  {
    // Values without the bypass word: restored, the flag kept, and the host told.
    RedrawParamControls();
    return kResultFalse;
  }
  mIsBypassed = bypass != 0;
  mBypassValue = bypass != 0 ? 1.0 : 0.0;
  if (RestorePresetTail(bytes, stateSize + static_cast<int>(sizeof bypass)) == kTailRestored)
    PresetsChangedByHost();
  RedrawParamControls();
  return kResultOk;
}

// ---- Controller queries ----

tresult PLUGIN_API IVST3Plugin::setParamNormalized(ParamID id, ParamValue value)
{
  if (id == kBypassParam && !IsInst())
  {
    mBypassValue = Clamp01(value);
    return kResultOk;
  }
  if (id == kPresetParam && NPresets() > 0)
  {
    RecursiveMutex::Lock lock(mMutex);
    mProgramValue = value;
    // Telling the host inside its own call deadlocks some hosts: the run loop tells it later.
    if (RestorePreset(ProgramIndex(value))) mRestart->Request(kParamValuesChanged);
    return kResultOk;
  }
  if (id >= static_cast<ParamID>(NParams())) return kResultFalse;
  RecursiveMutex::Lock lock(mMutex);
  GetParam(static_cast<int>(id))->SetNormalized(value);
  return kResultOk;
}

ParamValue PLUGIN_API IVST3Plugin::getParamNormalized(ParamID id)
{
  if (id == kBypassParam && !IsInst()) return mBypassValue.load();
  if (id == kPresetParam && NPresets() > 0)
  {
    // The value the host set while it still names the current slot, else the current slot's.
    RecursiveMutex::Lock lock(mMutex);
    const double v = mProgramValue.load();
    const int current = GetCurrentPresetIdx();
    return v >= 0.0 && ProgramIndex(v) == current ? v : static_cast<double>(current) / NPresets();
  }
  if (id < static_cast<ParamID>(NParams())) return GetParam(static_cast<int>(id))->GetNormalized();
  return 0.0;
}

tresult PLUGIN_API IVST3Plugin::setComponentHandler(IComponentHandler* handler)
{
  const tresult result = SingleComponentEffect::setComponentHandler(handler);
  mRestart->SetHandler(getComponentHandler());
  return result;
}

int32 IVST3Plugin::PendingRestartFlags() const
{
  return mRestart->Pending();
}

ParamValue PLUGIN_API IVST3Plugin::plainParamToNormalized(ParamID id, ParamValue plainValue)
{
  if (id < static_cast<ParamID>(NParams()))
    return GetParam(static_cast<int>(id))->GetNormalized(plainValue);
  return plainValue;
}

tresult PLUGIN_API IVST3Plugin::getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                      String128 string)
{
  if (id >= static_cast<ParamID>(NParams()) || !string) return kResultFalse;
  char text[32];
  GetParam(static_cast<int>(id))->GetDisplayForHost(valueNormalized, true, text, true, sizeof text);
  ToString128(text, string);
  return kResultOk;
}

IPlugView* PLUGIN_API IVST3Plugin::createView(FIDString name)
{
  if (!name || std::strcmp(name, "editor") != 0) return nullptr;
  auto* view = new FramedView(this);
  AddView(view);
  return view;
}

// ---- Units and programs ----

int32 PLUGIN_API IVST3Plugin::getUnitCount()
{
  return mParamGroups.GetSize() + 1;
}

tresult PLUGIN_API IVST3Plugin::getUnitInfo(int32 unitIndex, UnitInfo& info)
{
  if (unitIndex == 0)
  {
    info.id = kRootUnitId;
    info.parentUnitId = kNoParentUnitId;
    ToString128("Root Unit", info.name);
    // Hosts find the factory presets through the root unit's program list.
    info.programListId =
        NPresets() > 0 ? static_cast<ProgramListID>(kPresetParam) : kNoProgramListId;
    return kResultOk;
  }
  if (unitIndex > 0 && unitIndex <= mParamGroups.GetSize())
  {
    info.id = unitIndex;
    info.parentUnitId = kRootUnitId;
    ToString128(mParamGroups.Get(unitIndex - 1), info.name);
    info.programListId = kNoProgramListId;
    return kResultOk;
  }
  return kResultFalse;
}

int32 PLUGIN_API IVST3Plugin::getProgramListCount()
{
  return NPresets() > 0 ? 1 : 0;
}

tresult PLUGIN_API IVST3Plugin::getProgramListInfo(int32 listIndex, ProgramListInfo& info)
{
  if (listIndex != 0) return kResultFalse;
  info.id = static_cast<ProgramListID>(kPresetParam);
  ToString128("Factory Presets", info.name);
  info.programCount = NPresets();
  return kResultOk;
}

tresult PLUGIN_API IVST3Plugin::getProgramName(ProgramListID listId, int32 programIndex,
                                               String128 name)
{
  if (listId != static_cast<ProgramListID>(kPresetParam) || !name) return kResultFalse;
  ToString128(GetPresetName(programIndex), name);
  return kResultOk;
}

// ---- Framework operations ----

void IVST3Plugin::BeginInformHostOfParamChange(int idx)
{
  Trace("BeginInformHostOfParamChange", __LINE__, "%d", idx);
  beginEdit(static_cast<ParamID>(idx));
}

void IVST3Plugin::InformHostOfParamChange(int idx, double normalizedValue)
{
  Trace("InformHostOfParamChange", __LINE__, "%d:%f", idx, normalizedValue);
  performEdit(static_cast<ParamID>(idx), normalizedValue);
}

void IVST3Plugin::EndInformHostOfParamChange(int idx)
{
  Trace("EndInformHostOfParamChange", __LINE__, "%d", idx);
  endEdit(static_cast<ParamID>(idx));
}

bool IVST3Plugin::IsRenderingOffline()
{
  return processSetup.processMode == kOffline;
}

int IVST3Plugin::GetSamplePos()
{
  return TruncToInt(static_cast<double>(mProcessContext.projectTimeSamples));
}

double IVST3Plugin::GetTempo()
{
  return mProcessContext.tempo;
}

void IVST3Plugin::GetTimeSig(int* numerator, int* denominator)
{
  if (numerator) *numerator = mProcessContext.timeSigNumerator;
  if (denominator) *denominator = mProcessContext.timeSigDenominator;
}

void IVST3Plugin::GetTime(ITimeInfo* t)
{
  if (!t) return;
  t->mTempo = mProcessContext.tempo;
  t->mSamplePos = static_cast<double>(mProcessContext.projectTimeSamples);
  t->mPPQPos = mProcessContext.projectTimeMusic;
  t->mLastBar = mProcessContext.barPositionMusic;
  t->mCycleStart = mProcessContext.cycleStartMusic;
  t->mCycleEnd = mProcessContext.cycleEndMusic;
  t->mNumerator = mProcessContext.timeSigNumerator;
  t->mDenominator = mProcessContext.timeSigDenominator;
  t->mTransportIsRunning = (mProcessContext.state & ProcessContext::kPlaying) != 0;
  t->mTransportLoopEnabled = (mProcessContext.state & ProcessContext::kCycleActive) != 0;
}

void IVST3Plugin::ResizeGraphics(int w, int h)
{
  if (GetGUI() && !mViews.empty()) static_cast<IVST3View*>(mViews.front())->resize(w, h);
}

void IVST3Plugin::SetLatency(int samples)
{
  IAudioPlugin::SetLatency(samples);
  if (IComponentHandler* handler = getComponentHandler())
    handler->restartComponent(kLatencyChanged);
}

void IVST3Plugin::PopupHostContextMenuForParam(int idx, int x, int y)
{
  IComponentHandler* handler = getComponentHandler();
  if (!handler || mViews.empty()) return;
  IComponentHandler3* handler3 = nullptr;
  if (handler->queryInterface(IComponentHandler3::iid, reinterpret_cast<void**>(&handler3)) !=
          kResultOk ||
      !handler3)
    return;
  const ParamID id = static_cast<ParamID>(idx);
  if (IContextMenu* menu = handler3->createContextMenu(mViews.front(), &id))
  {
    menu->popup(x, y);
    menu->release();
  }
  handler3->release();
}

void IVST3Plugin::AddView(IVST3View* view)
{
  if (view) mViews.push_back(view);
}

void IVST3Plugin::ViewFrameChanged(IPlugView* view, IPlugFrame* frame)
{
#if SMTG_OS_LINUX
  Linux::IRunLoop* loop = nullptr;
  if (frame) frame->queryInterface(Linux::IRunLoop::iid, reinterpret_cast<void**>(&loop));
  mRestart->SetRunLoop(view, loop);
  if (loop) loop->release();
#else
  (void)view;
  (void)frame;
#endif
}

void IVST3Plugin::RemoveView(IPlugView* view)
{
  for (auto it = mViews.begin(); it != mViews.end(); ++it)
    if (*it == view)
    {
      mViews.erase(it);
      return;
    }
}
