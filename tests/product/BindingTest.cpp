// The instance as a host sees it: parameters, units, programs, state, buses and queues.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "Harness.h"
#include "pluginterfaces/base/ustring.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
std::string Ascii(const TChar* s)
{
  char out[128];
  UString(const_cast<TChar*>(s), 128).toAscii(out, 128);
  return out;
}

// Counts restartComponent calls.
struct Handler : IComponentHandler
{
  int restarts = 0;
  tresult PLUGIN_API beginEdit(ParamID) override { return kResultOk; }
  tresult PLUGIN_API performEdit(ParamID, ParamValue) override { return kResultOk; }
  tresult PLUGIN_API endEdit(ParamID) override { return kResultOk; }
  tresult PLUGIN_API restartComponent(int32) override
  {
    ++restarts;
    return kResultOk;
  }
  tresult PLUGIN_API queryInterface(const TUID, void** obj) override
  {
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return 1; }
  uint32 PLUGIN_API release() override { return 1; }
} gHandler;
} // namespace

TEST(Binding, HostParametersInOrderWithFlagsAndUnits)
{
  Host h;
  ASSERT_EQ(41, h.plug->getParameterCount());
  ParameterInfo info{};
  h.plug->getParameterInfo(0, info);
  EXPECT_EQ("Preset", Ascii(info.title));
  EXPECT_EQ(IVST3Plugin::kPresetParam, info.id);
  EXPECT_EQ(32, info.stepCount);
  EXPECT_EQ(ParameterInfo::kIsProgramChange, info.flags);
  h.plug->getParameterInfo(1, info);
  EXPECT_EQ("Bypass", Ascii(info.title));
  EXPECT_EQ(IVST3Plugin::kBypassParam, info.id);
  EXPECT_EQ(1, info.stepCount);
  EXPECT_EQ(ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsBypass,
            info.flags);

  struct Want
  {
    int idx;
    const char* title;
    const char* units;
    int steps;
    int unit;
  };
  for (const Want& w : {Want{0, "Gain 1", "dB", 0, 1}, Want{15, "Frequency 8", "Hz", 0, 2},
                        Want{16, "Bandwidth 1", "", 1, 0}, Want{31, "Bypass 8", "", 1, 0},
                        Want{32, "Input Gain", "dB", 0, 3}, Want{34, "Bypass", "", 1, 0},
                        // Mix sits at 100 % ("Wet") when registered, and a word carries no unit.
                        Want{38, "Mix", "", 0, 3}})
  {
    h.plug->getParameterInfo(w.idx + 2, info);
    EXPECT_EQ(static_cast<ParamID>(w.idx), info.id);
    EXPECT_EQ(w.title, Ascii(info.title));
    EXPECT_EQ(w.units, Ascii(info.units)) << w.title;
    EXPECT_EQ(w.steps, info.stepCount) << w.title;
    EXPECT_EQ(w.unit, info.unitId) << w.title;
    EXPECT_EQ(ParameterInfo::kCanAutomate, info.flags);
  }
  h.plug->getParameterInfo(2 + kFrequency1, info);
  EXPECT_DOUBLE_EQ(1.0, info.defaultNormalizedValue);
  h.plug->getParameterInfo(2 + kMix, info);
  EXPECT_DOUBLE_EQ(0.5, info.defaultNormalizedValue);

  String128 text;
  EXPECT_EQ(kResultOk, h.plug->getParamStringByValue(kInputGain, 0.0, text));
  EXPECT_EQ("-inf.", Ascii(text));
  h.plug->getParamStringByValue(kMix, 0.5, text);
  EXPECT_EQ("50.0", Ascii(text));
  EXPECT_EQ(kResultFalse, h.plug->getParamStringByValue(IVST3Plugin::kBypassParam, 0, text));
  EXPECT_EQ(kResultFalse, h.plug->getParamStringByValue(IVST3Plugin::kPresetParam, 0, text));
  ParamValue v = 0;
  EXPECT_EQ(kResultOk, h.plug->getParamValueByString(kMix, const_cast<TChar*>(STR16("25 %")), v));
  EXPECT_DOUBLE_EQ(0.25, v);
  EXPECT_DOUBLE_EQ(1000.0, h.plug->normalizedParamToPlain(
                               kFrequency1, h.plug->plainParamToNormalized(kFrequency1, 1000.0)));
}

TEST(Binding, UnitsAndTheProgramList)
{
  Host h;
  ASSERT_EQ(4, h.plug->getUnitCount());
  UnitInfo unit{};
  const char* names[] = {"Root Unit", "EQ Gain", "EQ Frenquency", "Amp"};
  for (int i = 0; i < 4; ++i)
  {
    ASSERT_EQ(kResultOk, h.plug->getUnitInfo(i, unit));
    EXPECT_EQ(names[i], Ascii(unit.name));
    EXPECT_EQ(i == 0 ? kNoParentUnitId : 0, unit.parentUnitId);
  }
  EXPECT_EQ(kResultFalse, h.plug->getUnitInfo(4, unit));
  ProgramListInfo list{};
  ASSERT_EQ(kResultOk, h.plug->getProgramListInfo(0, list));
  EXPECT_EQ("Factory Presets", Ascii(list.name));
  EXPECT_EQ(32, list.programCount);
  String128 name;
  h.plug->getProgramName(list.id, 0, name);
  EXPECT_EQ("Default", Ascii(name));
  h.plug->getProgramName(list.id, 3, name);
  EXPECT_EQ("Massiv Kick", Ascii(name));
  h.plug->getProgramName(list.id, 14, name);
  EXPECT_EQ("Bass Sclupt", Ascii(name));
  h.plug->getProgramName(list.id, 24, name);
  EXPECT_EQ("User Preset", Ascii(name));
  EXPECT_EQ(kResultFalse, h.plug->getProgramName(42, 0, name));
}

TEST(Binding, AfterConstructionTheEngineHoldsDefault)
{
  Tarvo* t = new Tarvo();
  EXPECT_EQ(0, t->GetCurrentPresetIdx());
  EXPECT_EQ(1.0, t->GetMixTarget()); // "Default" mixes 100 %, the parameter's default is 50 %
  double mix = 0;
  t->GetPreset(24)->mChunk.Get(&mix, kMix * 8);
  EXPECT_EQ(50.0, mix);
  t->OnParamChange(39);
  t->OnParamChange(-1);
  EXPECT_EQ(1.0, t->GetMixTarget());
  t->release();
}

TEST(Binding, StateStreamIs316BytesAndRestoresEitherWay)
{
  Host a;
  a.Set(kGain1 + 2, 7.5);
  a.Set(kMix, 30.0);
  Changes bypass;
  bypass.Add(IVST3Plugin::kBypassParam, {1.0});
  a.Run(Sine(100, 48000, 4), &bypass);
  const auto full = a.GetState();
  ASSERT_GT(full.size(), 316u); // the browser's slots follow
  EXPECT_EQ(1, full[312]);
  EXPECT_EQ(full, a.GetState(true));
  // What a reader that knows no tail sees, and what projects saved before hold.
  const std::vector<char> state(full.begin(), full.begin() + 316);

  for (bool component : {false, true})
  {
    Host b;
    EXPECT_EQ(kResultOk, b.SetState(state, component));
    EXPECT_EQ(kResultOk, b.SetState(state, component)); // restoring twice is harmless
    EXPECT_DOUBLE_EQ(7.5, b.plug->GetParam(kGain1 + 2)->Value());
    EXPECT_DOUBLE_EQ(0.3, b.plug->GetMixTarget());
    EXPECT_EQ(1.0, b.plug->getParamNormalized(IVST3Plugin::kBypassParam));
    EXPECT_EQ(0.0, b.plug->getParamNormalized(IVST3Plugin::kPresetParam));
  }

  // Without the bypass word: parameters restored, flag kept, kResultFalse.
  Host c;
  EXPECT_EQ(kResultFalse, c.SetState(std::vector<char>(state.begin(), state.begin() + 312)));
  EXPECT_DOUBLE_EQ(7.5, c.plug->GetParam(kGain1 + 2)->Value());
  EXPECT_EQ(0.0, c.plug->getParamNormalized(IVST3Plugin::kBypassParam));
}

TEST(Binding, StreamsTooShortForEveryValueRestoreNothing)
{
  Host a;
  a.Set(kGain1, 9.0);
  const auto state = a.GetState();
  Host d;
  d.Set(kMix, 80.0);
  const auto before = d.GetState();
  for (size_t n : std::vector<size_t>{0, 24, 96, 311})
  {
    EXPECT_EQ(kResultFalse, d.SetState(std::vector<char>(state.begin(), state.begin() + n))) << n;
    EXPECT_EQ(before, d.GetState()) << n;
  }
  EXPECT_DOUBLE_EQ(80.0, d.plug->GetParam(kMix)->Value());
  EXPECT_DOUBLE_EQ(0.0, d.plug->GetParam(kGain1)->Value());
}

// A stream that hands out its bytes, at most `most` per read, and then fails.
struct FailingStream : IBStream
{
  std::vector<char> bytes;
  size_t pos = 0;
  size_t most = 1 << 20;
  tresult PLUGIN_API read(void* buffer, int32 n, int32* read) override
  {
    const size_t give = std::min({static_cast<size_t>(n), bytes.size() - pos, most});
    std::memcpy(buffer, bytes.data() + pos, give);
    pos += give;
    if (read) *read = static_cast<int32>(give);
    return give > 0 ? kResultOk : kInternalError;
  }
  tresult PLUGIN_API write(void*, int32, int32*) override { return kResultFalse; }
  tresult PLUGIN_API seek(int64, int32, int64*) override { return kResultFalse; }
  tresult PLUGIN_API tell(int64*) override { return kResultFalse; }
  tresult PLUGIN_API queryInterface(const TUID, void** obj) override
  {
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return 1; }
  uint32 PLUGIN_API release() override { return 1; }
};

TEST(Binding, AStreamThatFailsBeforeEveryValueRestoresNothing)
{
  Host a;
  a.Set(kGain1, 9.0);
  FailingStream s;
  s.bytes = a.GetState();
  s.bytes.resize(200);
  Host b;
  const auto before = b.GetState();
  EXPECT_EQ(kResultFalse, static_cast<IEditController*>(b.plug)->setState(&s));
  EXPECT_EQ(before, b.GetState());

  // A whole state handed out in small reads is a whole state.
  FailingStream dribble;
  dribble.bytes = a.GetState();
  dribble.most = 7;
  EXPECT_EQ(kResultOk, static_cast<IEditController*>(b.plug)->setState(&dribble));
  EXPECT_EQ(a.GetState(), b.GetState());
}

TEST(Binding, AReopenedProjectShowsTheChosenSlotAndKeepsUserSlots)
{
  Host a;
  // A user slot saved with the browser, then "Massiv Kick" chosen and its 65 Hz band reloaded as
  // a host hands values back (through normalised floats).
  a.plug->RestorePreset(24);
  a.Set(kGain1, 4.0);
  a.plug->ModifyCurrentPreset("My Kick");
  a.plug->RestorePreset("Massiv Kick");
  const auto state = a.GetState();

  Host b;
  EXPECT_EQ(kResultOk, b.SetState(state));
  EXPECT_EQ(3, b.plug->GetCurrentPresetIdx());
  EXPECT_STREQ("Massiv Kick", b.plug->GetPresetName(3));
  EXPECT_STREQ("My Kick", b.plug->GetPresetName(24));
  EXPECT_DOUBLE_EQ(3.0 / 32, b.plug->getParamNormalized(IVST3Plugin::kPresetParam));
  EXPECT_EQ(a.plug->GetPreset(24)->mChunk.Size(), b.plug->GetPreset(24)->mChunk.Size());
  EXPECT_TRUE(a.plug->GetPreset(24)->mChunk.IsEqual(b.plug->GetPreset(24)->mChunk));
  String128 text;
  int band65 = -1;
  for (int i = kFrequency1; i < kFrequency1 + 8; ++i)
    if (std::fabs(b.plug->GetParam(i)->Value() - 65.0) < 0.01) band65 = i;
  ASSERT_GE(band65, 0);
  const double sent = static_cast<float>(b.plug->getParamNormalized(band65));
  b.plug->getParamStringByValue(band65, sent, text);
  EXPECT_EQ("65", Ascii(text));

  // The 316 bytes alone: values as saved, this instance's own slots and slot kept.
  Host c;
  c.plug->RestorePreset(5);
  EXPECT_EQ(kResultOk, c.SetState(std::vector<char>(state.begin(), state.begin() + 316)));
  EXPECT_EQ(5, c.plug->GetCurrentPresetIdx());
  EXPECT_STREQ("User Preset", c.plug->GetPresetName(24));
  EXPECT_DOUBLE_EQ(a.plug->GetParam(kGain1)->Value(), c.plug->GetParam(kGain1)->Value());
}

TEST(Binding, ADamagedSlotTailChangesNoSlot)
{
  Host a;
  a.plug->RestorePreset(24);
  a.plug->ModifyCurrentPreset("Mine");
  const auto state = a.GetState();
  std::vector<std::vector<char>> damaged;
  for (size_t at :
       std::vector<size_t>{316, 320, 324, 328, 332, 340, state.size() / 2, state.size() - 1})
  {
    auto d = state;
    d[at] ^= 0x5A;
    damaged.push_back(d);
  }
  damaged.emplace_back(state.begin(), state.end() - 1); // cut short
  auto longer = state;
  longer.push_back(0); // a byte more than the tail says is not ours to read: still restored
  for (const auto& d : damaged)
  {
    Host b;
    b.plug->RestorePreset(7);
    EXPECT_EQ(kResultOk, b.SetState(d));
    EXPECT_EQ(7, b.plug->GetCurrentPresetIdx());
    EXPECT_STREQ("User Preset", b.plug->GetPresetName(24));
    EXPECT_STREQ("Massiv Kick", b.plug->GetPresetName(3));
  }
  Host e;
  EXPECT_EQ(kResultOk, e.SetState(longer));
  EXPECT_STREQ("Mine", e.plug->GetPresetName(24));
}

TEST(Binding, HostBypassAndProgramStickInTheController)
{
  Host h;
  h.plug->setComponentHandler(&gHandler);
  gHandler.restarts = 0;
  EXPECT_EQ(kResultOk, h.plug->setParamNormalized(IVST3Plugin::kBypassParam, 1.0));
  EXPECT_EQ(1.0, h.plug->getParamNormalized(IVST3Plugin::kBypassParam));
  // The audio follows the parameter queue, not the controller.
  const auto in = Sine(1000, 48000, 64);
  h.Set(kGain1, 12.0);
  EXPECT_NE(in, h.Run(in));
  EXPECT_EQ(kResultOk, h.plug->setParamNormalized(IVST3Plugin::kBypassParam, 0.0));
  EXPECT_EQ(0.0, h.plug->getParamNormalized(IVST3Plugin::kBypassParam));

  // A program change from the host's own list: values current at once, the host told later.
  EXPECT_EQ(kResultOk, h.plug->setParamNormalized(IVST3Plugin::kPresetParam, 3.0 / 32));
  EXPECT_DOUBLE_EQ(3.0 / 32, h.plug->getParamNormalized(IVST3Plugin::kPresetParam));
  EXPECT_EQ(3, h.plug->GetCurrentPresetIdx());
  Host ref;
  ref.plug->RestorePreset(3);
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_EQ(ref.plug->getParamNormalized(i), h.plug->getParamNormalized(i)) << i;
  EXPECT_EQ(0, gHandler.restarts); // never inside the host's call
  EXPECT_EQ(kParamValuesChanged, h.plug->PendingRestartFlags());

  // The same change arriving in the next block's queue is not recalled again: an edit made
  // in between survives.
  h.Set(kGain1, 5.0);
  Changes same;
  same.Add(IVST3Plugin::kPresetParam, {3.0 / 32});
  h.Run(Sine(100, 48000, 4), &same);
  EXPECT_DOUBLE_EQ(5.0, h.plug->GetParam(kGain1)->Value());
  // The editor choosing another slot moves the host's program value along.
  h.plug->RestorePreset(9);
  EXPECT_DOUBLE_EQ(9.0 / 32, h.plug->getParamNormalized(IVST3Plugin::kPresetParam));
  EXPECT_EQ(kResultOk, h.plug->setParamNormalized(IVST3Plugin::kPresetParam, 1.0));
  EXPECT_EQ(9, h.plug->GetCurrentPresetIdx()); // slot 32 does not exist
  h.plug->setComponentHandler(nullptr);
}

TEST(Binding, QueuesApplyTheirLastPointOnly)
{
  Host h;
  Changes c;
  c.Add(kGain1, {h.plug->GetParam(kGain1)->GetNormalized(3.0), 0.9,
                 h.plug->GetParam(kGain1)->GetNormalized(-6.0)});
  c.Add(IVST3Plugin::kPresetParam, {0.5}); // 32 × 0.5: preset 16
  c.Add(1000, {0.7});                      // not ours: ignored
  h.Run(Sine(100, 48000, 8), &c);
  EXPECT_EQ(16, h.plug->GetCurrentPresetIdx());

  Changes g;
  g.Add(kGain1, {0.9, h.plug->GetParam(kGain1)->GetNormalized(-6.0)});
  h.Run(Sine(100, 48000, 8), &g);
  EXPECT_DOUBLE_EQ(-6.0, h.plug->GetParam(kGain1)->Value());
  EXPECT_DOUBLE_EQ(-6.0 + 0.34, h.plug->GetBand(0).peakGain);

  Changes none;
  none.Add(IVST3Plugin::kPresetParam, {1.0}); // preset 32 does not exist
  h.Run(Sine(100, 48000, 8), &none);
  EXPECT_EQ(16, h.plug->GetCurrentPresetIdx());
}

TEST(Binding, HostBypassPassesAudioThroughAbove05)
{
  Host h;
  h.Set(kGain1, 12.0);
  h.Set(kFrequency1, 1000.0);
  const auto in = Sine(1000, 48000, 256);
  Changes half;
  half.Add(IVST3Plugin::kBypassParam, {0.5});
  EXPECT_NE(in, h.Run(in, &half));
  Changes over;
  over.Add(IVST3Plugin::kBypassParam, {0.51});
  EXPECT_EQ(in, h.Run(in, &over));
  EXPECT_EQ(1, h.GetState()[312]);
}

TEST(Binding, BusArrangements)
{
  Host h;
  SpeakerArrangement mono = SpeakerArr::kMono, stereo = SpeakerArr::kStereo;
  EXPECT_EQ(kResultFalse, h.plug->setBusArrangements(&mono, 1, &stereo, 1));
  EXPECT_EQ(kResultTrue, h.plug->setBusArrangements(&mono, 1, &mono, 1));
  BusInfo bus{};
  h.plug->getBusInfo(kAudio, kInput, 0, bus);
  EXPECT_EQ(1, bus.channelCount);
  EXPECT_EQ("Input", Ascii(bus.name));
  EXPECT_EQ(kResultTrue, h.plug->setBusArrangements(&stereo, 1, &stereo, 1));
  h.plug->getBusInfo(kAudio, kOutput, 0, bus);
  EXPECT_EQ(2, bus.channelCount);
  EXPECT_EQ(kResultTrue, h.plug->canProcessSampleSize(kSample64));
  EXPECT_EQ(kResultFalse, h.plug->canProcessSampleSize(7));
}

TEST(Binding, SetupClearsBypassAndRefusesNonsense)
{
  Host h;
  Changes c;
  c.Add(IVST3Plugin::kBypassParam, {1.0});
  h.Run(Sine(100, 48000, 4), &c);
  ProcessSetup setup{kRealtime, kSample32, 256, 44100};
  EXPECT_EQ(kResultOk, h.plug->setupProcessing(setup));
  EXPECT_EQ(0.0, h.plug->getParamNormalized(IVST3Plugin::kBypassParam));
  ProcessSetup bad{kRealtime, 5, 256, 44100};
  EXPECT_EQ(kResultFalse, h.plug->setupProcessing(bad));
  ProcessSetup badRate{kRealtime, kSample32, 256, 0.0};
  EXPECT_EQ(kResultFalse, h.plug->setupProcessing(badRate));
  // No room for a sample: refused, so every later block still writes its outputs.
  ProcessSetup noBlock{kRealtime, kSample32, 0, 96000};
  EXPECT_EQ(kResultFalse, h.plug->setupProcessing(noBlock));
  EXPECT_EQ(44100.0, h.plug->GetCachedSampleRate());
  std::vector<std::vector<float>> in(2, std::vector<float>(64, 0.25f)),
      out(2, std::vector<float>(64, 9.f));
  h.Process(in, out);
  EXPECT_NE(9.f, out[0][63]);
}
