// Arbitrary bytes as a bank file, for chunk and parameter plug-ins.
#include <cstdint>

#include "framework/core/TestPlugin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  ByteChunk file;
  file.PutBytes(data, static_cast<int>(size));
  for (bool chunks : {true, false})
  {
    TestPlugin plug(FourCC("Trvo"), chunks, 0, "1-1 2-2", 3);
    plug.MakeDefaultPreset("seed", 3);
    plug.LoadBankFromChunk(file);
    if (plug.GetCurrentPresetIdx() < 0 || plug.GetCurrentPresetIdx() >= plug.NPresets())
      __builtin_trap();
  }
  return 0;
}
