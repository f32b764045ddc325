#include "tools/vst3host/hosting/PresetFile.h"

#include <algorithm>
#include <cstring>

namespace tarvo::vst3host
{

namespace
{
constexpr size_t kHeaderSize = 48;
constexpr size_t kClassIdSize = 32;
constexpr std::int32_t kFormatVersion = 1;

void PutBytes(std::vector<std::uint8_t>& out, const void* data, size_t size)
{
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  out.insert(out.end(), bytes, bytes + size);
}

void PutInt(std::vector<std::uint8_t>& out, std::uint64_t value, int size)
{
  for (int i = 0; i < size; ++i)
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void SetInt(std::vector<std::uint8_t>& out, size_t at, std::uint64_t value, int size)
{
  for (int i = 0; i < size; ++i)
    out[at + static_cast<size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

bool GetInt(const std::vector<std::uint8_t>& in, size_t at, int size, std::uint64_t& value)
{
  if (at > in.size() || in.size() - at < static_cast<size_t>(size)) return false;
  value = 0;
  for (int i = 0; i < size; ++i)
    value |= static_cast<std::uint64_t>(in[at + static_cast<size_t>(i)]) << (8 * i);
  return true;
}
} // namespace

std::vector<std::uint8_t> WritePresetFile(const PresetFile& preset)
{
  std::vector<std::uint8_t> out;
  PutBytes(out, "VST3", 4);
  PutInt(out, kFormatVersion, 4);
  char cid[kClassIdSize];
  std::memset(cid, '0', sizeof(cid));
  std::memcpy(cid, preset.classIdHex.data(), std::min(preset.classIdHex.size(), kClassIdSize));
  PutBytes(out, cid, kClassIdSize);
  PutInt(out, 0, 8); // chunk list offset, set below

  struct Entry
  {
    const char* id;
    std::uint64_t offset;
    std::uint64_t size;
  };
  std::vector<Entry> entries;
  if (preset.hasComponentState)
  {
    entries.push_back({"Comp", out.size(), preset.componentState.size()});
    PutBytes(out, preset.componentState.data(), preset.componentState.size());
  }
  if (preset.hasControllerState)
  {
    entries.push_back({"Cont", out.size(), preset.controllerState.size()});
    PutBytes(out, preset.controllerState.data(), preset.controllerState.size());
  }
  SetInt(out, 40, out.size(), 8);
  PutBytes(out, "List", 4);
  PutInt(out, entries.size(), 4);
  for (const Entry& e : entries)
  {
    PutBytes(out, e.id, 4);
    PutInt(out, e.offset, 8);
    PutInt(out, e.size, 8);
  }
  return out;
}

bool ReadPresetFile(const std::vector<std::uint8_t>& in, PresetFile& preset)
{
  std::uint64_t version = 0, listOffset = 0, count = 0;
  if (in.size() < kHeaderSize || std::memcmp(in.data(), "VST3", 4) != 0 ||
      !GetInt(in, 4, 4, version) || !GetInt(in, 40, 8, listOffset))
    return false;
  if (listOffset < kHeaderSize || listOffset > in.size() - 8 ||
      std::memcmp(in.data() + listOffset, "List", 4) != 0 || !GetInt(in, listOffset + 4, 4, count))
    return false;
  if (count > (in.size() - listOffset - 8) / 20) return false;
  PresetFile result;
  result.classIdHex.assign(reinterpret_cast<const char*>(in.data()) + 8, kClassIdSize);
  for (std::uint64_t i = 0; i < count; ++i)
  {
    const size_t at = static_cast<size_t>(listOffset + 8 + 20 * i);
    std::uint64_t offset = 0, size = 0;
    GetInt(in, at + 4, 8, offset);
    GetInt(in, at + 12, 8, size);
    if (offset > in.size() || size > in.size() - offset) return false;
    std::vector<std::uint8_t> bytes(in.begin() + static_cast<std::ptrdiff_t>(offset),
                                    in.begin() + static_cast<std::ptrdiff_t>(offset + size));
    if (std::memcmp(in.data() + at, "Comp", 4) == 0)
    {
      result.hasComponentState = true;
      result.componentState = std::move(bytes);
    }
    else if (std::memcmp(in.data() + at, "Cont", 4) == 0)
    {
      result.hasControllerState = true;
      result.controllerState = std::move(bytes);
    }
  }
  preset = std::move(result);
  return true;
}

} // namespace tarvo::vst3host
