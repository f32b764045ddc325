// The TestGain bundle through the door a DAW uses: the exported symbols, the generated
// moduleinfo.json, the hosting library (single-component and split classes), and the vst3host
// command line (info, render in every sample size and width, presets, bypass, state files).

#include "tools/vst3host/hosting/Audio.h"
#include "tools/vst3host/hosting/PluginInstance.h"
#include "tools/vst3host/hosting/PluginModule.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace tarvo::vst3host;
using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{

constexpr ParamID kGainId = 0;

double LinearGain(double db)
{
  return std::pow(10.0, db / 20.0);
} // TestGain's own formula

struct RunResult
{
  int status = -1;
  std::string output;
};

RunResult RunCommand(const std::string& command)
{
  RunResult result;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
    result.output.append(buffer, n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

RunResult Host(const std::string& arguments)
{
  return RunCommand(std::string("'") + TARVO_VST3HOST + "' " + arguments);
}

std::string Bundle()
{
  return std::string("'") + TARVO_TESTGAIN_BUNDLE + "'";
}

std::string TempPath(const std::string& name)
{
  return ::testing::TempDir() + "vst3host_" + std::to_string(getpid()) + "_" + name;
}

// Interleaved float samples of `channels` channels: a ramp with a sign pattern, so every sample
// differs and none is trivially representable after scaling.
std::vector<float> TestSignal(int channels, int frames)
{
  std::vector<float> samples(static_cast<size_t>(channels * frames));
  for (size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<float>((i % 7 == 3 ? -1.0 : 1.0) * (0.001 + 0.9 * i / samples.size()));
  return samples;
}

void WriteWav(const std::string& path, const std::vector<float>& samples, int channels)
{
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = 48000;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(nullptr, file);
  sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size() / channels));
  sf_close(file);
}

std::vector<float> ReadWav(const std::string& path, int& channels)
{
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) return {};
  std::vector<float> samples(static_cast<size_t>(info.frames * info.channels));
  sf_readf_float(file, samples.data(), info.frames);
  sf_close(file);
  channels = info.channels;
  return samples;
}

TEST(Vst3Bundle, ExportsOnlyTheEntryPoints)
{
  const RunResult nm = RunCommand(std::string("'") + TARVO_NM + "' -D --defined-only '" +
                                  TARVO_TESTGAIN_LIBRARY + "'");
  ASSERT_EQ(0, nm.status) << nm.output;
  std::set<std::string> symbols;
  std::istringstream lines(nm.output);
  std::string address, type, name;
  while (lines >> address >> type >> name)
    symbols.insert(name);
  EXPECT_EQ((std::set<std::string>{"GetPluginFactory", "ModuleEntry", "ModuleExit"}), symbols);
}

TEST(Vst3Bundle, ModuleInfoDescribesFactoryAndClasses)
{
  std::ifstream file(std::string(TARVO_TESTGAIN_BUNDLE) + "/Contents/Resources/moduleinfo.json");
  ASSERT_TRUE(file.good());
  const std::string json((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  for (const char* expected :
       {"\"Name\": \"TestGain\"", "\"Vendor\": \"Tarvo Tests\"", "\"Unicode\": true",
        "\"CID\": \"F2AEE70D00DE4F4E547276745447616E\"", "\"Category\": \"Audio Module Class\"",
        "\"Sub Categories\": [\"Fx\", \"Tools\"]", "\"Class Flags\": 2",
        "\"Cardinality\": 2147483647", "\"Name\": \"TestGain Split Controller\""})
    EXPECT_NE(std::string::npos, json.find(expected)) << expected;
}

TEST(Vst3Hosting, LoadsAndSharesTheModuleFactory)
{
  std::string error;
  EXPECT_EQ(nullptr, PluginModule::Load("/nonexistent.vst3", error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(TARVO_TESTGAIN_LIBRARY, PluginModule::ResolveLibrary(TARVO_TESTGAIN_BUNDLE));

  auto first = PluginModule::Load(TARVO_TESTGAIN_BUNDLE, error);
  ASSERT_NE(nullptr, first) << error;
  auto second = PluginModule::Load(TARVO_TESTGAIN_LIBRARY, error);
  ASSERT_NE(nullptr, second) << error;
  // One module in the process: a second load enters it again and gets the same factory.
  EXPECT_EQ(first->Handle(), second->Handle());
  EXPECT_EQ(first->Factory(), second->Factory());
  second.reset(); // ModuleExit for the second entry; the first keeps working
  auto instance = PluginInstance::Create(*first, error);
  ASSERT_NE(nullptr, instance) << error;
  EXPECT_TRUE(instance->IsSingleComponent());
  EXPECT_EQ(3u, instance->Parameters().size());
}

// The host's other path: processor and controller as separate objects of separate classes.
TEST(Vst3Hosting, HostsASplitPlugin)
{
  std::string error;
  auto module = PluginModule::Load(TARVO_TESTGAIN_BUNDLE, error);
  ASSERT_NE(nullptr, module) << error;
  auto split = PluginInstance::Create(*module, error, "TestGain Split");
  ASSERT_NE(nullptr, split) << error;
  EXPECT_FALSE(split->IsSingleComponent());
  EXPECT_NE(static_cast<FUnknown*>(split->Component()),
            static_cast<FUnknown*>(split->Controller()));
  ASSERT_TRUE(split->Configure(1, 48000.0, 64, kSample32, kRealtime, error)) << error;
  ASSERT_TRUE(split->SetActive(true));
  split->SetParameter(kGainId, split->Controller()->plainParamToNormalized(kGainId, 6.0));
  Planar in{{0.25, -0.5, 0.125}}, out;
  ASSERT_TRUE(Render(*split, in, out, 64, false, error)) << error;
  EXPECT_EQ(static_cast<float>(0.25f * static_cast<float>(LinearGain(6.0))), out[0][0]);

  std::vector<std::uint8_t> state;
  ASSERT_EQ(kResultOk, split->GetComponentState(state));
  auto restored = PluginInstance::Create(*module, error, "TestGain Split");
  ASSERT_NE(nullptr, restored) << error;
  ASSERT_EQ(kResultOk, restored->SetComponentState(state));
  // The controller learnt the processor's state through setComponentState.
  EXPECT_DOUBLE_EQ(6.0, restored->Controller()->normalizedParamToPlain(
                            kGainId, restored->Controller()->getParamNormalized(kGainId)));
}

TEST(Vst3HostCli, InfoListsClassesParametersAndPrograms)
{
  const RunResult info = Host("info " + Bundle());
  ASSERT_EQ(0, info.status) << info.output;
  for (const char* expected :
       {"vendor \"Tarvo Tests\"", "\"TestGain\" category \"Audio Module Class\"",
        "single component", "[0] \"Input\" main, 2 ch, arrangement 0x3",
        "id 0 \"Gain\" units \"dB\" steps 0 default 0.500000 flags CanAutomate unit 0",
        "flags CanAutomate|List|Bypass", "flags List|ProgramChange", "\"Programs\": 3 programs",
        "2 \"Cut\""})
    EXPECT_NE(std::string::npos, info.output.find(expected)) << expected << "\n" << info.output;
  EXPECT_EQ(2, Host("info").status);
  EXPECT_EQ(1, Host("info /nonexistent.vst3").status);
}

// Every sample compared with what the plug-in must compute: in each sample size and width (1001
// frames in blocks of 100 end on a partial block), and through presets and bypass.
TEST(Vst3HostCli, RenderAppliesTheGainExactly)
{
  const std::string in = TempPath("in.wav"), out = TempPath("out.wav"), files = in + "' '" + out;
  const struct
  {
    int channels;
    std::string options;
    double gainDb;
    bool doublePrecision;
  } cases[] = {{2, "--set Gain=6 --block 100 --float", 6.0, false},
               {1, "--set Gain=6 --block 100 --float --mono", 6.0, false},
               {2, "--set Gain=6 --block 100 --double", 6.0, true},
               {1, "--set Gain=6 --block 100 --double --mono", 6.0, true},
               {2, "--preset Cut", -6.0, false},
               {2, "--preset boost", 6.0, false},          // names match ignoring case
               {2, "--preset 2 --set Gain=3", 3.0, false}, // --set applies after the preset
               {2, "--set Gain=12 --bypass", 0.0, false}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.options);
    const std::vector<float> input = TestSignal(c.channels, 1001);
    WriteWav(in, input, c.channels);
    const RunResult render = Host("render " + Bundle() + " '" + files + "' " + c.options);
    ASSERT_EQ(0, render.status) << render.output;
    EXPECT_NE(std::string::npos, render.output.find("output " + out + ": peak "));
    int channels = 0;
    const std::vector<float> output = ReadWav(out, channels);
    ASSERT_EQ(c.channels, channels);
    ASSERT_EQ(input.size(), output.size());
    const double gain = LinearGain(c.gainDb);
    size_t mismatches = 0;
    for (size_t i = 0; i < input.size(); ++i)
      mismatches +=
          output[i] != (c.doublePrecision ? static_cast<float>(static_cast<double>(input[i]) * gain)
                                          : input[i] * static_cast<float>(gain));
    EXPECT_EQ(0u, mismatches);
  }
  EXPECT_EQ(1, Host("render " + Bundle() + " '" + files + "' --preset 3").status);
  EXPECT_EQ(1, Host("render " + Bundle() + " '" + files + "' --set Volume=1").status);
  EXPECT_EQ(2, Host("render " + Bundle() + " '" + files + "' --loud").status);
  // Generated input: one second of noise at 44.1 kHz.
  const RunResult noise = Host("render " + Bundle() + " noise:1 '" + out + "' --rate 44100");
  ASSERT_EQ(0, noise.status) << noise.output;
  EXPECT_NE(std::string::npos, noise.output.find("rendered 44100 frames, 2 ch, 44100 Hz"));
  std::remove(in.c_str());
  std::remove(out.c_str());
}

TEST(Vst3HostCli, StateSurvivesSaveAndLoad)
{
  for (const std::string name : {"state.bin", "state.vstpreset"})
  {
    SCOPED_TRACE(name);
    const std::string path = TempPath(name);
    const RunResult save = Host("state save " + Bundle() + " '" + path + "' --set 'Gain=-3.5'");
    ASSERT_EQ(0, save.status) << save.output;
    const RunResult load = Host("state load " + Bundle() + " '" + path + "'");
    ASSERT_EQ(0, load.status) << load.output;
    EXPECT_NE(std::string::npos, load.output.find("0 \"Gain\" = 0.427083 \"-3.5")) << load.output;
    if (name == "state.bin")
    {
      std::ifstream file(path, std::ios::binary);
      const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
      const std::vector<char> expected = {0, 0, 0, 0, 0, 0, 0x0c, static_cast<char>(0xc0)};
      EXPECT_EQ(expected, bytes); // -3.5 as a little-endian double
    }
    std::remove(path.c_str());
  }
  const std::string shortPath = TempPath("short.bin");
  std::ofstream(shortPath, std::ios::binary) << "abc";
  const RunResult refused = Host("state load " + Bundle() + " '" + shortPath + "'");
  EXPECT_EQ(1, refused.status);
  EXPECT_NE(std::string::npos, refused.output.find("controller setState: kResultFalse"));
  std::remove(shortPath.c_str());
}

} // namespace
