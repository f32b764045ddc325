// How the editor window is driven: from the host's run loop (a timer and the X connection's
// descriptor) when the host offers one, else from a thread of its own with its own connection.

#include "framework/platform/x11/IGraphicsLinux.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

// Our headers before Xlib's, whose macros (Bool, CurrentTime) would rewrite their names.
#include "framework/core/Trace.h"

#include "framework/platform/x11/DesktopTools.h"
#include "framework/platform/x11/IGraphicsLinuxParts.h"

using namespace x11editor;

// ---- Opening and closing ----

void* IGraphicsLinux::OpenWindow(void* parent)
{
  CloseWindow();
  const unsigned long parentId = reinterpret_cast<unsigned long>(parent);
  if (mHostRunLoop)
  {
    SetGUIThread();
    if (!CreateWindowNow(parentId)) return nullptr;
    const int period = std::max(1000 / FPS(), 1);
    if (mHostRunLoop->RegisterFile(this, ConnectionNumber(D(mDisplay))) &&
        mHostRunLoop->RegisterTimer(this, period))
    {
      mActiveRunLoop = mHostRunLoop;
      UpdateTooltips();
      return GetWindow();
    }
    // A run loop that refuses us is as good as none.
    mHostRunLoop->UnregisterFile(this);
    mHostRunLoop->UnregisterTimer(this);
    DestroyWindowNow();
  }

  Trace("IGraphicsLinux", __LINE__, "no host run loop: the editor runs its window on a thread");
  if (pipe2(mWakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return nullptr;
  mStopThread.store(false);
  mThreadStarted = false;
  try
  {
    mOwnThread = std::thread(&IGraphicsLinux::ThreadMain, this, parentId);
  }
  catch (...)
  {
    close(mWakePipe[0]);
    close(mWakePipe[1]);
    mWakePipe[0] = mWakePipe[1] = -1;
    return nullptr;
  }
  std::unique_lock<std::mutex> lock(mThreadMutex);
  mThreadReady.wait(lock, [this] { return mThreadStarted; });
  lock.unlock();
  if (!mWindow.load())
  {
    CloseWindow();
    return nullptr;
  }
  return GetWindow();
}

void IGraphicsLinux::CloseWindow()
{
  if (mOwnThread.joinable())
  {
    mStopThread.store(true);
    if (std::this_thread::get_id() == mOwnThread.get_id()) return; // it ends after this event
    WakeThread();
    mOwnThread.join();
    close(mWakePipe[0]);
    close(mWakePipe[1]);
    mWakePipe[0] = mWakePipe[1] = -1;
    {
      std::lock_guard<std::mutex> lock(mThreadMutex);
      mForwardedKeys.clear();
    }
    SetGUIThread();
    return;
  }
  if (mActiveRunLoop)
  {
    // Unregistered before the window goes, so no callback can find a half-closed editor.
    mActiveRunLoop->UnregisterTimer(this);
    mActiveRunLoop->UnregisterFile(this);
    mActiveRunLoop = nullptr;
  }
  DestroyWindowNow();
}

// ---- The window's own thread ----

void IGraphicsLinux::WakeThread()
{
  if (mWakePipe[1] >= 0)
  {
    const char c = 1;
    if (write(mWakePipe[1], &c, 1) < 0)
    {
      // Full pipe: the thread is awake already.
    }
  }
}

void IGraphicsLinux::ThreadMain(unsigned long parent)
{
  SetGUIThread();
  const bool ok = CreateWindowNow(parent);
  {
    std::lock_guard<std::mutex> lock(mThreadMutex);
    mThreadStarted = true;
  }
  mThreadReady.notify_all();
  if (!ok) return;
  UpdateTooltips();
  const uint64_t period = static_cast<uint64_t>(std::max(1000 / FPS(), 1));
  uint64_t next = x11::NowMs() + period;
  while (!mStopThread.load())
  {
    OnXEvents();
    TakeHandedKeys();
    const uint64_t now = x11::NowMs();
    if (now >= next)
    {
      OnTimer();
      next += period;
      if (next <= now) next = now + period;
      continue;
    }
    if (XPending(D(mDisplay))) continue;
    pollfd fds[2] = {{ConnectionNumber(D(mDisplay)), POLLIN, 0}, {mWakePipe[0], POLLIN, 0}};
    poll(fds, 2, static_cast<int>(next - now));
    if (fds[1].revents & POLLIN)
    {
      char buf[64];
      while (read(mWakePipe[0], buf, sizeof buf) > 0)
      {
      }
    }
  }
  DestroyWindowNow();
}

// ---- Keys forwarded to a window on its own thread ----
//
// The engine and the text field live on the window's thread, and whether a key is taken depends
// on their state (an open field, a control under the pointer), so the answer cannot be decided on
// the host's thread. The host's thread hands the key across and waits, briefly: long enough for
// any key the window acts on at once, short enough that a window busy elsewhere (a modal dialog,
// a host call that waits for the host's own thread) never stalls the host. A key still waiting
// when the time is up is taken back and left to the host; one the window is acting on counts as
// taken.

namespace
{
constexpr auto kKeyAnswerWait = std::chrono::milliseconds(100);
}

bool IGraphicsLinux::HandKeyAcross(unsigned long keysym, const char* text, bool shift, bool control)
{
  std::unique_lock<std::mutex> lock(mThreadMutex);
  if (mStopThread.load()) return false;
  const uint64_t id = ++mLastKeyId;
  mForwardedKeys.push_back({id, keysym, text ? text : "", shift, control});
  lock.unlock();
  WakeThread();
  lock.lock();
  if (mKeyAnswered.wait_for(lock, kKeyAnswerWait, [&] { return mLastAnsweredId >= id; }))
    return mLastAnsweredId == id ? mLastAnswer : true;
  for (auto it = mForwardedKeys.begin(); it != mForwardedKeys.end(); ++it)
    if (it->mId == id)
    {
      mForwardedKeys.erase(it);
      return false;
    }
  return mKeyInHand == id;
}

void IGraphicsLinux::TakeHandedKeys()
{
  std::unique_lock<std::mutex> lock(mThreadMutex);
  while (!mForwardedKeys.empty())
  {
    const ForwardedKey k = std::move(mForwardedKeys.front());
    mForwardedKeys.pop_front();
    mKeyInHand = k.mId;
    lock.unlock();
    const bool taken = HostKey(k.mKeysym, k.mText.c_str(), k.mShift, k.mControl);
    lock.lock();
    mKeyInHand = 0;
    mLastAnsweredId = k.mId;
    mLastAnswer = taken;
    mKeyAnswered.notify_all();
  }
}

// ---- What the loop calls ----

void IGraphicsLinux::OnTimer()
{
  if (!mDisplay) return;
  // Xlib may have read events into its queue during our own requests; the descriptor then stays
  // quiet, so the queue is looked at here too.
  OnXEvents();
  if (!mDisplay) return;
  ApplyScale();
  RedrawDirty();
  TooltipTick();
  static thread_local uint64_t lastReap = 0;
  const uint64_t now = x11::NowMs();
  if (now - lastReap > 1000)
  {
    desktop::ReapChildren();
    lastReap = now;
  }
  XFlush(D(mDisplay));
}

void IGraphicsLinux::OnXEvents()
{
  while (mDisplay && XPending(D(mDisplay)))
  {
    XEvent ev;
    XNextEvent(D(mDisplay), &ev);
    Dispatch(ev);
  }
  if (mDisplay) XFlush(D(mDisplay));
}
