#pragma once
// Drives a Tarvo instance the way a host does, in-process: parameter queues, process data in
// 32 or 64 bits, and state streams.

#include <memory>
#include <utility>
#include <vector>

#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "product/Tarvo.h"
#include "public.sdk/source/common/memorystream.h"

class Queue final : public Steinberg::Vst::IParamValueQueue
{
public:
  Queue(Steinberg::Vst::ParamID id, std::vector<double> values)
      : mId(id), mValues(std::move(values))
  {
  }
  Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return mId; }
  Steinberg::int32 PLUGIN_API getPointCount() override
  {
    return static_cast<Steinberg::int32>(mValues.size());
  }
  Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& offset,
                                         Steinberg::Vst::ParamValue& value) override
  {
    if (index < 0 || index >= getPointCount()) return Steinberg::kResultFalse;
    offset = index;
    value = mValues[static_cast<size_t>(index)];
    return Steinberg::kResultOk;
  }
  Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32, Steinberg::Vst::ParamValue,
                                         Steinberg::int32&) override
  {
    return Steinberg::kResultFalse;
  }
  DECLARE_FUNKNOWN_METHODS

private:
  Steinberg::Vst::ParamID mId;
  std::vector<double> mValues;
};

class Changes final : public Steinberg::Vst::IParameterChanges
{
public:
  void Add(Steinberg::Vst::ParamID id, std::vector<double> values)
  {
    mQueues.push_back(std::make_unique<Queue>(id, std::move(values)));
  }
  Steinberg::int32 PLUGIN_API getParameterCount() override
  {
    return static_cast<Steinberg::int32>(mQueues.size());
  }
  Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override
  {
    return index >= 0 && index < getParameterCount() ? mQueues[static_cast<size_t>(index)].get()
                                                     : nullptr;
  }
  Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID&,
                                                                Steinberg::int32&) override
  {
    return nullptr;
  }
  DECLARE_FUNKNOWN_METHODS

private:
  std::vector<std::unique_ptr<Queue>> mQueues;
};

// One plug-in instance, initialised and set up like a host would.
struct Host
{
  explicit Host(int sampleSize = Steinberg::Vst::kSample64, double rate = 48000, int maxBlock = 512,
                int channels = 2);
  ~Host();

  // Runs one block; in and out hold one vector per channel (they may be the same vectors).
  template <class S>
  Steinberg::tresult Process(std::vector<std::vector<S>>& in, std::vector<std::vector<S>>& out,
                             Changes* changes = nullptr, int nFrames = -1);
  // Stereo 64-bit convenience: returns the output.
  std::vector<std::vector<double>> Run(const std::vector<std::vector<double>>& in,
                                       Changes* changes = nullptr);
  void Set(int paramIdx, double plain);
  std::vector<char> GetState(bool component = false);
  Steinberg::tresult SetState(const std::vector<char>& bytes, bool component = false);

  Tarvo* plug;
};

std::vector<std::vector<double>> Sine(double freq, double rate, int n, double amp = 0.5,
                                      int channels = 2);
