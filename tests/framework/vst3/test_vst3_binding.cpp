// framework/vst3 linked directly: the module entry and factory (with TestGain's module
// description), MakePlug's mutex, and SingleComponentEffect's contract as the binding uses it.

#include "framework/vst3/Module.h"
#include "framework/vst3/ModuleEntry.h"
#include "framework/vst3/PluginFactory.h"
#include "tests/framework/vst3/TestGain.h"

#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "pluginterfaces/vst/vstspeaker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using tarvo::vst3::SingleComponentEffect;
using tarvo::vst3::test::TestGain;

namespace
{

template <class I> I* Query(FUnknown* object)
{
  void* obj = nullptr;
  return object->queryInterface(I::iid, &obj) == kResultOk ? static_cast<I*>(obj) : nullptr;
}

uint32 RefCount(FUnknown* object)
{
  object->addRef();
  return object->release();
}

std::string Ascii(const char16* text)
{
  char ascii[128];
  UString(const_cast<char16*>(text), 128).toAscii(ascii, 128);
  return ascii;
}

TEST(Vst3Module, ClassIdIsTheFixedPrefixThenVendorAndProductCodes)
{
  const auto cid =
      tarvo::vst3::MakeClassId(tarvo::vst3::FourCC("Vlkr"), tarvo::vst3::FourCC("Trvo"));
  const unsigned char expected[16] = {0xF2, 0xAE, 0xE7, 0x0D, 0x00, 0xDE, 0x4F, 0x4E,
                                      'V',  'l',  'k',  'r',  'T',  'r',  'v',  'o'};
  EXPECT_EQ(0, std::memcmp(cid.data(), expected, 16));
  EXPECT_EQ(0x566C6B72u, tarvo::vst3::FourCC("Vlkr"));
}

TEST(Vst3Module, FactoryIsSharedUntilReleased)
{
  IPluginFactory* first = GetPluginFactory();
  IPluginFactory* second = GetPluginFactory();
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(first, second);
  EXPECT_EQ(2u, RefCount(first));
  second->release();
  first->release();
  EXPECT_EQ(nullptr, tarvo::vst3::gPluginFactory);
  IPluginFactory* third = GetPluginFactory();
  EXPECT_EQ(1u, RefCount(third));
  third->release();
}

TEST(Vst3Module, FactoryDescribesAndCreatesItsClasses)
{
  IPluginFactory* factory = GetPluginFactory();
  PFactoryInfo info;
  ASSERT_EQ(kResultOk, factory->getFactoryInfo(&info));
  EXPECT_STREQ("Tarvo Tests", info.vendor);
  EXPECT_EQ(PFactoryInfo::kUnicode, info.flags);
  ASSERT_EQ(3, factory->countClasses());

  auto* factory3 = Query<IPluginFactory3>(factory);
  ASSERT_NE(nullptr, factory3);
  PClassInfo2 info2;
  ASSERT_EQ(kResultOk, factory3->getClassInfo2(0, &info2));
  EXPECT_STREQ("Audio Module Class", info2.category);
  EXPECT_STREQ("TestGain", info2.name);
  EXPECT_STREQ("Fx|Tools", info2.subCategories);
  EXPECT_EQ(uint32(kSimpleModeSupported), info2.classFlags);
  EXPECT_EQ(PClassInfo::kManyInstances, info2.cardinality);
  PClassInfoW infoW;
  ASSERT_EQ(kResultOk, factory3->getClassInfoUnicode(0, &infoW));
  EXPECT_EQ("TestGain", Ascii(infoW.name));
  EXPECT_EQ(0, std::memcmp(info2.cid, infoW.cid, sizeof(TUID)));
  EXPECT_EQ(kInvalidArgument, factory3->getClassInfo2(3, &info2));

  void* obj = nullptr;
  TUID unknown = {};
  EXPECT_EQ(kNoInterface, factory->createInstance(unknown, IComponent::iid, &obj));
  EXPECT_EQ(nullptr, obj);
  ASSERT_EQ(kResultOk, factory->createInstance(info2.cid, IAudioProcessor::iid, &obj));
  auto* processor = static_cast<IAudioProcessor*>(obj);
  EXPECT_EQ(1u, RefCount(processor)); // the factory dropped the creation reference
  processor->release();
  // The split processor refuses IEditController, so creating it as one fails cleanly.
  ASSERT_EQ(kResultOk, factory3->getClassInfo2(1, &info2));
  EXPECT_EQ(kNoInterface, factory->createInstance(info2.cid, IEditController::iid, &obj));
  EXPECT_EQ(nullptr, obj);
  factory3->release();
  factory->release();
}

TEST(Vst3Module, EntryCountsHandlesAndRecordsThePath)
{
  int first = 0, second = 0;
  EXPECT_TRUE(ModuleEntry(nullptr)); // nothing recorded
  EXPECT_EQ(0, tarvo::vst3::ModuleEntryCount());
  EXPECT_EQ("", tarvo::vst3::ModulePath());

  EXPECT_TRUE(ModuleEntry(&first));
  EXPECT_TRUE(ModuleEntry(&second));
  EXPECT_EQ(2, tarvo::vst3::ModuleEntryCount());
  EXPECT_EQ(&first, tarvo::vst3::ModuleHandle());
  char self[PATH_MAX];
  ASSERT_NE(nullptr, realpath("/proc/self/exe", self));
  EXPECT_EQ(std::string(self), tarvo::vst3::ModulePath()); // this code lives in the executable
  EXPECT_EQ("", tarvo::vst3::ModuleBundlePath());          // which is no bundle

  EXPECT_TRUE(ModuleExit());
  EXPECT_EQ(1, tarvo::vst3::ModuleEntryCount());
  EXPECT_EQ(std::string(self), tarvo::vst3::ModulePath());
  EXPECT_TRUE(ModuleExit());
  EXPECT_EQ(0, tarvo::vst3::ModuleEntryCount());
  EXPECT_EQ(nullptr, tarvo::vst3::ModuleHandle());
  EXPECT_EQ("", tarvo::vst3::ModulePath());
  EXPECT_TRUE(ModuleExit()); // unbalanced: the count stays at 0
  EXPECT_EQ(0, tarvo::vst3::ModuleEntryCount());
}

std::atomic<int> gInside{0};
std::atomic<int> gMostInside{0};

struct SlowPlug
{
  SlowPlug()
  {
    const int now = ++gInside;
    int most = gMostInside.load();
    while (now > most && !gMostInside.compare_exchange_weak(most, now))
    {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    // The mutex is recursive: a plug-in may build helpers through MakePlug while being built.
    delete tarvo::vst3::MakePlug<int>(7);
    --gInside;
  }
};

TEST(Vst3Module, MakePlugBuildsOneInstanceAtATime)
{
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back(
        []
        {
          for (int i = 0; i < 5; ++i)
            delete tarvo::vst3::MakePlug<SlowPlug>();
        });
  for (std::thread& thread : threads)
    thread.join();
  EXPECT_EQ(1, gMostInside.load());
}

// --- SingleComponentEffect ---

class RecordingHandler : public IComponentHandler
{
public:
  std::vector<std::string> calls;
  tresult PLUGIN_API beginEdit(ParamID id) override { return Note("begin " + std::to_string(id)); }
  tresult PLUGIN_API performEdit(ParamID id, ParamValue value) override
  {
    return Note("perform " + std::to_string(id) + " " + std::to_string(value));
  }
  tresult PLUGIN_API endEdit(ParamID id) override { return Note("end " + std::to_string(id)); }
  tresult Note(const std::string& call)
  {
    calls.push_back(call);
    return kResultOk;
  }
  tresult PLUGIN_API restartComponent(int32) override { return kResultOk; }
  tresult PLUGIN_API queryInterface(const TUID, void** obj) override
  {
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return ++refs; }
  uint32 PLUGIN_API release() override { return --refs; }
  uint32 refs = 1;
};

// Bare SingleComponentEffect with the four state virtuals told apart.
class Bare : public SingleComponentEffect
{
public:
  using SingleComponentEffect::processSetup;
  std::string lastState;

protected:
  tresult getProcessorState(IBStream*) override { return Note("component get"); }
  tresult setProcessorState(IBStream*) override { return Note("component set"); }
  tresult getEditorState(IBStream*) override { return Note("controller get"); }
  tresult setEditorState(IBStream*) override { return Note("controller set"); }

private:
  tresult Note(const char* what)
  {
    lastState = what;
    return kResultOk;
  }
};

TEST(SingleComponentEffect, OneObjectAnswersEveryRoleWithOneCount)
{
  auto* plug = new TestGain;
  FUnknown* unknown = static_cast<IAudioProcessor*>(plug);
  auto* component = Query<IComponent>(unknown);
  auto* processor = Query<IAudioProcessor>(unknown);
  auto* controller = Query<IEditController>(unknown);
  auto* units = Query<IUnitInfo>(unknown);
  auto* base = Query<IPluginBase>(unknown);
  auto* connection = Query<IConnectionPoint>(unknown);
  auto* funknown = Query<FUnknown>(unknown);
  ASSERT_TRUE(component && processor && controller && units && base && connection && funknown);
  EXPECT_EQ(nullptr, Query<IEditController2>(unknown));
  EXPECT_EQ(8u, RefCount(controller));
  for (FUnknown* ref :
       std::vector<FUnknown*>{component, processor, controller, units, base, connection, funknown})
    ref->release();
  EXPECT_EQ(1u, RefCount(unknown));
  unknown->release();
}

TEST(SingleComponentEffect, BusesAndArrangements)
{
  auto* plug = new TestGain;
  IComponent* component = plug;
  IAudioProcessor* processor = plug;
  RecordingHandler host; // any FUnknown serves as host context
  EXPECT_EQ(0, component->getBusCount(kAudio, kInput));
  ASSERT_EQ(kResultOk, component->initialize(&host));
  EXPECT_EQ(1, component->getBusCount(kAudio, kInput));
  EXPECT_EQ(1, component->getBusCount(kAudio, kOutput));
  EXPECT_EQ(0, component->getBusCount(kEvent, kInput));

  BusInfo info{};
  ASSERT_EQ(kResultTrue, component->getBusInfo(kAudio, kOutput, 0, info));
  EXPECT_EQ(2, info.channelCount);
  EXPECT_EQ(kOutput, info.direction);
  EXPECT_EQ(kMain, info.busType);
  EXPECT_EQ(uint32(BusInfo::kDefaultActive), info.flags);
  EXPECT_EQ("Output", Ascii(info.name));
  EXPECT_EQ(kInvalidArgument, component->getBusInfo(kAudio, kOutput, 1, info));
  EXPECT_EQ(kInvalidArgument, component->getBusInfo(kAudio, kInput, -1, info));
  EXPECT_EQ(kResultTrue, component->activateBus(kAudio, kInput, 0, false));
  EXPECT_EQ(kInvalidArgument, component->activateBus(kEvent, kInput, 0, true));

  SpeakerArrangement arr = 0;
  ASSERT_EQ(kResultTrue, processor->getBusArrangement(kInput, 0, arr));
  EXPECT_EQ(SpeakerArr::kStereo, arr);
  SpeakerArrangement mono = SpeakerArr::kMono, stereo = SpeakerArr::kStereo;
  EXPECT_EQ(kResultTrue, processor->setBusArrangements(&mono, 1, &mono, 1));
  processor->getBusArrangement(kOutput, 0, arr);
  EXPECT_EQ(SpeakerArr::kMono, arr);
  EXPECT_EQ(kResultFalse, processor->setBusArrangements(&mono, 1, &stereo, 1)); // TestGain refuses
  // The base's default: more arrangements than buses is refused, fewer are applied.
  SpeakerArrangement two[2] = {SpeakerArr::kStereo, SpeakerArr::kStereo};
  EXPECT_EQ(kResultFalse, plug->SingleComponentEffect::setBusArrangements(two, 2, two, 1));
  EXPECT_EQ(kResultTrue, plug->SingleComponentEffect::setBusArrangements(two, 1, nullptr, 0));
  processor->getBusArrangement(kInput, 0, arr);
  EXPECT_EQ(SpeakerArr::kStereo, arr);
  EXPECT_EQ(kInvalidArgument, processor->getBusArrangement(kInput, 1, arr));

  EXPECT_EQ(kResultOk, component->terminate());
  EXPECT_EQ(0, component->getBusCount(kAudio, kInput));
  EXPECT_EQ(0, plug->getParameterCount());
  EXPECT_EQ(1u, host.refs);                           // terminate released the context
  EXPECT_EQ(kResultOk, component->initialize(&host)); // and allows a new initialize
  EXPECT_EQ(kResultFalse, component->initialize(&host));
  EXPECT_EQ(3, plug->getParameterCount());
  component->terminate();
  component->release();
}

TEST(SingleComponentEffect, ParametersGoThroughTheContainer)
{
  auto* plug = new TestGain;
  IEditController* controller = plug;
  controller->initialize(nullptr);
  ASSERT_EQ(3, controller->getParameterCount());
  ParameterInfo info{};
  ASSERT_EQ(kResultTrue, controller->getParameterInfo(0, info));
  EXPECT_EQ(TestGain::kGainId, info.id);
  EXPECT_DOUBLE_EQ(0.5, info.defaultNormalizedValue);
  EXPECT_EQ(kResultFalse, controller->getParameterInfo(3, info)); // no throw from the SDK
  EXPECT_EQ(kResultFalse, controller->getParameterInfo(-1, info));

  EXPECT_DOUBLE_EQ(12.0, controller->normalizedParamToPlain(TestGain::kGainId, 0.75));
  EXPECT_DOUBLE_EQ(0.625, controller->plainParamToNormalized(TestGain::kGainId, 6.0));
  EXPECT_DOUBLE_EQ(0.3, controller->normalizedParamToPlain(99, 0.3)); // unknown: unchanged
  EXPECT_DOUBLE_EQ(7.0, controller->plainParamToNormalized(99, 7.0));

  EXPECT_EQ(kResultTrue, controller->setParamNormalized(TestGain::kGainId, 0.25));
  EXPECT_DOUBLE_EQ(0.25, controller->getParamNormalized(TestGain::kGainId));
  EXPECT_EQ(kResultFalse, controller->setParamNormalized(99, 0.25));
  EXPECT_DOUBLE_EQ(0.0, controller->getParamNormalized(99));

  String128 text{};
  ASSERT_EQ(kResultTrue, controller->getParamStringByValue(TestGain::kGainId, 0.75, text));
  EXPECT_EQ(12.0, std::atof(Ascii(text).c_str()));
  EXPECT_EQ(kResultFalse, controller->getParamStringByValue(99, 0.5, text));
  ParamValue value = 0.0;
  UString(text, 128).fromAscii("-12");
  ASSERT_EQ(kResultTrue, controller->getParamValueByString(TestGain::kGainId, text, value));
  EXPECT_DOUBLE_EQ(0.25, value);
  EXPECT_EQ(kResultFalse, controller->getParamValueByString(99, text, value));
  EXPECT_EQ(nullptr, controller->createView("editor"));
  controller->terminate();
  controller->release();
}

TEST(SingleComponentEffect, EditsGoToTheComponentHandler)
{
  auto* plug = new TestGain;
  EXPECT_EQ(kResultFalse, plug->beginEdit(0));
  RecordingHandler handler;
  IEditController* controller = plug;
  EXPECT_EQ(kResultTrue, controller->setComponentHandler(&handler));
  EXPECT_EQ(2u, handler.refs);
  EXPECT_EQ(kResultOk, plug->beginEdit(0));
  EXPECT_EQ(kResultOk, plug->performEdit(0, 0.5));
  EXPECT_EQ(kResultOk, plug->endEdit(0));
  EXPECT_EQ((std::vector<std::string>{"begin 0", "perform 0 0.500000", "end 0"}), handler.calls);
  EXPECT_EQ(kResultTrue, controller->setComponentHandler(&handler)); // same one: no new reference
  EXPECT_EQ(2u, handler.refs);
  controller->setComponentHandler(nullptr);
  EXPECT_EQ(1u, handler.refs);
  EXPECT_EQ(kResultFalse, plug->performEdit(0, 0.5));
  controller->setComponentHandler(&handler);
  controller->release(); // destruction releases the handler
  EXPECT_EQ(1u, handler.refs);
}

TEST(SingleComponentEffect, ComponentAndControllerStatesStayApart)
{
  auto* bare = new Bare;
  IComponent* component = bare;
  IEditController* controller = bare;
  component->getState(nullptr);
  EXPECT_EQ("component get", bare->lastState);
  controller->getState(nullptr);
  EXPECT_EQ("controller get", bare->lastState);
  component->setState(nullptr);
  EXPECT_EQ("component set", bare->lastState);
  controller->setState(nullptr);
  EXPECT_EQ("controller set", bare->lastState);
  EXPECT_EQ(kNotImplemented, controller->setComponentState(nullptr));
  bare->release();

  auto* plain = new SingleComponentEffect; // the base's own answers
  EXPECT_EQ(kNotImplemented, static_cast<IComponent*>(plain)->getState(nullptr));
  EXPECT_EQ(kNotImplemented, static_cast<IEditController*>(plain)->setState(nullptr));
  plain->release();
}

TEST(SingleComponentEffect, SetupProcessingKeepsOnlyAnAcceptedSetup)
{
  auto* bare = new Bare;
  IAudioProcessor* processor = bare;
  EXPECT_EQ(kResultTrue, processor->canProcessSampleSize(kSample32));
  EXPECT_EQ(kResultFalse, processor->canProcessSampleSize(kSample64));
  ProcessSetup setup{kRealtime, kSample64, 256, 44100.0};
  EXPECT_EQ(kResultFalse, processor->setupProcessing(setup));
  EXPECT_EQ(0.0, bare->processSetup.sampleRate);
  setup.symbolicSampleSize = kSample32;
  EXPECT_EQ(kResultOk, processor->setupProcessing(setup));
  EXPECT_EQ(44100.0, bare->processSetup.sampleRate);
  EXPECT_EQ(256, bare->processSetup.maxSamplesPerBlock);
  EXPECT_EQ(kResultOk, bare->setActive(true));
  EXPECT_EQ(kNotImplemented, processor->setProcessing(true));
  EXPECT_EQ(0u, processor->getLatencySamples());
  EXPECT_EQ(kNoTail, processor->getTailSamples());
  TUID cid{};
  EXPECT_EQ(kNotImplemented, bare->getControllerClassId(cid));
  bare->release();
}

} // namespace
