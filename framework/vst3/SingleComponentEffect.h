#pragma once
// One object that is a VST 3 component, audio processor and edit controller at once.
//
// Our own replacement for Steinberg::Vst::SingleComponentEffect, which the SDK subset Debian
// ships lacks. It is built on the published interfaces only (ComponentBase, IComponent,
// IAudioProcessor, IEditController) and does what the binding relies on: bus lists, the
// parameter container, the component handler and the stored process setup. It answers
// neither IUnitInfo nor IEditController2: a derived class adds what it needs (IVST3Plugin adds
// IUnitInfo).
//
// Deriving: override process() and whatever else the plug-in does (setupProcessing,
// setBusArrangements, setActive, canProcessSampleSize, ...) and call this class's
// initialize/terminate/setupProcessing from the overrides. IComponent and IEditController share
// the signatures getState/setState; here they are kept apart: the component's pair calls
// getProcessorState/setProcessorState, the controller's pair getEditorState/setEditorState.
// Override those four, never getState/setState (they are final).
//
// Reference counting is FObject's single counter, shared by every interface; a new object holds
// one reference. Threads: the host's audio thread calls process(); everything else comes from
// its main thread. This class takes no lock.

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "public.sdk/source/vst/vstbus.h"
#include "public.sdk/source/vst/vstcomponentbase.h"
#include "public.sdk/source/vst/vstparameters.h"

namespace tarvo::vst3
{

namespace detail
{
// IComponent and IEditController both declare getState/setState with one signature, so a class
// deriving from both could only override the two pairs together. Each shim routes its
// interface's pair to a virtual of its own.
class ComponentStateShim : public Steinberg::Vst::IComponent
{
public:
  Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) final
  {
    return setProcessorState(state);
  }
  Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) final
  {
    return getProcessorState(state);
  }

protected:
  virtual Steinberg::tresult setProcessorState(Steinberg::IBStream* state) = 0;
  virtual Steinberg::tresult getProcessorState(Steinberg::IBStream* state) = 0;
};

class ControllerStateShim : public Steinberg::Vst::IEditController
{
public:
  Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* state) final
  {
    return setEditorState(state);
  }
  Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* state) final
  {
    return getEditorState(state);
  }

protected:
  virtual Steinberg::tresult setEditorState(Steinberg::IBStream* state) = 0;
  virtual Steinberg::tresult getEditorState(Steinberg::IBStream* state) = 0;
};
} // namespace detail

class SingleComponentEffect : public Steinberg::Vst::ComponentBase,
                              public detail::ComponentStateShim,
                              public Steinberg::Vst::IAudioProcessor,
                              public detail::ControllerStateShim
{
public:
  using tresult = Steinberg::tresult;
  using int32 = Steinberg::int32;
  using uint32 = Steinberg::uint32;
  using TBool = Steinberg::TBool;
  using TChar = Steinberg::Vst::TChar;
  using ParamID = Steinberg::Vst::ParamID;
  using ParamValue = Steinberg::Vst::ParamValue;
  using MediaType = Steinberg::Vst::MediaType;
  using BusDirection = Steinberg::Vst::BusDirection;
  using BusType = Steinberg::Vst::BusType;
  using SpeakerArrangement = Steinberg::Vst::SpeakerArrangement;

  SingleComponentEffect();
  ~SingleComponentEffect() override;

  // --- IPluginBase (host main thread, no lock) ---
  /// The base's: kResultFalse when already initialised, else stores the host context, kResultOk.
  tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
  /// Removes every parameter and bus, releases the component handler and the host context.
  tresult PLUGIN_API terminate() override;

  // --- IComponent (host main thread, no lock) ---
  /// kNotImplemented: there is no separate controller class.
  tresult PLUGIN_API getControllerClassId(Steinberg::TUID classId) override;
  tresult PLUGIN_API setIoMode(Steinberg::Vst::IoMode mode) override; // kNotImplemented
  int32 PLUGIN_API getBusCount(MediaType type, BusDirection dir) override;
  /// kInvalidArgument for an unknown list or index.
  tresult PLUGIN_API getBusInfo(MediaType type, BusDirection dir, int32 index,
                                Steinberg::Vst::BusInfo& bus) override;
  tresult PLUGIN_API
  getRoutingInfo(Steinberg::Vst::RoutingInfo& inInfo,
                 Steinberg::Vst::RoutingInfo& outInfo) override; // kNotImplemented
  /// Sets the bus's active flag; kInvalidArgument for an unknown list or index.
  tresult PLUGIN_API activateBus(MediaType type, BusDirection dir, int32 index,
                                 TBool state) override;
  tresult PLUGIN_API setActive(TBool state) override; // kResultOk

  // --- IAudioProcessor (host main thread while inactive, no lock; process: audio thread) ---
  /// Default: sets the arrangement of the first numIns/numOuts audio
  /// buses; kResultFalse if more arrangements than buses are given.
  tresult PLUGIN_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                        SpeakerArrangement* outputs, int32 numOuts) override;
  tresult PLUGIN_API getBusArrangement(BusDirection dir, int32 index,
                                       SpeakerArrangement& arr) override;
  /// Default: kResultTrue for kSample32 only.
  tresult PLUGIN_API canProcessSampleSize(int32 symbolicSampleSize) override;
  uint32 PLUGIN_API getLatencySamples() override; // 0
  /// kResultFalse if canProcessSampleSize refuses the sample size, else
  /// stores the setup in processSetup; kResultOk.
  tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
  tresult PLUGIN_API setProcessing(TBool state) override; // kNotImplemented
  /// Audio thread; this class takes no lock. Default: kNotImplemented.
  tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;
  uint32 PLUGIN_API getTailSamples() override; // kNoTail

  // --- IEditController (host main thread, no lock) ---
  tresult PLUGIN_API setComponentState(Steinberg::IBStream* state) override; // kNotImplemented
  int32 PLUGIN_API getParameterCount() override;
  /// kResultFalse for an index outside the container.
  tresult PLUGIN_API getParameterInfo(int32 paramIndex,
                                      Steinberg::Vst::ParameterInfo& info) override;
  /// The parameter object's toString; kResultFalse for an unknown ID.
  tresult PLUGIN_API getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                           Steinberg::Vst::String128 string) override;
  /// The parameter object's fromString; kResultFalse for an unknown ID or unreadable text.
  tresult PLUGIN_API getParamValueByString(ParamID id, TChar* string,
                                           ParamValue& valueNormalized) override;
  /// The parameter object's toPlain; the value unchanged for an unknown ID.
  ParamValue PLUGIN_API normalizedParamToPlain(ParamID id, ParamValue valueNormalized) override;
  /// The parameter object's toNormalized; the value unchanged for an unknown ID.
  ParamValue PLUGIN_API plainParamToNormalized(ParamID id, ParamValue plainValue) override;
  /// The parameter object's normalised value; 0.0 for an unknown ID.
  ParamValue PLUGIN_API getParamNormalized(ParamID id) override;
  /// Sets the parameter object's normalised value; kResultFalse for an unknown ID.
  tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) override;
  /// Keeps (and references) the host's handler; null releases it. kResultTrue.
  tresult PLUGIN_API setComponentHandler(Steinberg::Vst::IComponentHandler* handler) override;
  /// Default: no view (nullptr).
  Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) override;

  // --- Edits reported to the host (the thread the edit happens on, usually the editor's; no
  // lock here: the caller's locks are held while the host runs) ---
  /// Forwarded to the component handler; kResultFalse when none is set.
  tresult beginEdit(ParamID id);
  tresult performEdit(ParamID id, ParamValue valueNormalized);
  tresult endEdit(ParamID id);
  /// The host's handler, or null. Not referenced for the caller.
  Steinberg::Vst::IComponentHandler* getComponentHandler() const { return componentHandler; }

  // --- Buses (host main thread, during initialize or setBusArrangements; lists own buses) ---
  Steinberg::Vst::AudioBus* addAudioInput(const TChar* name, SpeakerArrangement arr,
                                          BusType busType = Steinberg::Vst::kMain,
                                          int32 flags = Steinberg::Vst::BusInfo::kDefaultActive);
  Steinberg::Vst::AudioBus* addAudioOutput(const TChar* name, SpeakerArrangement arr,
                                           BusType busType = Steinberg::Vst::kMain,
                                           int32 flags = Steinberg::Vst::BusInfo::kDefaultActive);
  Steinberg::Vst::EventBus* addEventInput(const TChar* name, int32 channels = 16,
                                          BusType busType = Steinberg::Vst::kMain,
                                          int32 flags = Steinberg::Vst::BusInfo::kDefaultActive);
  void removeAudioBusses();
  void removeEventBusses();
  void removeAllBusses();
  /// The list for a media type and direction, or null for an unknown pair.
  Steinberg::Vst::BusList* getBusList(MediaType type, BusDirection dir);
  /// The audio bus at index of a direction, or null.
  Steinberg::Vst::AudioBus* getAudioBus(BusDirection dir, int32 index);

  // --- FUnknown: one reference count for all interfaces ---
  OBJ_METHODS(tarvo::vst3::SingleComponentEffect, Steinberg::Vst::ComponentBase)
  /// IComponent, IAudioProcessor, IEditController, IPluginBase, FUnknown here; IConnectionPoint
  /// and FObject through ComponentBase.
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  REFCOUNT_METHODS(Steinberg::Vst::ComponentBase)

protected:
  // State of the component (IComponent::getState/setState). Default: kNotImplemented.
  tresult getProcessorState(Steinberg::IBStream* state) override;
  tresult setProcessorState(Steinberg::IBStream* state) override;
  // State of the controller (IEditController::getState/setState). Default: kNotImplemented.
  tresult getEditorState(Steinberg::IBStream* state) override;
  tresult setEditorState(Steinberg::IBStream* state) override;

  /// The registered host parameters; Parameter objects added here are owned by the container.
  Steinberg::Vst::ParameterContainer parameters;
  /// The host's handler (referenced), or null.
  Steinberg::Vst::IComponentHandler* componentHandler = nullptr;
  /// The last setup accepted by setupProcessing (zeros before).
  Steinberg::Vst::ProcessSetup processSetup{};
  Steinberg::Vst::BusList audioInputs;
  Steinberg::Vst::BusList audioOutputs;
  Steinberg::Vst::BusList eventInputs;
  Steinberg::Vst::BusList eventOutputs;
};

} // namespace tarvo::vst3
