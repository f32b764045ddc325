// "TestNotes": the smallest plug-in on IVST3Plugin that takes MIDI, in a bundle of its own. It
// shows what the binding hands ProcessMidiMsg: each note-on writes note + velocity / 1000 into
// every output at the note's sample offset, each note-off writes -note; every other sample is 0.
#include "framework/vst3/IVST3Plugin.h"
#include "framework/vst3/Module.h"

namespace
{
class TestNotes final : public IVST3Plugin
{
public:
  TestNotes()
      : IVST3Plugin(IInstanceInfo(), 0, "1-1 2-2", 0, "TestNotes", "", "Tarvo Tests", 0x00010000,
                    FourCC("TNte"), FourCC("Trvt"), 0, true, false, false, 0)
  {
  }

  void ProcessMidiMsg(IMidiMsg* msg) override
  {
    if (mCount < kMaxNotes) mNotes[mCount++] = *msg;
  }

  void ProcessDoubleReplacing(double**, double** outputs, int nFrames) override
  {
    for (int c = 0; c < NOutChannels(); ++c)
      for (int i = 0; i < nFrames; ++i)
        outputs[c][i] = 0.0;
    for (int k = 0; k < mCount; ++k)
    {
      const IMidiMsg& m = mNotes[k];
      const double mark = m.StatusMsg() == IMidiMsg::kNoteOn
                              ? m.NoteNumber() + m.Velocity() / 1000.0
                              : -static_cast<double>(m.NoteNumber());
      if (m.mOffset >= 0 && m.mOffset < nFrames)
        for (int c = 0; c < NOutChannels(); ++c)
          outputs[c][m.mOffset] = mark;
    }
    mCount = 0;
  }

private:
  static constexpr int kMaxNotes = 64;
  IMidiMsg mNotes[kMaxNotes];
  int mCount = 0;
};
} // namespace

void tarvo::vst3::DescribeModule(ModuleDescription& module)
{
  module.factoryInfo =
      Steinberg::PFactoryInfo("Tarvo Tests", "https://example.invalid/tarvo",
                              "mailto:tests@example.invalid", Steinberg::PFactoryInfo::kUnicode);
  module.AddClass(Steinberg::PClassInfo2(MakeClassId(FourCC("Trvt"), FourCC("TNte")).data(),
                                         Steinberg::PClassInfo::kManyInstances,
                                         kVstAudioEffectClass, "TestNotes",
                                         Steinberg::Vst::kSimpleModeSupported, "Fx|Tools", "",
                                         "1.0.0", kVstVersionString),
                  &CreateInstance<TestNotes>);
}
