// The engine's control list, the audio-thread hand-over, the redraw cycle, input dispatch and
// prompting. Drawing operations, bitmaps and fonts are in IGraphicsDraw.cpp.

#include "framework/gui/IGraphics.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "framework/core/IAudioPlugin.h"
#include "framework/core/Trace.h"
#include "framework/gui/EditorPreferences.h"
#include "framework/gui/IControl.h"
#include "framework/gui/IPopupMenu.h"
#include "raster/Raster.h"

IGraphics::IGraphics(IAudioPlugin* plug, int w, int h, int fps)
    : mPlug(plug), mWidth(w), mHeight(h), mFPS(fps > 0 ? fps : kDefaultFPS)
{
  mGUIThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
  mControls.Reserve(4096 / static_cast<int>(sizeof(IControl*)));
  // The parameter count is fixed once the plug-in is built, so the audio thread can index these
  // slots without ever seeing them move.
  mNParamSlots = plug ? plug->NParams() : 0;
  if (mNParamSlots > 0) mParamSlots.reset(new PlugSlot[static_cast<size_t>(mNParamSlots)]);
  for (std::atomic<PlugSlot*>& block : mControlSlotBlocks)
    block.store(nullptr, std::memory_order_relaxed);
}

IGraphics::~IGraphics()
{
  delete mKeyCatcher;
  mKeyCatcher = nullptr;
  DeleteControls();
  DeleteSurfaces();
  ReleaseDeviceScale();
  for (std::atomic<PlugSlot*>& block : mControlSlotBlocks)
    delete[] block.load(std::memory_order_relaxed);
}

// ---- The view a plug-in format attaches ----

int IGraphics::EngineKeyCode(const IForwardedKey& key)
{
  switch (key.mVirtual)
  {
  case IForwardedKey::kSpace:
    return 0;
  case IForwardedKey::kUp:
    return 1;
  case IForwardedKey::kDown:
    return 2;
  case IForwardedKey::kLeft:
    return 3;
  case IForwardedKey::kRight:
    return 4;
  case IForwardedKey::kNone:
    break;
  default:
    return -1;
  }
  const char32_t c = key.mChar;
  if (c == U' ') return 0;
  if (c >= U'0' && c <= U'9') return 5 + static_cast<int>(c - U'0');
  if (c >= U'a' && c <= U'z') return 15 + static_cast<int>(c - U'a');
  if (c >= U'A' && c <= U'Z') return 15 + static_cast<int>(c - U'A');
  return -1;
}

bool IGraphics::AttachToParent(const char* type, void* parent)
{
  return type && IsPlatformTypeSupported(type) && OpenWindow(parent) != nullptr;
}

void IGraphics::PrepareView()
{
  if (WindowIsOpen()) return;
  const float desktop = DesktopScale();
  mDesktopScale.store(desktop >= 1.0f ? desktop : 1.0f);
  mZoom.store(editorprefs::ReadZoomPercent(PreferenceFile()) / 100.0f);
}

void IGraphics::SetContentScale(float scale)
{
  // A host's nonsense (0, negative, NaN) is one device pixel per editor pixel.
  mHostScale.store(scale > 0.0f ? scale : 1.0f);
}

float IGraphics::GetContentScale() const
{
  const float host = mHostScale.load();
  return host > 0.0f ? host : mDesktopScale.load();
}

float IGraphics::GetDeviceScale() const
{
  // Below 1 the editor would be unreadable, above 3 its images would have to be enlarged.
  const float s = GetContentScale() * GetZoom();
  return s < 1.0f ? 1.0f : s > 3.0f ? 3.0f : s;
}

void IGraphics::GetDeviceSize(int* w, int* h) const
{
  const float s = GetDeviceScale();
  if (w) *w = static_cast<int>(std::lround(Width() * s));
  if (h) *h = static_cast<int>(std::lround(Height() * s));
}

// ---- Zoom ----

bool IGraphics::SetZoom(float zoom)
{
  if (!(zoom >= 1.0f && zoom <= 2.0f)) return false;
  const float old = mZoom.load();
  if (zoom == old) return true;
  int oldW = 0, oldH = 0, w = 0, h = 0;
  GetDeviceSize(&oldW, &oldH);
  // Set before asking: a host may ask for our size while it answers.
  mZoom.store(zoom);
  GetDeviceSize(&w, &h);
  // The host owns the window it gave us: without its yes the editor keeps its size.
  if ((w != oldW || h != oldH) && WindowIsOpen() && !HostAgreesToSize(w, h))
  {
    mZoom.store(old);
    Trace("IGraphics", __LINE__, "the host refused %dx%d: zoom stays at %d%%", w, h,
          static_cast<int>(std::lround(old * 100.0f)));
    return false;
  }
  return true;
}

bool IGraphics::HostAgreesToSize(int w, int h)
{
  IPlatformViewHost* host = mViewHost.load();
  return !host || host->RequestDeviceSize(w, h);
}

int IGraphics::GetZoomPercent() const
{
  return static_cast<int>(std::lround(GetZoom() * 100.0f));
}

bool IGraphics::ChooseZoom(int percent)
{
  if (!editorprefs::IsOfferedZoom(percent) || !SetZoom(percent / 100.0f)) return false;
  // Losing the file only loses the choice for editors opened later; this one is zoomed already.
  if (!editorprefs::WriteZoomPercent(PreferenceFile(), percent))
    Trace("IGraphics", __LINE__, "the zoom could not be saved");
  return true;
}

std::string IGraphics::PreferenceFile()
{
  if (!mPlug) return "";
  StringBuf folder;
  UserConfigPath(&folder);
  return editorprefs::PreferenceFile(folder.Get(), mPlug->GetMfrName(), mPlug->GetEffectName());
}

void IGraphics::DeleteControls()
{
  mNControlsPublished.store(0, std::memory_order_release);
  // Values meant for the old controls must not reach the ones attached next at their indices.
  for (std::atomic<PlugSlot*>& block : mControlSlotBlocks)
  {
    if (PlugSlot* slots = block.load(std::memory_order_relaxed))
      for (int i = 0; i < kSlotBlockSize; ++i)
        slots[i].mPending.store(false, std::memory_order_relaxed);
  }
  for (int i = mControls.GetSize() - 1; i >= 0; --i)
    delete mControls.Get(i);
  mControls.Empty();
  mMouseCapture = mMouseOver = -1;
}

// ---- Hand-over from the audio thread ----
//
// The audio thread never touches a control. It writes the newest value into a slot (one per
// parameter, one per control index) and raises the slot's flag and a global flag; the GUI thread
// takes the flags with an exchange and hands the values to the controls. Only the latest value of
// each slot survives, which is all a display needs. Control slots live in blocks that are
// allocated on the GUI thread before the control count that reaches them is published, and are
// never freed before the engine, so a late post after Resize lands in a harmless slot.

void IGraphics::SetGUIThread()
{
  mGUIThread.store(std::this_thread::get_id(), std::memory_order_relaxed);
}

bool IGraphics::OnGUIThread() const
{
  return mGUIThread.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

IGraphics::PlugSlot* IGraphics::ControlSlot(int controlIdx) const
{
  if (controlIdx < 0 || controlIdx >= mNControlsPublished.load(std::memory_order_acquire))
    return nullptr;
  const int block = controlIdx >> kSlotBlockShift;
  if (block >= kMaxSlotBlocks) return nullptr;
  PlugSlot* slots = mControlSlotBlocks[block].load(std::memory_order_acquire);
  return slots ? slots + (controlIdx & (kSlotBlockSize - 1)) : nullptr;
}

void IGraphics::PublishControls()
{
  const int n = mControls.GetSize();
  for (int block = 0; block < kMaxSlotBlocks && (block << kSlotBlockShift) < n; ++block)
  {
    if (!mControlSlotBlocks[block].load(std::memory_order_relaxed))
      mControlSlotBlocks[block].store(new PlugSlot[kSlotBlockSize], std::memory_order_release);
  }
  mNControlsPublished.store(n, std::memory_order_release);
}

void IGraphics::ApplyPendingFromPlug()
{
  if (!mAnyPending.exchange(false, std::memory_order_acquire)) return;
  for (int i = 0; i < mNParamSlots; ++i)
  {
    PlugSlot& slot = mParamSlots[static_cast<size_t>(i)];
    if (slot.mPending.exchange(false, std::memory_order_acquire))
      SetParameterFromPlugNow(i, slot.mValue.load(std::memory_order_relaxed));
  }
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    PlugSlot* slot = ControlSlot(i);
    if (slot && slot->mPending.exchange(false, std::memory_order_acquire))
      SetControlValueFromPlugNow(i, slot->mValue.load(std::memory_order_relaxed));
  }
  if (mAllDirtyPending.exchange(false, std::memory_order_acquire)) SetAllControlsDirtyNow();
}

static void Post(std::atomic<double>& value, std::atomic<bool>& pending, std::atomic<bool>& any,
                 double v)
{
  value.store(v, std::memory_order_relaxed);
  pending.store(true, std::memory_order_release);
  any.store(true, std::memory_order_release);
}

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized)
{
  IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
  // Only the parameter's fixed range and shape are read here, never its value.
  if (!normalized && param) value = param->GetNormalized(value);
  if (OnGUIThread())
  {
    // Older posted values must not overwrite this one later.
    ApplyPendingFromPlug();
    SetParameterFromPlugNow(paramIdx, value);
  }
  else if (paramIdx >= 0 && paramIdx < mNParamSlots)
  {
    PlugSlot& slot = mParamSlots[static_cast<size_t>(paramIdx)];
    Post(slot.mValue, slot.mPending, mAnyPending, value);
  }
}

void IGraphics::SetParameterFromPlugNow(int paramIdx, double normalizedValue)
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->SetValueFromPlug(normalizedValue);
    const int aux = c->AuxParamIdx(paramIdx);
    if (aux >= 0) c->SetAuxParamValueFromPlug(aux, normalizedValue);
  }
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue)
{
  if (OnGUIThread())
  {
    ApplyPendingFromPlug();
    SetControlValueFromPlugNow(controlIdx, normalizedValue);
  }
  else if (PlugSlot* slot = ControlSlot(controlIdx))
  {
    Post(slot->mValue, slot->mPending, mAnyPending, normalizedValue);
  }
}

void IGraphics::SetControlValueFromPlugNow(int controlIdx, double normalizedValue)
{
  if (IControl* c = mControls.Get(controlIdx)) c->SetValueFromPlug(normalizedValue);
}

void IGraphics::SetAllControlsDirty()
{
  if (!OnGUIThread())
  {
    mAllDirtyPending.store(true, std::memory_order_release);
    mAnyPending.store(true, std::memory_order_release);
    return;
  }
  ApplyPendingFromPlug();
  SetAllControlsDirtyNow();
}

void IGraphics::SetAllControlsDirtyNow()
{
  for (int i = 0; i < mControls.GetSize(); ++i)
    mControls.Get(i)->SetDirty(false);
}

// ---- Controls ----

void IGraphics::AttachBackground(int id, const char* name)
{
  IBitmap bg = LoadIBitmap(id, name, 1, false);
  mControls.Insert(0, new IBitmapControl(mPlug, 0, 0, -1, &bg, IChannelBlend::kBlendOpaque));
  PublishControls();
}

void IGraphics::AttachPanelBackground(const IColor* color)
{
  mControls.Insert(0, new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), color));
  PublishControls();
}

int IGraphics::AttachControl(IControl* control)
{
  if (!control) return -1;
  mControls.Add(control);
  PublishControls();
  return mControls.GetSize() - 1;
}

void IGraphics::AttachKeyCatcher(IControl* control)
{
  if (control == mKeyCatcher) return;
  delete mKeyCatcher;
  mKeyCatcher = control;
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->SetValueFromUserInput(normalizedValue);
  }
}

void IGraphics::ClampControl(int paramIdx, double* lo, double* hi, bool normalized)
{
  if (!lo || !hi) return;
  if (!normalized)
  {
    if (IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr)
    {
      *lo = param->GetNormalized(*lo);
      *hi = param->GetNormalized(*hi);
    }
  }
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->Clamp(*lo, *hi);
  }
}

void IGraphics::HideControl(int paramIdx, bool hide)
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->Hide(hide);
  }
}

void IGraphics::GrayOutControl(int paramIdx, bool gray)
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->ParamIdx() == paramIdx) c->GrayOut(gray);
  }
}

void IGraphics::AssignParamNameToolTips()
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* c = mControls.Get(i);
    if (IParam* param = c->GetParam()) c->SetTooltip(param->GetNameForHost());
  }
}

void IGraphics::SetStrictDrawing(bool strict)
{
  mStrict = strict;
  for (int i = 0; i < mControls.GetSize(); ++i)
    mControls.Get(i)->SetDirty(false);
}

// ---- Redraw cycle ----

bool IGraphics::IsDirty(IRECT* r)
{
  // Posted values are taken here only: Draw cleans every control it was asked about, so a value
  // taken between this and Draw could be cleaned without being drawn.
  ApplyPendingFromPlug();
  SyncDeviceScale();
  if (mWheelGesture >= 0 && std::chrono::steady_clock::now() - mLastWheel >=
                                std::chrono::milliseconds(mWheelGesturePauseMs))
    EndWheelGesture();
  bool dirty = false;
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->IsDirty())
    {
      if (r) *r = r->Union(*c->GetRECT());
      dirty = true;
    }
  }
  return dirty;
}

bool IGraphics::Draw(IRECT* r)
{
  const int n = mControls.GetSize();
  if (n == 0 || !r) return false;

  if (mStrict)
  {
    mDrawRECT = *r;
    for (int i = 0; i < n; ++i)
    {
      IControl* c = mControls.Get(i);
      if (!c->IsHidden() && r->Intersects(*c->GetRECT())) c->Draw(this);
      c->SetClean();
    }
  }
  else if (mControls.Get(0)->IsDirty())
  {
    mDrawRECT = *mControls.Get(0)->GetRECT();
    for (int i = 0; i < n; ++i)
    {
      IControl* c = mControls.Get(i);
      if (i == 0 || !c->IsHidden())
      {
        c->Draw(this);
        c->SetClean();
      }
    }
  }
  else
  {
    for (int i = 1; i < n; ++i)
    {
      IControl* dirty = mControls.Get(i);
      if (!dirty->IsDirty()) continue;
      mDrawRECT = *dirty->GetRECT();
      for (int j = 0; j < n; ++j)
      {
        IControl* c = mControls.Get(j);
        if (!c->IsHidden() && (j == i || c->GetRECT()->Intersects(mDrawRECT))) c->Draw(this);
      }
      dirty->SetClean();
    }
  }
  return DrawScreen(r);
}

// ---- Input ----

int IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver)
{
  if (mMouseCapture >= 0 && mMouseCapture < mControls.GetSize()) return mMouseCapture;
  for (int i = mControls.GetSize() - 1; i >= 0; --i)
  {
    IControl* c = mControls.Get(i);
    if (c->IsHidden()) continue;
    if (c->IsGrayed() && !(mouseOver && c->GetMOWhenGrayed())) continue;
    if (c->IsHit(x, y)) return i;
  }
  return -1;
}

void IGraphics::ReleaseMouseCapture()
{
  mMouseCapture = -1;
  mMouseX = mMouseY = -1;
}

void IGraphics::EndPressGesture()
{
  const int paramIdx = mPressGesture;
  mPressGesture = -1;
  if (paramIdx >= 0 && mPlug && paramIdx != mWheelGesture) mPlug->EndParamGesture(paramIdx);
}

void IGraphics::EndWheelGesture()
{
  const int paramIdx = mWheelGesture;
  mWheelGesture = -1;
  if (paramIdx >= 0 && mPlug && paramIdx != mPressGesture) mPlug->EndParamGesture(paramIdx);
}

void IGraphics::EndGestures()
{
  EndPressGesture();
  EndWheelGesture();
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod)
{
  ReleaseMouseCapture();
  // A release that never reached us (the pointer grabbed away) must not leave a gesture open.
  EndGestures();
  const int idx = GetMouseControlIdx(x, y);
  if (idx < 0) return;
  IControl* c = mControls.Get(idx);
  mMouseCapture = idx;
  mMouseX = x;
  mMouseY = y;
  const int paramIdx = c->ParamIdx();
  if (mPlug && mPlug->GetAPI() == kAPIVST3 && paramIdx >= 0 && mod && mod->R)
  {
    // The host owns the right-button menu of an automatable parameter under VST 3.
    ReleaseMouseCapture();
    mPlug->PopupHostContextMenuForParam(paramIdx, x, y);
    return;
  }
  if (paramIdx >= 0 && mPlug)
  {
    mPlug->BeginParamGesture(paramIdx);
    mPressGesture = paramIdx;
  }
  c->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod)
{
  const int idx = GetMouseControlIdx(x, y);
  ReleaseMouseCapture();
  if (IControl* c = mControls.Get(idx)) c->OnMouseUp(x, y, mod);
  // The gesture the press opened ends here, whichever control the release finds: a menu shown
  // during the press gives up the capture, and a right click opened none.
  EndPressGesture();
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod)
{
  IControl* c = mMouseCapture >= 0 ? mControls.Get(mMouseCapture) : nullptr;
  if (!c || (x == mMouseX && y == mMouseY)) return;
  const int dX = x - mMouseX, dY = y - mMouseY;
  mMouseX = x;
  mMouseY = y;
  c->OnMouseDrag(x, y, dX, dY, mod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  ReleaseMouseCapture();
  EndGestures();
  const int idx = GetMouseControlIdx(x, y);
  IControl* c = mControls.Get(idx);
  if (!c) return false;
  if (c->GetDblAsSingleClick())
  {
    mMouseCapture = idx;
    mMouseX = x;
    mMouseY = y;
    // A press after all: what it sets, and any drag after it, is one gesture up to the release.
    if (c->ParamIdx() >= 0 && mPlug)
    {
      mPlug->BeginParamGesture(c->ParamIdx());
      mPressGesture = c->ParamIdx();
    }
    c->OnMouseDown(x, y, mod);
    return true;
  }
  // The value it sets is a gesture of its own (SetParameterFromGUI opens one).
  c->OnMouseDblClick(x, y, mod);
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int d)
{
  IControl* c = mControls.Get(GetMouseControlIdx(x, y));
  if (!c) return;
  const int paramIdx = c->ParamIdx();
  if (paramIdx != mWheelGesture) EndWheelGesture();
  if (paramIdx >= 0 && mPlug)
  {
    // Notches in quick succession are one gesture; IsDirty ends it after a pause.
    if (mWheelGesture < 0 && paramIdx != mPressGesture) mPlug->BeginParamGesture(paramIdx);
    mWheelGesture = paramIdx;
    mLastWheel = std::chrono::steady_clock::now();
  }
  c->OnMouseWheel(x, y, mod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod)
{
  if (!mHandleMouseOver) return false;
  const int idx = GetMouseControlIdx(x, y, true);
  IControl* c = mControls.Get(idx);
  if (!c) return mHandleMouseOver;
  mMouseX = x;
  mMouseY = y;
  c->OnMouseOver(x, y, mod);
  if (mMouseOver >= 0 && mMouseOver != idx)
  {
    if (IControl* previous = mControls.Get(mMouseOver)) previous->OnMouseOut();
  }
  mMouseOver = idx;
  return mHandleMouseOver;
}

void IGraphics::OnMouseOut()
{
  for (int i = 0; i < mControls.GetSize(); ++i)
    mControls.Get(i)->OnMouseOut();
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key)
{
  const int idx = GetMouseControlIdx(x, y);
  if (idx > 0) return mControls.Get(idx)->OnKeyDown(x, y, key);
  return mKeyCatcher ? mKeyCatcher->OnKeyDown(x, y, key) : false;
}

void IGraphics::OnGUIIdle()
{
  for (int i = 0; i < mControls.GetSize(); ++i)
    mControls.Get(i)->OnGUIIdle();
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y)
{
  // Found by position, as a press would after releasing any capture.
  const int capture = mMouseCapture;
  mMouseCapture = -1;
  const int idx = GetMouseControlIdx(x, y);
  mMouseCapture = capture;
  mLastClickedParam = idx > 0 ? mControls.Get(idx)->ParamIdx() : -1;
  return mLastClickedParam;
}

int IGraphics::GetLastClickedParamForPTAutomation()
{
  const int idx = mLastClickedParam;
  mLastClickedParam = -1;
  return idx;
}

// ---- Prompting ----

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* where)
{
  if (!control || !param || !where || !mPlug) return;
  const int n = param->GetNDisplayTexts();
  const IParam::EParamType type = param->Type();
  char current[IParam::kDisplayLen] = {};

  if (type == IParam::kTypeEnum || (type == IParam::kTypeBool && n > 0))
  {
    {
      RecursiveMutex::Lock lock(mPlug->GetMutex());
      param->GetDisplayForHost(current, true);
    }
    IPopupMenu menu;
    for (int i = 0; i < n; ++i)
    {
      const char* text = param->GetDisplayTextAtIdx(i);
      const bool checked = std::strcmp(text, current) == 0;
      menu.AddItem(text, -1, checked ? IPopupMenuItem::kChecked : IPopupMenuItem::kNoFlags);
    }
    if (IPopupMenu* chosen = CreateIPopupMenu(&menu, where))
      control->SetValueFromUserInput(param->GetNormalized(chosen->GetChosenItemIdx()));
    return;
  }

  {
    RecursiveMutex::Lock lock(mPlug->GetMutex());
    param->GetDisplayForHost(current, false);
  }
  CreateTextEntry(control, control->GetText(), where, current, param);
}

void IGraphics::SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text)
{
  if (!param || !control || !text) return;
  // Text that names no value (an emptied field, a lone sign or point) cancels the entry like
  // Escape: reading it as 0 would jump the parameter to the bottom of its range.
  const IParam::EParamType type = param->Type();
  if (type == IParam::kTypeBool || type == IParam::kTypeEnum)
  {
    if (!param->MapDisplayText(text, nullptr)) return;
  }
  else
  {
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || !std::isfinite(v)) return;
  }
  control->SetValueFromUserInput(param->GetNormalized(param->ValueFromText(text)));
}

// ---- Resizing ----

void IGraphics::Resize(int w, int h)
{
  mWidth = w;
  mHeight = h;
  ReleaseMouseCapture();
  EndGestures();
  DeleteControls();
  DeleteSurfaces();
  PrepDraw();
  if (mPlug) mPlug->ResizeGraphics(w, h);
}
