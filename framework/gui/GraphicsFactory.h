#pragma once
// How a plug-in gets its editor engine without knowing the platform: the module passes a factory
// that makes the platform's IGraphics (a window on the desktop, none in tests and tools).

class IAudioPlugin;
class IGraphics;

// A new engine of w × h pixels redrawn fps times a second (fps <= 0: the engine's default), or
// null when it cannot be made. The caller owns it (in practice through AttachGraphics).
using GraphicsFactory = IGraphics* (*)(IAudioPlugin* plug, int w, int h, int fps);
