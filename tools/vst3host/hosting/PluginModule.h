#pragma once
// Loads a VST 3 module the way a DAW does. Linux (PluginModuleLinux.cpp): dlopen the shared
// library inside the bundle, call ModuleEntry with the library handle, then GetPluginFactory;
// unloading releases the factory, calls ModuleExit and dlcloses. Windows (PluginModuleWin.cpp):
// LoadLibraryW, InitDll, GetPluginFactory; then the factory, ExitDll and FreeLibrary.

#include "pluginterfaces/base/ipluginbase.h"

#include <memory>
#include <string>
#include <vector>

namespace tarvo::vst3host
{

/// A class of the factory with every description the factory gives.
struct ClassDescription
{
  Steinberg::PClassInfo info{};   // always
  Steinberg::PClassInfo2 info2{}; // when hasInfo2
  Steinberg::PClassInfoW infoW{}; // when hasInfoW
  bool hasInfo2 = false;
  bool hasInfoW = false;
  std::string cidHex; // the 16 bytes as 32 upper-case hex digits, in order
};

class PluginModule
{
public:
#if defined(_WIN32)
  using EntryFunction = bool (*)(); // InitDll
#else
  using EntryFunction = bool (*)(void*); // ModuleEntry
#endif
  using ExitFunction = bool (*)();

  /// The shared library of a bundle: <bundle>/Contents/<uname -m>-linux/<Name>.so (or the only
  /// .so there), on Windows <bundle>/Contents/x86_64-win/<Name>.vst3 (or the only .vst3 file
  /// there); a path to a file is taken as it is. "" when none is found.
  static std::string ResolveLibrary(const std::string& bundleOrLibrary);

  /// Loads the module; null with a reason in error on failure (no library, dlopen error, missing
  /// ModuleEntry or GetPluginFactory, ModuleEntry returning false, no factory).
  static std::unique_ptr<PluginModule> Load(const std::string& bundleOrLibrary, std::string& error);
  ~PluginModule();

  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  Steinberg::IPluginFactory* Factory() const
  {
    return mFactory;
  }
  const std::string& LibraryPath() const
  {
    return mLibraryPath;
  }
  /// The bundle folder, or the library's folder when loaded from a bare .so.
  const std::string& BundlePath() const
  {
    return mBundlePath;
  }
  void* Handle() const
  {
    return mHandle;
  }
  EntryFunction Entry() const
  {
    return mEntry;
  }
  ExitFunction Exit() const
  {
    return mExit;
  }

  Steinberg::PFactoryInfo FactoryInfo() const;
  std::vector<ClassDescription> Classes() const;

private:
  PluginModule() = default;
  void* mHandle = nullptr;
  bool mEntered = false; // ModuleEntry succeeded: ModuleExit is owed
  EntryFunction mEntry = nullptr;
  ExitFunction mExit = nullptr;
  Steinberg::IPluginFactory* mFactory = nullptr;
  std::string mLibraryPath;
  std::string mBundlePath;
};

/// The 16 bytes of a class ID as 32 upper-case hex digits.
std::string CidToHex(const Steinberg::TUID cid);

} // namespace tarvo::vst3host
