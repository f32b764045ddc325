#include "framework/gui/IBitmapText.h"

#include <cstring>

#include "framework/gui/IGraphics.h"

void DrawBitmapedText(IGraphics* graphics, IBitmap* glyphs, const IRECT* rect, const IText* style,
                      const IChannelBlend* blend, const char* text, bool vCenter, bool multiline,
                      int charWidth, int charHeight, int charOffset)
{
  if (!graphics || !glyphs || !rect || !text || !text[0] || charWidth <= 0) return;
  const int n = static_cast<int>(std::strlen(text));

  int y0 = rect->T;
  if (vCenter) y0 += (rect->B - (rect->T + charHeight)) / 2;

  // Alignment counts whole cells only; charOffset lengthens the run after it is placed.
  const int align = style ? style->mAlign : IText::kAlignMiddle;
  int x0 = rect->L;
  if (align == IText::kAlignRight)
    x0 = rect->R - n * charWidth;
  else if (align == IText::kAlignMiddle)
    x0 = rect->L + (rect->R - (n * charWidth + rect->L)) / 2;

  const int avail = rect->R - rect->L;
  int perLine = avail / charWidth;
  int lines = 1;
  if (multiline)
  {
    if (n * charWidth > avail)
    {
      if (perLine < 1) return;
      lines = n * charWidth / avail + 1;
    }
    else
      perLine = n;
  }
  if (perLine < 1) return;

  const char* c = text;
  for (int l = 0; l < lines; ++l)
  {
    const int y = y0 + l * charHeight;
    int x = x0;
    for (int i = 0; i < perLine; ++i, ++c)
    {
      if (!*c) return;
      IRECT cell(x, y, x + charWidth, y + charHeight);
      // Signed: bytes above 127 give a state below 2, which is the space glyph.
      const int state = static_cast<signed char>(*c) - 31;
      graphics->DrawBitmap(glyphs, &cell, state, blend);
      x += charWidth + charOffset;
    }
  }
}

IBitmapTextControl::IBitmapTextControl(IAudioPlugin* plug, IRECT rect, const IBitmap* glyphs,
                                       const char* str, const IText* style, int charWidth,
                                       int charHeight, int charOffset, bool multiline, bool vCenter)
    : IControl(plug, rect), mStr(str), mCharWidth(charWidth), mCharHeight(charHeight),
      mCharOffset(charOffset), mGlyphs(*glyphs), mMultiline(multiline), mVCentre(vCenter)
{
  if (style) mText = *style;
}

bool IBitmapTextControl::Draw(IGraphics* graphics)
{
  if (mStr.GetLength() > 0)
    DrawBitmapedText(graphics, &mGlyphs, &mRECT, &mText, &mBlend, mStr.Get(), mVCentre, mMultiline,
                     mCharWidth, mCharHeight, mCharOffset);
  return true;
}

void IBitmapTextControl::SetTextFromPlug(const char* str)
{
  if (std::strcmp(mStr.Get(), str ? str : "") == 0) return;
  SetDirty(false);
  mStr.Set(str);
}
