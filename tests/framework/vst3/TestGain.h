#pragma once
// "TestGain": the smallest plug-in on framework/vst3, used by the integration tests. It shows the
// shape IVST3Plugin takes: SingleComponentEffect for component, processor and controller, plus
// IUnitInfo answered in queryInterface.
//
// Parameters: "Gain" (id 0, dB, -24 … +24, default 0), "Bypass" (id 1, kIsBypass), "Program"
// (id 2, kIsProgramChange, programs "Unity" 0 dB, "Boost" +6 dB, "Cut" -6 dB in the program list
// 'prog' "Programs" of the root unit). Mono-to-mono or stereo-to-stereo; 32- and 64-bit samples.
// State (component and controller alike): the gain in dB as one little-endian double.

#include "framework/vst3/SingleComponentEffect.h"
#include "pluginterfaces/vst/ivstunits.h"

#include <cmath>

namespace tarvo::vst3::test
{

class TestGain : public Steinberg::Vst::IUnitInfo, public SingleComponentEffect
{
public:
  enum ParamIds : Steinberg::Vst::ParamID
  {
    kGainId = 0,
    kBypassId = 1,
    kProgramId = 2,
  };
  static constexpr Steinberg::Vst::ProgramListID kProgramListId = 0x70726f67; // 'prog'
  static constexpr int kNumPrograms = 3;
  static constexpr double kMinDb = -24.0;
  static constexpr double kMaxDb = 24.0;

  /// The factor the plug-in applies for a gain in dB (tests compute expectations with it).
  static double LinearGain(double db) { return std::pow(10.0, db / 20.0); }

  tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
  tresult PLUGIN_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                        SpeakerArrangement* outputs, int32 numOuts) override;
  tresult PLUGIN_API canProcessSampleSize(int32 symbolicSampleSize) override;
  tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;

  // --- IUnitInfo: one root unit with one program list ---
  int32 PLUGIN_API getUnitCount() override { return 1; }
  tresult PLUGIN_API getUnitInfo(int32 unitIndex, Steinberg::Vst::UnitInfo& info) override;
  int32 PLUGIN_API getProgramListCount() override { return 1; }
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
  tresult PLUGIN_API getUnitByBus(MediaType, BusDirection, int32, int32,
                                  Steinberg::Vst::UnitID&) override
  {
    return Steinberg::kNotImplemented;
  }
  tresult PLUGIN_API setUnitProgramData(int32, int32, Steinberg::IBStream*) override
  {
    return Steinberg::kNotImplemented;
  }

  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  REFCOUNT_METHODS(SingleComponentEffect)

  double GainDb() const;
  bool IsBypassed() const;

protected:
  tresult WriteState(Steinberg::IBStream* state);
  tresult ReadState(Steinberg::IBStream* state);
  tresult getProcessorState(Steinberg::IBStream* state) override { return WriteState(state); }
  tresult setProcessorState(Steinberg::IBStream* state) override { return ReadState(state); }
  tresult getEditorState(Steinberg::IBStream* state) override { return WriteState(state); }
  tresult setEditorState(Steinberg::IBStream* state) override { return ReadState(state); }

private:
  void ApplyChange(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value);
  template <typename Sample>
  void Render(Sample** in, Sample** out, int32 channels, int32 frames, double gain);
};

/// TestGain as a split plug-in, to exercise hosts' other path: the processor is no edit
/// controller and names its controller class; the controller is a separate instance that learns
/// the processor's state through setComponentState.
class TestGainSplitProcessor : public TestGain
{
public:
  static const Steinberg::TUID& ControllerClassId();
  tresult PLUGIN_API getControllerClassId(Steinberg::TUID classId) override;
  tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
};

class TestGainSplitController : public TestGain
{
public:
  tresult PLUGIN_API setComponentState(Steinberg::IBStream* state) override
  {
    return ReadState(state);
  }
};

} // namespace tarvo::vst3::test
