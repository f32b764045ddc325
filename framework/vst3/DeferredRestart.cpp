#include "framework/vst3/DeferredRestart.h"

using namespace Steinberg;

DeferredRestart::DeferredRestart()
{
  FUNKNOWN_CTOR
}

DeferredRestart::~DeferredRestart()
{
  Shutdown();
  FUNKNOWN_DTOR
}

#if SMTG_OS_LINUX
IMPLEMENT_FUNKNOWN_METHODS(DeferredRestart, Linux::ITimerHandler, Linux::ITimerHandler::iid)

void DeferredRestart::SetRunLoop(const void* key, Linux::IRunLoop* loop)
{
  for (auto it = mLoops.begin(); it != mLoops.end(); ++it)
    if (it->key == key)
    {
      if (it->loop == loop) return;
      if (mTimerLoop == it->loop)
      {
        mTimerLoop->unregisterTimer(this);
        mTimerLoop = nullptr;
      }
      it->loop->release();
      mLoops.erase(it);
      break;
    }
  if (loop)
  {
    loop->addRef();
    mLoops.push_back({key, loop});
  }
  PlaceTimer();
}

void DeferredRestart::PlaceTimer()
{
  if (mTimerLoop || mLoops.empty()) return;
  for (const Loop& l : mLoops)
    if (l.loop->registerTimer(this, kIntervalMs) == kResultOk)
    {
      mTimerLoop = l.loop;
      return;
    }
}

void DeferredRestart::Shutdown()
{
  if (mTimerLoop) mTimerLoop->unregisterTimer(this);
  mTimerLoop = nullptr;
  for (const Loop& l : mLoops)
    l.loop->release();
  mLoops.clear();
  mHandler = nullptr;
}

void DeferredRestart::SetHandler(Vst::IComponentHandler* handler)
{
  mHandler = handler;
}
#elif !defined(_WIN32) // Windows: DeferredRestartWin.cpp
IMPLEMENT_FUNKNOWN_METHODS(DeferredRestart, FUnknown, FUnknown::iid)

void DeferredRestart::SetHandler(Vst::IComponentHandler* handler)
{
  mHandler = handler;
}

void DeferredRestart::Shutdown()
{
  mHandler = nullptr;
}
#endif

void DeferredRestart::Deliver()
{
  if (!mHandler || mPending.load(std::memory_order_relaxed) == 0) return;
  const int32 flags = mPending.exchange(0, std::memory_order_relaxed);
  if (flags) mHandler->restartComponent(flags);
}
