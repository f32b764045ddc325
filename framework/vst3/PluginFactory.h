#pragma once
// The module's class factory: our replacement for the SDK's CPluginFactory (missing from the SDK
// subset Debian ships). It holds the factory description and a list of registered classes, and
// creates instances by class ID. Answers IPluginFactory, IPluginFactory2 and IPluginFactory3.
//
// Threads: classes are registered once, before the factory is handed to the host; afterwards the
// factory is read-only and its methods may be called from any host thread without a lock.
// createInstance runs the class's create function (MakePlug takes the module mutex). Reference
// counting is atomic; the last release deletes it.

#include "pluginterfaces/base/ipluginbase.h"

#include <vector>

namespace tarvo::vst3
{

/// Creates one instance of a registered class and returns it with one reference (the caller's),
/// or null. The context is the one given at registration.
using CreateFunction = Steinberg::FUnknown* (*)(void* context);

class CPluginFactory : public Steinberg::IPluginFactory3
{
public:
  explicit CPluginFactory(const Steinberg::PFactoryInfo& info);
  virtual ~CPluginFactory();

  CPluginFactory(const CPluginFactory&) = delete;
  CPluginFactory& operator=(const CPluginFactory&) = delete;

  /// Adds a class. False (nothing added) for a null create function or a class ID that is
  /// already registered.
  bool registerClass(const Steinberg::PClassInfo2& info, CreateFunction create,
                     void* context = nullptr);
  bool isClassRegistered(const Steinberg::TUID cid) const;
  void removeAllClasses();

  // --- IPluginFactory ---
  Steinberg::tresult PLUGIN_API getFactoryInfo(Steinberg::PFactoryInfo* info) override;
  Steinberg::int32 PLUGIN_API countClasses() override;
  Steinberg::tresult PLUGIN_API getClassInfo(Steinberg::int32 index,
                                             Steinberg::PClassInfo* info) override;
  /// Creates the class cid and asks it for iid. kResultOk with *obj set, else kNoInterface
  /// (unknown class, failed creation or interface not supported) with *obj null.
  Steinberg::tresult PLUGIN_API createInstance(Steinberg::FIDString cid, Steinberg::FIDString iid,
                                               void** obj) override;
  // --- IPluginFactory2 ---
  Steinberg::tresult PLUGIN_API getClassInfo2(Steinberg::int32 index,
                                              Steinberg::PClassInfo2* info) override;
  // --- IPluginFactory3 ---
  /// The class description with its texts widened to UTF-16.
  Steinberg::tresult PLUGIN_API getClassInfoUnicode(Steinberg::int32 index,
                                                    Steinberg::PClassInfoW* info) override;
  Steinberg::tresult PLUGIN_API
  setHostContext(Steinberg::FUnknown* context) override; // kNotImplemented

  // --- FUnknown ---
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  Steinberg::uint32 PLUGIN_API addRef() override;
  Steinberg::uint32 PLUGIN_API release() override;

private:
  struct ClassEntry
  {
    Steinberg::PClassInfo2 info;
    CreateFunction create;
    void* context;
  };

  Steinberg::int32 mRefCount = 1;
  Steinberg::PFactoryInfo mFactoryInfo;
  std::vector<ClassEntry> mClasses;
};

/// The module's factory (the SDK's gPluginFactory): set by GetPluginFactory, cleared when that
/// factory is destroyed.
extern Steinberg::IPluginFactory* gPluginFactory;

} // namespace tarvo::vst3
