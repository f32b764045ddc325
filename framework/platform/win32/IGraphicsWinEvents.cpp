// Mouse and key messages of the editor window, and keys a host forwards, turned into engine
// calls.

#include "framework/platform/win32/IGraphicsWinParts.h"

#include <windowsx.h>

#include "framework/platform/win32/WinSupport.h"

using namespace win32editor;

namespace
{
bool AltDown()
{
  return GetKeyState(VK_MENU) < 0;
}

constexpr unsigned kLeft = 1, kRight = 2;
} // namespace

void IGraphicsWin::MouseButton(unsigned msg, uintptr_t wParam, intptr_t lParam)
{
  HWND hwnd = H(mWindow);
  const int x = LogicalCoord(GET_X_LPARAM(lParam)), y = LogicalCoord(GET_Y_LPARAM(lParam));
  mLastX = x;
  mLastY = y;
  const bool right = msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP || msg == WM_RBUTTONDBLCLK;
  IMouseMod mod =
      win32::MouseMod(right, (wParam & MK_SHIFT) != 0, (wParam & MK_CONTROL) != 0, AltDown());
  const unsigned bit = right ? kRight : kLeft;
  if (msg == WM_LBUTTONUP || msg == WM_RBUTTONUP)
  {
    if (!(mButtonsDown & bit)) return;
    mButtonsDown &= ~bit;
    if (!mButtonsDown && GetCapture() == hwnd) ReleaseCapture();
    OnMouseUp(x, y, &mod);
    return;
  }

  // A press anywhere in the editor ends a text entry as the field losing the focus does.
  if (mTextEntry) EndTextEntry(true);
  // Keys go to the editor once it is clicked; the ones it does not take go back to the host.
  if (GetFocus() != hwnd) SetFocus(hwnd);
  if (!mButtonsDown) SetCapture(hwnd);
  mButtonsDown |= bit;
  mInPress = true;
  mModalDuringPress = false;
  if (msg == WM_LBUTTONDBLCLK)
    OnMouseDblClick(x, y, &mod);
  else
    OnMouseDown(x, y, &mod);
  mInPress = false;
  if (mModalDuringPress) EndPressesAfterModal();
}

void IGraphicsWin::EndPressesAfterModal()
{
  mModalDuringPress = false;
  if (!mWindow) return;
  // The menu or dialog had the mouse: the release went to it. A button still held keeps its
  // press (its release comes to us once we hold the mouse again).
  if ((mButtonsDown & kLeft) && GetAsyncKeyState(VK_LBUTTON) >= 0) PressEnded(true);
  if ((mButtonsDown & kRight) && GetAsyncKeyState(VK_RBUTTON) >= 0) PressEnded(false);
  if (mButtonsDown && GetCapture() != H(mWindow)) SetCapture(H(mWindow));
}

void IGraphicsWin::PressEnded(bool left)
{
  const unsigned bit = left ? kLeft : kRight;
  if (!(mButtonsDown & bit)) return;
  mButtonsDown &= ~bit;
  IMouseMod mod =
      win32::MouseMod(!left, GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0, AltDown());
  OnMouseUp(mLastX, mLastY, &mod);
}

void IGraphicsWin::MouseMove(uintptr_t wParam, intptr_t lParam)
{
  HWND hwnd = H(mWindow);
  const int x = LogicalCoord(GET_X_LPARAM(lParam)), y = LogicalCoord(GET_Y_LPARAM(lParam));
  // Windows repeats a move at the same place (after a tooltip, a capture change): not a move.
  if (x == mLastX && y == mLastY && (mTrackingLeave || mButtonsDown)) return;
  mLastX = x;
  mLastY = y;
  if (!mTrackingLeave)
  {
    TRACKMOUSEEVENT t{};
    t.cbSize = sizeof t;
    t.dwFlags = TME_LEAVE;
    t.hwndTrack = hwnd;
    mTrackingLeave = TrackMouseEvent(&t) != FALSE;
  }
  const bool shift = (wParam & MK_SHIFT) != 0, control = (wParam & MK_CONTROL) != 0;
  if (mButtonsDown)
  {
    if (mTextEntry) return;
    IMouseMod mod = win32::MouseMod(!(mButtonsDown & kLeft), shift, control, AltDown());
    OnMouseDrag(x, y, &mod);
  }
  else
  {
    IMouseMod mod = win32::MouseMod(false, shift, control, AltDown());
    OnMouseOver(x, y, &mod);
  }
}

void IGraphicsWin::MouseWheel(uintptr_t wParam, intptr_t lParam)
{
  // The wheel ends a text entry as a click elsewhere does: committed.
  if (mTextEntry) EndTextEntry(true);
  POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; // screen coordinates
  ScreenToClient(H(mWindow), &p);
  const int x = LogicalCoord(p.x), y = LogicalCoord(p.y);
  const int d = win32::WheelNotches(GET_WHEEL_DELTA_WPARAM(wParam), &mWheelRest);
  if (d == 0) return;
  const WORD keys = GET_KEYSTATE_WPARAM(wParam);
  IMouseMod mod =
      win32::MouseMod(false, (keys & MK_SHIFT) != 0, (keys & MK_CONTROL) != 0, AltDown());
  OnMouseWheel(x, y, &mod, d);
}

bool IGraphicsWin::KeyDown(uintptr_t vk)
{
  const int code = win32::EngineKeyCode(static_cast<unsigned>(vk));
  return code >= 0 && OnKeyDown(mLastX, mLastY, code);
}

// ---- Keys a host forwards ----

bool IGraphicsWin::OnForwardedKey(const IForwardedKey& key)
{
  if (!mWindow) return false;
  if (mTextEntry) return FieldKey(key);
  const int code = EngineKeyCode(key);
  return code >= 0 && OnKeyDown(mLastX, mLastY, code);
}
