// The module description of the TestGain bundle: what the product's module entry file will look
// like.
#include "framework/vst3/Module.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "tests/framework/vst3/TestGain.h"

void tarvo::vst3::DescribeModule(ModuleDescription& module)
{
  module.factoryInfo =
      Steinberg::PFactoryInfo("Tarvo Tests", "https://example.invalid/tarvo",
                              "mailto:tests@example.invalid", Steinberg::PFactoryInfo::kUnicode);
  module.AddClass(Steinberg::PClassInfo2(MakeClassId(FourCC("Trvt"), FourCC("TGan")).data(),
                                         Steinberg::PClassInfo::kManyInstances,
                                         kVstAudioEffectClass, "TestGain",
                                         Steinberg::Vst::kSimpleModeSupported, "Fx|Tools", "",
                                         "1.0.0", kVstVersionString),
                  &CreateInstance<test::TestGain>);
  // The same plug-in as a separate processor and controller.
  module.AddClass(Steinberg::PClassInfo2(
                      MakeClassId(FourCC("Trvt"), FourCC("TGsp")).data(),
                      Steinberg::PClassInfo::kManyInstances, kVstAudioEffectClass, "TestGain Split",
                      Steinberg::Vst::kDistributable, "Fx|Tools", "", "1.0.0", kVstVersionString),
                  &CreateInstance<test::TestGainSplitProcessor>);
  module.AddClass(Steinberg::PClassInfo2(test::TestGainSplitProcessor::ControllerClassId(),
                                         Steinberg::PClassInfo::kManyInstances,
                                         kVstComponentControllerClass, "TestGain Split Controller",
                                         0, "", "", "1.0.0", kVstVersionString),
                  [](void*) -> Steinberg::FUnknown*
                  {
                    return static_cast<Steinberg::Vst::IEditController*>(
                        MakePlug<test::TestGainSplitController>());
                  });
}
