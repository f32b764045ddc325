#include "framework/vst3/IVST3View.h"

#include <cmath>
#include <cstring>

#include "framework/gui/IGraphics.h"
#include "framework/vst3/IVST3Plugin.h"
#include "framework/vst3/VST3RunLoop.h"
#include "pluginterfaces/gui/iplugview.h"

using namespace Steinberg;

namespace
{
// The SDK's VirtualKeyCodes and KeyModifier values (keycodes.h), for the keys we take.
enum : int16
{
  kVKBack = 1,
  kVKTab = 2,
  kVKReturn = 4,
  kVKEscape = 6,
  kVKSpace = 7,
  kVKEnd = 9,
  kVKHome = 10,
  kVKLeft = 11,
  kVKUp = 12,
  kVKRight = 13,
  kVKDown = 14,
  kVKEnter = 19,
  kVKDelete = 22
};
constexpr int16 kModShift = 1 << 0;
constexpr int16 kModControl = 1 << 3;

IForwardedKey::EVirtual VirtualOf(int16 keyCode)
{
  switch (keyCode)
  {
  case kVKBack:
    return IForwardedKey::kBack;
  case kVKTab:
    return IForwardedKey::kTab;
  case kVKReturn:
    return IForwardedKey::kReturn;
  case kVKEnter:
    return IForwardedKey::kEnter;
  case kVKEscape:
    return IForwardedKey::kEscape;
  case kVKSpace:
    return IForwardedKey::kSpace;
  case kVKEnd:
    return IForwardedKey::kEnd;
  case kVKHome:
    return IForwardedKey::kHome;
  case kVKLeft:
    return IForwardedKey::kLeft;
  case kVKUp:
    return IForwardedKey::kUp;
  case kVKRight:
    return IForwardedKey::kRight;
  case kVKDown:
    return IForwardedKey::kDown;
  case kVKDelete:
    return IForwardedKey::kDelete;
  default:
    return IForwardedKey::kNone;
  }
}

int Device(int pixels, float scale)
{
  return static_cast<int>(std::lround(pixels * scale));
}
} // namespace

IVST3View::IVST3View(IVST3Plugin* plug) : mPlug(plug)
{
  if (mPlug) mPlug->addRef();
  if (IGraphics* gui = Graphics()) gui->PrepareView();
}

IVST3View::~IVST3View()
{
  // A host that lets go of a view it never removed must not leave a window and its timers
  // behind.
  if (isAttached()) removed();
  ForgetRunLoop();
  if (mPlug)
  {
    mPlug->RemoveView(this);
    mPlug->release();
  }
}

IGraphics* IVST3View::Graphics() const
{
  return mPlug ? dynamic_cast<IGraphics*>(mPlug->GetGUI()) : nullptr;
}

void IVST3View::ForgetRunLoop()
{
  if (IGraphics* gui = Graphics()) gui->SetHostRunLoop(nullptr);
  mRunLoop.reset();
}

tresult PLUGIN_API IVST3View::isPlatformTypeSupported(FIDString type)
{
  IGraphics* gui = Graphics();
  if (!gui || !type) return kResultFalse;
  return gui->IsPlatformTypeSupported(type) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API IVST3View::attached(void* parent, FIDString type)
{
  IGraphics* gui = Graphics();
  if (!gui) return kResultFalse;
  CPluginView::attached(parent, type);
  if (type && gui->IsPlatformTypeSupported(type))
  {
    // The host's run loop, where it offers one, drives the editor's timer and events.
    ForgetRunLoop();
#if SMTG_OS_LINUX
    mRunLoop = VST3RunLoop::FromFrame(plugFrame);
#endif
    gui->SetHostRunLoop(mRunLoop.get());
    int oldW = 0, oldH = 0, newW = 0, newH = 0;
    gui->GetDeviceSize(&oldW, &oldH);
    gui->SetViewHost(this);
    if (!gui->AttachToParent(type, parent))
    {
      gui->SetViewHost(nullptr);
      ForgetRunLoop();
      CPluginView::removed();
      return kResultFalse;
    }
    // A platform that takes its scale from the parent (the window's DPI, when the host set
    // none) opens at another size than getSize told: the host's frame follows.
    gui->GetDeviceSize(&newW, &newH);
    if (newW != oldW || newH != oldH) RequestDeviceSize(newW, newH);
  }
  else
    gui->OpenWindow(parent, nullptr, 0, 0);
  mPlug->OnGUIOpen();
  return kResultOk;
}

tresult PLUGIN_API IVST3View::removed()
{
  if (IGraphics* gui = Graphics())
  {
    mPlug->OnGUIClose();
    gui->DetachFromParent();
    gui->SetViewHost(nullptr);
  }
  // After the window: it unregisters from the loop as it closes.
  ForgetRunLoop();
  return CPluginView::removed();
}

tresult PLUGIN_API IVST3View::getSize(ViewRect* size)
{
  IGraphics* gui = Graphics();
  if (!gui || !size) return kResultFalse;
  int w = 0, h = 0;
  gui->GetDeviceSize(&w, &h);
  *size = ViewRect(0, 0, w, h);
  return kResultOk;
}

tresult PLUGIN_API IVST3View::onSize(ViewRect* newSize)
{
  if (!newSize) return kResultOk;
  setRect(*newSize);
  if (mExpectingNewSize)
  {
    mPlug->OnWindowResize();
    mExpectingNewSize = false;
  }
  return kResultOk;
}

tresult PLUGIN_API IVST3View::onKeyDown(char16 key, int16 keyCode, int16 modifiers)
{
  IGraphics* gui = Graphics();
  if (!gui || !isAttached()) return kResultFalse;
  IForwardedKey k;
  k.mVirtual = VirtualOf(keyCode);
  // A UTF-16 unit: surrogate halves are not keys anyone types into a value field.
  if (k.mVirtual == IForwardedKey::kNone && key >= 0x20 && (key < 0xD800 || key > 0xDFFF))
    k.mChar = key;
  if (k.mVirtual == IForwardedKey::kNone && !k.mChar) return kResultFalse;
  k.mShift = modifiers & kModShift;
  k.mControl = modifiers & kModControl;
  return gui->OnForwardedKey(k) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API IVST3View::setContentScaleFactor(ScaleFactor factor)
{
  IGraphics* gui = Graphics();
  if (!gui) return kResultOk;
  int oldW = 0, oldH = 0, newW = 0, newH = 0;
  gui->GetDeviceSize(&oldW, &oldH);
  gui->SetContentScale(factor);
  gui->GetDeviceSize(&newW, &newH);
  // An open editor changes its size in device pixels: the host's frame follows.
  if ((newW != oldW || newH != oldH) && isAttached()) RequestDeviceSize(newW, newH);
  return kResultOk;
}

bool IVST3View::RequestDeviceSize(int w, int h)
{
  if (!plugFrame) return false;
  ViewRect r(0, 0, w, h);
  return plugFrame->resizeView(this, &r) == kResultTrue;
}

void IVST3View::resize(int w, int h)
{
  mExpectingNewSize = true;
  if (!plugFrame) return;
  const float s = Graphics() ? Graphics()->GetDeviceScale() : 1.0f;
  ViewRect r(0, 0, Device(w, s), Device(h, s));
  plugFrame->resizeView(this, &r);
}
