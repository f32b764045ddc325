#pragma once
// An editor with a black background on the headless platform, driven as a platform layer drives
// it, and film strips whose frames can be told apart by colour.

#include <gtest/gtest.h>

#include <memory>

#include "framework/gui/GuiTestPlugin.h"
#include "framework/platform/headless/IGraphicsHeadless.h"
#include "raster/Raster.h"

inline IColor FrameColor(int k)
{
  return IColor(255, k & 0xFF, 200, 7);
}

// n frames of frameW x frameH filled with FrameColor(k); the cache owns the image.
inline IBitmap MakeStrip(IGraphics* g, int frameW, int frameH, int n, bool horizontal = false)
{
  auto* bmp =
      new RasterMemBitmap(horizontal ? frameW * n : frameW, horizontal ? frameH : frameH * n);
  for (int k = 0; k < n; ++k)
    RasterFillRect(bmp, horizontal ? k * frameW : 0, horizontal ? 0 : k * frameH, frameW, frameH,
                   FrameColor(k).Packed(), 1.0f, 0);
  IBitmap b(bmp, bmp->getWidth(), bmp->getHeight(), n, horizontal);
  g->RetainBitmap(&b);
  return b;
}

class ControlRig : public ::testing::Test
{
protected:
  // Controls are added between Open and Attach, which hands them the parameters' values as the
  // plug-in base does and draws everything.
  template <class Platform = IGraphicsHeadless> void Open(EAPI api = kAPIVST3)
  {
    Discard();
    mPlug = std::make_unique<GuiTestPlugin>(api);
    mGui = new Platform(mPlug.get(), 300, 200);
    mGui->AttachPanelBackground(&COLOR_BLACK);
  }
  template <class T> T* Add(T* control)
  {
    mGui->AttachControl(control);
    return control;
  }
  void Attach()
  {
    mPlug->AttachGraphics(mGui);
    mAttached = true;
    mGui->DrawAll();
    mPlug->mLog.clear();
  }
  void TearDown() override { Discard(); }
  void Discard() // an engine never attached is still ours
  {
    if (!mAttached) delete mGui;
    mGui = nullptr;
    mAttached = false;
  }

  void Click(int x, int y, IMouseMod mod = IMouseMod(true))
  {
    mGui->OnMouseDown(x, y, &mod);
    mGui->OnMouseUp(x, y, &mod);
  }
  void DragBy(int x, int y, int dx, int dy, IMouseMod mod = IMouseMod(true))
  {
    mGui->OnMouseDown(x, y, &mod);
    mGui->OnMouseDrag(x + dx, y + dy, &mod);
    mGui->OnMouseUp(x + dx, y + dy, &mod);
  }
  void Wheel(int x, int y, int d, IMouseMod mod = IMouseMod())
  {
    mGui->OnMouseWheel(x, y, &mod, d);
  }
  // The strip frame shown at (x, y), or -1.
  int FrameAt(int x, int y)
  {
    const IColor c = mGui->GetPoint(x, y);
    return c.G == 200 && c.B == 7 ? c.R : -1;
  }
  IParam* Param(int idx) { return mPlug->GetParam(idx); }

  std::unique_ptr<GuiTestPlugin> mPlug;
  IGraphicsHeadless* mGui = nullptr; // the plug-in's once attached
  bool mAttached = false;
  const IMouseMod mShift{true, false, true}, mCtrl{true, false, false, true}, mRight{false, true};
};
