#pragma once
// How X11 input becomes the engine's input: modifier flags, key codes and double clicks. Pure
// functions of the event fields, so they are tested without a server.

#include <cstdint>
#include <string>

#include "framework/gui/IGraphicsStructs.h"
#include "framework/gui/IPlatformView.h"

namespace x11input
{

// X core button numbers.
constexpr unsigned kButtonLeft = 1;
constexpr unsigned kButtonRight = 3;
constexpr unsigned kButtonWheelUp = 4;
constexpr unsigned kButtonWheelDown = 5;

// The modifiers of a button event or a motion. button is the button pressed or released (0 for
// motion and wheel): the right button gives L false and R true; anything else is a left-button
// gesture where Super (Mod4) adds R, as Command does on other desktops. Shift, Control and Alt
// (Mod1) fill S, C and A.
IMouseMod MouseMod(unsigned state, unsigned button);

// The engine's key code for a key symbol: space 0, arrows 1 to 4 (up, down, left, right), digits
// 5 to 14, letters 15 to 40 whatever their case; -1 for any other key.
int EngineKeyCode(unsigned long keysym);

// A key a host forwarded, as X11 names it: its key symbol, and the text it types (UTF-8, empty
// for keys that type nothing). False for keys that have no symbol here (characters beyond
// Latin-1), which are left to the host.
bool ForwardedKeySym(const IForwardedKey& key, unsigned long* keysym, std::string* text);

// Wheel buttons give one step each: +1 up, -1 down; 0 for any other button.
int WheelDelta(unsigned button);

// X11 reports no click count: a press counts as a repeat of the previous one when it comes
// within kInterval milliseconds and kSlop pixels (each way) of it, with the same button.
class ClickCounter
{
public:
  static constexpr uint64_t kInterval = 400;
  static constexpr int kSlop = 4;

  // The press's click count: 1 for a single press, 2 or more for a repeated one.
  int Press(unsigned button, int x, int y, uint64_t timeMs);
  void Reset() { mCount = 0; }

private:
  unsigned mButton = 0;
  int mX = 0, mY = 0;
  uint64_t mTime = 0;
  int mCount = 0;
};

} // namespace x11input
