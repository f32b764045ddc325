// The preset store: filling, recalling, modifying and dumping preset slots.

#include <cstdio>
#include <cstring>
#include <vector>

#include "common/Utf8File.h"
#include "framework/core/Base64.h"
#include "framework/core/IAudioPlugin.h"
#include "framework/core/Trace.h"

namespace
{
constexpr double kUnsetMarker = 9.999e-8;
} // namespace

IPreset* IAudioPlugin::GetNextUninitializedPreset()
{
  for (int i = 0; i < NPresets(); ++i)
    if (!mPresets.Get(i)->mInitialized) return mPresets.Get(i);
  return nullptr;
}

bool IAudioPlugin::MakeDefaultPreset(const char* name, int nPresets)
{
  bool made = false;
  for (int i = 0; i < nPresets; ++i)
  {
    IPreset* preset = GetNextUninitializedPreset();
    if (!preset) break;
    preset->mInitialized = true;
    CopyCString(preset->mName, name ? name : "Empty", IPreset::kNameLen);
    preset->mChunk.Clear();
    SerializeState(preset->mChunk);
    made = true;
  }
  return made;
}

bool IAudioPlugin::MakePreset(const char* name, ...)
{
  IPreset* preset = GetNextUninitializedPreset();
  if (!preset) return false;
  preset->mInitialized = true;
  CopyCString(preset->mName, name, IPreset::kNameLen);
  preset->mChunk.Clear();
  va_list args;
  va_start(args, name);
  for (int i = 0; i < NParams(); ++i)
  {
    const double v =
        GetParam(i)->Type() == IParam::kTypeDouble ? va_arg(args, double) : va_arg(args, int);
    preset->mChunk.Put(v);
  }
  va_end(args);
  return true;
}

bool IAudioPlugin::MakePresetFromNamedParams(const char* name, int nParamsNamed, ...)
{
  IPreset* preset = GetNextUninitializedPreset();
  if (!preset) return false;
  preset->mInitialized = true;
  CopyCString(preset->mName, name, IPreset::kNameLen);

  std::vector<double> values(static_cast<size_t>(NParams()), kUnsetMarker);
  va_list args;
  va_start(args, nParamsNamed);
  for (int i = 0; i < nParamsNamed; ++i)
  {
    const int idx = va_arg(args, int);
    // The value's type follows from the parameter; past an unknown index the rest of the
    // arguments cannot be read safely.
    IParam* param = GetParam(idx);
    if (!param) break;
    values[static_cast<size_t>(idx)] =
        param->Type() == IParam::kTypeDouble ? va_arg(args, double) : va_arg(args, int);
  }
  va_end(args);

  preset->mChunk.Clear();
  for (int i = 0; i < NParams(); ++i)
  {
    const double v = values[static_cast<size_t>(i)] == kUnsetMarker
                         ? GetParam(i)->Value()
                         : values[static_cast<size_t>(i)];
    preset->mChunk.Put(v);
  }
  return true;
}

bool IAudioPlugin::MakePresetFromChunk(const char* name, const ByteChunk& chunk)
{
  IPreset* preset = GetNextUninitializedPreset();
  if (!preset) return false;
  preset->mInitialized = true;
  CopyCString(preset->mName, name, IPreset::kNameLen);
  preset->mChunk.PutChunk(&chunk);
  return true;
}

bool IAudioPlugin::MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk)
{
  if (sizeOfChunk < 0) return false;
  ByteChunk presetChunk;
  if (presetChunk.Resize(sizeOfChunk) != sizeOfChunk) return false;
  if (sizeOfChunk > 0) Base64Decode(blob, presetChunk.GetBytes(), sizeOfChunk);
  return MakePresetFromChunk(name, presetChunk);
}

void IAudioPlugin::EnsureDefaultPreset()
{
  MakeDefaultPreset("Empty", NPresets());
}

bool IAudioPlugin::RestorePreset(int idx)
{
  if (idx < 0 || idx >= NPresets()) return false;
  IPreset* preset = mPresets.Get(idx);
  if (preset->mInitialized)
  {
    if (UnserializeState(preset->mChunk, 0) <= 0) return false;
  }
  else
  {
    // Recalling a free slot captures the current sound as a new user preset.
    int n = 1;
    for (int i = 0; i < NPresets(); ++i)
      if (std::strstr(mPresets.Get(i)->mName, "user preset")) ++n;
    preset->mInitialized = true;
    char name[IPreset::kNameLen];
    std::snprintf(name, sizeof name, "%s %d", "user preset", n);
    CopyCString(preset->mName, name, IPreset::kNameLen);
    preset->mChunk.Clear();
    if (!SerializeState(preset->mChunk)) return false;
  }
  mCurrentPresetIdx = idx;
  PresetsChangedByHost();
  RedrawParamControls();
  return true;
}

bool IAudioPlugin::RestorePreset(const char* name)
{
  if (!name || !name[0]) return false;
  for (int i = 0; i < NPresets(); ++i)
    if (std::strcmp(mPresets.Get(i)->mName, name) == 0) return RestorePreset(i);
  return false;
}

const char* IAudioPlugin::GetPresetName(int idx) const
{
  const IPreset* preset = mPresets.Get(idx);
  return preset ? preset->mName : "";
}

void IAudioPlugin::ModifyCurrentPreset(const char* name)
{
  IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset) return;
  preset->mChunk.Clear();
  SerializeState(preset->mChunk);
  if (name && name[0]) CopyCString(preset->mName, name, IPreset::kNameLen);
  Trace("ModifyCurrentPreset", __LINE__, "%d %s", mCurrentPresetIdx, preset->mName);
}

void IAudioPlugin::PruneUninitializedPresets()
{
  int i = 0;
  while (i < NPresets())
  {
    if (mPresets.Get(i)->mInitialized)
      ++i;
    else
      mPresets.Delete(i, true);
  }
  // Keep the current index pointing at a slot that exists.
  if (mCurrentPresetIdx >= NPresets()) mCurrentPresetIdx = NPresets() > 0 ? NPresets() - 1 : 0;
}

bool IAudioPlugin::DumpPresetSrcCode(const char* fileName, const char* const* paramEnumNames)
{
  if (!fileName || !paramEnumNames) return false;
  FILE* fp = OpenUtf8File(fileName, "w");
  if (!fp) return false;
  std::fprintf(fp, "  MakePresetFromNamedParams(\"%s\", %d", GetPresetName(mCurrentPresetIdx),
               NParams());
  for (int i = 0; i < NParams(); ++i)
  {
    const IParam* param = GetParam(i);
    char value[64];
    switch (param->Type())
    {
    case IParam::kTypeBool:
      std::snprintf(value, sizeof value, "%s", param->Bool() ? "true" : "false");
      break;
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
      std::snprintf(value, sizeof value, "%d", param->Int());
      break;
    default:
      std::snprintf(value, sizeof value, "%.6f", param->Value());
      break;
    }
    std::fprintf(fp, ",\n    %s, %s", paramEnumNames[i] ? paramEnumNames[i] : "", value);
  }
  std::fprintf(fp, ");\n");
  return std::fclose(fp) == 0;
}

namespace
{
void WriteBlobLine(FILE* fp, const IPreset* preset)
{
  const ByteChunk& c = preset->mChunk;
  // The whole chunk is encoded, however large: a cut blob would restore a different sound.
  const std::string text = preset->mInitialized ? Base64Encode(c.GetBytes(), c.Size()) : "";
  std::fprintf(fp, "MakePresetFromBlob(\"%s\", \"", preset->mName);
  std::fprintf(fp, "%s\", %i);\n", text.c_str(), preset->mInitialized ? c.Size() : 0);
}
} // namespace

bool IAudioPlugin::DumpPresetBlob(const char* fileName)
{
  const IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!fileName || !preset) return false;
  FILE* fp = OpenUtf8File(fileName, "w");
  if (!fp) return false;
  WriteBlobLine(fp, preset);
  return std::fclose(fp) == 0;
}

bool IAudioPlugin::DumpBankBlob(const char* fileName)
{
  if (!fileName) return false;
  FILE* fp = OpenUtf8File(fileName, "w");
  if (!fp) return false;
  for (int i = 0; i < NPresets(); ++i)
    WriteBlobLine(fp, mPresets.Get(i));
  return std::fclose(fp) == 0;
}
