#include "framework/gui/IGraphicsCaches.h"

#include <cstring>

#include "common/StringBuf.h"
#include "raster/Raster.h"

// Destroyed in the reverse order: the device images before the bitmaps they were made from.
BitmapStorage s_bitmapCache;
DeviceBitmapStorage s_deviceBitmapCache;
FontStorage s_fontCache;

BitmapStorage::~BitmapStorage()
{
  for (Entry& e : mEntries)
    delete e.mBitmap;
}

RasterBitmap* BitmapStorage::Find(int id)
{
  RecursiveMutex::Lock lock(mMutex);
  for (const Entry& e : mEntries)
    if (e.mID == id) return e.mBitmap;
  return nullptr;
}

void BitmapStorage::Add(RasterBitmap* bitmap, int id, const char* name)
{
  if (!bitmap) return;
  RecursiveMutex::Lock lock(mMutex);
  mEntries.push_back({id, bitmap, name ? name : ""});
}

bool BitmapStorage::Lookup(const RasterBitmap* bitmap, int* id, std::string* name)
{
  RecursiveMutex::Lock lock(mMutex);
  for (const Entry& e : mEntries)
  {
    if (e.mBitmap != bitmap) continue;
    if (id) *id = e.mID;
    if (name) *name = e.mName;
    return true;
  }
  return false;
}

bool BitmapStorage::Remove(RasterBitmap* bitmap)
{
  if (!bitmap) return false;
  RecursiveMutex::Lock lock(mMutex);
  for (size_t i = 0; i < mEntries.size(); ++i)
  {
    if (mEntries[i].mBitmap == bitmap)
    {
      mEntries.erase(mEntries.begin() + static_cast<long>(i));
      s_deviceBitmapCache.RemoveSource(bitmap);
      delete bitmap;
      return true;
    }
  }
  return false;
}

bool BitmapStorage::Contains(const RasterBitmap* bitmap)
{
  RecursiveMutex::Lock lock(mMutex);
  for (const Entry& e : mEntries)
    if (e.mBitmap == bitmap) return true;
  return false;
}

int BitmapStorage::GetSize()
{
  RecursiveMutex::Lock lock(mMutex);
  return static_cast<int>(mEntries.size());
}

static bool SameKey(const DeviceBitmapStorage::Key& a, const DeviceBitmapStorage::Key& b)
{
  return a.mSource == b.mSource && a.mScale == b.mScale && a.mFrames == b.mFrames &&
         a.mHorizontal == b.mHorizontal;
}

DeviceBitmapStorage::Holders* DeviceBitmapStorage::FindHolders(float scale)
{
  for (Holders& h : mHolders)
    if (h.mScale == scale) return &h;
  return nullptr;
}

void DeviceBitmapStorage::HoldScale(float scale)
{
  RecursiveMutex::Lock lock(mMutex);
  if (Holders* h = FindHolders(scale))
    ++h->mCount;
  else
    mHolders.push_back({scale, 1});
}

void DeviceBitmapStorage::ReleaseScale(float scale)
{
  // The images leave the cache under the lock but are freed after it, outside: an editor drawing
  // with one still holds its share, and freeing a hundred megabytes need not block the others.
  std::vector<Entry> gone;
  {
    RecursiveMutex::Lock lock(mMutex);
    Holders* h = FindHolders(scale);
    if (!h || --h->mCount > 0) return;
    mHolders.erase(mHolders.begin() + (h - mHolders.data()));
    for (size_t i = mEntries.size(); i-- > 0;)
    {
      if (mEntries[i].mKey.mScale != scale) continue;
      gone.push_back(std::move(mEntries[i]));
      mEntries.erase(mEntries.begin() + static_cast<long>(i));
    }
  }
}

bool DeviceBitmapStorage::Find(const Key& key, Image* image)
{
  RecursiveMutex::Lock lock(mMutex);
  for (const Entry& e : mEntries)
  {
    if (!SameKey(e.mKey, key)) continue;
    if (image) *image = e.mImage;
    return true;
  }
  return false;
}

void DeviceBitmapStorage::Add(const Key& key, Image* image)
{
  if (!image || !image->mBitmap) return;
  RecursiveMutex::Lock lock(mMutex);
  for (const Entry& e : mEntries)
  {
    if (!SameKey(e.mKey, key)) continue;
    *image = e.mImage;
    return;
  }
  if (FindHolders(key.mScale)) mEntries.push_back({key, *image});
}

void DeviceBitmapStorage::RemoveSource(const RasterBitmap* source)
{
  std::vector<Entry> gone;
  RecursiveMutex::Lock lock(mMutex);
  for (size_t i = mEntries.size(); i-- > 0;)
  {
    if (mEntries[i].mKey.mSource != source) continue;
    gone.push_back(std::move(mEntries[i]));
    mEntries.erase(mEntries.begin() + static_cast<long>(i));
  }
}

int DeviceBitmapStorage::GetSize()
{
  RecursiveMutex::Lock lock(mMutex);
  return static_cast<int>(mEntries.size());
}

int DeviceBitmapStorage::GetSize(float scale)
{
  RecursiveMutex::Lock lock(mMutex);
  int n = 0;
  for (const Entry& e : mEntries)
    n += e.mKey.mScale == scale ? 1 : 0;
  return n;
}

size_t DeviceBitmapStorage::GetBytes()
{
  RecursiveMutex::Lock lock(mMutex);
  size_t bytes = 0;
  for (const Entry& e : mEntries)
    bytes += static_cast<size_t>(e.mImage.mBitmap->getRowSpan()) *
             static_cast<size_t>(e.mImage.mBitmap->getHeight()) * sizeof(RasterPixel);
  return bytes;
}

FontStorage::~FontStorage()
{
  for (Entry& e : mEntries)
    delete e.mFont;
}

RasterCachedFont* FontStorage::Find(int size, int orientation, int style, const char* face)
{
  RecursiveMutex::Lock lock(mMutex);
  for (const Entry& e : mEntries)
  {
    if (e.mSize == size && e.mOrientation == orientation && e.mStyle == style &&
        std::strncmp(e.mFace, face ? face : "", kFaceLen - 1) == 0)
      return e.mFont;
  }
  return nullptr;
}

void FontStorage::Add(RasterCachedFont* font, int size, int orientation, int style,
                      const char* face)
{
  if (!font) return;
  Entry e{size, orientation, style, {}, font};
  CopyCString(e.mFace, face ? face : "", kFaceLen);
  RecursiveMutex::Lock lock(mMutex);
  mEntries.push_back(e);
}

int FontStorage::GetSize()
{
  RecursiveMutex::Lock lock(mMutex);
  return static_cast<int>(mEntries.size());
}
