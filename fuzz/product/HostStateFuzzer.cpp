// Arbitrary bytes as the host state stream, through both the controller's and the component's
// setState; the instance must stay in range and keep producing finite audio. Two of three inputs
// go to the slot tail behind a valid state, with its header made to match, so the bank parser
// sees banks rather than checksum failures: once as a payload of their own, once mixed into a
// real tail.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "product/Harness.h"

namespace
{
// The tail's checksum (FNV-1a, as the framework writes it).
uint32_t Checksum(const char* data, size_t n)
{
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < n; ++i)
    h = (h ^ static_cast<uint8_t>(data[i])) * 16777619u;
  return h;
}

// Magic, version, size and checksum of the tail, then the payload.
void PutTail(std::vector<char>& bytes, const std::vector<char>& payload)
{
  const int32_t header[3] = {0x6B6E6274, 1, static_cast<int32_t>(payload.size())};
  const uint32_t sum = Checksum(payload.data(), payload.size());
  bytes.insert(bytes.end(), reinterpret_cast<const char*>(header),
               reinterpret_cast<const char*>(header) + sizeof header);
  bytes.insert(bytes.end(), reinterpret_cast<const char*>(&sum),
               reinterpret_cast<const char*>(&sum) + sizeof sum);
  bytes.insert(bytes.end(), payload.begin(), payload.end());
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static Host* host = new Host(Steinberg::Vst::kSample64, 48000, 64);
  static const std::vector<char> real = Host().GetState();
  if (size == 0) return 0;
  const char* rest = reinterpret_cast<const char*>(data) + 1;
  std::vector<char> bytes;
  switch (data[0] % 3)
  {
  case 0:
    bytes.assign(rest, rest + size - 1);
    break;
  case 1:
    bytes.assign(real.begin(), real.begin() + 316);
    PutTail(bytes, std::vector<char>(rest, rest + size - 1));
    break;
  default:
  {
    std::vector<char> payload(real.begin() + 332, real.end());
    for (size_t i = 0; i + 1 < size; ++i)
      payload[i % payload.size()] ^= rest[i];
    bytes.assign(real.begin(), real.begin() + 316);
    PutTail(bytes, payload);
    break;
  }
  }
  host->SetState(bytes, data[0] & 8);
  for (int p = 0; p < kNumParams; ++p)
  {
    const IParam* param = host->plug->GetParam(p);
    if (!(param->Value() >= param->GetMin() && param->Value() <= param->GetMax())) __builtin_trap();
  }
  const int current = host->plug->GetCurrentPresetIdx();
  if (current < 0 || current >= host->plug->NPresets()) __builtin_trap();
  for (int i = 0; i < host->plug->NPresets(); ++i)
  {
    const IPreset* preset = host->plug->GetPreset(i);
    if (preset->mInitialized && preset->mChunk.Size() != 8 * kNumParams) __builtin_trap();
  }
  const auto out = host->Run(Sine(440, 48000, 64));
  for (const auto& c : out)
    for (double v : c)
      if (!std::isfinite(v)) __builtin_trap();
  return 0;
}
