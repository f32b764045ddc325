#pragma once
// How a plug-in gets its editor engine without knowing the platform: the module passes a factory
// that makes the platform's IGraphics (a window on the desktop, none in tests and tools). A
// factory carries whatever its platform needs (a resource folder, say) with it, so instances made
// by different factories in one process never share a setting.

#include <functional>

class IAudioPlugin;
class IGraphics;

// A new engine of w × h pixels redrawn fps times a second (fps <= 0: the engine's default), or
// null when it cannot be made. The caller owns it (in practice through AttachGraphics). An empty
// factory makes no editor.
using GraphicsFactory = std::function<IGraphics*(IAudioPlugin* plug, int w, int h, int fps)>;
