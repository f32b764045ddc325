#include "framework/platform/x11/IGraphicsLinux.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

// Our headers before Xlib's, whose macros (Bool, CurrentTime) would rewrite their names.
#include "framework/core/IParam.h"
#include "framework/core/Trace.h"
#include "framework/gui/IControl.h"
#include "pluginterfaces/gui/iplugview.h"
#include "raster/Raster.h"

#include "framework/platform/x11/DesktopTools.h"
#include "framework/platform/x11/X11Support.h"
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

using namespace Steinberg;

// The timer and file-descriptor handler we register with the host's run loop. The host may keep
// its own reference past our unregistering; a call arriving then finds no owner and does nothing.
class LinuxRunLoopLink : public Linux::ITimerHandler, public Linux::IEventHandler
{
public:
  explicit LinuxRunLoopLink(IGraphicsLinux* owner) : mOwner(owner) {}
  virtual ~LinuxRunLoopLink() = default;
  void Detach() { mOwner = nullptr; }

  void PLUGIN_API onTimer() override
  {
    if (mOwner) mOwner->OnTimer();
  }
  void PLUGIN_API onFDIsSet(Linux::FileDescriptor) override
  {
    if (mOwner) mOwner->OnXEvents();
  }

  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
  {
    if (!obj) return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, Linux::ITimerHandler::iid) ||
        FUnknownPrivate::iidEqual(iid, FUnknown::iid))
      *obj = static_cast<Linux::ITimerHandler*>(this);
    else if (FUnknownPrivate::iidEqual(iid, Linux::IEventHandler::iid))
      *obj = static_cast<Linux::IEventHandler*>(this);
    else
    {
      *obj = nullptr;
      return kNoInterface;
    }
    addRef();
    return kResultOk;
  }
  uint32 PLUGIN_API addRef() override { return ++mRefs; }
  uint32 PLUGIN_API release() override
  {
    const uint32 n = --mRefs;
    if (n == 0) delete this;
    return n;
  }

private:
  std::atomic<uint32> mRefs{1};
  IGraphicsLinux* mOwner;
};

struct IGraphicsLinux::TextEntry
{
  IControl* mControl = nullptr;
  IParam* mParam = nullptr;
  IRECT mRect;
  IText mStyle;
  RasterCachedFont* mFont = nullptr;
  TextFieldModel mModel;
  Window mWindow = 0;
  GC mGC = nullptr;
  x11::Blitter mBlitter;
  RasterMemBitmap mBitmap;
  int mScroll = 0; // pixels of text scrolled out on the left
  int mTextX = 0;  // where the text starts in the field, as last drawn
  Window mPrevFocus = 0;
  int mPrevRevert = RevertToParent;
};

struct IGraphicsLinux::Tooltip
{
  Window mWindow = 0;
  GC mGC = nullptr;
  x11::Blitter mBlitter;
  RasterMemBitmap mBitmap;
  IRECT mArea;
};

namespace
{

constexpr long kEditorEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask |
                               PointerMotionMask | KeyPressMask | EnterWindowMask |
                               LeaveWindowMask | StructureNotifyMask;
constexpr long kFieldEvents = ExposureMask | KeyPressMask | ButtonPressMask;
constexpr int kTooltipDelayMs = 600;

Display* D(_XDisplay* d)
{
  return d;
}

// X11 keys type Latin-1; the engine and the fields take UTF-8.
std::string Latin1ToUtf8(const char* s, int n)
{
  std::string out;
  for (int i = 0; i < n; ++i)
  {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80)
      out += static_cast<char>(c);
    else
    {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

int MeasureText(RasterCachedFont* font, const char* text, size_t len)
{
  if (!font || len == 0) return 0;
  RasterRect r = {0, 0, 0, 0};
  font->DrawText(nullptr, text, static_cast<int>(len), &r, RASTER_DT_CALCRECT);
  return r.right - r.left;
}

} // namespace

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

void IGraphicsLinux::SetContentScale(float factor)
{
  mPendingScale.store(factor >= 1.9f ? 2 : 1);
}

void* IGraphicsLinux::GetWindow()
{
  return reinterpret_cast<void*>(mWindow.load());
}

// ---- Opening and closing ----

void* IGraphicsLinux::OpenWindow(void* parent)
{
  CloseWindow();
  const unsigned long parentId = reinterpret_cast<unsigned long>(parent);
  if (mHostRunLoop)
  {
    SetGUIThread();
    if (!CreateWindowNow(parentId)) return nullptr;
    mLink = new LinuxRunLoopLink(this);
    const int period = std::max(1000 / FPS(), 1);
    if (mHostRunLoop->registerEventHandler(mLink, ConnectionNumber(D(mDisplay))) == kResultOk &&
        mHostRunLoop->registerTimer(mLink, static_cast<Linux::TimerInterval>(period)) == kResultOk)
    {
      mActiveRunLoop = mHostRunLoop;
      UpdateTooltips();
      return GetWindow();
    }
    // A run loop that refuses us is as good as none.
    mHostRunLoop->unregisterEventHandler(mLink);
    mHostRunLoop->unregisterTimer(mLink);
    mLink->Detach();
    mLink->release();
    mLink = nullptr;
    DestroyWindowNow();
  }

  Trace("IGraphicsLinux", __LINE__, "no host run loop: the editor runs its window on a thread");
  if (pipe2(mWakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return nullptr;
  mStopThread.store(false);
  mThreadStarted = false;
  try
  {
    mOwnThread = std::thread(&IGraphicsLinux::ThreadMain, this, parentId);
  }
  catch (...)
  {
    close(mWakePipe[0]);
    close(mWakePipe[1]);
    mWakePipe[0] = mWakePipe[1] = -1;
    return nullptr;
  }
  std::unique_lock<std::mutex> lock(mThreadMutex);
  mThreadReady.wait(lock, [this] { return mThreadStarted; });
  lock.unlock();
  if (!mWindow.load())
  {
    CloseWindow();
    return nullptr;
  }
  return GetWindow();
}

void IGraphicsLinux::CloseWindow()
{
  if (mOwnThread.joinable())
  {
    mStopThread.store(true);
    if (std::this_thread::get_id() == mOwnThread.get_id()) return; // it ends after this event
    WakeThread();
    mOwnThread.join();
    close(mWakePipe[0]);
    close(mWakePipe[1]);
    mWakePipe[0] = mWakePipe[1] = -1;
    {
      std::lock_guard<std::mutex> lock(mThreadMutex);
      mForwardedKeys.clear();
    }
    SetGUIThread();
    return;
  }
  if (mLink)
  {
    // Unregistered before the window goes, so no callback can find a half-closed editor.
    mActiveRunLoop->unregisterTimer(mLink);
    mActiveRunLoop->unregisterEventHandler(mLink);
    mLink->Detach();
    mLink->release();
    mLink = nullptr;
    mActiveRunLoop = nullptr;
  }
  DestroyWindowNow();
}

bool IGraphicsLinux::CreateWindowNow(unsigned long parent)
{
  Display* d = XOpenDisplay(nullptr);
  if (!d) return false;
  x11::RegisterDisplay(d);
  const int screen = DefaultScreen(d);
  const int s = mPendingScale.load();
  XSetWindowAttributes a{};
  a.event_mask = kEditorEvents;
  a.background_pixmap = None; // we paint every pixel: no flash of background
  a.border_pixel = 0;
  a.bit_gravity = NorthWestGravity;
  const Window w = XCreateWindow(
      d, parent ? parent : RootWindow(d, screen), 0, 0, static_cast<unsigned>(Width() * s),
      static_cast<unsigned>(Height() * s), 0, CopyFromParent, InputOutput, CopyFromParent,
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
  mScale = s;
  mVisual = attrs.visual;
  mDepth = attrs.depth;
  mGC = XCreateGC(d, w, 0, nullptr);
  mBlitter = std::make_unique<x11::Blitter>();
  mBlitter->Init(d, attrs.visual, attrs.depth, Width() * s, Height() * s, true);
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

// ---- The window's own thread ----

void IGraphicsLinux::WakeThread()
{
  if (mWakePipe[1] >= 0)
  {
    const char c = 1;
    if (write(mWakePipe[1], &c, 1) < 0)
    {
      // Full pipe: the thread is awake already.
    }
  }
}

void IGraphicsLinux::ThreadMain(unsigned long parent)
{
  SetGUIThread();
  const bool ok = CreateWindowNow(parent);
  {
    std::lock_guard<std::mutex> lock(mThreadMutex);
    mThreadStarted = true;
  }
  mThreadReady.notify_all();
  if (!ok) return;
  UpdateTooltips();
  const uint64_t period = static_cast<uint64_t>(std::max(1000 / FPS(), 1));
  uint64_t next = x11::NowMs() + period;
  while (!mStopThread.load())
  {
    OnXEvents();
    std::vector<ForwardedKey> keys;
    {
      std::lock_guard<std::mutex> lock(mThreadMutex);
      keys.swap(mForwardedKeys);
    }
    for (const ForwardedKey& k : keys)
      OnHostKey(k.mKeysym, k.mText.c_str(), k.mShift, k.mControl);
    const uint64_t now = x11::NowMs();
    if (now >= next)
    {
      OnTimer();
      next += period;
      if (next <= now) next = now + period;
      continue;
    }
    if (XPending(D(mDisplay))) continue;
    pollfd fds[2] = {{ConnectionNumber(D(mDisplay)), POLLIN, 0}, {mWakePipe[0], POLLIN, 0}};
    poll(fds, 2, static_cast<int>(next - now));
    if (fds[1].revents & POLLIN)
    {
      char buf[64];
      while (read(mWakePipe[0], buf, sizeof buf) > 0)
      {
      }
    }
  }
  DestroyWindowNow();
}

// ---- Redraw ----

void IGraphicsLinux::OnTimer()
{
  if (!mDisplay) return;
  // Xlib may have read events into its queue during our own requests; the descriptor then stays
  // quiet, so the queue is looked at here too.
  OnXEvents();
  if (!mDisplay) return;
  ApplyScale();
  RedrawDirty();
  TooltipTick();
  static thread_local uint64_t lastReap = 0;
  const uint64_t now = x11::NowMs();
  if (now - lastReap > 1000)
  {
    desktop::ReapChildren();
    lastReap = now;
  }
  XFlush(D(mDisplay));
}

void IGraphicsLinux::RedrawDirty()
{
  IRECT r;
  if (IsDirty(&r)) Draw(&r);
}

void IGraphicsLinux::OnXEvents()
{
  while (mDisplay && XPending(D(mDisplay)))
  {
    XEvent ev;
    XNextEvent(D(mDisplay), &ev);
    Dispatch(ev);
  }
  if (mDisplay) XFlush(D(mDisplay));
}

bool IGraphicsLinux::DrawScreen(IRECT* r)
{
  if (!mDisplay || !mWindow.load() || mWindowGone || !r || !mBlitter) return false;
  RasterSysBitmap* surface = GetDrawBitmap();
  if (!surface || !surface->getBits()) return false;
  mBlitter->Put(mWindow.load(), static_cast<GC>(mGC), surface->getBits(), surface->getRowSpan(),
                surface->getWidth(), surface->getHeight(), *r, mScale);
  return true;
}

void IGraphicsLinux::AddExposed(IRECT r)
{
  mExposed = mExposed.Union(r);
}

void IGraphicsLinux::ApplyScale()
{
  const int s = mPendingScale.load();
  if (s == mScale || !mDisplay) return;
  mScale = s;
  XResizeWindow(D(mDisplay), mWindow.load(), static_cast<unsigned>(Width() * s),
                static_cast<unsigned>(Height() * s));
  mBlitter->Init(D(mDisplay), static_cast<Visual*>(mVisual), mDepth, Width() * s, Height() * s,
                 true);
  EndTextEntry(false);
  HideTooltip();
  IRECT all(0, 0, Width(), Height());
  DrawScreen(&all);
}

void IGraphicsLinux::Resize(int w, int h)
{
  if (w == Width() && h == Height()) return;
  IGraphics::Resize(w, h);
  if (!mDisplay) return;
  EndTextEntry(false);
  XResizeWindow(D(mDisplay), mWindow.load(), static_cast<unsigned>(w * mScale),
                static_cast<unsigned>(h * mScale));
  mBlitter->Init(D(mDisplay), static_cast<Visual*>(mVisual), mDepth, w * mScale, h * mScale, true);
}

// ---- Events ----

bool IGraphicsLinux::RootPosition(int x, int y, int* rx, int* ry)
{
  Display* d = D(mDisplay);
  Window child = 0;
  return XTranslateCoordinates(d, mWindow.load(), DefaultRootWindow(d), x, y, rx, ry, &child);
}

void IGraphicsLinux::Dispatch(XEvent& ev)
{
  Display* d = D(mDisplay);
  const Window w = mWindow.load();
  const Window field = mTextEntry ? mTextEntry->mWindow : 0;
  const Window tip = mTooltip ? mTooltip->mWindow : 0;
  switch (ev.type)
  {
  case Expose:
    if (ev.xexpose.window == w)
    {
      const int s = mScale;
      AddExposed(IRECT(ev.xexpose.x / s, ev.xexpose.y / s,
                       (ev.xexpose.x + ev.xexpose.width + s - 1) / s,
                       (ev.xexpose.y + ev.xexpose.height + s - 1) / s));
      if (ev.xexpose.count == 0)
      {
        IRECT r = mExposed;
        mExposed = IRECT();
        DrawScreen(&r);
      }
    }
    else if (field && ev.xexpose.window == field && ev.xexpose.count == 0)
      DrawTextEntry();
    else if (tip && ev.xexpose.window == tip && ev.xexpose.count == 0)
      mTooltip->mBlitter.Put(
          tip, mTooltip->mGC, mTooltip->mBitmap.getBits(), mTooltip->mBitmap.getRowSpan(),
          mTooltip->mBitmap.getWidth(), mTooltip->mBitmap.getHeight(),
          IRECT(0, 0, mTooltip->mBitmap.getWidth(), mTooltip->mBitmap.getHeight()), mScale);
    break;
  case DestroyNotify:
    if (ev.xdestroywindow.window == w) mWindowGone = true;
    break;
  case MappingNotify:
    // Keys change meaning when the keyboard map does (xdotool borrows keys to type with).
    XRefreshKeyboardMapping(&ev.xmapping);
    break;
  case ButtonPress:
  case ButtonRelease:
    MouseButton(ev);
    break;
  case MotionNotify:
  {
    if (ev.xmotion.window != w) break;
    while (XCheckTypedWindowEvent(d, w, MotionNotify, &ev))
    {
    }
    const int x = ev.xmotion.x / mScale, y = ev.xmotion.y / mScale;
    mLastX = x;
    mLastY = y;
    mPointerInside = true;
    const unsigned held = ev.xmotion.state & (Button1Mask | Button3Mask);
    if (held && mButtonsDown)
    {
      if (!mTextEntry)
      {
        IMouseMod mod =
            x11input::MouseMod(ev.xmotion.state, (held & Button1Mask) ? x11input::kButtonLeft
                                                                      : x11input::kButtonRight);
        OnMouseDrag(x, y, &mod);
      }
    }
    else
    {
      IMouseMod mod = x11input::MouseMod(ev.xmotion.state, 0);
      OnMouseOver(x, y, &mod);
      mLastMotionMs = x11::NowMs();
      if (mTooltip && !mTooltip->mArea.Contains(x, y)) HideTooltip();
    }
    break;
  }
  case EnterNotify:
    if (ev.xcrossing.window == w) mPointerInside = true;
    break;
  case LeaveNotify:
    if (ev.xcrossing.window != w) break;
    if (ev.xcrossing.detail == NotifyInferior) break; // into our own text field
    mPointerInside = false;
    HideTooltip();
    if (ev.xcrossing.mode == NotifyNormal && !mButtonsDown) OnMouseOut();
    break;
  case KeyPress:
  {
    char buf[32];
    KeySym keysym = NoSymbol;
    const int n = XLookupString(&ev.xkey, buf, sizeof buf, &keysym, nullptr);
    const std::string text = Latin1ToUtf8(buf, n);
    const bool shift = ev.xkey.state & ShiftMask, control = ev.xkey.state & ControlMask;
    if (mTextEntry)
    {
      TextEntryKey(keysym, text.c_str(), shift, control);
      break;
    }
    const int code = x11input::EngineKeyCode(keysym);
    if (code >= 0) OnKeyDown(mLastX, mLastY, code);
    break;
  }
  default:
    break;
  }
}

void IGraphicsLinux::MouseButton(XEvent& ev)
{
  const XButtonEvent& b = ev.xbutton;
  const Window w = mWindow.load();
  const bool press = ev.type == ButtonPress;
  if (press)
  {
    HideTooltip();
    if (mTextEntry)
    {
      if (b.window == mTextEntry->mWindow)
      {
        if (b.button == x11input::kButtonLeft) ClickTextEntry(b.x / mScale);
        return;
      }
      // A press elsewhere commits the field; a wheel step cancels it.
      EndTextEntry(x11input::WheelDelta(b.button) == 0);
    }
  }
  if (b.window != w) return;
  const int x = b.x / mScale, y = b.y / mScale;
  mLastX = x;
  mLastY = y;
  if (const int d = x11input::WheelDelta(b.button))
  {
    if (press)
    {
      IMouseMod mod = x11input::MouseMod(b.state, 0);
      OnMouseWheel(x, y, &mod, d);
    }
    return;
  }
  if (b.button != x11input::kButtonLeft && b.button != x11input::kButtonRight) return;
  const unsigned bit = 1u << b.button;
  IMouseMod mod = x11input::MouseMod(b.state, b.button);
  if (!press)
  {
    if (!(mButtonsDown & bit)) return;
    mButtonsDown &= ~bit;
    OnMouseUp(x, y, &mod);
    return;
  }
  mButtonsDown |= bit;
  mModalDuringPress = false;
  if (b.button == x11input::kButtonLeft &&
      mClicks.Press(b.button, b.x, b.y, static_cast<uint64_t>(b.time)) >= 2)
    OnMouseDblClick(x, y, &mod);
  else
  {
    if (b.button != x11input::kButtonLeft) mClicks.Reset();
    OnMouseDown(x, y, &mod);
  }
  if (mModalDuringPress && mDisplay && (mButtonsDown & bit))
  {
    mModalDuringPress = false;
    Window root = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned state = 0;
    XQueryPointer(D(mDisplay), w, &root, &child, &rx, &ry, &wx, &wy, &state);
    const unsigned mask = b.button == x11input::kButtonLeft ? Button1Mask : Button3Mask;
    if (!(state & mask))
    {
      mButtonsDown &= ~bit;
      OnMouseUp(x, y, &mod);
    }
  }
}

// ---- Keys a host forwards ----

bool IGraphicsLinux::OnHostKey(unsigned long keysym, const char* text, bool shift, bool control)
{
  if (mOwnThread.joinable() && std::this_thread::get_id() != mOwnThread.get_id())
  {
    {
      std::lock_guard<std::mutex> lock(mThreadMutex);
      mForwardedKeys.push_back({keysym, text ? text : "", shift, control});
    }
    WakeThread();
    return true;
  }
  if (!mDisplay) return false;
  if (mTextEntry) return TextEntryKey(keysym, text, shift, control);
  const int code = x11input::EngineKeyCode(keysym);
  return code >= 0 && OnKeyDown(mLastX, mLastY, code);
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

// ---- Tooltips ----

void IGraphicsLinux::UpdateTooltips()
{
  if (!mDisplay || !TooltipsEnabled()) return;
  HideTooltip();
  mTooltipAreas.clear();
  for (int i = 0; i < GetNControls(); ++i)
  {
    const IControl* c = GetControl(i);
    if (c && !c->IsHidden() && !c->GetRECT()->Empty()) mTooltipAreas.push_back({*c->GetRECT(), i});
  }
}

void IGraphicsLinux::TooltipTick()
{
  if (mTooltip || !TooltipsEnabled() || mTooltipAreas.empty() || !mPointerInside || mButtonsDown ||
      mTextEntry || mLastMotionMs == 0)
    return;
  if (x11::NowMs() - mLastMotionMs < static_cast<uint64_t>(kTooltipDelayMs)) return;
  // Shown once per rest of the pointer.
  mLastMotionMs = 0;
  const std::pair<IRECT, int>* area = nullptr;
  for (const auto& a : mTooltipAreas)
    if (a.first.Contains(mLastX, mLastY)) area = &a;
  if (!area) return;
  const IControl* over = GetControl(GetMouseOver());
  const char* text = over ? over->GetTooltip() : nullptr;
  if (text && text[0]) ShowTooltip(text, area->first);
}

void IGraphicsLinux::ShowTooltip(const char* text, const IRECT& area)
{
  Display* d = D(mDisplay);
  IText style(12, &COLOR_BLACK, "Arial", IText::kTextRegular, IText::kAlignLeft);
  RasterCachedFont* font = CacheFont(&style);
  if (!font) return;
  const int w = MeasureText(font, text, std::strlen(text)) + 10;
  const int h = font->GetLineHeight() + 6;
  int rx = 0, ry = 0;
  if (!RootPosition(mLastX * mScale, mLastY * mScale, &rx, &ry)) return;
  auto tip = std::make_unique<Tooltip>();
  tip->mArea = area;
  const int s = mScale;
  const int screenW = DisplayWidth(d, DefaultScreen(d)),
            screenH = DisplayHeight(d, DefaultScreen(d));
  int x = std::min(rx + 12 * s, screenW - w * s), y = ry + 20 * s;
  if (y + h * s > screenH) y = ry - (h + 8) * s;
  tip->mWindow =
      x11::CreatePopupWindow(d, std::max(x, 0), std::max(y, 0), w * s, h * s, ExposureMask);
  x11::SetTransientFor(d, tip->mWindow, mTopLevel);
  tip->mGC = XCreateGC(d, tip->mWindow, 0, nullptr);
  tip->mBlitter.Init(d, DefaultVisual(d, DefaultScreen(d)), DefaultDepth(d, DefaultScreen(d)),
                     w * s, h * s, false);
  RasterMemBitmap& bm = tip->mBitmap;
  bm.resize(w, h);
  RasterFillRect(&bm, 0, 0, w, h, RasterPackColor(255, 120, 120, 120), 1.0f, RASTER_BLIT_MODE_COPY);
  RasterFillRect(&bm, 1, 1, w - 2, h - 2, RasterPackColor(255, 255, 255, 225), 1.0f,
                 RASTER_BLIT_MODE_COPY);
  font->SetTextColor(RasterPackColor(255, 0, 0, 0));
  RasterRect r = {5, 3, w - 5, h - 3};
  font->DrawText(&bm, text, -1, &r, 0);
  XMapRaised(d, tip->mWindow);
  mTooltip = std::move(tip);
}

void IGraphicsLinux::HideTooltip()
{
  if (!mTooltip) return;
  std::unique_ptr<Tooltip> tip = std::move(mTooltip);
  if (!mDisplay) return;
  tip->mBlitter.Release();
  if (tip->mGC) XFreeGC(D(mDisplay), tip->mGC);
  if (tip->mWindow) XDestroyWindow(D(mDisplay), tip->mWindow);
}

// ---- Text entry ----

void IGraphicsLinux::CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                                     IParam* param)
{
  if (!control || !rect || mTextEntry || !mDisplay || mWindowGone) return;
  Display* d = D(mDisplay);
  HideTooltip();
  auto te = std::make_unique<TextEntry>();
  te->mControl = control;
  te->mParam = param;
  te->mRect = *rect;
  if (te->mRect.W() < 1) te->mRect.R = te->mRect.L + 1;
  if (te->mRect.H() < 1) te->mRect.B = te->mRect.T + 1;
  if (text) te->mStyle = *text;
  te->mStyle.mSize = std::max(static_cast<int>(te->mStyle.mSize * 0.9), 1);
  te->mStyle.mCached = nullptr;
  te->mFont = CacheFont(&te->mStyle);
  te->mModel.Start(str, param ? TextEntryCharacters(param->Type()) : nullptr,
                   param ? control->GetTextEntryLength() : 0);

  const int s = mScale;
  XSetWindowAttributes a{};
  a.event_mask = kFieldEvents;
  a.background_pixmap = None;
  a.border_pixel = 0;
  te->mWindow = XCreateWindow(
      d, mWindow.load(), te->mRect.L * s, te->mRect.T * s, static_cast<unsigned>(te->mRect.W() * s),
      static_cast<unsigned>(te->mRect.H() * s), 0, CopyFromParent, InputOutput, CopyFromParent,
      CWEventMask | CWBackPixmap | CWBorderPixel, &a);
  te->mGC = XCreateGC(d, te->mWindow, 0, nullptr);
  te->mBlitter.Init(d, static_cast<Visual*>(mVisual), mDepth, te->mRect.W() * s, te->mRect.H() * s,
                    false);
  te->mBitmap.resize(te->mRect.W(), te->mRect.H());
  XMapRaised(d, te->mWindow);
  XGetInputFocus(d, &te->mPrevFocus, &te->mPrevRevert);
  XSync(d, False);
  // Focus can only go to a viewable window; a host that has not shown its window yet keeps it.
  XWindowAttributes attrs{};
  if (XGetWindowAttributes(d, te->mWindow, &attrs) && attrs.map_state == IsViewable)
    XSetInputFocus(d, te->mWindow, RevertToParent, CurrentTime);
  x11::TakeErrors(d);
  mTextEntry = std::move(te);
  DrawTextEntry();
}

void IGraphicsLinux::ForceEndUserEdit()
{
  EndTextEntry(false);
}

void IGraphicsLinux::EndTextEntry(bool commit)
{
  if (!mTextEntry) return;
  std::unique_ptr<TextEntry> te = std::move(mTextEntry);
  if (mDisplay)
  {
    Display* d = D(mDisplay);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    if (focus == te->mWindow && te->mPrevFocus != te->mWindow)
      XSetInputFocus(d, te->mPrevFocus ? te->mPrevFocus : static_cast<Window>(PointerRoot),
                     te->mPrevRevert, CurrentTime);
    te->mBlitter.Release();
    if (te->mGC) XFreeGC(d, te->mGC);
    XDestroyWindow(d, te->mWindow);
    x11::TakeErrors(d);
  }
  if (commit)
  {
    const std::string text = te->mModel.Text();
    if (te->mParam)
      SetFromStringAfterPrompt(te->mControl, te->mParam, text.c_str());
    else
      te->mControl->TextFromTextEntry(text.c_str());
  }
  SetAllControlsDirty();
}

bool IGraphicsLinux::TextEntryKey(unsigned long keysym, const char* text, bool shift, bool control)
{
  if (!mTextEntry) return false;
  TextFieldModel& m = mTextEntry->mModel;
  switch (keysym)
  {
  case XK_Return:
  case XK_KP_Enter:
  case XK_Tab:
  case XK_ISO_Left_Tab:
    EndTextEntry(true);
    return true;
  case XK_Escape:
    EndTextEntry(false);
    return true;
  case XK_BackSpace:
    m.Backspace();
    break;
  case XK_Delete:
  case XK_KP_Delete:
    m.Delete();
    break;
  case XK_Left:
  case XK_KP_Left:
    m.Left(shift);
    break;
  case XK_Right:
  case XK_KP_Right:
    m.Right(shift);
    break;
  case XK_Home:
  case XK_KP_Home:
    m.Home(shift);
    break;
  case XK_End:
  case XK_KP_End:
    m.End(shift);
    break;
  default:
    if (control && (keysym == XK_a || keysym == XK_A))
      m.SelectAll();
    else if (control && (keysym == XK_v || keysym == XK_V))
    {
      StringBuf clip;
      if (GetTextFromClipboard(&clip))
      {
        std::string line = clip.Get();
        line = line.substr(0, line.find_first_of("\r\n"));
        m.Insert(line.c_str());
      }
    }
    else if (!control && text && text[0])
      m.Insert(text);
    break;
  }
  DrawTextEntry();
  return true;
}

void IGraphicsLinux::ClickTextEntry(int x)
{
  TextEntry* te = mTextEntry.get();
  if (!te) return;
  const std::string& text = te->mModel.Text();
  // The caret goes to the character boundary nearest the click.
  te->mModel.Home(false);
  int best = 1 << 30;
  size_t bestPos = 0;
  for (size_t pos = 0; pos <= text.size(); ++pos)
  {
    if (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) continue;
    const int dist = std::abs(te->mTextX + MeasureText(te->mFont, text.c_str(), pos) - x);
    if (dist < best)
    {
      best = dist;
      bestPos = pos;
    }
  }
  while (te->mModel.Caret() < bestPos)
    te->mModel.Right(false);
  DrawTextEntry();
}

void IGraphicsLinux::DrawTextEntry()
{
  TextEntry* te = mTextEntry.get();
  if (!te || !mDisplay) return;
  RasterMemBitmap& bm = te->mBitmap;
  const int w = bm.getWidth(), h = bm.getHeight();
  const IText& st = te->mStyle;
  RasterFillRect(&bm, 0, 0, w, h, st.mTextEntryBGColor.Packed() | 0xFF, 1.0f,
                 RASTER_BLIT_MODE_COPY);
  if (RasterCachedFont* font = te->mFont)
  {
    const std::string& text = te->mModel.Text();
    const int textW = MeasureText(font, text.c_str(), text.size());
    const int caretX = MeasureText(font, text.c_str(), te->mModel.Caret());
    const int room = std::max(w - 4, 1);
    int x = 2;
    if (textW <= room)
    {
      te->mScroll = 0;
      if (st.mAlign == IText::kAlignMiddle)
        x = (w - textW) / 2;
      else if (st.mAlign == IText::kAlignRight)
        x = w - 2 - textW;
    }
    else
    {
      // Longer than the field: scroll so the caret stays in view.
      if (caretX - te->mScroll > room) te->mScroll = caretX - room;
      if (caretX - te->mScroll < 0) te->mScroll = caretX;
      te->mScroll = std::max(0, std::min(te->mScroll, textW - room));
      x = 2 - te->mScroll;
    }
    te->mTextX = x;
    const int lineH = font->GetLineHeight();
    const int top = (h - lineH) / 2;
    if (te->mModel.HasSelection())
    {
      const int x0 = MeasureText(font, text.c_str(), te->mModel.SelectionStart());
      const int x1 = MeasureText(font, text.c_str(), te->mModel.SelectionEnd());
      RasterFillRect(&bm, x + x0, std::max(top, 0), x1 - x0, std::min(lineH, h),
                     RasterPackColor(255, 170, 200, 240), 1.0f, RASTER_BLIT_MODE_COPY);
    }
    const RasterPixel fg = st.mTextEntryFGColor.Packed() | 0xFF;
    font->SetTextColor(fg);
    RasterRect r = {x, top, x + textW + 1, top + lineH};
    font->DrawText(&bm, text.c_str(), -1, &r, RASTER_DT_NOCLIP);
    RasterLine(&bm, x + caretX, std::max(top, 0), x + caretX, std::min(top + lineH, h) - 1, fg,
               1.0f, RASTER_BLIT_MODE_COPY, false);
  }
  te->mBlitter.Put(te->mWindow, te->mGC, bm.getBits(), bm.getRowSpan(), w, h, IRECT(0, 0, w, h),
                   mScale);
  XFlush(D(mDisplay));
}

// ---- Modal waits ----

bool IGraphicsLinux::ModalIdle()
{
  mModalDuringPress = true;
  if (!mDisplay) return !mStopThread.load();
  // Keep the picture alive; input waits for the dialog to close.
  while (XPending(D(mDisplay)))
  {
    XEvent ev;
    XNextEvent(D(mDisplay), &ev);
    if (ev.type == Expose || ev.type == DestroyNotify || ev.type == MappingNotify) Dispatch(ev);
  }
  RedrawDirty();
  XFlush(D(mDisplay));
  return !mStopThread.load();
}

unsigned long IGraphicsLinux::DialogParent()
{
  return mDisplay ? mTopLevel : 0;
}
