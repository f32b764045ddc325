#pragma once
// The editor view a VST 3 host asks the controller for. It owns nothing of the editor: the GUI
// engine lives as long as the plug-in; the view opens the engine's window inside the host's
// parent window when attached, closes it when removed, reports the engine's size and carries
// editor-initiated resizes to the host.
//
// Threads: every call comes from the host's main thread; the view takes no lock.

#include <memory>

#include "framework/gui/IPlatformView.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "public.sdk/source/common/pluginview.h"

class IVST3Plugin;
class IGraphics;
class IHostRunLoop;

class IVST3View : public Steinberg::CPluginView,
                  public Steinberg::IPlugViewContentScaleSupport,
                  private IPlatformViewHost
{
public:
  // Holds a reference on the plug-in for its whole life. The engine takes the user's editor
  // preferences now, before the host asks for the size.
  explicit IVST3View(IVST3Plugin* plug);
  ~IVST3View() override;

  // The types the editor's platform layer opens windows in ("X11EmbedWindowID" on Linux).
  Steinberg::tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) override;
  Steinberg::tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) override;
  Steinberg::tresult PLUGIN_API removed() override;
  Steinberg::tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) override;
  Steinberg::tresult PLUGIN_API getSize(Steinberg::ViewRect* size) override;
  // Hosts that keep the keyboard focus pass keys on: to an open text field, else to the engine.
  Steinberg::tresult PLUGIN_API onKeyDown(Steinberg::char16 key, Steinberg::int16 keyCode,
                                          Steinberg::int16 modifiers) override;
  // The engine derives its device pixels from it and the user's zoom; an open editor asks the
  // plug frame for its new size.
  Steinberg::tresult PLUGIN_API setContentScaleFactor(ScaleFactor factor) override;

  // An editor-initiated resize: asks the plug frame for w x h engine pixels, in device pixels.
  void resize(int w, int h);

  OBJ_METHODS(IVST3View, Steinberg::CPluginView)
  DEFINE_INTERFACES
  DEF_INTERFACE(Steinberg::IPlugViewContentScaleSupport)
  END_DEFINE_INTERFACES(Steinberg::CPluginView)
  REFCOUNT_METHODS(Steinberg::CPluginView)

private:
  // The engine's own requests (a zoom the user chose), through the plug frame: true when the host
  // agreed.
  bool RequestDeviceSize(int w, int h) override;
  IGraphics* Graphics() const;
  void ForgetRunLoop();

  IVST3Plugin* mPlug;
  bool mExpectingNewSize = false;
  std::unique_ptr<IHostRunLoop> mRunLoop; // the plug frame's, while attached
};
