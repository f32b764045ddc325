// The raster work of an editor redraw: the 1030 x 436 background, 49 x 55 knob frames with soft
// edges, captions, and a rotated knob.

#include <benchmark/benchmark.h>

#include "raster/Raster.h"

namespace
{

constexpr int kW = 1030, kH = 436;

RasterMemBitmap Background()
{
  RasterMemBitmap b(kW, kH);
  for (int y = 0; y < kH; ++y)
    RasterFillRect(&b, 0, y, kW, 1, RasterPackColor(255, 30 + y / 8, 32 + y / 10, 40), 1.0f, 0);
  return b;
}

// A knob frame: an antialiased disc on a transparent ground, so every alpha value occurs.
RasterMemBitmap KnobFrame()
{
  RasterMemBitmap k(49, 55);
  RasterFillCircle(&k, 24, 24, 22.5f, RasterPackColor(255, 90, 96, 110), 1.0f, 0x10000, true);
  RasterLine(&k, 24, 24, 24, 4, RasterPackColor(255, 255, 127, 0), 1.0f, 0x10000, true);
  return k;
}

void BM_BackgroundBlitSourceAlpha(benchmark::State& state)
{
  RasterMemBitmap bg = Background();
  RasterSysBitmap surface(kW, kH);
  for (auto _ : state)
  {
    RasterBlit(&surface, &bg, 0, 0, 0, 0, kW, kH, 1.0f, 0x10000);
    benchmark::DoNotOptimize(surface.getBits());
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_BackgroundBlitSourceAlpha);

void BM_BackgroundBlitPlainCopy(benchmark::State& state)
{
  RasterMemBitmap bg = Background();
  RasterSysBitmap surface(kW, kH);
  for (auto _ : state)
  {
    RasterBlit(&surface, &bg, 0, 0, 0, 0, kW, kH, 1.0f, 0x0);
    benchmark::DoNotOptimize(surface.getBits());
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_BackgroundBlitPlainCopy);

// Weight 1.0 is a normal control, 0.25 a grayed-out one.
void BM_KnobFrameAlphaBlit(benchmark::State& state)
{
  const float weight = state.range(0) / 100.0f;
  RasterMemBitmap knob = KnobFrame();
  RasterSysBitmap surface(kW, kH);
  for (auto _ : state)
  {
    RasterBlit(&surface, &knob, 100, 100, 0, 0, 49, 55, weight, 0x10000);
    benchmark::DoNotOptimize(surface.getBits());
  }
  state.SetItemsProcessed(state.iterations() * 49 * 55);
}
BENCHMARK(BM_KnobFrameAlphaBlit)->Arg(100)->Arg(25);

// Background plus 40 knob frames: the blits of a full redraw.
void BM_FullRedrawBlits(benchmark::State& state)
{
  RasterMemBitmap bg = Background(), knob = KnobFrame();
  RasterSysBitmap surface(kW, kH);
  for (auto _ : state)
  {
    RasterBlit(&surface, &bg, 0, 0, 0, 0, kW, kH, 1.0f, 0x10000);
    for (int i = 0; i < 40; ++i)
      RasterBlit(&surface, &knob, 20 + (i % 8) * 120, 40 + (i / 8) * 70, 0, 0, 49, 55, 1.0f,
                 0x10000);
    benchmark::DoNotOptimize(surface.getBits());
  }
}
BENCHMARK(BM_FullRedrawBlits)->Unit(benchmark::kMicrosecond);

void BM_CaptionText(benchmark::State& state)
{
  RasterCachedFont font;
  font.SetFromHFont(CreateFont(10, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"), 0x600);
  font.SetTextColor(RasterPackColor(255, 230, 230, 230));
  RasterSysBitmap surface(kW, kH);
  for (auto _ : state)
  {
    RasterRect r{100, 100, 149, 116};
    font.DrawText(&surface, "-12.5 dB", -1, &r, 0x4 | 0x100);
    benchmark::DoNotOptimize(surface.getBits());
  }
}
BENCHMARK(BM_CaptionText);

void BM_RotatedKnobBilinear(benchmark::State& state)
{
  RasterMemBitmap knob = KnobFrame();
  RasterSysBitmap surface(kW, kH);
  float angle = 0.0f;
  for (auto _ : state)
  {
    RasterRotatedBlit(&surface, &knob, 100, 100, 49, 55, 0, 0, 49, 55, angle, false, 1.0f, 0x10100,
                      0, 0);
    angle += 0.01f;
    benchmark::DoNotOptimize(surface.getBits());
  }
}
BENCHMARK(BM_RotatedKnobBilinear);

} // namespace

BENCHMARK_MAIN();
