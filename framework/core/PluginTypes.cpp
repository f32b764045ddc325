#include "framework/core/PluginTypes.h"

#include <cstdio>

void GetVersionParts(int version, int* major, int* minor, int* patch)
{
  const uint32_t v = static_cast<uint32_t>(version);
  if (major) *major = static_cast<int>((v >> 16) & 0xFFFF);
  if (minor) *minor = static_cast<int>((v >> 8) & 0xFF);
  if (patch) *patch = static_cast<int>(v & 0xFF);
}

int GetDecimalVersion(int version)
{
  int major = 0, minor = 0, patch = 0;
  GetVersionParts(version, &major, &minor, &patch);
  return major * 10000 + minor * 100 + patch;
}

void GetVersionStr(int version, char* out)
{
  int major = 0, minor = 0, patch = 0;
  GetVersionParts(version, &major, &minor, &patch);
  std::snprintf(out, 32, "v%d.%d.%d", major, minor, patch);
}
