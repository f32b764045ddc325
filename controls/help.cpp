#include "controls/help.h"

#include <cstdio>
#include <iterator>
#include <string>

#include "framework/core/IAudioPlugin.h"
#include "framework/gui/EditorPreferences.h"
#include "framework/gui/IGraphics.h"
#include "framework/gui/IPopupMenu.h"

void HelpMenu::ManualPath(IGraphics* gui, const char* effectName, StringBuf* out)
{
  StringBuf host;
  gui->HostPath(&host);
  std::string bundle = host.Get();
  const size_t contents = bundle.rfind("/Contents/");
  if (contents != std::string::npos && contents > 0)
    bundle.resize(contents);
  else
  {
    StringBuf folder;
    gui->PluginPath(&folder);
    bundle = std::string(folder.Get()) + effectName + ".vst3";
  }
  out->SetFormatted(4095, "%s/Contents/Resources/%s Manual.pdf", bundle.c_str(), effectName);
}

void HelpMenu::OnMouseDown(int, int, IMouseMod* mod)
{
  IGraphics* gui = GetGUI();
  if (mod && mod->L && gui)
  {
    IPopupMenu menu, zoom;
    menu.AddItem("User Manual");
    menu.AddSeparator();
    menu.AddItem("Website");
    menu.AddItem("Support");
    menu.AddSeparator();
    menu.AddItem("Facebook");
    menu.AddItem("SoundCloud");
    menu.AddItem("Twitter");
    menu.AddItem("YouTube");
    menu.AddSeparator();
    for (int percent : editorprefs::kZoomPercents)
    {
      char text[16];
      std::snprintf(text, sizeof text, "%d%%", percent);
      zoom.AddItem(text, -1,
                   percent == gui->GetZoomPercent() ? IPopupMenuItem::kChecked
                                                    : IPopupMenuItem::kNoFlags);
    }
    menu.AddItem("Zoom", &zoom);
    IPopupMenu* chosen = gui->CreateIPopupMenu(&menu, &mRECT);
    if (chosen == &zoom)
    {
      const int idx = chosen->GetChosenItemIdx();
      // A host that refuses the new size leaves the editor, the check mark and the saved choice
      // as they were: the musician sees nothing change, which is what happened.
      if (idx >= 0 && idx < static_cast<int>(std::size(editorprefs::kZoomPercents)))
        gui->ChooseZoom(editorprefs::kZoomPercents[idx]);
    }
    else if (chosen)
    {
      StringBuf target;
      switch (chosen->GetChosenItemIdx())
      {
      case kManual:
        ManualPath(gui, mPlug->GetEffectName(), &target);
        break;
      case kWebsite:
        target.Set(mLinks.mWebsite.c_str());
        break;
      case kSupport:
        target.Set(mLinks.mSupport.c_str());
        break;
      case kFacebook:
        target.Set(mLinks.mFacebook.c_str());
        break;
      case kSoundCloud:
        target.Set(mLinks.mSoundCloud.c_str());
        break;
      case kTwitter:
        target.Set(mLinks.mTwitter.c_str());
        break;
      case kYouTube:
        target.Set(mLinks.mYouTube.c_str());
        break;
      default:
        break;
      }
      // A manual that is not installed simply does not open.
      if (target.GetLength()) gui->OpenURL(target.Get(), nullptr, nullptr, nullptr);
    }
  }
  mRedraw = true;
  SetDirty(true);
}

bool HelpMenu::Draw(IGraphics* graphics)
{
  graphics->FillIRect(&COLOR_TRANSPARENT, &mRECT);
  return true;
}
