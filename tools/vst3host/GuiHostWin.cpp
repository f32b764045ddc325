// The editor window of `vst3host gui` needs a Win32 platform layer, which Windows builds do not
// have yet; everything before the window (loading, settings, audio set-up) runs as on Linux.
#include <cstdio>

#include "tools/vst3host/GuiHost.h"

namespace tarvo::vst3host
{

int RunGui(PluginInstance& /*instance*/, const GuiOptions& /*options*/)
{
  std::fprintf(stderr,
               "vst3host: gui: the editor window is not available in the Windows build yet\n");
  return 1;
}

} // namespace tarvo::vst3host
