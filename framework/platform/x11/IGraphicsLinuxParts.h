#pragma once
// What the files of IGraphicsLinux share and no one else needs: the text field's and the
// tooltip's X resources, and the event masks. Include after our own headers: Xlib's macros follow.

#include <cstddef>
#include <string>

#include "framework/platform/x11/IGraphicsLinux.h"
#include "framework/platform/x11/TextFieldModel.h"
#include "raster/Raster.h"

#include "framework/platform/x11/X11Support.h"
#include <X11/Xlib.h>

struct IGraphicsLinux::TextEntry
{
  IControl* mControl = nullptr;
  IParam* mParam = nullptr;
  IRECT mRect;
  IText mStyle;
  RasterCachedFont* mFont = nullptr;
  TextFieldModel mModel;
  Window mWindow = 0;
  GC mGC = nullptr;
  x11::Blitter mBlitter;
  RasterMemBitmap mBitmap;
  int mScroll = 0; // pixels of text scrolled out on the left
  int mTextX = 0;  // where the text starts in the field, as last drawn
  Window mPrevFocus = 0;
  int mPrevRevert = RevertToParent;
};

struct IGraphicsLinux::Tooltip
{
  Window mWindow = 0;
  GC mGC = nullptr;
  x11::Blitter mBlitter;
  RasterMemBitmap mBitmap;
  IRECT mArea;
};

namespace x11editor
{

constexpr long kEditorEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask |
                               PointerMotionMask | KeyPressMask | EnterWindowMask |
                               LeaveWindowMask | StructureNotifyMask;
constexpr long kFieldEvents = ExposureMask | KeyPressMask | ButtonPressMask | FocusChangeMask;
constexpr int kTooltipDelayMs = 600;

inline Display* D(_XDisplay* d)
{
  return d;
}

inline int MeasureText(RasterCachedFont* font, const char* text, size_t len)
{
  if (!font || len == 0) return 0;
  RasterRect r = {0, 0, 0, 0};
  font->DrawText(nullptr, text, static_cast<int>(len), &r, RASTER_DT_CALCRECT);
  return r.right - r.left;
}

} // namespace x11editor
