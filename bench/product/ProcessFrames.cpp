// Runs the block routine over a fixed number of settled stereo frames, for instruction counts:
//   valgrind --tool=callgrind --toggle-collect='Tarvo::ProcessDoubleReplacing*'
//   tarvo_process_frames
// divides to instructions per frame.

#include <cstdio>
#include <cstdlib>

#include "BenchSetup.h"

int main(int argc, char** argv)
{
  const int blocks = argc > 1 ? std::atoi(argv[1]) : 200;
  Tarvo* plug = MakeBenchPlug();
  BenchBlock block;
  for (int i = 0; i < blocks; ++i)
    plug->ProcessDoubleReplacing(block.in, block.out, kBenchBlock);
  std::printf("%d frames\n", blocks * kBenchBlock);
  plug->release();
  return 0;
}
