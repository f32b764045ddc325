#pragma once
// The help button: an invisible button whose menu opens the user manual shipped in the plug-in's
// bundle and the vendor's web pages, and sets the editor's zoom (a submenu at its end: the one
// menu of the editor that is not about the sound).

#include <string>
#include <utility>

#include "common/StringBuf.h"
#include "framework/gui/IControl.h"

class IGraphics;

// The vendor's web pages the menu offers, given by the product.
struct HelpLinks
{
  std::string mWebsite;
  std::string mSupport;
  std::string mFacebook;
  std::string mSoundCloud;
  std::string mTwitter;
  std::string mYouTube;
};

class HelpMenu : public IPanelControl
{
public:
  enum EItem
  {
    kManual = 0,
    kWebsite = 2,
    kSupport = 3,
    kFacebook = 5,
    kSoundCloud = 6,
    kTwitter = 7,
    kYouTube = 8,
    kZoom = 10 // the submenu of editorprefs::kZoomPercents, the current one checked
  };

  HelpMenu(IAudioPlugin* plug, IRECT rect, HelpLinks links, const IColor* color = &COLOR_BLUE)
      : IPanelControl(plug, rect, color), mLinks(std::move(links))
  {
  }

  // Left button only.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // Transparent: the button's look is the background's.
  bool Draw(IGraphics* graphics) override;

  // <bundle>/Contents/Resources/<effect name> Manual.pdf. The bundle is the one holding the
  // running module; where the module does not sit in a bundle (tests, tools), the bundle named
  // after the effect in the plug-in folder.
  static void ManualPath(IGraphics* gui, const char* effectName, StringBuf* out);

private:
  HelpLinks mLinks;
};
