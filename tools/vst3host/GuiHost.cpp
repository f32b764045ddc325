#include "tools/vst3host/GuiHost.h"

#include "tools/vst3host/GuiScript.h"
#include "tools/vst3host/hosting/PluginInstance.h"

#include "pluginterfaces/gui/iplugview.h"

#include <fcntl.h>
#include <png.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

// Xlib last: its macros (None, Bool, Status) must not meet the SDK's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace tarvo::vst3host
{

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{

uint64_t NowMs()
{
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

int sSignalPipe[2] = {-1, -1};

void OnSignal(int)
{
  const char c = 1;
  if (write(sSignalPipe[1], &c, 1) < 0)
  {
    // Nothing to do: the loop is being told already.
  }
}

// ---- The run loop the plug-in registers with ----

class RunLoop
{
public:
  ~RunLoop()
  {
    for (Entry& e : mEntries)
      ReleaseEntry(e);
  }

  // The plug-in's side (IRunLoop).
  tresult AddTimer(Linux::ITimerHandler* handler, uint64_t ms)
  {
    if (!handler || ms == 0) return kInvalidArgument;
    handler->addRef();
    Entry e;
    e.id = ++mNextId;
    e.timer = handler;
    e.interval = ms;
    e.due = NowMs() + ms;
    mEntries.push_back(e);
    return kResultOk;
  }
  tresult RemoveTimer(Linux::ITimerHandler* handler)
  {
    return Remove([handler](const Entry& e) { return e.timer == handler; });
  }
  tresult AddHandler(Linux::IEventHandler* handler, int fd)
  {
    if (!handler || fd < 0) return kInvalidArgument;
    handler->addRef();
    Entry e;
    e.id = ++mNextId;
    e.events = handler;
    e.fd = fd;
    mEntries.push_back(e);
    return kResultOk;
  }
  tresult RemoveHandler(Linux::IEventHandler* handler)
  {
    return Remove([handler](const Entry& e) { return e.events == handler; });
  }

  // The host's own.
  uint64_t AddHostTimer(uint64_t ms, std::function<void()> fn, bool repeat)
  {
    Entry e;
    e.id = ++mNextId;
    e.fn = std::move(fn);
    e.interval = std::max<uint64_t>(ms, 1);
    e.due = NowMs() + ms;
    e.repeat = repeat;
    mEntries.push_back(std::move(e));
    return mNextId;
  }
  uint64_t AddHostFd(int fd, std::function<void()> fn)
  {
    Entry e;
    e.id = ++mNextId;
    e.fd = fd;
    e.fn = std::move(fn);
    mEntries.push_back(std::move(e));
    return mNextId;
  }
  void RemoveHost(uint64_t id)
  {
    Remove([id](const Entry& e) { return e.id == id; });
  }

  int PluginTimers() const
  {
    return static_cast<int>(std::count_if(mEntries.begin(), mEntries.end(),
                                          [](const Entry& e) { return e.timer != nullptr; }));
  }
  int PluginHandlers() const
  {
    return static_cast<int>(std::count_if(mEntries.begin(), mEntries.end(),
                                          [](const Entry& e) { return e.events != nullptr; }));
  }

  // What the plug-in's timer calls cost.
  struct Stats
  {
    uint64_t calls = 0;
    double wallSum = 0.0, wallMax = 0.0, cpuSum = 0.0;
  };
  const Stats& TimerStats() const { return mStats; }
  void ResetStats() { mStats = Stats(); }

  // Waits up to maxWaitMs for a descriptor or a timer and runs what is due.
  void RunOnce(int maxWaitMs)
  {
    uint64_t now = NowMs();
    int timeout = maxWaitMs;
    std::vector<pollfd> fds;
    std::vector<uint64_t> fdIds;
    for (const Entry& e : mEntries)
    {
      if (e.fd >= 0)
      {
        fds.push_back({e.fd, POLLIN, 0});
        fdIds.push_back(e.id);
      }
      else
        timeout = std::min(timeout, e.due > now ? static_cast<int>(e.due - now) : 0);
    }
    if (poll(fds.data(), fds.size(), std::max(timeout, 0)) > 0)
      for (size_t i = 0; i < fds.size(); ++i)
        if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
        {
          // Looked up again: an earlier callback may have removed it.
          Entry* e = Find(fdIds[i]);
          if (!e) continue;
          if (e->events)
          {
            Linux::IEventHandler* h = e->events;
            h->addRef();
            h->onFDIsSet(fds[i].fd);
            h->release();
          }
          else if (e->fn)
          {
            auto fn = e->fn;
            fn();
          }
        }
    now = NowMs();
    std::vector<uint64_t> due;
    for (const Entry& e : mEntries)
      if (e.fd < 0 && e.due <= now) due.push_back(e.id);
    for (uint64_t id : due)
    {
      Entry* e = Find(id);
      if (!e) continue;
      e->due = std::max(e->due + e->interval, now + 1);
      if (Linux::ITimerHandler* h = e->timer)
      {
        h->addRef();
        const double wall0 = WallSeconds(), cpu0 = ThreadCpuSeconds();
        h->onTimer();
        const double wall = WallSeconds() - wall0;
        mStats.cpuSum += ThreadCpuSeconds() - cpu0;
        ++mStats.calls;
        mStats.wallSum += wall;
        mStats.wallMax = std::max(mStats.wallMax, wall);
        h->release();
      }
      else
      {
        auto fn = e->fn;
        if (!e->repeat) RemoveHost(id);
        if (fn) fn();
      }
    }
  }

private:
  struct Entry
  {
    uint64_t id = 0;
    Linux::ITimerHandler* timer = nullptr;
    Linux::IEventHandler* events = nullptr;
    std::function<void()> fn;
    int fd = -1;
    uint64_t interval = 0, due = 0;
    bool repeat = true;
  };

  Entry* Find(uint64_t id)
  {
    for (Entry& e : mEntries)
      if (e.id == id) return &e;
    return nullptr;
  }
  static void ReleaseEntry(Entry& e)
  {
    if (e.timer) e.timer->release();
    if (e.events) e.events->release();
    e.timer = nullptr;
    e.events = nullptr;
  }
  template <class Pred> tresult Remove(Pred pred)
  {
    bool found = false;
    for (auto it = mEntries.begin(); it != mEntries.end();)
      if (pred(*it))
      {
        ReleaseEntry(*it);
        it = mEntries.erase(it);
        found = true;
      }
      else
        ++it;
    return found ? kResultOk : kResultFalse;
  }

  std::vector<Entry> mEntries;
  uint64_t mNextId = 0;
  Stats mStats;
};

// ---- The plug frame: resize requests, and the run loop when we offer one ----

class PlugFrame : public IPlugFrame, public Linux::IRunLoop
{
public:
  PlugFrame(RunLoop& loop, bool offerRunLoop, std::function<bool(IPlugView*, ViewRect*)> resize)
      : mLoop(loop), mOfferRunLoop(offerRunLoop), mResize(std::move(resize))
  {
  }
  virtual ~PlugFrame() = default;

  tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override
  {
    if (!view || !newSize) return kInvalidArgument;
    return mResize(view, newSize) ? kResultOk : kResultFalse;
  }
  tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* handler,
                                          Linux::FileDescriptor fd) override
  {
    return mLoop.AddHandler(handler, fd);
  }
  tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* handler) override
  {
    return mLoop.RemoveHandler(handler);
  }
  tresult PLUGIN_API registerTimer(Linux::ITimerHandler* handler,
                                   Linux::TimerInterval milliseconds) override
  {
    return mLoop.AddTimer(handler, milliseconds);
  }
  tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* handler) override
  {
    return mLoop.RemoveTimer(handler);
  }

  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
  {
    if (!obj) return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, IPlugFrame::iid) ||
        FUnknownPrivate::iidEqual(iid, FUnknown::iid))
      *obj = static_cast<IPlugFrame*>(this);
    else if (mOfferRunLoop && FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid))
      *obj = static_cast<Linux::IRunLoop*>(this);
    else
    {
      *obj = nullptr;
      return kNoInterface;
    }
    addRef();
    return kResultOk;
  }
  // Lives on the host's stack for the whole session.
  uint32 PLUGIN_API addRef() override { return 1000; }
  uint32 PLUGIN_API release() override { return 1000; }

private:
  RunLoop& mLoop;
  bool mOfferRunLoop;
  std::function<bool(IPlugView*, ViewRect*)> mResize;
};

// ---- Screenshots ----

bool WritePng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgb)
{
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  if (png && info && !setjmp(png_jmpbuf(png)))
  {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y)
      png_write_row(png, const_cast<png_bytep>(rgb.data() + static_cast<size_t>(y) * w * 3));
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  return std::fclose(file) == 0 && ok;
}

bool CaptureWindow(Display* d, Window w, const std::string& path)
{
  XWindowAttributes a{};
  if (!XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable) return false;
  // Read from the root: what is on screen there, the plug-in's child window included.
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(d, w, a.root, 0, 0, &x, &y, &child);
  XImage* image = XGetImage(d, a.root, x, y, static_cast<unsigned>(a.width),
                            static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
  if (!image) return false;
  auto channel = [](unsigned long pixel, unsigned long mask)
  {
    if (!mask) return 0;
    int shift = 0;
    while (!(mask & 1))
    {
      mask >>= 1;
      ++shift;
    }
    const unsigned long v = (pixel >> shift) & mask;
    return static_cast<int>(v * 255 / mask);
  };
  std::vector<uint8_t> rgb(static_cast<size_t>(a.width) * a.height * 3);
  for (int j = 0; j < a.height; ++j)
    for (int i = 0; i < a.width; ++i)
    {
      const unsigned long p = XGetPixel(image, i, j);
      uint8_t* out = &rgb[(static_cast<size_t>(j) * a.width + i) * 3];
      out[0] = static_cast<uint8_t>(channel(p, image->red_mask));
      out[1] = static_cast<uint8_t>(channel(p, image->green_mask));
      out[2] = static_cast<uint8_t>(channel(p, image->blue_mask));
    }
  XDestroyImage(image);
  return WritePng(path, a.width, a.height, rgb);
}

int CountWindows(Display* d, Window w)
{
  Window root = 0, parent = 0, *children = nullptr;
  unsigned n = 0;
  if (!XQueryTree(d, w, &root, &parent, &children, &n)) return 0;
  int count = static_cast<int>(n);
  for (unsigned i = 0; i < n; ++i)
    count += CountWindows(d, children[i]);
  if (children) XFree(children);
  return count;
}

// ---- The session ----

class GuiSession : public GuiScript
{
public:
  GuiSession(PluginInstance& instance, const GuiOptions& options)
      : GuiScript(instance, options),
        mFrame(mLoop, options.runLoop,
               [this](IPlugView* view, ViewRect* r) { return OnResizeRequest(view, r); }),
        mAudio(instance)
  {
  }

  int Run()
  {
    mDisplay = XOpenDisplay(nullptr);
    if (!mDisplay)
    {
      std::fprintf(stderr, "vst3host: cannot open the X display (is DISPLAY set?)\n");
      return 1;
    }
    if (!OpenView(true))
    {
      XCloseDisplay(mDisplay);
      return 1;
    }
    mLoop.AddHostFd(ConnectionNumber(mDisplay), [this] { HostEvents(); });
    if (pipe2(sSignalPipe, O_CLOEXEC | O_NONBLOCK) == 0)
    {
      signal(SIGINT, OnSignal);
      signal(SIGTERM, OnSignal);
      mLoop.AddHostFd(sSignalPipe[0], [this] { AskQuit(); });
    }
    signal(SIGPIPE, SIG_IGN);
    if (mOptions.audio) mAudio.Start();
    mCpuStart = ThreadCpuSeconds();
    mWallStart = WallSeconds();
    if (!mOptions.screenshot.empty())
      mLoop.AddHostTimer(
          static_cast<uint64_t>(std::max(mOptions.afterMs, 0)),
          [this]
          {
            TakeScreenshot(mOptions.screenshot);
            if (mOptions.script.empty()) AskQuit();
          },
          false);
    if (mOptions.seconds > 0.0)
      mLoop.AddHostTimer(
          static_cast<uint64_t>(mOptions.seconds * 1000.0), [this] { AskQuit(); }, false);
    if (!mOptions.script.empty() && !LoadScript()) AskQuit();
    Say("gui: ready\n");
    RunQueued();
    while (!QuitAsked())
    {
      HostEvents(); // Xlib may hold events already read from the connection
      mLoop.RunOnce(100);
    }
    PrintStats("gui: closing");
    mAudio.Stop();
    CloseView();
    XDestroyWindow(mDisplay, mWindow);
    XCloseDisplay(mDisplay);
    Say("gui: closed\n");
    return ExitCode();
  }

private:
  // ---- The view ----

  bool OpenView(bool first)
  {
    ViewRect size;
    IPlugView* view = CreateEditorView(kPlatformTypeX11EmbedWindowID, &size);
    if (!view) return false;
    if (first)
      CreateHostWindow(size.getWidth(), size.getHeight());
    else
      ResizeHostWindow(size.getWidth(), size.getHeight());
    view->setFrame(&mFrame);
    if (view->attached(reinterpret_cast<void*>(mWindow), kPlatformTypeX11EmbedWindowID) !=
        kResultOk)
    {
      std::fprintf(stderr, "vst3host: the editor refused to attach\n");
      view->setFrame(nullptr);
      view->release();
      return false;
    }
    mView = view;
    Say("gui: editor open %dx%d window 0x%lx\n", size.getWidth(), size.getHeight(), mWindow);
    return true;
  }

  void CloseView()
  {
    if (!mView) return;
    mView->removed();
    mView->setFrame(nullptr);
    mView->release();
    mView = nullptr;
    XSync(mDisplay, False);
    Say("gui: editor closed\n");
  }

  void CreateHostWindow(int w, int h)
  {
    const int screen = DefaultScreen(mDisplay);
    XSetWindowAttributes a{};
    a.event_mask = StructureNotifyMask;
    a.background_pixel = BlackPixel(mDisplay, screen);
    mWindow = XCreateWindow(mDisplay, RootWindow(mDisplay, screen), 0, 0, static_cast<unsigned>(w),
                            static_cast<unsigned>(h), 0, CopyFromParent, InputOutput,
                            CopyFromParent, CWEventMask | CWBackPixel, &a);
    const std::string title = "vst3host: " + std::string(mInstance.Class().info.name);
    XStoreName(mDisplay, mWindow, title.c_str());
    mDeleteAtom = XInternAtom(mDisplay, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(mDisplay, mWindow, &mDeleteAtom, 1);
    XSizeHints hints{};
    hints.flags = PPosition | PMinSize | PMaxSize;
    hints.min_width = hints.max_width = w;
    hints.min_height = hints.max_height = h;
    XSetWMNormalHints(mDisplay, mWindow, &hints);
    XMapWindow(mDisplay, mWindow);
    // The plug-in's window goes into a shown parent, as in a DAW.
    XEvent ev;
    do
      XWindowEvent(mDisplay, mWindow, StructureNotifyMask, &ev);
    while (ev.type != MapNotify);
  }

  void ResizeHostWindow(int w, int h) override
  {
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize;
    hints.min_width = hints.max_width = w;
    hints.min_height = hints.max_height = h;
    XSetWMNormalHints(mDisplay, mWindow, &hints);
    XResizeWindow(mDisplay, mWindow, static_cast<unsigned>(w), static_cast<unsigned>(h));
    XFlush(mDisplay);
  }

  void HostEvents()
  {
    while (XPending(mDisplay))
    {
      XEvent ev;
      XNextEvent(mDisplay, &ev);
      if (ev.type == ClientMessage && static_cast<Atom>(ev.xclient.data.l[0]) == mDeleteAtom)
        AskQuit();
    }
  }

  // ---- Output ----

  void PrintStats(const char* title) override
  {
    const RunLoop::Stats& s = mLoop.TimerStats();
    const double wall = WallSeconds() - mWallStart;
    const double gui = ThreadCpuSeconds() - mCpuStart;
    const double audio = mAudio.CpuSeconds() - mAudioCpuStart;
    Say("%s: %llu plug-in timer calls, mean %.1f us (cpu %.1f us), max %.1f us; over %.1f s the "
        "host thread used %.2f%% of a core, the audio thread %.2f%%\n",
        title, static_cast<unsigned long long>(s.calls),
        s.calls ? 1e6 * s.wallSum / static_cast<double>(s.calls) : 0.0,
        s.calls ? 1e6 * s.cpuSum / static_cast<double>(s.calls) : 0.0, 1e6 * s.wallMax, wall,
        wall > 0 ? 100.0 * gui / wall : 0.0, wall > 0 ? 100.0 * audio / wall : 0.0);
  }

  void Screenshot(const std::string& path) override { TakeScreenshot(path); }
  void TakeScreenshot(const std::string& path)
  {
    XSync(mDisplay, False);
    if (CaptureWindow(mDisplay, mWindow, path))
      Say("screenshot: %s\n", path.c_str());
    else
      Say("screenshot: failed %s\n", path.c_str());
  }

  // ---- Script ----

  bool LoadScript()
  {
    if (mOptions.script != "-") return LoadFile(mOptions.script);
    fcntl(0, F_SETFL, fcntl(0, F_GETFL) | O_NONBLOCK);
    mStdinId = mLoop.AddHostFd(0, [this] { ReadStdin(); });
    return true;
  }

  void ReadStdin()
  {
    char buf[4096];
    ssize_t n;
    while ((n = read(0, buf, sizeof buf)) > 0)
      mStdinText.append(buf, static_cast<size_t>(n));
    size_t nl;
    while ((nl = mStdinText.find('\n')) != std::string::npos)
    {
      Queue(mStdinText.substr(0, nl));
      mStdinText.erase(0, nl + 1);
    }
    if (n == 0)
    {
      // End of input: no more commands will come.
      mLoop.RemoveHost(mStdinId);
    }
    RunQueued();
  }

  void StartWait(int ms) override
  {
    mLoop.AddHostTimer(
        static_cast<uint64_t>(ms), [this] { WaitOver(); }, false);
  }

  void Pump(int ms) override
  {
    const uint64_t until = NowMs() + static_cast<uint64_t>(ms);
    while (NowMs() < until)
      mLoop.RunOnce(static_cast<int>(until - NowMs()));
  }

  bool OpenEditor() override { return OpenView(false); }
  void CloseEditor() override { CloseView(); }
  bool EditorOpen() const override { return mView != nullptr; }

  void ResetStats() override
  {
    mLoop.ResetStats();
    mCpuStart = ThreadCpuSeconds();
    mWallStart = WallSeconds();
    mAudioCpuStart = mAudio.CpuSeconds();
  }

  bool HostCommand(const std::string& cmd, const std::string&) override
  {
    if (cmd == "runloop")
      Say("runloop: timers %d handlers %d\n", mLoop.PluginTimers(), mLoop.PluginHandlers());
    else if (cmd == "windows")
      Say("windows: %d\n", CountWindows(mDisplay, DefaultRootWindow(mDisplay)));
    else
      return false;
    return true;
  }

  RunLoop mLoop;
  PlugFrame mFrame;
  GuiAudio mAudio;
  Display* mDisplay = nullptr;
  Window mWindow = 0;
  Atom mDeleteAtom = 0;
  IPlugView* mView = nullptr;
  uint64_t mStdinId = 0;
  std::string mStdinText;
  double mCpuStart = 0.0, mWallStart = 0.0, mAudioCpuStart = 0.0;
};

} // namespace

int RunGui(PluginInstance& instance, const GuiOptions& options)
{
  GuiSession session(instance, options);
  return session.Run();
}

} // namespace tarvo::vst3host
