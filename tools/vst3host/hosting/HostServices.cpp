#include "tools/vst3host/hosting/HostServices.h"

#include <algorithm>
#include <cstring>

namespace tarvo::vst3host
{

using namespace Steinberg;
using namespace Steinberg::Vst;

std::string ToUtf8(const TChar* text, size_t maxLength)
{
  std::string out;
  if (!text) return out;
  for (size_t i = 0; i < maxLength && text[i]; ++i)
    out.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
  return out;
}

void ToString128(const std::string& text, String128 out)
{
  size_t n = std::min<size_t>(text.size(), 127);
  for (size_t i = 0; i < n; ++i)
    out[i] = static_cast<unsigned char>(text[i]);
  out[n] = 0;
}

// --- HostCallScope ---

namespace
{
thread_local int tHostCallDepth = 0;
} // namespace

HostCallScope::HostCallScope()
{
  ++tHostCallDepth;
}
HostCallScope::~HostCallScope()
{
  --tHostCallDepth;
}
bool HostCallScope::Inside()
{
  return tHostCallDepth > 0;
}

#if SMTG_OS_LINUX
// --- HostRunLoop ---

HostRunLoop::HostRunLoop()
{
  FUNKNOWN_CTOR
}
HostRunLoop::~HostRunLoop()
{
  for (Timer& t : mTimers)
    t.handler->release();
  for (Linux::IEventHandler* h : mHandlers)
    h->release();
  FUNKNOWN_DTOR
}
IMPLEMENT_FUNKNOWN_METHODS(HostRunLoop, Linux::IRunLoop, Linux::IRunLoop::iid)

tresult PLUGIN_API HostRunLoop::registerEventHandler(Linux::IEventHandler* handler,
                                                     Linux::FileDescriptor fd)
{
  if (!handler || fd < 0) return kInvalidArgument;
  handler->addRef();
  mHandlers.push_back(handler);
  return kResultOk;
}

tresult PLUGIN_API HostRunLoop::unregisterEventHandler(Linux::IEventHandler* handler)
{
  auto it = std::find(mHandlers.begin(), mHandlers.end(), handler);
  if (it == mHandlers.end()) return kResultFalse;
  (*it)->release();
  mHandlers.erase(it);
  return kResultOk;
}

tresult PLUGIN_API HostRunLoop::registerTimer(Linux::ITimerHandler* handler,
                                              Linux::TimerInterval milliseconds)
{
  if (!handler || milliseconds == 0) return kInvalidArgument;
  handler->addRef();
  const std::chrono::milliseconds interval(milliseconds);
  mTimers.push_back({handler, interval, std::chrono::steady_clock::now() + interval});
  return kResultOk;
}

tresult PLUGIN_API HostRunLoop::unregisterTimer(Linux::ITimerHandler* handler)
{
  for (auto it = mTimers.begin(); it != mTimers.end(); ++it)
    if (it->handler == handler)
    {
      it->handler->release();
      mTimers.erase(it);
      return kResultOk;
    }
  return kResultFalse;
}

void HostRunLoop::RunFor(std::chrono::milliseconds duration)
{
  const auto end = std::chrono::steady_clock::now() + duration;
  do
  {
    const auto now = std::chrono::steady_clock::now();
    // A handler may unregister timers while it runs: each pass works on a referenced copy.
    std::vector<Linux::ITimerHandler*> due;
    for (Timer& t : mTimers)
      if (t.due <= now)
      {
        t.due = now + t.interval;
        t.handler->addRef();
        due.push_back(t.handler);
      }
    for (Linux::ITimerHandler* h : due)
    {
      h->onTimer();
      h->release();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  } while (std::chrono::steady_clock::now() < end);
}

#endif

// --- HostApplication ---

HostApplication::HostApplication()
{
  FUNKNOWN_CTOR
}
HostApplication::~HostApplication()
{
  OfferRunLoop(nullptr);
  FUNKNOWN_DTOR
}
IMPLEMENT_REFCOUNT(HostApplication)

tresult PLUGIN_API HostApplication::queryInterface(const TUID iid, void** obj)
{
  QUERY_INTERFACE(iid, obj, FUnknown::iid, IHostApplication)
  QUERY_INTERFACE(iid, obj, IHostApplication::iid, IHostApplication)
#if SMTG_OS_LINUX
  if (mRunLoop && FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid))
  {
    mRunLoop->addRef();
    *obj = mRunLoop;
    return kResultOk;
  }
#endif
  *obj = nullptr;
  return kNoInterface;
}

void HostApplication::OfferRunLoop(Linux::IRunLoop* loop)
{
  if (loop) loop->addRef();
  if (mRunLoop) mRunLoop->release();
  mRunLoop = loop;
}

tresult PLUGIN_API HostApplication::getName(String128 name)
{
  if (!name) return kInvalidArgument;
  ToString128(kHostName, name);
  return kResultOk;
}

tresult PLUGIN_API HostApplication::createInstance(TUID cid, TUID iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  *obj = nullptr;
  if (FUnknownPrivate::iidEqual(cid, IMessage::iid) &&
      FUnknownPrivate::iidEqual(iid, IMessage::iid))
  {
    *obj = static_cast<IMessage*>(new HostMessage);
    return kResultOk;
  }
  if (FUnknownPrivate::iidEqual(cid, IAttributeList::iid) &&
      FUnknownPrivate::iidEqual(iid, IAttributeList::iid))
  {
    *obj = static_cast<IAttributeList*>(new HostAttributeList);
    return kResultOk;
  }
  return kResultFalse;
}

// --- HostAttributeList ---

HostAttributeList::HostAttributeList()
{
  FUNKNOWN_CTOR
}
HostAttributeList::~HostAttributeList()
{
  FUNKNOWN_DTOR
}
IMPLEMENT_FUNKNOWN_METHODS(HostAttributeList, IAttributeList, IAttributeList::iid)

tresult PLUGIN_API HostAttributeList::setInt(AttrID id, int64 value)
{
  if (!id) return kInvalidArgument;
  mInts[id] = value;
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::getInt(AttrID id, int64& value)
{
  auto it = id ? mInts.find(id) : mInts.end();
  if (it == mInts.end()) return kResultFalse;
  value = it->second;
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::setFloat(AttrID id, double value)
{
  if (!id) return kInvalidArgument;
  mFloats[id] = value;
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::getFloat(AttrID id, double& value)
{
  auto it = id ? mFloats.find(id) : mFloats.end();
  if (it == mFloats.end()) return kResultFalse;
  value = it->second;
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::setString(AttrID id, const TChar* string)
{
  if (!id || !string) return kInvalidArgument;
  mStrings[id] = std::basic_string<Steinberg::Vst::TChar>(string);
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::getString(AttrID id, TChar* string, uint32 sizeInBytes)
{
  auto it = id ? mStrings.find(id) : mStrings.end();
  if (it == mStrings.end() || !string || sizeInBytes < sizeof(TChar)) return kResultFalse;
  size_t units = std::min<size_t>(it->second.size(), sizeInBytes / sizeof(TChar) - 1);
  std::memcpy(string, it->second.data(), units * sizeof(TChar));
  string[units] = 0;
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::setBinary(AttrID id, const void* data, uint32 sizeInBytes)
{
  if (!id || (!data && sizeInBytes)) return kInvalidArgument;
  const char* bytes = static_cast<const char*>(data);
  mBinaries[id] = std::vector<char>(bytes, bytes + sizeInBytes);
  return kResultOk;
}

tresult PLUGIN_API HostAttributeList::getBinary(AttrID id, const void*& data, uint32& sizeInBytes)
{
  auto it = id ? mBinaries.find(id) : mBinaries.end();
  if (it == mBinaries.end()) return kResultFalse;
  data = it->second.data();
  sizeInBytes = static_cast<uint32>(it->second.size());
  return kResultOk;
}

// --- HostMessage ---

HostMessage::HostMessage() : mAttributes(new HostAttributeList)
{
  FUNKNOWN_CTOR
}
HostMessage::~HostMessage()
{
  mAttributes->release();
  FUNKNOWN_DTOR
}
IMPLEMENT_FUNKNOWN_METHODS(HostMessage, IMessage, IMessage::iid)

// --- ComponentHandler ---

ComponentHandler::ComponentHandler(Observer observer) : mObserver(std::move(observer))
{
  FUNKNOWN_CTOR
}

ComponentHandler::~ComponentHandler()
{
  FUNKNOWN_DTOR
}

IMPLEMENT_REFCOUNT(ComponentHandler)

tresult PLUGIN_API ComponentHandler::queryInterface(const TUID iid, void** obj)
{
  QUERY_INTERFACE(iid, obj, FUnknown::iid, IComponentHandler)
  QUERY_INTERFACE(iid, obj, IComponentHandler::iid, IComponentHandler)
  QUERY_INTERFACE(iid, obj, IComponentHandler3::iid, IComponentHandler3)
  *obj = nullptr;
  return kNoInterface;
}

void ComponentHandler::Report(Event event)
{
  event.thread = std::this_thread::get_id();
  event.insideHostCall = HostCallScope::Inside();
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mEvents.push_back(event);
  }
  if (mObserver) mObserver(event);
}

std::vector<ComponentHandler::Event> ComponentHandler::Events() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mEvents;
}

tresult PLUGIN_API ComponentHandler::beginEdit(ParamID id)
{
  Report({Event::kBeginEdit, id, 0.0});
  return kResultOk;
}

tresult PLUGIN_API ComponentHandler::performEdit(ParamID id, ParamValue value)
{
  Report({Event::kPerformEdit, id, value});
  return kResultOk;
}

tresult PLUGIN_API ComponentHandler::endEdit(ParamID id)
{
  Report({Event::kEndEdit, id, 0.0});
  return kResultOk;
}

tresult PLUGIN_API ComponentHandler::restartComponent(int32 flags)
{
  Report({Event::kRestart, 0, static_cast<double>(flags)});
  return kResultOk;
}

IContextMenu* PLUGIN_API ComponentHandler::createContextMenu(IPlugView*, const ParamID* paramID)
{
  Report({Event::kContextMenu, paramID ? *paramID : kNoParamId, 0.0});
  return nullptr;
}

// --- EventList ---

EventList::EventList()
{
  FUNKNOWN_CTOR
}
EventList::~EventList()
{
  FUNKNOWN_DTOR
}
IMPLEMENT_FUNKNOWN_METHODS(EventList, IEventList, IEventList::iid)

int32 PLUGIN_API EventList::getEventCount()
{
  return static_cast<int32>(mEvents.size());
}

tresult PLUGIN_API EventList::getEvent(int32 index, Event& e)
{
  if (index < 0 || index >= getEventCount()) return kInvalidArgument;
  e = mEvents[static_cast<size_t>(index)];
  return kResultOk;
}

tresult PLUGIN_API EventList::addEvent(Event& e)
{
  mEvents.push_back(e);
  return kResultOk;
}

// --- MemoryStream ---

MemoryStream::MemoryStream()
{
  FUNKNOWN_CTOR
}
MemoryStream::MemoryStream(std::vector<std::uint8_t> bytes) : mBytes(std::move(bytes))
{
  FUNKNOWN_CTOR
}
MemoryStream::~MemoryStream()
{
  FUNKNOWN_DTOR
}
IMPLEMENT_FUNKNOWN_METHODS(MemoryStream, IBStream, IBStream::iid)

tresult PLUGIN_API MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead)
{
  if (numBytesRead) *numBytesRead = 0;
  if (numBytes < 0 || (!buffer && numBytes > 0)) return kInvalidArgument;
  const std::int64_t available = static_cast<std::int64_t>(mBytes.size()) - mPosition;
  const int32 n =
      static_cast<int32>(std::max<std::int64_t>(0, std::min<std::int64_t>(numBytes, available)));
  if (n > 0) std::memcpy(buffer, mBytes.data() + mPosition, static_cast<size_t>(n));
  mPosition += n;
  if (numBytesRead) *numBytesRead = n;
  // Like the SDK's MemoryStream: reading at the end is no error; the count tells.
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten)
{
  if (numBytesWritten) *numBytesWritten = 0;
  if (numBytes < 0 || (!buffer && numBytes > 0)) return kInvalidArgument;
  const size_t end = static_cast<size_t>(mPosition) + static_cast<size_t>(numBytes);
  if (end > mBytes.size()) mBytes.resize(end);
  if (numBytes > 0) std::memcpy(mBytes.data() + mPosition, buffer, static_cast<size_t>(numBytes));
  mPosition = static_cast<std::int64_t>(end);
  if (numBytesWritten) *numBytesWritten = numBytes;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::seek(int64 pos, int32 mode, int64* result)
{
  std::int64_t base = 0;
  switch (mode)
  {
  case kIBSeekSet:
    base = 0;
    break;
  case kIBSeekCur:
    base = mPosition;
    break;
  case kIBSeekEnd:
    base = static_cast<std::int64_t>(mBytes.size());
    break;
  default:
    return kInvalidArgument;
  }
  const std::int64_t target = base + pos;
  if (target < 0) return kInvalidArgument;
  mPosition = target;
  if (result) *result = mPosition;
  return kResultOk;
}

tresult PLUGIN_API MemoryStream::tell(int64* pos)
{
  if (!pos) return kInvalidArgument;
  *pos = mPosition;
  return kResultOk;
}

// --- ParamValueQueue ---

ParamValueQueue::ParamValueQueue(ParamID id) : mId(id)
{
  FUNKNOWN_CTOR
}
ParamValueQueue::~ParamValueQueue()
{
  FUNKNOWN_DTOR
}
IMPLEMENT_FUNKNOWN_METHODS(ParamValueQueue, IParamValueQueue, IParamValueQueue::iid)

int32 PLUGIN_API ParamValueQueue::getPointCount()
{
  return static_cast<int32>(mPoints.size());
}

tresult PLUGIN_API ParamValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
  if (index < 0 || index >= getPointCount()) return kResultFalse;
  sampleOffset = mPoints[static_cast<size_t>(index)].first;
  value = mPoints[static_cast<size_t>(index)].second;
  return kResultOk;
}

tresult PLUGIN_API ParamValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
  // Points stay ordered by sample offset; a point at an existing offset replaces it.
  auto it = std::lower_bound(mPoints.begin(), mPoints.end(), sampleOffset,
                             [](const auto& point, int32 offset) { return point.first < offset; });
  if (it != mPoints.end() && it->first == sampleOffset)
    it->second = value;
  else
    it = mPoints.insert(it, {sampleOffset, value});
  index = static_cast<int32>(it - mPoints.begin());
  return kResultOk;
}

// --- ParameterChanges ---

ParameterChanges::ParameterChanges()
{
  FUNKNOWN_CTOR
}
ParameterChanges::~ParameterChanges()
{
  Clear();
  FUNKNOWN_DTOR
}
IMPLEMENT_FUNKNOWN_METHODS(ParameterChanges, IParameterChanges, IParameterChanges::iid)

int32 PLUGIN_API ParameterChanges::getParameterCount()
{
  return static_cast<int32>(mQueues.size());
}

IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index)
{
  if (index < 0 || index >= getParameterCount()) return nullptr;
  return mQueues[static_cast<size_t>(index)];
}

IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const ParamID& id, int32& index)
{
  for (size_t i = 0; i < mQueues.size(); ++i)
  {
    if (mQueues[i]->getParameterId() == id)
    {
      index = static_cast<int32>(i);
      return mQueues[i];
    }
  }
  mQueues.push_back(new ParamValueQueue(id));
  index = static_cast<int32>(mQueues.size() - 1);
  return mQueues.back();
}

void ParameterChanges::Add(ParamID id, ParamValue value, int32 sampleOffset)
{
  int32 index = 0;
  int32 pointIndex = 0;
  if (IParamValueQueue* queue = addParameterData(id, index))
    queue->addPoint(sampleOffset, value, pointIndex);
}

void ParameterChanges::Clear()
{
  for (ParamValueQueue* queue : mQueues)
    queue->release();
  mQueues.clear();
}

} // namespace tarvo::vst3host
