// The three symbols a VST 3 module exports: ModuleEntry and ModuleExit on Linux, InitDll and
// ExitDll on Windows (the names of the macOS bundleEntry/bundleExit there) and GetPluginFactory.
// Compiled into every bundle by tarvo_vst3_bundle (the object library tarvo_vst3_entry), never into
// a static library, so the linker cannot drop them; the bundle's version script keeps every other
// symbol local.
//
// Threads: the host calls these from its main thread. GetPluginFactory's check-then-create of the
// factory is not locked (hosts call it from one thread); the one-time description
// is.

#include "framework/vst3/ModuleEntry.h"

#include "framework/vst3/Module.h"

namespace tarvo::vst3
{

const ModuleDescription& GetModuleDescription()
{
  static const ModuleDescription description = []
  {
    ModuleDescription module;
    DescribeModule(module);
    return module;
  }();
  return description;
}

} // namespace tarvo::vst3

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace
{
// The module's own instance, from the loader: the handle InitDll remembers and whose file name
// is the module's path.
HINSTANCE gInstance = nullptr;
} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
  if (reason == DLL_PROCESS_ATTACH) gInstance = instance;
  return TRUE;
}
#endif

extern "C"
{

#if defined(_WIN32)
  /// Module load hook, the Windows name of ModuleEntry with its contract; the handle is the
  /// module's own instance.
  SMTG_EXPORT_SYMBOL bool InitDll()
  {
    return tarvo::vst3::detail::EnterModule(gInstance,
                                            tarvo::vst3::GetModuleDescription().initModule);
  }

  /// Module unload hook, the Windows name of ModuleExit with its contract.
  SMTG_EXPORT_SYMBOL bool ExitDll()
  {
    return tarvo::vst3::detail::ExitModule(tarvo::vst3::GetModuleDescription().deinitModule);
  }
#else
  /// Module load hook. A non-null handle is counted and remembered (the first one becomes the
  /// module handle and the module's path is recorded); then the module's InitModule hook runs
  /// (true without one), for a null handle too.
  SMTG_EXPORT_SYMBOL bool ModuleEntry(void* sharedLibraryHandle)
  {
    return tarvo::vst3::detail::EnterModule(sharedLibraryHandle,
                                            tarvo::vst3::GetModuleDescription().initModule);
  }

  /// Module unload hook: false if the DeinitModule hook fails; else the entry count drops by one
  /// (never below 0) and, at 0, the remembered handles and path are forgotten; true.
  SMTG_EXPORT_SYMBOL bool ModuleExit(void)
  {
    return tarvo::vst3::detail::ExitModule(tarvo::vst3::GetModuleDescription().deinitModule);
  }

#endif

  /// The module's single factory, with one reference for the caller: created on the first call
  /// (or after the host released the previous one) from the module description.
  SMTG_EXPORT_SYMBOL Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory()
  {
    using namespace tarvo::vst3;
    if (gPluginFactory)
    {
      gPluginFactory->addRef();
      return gPluginFactory;
    }
    const ModuleDescription& description = GetModuleDescription();
    auto* factory = new CPluginFactory(description.factoryInfo);
    for (const ClassRegistration& c : description.classes)
      factory->registerClass(c.info, c.create, c.context);
    gPluginFactory = factory;
    return factory;
  }

} // extern "C"
