#pragma once
// An editor with a black background on the headless platform, driven the way a platform layer
// drives it, and film strips whose frames can be told apart by colour.

#include <gtest/gtest.h>

#include <memory>

#include "framework/gui/GuiTestPlugin.h"
#include "framework/platform/headless/IGraphicsHeadless.h"
#include "raster/Raster.h"

// Frame k of a strip made by MakeStrip is filled with this opaque colour.
inline IColor FrameColor(int k)
{
  return IColor(255, k & 0xFF, 200, 7);
}

// A strip of n frames, each frameW x frameH, stacked or side by side; the cache owns it.
inline IBitmap MakeStrip(IGraphics* g, int frameW, int frameH, int n, bool horizontal = false)
{
  const int w = horizontal ? frameW * n : frameW, h = horizontal ? frameH : frameH * n;
  auto* bmp = new RasterMemBitmap(w, h, 4);
  for (int k = 0; k < n; ++k)
  {
    const int x = horizontal ? k * frameW : 0, y = horizontal ? 0 : k * frameH;
    RasterFillRect(bmp, x, y, frameW, frameH, FrameColor(k).Packed(), 1.0f, 0);
  }
  IBitmap b(bmp, w, h, n, horizontal);
  g->RetainBitmap(&b);
  return b;
}

class ControlRig : public ::testing::Test
{
protected:
  static constexpr int kW = 300, kH = 200;

  // Controls are attached between Open and Attach; Attach hands every parameter's value to them
  // as the plug-in base does.
  template <class Platform = IGraphicsHeadless> void Open(EAPI api = kAPIVST3)
  {
    Discard();
    mPlug = std::make_unique<GuiTestPlugin>(api);
    mGui = new Platform(mPlug.get(), kW, kH);
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
  // An engine never attached is still ours to free.
  void Discard()
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
  // Press at (x, y), drag by (dx, dy) in one move, release.
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
  // The strip frame visible at (x, y), or -1 where no frame colour is.
  int FrameAt(int x, int y)
  {
    const IColor c = mGui->GetPoint(x, y);
    return c.G == 200 && c.B == 7 ? c.R : -1;
  }
  double Normalized(int paramIdx) { return mPlug->GetParam(paramIdx)->GetNormalized(); }

  std::unique_ptr<GuiTestPlugin> mPlug;
  IGraphicsHeadless* mGui = nullptr; // owned by the plug-in once attached
  bool mAttached = false;
  const IMouseMod mShift{true, false, true};
  const IMouseMod mCtrl{true, false, false, true};
  const IMouseMod mRight{false, true};
};
