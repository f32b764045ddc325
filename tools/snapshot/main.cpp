// tarvo-snapshot [--preset NAME] [--scale S] [--resources DIR] [--out FILE] [--silent]
//
// Builds a Tarvo instance with a windowless editor, recalls a preset, plays a short phrase
// through it so the meters and peak readouts show levels (unless --silent: then they rest, as in
// an editor that has heard nothing, for comparing with a window on another platform), runs the
// redraw cycle and writes the editor as a PNG (editor.png by default), at S device pixels per
// editor pixel (1 to 3, default 1).

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/platform/headless/IGraphicsHeadless.h"
#include "product/Tarvo.h"

namespace
{
int Usage()
{
  std::fprintf(stderr,
               "usage: tarvo-snapshot [--preset NAME] [--scale S] [--resources DIR] [--out FILE] "
               "[--silent]\n");
  return 2;
}

// A bass note and a chord with a little noise, louder on the left: enough level and spectrum for
// the meters of both channels to stand apart.
void Play(Tarvo* plug, double rate, double seconds)
{
  constexpr int kBlock = 512;
  std::vector<double> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
  double* in[2] = {inL.data(), inR.data()};
  double* out[2] = {outL.data(), outR.data()};
  const double chord[] = {110.0, 220.0, 277.18, 329.63, 440.0, 1760.0, 5274.0};
  unsigned noise = 12345;
  const int total = static_cast<int>(rate * seconds);
  for (int start = 0; start < total; start += kBlock)
  {
    const int n = total - start < kBlock ? total - start : kBlock;
    for (int i = 0; i < n; ++i)
    {
      const double t = (start + i) / rate;
      double s = 0.0;
      for (size_t k = 0; k < sizeof chord / sizeof chord[0]; ++k)
        s += std::sin(2.0 * M_PI * chord[k] * t + k) / (1.0 + k);
      noise = noise * 1664525u + 1013904223u;
      s += ((noise >> 8) / 16777216.0 - 0.5) * 0.2;
      const double envelope = 0.55 + 0.25 * std::sin(2.0 * M_PI * 1.5 * t);
      inL[static_cast<size_t>(i)] = 0.42 * envelope * s;
      inR[static_cast<size_t>(i)] = 0.30 * envelope * s;
    }
    RecursiveMutex::Lock lock(plug->GetMutex());
    plug->ProcessDoubleReplacing(in, out, n);
  }
}
} // namespace

int main(int argc, char** argv)
{
  const char* preset = nullptr;
  const char* resources = TARVO_SKIN_DIR;
  const char* out = "editor.png";
  float scale = 1.0f;
  bool silent = false;
  for (int i = 1; i < argc; ++i)
  {
    if (!std::strcmp(argv[i], "--silent"))
    {
      silent = true;
      continue;
    }
    if (i + 1 >= argc) return Usage();
    if (!std::strcmp(argv[i], "--preset"))
      preset = argv[++i];
    else if (!std::strcmp(argv[i], "--resources"))
      resources = argv[++i];
    else if (!std::strcmp(argv[i], "--out"))
      out = argv[++i];
    else if (!std::strcmp(argv[i], "--scale"))
    {
      char* end = nullptr;
      scale = std::strtof(argv[++i], &end);
      if (end == argv[i] || *end || !(scale >= 1.0f && scale <= 3.0f))
      {
        std::fprintf(stderr, "tarvo-snapshot: the scale goes from 1 to 3\n");
        return 2;
      }
    }
    else
      return Usage();
  }

  Tarvo* plug = new Tarvo(IInstanceInfo(), HeadlessGraphicsFactory(resources));
  auto* gui = dynamic_cast<IGraphicsHeadless*>(plug->GetGUI());
  int rc = 0;
  if (!gui)
  {
    std::fprintf(stderr, "tarvo-snapshot: no editor\n");
    rc = 1;
  }
  else if (preset && !plug->RestorePreset(preset))
  {
    std::fprintf(stderr, "tarvo-snapshot: no preset named \"%s\"\n", preset);
    rc = 1;
  }
  else
  {
    const double rate = 48000.0;
    plug->SetSampleRate(rate);
    plug->Reset();
    if (!silent) Play(plug, rate, 1.2);
    gui->SetContentScale(scale);
    gui->Tick();
    gui->DrawAll();
    if (!gui->WriteSurfacePNG(out))
    {
      std::fprintf(stderr, "tarvo-snapshot: cannot write %s\n", out);
      rc = 1;
    }
    else
    {
      int w = 0, h = 0;
      gui->GetDeviceSize(&w, &h);
      std::printf("Wrote %s (%s, %dx%d)\n", out, plug->GetPresetName(plug->GetCurrentPresetIdx()),
                  w, h);
    }
  }
  plug->release();
  return rc;
}
