#include "framework/vst3/IVST3View.h"

#include <cstring>

#include "framework/gui/IGraphics.h"
#include "framework/platform/x11/IGraphicsLinux.h"
#include "framework/vst3/IVST3Plugin.h"
#include "pluginterfaces/gui/iplugview.h"

// Xlib's key names last: its macros must not meet the headers above.
#include <X11/keysym.h>

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

unsigned long KeysymOf(char16 key, int16 keyCode)
{
  switch (keyCode)
  {
  case kVKBack:
    return XK_BackSpace;
  case kVKTab:
    return XK_Tab;
  case kVKReturn:
    return XK_Return;
  case kVKEnter:
    return XK_KP_Enter;
  case kVKEscape:
    return XK_Escape;
  case kVKSpace:
    return XK_space;
  case kVKEnd:
    return XK_End;
  case kVKHome:
    return XK_Home;
  case kVKLeft:
    return XK_Left;
  case kVKUp:
    return XK_Up;
  case kVKRight:
    return XK_Right;
  case kVKDown:
    return XK_Down;
  case kVKDelete:
    return XK_Delete;
  default:
    break;
  }
  // Latin-1 characters share their code with their key symbol.
  return key >= 0x20 && key <= 0xFF ? static_cast<unsigned long>(key) : 0;
}

// One UTF-16 unit as UTF-8 (surrogates are not keys anyone types into a value field).
void Utf8Of(char16 key, char* out)
{
  if (key < 0x20 || (key >= 0xD800 && key <= 0xDFFF))
    out[0] = '\0';
  else if (key < 0x80)
  {
    out[0] = static_cast<char>(key);
    out[1] = '\0';
  }
  else if (key < 0x800)
  {
    out[0] = static_cast<char>(0xC0 | key >> 6);
    out[1] = static_cast<char>(0x80 | (key & 0x3F));
    out[2] = '\0';
  }
  else
  {
    out[0] = static_cast<char>(0xE0 | key >> 12);
    out[1] = static_cast<char>(0x80 | (key >> 6 & 0x3F));
    out[2] = static_cast<char>(0x80 | (key & 0x3F));
    out[3] = '\0';
  }
}
} // namespace

IVST3View::IVST3View(IVST3Plugin* plug) : mPlug(plug)
{
  if (mPlug) mPlug->addRef();
}

IVST3View::~IVST3View()
{
  // A host that lets go of a view it never removed must not leave a window and its timers
  // behind.
  if (isAttached()) removed();
  if (mRunLoop) mRunLoop->release();
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

tresult PLUGIN_API IVST3View::isPlatformTypeSupported(FIDString type)
{
  if (!Graphics() || !type) return kResultFalse;
  return std::strcmp(type, kPlatformTypeX11EmbedWindowID) == 0 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API IVST3View::attached(void* parent, FIDString type)
{
  IGraphics* gui = Graphics();
  if (!gui) return kResultFalse;
  CPluginView::attached(parent, type);
  if (type && std::strcmp(type, kPlatformTypeX11EmbedWindowID) == 0)
  {
    if (auto* x11 = dynamic_cast<IGraphicsLinux*>(gui))
    {
      // The host's run loop drives the editor's timer and events; without one the editor runs a
      // thread of its own.
      if (mRunLoop) mRunLoop->release();
      mRunLoop = nullptr;
      if (plugFrame)
        plugFrame->queryInterface(Linux::IRunLoop::iid, reinterpret_cast<void**>(&mRunLoop));
      x11->SetHostRunLoop(mRunLoop);
      x11->SetContentScale(static_cast<float>(mScale));
    }
    if (!gui->OpenWindow(parent))
    {
      CPluginView::removed();
      return kResultFalse;
    }
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
    gui->CloseWindow();
    if (auto* x11 = dynamic_cast<IGraphicsLinux*>(gui)) x11->SetHostRunLoop(nullptr);
  }
  if (mRunLoop)
  {
    mRunLoop->release();
    mRunLoop = nullptr;
  }
  return CPluginView::removed();
}

tresult PLUGIN_API IVST3View::getSize(ViewRect* size)
{
  IGraphics* gui = Graphics();
  if (!gui || !size) return kResultFalse;
  *size = ViewRect(0, 0, gui->Width() * Scale(), gui->Height() * Scale());
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
  auto* x11 = dynamic_cast<IGraphicsLinux*>(Graphics());
  const unsigned long keysym = KeysymOf(key, keyCode);
  if (!x11 || !keysym || !isAttached()) return kResultFalse;
  char text[4];
  Utf8Of(keyCode ? 0 : key, text);
  return x11->OnHostKey(keysym, text, modifiers & kModShift, modifiers & kModControl)
             ? kResultTrue
             : kResultFalse;
}

tresult PLUGIN_API IVST3View::setContentScaleFactor(ScaleFactor factor)
{
  const int scale = factor >= 1.9f ? 2 : 1;
  if (scale == mScale) return kResultOk;
  mScale = scale;
  IGraphics* gui = Graphics();
  if (auto* x11 = dynamic_cast<IGraphicsLinux*>(gui)) x11->SetContentScale(factor);
  // An open editor changes its size in device pixels: the host's frame follows.
  if (gui && plugFrame && isAttached())
  {
    ViewRect r(0, 0, gui->Width() * mScale, gui->Height() * mScale);
    plugFrame->resizeView(this, &r);
  }
  return kResultOk;
}

void IVST3View::resize(int w, int h)
{
  mExpectingNewSize = true;
  if (!plugFrame) return;
  ViewRect r(0, 0, w * mScale, h * mScale);
  plugFrame->resizeView(this, &r);
}
