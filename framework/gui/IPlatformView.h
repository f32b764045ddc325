#pragma once
// What a plug-in format's editor view needs of the platform layer under the engine, in terms of
// no plug-in format: attach to the host's native parent, the editor's size in device pixels, the
// host's content scale, keys the host forwards, the host's run loop where a platform drives its
// window from one, and a way back to the host for the editor's own resize requests. A format
// binding adapts its own interfaces to these; the platform layers implement them and know nothing
// of any plug-in format.
//
// Threads: every call comes from the host's UI thread.

// The native parent types, named as hosts name them.
constexpr const char* kPlatformX11EmbedWindowID = "X11EmbedWindowID"; // an X11 window id
constexpr const char* kPlatformHWND = "HWND";                         // a Win32 window handle

// A key the host forwarded (hosts that keep the keyboard focus pass keys on to the editor).
struct IForwardedKey
{
  // Keys that type no character. kNone: the key is the character below.
  enum EVirtual
  {
    kNone = 0,
    kBack,
    kTab,
    kReturn,
    kEnter, // the keypad's
    kEscape,
    kSpace,
    kEnd,
    kHome,
    kLeft,
    kUp,
    kRight,
    kDown,
    kDelete
  };
  EVirtual mVirtual = kNone;
  // The character the key types (a Unicode code point), 0 when it types none.
  char32_t mChar = 0;
  bool mShift = false;
  bool mControl = false;
};

// The host's event loop. A callback never arrives after its Unregister call has returned.
class IHostRunLoop
{
public:
  class ITimer
  {
  public:
    virtual void OnRunLoopTimer() = 0;

  protected:
    ~ITimer() = default;
  };
  class IFileHandler
  {
  public:
    // fd is readable.
    virtual void OnRunLoopFile(int fd) = 0;

  protected:
    ~IFileHandler() = default;
  };

  virtual ~IHostRunLoop() = default;
  // Calls timer->OnRunLoopTimer() every periodMs until unregistered. False when the host
  // refuses.
  virtual bool RegisterTimer(ITimer* timer, int periodMs) = 0;
  virtual void UnregisterTimer(ITimer* timer) = 0;
  // Calls handler->OnRunLoopFile(fd) whenever fd is readable, until unregistered. False when the
  // host refuses.
  virtual bool RegisterFile(IFileHandler* handler, int fd) = 0;
  virtual void UnregisterFile(IFileHandler* handler) = 0;
};

// The format binding's side, for what the editor asks of the host on its own.
class IPlatformViewHost
{
public:
  // Asks the host to give the editor w x h device pixels. True when the host agreed; false when
  // it refused or cannot be asked, and the editor then stays at the size it had.
  virtual bool RequestDeviceSize(int w, int h) = 0;

protected:
  ~IPlatformViewHost() = default;
};

class IPlatformView
{
public:
  // A host is about to ask for the size and show the editor: the platform takes the user's
  // editor preferences and the desktop's scale now, so the first size it reports is the one the
  // editor opens at.
  virtual void PrepareView() = 0;
  // Where the editor's own resize requests go while a view shows it; null when none does.
  virtual void SetViewHost(IPlatformViewHost* host) = 0;

  virtual bool IsPlatformTypeSupported(const char* type) = 0;
  // Opens the editor's window inside parent, a native handle of the given type. False when the
  // type is not supported or no window could be made.
  virtual bool AttachToParent(const char* type, void* parent) = 0;
  virtual void DetachFromParent() = 0;

  // The host's content scale (1 = one device pixel per editor pixel). The platform draws at
  // GetDeviceScale(), which it derives from it and the user's zoom; an open window follows at its
  // next redraw. Until a host sets one, the desktop's scale stands in (1 where there is none).
  virtual void SetContentScale(float scale) = 0;
  virtual float GetContentScale() const = 0;
  virtual float GetDeviceScale() const = 0;
  // The editor's size in device pixels: round(width · device scale) × round(height · scale).
  virtual void GetDeviceSize(int* w, int* h) const = 0;

  // To an open text field, else to the engine. True when taken; false leaves the key to the host.
  virtual bool OnForwardedKey(const IForwardedKey& key) = 0;

  // The loop to run the editor from (null: none, the platform finds its own way). Set before
  // AttachToParent; the loop must outlive the attachment, and is set to null after detaching.
  virtual void SetHostRunLoop(IHostRunLoop* loop) = 0;

protected:
  ~IPlatformView() = default;
};
