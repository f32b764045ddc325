#include "framework/platform/x11/IGraphicsLinux.h"

IGraphics* MakeLinuxGraphics(IAudioPlugin*, int, int, int)
{
  return nullptr;
}
