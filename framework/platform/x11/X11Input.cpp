#include "framework/platform/x11/X11Input.h"

#include <X11/X.h>
#include <X11/keysym.h>

namespace x11input
{

IMouseMod MouseMod(unsigned state, unsigned button)
{
  IMouseMod mod;
  if (button == kButtonRight)
  {
    mod.L = false;
    mod.R = true;
  }
  else
  {
    mod.L = true;
    mod.R = (state & Mod4Mask) != 0;
  }
  mod.S = (state & ShiftMask) != 0;
  mod.C = (state & ControlMask) != 0;
  mod.A = (state & Mod1Mask) != 0;
  return mod;
}

bool ForwardedKeySym(const IForwardedKey& key, unsigned long* keysym, std::string* text)
{
  static const unsigned long kVirtual[] = {NoSymbol,  XK_BackSpace, XK_Tab,  XK_Return, XK_KP_Enter,
                                           XK_Escape, XK_space,     XK_End,  XK_Home,   XK_Left,
                                           XK_Up,     XK_Right,     XK_Down, XK_Delete};
  text->clear();
  if (key.mVirtual != IForwardedKey::kNone)
  {
    const int v = static_cast<int>(key.mVirtual);
    if (v < 0 || v >= static_cast<int>(sizeof kVirtual / sizeof kVirtual[0])) return false;
    *keysym = kVirtual[v];
    return true;
  }
  // Latin-1 characters share their code with their key symbol.
  const char32_t c = key.mChar;
  if (c < 0x20 || c > 0xFF) return false;
  *keysym = static_cast<unsigned long>(c);
  if (c < 0x80)
    *text += static_cast<char>(c);
  else
  {
    *text += static_cast<char>(0xC0 | c >> 6);
    *text += static_cast<char>(0x80 | (c & 0x3F));
  }
  return true;
}

int EngineKeyCode(unsigned long keysym)
{
  switch (keysym)
  {
  case XK_space:
    return 0;
  case XK_Up:
    return 1;
  case XK_Down:
    return 2;
  case XK_Left:
    return 3;
  case XK_Right:
    return 4;
  default:
    break;
  }
  if (keysym >= XK_0 && keysym <= XK_9) return 5 + static_cast<int>(keysym - XK_0);
  if (keysym >= XK_a && keysym <= XK_z) return 15 + static_cast<int>(keysym - XK_a);
  if (keysym >= XK_A && keysym <= XK_Z) return 15 + static_cast<int>(keysym - XK_A);
  return -1;
}

int WheelDelta(unsigned button)
{
  return button == kButtonWheelUp ? 1 : button == kButtonWheelDown ? -1 : 0;
}

int ClickCounter::Press(unsigned button, int x, int y, uint64_t timeMs)
{
  const bool repeat = mCount > 0 && button == mButton && timeMs >= mTime &&
                      timeMs - mTime <= kInterval && x - mX <= kSlop && mX - x <= kSlop &&
                      y - mY <= kSlop && mY - y <= kSlop;
  mCount = repeat ? mCount + 1 : 1;
  mButton = button;
  mX = x;
  mY = y;
  mTime = timeMs;
  return mCount;
}

} // namespace x11input
