#pragma once
// One plug-in instance hosted as a DAW hosts it: the component created through the factory and
// initialised with our host application; its edit controller either the same object (a
// single-component plug-in, like ours) or a separate class created through the factory,
// initialised, connected through IConnectionPoint and given the component's state; our
// component handler set on the controller.
//
// Parameter changes are sent both ways a DAW sends them: to the controller (setParamNormalized)
// and, queued, to the processor in the next process call (as the block's input parameter
// changes, at sample offset 0).

#include "tools/vst3host/hosting/HostServices.h"
#include "tools/vst3host/hosting/PluginModule.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarvo::vst3host
{

struct BusDescription
{
  Steinberg::Vst::BusInfo info{};
  std::string name;
  Steinberg::Vst::SpeakerArrangement arrangement = 0; // audio buses only
};

struct ParameterDescription
{
  Steinberg::Vst::ParameterInfo info{};
  std::string title;
  std::string shortTitle;
  std::string units;
};

struct UnitDescription
{
  Steinberg::Vst::UnitInfo info{};
  std::string name;
};

struct ProgramListDescription
{
  Steinberg::Vst::ProgramListInfo info{};
  std::string name;
  std::vector<std::string> programs;
};

class PluginInstance
{
public:
  /// Creates and initialises an instance of the class named className, or of the module's first
  /// class of category "Audio Module Class" when className is empty. Null with a reason in error
  /// on failure. The module must outlive the instance. A run loop given is offered through the
  /// host application (as some hosts do besides the plug frame).
  ///
  /// Every call below that enters the plug-in is made inside a HostCallScope.
  static std::unique_ptr<PluginInstance> Create(PluginModule& module, std::string& error,
                                                const std::string& className = {},
                                                ComponentHandler::Observer observer = {},
                                                Steinberg::Linux::IRunLoop* runLoop = nullptr);
  ~PluginInstance();

  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  Steinberg::Vst::IComponent* Component() const { return mComponent; }
  Steinberg::Vst::IAudioProcessor* Processor() const { return mProcessor; }
  Steinberg::Vst::IEditController* Controller() const { return mController; }
  /// The controller's IUnitInfo, or null.
  Steinberg::Vst::IUnitInfo* Units() const { return mUnitInfo; }
  bool IsSingleComponent() const { return mSingleComponent; }
  const ClassDescription& Class() const { return mClass; }
  ComponentHandler& Handler() { return *mHandler; }

  // --- What the plug-in declares ---
  std::vector<BusDescription> Buses(Steinberg::Vst::MediaType type,
                                    Steinberg::Vst::BusDirection dir) const;
  std::vector<ParameterDescription> Parameters() const;
  std::vector<UnitDescription> UnitList() const;
  /// Every program list the controller describes. Lenient: a plug-in that reports no program
  /// list but describes list 0 (Tarvo does) still has its lists read, index by index
  /// until a description fails.
  std::vector<ProgramListDescription> ProgramLists() const;

  /// The parameter with this title (exact, else ignoring case), else the one whose ID is the
  /// given decimal number.
  std::optional<ParameterDescription> FindParameter(const std::string& titleOrId) const;
  /// The first parameter carrying the flag (kIsProgramChange, kIsBypass).
  std::optional<ParameterDescription> FindParameterWithFlag(Steinberg::int32 flag) const;
  /// The program list that belongs to a program-change parameter: the list with the parameter's
  /// ID, else the program list of the parameter's unit, else the first list.
  std::optional<ProgramListDescription> ProgramListFor(const ParameterDescription& param) const;

  // --- Processing set-up (inactive) ---
  /// Main buses of `channels` channels (1 or 2) in and out (setBusArrangements; other buses keep
  /// their arrangement), activates the default-active buses, setupProcessing. False with a reason
  /// when the plug-in refuses.
  bool Configure(int channels, double sampleRate, Steinberg::int32 maxBlockSize,
                 Steinberg::int32 sampleSize, Steinberg::int32 processMode, std::string& error);
  /// setActive and setProcessing.
  bool SetActive(bool active);
  int Channels() const { return mChannels; }

  // --- Parameters ---
  /// Sets the controller's value and queues the change for the next process call.
  void SetParameter(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue normalized);
  /// The controller's value only (setParamNormalized) / its read-back (getParamNormalized).
  Steinberg::tresult SetControllerValue(Steinberg::Vst::ParamID id,
                                        Steinberg::Vst::ParamValue normalized);
  Steinberg::Vst::ParamValue ControllerValue(Steinberg::Vst::ParamID id);
  /// Queues a point for the next process call only.
  void QueueChange(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue normalized,
                   Steinberg::int32 sampleOffset = 0);

  /// Queues an input event for the next process call.
  void QueueEvent(const Steinberg::Vst::Event& event);

  // --- Processing (active). Buffers are planar, Channels() channels of `frames` samples. ---
  Steinberg::tresult Process(float* const* in, float* const* out, Steinberg::int32 frames);
  Steinberg::tresult Process(double* const* in, double* const* out, Steinberg::int32 frames);
  /// A process call of zero samples that delivers the queued parameter changes.
  Steinberg::tresult Flush();

  // --- State ---
  Steinberg::tresult GetComponentState(std::vector<std::uint8_t>& bytes);
  Steinberg::tresult GetControllerState(std::vector<std::uint8_t>& bytes);
  /// component->setState; for a split plug-in also the controller's setComponentState.
  Steinberg::tresult SetComponentState(const std::vector<std::uint8_t>& bytes);
  Steinberg::tresult SetControllerState(const std::vector<std::uint8_t>& bytes);

private:
  PluginInstance() = default;
  template <typename Sample>
  Steinberg::tresult ProcessBlock(Sample* const* in, Sample* const* out, Steinberg::int32 frames);
  void PrepareBusBuffers();

  struct BusBuffers
  {
    int channels = 0;
    std::vector<std::vector<float>> scratch32;
    std::vector<std::vector<double>> scratch64;
    std::vector<float*> pointers32;
    std::vector<double*> pointers64;
  };

  PluginModule* mModule = nullptr;
  ClassDescription mClass;
  HostApplication* mHost = nullptr;
  ComponentHandler* mHandler = nullptr;
  Steinberg::Vst::IComponent* mComponent = nullptr;
  Steinberg::Vst::IAudioProcessor* mProcessor = nullptr;
  Steinberg::Vst::IEditController* mController = nullptr;
  Steinberg::Vst::IUnitInfo* mUnitInfo = nullptr;
  Steinberg::Vst::IConnectionPoint* mComponentConnection = nullptr;
  Steinberg::Vst::IConnectionPoint* mControllerConnection = nullptr;
  bool mSingleComponent = false;
  bool mControllerInitialized = false;
  bool mComponentInitialized = false;
  bool mActive = false;

  int mChannels = 2;
  Steinberg::Vst::ProcessSetup mSetup{};
  std::vector<BusBuffers> mInputBuses;
  std::vector<BusBuffers> mOutputBuses;
  std::vector<Steinberg::Vst::AudioBusBuffers> mInputs;
  std::vector<Steinberg::Vst::AudioBusBuffers> mOutputs;
  ParameterChanges* mInputChanges = nullptr;
  ParameterChanges* mOutputChanges = nullptr;
  EventList* mInputEvents = nullptr;
  Steinberg::Vst::ProcessContext mContext{};
};

} // namespace tarvo::vst3host
