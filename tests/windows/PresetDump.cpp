// tarvo-preset-dump: the host state and a render of every factory preset of a bundle, written
// the same way on every platform, and the comparison of two such dumps. The Linux build's dump is
// the reference the Windows module must reproduce under Wine.
//
//   tarvo-preset-dump dump BUNDLE DIR       state-N.bin and render-N.wav (64-bit) for each preset
//   tarvo-preset-dump compare REF DIR N     equal states (N parameters first), renders within 1e-9
//   tarvo-preset-dump compare-wav REF FILE  one render against another, within 1e-9
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/vst3host/AudioFile.h"
#include "tools/vst3host/hosting/Audio.h"
#include "tools/vst3host/hosting/PluginInstance.h"
#include "tools/vst3host/hosting/PluginModule.h"

using namespace tarvo::vst3host;
using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
constexpr int kBlock = 512;
constexpr double kRate = 48000.0;
constexpr double kRenderTolerance = 1e-9;

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes)
{
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

int Dump(const std::string& bundle, const std::string& dir)
{
  std::string error;
  auto module = PluginModule::Load(bundle, error);
  auto instance = module ? PluginInstance::Create(*module, error) : nullptr;
  if (!instance || !instance->Configure(2, kRate, kBlock, kSample64, kOffline, error))
  {
    std::printf("dump: %s\n", error.c_str());
    return 1;
  }
  const auto program = instance->FindParameterWithFlag(ParameterInfo::kIsProgramChange);
  const auto list = program ? instance->ProgramListFor(*program) : std::nullopt;
  if (!program || !list || program->info.stepCount <= 0)
  {
    std::printf("dump: no program list\n");
    return 1;
  }
  Planar input;
  if (!GenerateSignal("noise:0.25", kRate, 2, input, error)) return 1;
  const int steps = program->info.stepCount;
  for (int p = 0; p < static_cast<int>(list->programs.size()); ++p)
  {
    // Each preset from a fresh start: activation clears the filters and smoothers.
    if (!instance->SetActive(true)) return 1;
    instance->SetParameter(program->info.id, (p + 1e-6) / steps);
    Planar output;
    if (!Render(*instance, input, output, kBlock, true, error))
    {
      std::printf("dump: preset %d: %s\n", p, error.c_str());
      return 1;
    }
    instance->SetActive(false);
    std::vector<uint8_t> state;
    const std::string base = dir + "/" + std::to_string(p);
    if (instance->GetControllerState(state) != kResultOk || !WriteFile(base + ".state", state) ||
        !WriteAudioFile(base + ".wav", output, kRate, 64, error))
    {
      std::printf("dump: preset %d: cannot write its files %s\n", p, error.c_str());
      return 1;
    }
  }
  std::printf("dump: %zu presets\n", list->programs.size());
  return 0;
}

// Distance in units of the last place between two doubles of the same sign.
uint64_t Ulps(double a, double b)
{
  int64_t ia, ib;
  std::memcpy(&ia, &a, 8);
  std::memcpy(&ib, &b, 8);
  if ((ia < 0) != (ib < 0)) return a == b ? 0 : UINT64_MAX;
  return ia > ib ? static_cast<uint64_t>(ia - ib) : static_cast<uint64_t>(ib - ia);
}

// The state stream begins with one double per parameter; those whose value went through the C
// library's pow may differ in the last bit between platforms, and are named. Everything else,
// and the rest of the stream, must be equal byte for byte unless such a parameter differed.
bool CompareStates(int preset, const std::vector<uint8_t>& ref, const std::vector<uint8_t>& got,
                   int parameterCount)
{
  if (ref == got) return true;
  if (ref.size() != got.size())
  {
    std::printf("preset %d: state of %zu bytes, the reference has %zu\n", preset, got.size(),
                ref.size());
    return false;
  }
  bool ok = true, someUlp = false;
  for (int i = 0; i < parameterCount && 8 * (i + 1) <= static_cast<int>(ref.size()); ++i)
  {
    double a, b;
    std::memcpy(&a, &ref[8 * i], 8);
    std::memcpy(&b, &got[8 * i], 8);
    const uint64_t d = Ulps(a, b);
    if (d == 0) continue;
    std::printf("preset %d: parameter %d is %.17g, the reference %.17g (%llu ulp)\n", preset, i, b,
                a, static_cast<unsigned long long>(d));
    someUlp = true;
    if (d > 1) ok = false;
  }
  const size_t head = 8 * static_cast<size_t>(parameterCount);
  if (!someUlp && std::memcmp(ref.data() + head, got.data() + head, ref.size() - head) != 0)
  {
    std::printf("preset %d: the state differs after the parameters\n", preset);
    ok = false;
  }
  return ok;
}

// The largest sample difference between two renders; -1 when they differ in shape.
double RenderDifference(const std::string& refPath, const std::string& path, std::string& error)
{
  Planar a, b;
  double rateA = 0, rateB = 0;
  if (!ReadAudioFile(refPath, a, rateA, error) || !ReadAudioFile(path, b, rateB, error) ||
      a.size() != b.size() || rateA != rateB || a.empty() || a[0].size() != b[0].size() ||
      a[0].empty())
    return -1.0;
  double diff = 0.0;
  for (size_t c = 0; c < a.size(); ++c)
    for (size_t i = 0; i < a[c].size(); ++i)
      diff = std::max(diff, std::fabs(a[c][i] - b[c][i]));
  return std::isnan(diff) ? -1.0 : diff;
}

int CompareWav(const std::string& refPath, const std::string& path)
{
  std::string error;
  const double diff = RenderDifference(refPath, path, error);
  std::printf("compare-wav: largest sample difference %g %s\n", diff, error.c_str());
  return diff >= 0.0 && diff <= kRenderTolerance ? 0 : 1;
}

int Compare(const std::string& refDir, const std::string& dir, int parameterCount)
{
  int compared = 0;
  bool ok = true;
  double worst = 0.0;
  for (int p = 0;; ++p)
  {
    const std::string ref = refDir + "/" + std::to_string(p), got = dir + "/" + std::to_string(p);
    std::vector<uint8_t> refState, gotState;
    if (!ReadFile(ref + ".state", refState)) break;
    if (!ReadFile(got + ".state", gotState))
    {
      std::printf("preset %d: no state\n", p);
      ok = false;
      continue;
    }
    ok = CompareStates(p, refState, gotState, parameterCount) && ok;
    std::string error;
    const double diff = RenderDifference(ref + ".wav", got + ".wav", error);
    if (diff < 0.0)
    {
      std::printf("preset %d: renders do not match in shape %s\n", p, error.c_str());
      ok = false;
      continue;
    }
    if (diff > kRenderTolerance)
    {
      std::printf("preset %d: the render differs by up to %g\n", p, diff);
      ok = false;
    }
    worst = std::max(worst, diff);
    ++compared;
  }
  std::printf("compare: %d presets, largest sample difference %g\n", compared, worst);
  if (compared == 0) ok = false;
  std::printf("compare: %s\n", ok ? "PASSED" : "FAILED");
  return ok ? 0 : 1;
}
} // namespace

int main(int argc, char** argv)
{
  if (argc == 4 && std::strcmp(argv[1], "dump") == 0) return Dump(argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "compare-wav") == 0) return CompareWav(argv[2], argv[3]);
  if (argc == 5 && std::strcmp(argv[1], "compare") == 0)
    return Compare(argv[2], argv[3], std::atoi(argv[4]));
  std::fprintf(stderr, "usage: tarvo-preset-dump dump BUNDLE DIR | compare REF DIR PARAMETERS | "
                       "compare-wav REF FILE\n");
  return 2;
}
