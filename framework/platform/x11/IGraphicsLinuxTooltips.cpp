// Tooltips: a small override-redirect window near the pointer once it rests over a control.

#include "framework/platform/x11/IGraphicsLinux.h"

#include <algorithm>
#include <cstring>

// Our headers before Xlib's, whose macros (Bool, CurrentTime) would rewrite their names.
#include "framework/gui/IControl.h"

#include "framework/platform/x11/IGraphicsLinuxParts.h"

using namespace x11editor;

// ---- Tooltips ----

void IGraphicsLinux::UpdateTooltips()
{
  if (!mDisplay || !TooltipsEnabled()) return;
  HideTooltip();
  mTooltipAreas.clear();
  for (int i = 0; i < GetNControls(); ++i)
  {
    const IControl* c = GetControl(i);
    if (c && !c->IsHidden() && !c->GetRECT()->Empty()) mTooltipAreas.push_back({*c->GetRECT(), i});
  }
}

void IGraphicsLinux::TooltipTick()
{
  if (mTooltip || !TooltipsEnabled() || mTooltipAreas.empty() || !mPointerInside || mButtonsDown ||
      mTextEntry || mLastMotionMs == 0)
    return;
  if (x11::NowMs() - mLastMotionMs < static_cast<uint64_t>(kTooltipDelayMs)) return;
  // Shown once per rest of the pointer.
  mLastMotionMs = 0;
  const std::pair<IRECT, int>* area = nullptr;
  for (const auto& a : mTooltipAreas)
    if (a.first.Contains(mLastX, mLastY)) area = &a;
  if (!area) return;
  const IControl* over = GetControl(GetMouseOver());
  const char* text = over ? over->GetTooltip() : nullptr;
  if (text && text[0]) ShowTooltip(text, area->first);
}

void IGraphicsLinux::ShowTooltip(const char* text, const IRECT& area)
{
  Display* d = D(mDisplay);
  // Drawn in device pixels, its text at device size.
  IText style(12, &COLOR_BLACK, "Arial", IText::kTextRegular, IText::kAlignLeft);
  RasterCachedFont* font = CacheDeviceFont(&style, GetDrawScale());
  if (!font) return;
  const int padX = DevEdge(5), padY = DevEdge(3), frame = StrokeWidth();
  const int w = MeasureText(font, text, std::strlen(text)) + 2 * padX;
  const int h = font->GetLineHeight() + 2 * padY;
  int rx = 0, ry = 0;
  if (!RootPosition(DevEdge(mLastX), DevEdge(mLastY), &rx, &ry)) return;
  auto tip = std::make_unique<Tooltip>();
  tip->mArea = area;
  const int screenW = DisplayWidth(d, DefaultScreen(d)),
            screenH = DisplayHeight(d, DefaultScreen(d));
  int x = std::min(rx + DevEdge(12), screenW - w), y = ry + DevEdge(20);
  if (y + h > screenH) y = ry - h - DevEdge(8);
  tip->mWindow = x11::CreatePopupWindow(d, std::max(x, 0), std::max(y, 0), w, h, ExposureMask);
  x11::SetTransientFor(d, tip->mWindow, mTopLevel);
  tip->mGC = XCreateGC(d, tip->mWindow, 0, nullptr);
  tip->mBlitter.Init(d, DefaultVisual(d, DefaultScreen(d)), DefaultDepth(d, DefaultScreen(d)), w, h,
                     false);
  RasterMemBitmap& bm = tip->mBitmap;
  bm.resize(w, h);
  RasterFillRect(&bm, 0, 0, w, h, RasterPackColor(255, 120, 120, 120), 1.0f, RASTER_BLIT_MODE_COPY);
  RasterFillRect(&bm, frame, frame, w - 2 * frame, h - 2 * frame,
                 RasterPackColor(255, 255, 255, 225), 1.0f, RASTER_BLIT_MODE_COPY);
  RasterRect r = {padX, padY, w - padX, h - padY};
  font->DrawText(&bm, text, -1, &r, 0,
                 RasterPackColor(255, 0, 0, 0)); // shared font: colour per call
  XMapRaised(d, tip->mWindow);
  mTooltip = std::move(tip);
}

void IGraphicsLinux::HideTooltip()
{
  if (!mTooltip) return;
  std::unique_ptr<Tooltip> tip = std::move(mTooltip);
  if (!mDisplay) return;
  tip->mBlitter.Release();
  if (tip->mGC) XFreeGC(D(mDisplay), tip->mGC);
  if (tip->mWindow) XDestroyWindow(D(mDisplay), tip->mWindow);
}
