#pragma once
// Text drawn from a bitmap font: a strip with one fixed-size glyph per character, frame 0 being
// the space (code 32) and frame k the character 32 + k. Pixel-exact and skinnable, independent
// of the platform's font rendering.
// GUI thread only, SetTextFromPlug included: it stores a string without any lock.

#include "common/StringBuf.h"
#include "framework/gui/IControl.h"

// Lays text out in glyph cells of charWidth x charHeight, charOffset extra pixels apart, aligned
// as the style says. Without multiline, text that does not fit is cut at the right; with it, the
// text wraps at the rectangle's width. vCenter centres one line vertically. Characters outside
// 33..127 draw the space glyph.
void DrawBitmapedText(IGraphics* graphics, IBitmap* glyphs, const IRECT* rect, const IText* style,
                      const IChannelBlend* blend, const char* text, bool vCenter, bool multiline,
                      int charWidth, int charHeight, int charOffset);

class IBitmapTextControl : public IControl
{
public:
  IBitmapTextControl(IAudioPlugin* plug, IRECT rect, const IBitmap* glyphs, const char* str,
                     const IText* style, int charWidth, int charHeight, int charOffset = 0,
                     bool multiline = false, bool vCenter = true);

  bool Draw(IGraphics* graphics) override;
  // Marks the control dirty only when the text changes.
  void SetTextFromPlug(const char* str) override;
  const char* GetTextForPlug() const { return mStr.Get(); }

protected:
  StringBuf mStr;
  int mCharWidth, mCharHeight, mCharOffset;
  IBitmap mGlyphs;
  bool mMultiline;
  bool mVCentre;
};
