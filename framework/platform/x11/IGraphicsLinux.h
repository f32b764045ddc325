#pragma once
// The editor engine in an X11 window: the Linux platform layer.

#include "framework/gui/GraphicsFactory.h"
#include "framework/gui/IGraphics.h"

// A GraphicsFactory: an X11 engine whose images come from the Contents/Resources folder of the
// bundle holding the running module.
IGraphics* MakeLinuxGraphics(IAudioPlugin* plug, int w, int h, int fps);
