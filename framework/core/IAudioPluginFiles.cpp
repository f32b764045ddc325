// Program (fxp) and bank (fxb) files in the VST 2 layouts: big-endian headers, then either one
// float per parameter or an opaque state chunk.

#include <cstdio>
#include <cstring>

#include "common/Utf8File.h"
#include "framework/core/IAudioPlugin.h"

namespace
{
constexpr int kProgramHeaderSize = 56;
constexpr int kBankHeaderSize = 156;
constexpr int kNameFieldSize = 28;

constexpr int Magic(const char (&s)[5])
{
  return FourCC(s);
}

uint32_t Swap32(uint32_t v)
{
  return (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24);
}

void PutBE(ByteChunk& c, int v)
{
  const uint32_t be = Swap32(static_cast<uint32_t>(v));
  c.Put(be);
}

void PutBEFloat(ByteChunk& c, float f)
{
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  PutBE(c, static_cast<int>(bits));
}

int GetBE(const ByteChunk& c, int* v, int pos)
{
  uint32_t raw = 0;
  pos = c.Get(&raw, pos);
  if (pos >= 0) *v = static_cast<int>(Swap32(raw));
  return pos;
}

int GetBEFloat(const ByteChunk& c, float* f, int pos)
{
  int bits = 0;
  pos = GetBE(c, &bits, pos);
  if (pos >= 0) std::memcpy(f, &bits, sizeof *f);
  return pos;
}

// The header every program, bank and program record starts with.
void PutHeader(ByteChunk& c, int byteSize, int fxMagic, int formatVersion, int pluginID,
               int pluginVersion, int count)
{
  for (int v : {Magic("CcnK"), byteSize, fxMagic, formatVersion, pluginID, pluginVersion, count})
    PutBE(c, v);
}

void PutName(ByteChunk& c, const char* name)
{
  char field[kNameFieldSize] = {};
  const size_t len = name ? std::strlen(name) : 0;
  std::memcpy(field, name ? name : "", len < sizeof field ? len : sizeof field);
  c.PutBytes(field, kNameFieldSize);
}

int GetName(const ByteChunk& c, char (&name)[kNameFieldSize + 1], int pos)
{
  std::memset(name, 0, sizeof name);
  return c.GetBytes(name, kNameFieldSize, pos);
}

bool ReadWholeFile(const StringBuf& path, ByteChunk& out)
{
  if (!path.GetLength()) return false;
  FILE* fp = OpenUtf8File(path.Get(), "rb");
  if (!fp) return false;
  bool ok = std::fseek(fp, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(fp) : -1;
  ok = ok && size >= 0 && size <= 0x7FFFFFFF && std::fseek(fp, 0, SEEK_SET) == 0;
  if (ok && size > 0)
    ok = out.Resize(static_cast<int>(size)) == static_cast<int>(size) &&
         std::fread(out.GetBytes(), 1, static_cast<size_t>(size), fp) == static_cast<size_t>(size);
  std::fclose(fp);
  return ok;
}

bool WriteWholeFile(const StringBuf& path, const ByteChunk& data)
{
  if (!path.GetLength()) return false;
  FILE* fp = OpenUtf8File(path.Get(), "wb");
  if (!fp) return false;
  const size_t n = static_cast<size_t>(data.Size());
  bool ok = std::fwrite(data.GetBytes(), 1, n, fp) == n;
  ok = std::fclose(fp) == 0 && ok;
  return ok;
}

struct ProgramHeader
{
  int chunkMagic = 0, byteSize = 0, fxMagic = 0, version = 0, pluginID = 0, pluginVersion = 0,
      numParams = 0;
  char name[kNameFieldSize + 1] = {};
};

int ReadProgramHeader(const ByteChunk& c, ProgramHeader& h, int pos)
{
  pos = GetBE(c, &h.chunkMagic, pos);
  pos = GetBE(c, &h.byteSize, pos);
  pos = GetBE(c, &h.fxMagic, pos);
  pos = GetBE(c, &h.version, pos);
  pos = GetBE(c, &h.pluginID, pos);
  pos = GetBE(c, &h.pluginVersion, pos);
  pos = GetBE(c, &h.numParams, pos);
  return GetName(c, h.name, pos);
}
} // namespace

void IAudioPlugin::BuildProgramFile(ByteChunk& file)
{
  file.Clear();
  const bool chunkForm = DoesStateChunks();
  ByteChunk state;
  if (chunkForm)
  {
    InitChunkWithFrameworkVer(state);
    SerializeState(state);
  }
  PutHeader(file, chunkForm ? 60 + state.Size() : 0, chunkForm ? Magic("FPCh") : Magic("FxCk"), 1,
            GetUniqueID(), GetEffectVersion(true), NParams());
  PutName(file, GetPresetName(mCurrentPresetIdx));
  if (chunkForm)
  {
    PutBE(file, state.Size());
    file.PutChunk(&state);
  }
  else
  {
    for (int i = 0; i < NParams(); ++i)
      PutBEFloat(file, static_cast<float>(GetParam(i)->GetNormalized()));
  }
}

void IAudioPlugin::BuildBankFile(ByteChunk& file)
{
  file.Clear();
  const bool chunkForm = DoesStateChunks();
  ByteChunk bank;
  if (chunkForm)
  {
    InitChunkWithFrameworkVer(bank);
    SerializePresets(bank);
  }
  PutHeader(file, chunkForm ? 160 + bank.Size() : 0, chunkForm ? Magic("FBCh") : Magic("FxBk"), 2,
            GetUniqueID(), GetEffectVersion(true), NPresets());
  PutBE(file, mCurrentPresetIdx);
  const char reserved[124] = {};
  file.PutBytes(reserved, sizeof reserved);
  if (chunkForm)
  {
    PutBE(file, bank.Size());
    file.PutChunk(&bank);
    return;
  }
  for (int p = 0; p < NPresets(); ++p)
  {
    const IPreset* preset = mPresets.Get(p);
    PutHeader(file, 0, Magic("FxCk"), 1, GetUniqueID(), GetEffectVersion(true), NParams());
    PutName(file, preset->mName);
    int pos = 0;
    for (int i = 0; i < NParams(); ++i)
    {
      double v = 0.0;
      if (pos >= 0) pos = preset->mChunk.Get(&v, pos);
      if (pos < 0) v = 0.0;
      PutBEFloat(file, static_cast<float>(GetParam(i)->GetNormalized(v)));
    }
  }
}

bool IAudioPlugin::SaveProgramAsFXP(const StringBuf& path)
{
  if (!path.GetLength()) return false;
  ByteChunk file;
  BuildProgramFile(file);
  return WriteWholeFile(path, file);
}

bool IAudioPlugin::SaveBankAsFXB(const StringBuf& path)
{
  if (!path.GetLength()) return false;
  ByteChunk file;
  BuildBankFile(file);
  return WriteWholeFile(path, file);
}

bool IAudioPlugin::LoadProgramFromFXP(const StringBuf& path)
{
  ByteChunk file;
  return ReadWholeFile(path, file) && LoadProgramFromChunk(file);
}

bool IAudioPlugin::LoadBankFromFXB(const StringBuf& path)
{
  ByteChunk file;
  return ReadWholeFile(path, file) && LoadBankFromChunk(file);
}

bool IAudioPlugin::LoadProgramFromChunk(const ByteChunk& file)
{
  if (file.Size() < kProgramHeaderSize) return false;
  // The parameter form sets values one by one: a block must not run on half of them.
  RecursiveMutex::Lock lock(mMutex);
  ProgramHeader h;
  int pos = ReadProgramHeader(file, h, 0);
  if (pos < 0 || h.chunkMagic != Magic("CcnK") || h.version != 1 || h.pluginID != GetUniqueID())
    return false;

  if (h.fxMagic == Magic("FPCh") && DoesStateChunks())
  {
    int blockSize = 0;
    pos = GetBE(file, &blockSize, pos);
    if (pos < 0) return false;
    GetFrameworkVerFromChunk(file, pos);
    // A truncated state would leave the parameters half old, half new: refuse it whole.
    if (pos < 0 || static_cast<long long>(pos) + SerializedStateSize() > file.Size()) return false;
    if (UnserializeState(file, pos) < 0) return false;
  }
  else if (h.fxMagic == Magic("FxCk"))
  {
    if (static_cast<long long>(pos) + 4LL * NParams() > file.Size()) return false;
    for (int i = 0; i < NParams(); ++i)
    {
      float v = 0.0f;
      pos = GetBEFloat(file, &v, pos);
      GetParam(i)->SetNormalized(v);
    }
  }
  else
  {
    return false;
  }

  ModifyCurrentPreset(h.name);
  RestorePreset(mCurrentPresetIdx);
  InformHostOfProgramChange();
  return true;
}

bool IAudioPlugin::LoadBankFromChunk(const ByteChunk& file)
{
  if (file.Size() < kBankHeaderSize) return false;
  RecursiveMutex::Lock lock(mMutex);
  int chunkMagic = 0, byteSize = 0, fxMagic = 0, version = 0, pluginID = 0, pluginVersion = 0,
      numPrograms = 0, currentProgram = 0;
  int pos = GetBE(file, &chunkMagic, 0);
  pos = GetBE(file, &byteSize, pos);
  pos = GetBE(file, &fxMagic, pos);
  pos = GetBE(file, &version, pos);
  pos = GetBE(file, &pluginID, pos);
  pos = GetBE(file, &pluginVersion, pos);
  pos = GetBE(file, &numPrograms, pos);
  pos = GetBE(file, &currentProgram, pos);
  if (pos < 0 || chunkMagic != Magic("CcnK") || pluginID != GetUniqueID()) return false;
  pos = kBankHeaderSize;

  if (fxMagic == Magic("FBCh") && DoesStateChunks())
  {
    int blockSize = 0;
    pos = GetBE(file, &blockSize, pos);
    if (pos < 0) return false;
    GetFrameworkVerFromChunk(file, pos);
    // Slots are rewritten one after the other: a bank that stops halfway is refused before any
    // slot changes.
    if (pos < 0 || !IsCompletePresetBank(file, pos)) return false;
    UnserializePresets(file, pos);
    InformHostOfProgramChange();
    return true;
  }
  if (fxMagic != Magic("FxBk")) return false;

  // Records beyond our slots have nowhere to go; they are skipped rather than written over the
  // current slot.
  const int nRecords = numPrograms < NPresets() ? numPrograms : NPresets();
  const long long recordSize = kProgramHeaderSize + 4LL * NParams();
  for (int i = 0; i < nRecords; ++i)
  {
    ProgramHeader h;
    const int recordPos = ReadProgramHeader(file, h, pos);
    if (recordPos < 0 || h.chunkMagic != Magic("CcnK") || h.fxMagic != Magic("FxCk") ||
        h.version != 1 || h.numParams != NParams() || pos + recordSize > file.Size())
      return false;
    pos = recordPos;
    RestorePreset(i);
    for (int p = 0; p < NParams(); ++p)
    {
      float v = 0.0f;
      pos = GetBEFloat(file, &v, pos);
      GetParam(p)->SetNormalized(v);
    }
    ModifyCurrentPreset(h.name);
  }
  RestorePreset(currentProgram);
  InformHostOfProgramChange();
  return true;
}
