// The Win32 editor window in a parent window, under Wine on a private X server: it opens as a
// child of the parent's size, paints the engine's surface, turns mouse, wheel and key messages
// into engine calls, edits text in a native field with the engine's filter, and leaves nothing
// behind when closed (timer, windows, class, GDI objects).

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "framework/core/IParam.h"
#include "framework/gui/IControl.h"
#include "framework/gui/IPopupMenu.h"
#include "framework/platform/win32/IGraphicsWin.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <commctrl.h>

namespace
{

// A control that paints itself in one colour and records what reaches it.
class Recorder : public IControl
{
public:
  explicit Recorder(IRECT r) : IControl(nullptr, r) {}
  bool Draw(IGraphics* g) override { return g->FillIRect(&mColor, &mRECT); }
  void OnMouseDown(int x, int y, IMouseMod* m) override { Log("down", x, y, m); }
  void OnMouseUp(int x, int y, IMouseMod* m) override { Log("up", x, y, m); }
  void OnMouseDblClick(int x, int y, IMouseMod* m) override { Log("dbl", x, y, m); }
  void OnMouseDrag(int x, int y, int, int, IMouseMod* m) override { Log("drag", x, y, m); }
  void OnMouseWheel(int x, int y, IMouseMod* m, int d) override
  {
    Log("wheel", x, y, m);
    mWheel += d;
  }
  bool OnKeyDown(int, int, int key) override
  {
    mKeys.push_back(key);
    return key == 0;
  }
  void TextFromTextEntry(const char* text) override { mCommitted.push_back(text); }

  void Log(const char* what, int x, int y, IMouseMod* m)
  {
    std::string e = std::string(what) + " " + std::to_string(x) + "," + std::to_string(y);
    if (m)
      e += std::string(" ") + (m->L ? "L" : "") + (m->R ? "R" : "") + (m->S ? "S" : "") +
           (m->C ? "C" : "");
    mEvents.push_back(e);
  }

  IColor mColor{255, 40, 200, 90};
  std::vector<std::string> mEvents;
  std::vector<int> mKeys;
  std::vector<std::string> mCommitted;
  int mWheel = 0;
};

void Pump(int ms)
{
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  MSG msg;
  while (std::chrono::steady_clock::now() < end)
  {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  }
}

LPARAM At(int x, int y)
{
  return MAKELPARAM(x, y);
}

std::wstring ClassOf(HWND w)
{
  wchar_t name[128] = {};
  GetClassNameW(w, name, 127);
  return name;
}

// GDI objects alive in this process. Wine answers GetGuiResources with 0, so there they are
// counted from its handle table, which fills freed slots before new ones: the highest slot of
// kProbes new objects is the number alive plus kProbes.
DWORD LiveGdiObjects()
{
  if (const DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return n;
  constexpr int kProbes = 4096;
  std::vector<HBRUSH> probes;
  DWORD highest = 0;
  for (int i = 0; i < kProbes; ++i)
  {
    HBRUSH b = CreateSolidBrush(RGB(i & 0xFF, 0, 0));
    if (!b) break;
    probes.push_back(b);
    highest = std::max<DWORD>(highest, static_cast<DWORD>(reinterpret_cast<uintptr_t>(b) & 0xFFFF));
  }
  for (HBRUSH b : probes)
    DeleteObject(b);
  return highest - static_cast<DWORD>(probes.size());
}

// Windows of this thread, top-level and child.
int LiveWindows()
{
  int n = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM count) -> BOOL
      {
        ++*reinterpret_cast<int*>(count);
        EnumChildWindows(
            w,
            [](HWND, LPARAM c) -> BOOL
            {
              ++*reinterpret_cast<int*>(c);
              return TRUE;
            },
            count);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&n));
  return n;
}

class WinEditor : public ::testing::Test
{
protected:
  void SetUp() override
  {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TestHostWindow";
    RegisterClassW(&wc);
    mHost = CreateWindowExW(0, L"TestHostWindow", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                            400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(mHost, nullptr) << "no window: is there an X display?";
    mGui = std::make_unique<IGraphicsWin>(nullptr, 200, 100, 0);
    const IColor back(255, 10, 20, 30);
    mGui->AttachPanelBackground(&back);
    mControl = new Recorder(IRECT(20, 10, 120, 60));
    mGui->AttachControl(mControl);
    mGui->PrepDraw();
  }
  void TearDown() override
  {
    if (mGui) mGui->CloseWindow();
    mGui.reset();
    if (mHost) DestroyWindow(mHost);
    UnregisterClassW(L"TestHostWindow", GetModuleHandleW(nullptr));
  }

  HWND Open()
  {
    EXPECT_TRUE(mGui->AttachToParent("HWND", mHost));
    return static_cast<HWND>(mGui->GetWindow());
  }

  // What the screen shows at (x, y) of the editor window.
  COLORREF Shown(HWND w, int x, int y)
  {
    HDC dc = GetDC(w);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(w, dc);
    return c;
  }

  HWND mHost = nullptr;
  std::unique_ptr<IGraphicsWin> mGui;
  Recorder* mControl = nullptr;
};

TEST_F(WinEditor, OpensAsAChildOfTheParentAndPaintsTheSurface)
{
  EXPECT_FALSE(mGui->IsPlatformTypeSupported("X11EmbedWindowID"));
  EXPECT_FALSE(mGui->AttachToParent("NSView", mHost));
  HWND w = Open();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(GetParent(w), mHost);
  EXPECT_TRUE(GetWindowLongW(w, GWL_STYLE) & WS_CHILD);
  EXPECT_EQ(ClassOf(w).rfind(L"IGraphicsWin_", 0), 0u) << "the module's own class";
  RECT r;
  GetClientRect(w, &r);
  EXPECT_EQ(r.right, 200);
  EXPECT_EQ(r.bottom, 100);

  Pump(150);
  EXPECT_EQ(Shown(w, 5, 5), RGB(10, 20, 30)) << "the background";
  EXPECT_EQ(Shown(w, 50, 30), RGB(40, 200, 90)) << "the control";

  // A dirty control reaches the screen at the next tick, and only its area is repainted.
  mControl->mColor = IColor(255, 250, 10, 10);
  mControl->SetDirty(false);
  MSG msg;
  const auto start = std::chrono::steady_clock::now();
  bool ticked = false;
  while (!ticked && std::chrono::steady_clock::now() - start < std::chrono::seconds(2))
  {
    if (PeekMessageW(&msg, w, WM_TIMER, WM_TIMER, PM_REMOVE))
    {
      DispatchMessageW(&msg);
      ticked = true;
    }
    else
      Sleep(2);
  }
  ASSERT_TRUE(ticked);
  RECT dirty;
  ASSERT_TRUE(GetUpdateRect(w, &dirty, FALSE));
  EXPECT_EQ(dirty.left, 20);
  EXPECT_EQ(dirty.top, 10);
  EXPECT_EQ(dirty.right, 120);
  EXPECT_EQ(dirty.bottom, 60);
  Pump(100);
  EXPECT_EQ(Shown(w, 50, 30), RGB(250, 10, 10));
  EXPECT_EQ(Shown(w, 150, 80), RGB(10, 20, 30));
}

TEST_F(WinEditor, MouseWheelAndKeysReachTheEngine)
{
  HWND w = Open();
  ASSERT_NE(w, nullptr);
  Pump(50);
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, At(30, 20));
  EXPECT_EQ(GetCapture(), w) << "a drag keeps the mouse";
  SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, At(35, 22));
  SendMessageW(w, WM_LBUTTONUP, 0, At(35, 22));
  EXPECT_NE(GetCapture(), w);
  SendMessageW(w, WM_LBUTTONDBLCLK, MK_LBUTTON, At(31, 21));
  SendMessageW(w, WM_LBUTTONUP, 0, At(31, 21));
  SendMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, At(40, 30));
  SendMessageW(w, WM_RBUTTONUP, MK_CONTROL, At(40, 30));
  const std::vector<std::string> expected = {"down 30,20 LS", "drag 35,22 L", "up 35,22 L",
                                             "dbl 31,21 L",   "up 31,21 L",   "down 40,30 RC",
                                             "up 40,30 RC"};
  EXPECT_EQ(mControl->mEvents, expected);

  // The wheel's position is on the screen; two notches are d = 2.
  POINT p = {50, 30};
  ClientToScreen(w, &p);
  SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, 240), MAKELPARAM(p.x, p.y));
  EXPECT_EQ(mControl->mWheel, 2);

  // Keys go to the control under the pointer; the ones it does not take are the host's.
  SendMessageW(w, WM_MOUSEMOVE, 0, At(50, 30));
  SendMessageW(w, WM_KEYDOWN, 'Q', 0);
  SendMessageW(w, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(mControl->mKeys, (std::vector<int>{31, 0}));
  IForwardedKey seven;
  seven.mChar = U'7';
  EXPECT_FALSE(mGui->OnForwardedKey(seven)) << "not taken: left to the host";
  EXPECT_EQ(mControl->mKeys.back(), 12);
}

TEST_F(WinEditor, FollowsTheHostScale)
{
  mGui->SetContentScale(1.5f);
  HWND w = Open();
  ASSERT_NE(w, nullptr);
  RECT r;
  GetClientRect(w, &r);
  EXPECT_EQ(r.right, 300);
  EXPECT_EQ(r.bottom, 150);
  Pump(100);
  EXPECT_EQ(Shown(w, 75, 45), RGB(40, 200, 90)) << "logical (50, 30)";
  EXPECT_EQ(Shown(w, 25, 12), RGB(10, 20, 30)) << "logical (16, 8)";
  // Mouse positions reach the engine in logical units.
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, At(45, 31));
  SendMessageW(w, WM_LBUTTONUP, 0, At(45, 31));
  EXPECT_EQ(mControl->mEvents.front(), "down 30,20 L");

  // A new scale while open: the window follows at the next tick.
  mGui->SetContentScale(2.0f);
  Pump(100);
  GetClientRect(w, &r);
  EXPECT_EQ(r.right, 400);
  EXPECT_EQ(r.bottom, 200);
  EXPECT_EQ(Shown(w, 239, 119), RGB(40, 200, 90));
  EXPECT_EQ(Shown(w, 241, 121), RGB(10, 20, 30));
}

// Keys typed once a menu is up (a thread timer fires inside the menu's own loop).
std::vector<WORD> gMenuKeys;
void CALLBACK TypeMenuKeys(HWND, UINT, UINT_PTR id, DWORD)
{
  KillTimer(nullptr, id);
  for (const WORD k : gMenuKeys)
  {
    keybd_event(static_cast<BYTE>(k), 0, 0, 0);
    keybd_event(static_cast<BYTE>(k), 0, KEYEVENTF_KEYUP, 0);
  }
}

TEST_F(WinEditor, PopupMenusReturnTheModelMenuOfTheChoice)
{
  HWND w = Open();
  ASSERT_NE(w, nullptr);
  SetForegroundWindow(mHost);
  Pump(50);
  IPopupMenu sub;
  sub.AddItem("a");
  sub.AddItem("b");
  sub.AddItem("c");
  IPopupMenu top;
  top.AddItem("x");
  top.AddItem("Sub", -1, &sub);
  IRECT r(20, 10, 120, 30);

  // The third entry of the submenu.
  gMenuKeys = {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN};
  SetTimer(nullptr, 0, 300, &TypeMenuKeys);
  EXPECT_EQ(mGui->CreateIPopupMenu(&top, &r), &sub);
  EXPECT_EQ(sub.GetChosenItemIdx(), 2);

  // Dismissed.
  gMenuKeys = {VK_ESCAPE};
  SetTimer(nullptr, 0, 300, &TypeMenuKeys);
  EXPECT_EQ(mGui->CreateIPopupMenu(&top, &r), nullptr);
}

TEST_F(WinEditor, TextEntryFiltersCommitsAndCancels)
{
  HWND w = Open();
  ASSERT_NE(w, nullptr);
  IRECT area(20, 10, 120, 30);
  IText style(14);
  mGui->CreateTextEntry(mControl, &style, &area, "abc", nullptr);
  HWND field = FindWindowExW(w, nullptr, L"EDIT", nullptr);
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(GetFocus(), field);
  DWORD from = 1, to = 0;
  SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  EXPECT_EQ(from, 0u);
  EXPECT_EQ(to, 3u) << "the text starts selected";
  SendMessageW(field, WM_CHAR, 'x', 0);
  SendMessageW(field, WM_CHAR, 'y', 0);
  SendMessageW(field, WM_KEYDOWN, VK_RETURN, 0);
  Pump(50);
  EXPECT_EQ(FindWindowExW(w, nullptr, L"EDIT", nullptr), nullptr);
  EXPECT_EQ(mControl->mCommitted, (std::vector<std::string>{"xy"}));

  // A parameter's field takes digits only, up to the control's length; Escape commits nothing.
  IParam gain;
  gain.InitDouble("Gain", 0.0, -12.0, 12.0, 0.1);
  mControl->SetTextEntryLength(3);
  mGui->CreateTextEntry(mControl, &style, &area, "", &gain);
  field = FindWindowExW(w, nullptr, L"EDIT", nullptr);
  ASSERT_NE(field, nullptr);
  for (const wchar_t c : std::wstring(L"1a.5x67"))
    SendMessageW(field, WM_CHAR, c, 0);
  wchar_t typed[16] = {};
  GetWindowTextW(field, typed, 16);
  EXPECT_EQ(std::wstring(typed), L"1.5");
  SendMessageW(field, WM_KEYDOWN, VK_ESCAPE, 0);
  Pump(50);
  EXPECT_EQ(FindWindowExW(w, nullptr, L"EDIT", nullptr), nullptr);
  EXPECT_EQ(mControl->mCommitted.size(), 1u);

  // A click elsewhere in the editor ends the entry as committed, then is a click.
  mGui->CreateTextEntry(mControl, &style, &area, "k", nullptr);
  ASSERT_NE(FindWindowExW(w, nullptr, L"EDIT", nullptr), nullptr);
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, At(100, 50));
  SendMessageW(w, WM_LBUTTONUP, 0, At(100, 50));
  EXPECT_EQ(FindWindowExW(w, nullptr, L"EDIT", nullptr), nullptr);
  EXPECT_EQ(mControl->mCommitted.back(), "k");

  // So does the wheel, over the field or over the editor (which then turns the control there).
  mGui->CreateTextEntry(mControl, &style, &area, "w1", nullptr);
  field = FindWindowExW(w, nullptr, L"EDIT", nullptr);
  ASSERT_NE(field, nullptr);
  POINT overField = {30, 20};
  ClientToScreen(w, &overField);
  SendMessageW(field, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(overField.x, overField.y));
  Pump(50);
  EXPECT_EQ(FindWindowExW(w, nullptr, L"EDIT", nullptr), nullptr);
  EXPECT_EQ(mControl->mCommitted.back(), "w1");
  mGui->CreateTextEntry(mControl, &style, &area, "w2", nullptr);
  field = FindWindowExW(w, nullptr, L"EDIT", nullptr);
  ASSERT_NE(field, nullptr);
  const int wheelBefore = mControl->mWheel;
  POINT overEditor = {100, 50};
  ClientToScreen(w, &overEditor);
  SendMessageW(field, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(overEditor.x, overEditor.y));
  Pump(50);
  EXPECT_EQ(FindWindowExW(w, nullptr, L"EDIT", nullptr), nullptr);
  EXPECT_EQ(mControl->mCommitted.back(), "w2");
  EXPECT_EQ(mControl->mWheel, wheelBefore + 1);

  // Keys a host forwards go to the field; a paste is one line, filtered like typing.
  mGui->CreateTextEntry(mControl, &style, &area, "", &gain);
  field = FindWindowExW(w, nullptr, L"EDIT", nullptr);
  ASSERT_NE(field, nullptr);
  const auto clip = [&](const wchar_t* text)
  {
    ASSERT_TRUE(OpenClipboard(w));
    EmptyClipboard();
    const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(g), text, bytes);
    GlobalUnlock(g);
    SetClipboardData(CF_UNICODETEXT, g);
    CloseClipboard();
  };
  clip(L"12abc");
  SendMessageW(field, WM_PASTE, 0, 0);
  clip(L"-4\r\nmore");
  SendMessageW(field, WM_PASTE, 0, 0);
  IForwardedKey key;
  key.mChar = U'x';
  EXPECT_TRUE(mGui->OnForwardedKey(key)) << "the field's, though refused";
  key.mChar = U'1';
  mGui->OnForwardedKey(key);
  GetWindowTextW(field, typed, 16);
  EXPECT_EQ(std::wstring(typed), L"-41");
  IForwardedKey enter;
  enter.mVirtual = IForwardedKey::kReturn;
  EXPECT_TRUE(mGui->OnForwardedKey(enter));
  EXPECT_EQ(FindWindowExW(w, nullptr, L"EDIT", nullptr), nullptr);

  // Closing the window with a field open cancels it.
  const size_t committed = mControl->mCommitted.size();
  mGui->CreateTextEntry(mControl, &style, &area, "gone", nullptr);
  mGui->CloseWindow();
  EXPECT_EQ(mControl->mCommitted.size(), committed);
}

TEST_F(WinEditor, ClosingLeavesNothingBehind)
{
  HWND first = Open();
  ASSERT_NE(first, nullptr);
  const std::wstring cls = ClassOf(first);
  Pump(50);
  mGui->CloseWindow();
  EXPECT_FALSE(IsWindow(first));
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  HINSTANCE self = GetModuleHandleW(nullptr);
  EXPECT_FALSE(GetClassInfoExW(self, cls.c_str(), &info)) << "the class goes with the last window";
  Pump(50);

  DWORD gdi = 0;
  int windows = 0;
  // The first round warms what the system makes once (the field's class, its font data).
  for (int i = 0; i <= 20; ++i)
  {
    if (i == 1)
    {
      gdi = LiveGdiObjects();
      windows = LiveWindows();
    }
    HWND w = Open();
    ASSERT_NE(w, nullptr);
    IRECT area(20, 10, 120, 30);
    IText style(14);
    mGui->CreateTextEntry(mControl, &style, &area, "1", nullptr);
    Pump(60);
    mGui->CloseWindow();
    Pump(10);
    // No timer left: a tick after closing would find a window that is gone.
    EXPECT_FALSE(KillTimer(w, 1));
  }
  const DWORD gdiAfter = LiveGdiObjects();
  const int windowsAfter = LiveWindows();
  std::printf("after 20 cycles: GDI objects %lu -> %lu, windows %d -> %d\n", gdi, gdiAfter, windows,
              windowsAfter);
  EXPECT_LE(gdiAfter, gdi);
  EXPECT_LE(windowsAfter, windows);
  EXPECT_FALSE(GetClassInfoExW(self, cls.c_str(), &info));
}

TEST_F(WinEditor, TooltipsCoverTheShownControlsAndAnswerForTheOneUnderThePointer)
{
  mGui->EnableTooltips(true);
  mGui->HandleMouseOver(true);
  mControl->SetTooltip("Band gain");
  HWND w = Open();
  ASSERT_NE(w, nullptr);
  HWND tips = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM out) -> BOOL
      {
        wchar_t name[64] = {};
        GetClassNameW(h, name, 63);
        if (lstrcmpiW(name, TOOLTIPS_CLASSW) != 0) return TRUE;
        *reinterpret_cast<HWND*>(out) = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&tips));
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(GetWindow(tips, GW_OWNER), mHost) << "popups belong to the top-level window";
  EXPECT_EQ(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 2) << "the background and the control";

  SendMessageW(w, WM_MOUSEMOVE, 0, At(50, 30));
  NMTTDISPINFOW info{};
  info.hdr.hwndFrom = tips;
  info.hdr.idFrom = 1;
  info.hdr.code = TTN_GETDISPINFOW;
  SendMessageW(w, WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&info));
  ASSERT_NE(info.lpszText, nullptr);
  EXPECT_EQ(std::wstring(info.lpszText), L"Band gain");

  mGui->CloseWindow();
  EXPECT_FALSE(IsWindow(tips));
}

TEST_F(WinEditor, SurvivesAHostThatDestroysItsWindowFirst)
{
  HWND w = Open();
  ASSERT_NE(w, nullptr);
  const std::wstring cls = ClassOf(w);
  IRECT area(20, 10, 120, 30);
  IText style(14);
  mGui->CreateTextEntry(mControl, &style, &area, "x", nullptr);
  Pump(50);
  DestroyWindow(mHost);
  mHost = nullptr;
  EXPECT_FALSE(IsWindow(w));
  Pump(100); // no tick into a window that is gone
  mGui->CloseWindow();
  EXPECT_EQ(mGui->GetWindow(), nullptr);
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), cls.c_str(), &info));
  EXPECT_TRUE(mControl->mCommitted.empty());
}

TEST_F(WinEditor, RedrawTickRunsAtTheEngineRate)
{
  HWND w = Open();
  ASSERT_NE(w, nullptr);
  // Every tick asks the engine for dirty controls; a control made dirty at every tick is drawn
  // about 25 times a second.
  int draws = 0;
  const auto start = std::chrono::steady_clock::now();
  MSG msg;
  while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(1000))
  {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
      if (msg.message == WM_TIMER && msg.hwnd == w)
      {
        ++draws;
        mControl->SetDirty(false);
      }
      DispatchMessageW(&msg);
    }
    Sleep(2);
  }
  std::printf("redraw ticks in one second: %d\n", draws);
  EXPECT_GE(draws, 15);
  EXPECT_LE(draws, 30);
}

} // namespace
