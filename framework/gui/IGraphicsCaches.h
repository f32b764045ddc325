#pragma once
// The process-wide caches of loaded images and fonts, shared by every editor of every instance.
// Each owns what it holds until the module is unloaded (images also until ReleaseBitmap); every
// find, add and remove takes the cache's own mutex for just that call, so any thread may use them.

#include <vector>

#include "common/RecursiveMutex.h"

class RasterBitmap;
class RasterCachedFont;

class BitmapStorage
{
public:
  BitmapStorage() = default;
  ~BitmapStorage();
  BitmapStorage(const BitmapStorage&) = delete;
  BitmapStorage& operator=(const BitmapStorage&) = delete;

  // The first bitmap added under id, or null.
  RasterBitmap* Find(int id);
  // The cache owns the bitmap from now on. Null is ignored.
  void Add(RasterBitmap* bitmap, int id = -1);
  // Removes and deletes the bitmap; false when the cache does not hold it.
  bool Remove(RasterBitmap* bitmap);
  bool Contains(const RasterBitmap* bitmap);
  int GetSize();

private:
  struct Entry
  {
    int mID;
    RasterBitmap* mBitmap;
  };
  std::vector<Entry> mEntries;
  RecursiveMutex mMutex;
};

// Fonts keyed by what shapes the glyphs: size, orientation, style and face name. Colour,
// alignment and quality are not part of the key, so styles differing only in those share a font.
class FontStorage
{
public:
  static constexpr int kFaceLen = 32;

  FontStorage() = default;
  ~FontStorage();
  FontStorage(const FontStorage&) = delete;
  FontStorage& operator=(const FontStorage&) = delete;

  RasterCachedFont* Find(int size, int orientation, int style, const char* face);
  // The cache owns the font from now on. Null is ignored.
  void Add(RasterCachedFont* font, int size, int orientation, int style, const char* face);
  int GetSize();

private:
  struct Entry
  {
    int mSize;
    int mOrientation;
    int mStyle;
    char mFace[kFaceLen];
    RasterCachedFont* mFont;
  };
  std::vector<Entry> mEntries;
  RecursiveMutex mMutex;
};

extern BitmapStorage s_bitmapCache;
extern FontStorage s_fontCache;
