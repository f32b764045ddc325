#pragma once
// The base of every on-screen element: its rectangle, its link to one parameter, its normalised
// value and the dirty flags that drive the redraw cycle. A user gesture reaches the plug-in only
// through SetDirty(true).
//
// Threads: every member runs on the GUI thread. Values the audio thread sends are held by the
// engine and handed to SetValueFromPlug / SetAuxParamValueFromPlug on the GUI thread at its next
// tick, so controls need no locking of their own.

#include "common/HeapBuf.h"
#include "common/StringBuf.h"
#include "framework/gui/IGraphicsStructs.h"

class IAudioPlugin;
class IGraphics;
class IParam;

class IControl
{
public:
  struct AuxParam
  {
    double mValue;
    int mParamIdx;
  };

  IControl(IAudioPlugin* plug, IRECT rect, int paramIdx = -1,
           int blendMethod = IChannelBlend::kBlendAlpha);
  virtual ~IControl();
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  virtual void OnMouseDown(int x, int y, IMouseMod* mod);
  virtual void OnMouseUp(int, int, IMouseMod*) {}
  virtual void OnMouseDrag(int, int, int, int, IMouseMod*) {}
  virtual void OnMouseDblClick(int x, int y, IMouseMod* mod);
  virtual void OnMouseWheel(int, int, IMouseMod*, int) {}
  virtual bool OnKeyDown(int, int, int) { return false; }
  virtual void OnMouseOver(int, int, IMouseMod*) {}
  virtual void OnMouseOut() {}
  virtual bool Draw(IGraphics* graphics) = 0;
  virtual void SetValueFromPlug(double value);
  virtual void SetValueFromUserInput(double value);
  virtual void TextFromTextEntry(const char*) {}
  virtual void Hide(bool hide);
  virtual void GrayOut(bool gray);
  virtual bool IsHit(int x, int y) { return mTargetRECT.Contains(x, y); }
  virtual void SetDirty(bool pushParamToPlug = true);
  virtual void SetClean();
  virtual bool IsDirty() { return mDirty; }
  virtual void OnGUIIdle() {}
  virtual void SetAuxParamValueFromPlug(int auxParamIdx, double value);
  // Text controls store the text and mark themselves dirty when it differs; the base shows no
  // text. SetDirty uses it to keep a linked value or name display in step.
  virtual void SetTextFromPlug(const char*) {}

  // Asks the engine to prompt for this control's parameter: a menu of its display texts over the
  // control, or a text field in a 40 x 16 box at the control's centre.
  void PromptUserInput();
  void PromptUserInput(IRECT* box);

  // ---- Auxiliary parameters ----
  void AddAuxParam(int paramIdx);
  AuxParam* GetAuxParam(int idx);
  int AuxParamIdx(int paramIdx) const;
  int NAuxParams() const { return mAuxParams.GetSize(); }
  void SetAllAuxParamsFromGUI();

  // ---- Accessors ----
  IAudioPlugin* GetPlug() const { return mPlug; }
  // The plug-in's editor engine, or null when it has none.
  IGraphics* GetGUI() const;
  int ParamIdx() const { return mParamIdx; }
  // The linked parameter, or null when there is none or the index is outside the plug-in's list.
  IParam* GetParam() const;
  double GetValue() const { return mValue; }
  void SetValue(double value) { mValue = value; }
  double GetDefaultValue() const { return mDefaultValue; }
  void SetDefaultValue(double value) { mDefaultValue = value; }
  const IRECT* GetRECT() const { return &mRECT; }
  const IRECT* GetTargetRECT() const { return &mTargetRECT; }
  void SetTargetArea(IRECT rect) { mTargetRECT = rect; }
  // Applied at the next SetDirty.
  void Clamp(double lo, double hi)
  {
    mClampLo = lo;
    mClampHi = hi;
  }
  bool IsHidden() const { return mHide; }
  bool IsGrayed() const { return mGrayed; }
  bool GetRedraw() const { return mRedraw; }
  void Redraw() { mRedraw = true; }
  IChannelBlend* GetBlend() { return &mBlend; }
  IText* GetText() { return &mText; }
  void SetText(const IText* text) { mText = *text; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetTextEntryLength(int len) { mTextEntryLength = len; }
  bool IsPromptDisabled() const { return mDisablePrompt; }
  void DisablePrompt(bool disable) { mDisablePrompt = disable; }
  bool GetDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetDblAsSingleClick(bool on) { mDblAsSingleClick = on; }
  bool GetMOWhenGrayed() const { return mMOWhenGrayed; }
  void SetMOWhenGrayed(bool on) { mMOWhenGrayed = on; }
  // Not owned: text controls of the same engine that show this control's value or name.
  void SetValDisplayControl(IControl* control) { mValDisplayControl = control; }
  void SetNameDisplayControl(IControl* control) { mNameDisplayControl = control; }
  const char* GetTooltip() const { return mTooltip.Get(); }
  void SetTooltip(const char* text) { mTooltip.Set(text); }

protected:
  int mTextEntryLength = 7;
  IText mText;
  IAudioPlugin* mPlug;
  IRECT mRECT;
  IRECT mTargetRECT;
  int mParamIdx;
  TypedBuf<AuxParam> mAuxParams{4096};
  double mValue = 0.0;
  double mDefaultValue = -1.0;
  double mClampLo = 0.0;
  double mClampHi = 1.0;
  bool mDirty = true;
  bool mHide = false;
  bool mGrayed = false;
  bool mRedraw = false;
  bool mDisablePrompt = true;
  bool mDblAsSingleClick = false;
  bool mMOWhenGrayed = false;
  IChannelBlend mBlend;
  IControl* mValDisplayControl = nullptr;
  IControl* mNameDisplayControl = nullptr;
  StringBuf mTooltip;
};

// Fills its rectangle with one colour.
class IPanelControl : public IControl
{
public:
  IPanelControl(IAudioPlugin* plug, IRECT rect, const IColor* color,
                int blendMethod = IChannelBlend::kBlendAlpha)
      : IControl(plug, rect, -1, blendMethod), mColor(color ? *color : COLOR_BLACK)
  {
  }
  bool Draw(IGraphics* graphics) override;

protected:
  IColor mColor;
};

// Shows one frame of a film strip chosen by its value; the editor's background is one.
class IBitmapControl : public IControl
{
public:
  // The control covers (x, y, x + W, y + H / N).
  IBitmapControl(IAudioPlugin* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                 int blendMethod = IChannelBlend::kBlendAlpha)
      : IControl(plug, IRECT(x, y, bitmap), paramIdx, blendMethod), mBitmap(*bitmap)
  {
  }
  IBitmapControl(IAudioPlugin* plug, int x, int y, const IBitmap* bitmap,
                 int blendMethod = IChannelBlend::kBlendAlpha)
      : IBitmapControl(plug, x, y, -1, bitmap, blendMethod)
  {
  }
  IBitmapControl(IAudioPlugin* plug, IRECT rect, int paramIdx, const IBitmap* bitmap,
                 int blendMethod = IChannelBlend::kBlendAlpha)
      : IControl(plug, rect, paramIdx, blendMethod), mBitmap(*bitmap)
  {
  }
  bool Draw(IGraphics* graphics) override;
  const IBitmap* GetBitmap() const { return &mBitmap; }

protected:
  IBitmap mBitmap;
};
