#pragma once
// What a VST 3 host hands to a plug-in: the host application (with messages and attribute lists
// for split plug-ins' IConnectionPoint traffic), the component handler, a memory stream, and the
// parameter change queues of a process call. Written on pluginterfaces only.
//
// Threads: one host thread (the "UI thread") drives everything but process calls, which tests may
// make from a thread of their own; the component handler records from any thread.

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#if !SMTG_OS_LINUX
// Hosts on other systems offer no run loop; the hosting code keeps one signature everywhere.
namespace Steinberg::Linux
{
using IRunLoop = FUnknown;
}
#endif

namespace tarvo::vst3host
{

/// The name the host gives itself through IHostApplication::getName.
inline constexpr const char* kHostName = "Tarvo vst3host";

/// Marks the calling thread as inside a call the host makes into the plug-in, for as long as it
/// lives; what the plug-in calls back meanwhile is recorded as made inside the host's call.
class HostCallScope
{
public:
  HostCallScope();
  ~HostCallScope();
  HostCallScope(const HostCallScope&) = delete;
  HostCallScope& operator=(const HostCallScope&) = delete;
  static bool Inside();
};

#if SMTG_OS_LINUX
/// A run loop with timers, as a Linux host offers one (Steinberg::Linux::IRunLoop). Timers fire
/// only while the owner runs RunFor, on the owner's thread and outside any HostCallScope. Event
/// handlers are accepted and never called (there are no file descriptors to watch here).
class HostRunLoop : public Steinberg::Linux::IRunLoop
{
public:
  HostRunLoop();
  virtual ~HostRunLoop();
  Steinberg::tresult PLUGIN_API registerEventHandler(Steinberg::Linux::IEventHandler* handler,
                                                     Steinberg::Linux::FileDescriptor fd) override;
  Steinberg::tresult PLUGIN_API
  unregisterEventHandler(Steinberg::Linux::IEventHandler* handler) override;
  Steinberg::tresult PLUGIN_API
  registerTimer(Steinberg::Linux::ITimerHandler* handler,
                Steinberg::Linux::TimerInterval milliseconds) override;
  Steinberg::tresult PLUGIN_API unregisterTimer(Steinberg::Linux::ITimerHandler* handler) override;
  DECLARE_FUNKNOWN_METHODS

  /// Runs due timers for this long (at least one pass).
  void RunFor(std::chrono::milliseconds duration);
  size_t Timers() const { return mTimers.size(); }
  size_t EventHandlers() const { return mHandlers.size(); }

private:
  struct Timer
  {
    Steinberg::Linux::ITimerHandler* handler; // referenced
    std::chrono::milliseconds interval;
    std::chrono::steady_clock::time_point due;
  };
  std::vector<Timer> mTimers;
  std::vector<Steinberg::Linux::IEventHandler*> mHandlers; // referenced
};
#endif

/// IHostApplication: the host's name, and IMessage/IAttributeList objects on request; the run
/// loop, when one is offered, through queryInterface as some hosts do.
class HostApplication : public Steinberg::Vst::IHostApplication
{
public:
  HostApplication();
  virtual ~HostApplication();
  Steinberg::tresult PLUGIN_API getName(Steinberg::Vst::String128 name) override;
  Steinberg::tresult PLUGIN_API createInstance(Steinberg::TUID cid, Steinberg::TUID iid,
                                               void** obj) override;
  DECLARE_FUNKNOWN_METHODS

  /// Offered to the plug-in from now on (referenced); null offers none.
  void OfferRunLoop(Steinberg::Linux::IRunLoop* loop);

private:
  Steinberg::Linux::IRunLoop* mRunLoop = nullptr;
};

class HostAttributeList : public Steinberg::Vst::IAttributeList
{
public:
  HostAttributeList();
  virtual ~HostAttributeList();
  Steinberg::tresult PLUGIN_API setInt(AttrID id, Steinberg::int64 value) override;
  Steinberg::tresult PLUGIN_API getInt(AttrID id, Steinberg::int64& value) override;
  Steinberg::tresult PLUGIN_API setFloat(AttrID id, double value) override;
  Steinberg::tresult PLUGIN_API getFloat(AttrID id, double& value) override;
  Steinberg::tresult PLUGIN_API setString(AttrID id, const Steinberg::Vst::TChar* string) override;
  Steinberg::tresult PLUGIN_API getString(AttrID id, Steinberg::Vst::TChar* string,
                                          Steinberg::uint32 sizeInBytes) override;
  Steinberg::tresult PLUGIN_API setBinary(AttrID id, const void* data,
                                          Steinberg::uint32 sizeInBytes) override;
  Steinberg::tresult PLUGIN_API getBinary(AttrID id, const void*& data,
                                          Steinberg::uint32& sizeInBytes) override;
  DECLARE_FUNKNOWN_METHODS

private:
  std::map<std::string, Steinberg::int64> mInts;
  std::map<std::string, double> mFloats;
  std::map<std::string, std::basic_string<Steinberg::Vst::TChar>>
      mStrings; // UTF-16 (wchar_t on Windows)
  std::map<std::string, std::vector<char>> mBinaries;
};

class HostMessage : public Steinberg::Vst::IMessage
{
public:
  HostMessage();
  virtual ~HostMessage();
  Steinberg::FIDString PLUGIN_API getMessageID() override { return mId.c_str(); }
  void PLUGIN_API setMessageID(Steinberg::FIDString id) override { mId = id ? id : ""; }
  Steinberg::Vst::IAttributeList* PLUGIN_API getAttributes() override { return mAttributes; }
  DECLARE_FUNKNOWN_METHODS

private:
  std::string mId;
  HostAttributeList* mAttributes;
};

/// IComponentHandler (and IComponentHandler3's context menus): reports each call to an observer
/// (for the command line: a printed line). It offers no menu of its own: a context-menu request is
/// reported and answered with none.
class ComponentHandler : public Steinberg::Vst::IComponentHandler,
                         public Steinberg::Vst::IComponentHandler3
{
public:
  struct Event
  {
    enum Kind
    {
      kBeginEdit,
      kPerformEdit,
      kEndEdit,
      kRestart,
      kContextMenu
    } kind;
    Steinberg::Vst::ParamID id;  // contextMenu: kNoParamId when asked for no parameter
    double value;                // performEdit: the normalised value; restartComponent: the flags
    std::thread::id thread{};    // the thread the plug-in called from
    bool insideHostCall = false; // made while that thread was inside a call of the host's
  };
  using Observer = std::function<void(const Event&)>;

  explicit ComponentHandler(Observer observer = {});
  virtual ~ComponentHandler();
  Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override;
  Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id,
                                            Steinberg::Vst::ParamValue value) override;
  Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override;
  Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32 flags) override;
  Steinberg::Vst::IContextMenu* PLUGIN_API createContextMenu(
      Steinberg::IPlugView* plugView, const Steinberg::Vst::ParamID* paramID) override;
  DECLARE_FUNKNOWN_METHODS

  /// Every call so far, in order.
  std::vector<Event> Events() const;

private:
  void Report(Event event);
  Observer mObserver;
  mutable std::mutex mMutex;
  std::vector<Event> mEvents;
};

/// IBStream over a growable byte vector.
class MemoryStream : public Steinberg::IBStream
{
public:
  MemoryStream();
  explicit MemoryStream(std::vector<std::uint8_t> bytes);
  virtual ~MemoryStream();
  Steinberg::tresult PLUGIN_API read(void* buffer, Steinberg::int32 numBytes,
                                     Steinberg::int32* numBytesRead) override;
  Steinberg::tresult PLUGIN_API write(void* buffer, Steinberg::int32 numBytes,
                                      Steinberg::int32* numBytesWritten) override;
  Steinberg::tresult PLUGIN_API seek(Steinberg::int64 pos, Steinberg::int32 mode,
                                     Steinberg::int64* result) override;
  Steinberg::tresult PLUGIN_API tell(Steinberg::int64* pos) override;
  DECLARE_FUNKNOWN_METHODS

  const std::vector<std::uint8_t>& Bytes() const { return mBytes; }

private:
  std::vector<std::uint8_t> mBytes;
  std::int64_t mPosition = 0;
};

/// One parameter's queue of points in a process call.
class ParamValueQueue : public Steinberg::Vst::IParamValueQueue
{
public:
  explicit ParamValueQueue(Steinberg::Vst::ParamID id);
  virtual ~ParamValueQueue();
  Steinberg::Vst::ParamID PLUGIN_API getParameterId() override { return mId; }
  Steinberg::int32 PLUGIN_API getPointCount() override;
  Steinberg::tresult PLUGIN_API getPoint(Steinberg::int32 index, Steinberg::int32& sampleOffset,
                                         Steinberg::Vst::ParamValue& value) override;
  Steinberg::tresult PLUGIN_API addPoint(Steinberg::int32 sampleOffset,
                                         Steinberg::Vst::ParamValue value,
                                         Steinberg::int32& index) override;
  DECLARE_FUNKNOWN_METHODS

private:
  Steinberg::Vst::ParamID mId;
  std::vector<std::pair<Steinberg::int32, Steinberg::Vst::ParamValue>> mPoints;
};

/// The parameter changes of one process call: one queue per parameter, in the order added.
class ParameterChanges : public Steinberg::Vst::IParameterChanges
{
public:
  ParameterChanges();
  virtual ~ParameterChanges();
  Steinberg::int32 PLUGIN_API getParameterCount() override;
  Steinberg::Vst::IParamValueQueue* PLUGIN_API getParameterData(Steinberg::int32 index) override;
  Steinberg::Vst::IParamValueQueue* PLUGIN_API addParameterData(const Steinberg::Vst::ParamID& id,
                                                                Steinberg::int32& index) override;
  DECLARE_FUNKNOWN_METHODS

  /// Appends a point to the parameter's queue (created on first use).
  void Add(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue value,
           Steinberg::int32 sampleOffset = 0);
  void Clear();

private:
  std::vector<ParamValueQueue*> mQueues; // referenced
};

/// The input events of one process call, in the order added.
class EventList : public Steinberg::Vst::IEventList
{
public:
  EventList();
  virtual ~EventList();
  Steinberg::int32 PLUGIN_API getEventCount() override;
  Steinberg::tresult PLUGIN_API getEvent(Steinberg::int32 index, Steinberg::Vst::Event& e) override;
  Steinberg::tresult PLUGIN_API addEvent(Steinberg::Vst::Event& e) override;
  DECLARE_FUNKNOWN_METHODS

  void Clear() { mEvents.clear(); }

private:
  std::vector<Steinberg::Vst::Event> mEvents;
};

/// Narrows a UTF-16 string to 8 bits (non-ASCII characters become '?').
std::string ToUtf8(const Steinberg::Vst::TChar* text, size_t maxLength = 128);
/// Widens ASCII/UTF-8 text into a 128-unit UTF-16 buffer.
void ToString128(const std::string& text, Steinberg::Vst::String128 out);

} // namespace tarvo::vst3host
