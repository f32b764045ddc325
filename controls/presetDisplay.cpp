#include "controls/presetDisplay.h"

#include <cstring>

#include "framework/core/IAudioPlugin.h"
#include "framework/gui/IGraphics.h"
#include "framework/gui/IPopupMenu.h"

void InformHostOfPresetChange(IAudioPlugin* plug)
{
  plug->InformHostOfProgramChange();
  plug->DirtyParameters();
}

// ---- Buttons ----

IPresetButton::IPresetButton(IAudioPlugin* plug, int x, int y, const IBitmap* bitmap)
    : IControl(plug, IRECT(x, y, bitmap), -1), mBitmap(*bitmap), mImgRECT(x, y, bitmap)
{
}

void IPresetButton::Press()
{
  mValue += mBitmap.N >= 2 ? 1.0 / (mBitmap.N - 1) : 1.0;
  if (mValue > 1.001) mValue = 0.0;
  mRedraw = true;
  SetDirty(true);
}

void IPresetButton::OnMouseUp(int, int, IMouseMod*)
{
  mValue = 0.0;
  SetDirty(true);
}

bool IPresetButton::Draw(IGraphics* graphics)
{
  graphics->FillIRect(&COLOR_TRANSPARENT, &mRECT);
  int state = 1;
  if (mBitmap.N >= 2)
  {
    const int i = TruncToInt((mBitmap.N - 1) * mValue + 0.5) + 1;
    state = i < 1 ? 1 : (i > mBitmap.N ? mBitmap.N : i);
  }
  graphics->DrawBitmap(&mBitmap, &mImgRECT, state, &mBlend);
  return true;
}

void IPrevPreset::OnMouseDown(int, int, IMouseMod*)
{
  // Slot 0 has no previous: the restore fails, and the host is still told.
  mPlug->RestorePreset(mPlug->GetCurrentPresetIdx() - 1);
  InformHostOfPresetChange(mPlug);
  Press();
}

void INextPreset::OnMouseDown(int, int, IMouseMod*)
{
  mPlug->RestorePreset(mPlug->GetCurrentPresetIdx() + 1);
  InformHostOfPresetChange(mPlug);
  Press();
}

void ISavePreset::OnMouseDown(int, int, IMouseMod*)
{
  mPlug->ModifyCurrentPreset(mPlug->GetPresetName(mPlug->GetCurrentPresetIdx()));
  Press();
}

void IUndoPreset::OnMouseDown(int, int, IMouseMod*)
{
  // The values come back from the slot: the host must hear them like any other recall, or its
  // controls and automation keep the discarded edits.
  if (mPlug->RestorePreset(mPlug->GetCurrentPresetIdx())) mPlug->DirtyParameters();
  Press();
}

// ---- Name and list ----

IPresetMenu::IPresetMenu(IAudioPlugin* plug, IRECT rect, int bottomInset, const IColor* color)
    : IControl(plug, rect, -1),
      mTextRECT(rect.L + 6, rect.T + 7, rect.R - 38, rect.B - bottomInset),
      mColor(color ? *color : COLOR_WHITE)
{
  mTextEntryLength = 253;
  mText =
      IText(16, &mColor, "Arial", IText::kTextBold, IText::kAlignLeft, 0, IText::kQualitySystem);
}

void IPresetMenu::Format(StringBuf* text) const
{
  const int idx = mPlug->GetCurrentPresetIdx();
  text->SetFormatted(31, "%02d %s", idx + 1, mPlug->GetPresetName(idx));
}

bool IPresetMenu::IsDirty()
{
  // Not dirty in every cycle, which would make every redraw span from here to whatever else
  // changed (the meters, in every tick), but as soon as what it shows is stale.
  if (IControl::IsDirty()) return true;
  StringBuf now;
  Format(&now);
  return std::strcmp(now.Get(), mDisp.Get()) != 0;
}

bool IPresetMenu::Draw(IGraphics* graphics)
{
  Format(&mDisp);
  graphics->FillIRect(&COLOR_TRANSPARENT, &mRECT);
  if (mDisp.GetLength()) graphics->DrawIText(&mText, mDisp.Get(), &mTextRECT);
  return true;
}

void IPresetMenu::OnMouseDown(int, int, IMouseMod* mod)
{
  IGraphics* gui = GetGUI();
  if (mod && mod->R)
  {
    if (gui)
      gui->CreateTextEntry(this, &mText, &mTextRECT,
                           mPlug->GetPresetName(mPlug->GetCurrentPresetIdx()), nullptr);
  }
  else if (gui)
  {
    IPopupMenu menu;
    const int current = mPlug->GetCurrentPresetIdx();
    for (int i = 0; i < mPlug->NPresets(); ++i)
      menu.AddItem(mPlug->GetPresetName(i), -1,
                   i == current ? IPopupMenuItem::kChecked : IPopupMenuItem::kNoFlags);
    menu.SetPrefix(IPopupMenu::kPrefix2);
    IPopupMenu* chosen = gui->CreateIPopupMenu(&menu, &mRECT);
    if (chosen && chosen->GetChosenItemIdx() >= 0)
    {
      mPlug->RestorePreset(chosen->GetChosenItemIdx());
      InformHostOfPresetChange(mPlug);
    }
  }
  mRedraw = true;
  SetDirty(true);
}

void IPresetMenu::TextFromTextEntry(const char* text)
{
  StringBuf name;
  name.Set(text, 256);
  mPlug->ModifyCurrentPreset(name.Get());
  InformHostOfPresetChange(mPlug);
  SetDirty(false);
}

void IPresetMenu::OnMouseWheel(int, int, IMouseMod*, int d)
{
  mPlug->RestorePreset(mPlug->GetCurrentPresetIdx() + d);
  InformHostOfPresetChange(mPlug);
  SetDirty(true);
}
