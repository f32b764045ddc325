// Hosts that break their side of the contract are survived, and the audio path stays real-time
// safe.
#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

#include <gtest/gtest.h>

#include "Harness.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
std::atomic<long> gAllocations{0};
} // namespace

// The replacements pair malloc with free on purpose; inlined into callers, GCC cannot see that.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t n)
{
  ++gAllocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept
{
  std::free(p);
}
void operator delete(void* p, size_t) noexcept
{
  std::free(p);
}

TEST(Robustness, ProcessAllocatesNothing)
{
  Host h(kSample32, 48000, 256);
  std::vector<float> l(1000, 0.25f), r(1000, -0.25f);
  float* chans[2] = {l.data(), r.data()};
  AudioBusBuffers bus{};
  bus.numChannels = 2;
  bus.channelBuffers32 = chans;
  Changes c;
  c.Add(kGain1, {0.7});
  c.Add(IVST3Plugin::kPresetParam, {0.25});
  c.Add(IVST3Plugin::kBypassParam, {0.0});
  ProcessData data{};
  data.symbolicSampleSize = kSample32;
  data.numSamples = 256;
  data.numInputs = data.numOutputs = 1;
  data.inputs = data.outputs = &bus; // in place, as some hosts do
  data.inputParameterChanges = &c;
  const long before = gAllocations.load();
  for (int i = 0; i < 50; ++i)
    h.plug->process(data);
  data.numSamples = 1000; // longer than announced: split, still no allocation
  h.plug->process(data);
  EXPECT_EQ(before, gAllocations.load());
}

TEST(Robustness, BlocksLongerThanAnnouncedAreProcessedInPieces)
{
  Host small(kSample64, 48000, 64), big(kSample64, 48000, 4096);
  for (Host* h : {&small, &big})
    h->plug->RestorePreset("Phone Call");
  const auto in = Sine(700, 48000, 3000);
  EXPECT_EQ(big.Run(in), small.Run(in));
  std::vector<std::vector<float>> inF(2, std::vector<float>(3000, 0.5f)), outF = inF;
  Host smallF(kSample32, 48000, 64);
  smallF.Process(inF, outF);
  EXPECT_NE(0.0f, outF[0][2999]);
}

TEST(Robustness, EmptyOrBrokenProcessCallsDoNoHarm)
{
  Host h;
  ProcessData data{};
  data.symbolicSampleSize = kSample64;
  EXPECT_EQ(kResultOk, h.plug->process(data)); // no buses, no samples
  data.numSamples = 128;
  EXPECT_EQ(kResultOk, h.plug->process(data)); // samples but no buses
  AudioBusBuffers inBus{}, outBus{};
  inBus.numChannels = outBus.numChannels = 2;
  data.numInputs = data.numOutputs = 1;
  data.inputs = &inBus;
  data.outputs = &outBus;
  EXPECT_EQ(kResultOk, h.plug->process(data)); // null channel arrays
  double a[128] = {}, b[128] = {};
  double* partial[2] = {a, nullptr};
  double* outs[2] = {b, nullptr};
  inBus.channelBuffers64 = partial;
  outBus.channelBuffers64 = outs;
  EXPECT_EQ(kResultOk, h.plug->process(data)); // a null channel pointer
  data.numSamples = -5;
  EXPECT_EQ(kResultOk, h.plug->process(data));

  Changes c;
  c.Add(39, {0.5});
  c.Add(0xFFFFFFFF, {0.5});
  c.Add(kGain1, {std::nan("")});
  c.Add(IVST3Plugin::kPresetParam, {-3.0});
  c.Add(kMix, {});
  h.Run(Sine(100, 48000, 16), &c);
  EXPECT_EQ(-18.0, h.plug->GetParam(kGain1)->Value());
  EXPECT_EQ(kResultFalse, h.plug->setParamNormalized(39, 0.5));
  EXPECT_EQ(0.0, h.plug->getParamNormalized(12345));
  EXPECT_EQ(0, h.plug->GetCurrentPresetIdx());
}

TEST(Robustness, GarbageStateStreamsNeverCrash)
{
  std::mt19937 rng(7);
  Host h;
  for (int i = 0; i < 200; ++i)
  {
    std::vector<char> bytes(rng() % 400);
    for (char& c : bytes)
      c = static_cast<char>(rng());
    h.SetState(bytes, i % 2 == 0);
    for (int p = 0; p < kNumParams; ++p)
    {
      const IParam* param = h.plug->GetParam(p);
      ASSERT_GE(param->Value(), param->GetMin());
      ASSERT_LE(param->Value(), param->GetMax());
    }
  }
  const auto out = h.Run(Sine(100, 48000, 256));
  for (double v : out[0])
    ASSERT_TRUE(std::isfinite(v));
}

TEST(Robustness, MonoRunsOnTheFirstChannelOnly)
{
  Host h(kSample64, 48000, 512, 1);
  h.plug->RestorePreset("Voice Male");
  auto in = Sine(200, 48000, 512, 0.5, 1);
  const auto out = h.Run(in);
  ASSERT_EQ(1u, out.size());
  EXPECT_NE(in[0], out[0]);
  EXPECT_EQ(0.0, h.plug->GetInputMeter(1));
}
