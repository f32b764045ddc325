// The editor view of IVST3Plugin, on a plug-in whose editor has no window (the headless engine):
// which views exist, what the host is told, and which plug-in hooks run when.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/platform/headless/IGraphicsHeadless.h"
#include "framework/vst3/IVST3Plugin.h"
#include "framework/vst3/IVST3View.h"
#include "framework/vst3/VST3RunLoop.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

using namespace Steinberg;

namespace
{

class ViewPlug : public IVST3Plugin
{
public:
  explicit ViewPlug(bool withEditor)
      : IVST3Plugin(IInstanceInfo(), 1, "1-1", 1, "ViewPlug", "", "Tarvo Tests", 0x00010000, 1, 2,
                    0, false, false, false, 0)
  {
    GetParam(0)->InitDouble("Gain", 0.0, -1.0, 1.0, 0.01);
    if (!withEditor) return;
    mGraphics = new IGraphicsHeadless(this, 120, 80);
    mGraphics->AttachPanelBackground(&COLOR_GRAY);
    AttachGraphics(mGraphics);
  }
  void OnGUIOpen() override { ++mOpened; }
  void OnGUIClose() override { ++mClosed; }
  void OnWindowResize() override { ++mResized; }

  IGraphicsHeadless* mGraphics = nullptr;
  int mOpened = 0, mClosed = 0, mResized = 0;
};

// A headless engine that records what the view hands it.
class RecordingGraphics : public IGraphicsHeadless
{
public:
  using IGraphicsHeadless::IGraphicsHeadless;
  bool OnForwardedKey(const IForwardedKey& key) override
  {
    mKeys.push_back(key);
    return mTakeKeys;
  }
  void SetHostRunLoop(IHostRunLoop* loop) override { mLoop = loop; }

  std::vector<IForwardedKey> mKeys;
  bool mTakeKeys = true;
  IHostRunLoop* mLoop = nullptr;
};

class RecordingPlug : public IVST3Plugin
{
public:
  RecordingPlug()
      : IVST3Plugin(IInstanceInfo(), 1, "1-1", 1, "KeyPlug", "", "Tarvo Tests", 0x00010000, 1, 2, 0,
                    false, false, false, 0)
  {
    GetParam(0)->InitDouble("Gain", 0.0, -1.0, 1.0, 0.01);
    mGraphics = new RecordingGraphics(this, 120, 80);
    AttachGraphics(mGraphics);
  }
  RecordingGraphics* mGraphics;
};

// A host run loop that keeps a reference on every handler while registered, as hosts do.
class HostLoop : public Linux::IRunLoop
{
public:
  tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* handler,
                                          Linux::FileDescriptor fd) override
  {
    if (mRefuse) return kResultFalse;
    handler->addRef();
    mHandlers.push_back({handler, fd});
    return kResultOk;
  }
  tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* handler) override
  {
    return Remove(mHandlers, handler);
  }
  tresult PLUGIN_API registerTimer(Linux::ITimerHandler* handler, Linux::TimerInterval ms) override
  {
    if (mRefuse) return kResultFalse;
    handler->addRef();
    mTimers.push_back({handler, ms});
    return kResultOk;
  }
  tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* handler) override
  {
    return Remove(mTimers, handler);
  }
  tresult PLUGIN_API queryInterface(const TUID, void** obj) override
  {
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return ++mRefs; }
  uint32 PLUGIN_API release() override { return --mRefs; }

  template <class H, class T> static tresult Remove(std::vector<std::pair<H*, T>>& list, H* h)
  {
    for (auto it = list.begin(); it != list.end(); ++it)
      if (it->first == h)
      {
        h->release();
        list.erase(it);
        return kResultOk;
      }
    return kResultFalse;
  }

  std::vector<std::pair<Linux::IEventHandler*, Linux::FileDescriptor>> mHandlers;
  std::vector<std::pair<Linux::ITimerHandler*, Linux::TimerInterval>> mTimers;
  uint32 mRefs = 1;
  bool mRefuse = false;
};

struct Counter : IHostRunLoop::ITimer, IHostRunLoop::IFileHandler
{
  void OnRunLoopTimer() override { ++mTicks; }
  void OnRunLoopFile(int fd) override { mFiles.push_back(fd); }
  int mTicks = 0;
  std::vector<int> mFiles;
};

class Frame : public IPlugFrame
{
public:
  tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override
  {
    mView = view;
    mRect = *newSize;
    ++mCalls;
    return mAnswer;
  }
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override
  {
    if (mLoop && FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid))
    {
      mLoop->addRef();
      *obj = static_cast<Linux::IRunLoop*>(mLoop);
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return 1; }
  uint32 PLUGIN_API release() override { return 1; }

  HostLoop* mLoop = nullptr; // offered when set
  IPlugView* mView = nullptr;
  ViewRect mRect;
  int mCalls = 0;
  tresult mAnswer = kResultOk;
};

// A parent window id for the windowless engine, which ignores it (the view counts as attached
// only with one).
void* const kParent = reinterpret_cast<void*>(0x1234);

uint32 RefCount(IVST3Plugin* plug)
{
  auto* object = static_cast<Vst::IAudioProcessor*>(plug);
  object->addRef();
  return object->release();
}

std::string Str(const ViewRect& r)
{
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
         " " + std::to_string(r.bottom);
}

TEST(VST3View, OnlyTheEditorNameMakesAView)
{
  auto* plug = new ViewPlug(true);
  const uint32 refs = RefCount(plug);
  EXPECT_EQ(nullptr, plug->createView("Editor"));
  EXPECT_EQ(nullptr, plug->createView(nullptr));
  EXPECT_EQ(refs, RefCount(plug));

  IPlugView* a = plug->createView("editor");
  IPlugView* b = plug->createView("editor");
  ASSERT_NE(nullptr, a);
  EXPECT_EQ(2u, plug->NViews());
  EXPECT_EQ(refs + 2, RefCount(plug));
  a->release();
  EXPECT_EQ(1u, plug->NViews());
  // After terminate the list is empty: a view destroyed then finds nothing to remove.
  plug->terminate();
  EXPECT_EQ(0u, plug->NViews());
  b->release();
  EXPECT_EQ(refs, RefCount(plug));
  plug->release();
}

TEST(VST3View, PlatformTypesSizeAndHooks)
{
  auto* plug = new ViewPlug(true);
  IPlugView* view = plug->createView("editor");
  EXPECT_EQ(kResultTrue, view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID));
  EXPECT_EQ(kResultFalse, view->isPlatformTypeSupported(kPlatformTypeNSView));
  EXPECT_EQ(kResultFalse, view->isPlatformTypeSupported(kPlatformTypeHIView));
  EXPECT_EQ(kResultFalse, view->canResize());
  ViewRect size;
  ASSERT_EQ(kResultOk, view->getSize(&size));
  EXPECT_EQ("0 0 120 80", Str(size));

  // Attach and removal may repeat; each opens and closes the engine's window.
  for (int i = 1; i <= 2; ++i)
  {
    ASSERT_EQ(kResultOk, view->attached(nullptr, kPlatformTypeX11EmbedWindowID));
    EXPECT_TRUE(plug->mGraphics->WindowIsOpen());
    EXPECT_EQ(i, plug->mOpened);
    ASSERT_EQ(kResultOk, view->removed());
    EXPECT_FALSE(plug->mGraphics->WindowIsOpen());
    EXPECT_EQ(i, plug->mClosed);
  }

  // A content scale of 2 doubles what the host is told.
  IPlugViewContentScaleSupport* scale = nullptr;
  ASSERT_EQ(kResultOk, view->queryInterface(IPlugViewContentScaleSupport::iid,
                                            reinterpret_cast<void**>(&scale)));
  scale->setContentScaleFactor(2.0f);
  view->getSize(&size);
  EXPECT_EQ("0 0 240 160", Str(size));
  scale->release();
  view->release();
  plug->release();

  // Without an editor nothing is supported and nothing opens.
  auto* bare = new ViewPlug(false);
  IPlugView* none = bare->createView("editor");
  EXPECT_EQ(kResultFalse, none->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID));
  EXPECT_EQ(kResultFalse, none->attached(nullptr, kPlatformTypeX11EmbedWindowID));
  EXPECT_EQ(kResultFalse, none->getSize(&size));
  EXPECT_EQ(kResultOk, none->removed());
  EXPECT_EQ(0, bare->mOpened + bare->mClosed);
  none->release();
  bare->release();
}

TEST(VST3View, EditorResizeGoesThroughTheFrame)
{
  auto* plug = new ViewPlug(true);
  IPlugView* view = plug->createView("editor");
  Frame frame;
  view->setFrame(&frame);
  ViewRect hostSize(0, 0, 300, 200);
  EXPECT_EQ(kResultOk, view->onSize(&hostSize)); // the host's own size: no resize hook
  EXPECT_EQ(kResultOk, view->onSize(nullptr));
  EXPECT_EQ(0, plug->mResized);

  plug->ResizeGraphics(150, 90);
  EXPECT_EQ(1, frame.mCalls);
  EXPECT_EQ(view, frame.mView);
  EXPECT_EQ("0 0 150 90", Str(frame.mRect));
  EXPECT_EQ(0, plug->mResized);
  view->onSize(&frame.mRect);
  EXPECT_EQ(1, plug->mResized);
  view->onSize(&frame.mRect); // once per request
  EXPECT_EQ(1, plug->mResized);
  view->setFrame(nullptr);
  view->release();
  plug->release();
}

TEST(VST3View, ContentScaleResizesAnOpenEditor)
{
  auto* plug = new ViewPlug(true);
  IPlugView* view = plug->createView("editor");
  Frame frame;
  view->setFrame(&frame);
  IPlugViewContentScaleSupport* scale = nullptr;
  ASSERT_EQ(kResultOk, view->queryInterface(IPlugViewContentScaleSupport::iid,
                                            reinterpret_cast<void**>(&scale)));
  ASSERT_EQ(kResultOk, view->attached(kParent, kPlatformTypeX11EmbedWindowID));
  scale->setContentScaleFactor(1.5f); // any scale: device pixels follow it
  EXPECT_EQ(1, frame.mCalls);
  EXPECT_EQ("0 0 180 120", Str(frame.mRect));
  scale->setContentScaleFactor(2.0f);
  EXPECT_EQ(2, frame.mCalls);
  EXPECT_EQ("0 0 240 160", Str(frame.mRect));
  scale->setContentScaleFactor(2.0f);
  EXPECT_EQ(2, frame.mCalls);
  scale->setContentScaleFactor(7.0f); // beyond what the images are drawn for
  EXPECT_EQ(3, frame.mCalls);
  EXPECT_EQ("0 0 360 240", Str(frame.mRect));
  scale->setContentScaleFactor(2.0f);
  // An editor-initiated resize asks for device pixels too.
  plug->ResizeGraphics(130, 90);
  EXPECT_EQ("0 0 260 180", Str(frame.mRect));
  view->removed();
  scale->release();
  view->setFrame(nullptr);
  view->release();
  plug->release();
}

// The user's zoom: read from the user's preferences when the host asks for a view, so getSize
// already reports it; a change asks the plug frame, and a frame that refuses changes nothing.
TEST(VST3View, ZoomIsReadForEachViewAndAskedOfTheFrame)
{
  char tmpl[] = "/tmp/tarvo-view-zoom-XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(tmpl));
  const std::string home = tmpl;
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string savedHome = saved ? saved : "";
  setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  mkdir((home + "/Tarvo Tests").c_str(), 0700);
  const std::string file = home + "/Tarvo Tests/ViewPlug.conf";
  std::ofstream(file) << "zoom=200\n";

  auto* plug = new ViewPlug(true);
  IPlugView* view = plug->createView("editor");
  ViewRect size;
  view->getSize(&size);
  EXPECT_EQ("0 0 240 160", Str(size));

  Frame frame;
  view->setFrame(&frame);
  ASSERT_EQ(kResultOk, view->attached(kParent, kPlatformTypeX11EmbedWindowID));
  EXPECT_TRUE(plug->mGraphics->ChooseZoom(100));
  EXPECT_EQ(1, frame.mCalls);
  EXPECT_EQ(view, frame.mView);
  EXPECT_EQ("0 0 120 80", Str(frame.mRect));
  view->getSize(&size);
  EXPECT_EQ("0 0 120 80", Str(size));

  frame.mAnswer = kResultFalse;
  EXPECT_FALSE(plug->mGraphics->ChooseZoom(200));
  EXPECT_EQ(2, frame.mCalls);
  EXPECT_EQ("0 0 240 160", Str(frame.mRect)); // what was asked
  view->getSize(&size);
  EXPECT_EQ("0 0 120 80", Str(size)); // what stays
  EXPECT_EQ(100, plug->mGraphics->GetZoomPercent());
  std::ifstream in(file);
  EXPECT_EQ("zoom=100", std::string(std::istreambuf_iterator<char>(in), {}).substr(0, 8));

  // Once removed, the engine asks no frame.
  view->removed();
  EXPECT_TRUE(plug->mGraphics->ChooseZoom(200));
  EXPECT_EQ(2, frame.mCalls);
  view->setFrame(nullptr);
  view->release();
  plug->release();

  if (saved)
    setenv("XDG_CONFIG_HOME", savedHome.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
  std::system(("rm -rf '" + home + "'").c_str());
}

TEST(VST3View, ForwardedKeysReachTheEngineAsItsOwnAndItsAnswerGoesBack)
{
  auto* plug = new RecordingPlug();
  IPlugView* view = plug->createView("editor");
  RecordingGraphics* gui = plug->mGraphics;
  EXPECT_EQ(kResultFalse, view->onKeyDown('a', 0, 0)); // not attached
  ASSERT_EQ(kResultOk, view->attached(kParent, kPlatformTypeX11EmbedWindowID));
  EXPECT_TRUE(gui->mKeys.empty());

  constexpr int16 kShiftControl = (1 << 0) | (1 << 3);
  EXPECT_EQ(kResultTrue, view->onKeyDown(0, 4, 0));  // VKEY_RETURN
  EXPECT_EQ(kResultTrue, view->onKeyDown(0, 19, 0)); // VKEY_ENTER, the keypad's
  EXPECT_EQ(kResultTrue, view->onKeyDown(0, 22, 0)); // VKEY_DELETE
  EXPECT_EQ(kResultTrue, view->onKeyDown('a', 0, kShiftControl));
  EXPECT_EQ(kResultTrue, view->onKeyDown(0x00E9, 0, 0)); // é
  ASSERT_EQ(5u, gui->mKeys.size());
  EXPECT_EQ(IForwardedKey::kReturn, gui->mKeys[0].mVirtual);
  EXPECT_EQ(IForwardedKey::kEnter, gui->mKeys[1].mVirtual);
  EXPECT_EQ(IForwardedKey::kDelete, gui->mKeys[2].mVirtual);
  EXPECT_EQ(IForwardedKey::kNone, gui->mKeys[3].mVirtual);
  EXPECT_EQ(U'a', gui->mKeys[3].mChar);
  EXPECT_TRUE(gui->mKeys[3].mShift && gui->mKeys[3].mControl);
  EXPECT_FALSE(gui->mKeys[0].mShift || gui->mKeys[0].mControl);
  EXPECT_EQ(U'\u00E9', gui->mKeys[4].mChar);

  // What the engine leaves, the host keeps; keys that are neither named nor typed never reach it.
  gui->mTakeKeys = false;
  EXPECT_EQ(kResultFalse, view->onKeyDown(' ', 0, 0));
  EXPECT_EQ(6u, gui->mKeys.size());
  EXPECT_EQ(kResultFalse, view->onKeyDown(0xD834, 0, 0)); // half a surrogate pair
  EXPECT_EQ(kResultFalse, view->onKeyDown(0x1B, 0, 0));
  EXPECT_EQ(6u, gui->mKeys.size());
  view->removed();
  view->release();
  plug->release();
}

TEST(VST3View, TheFramesRunLoopDrivesTheEngineWhileAttached)
{
  auto* plug = new RecordingPlug();
  IPlugView* view = plug->createView("editor");
  HostLoop loop;
  Frame frame;
  view->setFrame(&frame);
  ASSERT_EQ(kResultOk, view->attached(kParent, kPlatformTypeX11EmbedWindowID));
  EXPECT_EQ(nullptr, plug->mGraphics->mLoop); // the frame offers none
  view->removed();

  frame.mLoop = &loop;
  ASSERT_EQ(kResultOk, view->attached(kParent, kPlatformTypeX11EmbedWindowID));
  IHostRunLoop* adapted = plug->mGraphics->mLoop;
  ASSERT_NE(nullptr, adapted);
  Counter counter;
  ASSERT_TRUE(adapted->RegisterTimer(&counter, 40));
  ASSERT_TRUE(adapted->RegisterFile(&counter, 7));
  ASSERT_EQ(1u, loop.mTimers.size());
  EXPECT_EQ(40u, loop.mTimers[0].second);
  loop.mTimers[0].first->onTimer();
  loop.mHandlers[0].first->onFDIsSet(loop.mHandlers[0].second);
  EXPECT_EQ(1, counter.mTicks);
  EXPECT_EQ(std::vector<int>{7}, counter.mFiles);

  // The host may still hold a handler after we unregister: a late call does nothing.
  Linux::ITimerHandler* late = loop.mTimers[0].first;
  late->addRef();
  adapted->UnregisterTimer(&counter);
  EXPECT_TRUE(loop.mTimers.empty());
  late->onTimer();
  late->release();
  EXPECT_EQ(1, counter.mTicks);

  // Removal lets go of the loop and of whatever the engine left registered.
  view->removed();
  EXPECT_EQ(nullptr, plug->mGraphics->mLoop);
  EXPECT_TRUE(loop.mHandlers.empty());
  EXPECT_EQ(1u, loop.mRefs);

  // A loop that refuses keeps nothing of ours.
  VST3RunLoop refusing(&loop);
  loop.mRefuse = true;
  EXPECT_FALSE(refusing.RegisterTimer(&counter, 40));
  EXPECT_FALSE(refusing.RegisterFile(&counter, 7));
  EXPECT_TRUE(loop.mTimers.empty() && loop.mHandlers.empty());
  view->setFrame(nullptr);
  view->release();
  plug->release();
}

} // namespace
