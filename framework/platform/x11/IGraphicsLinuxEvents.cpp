// X events of the editor window and keys a host forwards, turned into engine calls.

#include "framework/platform/x11/IGraphicsLinux.h"

#include <string>

#include "framework/platform/x11/IGraphicsLinuxParts.h"
#include <X11/Xutil.h>
#include <X11/keysym.h>

using namespace x11editor;

namespace
{
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
} // namespace

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
      AddExposed(LogicalRect(IRECT(ev.xexpose.x, ev.xexpose.y, ev.xexpose.x + ev.xexpose.width,
                                   ev.xexpose.y + ev.xexpose.height)));
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
          IRECT(0, 0, mTooltip->mBitmap.getWidth(), mTooltip->mBitmap.getHeight()));
    break;
  case DestroyNotify:
    if (ev.xdestroywindow.window == w) mWindowGone = true;
    break;
  case FocusOut:
    // The field losing the keyboard (the editor's window did, or the user went elsewhere) ends
    // it as a click elsewhere does. Grabs (a window manager's key chord) only borrow the focus.
    if (field && ev.xfocus.window == field && ev.xfocus.mode != NotifyGrab &&
        ev.xfocus.mode != NotifyUngrab && ev.xfocus.detail != NotifyInferior &&
        ev.xfocus.detail != NotifyPointer)
      EndTextEntry(true);
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
    const int x = LogicalCoord(ev.xmotion.x), y = LogicalCoord(ev.xmotion.y);
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
      // A press elsewhere, or the wheel turned anywhere (over the field too), commits the field.
      if (b.window == mTextEntry->mWindow && !x11input::WheelDelta(b.button))
      {
        if (b.button == x11input::kButtonLeft) ClickTextEntry(b.x);
        return;
      }
      EndTextEntry(true);
    }
  }
  if (b.window != w) return;
  const int x = LogicalCoord(b.x), y = LogicalCoord(b.y);
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

bool IGraphicsLinux::OnForwardedKey(const IForwardedKey& key)
{
  unsigned long keysym = 0;
  std::string text;
  if (!x11input::ForwardedKeySym(key, &keysym, &text)) return false;
  return HostKey(keysym, text.c_str(), key.mShift, key.mControl);
}

bool IGraphicsLinux::HostKey(unsigned long keysym, const char* text, bool shift, bool control)
{
  if (mOwnThread.joinable() && std::this_thread::get_id() != mOwnThread.get_id())
    return HandKeyAcross(keysym, text, shift, control);
  if (!mDisplay) return false;
  if (mTextEntry) return TextEntryKey(keysym, text, shift, control);
  const int code = x11input::EngineKeyCode(keysym);
  return code >= 0 && OnKeyDown(mLastX, mLastY, code);
}
