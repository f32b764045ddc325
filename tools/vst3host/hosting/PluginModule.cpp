#include "tools/vst3host/hosting/PluginModule.h"

#include <cstdio>

namespace tarvo::vst3host
{

using namespace Steinberg;

std::string CidToHex(const TUID cid)
{
  std::string hex;
  char digits[3];
  for (int i = 0; i < 16; ++i)
  {
    std::snprintf(digits, sizeof(digits), "%02X", static_cast<unsigned char>(cid[i]));
    hex += digits;
  }
  return hex;
}

PFactoryInfo PluginModule::FactoryInfo() const
{
  PFactoryInfo info;
  if (mFactory) mFactory->getFactoryInfo(&info);
  return info;
}

std::vector<ClassDescription> PluginModule::Classes() const
{
  std::vector<ClassDescription> classes;
  if (!mFactory) return classes;
  FUnknownPtr<IPluginFactory2> factory2(mFactory);
  FUnknownPtr<IPluginFactory3> factory3(mFactory);
  const int32 count = mFactory->countClasses();
  for (int32 i = 0; i < count; ++i)
  {
    ClassDescription c;
    if (mFactory->getClassInfo(i, &c.info) != kResultOk) continue;
    c.hasInfo2 = factory2 && factory2->getClassInfo2(i, &c.info2) == kResultOk;
    c.hasInfoW = factory3 && factory3->getClassInfoUnicode(i, &c.infoW) == kResultOk;
    c.cidHex = CidToHex(c.info.cid);
    classes.push_back(c);
  }
  return classes;
}

} // namespace tarvo::vst3host
