#include "framework/vst3/PluginFactory.h"

#include "pluginterfaces/base/ustring.h"

#include <cstring>

namespace tarvo::vst3
{

using namespace Steinberg;

IPluginFactory* gPluginFactory = nullptr;

CPluginFactory::CPluginFactory(const PFactoryInfo& info) : mFactoryInfo(info) {}

CPluginFactory::~CPluginFactory()
{
  if (gPluginFactory == this) gPluginFactory = nullptr;
}

bool CPluginFactory::registerClass(const PClassInfo2& info, CreateFunction create, void* context)
{
  if (!create || isClassRegistered(info.cid)) return false;
  mClasses.push_back(ClassEntry{info, create, context});
  return true;
}

bool CPluginFactory::isClassRegistered(const TUID cid) const
{
  for (const ClassEntry& entry : mClasses)
    if (std::memcmp(entry.info.cid, cid, sizeof(TUID)) == 0) return true;
  return false;
}

void CPluginFactory::removeAllClasses()
{
  mClasses.clear();
}

tresult PLUGIN_API CPluginFactory::getFactoryInfo(PFactoryInfo* info)
{
  if (!info) return kInvalidArgument;
  std::memcpy(info, &mFactoryInfo, sizeof(PFactoryInfo));
  return kResultOk;
}

int32 PLUGIN_API CPluginFactory::countClasses()
{
  return static_cast<int32>(mClasses.size());
}

tresult PLUGIN_API CPluginFactory::getClassInfo(int32 index, PClassInfo* info)
{
  if (!info) return kInvalidArgument;
  if (index < 0 || index >= countClasses()) return kInvalidArgument;
  const PClassInfo2& c = mClasses[static_cast<size_t>(index)].info;
  *info = PClassInfo();
  std::memcpy(info->cid, c.cid, sizeof(TUID));
  info->cardinality = c.cardinality;
  std::memcpy(info->category, c.category, sizeof(info->category));
  std::memcpy(info->name, c.name, sizeof(info->name));
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfo2(int32 index, PClassInfo2* info)
{
  if (!info) return kInvalidArgument;
  if (index < 0 || index >= countClasses()) return kInvalidArgument;
  std::memcpy(info, &mClasses[static_cast<size_t>(index)].info, sizeof(PClassInfo2));
  return kResultOk;
}

namespace
{
// Widens an 8-bit field of n bytes (not necessarily terminated) into a UTF-16 field of n units.
template <size_t N> void widen(char16 (&dest)[N], const char8 (&src)[N])
{
  char8 terminated[N + 1];
  std::memcpy(terminated, src, N);
  terminated[N] = 0;
  UString(dest, static_cast<int32>(N)).fromAscii(terminated);
}
} // namespace

tresult PLUGIN_API CPluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info)
{
  if (!info) return kInvalidArgument;
  if (index < 0 || index >= countClasses()) return kInvalidArgument;
  const PClassInfo2& c = mClasses[static_cast<size_t>(index)].info;
  *info = PClassInfoW();
  std::memcpy(info->cid, c.cid, sizeof(TUID));
  info->cardinality = c.cardinality;
  std::memcpy(info->category, c.category, sizeof(info->category));
  widen(info->name, c.name);
  info->classFlags = c.classFlags;
  std::memcpy(info->subCategories, c.subCategories, sizeof(info->subCategories));
  widen(info->vendor, c.vendor);
  widen(info->version, c.version);
  widen(info->sdkVersion, c.sdkVersion);
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::setHostContext(FUnknown* /*context*/)
{
  return kNotImplemented;
}

tresult PLUGIN_API CPluginFactory::createInstance(FIDString cid, FIDString iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  *obj = nullptr;
  if (!cid || !iid) return kInvalidArgument;
  for (const ClassEntry& entry : mClasses)
  {
    if (std::memcmp(entry.info.cid, cid, sizeof(TUID)) != 0) continue;
    FUnknown* instance = entry.create(entry.context);
    if (!instance) break;
    // The instance's own reference goes away; the caller keeps the one queryInterface added.
    tresult result = instance->queryInterface(iid, obj);
    instance->release();
    if (result == kResultOk && *obj) return kResultOk;
    *obj = nullptr;
    break;
  }
  return kNoInterface;
}

tresult PLUGIN_API CPluginFactory::queryInterface(const TUID iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  if (FUnknownPrivate::iidEqual(iid, IPluginFactory3::iid) ||
      FUnknownPrivate::iidEqual(iid, IPluginFactory2::iid) ||
      FUnknownPrivate::iidEqual(iid, IPluginFactory::iid) ||
      FUnknownPrivate::iidEqual(iid, FUnknown::iid))
  {
    addRef();
    *obj = static_cast<IPluginFactory3*>(this);
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

uint32 PLUGIN_API CPluginFactory::addRef()
{
  return FUnknownPrivate::atomicAdd(mRefCount, 1);
}

uint32 PLUGIN_API CPluginFactory::release()
{
  int32 remaining = FUnknownPrivate::atomicAdd(mRefCount, -1);
  if (remaining == 0)
  {
    delete this;
    return 0;
  }
  return static_cast<uint32>(remaining);
}

} // namespace tarvo::vst3
