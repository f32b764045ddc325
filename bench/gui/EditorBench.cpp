// Redrawing the 1030 x 436 editor (background, 55 controls: film-strip knobs with value text,
// switches, meters, captions, fader, preset strip) into the draw surface, at one and at two device
// pixels per editor pixel, and the steady tick in which only the meters and captions change.
// Ends with the two figures the editor is held to: the 2x full redraw against the 1x one, and
// what the meter tick at 2x costs at 25 ticks a second.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "framework/platform/headless/IGraphicsHeadless.h"
#include "product/Tarvo.h"

namespace
{
Tarvo* MakeEditorPlug(double scale)
{
  auto* plug = new Tarvo(IInstanceInfo(), HeadlessGraphicsFactory(TARVO_SKIN_DIR));
  plug->RestorePreset("Bombada");
  auto* gui = static_cast<IGraphicsHeadless*>(plug->GetGUI());
  gui->SetContentScale(static_cast<float>(scale));
  gui->DrawAll(); // the images at this scale are made here, once, as in an editor
  return plug;
}

IGraphicsHeadless* Editor(Tarvo* plug)
{
  return static_cast<IGraphicsHeadless*>(plug->GetGUI());
}

// The argument is the device scale in hundredths.
void BM_FullRedraw(benchmark::State& state)
{
  Tarvo* plug = MakeEditorPlug(state.range(0) / 100.0);
  IGraphicsHeadless* gui = Editor(plug);
  for (auto _ : state)
    gui->DrawAll();
  plug->release();
}

// What the block routine hands the editor after every block: new meter and caption values.
void BM_MeterTick(benchmark::State& state)
{
  Tarvo* plug = MakeEditorPlug(state.range(0) / 100.0);
  IGraphicsHeadless* gui = Editor(plug);
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

// Prints as usual and keeps each run's CPU time per iteration (microseconds).
class KeepingReporter : public benchmark::ConsoleReporter
{
public:
  void ReportRuns(const std::vector<Run>& runs) override
  {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      mTimes[r.benchmark_name()] = r.GetAdjustedCPUTime();
  }
  double Time(const std::string& name) const
  {
    const auto it = mTimes.find(name);
    return it == mTimes.end() ? 0.0 : it->second;
  }

private:
  std::map<std::string, double> mTimes;
};
} // namespace

BENCHMARK(BM_FullRedraw)->Arg(100)->Arg(150)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MeterTick)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  KeepingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const double one = reporter.Time("BM_FullRedraw/100"), two = reporter.Time("BM_FullRedraw/200");
  const double tick = reporter.Time("BM_MeterTick/200");
  if (one > 0.0 && two > 0.0)
    std::printf("full redraw at scale 2: %.2fx the scale-1 redraw (goal: at most 4.5x)\n",
                two / one);
  if (tick > 0.0)
    std::printf("meter tick at scale 2: %.0f us, %.2f%% of a core at 25 ticks a second "
                "(drawing only; the window's copy is in the idle figure)\n",
                tick, tick * 25.0 / 1e4);
  return 0;
}
