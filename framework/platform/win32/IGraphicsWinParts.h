#pragma once
// What the files of IGraphicsWin that speak to Win32 share: <windows.h>, the window's GDI
// resources, the text field's, and the private messages. Never include this together with the
// raster library's or the text service's headers (their names collide with <windows.h>'s).

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "framework/gui/IGraphicsStructs.h"
#include "framework/platform/win32/IGraphicsWin.h"

class IControl;
class IParam;

// The DIB section the window paints from: 32-bit, top-down, in device pixels.
struct IGraphicsWin::Gdi
{
  HDC mDC = nullptr;
  HBITMAP mDIB = nullptr;
  HGDIOBJ mOldBitmap = nullptr;
  uint32_t* mBits = nullptr;
  int mW = 0, mH = 0;
};

struct IGraphicsWin::TextEntry
{
  IControl* mControl = nullptr;
  IParam* mParam = nullptr;
  HWND mField = nullptr;
  HFONT mFont = nullptr;
  HBRUSH mBackground = nullptr;
  COLORREF mTextColor = 0, mBackColor = 0;
  // What the field accepts (null: anything) and its length in characters (0: no limit).
  const char* mAccepted = nullptr;
  int mMaxLen = 0;
  // Tells this field's posted end message from a later field's.
  unsigned mSerial = 0;
};

namespace win32editor
{
constexpr UINT_PTR kRedrawTimer = 1;
// Posted by the text field when it wants to end (wParam 1 commits): the field cannot be destroyed
// from inside its own window procedure.
constexpr UINT kEndTextEntry = WM_APP + 17;

inline HWND H(void* w)
{
  return static_cast<HWND>(w);
}

// The module (DLL or program) this code is linked into.
HINSTANCE ThisModule();
// The module's path, in framework form.
std::string ThisModulePath();
} // namespace win32editor
