#pragma once
// Small Xlib helpers the platform layer shares: error handling that never ends the host, copying
// 32-bit raster pixels to a window (XShm when the server offers it), and window lookups.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstdint>

#include "framework/gui/IGraphicsStructs.h"

namespace x11
{

// Xlib's default error handler ends the process. While a display is registered, errors on it are
// counted instead (a window the host destroyed under us is not worth a crash); errors on any
// other connection go to the handler that was installed before ours. Thread-safe.
void RegisterDisplay(Display* display);
void UnregisterDisplay(Display* display);
// Errors seen on display since it was registered or last asked, after a round trip.
int TakeErrors(Display* display);

// Copies areas of a 32-bit raster surface (alpha in the lowest byte, then red, green and blue) to
// a drawable of the given visual, pixel for pixel: the surfaces are drawn at device resolution.
class Blitter
{
public:
  Blitter() = default;
  ~Blitter() { Release(); }
  Blitter(const Blitter&) = delete;
  Blitter& operator=(const Blitter&) = delete;

  // An image for a drawable of w x h device pixels. useShm asks for shared memory, taken only
  // when the server supports it and accepts the segment.
  bool Init(Display* display, Visual* visual, int depth, int w, int h, bool useShm);
  // Frees the image; the display must still be open.
  void Release();
  bool UsesShm() const { return mShm; }

  // Converts area r (clipped to the source and to the image) into the image and puts it at the
  // same place on the drawable.
  void Put(Drawable drawable, GC gc, const uint32_t* src, int span, int srcW, int srcH, IRECT r);

private:
  void Convert(const uint32_t* src, int span, IRECT r);

  Display* mDisplay = nullptr;
  XImage* mImage = nullptr;
  XShmSegmentInfo mShmInfo{};
  bool mShm = false;
  bool mFast = false; // 32-bit pixels with 8-bit red, green, blue at 16, 8, 0 in host order
  int mW = 0, mH = 0;
};

// The top-level window holding window (the child of the root on its path), or window itself.
Window TopLevelOf(Display* display, Window window);
// Marks window as a transient of owner, so window managers keep it above.
void SetTransientFor(Display* display, Window window, Window owner);
// An override-redirect window on the root for menus and tooltips, not yet mapped.
Window CreatePopupWindow(Display* display, int x, int y, int w, int h, long eventMask);
// Milliseconds on a monotonic clock.
uint64_t NowMs();

} // namespace x11
