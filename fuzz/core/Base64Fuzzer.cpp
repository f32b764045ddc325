// Arbitrary text decoded into buffers of several sizes; encoded bytes decode back unchanged.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "framework/core/Base64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (int n : {0, 1, 3, 312, static_cast<int>(size)})
  {
    std::vector<uint8_t> out(static_cast<size_t>(n) + 1);
    if (Base64Decode(text.c_str(), out.data(), n) > n) __builtin_trap();
  }
  const std::string encoded = Base64Encode(data, static_cast<int>(size));
  std::vector<uint8_t> back(size + 1);
  if (Base64Decode(encoded.c_str(), back.data(), static_cast<int>(size)) != static_cast<int>(size))
    __builtin_trap();
  if (size && std::memcmp(back.data(), data, size) != 0) __builtin_trap();
  return 0;
}
