#pragma once
// The process-wide caches of loaded images and fonts, shared by every editor of every instance.
// Each owns what it holds until the module is unloaded (images also until ReleaseBitmap; device
// images only while an editor draws at their scale); every find, add and remove takes the cache's
// own mutex for just that call, so any thread may use them.

#include <cstddef>
#include <memory>
#include <string>
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
  // The cache owns the bitmap from now on. Null is ignored. name: the resource it was loaded
  // from, which finds its larger versions.
  void Add(RasterBitmap* bitmap, int id = -1, const char* name = nullptr);
  // Removes and deletes the bitmap (and its device images); false when the cache does not hold
  // it.
  bool Remove(RasterBitmap* bitmap);
  bool Contains(const RasterBitmap* bitmap);
  // The id and resource name the bitmap was added with; false when the cache does not hold it.
  bool Lookup(const RasterBitmap* bitmap, int* id, std::string* name);
  int GetSize();

private:
  struct Entry
  {
    int mID;
    RasterBitmap* mBitmap;
    std::string mName;
  };
  std::vector<Entry> mEntries;
  RecursiveMutex mMutex;
};

// A cached bitmap made for one device scale, keyed by the 1x bitmap it shows, the scale and the
// frame layout it was resampled by. A scale's images are kept only while some editor holds the
// scale (one at 2.5 or 3 weighs a hundred megabytes or more), so a user stepping through zooms
// does not keep every step's images. An image is handed out as shared ownership: one an editor
// draws with outlives its removal from the cache until that draw call lets go of it.
class DeviceBitmapStorage
{
public:
  struct Key
  {
    const RasterBitmap* mSource;
    float mScale;
    int mFrames;
    bool mHorizontal;
  };
  struct Image
  {
    std::shared_ptr<RasterBitmap> mBitmap;
    int mFrameW = 0, mFrameH = 0;
  };

  DeviceBitmapStorage() = default;
  ~DeviceBitmapStorage() = default;
  DeviceBitmapStorage(const DeviceBitmapStorage&) = delete;
  DeviceBitmapStorage& operator=(const DeviceBitmapStorage&) = delete;

  // An editor draws at scale from now on (counted: each Hold has its Release).
  void HoldScale(float scale);
  // The editor no longer draws at scale; the scale's images go with its last holder.
  void ReleaseScale(float scale);

  bool Find(const Key& key, Image* image);
  // Keeps image for as long as its scale is held. When another thread added the same key first,
  // its image wins and image is set to it. An image of a scale nobody holds is not kept: the
  // caller's share is then the only one.
  void Add(const Key& key, Image* image);
  // Drops every image made from source.
  void RemoveSource(const RasterBitmap* source);
  int GetSize();
  // The images kept for one scale.
  int GetSize(float scale);
  // The pixel memory of every image kept.
  size_t GetBytes();

private:
  struct Entry
  {
    Key mKey;
    Image mImage;
  };
  struct Holders
  {
    float mScale;
    int mCount;
  };
  Holders* FindHolders(float scale);

  std::vector<Entry> mEntries;
  std::vector<Holders> mHolders;
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
extern DeviceBitmapStorage s_deviceBitmapCache;
extern FontStorage s_fontCache;
