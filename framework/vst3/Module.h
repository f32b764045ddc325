#pragma once
// The module side of a VST 3 plug-in on Linux: what a module tells the
// entry code about itself, instance creation under the module-wide mutex, and the module's own
// bookkeeping (entry count, handle, file-system path).
//
// A module (the product, a test plug-in) is built with tarvo_vst3_bundle (cmake/Vst3Bundle.cmake),
// which links in the exported entry points (ModuleEntry.cpp). The module itself supplies exactly
// one function, DescribeModule:
//
//   void tarvo::vst3::DescribeModule(tarvo::vst3::ModuleDescription& module)
//   {
//     module.factoryInfo = Steinberg::PFactoryInfo("Vendor", "https://…", "mailto:…",
//                                                  Steinberg::PFactoryInfo::kUnicode);
//     module.AddClass(Steinberg::PClassInfo2(MakeClassId(FourCC("Vlkr"), FourCC("Trvo")).data(),
//     …),
//                     &tarvo::vst3::CreateInstance<MyPlug>);
//   }
//
// Every symbol here is hidden: each module has its own copy of this state.

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include "framework/vst3/PluginFactory.h"

#include <array>
#include <mutex>
#include <string>
#include <vector>

namespace tarvo::vst3
{

/// One class of the module's factory.
struct ClassRegistration
{
  Steinberg::PClassInfo2 info;
  CreateFunction create = nullptr;
  void* context = nullptr;
};

/// What the entry code needs from a module. Filled once per module by DescribeModule and kept
/// for the module's lifetime.
struct ModuleDescription
{
  Steinberg::PFactoryInfo factoryInfo;
  std::vector<ClassRegistration> classes;
  /// InitModule hook, called by every ModuleEntry; null does nothing and succeeds.
  bool (*initModule)() = nullptr;
  /// DeinitModule hook, called by every ModuleExit; null does nothing and succeeds.
  bool (*deinitModule)() = nullptr;

  void AddClass(const Steinberg::PClassInfo2& info, CreateFunction create, void* context = nullptr)
  {
    classes.push_back(ClassRegistration{info, create, context});
  }
};

/// Supplied by each module: fills in its description. Called once, under a one-time guard, on
/// the first ModuleEntry or GetPluginFactory.
void DescribeModule(ModuleDescription& module);

/// The module's description (DescribeModule's result, made on first use, thread-safe). Defined
/// with the entry points (ModuleEntry.cpp), so only code linked into a bundle may call it.
const ModuleDescription& GetModuleDescription();

/// A four-character code as the 32-bit number the multi-character literal 'Trvo' would give
/// (first character most significant), without the compiler's -Wmultichar warning.
constexpr Steinberg::uint32 FourCC(const char (&code)[5])
{
  return (static_cast<Steinberg::uint32>(static_cast<unsigned char>(code[0])) << 24) |
         (static_cast<Steinberg::uint32>(static_cast<unsigned char>(code[1])) << 16) |
         (static_cast<Steinberg::uint32>(static_cast<unsigned char>(code[2])) << 8) |
         static_cast<Steinberg::uint32>(static_cast<unsigned char>(code[3]));
}

/// The class ID of a plug-in: four 32-bit words stored most significant byte first,
/// 0xF2AEE70D, 0x00DE4F4E, the manufacturer ID, the unique ID. Codes 'Vlkr'/'Trvo' give
/// F2 AE E7 0D 00 DE 4F 4E 56 6C 6B 72 54 72 76 6F.
std::array<char, 16> MakeClassId(Steinberg::uint32 manufacturerId, Steinberg::uint32 uniqueId);

/// The module-wide recursive mutex that serialises instance construction; created on first use
/// (thread-safe), destroyed when the module is unloaded.
std::recursive_mutex& ModuleMutex();

/// Builds one instance of Plug under the module-wide mutex, so instances
/// created from several threads are built one after the other. Returns it with its initial
/// reference.
template <class Plug, class... Args> Plug* MakePlug(Args&&... args)
{
  std::lock_guard<std::recursive_mutex> lock(ModuleMutex());
  return new Plug(std::forward<Args>(args)...);
}

/// A CreateFunction for a default-constructible single-component plug-in: MakePlug, returned as
/// its IAudioProcessor interface carrying the initial reference. Ignores the context.
template <class Plug> Steinberg::FUnknown* CreateInstance(void* /*context*/)
{
  return static_cast<Steinberg::Vst::IAudioProcessor*>(MakePlug<Plug>());
}

// --- Module bookkeeping (ModuleEntry/ModuleExit) ---

/// Number of ModuleEntry calls with a non-null handle not yet balanced by ModuleExit.
int ModuleEntryCount();
/// The first handle given to ModuleEntry; null before it and after the count returns to 0.
void* ModuleHandle();
/// File-system path of this module's shared library, recorded by the first ModuleEntry with a
/// handle (dladdr); "" before it and after the count returns to 0.
std::string ModulePath();
/// The bundle folder (".../Name.vst3") of the recorded module path, or "" when the module does
/// not sit in Contents/<arch>-linux (Contents\<arch>-win on Windows) of a bundle.
std::string ModuleBundlePath();

namespace detail
{
/// ModuleEntry's work (see ModuleEntry.cpp).
bool EnterModule(void* handle, bool (*initModule)());
/// ModuleExit's work.
bool ExitModule(bool (*deinitModule)());
} // namespace detail

} // namespace tarvo::vst3
