#include "framework/vst3/SingleComponentEffect.h"

namespace tarvo::vst3
{

using namespace Steinberg;
using namespace Steinberg::Vst;

SingleComponentEffect::SingleComponentEffect()
    : audioInputs(kAudio, kInput), audioOutputs(kAudio, kOutput), eventInputs(kEvent, kInput),
      eventOutputs(kEvent, kOutput)
{
}

SingleComponentEffect::~SingleComponentEffect()
{
  if (componentHandler) componentHandler->release();
}

tresult PLUGIN_API SingleComponentEffect::initialize(FUnknown* context)
{
  return ComponentBase::initialize(context);
}

tresult PLUGIN_API SingleComponentEffect::terminate()
{
  parameters.removeAll();
  removeAllBusses();
  setComponentHandler(nullptr);
  return ComponentBase::terminate();
}

// --- IComponent ---

tresult PLUGIN_API SingleComponentEffect::getControllerClassId(TUID /*classId*/)
{
  return kNotImplemented;
}

tresult PLUGIN_API SingleComponentEffect::setIoMode(IoMode /*mode*/)
{
  return kNotImplemented;
}

BusList* SingleComponentEffect::getBusList(MediaType type, BusDirection dir)
{
  if (type == kAudio)
    return dir == kInput ? &audioInputs : dir == kOutput ? &audioOutputs : nullptr;
  if (type == kEvent)
    return dir == kInput ? &eventInputs : dir == kOutput ? &eventOutputs : nullptr;
  return nullptr;
}

AudioBus* SingleComponentEffect::getAudioBus(BusDirection dir, int32 index)
{
  BusList* list = getBusList(kAudio, dir);
  if (!list || index < 0 || index >= static_cast<int32>(list->size())) return nullptr;
  return FCast<AudioBus>(list->at(index).get());
}

int32 PLUGIN_API SingleComponentEffect::getBusCount(MediaType type, BusDirection dir)
{
  BusList* list = getBusList(type, dir);
  return list ? static_cast<int32>(list->size()) : 0;
}

tresult PLUGIN_API SingleComponentEffect::getBusInfo(MediaType type, BusDirection dir, int32 index,
                                                     BusInfo& info)
{
  BusList* list = getBusList(type, dir);
  if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
  info.mediaType = type;
  info.direction = dir;
  return list->at(index)->getInfo(info) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API SingleComponentEffect::getRoutingInfo(RoutingInfo& /*inInfo*/,
                                                         RoutingInfo& /*outInfo*/)
{
  return kNotImplemented;
}

tresult PLUGIN_API SingleComponentEffect::activateBus(MediaType type, BusDirection dir, int32 index,
                                                      TBool state)
{
  BusList* list = getBusList(type, dir);
  if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
  list->at(index)->setActive(state);
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::setActive(TBool /*state*/)
{
  return kResultOk;
}

tresult SingleComponentEffect::getProcessorState(IBStream* /*state*/)
{
  return kNotImplemented;
}
tresult SingleComponentEffect::setProcessorState(IBStream* /*state*/)
{
  return kNotImplemented;
}
tresult SingleComponentEffect::getEditorState(IBStream* /*state*/)
{
  return kNotImplemented;
}
tresult SingleComponentEffect::setEditorState(IBStream* /*state*/)
{
  return kNotImplemented;
}

// --- IAudioProcessor ---

tresult PLUGIN_API SingleComponentEffect::setBusArrangements(SpeakerArrangement* inputs,
                                                             int32 numIns,
                                                             SpeakerArrangement* outputs,
                                                             int32 numOuts)
{
  if (numIns < 0 || numOuts < 0 || (numIns > 0 && !inputs) || (numOuts > 0 && !outputs))
    return kInvalidArgument;
  if (numIns > static_cast<int32>(audioInputs.size()) ||
      numOuts > static_cast<int32>(audioOutputs.size()))
    return kResultFalse;
  for (int32 i = 0; i < numIns; ++i)
    if (AudioBus* bus = FCast<AudioBus>(audioInputs[i].get())) bus->setArrangement(inputs[i]);
  for (int32 i = 0; i < numOuts; ++i)
    if (AudioBus* bus = FCast<AudioBus>(audioOutputs[i].get())) bus->setArrangement(outputs[i]);
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::getBusArrangement(BusDirection dir, int32 index,
                                                            SpeakerArrangement& arr)
{
  BusList* list = getBusList(kAudio, dir);
  if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
  AudioBus* bus = FCast<AudioBus>(list->at(index).get());
  if (!bus) return kResultFalse;
  arr = bus->getArrangement();
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::canProcessSampleSize(int32 symbolicSampleSize)
{
  return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

uint32 PLUGIN_API SingleComponentEffect::getLatencySamples()
{
  return 0;
}

tresult PLUGIN_API SingleComponentEffect::setupProcessing(ProcessSetup& setup)
{
  if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue) return kResultFalse;
  processSetup = setup;
  return kResultOk;
}

tresult PLUGIN_API SingleComponentEffect::setProcessing(TBool /*state*/)
{
  return kNotImplemented;
}

tresult PLUGIN_API SingleComponentEffect::process(ProcessData& /*data*/)
{
  return kNotImplemented;
}

uint32 PLUGIN_API SingleComponentEffect::getTailSamples()
{
  return kNoTail;
}

// --- IEditController ---

tresult PLUGIN_API SingleComponentEffect::setComponentState(IBStream* /*state*/)
{
  return kNotImplemented;
}

int32 PLUGIN_API SingleComponentEffect::getParameterCount()
{
  return parameters.getParameterCount();
}

tresult PLUGIN_API SingleComponentEffect::getParameterInfo(int32 paramIndex, ParameterInfo& info)
{
  // ParameterContainer::getParameterByIndex would throw for a bad index.
  if (paramIndex < 0 || paramIndex >= parameters.getParameterCount()) return kResultFalse;
  Parameter* parameter = parameters.getParameterByIndex(paramIndex);
  if (!parameter) return kResultFalse;
  info = parameter->getInfo();
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::getParamStringByValue(ParamID id,
                                                                ParamValue valueNormalized,
                                                                String128 string)
{
  Parameter* parameter = parameters.getParameter(id);
  if (!parameter || !string) return kResultFalse;
  parameter->toString(valueNormalized, string);
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::getParamValueByString(ParamID id, TChar* string,
                                                                ParamValue& valueNormalized)
{
  Parameter* parameter = parameters.getParameter(id);
  if (!parameter || !string) return kResultFalse;
  return parameter->fromString(string, valueNormalized) ? kResultTrue : kResultFalse;
}

ParamValue PLUGIN_API SingleComponentEffect::normalizedParamToPlain(ParamID id,
                                                                    ParamValue valueNormalized)
{
  Parameter* parameter = parameters.getParameter(id);
  return parameter ? parameter->toPlain(valueNormalized) : valueNormalized;
}

ParamValue PLUGIN_API SingleComponentEffect::plainParamToNormalized(ParamID id,
                                                                    ParamValue plainValue)
{
  Parameter* parameter = parameters.getParameter(id);
  return parameter ? parameter->toNormalized(plainValue) : plainValue;
}

ParamValue PLUGIN_API SingleComponentEffect::getParamNormalized(ParamID id)
{
  Parameter* parameter = parameters.getParameter(id);
  return parameter ? parameter->getNormalized() : 0.0;
}

tresult PLUGIN_API SingleComponentEffect::setParamNormalized(ParamID id, ParamValue value)
{
  Parameter* parameter = parameters.getParameter(id);
  if (!parameter) return kResultFalse;
  parameter->setNormalized(value);
  return kResultTrue;
}

tresult PLUGIN_API SingleComponentEffect::setComponentHandler(IComponentHandler* handler)
{
  if (handler == componentHandler) return kResultTrue;
  if (handler) handler->addRef();
  if (componentHandler) componentHandler->release();
  componentHandler = handler;
  return kResultTrue;
}

IPlugView* PLUGIN_API SingleComponentEffect::createView(FIDString /*name*/)
{
  return nullptr;
}

tresult SingleComponentEffect::beginEdit(ParamID id)
{
  return componentHandler ? componentHandler->beginEdit(id) : kResultFalse;
}

tresult SingleComponentEffect::performEdit(ParamID id, ParamValue valueNormalized)
{
  return componentHandler ? componentHandler->performEdit(id, valueNormalized) : kResultFalse;
}

tresult SingleComponentEffect::endEdit(ParamID id)
{
  return componentHandler ? componentHandler->endEdit(id) : kResultFalse;
}

// --- Buses ---

AudioBus* SingleComponentEffect::addAudioInput(const TChar* name, SpeakerArrangement arr,
                                               BusType busType, int32 flags)
{
  auto* bus = new AudioBus(name, busType, flags, arr);
  audioInputs.push_back(IPtr<Bus>(bus, false));
  return bus;
}

AudioBus* SingleComponentEffect::addAudioOutput(const TChar* name, SpeakerArrangement arr,
                                                BusType busType, int32 flags)
{
  auto* bus = new AudioBus(name, busType, flags, arr);
  audioOutputs.push_back(IPtr<Bus>(bus, false));
  return bus;
}

EventBus* SingleComponentEffect::addEventInput(const TChar* name, int32 channels, BusType busType,
                                               int32 flags)
{
  auto* bus = new EventBus(name, busType, flags, channels);
  eventInputs.push_back(IPtr<Bus>(bus, false));
  return bus;
}

void SingleComponentEffect::removeAudioBusses()
{
  audioInputs.clear();
  audioOutputs.clear();
}

void SingleComponentEffect::removeEventBusses()
{
  eventInputs.clear();
  eventOutputs.clear();
}

void SingleComponentEffect::removeAllBusses()
{
  removeAudioBusses();
  removeEventBusses();
}

// --- FUnknown ---

tresult PLUGIN_API SingleComponentEffect::queryInterface(const TUID iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  if (FUnknownPrivate::iidEqual(iid, IComponent::iid))
  {
    addRef();
    *obj = static_cast<IComponent*>(this);
    return kResultOk;
  }
  if (FUnknownPrivate::iidEqual(iid, IAudioProcessor::iid))
  {
    addRef();
    *obj = static_cast<IAudioProcessor*>(this);
    return kResultOk;
  }
  if (FUnknownPrivate::iidEqual(iid, IEditController::iid))
  {
    addRef();
    *obj = static_cast<IEditController*>(this);
    return kResultOk;
  }
  // IPluginBase and FUnknown exist several times in this object; all lead to the same methods.
  if (FUnknownPrivate::iidEqual(iid, IPluginBase::iid) ||
      FUnknownPrivate::iidEqual(iid, FUnknown::iid))
  {
    addRef();
    *obj = static_cast<IPluginBase*>(static_cast<IComponent*>(this));
    return kResultOk;
  }
  return ComponentBase::queryInterface(iid, obj);
}

} // namespace tarvo::vst3
