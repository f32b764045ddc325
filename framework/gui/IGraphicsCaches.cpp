#include "framework/gui/IGraphicsCaches.h"

#include <cstring>

#include "common/StringBuf.h"
#include "raster/Raster.h"

BitmapStorage s_bitmapCache;
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

void BitmapStorage::Add(RasterBitmap* bitmap, int id)
{
  if (!bitmap) return;
  RecursiveMutex::Lock lock(mMutex);
  mEntries.push_back({id, bitmap});
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
