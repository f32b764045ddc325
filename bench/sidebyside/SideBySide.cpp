// Tarvo through its own VST 3 module against LSP's Parametric Equalizer x16 Stereo through lilv,
// on the same stereo noise in 32-bit blocks of 512 at 48 kHz, eight bell bands each, settled
// before the clock starts. Passes alternate between the two, so that a machine that slows down
// or speeds up during the run affects both alike; the ratio is taken pass by pass.
//
//   tarvo_sidebyside BUNDLE [--passes N] [--seconds S]   times both, prints the medians
//   tarvo_sidebyside BUNDLE --count tarvo|lsp [--seconds S]
//       one settled pass inside CountedPass, for valgrind --tool=callgrind
//       --toggle-collect=CountedPass; prints the frames it ran
//
// Without LSP (the Debian package lsp-plugins-lv2, and liblilv-dev at build time) it says so and
// times Tarvo alone.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tools/vst3host/hosting/PluginInstance.h"
#include "tools/vst3host/hosting/PluginModule.h"

#if TARVO_HAVE_LILV
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>
#endif

using namespace Steinberg;
using namespace Steinberg::Vst;
using tarvo::vst3host::PluginInstance;
using tarvo::vst3host::PluginModule;

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 512;
constexpr int kBands = 8;
const double kFreqs[kBands] = {50, 120, 300, 700, 1500, 3500, 7000, 14000};
const double kGainsDb[kBands] = {6, -4, 3, -6, 4, -3, 5, -2};

// One equaliser behind a common face: processes planar stereo floats in place of out.
class Equaliser
{
public:
  virtual ~Equaliser() = default;
  virtual void Process(const float* inL, const float* inR, float* outL, float* outR, int n) = 0;
};

class TarvoModule final : public Equaliser
{
public:
  bool Open(const std::string& bundle, std::string& error)
  {
    mModule = PluginModule::Load(bundle, error);
    if (!mModule) return false;
    mPlug = PluginInstance::Create(*mModule, error);
    if (!mPlug) return false;
    if (!mPlug->Configure(2, kRate, kBlock, kSample32, kRealtime, error)) return false;
    if (!mPlug->SetActive(true))
    {
      error = "setActive(true) failed";
      return false;
    }
    for (int b = 0; b < kBands; ++b)
    {
      Set(b, kGainsDb[b]);   // Gain b+1
      Set(8 + b, kFreqs[b]); // Frequency b+1
      Set(16 + b, 0.0);      // Bandwidth b+1: off is the narrow bell
      Set(24 + b, 0.0);      // Bypass b+1
    }
    Set(32, 0.0);   // input gain, dB
    Set(33, 0.0);   // output gain, dB
    Set(34, 0.0);   // bypass
    Set(35, 0.0);   // left bypass
    Set(36, 0.0);   // right bypass
    Set(37, 0.0);   // phase
    Set(38, 100.0); // mix: all wet, like the other equaliser
    return true;
  }
  ~TarvoModule() override
  {
    if (mPlug) mPlug->SetActive(false);
    mPlug.reset();
  }
  void Process(const float* inL, const float* inR, float* outL, float* outR, int n) override
  {
    float* in[2] = {const_cast<float*>(inL), const_cast<float*>(inR)};
    float* out[2] = {outL, outR};
    mPlug->Process(in, out, n);
  }

private:
  void Set(ParamID id, double plain)
  {
    mPlug->SetParameter(id, mPlug->Controller()->plainParamToNormalized(id, plain));
  }
  std::unique_ptr<PluginModule> mModule;
  std::unique_ptr<PluginInstance> mPlug;
};

#if TARVO_HAVE_LILV
class LspPlugin final : public Equaliser
{
public:
  static constexpr const char* kUri = "http://lsp-plug.in/plugins/lv2/para_equalizer_x16_stereo";

  bool Open(std::string& error)
  {
    mWorld = lilv_world_new();
    lilv_world_load_all(mWorld);
    LilvNode* uri = lilv_new_uri(mWorld, kUri);
    const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(mWorld), uri);
    lilv_node_free(uri);
    if (!plugin)
    {
      error = "lsp-plugins-lv2 is not installed";
      return false;
    }
    mMap.handle = this;
    mMap.map = &LspPlugin::Map;
    mMapFeature = {LV2_URID__map, &mMap};
    const LV2_Feature* features[] = {&mMapFeature, nullptr};
    mInstance = lilv_plugin_instantiate(plugin, kRate, features);
    if (!mInstance)
    {
      error = "LSP's equaliser did not instantiate";
      return false;
    }

    const uint32_t ports = lilv_plugin_get_num_ports(plugin);
    mControls.assign(ports, 0.0f);
    std::vector<float> defaults(ports), mins(ports), maxs(ports);
    lilv_plugin_get_port_ranges_float(plugin, mins.data(), maxs.data(), defaults.data());
    LilvNode* audio = lilv_new_uri(mWorld, LV2_CORE__AudioPort);
    LilvNode* control = lilv_new_uri(mWorld, LV2_CORE__ControlPort);
    LilvNode* atom = lilv_new_uri(mWorld, LV2_ATOM__AtomPort);
    LilvNode* input = lilv_new_uri(mWorld, LV2_CORE__InputPort);
    for (uint32_t i = 0; i < ports; ++i)
    {
      const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
      const std::string symbol = lilv_node_as_string(lilv_port_get_symbol(plugin, port));
      if (lilv_port_is_a(plugin, port, control))
      {
        mControls[i] = std::isnan(defaults[i]) ? 0.0f : defaults[i];
        Configure(symbol, mControls[i]);
        lilv_instance_connect_port(mInstance, i, &mControls[i]);
      }
      else if (lilv_port_is_a(plugin, port, atom))
      {
        // An empty sequence in, room for one out.
        mAtoms.emplace_back(4096 / sizeof(uint64_t), 0);
        auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(mAtoms.back().data());
        seq->atom.type = Map(this, LV2_ATOM__Sequence);
        seq->atom.size = lilv_port_is_a(plugin, port, input)
                             ? static_cast<uint32_t>(sizeof(LV2_Atom_Sequence_Body))
                             : 4096 - static_cast<uint32_t>(sizeof(LV2_Atom));
        lilv_instance_connect_port(mInstance, i, seq);
      }
      else if (lilv_port_is_a(plugin, port, audio))
        mAudio.push_back(i); // in_l, in_r, out_l, out_r in that order
    }
    for (LilvNode* n : {audio, control, atom, input})
      lilv_node_free(n);
    if (mAudio.size() != 4)
    {
      error = "LSP's equaliser does not have two audio inputs and outputs";
      return false;
    }
    lilv_instance_activate(mInstance);
    return true;
  }

  ~LspPlugin() override
  {
    if (mInstance)
    {
      lilv_instance_deactivate(mInstance);
      lilv_instance_free(mInstance);
    }
    if (mWorld) lilv_world_free(mWorld);
  }

  void Process(const float* inL, const float* inR, float* outL, float* outR, int n) override
  {
    lilv_instance_connect_port(mInstance, mAudio[0], const_cast<float*>(inL));
    lilv_instance_connect_port(mInstance, mAudio[1], const_cast<float*>(inR));
    lilv_instance_connect_port(mInstance, mAudio[2], outL);
    lilv_instance_connect_port(mInstance, mAudio[3], outR);
    lilv_instance_run(mInstance, static_cast<uint32_t>(n));
  }

private:
  // Eight bell bands, IIR, RLC (BT), slope x1, Q 2; the other eight off; no analysis.
  static void Configure(const std::string& symbol, float& value)
  {
    if (symbol == "mode") value = 0; // IIR
    if (symbol == "fft") value = 0;  // no spectrum analysis
    const size_t us = symbol.rfind('_');
    if (us == std::string::npos) return;
    const std::string key = symbol.substr(0, us);
    const int band = std::atoi(symbol.c_str() + us + 1);
    if (band < 0 || band > 15 || !std::isdigit(static_cast<unsigned char>(symbol[us + 1]))) return;
    const bool on = band < kBands;
    if (key == "ft") value = on ? 1 : 0; // Bell, or off
    if (!on) return;
    if (key == "fm") value = 0; // RLC (BT)
    if (key == "s") value = 0;  // slope x1
    if (key == "f") value = static_cast<float>(kFreqs[band]);
    if (key == "g") value = static_cast<float>(std::pow(10.0, kGainsDb[band] / 20.0));
    if (key == "q") value = 2;
    if (key == "xm" || key == "xs") value = 0; // neither muted nor solo
  }

  static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri)
  {
    auto* self = static_cast<LspPlugin*>(handle);
    for (size_t i = 0; i < self->mUris.size(); ++i)
      if (self->mUris[i] == uri) return static_cast<LV2_URID>(i + 1);
    self->mUris.emplace_back(uri);
    return static_cast<LV2_URID>(self->mUris.size());
  }

  LilvWorld* mWorld = nullptr;
  LilvInstance* mInstance = nullptr;
  LV2_URID_Map mMap{};
  LV2_Feature mMapFeature{};
  std::vector<std::string> mUris;
  std::vector<float> mControls;
  std::vector<std::vector<uint64_t>> mAtoms;
  std::vector<uint32_t> mAudio;
};
#endif

struct Noise
{
  std::vector<float> l, r, outL, outR;
  explicit Noise(size_t frames) : l(frames), r(frames), outL(kBlock), outR(kBlock)
  {
    std::mt19937 rng(2026);
    std::uniform_real_distribution<float> x(-0.5f, 0.5f);
    for (size_t i = 0; i < frames; ++i)
      l[i] = x(rng), r[i] = x(rng);
  }
};

void RunPass(Equaliser& eq, Noise& noise)
{
  const int frames = static_cast<int>(noise.l.size());
  for (int pos = 0; pos < frames; pos += kBlock)
  {
    const int n = std::min(kBlock, frames - pos);
    eq.Process(noise.l.data() + pos, noise.r.data() + pos, noise.outL.data(), noise.outR.data(), n);
  }
}

double TimedPass(Equaliser& eq, Noise& noise)
{
  const auto start = std::chrono::steady_clock::now();
  RunPass(eq, noise);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v)
{
  std::sort(v.begin(), v.end());
  const size_t m = v.size() / 2;
  return v.size() % 2 ? v[m] : 0.5 * (v[m - 1] + v[m]);
}
} // namespace

// Callgrind collects inside this function only (--toggle-collect=CountedPass).
extern "C" __attribute__((noinline)) void CountedPass(Equaliser& eq, Noise& noise)
{
  RunPass(eq, noise);
}

int main(int argc, char** argv)
{
  if (argc < 2)
  {
    std::fprintf(stderr, "usage: %s BUNDLE [--passes N] [--seconds S] [--count tarvo|lsp]\n",
                 argv[0]);
    return 2;
  }
  int passes = 15;
  double seconds = 10.0;
  std::string count;
  for (int i = 2; i + 1 < argc; i += 2)
  {
    const std::string opt = argv[i];
    if (opt == "--passes") passes = std::max(1, std::atoi(argv[i + 1]));
    if (opt == "--seconds") seconds = std::max(0.1, std::atof(argv[i + 1]));
    if (opt == "--count") count = argv[i + 1];
  }

  Noise noise(static_cast<size_t>(seconds * kRate));
  const double frames = static_cast<double>(noise.l.size());
  std::string error;
  TarvoModule tarvo;
  if (!tarvo.Open(argv[1], error))
  {
    std::fprintf(stderr, "Tarvo: %s\n", error.c_str());
    return 1;
  }
  std::unique_ptr<Equaliser> lsp;
#if TARVO_HAVE_LILV
  auto plugin = std::make_unique<LspPlugin>();
  if (plugin->Open(error))
    lsp = std::move(plugin);
  else
    std::printf("%s: timing Tarvo alone\n", error.c_str());
#else
  std::printf("built without liblilv-dev: timing Tarvo alone\n");
#endif

  // One second of noise first: the smoothers and both plug-ins' filters settle.
  Noise warm(static_cast<size_t>(kRate));
  RunPass(tarvo, warm);
  if (lsp) RunPass(*lsp, warm);

  if (!count.empty())
  {
    Equaliser* eq = count == "lsp" ? lsp.get() : count == "tarvo" ? &tarvo : nullptr;
    if (!eq)
    {
      std::printf("nothing to count for \"%s\"\n", count.c_str());
      return 1;
    }
    CountedPass(*eq, noise);
    std::printf("%.0f frames\n", frames);
    return 0;
  }

  std::vector<double> tTarvo, tLsp, ratio;
  for (int p = 0; p < passes; ++p)
  {
    // Alternate who goes first, so that neither always runs on a warmer cache.
    double t = 0, l = 0;
    if (p % 2 == 0 || !lsp)
    {
      t = TimedPass(tarvo, noise);
      if (lsp) l = TimedPass(*lsp, noise);
    }
    else
    {
      l = TimedPass(*lsp, noise);
      t = TimedPass(tarvo, noise);
    }
    tTarvo.push_back(t);
    if (lsp)
    {
      tLsp.push_back(l);
      ratio.push_back(t / l);
    }
  }
  std::printf("%d passes of %.1f s of stereo 32-bit noise at 48 kHz, blocks of %d\n", passes,
              seconds, kBlock);
  std::printf("  Tarvo (VST 3 module):          %6.2f ns/frame (median; best %.2f)\n",
              1e9 * Median(tTarvo) / frames,
              1e9 * *std::min_element(tTarvo.begin(), tTarvo.end()) / frames);
  if (lsp)
  {
    std::printf("  LSP Para EQ x16 Stereo (LV2):  %6.2f ns/frame (median; best %.2f)\n",
                1e9 * Median(tLsp) / frames,
                1e9 * *std::min_element(tLsp.begin(), tLsp.end()) / frames);
    std::printf("  Tarvo / LSP, pass by pass:     %6.3f (median; range %.3f to %.3f)\n",
                Median(ratio), *std::min_element(ratio.begin(), ratio.end()),
                *std::max_element(ratio.begin(), ratio.end()));
  }
  return 0;
}
