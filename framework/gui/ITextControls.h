#pragma once
// Controls that show a line of text in a system font: a fixed or plug-in-set string, and a
// caption that shows its parameter's current value and prompts for a new one when clicked.
// GUI thread only, SetTextFromPlug included: it stores a string without any lock.

#include "common/StringBuf.h"
#include "framework/gui/IControl.h"

class ITextControl : public IControl
{
public:
  // Copies the whole style, its cached font included; a null string shows nothing.
  ITextControl(IAudioPlugin* plug, IRECT rect, const IText* text, const char* str = nullptr)
      : ITextControl(plug, rect, -1, text, str)
  {
  }

  bool Draw(IGraphics* graphics) override;
  // Marks the control dirty only when the text changes.
  void SetTextFromPlug(const char* str) override;
  const char* GetTextForPlug() const { return mStr.Get(); }

protected:
  ITextControl(IAudioPlugin* plug, IRECT rect, int paramIdx, const IText* text, const char* str);

  StringBuf mStr;
};

// Shows its parameter's display text (and label), and prompts for a value on any click: a menu
// of the display texts, or a text field for a continuous parameter.
class ICaptionControl : public ITextControl
{
public:
  ICaptionControl(IAudioPlugin* plug, IRECT rect, int paramIdx, const IText* text,
                  bool showParamLabel = true);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  // Reads the parameter itself, so the caption is right even while its own value lags behind.
  bool Draw(IGraphics* graphics) override;

protected:
  bool mShowParamLabel;
};
