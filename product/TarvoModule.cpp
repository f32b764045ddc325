// What the module tells a host about itself: one factory, one class, instances made one at a
// time under the module-wide mutex.

#include "framework/vst3/Module.h"
#include "product/Tarvo.h"
#include "product/VendorInfo.h"

#if defined(_WIN32)
#include "framework/platform/win32/IGraphicsWin.h"
#elif defined(__linux__)
#include "framework/platform/x11/IGraphicsLinux.h"
#endif

namespace
{
// The editor's platform layer for the system the module is built for; none where we have none.
GraphicsFactory PlatformGraphics()
{
#if defined(_WIN32)
  return &MakeWinGraphics;
#elif defined(__linux__)
  return &MakeLinuxGraphics;
#else
  return nullptr;
#endif
}

Steinberg::FUnknown* CreateTarvo(void*)
{
  return static_cast<Steinberg::Vst::IAudioProcessor*>(
      tarvo::vst3::MakePlug<Tarvo>(IInstanceInfo(), PlatformGraphics()));
}
} // namespace
void tarvo::vst3::DescribeModule(ModuleDescription& module)
{
  module.factoryInfo = Steinberg::PFactoryInfo(
      TARVO_VENDOR_NAME, TARVO_VENDOR_URL, TARVO_VENDOR_EMAIL, Steinberg::PFactoryInfo::kUnicode);
  // The component and the controller are one object: no controller class is registered.
  const auto cid = MakeClassId(FourCC("Vlkr"), FourCC("Trvo"));
  module.AddClass(Steinberg::PClassInfo2(cid.data(), Steinberg::PClassInfo::kManyInstances,
                                         "Audio Module Class", "Tarvo",
                                         Steinberg::Vst::kSimpleModeSupported, "Fx|EQ", "",
                                         TARVO_VERSION_STR, "VST 3.6.5"),
                  &CreateTarvo);
}
