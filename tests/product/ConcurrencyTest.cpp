// Tarvo.vst3 driven the way a DAW drives it from two threads at once: the UI thread sets and
// reads controller values and saves and restores the state while the audio thread processes
// blocks with parameter queues, program changes and host bypass. In the ThreadSanitizer stage
// every access the two make to shared data must be ordered.
#include <atomic>
#include <cmath>
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
constexpr int kParams = 39;
} // namespace

TEST(ModuleConcurrency, ControllerAndStateCallsWhileBlocksRun)
{
  std::string error;
  auto module = PluginModule::Load(TARVO_BUNDLE, error);
  ASSERT_TRUE(module) << error;
  auto plug = PluginInstance::Create(*module, error);
  ASSERT_TRUE(plug) << error;
  ASSERT_TRUE(plug->Configure(2, 48000.0, 256, kSample32, kRealtime, error)) << error;
  plug->SetActive(true);

  std::atomic<bool> stop{false};
  std::atomic<int> blocks{0};
  std::thread audio(
      [&]
      {
        std::vector<float> l(256), r(256);
        float* io[] = {l.data(), r.data()};
        for (int k = 0; !stop.load(); ++k)
        {
          for (size_t i = 0; i < l.size(); ++i)
            l[i] = r[i] = std::sin(0.05f * static_cast<float>(i + 256 * k)) * 0.3f;
          plug->QueueChange(static_cast<ParamID>(k % kParams), (k % 100) / 100.0);
          if (k % 16 == 0) plug->QueueChange(kPreset, (k / 16 % 32) / 32.0);
          if (k % 5 == 0) plug->QueueChange(kHostBypass, k % 2);
          plug->Process(io, io, 256);
          ++blocks;
        }
      });

  for (int i = 0; i < 400 || blocks.load() < 50; ++i)
  {
    const ParamID id = static_cast<ParamID>((i * 7) % kParams);
    EXPECT_EQ(kResultOk, plug->SetControllerValue(id, (i % 10) / 10.0));
    const double v = plug->ControllerValue(static_cast<ParamID>(i % kParams));
    EXPECT_TRUE(v >= 0.0 && v <= 1.0);
    plug->SetControllerValue(kHostBypass, i % 2);
    plug->ControllerValue(kHostBypass);
    if (i % 25 == 0) plug->SetControllerValue(kPreset, (i / 25 % 32) / 32.0);
    plug->ControllerValue(kPreset);
    if (i % 10 == 0)
    {
      std::vector<uint8_t> state;
      ASSERT_EQ(kResultOk, plug->GetControllerState(state));
      EXPECT_EQ(kResultOk, plug->SetControllerState(state));
    }
  }
  stop = true;
  audio.join();
  plug->SetActive(false);
}
