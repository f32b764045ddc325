#pragma once
// The VST 3 preset file (".vstpreset"), as the SDK's PresetFile writes it: a 48-byte header
// ('VST3', version 1, the class ID as 32 ASCII hex digits, the offset of the chunk list), the
// chunks' bytes, then the chunk list ('List', count, then id/offset/size per chunk). We write and
// read the component state chunk 'Comp' and the controller state chunk 'Cont'. All numbers are
// little-endian.

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo::vst3host
{

struct PresetFile
{
  std::string classIdHex; // 32 hex digits
  bool hasComponentState = false;
  std::vector<std::uint8_t> componentState;
  bool hasControllerState = false;
  std::vector<std::uint8_t> controllerState;
};

std::vector<std::uint8_t> WritePresetFile(const PresetFile& preset);
/// True when bytes hold a well-formed preset file (header, chunk list and every chunk in range).
bool ReadPresetFile(const std::vector<std::uint8_t>& bytes, PresetFile& preset);

} // namespace tarvo::vst3host
