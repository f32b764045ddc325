#pragma once
// One preset slot: empty, or a named snapshot of all parameter values in serialised form.

#include "common/StringBuf.h"
#include "framework/core/ByteChunk.h"

struct IPreset
{
  static constexpr int kNameLen = 256;

  IPreset() { CopyCString(mName, "empty", kNameLen); }

  bool mInitialized = false;
  char mName[kNameLen];
  ByteChunk mChunk;
};
