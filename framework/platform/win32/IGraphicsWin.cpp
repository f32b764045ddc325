// The Win32 editor window: its class, making and unmaking it, the redraw timer, the DIB section
// it paints from, the host's scale and the cursor. Its input is in IGraphicsWinEvents.cpp.

#include "framework/platform/win32/IGraphicsWinParts.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "common/ModulePath.h"
#include "framework/platform/win32/WinSupport.h"

using namespace win32editor;

namespace
{

// One window class per module (its name carries the module's address, so two plug-ins built on
// this framework in one host never share one), registered while any editor window of the
// module is open and unregistered when the last one closes.
std::mutex gClassMutex;
int gClassUsers = 0;

std::wstring ClassName()
{
  wchar_t name[64];
  std::swprintf(name, 64, L"IGraphicsWin_%p", static_cast<void*>(ThisModule()));
  return name;
}

LRESULT CALLBACK EditorProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_NCCREATE)
  {
    const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* gui = reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  // Messages before the window is ours, or after CloseWindow let go of it.
  if (!gui || gui->GetWindow() != hwnd) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return gui->HandleMessage(msg, wParam, lParam);
}

bool UseClass()
{
  std::lock_guard<std::mutex> lock(gClassMutex);
  if (gClassUsers == 0)
  {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &EditorProc;
    wc.hInstance = ThisModule();
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = nullptr; // every pixel is ours: no erase, no flicker
    const std::wstring name = ClassName();
    wc.lpszClassName = name.c_str();
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  }
  ++gClassUsers;
  return true;
}

void ReleaseClass()
{
  std::lock_guard<std::mutex> lock(gClassMutex);
  if (gClassUsers > 0 && --gClassUsers == 0) UnregisterClassW(ClassName().c_str(), ThisModule());
}

// The desktop's DPI as a scale: the system's (Windows 10 1607 and later), else the screen's.
// A program that did not declare itself DPI-aware is told 96, and then draws at 1.
float SystemDpiScale()
{
  using GetDpiForSystemFn = UINT(WINAPI*)();
  static const auto getDpi = reinterpret_cast<GetDpiForSystemFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForSystem")));
  UINT dpi = getDpi ? getDpi() : 0;
  if (!dpi)
  {
    HDC screen = GetDC(nullptr);
    dpi = screen ? static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX)) : 96;
    if (screen) ReleaseDC(nullptr, screen);
  }
  return dpi ? static_cast<float>(dpi) / 96.0f : 1.0f;
}

} // namespace

namespace win32editor
{
HINSTANCE ThisModule()
{
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&EditorProc)), &module);
  return module;
}

std::string ThisModulePath()
{
  std::string path = ModulePathOf(reinterpret_cast<const void*>(&EditorProc));
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}
} // namespace win32editor

IGraphicsWin::IGraphicsWin(IAudioPlugin* plug, int w, int h, int fps, const char* resourceFolder)
    : IGraphics(plug, w, h, fps), mResourceFolder(resourceFolder ? resourceFolder : "")
{
  UseResourceFallbackFont(mResourceFolder.c_str());
}

IGraphicsWin::~IGraphicsWin()
{
  CloseWindow();
}

void IGraphicsWin::SetResourceFolder(const char* folder)
{
  mResourceFolder = folder ? folder : "";
  UseResourceFallbackFont(mResourceFolder.c_str());
}

bool IGraphicsWin::IsPlatformTypeSupported(const char* type)
{
  return type && std::strcmp(type, kPlatformHWND) == 0;
}

float IGraphicsWin::DesktopScale()
{
  return SystemDpiScale();
}

// ---- Opening and closing ----

void* IGraphicsWin::OpenWindow(void* parent)
{
  CloseWindow();
  SetGUIThread();
  if (!UseClass()) return nullptr;
  mClassRegistered = true;
  HWND parentWnd = H(parent);
  // The surface at the scale the window opens with.
  if (!SyncDeviceScale() && !GetDrawBitmap()) PrepDraw();
  const uint32_t* bits = nullptr;
  int span = 0, w = 0, h = 0;
  if (!SurfacePixels(&bits, &span, &w, &h))
  {
    ReleaseClass();
    mClassRegistered = false;
    return nullptr;
  }
  const DWORD style = parentWnd ? (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN)
                                : (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                                   WS_CLIPCHILDREN | WS_VISIBLE);
  RECT outer = {0, 0, w, h};
  if (!parentWnd) AdjustWindowRectEx(&outer, style, FALSE, 0);
  mButtonsDown = 0;
  mTrackingLeave = false;
  mWindowGone = false;
  mWheelRest = 0;
  mModalDuringPress = false;
  HWND hwnd =
      CreateWindowExW(0, ClassName().c_str(), L"Editor", style, parentWnd ? 0 : CW_USEDEFAULT,
                      parentWnd ? 0 : CW_USEDEFAULT, outer.right - outer.left,
                      outer.bottom - outer.top, parentWnd, nullptr, ThisModule(), this);
  if (!hwnd)
  {
    ReleaseClass();
    mClassRegistered = false;
    return nullptr;
  }
  mWindow = hwnd;
  mParent = parentWnd;
  if (!MakeBackBuffer(w, h) ||
      !SetTimer(hwnd, kRedrawTimer, static_cast<UINT>(std::max(1000 / FPS(), 1)), nullptr))
  {
    CloseWindow();
    return nullptr;
  }
  MakeTooltips();
  UpdateTooltips();
  RedrawAll();
  return mWindow;
}

void IGraphicsWin::CloseWindow()
{
  if (!mWindow) return;
  HWND hwnd = H(mWindow);
  EndTextEntry(false);
  // A wheel burst or a press still running must not leave the host with a gesture open.
  EndGestures();
  ShowMouseCursor();
  if (GetCapture() == hwnd) ReleaseCapture();
  // The timer goes before the window, so no tick finds a window half taken apart.
  KillTimer(hwnd, kRedrawTimer);
  FreeTooltips();
  mWindow = nullptr; // from here on the window procedure leaves every message to the system
  mParent = nullptr;
  // The host may have destroyed its window, and ours with it, before removing the view (and
  // the handle may name another window by now).
  if (!mWindowGone) DestroyWindow(hwnd);
  mWindowGone = false;
  FreeBackBuffer();
  if (mClassRegistered) ReleaseClass();
  mClassRegistered = false;
  mButtonsDown = 0;
}

void* IGraphicsWin::OwnerWindow() const
{
  if (!mWindow) return nullptr;
  return GetAncestor(H(mWindow), GA_ROOT);
}

// ---- The back buffer ----

bool IGraphicsWin::MakeBackBuffer(int w, int h)
{
  FreeBackBuffer();
  auto gdi = std::make_unique<Gdi>();
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
  bmi.bmiHeader.biWidth = std::max(w, 1);
  bmi.bmiHeader.biHeight = -std::max(h, 1); // top-down, like the engine's surface
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  gdi->mDC = CreateCompatibleDC(nullptr);
  if (!gdi->mDC) return false;
  void* bits = nullptr;
  gdi->mDIB = CreateDIBSection(gdi->mDC, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!gdi->mDIB || !bits)
  {
    DeleteDC(gdi->mDC);
    return false;
  }
  gdi->mOldBitmap = SelectObject(gdi->mDC, gdi->mDIB);
  gdi->mBits = static_cast<uint32_t*>(bits);
  gdi->mW = std::max(w, 1);
  gdi->mH = std::max(h, 1);
  mGdi = std::move(gdi);
  return true;
}

void IGraphicsWin::FreeBackBuffer()
{
  if (!mGdi) return;
  SelectObject(mGdi->mDC, mGdi->mOldBitmap);
  DeleteObject(mGdi->mDIB);
  DeleteDC(mGdi->mDC);
  mGdi.reset();
}

bool IGraphicsWin::DrawScreen(IRECT* r)
{
  if (!mWindow || !mGdi || !r) return false;
  const uint32_t* src = nullptr;
  int span = 0, sw = 0, sh = 0;
  if (!SurfacePixels(&src, &span, &sw, &sh)) return false;
  Gdi& g = *mGdi;
  IRECT d = DeviceRect(*r);
  // The back buffer follows the surface at the next tick; until then only what both hold.
  d.R = std::min(d.R, g.mW);
  d.B = std::min(d.B, g.mH);
  if (d.L >= d.R || d.T >= d.B) return true;
  GdiFlush(); // GDI may still be reading the DIB
  // The surface packs A, R, G, B from the lowest byte up; the DIB wants B, G, R, X.
  for (int y = d.T; y < d.B; ++y)
  {
    const uint32_t* s = src + static_cast<size_t>(y) * span;
    uint32_t* o = g.mBits + static_cast<size_t>(y) * g.mW;
    for (int x = d.L; x < d.R; ++x)
      o[x] = __builtin_bswap32(s[x]);
  }
  RECT dirty = {d.L, d.T, d.R, d.B};
  InvalidateRect(H(mWindow), &dirty, FALSE);
  return true;
}

void IGraphicsWin::RedrawAll()
{
  SetAllControlsDirty();
  IRECT all(0, 0, Width(), Height());
  Draw(&all);
}

void IGraphicsWin::Tick()
{
  // The host changed its scale: the surface was remade, the window and its buffer follow.
  if (SyncDeviceScale())
  {
    EndTextEntry(false);
    int w = 0, h = 0;
    GetDeviceSize(&w, &h);
    if (!MakeBackBuffer(w, h)) return;
    SetWindowPos(H(mWindow), nullptr, 0, 0, w, h,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    UpdateTooltips();
  }
  IRECT r;
  if (IsDirty(&r)) Draw(&r);
}

void IGraphicsWin::Resize(int w, int h)
{
  if (w == Width() && h == Height()) return;
  IGraphics::Resize(w, h);
  if (!mWindow) return;
  EndTextEntry(false);
  int dw = 0, dh = 0;
  GetDeviceSize(&dw, &dh);
  MakeBackBuffer(dw, dh);
  SetWindowPos(H(mWindow), nullptr, 0, 0, dw, dh,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

// ---- Messages ----

intptr_t IGraphicsWin::HandleMessage(unsigned msg, uintptr_t wParam, intptr_t lParam)
{
  HWND hwnd = H(mWindow);
  switch (msg)
  {
  case WM_TIMER:
    if (wParam == kRedrawTimer)
    {
      Tick();
      return 0;
    }
    break;
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT:
  {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (dc && mGdi)
    {
      const RECT& r = ps.rcPaint;
      BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, mGdi->mDC, r.left, r.top,
             SRCCOPY);
    }
    EndPaint(hwnd, &ps);
    return 0;
  }
  case WM_LBUTTONDOWN:
  case WM_LBUTTONUP:
  case WM_LBUTTONDBLCLK:
  case WM_RBUTTONDOWN:
  case WM_RBUTTONUP:
  case WM_RBUTTONDBLCLK:
    MouseButton(msg, wParam, lParam);
    return 0;
  case WM_MOUSEMOVE:
    MouseMove(wParam, lParam);
    return 0;
  case WM_MOUSELEAVE:
    mTrackingLeave = false;
    if (!mButtonsDown) OnMouseOut();
    return 0;
  case WM_MOUSEWHEEL:
    MouseWheel(wParam, lParam);
    return 0;
  case WM_CAPTURECHANGED:
    // Someone else took the mouse (a host's dialog): the press ends where it was. Inside a press
    // handler a menu or dialog took it; the press ends once the handler is done.
    if (reinterpret_cast<HWND>(lParam) != hwnd && mButtonsDown)
    {
      if (mInPress)
        mModalDuringPress = true;
      else
      {
        if (mButtonsDown & 1) PressEnded(true);
        if (mButtonsDown & 2) PressEnded(false);
      }
    }
    return 0;
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
    if (msg == WM_KEYDOWN && KeyDown(wParam)) return 0;
    // Not ours: the host's, as if we had never had the focus.
    if (mParent) return SendMessageW(H(mParent), msg, wParam, lParam);
    break;
  case WM_KEYUP:
  case WM_SYSKEYUP:
  case WM_CHAR:
  case WM_SYSCHAR:
    if (mParent) return SendMessageW(H(mParent), msg, wParam, lParam);
    break;
  case WM_GETDLGCODE:
    return DLGC_WANTARROWS | DLGC_WANTCHARS;
  case WM_CTLCOLOREDIT:
    if (mTextEntry && reinterpret_cast<HWND>(lParam) == mTextEntry->mField)
    {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, mTextEntry->mTextColor);
      SetBkColor(dc, mTextEntry->mBackColor);
      return reinterpret_cast<intptr_t>(mTextEntry->mBackground);
    }
    break;
  case kEndTextEntry:
    if (mTextEntry && mTextEntry->mSerial == static_cast<unsigned>(lParam))
      EndTextEntry(wParam != 0);
    return 0;
  case WM_NOTIFY:
  {
    const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
    if (hdr && hdr->hwndFrom == H(mTooltipWindow) && hdr->code == TTN_GETDISPINFOW)
    {
      auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
      info->lpszText = const_cast<wchar_t*>(TooltipText(static_cast<int>(hdr->idFrom)));
      return 0;
    }
    break;
  }
  case WM_DESTROY:
    // The host destroyed its window and ours with it while the view is still attached.
    KillTimer(hwnd, kRedrawTimer);
    mWindowGone = true;
    break;
  default:
    break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// ---- Cursor ----

void IGraphicsWin::HideMouseCursor()
{
  if (IsCursorHidden() || !mWindow) return;
  POINT p;
  if (!GetCursorPos(&p)) return;
  ShowCursor(FALSE);
  SetCursorHidden(true, p.x, p.y);
}

void IGraphicsWin::ShowMouseCursor()
{
  if (!IsCursorHidden()) return;
  SetCursorPos(GetHiddenCursorX(), GetHiddenCursorY());
  ShowCursor(TRUE);
  SetCursorHidden(false);
}
