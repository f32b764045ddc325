// Windows: a thread timer of the host's UI thread (the thread that hands over the component
// handler), which the UI thread's message loop runs. A thread timer's callback gets only the
// timer's id, so the module keeps a small table of id -> instance under its own lock.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <mutex>
#include <utility>
#include <vector>

#include "framework/vst3/DeferredRestart.h"

using namespace Steinberg;

namespace
{
std::mutex& TimersLock()
{
  static std::mutex lock;
  return lock;
}
std::vector<std::pair<UINT_PTR, DeferredRestart*>>& Timers()
{
  static std::vector<std::pair<UINT_PTR, DeferredRestart*>> timers;
  return timers;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD)
{
  DeferredRestart* target = nullptr;
  {
    std::lock_guard<std::mutex> guard(TimersLock());
    for (const auto& t : Timers())
      if (t.first == id) target = t.second;
  }
  // Deliver runs on this (the UI) thread, which is also the only one that stops the timer.
  if (target) target->Deliver();
}
} // namespace

IMPLEMENT_FUNKNOWN_METHODS(DeferredRestart, FUnknown, FUnknown::iid)

void DeferredRestart::SetHandler(Vst::IComponentHandler* handler)
{
  mHandler = handler;
  if (!handler || mTimer) return;
  const UINT_PTR id = SetTimer(nullptr, 0, kIntervalMs, &OnTimer);
  if (!id) return;
  mTimer = id;
  std::lock_guard<std::mutex> guard(TimersLock());
  Timers().emplace_back(id, this);
}

void DeferredRestart::Shutdown()
{
  if (mTimer)
  {
    KillTimer(nullptr, static_cast<UINT_PTR>(mTimer));
    std::lock_guard<std::mutex> guard(TimersLock());
    auto& timers = Timers();
    for (auto it = timers.begin(); it != timers.end(); ++it)
      if (it->first == mTimer)
      {
        timers.erase(it);
        break;
      }
    mTimer = 0;
  }
  mHandler = nullptr;
}
