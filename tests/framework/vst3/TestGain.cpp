#include "tests/framework/vst3/TestGain.h"

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tarvo::vst3::test
{

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
struct Program
{
  const char* name;
  double gainDb;
};
constexpr Program kPrograms[TestGain::kNumPrograms] = {
    {"Unity", 0.0}, {"Boost", 6.0}, {"Cut", -6.0}};
} // namespace

tresult PLUGIN_API TestGain::initialize(FUnknown* context)
{
  tresult result = SingleComponentEffect::initialize(context);
  if (result != kResultOk) return result;
  addAudioInput(USTRING("Input"), SpeakerArr::kStereo);
  addAudioOutput(USTRING("Output"), SpeakerArr::kStereo);

  parameters.addParameter(
      new RangeParameter(USTRING("Gain"), kGainId, USTRING("dB"), kMinDb, kMaxDb, 0.0));
  parameters.addParameter(
      USTRING("Bypass"), nullptr, 1, 0.0,
      ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass | ParameterInfo::kIsList, kBypassId);
  parameters.addParameter(USTRING("Program"), nullptr, kNumPrograms - 1, 0.0,
                          ParameterInfo::kIsProgramChange | ParameterInfo::kIsList, kProgramId);
  return kResultOk;
}

tresult PLUGIN_API TestGain::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                SpeakerArrangement* outputs, int32 numOuts)
{
  if (numIns != 1 || numOuts != 1 || !inputs || !outputs || inputs[0] != outputs[0])
    return kResultFalse;
  if (inputs[0] != SpeakerArr::kMono && inputs[0] != SpeakerArr::kStereo) return kResultFalse;
  return SingleComponentEffect::setBusArrangements(inputs, numIns, outputs, numOuts);
}

tresult PLUGIN_API TestGain::canProcessSampleSize(int32 symbolicSampleSize)
{
  return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64 ? kResultTrue
                                                                            : kResultFalse;
}

double TestGain::GainDb() const
{
  Parameter* gain = parameters.getParameter(kGainId);
  return gain ? gain->toPlain(gain->getNormalized()) : 0.0;
}

bool TestGain::IsBypassed() const
{
  Parameter* bypass = parameters.getParameter(kBypassId);
  return bypass && bypass->getNormalized() > 0.5;
}

void TestGain::ApplyChange(ParamID id, ParamValue value)
{
  if (id == kProgramId)
  {
    const int index =
        std::clamp(static_cast<int>(value * (kNumPrograms - 1) + 0.5), 0, kNumPrograms - 1);
    setParamNormalized(kProgramId, value);
    setParamNormalized(kGainId, plainParamToNormalized(kGainId, kPrograms[index].gainDb));
    return;
  }
  setParamNormalized(id, value); // unknown IDs are refused there
}

template <typename Sample>
void TestGain::Render(Sample** in, Sample** out, int32 channels, int32 frames, double gain)
{
  const Sample g = static_cast<Sample>(gain);
  for (int32 c = 0; c < channels; ++c)
  {
    if (!in[c] || !out[c]) continue;
    for (int32 i = 0; i < frames; ++i)
      out[c][i] = in[c][i] * g;
  }
}

tresult PLUGIN_API TestGain::process(ProcessData& data)
{
  if (IParameterChanges* changes = data.inputParameterChanges)
  {
    for (int32 q = 0; q < changes->getParameterCount(); ++q)
    {
      IParamValueQueue* queue = changes->getParameterData(q);
      if (!queue || queue->getPointCount() <= 0) continue;
      int32 offset = 0;
      ParamValue value = 0.0;
      if (queue->getPoint(queue->getPointCount() - 1, offset, value) == kResultOk)
        ApplyChange(queue->getParameterId(), value);
    }
  }
  if (data.numSamples <= 0 || data.numInputs < 1 || data.numOutputs < 1 || !data.inputs ||
      !data.outputs)
    return kResultOk;
  const AudioBusBuffers& in = data.inputs[0];
  const AudioBusBuffers& out = data.outputs[0];
  const int32 channels = std::min(in.numChannels, out.numChannels);
  const double gain = IsBypassed() ? 1.0 : LinearGain(GainDb());
  if (data.symbolicSampleSize == kSample32 && in.channelBuffers32 && out.channelBuffers32)
    Render(in.channelBuffers32, out.channelBuffers32, channels, data.numSamples, gain);
  else if (data.symbolicSampleSize == kSample64 && in.channelBuffers64 && out.channelBuffers64)
    Render(in.channelBuffers64, out.channelBuffers64, channels, data.numSamples, gain);
  return kResultOk;
}

tresult TestGain::WriteState(IBStream* state)
{
  if (!state) return kInvalidArgument;
  const double db = GainDb();
  unsigned char bytes[8];
  std::uint64_t bits = 0;
  std::memcpy(&bits, &db, 8);
  for (int i = 0; i < 8; ++i)
    bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
  int32 written = 0;
  return state->write(bytes, 8, &written) == kResultOk && written == 8 ? kResultOk : kResultFalse;
}

tresult TestGain::ReadState(IBStream* state)
{
  if (!state) return kInvalidArgument;
  unsigned char bytes[8];
  int32 read = 0;
  if (state->read(bytes, 8, &read) != kResultOk || read != 8) return kResultFalse;
  std::uint64_t bits = 0;
  for (int i = 0; i < 8; ++i)
    bits |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
  double db = 0.0;
  std::memcpy(&db, &bits, 8);
  if (!(db >= kMinDb && db <= kMaxDb)) return kResultFalse;
  setParamNormalized(kGainId, plainParamToNormalized(kGainId, db));
  return kResultOk;
}

tresult PLUGIN_API TestGain::getUnitInfo(int32 unitIndex, UnitInfo& info)
{
  if (unitIndex != 0) return kResultFalse;
  info.id = kRootUnitId;
  info.parentUnitId = kNoParentUnitId;
  info.programListId = kProgramListId;
  UString(info.name, 128).fromAscii("Root Unit");
  return kResultOk;
}

tresult PLUGIN_API TestGain::getProgramListInfo(int32 listIndex, ProgramListInfo& info)
{
  if (listIndex != 0) return kResultFalse;
  info.id = kProgramListId;
  info.programCount = kNumPrograms;
  UString(info.name, 128).fromAscii("Programs");
  return kResultOk;
}

tresult PLUGIN_API TestGain::getProgramName(ProgramListID listId, int32 programIndex,
                                            String128 name)
{
  if (listId != kProgramListId || programIndex < 0 || programIndex >= kNumPrograms || !name)
    return kResultFalse;
  UString(name, 128).fromAscii(kPrograms[programIndex].name);
  return kResultOk;
}

tresult PLUGIN_API TestGain::queryInterface(const TUID iid, void** obj)
{
  if (obj && FUnknownPrivate::iidEqual(iid, IUnitInfo::iid))
  {
    addRef();
    *obj = static_cast<IUnitInfo*>(this);
    return kResultOk;
  }
  return SingleComponentEffect::queryInterface(iid, obj);
}

const TUID& TestGainSplitProcessor::ControllerClassId()
{
  static const TUID cid = {'T', 'a', 'r', 'v', 'o', 'T', 'e', 's',
                           't', 'G', 'a', 'i', 'n', 'C', 't', 'l'};
  return cid;
}

tresult PLUGIN_API TestGainSplitProcessor::getControllerClassId(TUID classId)
{
  std::memcpy(classId, ControllerClassId(), sizeof(TUID));
  return kResultTrue;
}

tresult PLUGIN_API TestGainSplitProcessor::queryInterface(const TUID iid, void** obj)
{
  if (obj && FUnknownPrivate::iidEqual(iid, IEditController::iid))
  {
    *obj = nullptr;
    return kNoInterface;
  }
  return TestGain::queryInterface(iid, obj);
}

} // namespace tarvo::vst3::test
