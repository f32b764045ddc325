#pragma once
// Carries restartComponent requests to a moment when the host can take them: a timer on the
// host's run loop, so the call comes on the host's UI thread, between its own calls. A request
// may be made anywhere (inside a host's setParamNormalized, on the audio thread); calling the
// host back right there deadlocks some hosts (Ardour 7.3 inside its program change) and breaks
// the rule that restartComponent comes from the UI thread.
//
// Run loops: the one a host offers through its context (kept from initialize to terminate) and
// the ones the plug frames of editor views offer (kept while the frame is set). The timer lives
// on the first of them. A host that offers none never hears of the requests until it does: the
// requests wait, and the values themselves are current in getParamNormalized all along.
//
// Threads: Request from any thread (lock-free, allocation-free); everything else on the host's
// UI thread.
//
// Run loops are Linux's (Steinberg::Linux::IRunLoop). Windows has none: there the timer is a
// thread timer of the UI thread, started when the host hands over its component handler
// (DeferredRestartWin.cpp). Elsewhere the requests only wait until a platform's UI-thread moment
// delivers them.

#include <atomic>
#include <vector>

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#if SMTG_OS_LINUX
class DeferredRestart final : public Steinberg::Linux::ITimerHandler
#else
class DeferredRestart final : public Steinberg::FUnknown
#endif
{
public:
  // How often the timer looks for requests.
  static constexpr int kIntervalMs = 30;

  DeferredRestart();
  DeferredRestart(const DeferredRestart&) = delete;
  DeferredRestart& operator=(const DeferredRestart&) = delete;

  // Any thread: adds restartComponent flags to the next delivery.
  void Request(Steinberg::int32 flags) { mPending.fetch_or(flags, std::memory_order_relaxed); }
  Steinberg::int32 Pending() const { return mPending.load(std::memory_order_relaxed); }

  // Where deliveries go; null stops them (requests keep waiting).
  void SetHandler(Steinberg::Vst::IComponentHandler* handler);

#if SMTG_OS_LINUX
  // A run loop offered under a key (the host context, a view); a null loop withdraws the key's.
  void SetRunLoop(const void* key, Steinberg::Linux::IRunLoop* loop);
  void PLUGIN_API onTimer() override
  {
    Deliver();
  }
#endif
  // Unregisters the timer and lets go of every run loop.
  void Shutdown();

  // Delivers the waiting requests now (the timer's tick).
  void Deliver();

  DECLARE_FUNKNOWN_METHODS

private:
  ~DeferredRestart();

  std::atomic<Steinberg::int32> mPending{0};
  Steinberg::Vst::IComponentHandler* mHandler = nullptr;
#if SMTG_OS_LINUX
  void PlaceTimer();

  struct Loop
  {
    const void* key;
    Steinberg::Linux::IRunLoop* loop; // referenced
  };
  std::vector<Loop> mLoops;
  Steinberg::Linux::IRunLoop* mTimerLoop = nullptr; // the loop our timer is registered with
#elif defined(_WIN32)
  Steinberg::uint64 mTimer = 0; // the UI thread's timer, 0 when none runs
#endif
};
