#include "framework/vst3/VST3RunLoop.h"

#if SMTG_OS_LINUX

#include <algorithm>
#include <atomic>

using namespace Steinberg;

// The handler object the host sees for one of ours. The host may keep its reference past our
// unregistering (and call it once more): a detached link does nothing.
class VST3RunLoop::Link : public Linux::ITimerHandler, public Linux::IEventHandler
{
public:
  explicit Link(ITimer* timer) : mTimer(timer) {}
  explicit Link(IFileHandler* file) : mFile(file) {}
  virtual ~Link() = default;
  void Detach()
  {
    mTimer = nullptr;
    mFile = nullptr;
  }

  void PLUGIN_API onTimer() override
  {
    if (mTimer) mTimer->OnRunLoopTimer();
  }
  void PLUGIN_API onFDIsSet(Linux::FileDescriptor fd) override
  {
    if (mFile) mFile->OnRunLoopFile(fd);
  }

  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
  {
    if (!obj) return kInvalidArgument;
    if (FUnknownPrivate::iidEqual(iid, Linux::ITimerHandler::iid) ||
        FUnknownPrivate::iidEqual(iid, FUnknown::iid))
      *obj = static_cast<Linux::ITimerHandler*>(this);
    else if (FUnknownPrivate::iidEqual(iid, Linux::IEventHandler::iid))
      *obj = static_cast<Linux::IEventHandler*>(this);
    else
    {
      *obj = nullptr;
      return kNoInterface;
    }
    addRef();
    return kResultOk;
  }
  uint32 PLUGIN_API addRef() override { return ++mRefs; }
  uint32 PLUGIN_API release() override
  {
    const uint32 n = --mRefs;
    if (n == 0) delete this;
    return n;
  }

private:
  std::atomic<uint32> mRefs{1};
  ITimer* mTimer = nullptr;
  IFileHandler* mFile = nullptr;
};

std::unique_ptr<VST3RunLoop> VST3RunLoop::FromFrame(IPlugFrame* frame)
{
  Linux::IRunLoop* loop = nullptr;
  if (!frame ||
      frame->queryInterface(Linux::IRunLoop::iid, reinterpret_cast<void**>(&loop)) != kResultOk ||
      !loop)
    return nullptr;
  std::unique_ptr<VST3RunLoop> result(new VST3RunLoop(loop));
  loop->release(); // the adapter took its own reference
  return result;
}

VST3RunLoop::VST3RunLoop(Linux::IRunLoop* loop) : mLoop(loop)
{
  if (mLoop) mLoop->addRef();
}

VST3RunLoop::~VST3RunLoop()
{
  while (!mTimers.empty())
    UnregisterTimer(mTimers.back().first);
  while (!mFiles.empty())
    UnregisterFile(mFiles.back().first);
  if (mLoop) mLoop->release();
}

bool VST3RunLoop::RegisterTimer(ITimer* timer, int periodMs)
{
  if (!mLoop || !timer || periodMs < 1) return false;
  UnregisterTimer(timer);
  auto* link = new Link(timer);
  if (mLoop->registerTimer(link, static_cast<Linux::TimerInterval>(periodMs)) != kResultOk)
  {
    link->Detach();
    link->release();
    return false;
  }
  mTimers.push_back({timer, link});
  return true;
}

void VST3RunLoop::UnregisterTimer(ITimer* timer)
{
  auto it = std::find_if(mTimers.begin(), mTimers.end(),
                         [timer](const std::pair<ITimer*, Link*>& t) { return t.first == timer; });
  if (it == mTimers.end()) return;
  Link* link = it->second;
  mTimers.erase(it);
  mLoop->unregisterTimer(link);
  link->Detach();
  link->release();
}

bool VST3RunLoop::RegisterFile(IFileHandler* handler, int fd)
{
  if (!mLoop || !handler || fd < 0) return false;
  UnregisterFile(handler);
  auto* link = new Link(handler);
  if (mLoop->registerEventHandler(link, fd) != kResultOk)
  {
    link->Detach();
    link->release();
    return false;
  }
  mFiles.push_back({handler, link});
  return true;
}

void VST3RunLoop::UnregisterFile(IFileHandler* handler)
{
  auto it = std::find_if(mFiles.begin(), mFiles.end(),
                         [handler](const std::pair<IFileHandler*, Link*>& f)
                         { return f.first == handler; });
  if (it == mFiles.end()) return;
  Link* link = it->second;
  mFiles.erase(it);
  mLoop->unregisterEventHandler(link);
  link->Detach();
  link->release();
}

#endif
