#pragma once
// The editor engine in an X11 window: the Linux platform layer. The editor is a child window of
// the host's window (XEmbed-style), redrawn and fed with X events from the host's run loop, or,
// when the host offers none, from a thread of its own with its own connection. Text fields and
// popup menus are drawn here; file dialogs, message boxes and links go to the desktop's programs.
//
// Threads: the window, its events, the redraw tick and every dialog run on one GUI thread: the
// host's main thread with a run loop, else the window's own thread. OpenWindow, CloseWindow and
// the setters below are the host's main thread. Xlib is called only from the GUI thread, on a
// display connection of our own, so the host need not have called XInitThreads.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/gui/GraphicsFactory.h"
#include "framework/gui/IGraphics.h"
#include "framework/platform/x11/TextFieldModel.h"
#include "framework/platform/x11/X11Input.h"

struct _XDisplay;
union _XEvent;

namespace x11
{
class Blitter;
}

class IGraphicsLinux : public IGraphics,
                       private IHostRunLoop::ITimer,
                       private IHostRunLoop::IFileHandler
{
public:
  // Images are read from resourceFolder/<name>.png (the bundle's Contents/Resources).
  IGraphicsLinux(IAudioPlugin* plug, int w, int h, int fps = 0, const char* resourceFolder = "");
  ~IGraphicsLinux() override;

  // Main thread, before OpenWindow.
  void SetResourceFolder(const char* folder);
  const char* GetResourceFolder() const { return mResourceFolder.c_str(); }
  // Whether the open window runs on a thread of its own (the host offered no run loop).
  bool RunsOwnThread() const { return mOwnThread.joinable(); }

  // ---- IPlatformView (host's main thread) ----
  // "X11EmbedWindowID": the parent is the host's X11 window id.
  bool IsPlatformTypeSupported(const char* type) override;
  // The host's run loop, or null for a window thread of our own. It must outlive the open window.
  void SetHostRunLoop(IHostRunLoop* loop) override { mHostRunLoop = loop; }
  // The device scale takes effect in an open window at its next redraw tick.
  bool OnForwardedKey(const IForwardedKey& key) override;

  // ---- Platform operations (GUI thread) ----
  bool DrawScreen(IRECT* r) override;
  void ForceEndUserEdit() override;
  void Resize(int w, int h) override;
  const char* GetGUIAPI() override { return "X11 GUI"; }
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                       IParam* param) override;
  void HostPath(StringBuf* path) override;
  void PluginPath(StringBuf* path) override;
  void DesktopPath(StringBuf* path) override;
  void AppSupportPath(StringBuf* path, bool isSystem = false) override;
  void SandboxSafeAppSupportPath(StringBuf* path) override;
  // $XDG_CONFIG_HOME or ~/.config.
  void UserConfigPath(StringBuf* path) override;
  void PromptForFile(StringBuf* fileName, EFileAction action = kFileOpen,
                     StringBuf* directory = nullptr, const char* extensions = "") override;
  bool PromptForColor(IColor*, const char* = "") override { return false; }
  bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsg = nullptr) override;
  using IGraphics::OpenWindow;
  // parent: the host's X11 window id (as VST 3 hands it over); null makes a top-level window.
  // Returns the editor's window id, or null when no window could be made.
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void* GetWindow() override;
  bool GetTextFromClipboard(StringBuf* str) override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  void UpdateTooltips() override;
  RasterBitmap* OSLoadBitmap(int id, const char* name) override;

  // One redraw tick, and the X events waiting on the connection (what the run loop or the
  // window's own thread calls).
  void OnTimer();
  void OnXEvents();

  // The resource folder of the bundle holding the code that calls it (this library linked into a
  // module), or "" when that code is not inside a bundle.
  static std::string ModuleResourceFolder();

protected:
  // Xft.dpi from the X server's resources (96 dpi is 1), read afresh on a connection of its own.
  float DesktopScale() override;
  // A host without a run loop may only be called from its own thread: asked from the window's
  // thread, the answer is no.
  bool HostAgreesToSize(int w, int h) override;

private:
  struct TextEntry;
  struct Tooltip;

  void OnRunLoopTimer() override { OnTimer(); }
  void OnRunLoopFile(int) override { OnXEvents(); }
  // A forwarded key as X11 names it: keysym, and text the character it types (UTF-8, may be
  // empty). To an open text field, else to the engine. True when taken.
  bool HostKey(unsigned long keysym, const char* text, bool shift, bool control);

  bool CreateWindowNow(unsigned long parent);
  void DestroyWindowNow();
  void ThreadMain(unsigned long parent);
  void WakeThread();
  // The own-thread mode: hands a forwarded key to the window's thread and waits for its answer.
  bool HandKeyAcross(unsigned long keysym, const char* text, bool shift, bool control);
  // On the window's thread: acts on the keys handed across.
  void TakeHandedKeys();
  void Dispatch(_XEvent& ev);
  void AddExposed(IRECT r);
  // Follows a device scale that changed: the engine's surface, then the window's size.
  void ApplyScale();
  // The window's size in device pixels, and its blitter, for the engine's current surface.
  void LayOutWindow();
  void RedrawDirty();
  void MouseButton(_XEvent& ev);
  bool RootPosition(int x, int y, int* rx, int* ry);

  // Text entry.
  void DrawTextEntry();
  void EndTextEntry(bool commit);
  bool TextEntryKey(unsigned long keysym, const char* text, bool shift, bool control);
  void ClickTextEntry(int x);

  // Tooltips.
  void TooltipTick();
  void ShowTooltip(const char* text, const IRECT& area);
  void HideTooltip();

  // Modal waits (dialog programs): keep repainting, swallow input.
  bool ModalIdle();
  unsigned long DialogParent();

  std::string mResourceFolder;
  IHostRunLoop* mHostRunLoop = nullptr;
  IHostRunLoop* mActiveRunLoop = nullptr; // the one our timer and connection are registered with

  _XDisplay* mDisplay = nullptr;
  std::atomic<unsigned long> mWindow{0};
  unsigned long mTopLevel = 0;
  void* mGC = nullptr;
  void* mVisual = nullptr; // the editor window's Visual
  int mDepth = 0;
  std::unique_ptr<x11::Blitter> mBlitter;
  unsigned long mBlankCursor = 0;
  bool mWindowGone = false; // the host destroyed our window with its own
  float mScale = 1.0f;      // the device scale the window was last laid out at
  IRECT mExposed;
  bool mInModal = false;
  // A menu or dialog ran while a button was down: it swallowed the release, which is then given
  // to the engine once the press is handled, so every begun edit ends.
  bool mModalDuringPress = false;

  // Input state.
  x11input::ClickCounter mClicks;
  unsigned mButtonsDown = 0;
  int mLastX = 0, mLastY = 0;
  bool mPointerInside = false;
  uint64_t mLastMotionMs = 0;

  std::unique_ptr<TextEntry> mTextEntry;
  std::unique_ptr<Tooltip> mTooltip;
  std::vector<std::pair<IRECT, int>> mTooltipAreas;

  // The window's own thread, when the host has no run loop.
  std::thread mOwnThread;
  std::atomic<bool> mStopThread{false};
  int mWakePipe[2] = {-1, -1};
  std::mutex mThreadMutex;
  std::condition_variable mThreadReady;
  bool mThreadStarted = false;
  // Keys the host forwarded in the own-thread mode, handed to the window's thread; the host's
  // thread waits a short while for each answer. Under mThreadMutex.
  struct ForwardedKey
  {
    uint64_t mId;
    unsigned long mKeysym;
    std::string mText;
    bool mShift, mControl;
  };
  std::deque<ForwardedKey> mForwardedKeys;
  uint64_t mLastKeyId = 0;      // the newest key handed across
  uint64_t mKeyInHand = 0;      // the key the window's thread is acting on, 0 for none
  uint64_t mLastAnsweredId = 0; // keys are answered in order
  bool mLastAnswer = false;
  std::condition_variable mKeyAnswered;
};

// A GraphicsFactory: an X11 engine whose images come from the Contents/Resources folder of the
// bundle holding the running module.
IGraphics* MakeLinuxGraphics(IAudioPlugin* plug, int w, int h, int fps);
