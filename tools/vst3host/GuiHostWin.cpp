// vst3host gui on Windows: a top-level window is the parent of the plug-in's view ("HWND"); the
// plug frame answers resize requests. Windows has no host run loop to offer: the editor runs
// from its own timers through this thread's message loop, which is ours. Audio, printing and the
// script are shared with the X11 host (GuiScript.h).
//
// Commands only this host has (besides those of GuiHost.h):
//   resources        print GDI objects, USER objects and kernel handles of the process ("(counted)"
//                    when the system does not say and they were counted instead)
//   windows          print how many windows this thread owns (children included)
//   timers MS        run the message loop MS ms and print how many timer messages reached the
//                    plug-in's windows and its thread timers meanwhile
// "reopen N" prints the resources after every cycle. Lines starting "gui: client at X,Y" give the
// screen position of the editor's top-left corner, for whoever sends it mouse events.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <objbase.h>
#include <wincodec.h>
#include <winternl.h>

#include "tools/vst3host/GuiHost.h"
#include "tools/vst3host/GuiScript.h"
#include "tools/vst3host/hosting/PluginInstance.h"

#include "pluginterfaces/gui/iplugview.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace tarvo::vst3host
{

using namespace Steinberg;

namespace
{

constexpr UINT kLineMessage = WM_APP + 1; // lParam: a std::string* from the reader thread
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr const wchar_t* kClassName = L"Tarvo vst3host editor frame";

std::wstring Wide(const std::string& text)
{
  if (text.empty()) return std::wstring();
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

double ProcessCpuSeconds()
{
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0.0;
  auto seconds = [](const FILETIME& t)
  {
    return 1e-7 *
           static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
  };
  return seconds(kernel) + seconds(user);
}

// ---- Standard input, read on a thread of its own ----

// Each line goes to the window as a message, so commands run on the UI thread. The thread is left
// blocked in ReadFile when the session ends; a line it reads after that finds no window and is
// dropped.
void StartReader(HWND window)
{
  std::thread(
      [window]
      {
        HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
        std::string pending;
        char buf[4096];
        DWORD n = 0;
        while (ReadFile(in, buf, sizeof buf, &n, nullptr) && n > 0)
        {
          pending.append(buf, n);
          size_t nl;
          while ((nl = pending.find('\n')) != std::string::npos)
          {
            auto* line = new std::string(pending.substr(0, nl));
            pending.erase(0, nl + 1);
            if (!PostMessageW(window, kLineMessage, 0, reinterpret_cast<LPARAM>(line)))
            {
              delete line;
              return;
            }
          }
        }
      })
      .detach();
}

// ---- Screenshots ----

template <class T> void Release(T*& p)
{
  if (p) p->Release();
  p = nullptr;
}

// rgb: top-down rows of w BGR pixels.
bool WritePng(const std::string& path, int w, int h, std::vector<uint8_t>& bgr)
{
  IWICImagingFactory* factory = nullptr;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  const UINT stride = static_cast<UINT>(w) * 3;
  const std::wstring file = Wide(path);
  bool ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_PPV_ARGS(&factory))) &&
            SUCCEEDED(factory->CreateStream(&stream)) &&
            SUCCEEDED(stream->InitializeFromFilename(file.c_str(), GENERIC_WRITE)) &&
            SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
            SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
            SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
            SUCCEEDED(frame->Initialize(nullptr)) &&
            SUCCEEDED(frame->SetSize(static_cast<UINT>(w), static_cast<UINT>(h))) &&
            SUCCEEDED(frame->SetPixelFormat(&format)) &&
            IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
            SUCCEEDED(frame->WritePixels(static_cast<UINT>(h), stride,
                                         static_cast<UINT>(bgr.size()), bgr.data())) &&
            SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  Release(frame);
  Release(encoder);
  Release(stream);
  Release(factory);
  if (!ok) DeleteFileW(file.c_str());
  return ok;
}

// What the window shows in its client area, the plug-in's child window included: read back from
// the window's own device context after every pending paint has run.
bool CaptureClient(HWND window, const std::string& path)
{
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT rc{};
  GetClientRect(window, &rc);
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(window);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h; // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (dib && bits)
  {
    HGDIOBJ old = SelectObject(memory, dib);
    ok = BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY) != 0;
    GdiFlush();
    SelectObject(memory, old);
  }
  std::vector<uint8_t> bgr;
  if (ok)
  {
    bgr.resize(static_cast<size_t>(w) * h * 3);
    const auto* src = static_cast<const uint8_t*>(bits);
    for (size_t i = 0, n = static_cast<size_t>(w) * h; i < n; ++i)
    {
      bgr[3 * i] = src[4 * i];
      bgr[3 * i + 1] = src[4 * i + 1];
      bgr[3 * i + 2] = src[4 * i + 2];
    }
  }
  if (dib) DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(window, screen);
  return ok && WritePng(path, w, h, bgr);
}

// ---- Counters ----

BOOL CALLBACK CountChild(HWND, LPARAM count)
{
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM count)
{
  ++*reinterpret_cast<int*>(count);
  EnumChildWindows(window, &CountChild, count); // all descendants
  return TRUE;
}

int CountThreadWindows()
{
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), &CountTopLevel, reinterpret_cast<LPARAM>(&count));
  return count;
}

// What GetGuiResources and GetProcessHandleCount say; where they say nothing (Wine has them as
// stubs returning 0), counted: GDI objects by asking every 16-bit handle value for its type (the
// short form of a GDI handle names its table entry), USER objects as the process's windows and
// menus, kernel handles from the system handle table.
struct Resources
{
  unsigned long gdi = 0, user = 0, handles = 0;
  bool counted = false;
};

BOOL CALLBACK CountOwnChild(HWND window, LPARAM count)
{
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == GetCurrentProcessId()) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

BOOL CALLBACK CountOwnTopLevel(HWND window, LPARAM count)
{
  CountOwnChild(window, count);
  EnumChildWindows(window, &CountOwnChild, count);
  return TRUE;
}

unsigned long CountGdiObjects()
{
  unsigned long n = 0;
  for (uintptr_t i = 1; i < 0x10000; ++i)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(i))) ++n;
  return n;
}

unsigned long CountUserObjects()
{
  int windows = 0;
  EnumWindows(&CountOwnTopLevel, reinterpret_cast<LPARAM>(&windows));
  unsigned long menus = 0;
  for (uintptr_t i = 0x20; i < 0x10000; i += 2)
    if (IsMenu(reinterpret_cast<HMENU>(i))) ++menus;
  return static_cast<unsigned long>(windows) + menus;
}

unsigned long CountHandles()
{
  // SYSTEM_HANDLE_INFORMATION (class 16): one entry per open handle of every process.
  struct Entry
  {
    ULONG ownerPid;
    BYTE objectType, flags;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  std::vector<char> buffer(1 << 20);
  for (int attempt = 0; attempt < 4; ++attempt)
  {
    ULONG needed = 0;
    const NTSTATUS status =
        NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(16), buffer.data(),
                                 static_cast<ULONG>(buffer.size()), &needed);
    if (status == static_cast<NTSTATUS>(0xC0000004L)) // too small
    {
      buffer.resize(std::max<size_t>(2 * buffer.size(), needed + 4096));
      continue;
    }
    if (status < 0) return 0;
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof count);
    const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
    unsigned long mine = 0;
    for (ULONG i = 0; i < count; ++i)
      if (entries[i].ownerPid == GetCurrentProcessId()) ++mine;
    return mine;
  }
  return 0;
}

Resources CountResources()
{
  Resources r;
  DWORD handles = 0;
  r.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  r.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (GetProcessHandleCount(GetCurrentProcess(), &handles)) r.handles = handles;
  // A process with a window always has GDI and USER objects and handles: 0 means not told.
  if (r.gdi == 0 || r.user == 0 || r.handles == 0)
  {
    r.counted = true;
    r.gdi = CountGdiObjects();
    r.user = CountUserObjects();
    r.handles = CountHandles();
  }
  return r;
}

// ---- The plug frame ----

class PlugFrame : public IPlugFrame
{
public:
  explicit PlugFrame(std::function<bool(IPlugView*, ViewRect*)> resize) : mResize(std::move(resize))
  {
  }
  virtual ~PlugFrame() = default;

  tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override
  {
    if (!view || !newSize) return kInvalidArgument;
    return mResize(view, newSize) ? kResultOk : kResultFalse;
  }
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
  {
    if (!obj) return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, IPlugFrame::iid) ||
        FUnknownPrivate::iidEqual(iid, FUnknown::iid))
    {
      *obj = static_cast<IPlugFrame*>(this);
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  // Lives on the host's stack for the whole session.
  uint32 PLUGIN_API addRef() override { return 1000; }
  uint32 PLUGIN_API release() override { return 1000; }

private:
  std::function<bool(IPlugView*, ViewRect*)> mResize;
};

// ---- The session ----

class GuiSession : public GuiScript
{
public:
  GuiSession(PluginInstance& instance, const GuiOptions& options)
      : GuiScript(instance, options),
        mFrame([this](IPlugView* view, ViewRect* r) { return OnResizeRequest(view, r); }),
        mAudio(instance)
  {
  }

  int Run()
  {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (!RegisterFrameClass() || !OpenView(true))
    {
      if (mWindow) DestroyWindow(mWindow);
      if (SUCCEEDED(com)) CoUninitialize();
      return 1;
    }
    if (mOptions.script == "-")
      StartReader(mWindow);
    else if (!mOptions.script.empty() && !LoadFile(mOptions.script))
      AskQuit();
    if (mOptions.audio) mAudio.Start();
    ResetStats();
    if (!mOptions.screenshot.empty())
      AddHostTimer(std::max(mOptions.afterMs, 0),
                   [this]
                   {
                     Screenshot(mOptions.screenshot);
                     if (mOptions.script.empty()) AskQuit();
                   });
    if (mOptions.seconds > 0.0)
      AddHostTimer(static_cast<int>(mOptions.seconds * 1000.0), [this] { AskQuit(); });
    Say("gui: ready\n");
    while (!QuitAsked())
    {
      RunQueued();
      RunDueTimers();
      if (QuitAsked()) break;
      WaitForMessages(NextTimerMs(100));
      Drain();
    }
    PrintStats("gui: closing");
    mAudio.Stop();
    CloseView();
    DestroyWindow(mWindow);
    mWindow = nullptr;
    Drain();
    UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
    if (SUCCEEDED(com)) CoUninitialize();
    Say("gui: closed\n");
    return ExitCode();
  }

private:
  // ---- The host window ----

  static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wp, LPARAM lp)
  {
    auto* self = reinterpret_cast<GuiSession*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE)
    {
      self = static_cast<GuiSession*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (self) switch (message)
      {
      case kLineMessage:
      {
        // Queued only: commands run from the session's own loop, never inside a modal loop
        // (menu, dialog) that the plug-in runs while this message arrives.
        std::unique_ptr<std::string> line(reinterpret_cast<std::string*>(lp));
        self->Queue(*line);
        return 0;
      }
      case WM_CLOSE:
        self->AskQuit();
        return 0;
      default:
        break;
      }
    return DefWindowProcW(window, message, wp, lp);
  }

  bool RegisterFrameClass()
  {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &FrameProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kClassName;
    if (RegisterClassExW(&wc)) return true;
    std::fprintf(stderr, "vst3host: cannot register the window class\n");
    return false;
  }

  static RECT OuterRect(int w, int h)
  {
    RECT rc{0, 0, w, h};
    AdjustWindowRectEx(&rc, kStyle, FALSE, 0);
    return rc;
  }

  bool CreateHostWindow(int w, int h)
  {
    const RECT rc = OuterRect(w, h);
    const std::string title = "vst3host: " + std::string(mInstance.Class().info.name);
    // The client area's corner at the screen's: tests send mouse events in editor coordinates
    // plus the origin printed below.
    mWindow = CreateWindowExW(0, kClassName, Wide(title).c_str(), kStyle, rc.left, rc.top,
                              rc.right - rc.left, rc.bottom - rc.top, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
    if (!mWindow)
    {
      std::fprintf(stderr, "vst3host: cannot create the host window\n");
      return false;
    }
    // The plug-in's window goes into a shown parent, as in a DAW.
    ShowWindow(mWindow, SW_SHOW);
    UpdateWindow(mWindow);
    POINT origin{0, 0};
    ClientToScreen(mWindow, &origin);
    Say("gui: client at %ld,%ld\n", static_cast<long>(origin.x), static_cast<long>(origin.y));
    return true;
  }

  void ResizeHostWindow(int w, int h) override
  {
    const RECT rc = OuterRect(w, h);
    SetWindowPos(mWindow, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // ---- The view ----

  bool OpenView(bool first)
  {
    ViewRect size;
    IPlugView* view = CreateEditorView(kPlatformTypeHWND, &size);
    if (!view) return false;
    if (first ? !CreateHostWindow(size.getWidth(), size.getHeight()) : false)
    {
      view->release();
      return false;
    }
    if (!first) ResizeHostWindow(size.getWidth(), size.getHeight());
    view->setFrame(&mFrame);
    if (view->attached(mWindow, kPlatformTypeHWND) != kResultOk)
    {
      std::fprintf(stderr, "vst3host: the editor refused to attach\n");
      view->setFrame(nullptr);
      view->release();
      return false;
    }
    mView = view;
    Say("gui: editor open %dx%d window 0x%llx\n", size.getWidth(), size.getHeight(),
        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(mWindow)));
    return true;
  }

  void CloseView()
  {
    if (!mView) return;
    mView->removed();
    mView->setFrame(nullptr);
    mView->release();
    mView = nullptr;
    Say("gui: editor closed\n");
  }

  // ---- The message loop ----

  void WaitForMessages(int ms)
  {
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::max(ms, 0)), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
  }

  // Dispatches every message waiting. The plug-in's timer and paint messages are timed: they are
  // its redraw cycle.
  void Drain()
  {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
      if (msg.message == WM_QUIT)
      {
        AskQuit();
        return;
      }
      const bool timer = msg.message == WM_TIMER && msg.hwnd != mWindow;
      const bool paint = msg.message == WM_PAINT && msg.hwnd != mWindow;
      if (timer && msg.hwnd) ++mWindowTimerMessages;
      if (timer && !msg.hwnd) ++mThreadTimerMessages;
      Cost* cost = timer && msg.hwnd ? &mTick : paint ? &mPaint : nullptr;
      const double wall0 = cost ? WallSeconds() : 0.0;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      if (cost) cost->Add(WallSeconds() - wall0);
    }
  }

  void Pump(int ms) override
  {
    const double until = WallSeconds() + 1e-3 * ms;
    for (double now = WallSeconds(); now < until && !QuitAsked(); now = WallSeconds())
    {
      WaitForMessages(static_cast<int>(1000.0 * (until - now)) + 1);
      Drain();
    }
  }

  // Host timers run from the session's loop (so never inside a plug-in's modal loop).
  void AddHostTimer(int ms, std::function<void()> fn)
  {
    mHostTimers.push_back({WallSeconds() + 1e-3 * ms, std::move(fn)});
  }
  int NextTimerMs(int cap) const
  {
    const double now = WallSeconds();
    double next = now + 1e-3 * cap;
    for (const HostTimer& t : mHostTimers)
      next = std::min(next, t.due);
    return std::max(0, static_cast<int>(1000.0 * (next - now)) + 1);
  }
  void RunDueTimers()
  {
    const double now = WallSeconds();
    std::vector<std::function<void()>> due;
    for (auto it = mHostTimers.begin(); it != mHostTimers.end();)
      if (it->due <= now)
      {
        due.push_back(std::move(it->fn));
        it = mHostTimers.erase(it);
      }
      else
        ++it;
    for (auto& fn : due)
      fn();
  }

  // ---- Script hooks ----

  void StartWait(int ms) override
  {
    AddHostTimer(ms, [this] { WaitOver(); });
  }
  bool OpenEditor() override { return OpenView(false); }
  void CloseEditor() override { CloseView(); }
  bool EditorOpen() const override { return mView != nullptr; }

  void Screenshot(const std::string& path) override
  {
    if (CaptureClient(mWindow, path))
      Say("screenshot: %s\n", path.c_str());
    else
      Say("screenshot: failed %s\n", path.c_str());
  }

  void PrintResources(const char* title)
  {
    const Resources r = CountResources();
    Say("%s: gdi %lu user %lu handles %lu%s\n", title, r.gdi, r.user, r.handles,
        r.counted ? " (counted)" : "");
  }

  void AfterReopen(int cycle) override
  {
    const std::string title = "reopen " + std::to_string(cycle);
    PrintResources(title.c_str());
  }

  bool HostCommand(const std::string& cmd, const std::string& arg) override
  {
    if (cmd == "resources")
      PrintResources("resources");
    else if (cmd == "windows")
      Say("windows: %d\n", CountThreadWindows());
    else if (cmd == "timers")
    {
      const int ms = std::max(std::atoi(arg.c_str()), 0);
      const uint64_t window0 = mWindowTimerMessages, thread0 = mThreadTimerMessages;
      Pump(ms);
      Say("timers: window %llu thread %llu in %d ms\n",
          static_cast<unsigned long long>(mWindowTimerMessages - window0),
          static_cast<unsigned long long>(mThreadTimerMessages - thread0), ms);
    }
    else
      return false;
    return true;
  }

  void ResetStats() override
  {
    mTick = Cost();
    mPaint = Cost();
    mWallStart = WallSeconds();
    mCpuStart = ThreadCpuSeconds();
    mProcessCpuStart = ProcessCpuSeconds();
    mAudioCpuStart = mAudio.CpuSeconds();
  }

  void PrintStats(const char* title) override
  {
    const double wall = WallSeconds() - mWallStart;
    const double gui = ThreadCpuSeconds() - mCpuStart;
    const double process = ProcessCpuSeconds() - mProcessCpuStart;
    const double audio = mAudio.CpuSeconds() - mAudioCpuStart;
    auto percent = [wall](double cpu) { return wall > 0 ? 100.0 * cpu / wall : 0.0; };
    // Per call only wall time: Wine counts a thread's CPU in steps of 10 ms.
    Say("%s: %llu plug-in timer calls (%.1f a second), mean %.1f us, max %.1f us; %llu paints, "
        "mean %.1f us, max %.1f us; over %.1f s the host thread used %.2f%% of a core, the audio "
        "thread %.2f%%, the process %.2f%%\n",
        title, static_cast<unsigned long long>(mTick.calls),
        wall > 0 ? static_cast<double>(mTick.calls) / wall : 0.0, mTick.MeanUs(),
        1e6 * mTick.wallMax, static_cast<unsigned long long>(mPaint.calls), mPaint.MeanUs(),
        1e6 * mPaint.wallMax, wall, percent(gui), percent(audio), percent(process));
  }

  struct Cost
  {
    uint64_t calls = 0;
    double wallSum = 0.0, wallMax = 0.0;
    void Add(double wall)
    {
      ++calls;
      wallSum += wall;
      wallMax = std::max(wallMax, wall);
    }
    double MeanUs() const { return calls ? 1e6 * wallSum / static_cast<double>(calls) : 0.0; }
  };
  struct HostTimer
  {
    double due;
    std::function<void()> fn;
  };

  PlugFrame mFrame;
  GuiAudio mAudio;
  HWND mWindow = nullptr;
  IPlugView* mView = nullptr;
  std::vector<HostTimer> mHostTimers;
  uint64_t mWindowTimerMessages = 0, mThreadTimerMessages = 0;
  Cost mTick, mPaint;
  double mWallStart = 0.0, mCpuStart = 0.0, mProcessCpuStart = 0.0, mAudioCpuStart = 0.0;
};

} // namespace

int RunGui(PluginInstance& instance, const GuiOptions& options)
{
  GuiSession session(instance, options);
  return session.Run();
}

} // namespace tarvo::vst3host
