#pragma once
// The plug-in object as a VST 3 single-component effect: audio processor and edit controller in
// one, answering IUnitInfo too. It turns framework parameters into host parameters, host blocks
// into framework blocks, and keeps state in the host's stream. The logic stays in IAudioPlugin;
// this class checks what the host hands it and forwards.

#include <atomic>
#include <vector>

#include "framework/core/IAudioPlugin.h"
#include "framework/vst3/SingleComponentEffect.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/ivstunits.h"

class IVST3View;
class DeferredRestart;

class IVST3Plugin : public IAudioPlugin,
                    public Steinberg::Vst::IUnitInfo,
                    public tarvo::vst3::SingleComponentEffect
{
public:
  static constexpr Steinberg::Vst::ParamID kPresetParam = 0x70727374; // 'prst'
  static constexpr Steinberg::Vst::ParamID kBypassParam = 0x62706173; // 'bpas'

  IVST3Plugin(IInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
              const char* effectName, const char* productName, const char* mfrName,
              int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
              bool plugDoesChunks, bool plugIsInst, int nSideChainChans);
  ~IVST3Plugin() override;

  // ---- IPluginBase (main thread) ----
  tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
  tresult PLUGIN_API terminate() override;

  // ---- IAudioProcessor ----
  // Main thread, inactive.
  tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs, int32 numIns,
                                        Steinberg::Vst::SpeakerArrangement* outputs,
                                        int32 numOuts) override;
  tresult PLUGIN_API canProcessSampleSize(int32 symbolicSampleSize) override;
  // Main thread, inactive; takes the instance mutex.
  tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
  tresult PLUGIN_API setActive(TBool state) override;
  // Audio thread; takes the instance mutex for the whole call. Allocates nothing.
  tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;
  uint32 PLUGIN_API getLatencySamples() override { return static_cast<uint32>(GetLatency()); }
  uint32 PLUGIN_API getTailSamples() override { return 0; }

  // ---- IEditController (main thread) ----
  // A framework parameter is set under the instance mutex. 'bpas' stores the controller's
  // bypass value (the audio follows the value's parameter queue). 'prst' is the controller's half
  // of a host's program change: the preset is recalled at once and the host is told, later and
  // from its run loop, that every value changed.
  tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) override;
  // No lock for single values (they are atomic); 'prst' reads the current slot under the mutex.
  ParamValue PLUGIN_API getParamNormalized(ParamID id) override;
  tresult PLUGIN_API setComponentHandler(Steinberg::Vst::IComponentHandler* handler) override;
  ParamValue PLUGIN_API plainParamToNormalized(ParamID id, ParamValue plainValue) override;
  tresult PLUGIN_API getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                           Steinberg::Vst::String128 string) override;
  Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) override;

  // ---- IUnitInfo (main thread) ----
  int32 PLUGIN_API getUnitCount() override;
  tresult PLUGIN_API getUnitInfo(int32 unitIndex, Steinberg::Vst::UnitInfo& info) override;
  int32 PLUGIN_API getProgramListCount() override;
  tresult PLUGIN_API getProgramListInfo(int32 listIndex,
                                        Steinberg::Vst::ProgramListInfo& info) override;
  tresult PLUGIN_API getProgramName(Steinberg::Vst::ProgramListID listId, int32 programIndex,
                                    Steinberg::Vst::String128 name) override;
  tresult PLUGIN_API getProgramInfo(Steinberg::Vst::ProgramListID, int32, Steinberg::Vst::CString,
                                    Steinberg::Vst::String128) override
  {
    return Steinberg::kNotImplemented;
  }
  tresult PLUGIN_API hasProgramPitchNames(Steinberg::Vst::ProgramListID, int32) override
  {
    return Steinberg::kNotImplemented;
  }
  tresult PLUGIN_API getProgramPitchName(Steinberg::Vst::ProgramListID, int32, Steinberg::int16,
                                         Steinberg::Vst::String128) override
  {
    return Steinberg::kNotImplemented;
  }
  Steinberg::Vst::UnitID PLUGIN_API getSelectedUnit() override { return 0; }
  tresult PLUGIN_API selectUnit(Steinberg::Vst::UnitID) override
  {
    return Steinberg::kNotImplemented;
  }
  tresult PLUGIN_API getUnitByBus(Steinberg::Vst::MediaType, Steinberg::Vst::BusDirection, int32,
                                  int32, Steinberg::Vst::UnitID&) override
  {
    return Steinberg::kNotImplemented;
  }
  tresult PLUGIN_API setUnitProgramData(int32, int32, Steinberg::IBStream*) override
  {
    return Steinberg::kNotImplemented;
  }

  // ---- FUnknown: every interface shares the SDK object's counter ----
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  uint32 PLUGIN_API addRef() override { return SingleComponentEffect::addRef(); }
  uint32 PLUGIN_API release() override { return SingleComponentEffect::release(); }
  OBJ_METHODS(IVST3Plugin, tarvo::vst3::SingleComponentEffect)

  // ---- Framework operations the binding provides ----
  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalizedValue) override;
  void EndInformHostOfParamChange(int idx) override;
  void InformHostOfProgramChange() override {}
  bool IsRenderingOffline() override;
  int GetSamplePos() override;
  double GetTempo() override;
  void GetTimeSig(int* numerator, int* denominator) override;
  void GetTime(ITimeInfo* timeInfo) override;
  // Main thread: the first open view asks the host's frame for the new size.
  void ResizeGraphics(int w, int h) override;
  void SetLatency(int samples) override;
  bool SendMidiMsg(IMidiMsg*) override { return false; }
  void PopupHostContextMenuForParam(int idx, int x, int y) override;

  // The open editor views, in creation order (not owned): createView adds each, and a view
  // removes itself when destroyed. The first one carries resizes and host context menus.
  void AddView(IVST3View* view);
  void RemoveView(Steinberg::IPlugView* view);
  size_t NViews() const { return mViews.size(); }
  // A view's plug frame was set (null: taken away); its run loop, when it offers one, may carry
  // the deferred restarts.
  void ViewFrameChanged(Steinberg::IPlugView* view, Steinberg::IPlugFrame* frame);
  // restartComponent flags waiting for the host's run loop.
  Steinberg::int32 PendingRestartFlags() const;

protected:
  // Host state: the controller's stream, and (so that hosts saving only the component keep the
  // sound) the component's, both the same bytes. Main thread; take the instance mutex.
  tresult getEditorState(Steinberg::IBStream* state) override;
  tresult setEditorState(Steinberg::IBStream* state) override;
  tresult getProcessorState(Steinberg::IBStream* state) override { return getEditorState(state); }
  tresult setProcessorState(Steinberg::IBStream* state) override { return setEditorState(state); }

private:
  void ApplyParameterChanges(Steinberg::Vst::IParameterChanges* changes);
  // Hands the note-ons and note-offs whose offsets (held into 0 … last) fall into from … to-1
  // to ProcessMidiMsg, with offsets counted from `from`.
  void ApplyEvents(Steinberg::Vst::IEventList* events, int from, int to, int last);
  template <class Sample> void ProcessAudio(Steinberg::Vst::ProcessData& data);
  template <class Sample>
  void ConnectAndAttach(Steinberg::Vst::ProcessData& data, int offset, int nFrames);
  void RebuildBus(Steinberg::Vst::BusDirection dir, int index, int nChans, const char* name,
                  Steinberg::Vst::BusType type, int32 flags);

  // The slot a normalised 'prst' value names.
  int ProgramIndex(double value) const { return TruncToInt(NPresets() * value + 0.0); }

  int mSideChainChans;
  bool mSideChainIsConnected = false;
  DeferredRestart* mRestart; // referenced
  // The controller's values of the host bypass and program parameters. Written on the UI thread
  // and (from parameter queues) on the audio thread.
  std::atomic<double> mBypassValue{0.0};
  std::atomic<double> mProgramValue{-1.0};
  std::vector<Steinberg::IPlugView*> mViews;
  Steinberg::Vst::ProcessContext mProcessContext{};
};

// A channel count (1 to 6) as a VST 3 speaker arrangement; 0 for any other count.
Steinberg::Vst::SpeakerArrangement GetSpeakerArrForChans(int nChans);
