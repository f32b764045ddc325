#pragma once
// The preset browser along the top of the editor: previous, next, save and undo buttons, and the
// current preset's number and name with the list of all slots and renaming. None is linked to a
// parameter; each acts on the plug-in's preset store and reads it afresh at every draw.

#include "common/StringBuf.h"
#include "framework/gui/IControl.h"

// Tells the host that the program changed and reports every parameter's value.
void InformHostOfPresetChange(IAudioPlugin* plug);

// A button drawn from an N-frame strip: frame 2 while pressed, frame 1 otherwise. Covers
// (x, y, x + W, y + H / N).
class IPresetButton : public IControl
{
public:
  IPresetButton(IAudioPlugin* plug, int x, int y, const IBitmap* bitmap);

  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  const IRECT* GetImageRECT() const { return &mImgRECT; }

protected:
  // The press animation every button runs after its action.
  void Press();

  IBitmap mBitmap;
  IRECT mImgRECT;
};

// Recalls the previous slot; nothing before slot 0.
class IPrevPreset : public IPresetButton
{
public:
  using IPresetButton::IPresetButton;
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
};

// Recalls the next slot; nothing after the last.
class INextPreset : public IPresetButton
{
public:
  using IPresetButton::IPresetButton;
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
};

// Stores the live values into the current slot, keeping its name.
class ISavePreset : public IPresetButton
{
public:
  using IPresetButton::IPresetButton;
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
};

// Returns to the values last stored in the current slot.
class IUndoPreset : public IPresetButton
{
public:
  using IPresetButton::IPresetButton;
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
};

// "NN Name" of the current slot. A click lists every slot to choose from; a right click opens a
// text field that renames the slot and stores the live values into it; the wheel steps through
// the slots.
class IPresetMenu : public IControl
{
public:
  IPresetMenu(IAudioPlugin* plug, IRECT rect, int bottomInset, const IColor* color);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;
  void TextFromTextEntry(const char* text) override;
  // Also whenever the slot it would show is not the one it drew: the host may change the
  // current slot at any time.
  bool IsDirty() override;
  bool Draw(IGraphics* graphics) override;

  const IRECT* GetTextRECT() const { return &mTextRECT; }
  const char* GetDisplayString() const { return mDisp.Get(); }

protected:
  // "NN Name" of the current slot.
  void Format(StringBuf* text) const;

  StringBuf mDisp;
  IRECT mTextRECT;
  IColor mColor;
};
