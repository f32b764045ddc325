// The X11 editor window: making and unmaking it, copying the engine's surface to it at the
// host's scale, and the cursor. How the window is driven (host run loop or a thread of its own)
// is in IGraphicsLinuxLoop.cpp, its events in IGraphicsLinuxEvents.cpp.

#include "framework/platform/x11/IGraphicsLinux.h"

#include <cstring>

// Our headers before Xlib's, whose macros (Bool, CurrentTime) would rewrite their names.
#include "framework/core/Trace.h"
#include "raster/Raster.h"

#include "framework/platform/x11/DesktopScale.h"
#include "framework/platform/x11/IGraphicsLinuxParts.h"
#include <X11/Xutil.h>

using namespace x11editor;

IGraphicsLinux::IGraphicsLinux(IAudioPlugin* plug, int w, int h, int fps,
                               const char* resourceFolder)
    : IGraphics(plug, w, h, fps), mResourceFolder(resourceFolder ? resourceFolder : "")
{
  UseResourceFallbackFont(mResourceFolder.c_str());
}

IGraphicsLinux::~IGraphicsLinux()
{
  CloseWindow();
}

void IGraphicsLinux::SetResourceFolder(const char* folder)
{
  mResourceFolder = folder ? folder : "";
  UseResourceFallbackFont(mResourceFolder.c_str());
}

float IGraphicsLinux::DesktopScale()
{
  return x11::DesktopScale();
}

bool IGraphicsLinux::HostAgreesToSize(int w, int h)
{
  // The menu that chose a zoom runs on the window's thread when the host gave no run loop; the
  // plug frame must not be called from there, and there is no way to its thread.
  if (HasViewHost() && mOwnThread.joinable() && std::this_thread::get_id() == mOwnThread.get_id())
  {
    Trace("IGraphicsLinux", __LINE__, "no host run loop: a new size cannot be asked for");
    return false;
  }
  return IGraphics::HostAgreesToSize(w, h);
}

bool IGraphicsLinux::IsPlatformTypeSupported(const char* type)
{
  return type && std::strcmp(type, kPlatformX11EmbedWindowID) == 0;
}

void* IGraphicsLinux::GetWindow()
{
  return reinterpret_cast<void*>(mWindow.load());
}

bool IGraphicsLinux::CreateWindowNow(unsigned long parent)
{
  Display* d = XOpenDisplay(nullptr);
  if (!d) return false;
  x11::RegisterDisplay(d);
  const int screen = DefaultScreen(d);
  // The surface follows a scale the host set while no window was open.
  if (!SyncDeviceScale() && !GetDrawBitmap()) PrepDraw();
  int dw = 0, dh = 0;
  GetDeviceSize(&dw, &dh);
  XSetWindowAttributes a{};
  a.event_mask = kEditorEvents;
  a.background_pixmap = None; // we paint every pixel: no flash of background
  a.border_pixel = 0;
  a.bit_gravity = NorthWestGravity;
  const Window w =
      XCreateWindow(d, parent ? parent : RootWindow(d, screen), 0, 0, static_cast<unsigned>(dw),
                    static_cast<unsigned>(dh), 0, CopyFromParent, InputOutput, CopyFromParent,
                    CWEventMask | CWBackPixmap | CWBorderPixel | CWBitGravity, &a);
  XWindowAttributes attrs{};
  if (x11::TakeErrors(d) != 0 || !w || !XGetWindowAttributes(d, w, &attrs))
  {
    // Most likely a parent id that names no window.
    x11::UnregisterDisplay(d);
    XCloseDisplay(d);
    return false;
  }
  // XEmbed hosts map the client themselves once they see it asks to be mapped.
  const Atom embedInfo = XInternAtom(d, "_XEMBED_INFO", False);
  const long info[2] = {0, 1}; // version 0, XEMBED_MAPPED
  XChangeProperty(d, w, embedInfo, embedInfo, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(info), 2);
  if (!parent) XStoreName(d, w, "Editor");

  mDisplay = d;
  mScale = GetDrawScale();
  mVisual = attrs.visual;
  mDepth = attrs.depth;
  mGC = XCreateGC(d, w, 0, nullptr);
  mBlitter = std::make_unique<x11::Blitter>();
  mBlitter->Init(d, attrs.visual, attrs.depth, dw, dh, true);
  mTopLevel = parent ? x11::TopLevelOf(d, parent) : w;
  x11::TakeErrors(d);
  mWindowGone = false;
  mButtonsDown = 0;
  mClicks.Reset();
  mPointerInside = false;
  mExposed = IRECT();
  mWindow.store(w);
  XMapWindow(d, w);

  // Everything drawn once, so that exposures can copy from the surface from now on.
  SetAllControlsDirty();
  IRECT all(0, 0, Width(), Height());
  Draw(&all);
  XFlush(d);
  return true;
}

void IGraphicsLinux::DestroyWindowNow()
{
  if (!mDisplay) return;
  Display* d = D(mDisplay);
  EndTextEntry(false);
  // A wheel burst or a press still running must not leave the host with a gesture open.
  EndGestures();
  HideTooltip();
  ShowMouseCursor();
  const Window w = mWindow.load();
  mWindow.store(0);
  mBlitter.reset();
  if (mGC) XFreeGC(d, static_cast<GC>(mGC));
  if (mBlankCursor) XFreeCursor(d, mBlankCursor);
  if (!mWindowGone) XDestroyWindow(d, w);
  // Errors up to here (a window the host destroyed before telling us) are counted, not fatal.
  XSync(d, False);
  x11::UnregisterDisplay(d);
  XCloseDisplay(d);
  mDisplay = nullptr;
  mGC = nullptr;
  mVisual = nullptr;
  mBlankCursor = 0;
  mTopLevel = 0;
  mTooltipAreas.clear();
}

// ---- Redraw ----

void IGraphicsLinux::RedrawDirty()
{
  IRECT r;
  if (IsDirty(&r)) Draw(&r);
}

bool IGraphicsLinux::DrawScreen(IRECT* r)
{
  if (!mDisplay || !mWindow.load() || mWindowGone || !r || !mBlitter) return false;
  RasterSysBitmap* surface = GetDrawBitmap();
  if (!surface || !surface->getBits()) return false;
  mBlitter->Put(mWindow.load(), static_cast<GC>(mGC), surface->getBits(), surface->getRowSpan(),
                surface->getWidth(), surface->getHeight(), DeviceRect(*r));
  return true;
}

void IGraphicsLinux::AddExposed(IRECT r)
{
  mExposed = mExposed.Union(r);
}

void IGraphicsLinux::ApplyScale()
{
  if (!mDisplay) return;
  // The engine remakes its surface (everything dirty, drawn by the redraw that follows) when the
  // scale moved; a redraw during a menu may have done so already.
  SyncDeviceScale();
  if (GetDrawScale() == mScale) return;
  mScale = GetDrawScale();
  EndTextEntry(false);
  HideTooltip();
  LayOutWindow();
}

void IGraphicsLinux::LayOutWindow()
{
  int w = 0, h = 0;
  GetDeviceSize(&w, &h);
  if (RasterSysBitmap* surface = GetDrawBitmap())
  {
    w = surface->getWidth();
    h = surface->getHeight();
  }
  XResizeWindow(D(mDisplay), mWindow.load(), static_cast<unsigned>(w), static_cast<unsigned>(h));
  mBlitter->Init(D(mDisplay), static_cast<Visual*>(mVisual), mDepth, w, h, true);
}

void IGraphicsLinux::Resize(int w, int h)
{
  if (w == Width() && h == Height()) return;
  IGraphics::Resize(w, h);
  if (!mDisplay) return;
  EndTextEntry(false);
  mScale = GetDrawScale();
  LayOutWindow();
}

// ---- Cursor ----

void IGraphicsLinux::HideMouseCursor()
{
  if (IsCursorHidden() || !mDisplay || mWindowGone) return;
  Display* d = D(mDisplay);
  Window root = 0, child = 0;
  int rx = 0, ry = 0, wx = 0, wy = 0;
  unsigned state = 0;
  if (!XQueryPointer(d, mWindow.load(), &root, &child, &rx, &ry, &wx, &wy, &state)) return;
  if (!mBlankCursor)
  {
    const char none = 0;
    const Pixmap blank = XCreateBitmapFromData(d, mWindow.load(), &none, 1, 1);
    XColor black{};
    mBlankCursor = XCreatePixmapCursor(d, blank, blank, &black, &black, 0, 0);
    XFreePixmap(d, blank);
  }
  XDefineCursor(d, mWindow.load(), mBlankCursor);
  SetCursorHidden(true, rx, ry);
}

void IGraphicsLinux::ShowMouseCursor()
{
  if (!IsCursorHidden() || !mDisplay) return;
  Display* d = D(mDisplay);
  if (!mWindowGone)
  {
    XWarpPointer(d, None, DefaultRootWindow(d), 0, 0, 0, 0, GetHiddenCursorX(), GetHiddenCursorY());
    XUndefineCursor(d, mWindow.load());
  }
  SetCursorHidden(false);
}
