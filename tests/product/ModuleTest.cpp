// Tarvo.vst3 as a host sees it: exports, factory, parameters, programs, state, audio.
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tools/vst3host/hosting/PluginInstance.h"
#include "tools/vst3host/hosting/PluginModule.h"

using namespace tarvo::vst3host;
using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
constexpr ParamID kPreset = 0x70727374, kHostBypass = 0x62706173;

std::string Shell(const std::string& command, int* status = nullptr)
{
  std::string out;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  char buffer[4096];
  size_t n;
  while (pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
    out.append(buffer, n);
  const int s = pipe ? pclose(pipe) : -1;
  if (status) *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  return out;
}

struct Loaded
{
  std::unique_ptr<PluginModule> module;
  std::unique_ptr<PluginInstance> plug;
  explicit Loaded(int channels = 2, int32 sampleSize = kSample32, Linux::IRunLoop* loop = nullptr)
  {
    std::string error;
    module = PluginModule::Load(TARVO_BUNDLE, error);
    EXPECT_TRUE(module) << error;
    plug = PluginInstance::Create(*module, error, {}, {}, loop);
    EXPECT_TRUE(plug) << error;
    EXPECT_TRUE(plug->Configure(channels, 48000.0, 512, sampleSize, kRealtime, error)) << error;
    plug->SetActive(true);
  }
  ~Loaded()
  {
    if (plug) plug->SetActive(false);
    plug.reset();
  }
  template <class S> std::vector<std::vector<S>> Process(std::vector<std::vector<S>> in)
  {
    std::vector<std::vector<S>> out(in.size(), std::vector<S>(in[0].size()));
    std::vector<S*> ip, op;
    for (auto& c : in)
      ip.push_back(c.data());
    for (auto& c : out)
      op.push_back(c.data());
    plug->Process(ip.data(), op.data(), static_cast<int32>(in[0].size()));
    return out;
  }
};

template <class S> std::vector<std::vector<S>> Noise(int channels, int frames)
{
  std::vector<std::vector<S>> s(static_cast<size_t>(channels));
  unsigned x = 12345;
  for (auto& c : s)
    for (int i = 0; i < frames; ++i)
    {
      x = x * 1664525u + 1013904223u;
      c.push_back(static_cast<S>(static_cast<int>(x >> 8) / 16777216.0 - 0.5) * S(0.5));
    }
  return s;
}
} // namespace

TEST(Module, ExportsOnlyTheThreeEntryPoints)
{
  std::istringstream lines(
      Shell(std::string("'") + TARVO_NM + "' -D --defined-only '" + TARVO_LIBRARY + "'"));
  std::set<std::string> symbols;
  std::string address, type, name;
  while (lines >> address >> type >> name)
    symbols.insert(name);
  EXPECT_EQ((std::set<std::string>{"GetPluginFactory", "ModuleEntry", "ModuleExit"}), symbols);
}

TEST(Module, FactoryDescribesOneEqualiserClass)
{
  std::string error;
  auto module = PluginModule::Load(TARVO_BUNDLE, error);
  ASSERT_TRUE(module) << error;
  EXPECT_STREQ("Velkor Audio", module->FactoryInfo().vendor);
  const auto classes = module->Classes();
  ASSERT_EQ(1u, classes.size());
  const unsigned char cid[16] = {0xF2, 0xAE, 0xE7, 0x0D, 0x00, 0xDE, 0x4F, 0x4E,
                                 'V',  'l',  'k',  'r',  'T',  'r',  'v',  'o'};
  EXPECT_EQ(0, std::memcmp(cid, classes[0].info.cid, 16));
  const std::string info =
      Shell(std::string("'") + TARVO_VST3HOST + "' info '" + TARVO_BUNDLE + "'");
  for (const char* want :
       {"Audio Module Class", "Fx|EQ", "2.0.0", "Factory Presets", "Bass Sclupt"})
    EXPECT_NE(std::string::npos, info.find(want)) << want;
}

TEST(Module, ParametersUnitsAndPrograms)
{
  Loaded l;
  const auto params = l.plug->Parameters();
  ASSERT_EQ(41u, params.size());
  EXPECT_EQ("Preset", params[0].title);
  EXPECT_EQ("Bypass", params[1].title);
  EXPECT_EQ(ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsBypass,
            params[1].info.flags);
  for (int i = 0; i < 39; ++i)
    EXPECT_EQ(static_cast<ParamID>(i), params[i + 2].info.id);
  EXPECT_EQ("Frequency 3", params[2 + 10].title);
  EXPECT_EQ("Hz", params[2 + 10].units);
  EXPECT_EQ(2, params[2 + 10].info.unitId);
  const auto units = l.plug->UnitList();
  ASSERT_EQ(4u, units.size());
  EXPECT_EQ("EQ Frenquency", units[2].name);
  const auto lists = l.plug->ProgramLists();
  ASSERT_FALSE(lists.empty());
  ASSERT_EQ(32u, lists[0].programs.size());
  EXPECT_EQ("VoxAir", lists[0].programs[23]);
}

TEST(Module, StateIs316BytesAndAShortStreamIsReported)
{
  Loaded a;
  a.plug->SetParameter(5, 0.25);
  a.plug->Flush();
  std::vector<uint8_t> controller, component;
  ASSERT_EQ(kResultOk, a.plug->GetControllerState(controller));
  ASSERT_EQ(kResultOk, a.plug->GetComponentState(component));
  ASSERT_GT(controller.size(), 316u); // the values, the bypass word, then the browser's slots
  EXPECT_EQ(controller, component);

  Loaded b;
  EXPECT_EQ(kResultFalse, b.plug->SetControllerState(
                              std::vector<uint8_t>(controller.begin(), controller.begin() + 312)));
  std::vector<uint8_t> back;
  b.plug->GetControllerState(back);
  EXPECT_EQ(std::vector<uint8_t>(controller.begin(), controller.begin() + 312),
            std::vector<uint8_t>(back.begin(), back.begin() + 312));
  EXPECT_EQ(kResultOk, b.plug->SetComponentState(controller));

  // 96 bytes are not a state: nothing changes.
  Loaded c;
  std::vector<uint8_t> before, after;
  c.plug->GetControllerState(before);
  EXPECT_EQ(kResultFalse, c.plug->SetControllerState(
                              std::vector<uint8_t>(controller.begin(), controller.begin() + 96)));
  c.plug->GetControllerState(after);
  EXPECT_EQ(before, after);
}

TEST(Module, ProgramChangeAndHostBypassThroughQueues)
{
  Loaded l;
  l.plug->QueueChange(kPreset, 0.5);
  l.plug->Flush();
  std::vector<uint8_t> state;
  l.plug->GetControllerState(state);
  double inputGain = 0;
  std::memcpy(&inputGain, state.data() + 32 * 8, 8);
  EXPECT_NEAR(-4.66, inputGain, 1e-6); // "Classic Drum Machine", slot 16

  const auto in = Noise<float>(2, 512);
  l.plug->QueueChange(kHostBypass, 0.5);
  EXPECT_NE(in, l.Process(in));
  l.plug->QueueChange(kHostBypass, 0.51);
  EXPECT_EQ(in, l.Process(in));
}

std::vector<ComponentHandler::Event> Restarts(PluginInstance& plug)
{
  std::vector<ComponentHandler::Event> restarts;
  for (const auto& e : plug.Handler().Events())
    if (e.kind == ComponentHandler::Event::kRestart) restarts.push_back(e);
  return restarts;
}

TEST(Module, HostBypassAndProgramReadBackFromTheController)
{
  Loaded l;
  EXPECT_EQ(kResultOk, l.plug->SetControllerValue(kHostBypass, 1.0));
  EXPECT_EQ(1.0, l.plug->ControllerValue(kHostBypass));
  EXPECT_EQ(kResultOk, l.plug->SetControllerValue(kPreset, 9.0 / 32));
  EXPECT_EQ(9.0 / 32, l.plug->ControllerValue(kPreset));
}

TEST(Module, AHostProgramChangeIsAnnouncedOnceFromTheRunLoopAfterTheCall)
{
  auto* loop = new HostRunLoop;
  {
    Loaded l(2, kSample32, loop);
    Loaded ref;
    ref.plug->QueueChange(kPreset, 3.0 / 32);
    ref.plug->Flush();
    const auto ui = std::this_thread::get_id();

    // From the host's own program list: the controller's half, then the processor's.
    l.plug->SetParameter(kPreset, 3.0 / 32);
    for (ParamID i = 0; i < 39; ++i)
      EXPECT_EQ(ref.plug->ControllerValue(i), l.plug->ControllerValue(i)) << i;
    l.plug->Flush();
    EXPECT_TRUE(Restarts(*l.plug).empty());
    loop->RunFor(std::chrono::milliseconds(150));
    auto restarts = Restarts(*l.plug);
    ASSERT_EQ(1u, restarts.size());
    EXPECT_EQ(static_cast<double>(kParamValuesChanged), restarts[0].value);
    EXPECT_EQ(ui, restarts[0].thread);
    EXPECT_FALSE(restarts[0].insideHostCall);

    // Automation of the program parameter, arriving on the audio thread only.
    std::thread audio(
        [&]
        {
          l.plug->QueueChange(kPreset, 9.0 / 32);
          l.plug->Flush();
        });
    audio.join();
    EXPECT_EQ(1u, Restarts(*l.plug).size());
    loop->RunFor(std::chrono::milliseconds(150));
    restarts = Restarts(*l.plug);
    ASSERT_EQ(2u, restarts.size());
    EXPECT_EQ(ui, restarts[1].thread);
    EXPECT_FALSE(restarts[1].insideHostCall);
    EXPECT_EQ(9.0 / 32, l.plug->ControllerValue(kPreset));
  }
  // The instance unregistered its timer when it went.
  EXPECT_EQ(0u, loop->Timers());
  loop->release();
}

TEST(Module, WithoutARunLoopTheValuesAreStillCurrent)
{
  Loaded l;
  l.plug->SetParameter(kPreset, 3.0 / 32);
  l.plug->Flush();
  std::vector<uint8_t> state;
  l.plug->GetControllerState(state);
  double gain = 0;
  std::memcpy(&gain, state.data(), 8);
  EXPECT_NE(0.0, gain); // "Massiv Kick" lifts band 1
  EXPECT_TRUE(Restarts(*l.plug).empty());
}

TEST(Module, MonoAndStereoButNotMonoToStereo)
{
  Loaded l;
  SpeakerArrangement mono = SpeakerArr::kMono, stereo = SpeakerArr::kStereo;
  l.plug->SetActive(false);
  EXPECT_EQ(kResultFalse, l.plug->Processor()->setBusArrangements(&mono, 1, &stereo, 1));
  EXPECT_EQ(kResultTrue, l.plug->Processor()->setBusArrangements(&mono, 1, &mono, 1));
  Loaded m(1);
  const auto out = m.Process(Noise<float>(1, 256));
  EXPECT_EQ(1u, out.size());
}

TEST(Module, ThirtyTwoAndSixtyFourBitsAgree)
{
  Loaded f(2, kSample32), d(2, kSample64);
  for (Loaded* l : {&f, &d})
    l->plug->QueueChange(kPreset, 9.0 / 32); // "Guitar"
  const auto inF = Noise<float>(2, 4096);
  std::vector<std::vector<double>> inD(2);
  for (int c = 0; c < 2; ++c)
    for (float v : inF[static_cast<size_t>(c)])
      inD[static_cast<size_t>(c)].push_back(v);
  const auto outF = f.Process(inF);
  const auto outD = d.Process(inD);
  for (int c = 0; c < 2; ++c)
    for (size_t i = 0; i < 4096; ++i)
      ASSERT_EQ(static_cast<float>(outD[static_cast<size_t>(c)][i]),
                outF[static_cast<size_t>(c)][i]);
}

TEST(Module, RendersFilesThroughTheCommandLine)
{
  const std::string out = testing::TempDir() + "tarvo_render.wav";
  int status = -1;
  const std::string text =
      Shell(std::string("'") + TARVO_VST3HOST + "' render '" + TARVO_BUNDLE + "' noise:0.5 '" +
                out + "' --preset 'Vocal Clarity' --set 'Gain 4=3'",
            &status);
  EXPECT_EQ(0, status) << text;
  FILE* f = std::fopen(out.c_str(), "rb");
  ASSERT_NE(nullptr, f) << text;
  std::fclose(f);
}
