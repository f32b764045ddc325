// Arbitrary parameter-change queues: each record is a parameter id (4 bytes), a point count
// (1 byte) and that many values (8 bytes each, any bit pattern); then one block of audio in a
// sample size and length the input chooses.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "product/Harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 2) return 0;
  static Host* host64 = new Host(Steinberg::Vst::kSample64, 48000, 128);
  static Host* host32 = new Host(Steinberg::Vst::kSample32, 44100, 128);
  Host* host = data[0] & 1 ? host32 : host64;
  const int frames = data[1] * 2; // up to 510: longer than the announced 128 on purpose
  Changes changes;
  size_t pos = 2;
  while (pos + 5 <= size)
  {
    uint32_t id;
    std::memcpy(&id, data + pos, 4);
    // Steer most ids into the plug-in's own range, keep some wild.
    if (id & 0x80000000u) id %= 48;
    const int count = data[pos + 4] % 8;
    pos += 5;
    std::vector<double> values;
    for (int i = 0; i < count && pos + 8 <= size; ++i, pos += 8)
    {
      double v;
      std::memcpy(&v, data + pos, 8);
      values.push_back(v);
    }
    changes.Add(id, values);
  }
  if (data[0] & 1)
  {
    std::vector<std::vector<float>> in(2, std::vector<float>(static_cast<size_t>(frames), 0.25f));
    auto out = in;
    host->Process(in, out, &changes, frames);
    for (const auto& c : out)
      for (float v : c)
        if (!std::isfinite(v)) __builtin_trap();
  }
  else
  {
    std::vector<std::vector<double>> in(2, std::vector<double>(static_cast<size_t>(frames), 0.25));
    auto out = in;
    host->Process(in, out, &changes, frames);
  }
  for (int p = 0; p < kNumParams; ++p)
  {
    const IParam* param = host->plug->GetParam(p);
    if (!(param->Value() >= param->GetMin() && param->Value() <= param->GetMax())) __builtin_trap();
  }
  return 0;
}
