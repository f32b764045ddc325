// Bitmap-font text on the surface: where each glyph lands for every alignment, wrapping, cutting,
// vertical centring, and which glyph odd bytes draw.

#include "framework/gui/ControlRig.h"
#include "framework/gui/IBitmapText.h"

namespace
{
class BitmapText : public ControlRig
{
protected:
  void SetUp() override // glyphs 10 x 16 for codes 32..127
  {
    Open();
    mGlyphs = MakeStrip(mGui, 10, 16, 96);
  }
  IBitmapTextControl* Text(IRECT r, const char* s, int align, int offset = 0, bool multi = false,
                           bool vCenter = false)
  {
    IText style(10, nullptr, nullptr, IText::kTextRegular, align);
    return Add(new IBitmapTextControl(mPlug.get(), r, &mGlyphs, s, &style, 10, 16, offset, multi,
                                      vCenter));
  }
  // The characters drawn along row y, one sample every step pixels from x; '.' for none.
  std::string Row(int x, int y, int cells, int step = 10)
  {
    std::string s;
    for (int i = 0; i < cells; ++i)
      s += FrameAt(x + i * step, y) < 0 ? '.' : static_cast<char>(FrameAt(x + i * step, y) + 32);
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
  EXPECT_EQ(Row(0, 0, 12, 2), "44444.22222."); // 4 at 0..9, 2 at 12..21
  EXPECT_EQ(Row(21, 15, 2, 1), "2.");
  EXPECT_EQ(Row(139, 20, 3, 1) + Row(152, 20, 1), ".442");
  EXPECT_EQ(Row(79, 40, 3, 1) + Row(92, 40, 1), ".442");
}

TEST_F(BitmapText, MultilineWrapsAtTheWidthAndSingleLineCutsOff)
{
  const char* thirty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";
  Text(IRECT(0, 60, 100, 140), thirty, IText::kAlignLeft, 0, true);
  Text(IRECT(110, 60, 210, 140), thirty, IText::kAlignLeft);
  Text(IRECT(220, 60, 300, 140), thirty + 5, IText::kAlignLeft, 0, true); // 25, 8 a line
  Attach();
  EXPECT_EQ(Row(0, 60, 10) + Row(0, 76, 10) + Row(0, 92, 10), thirty);
  EXPECT_EQ(Row(0, 108, 10), "..........");
  EXPECT_EQ(Row(110, 60, 10) + Row(110, 76, 1), "ABCDEFGHIJ.");
  EXPECT_EQ(Row(220, 92, 8) + Row(220, 108, 2), "VWXYZ0123.");
}

TEST_F(BitmapText, CentringOddBytesAndNarrowRectangles)
{
  Text(IRECT(0, 150, 100, 180), "4", IText::kAlignLeft, 0, false, true); // 7 below the top
  Text(IRECT(120, 150, 200, 166), "\x01\xC3Z ", IText::kAlignLeft);      // the space glyph
  Text(IRECT(210, 150, 219, 166), "W", IText::kAlignLeft);               // no room: nothing
  Attach();
  EXPECT_EQ(Row(0, 156, 1) + Row(0, 157, 1) + Row(0, 172, 1) + Row(0, 173, 1), ".44.");
  EXPECT_EQ(Row(120, 150, 4), "  Z ");
  EXPECT_EQ(Row(210, 150, 1), ".");
}
} // namespace
