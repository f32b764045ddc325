// The text field: drawn by us in a child window over the control, edited through
// TextFieldModel, committed or cancelled into the engine.

#include "framework/platform/x11/IGraphicsLinux.h"

#include <algorithm>
#include <cstdlib>

// Our headers before Xlib's, whose macros (Bool, CurrentTime) would rewrite their names.
#include "framework/core/IParam.h"
#include "framework/gui/IControl.h"

#include "framework/platform/x11/IGraphicsLinuxParts.h"
#include <X11/keysym.h>

using namespace x11editor;

// ---- Text entry ----

void IGraphicsLinux::CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                                     IParam* param)
{
  if (!control || !rect || mTextEntry || !mDisplay || mWindowGone) return;
  Display* d = D(mDisplay);
  HideTooltip();
  auto te = std::make_unique<TextEntry>();
  te->mControl = control;
  te->mParam = param;
  te->mRect = *rect;
  if (te->mRect.W() < 1) te->mRect.R = te->mRect.L + 1;
  if (te->mRect.H() < 1) te->mRect.B = te->mRect.T + 1;
  if (text) te->mStyle = *text;
  te->mStyle.mSize = std::max(static_cast<int>(te->mStyle.mSize * 0.9), 1);
  te->mStyle.mCached = nullptr;
  // The field is drawn in device pixels, its text at device size.
  te->mFont = CacheDeviceFont(&te->mStyle, GetDrawScale());
  const IRECT dr(DevEdge(te->mRect.L), DevEdge(te->mRect.T),
                 std::max(DevEdge(te->mRect.R), DevEdge(te->mRect.L) + 1),
                 std::max(DevEdge(te->mRect.B), DevEdge(te->mRect.T) + 1));
  te->mModel.Start(str, param ? TextEntryCharacters(param->Type()) : nullptr,
                   param ? control->GetTextEntryLength() : 0);

  XSetWindowAttributes a{};
  a.event_mask = kFieldEvents;
  a.background_pixmap = None;
  a.border_pixel = 0;
  te->mWindow = XCreateWindow(d, mWindow.load(), dr.L, dr.T, static_cast<unsigned>(dr.W()),
                              static_cast<unsigned>(dr.H()), 0, CopyFromParent, InputOutput,
                              CopyFromParent, CWEventMask | CWBackPixmap | CWBorderPixel, &a);
  te->mGC = XCreateGC(d, te->mWindow, 0, nullptr);
  te->mBlitter.Init(d, static_cast<Visual*>(mVisual), mDepth, dr.W(), dr.H(), false);
  te->mBitmap.resize(dr.W(), dr.H());
  XMapRaised(d, te->mWindow);
  XGetInputFocus(d, &te->mPrevFocus, &te->mPrevRevert);
  XSync(d, False);
  // Focus can only go to a viewable window; a host that has not shown its window yet keeps it.
  XWindowAttributes attrs{};
  if (XGetWindowAttributes(d, te->mWindow, &attrs) && attrs.map_state == IsViewable)
    XSetInputFocus(d, te->mWindow, RevertToParent, CurrentTime);
  x11::TakeErrors(d);
  mTextEntry = std::move(te);
  DrawTextEntry();
}

void IGraphicsLinux::ForceEndUserEdit()
{
  EndTextEntry(false);
}

void IGraphicsLinux::EndTextEntry(bool commit)
{
  if (!mTextEntry) return;
  std::unique_ptr<TextEntry> te = std::move(mTextEntry);
  if (mDisplay)
  {
    Display* d = D(mDisplay);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(d, &focus, &revert);
    if (focus == te->mWindow && te->mPrevFocus != te->mWindow)
      XSetInputFocus(d, te->mPrevFocus ? te->mPrevFocus : static_cast<Window>(PointerRoot),
                     te->mPrevRevert, CurrentTime);
    te->mBlitter.Release();
    if (te->mGC) XFreeGC(d, te->mGC);
    XDestroyWindow(d, te->mWindow);
    x11::TakeErrors(d);
  }
  if (commit)
  {
    const std::string text = te->mModel.Text();
    if (te->mParam)
      SetFromStringAfterPrompt(te->mControl, te->mParam, text.c_str());
    else
      te->mControl->TextFromTextEntry(text.c_str());
  }
  SetAllControlsDirty();
}

bool IGraphicsLinux::TextEntryKey(unsigned long keysym, const char* text, bool shift, bool control)
{
  if (!mTextEntry) return false;
  TextFieldModel& m = mTextEntry->mModel;
  switch (keysym)
  {
  case XK_Return:
  case XK_KP_Enter:
  case XK_Tab:
  case XK_ISO_Left_Tab:
    EndTextEntry(true);
    return true;
  case XK_Escape:
    EndTextEntry(false);
    return true;
  case XK_BackSpace:
    m.Backspace();
    break;
  case XK_Delete:
  case XK_KP_Delete:
    m.Delete();
    break;
  case XK_Left:
  case XK_KP_Left:
    m.Left(shift);
    break;
  case XK_Right:
  case XK_KP_Right:
    m.Right(shift);
    break;
  case XK_Home:
  case XK_KP_Home:
    m.Home(shift);
    break;
  case XK_End:
  case XK_KP_End:
    m.End(shift);
    break;
  default:
    if (control && (keysym == XK_a || keysym == XK_A))
      m.SelectAll();
    else if (control && (keysym == XK_v || keysym == XK_V))
    {
      StringBuf clip;
      if (GetTextFromClipboard(&clip))
      {
        std::string line = clip.Get();
        line = line.substr(0, line.find_first_of("\r\n"));
        m.Insert(line.c_str());
      }
    }
    else if (!control && text && text[0])
      m.Insert(text);
    break;
  }
  DrawTextEntry();
  return true;
}

void IGraphicsLinux::ClickTextEntry(int x)
{
  TextEntry* te = mTextEntry.get();
  if (!te) return;
  const std::string& text = te->mModel.Text();
  // The caret goes to the character boundary nearest the click.
  te->mModel.Home(false);
  int best = 1 << 30;
  size_t bestPos = 0;
  for (size_t pos = 0; pos <= text.size(); ++pos)
  {
    if (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) continue;
    const int dist = std::abs(te->mTextX + MeasureText(te->mFont, text.c_str(), pos) - x);
    if (dist < best)
    {
      best = dist;
      bestPos = pos;
    }
  }
  while (te->mModel.Caret() < bestPos)
    te->mModel.Right(false);
  DrawTextEntry();
}

void IGraphicsLinux::DrawTextEntry()
{
  TextEntry* te = mTextEntry.get();
  if (!te || !mDisplay) return;
  RasterMemBitmap& bm = te->mBitmap;
  const int w = bm.getWidth(), h = bm.getHeight();
  const IText& st = te->mStyle;
  RasterFillRect(&bm, 0, 0, w, h, st.mTextEntryBGColor.Packed() | 0xFF, 1.0f,
                 RASTER_BLIT_MODE_COPY);
  if (RasterCachedFont* font = te->mFont)
  {
    const std::string& text = te->mModel.Text();
    const int textW = MeasureText(font, text.c_str(), text.size());
    const int caretX = MeasureText(font, text.c_str(), te->mModel.Caret());
    const int pad = std::max(DevEdge(2), 1);
    const int room = std::max(w - 2 * pad, 1);
    int x = pad;
    if (textW <= room)
    {
      te->mScroll = 0;
      if (st.mAlign == IText::kAlignMiddle)
        x = (w - textW) / 2;
      else if (st.mAlign == IText::kAlignRight)
        x = w - pad - textW;
    }
    else
    {
      // Longer than the field: scroll so the caret stays in view.
      if (caretX - te->mScroll > room) te->mScroll = caretX - room;
      if (caretX - te->mScroll < 0) te->mScroll = caretX;
      te->mScroll = std::max(0, std::min(te->mScroll, textW - room));
      x = pad - te->mScroll;
    }
    te->mTextX = x;
    const int lineH = font->GetLineHeight();
    const int top = (h - lineH) / 2;
    if (te->mModel.HasSelection())
    {
      const int x0 = MeasureText(font, text.c_str(), te->mModel.SelectionStart());
      const int x1 = MeasureText(font, text.c_str(), te->mModel.SelectionEnd());
      RasterFillRect(&bm, x + x0, std::max(top, 0), x1 - x0, std::min(lineH, h),
                     RasterPackColor(255, 170, 200, 240), 1.0f, RASTER_BLIT_MODE_COPY);
    }
    const RasterPixel fg = st.mTextEntryFGColor.Packed() | 0xFF;
    RasterRect r = {x, top, x + textW + 1, top + lineH};
    font->DrawText(&bm, text.c_str(), -1, &r, RASTER_DT_NOCLIP, fg); // shared font: colour per call
    RasterFillRect(&bm, x + caretX, std::max(top, 0), StrokeWidth(),
                   std::min(top + lineH, h) - std::max(top, 0), fg, 1.0f, RASTER_BLIT_MODE_COPY);
  }
  te->mBlitter.Put(te->mWindow, te->mGC, bm.getBits(), bm.getRowSpan(), w, h, IRECT(0, 0, w, h));
  XFlush(D(mDisplay));
}
