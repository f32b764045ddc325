// Serialised parameter state and preset bank.

#include <cmath>
#include <cstring>
#include <vector>

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

namespace
{
constexpr int kPresetTailMagic = 0x6B6E6274; // bytes "tbnk"
constexpr int kPresetTailVersion = 1;
constexpr int kPresetTailHeaderSize = 16;

uint32_t Checksum(const uint8_t* data, int n)
{
  uint32_t h = 2166136261u; // FNV-1a
  for (int i = 0; i < n; ++i)
    h = (h ^ data[i]) * 16777619u;
  return h;
}
} // namespace

bool IAudioPlugin::AppendPresetTail(ByteChunk& chunk)
{
  RecursiveMutex::Lock lock(mMutex);
  const int stateSize = SerializedStateSize();
  if (stateSize <= 0 || NPresets() <= 0) return false;
  // A reader takes every slot's state to be as long as the live one; a slot that is not could
  // not be read back, so the bank is not written at all.
  for (int i = 0; i < NPresets(); ++i)
  {
    const IPreset* preset = mPresets.Get(i);
    if (preset->mInitialized && preset->mChunk.Size() != stateSize) return false;
  }
  ByteChunk payload;
  const int current = mCurrentPresetIdx;
  payload.Put(current);
  if (!SerializePresets(payload)) return false;
  const int before = chunk.Size();
  const int size = payload.Size();
  const uint32_t sum = Checksum(payload.GetBytes(), size);
  chunk.Put(kPresetTailMagic);
  chunk.Put(kPresetTailVersion);
  chunk.Put(size);
  chunk.Put(sum);
  chunk.PutChunk(&payload);
  if (chunk.Size() == before + kPresetTailHeaderSize + size) return true;
  chunk.Resize(before);
  return false;
}

IAudioPlugin::ETailResult IAudioPlugin::RestorePresetTail(const ByteChunk& chunk, int pos)
{
  int magic = 0, version = 0, size = 0;
  uint32_t sum = 0;
  if (chunk.Get(&magic, pos) < 0 || magic != kPresetTailMagic) return kNoTail;
  pos = chunk.Get(&magic, pos);
  pos = chunk.Get(&version, pos);
  pos = chunk.Get(&size, pos);
  pos = chunk.Get(&sum, pos);
  if (pos < 0 || version != kPresetTailVersion || size < 4 ||
      static_cast<long long>(pos) + size > chunk.Size() ||
      Checksum(chunk.GetBytes() + pos, size) != sum)
    return kTailRefused;

  RecursiveMutex::Lock lock(mMutex);
  const int stateSize = SerializedStateSize();
  const int end = pos + size;
  struct Slot
  {
    StringBuf name;
    bool initialized = false;
    int statePos = -1;
  };
  std::vector<Slot> slots(static_cast<size_t>(NPresets()));
  int current = -1;
  pos = chunk.Get(&current, pos);
  if (current < 0 || current >= NPresets() || stateSize <= 0) return kTailRefused;
  for (Slot& slot : slots)
  {
    // Every slot reads into a fresh name: an empty one must not inherit the slot before's.
    pos = chunk.GetStr(slot.name, pos);
    pos = pos >= 0 && pos <= end ? chunk.GetBool(&slot.initialized, pos) : -1;
    if (pos < 0 || pos > end) return kTailRefused;
    if (slot.initialized)
    {
      if (static_cast<long long>(pos) + stateSize > end) return kTailRefused;
      slot.statePos = pos;
      pos += stateSize;
    }
  }
  if (pos != end) return kTailRefused;

  // The new states are built aside, so a failed allocation leaves every slot as it was.
  std::vector<ByteChunk> states(slots.size());
  for (size_t i = 0; i < slots.size(); ++i)
    if (slots[i].initialized &&
        states[i].PutBytes(chunk.GetBytes() + slots[i].statePos, stateSize) != stateSize)
      return kTailRefused;
  for (size_t i = 0; i < slots.size(); ++i)
  {
    IPreset* preset = mPresets.Get(static_cast<int>(i));
    CopyCString(preset->mName, slots[i].name.Get(), IPreset::kNameLen);
    preset->mInitialized = slots[i].initialized;
    preset->mChunk.Clear();
    if (slots[i].initialized) preset->mChunk.PutChunk(&states[i]);
  }
  mCurrentPresetIdx = current;
  return kTailRestored;
}
