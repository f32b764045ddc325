#include "controls/presetFunctionsMenu.h"

#include "framework/core/IAudioPlugin.h"
#include "framework/gui/IGraphics.h"
#include "framework/gui/IPopupMenu.h"

void PresetFunctionsMenu::OnMouseDown(int, int, IMouseMod* mod)
{
  IGraphics* gui = GetGUI();
  if (mod && mod->L && gui)
  {
    IPopupMenu menu;
    menu.AddItem("Save Preset...");
    menu.AddItem("Save Bank...");
    menu.AddSeparator();
    menu.AddItem("Load Preset...");
    menu.AddItem("Load Bank...");
    if (IPopupMenu* chosen = gui->CreateIPopupMenu(&menu, &mRECT))
    {
      // A cancelled dialog leaves the name empty, and every file operation refuses an empty name.
      StringBuf fileName;
      switch (chosen->GetChosenItemIdx())
      {
      case 0:
        fileName.Set(mPlug->GetPresetName(mPlug->GetCurrentPresetIdx()));
        gui->PromptForFile(&fileName, kFileSave, &mLastDir, "fxp");
        mPlug->SaveProgramAsFXP(fileName);
        break;
      case 1:
        fileName.SetFormatted(255, "%s Bank", mPlug->GetEffectName());
        gui->PromptForFile(&fileName, kFileSave, &mLastDir, "fxb");
        mPlug->SaveBankAsFXB(fileName);
        break;
      // A loaded file changes the live values: the host hears each of them, as after a recall.
      case 3:
        gui->PromptForFile(&fileName, kFileOpen, &mLastDir, "fxp");
        if (mPlug->LoadProgramFromFXP(fileName)) mPlug->DirtyParameters();
        break;
      case 4:
        gui->PromptForFile(&fileName, kFileOpen, &mLastDir, "fxb");
        if (mPlug->LoadBankFromFXB(fileName)) mPlug->DirtyParameters();
        break;
      default:
        break;
      }
    }
  }
  mRedraw = true;
  SetDirty(true);
}

bool PresetFunctionsMenu::Draw(IGraphics* graphics)
{
  graphics->FillIRect(&COLOR_TRANSPARENT, &mRECT);
  return true;
}
