#include "framework/core/HostIdentification.h"

#include <gtest/gtest.h>

#include <string>

TEST(HostIdentification, FirstListedSubstringWinsIgnoringCase)
{
  EXPECT_EQ(LookUpHost("Cubase VST"), kHostCubase);
  EXPECT_EQ(LookUpHost("REAPER"), kHostReaper);
  EXPECT_EQ(LookUpHost("Nuendo Cubase"), kHostCubase); // list order, not position in the name
  EXPECT_EQ(LookUpHost("Olive Studio"), kHostLive);
  EXPECT_EQ(LookUpHost("Celemony Melodyne"), kHostMelodyne);
  EXPECT_EQ(LookUpHost("Bitwig Studio"), kHostUnknown);
  EXPECT_EQ(LookUpHost(nullptr), kHostUnknown);
  // Only the first 255 characters are matched: "orion" ends at 255, "ardour" would end at 256.
  const std::string pad(250, 'x');
  EXPECT_EQ(LookUpHost((pad + "orion").c_str()), kHostOrion);
  EXPECT_EQ(LookUpHost((pad + "Ardour").c_str()), kHostUnknown);
}

TEST(HostIdentification, DisplayNames)
{
  char name[kMaxHostNameStrLen];
  GetHostNameStr(kHostVST3PluginTestHost, name);
  EXPECT_STREQ(name, "VST3PluginTestHost");
  GetHostNameStr(kHostFLStudio, name);
  EXPECT_STREQ(name, "FLStudio");
  for (EHost unnamed : {kHostMelodyne, kHostUninit, static_cast<EHost>(19), static_cast<EHost>(29)})
  {
    GetHostNameStr(unnamed, name);
    EXPECT_STREQ(name, "Unknown") << unnamed;
  }
}
