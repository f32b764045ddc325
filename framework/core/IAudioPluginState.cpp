// Serialised parameter state and preset bank.

#include <cmath>
#include <cstring>

#include "framework/core/IAudioPlugin.h"
#include "framework/core/Trace.h"

bool IAudioPlugin::SerializeState(ByteChunk& chunk)
{
  return SerializeParams(chunk);
}

int IAudioPlugin::UnserializeState(const ByteChunk& chunk, int startPos)
{
  return UnserializeParams(chunk, startPos);
}

bool IAudioPlugin::SerializeParams(ByteChunk& chunk)
{
  RecursiveMutex::Lock lock(mMutex);
  bool ok = true;
  for (int i = 0; i < NParams() && ok; ++i)
  {
    IParam* param = GetParam(i);
    const double v = param->Value();
    Trace("SerializeParams", __LINE__, "%d %s %f", i, param->GetNameForHost(), v);
    const int before = chunk.Size();
    ok = chunk.Put(v) > before;
  }
  return ok;
}

int IAudioPlugin::UnserializeParams(const ByteChunk& chunk, int startPos)
{
  RecursiveMutex::Lock lock(mMutex);
  int pos = startPos;
  for (int i = 0; i < NParams() && pos >= 0; ++i)
  {
    IParam* param = GetParam(i);
    double v = 0.0;
    pos = chunk.Get(&v, pos);
    if (pos < 0) v = 0.0;
    param->Set(v);
    Trace("UnserializeParams", __LINE__, "%d %s %f", i, param->GetNameForHost(), v);
  }
  OnParamReset();
  return pos;
}

bool IAudioPlugin::CompareState(const unsigned char* data, int startPos)
{
  if (!data || startPos < 0) return NParams() == 0;
  const double* values = reinterpret_cast<const double*>(data) + startPos;
  for (int i = 0; i < NParams(); ++i)
  {
    double d = 0.0;
    std::memcpy(&d, values + i, sizeof d);
    const float a = static_cast<float>(GetParam(i)->Value());
    if (std::fabs(a - static_cast<float>(d)) >= 0.00001f) return false;
  }
  return true;
}

bool IAudioPlugin::SerializePresets(ByteChunk& chunk)
{
  bool ok = true;
  for (int i = 0; i < NPresets() && ok; ++i)
  {
    IPreset* preset = mPresets.Get(i);
    Trace("SerializePresets", __LINE__, "%d %s", i, preset->mName);
    chunk.PutStr(preset->mName);
    chunk.PutBool(preset->mInitialized);
    if (preset->mInitialized)
    {
      chunk.PutChunk(&preset->mChunk);
      ok = chunk.Size() > 0;
    }
  }
  return ok;
}

int IAudioPlugin::UnserializePresets(const ByteChunk& chunk, int startPos)
{
  StringBuf name;
  int pos = startPos;
  if (startPos >= 0)
  {
    for (int i = 0; i < NPresets() && pos >= 0; ++i)
    {
      IPreset* preset = mPresets.Get(i);
      pos = chunk.GetStr(name, pos);
      CopyCString(preset->mName, name.Get(), IPreset::kNameLen);
      Trace("UnserializePresets", __LINE__, "%d %s", i, preset->mName);
      pos = chunk.GetBool(&preset->mInitialized, pos);
      if (preset->mInitialized)
      {
        pos = UnserializeState(chunk, pos);
        if (pos > 0)
        {
          preset->mChunk.Clear();
          SerializeState(preset->mChunk);
        }
      }
    }
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}

int IAudioPlugin::SerializedStateSize()
{
  ByteChunk probe;
  return SerializeState(probe) ? probe.Size() : 0;
}

bool IAudioPlugin::IsCompletePresetBank(const ByteChunk& chunk, int startPos)
{
  // Walks the bank as UnserializePresets would, without touching anything. A slot's state is as
  // long as the live state serialises to.
  const int stateSize = SerializedStateSize();
  if (stateSize <= 0) return false;
  StringBuf name;
  int pos = startPos;
  for (int i = 0; i < NPresets() && pos >= 0; ++i)
  {
    bool initialized = false;
    pos = chunk.GetStr(name, pos);
    pos = chunk.GetBool(&initialized, pos);
    if (pos >= 0 && initialized)
      pos = static_cast<long long>(pos) + stateSize <= chunk.Size() ? pos + stateSize : -1;
  }
  return pos >= 0;
}
