#pragma once
// GDI-style text service on FreeType and fontconfig.
//
// Fonts are opaque handles made by CreateFont and freed by DeleteObject. Text is drawn into memory
// contexts: 32-bit pixels, row 0 at the top, each pixel the bytes X, R, G, B in memory (the word
// X | R << 8 | G << 16 | B << 24, the first byte ignored and never written), which is the pixel
// layout of the raster library, so a raster bitmap can live in a context's frame buffer.
//
// Colours given to the service use the same packing: TextColor(r, g, b) below.
//
// Every function tolerates null handles and bad arguments and reports failure through its result;
// nothing throws. Fonts and contexts are used from one thread at a time; face-name resolution is
// process-wide and guarded by its own mutex, so fonts may be created from any thread.

#include <cstdint>

struct TextFont;    // a font made by CreateFont
struct TextContext; // a memory drawing context

using HFONT = TextFont*;
using HDC = TextContext*;

struct TextRect
{
  int left, top, right, bottom; // right and bottom exclusive
};

struct TEXTMETRIC
{
  int tmHeight;          // line height: ascent + descent
  int tmAscent;          // baseline below the top of a line
  int tmDescent;         // line bottom below the baseline
  int tmInternalLeading; // tmHeight minus the font's size
  int tmExternalLeading; // extra gap the font asks for between lines
  int tmAveCharWidth;    // advance of 'x'
  int tmMaxCharWidth;    // widest advance in the face
};

inline constexpr uint32_t TextColor(int r, int g, int b)
{
  return (uint32_t(r) & 0xFF) << 8 | (uint32_t(g) & 0xFF) << 16 | (uint32_t(b) & 0xFF) << 24;
}

// CreateFont weights and qualities the engine uses.
enum
{
  FW_NORMAL = 400,
  FW_BOLD = 700,
  DEFAULT_QUALITY = 0,
  NONANTIALIASED_QUALITY = 3, // one-bit glyphs
  ANTIALIASED_QUALITY = 4,
};

// SetBkMode.
enum
{
  TRANSPARENT = 1,
  OPAQUE = 2, // DrawText first fills each line's extent with the background colour
};

// DrawText flags (combine with |).
enum
{
  DT_LEFT = 0x0,
  DT_TOP = 0x0,
  DT_CENTER = 0x1,
  DT_RIGHT = 0x2,
  DT_VCENTER = 0x4, // only with DT_SINGLELINE
  DT_BOTTOM = 0x8,  // only with DT_SINGLELINE
  DT_SINGLELINE = 0x20,
  DT_NOCLIP = 0x100,
  DT_CALCRECT = 0x400, // measure only: rect.right = left + width, rect.bottom = top + height
};

// Size = |height|, or |width| when height is 0; above 8192 or below 2 it becomes 10. The size is
// the em height in pixels. escapement is ignored; orientation is the baseline's rotation in tenths
// of a degree, counter-clockwise. weight >= 700 asks for bold, italic != 0 for italic (either is
// synthesised when the face has no such style). quality 3 draws one-bit glyphs, anything else
// antialiased ones. The face name (UTF-8, at most 899 bytes used; null or empty means "sans")
// with " Bold" / " Italic" appended as asked is resolved through fontconfig once per process.
// Returns null when no face can be loaded at all.
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, int italic,
                 int underline, int strikeOut, int charSet, int outPrecision, int clipPrecision,
                 int quality, int pitchAndFamily, const char* faceName);

// Frees a font. A font still selected into a context must not be deleted. False for null.
bool DeleteObject(HFONT font);

// The font file used when fontconfig finds no face for a name (a face it only substitutes with a
// generic default counts as not found). Empty or null clears it. Takes effect for names not yet
// resolved; call it before the first CreateFont.
void SetFallbackFontFile(const char* path);

// Which file and face a font was made from, and its family name (for diagnostics and tests).
// Empty strings for null.
const char* GetFontFilePath(HFONT font);
const char* GetFontFamilyName(HFONT font);
int GetFontSize(HFONT font);
// The baseline's rotation in tenths of a degree, as given to CreateFont.
int GetFontOrientation(HFONT font);

// A memory context of width x height pixels (each 1..32768), zeroed, the frame buffer aligned to
// 64 bytes, text colour black, background white, background mode OPAQUE. Null on failure.
HDC CreateMemContext(int width, int height);
void DeleteGfxContext(HDC ctx);
// The frame buffer: height rows of width pixels, row 0 first. Null for null.
uint32_t* GetCtxFrameBuffer(HDC ctx);
int GetCtxWidth(HDC ctx);
int GetCtxHeight(HDC ctx);

// Selects a font into the context and returns the one selected before (null if none).
HFONT SelectObject(HDC ctx, HFONT font);
// Each returns the previous value.
uint32_t SetTextColor(HDC ctx, uint32_t color);
uint32_t SetBkColor(HDC ctx, uint32_t color);
int SetBkMode(HDC ctx, int mode);

// Draws UTF-8 text (len bytes, or up to the terminating 0 when len < 0) into rect with the
// selected font. Lines break at '\n' unless DT_SINGLELINE; each line is aligned within the
// rectangle's width. Without DT_NOCLIP the pixels are clipped to rect; always to the context.
// With DT_CALCRECT nothing is drawn and rect becomes (left, top, left + width, top + height) of
// the text's extent, which is exactly where drawing the same text at rect's left and top places
// the lines' advances. Returns the text's height, 0 on failure.
int DrawText(HDC ctx, const char* text, int len, TextRect* rect, int flags);

// Metrics of the selected font. False without a context or font.
bool GetTextMetrics(HDC ctx, TEXTMETRIC* tm);
// The same for a font without a context.
bool GetFontMetrics(HFONT font, TEXTMETRIC* tm);
