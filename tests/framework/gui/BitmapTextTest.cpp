// Bitmap-font text laid out on the surface: where each glyph lands for every alignment, wrapping,
// cutting, vertical centring, and which glyph odd bytes draw.

#include "framework/gui/ControlRig.h"
#include "framework/gui/IBitmapText.h"

namespace
{
class BitmapText : public ControlRig
{
protected:
  // Glyphs 10 x 16 for codes 32..127; FrameAt gives back code - 32.
  void SetUp() override
  {
    Open();
    mGlyphs = MakeStrip(mGui, 10, 16, 96);
  }
  IBitmapTextControl* Text(IRECT r, const char* s, int align, int offset = 0,
                           bool multiline = false, bool vCenter = false)
  {
    IText style(10, nullptr, nullptr, IText::kTextRegular, align);
    return Add(new IBitmapTextControl(mPlug.get(), r, &mGlyphs, s, &style, 10, 16, offset,
                                      multiline, vCenter));
  }
  // The glyph codes drawn along row y from x, one cell every step pixels.
  std::string Row(int x, int y, int cells, int step = 10)
  {
    std::string s;
    for (int i = 0; i < cells; ++i)
    {
      const int f = FrameAt(x + i * step, y);
      s += f < 0 ? '.' : static_cast<char>(f + 32);
    }
    return s;
  }

  IBitmap mGlyphs;
};

TEST_F(BitmapText, AlignmentPlacesTheRunAndTheOffsetSpacesTheGlyphs)
{
  Text(IRECT(0, 0, 100, 16), "42", IText::kAlignLeft, 2);
  Text(IRECT(100, 20, 200, 36), "42", IText::kAlignMiddle, 2);
  Text(IRECT(0, 40, 100, 56), "42", IText::kAlignRight, 2);
  Attach();
  EXPECT_EQ(Row(0, 0, 1) + Row(9, 15, 1), "44");
  EXPECT_EQ(Row(10, 0, 2, 1), ".."); // the 2-pixel offset
  EXPECT_EQ(Row(12, 0, 1) + Row(21, 15, 1) + Row(22, 0, 1), "22.");
  EXPECT_EQ(Row(139, 20, 1) + Row(140, 20, 1) + Row(152, 20, 1), ".42");
  EXPECT_EQ(Row(79, 40, 1) + Row(80, 40, 1) + Row(92, 40, 1), ".42");
}

TEST_F(BitmapText, MultilineWrapsAtTheWidthAndSingleLineCutsOff)
{
  const char* thirty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";
  Text(IRECT(0, 60, 100, 140), thirty, IText::kAlignLeft, 0, true);
  Text(IRECT(110, 60, 210, 140), thirty, IText::kAlignLeft, 0, false);
  // 25 glyphs 8 to a line: a short last line.
  Text(IRECT(220, 60, 300, 140), thirty + 5, IText::kAlignLeft, 0, true);
  Attach();
  EXPECT_EQ(Row(0, 60, 10), "ABCDEFGHIJ");
  EXPECT_EQ(Row(0, 76, 10), "KLMNOPQRST");
  EXPECT_EQ(Row(0, 92, 10), "UVWXYZ0123");
  EXPECT_EQ(Row(0, 108, 10), ".........."); // the fourth line holds nothing
  EXPECT_EQ(Row(110, 60, 10), "ABCDEFGHIJ");
  EXPECT_EQ(Row(110, 76, 10), "..........");
  EXPECT_EQ(Row(220, 92, 8), "VWXYZ012");
  EXPECT_EQ(Row(220, 108, 8), "3.......");
}

TEST_F(BitmapText, VerticalCentringAndOddBytes)
{
  Text(IRECT(0, 150, 100, 180), "4", IText::kAlignLeft, 0, false, true);
  // Bytes below 33 and above 127 draw the space glyph.
  Text(IRECT(120, 150, 200, 166), "\x01\xC3Z ", IText::kAlignLeft);
  // Narrower than one glyph: nothing.
  Text(IRECT(210, 150, 219, 166), "W", IText::kAlignLeft);
  Attach();
  EXPECT_EQ(Row(0, 156, 1) + Row(0, 157, 1) + Row(0, 172, 1) + Row(0, 173, 1), ".44.");
  EXPECT_EQ(Row(120, 150, 4), "  Z ");
  EXPECT_EQ(Row(210, 150, 1), ".");
}

TEST_F(BitmapText, NewTextIsDrawnAtTheNextTickOnlyWhenItDiffers)
{
  auto* text = Text(IRECT(0, 0, 100, 16), "12", IText::kAlignLeft);
  Attach();
  text->SetTextFromPlug("12");
  EXPECT_FALSE(mGui->Tick());
  text->SetTextFromPlug("7");
  EXPECT_TRUE(mGui->Tick());
  EXPECT_EQ(Row(0, 0, 2), "7.");
  text->SetTextFromPlug(nullptr);
  EXPECT_TRUE(mGui->Tick());
  EXPECT_EQ(Row(0, 0, 1), ".");
}
} // namespace
