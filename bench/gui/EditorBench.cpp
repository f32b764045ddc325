// Redrawing the 1030 x 436 editor (background, 55 controls: film-strip knobs with value text,
// switches, meters, captions, fader, preset strip) into the draw surface.

#include <benchmark/benchmark.h>

#include "framework/platform/headless/IGraphicsHeadless.h"
#include "product/Tarvo.h"

namespace
{
Tarvo* MakeEditorPlug()
{
  auto* plug = new Tarvo(IInstanceInfo(), HeadlessGraphicsFactory(TARVO_SKIN_DIR));
  plug->RestorePreset("Bombada");
  return plug;
}

IGraphicsHeadless* Editor(Tarvo* plug)
{
  return static_cast<IGraphicsHeadless*>(plug->GetGUI());
}

void BM_FullRedraw(benchmark::State& state)
{
  Tarvo* plug = MakeEditorPlug();
  IGraphicsHeadless* gui = Editor(plug);
  for (auto _ : state)
    gui->DrawAll();
  plug->release();
}

// What the block routine hands the editor after every block: new meter and caption values.
void BM_MeterTick(benchmark::State& state)
{
  Tarvo* plug = MakeEditorPlug();
  IGraphicsHeadless* gui = Editor(plug);
  gui->DrawAll();
  double level = 0.2;
  for (auto _ : state)
  {
    level = level > 0.9 ? 0.2 : level + 0.01;
    for (int c = 39; c <= 46; ++c)
      gui->SetControlFromPlug(c, level);
    gui->Tick();
  }
  plug->release();
}
} // namespace

BENCHMARK(BM_FullRedraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MeterTick)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
