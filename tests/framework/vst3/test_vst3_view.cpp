// The editor view of IVST3Plugin, on a plug-in whose editor has no window (the headless engine):
// which views exist, what the host is told, and which plug-in hooks run when.

#include <gtest/gtest.h>

#include <string>

#include "framework/platform/headless/IGraphicsHeadless.h"
#include "framework/vst3/IVST3Plugin.h"
#include "framework/vst3/IVST3View.h"
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

class Frame : public IPlugFrame
{
public:
  tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override
  {
    mView = view;
    mRect = *newSize;
    ++mCalls;
    return kResultOk;
  }
  tresult PLUGIN_API queryInterface(const TUID, void** obj) override
  {
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 PLUGIN_API addRef() override { return 1; }
  uint32 PLUGIN_API release() override { return 1; }

  IPlugView* mView = nullptr;
  ViewRect mRect;
  int mCalls = 0;
};

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

} // namespace
