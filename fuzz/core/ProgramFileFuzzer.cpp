// Arbitrary bytes as a program file, for chunk and parameter plug-ins.
#include <cstdint>

#include "framework/core/TestPlugin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  ByteChunk file;
  file.PutBytes(data, static_cast<int>(size));
  for (bool chunks : {true, false})
  {
    TestPlugin plug(FourCC("Trvo"), chunks, 0, "1-1 2-2", 2);
    plug.MakeDefaultPreset("seed", 2);
    if (!plug.LoadProgramFromChunk(file) && plug.mProgramChanges != 0) __builtin_trap();
  }
  return 0;
}
