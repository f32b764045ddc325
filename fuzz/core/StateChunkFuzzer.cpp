// Arbitrary bytes as a parameter state and as a preset bank.
#include <cstdint>

#include "framework/core/TestPlugin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  ByteChunk chunk;
  chunk.PutBytes(data, static_cast<int>(size));
  TestPlugin plug(FourCC("Trvo"), true, 0, "1-1 2-2", 4);
  const int start = size > 0 ? data[0] % 16 : 0;
  plug.UnserializeParams(chunk, start);
  for (int i = 0; i < plug.NParams(); ++i)
  {
    const IParam* p = plug.GetParam(i);
    if (!(p->Value() >= p->GetMin() && p->Value() <= p->GetMax())) __builtin_trap();
  }
  plug.UnserializePresets(chunk, start);
  StringBuf s;
  for (int pos = 0; pos >= 0 && pos < chunk.Size();)
    pos = chunk.GetStr(s, pos);
  return 0;
}
