// Arbitrary bytes as the host state stream, through both the controller's and the component's
// setState; the instance must stay in range and keep producing finite audio.
#include <cmath>
#include <cstdint>

#include "product/Harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static Host* host = new Host(Steinberg::Vst::kSample64, 48000, 64);
  const std::vector<char> bytes(reinterpret_cast<const char*>(data),
                                reinterpret_cast<const char*>(data) + size);
  host->SetState(bytes, size % 2 == 0);
  for (int p = 0; p < kNumParams; ++p)
  {
    const IParam* param = host->plug->GetParam(p);
    if (!(param->Value() >= param->GetMin() && param->Value() <= param->GetMax())) __builtin_trap();
  }
  const auto out = host->Run(Sine(440, 48000, 64));
  for (const auto& c : out)
    for (double v : c)
      if (!std::isfinite(v)) __builtin_trap();
  return 0;
}
