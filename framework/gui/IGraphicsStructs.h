#pragma once
// The GUI's value types: rectangles, colours, text styles, bitmap handles, blends and mouse
// modifiers. All are small, copied by value and allocate nothing.

#include <cstdint>
#include <cstring>

class RasterBitmap;
class RasterCachedFont;

enum EDirection
{
  kDirVertical = 0,
  kDirHorizontal = 1
};

enum EFileAction
{
  kFileOpen = 0,
  kFileSave = 1
};

struct IColor
{
  int A = 255, R = 0, G = 0, B = 0;

  constexpr IColor(int a = 255, int r = 0, int g = 0, int b = 0) : A(a), R(r), G(g), B(b) {}
  constexpr bool operator==(const IColor& o) const
  {
    return A == o.A && R == o.R && G == o.G && B == o.B;
  }
  constexpr bool operator!=(const IColor& o) const { return !(*this == o); }

  // The raster library's pixel: alpha in the lowest byte, then red, green and blue, so the bytes
  // in memory read A, R, G, B.
  constexpr uint32_t Packed() const
  {
    return static_cast<uint32_t>(A & 0xFF) | static_cast<uint32_t>(R & 0xFF) << 8 |
           static_cast<uint32_t>(G & 0xFF) << 16 | static_cast<uint32_t>(B & 0xFF) << 24;
  }
  static constexpr IColor FromPacked(uint32_t p)
  {
    return IColor(static_cast<int>(p & 0xFF), static_cast<int>(p >> 8 & 0xFF),
                  static_cast<int>(p >> 16 & 0xFF), static_cast<int>(p >> 24 & 0xFF));
  }
};

inline constexpr IColor COLOR_TRANSPARENT(0, 0, 0, 0);
inline constexpr IColor COLOR_BLACK(255, 0, 0, 0);
inline constexpr IColor COLOR_GRAY(255, 127, 127, 127);
inline constexpr IColor COLOR_WHITE(255, 255, 255, 255);
inline constexpr IColor COLOR_RED(255, 255, 0, 0);
inline constexpr IColor COLOR_GREEN(255, 0, 255, 0);
inline constexpr IColor COLOR_BLUE(255, 0, 0, 255);
inline constexpr IColor COLOR_YELLOW(255, 255, 255, 0);
inline constexpr IColor COLOR_ORANGE(255, 255, 127, 0);
inline constexpr IColor DEFAULT_TEXT_COLOR = COLOR_BLACK;
inline constexpr IColor DEFAULT_TEXT_ENTRY_BGCOLOR = COLOR_WHITE;
inline constexpr IColor DEFAULT_TEXT_ENTRY_FGCOLOR = COLOR_BLACK;

// A handle to an image held by the process-wide bitmap cache. A null mData means the image could
// not be had: everything that draws one draws nothing.
struct IBitmap
{
  RasterBitmap* mData = nullptr;
  int W = 0;
  int H = 0;
  int N = 1;
  bool mFramesAreHorizontal = false;

  IBitmap() = default;
  IBitmap(RasterBitmap* data, int w, int h, int n = 1, bool framesAreHorizontal = false)
      : mData(data), W(w), H(h), N(n), mFramesAreHorizontal(framesAreHorizontal)
  {
  }
  bool IsValid() const { return mData != nullptr; }
  // One frame's size, whichever way the frames are laid out (0 for an image with no frames).
  int FrameWidth() const { return mFramesAreHorizontal && N > 0 ? W / N : W; }
  int FrameHeight() const { return !mFramesAreHorizontal && N > 0 ? H / N : H; }
};

struct IRECT
{
  int L = 0, T = 0, R = 0, B = 0;

  constexpr IRECT() = default;
  constexpr IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}
  // A bitmap control's area at (x, y): the image's width and the height of one stacked frame,
  // whichever way the frames really lie.
  IRECT(int x, int y, const IBitmap* bitmap)
      : L(x), T(y), R(x + bitmap->W), B(y + (bitmap->N > 0 ? bitmap->H / bitmap->N : bitmap->H))
  {
  }

  constexpr bool operator==(const IRECT& o) const
  {
    return L == o.L && T == o.T && R == o.R && B == o.B;
  }
  constexpr bool operator!=(const IRECT& o) const { return !(*this == o); }

  constexpr int W() const { return R - L; }
  constexpr int H() const { return B - T; }
  constexpr int MW() const { return (L + R) / 2; }
  constexpr int MH() const { return (T + B) / 2; }
  // Only the all-zero rectangle is empty; a zero-sized one elsewhere is not.
  constexpr bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  constexpr bool Contains(int x, int y) const
  {
    return !Empty() && x >= L && x < R && y >= T && y < B;
  }
  // Edges that only touch count: the dirty-rectangle union and the redraw cycle rely on it.
  constexpr bool Intersects(const IRECT& o) const
  {
    return !Empty() && !o.Empty() && R >= o.L && L < o.R && B >= o.T && T < o.B;
  }
  constexpr IRECT Intersect(const IRECT& o) const
  {
    if (!Intersects(o)) return IRECT();
    return IRECT(L > o.L ? L : o.L, T > o.T ? T : o.T, R < o.R ? R : o.R, B < o.B ? B : o.B);
  }
  constexpr IRECT Union(const IRECT& o) const
  {
    if (Empty()) return o;
    if (o.Empty()) return *this;
    return IRECT(L < o.L ? L : o.L, T < o.T ? T : o.T, R > o.R ? R : o.R, B > o.B ? B : o.B);
  }
};

struct IText
{
  static constexpr int kMaxFontLen = 32;

  enum EStyle
  {
    kTextRegular = 0,
    kTextBold = 1,
    kTextItalic = 2
  };
  enum EAlign
  {
    kAlignLeft = 0,
    kAlignMiddle = 1,
    kAlignRight = 2
  };
  enum EQuality
  {
    kQualitySystem = 0,
    kQualityAliased = 1,
    kQualitySmooth = 2,
    kQualitySubpixel = 3
  };

  char mFont[kMaxFontLen] = "Monaco";
  int mSize = 10;
  IColor mColor = DEFAULT_TEXT_COLOR;
  IColor mTextEntryBGColor = DEFAULT_TEXT_ENTRY_BGCOLOR;
  IColor mTextEntryFGColor = DEFAULT_TEXT_ENTRY_FGCOLOR;
  int mStyle = kTextRegular;
  int mAlign = kAlignMiddle;
  int mOrientation = 0;
  int mQuality = kQualitySystem;
  // Filled by IGraphics::CacheFont; owned by the font cache, so a copied style shares it.
  mutable RasterCachedFont* mCached = nullptr;

  IText() = default;
  IText(int size, const IColor* color = nullptr, const char* font = nullptr,
        int style = kTextRegular, int align = kAlignMiddle, int orientation = 0,
        int quality = kQualitySystem, const IColor* textEntryBGColor = nullptr,
        const IColor* textEntryFGColor = nullptr)
      : mSize(size), mStyle(style), mAlign(align), mOrientation(orientation), mQuality(quality)
  {
    if (color) mColor = *color;
    if (textEntryBGColor) mTextEntryBGColor = *textEntryBGColor;
    if (textEntryFGColor) mTextEntryFGColor = *textEntryFGColor;
    if (font) SetFont(font);
  }
  explicit IText(const IColor* color)
  {
    if (color) mColor = *color;
  }
  void SetFont(const char* font)
  {
    std::strncpy(mFont, font ? font : "", kMaxFontLen - 1);
    mFont[kMaxFontLen - 1] = '\0';
  }
};

struct IChannelBlend
{
  enum EBlendMethod
  {
    kBlendAlpha = 0,
    kBlendOpaque = 1,
    kBlendAdditive = 2,
    kBlendDodge = 3
  };
  // Kept as an int: a value outside the enumeration is legal and draws as kBlendAlpha.
  int mMethod = kBlendAlpha;
  float mWeight = 1.0f;

  constexpr IChannelBlend(int method = kBlendAlpha, float weight = 1.0f)
      : mMethod(method), mWeight(weight)
  {
  }
};

struct IMouseMod
{
  bool L = false, R = false, S = false, C = false, A = false;

  constexpr IMouseMod(bool l = false, bool r = false, bool s = false, bool c = false,
                      bool a = false)
      : L(l), R(r), S(s), C(c), A(a)
  {
  }
};
